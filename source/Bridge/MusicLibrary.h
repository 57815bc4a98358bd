// The music library as the scan and the write-back see it: an application with
// ordered sources, a source with ordered playlists, a playlist with an ordered
// track sequence, and tracks with named properties.
//
// Property keys: the value and sort keys of the field table ("artist",
// "sortArtist", "album", "sortAlbum", "albumArtist", "sortAlbumArtist",
// "composer", "sortComposer", "name", "sortName", "show", "sortShow"),
// "podcast" (a boolean) and "videoKind" (a 32-bit four-character code).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "Platform/Result.h"
#include "Platform/Text.h"
#include "Storage/UndoLog.h"

namespace yomi::bridge {

// The video kind of a track that is no video: 'kNon'.
inline constexpr std::int32_t kVideoKindNone = 0x6B4E6F6E;

// A property value as a track replies it: absent, a string, a boolean or a
// number.
class Value {
public:
    Value() = default;
    Value(String s) : v_(std::move(s)) {}
    Value(bool b) : v_(b) {}
    Value(std::int32_t n) : v_(n) {}

    bool isAbsent() const { return std::holds_alternative<std::monostate>(v_); }
    // The string, or nullptr when the value is not a string.
    const String* string() const { return std::get_if<String>(&v_); }
    // The caller's own copy of the string; absent when the value is no string.
    // On a temporary the string is moved out instead of copied.
    OptString copy() const&;
    OptString copy() &&;
    // Absent reads as false; a number is true when not 0; a string is false.
    bool boolValue() const;
    // Absent reads as 0; a boolean as 0 or 1; a string as 0.
    std::int32_t intValue() const;

private:
    std::variant<std::monostate, String, bool, std::int32_t> v_;
};

class Track {
public:
    virtual ~Track() = default;
    // One property; an absent value when the track does not carry it.
    virtual Value valueForKey(std::string_view key) = 0;
    // The track's name (its title), for log lines.
    virtual OptString name() = 0;
    // Where the track is kept (a file's path), for failure lines; empty when
    // the library has no such place.
    virtual std::string location() { return {}; }
    // Stores the string under the key. Reports whether the value is really in
    // the library afterwards.
    virtual Status setValue(const String& value, std::string_view key) = 0;
    // The sort value under a sort key in the spellings other than the one a
    // write makes (older taggers' items, such as an ID3 TXXX ALBUMARTISTSORT
    // frame beside TSO2): their distinct values, and whether valueForKey's
    // answer came from them alone, the written spelling being missing. A
    // write of the key brings every spelling the track has to the value
    // written. A library without such spellings answers none.
    struct Spellings {
        std::vector<String> values;
        bool onlyThere = false;
    };
    virtual Spellings otherSpellings(std::string_view sortKey)
    {
        (void)sortKey;
        return {};
    }
    // Called when the caller is done with the track for this visit (the end of
    // the track's autorelease pool): frees whatever the visit made.
    virtual void endVisit() {}
};

// A walk over a playlist's tracks, in the playlist's order, fixed when the
// walk starts: tracks added or removed meanwhile do not disturb it.
class TrackSequence {
public:
    virtual ~TrackSequence() = default;
    // The next tracks: fills at most out.size() (at most kBatchSize) slots and
    // returns how many; 0 when the walk is over. The tracks of a batch stay
    // valid until the next call.
    virtual std::size_t nextBatch(std::span<Track*> out) = 0;
    // How many tracks the whole walk visits, as fixed when it started; absent
    // when the sequence cannot tell.
    virtual std::optional<std::size_t> count() const { return std::nullopt; }
};

inline constexpr std::size_t kBatchSize = 16;

class Playlist {
public:
    virtual ~Playlist() = default;
    virtual std::unique_ptr<TrackSequence> tracks() = 0;
};

class Source {
public:
    virtual ~Source() = default;
    virtual std::vector<std::shared_ptr<Playlist>> playlists() = 0;
};

// The writes of a Save, handed over one by one and made durable together.
// No write of a group is in the library before commit() returns its result.
class WriteGroup {
public:
    virtual ~WriteGroup() = default;
    // Queues the write of `value` under `key` of a track in its visit, as
    // Track::setValue takes it; the track need not outlive its visit.
    virtual void add(Track& track, const String& value, std::string_view key) = 0;
    // Writes queued and not yet committed.
    virtual std::size_t size() const = 0;
    // Whether the queued writes should be committed now: the group is full,
    // or its first write has waited long enough.
    virtual bool due() const = 0;
    // Makes every queued write and returns the results in the order of add();
    // the group is empty afterwards.
    virtual std::vector<Status> commit() = 0;
};

class Application {
public:
    virtual ~Application() = default;
    virtual std::vector<std::shared_ptr<Source>> sources() = 0;

    // While a log is set (until it is set to null), every setValue that would
    // change the library is first recorded in the log, and refused, with the
    // reason, when it cannot be; it is marked committed once it is in. The
    // log must outlive the setting. A library that cannot take changes back
    // ignores the log and records nothing.
    virtual void setUndoLog(storage::UndoLog* log) { (void)log; }
    // A group for the writes of one Save. The default makes each write at
    // once, through Track::setValue, so that every group holds one write.
    virtual std::unique_ptr<WriteGroup> writeGroup();
    // Takes back one change that this kind of library recorded, recording the
    // inverse change in `log` before it is made. A library that cannot take
    // changes back fails.
    virtual storage::RevertOutcome revertChange(const storage::Change& change, storage::UndoLog& log)
    {
        (void)change;
        (void)log;
        return Failure{"this library cannot take changes back"};
    }
    // The folder the library lives in, absolute and without a trailing
    // slash, as the undo log names it; empty for a library without one.
    virtual std::string folder() const { return {}; }
};

// The bundle identifier under which the music application is found.
inline constexpr std::string_view kMusicApplicationIdentifier = "com.apple.iTunes";

// The application registered for a bundle identifier; null when none is.
std::shared_ptr<Application> applicationWithBundleIdentifier(std::string_view identifier);

// Makes the application for an identifier; called at each lookup, so that
// every scan and write-back reaches the library anew.
using ApplicationFactory = std::function<std::shared_ptr<Application>()>;

// Registers (or, with an empty factory, removes) the application for an
// identifier; returns the factory it replaces.
ApplicationFactory registerApplication(std::string_view identifier, ApplicationFactory factory);

// Registers an application for the lifetime of the object (tests).
class ScopedApplication {
public:
    ScopedApplication(std::string_view identifier, std::shared_ptr<Application> app);
    ~ScopedApplication();
    ScopedApplication(const ScopedApplication&) = delete;
    ScopedApplication& operator=(const ScopedApplication&) = delete;

private:
    std::string identifier_;
    ApplicationFactory previous_;
};

// The library playlist: the first playlist of the first source of the
// application; null when any link is missing.
std::shared_ptr<Playlist> libraryPlaylist(const std::shared_ptr<Application>& app);

// The playlist's track sequence; a walk over no tracks when the playlist or
// its sequence is missing.
std::unique_ptr<TrackSequence> tracksOf(const std::shared_ptr<Playlist>& playlist);

// Visits every track of a sequence in order, in batches of at most kBatchSize,
// calling endVisit on each track after the visitor returns.
void forEachTrack(TrackSequence& sequence, const std::function<void(Track&)>& visit);

} // namespace yomi::bridge
