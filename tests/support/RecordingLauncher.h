// A launcher that starts nothing and records the names it was asked for.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "Platform/Launcher.h"

namespace yomi::test {

class RecordingLauncher final : public Launcher {
public:
    bool launch(std::string_view applicationName) override
    {
        launched.emplace_back(applicationName);
        return starts;
    }
    std::vector<std::string> launched;
    bool starts = true; // false: as on a desktop with no log viewer
};

} // namespace yomi::test
