// The editor controller of the main window: which field is edited, the list of
// pair entries and its index, the library scan, the write-back and the edits
// of selected rows.
//
// Every operation runs to completion before it returns. The walks of Load and
// Save run on the caller's thread too, unless the eventLoop outlet is set:
// then on a thread of their own, while the caller's thread serves its events
// and makes the changes of the list and the calls of the outlets (see
// WalkFeed). The outlets are plain references that the window sets; the
// controller never owns them, and a null outlet makes every call on it do
// nothing.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "Bridge/Fields.h"
#include "Category/Reader.h"
#include "Category/StringUtility.h"
#include "Controller/PairList.h"
#include "Controller/ValueContexts.h"
#include "Controller/WalkFeed.h"
#include "Platform/Outlets.h"
#include "Storage/UndoLog.h"

namespace yomi {

namespace detail {
struct Tally;
struct FailedValue;
} // namespace detail

namespace bridge {
class Application;
class Track;
} // namespace bridge

// A change as the log and `yomi-cli` show it: "name:value->sort", or
// "name [where]:value->sort" with a location; an absent text reads "(null)"
// and control characters are escaped.
std::string changeLine(const OptString& name, const OptString& value, const OptString& sort,
                       std::string_view where = {});

// The script that starts the log viewer at the start of every write-back.
inline constexpr std::u16string_view kConsoleLaunchScript = u"tell application \"Console\"\nlaunch\nend tell";

// A change of dataArray as its observers see it.
struct ListChange {
    enum class Kind {
        Reset,  // the whole property was written (also with the list it held)
        Insert, // one entry appended at `row`
        Remove, // the entry at `row` removed
    };
    Kind kind = Kind::Reset;
    std::size_t row = 0;
};

// Observers of the two properties. willChange comes before the change is
// made, didChange right after; for pairDict only whole writes happen.
class PropertyObserver {
public:
    virtual ~PropertyObserver() = default;
    virtual void willChange(std::string_view key, const ListChange& change)
    {
        (void)key;
        (void)change;
    }
    virtual void didChange(std::string_view key, const ListChange& change) = 0;
};

inline constexpr std::string_view kDataArrayKey = "dataArray";
inline constexpr std::string_view kPairDictKey = "pairDict";

// What the last scan saw: tracks visited, and tracks that could not be read
// (their value was absent).
struct LoadReport {
    std::size_t tracks = 0;
    std::size_t unreadable = 0;
    std::vector<std::string> unreadableFiles; // where the unreadable tracks are, as far as known
    bool cancelled = false;                   // stopped by cancelLoad: the list is the one from before
};

// What the last edit of the selected rows did: rows selected, rows whose sort
// value changed, and rows left alone because they had a sort value already
// (editOnlyEmpty).
struct EditReport {
    std::size_t selected = 0;
    std::size_t changed = 0;
    std::size_t keptNonEmpty = 0;
};

// What the last write-back did: tracks written, tracks whose write failed,
// and tracks that could not be read; the id of its undo log (0 when it wrote
// nothing).
struct SaveReport {
    std::size_t written = 0;
    std::size_t failed = 0;
    std::size_t unreadable = 0;
    std::uint64_t undoId = 0;
};

// What a Save of the list as it stands would write: tracks, and values with at
// least one track to write (from the counts of the scan; no library read).
struct SavePreview {
    std::size_t tracks = 0;
    std::size_t values = 0;

    // "Save will write 1,284 tracks for 37 values".
    std::string text() const;
};

// What the last revert did, change by change of the Save it took back.
struct RevertReport {
    bool found = false;                 // a Save to take back was found
    std::string error;                  // why not, when it was not
    std::uint64_t saveId = 0;           // the Save taken back
    std::uint64_t undoId = 0;           // the revert's own undo log (0: it changed nothing)
    std::size_t reverted = 0;           // changes taken back
    std::size_t notMade = 0;            // changes not in the library (never made, or taken back already)
    std::size_t failed = 0;             // reverts tried that failed
    std::vector<std::string> leftAlone; // "path: reason" of each track changed since, or gone

    // One line for a status bar: "Reverted Save 12: 40 tracks; 2 changed
    // since, left alone; 1 failed".
    std::string text() const;
};

// How far a library walk of Load or Save has got: the tracks visited so far,
// and how many the walk visits in all (absent when the library cannot tell).
struct WalkProgress {
    std::size_t done = 0;
    std::optional<std::size_t> total;
};

class SRMainController {
public:
    SRMainController() = default;
    SRMainController(const SRMainController&) = delete;
    SRMainController& operator=(const SRMainController&) = delete;

    // Outlets, set by whoever builds the window.
    Window* window = nullptr;
    ProgressIndicator* progressIndicator = nullptr;
    Button* loadButton = nullptr;
    Button* saveButton = nullptr;
    ArrayController* arrayController = nullptr;

    // The readings of the Reading command (null: the command does nothing),
    // with its engines, styles and how many alternatives each reading keeps;
    // and the user's own readings (may be null), which the command reads
    // with instead of the reader's and which learnTypedReadings fills.
    Reader* reader = nullptr;
    UserReadings* userReadings = nullptr;
    // Readings less sure than this are not set (the command line's
    // --min-confidence); they are listed in lastHeldReadings.
    Confidence readingFloor = Confidence::Check;
    // Told the progress of the walk of Load and Save: once when it starts
    // (done 0), every 200 tracks (in Load, just before the redraw made at
    // that point; Save makes no redraws of its own there), and once when it
    // is over. Empty: nobody is told. It must not change the list.
    std::function<void(const WalkProgress&)> progress;
    // Set (by the progress callback, say) to stop a Load: the walk ends at the
    // next track, and the list, the index and the readings are again those
    // from before the Load. Load clears it when it starts. With an event
    // loop, a Cancel set at any time before the Load returns counts.
    std::atomic<bool> cancelLoad = false;
    // The event loop of the window. Set, the walks of Load and Save run on a
    // thread of their own while it serves its events; the caller's thread
    // gets the list's changes and the progress in slices between them, in
    // the order of the walk, and makes no redraws of its own within a walk
    // (the event loop draws the window). The list and its entries must not
    // be changed from the event loop meanwhile (the entries are read by a
    // Save's walk).
    EventLoop* eventLoop = nullptr;

    // The list shown in the window. The writer stores the very list it is
    // given (null allowed) and notifies the observers, also when the list is
    // the one already held.
    const std::shared_ptr<PairList>& dataArray() const { return dataArray_; }
    void setDataArray(std::shared_ptr<PairList> list);

    // The index of the list by field value.
    const std::shared_ptr<PairDict>& pairDict() const { return pairDict_; }
    void setPairDict(std::shared_ptr<PairDict> dict);

    // The observable list: appends and removals on dataArray that reach the
    // observers one by one, as they are made.
    void addObjectToDataArray(PairEntryRef entry);
    void removeObjectFromDataArray(const PairEntry* entry);

    void addObserver(PropertyObserver* observer);
    void removeObserver(PropertyObserver* observer);

    // The chosen field. The window reads it; setKeyTag is its only writer: the
    // same tag changes nothing, another one empties list and index first.
    std::int32_t keyTag() const { return keyTag_; }
    void setKeyTag(std::int32_t tag);

    // Several fields edited as one (the person fields: artist, album artist,
    // composer): Load lists each value once, whichever of them holds it, with
    // the counts of all; Save writes each listed sort value into every one of
    // them, one walk a field, as one Save with one undo log and a log line
    // per track and field. Tags outside the field table and repeats are
    // dropped; fewer than two fields leave the one field keyTag names (the
    // first tag given). A change empties list and index first, as
    // setKeyTag does, which leaves this mode.
    void setFieldTags(std::vector<std::int32_t> tags);
    const std::vector<std::int32_t>& fieldTags() const { return fieldTags_; }
    // The fields Load and Save work on: those of setFieldTags, else keyTag's.
    std::vector<FieldKeys> fields() const;

    void awakeFromNib() {}

    // Actions; the sender is never read.
    void load(const void* sender);
    void save(const void* sender);
    void copyOriginalToSort(const void* sender);
    void copyOriginalToPinYin(const void* sender);
    // Sets each selected row's sort value to the value's reading, in the
    // language the reader decides (or `language`, when given, for every
    // selected row). A value with no reading keeps its sort value and is
    // listed in lastRefusedReadings, one read less surely than readingFloor
    // in lastHeldReadings; the others' readings (alternatives, language,
    // confidence) are kept for the editor. The sort values the library
    // already holds for a value come first (librarySortValues). The language
    // is decided with what the last scan saw around each value (the texts
    // of the tracks of its album folders), which a scan gathers when a
    // reader is set. Does nothing without an available reader.
    void copyOriginalToReading(const void* sender);
    // Empties each selected row's sort value as a removal: Save then writes
    // the empty value into the value's tracks that have one, through the
    // same proven, undoable write as any other sort value.
    void removeSortValue(const void* sender);
    void copyOriginalToReadingAs(std::optional<Language> language);

    bool readingAvailable() const { return reader && reader->available(); }
    const std::vector<String>& lastRefusedReadings() const { return refusedReadings_; }
    // The values whose reading was less sure than readingFloor and not set.
    const std::vector<String>& lastHeldReadings() const { return heldReadings_; }
    // The sort values the library already holds for a value, readings the
    // reader takes first: those of the list's own tracks (most tracks
    // first), then those the library knows in its other fields.
    std::vector<String> librarySortValues(const String& value) const;
    // The alternatives of the last reading given to a value; empty when none.
    std::vector<String> readingAlternatives(const String& value) const;
    // The last reading given to a value (or refused it), with its language,
    // confidence and reason; null when the value was not read since the last
    // Load or field change.
    const ValueReading* lastReading(const String& value) const;
    // How far the sort value a row shows can be trusted: the confidence of
    // the last reading given to its value while the row still shows that
    // reading; Sure once the user chose or typed another; nullopt when the
    // value was not read, or got no reading.
    std::optional<Confidence> readingConfidence(const PairEntry& entry) const;
    // The rows of the list whose reading still needs a look (Check).
    std::size_t readingsToCheck() const;

    // Remembers that the user typed `sort` for `value` by hand; on
    // learnTypedReadings, a kana sort value still listed for a value with Han
    // characters goes into the user's readings.
    void noteTypedSort(const String& value);
    // Adds the remembered readings to userReadings and writes its file;
    // fails, with the reason, when the file cannot be written.
    Status learnTypedReadings();
    // Takes back the last Save (see storage::saveToRevert), then loads the
    // list again when one is shown, so that it shows the values restored.
    void revertLastSave(const void* sender);
    // Takes back the newest revert still in effect (RevertSteps::redo), so
    // that what it took back is written again; loads the list again like
    // revertLastSave.
    void redoLastRevert(const void* sender);
    // Where Revert Last Save and Redo stand in the logs of the music
    // application's library.
    storage::RevertSteps revertSteps() const;

    // The scan and the write-back for one row of the field table.
    void loadDataFKey(std::string_view valueKey, std::string_view sortKey);
    void saveDataForKey(std::string_view valueKey, std::string_view sortKey);

    const LoadReport& lastLoadReport() const { return lastLoad_; }
    const SaveReport& lastSaveReport() const { return lastSave_; }
    const EditReport& lastEditReport() const { return lastEdit_; }

    // When set, the edits of selected rows (Copy to Sort, Romaji, Reading)
    // leave every row that has a sort value already as it is.
    bool editOnlyEmpty = false;
    // Whether a row holds an edit that no Save has written yet.
    bool hasUnsavedEdits() const;

    // When set, the write-back leaves every track whose own sort value is not
    // empty as it is: it only fills in empty ones.
    bool fillOnlyEmpty = false;

    // Takes back one Save (0: the last one of the music application's library,
    // see storage::saveToRevert) through the music application:
    // every change of its log, newest first, is put back where the track still
    // holds what the Save wrote, and left alone (and listed) where it does
    // not. Logged like a Save, change lines and failure lines; the revert has
    // its own undo log, so it can be taken back in turn.
    void revertSave(std::uint64_t id);
    const RevertReport& lastRevertReport() const { return lastRevert_; }

    // What a Save would write now.
    SavePreview savePreview() const;

private:
    template <typename Edit>
    void editSelection(Edit&& edit);
    template <typename T>
    void replaceProperty(std::string_view key, std::shared_ptr<T>& field, std::shared_ptr<T> value);
    void notifyWill(std::string_view key, const ListChange& change);
    void notifyDid(std::string_view key, const ListChange& change);
    void busyOn();
    void busyOff();
    void redraw();
    void reportProgress(std::size_t done, const std::optional<std::size_t>& total);
    // Whether the list (a non-empty sort value), the user's readings or the
    // library knows a name whole.
    bool knowsName(std::u16string_view name) const;
    // A value of names joined by separators ("A & B") read part by part,
    // each part as its own row shows it (or, when this command reads that
    // row too, as it reads it) or as the reader reads it, joined by the
    // same separators; the library's sort value of the whole when it suits;
    // no reading when the value is not such a join, the user reads it
    // whole, or a part has no reading.
    ValueReading readJoined(Reader& withUser, const String& value, const ValueContext& context,
                            std::optional<Language> language);
    void loadFields(const std::vector<FieldKeys>& fields);
    void saveFields(const std::vector<FieldKeys>& fields);
    // One field's walk of a Save; `walks` is how many the Save makes.
    struct SaveWalk {
        std::shared_ptr<bridge::Application> app;
        std::unordered_map<String, detail::Tally>& tallies;
        std::size_t done;                 // tracks visited, over every walk
        std::optional<std::size_t> total; // tracks of every walk
        std::size_t walked;               // walks over
        // Values whose write failed in any walk: they stay pending.
        std::unordered_map<String, detail::FailedValue>& failed;
        std::shared_ptr<PairDict> dict; // the index as the Save began
        WalkFeed& feed;                 // the progress goes through it
        SaveReport& report;
    };
    void saveWalk(SaveWalk& walk, const FieldKeys& field, std::size_t walks);
    // What a Load's walk lists so far, by value, kept by the walk itself.
    struct Listed {
        PairEntryRef entry;
        bool emptySort = false;
    };
    // Lists a track's value with its sort value when the value is new, or
    // when it replaces an empty listed sort value: the walk notes it in
    // `listed` and posts the change of the list and the index to the feed.
    void listTrack(WalkFeed& feed, std::unordered_map<String, Listed>& listed, bridge::Track& track,
                   const String& value, String sort);
    // What a Load's walk saw, kept by the walk itself until it ends.
    struct LoadWalk {
        const std::vector<FieldKeys>& fields;
        WalkFeed& feed;
        LoadReport report;
        std::unordered_map<String, detail::Tally> tallies;
        ValueContexts contexts;
        std::unordered_map<String, Listed> listed;
        KanaOrAlphabetTest kanaOrAlphabet;
    };
    // One track of a Load: its value in each field, listed once whichever
    // field holds it, its sort value tallied.
    void loadTrack(LoadWalk& walk, bridge::Track& track);
    // The default button moves from Load to Save.
    void moveDefaultButtonToSave();

    std::shared_ptr<PairList> dataArray_;
    std::shared_ptr<PairDict> pairDict_;
    std::int32_t keyTag_ = 0;
    std::vector<std::int32_t> fieldTags_;
    std::vector<PropertyObserver*> observers_;
    LoadReport lastLoad_;
    SaveReport lastSave_;
    std::vector<String> refusedReadings_;
    std::vector<String> heldReadings_;
    std::unordered_map<String, ValueReading> readings_;
    // The values the reading command running now reads.
    std::unordered_set<String> beingRead_;
    // What the last scan saw around each listed value; gathered only when a
    // reader was set at the scan.
    ValueContexts contexts_;
    std::vector<String> typedSorts_;
    RevertReport lastRevert_;
    EditReport lastEdit_;
};

} // namespace yomi
