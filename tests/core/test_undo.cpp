// The undo log of Saves, and Save/revert through the controller over the
// memory library.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "support/MemoryLibrary.h"
#include "Controller/SRMainController.h"
#include "Platform/Launcher.h"
#include "Storage/RecordFrame.h"
#include "Storage/UndoLog.h"
#include "support/AudioFixtures.h"
#include "support/RecordingLauncher.h"
#include "support/StateHome.h"
#include "support/WindowFakes.h"

namespace yomi {
namespace {

using bridge::Value;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(ByteEdit, UndoGivesBackTheOldBytesOnlyFromTheNewOnes)
{
    for (const auto& [before, after] : {std::pair<std::string, std::string>{"head-OLD-tail", "head-NEWER-tail"},
                                        {"head-OLDER-tail", "head-NEW-tail"},
                                        {"abc", "abd"},
                                        {"", "added"}}) {
        const auto edit = storage::ByteEdit::between(before, after);
        EXPECT_EQ(edit.undo(after), before);
        EXPECT_TRUE(edit.isOld(before));
        EXPECT_EQ(edit.inverse().undo(before), after);
        EXPECT_EQ(edit.undo(before + "x"), std::nullopt);
        std::string touched = after;
        touched[0] ^= 1; // outside the edited range: caught by the whole-content check
        EXPECT_EQ(edit.undo(touched), std::nullopt) << after;
    }
}

TEST(ByteEdit, KeepsOnlyTheBytesThatDifferAroundALargeShiftedItem)
{
    std::string art(200000, '\0');
    for (std::size_t i = 0; i < art.size(); ++i)
        art[i] = static_cast<char>((i * 2654435761u) >> 13);
    // A tag whose size field changes, a frame added before a large item that
    // only moves, and a padding that shrinks: the audio after it is equal.
    const std::string before =
        "ID3\x04\x00\x00\x10\x20TIT2:title|APIC:" + art + "|pad:" + std::string(64, '\0') + "AUDIO";
    const std::string after =
        "ID3\x04\x00\x00\x11\x7fTIT2:title|TSOP:bǎn běn|APIC:" + art + "|pad:" + std::string(40, '\0') + "AUDIO";
    const auto edit = storage::ByteEdit::between(before, after);
    EXPECT_LT(edit.oldDelta.size() + edit.newDelta.size(), 200u);
    EXPECT_EQ(edit.undo(after), before);
    EXPECT_TRUE(edit.isOld(before));
    EXPECT_EQ(edit.inverse().undo(before), after);

    std::string shifted = after;
    shifted[after.find("APIC") + 1000] ^= 1; // inside the copied item
    EXPECT_EQ(edit.undo(shifted), std::nullopt);
}

TEST(ByteEdit, ADamagedDeltaGivesNothing)
{
    std::string source;
    for (int i = 0; i < 40; ++i)
        source += std::to_string(i * 7919) + ",";
    const std::string target = "XX" + source.substr(3, 150) + "YY";
    const std::string delta = storage::encodeDelta(target, source);
    EXPECT_LT(delta.size(), 20u); // one copy between two literals
    EXPECT_EQ(storage::applyDelta(delta, source, target.size()), target);
    EXPECT_EQ(storage::applyDelta(delta, source, target.size() + 1), std::nullopt);
    EXPECT_EQ(storage::applyDelta(delta, source.substr(0, 20), target.size()), std::nullopt); // copy out of range
    for (std::size_t cut = 0; cut < delta.size(); ++cut)
        EXPECT_NE(storage::applyDelta(delta.substr(0, cut), source, target.size()), target);
}

class UndoLogTest : public ::testing::Test {
protected:
    test::ScopedStateHome state;

    static storage::Change change(std::string path, OptString oldValue, OptString newValue)
    {
        return storage::Change{std::move(path), "sortArtist", std::move(oldValue), std::move(newValue), {}, {}, false};
    }
};

TEST_F(UndoLogTest, ReadsBackWhatWasRecordedUpToATornTail)
{
    std::uint64_t id = 0;
    {
        storage::UndoLog log(storage::LogKind::Save, "sortArtist");
        const auto a = log.record(change("a", std::nullopt, u"x"));
        ASSERT_TRUE(a) << a.reason();
        fileio::FileIdentity stamp;
        stamp.inode = 42;
        ASSERT_TRUE(log.markCommitted(*a, stamp));
        ASSERT_TRUE(log.record(change("b", u"", u"y")));
        id = log.id();
    }
    auto save = storage::readSave(id);
    ASSERT_TRUE(save) << save.reason();
    EXPECT_TRUE(save->complete);
    ASSERT_EQ(save->changes.size(), 2u);
    EXPECT_EQ(save->changes[0].oldValue, std::nullopt);
    EXPECT_EQ(save->changes[0].after->inode, 42u);
    EXPECT_FALSE(save->changes[1].committed);
    EXPECT_EQ(save->changes[1].oldValue, u"");

    // A crash in the middle of the last record: the records before it stand.
    const auto file = storage::undoFolder() / "save-00000001.undo";
    std::filesystem::resize_file(file, std::filesystem::file_size(file) - 20);
    save = storage::readSave(id);
    ASSERT_TRUE(save) << save.reason();
    EXPECT_FALSE(save->complete);
    EXPECT_EQ(save->changes.size(), 1u);
}

TEST_F(UndoLogTest, KeepsTheLastTwentySavesAndWritesNoneForNoChange)
{
    {
        storage::UndoLog unused(storage::LogKind::Save, "sortArtist");
    }
    EXPECT_TRUE(storage::listSaves().empty());
    for (int i = 0; i < 25; ++i) {
        storage::UndoLog log(storage::LogKind::Save, "sortArtist");
        const auto recorded = log.record(change(std::to_string(i), u"", u"x"));
        ASSERT_TRUE(recorded) << recorded.reason();
    }
    const auto ids = storage::listSaves();
    ASSERT_EQ(ids.size(), storage::kKeptSaves);
    EXPECT_EQ(ids.front(), 6u);
    EXPECT_EQ(ids.back(), 25u);
}

// Each log names its library; the last Save of a library is its own newest
// one. A log written before logs named their library still reads, and counts
// for the library that holds all its files.
TEST_F(UndoLogTest, TheLastSaveOfALibraryIsItsOwn)
{
    const auto save = [&](std::string library, std::string path) {
        storage::UndoLog log(storage::LogKind::Save, "sortArtist", 0, std::move(library));
        const auto recorded = log.record(change(std::move(path), u"", u"x"));
        EXPECT_TRUE(recorded) << recorded.reason();
    };
    save("/lib/a", "/lib/a/1.mp3");
    save("", "/lib/a/2.mp3");
    save("/lib/b", "/lib/a/3.mp3");
    // The second log as an older version wrote it: its header ends before
    // the library's (empty) name.
    const auto file = storage::undoFolder() / "save-00000002.undo";
    const std::string bytes = test::readBytes(file);
    std::string_view rest = bytes;
    const auto header = storage::frame::next(rest, "YUN1");
    ASSERT_TRUE(header);
    const std::string_view payload = header->payload.substr(0, header->payload.size() - 4);
    test::writeBytes(file, storage::frame::encode("YUN1", header->type, payload) + std::string(rest));

    const auto old = storage::readSave(2);
    ASSERT_TRUE(old) << old.reason();
    EXPECT_EQ(old->library, "");
    EXPECT_TRUE(old->complete);
    ASSERT_EQ(old->changes.size(), 1u);
    EXPECT_EQ(storage::readSave(3)->library, "/lib/b");

    EXPECT_EQ(storage::saveToRevert(), 3u);
    EXPECT_EQ(storage::saveToRevert("/lib/b"), 3u);
    EXPECT_EQ(storage::saveToRevert("/lib/a"), 2u);
    EXPECT_EQ(storage::saveToRevert("/lib"), 2u);
    EXPECT_EQ(storage::saveToRevert("/lib/a/1"), std::nullopt);
    EXPECT_EQ(storage::saveToRevert("/lib/c"), std::nullopt);
}

class RevertTest : public ::testing::Test {
protected:
    RevertTest() { previousLauncher_ = setLauncher(std::make_shared<test::RecordingLauncher>()); }
    ~RevertTest() override { setLauncher(previousLauncher_); }

    test::ScopedStateHome state;
    std::shared_ptr<bridge::MemoryLibrary> library = bridge::MemoryLibrary::create();
    bridge::ScopedApplication registration{bridge::kMusicApplicationIdentifier, library};
    test::WiredController wired;
    SRMainController& c = wired.controller;
    test::LogCapture log;
    std::shared_ptr<Launcher> previousLauncher_;

    OptString sortOf(std::size_t i) { return library->track(i).get("sortArtist").copy(); }
    void loadAndSet(std::u16string sort)
    {
        c.load(nullptr);
        c.dataArray()->forEach([&](const PairEntryRef& e) { e->sortStr = sort; });
    }
};

TEST_F(RevertTest, PutsBackOldValuesAndLeavesTracksChangedSinceAlone)
{
    library->addTrack("artist", u"桜", "sortArtist", u"old");
    library->addTrack("artist", u"桜", "sortArtist", std::nullopt); // absent: removed again
    library->addTrack("artist", u"桜", "sortArtist", u"");
    library->addTrack("artist", u"桜", "sortArtist", u"sakura"); // already right: not written
    loadAndSet(u"sakura");
    c.save(nullptr);
    ASSERT_EQ(c.lastSaveReport().written, 3u);
    library->track(2).set("sortArtist", Value(String(u"edited by hand")));

    log.lines.clear();
    c.revertSave(0);
    const RevertReport& r = c.lastRevertReport();
    EXPECT_EQ(r.saveId, c.lastSaveReport().undoId);
    EXPECT_EQ(r.reverted, 2u);
    EXPECT_THAT(r.leftAlone, ElementsAre("2: the track holds another value"));
    EXPECT_EQ(sortOf(0), u"old");
    EXPECT_EQ(sortOf(1), std::nullopt);
    EXPECT_EQ(sortOf(2), u"edited by hand");
    EXPECT_EQ(sortOf(3), u"sakura");
    EXPECT_THAT(log.lines,
                ElementsAre(HasSubstr("left alone: 2:sortArtist:sakura->"), "reverted 1:sortArtist:sakura->(null)\n",
                            "reverted 0:sortArtist:sakura->old\n"));
    EXPECT_EQ(r.text(), "Reverted Save 1: 2 tracks; 1 changed since, left alone");

    // A second Revert steps further back (there is no older Save), it does
    // not take back the first; Redo does, writing the values again.
    const std::uint64_t revertId = r.undoId;
    c.revertLastSave(nullptr);
    EXPECT_FALSE(c.lastRevertReport().found) << "a second Revert re-applied the Save it took back";
    EXPECT_EQ(sortOf(0), u"old");
    c.redoLastRevert(nullptr);
    EXPECT_EQ(c.lastRevertReport().saveId, revertId);
    EXPECT_EQ(sortOf(0), u"sakura");
    EXPECT_EQ(sortOf(1), u"sakura");
}

TEST_F(RevertTest, AnInterruptedRevertIsCompletedNotTakenBack)
{
    for (int i = 0; i < 3; ++i)
        library->addTrack("artist", u"桜", "sortArtist", u"old");
    loadAndSet(u"sakura");
    c.save(nullptr);
    const std::uint64_t saved = c.lastSaveReport().undoId;

    // A revert that died after its first change: its log has no end.
    library->track(2).failWrites("disk gone");
    c.revertSave(saved);
    ASSERT_EQ(c.lastRevertReport().failed, 1u);
    const auto file = storage::undoFolder() / "save-00000002.undo";
    std::filesystem::resize_file(file, std::filesystem::file_size(file) - 13); // the end record
    library->track(2).failWrites("");

    EXPECT_EQ(storage::saveToRevert(), saved);
    c.revertLastSave(nullptr);
    EXPECT_EQ(c.lastRevertReport().reverted, 1u);
    EXPECT_EQ(c.lastRevertReport().notMade, 2u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(sortOf(i), u"old");
}

TEST_F(RevertTest, RevertAndRedoWalkTheSavesLikeAnUndoStack)
{
    library->addTrack("artist", u"桜", "sortArtist", u"");
    library->addTrack("artist", u"桜", "sortArtist", u"");
    loadAndSet(u"one");
    c.save(nullptr);
    const std::uint64_t first = c.lastSaveReport().undoId;
    loadAndSet(u"two");
    c.save(nullptr);
    const std::uint64_t second = c.lastSaveReport().undoId;
    EXPECT_EQ(c.revertSteps().undo, second);
    EXPECT_EQ(c.revertSteps().undoChanges, 2u);
    EXPECT_FALSE(c.revertSteps().redo) << "nothing was reverted yet";

    c.revertLastSave(nullptr);
    EXPECT_EQ(sortOf(0), u"one");
    // The Save before is next; the revert just made is what Redo takes back.
    EXPECT_EQ(c.revertSteps().undo, first);
    EXPECT_EQ(c.revertSteps().redo, c.lastRevertReport().undoId);

    c.revertLastSave(nullptr);
    EXPECT_EQ(sortOf(0), u"");
    EXPECT_FALSE(c.revertSteps().undo) << "every Save is taken back";

    c.redoLastRevert(nullptr); // Save 1 again
    EXPECT_EQ(sortOf(1), u"one");
    c.redoLastRevert(nullptr); // Save 2 again
    EXPECT_EQ(sortOf(1), u"two");
    EXPECT_FALSE(c.revertSteps().redo);
    // A redo is a step done: Revert takes it back.
    c.revertLastSave(nullptr);
    EXPECT_EQ(sortOf(1), u"one");

    // A new Save ends the redos.
    loadAndSet(u"three");
    c.save(nullptr);
    EXPECT_FALSE(c.revertSteps().redo);
    EXPECT_EQ(c.revertSteps().undo, c.lastSaveReport().undoId);
}

TEST_F(RevertTest, NothingToRevertIsReportedNotASuccess)
{
    c.revertLastSave(nullptr);
    EXPECT_FALSE(c.lastRevertReport().found);
    EXPECT_EQ(c.lastRevertReport().text(), "Nothing reverted: no Save to revert");
}

TEST_F(RevertTest, PreviewCountsTracksToWriteFromTheScan)
{
    library->addTrack("artist", u"桜", "sortArtist", u"sakura");
    library->addTrack("artist", u"桜", "sortArtist", u"");
    library->addTrack("artist", u"山", "sortArtist", u"");
    auto& podcast = library->addTrack("artist", u"山", "sortArtist", u"");
    podcast.set("podcast", Value(true)); // not listed by itself, but written by a Save
    c.load(nullptr);
    ASSERT_EQ(c.dataArray()->size(), 2u);
    EXPECT_EQ(c.dataArray()->at(0)->trackCount, 2u);
    EXPECT_EQ(c.savePreview().text(), "Save will write 1 track for 1 value");
    c.dataArray()->at(0)->sortStr = u"other";
    EXPECT_EQ(c.savePreview().tracks, 2u);
    c.fillOnlyEmpty = true; // the track holding "sakura" keeps it
    EXPECT_EQ(c.savePreview().tracks, 1u);
    c.fillOnlyEmpty = false;
    c.dataArray()->at(0)->sortStr = u"sakura";

    c.dataArray()->at(1)->sortStr = u"yama";
    EXPECT_TRUE(c.dataArray()->at(1)->isEdited());
    const SavePreview preview = c.savePreview();
    c.save(nullptr);
    EXPECT_EQ(preview.tracks, c.lastSaveReport().written);
    EXPECT_EQ(preview.text(), "Save will write 3 tracks for 2 values");
    EXPECT_EQ(c.savePreview().tracks, 0u);
    EXPECT_FALSE(c.dataArray()->at(1)->isEdited());
    EXPECT_EQ((SavePreview{1284, 37}.text()), "Save will write 1,284 tracks for 37 values");
}

} // namespace
} // namespace yomi
