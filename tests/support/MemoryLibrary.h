// A music library held in memory: one application with one source and one
// playlist of tracks with any property values. Serves the tests and the
// benchmarks; the application has no use for it.
//
// Every property read and write is counted and recorded in order, so that a
// test can check which reads an operation makes, and a track can be told to
// fail its writes.
//
// With an undo log set, a write that changes a value is recorded under the
// track's index (its path in the log); a revert puts the old value back (or
// removes the property, when it was absent) when the track still holds the
// value written, and leaves it alone otherwise.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Bridge/MusicLibrary.h"

namespace yomi::bridge {

class MemoryLibrary;

class MemoryTrack final : public Track {
public:
    explicit MemoryTrack(MemoryLibrary* library, std::size_t index) : library_(library), index_(index) {}

    Value valueForKey(std::string_view key) override;
    OptString name() override;
    Status setValue(const String& value, std::string_view key) override;

    // Direct access, not counted.
    void set(std::string_view key, Value value);
    void erase(std::string_view key);
    Value get(std::string_view key) const;
    std::size_t index() const { return index_; }

    // Sort values the track holds under a sort key in older spellings; a
    // successful write of the key brings them to the value written (a revert
    // does not restore them).
    void setSpellings(std::string_view sortKey, std::vector<String> values);
    Spellings otherSpellings(std::string_view sortKey) override;

    // Makes every later write fail with the given reason ("" lets them succeed).
    void failWrites(std::string reason) { failReason_ = std::move(reason); }

private:
    friend class MemoryLibrary;
    MemoryLibrary* library_;
    std::size_t index_;
    std::map<std::string, Value, std::less<>> properties_;
    std::string failReason_;
    std::map<std::string, std::vector<String>, std::less<>> spellings_;
};

class MemoryLibrary final : public Application, public std::enable_shared_from_this<MemoryLibrary> {
public:
    // One access to a track, in the order made.
    struct Access {
        enum class Kind { Read, Name, Write };
        Kind kind;
        std::size_t track; // index of the track in the playlist as made
        std::string key;   // "name" for Kind::Name
        String value;      // the value written, for Kind::Write
    };

    static std::shared_ptr<MemoryLibrary> create();

    // Appends a track with the given property values; returns it.
    MemoryTrack& addTrack(std::map<std::string, Value, std::less<>> properties = {});
    // Appends a plain audio track ("videoKind" 'kNon', "podcast" false) with a
    // value and, when given, a sort value for the field of the keys.
    MemoryTrack& addTrack(std::string_view valueKey, OptString value, std::string_view sortKey, OptString sortValue);

    MemoryTrack& track(std::size_t i) { return *tracks_.at(i); }
    std::size_t trackCount() const { return tracks_.size(); }
    void removeTrack(std::size_t i);

    // Every access so far; reads, name reads and writes counted by key.
    const std::vector<Access>& accesses() const { return accesses_; }
    std::size_t reads(std::string_view key) const;
    std::size_t writes() const;
    std::size_t nameReads() const;
    void clearAccesses() { accesses_.clear(); }
    // Stop recording accesses (large benchmarks).
    void setRecording(bool on) { recording_ = on; }

    // Shape of the library: without a source, or with a source but no playlist.
    void setHasSource(bool on) { hasSource_ = on; }
    void setHasPlaylist(bool on) { hasPlaylist_ = on; }

    // Application
    std::vector<std::shared_ptr<Source>> sources() override;

    void setUndoLog(storage::UndoLog* log) override { undo_ = log; }
    storage::RevertOutcome revertChange(const storage::Change& change, storage::UndoLog& log) override;

    // A walk over the tracks as they stand now.
    std::unique_ptr<TrackSequence> snapshot();

private:
    friend class MemoryTrack;
    void record(Access::Kind kind, std::size_t track, std::string_view key, const String& value = {});

    std::vector<std::shared_ptr<MemoryTrack>> tracks_;
    std::vector<Access> accesses_;
    bool recording_ = true;
    bool hasSource_ = true;
    bool hasPlaylist_ = true;
    storage::UndoLog* undo_ = nullptr;
};

} // namespace yomi::bridge
