// Starting other desktop applications by name.
#pragma once

#include <memory>
#include <string_view>

namespace yomi {

class Launcher {
public:
    virtual ~Launcher() = default;
    // Starts the application known by the name, detached. Returns whether
    // something was started; unknown names start nothing.
    virtual bool launch(std::string_view applicationName) = 0;
};

// The launcher the script runner uses; the desktop launcher unless replaced.
Launcher& currentLauncher();

// Replaces the launcher (null restores the desktop launcher); returns the
// previous replacement.
std::shared_ptr<Launcher> setLauncher(std::shared_ptr<Launcher> launcher);

} // namespace yomi
