// A state folder ($XDG_STATE_HOME) of one test's own, for as long as the
// object lives: the undo logs of Saves made by tests that run at the same time
// do not mix, and a test can count them.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

#include "support/AudioFixtures.h"

namespace yomi::test {

class ScopedStateHome {
public:
    ScopedStateHome()
    {
        if (const char* old = std::getenv("XDG_STATE_HOME"))
            previous_ = old;
        ::setenv("XDG_STATE_HOME", folder_.path().c_str(), 1);
    }
    ~ScopedStateHome()
    {
        if (previous_)
            ::setenv("XDG_STATE_HOME", previous_->c_str(), 1);
        else
            ::unsetenv("XDG_STATE_HOME");
    }
    ScopedStateHome(const ScopedStateHome&) = delete;
    ScopedStateHome& operator=(const ScopedStateHome&) = delete;

    const std::filesystem::path& path() const { return folder_.path(); }

private:
    TempFolder folder_;
    std::optional<std::string> previous_;
};

} // namespace yomi::test
