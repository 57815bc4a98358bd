#include "Bridge/Folder/FolderLibrary.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "Bridge/Bytes/Formats.h"
#include "Bridge/Tags/TrackValues.h"
#include "Bridge/Walk/FileList.h"
#include "Bridge/Walk/LibraryIndex.h"
#include "Bridge/Walk/ParseAhead.h"
#include "Bridge/Write/TagWriter.h"
#include "Platform/Log.h"
#include "Platform/Paths.h"
#include "Storage/FileCommit.h"

namespace yomi::bridge::folder {
namespace {

// The undo log the application's tracks record their writes in; shared by
// the application and every walk it hands out.
using UndoSlot = std::shared_ptr<storage::UndoLog*>;

// The unreadable files a library has named in the log, with the reason it
// gave: the walks of one library (a scan and the write-back after it) name
// each such file once, and again only when its reason changes.
class NamedUnreadable {
public:
    // True when `path` is to be named with `why`: not named yet, or named
    // with another reason.
    bool name(const std::string& path, const std::string& why)
    {
        std::lock_guard lock(mutex_);
        auto [it, fresh] = named_.try_emplace(path, why);
        if (fresh || it->second != why) {
            it->second = why;
            return true;
        }
        return false;
    }
    // The file read again: it is named the next time it cannot be.
    void forget(const std::string& path)
    {
        std::lock_guard lock(mutex_);
        named_.erase(path);
    }

private:
    std::mutex mutex_;
    std::unordered_map<std::string, std::string> named_;
};

// What the tracks of one walk share; held also by the writes of a group
// that the walk's tracks queued.
struct Walk : std::enable_shared_from_this<Walk> {
    explicit Walk(std::string r) : root(std::move(r)) {}
    const std::string root; // with a trailing '/'
    std::unique_ptr<LibraryIndex> index;
    bool indexClosed = false; // the walk's index transaction is over
    UndoSlot undo;
    std::shared_ptr<NamedUnreadable> named;
    // Counts the writes made through the walk's tracks: values read before
    // a write are checked against the file before they are handed out.
    std::atomic<std::uint64_t> writes{0};
};

// A write of a walk's track on its way to the file.
struct PendingWrite {
    std::shared_ptr<Walk> walk;
    std::string relative;
    TrackValues written; // the track's values with the new one
    std::optional<PreparedWrite> prepared;
    Status refused;               // why there is nothing prepared
    std::optional<Status> result; // once committed or refused
};

// After the commit: the walk's later reads check their file again, and the
// index gets the row of the written file as the write check found it. It
// answers for the file only after a later read confirms it. Once the walk's
// index is closed, the row stays as it was, and the next walk parses the
// file.
void settle(PendingWrite& w, Status result)
{
    Walk& walk = *w.walk;
    walk.writes.fetch_add(1);
    if (result.ok() && walk.index && !walk.indexClosed) {
        const std::string path = walk.root + w.relative;
        if (const auto now = statFile(path)) {
            w.written.identity = *now;
            walk.index->store(w.relative, w.written, nowNanoseconds());
        } else {
            walk.index->drop(w.relative);
        }
    }
    w.result = std::move(result);
}

class FolderTrack final : public Track {
public:
    void reset(Walk* walk, std::string relative, TrackValues values)
    {
        walk_ = walk;
        relative_ = std::move(relative);
        format_ = formatForName(relative_).value_or(Format::Mpeg);
        values_ = std::move(values);
        stale_ = false;
        reported_ = false;
    }

    Value valueForKey(std::string_view key) override
    {
        const auto property = propertyForKey(key);
        if (!property)
            return {};
        const TrackValues& v = values();
        if (!v.readable)
            return {};
        if (*property == Property::Podcast)
            return Value(v.podcast);
        if (*property == Property::VideoKind)
            return Value(v.videoKind);
        // A tag the file does not hold reads as the empty string, as an unset
        // field does in any music library: only an unreadable file has
        // absent values.
        const OptString& text = v.texts[static_cast<int>(*property)];
        if (!text) {
            // An older tagger's spelling stands in for the missing one.
            for (const String& legacy : v.legacy[static_cast<int>(*property)])
                if (!legacy.empty())
                    return Value(legacy);
            return Value(String());
        }
        return Value(*text);
    }

    Spellings otherSpellings(std::string_view sortKey) override
    {
        const auto property = propertyForKey(sortKey);
        if (!property || !isTextProperty(*property))
            return {};
        const TrackValues& v = values();
        if (!v.readable)
            return {};
        const int i = static_cast<int>(*property);
        Spellings out{v.legacy[i], false};
        out.onlyThere = !v.texts[i] &&
            std::any_of(out.values.begin(), out.values.end(), [](const String& s) { return !s.empty(); });
        return out;
    }

    OptString name() override
    {
        const TrackValues& v = values();
        if (const OptString& title = v.texts[static_cast<int>(Property::Title)]; v.readable && title && !title->empty())
            return *title;
        return toUtf16(relative_);
    }

    Status setValue(const String& value, std::string_view key) override
    {
        PendingWrite w = beginWrite(value, key);
        if (!w.prepared)
            return w.refused;
        settle(w, commitWrites(std::span(&*w.prepared, 1), walk_->undo ? *walk_->undo : nullptr).front());
        return *w.result;
    }

    // setValue up to the commit: the file read, edited and proven.
    PendingWrite beginWrite(const String& value, std::string_view key)
    {
        PendingWrite w;
        w.walk = walk_->shared_from_this();
        w.relative = relative_;
        const auto property = propertyForKey(key);
        if (!property || !isTextProperty(*property)) {
            w.refused = Failure{"cannot write the property " + std::string(key)};
            return w;
        }
        const TrackValues& v = values();
        if (!v.identity) {
            w.refused = Failure{"cannot open the file: " + v.openError};
            return w;
        }
        w.written = v;
        w.written.texts[static_cast<int>(*property)] = value;
        // Every older spelling the file has is brought to the value as well.
        if (auto& legacy = w.written.legacy[static_cast<int>(*property)]; !legacy.empty())
            legacy = {value};
        // The values describe the file as it was; the next read parses anew.
        stale_ = true;
        // Whatever TagLib throws while it parses or renders (bad_alloc on a
        // size it trusted) fails this write alone.
        try {
            Result<PreparedWrite> prepared =
                prepareWrite(walk_->root + relative_, *w.written.identity, format_, *property, value, key);
            if (prepared)
                w.prepared = std::move(*prepared);
            else
                w.refused = Failure{prepared.reason()};
        } catch (const std::exception& e) {
            w.refused = Failure{std::string("the write failed: ") + e.what()};
        } catch (...) {
            w.refused = Failure{"the write failed"};
        }
        walk_->writes.fetch_add(1);
        return w;
    }

    // The version of the file the track's values were read from.
    std::optional<fileio::FileIdentity> fileIdentity() { return values().identity; }
    // Makes the next read parse the file anew.
    void forget() { stale_ = true; }

    std::string location() override { return walk_->root + relative_; }

    void endVisit() override
    {
        values_ = TrackValues();
        stale_ = true;
    }

private:
    const TrackValues& values()
    {
        if (stale_) {
            values_ = readTrack(walk_->root + relative_, format_);
            stale_ = false;
            reported_ = false;
        }
        if (!reported_) {
            reported_ = true;
            const std::string path = walk_->root + relative_;
            const std::string why = values_.openError.empty() ? "not an audio file that parses" : values_.openError;
            if (values_.readable)
                walk_->named->forget(path);
            else if (walk_->named->name(path, why))
                log::write(log::escapeControls("cannot read " + path + ": " + why), log::Priority::Warning);
        }
        return values_;
    }

    Walk* walk_ = nullptr;
    std::string relative_;
    Format format_ = Format::Mpeg;
    TrackValues values_;
    bool stale_ = true;
    bool reported_ = false; // an unreadable file was named (or found named) in this visit
};

class FolderSequence final : public TrackSequence {
public:
    FolderSequence(std::string root, FileList files, std::unique_ptr<LibraryIndex> index, UndoSlot undo,
                   std::shared_ptr<NamedUnreadable> named)
        : walk_(std::make_shared<Walk>(std::move(root))),
          files_(std::move(files)),
          ahead_(walk_->root, files_, index.get(), parseThreadCount(), kReadAhead, &walk_->writes)
    {
        walk_->index = std::move(index);
        walk_->undo = std::move(undo);
        walk_->named = std::move(named);
    }

    ~FolderSequence() override { finish(false); }

    std::size_t nextBatch(std::span<Track*> out) override
    {
        for (std::size_t i = 0; i < handedOut_; ++i)
            slots_[i].endVisit();
        const std::size_t count = std::min({out.size(), slots_.size(), files_.size() - next_});
        std::array<ParseAhead::Read, kBatchSize> reads;
        ahead_.take(next_, std::span(reads.data(), count));
        for (std::size_t i = 0; i < count; ++i) {
            ParseAhead::Read& read = reads[i];
            std::string relative = files_.path(next_ + i);
            if (read.stamp != walk_->writes.load()) {
                // A write of this walk came after the read: the file may be
                // one that was written (a link to it, say).
                const std::string path = walk_->root + relative;
                const auto now = statFile(path);
                const TrackValues& v = read.values;
                if (!now || !v.identity || *v.identity != *now)
                    read.values = readTrack(path, formatForName(relative).value_or(Format::Mpeg));
            }
            slots_[i].reset(walk_.get(), std::move(relative), std::move(read.values));
            out[i] = &slots_[i];
        }
        next_ += count;
        handedOut_ = count;
        if (count == 0)
            finish(true);
        return count;
    }

    std::optional<std::size_t> count() const override { return files_.size(); }

private:
    // Four batches of reads ahead.
    static constexpr std::size_t kReadAhead = 4 * kBatchSize;

    void finish(bool complete)
    {
        if (finished_)
            return;
        finished_ = true;
        ahead_.stop();
        if (walk_->index) {
            const Status finished = walk_->index->finishWalk(complete);
            walk_->indexClosed = true;
            if (!finished)
                log::write(log::escapeControls(finished.reason()));
        }
    }

    std::shared_ptr<Walk> walk_;
    FileList files_;
    ParseAhead ahead_;
    std::size_t next_ = 0;
    std::size_t handedOut_ = 0;
    bool finished_ = false;
    std::array<FolderTrack, kBatchSize> slots_;
};

class FolderPlaylist final : public Playlist {
public:
    FolderPlaylist(std::filesystem::path root, UndoSlot undo, std::shared_ptr<NamedUnreadable> named)
        : root_(std::move(root)), undo_(std::move(undo)), named_(std::move(named))
    {
    }
    const std::filesystem::path& root() const { return root_; }

    std::unique_ptr<TrackSequence> tracks() override
    {
        Result<FileList> files = listAudioFiles(root_);
        std::unique_ptr<LibraryIndex> index;
        if (!files) {
            log::write(
                log::escapeControls("cannot read the music library folder " + root_.string() + ": " + files.reason()),
                log::Priority::Warning);
            return std::make_unique<FolderSequence>(rootPrefix(root_), FileList(), nullptr, undo_, named_);
        }
        if (Result<std::unique_ptr<LibraryIndex>> opened = LibraryIndex::openForWalk(root_)) {
            index = std::move(*opened);
            if (!index->openingNote().empty())
                log::write(log::escapeControls(index->openingNote()), log::Priority::Warning);
        } else {
            // Said once per process, not at every walk.
            static std::atomic<bool> toldNoIndex{false};
            if (!toldNoIndex.exchange(true))
                log::write(log::escapeControls(opened.reason()), log::Priority::Warning);
        }
        return std::make_unique<FolderSequence>(rootPrefix(root_), std::move(*files), std::move(index), undo_, named_);
    }

private:
    std::filesystem::path root_;
    UndoSlot undo_;
    std::shared_ptr<NamedUnreadable> named_;
};

class FolderSource final : public Source {
public:
    FolderSource(std::filesystem::path root, UndoSlot undo, std::shared_ptr<NamedUnreadable> named)
        : playlist_(std::make_shared<FolderPlaylist>(std::move(root), std::move(undo), std::move(named)))
    {
    }
    std::vector<std::shared_ptr<Playlist>> playlists() override { return {playlist_}; }

private:
    std::shared_ptr<Playlist> playlist_;
};

// Writes queued by a Save, committed together (see commitWrites): at most
// kGroupSize (YOMI_COMMIT_GROUP=N to choose) or what came within kGroupTime.
class FolderWriteGroup final : public WriteGroup {
public:
    explicit FolderWriteGroup(UndoSlot undo) : undo_(std::move(undo)), limit_(groupSize()) {}

    void add(Track& track, const String& value, std::string_view key) override
    {
        auto* folderTrack = dynamic_cast<FolderTrack*>(&track);
        if (!folderTrack) {
            PendingWrite& w = queued_.emplace_back();
            w.result = track.setValue(value, key);
            return;
        }
        // A second link to a file the group already writes: the group goes
        // first, and the track reads the file as it then is.
        if (const auto id = folderTrack->fileIdentity(); id && writesFile(*id)) {
            commitQueued();
            folderTrack->forget();
        }
        if (queued_.empty())
            started_ = std::chrono::steady_clock::now();
        queued_.push_back(folderTrack->beginWrite(value, key));
    }

    std::size_t size() const override { return queued_.size(); }

    bool due() const override
    {
        return queued_.size() >= limit_ ||
            (!queued_.empty() && std::chrono::steady_clock::now() - started_ >= kGroupTime);
    }

    std::vector<Status> commit() override
    {
        commitQueued();
        std::vector<Status> results;
        results.reserve(queued_.size());
        for (PendingWrite& w : queued_)
            results.push_back(std::move(*w.result));
        queued_.clear();
        return results;
    }

private:
    static constexpr std::size_t kGroupSize = 64;
    static constexpr std::chrono::milliseconds kGroupTime{250};

    static std::size_t groupSize()
    {
        if (const char* text = std::getenv("YOMI_COMMIT_GROUP")) {
            char* end = nullptr;
            const unsigned long n = std::strtoul(text, &end, 10);
            if (end != text && *end == '\0' && n >= 1 && n <= 4096)
                return n;
        }
        return kGroupSize;
    }

    bool writesFile(const fileio::FileIdentity& id) const
    {
        return std::any_of(queued_.begin(), queued_.end(), [&](const PendingWrite& w) {
            return !w.result && w.prepared && w.prepared->opened.device == id.device &&
                w.prepared->opened.inode == id.inode;
        });
    }

    void commitQueued()
    {
        std::vector<PendingWrite*> committing;
        std::vector<PreparedWrite> writes;
        for (PendingWrite& w : queued_) {
            if (w.result)
                continue;
            if (!w.prepared) {
                w.result = w.refused;
                continue;
            }
            committing.push_back(&w);
            writes.push_back(std::move(*w.prepared));
            w.prepared.reset();
        }
        if (committing.empty())
            return;
        std::vector<Status> results = commitWrites(writes, *undo_);
        for (std::size_t i = 0; i < committing.size(); ++i)
            settle(*committing[i], std::move(results[i]));
    }

    UndoSlot undo_;
    std::size_t limit_;
    std::vector<PendingWrite> queued_;
    std::chrono::steady_clock::time_point started_;
};

class FolderApplication final : public Application, public SortValueSource {
public:
    FolderApplication(std::filesystem::path root, std::shared_ptr<NamedUnreadable> named)
        : root_(root),
          undo_(std::make_shared<storage::UndoLog*>(nullptr)),
          source_(std::make_shared<FolderSource>(std::move(root), undo_, std::move(named)))
    {
    }
    std::vector<std::shared_ptr<Source>> sources() override { return {source_}; }
    std::vector<KnownSortValue> sortValuesFor(const String& value) override
    {
        return LibraryIndex::sortValuesFor(root_, value);
    }
    void setUndoLog(storage::UndoLog* log) override { *undo_ = log; }
    std::unique_ptr<WriteGroup> writeGroup() override { return std::make_unique<FolderWriteGroup>(undo_); }
    storage::RevertOutcome revertChange(const storage::Change& change, storage::UndoLog& log) override
    {
        return storage::revertFileChange(change, log);
    }
    std::string folder() const override
    {
        std::error_code ec;
        std::string path = std::filesystem::absolute(root_, ec).lexically_normal().string();
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        return path;
    }

private:
    std::filesystem::path root_;
    UndoSlot undo_;
    std::shared_ptr<Source> source_;
};

} // namespace

std::filesystem::path libraryRoot(const std::optional<std::filesystem::path>& fromCommandLine)
{
    if (fromCommandLine && !fromCommandLine->empty())
        return *fromCommandLine;
    const std::filesystem::path config = paths::configHome();
    const Result<std::string> userDirs =
        config.empty() ? Result<std::string>(Failure{}) : fileio::readWholeFile(config / "user-dirs.dirs");
    return paths::musicFolder(userDirs ? *userDirs : std::string());
}

namespace {

std::shared_ptr<Application> open(const std::filesystem::path& root, std::shared_ptr<NamedUnreadable> named)
{
    fileio::recoverAfterCrash(root);
    return std::make_shared<FolderApplication>(root, std::move(named));
}

} // namespace

std::shared_ptr<Application> openFolderLibrary(const std::filesystem::path& root)
{
    return open(root, std::make_shared<NamedUnreadable>());
}

ApplicationFactory registerFolderLibrary(const std::filesystem::path& root)
{
    // The libraries opened by one registration name an unreadable file once.
    return registerApplication(kMusicApplicationIdentifier,
                               [root, named = std::make_shared<NamedUnreadable>()] { return open(root, named); });
}

} // namespace yomi::bridge::folder
