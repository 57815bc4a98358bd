// The write-back and the selection edits, over the memory library.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/MemoryLibrary.h"
#include "Controller/SRMainController.h"
#include "Platform/Launcher.h"
#include "support/RecordingLauncher.h"
#include "support/WindowFakes.h"

namespace yomi {
namespace {

using test::RecordingLauncher;

using bridge::MemoryLibrary;
using bridge::Value;
using test::LogCapture;
using test::RecordingObserver;
using test::WiredController;

class SaveTest : public ::testing::Test {
protected:
    SaveTest() { previousLauncher_ = setLauncher(launcher); }
    ~SaveTest() override { setLauncher(previousLauncher_); }

    std::shared_ptr<RecordingLauncher> launcher = std::make_shared<RecordingLauncher>();
    std::shared_ptr<MemoryLibrary> library = MemoryLibrary::create();
    bridge::ScopedApplication registration{bridge::kMusicApplicationIdentifier, library};
    WiredController wired;
    SRMainController& c = wired.controller;
    LogCapture log;

    bridge::MemoryTrack& artist(OptString value, OptString sort, std::u16string name = u"track")
    {
        auto& t = library->addTrack("artist", std::move(value), "sortArtist", std::move(sort));
        t.set("name", Value(std::move(name)));
        return t;
    }
    OptString sortOf(std::size_t i) { return library->track(i).get("sortArtist").copy(); }

    // Lists one entry per value with the given sort value, as a scan would.
    void list(std::u16string value, std::u16string sort)
    {
        if (!c.pairDict())
            c.setPairDict(std::make_shared<PairDict>());
        auto entry = std::make_shared<PairEntry>(PairEntry{value, std::move(sort)});
        (*c.pairDict())[value] = entry;
        c.addObjectToDataArray(entry);
    }

    std::shared_ptr<Launcher> previousLauncher_;
};

TEST_F(SaveTest, WritesTracksWhoseSortValueDiffersInTrackOrder)
{
    artist(u"東京事変", u"tokyo jihen", u"A"); // already holds it
    artist(u"東京事変", u"other", u"B");       // another sort value
    artist(u"東京事変", std::nullopt, u"C");   // none
    list(u"東京事変", u"tokyo jihen");
    library->clearAccesses();
    log.lines.clear();
    c.save(nullptr);

    EXPECT_EQ(sortOf(0), u"tokyo jihen");
    EXPECT_EQ(sortOf(1), u"tokyo jihen");
    EXPECT_EQ(sortOf(2), u"tokyo jihen");
    EXPECT_EQ(log.lines, (std::vector<std::string>{"B:東京事変->tokyo jihen\n", "C:東京事変->tokyo jihen\n"}));
    EXPECT_EQ(library->writes(), 2u);
    EXPECT_EQ(library->nameReads(), 2u); // the name only of tracks written
    EXPECT_EQ(c.lastSaveReport().written, 2u);
    EXPECT_EQ(launcher->launched, (std::vector<std::string>{"Console"}));
}

TEST_F(SaveTest, WindowCallsAndConsoleLaunchOrder)
{
    std::vector<std::string> order;
    wired.window.onDisplay = [&] {
        order.push_back("display(launched=" + std::to_string(launcher->launched.size()) + ")");
    };
    for (int i = 0; i < 450; ++i)
        artist(u"東京", u"");
    list(u"東京", u"tokyo");
    wired.recorder.calls.clear();
    c.save(nullptr);
    EXPECT_EQ(wired.recorder.calls,
              (std::vector<std::string>{"progress.start", "progress.hidden=0", "display", "progress.stop",
                                        "progress.hidden=1", "display"}));
    // The first redraw comes before the Console is launched.
    EXPECT_EQ(order, (std::vector<std::string>{"display(launched=0)", "display(launched=1)"}));
    EXPECT_EQ(wired.progress.lastSender, &c);
    EXPECT_EQ(wired.loadButton.keyEquivalent(), u"\r"); // left as it was
}

TEST_F(SaveTest, EmptyListedSortValueAndUnlistedValuesChangeNothing)
{
    artist(u"東京", u"x");
    artist(u"大阪", std::nullopt);
    artist(std::nullopt, u"y");
    list(u"東京", u"");
    library->clearAccesses();
    c.save(nullptr);
    EXPECT_EQ(library->writes(), 0u);
    EXPECT_EQ(library->reads("sortArtist"), 0u); // read only for a non-empty listed value
    EXPECT_EQ(library->reads("artist"), 3u);
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(SaveTest, MatchingIsExactButSortComparisonIsCaseSensitive)
{
    artist(u"Ａｂｃ漢", u"abc", u"case of value"); // full-width letters in the value
    artist(u"ａｂｃ漢", u"x", u"lower value");     // differs only in case: no entry
    artist(u"Ａｂｃ漢", u"ABC", u"case of sort");  // sort differs only in case: written
    list(u"Ａｂｃ漢", u"abc");
    c.save(nullptr);
    EXPECT_EQ(sortOf(1), u"x");
    EXPECT_EQ(sortOf(2), u"abc");
    EXPECT_EQ(log.lines, (std::vector<std::string>{"case of sort:Ａｂｃ漢->abc\n"}));
}

TEST_F(SaveTest, PodcastsAndVideosAreWrittenLikeAnyTrack)
{
    artist(u"播客", u"", u"p").set("podcast", Value(true));
    artist(u"播客", u"", u"v").set("videoKind", Value(std::int32_t{0x6B4D6F76}));
    list(u"播客", u"boke");
    library->clearAccesses();
    c.save(nullptr);
    EXPECT_EQ(sortOf(0), u"boke");
    EXPECT_EQ(sortOf(1), u"boke");
    EXPECT_EQ(library->reads("podcast"), 0u);
    EXPECT_EQ(library->reads("videoKind"), 0u);
}

TEST_F(SaveTest, SaveBeforeAnyLoadVisitsEveryTrackAndWritesNothing)
{
    artist(u"東京", u"");
    artist(u"大阪", u"");
    library->clearAccesses();
    c.save(nullptr);
    EXPECT_EQ(launcher->launched.size(), 1u);
    EXPECT_EQ(library->reads("artist"), 2u);
    EXPECT_EQ(library->writes(), 0u);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_TRUE(wired.progress.hidden);
    EXPECT_FALSE(wired.progress.animating);
}

TEST_F(SaveTest, TagChoosesTheFieldAndInvalidTagsDoNothing)
{
    library->addTrack({{"composer", Value(String(u"久石譲"))}, {"name", Value(String(u"n"))}});
    list(u"久石譲", u"hisaishi joe");
    c.setKeyTag(3); // empties the list: list again for the composer field
    list(u"久石譲", u"hisaishi joe");
    c.save(nullptr);
    EXPECT_EQ(library->track(0).get("sortComposer").copy(), u"hisaishi joe");
    EXPECT_TRUE(library->track(0).get("sortArtist").isAbsent());

    for (std::int32_t tag : {6, -1}) {
        c.setKeyTag(tag);
        launcher->launched.clear();
        library->clearAccesses();
        wired.recorder.calls.clear();
        c.save(nullptr);
        EXPECT_TRUE(launcher->launched.empty());
        EXPECT_TRUE(library->accesses().empty());
        EXPECT_TRUE(wired.recorder.calls.empty());
    }
}

TEST_F(SaveTest, SecondSaveFindsEverythingEqual)
{
    artist(u"東京", u"");
    artist(u"東京", u"old");
    list(u"東京", u"tokyo");
    c.save(nullptr);
    EXPECT_EQ(log.lines.size(), 2u);
    log.lines.clear();
    c.save(nullptr);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(launcher->launched.size(), 2u);
    EXPECT_EQ(c.lastSaveReport().written, 0u);
}

TEST_F(SaveTest, FillOnlyEmptyLeavesATracksOwnSortValue)
{
    artist(u"中村", u"dj nakamura");
    artist(u"中村", u"");
    list(u"中村", u"DJ Nakamura");
    c.fillOnlyEmpty = true;
    c.save(nullptr);
    EXPECT_EQ(sortOf(0), u"dj nakamura");
    EXPECT_EQ(sortOf(1), u"DJ Nakamura");
    EXPECT_EQ(c.lastSaveReport().written, 1u);
}

TEST_F(SaveTest, FailedWriteIsReportedAndTheWalkGoesOn)
{
    artist(u"東京", u"", u"broken").failWrites("disk full");
    artist(u"東京", u"", u"fine");
    list(u"東京", u"tokyo");
    // Failures are warnings and changes notices, whatever text they carry.
    std::vector<log::Priority> priorities;
    {
        log::ScopedSink sink([&](std::string_view text, log::Priority p) {
            log.lines.emplace_back(text);
            priorities.push_back(p);
        });
        c.save(nullptr);
    }
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"write failed: broken:東京->tokyo (disk full)\n", "fine:東京->tokyo\n"}));
    EXPECT_THAT(priorities, ::testing::ElementsAre(log::Priority::Warning, log::Priority::Notice));
    EXPECT_EQ(sortOf(0), u"");
    EXPECT_EQ(sortOf(1), u"tokyo");
    EXPECT_EQ(c.lastSaveReport().written, 1u);
    EXPECT_EQ(c.lastSaveReport().failed, 1u);
}

TEST_F(SaveTest, ControlCharactersCannotForgeLogLines)
{
    artist(u"東京\nfake:line->x", u"", u"na\rme");
    list(u"東京\nfake:line->x", u"to\tkyo");
    auto& nameless = artist(u"東京\nfake:line->x", u"");
    nameless.erase("name");
    c.save(nullptr);
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0], "na\\rme:東京\\nfake:line->x->to\\tkyo\n");
    EXPECT_EQ(log.lines[1], "(null):東京\\nfake:line->x->to\\tkyo\n");
    // The value itself is written unchanged.
    EXPECT_EQ(sortOf(0), u"to\tkyo");
}

TEST_F(SaveTest, ListAndEntriesAreLeftAlone)
{
    artist(u"東京", u"");
    list(u"東京", u"tokyo");
    const auto listBefore = c.dataArray();
    const auto dictBefore = c.pairDict();
    RecordingObserver observer;
    c.addObserver(&observer);
    c.save(nullptr);
    EXPECT_TRUE(observer.events.empty());
    EXPECT_EQ(c.dataArray(), listBefore);
    EXPECT_EQ(c.pairDict(), dictBefore);
    EXPECT_EQ(c.dataArray()->at(0)->sortStr, u"tokyo");
}

class EditTest : public SaveTest {
protected:
    void SetUp() override
    {
        artist(u"東京", u"とうきょう", u"t1");
        artist(u"ＡＢＣ漢字", u"", u"t2");
        artist(u"北京", u"peking", u"t3");
        c.load(nullptr);
        ASSERT_EQ(c.dataArray()->size(), 3u);
    }
    PairEntryRef row(std::size_t i) { return c.dataArray()->at(i); }
};

TEST_F(EditTest, NoSelectionChangesNothingButStillWritesTheListToItself)
{
    RecordingObserver observer;
    c.addObserver(&observer);
    const auto list = c.dataArray();
    c.copyOriginalToSort(nullptr);
    EXPECT_EQ(observer.count(kDataArrayKey, ListChange::Kind::Reset), 1u);
    EXPECT_EQ(c.dataArray(), list);
    EXPECT_EQ(row(0)->sortStr, u"とうきょう");
    EXPECT_EQ(row(2)->sortStr, u"peking");
}

TEST_F(EditTest, CommandsActOnSelectedRowsOnlyAndStartFromTheValue)
{
    wired.arrayController.selection = {row(0), row(2)};
    c.copyOriginalToPinYin(nullptr);
    const String once0 = row(0)->sortStr, once2 = row(2)->sortStr;
    EXPECT_NE(once0, u"とうきょう");
    EXPECT_FALSE(once0.empty());
    EXPECT_EQ(once2, u"běi jīng");
    EXPECT_EQ(row(1)->sortStr, u""); // not selected

    c.copyOriginalToPinYin(nullptr); // from originalStr again, not from sortStr
    EXPECT_EQ(row(0)->sortStr, once0);
    EXPECT_EQ(row(2)->sortStr, once2);

    c.copyOriginalToSort(nullptr);
    EXPECT_EQ(row(0)->sortStr, u"東京");
    c.copyOriginalToPinYin(nullptr);
    EXPECT_EQ(row(0)->sortStr, once0);
    // The index sees the edits: it holds the same entries.
    EXPECT_EQ(c.pairDict()->at(u"北京")->sortStr, once2);
}

TEST_F(EditTest, EditThenSaveWritesTheEditedValue)
{
    wired.arrayController.selection = {row(1)};
    c.copyOriginalToSort(nullptr);
    log.lines.clear();
    c.save(nullptr);
    EXPECT_EQ(sortOf(1), u"ＡＢＣ漢字");
    EXPECT_EQ(log.lines, (std::vector<std::string>{"t2:ＡＢＣ漢字->ＡＢＣ漢字\n"}));
}

TEST_F(EditTest, WithoutAnArrayControllerNothingIsEdited)
{
    c.arrayController = nullptr;
    RecordingObserver observer;
    c.addObserver(&observer);
    c.copyOriginalToPinYin(nullptr);
    EXPECT_EQ(row(0)->sortStr, u"とうきょう");
    EXPECT_EQ(observer.count(kDataArrayKey, ListChange::Kind::Reset), 1u);
}

// A library that makes its writes in groups of two and fails the second
// write of the Save; it notes how many lines were logged when each group was
// committed.
class GroupedLibrary final : public bridge::Application {
public:
    GroupedLibrary(std::shared_ptr<MemoryLibrary> inner, const LogCapture& log) : inner_(std::move(inner)), log_(log) {}
    std::vector<std::shared_ptr<bridge::Source>> sources() override { return inner_->sources(); }
    void setUndoLog(storage::UndoLog* log) override { inner_->setUndoLog(log); }

    std::unique_ptr<bridge::WriteGroup> writeGroup() override
    {
        class Group final : public bridge::WriteGroup {
        public:
            explicit Group(GroupedLibrary& owner) : owner_(owner) {}
            void add(bridge::Track& track, const String& value, std::string_view key) override
            {
                held_.push_back(++owner_.adds == 2 ? Failure{"disk full"} : track.setValue(value, key));
            }
            std::size_t size() const override { return held_.size(); }
            bool due() const override { return held_.size() >= 2; }
            std::vector<Status> commit() override
            {
                owner_.linesAtCommit.push_back(owner_.log_.lines.size());
                return std::exchange(held_, {});
            }

        private:
            GroupedLibrary& owner_;
            std::vector<Status> held_;
        };
        return std::make_unique<Group>(*this);
    }

    int adds = 0;
    std::vector<std::size_t> linesAtCommit;

private:
    std::shared_ptr<MemoryLibrary> inner_;
    const LogCapture& log_;
};

TEST_F(SaveTest, ChangeLinesComeAfterTheirGroupCommitsInTrackOrder)
{
    for (const char16_t* name : {u"A", u"B", u"C"})
        artist(u"東京事変", std::nullopt, name);
    list(u"東京事変", u"tokyo jihen");
    auto grouped = std::make_shared<GroupedLibrary>(library, log);
    bridge::ScopedApplication over{bridge::kMusicApplicationIdentifier, grouped};
    log.lines.clear();
    c.save(nullptr);

    EXPECT_EQ(
        log.lines,
        (std::vector<std::string>{"A:東京事変->tokyo jihen\n", "write failed: B:東京事変->tokyo jihen (disk full)\n",
                                  "C:東京事変->tokyo jihen\n"}));
    // Nothing of a group is logged before its commit: two groups, {A, B}
    // then {C}.
    EXPECT_EQ(grouped->linesAtCommit, (std::vector<std::size_t>{0, 2}));
    EXPECT_EQ(c.lastSaveReport().written, 2u);
    EXPECT_EQ(c.lastSaveReport().failed, 1u);
}

} // namespace
} // namespace yomi
