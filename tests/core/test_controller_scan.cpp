// The editor state and the library scan, over the memory library and
// recording window fakes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/MemoryLibrary.h"
#include "Controller/SRMainController.h"
#include "support/WindowFakes.h"

namespace yomi {
namespace {

using bridge::MemoryLibrary;
using bridge::Value;
using test::LogCapture;
using test::RecordingObserver;
using test::WiredController;

std::vector<std::pair<std::u16string, std::u16string>> rowsOf(const SRMainController& c)
{
    std::vector<std::pair<std::u16string, std::u16string>> rows;
    if (c.dataArray())
        c.dataArray()->forEach([&](const PairEntryRef& e) { rows.emplace_back(e->originalStr, e->sortStr); });
    return rows;
}

using RowList = std::vector<std::pair<std::u16string, std::u16string>>;

class ScanTest : public ::testing::Test {
protected:
    std::shared_ptr<MemoryLibrary> library = MemoryLibrary::create();
    bridge::ScopedApplication registration{bridge::kMusicApplicationIdentifier, library};
    WiredController wired;
    SRMainController& c = wired.controller;
    LogCapture log;

    bridge::MemoryTrack& artist(OptString value, OptString sort)
    {
        return library->addTrack("artist", std::move(value), "sortArtist", std::move(sort));
    }
    void loadArtists() { c.load(nullptr); }
};

TEST(FieldTable, RowsForEveryTagAndNoneOutside)
{
    const std::vector<std::pair<std::string, std::string>> expected{
        {"artist", "sortArtist"},     {"album", "sortAlbum"}, {"albumArtist", "sortAlbumArtist"},
        {"composer", "sortComposer"}, {"name", "sortName"},   {"show", "sortShow"}};
    for (std::int32_t tag = 0; tag < 6; ++tag) {
        const auto row = fieldForTag(tag);
        ASSERT_TRUE(row) << tag;
        EXPECT_EQ(row->valueKey, expected[static_cast<std::size_t>(tag)].first);
        EXPECT_EQ(row->sortKey, expected[static_cast<std::size_t>(tag)].second);
    }
    EXPECT_FALSE(fieldForTag(6));
    EXPECT_FALSE(fieldForTag(-1));
    EXPECT_FALSE(fieldForTag(INT32_MIN));
}

TEST(ControllerState, StartsWithTagZeroAndNoList)
{
    SRMainController c;
    EXPECT_EQ(c.keyTag(), 0);
    EXPECT_EQ(c.dataArray(), nullptr);
    EXPECT_EQ(c.pairDict(), nullptr);
}

TEST(ControllerState, SameTagKeepsListOtherTagEmptiesIt)
{
    SRMainController c;
    RecordingObserver observer;
    c.addObserver(&observer);

    c.setKeyTag(0); // the tag already chosen: nothing at all
    EXPECT_TRUE(observer.events.empty());
    EXPECT_EQ(c.dataArray(), nullptr);

    c.setKeyTag(2); // before any scan: the missing list and table become empty ones
    ASSERT_NE(c.dataArray(), nullptr);
    ASSERT_NE(c.pairDict(), nullptr);
    EXPECT_TRUE(c.dataArray()->empty());
    EXPECT_EQ(c.keyTag(), 2);
    EXPECT_EQ(observer.count(kDataArrayKey, ListChange::Kind::Reset), 1u);
    EXPECT_EQ(observer.count(kPairDictKey, ListChange::Kind::Reset), 1u);

    auto entry = std::make_shared<PairEntry>(PairEntry{u"東京", u"edited"});
    c.pairDict()->emplace(entry->originalStr, entry);
    c.addObjectToDataArray(entry);
    const auto list = c.dataArray();
    observer.events.clear();

    c.setKeyTag(2);
    EXPECT_TRUE(observer.events.empty());
    EXPECT_EQ(c.dataArray(), list);
    EXPECT_EQ(c.dataArray()->at(0)->sortStr, u"edited");

    c.setKeyTag(7); // stored without a range check
    EXPECT_EQ(c.keyTag(), 7);
    EXPECT_TRUE(c.dataArray()->empty());
    EXPECT_TRUE(c.pairDict()->empty());
}

TEST(ControllerState, WritingTheHeldListKeepsItAndNotifies)
{
    SRMainController c;
    auto list = std::make_shared<PairList>();
    auto entry = std::make_shared<PairEntry>(PairEntry{u"北京", u"beijing"});
    list->append(entry);
    c.setDataArray(list);
    list.reset(); // the controller is now the only holder

    RecordingObserver observer;
    c.addObserver(&observer);
    const PairList* before = c.dataArray().get();
    c.setDataArray(c.dataArray());
    ASSERT_EQ(c.dataArray().get(), before);
    ASSERT_EQ(c.dataArray()->size(), 1u);
    EXPECT_EQ(c.dataArray()->at(0), entry);
    EXPECT_EQ(observer.count(kDataArrayKey, ListChange::Kind::Reset), 1u);
    ASSERT_EQ(observer.events.size(), 2u);
    EXPECT_TRUE(observer.events[0].before);
}

TEST_F(ScanTest, ListsValuesOutsideKanaAndLatinOnceEach)
{
    artist(u"東京事変", u"とうきょうじへん");
    artist(u"ひらがな", u"x");           // kana only: never listed
    artist(u"Latin Band", u"y");         // Latin only
    artist(u"カタカナ and Latin", u"z"); // kana and Latin mixed
    artist(u"", u"");                    // empty value passes the test
    artist(std::nullopt, u"s");          // absent value
    artist(u"椎名林檎", std::nullopt);   // absent sort value
    artist(u"東京事変", u"other");       // a second track of a listed value
    artist(u"Ёлка", u"");                // Cyrillic is outside kana and Latin
    loadArtists();

    EXPECT_EQ(rowsOf(c), (RowList{{u"東京事変", u"とうきょうじへん"}, {u"Ёлка", u""}}));
    ASSERT_EQ(c.pairDict()->size(), 2u);
    // The list and the index hold the very same entries.
    for (std::size_t i = 0; i < c.dataArray()->size(); ++i) {
        const auto& e = c.dataArray()->at(i);
        EXPECT_EQ(c.pairDict()->at(e->originalStr), e);
    }
}

TEST_F(ScanTest, EmptySortValueGivesWayOnceAndTheNewEntryMovesToTheEnd)
{
    artist(u"周杰伦", u""); // A: empty sort value
    artist(u"王菲", u"wang fei");
    artist(u"周杰伦", u""); // another empty one never replaces
    artist(u"陈奕迅", u"");
    artist(u"周杰伦", u"zhou jielun"); // B: replaces A, goes to the end
    artist(u"周杰伦", u"later");       // a non-empty sort value is never replaced
    loadArtists();

    EXPECT_EQ(rowsOf(c), (RowList{{u"王菲", u"wang fei"}, {u"陈奕迅", u""}, {u"周杰伦", u"zhou jielun"}}));
    EXPECT_EQ(c.pairDict()->at(u"周杰伦"), c.dataArray()->at(2));
}

TEST_F(ScanTest, FirstNonEmptySortValueKeepsItsPlace)
{
    artist(u"東京", u"tokyo");
    artist(u"大阪", u"osaka");
    artist(u"東京", u"toukyou");
    artist(u"東京", u"");
    loadArtists();
    EXPECT_EQ(rowsOf(c), (RowList{{u"東京", u"tokyo"}, {u"大阪", u"osaka"}}));
}

TEST_F(ScanTest, BothSortValuesEmptyKeepsTheFirstEntry)
{
    artist(u"東京", u"");
    artist(u"京都", u"kyoto");
    artist(u"東京", u"");
    loadArtists();
    EXPECT_EQ(rowsOf(c), (RowList{{u"東京", u""}, {u"京都", u"kyoto"}}));
}

TEST_F(ScanTest, PodcastsAndVideosNeverMakeOrReplaceEntries)
{
    artist(u"播客", u"podcast first").set("podcast", Value(true));
    artist(u"播客", u"second");
    artist(u"映画", u"movie").set("videoKind", Value(std::int32_t{0x6B4D6F76})); // 'kMov'
    artist(u"音乐", u"");
    artist(u"音乐", u"from video").set("videoKind", Value(std::int32_t{0x6B4D6F76}));
    artist(u"音乐", u"from podcast").set("podcast", Value(true));
    auto& noKind = artist(u"未知", u"no kind");
    noKind.erase("videoKind"); // unreadable video kind reads 0: not 'kNon'
    loadArtists();
    EXPECT_EQ(rowsOf(c), (RowList{{u"播客", u"second"}, {u"音乐", u""}}));
}

TEST_F(ScanTest, ReadsOnlyWhatTheDecisionNeeds)
{
    artist(u"kana かな", u"a");                            // 0: passes the test: no further read
    artist(u"漢字", std::nullopt);                         // 1: sort read, absent: stop
    artist(u"漢字", u"");                                  // 2: new value: podcast, videoKind read
    artist(u"漢字", u"");                                  // 3: listed empty, S empty: no podcast read
    artist(u"漢字", u"kanji").set("podcast", Value(true)); // 4: podcast read, videoKind not
    artist(u"漢字", u"kanji");                             // 5: replaces: podcast and videoKind read
    artist(u"漢字", u"again");                             // 6: listed non-empty: nothing more
    artist(std::nullopt, std::nullopt);                    // 7: absent value fails the test: sort read
    library->clearAccesses();
    loadArtists();

    std::vector<std::vector<std::string>> perTrack(library->trackCount());
    for (const auto& a : library->accesses()) {
        ASSERT_EQ(a.kind, MemoryLibrary::Access::Kind::Read);
        perTrack[a.track].push_back(a.key);
    }
    using V = std::vector<std::string>;
    EXPECT_EQ(perTrack[0], (V{"artist"}));
    EXPECT_EQ(perTrack[1], (V{"artist", "sortArtist"}));
    EXPECT_EQ(perTrack[2], (V{"artist", "sortArtist", "podcast", "videoKind"}));
    EXPECT_EQ(perTrack[3], (V{"artist", "sortArtist"}));
    EXPECT_EQ(perTrack[4], (V{"artist", "sortArtist", "podcast"}));
    EXPECT_EQ(perTrack[5], (V{"artist", "sortArtist", "podcast", "videoKind"}));
    EXPECT_EQ(perTrack[6], (V{"artist", "sortArtist"}));
    EXPECT_EQ(perTrack[7], (V{"artist", "sortArtist"}));
    EXPECT_EQ(library->writes(), 0u);
    EXPECT_EQ(library->nameReads(), 0u);
}

TEST_F(ScanTest, TagPicksTheFieldAndInvalidTagsDoNothing)
{
    library->addTrack({{"composer", Value(String(u"久石譲"))},
                       {"sortComposer", Value(String(u"hisaishi"))},
                       {"artist", Value(String(u"別人"))},
                       {"sortArtist", Value(String(u"betsu"))},
                       {"podcast", Value(false)},
                       {"videoKind", Value(bridge::kVideoKindNone)}});
    c.setKeyTag(3);
    c.load(nullptr);
    EXPECT_EQ(rowsOf(c), (RowList{{u"久石譲", u"hisaishi"}}));

    for (std::int32_t tag : {6, -1}) {
        c.setKeyTag(tag);
        wired.saveButton.setKeyEquivalent(u"s");
        const auto list = c.dataArray();
        wired.recorder.calls.clear();
        library->clearAccesses();
        log.lines.clear();
        c.load(nullptr);
        EXPECT_TRUE(wired.recorder.calls.empty()) << tag;
        EXPECT_TRUE(library->accesses().empty()) << tag;
        EXPECT_TRUE(log.lines.empty()) << tag;
        EXPECT_EQ(c.dataArray(), list) << tag;
        EXPECT_EQ(wired.saveButton.keyEquivalent(), u"s") << tag;
    }
}

TEST_F(ScanTest, EmptyPlaylistStillHandsOverAndRedrawsTwice)
{
    loadArtists();
    EXPECT_EQ(wired.recorder.calls,
              (std::vector<std::string>{"save.setKey=\r", "load.setKey=", "progress.start", "progress.hidden=0",
                                        "display", "progress.stop", "progress.hidden=1", "display"}));
    EXPECT_TRUE(c.dataArray()->empty());
    EXPECT_TRUE(c.pairDict()->empty());
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(wired.progress.lastSender, &c);
}

TEST_F(ScanTest, MissingLinksToTheLibraryGiveAnEmptyWalk)
{
    artist(u"東京", u"tokyo");
    library->setHasPlaylist(false);
    loadArtists();
    EXPECT_TRUE(c.dataArray()->empty());
    library->setHasPlaylist(true);
    library->setHasSource(false);
    loadArtists();
    EXPECT_TRUE(c.dataArray()->empty());
    EXPECT_EQ(log.lines.size(), 2u);
    EXPECT_TRUE(wired.progress.hidden);

    bridge::ScopedApplication none(bridge::kMusicApplicationIdentifier, nullptr);
    loadArtists();
    EXPECT_EQ(log.lines.size(), 3u);
}

class RedrawCount : public ScanTest, public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(RedrawCount, RedrawsAfterTrack199And399)
{
    const auto [tracks, inLoop] = GetParam();
    for (int i = 0; i < tracks; ++i)
        artist(u"x", u"");
    loadArtists();
    EXPECT_EQ(wired.window.displays, inLoop + 2);
}

INSTANTIATE_TEST_SUITE_P(Tracks, RedrawCount,
                         ::testing::Values(std::pair{0, 0}, std::pair{198, 0}, std::pair{199, 1}, std::pair{200, 1},
                                           std::pair{398, 1}, std::pair{399, 2}, std::pair{1000, 5}));

// Load and Save tell the walk's progress at its start, beside each redraw of
// a scan (every 200 tracks in Save) and at its end; the redraws stay as they
// were.
TEST_F(ScanTest, ProgressComesWithTheRedrawsAndCountsTowardTheWalksSize)
{
    for (int i = 0; i < 450; ++i)
        artist(u"東京", u"");
    std::vector<std::pair<std::size_t, std::size_t>> told;
    std::vector<int> displaysWhenTold;
    c.progress = [&](const WalkProgress& p) {
        told.emplace_back(p.done, p.total.value_or(SIZE_MAX));
        displaysWhenTold.push_back(wired.window.displays);
    };
    const std::vector<std::pair<std::size_t, std::size_t>> expected{{0, 450}, {199, 450}, {399, 450}, {450, 450}};

    loadArtists();
    EXPECT_EQ(told, expected);
    EXPECT_EQ(displaysWhenTold, (std::vector<int>{1, 1, 2, 3}));
    EXPECT_EQ(wired.window.displays, 4);

    told.clear();
    c.dataArray()->at(0)->sortStr = u"tokyo";
    wired.window.displays = 0;
    c.save(nullptr);
    EXPECT_EQ(told, (std::vector<std::pair<std::size_t, std::size_t>>{{0, 450}, {200, 450}, {400, 450}, {450, 450}}));
    EXPECT_EQ(wired.window.displays, 2);

    told.clear();
    library->setHasPlaylist(false);
    loadArtists();
    EXPECT_EQ(told, (std::vector<std::pair<std::size_t, std::size_t>>{{0, 0}, {0, 0}}));
}

TEST_F(ScanTest, EachRedrawShowsTheEntriesFoundSoFar)
{
    for (int i = 0; i < 450; ++i)
        artist(u"値" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) +
                   std::u16string(1, static_cast<char16_t>(0x4E00 + i)),
               u"");
    std::vector<std::size_t> sizes;
    wired.window.onDisplay = [&] { sizes.push_back(c.dataArray() ? c.dataArray()->size() : 0); };
    loadArtists();
    EXPECT_EQ(sizes, (std::vector<std::size_t>{0, 199, 399, 450}));
}

TEST_F(ScanTest, KeyEquivalentMovesToSaveOnceAndThenNeitherHasOne)
{
    loadArtists();
    EXPECT_EQ(wired.loadButton.keyEquivalent(), u"");
    EXPECT_EQ(wired.saveButton.keyEquivalent(), u"\r");
    c.save(nullptr);
    c.setKeyTag(1);
    EXPECT_EQ(wired.saveButton.keyEquivalent(), u"\r");
    loadArtists();
    EXPECT_EQ(wired.loadButton.keyEquivalent(), u"");
    EXPECT_EQ(wired.saveButton.keyEquivalent(), u"");
}

TEST_F(ScanTest, SecondLoadDropsEntriesAndEdits)
{
    artist(u"東京", u"tokyo");
    loadArtists();
    const auto first = c.dataArray();
    first->at(0)->sortStr = u"edited";
    loadArtists();
    EXPECT_NE(c.dataArray(), first);
    EXPECT_EQ(rowsOf(c), (RowList{{u"東京", u"tokyo"}}));
}

TEST_F(ScanTest, ObserversSeeEveryAppendAndRemovalAsItHappens)
{
    artist(u"甲", u"");
    artist(u"乙", u"b");
    artist(u"甲", u"a");
    RecordingObserver observer;
    c.addObserver(&observer);
    loadArtists();

    std::vector<std::string> seen;
    for (const auto& e : observer.events) {
        if (e.key != kDataArrayKey || e.before)
            continue;
        switch (e.change.kind) {
        case ListChange::Kind::Reset:
            seen.push_back("reset");
            break;
        case ListChange::Kind::Insert:
            seen.push_back("insert " + std::to_string(e.change.row));
            break;
        case ListChange::Kind::Remove:
            seen.push_back("remove " + std::to_string(e.change.row));
            break;
        }
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"reset", "insert 0", "insert 1", "remove 0", "insert 1"}));
}

TEST_F(ScanTest, DurationLineIsPositiveWithSixDecimals)
{
    for (int i = 0; i < 50; ++i)
        artist(u"東京", u"tokyo");
    loadArtists();
    ASSERT_EQ(log.lines.size(), 1u);
    const std::string& line = log.lines[0];
    ASSERT_GE(line.size(), 12u);
    EXPECT_EQ(line.substr(line.size() - 4), " sec");
    const std::string number = line.substr(0, line.size() - 4);
    const auto dot = number.find('.');
    ASSERT_NE(dot, std::string::npos);
    EXPECT_EQ(number.size() - dot - 1, 6u);
    EXPECT_NE(number[0], '-');
    EXPECT_GE(std::strtod(number.c_str(), nullptr), 0.0);
}

TEST_F(ScanTest, UnconnectedOutletsAreIgnored)
{
    SRMainController bare;
    artist(u"東京", u"tokyo");
    bare.load(nullptr);
    EXPECT_EQ(rowsOf(bare), (RowList{{u"東京", u"tokyo"}}));
    bare.save(nullptr);
    bare.copyOriginalToPinYin(nullptr);
    EXPECT_EQ(rowsOf(bare), (RowList{{u"東京", u"tokyo"}}));
}

TEST_F(ScanTest, TracksRemovedDuringTheWalkDoNotDisturbIt)
{
    for (int i = 0; i < 40; ++i)
        artist(u"東京" + std::u16string(1, static_cast<char16_t>(0x4E00 + i)), u"s");
    // The first redraw inside the walk removes every track from the library.
    int displays = 0;
    wired.window.onDisplay = [&] {
        if (++displays == 2)
            while (library->trackCount() > 0)
                library->removeTrack(0);
    };
    for (int i = 0; i < 400; ++i)
        artist(u"大阪", u"osaka");
    loadArtists();
    EXPECT_EQ(c.dataArray()->size(), 41u);
}

} // namespace
} // namespace yomi
