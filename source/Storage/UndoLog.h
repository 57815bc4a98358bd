// The undo log of Saves: what each Save changed, so that it can be taken back.
//
// One file per Save under $XDG_STATE_HOME/yomi/undo (default
// ~/.local/state/yomi/undo), named "save-NNNNNNNN.undo" with a rising number
// that is the Save's id. The file is made, with its header record, and synced
// (with its folder) before the first change of the Save is recorded; each
// change is recorded and synced before the library is touched, and marked
// committed once it is in. A Save cut short by a crash therefore leaves a log
// of every change it may have made. Only the last kKeptSaves logs are kept:
// making a new one removes the oldest.
//
// Records are framed as RecordFrame.h says, with the magic "YUN1". A group of
// changes may be recorded without a sync each and synced at once, before any
// of them is made.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Result.h"
#include "Platform/Text.h"
#include "Storage/FileIdentity.h"

namespace yomi::storage {

inline constexpr std::size_t kKeptSaves = 20;

// The bytes one write changed: the new content is the old one with the
// oldLength bytes at `offset` replaced by newLength others. Each side's bytes
// are kept as a delta against the other side's (copies of its ranges and
// literal bytes), so that a tag rewritten around a large unchanged item (cover
// art) costs the bytes that differ, not the whole tag twice. The sizes and
// CRC-32s of both whole contents let a revert prove it has the written bytes
// before it restores the old ones.
struct ByteEdit {
    std::uint64_t offset = 0;
    std::uint64_t oldLength = 0;
    std::uint64_t newLength = 0;
    std::string oldDelta; // the old bytes, from the new ones
    std::string newDelta; // the new bytes, from the old ones
    std::uint64_t oldSize = 0;
    std::uint64_t newSize = 0;
    std::uint32_t oldCrc = 0;
    std::uint32_t newCrc = 0;

    // The smallest edit that turns `before` into `after` (the bytes between
    // their common start and their common end).
    static ByteEdit between(std::string_view before, std::string_view after);
    // The content before the edit, when `current` is exactly the content the
    // edit made; nullopt otherwise.
    std::optional<std::string> undo(std::string_view current) const;
    // Whether `current` is exactly the content before the edit.
    bool isOld(std::string_view current) const;
    // The edit that takes this one back.
    ByteEdit inverse() const;
};

// A delta that rebuilds `target` from `source`: copies of ranges of `source`
// where long runs match (found with a rolling hash of 32-byte blocks), the
// rest as literal bytes.
std::string encodeDelta(std::string_view target, std::string_view source);
// The bytes a delta rebuilds from `source`; nullopt when the delta is damaged,
// reads outside `source` or does not give exactly `length` bytes.
std::optional<std::string> applyDelta(std::string_view delta, std::string_view source, std::uint64_t length);

// One recorded change of one track.
struct Change {
    std::string path;                          // the file (absolute), or the track's id in a library that has no files
    std::string key;                           // the property, e.g. "sortArtist"
    OptString oldValue;                        // nullopt: the track did not carry the property
    OptString newValue;                        // nullopt: the change removed the property
    std::optional<ByteEdit> edit;              // for a file: the bytes the change made
    std::optional<fileio::FileIdentity> after; // the file as the change left it, set once the change is in the library;
                                               // absent also for a library without files
    bool committed = false;
};

enum class LogKind { Save, Revert };

// A Save as its log tells it.
struct SaveRecord {
    std::uint64_t id = 0;
    LogKind kind = LogKind::Save;
    std::uint64_t reverts = 0;   // for a revert: the id of the Save it takes back
    std::string label;           // what was saved, e.g. the sort key
    std::string library;         // the library's folder; empty for one without, and in older logs
    std::int64_t started = 0;    // seconds since the epoch
    bool complete = false;       // ended normally (no crash part way)
    std::vector<Change> changes; // in the order they were recorded
};

// The folder of the logs, from the environment at the time of the call; empty
// when neither XDG_STATE_HOME nor a home folder is known.
std::filesystem::path undoFolder();

// The ids of the kept logs, oldest first.
std::vector<std::uint64_t> listSaves();

// Reads one log; fails, with the reason, when there is no such log or it
// cannot be read. A log torn by a crash reads up to its last good record.
Result<SaveRecord> readSave(std::uint64_t id);

// The Save that "revert the last Save" takes back: the newest log's, except
// that a revert cut short by a crash is completed by taking back its Save
// again. Given a library folder, only the logs of that library count: those
// that name it, and the older ones that name none but whose files all lie
// under it. nullopt when there is no such log.
std::optional<std::uint64_t> saveToRevert(const std::string& library = {});

// Where Edit > Revert Last Save and Redo stand in a library's logs. A Save is
// a step done; a revert of a step done is a step undone, a revert of a step
// undone is a step done again (a redo). A step taken back by a later log that
// is itself in effect no longer counts. `undo` is the newest step done still
// in effect (or the Save of a revert cut short by a crash, to complete it);
// `redo` the newest step undone above the newest Save still in effect (so a
// new Save ends the redos). Each with the number of changes its log holds.
struct RevertSteps {
    std::optional<std::uint64_t> undo;
    std::size_t undoChanges = 0;
    std::optional<std::uint64_t> redo;
    std::size_t redoChanges = 0;
};
RevertSteps revertSteps(const std::string& library = {});

// The log of one Save being made. Nothing is written until the first change is
// recorded, so that a Save that changes nothing leaves no log. One writer, on
// one thread.
class UndoLog {
public:
    // `library` is the folder of the library the changes are made in (empty
    // for a library without one).
    UndoLog(LogKind kind, std::string label, std::uint64_t reverts = 0, std::string library = {});
    ~UndoLog();
    UndoLog(const UndoLog&) = delete;
    UndoLog& operator=(const UndoLog&) = delete;

    // Records a change about to be made (without `after`), synced before it
    // returns unless `sync` is false; makes the log on first use. Returns the
    // change's handle for markCommitted; a failure, with the reason, in which
    // case the change must not be made.
    Result<std::size_t> record(const Change& change, bool sync = true);
    // Syncs the changes recorded without a sync; none of them may be made
    // before it succeeds. A failure breaks the log.
    Status sync();
    // Marks a recorded change as in the library, with the stamp of its file
    // (none for a library without files). Synced with the next record or by
    // finish().
    Status markCommitted(std::size_t handle, const std::optional<fileio::FileIdentity>& after);
    // Writes the end record and closes the log. Further calls do nothing.
    void finish();

    // The id of the log; 0 while nothing has been recorded.
    std::uint64_t id() const { return id_; }
    std::size_t recorded() const { return recorded_; }

private:
    Status open();
    Status append(const std::string& frame, bool sync);

    LogKind kind_;
    std::string label_;
    std::uint64_t reverts_;
    std::string library_;
    int fd_ = -1;
    std::uint64_t id_ = 0;
    std::size_t recorded_ = 0;
    bool broken_ = false;
    bool finished_ = false;
};

// What taking back one change did, when the revert did not fail.
struct RevertedChange {
    enum class State {
        Reverted,  // the old value (and, for a file, the old bytes) put back
        NotMade,   // the change had not been made, or was taken back already
        LeftAlone, // the track or file changed since, or is gone: untouched
    };
    State state = State::Reverted;
    std::string reason; // for NotMade and LeftAlone: why

    static RevertedChange reverted() { return {}; }
    static RevertedChange notMade(std::string why) { return {State::NotMade, std::move(why)}; }
    static RevertedChange leftAlone(std::string why) { return {State::LeftAlone, std::move(why)}; }
};

// The outcome of taking back one change: what it did, or, when the revert
// was tried and did not succeed, why.
using RevertOutcome = Result<RevertedChange>;

// Takes back one change of a file: when the file's whole content is exactly
// the content the change made (its size, CRC-32 and edited bytes), the old
// bytes are put back through fileio::commitFile, and the inverse change is
// recorded in `log` first. The content decides, not the stamp: a file
// rewritten since with those very bytes (a later Save taken back, an
// interrupted commit rolled back) is taken back too. A file whose content is
// the one before the change gives NotMade; any other file is left alone, with
// "the file changed since" when its stamp differs from the recorded one.
RevertOutcome revertFileChange(const Change& change, UndoLog& log);

} // namespace yomi::storage
