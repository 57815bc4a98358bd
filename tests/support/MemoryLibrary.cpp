#include "support/MemoryLibrary.h"

#include <algorithm>

namespace yomi::bridge {
namespace {

// The tracks of a walk are fixed when it starts; a track removed from the
// library meanwhile stays alive until the walk ends.
class MemorySequence final : public TrackSequence {
public:
    explicit MemorySequence(std::vector<std::shared_ptr<MemoryTrack>> tracks) : tracks_(std::move(tracks)) {}

    std::size_t nextBatch(std::span<Track*> out) override
    {
        std::size_t n = 0;
        const std::size_t limit = std::min(out.size(), kBatchSize);
        while (n < limit && next_ < tracks_.size())
            out[n++] = tracks_[next_++].get();
        return n;
    }

    std::optional<std::size_t> count() const override { return tracks_.size(); }

private:
    std::vector<std::shared_ptr<MemoryTrack>> tracks_;
    std::size_t next_ = 0;
};

class MemoryPlaylist final : public Playlist {
public:
    explicit MemoryPlaylist(std::shared_ptr<MemoryLibrary> library) : library_(std::move(library)) {}
    std::unique_ptr<TrackSequence> tracks() override { return library_->snapshot(); }

private:
    std::shared_ptr<MemoryLibrary> library_;
};

class MemorySource final : public Source {
public:
    MemorySource(std::shared_ptr<MemoryLibrary> library, bool hasPlaylist)
        : library_(std::move(library)), hasPlaylist_(hasPlaylist)
    {
    }
    std::vector<std::shared_ptr<Playlist>> playlists() override
    {
        if (!hasPlaylist_)
            return {};
        return {std::make_shared<MemoryPlaylist>(library_)};
    }

private:
    std::shared_ptr<MemoryLibrary> library_;
    bool hasPlaylist_;
};

} // namespace

Value MemoryTrack::valueForKey(std::string_view key)
{
    library_->record(MemoryLibrary::Access::Kind::Read, index_, key);
    return get(key);
}

OptString MemoryTrack::name()
{
    library_->record(MemoryLibrary::Access::Kind::Name, index_, "name");
    return get("name").copy();
}

void MemoryTrack::setSpellings(std::string_view sortKey, std::vector<String> values)
{
    spellings_.insert_or_assign(std::string(sortKey), std::move(values));
}

Track::Spellings MemoryTrack::otherSpellings(std::string_view sortKey)
{
    const auto it = spellings_.find(sortKey);
    if (it == spellings_.end())
        return {};
    const OptString own = get(sortKey).copy();
    const bool anyValue = std::any_of(it->second.begin(), it->second.end(), [](const String& v) { return !v.empty(); });
    return Spellings{it->second, (!own || own->empty()) && anyValue};
}

Status MemoryTrack::setValue(const String& value, std::string_view key)
{
    library_->record(MemoryLibrary::Access::Kind::Write, index_, key, value);
    if (!failReason_.empty())
        return Failure{failReason_};
    if (const auto it = spellings_.find(key); it != spellings_.end())
        for (String& spelling : it->second)
            spelling = value;
    OptString old = get(key).copy();
    if (!library_->undo_ || old == value) {
        set(key, Value(value));
        return Status();
    }
    storage::Change change;
    change.path = std::to_string(index_);
    change.key = std::string(key);
    change.oldValue = std::move(old);
    change.newValue = value;
    const auto handle = library_->undo_->record(change);
    if (!handle)
        return Failure{"cannot record the change for undo: " + handle.reason()};
    set(key, Value(value));
    // A change left unmarked is still taken back: the value decides.
    (void)library_->undo_->markCommitted(*handle, std::nullopt);
    return Status();
}

void MemoryTrack::set(std::string_view key, Value value)
{
    auto it = properties_.find(key);
    if (it != properties_.end())
        it->second = std::move(value);
    else
        properties_.emplace(std::string(key), std::move(value));
}

void MemoryTrack::erase(std::string_view key)
{
    auto it = properties_.find(key);
    if (it != properties_.end())
        properties_.erase(it);
}

Value MemoryTrack::get(std::string_view key) const
{
    auto it = properties_.find(key);
    return it == properties_.end() ? Value() : it->second;
}

std::shared_ptr<MemoryLibrary> MemoryLibrary::create() { return std::make_shared<MemoryLibrary>(); }

MemoryTrack& MemoryLibrary::addTrack(std::map<std::string, Value, std::less<>> properties)
{
    auto track = std::make_shared<MemoryTrack>(this, tracks_.size());
    for (auto& [key, value] : properties)
        track->set(key, std::move(value));
    tracks_.push_back(std::move(track));
    return *tracks_.back();
}

MemoryTrack& MemoryLibrary::addTrack(std::string_view valueKey, OptString value, std::string_view sortKey,
                                     OptString sortValue)
{
    MemoryTrack& t = addTrack();
    if (value)
        t.set(valueKey, Value(*value));
    if (sortValue)
        t.set(sortKey, Value(*sortValue));
    t.set("podcast", Value(false));
    t.set("videoKind", Value(kVideoKindNone));
    return t;
}

void MemoryLibrary::removeTrack(std::size_t i) { tracks_.erase(tracks_.begin() + static_cast<std::ptrdiff_t>(i)); }

std::size_t MemoryLibrary::reads(std::string_view key) const
{
    return static_cast<std::size_t>(std::count_if(accesses_.begin(), accesses_.end(), [&](const Access& a) {
        return a.kind == Access::Kind::Read && a.key == key;
    }));
}

std::size_t MemoryLibrary::writes() const
{
    return static_cast<std::size_t>(std::count_if(accesses_.begin(), accesses_.end(),
                                                  [](const Access& a) { return a.kind == Access::Kind::Write; }));
}

std::size_t MemoryLibrary::nameReads() const
{
    return static_cast<std::size_t>(std::count_if(accesses_.begin(), accesses_.end(),
                                                  [](const Access& a) { return a.kind == Access::Kind::Name; }));
}

std::vector<std::shared_ptr<Source>> MemoryLibrary::sources()
{
    if (!hasSource_)
        return {};
    return {std::make_shared<MemorySource>(shared_from_this(), hasPlaylist_)};
}

storage::RevertOutcome MemoryLibrary::revertChange(const storage::Change& change, storage::UndoLog& log)
{
    const auto it = std::find_if(tracks_.begin(), tracks_.end(),
                                 [&](const auto& t) { return std::to_string(t->index()) == change.path; });
    if (it == tracks_.end())
        return storage::RevertedChange::leftAlone("the track is gone");
    MemoryTrack& track = **it;
    const OptString current = track.get(change.key).copy();
    if (current == change.oldValue && current != change.newValue)
        return storage::RevertedChange::notMade("the track holds its value from before the change");
    if (current != change.newValue)
        return storage::RevertedChange::leftAlone("the track holds another value");
    if (!track.failReason_.empty())
        return Failure{track.failReason_};
    storage::Change inverse;
    inverse.path = change.path;
    inverse.key = change.key;
    inverse.oldValue = change.newValue;
    inverse.newValue = change.oldValue;
    const auto handle = log.record(inverse);
    if (!handle)
        return Failure{"cannot record the revert for undo: " + handle.reason()};
    if (change.oldValue)
        track.set(change.key, Value(*change.oldValue));
    else
        track.erase(change.key);
    (void)log.markCommitted(*handle, std::nullopt);
    return storage::RevertedChange::reverted();
}

std::unique_ptr<TrackSequence> MemoryLibrary::snapshot() { return std::make_unique<MemorySequence>(tracks_); }

void MemoryLibrary::record(Access::Kind kind, std::size_t track, std::string_view key, const String& value)
{
    if (recording_)
        accesses_.push_back(Access{kind, track, std::string(key), value});
}

} // namespace yomi::bridge
