#include "Bridge/MusicLibrary.h"

#include <array>
#include <map>
#include <mutex>
#include <utility>

namespace yomi::bridge {

OptString Value::copy() const&
{
    if (const String* s = string())
        return *s;
    return std::nullopt;
}

OptString Value::copy() &&
{
    if (String* s = std::get_if<String>(&v_))
        return std::move(*s);
    return std::nullopt;
}

bool Value::boolValue() const
{
    if (const bool* b = std::get_if<bool>(&v_))
        return *b;
    if (const std::int32_t* n = std::get_if<std::int32_t>(&v_))
        return *n != 0;
    return false;
}

std::int32_t Value::intValue() const
{
    if (const std::int32_t* n = std::get_if<std::int32_t>(&v_))
        return *n;
    if (const bool* b = std::get_if<bool>(&v_))
        return *b ? 1 : 0;
    return 0;
}

namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::string, ApplicationFactory, std::less<>> factories;
};

Registry& registry()
{
    static Registry r;
    return r;
}

class EmptySequence final : public TrackSequence {
public:
    std::size_t nextBatch(std::span<Track*>) override { return 0; }
    std::optional<std::size_t> count() const override { return 0; }
};

} // namespace

namespace {

class OneByOneGroup final : public WriteGroup {
public:
    void add(Track& track, const String& value, std::string_view key) override
    {
        results_.push_back(track.setValue(value, key));
    }
    std::size_t size() const override { return results_.size(); }
    bool due() const override { return !results_.empty(); }
    std::vector<Status> commit() override { return std::exchange(results_, {}); }

private:
    std::vector<Status> results_;
};

} // namespace

std::unique_ptr<WriteGroup> Application::writeGroup() { return std::make_unique<OneByOneGroup>(); }

std::shared_ptr<Application> applicationWithBundleIdentifier(std::string_view identifier)
{
    ApplicationFactory factory;
    {
        std::lock_guard lock(registry().mutex);
        auto it = registry().factories.find(identifier);
        if (it == registry().factories.end())
            return nullptr;
        factory = it->second;
    }
    return factory ? factory() : nullptr;
}

ApplicationFactory registerApplication(std::string_view identifier, ApplicationFactory factory)
{
    std::lock_guard lock(registry().mutex);
    auto& factories = registry().factories;
    ApplicationFactory previous;
    auto it = factories.find(identifier);
    if (it != factories.end()) {
        previous = std::move(it->second);
        factories.erase(it);
    }
    if (factory)
        factories.emplace(std::string(identifier), std::move(factory));
    return previous;
}

ScopedApplication::ScopedApplication(std::string_view identifier, std::shared_ptr<Application> app)
    : identifier_(identifier), previous_(registerApplication(identifier, [app] { return app; }))
{
}

ScopedApplication::~ScopedApplication() { registerApplication(identifier_, std::move(previous_)); }

std::shared_ptr<Playlist> libraryPlaylist(const std::shared_ptr<Application>& app)
{
    if (!app)
        return nullptr;
    const auto sources = app->sources();
    if (sources.empty() || !sources.front())
        return nullptr;
    const auto playlists = sources.front()->playlists();
    if (playlists.empty())
        return nullptr;
    return playlists.front();
}

std::unique_ptr<TrackSequence> tracksOf(const std::shared_ptr<Playlist>& playlist)
{
    if (playlist) {
        if (auto sequence = playlist->tracks())
            return sequence;
    }
    return std::make_unique<EmptySequence>();
}

void forEachTrack(TrackSequence& sequence, const std::function<void(Track&)>& visit)
{
    forEachTrackWhile(sequence, [&](Track& track) {
        visit(track);
        return true;
    });
}

bool forEachTrackWhile(TrackSequence& sequence, const std::function<bool(Track&)>& visit)
{
    std::array<Track*, kBatchSize> batch{};
    for (;;) {
        const std::size_t count = sequence.nextBatch(batch);
        if (count == 0)
            return true;
        for (std::size_t i = 0; i < count && i < batch.size(); ++i) {
            if (Track* track = batch[i]) {
                const bool goOn = visit(*track);
                track->endVisit();
                if (!goOn)
                    return false;
            }
        }
    }
}

} // namespace yomi::bridge
