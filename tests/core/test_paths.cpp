// Where the program keeps its files: the home folder, the XDG base folders
// and yomi's own folder in them.
#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <filesystem>

#include "Platform/Paths.h"
#include "support/ScopedEnv.h"

namespace yomi::test {
namespace {

namespace fs = std::filesystem;

TEST(Paths, TheHomeComesFromHomeElseThePasswordDatabase)
{
    {
        ScopedEnv home("HOME", "/home/somebody");
        EXPECT_EQ(paths::home(), fs::path("/home/somebody"));
    }
    const passwd* pw = ::getpwuid(::getuid());
    ASSERT_NE(pw, nullptr);
    for (const std::optional<std::string>& unset : {std::optional<std::string>(), std::optional<std::string>("")}) {
        ScopedEnv home("HOME", unset);
        EXPECT_EQ(paths::home(), fs::path(pw->pw_dir));
    }
}

TEST(Paths, EachBaseFolderIsItsVariableWhenAbsoluteElseUnderTheHome)
{
    ScopedEnv home("HOME", "/home/u");
    ScopedEnv state("XDG_STATE_HOME", "/s");
    ScopedEnv cache("XDG_CACHE_HOME", "relative/c");
    ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(paths::stateHome(), fs::path("/s"));
    EXPECT_EQ(paths::cacheHome(), fs::path("/home/u/.cache"));
    EXPECT_EQ(paths::configHome(), fs::path("/home/u/.config"));
    EXPECT_EQ(paths::ownFolder(paths::stateHome()), fs::path("/s/yomi"));
    EXPECT_EQ(paths::ownFolder({}), fs::path());
    {
        ScopedEnv noState("XDG_STATE_HOME", "");
        EXPECT_EQ(paths::stateHome(), fs::path("/home/u/.local/state"));
    }
}

TEST(Paths, TheMusicFolderIsTheUserDirsOneElseMusicInTheHome)
{
    ScopedEnv home("HOME", "/home/u");
    EXPECT_EQ(paths::musicFolder(""), fs::path("/home/u/Music"));
    EXPECT_EQ(paths::musicFolder("XDG_MUSIC_DIR=\"$HOME/Tunes\"\n"), fs::path("/home/u/Tunes"));
    EXPECT_EQ(paths::musicFolder("XDG_MUSIC_DIR=\"/srv/m\"\n"), fs::path("/srv/m"));
}

TEST(Paths, UserDirsFileIsParsedLikeTheShellWould)
{
    using paths::musicFolderFromUserDirs;
    const std::string home = "/home/u";
    EXPECT_EQ(musicFolderFromUserDirs("XDG_MUSIC_DIR=\"$HOME/Musik\"\n", home), fs::path("/home/u/Musik"));
    EXPECT_EQ(musicFolderFromUserDirs("# c\nXDG_DESKTOP_DIR=\"$HOME/D\"\n  XDG_MUSIC_DIR = \"/srv/m p3\"\n", home),
              fs::path("/srv/m p3"));
    EXPECT_EQ(musicFolderFromUserDirs("XDG_MUSIC_DIR=\"$HOME/\\\"q\\\"\"", home), fs::path("/home/u/\"q\""));
    EXPECT_EQ(musicFolderFromUserDirs("XDG_MUSIC_DIR=\"$HOME\"", home), fs::path("/home/u"));
    EXPECT_EQ(musicFolderFromUserDirs("XDG_MUSIC_DIR=\"a\"\nXDG_MUSIC_DIR=\"$HOME/b\"", home), fs::path("/home/u/b"));
    EXPECT_EQ(musicFolderFromUserDirs("XDG_MUSIC_DIR=\"relative/x\"", home), std::nullopt);
    EXPECT_EQ(musicFolderFromUserDirs("XDG_MUSIC_DIR=\"$HOMEX/x\"", home), std::nullopt);
    EXPECT_EQ(musicFolderFromUserDirs("XDG_MUSIC_DIRX=\"/x\"\n#XDG_MUSIC_DIR=\"/y\"", home), std::nullopt);
    EXPECT_EQ(musicFolderFromUserDirs("XDG_MUSIC_DIR=\"/unterminated", home), std::nullopt);
}

} // namespace
} // namespace yomi::test
