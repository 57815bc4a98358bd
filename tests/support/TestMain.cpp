// The main of every test suite: the environment the tests expect, then
// GoogleTest. Variables already set by the caller are left alone.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    // Widgets without a display.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The build tree's resources, and undo journals and library indexes
    // kept out of the user's own state and cache folders.
    ::setenv("YOMI_RESOURCE_DIR", YOMI_TEST_RESOURCE_DIR, 0);
    ::setenv("XDG_STATE_HOME", YOMI_TEST_STATE_DIR, 0);
    // Settings and the user's readings kept out of the user's folders too;
    // caches (the name index, built once for all suites, and the library
    // indexes) under the build tree.
    ::setenv("XDG_CONFIG_HOME", YOMI_TEST_STATE_DIR "/config", 0);
    ::setenv("XDG_CACHE_HOME", YOMI_TEST_CACHE_DIR, 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
