#include "Controller/SRMainController.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "Bridge/MusicLibrary.h"
#include "Bridge/SortValueSource.h"
#include "Category/AppleScriptUtility.h"
#include "Category/JoinedNames.h"
#include "Category/StringUtility.h"
#include "Platform/Log.h"
#include "Storage/UndoLog.h"

namespace yomi {
namespace {

constexpr std::int32_t kRedrawInterval = 200;

// A value as the log shows it: absent reads "(null)", control characters are
// escaped so that no value can forge a log line.
std::string logValue(const OptString& value)
{
    if (!value)
        return "(null)";
    return log::escapeControls(toUtf8(*value));
}

} // namespace

std::string changeLine(const OptString& name, const OptString& value, const OptString& sort, std::string_view where)
{
    std::string line = logValue(name);
    if (!where.empty())
        line += " [" + log::escapeControls(where) + "]";
    return line + ":" + logValue(value) + "->" + logValue(sort);
}

namespace {

// Whether a track may contribute an entry: neither a podcast nor a video.
// `videoKind` is read only when `podcast` was false.
bool isPlainAudio(bridge::Track& track)
{
    if (track.valueForKey("podcast").boolValue())
        return false;
    return track.valueForKey("videoKind").intValue() == bridge::kVideoKindNone;
}

} // namespace

namespace detail {

using Counts = std::vector<std::pair<String, std::size_t>>;

static void count(Counts& counts, const String& sort)
{
    for (auto& [s, n] : counts) {
        if (s == sort) {
            ++n;
            return;
        }
    }
    counts.emplace_back(sort, 1);
}

// Tracks of one value seen by a scan or a Save, by sort value; and the values
// they hold in older spellings besides (see PairEntry).
struct Tally {
    std::size_t tracks = 0;
    Counts sorts;
    Counts spellings;
    Counts unsettled;

    void add(const String& sort)
    {
        ++tracks;
        count(sorts, sort);
    }

    // A track's sort value, with what its other spellings hold.
    void add(const String& sort, const bridge::Track::Spellings& other)
    {
        add(sort);
        bool settled = !other.onlyThere;
        for (const String& value : other.values) {
            if (value == sort)
                continue;
            settled = false;
            if (!value.empty())
                count(spellings, value);
        }
        if (!settled)
            count(unsettled, sort);
    }
};

// A value some of whose writes failed keeps its edit pending: its mark, its
// removal, and the sort value listed before the Save to be told from.
struct FailedValue {
    std::size_t writes = 0;
    String loadedSort;
    bool removeSort = false;
};

} // namespace detail

namespace {

using detail::Tally;

// Whether a track's other spellings hold exactly its sort value `sort`.
bool settled(const bridge::Track::Spellings& other, const String& sort)
{
    if (other.onlyThere)
        return false;
    return std::all_of(other.values.begin(), other.values.end(), [&](const String& v) { return v == sort; });
}

using Tallies = std::unordered_map<String, Tally>;

using detail::FailedValue;

void keepFailedPending(PairDict& dict, const std::unordered_map<String, FailedValue>& failed)
{
    for (const auto& [value, f] : failed) {
        const auto found = dict.find(value);
        if (found == dict.end())
            continue;
        found->second->failedWrites = f.writes;
        found->second->loadedSort = f.loadedSort;
        found->second->removeSort = f.removeSort;
    }
}

// Stores the tallies in the entries of the index; the listed sort values
// become the ones an edit is told from.
void storeTallies(PairDict& dict, Tallies& tallies, bool onlyTallied = false,
                  const std::unordered_map<String, FailedValue>* failed = nullptr)
{
    for (auto& [value, entry] : dict) {
        const auto found = tallies.find(value);
        if (found == tallies.end() && onlyTallied)
            continue;
        Tally& t = found == tallies.end() ? tallies[value] : found->second;
        entry->trackCount = t.tracks;
        entry->sortCounts = std::move(t.sorts);
        entry->spellingCounts = std::move(t.spellings);
        entry->unsettledCounts = std::move(t.unsettled);
        entry->loadedSort = entry->sortStr;
        entry->removeSort = false;
        entry->failedWrites = 0;
    }
    if (failed)
        keepFailedPending(dict, *failed);
}


// What a Load gives back when it is cancelled.
struct Before {
    std::shared_ptr<PairList> list;
    std::shared_ptr<PairDict> dict;
    std::unordered_map<String, ValueReading> readings;
};

// What a Save keeps of a track whose write waits in a group: the track's
// visit is over by the time the group is committed.
struct QueuedWrite {
    OptString name;
    String value;
    String listed;
    OptString current;
    std::string location;
    PairEntryRef entry;
};

// Notes a failed write of a queued value; the first keeps what its entry
// listed before the Save.
void noteFailure(std::unordered_map<String, FailedValue>& failed, const QueuedWrite& q)
{
    FailedValue& f = failed[q.value];
    if (f.writes++ == 0 && q.entry) {
        f.loadedSort = q.entry->loadedSort;
        f.removeSort = q.entry->removeSort;
    }
}

// Reports the committed write of a listed sort value. A change is logged only
// once it is really in the library; a failed write gets a line of its own
// with the reason. The tally counts the sort value the track holds afterwards.
void reportWrite(const QueuedWrite& q, const Status& result, Tally& tally, SaveReport& report,
                 std::unordered_map<String, FailedValue>& failed)
{
    if (result.ok() || q.current)
        tally.add(result.ok() ? q.listed : *q.current);
    if (result.ok()) {
        ++report.written;
        log::write(changeLine(q.name, q.value, q.listed) + "\n");
    } else {
        ++report.failed;
        noteFailure(failed, q);
        log::write("write failed: " + changeLine(q.name, q.value, q.listed, q.location) + " (" +
                       log::escapeControls(result.reason()) + ")\n",
                   log::Priority::Warning);
    }
}

// 1284 -> "1,284".
std::string withThousands(std::size_t n)
{
    std::string digits = std::to_string(n);
    for (std::size_t i = digits.size(); i > 3; i -= 3)
        digits.insert(i - 3, ",");
    return digits;
}

std::string counted(std::size_t n, std::string_view one, std::string_view many)
{
    return withThousands(n) + " " + std::string(n == 1 ? one : many);
}

} // namespace

std::string SavePreview::text() const
{
    return "Save will write " + counted(tracks, "track", "tracks") + " for " + counted(values, "value", "values");
}

std::string RevertReport::text() const
{
    if (!found)
        return "Nothing reverted: " + error;
    std::string out = "Reverted Save " + std::to_string(saveId) + ": " + counted(reverted, "track", "tracks");
    if (notMade)
        out += "; " + withThousands(notMade) + " already as before";
    if (!leftAlone.empty())
        out += "; " + withThousands(leftAlone.size()) + " changed since, left alone";
    if (failed)
        out += "; " + withThousands(failed) + " failed";
    return out;
}

template <typename T>
void SRMainController::replaceProperty(std::string_view key, std::shared_ptr<T>& field, std::shared_ptr<T> value)
{
    const ListChange change{ListChange::Kind::Reset, 0};
    notifyWill(key, change);
    // Hold the new object before letting go of the old one: writing the
    // object already held keeps it alive.
    std::shared_ptr<T> previous = std::move(field);
    field = std::move(value);
    previous.reset();
    notifyDid(key, change);
}

void SRMainController::setDataArray(std::shared_ptr<PairList> list)
{
    replaceProperty(kDataArrayKey, dataArray_, std::move(list));
}

void SRMainController::setPairDict(std::shared_ptr<PairDict> dict)
{
    replaceProperty(kPairDictKey, pairDict_, std::move(dict));
}

void SRMainController::addObjectToDataArray(PairEntryRef entry)
{
    if (!dataArray_)
        setDataArray(std::make_shared<PairList>());
    const ListChange change{ListChange::Kind::Insert, dataArray_->size()};
    notifyWill(kDataArrayKey, change);
    dataArray_->append(std::move(entry));
    notifyDid(kDataArrayKey, change);
}

void SRMainController::removeObjectFromDataArray(const PairEntry* entry)
{
    if (!dataArray_)
        return;
    const std::size_t row = dataArray_->rowOf(entry);
    if (row == PairList::npos)
        return;
    const ListChange change{ListChange::Kind::Remove, row};
    notifyWill(kDataArrayKey, change);
    dataArray_->removeAt(row);
    notifyDid(kDataArrayKey, change);
}

void SRMainController::addObserver(PropertyObserver* observer)
{
    if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void SRMainController::removeObserver(PropertyObserver* observer)
{
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void SRMainController::notifyWill(std::string_view key, const ListChange& change)
{
    if (observers_.empty())
        return;
    const auto observers = observers_; // an observer may unregister itself
    for (PropertyObserver* o : observers)
        o->willChange(key, change);
}

void SRMainController::notifyDid(std::string_view key, const ListChange& change)
{
    if (observers_.empty())
        return;
    const auto observers = observers_;
    for (PropertyObserver* o : observers)
        o->didChange(key, change);
}

void SRMainController::setKeyTag(std::int32_t tag)
{
    if (tag == keyTag_ && fieldTags_.empty())
        return;
    setDataArray(std::make_shared<PairList>());
    setPairDict(std::make_shared<PairDict>());
    keyTag_ = tag;
    fieldTags_.clear();
    readings_.clear();
    contexts_.clear();
}

void SRMainController::setFieldTags(std::vector<std::int32_t> tags)
{
    std::vector<std::int32_t> kept;
    for (const std::int32_t tag : tags)
        if (fieldForTag(tag) && std::find(kept.begin(), kept.end(), tag) == kept.end())
            kept.push_back(tag);
    if (kept.size() < 2)
        kept.clear();
    const std::int32_t first = kept.empty() ? (tags.empty() ? keyTag_ : tags.front()) : kept.front();
    if (kept == fieldTags_ && first == keyTag_)
        return;
    setDataArray(std::make_shared<PairList>());
    setPairDict(std::make_shared<PairDict>());
    keyTag_ = first;
    fieldTags_ = std::move(kept);
    readings_.clear();
    contexts_.clear();
}

std::vector<FieldKeys> SRMainController::fields() const
{
    std::vector<FieldKeys> out;
    if (fieldTags_.empty()) {
        if (const auto field = fieldForTag(keyTag_))
            out.push_back(*field);
        return out;
    }
    for (const std::int32_t tag : fieldTags_)
        out.push_back(*fieldForTag(tag));
    return out;
}

void SRMainController::load(const void*)
{
    if (const std::vector<FieldKeys> chosen = fields(); !chosen.empty())
        loadFields(chosen);
}

void SRMainController::save(const void*)
{
    if (const Status learned = learnTypedReadings(); !learned)
        log::write("your readings were not kept: " + log::escapeControls(learned.reason()) + "\n");
    if (const std::vector<FieldKeys> chosen = fields(); !chosen.empty())
        saveFields(chosen);
}

void SRMainController::busyOn()
{
    if (progressIndicator) {
        progressIndicator->startAnimation(this);
        progressIndicator->setHidden(false);
    }
}

void SRMainController::busyOff()
{
    if (progressIndicator) {
        progressIndicator->stopAnimation(this);
        progressIndicator->setHidden(true);
    }
}

void SRMainController::redraw()
{
    if (window)
        window->display();
}

void SRMainController::reportProgress(std::size_t done, const std::optional<std::size_t>& total)
{
    if (progress)
        progress(WalkProgress{done, total});
}

void SRMainController::loadDataFKey(std::string_view valueKey, std::string_view sortKey)
{
    loadFields({FieldKeys{valueKey, sortKey, {}}});
}

void SRMainController::loadFields(const std::vector<FieldKeys>& fields)
{
    moveDefaultButtonToSave();
    busyOn();
    cancelLoad = false;
    Before before{dataArray_, pairDict_, std::exchange(readings_, {})};
    setDataArray(std::make_shared<PairList>());
    setPairDict(std::make_shared<PairDict>());
    redraw();

    const auto start = std::chrono::steady_clock::now();
    lastLoad_ = LoadReport{};
    contexts_.clear();
    bool walkedAll = false;
    WalkFeed feed(eventLoop);
    // The walk's own: what it saw, and what it listed so far. The list and
    // the index are changed by the steps it posts, on this thread.
    LoadWalk walk{fields, feed, {}, {}, {}, {}, {}};
    const bool redraws = !feed.threaded();

    feed.run([&] {
        const auto playlist =
            bridge::libraryPlaylist(bridge::applicationWithBundleIdentifier(bridge::kMusicApplicationIdentifier));
        // Made and dropped here: listing the files and closing the library
        // index are part of the walk.
        const auto sequence = bridge::tracksOf(playlist);
        const std::optional<std::size_t> total = sequence->count();
        feed.post([this, total] { reportProgress(0, total); });
        std::int32_t redrawCounter = 1;

        walkedAll = bridge::forEachTrackWhile(*sequence, [&](bridge::Track& track) {
            loadTrack(walk, track);
            ++redrawCounter;
            if (redrawCounter % kRedrawInterval == 0) {
                feed.post([this, redraws, total, done = static_cast<std::size_t>(redrawCounter - 1)] {
                    if (cancelLoad && !redraws)
                        return; // the list goes back to the one from before
                    reportProgress(done, total);
                    if (redraws)
                        redraw();
                });
            }
            return !cancelLoad;
        });
        feed.post([this, total, done = static_cast<std::size_t>(redrawCounter - 1)] { reportProgress(done, total); });
    });

    const bool cancelled = !walkedAll || cancelLoad;
    lastLoad_ = std::move(walk.report);
    lastLoad_.cancelled = cancelled;
    contexts_ = std::move(walk.contexts);
    if (cancelled) {
        setDataArray(std::move(before.list));
        setPairDict(std::move(before.dict));
        readings_ = std::move(before.readings);
    } else {
        storeTallies(*pairDict_, walk.tallies);
    }

    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    char line[64];
    std::snprintf(line, sizeof line, "%f sec", elapsed.count());
    log::write(line);

    busyOff();
    redraw();
}

void SRMainController::moveDefaultButtonToSave()
{
    const String key = loadButton ? loadButton->keyEquivalent() : String();
    if (saveButton)
        saveButton->setKeyEquivalent(key);
    if (loadButton)
        loadButton->setKeyEquivalent(String());
}

void SRMainController::loadTrack(LoadWalk& walk, bridge::Track& track)
{
    ++walk.report.tracks;
    // With several fields a value is listed once, whichever holds it. A
    // track that cannot be read has no value in any field: the first field
    // tells.
    for (const FieldKeys& field : walk.fields) {
        const OptString value = track.valueForKey(field.valueKey).copy();
        if (!value && &field == &walk.fields.front()) {
            ++walk.report.unreadable;
            walk.report.unreadableFiles.push_back(track.location());
        }
        const bool listable = !walk.kanaOrAlphabet(value);
        if (reader)
            walk.contexts.addTrack(track, field.valueKey, value, listable);
        if (!listable)
            continue;
        OptString sort = track.valueForKey(field.sortKey).copy();
        if (sort && value) {
            walk.tallies[*value].add(*sort, track.otherSpellings(field.sortKey));
            listTrack(walk.feed, walk.listed, track, *value, std::move(*sort));
        }
    }
}

void SRMainController::listTrack(WalkFeed& feed, std::unordered_map<String, Listed>& listed, bridge::Track& track,
                                 const String& value, String sort)
{
    // The steps change the list and the index as the walk decided; after a
    // Cancel they are left undone (the list goes back to the one from before).
    auto found = listed.find(value);
    if (found == listed.end()) {
        if (isPlainAudio(track)) {
            auto entry = std::make_shared<PairEntry>(PairEntry{value, std::move(sort)});
            entry->loadedSort = entry->sortStr; // no edit, also before the scan ends
            listed.emplace(value, Listed{entry, entry->sortStr.empty()});
            feed.post([this, entry = std::move(entry)] {
                if (cancelLoad)
                    return;
                pairDict_->emplace(entry->originalStr, entry);
                addObjectToDataArray(entry);
            });
        }
    } else if (found->second.emptySort && !sort.empty() && isPlainAudio(track)) {
        // An empty listed sort value gives way, once, to the first non-empty
        // one; the new entry goes to the end of the list.
        auto entry = std::make_shared<PairEntry>(PairEntry{value, std::move(sort)});
        entry->loadedSort = entry->sortStr;
        PairEntryRef old = std::exchange(found->second, Listed{entry, false}).entry;
        feed.post([this, old = std::move(old), entry = std::move(entry)] {
            if (cancelLoad)
                return;
            (*pairDict_)[entry->originalStr] = entry;
            removeObjectFromDataArray(old.get());
            addObjectToDataArray(entry);
        });
    }
}

void SRMainController::saveDataForKey(std::string_view valueKey, std::string_view sortKey)
{
    saveFields({FieldKeys{valueKey, sortKey, {}}});
}

void SRMainController::saveFields(const std::vector<FieldKeys>& fields)
{
    busyOn();
    redraw();
    runAppleScriptWithString(kConsoleLaunchScript);

    lastSave_ = SaveReport{};
    Tallies tallies;
    std::unordered_map<String, FailedValue> failed;
    SaveReport report;
    WalkFeed feed(eventLoop);
    // The walks read the entries of the index as the Save began; nothing
    // changes them until it ends.
    feed.run([&, dict = pairDict_] {
        const auto app = bridge::applicationWithBundleIdentifier(bridge::kMusicApplicationIdentifier);
        // One undo log for every field: the Save is taken back as one. Every
        // change is recorded before it is made; the log is made with the first.
        std::string label;
        for (const FieldKeys& field : fields)
            label += (label.empty() ? "" : "+") + std::string(field.sortKey);
        storage::UndoLog undo(storage::LogKind::Save, label, 0, app ? app->folder() : std::string());
        if (app)
            app->setUndoLog(&undo);
        // One walk per field, each like a Save of that field alone.
        SaveWalk walk{app, tallies, 0, std::nullopt, 0, failed, dict, feed, report};
        for (const FieldKeys& field : fields)
            saveWalk(walk, field, fields.size());
        if (app)
            app->setUndoLog(nullptr);
        undo.finish();
        report.undoId = undo.id();
    });
    lastSave_ = report;
    // Values with a listed sort value were all read again; the others keep
    // the counts of the scan.
    if (pairDict_)
        storeTallies(*pairDict_, tallies, true, &failed);

    busyOff();
    redraw();
}

namespace {

// A file the scan read that the Save cannot read (gone unreadable, its folder
// too, or damaged since): whether it had a change to write is not known, so it
// fails the Save rather than pass unseen.
void logUnreadAtSave(const std::string& location)
{
    log::write("write failed: " + log::escapeControls(location) +
                   " (the scan read it; the Save cannot, so its change, if any, is not written)\n",
               log::Priority::Warning);
}

// A walk over no tracks after a scan that found some: the library folder
// itself could not be read.
void logNothingWalked(std::size_t scanned)
{
    log::write("write failed: the scan found " + std::to_string(scanned) +
                   " tracks and the Save none; the library folder is named above\n",
               log::Priority::Warning);
}

} // namespace

void SRMainController::saveWalk(SaveWalk& walk, const FieldKeys& field, std::size_t walks)
{
    const std::shared_ptr<PairDict>& dict = walk.dict;
    const auto sequence = bridge::tracksOf(bridge::libraryPlaylist(walk.app));
    if (const auto count = sequence->count(); count && walk.done == 0)
        walk.total = *count * walks;
    const auto tell = [this, &walk] {
        walk.feed.post([this, done = walk.done, total = walk.total] { reportProgress(done, total); });
    };
    if (walk.done == 0)
        tell();
    // Writes go to the library in groups that are made durable together; a
    // write is counted and logged only once its group is committed, in the
    // order of the walk.
    const std::unique_ptr<bridge::WriteGroup> group = walk.app ? walk.app->writeGroup() : nullptr;
    std::vector<QueuedWrite> queued;
    const auto commitGroup = [&] {
        if (queued.empty())
            return;
        const std::vector<Status> results = group->commit();
        for (std::size_t i = 0; i < queued.size(); ++i) {
            const Status result = i < results.size() ? results[i] : Failure{"not written"};
            reportWrite(queued[i], result, walk.tallies[queued[i].value], walk.report, walk.failed);
        }
        queued.clear();
    };
    std::size_t unreadable = 0;
    // The first field's walk tells of files the Save cannot read (logUnreadAtSave).
    const bool checkReads = walk.walked == 0 && lastLoad_.tracks > 0 && !lastLoad_.cancelled;
    const std::unordered_set<std::string> unreadableAtLoad(lastLoad_.unreadableFiles.begin(),
                                                           lastLoad_.unreadableFiles.end());
    std::size_t visited = 0;

    bridge::forEachTrack(*sequence, [&](bridge::Track& track) {
        if (group && group->due())
            commitGroup();
        if (++walk.done % kRedrawInterval == 0)
            tell();
        ++visited;
        const OptString value = track.valueForKey(field.valueKey).copy();
        if (!value)
            ++unreadable;
        if (!value && checkReads && !unreadableAtLoad.contains(track.location())) {
            ++walk.report.failed;
            logUnreadAtSave(track.location());
        }
        if (!value || !dict)
            return;
        const auto found = dict->find(*value);
        if (found == dict->end())
            return;
        const String& listed = found->second->sortStr;
        if (listed.empty() && !found->second->removing())
            return; // an empty cell is no change; only a removal writes it
        const OptString current = track.valueForKey(field.sortKey).copy();
        // A track that holds the listed value in the spelling a write makes
        // but another in an older one is written all the same.
        const bridge::Track::Spellings other =
            current ? track.otherSpellings(field.sortKey) : bridge::Track::Spellings{};
        const bool same = current ? *current == listed && settled(other, listed) : listed.empty();
        if (same || (fillOnlyEmpty && current && !current->empty())) {
            if (current)
                walk.tallies[*value].add(*current, other);
            return;
        }
        queued.push_back(QueuedWrite{track.name(), *value, listed, current, track.location(), found->second});
        group->add(track, listed, field.sortKey);
        if (group->due())
            commitGroup();
    });
    commitGroup();
    tell();
    if (checkReads && visited == 0) {
        ++walk.report.failed;
        logNothingWalked(lastLoad_.tracks);
    }
    // A track that cannot be read is counted once, by the first field's walk.
    if (walk.walked++ == 0)
        walk.report.unreadable = unreadable;
}

void SRMainController::revertLastSave(const void*)
{
    // The newest Save still in effect: a second Revert steps further back,
    // it does not take back the first (that is Redo).
    const storage::RevertSteps steps = revertSteps();
    if (!steps.undo) {
        lastRevert_ = RevertReport{};
        lastRevert_.error = "no Save to revert";
        log::write("Nothing reverted: no Save to revert");
        return;
    }
    revertSave(*steps.undo);
    if (dataArray_ && !dataArray_->empty())
        load(nullptr);
}

void SRMainController::revertSave(std::uint64_t id)
{
    busyOn();
    redraw();
    runAppleScriptWithString(kConsoleLaunchScript);

    lastRevert_ = RevertReport{};
    RevertReport& report = lastRevert_;
    // Opening the application first recovers what an interrupted commit
    // left, so that every file is whole before it is compared. Without an
    // id, the library's own newest Save is taken back.
    const auto app = bridge::applicationWithBundleIdentifier(bridge::kMusicApplicationIdentifier);
    const std::string folder = app ? app->folder() : std::string();
    std::optional<storage::SaveRecord> save;
    if (const auto target = id ? std::optional<std::uint64_t>(id) : storage::saveToRevert(folder)) {
        if (Result<storage::SaveRecord> read = storage::readSave(*target))
            save = std::move(*read);
        else
            report.error = read.reason();
    } else {
        report.error = folder.empty() ? "no Save to revert" : "no Save of the library " + folder + " to revert";
    }
    if (save && !app)
        report.error = "the music library is not available";
    if (save && app) {
        report.found = true;
        report.saveId = save->id;
        storage::UndoLog undo(storage::LogKind::Revert, save->label, save->id,
                              save->library.empty() ? folder : save->library);
        // Newest first: two changes of one file unwind in the reverse order
        // of their making.
        for (auto it = save->changes.rbegin(); it != save->changes.rend(); ++it) {
            const storage::Change& change = *it;
            const storage::RevertOutcome outcome = app->revertChange(change, undo);
            const std::string what = log::escapeControls(change.path) + ":" + log::escapeControls(change.key) + ":" +
                logValue(change.newValue) + "->" + logValue(change.oldValue);
            if (!outcome) {
                ++report.failed;
                log::write("revert failed: " + what + " (" + log::escapeControls(outcome.reason()) + ")\n");
                continue;
            }
            switch (outcome->state) {
            case storage::RevertedChange::State::Reverted:
                ++report.reverted;
                log::write("reverted " + what + "\n");
                break;
            case storage::RevertedChange::State::NotMade:
                ++report.notMade;
                break;
            case storage::RevertedChange::State::LeftAlone:
                report.leftAlone.push_back(change.path + ": " + outcome->reason);
                log::write("left alone: " + what + " (" + log::escapeControls(outcome->reason) + ")\n");
                break;
            }
        }
        undo.finish();
        report.undoId = undo.id();
    }
    if (!report.found)
        log::write("Nothing reverted: " + log::escapeControls(report.error));

    busyOff();
    redraw();
}

SavePreview SRMainController::savePreview() const
{
    SavePreview preview;
    if (!dataArray_)
        return preview;
    dataArray_->forEach([&](const PairEntryRef& entry) {
        const std::size_t n = entry->tracksToWrite(fillOnlyEmpty);
        preview.tracks += n;
        preview.values += n ? 1 : 0;
    });
    return preview;
}

template <typename Edit>
void SRMainController::editSelection(Edit&& edit)
{
    const std::vector<PairEntryRef> selected =
        arrayController ? arrayController->selectedObjects() : std::vector<PairEntryRef>{};
    lastEdit_ = EditReport{selected.size(), 0, 0};
    for (const PairEntryRef& entry : selected) {
        if (!entry)
            continue;
        if (editOnlyEmpty && !entry->sortStr.empty()) {
            ++lastEdit_.keptNonEmpty;
            continue;
        }
        const String before = entry->sortStr;
        if constexpr (std::is_same_v<decltype(edit(entry->originalStr)), OptString>) {
            if (OptString sort = edit(entry->originalStr))
                entry->sortStr = std::move(*sort);
        } else {
            entry->sortStr = edit(entry->originalStr);
        }
        lastEdit_.changed += entry->sortStr != before;
    }
    // The entries changed in place; writing the list to itself is what tells
    // the list view to read the rows again.
    setDataArray(dataArray_);
}

void SRMainController::copyOriginalToSort(const void*)
{
    editSelection([](const String& original) { return original; });
}

void SRMainController::copyOriginalToPinYin(const void*)
{
    editSelection([](const String& original) { return romaji(original); });
}

void SRMainController::copyOriginalToReading(const void*) { copyOriginalToReadingAs(std::nullopt); }

std::vector<String> SRMainController::librarySortValues(const String& value) const
{
    std::vector<String> out;
    // The tracks of the list carry it in this field, most tracks first.
    if (pairDict_) {
        if (const auto found = pairDict_->find(value); found != pairDict_->end() && found->second) {
            auto counts = found->second->sortCounts;
            std::stable_sort(counts.begin(), counts.end(),
                             [](const auto& a, const auto& b) { return a.second > b.second; });
            for (const auto& [sort, tracks] : counts)
                if (!sort.empty())
                    out.push_back(sort);
        }
    }
    // The library may know it from the other fields too.
    const auto app = bridge::applicationWithBundleIdentifier(bridge::kMusicApplicationIdentifier);
    if (auto* source = dynamic_cast<bridge::SortValueSource*>(app.get()))
        for (bridge::KnownSortValue& known : source->sortValuesFor(value))
            if (std::find(out.begin(), out.end(), known.sortValue) == out.end())
                out.push_back(std::move(known.sortValue));
    return out;
}

void SRMainController::copyOriginalToReadingAs(std::optional<Language> language)
{
    if (!readingAvailable())
        return;
    refusedReadings_.clear();
    heldReadings_.clear();
    Reader withUser = *reader;
    if (userReadings)
        withUser.user = userReadings;
    ValueContext context;
    if (const auto field = fieldForTag(keyTag_))
        context.kind = nameKindOfField(field->valueKey);
    // The values this command reads: a joined value takes its parts'
    // readings from them, not from the sort values their rows show now.
    beingRead_.clear();
    if (arrayController)
        for (const PairEntryRef& entry : arrayController->selectedObjects())
            if (entry && (!editOnlyEmpty || entry->sortStr.empty()))
                beingRead_.insert(entry->originalStr);
    editSelection([&](const String& original) -> OptString {
        const NameKind kind = context.kind;
        context = contexts_.contextOf(original);
        context.kind = kind;
        context.librarySortValues = librarySortValues(original);
        ValueReading read = context.kind == NameKind::Person ? readJoined(withUser, original, context, language)
                                                             : ValueReading{};
        if (!read.reading)
            read = withUser.read(original, context, language);
        OptString reading = read.reading;
        if (!reading)
            refusedReadings_.push_back(original);
        else if (read.confidence < readingFloor) {
            heldReadings_.push_back(original);
            reading.reset();
        }
        readings_[original] = std::move(read);
        return reading;
    });
    beingRead_.clear();
}

bool SRMainController::knowsName(std::u16string_view name) const
{
    const String whole(name);
    if (pairDict_)
        if (const auto found = pairDict_->find(whole); found != pairDict_->end() && !found->second->sortStr.empty())
            return true;
    if (userReadings && userReadings->find(name))
        return true;
    return !librarySortValues(whole).empty();
}

ValueReading SRMainController::readJoined(Reader& withUser, const String& value, const ValueContext& context,
                                         std::optional<Language> language)
{
    // The value's own row and the library's sort values of it are no sign
    // that it is one name: they may be a join read before.
    const auto joined = splitJoinedName(value, [&](std::u16string_view n) { return n != value && knowsName(n); });
    if (!joined || (userReadings && userReadings->find(value)))
        return {};
    // A sort value the library holds for the whole value that suits its
    // reading (a band named with "&", or this join read before) stays.
    if (!context.librarySortValues.empty()) {
        ValueReading whole = withUser.read(value, context, language);
        if (whole.reading && fromLibrary(whole))
            return whole;
    }
    ValueReading out;
    out.confidence = Confidence::Sure;
    std::vector<String> readings;
    std::string reasons;
    for (const String& part : joined->parts) {
        // A part listed on its own takes the sort value its row shows, so
        // that the joined name sorts with the solo entries; a row this
        // command reads too is read as it will be.
        const auto solo = pairDict_ ? pairDict_->find(part) : PairDict::iterator{};
        const bool listed = pairDict_ && solo != pairDict_->end();
        if (listed && !solo->second->sortStr.empty() && !beingRead_.count(part)) {
            readings.push_back(solo->second->sortStr);
            continue;
        }
        ValueContext partContext = context;
        if (listed) {
            partContext = contexts_.contextOf(part);
            partContext.kind = context.kind;
        }
        partContext.librarySortValues = librarySortValues(part);
        ValueReading read = withUser.read(part, partContext, language);
        if (!read.reading && isHiraganaKatanakaAlphabetString(part))
            read.reading = part; // a Latin name sorts as it is
        if (!read.reading)
            return {};
        if (read.confidence < out.confidence) {
            out.confidence = read.confidence;
            reasons = toUtf8(part) + ": " + read.reason;
        }
        if (out.language == Language::None)
            out.language = read.language;
        readings.push_back(*read.reading);
    }
    out.reading = joinParts(*joined, readings);
    out.reason = "read part by part" + (reasons.empty() ? std::string() : " (" + reasons + ")");
    return out;
}

std::vector<String> SRMainController::readingAlternatives(const String& value) const
{
    const ValueReading* read = lastReading(value);
    return read ? read->alternatives : std::vector<String>{};
}

std::optional<Confidence> SRMainController::readingConfidence(const PairEntry& entry) const
{
    const ValueReading* read = lastReading(entry.originalStr);
    if (!read || !read->reading)
        return std::nullopt;
    return entry.sortStr == *read->reading ? read->confidence : Confidence::Sure;
}

std::size_t SRMainController::readingsToCheck() const
{
    std::size_t n = 0;
    if (dataArray_ && !readings_.empty())
        dataArray_->forEach([&](const PairEntryRef& e) { n += readingConfidence(*e) == Confidence::Check; });
    return n;
}

const ValueReading* SRMainController::lastReading(const String& value) const
{
    const auto found = readings_.find(value);
    return found == readings_.end() ? nullptr : &found->second;
}

void SRMainController::noteTypedSort(const String& value) { typedSorts_.push_back(value); }

Status SRMainController::learnTypedReadings()
{
    const std::vector<String> typed = std::exchange(typedSorts_, {});
    if (!userReadings || !pairDict_)
        return {};
    bool added = false;
    for (const String& value : typed) {
        const auto found = pairDict_->find(value);
        if (found == pairDict_->end())
            continue;
        const String& sort = found->second->sortStr;
        // Kana typed for a value of Han characters is a Japanese reading; any
        // other text typed for a value last read in Chinese or Korean is that
        // language's reading (a person's own spelling: Jung-hyun).
        const ValueReading* last = lastReading(value);
        const bool otherLanguage = last && (last->language == Language::Chinese || last->language == Language::Korean);
        if (otherLanguage ? sort.empty() || sort == value : !containsHan(value) || !isKanaOnly(sort))
            continue;
        if (const String* known = userReadings->find(value); known && *known == sort)
            continue;
        userReadings->set(value, sort);
        added = true;
    }
    return added ? userReadings->save() : Status();
}

} // namespace yomi
