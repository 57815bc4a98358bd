#include "Cli/DryRunLibrary.h"

#include <algorithm>
#include <array>
#include <span>

#include "Bridge/Fields.h"

namespace yomi::cli {
namespace {

using namespace yomi::bridge;

class DryRunTrack final : public Track {
public:
    DryRunTrack(Track& inner, HeldWrites& record, const std::string& valueKey)
        : inner_(&inner), record_(&record), valueKey_(&valueKey)
    {
    }

    Value valueForKey(std::string_view key) override { return inner_->valueForKey(key); }
    OptString name() override { return inner_->name(); }
    Spellings otherSpellings(std::string_view sortKey) override { return inner_->otherSpellings(sortKey); }
    Status setValue(const String& value, std::string_view key) override
    {
        // The field whose sort value this is, when a Save writes several.
        std::string_view valueKey = *valueKey_;
        for (const FieldKeys& field : kFieldTable)
            if (field.sortKey == key)
                valueKey = field.valueKey;
        record_->writes.push_back(
            HeldWrite{inner_->name(), inner_->valueForKey(valueKey).copy(), std::string(key), value});
        return Status();
    }
    void endVisit() override { inner_->endVisit(); }

private:
    Track* inner_;
    HeldWrites* record_;
    const std::string* valueKey_;
};

class DryRunSequence final : public TrackSequence {
public:
    DryRunSequence(std::unique_ptr<TrackSequence> inner, std::shared_ptr<HeldWrites> record,
                   std::shared_ptr<const std::string> valueKey)
        : inner_(std::move(inner)), record_(std::move(record)), valueKey_(std::move(valueKey))
    {
    }

    std::size_t nextBatch(std::span<Track*> out) override
    {
        const std::size_t limit = std::min(out.size(), kBatchSize);
        std::array<Track*, kBatchSize> batch{};
        const std::size_t n = std::min(inner_->nextBatch(std::span<Track*>(batch.data(), limit)), limit);
        wrapped_.clear();
        wrapped_.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            if (batch[i]) {
                wrapped_.emplace_back(*batch[i], *record_, *valueKey_);
                out[i] = &wrapped_.back();
            } else {
                out[i] = nullptr;
            }
        }
        return n;
    }

    std::optional<std::size_t> count() const override { return inner_->count(); }

private:
    std::unique_ptr<TrackSequence> inner_;
    std::shared_ptr<HeldWrites> record_;
    std::shared_ptr<const std::string> valueKey_;
    std::vector<DryRunTrack> wrapped_; // the current batch; reserved, so addresses hold
};

class DryRunPlaylist final : public Playlist {
public:
    DryRunPlaylist(std::shared_ptr<Playlist> inner, std::shared_ptr<HeldWrites> record,
                   std::shared_ptr<const std::string> valueKey)
        : inner_(std::move(inner)), record_(std::move(record)), valueKey_(std::move(valueKey))
    {
    }
    std::unique_ptr<TrackSequence> tracks() override
    {
        auto sequence = inner_->tracks();
        if (!sequence)
            return nullptr;
        return std::make_unique<DryRunSequence>(std::move(sequence), record_, valueKey_);
    }

private:
    std::shared_ptr<Playlist> inner_;
    std::shared_ptr<HeldWrites> record_;
    std::shared_ptr<const std::string> valueKey_;
};

class DryRunSource final : public Source {
public:
    DryRunSource(std::shared_ptr<Source> inner, std::shared_ptr<HeldWrites> record,
                 std::shared_ptr<const std::string> valueKey)
        : inner_(std::move(inner)), record_(std::move(record)), valueKey_(std::move(valueKey))
    {
    }
    std::vector<std::shared_ptr<Playlist>> playlists() override
    {
        std::vector<std::shared_ptr<Playlist>> result;
        for (auto& p : inner_->playlists())
            result.push_back(p ? std::make_shared<DryRunPlaylist>(p, record_, valueKey_) : nullptr);
        return result;
    }

private:
    std::shared_ptr<Source> inner_;
    std::shared_ptr<HeldWrites> record_;
    std::shared_ptr<const std::string> valueKey_;
};

class DryRunApplication final : public Application {
public:
    DryRunApplication(std::shared_ptr<Application> inner, std::shared_ptr<HeldWrites> record, std::string valueKey)
        : inner_(std::move(inner)),
          record_(std::move(record)),
          valueKey_(std::make_shared<const std::string>(std::move(valueKey)))
    {
    }
    std::vector<std::shared_ptr<Source>> sources() override
    {
        std::vector<std::shared_ptr<Source>> result;
        for (auto& s : inner_->sources())
            result.push_back(s ? std::make_shared<DryRunSource>(s, record_, valueKey_) : nullptr);
        return result;
    }

private:
    std::shared_ptr<Application> inner_;
    std::shared_ptr<HeldWrites> record_;
    std::shared_ptr<const std::string> valueKey_;
};

} // namespace

std::shared_ptr<Application> makeDryRunApplication(std::shared_ptr<Application> inner,
                                                   std::shared_ptr<HeldWrites> record, std::string valueKey)
{
    if (!inner)
        return nullptr;
    return std::make_shared<DryRunApplication>(std::move(inner), std::move(record), std::move(valueKey));
}

ScopedDryRun::ScopedDryRun(std::string_view identifier, std::string valueKey)
    : identifier_(identifier), record_(std::make_shared<HeldWrites>())
{
    previous_ = registerApplication(identifier_, {});
    ApplicationFactory inner = previous_;
    registerApplication(identifier_, [inner, record = record_, valueKey = std::move(valueKey)]() {
        return makeDryRunApplication(inner ? inner() : nullptr, record, valueKey);
    });
}

ScopedDryRun::~ScopedDryRun() { registerApplication(identifier_, std::move(previous_)); }

} // namespace yomi::cli
