// The script runner over a recording launcher, and the desktop launcher over
// stub programs placed on PATH.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Category/AppleScriptUtility.h"
#include "Controller/SRMainController.h"
#include "Platform/Launcher.h"
#include "support/AudioFixtures.h"
#include "support/RecordingLauncher.h"

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace yomi {
namespace {

using test::RecordingLauncher;

using test::TempFolder;
using test::writeBytes;

class ScriptRunner : public ::testing::Test {
protected:
    void SetUp() override
    {
        launcher_ = std::make_shared<RecordingLauncher>();
        previous_ = setLauncher(launcher_);
        dir_ = temp_.path();
    }
    void TearDown() override { setLauncher(previous_); }
    const std::vector<std::string>& launched() const { return launcher_->launched; }

    std::shared_ptr<RecordingLauncher> launcher_;
    std::shared_ptr<Launcher> previous_;
    TempFolder temp_;
    fs::path dir_;
};

TEST_F(ScriptRunner, ConsoleLaunchScriptLaunchesConsoleOnce)
{
    ASSERT_EQ(kConsoleLaunchScript.size(), 42u);
    runAppleScriptWithString(kConsoleLaunchScript);
    EXPECT_THAT(launched(), ElementsAre("Console"));
}

TEST_F(ScriptRunner, EmptyAndBlankTextsLaunchNothing)
{
    runAppleScriptWithString(u"");
    runAppleScriptWithString(u"\n\n  \t\r\n-- only a comment\n");
    EXPECT_THAT(launched(), IsEmpty());
}

struct Compiles {
    const char16_t* script;
    std::vector<std::string> launches;
};

class ScriptCompiles : public ScriptRunner, public ::testing::WithParamInterface<Compiles> {};

TEST_P(ScriptCompiles, LaunchesInScriptOrder)
{
    runAppleScriptWithString(GetParam().script);
    EXPECT_EQ(launched(), GetParam().launches);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ScriptCompiles,
    ::testing::Values(Compiles{u"tell application \"Console\"\nactivate\nend tell", {"Console"}},
                      Compiles{u"-- start the log\n\n  tell application \"Console\"  \r\n\tlaunch -- now\r\n"
                               u"end tell\n\n-- done\n",
                               {"Console"}},
                      Compiles{u"TELL Application \"Console\"\nLaunch\nEnd Tell\n", {"Console"}},
                      Compiles{u"tell application \"A\"\nlaunch\nactivate\nend tell\n"
                               u"tell application \"B\"\nend tell\ntell application \"C\"\nlaunch\nend tell",
                               {"A", "A", "C"}},
                      Compiles{u"tell application \"Say \\\"Hi\\\" -- \\\\\"\nlaunch\nend tell", {"Say \"Hi\" -- \\"}},
                      Compiles{u"tell application \"\u30b3\u30f3\u30bd\u30fc\u30eb\"\nlaunch\nend tell",
                               {"\xe3\x82\xb3\xe3\x83\xb3\xe3\x82\xbd\xe3\x83\xbc\xe3\x83\xab"}}));

class ScriptDoesNotCompile : public ScriptRunner, public ::testing::WithParamInterface<const char16_t*> {};

// Each script launches Console before its fault: nothing of it may run.
TEST_P(ScriptDoesNotCompile, NothingRuns)
{
    runAppleScriptWithString(GetParam());
    EXPECT_THAT(launched(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ScriptDoesNotCompile,
    ::testing::Values(
        u"tell application \"Console\"\nlaunch\nend tell\nquit",                             // unknown command
        u"tell application \"Console\"\nlaunch\nend tell\ndo shell script \"rm -rf /\"",     // unknown command
        u"tell application \"Console\"\nlaunch\n",                                           // unterminated tell
        u"tell application \"Console\"\nlaunch\nend tell\nend tell",                         // stray end tell
        u"tell application \"Console\"\ntell application \"X\"\nlaunch\nend tell\nend tell", // nested
        u"tell application \"Console\"\nlaunch\nend tell\nlaunch",                           // launch outside tell
        u"tell application \"Console\nlaunch\nend tell",                                     // unterminated string
        u"tell application \"Console\"x\nlaunch\nend tell",                                  // string glued to a word
        u"tell application Console\nlaunch\nend tell",                                       // unquoted name
        u"tell application \"Con\\sole\"\nlaunch\nend tell",                                 // unknown escape
        u"tell application \"\"\nlaunch\nend tell",                                          // empty name
        u"tell application \"Console\" to launch",                                           // one-line form
        u"tell application \"Console\"\nlaunch now\nend tell",                               // extra word
        u"tell application \"Console\"\nlaunch\nend",                                        // bare end
        u"tell application \"Console\"\nlaunch\x0b\nend tell",                               // control character
        u"tell application \"Console\"\rlaunch\rend tell"));                                 // CR alone is no line end

TEST_F(ScriptRunner, FileScriptRuns)
{
    const fs::path file = dir_ / "start.applescript";
    writeBytes(file, "\xEF\xBB\xBF-- start\r\ntell application \"Console\"\r\n  activate\r\nend tell\r\n");
    runAppleScriptWithFile(file.string());
    EXPECT_THAT(launched(), ElementsAre("Console"));
}

TEST_F(ScriptRunner, UnusableFilesReturnQuietly)
{
    const std::string script = "tell application \"Console\"\nlaunch\nend tell\n";
    writeBytes(dir_ / "bad-utf8", script + "-- \xC0\xAF\n");
    writeBytes(dir_ / "surrogate", script + "-- \xED\xA0\x80\n");
    writeBytes(dir_ / "truncated", script + "-- \xE3\x82");
    writeBytes(dir_ / "huge", script + std::string(1 << 20, '\n'));
    writeBytes(dir_ / "syntax", script + "beep\n");
    fs::create_directory(dir_ / "folder");
    ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0); // must not block the caller

    for (const char* name : {"missing", "bad-utf8", "surrogate", "truncated", "huge", "syntax", "folder", "fifo"})
        runAppleScriptWithFile((dir_ / name).string());
    runAppleScriptWithFile("");
    EXPECT_THAT(launched(), IsEmpty());
}

// --- The desktop launcher, over stub programs. --------------------------------

// A folder of stub programs that each record the argument vector they were
// started with. The folder's name is full of shell syntax: a program that
// went through a shell would not see the path it was started by as $0.
class DesktopLauncherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setLauncher(nullptr);
        ASSERT_TRUE(viewerExited()) << "a log viewer of an earlier case is still running";
        root_ = temp_.path();
        bin_ = root_ / "bin dir;'\"$(exit 3)`false`&|*";
        records_ = root_ / "records";
        fs::create_directories(bin_);
        fs::create_directories(records_);
        if (const char* path = std::getenv("PATH"))
            oldPath_ = path;
        ::setenv("PATH", bin_.c_str(), 1);
    }
    void TearDown() override
    {
        std::ofstream(root_ / "stop").put('\n'); // ends the viewers that wait for it
        EXPECT_TRUE(viewerExited());
        if (oldPath_)
            ::setenv("PATH", oldPath_->c_str(), 1);
        else
            ::unsetenv("PATH");
    }

    void addStub(const fs::path& dir, const std::string& name)
    {
        const fs::path record = records_ / name;
        std::ostringstream s;
        s << "#!/bin/sh\n"
          << "{ printf '%s\\n' \"$0\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > '" << record.string()
          << ".tmp'\n"
          << "/bin/mv '" << record.string() << ".tmp' '" << record.string() << "'\n";
        writeBytes(dir / name, s.str());
        fs::permissions(dir / name, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    }
    void addStub(const std::string& name) { addStub(bin_, name); }

    // The argument vector a stub recorded; waits for the detached program to
    // write it.
    std::vector<std::string> recorded(const std::string& name)
    {
        const fs::path record = records_ / name;
        for (int i = 0; i < 2000 && !fs::exists(record); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::vector<std::string> lines;
        std::ifstream in(record);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    bool wasStarted(const std::string& name) const { return fs::exists(records_ / name); }

    // A viewer stub that appends its name to records/starts and runs until
    // the case ends (the file "stop" appears).
    void addWaitingStub(const std::string& name)
    {
        writeBytes(bin_ / name,
                   "#!/bin/sh\necho " + name + " >> '" + (records_ / "starts").string() + "'\nwhile [ ! -e '" +
                       (root_ / "stop").string() + "' ]; do sleep 0.02; done\n");
        fs::permissions(bin_ / name, fs::perms::owner_all);
    }
    std::size_t starts() const
    {
        std::ifstream in(records_ / "starts");
        std::size_t n = 0;
        for (std::string line; std::getline(in, line);)
            ++n;
        return n;
    }
    static bool viewerExited()
    {
        for (int i = 0; i < 500 && logViewerRunning(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return !logViewerRunning();
    }

    std::string stub(const std::string& name) const { return (bin_ / name).string(); }

    static bool noChildLeft() { return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }

    TempFolder temp_;
    fs::path root_, bin_, records_;
    std::optional<std::string> oldPath_;
};

const std::vector<std::pair<std::string, std::string>> kTerminals = {
    {"x-terminal-emulator", "-e"}, {"gnome-terminal", "--"}, {"konsole", "-e"},
    {"xfce4-terminal", "-x"},      {"xterm", "-e"},
};

class TerminalOrder : public DesktopLauncherTest, public ::testing::WithParamInterface<std::size_t> {};

// The terminal of the row and every later one are installed: the first of
// them follows the journal with its own convention for the command.
TEST_P(TerminalOrder, FirstInstalledTerminalFollowsTheJournal)
{
    const std::size_t row = GetParam();
    for (std::size_t i = row; i < kTerminals.size(); ++i)
        addStub(kTerminals[i].first);
    addStub("gnome-logs");
    addStub("journalctl");

    ASSERT_TRUE(currentLauncher().launch("Console"));
    const auto& [terminal, flag] = kTerminals[row];
    EXPECT_THAT(recorded(terminal),
                ElementsAre(stub(terminal), flag, stub("journalctl"), "--follow", "--identifier=yomi"));
    EXPECT_TRUE(noChildLeft());
    EXPECT_FALSE(wasStarted("gnome-logs"));
    EXPECT_FALSE(wasStarted("journalctl"));
}

INSTANTIATE_TEST_SUITE_P(Terminals, TerminalOrder, ::testing::Range<std::size_t>(0, 5));

TEST_F(DesktopLauncherTest, WithoutJournalctlTheLogApplicationsFollow)
{
    addStub("xterm");
    addStub("gnome-logs");
    addStub("ksystemlog");
    ASSERT_TRUE(currentLauncher().launch("Console"));
    EXPECT_THAT(recorded("gnome-logs"), ElementsAre(stub("gnome-logs")));

    fs::remove(bin_ / "gnome-logs");
    ASSERT_TRUE(viewerExited());
    ASSERT_TRUE(currentLauncher().launch("Console"));
    EXPECT_THAT(recorded("ksystemlog"), ElementsAre(stub("ksystemlog")));
    EXPECT_FALSE(wasStarted("xterm"));
    EXPECT_TRUE(noChildLeft());
}

TEST_F(DesktopLauncherTest, ProgramThatCannotBeExecutedGivesWayToTheNext)
{
    writeBytes(bin_ / "gnome-logs", "not a program\n"); // executable bits, no format: ENOEXEC
    fs::permissions(bin_ / "gnome-logs", fs::perms::owner_all);
    writeBytes(bin_ / "xterm", "#!/bin/sh\n"); // no execute bit: not found
    addStub("journalctl");
    addStub("ksystemlog");
    ASSERT_TRUE(currentLauncher().launch("Console"));
    EXPECT_THAT(recorded("ksystemlog"), ElementsAre(stub("ksystemlog")));
}

// Empty and relative PATH entries would find programs in the working folder.
TEST_F(DesktopLauncherTest, RelativePathEntriesAreNotSearched)
{
    const fs::path cwd = root_ / "cwd";
    fs::create_directories(cwd);
    addStub(cwd, "xterm");
    addStub(cwd, "journalctl");
    addStub("ksystemlog");
    const fs::path old = fs::current_path();
    fs::current_path(cwd);
    ::setenv("PATH", (std::string("::.:") + bin_.string()).c_str(), 1);
    const bool started = currentLauncher().launch("Console");
    fs::current_path(old);
    ASSERT_TRUE(started);
    EXPECT_THAT(recorded("ksystemlog"), ElementsAre(stub("ksystemlog")));
    EXPECT_FALSE(wasStarted("xterm"));
}

// Five Saves while the viewer is open start one viewer; one more after the
// user closed it starts a new one.
TEST_F(DesktopLauncherTest, OneViewerWhileItIsOpen)
{
    addWaitingStub("gnome-logs");
    for (int save = 0; save < 5; ++save)
        ASSERT_TRUE(currentLauncher().launch("Console"));
    for (int i = 0; i < 500 && starts() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(starts(), 1u);
    EXPECT_TRUE(logViewerRunning());

    std::ofstream(root_ / "stop").put('\n');
    ASSERT_TRUE(viewerExited());
    fs::remove(root_ / "stop");
    ASSERT_TRUE(currentLauncher().launch("Console"));
    for (int i = 0; i < 500 && starts() < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(starts(), 2u);
}

TEST_F(DesktopLauncherTest, NothingInstalledStartsNothing)
{
    EXPECT_FALSE(currentLauncher().launch("Console"));
    EXPECT_TRUE(noChildLeft());
}

TEST_F(DesktopLauncherTest, OnlyNamesOfTheTableAreStarted)
{
    for (const char* name : {"Terminal", "console", "xterm", "sh", "Console ", "Console;xterm"})
        addStub(name);
    addStub("gnome-logs");
    for (const char* name : {"Terminal", "console", "xterm", "sh", "Console ", "Console;xterm", ""})
        EXPECT_FALSE(currentLauncher().launch(name)) << name;
    ASSERT_TRUE(currentLauncher().launch("Console"));
    EXPECT_THAT(recorded("gnome-logs"), ElementsAre(stub("gnome-logs")));
    for (const char* name : {"Terminal", "console", "xterm", "sh", "Console ", "Console;xterm"})
        EXPECT_FALSE(wasStarted(name)) << name;
}

// The runner reaches the desktop launcher when nothing replaced it.
TEST_F(DesktopLauncherTest, LaunchScriptStartsTheLogViewer)
{
    addStub("gnome-logs");
    runAppleScriptWithString(kConsoleLaunchScript);
    EXPECT_THAT(recorded("gnome-logs"), ElementsAre(stub("gnome-logs")));
}

} // namespace
} // namespace yomi
