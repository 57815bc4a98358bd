// Values whose tracks hold different sort values: found from the scan's
// counts, the listed sort value first, none missed and none invented, and
// gone once a Save has made the tracks agree.
#include <gtest/gtest.h>

#include <string>

#include "Controller/Conflicts.h"
#include "Controller/SRMainController.h"
#include "support/MemoryLibrary.h"
#include "support/WindowFakes.h"

namespace yomi {
namespace {

using bridge::MemoryLibrary;

class ConflictTest : public ::testing::Test {
protected:
    std::shared_ptr<MemoryLibrary> library = MemoryLibrary::create();
    bridge::ScopedApplication registration{bridge::kMusicApplicationIdentifier, library};
    test::WiredController wired;
    SRMainController& c = wired.controller;
    test::LogCapture log;

    void artist(const char16_t* value, OptString sort)
    {
        library->addTrack("artist", String(value), "sortArtist", std::move(sort));
    }
    const PairEntry& entry(const char16_t* value) { return *c.pairDict()->at(String(value)); }
};

TEST_F(ConflictTest, ListedSortValueLeadsThenMostTracks)
{
    // The first non-empty sort value is the listed one even though two other
    // spellings are held by more tracks; those follow, most tracks first,
    // and the empty sort value is no sort value at all.
    artist(u"坂本龍一", String());
    artist(u"坂本龍一", String(u"サカモト"));
    artist(u"坂本龍一", String(u"Sakamoto"));
    artist(u"坂本龍一", String(u"sakamoto ryuichi"));
    artist(u"坂本龍一", String(u"sakamoto ryuichi"));
    artist(u"坂本龍一", String(u"sakamoto ryuichi"));
    artist(u"坂本龍一", String(u"Sakamoto"));
    c.load(nullptr);

    const PairEntry& e = entry(u"坂本龍一");
    ASSERT_EQ(e.sortStr, u"サカモト");
    const std::vector<HeldSortValue> expected{
        {u"サカモト", 1}, {u"sakamoto ryuichi", 3}, {u"Sakamoto", 2}};
    EXPECT_EQ(heldSortValues(e), expected);
    EXPECT_TRUE(inConflict(e));
    EXPECT_EQ(tracksDisagreeing(e), 5u) << "the empty track is filled, not in conflict";
}

TEST_F(ConflictTest, EqualCountsKeepTheOrderTheTracksWereMet)
{
    artist(u"細野晴臣", String(u"ホソノ"));
    artist(u"細野晴臣", String(u"Hosono B"));
    artist(u"細野晴臣", String(u"Hosono A"));
    c.load(nullptr);
    const std::vector<HeldSortValue> expected{{u"ホソノ", 1}, {u"Hosono B", 1}, {u"Hosono A", 1}};
    EXPECT_EQ(heldSortValues(entry(u"細野晴臣")), expected);
}

TEST_F(ConflictTest, OneSortValueOrOnlyEmptyOnesIsNoConflict)
{
    // Half-filled is not a disagreement: the empty tracks get the one value.
    artist(u"矢野顕子", String(u"ヤノ"));
    artist(u"矢野顕子", String());
    artist(u"矢野顕子", std::nullopt);
    artist(u"大貫妙子", String());
    artist(u"大貫妙子", String());
    c.load(nullptr);
    EXPECT_FALSE(inConflict(entry(u"矢野顕子")));
    EXPECT_EQ(tracksDisagreeing(entry(u"矢野顕子")), 0u);
    EXPECT_FALSE(inConflict(entry(u"大貫妙子")));
    EXPECT_TRUE(heldSortValues(entry(u"大貫妙子")).empty());
    EXPECT_TRUE(conflictingEntries(*c.dataArray()).empty());
}

TEST_F(ConflictTest, ValuesDifferingOnlyInCaseAreDifferentSortValues)
{
    // Sort values compare code unit by code unit, as Save compares them: a
    // track holding "Yano" beside "yano" is written by a Save of "yano".
    artist(u"矢野", String(u"yano"));
    artist(u"矢野", String(u"Yano"));
    c.load(nullptr);
    EXPECT_TRUE(inConflict(entry(u"矢野")));
}

TEST_F(ConflictTest, EveryConflictOfALibraryIsFoundAndNoneInvented)
{
    // 40 artists of 10 tracks; in every third artist 3 of the 10 tracks hold
    // another spelling. Exactly those artists are listed, in list order.
    std::vector<String> disagreeing;
    for (int a = 0; a < 40; ++a) {
        const String value = u"歌手" + toUtf16(std::to_string(a));
        const bool split = a % 3 == 0;
        if (split)
            disagreeing.push_back(value);
        for (int t = 0; t < 10; ++t) {
            const String sort = (split && t % 10 >= 7 ? u"other " : u"kashu ") + toUtf16(std::to_string(a));
            library->addTrack("artist", value, "sortArtist", sort);
        }
    }
    c.load(nullptr);
    std::vector<String> found;
    for (const PairEntryRef& e : conflictingEntries(*c.dataArray())) {
        found.push_back(e->originalStr);
        EXPECT_EQ(tracksDisagreeing(*e), 3u) << toUtf8(e->originalStr);
    }
    EXPECT_EQ(found, disagreeing);
}

TEST_F(ConflictTest, ASaveThatMakesTheTracksAgreeEndsTheConflict)
{
    artist(u"坂本龍一", String(u"サカモト"));
    artist(u"坂本龍一", String(u"Sakamoto"));
    artist(u"坂本龍一", String(u"Sakamoto"));
    c.load(nullptr);
    ASSERT_TRUE(inConflict(entry(u"坂本龍一")));
    c.pairDict()->at(u"坂本龍一")->sortStr = u"Sakamoto";
    c.save(nullptr);
    EXPECT_EQ(c.lastSaveReport().written, 1u);
    EXPECT_FALSE(inConflict(entry(u"坂本龍一"))) << "the counts of the Save are the tracks as written";
    const std::vector<HeldSortValue> expected{{u"Sakamoto", 3}};
    EXPECT_EQ(heldSortValues(entry(u"坂本龍一")), expected);
}

TEST_F(ConflictTest, AFailedWriteLeavesTheConflictShown)
{
    artist(u"坂本龍一", String(u"サカモト"));
    artist(u"坂本龍一", String(u"Sakamoto"));
    library->track(1).failWrites("read-only");
    c.load(nullptr);
    c.save(nullptr);
    EXPECT_EQ(c.lastSaveReport().failed, 1u);
    EXPECT_TRUE(inConflict(entry(u"坂本龍一"))) << "the failed write left Sakamoto on its track";
}

TEST_F(ConflictTest, AnOlderSpellingThatDisagreesIsAConflictAndSaveSettlesIt)
{
    // Track 0 holds サカモト as its sort value but Sakamoto in an older
    // tagger's spelling: one track, two sort values. Track 1 agrees with
    // itself. Neither track's own sort value differs from the listed one, yet
    // a Save must write track 0, or its older spelling keeps contradicting.
    artist(u"坂本龍一", String(u"サカモト"));
    artist(u"坂本龍一", String(u"サカモト"));
    library->track(0).setSpellings("sortArtist", {u"Sakamoto"});
    library->track(1).setSpellings("sortArtist", {u"サカモト"});
    c.load(nullptr);
    const PairEntry& e = entry(u"坂本龍一");
    EXPECT_TRUE(inConflict(e));
    const std::vector<HeldSortValue> expected{{u"サカモト", 2}, {u"Sakamoto", 1}};
    EXPECT_EQ(heldSortValues(e), expected);
    EXPECT_EQ(e.trackCount, 2u) << "a second spelling is no second track";
    EXPECT_EQ(c.savePreview().tracks, 1u);

    library->clearAccesses();
    c.save(nullptr);
    EXPECT_EQ(library->writes(), 1u);
    for (const auto& a : library->accesses()) {
        if (a.kind == MemoryLibrary::Access::Kind::Write) {
            EXPECT_EQ(a.track, 0u) << "only the track at odds with itself";
        }
    }
    EXPECT_EQ(library->track(0).otherSpellings("sortArtist").values, std::vector<String>{u"サカモト"});
    EXPECT_FALSE(inConflict(entry(u"坂本龍一")));
    EXPECT_EQ(c.savePreview().tracks, 0u);

    c.save(nullptr);
    EXPECT_EQ(c.lastSaveReport().written, 0u) << "a second Save finds every spelling agreeing";
}

TEST_F(ConflictTest, OnlyEmptyLeavesATrackWithASortValueAloneWhateverItsSpellings)
{
    artist(u"坂本龍一", String(u"サカモト"));
    library->track(0).setSpellings("sortArtist", {u"Sakamoto"});
    c.load(nullptr);
    c.fillOnlyEmpty = true;
    EXPECT_EQ(c.savePreview().tracks, 0u);
    c.save(nullptr);
    EXPECT_EQ(library->writes(), 0u);
}

} // namespace
} // namespace yomi
