// Revert of Saves over a folder library of every format: the files come back
// byte for byte, also after a Save or a revert killed part way.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "Bridge/Folder/FolderLibrary.h"
#include "Controller/SRMainController.h"
#include "Platform/Launcher.h"
#include "Storage/FileIo.h"
#include "folder/TagTools.h"
#include "support/AudioFixtures.h"
#include "support/RecordingLauncher.h"
#include "support/StateHome.h"
#include "support/WindowFakes.h"

namespace yomi::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class FolderUndo : public ::testing::Test {
protected:
    FolderUndo()
    {
        previousLauncher_ = setLauncher(std::make_shared<RecordingLauncher>());
        previousFactory_ = bridge::folder::registerFolderLibrary(library.path());
        // Every format, with a sort value to replace and without one (the
        // Save adds the tag, the revert must take it out again).
        for (const AudioTemplate& t : audioTemplates()) {
            if (t.label == "m4v_video")
                continue;
            for (const bool withSort : {true, false}) {
                const auto file = library.copyTemplate(t.file, t.label + (withSort ? "-sorted." : ".") + t.extension);
                std::map<std::string, std::string> tags{{"ARTIST", "桜"}, {"TITLE", t.label}};
                if (withSort)
                    tags["ARTISTSORT"] = "old";
                tagWithMutagen(file, tags);
                originals[file] = readBytes(file);
            }
        }
    }
    ~FolderUndo() override
    {
        bridge::registerApplication(bridge::kMusicApplicationIdentifier, std::move(previousFactory_));
        setLauncher(previousLauncher_);
    }

    void save(const String& sort = u"sakura")
    {
        SRMainController c;
        c.load(nullptr);
        c.dataArray()->forEach([&](const PairEntryRef& e) { e->sortStr = sort; });
        c.save(nullptr);
        ASSERT_EQ(c.lastSaveReport().failed, 0u);
    }

    // Runs `body` in a child killed just before its n-th commit of a file
    // (a patch in place or a rename over the file).
    static void killedAtCommit(int n, const std::function<void()>& body)
    {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            auto commits = std::make_shared<int>(0);
            fileio::io::setCallHook([commits, n](fileio::io::Op op) {
                if ((op == fileio::io::Op::PWrite || op == fileio::io::Op::Rename) && ++*commits == n)
                    ::raise(SIGKILL);
            });
            body();
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the child ended before its kill";
    }

    // Reverts the last Save and expects every file back as it was.
    void revertAndCompare()
    {
        SRMainController c;
        c.revertLastSave(nullptr);
        EXPECT_EQ(c.lastRevertReport().failed, 0u) << c.lastRevertReport().text();
        EXPECT_TRUE(c.lastRevertReport().leftAlone.empty()) << c.lastRevertReport().text();
        for (const auto& [file, bytes] : originals)
            EXPECT_TRUE(readBytes(file) == bytes) << file << " differs from its original";
    }

    ScopedStateHome state;
    TempFolder library;
    std::map<fs::path, std::string> originals;

private:
    std::shared_ptr<Launcher> previousLauncher_;
    bridge::ApplicationFactory previousFactory_;
};

TEST_F(FolderUndo, RevertRestoresEveryFileByteForByteAndLeavesFilesEditedSinceAlone)
{
    save();
    std::size_t changed = 0;
    for (const auto& [file, bytes] : originals)
        changed += readBytes(file) != bytes;
    ASSERT_EQ(changed, originals.size());

    const fs::path edited = library.path() / "flac.flac";
    tagWithMutagen(edited, {{"ARTISTSORT", "by hand"}});
    const std::string editedBytes = readBytes(edited);
    originals.erase(edited);

    SRMainController c;
    c.revertLastSave(nullptr);
    EXPECT_THAT(c.lastRevertReport().leftAlone, ElementsAre(HasSubstr("flac.flac: the file changed since")));
    EXPECT_EQ(readBytes(edited), editedBytes);
    EXPECT_EQ(c.lastRevertReport().reverted, originals.size());
    for (const auto& [file, bytes] : originals)
        EXPECT_TRUE(readBytes(file) == bytes) << file << " differs from its original";
}

TEST_F(FolderUndo, SavesAreTakenBackNewestFirst)
{
    save();
    save(u"second");
    SRMainController c;
    c.revertLastSave(nullptr);
    EXPECT_EQ(c.lastRevertReport().saveId, 2u);
    c.revertSave(1); // files rewritten by the first revert, with the bytes of Save 1
    EXPECT_TRUE(c.lastRevertReport().leftAlone.empty()) << c.lastRevertReport().text();
    for (const auto& [file, bytes] : originals)
        EXPECT_TRUE(readBytes(file) == bytes) << file << " differs from its original";
}

TEST_F(FolderUndo, ASaveKilledPartWayLeavesALogThatARevertCompletes)
{
    killedAtCommit(9, [this] { save(); });
    revertAndCompare();
}

TEST_F(FolderUndo, ARevertKilledPartWayIsCompletedByTheNextOne)
{
    save();
    killedAtCommit(9, [] {
        SRMainController c;
        c.revertLastSave(nullptr);
    });
    revertAndCompare();
}

} // namespace
} // namespace yomi::test
