// Starting other desktop applications by name.
#pragma once

#include <memory>
#include <string_view>

namespace yomi {

class Launcher {
public:
    virtual ~Launcher() = default;
    // Starts the application known by the name, detached, unless the one it
    // started before is still running. Returns whether the application is
    // now running as started by us; unknown names start nothing.
    virtual bool launch(std::string_view applicationName) = 0;
};

// The launcher the script runner uses; the desktop launcher unless replaced.
//
// The desktop launcher keeps the log viewer ("Console") it started: while that
// process runs, another launch starts nothing (one viewer, however many
// Saves); once the user has closed it, the next launch starts a new one. A
// terminal that hands its window to a server process and exits at once
// counts as closed.
Launcher& currentLauncher();

// Whether the log viewer that the desktop launcher started is still running.
bool logViewerRunning();

// Replaces the launcher (null restores the desktop launcher); returns the
// previous replacement.
std::shared_ptr<Launcher> setLauncher(std::shared_ptr<Launcher> launcher);

} // namespace yomi
