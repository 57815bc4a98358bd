// A music library that records instead of writing: every read goes to the
// library underneath, every write is noted and reported as a success without
// reaching it.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Bridge/MusicLibrary.h"

namespace yomi::cli {

// A write that a dry run held back: the track's name and field value as read
// at the time of the write, the key and the value that would be written.
struct HeldWrite {
    OptString name;
    OptString fieldValue;
    std::string key;
    String value;
};

struct HeldWrites {
    std::vector<HeldWrite> writes;
};

// Wraps the application. `valueKey` names the field whose value each held
// write notes.
std::shared_ptr<bridge::Application> makeDryRunApplication(std::shared_ptr<bridge::Application> inner,
                                                           std::shared_ptr<HeldWrites> record, std::string valueKey);

// Replaces the application registered under `identifier` by its dry-run
// wrapper for the lifetime of the object, then restores the registration.
class ScopedDryRun {
public:
    ScopedDryRun(std::string_view identifier, std::string valueKey);
    ~ScopedDryRun();
    ScopedDryRun(const ScopedDryRun&) = delete;
    ScopedDryRun& operator=(const ScopedDryRun&) = delete;

    const std::vector<HeldWrite>& writes() const { return record_->writes; }

private:
    std::string identifier_;
    std::shared_ptr<HeldWrites> record_;
    bridge::ApplicationFactory previous_;
};

} // namespace yomi::cli
