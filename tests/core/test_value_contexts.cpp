// What the scan gathers around each listed value for the language decision:
// the texts of its album folders, each counted once, and what the Reading
// command hands the decider.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "Controller/ValueContexts.h"
#include "support/FixedValueReader.h"
#include "support/MemoryLibrary.h"
#include "support/RecordingDecider.h"
#include "support/WindowFakes.h"

namespace yomi {
namespace {

// A track of a folder library: its texts and where its file lies.
class PlacedTrack final : public bridge::Track {
public:
    PlacedTrack(std::string location, std::map<std::string, String, std::less<>> texts)
        : location_(std::move(location)), texts_(std::move(texts))
    {
    }
    bridge::Value valueForKey(std::string_view key) override
    {
        reads.emplace_back(key);
        const auto found = texts_.find(key);
        return found == texts_.end() ? bridge::Value() : bridge::Value(found->second);
    }
    OptString name() override { return std::nullopt; }
    std::string location() override { return location_; }
    Status setValue(const String&, std::string_view) override { return Failure{"read only"}; }
    std::vector<std::string> reads;

private:
    std::string location_;
    std::map<std::string, String, std::less<>> texts_;
};

struct Counts {
    std::size_t texts, han, kana, simplified, hangul;
    bool operator==(const Counts&) const = default;
};

Counts counts(const ValueContext& c) { return {c.texts, c.hanTexts, c.kanaTexts, c.simplifiedTexts, c.hangulTexts}; }

std::ostream& operator<<(std::ostream& out, const Counts& c)
{
    return out << "{texts " << c.texts << ", han " << c.han << ", kana " << c.kana << ", simplified " << c.simplified
               << ", hangul " << c.hangul << "}";
}

// Hands a track to the contexts as the scan of the artist field does.
void scan(ValueContexts& contexts, PlacedTrack& track, bool listed = true)
{
    const OptString value = track.valueForKey("artist").copy();
    contexts.addTrack(track, "artist", value, listed);
}

TEST(ValueContexts, AFoldersTextsCountOnceAndTheValueItselfNot)
{
    ValueContexts contexts;
    PlacedTrack one("/music/A/01.flac",
                    {{"artist", u"中島美嘉"},
                     {"albumArtist", u"中島美嘉"},
                     {"album", u"雪の華"},
                     {"name", u"雪の華"},
                     {"composer", u"松本良喜"}});
    PlacedTrack two("/music/A/02.flac", {{"artist", u"中島美嘉"}, {"album", u"雪の華"}, {"name", u"桜色舞うころ"}});
    // Another artist of the same album folder lends its texts too.
    PlacedTrack guest("/music/A/03.flac", {{"artist", u"Guest"}, {"album", u"雪の華"}, {"name", u"LOVE"}});
    // Another folder's texts do not reach it.
    PlacedTrack elsewhere("/music/B/01.flac", {{"artist", u"王菲"}, {"album", u"唱游"}, {"name", u"红豆"}});
    scan(contexts, one);
    scan(contexts, two);
    scan(contexts, guest, false);
    scan(contexts, elsewhere);
    EXPECT_EQ(contexts.tracks(), 4u);

    // 雪の華, 松本良喜, 桜色舞うころ, Guest, LOVE: the album and the repeated
    // artist once each, the value itself not at all.
    EXPECT_EQ(counts(contexts.contextOf(u"中島美嘉")), (Counts{5, 3, 2, 0, 0}));
    // 唱游 and 红豆: Han, one of them with a character only simplified
    // Chinese writes.
    EXPECT_EQ(counts(contexts.contextOf(u"王菲")), (Counts{2, 2, 0, 1, 0}));
    EXPECT_EQ(counts(contexts.contextOf(u"Guest")), (Counts{0, 0, 0, 0, 0})) << "not listed: nothing gathered";
    EXPECT_EQ(counts(contexts.contextOf(u"不明")), (Counts{0, 0, 0, 0, 0}));
    EXPECT_THAT(one.reads, ::testing::Not(::testing::Contains(std::string("sortArtist"))))
        << "only the six value fields are read";
    EXPECT_EQ(std::count(one.reads.begin(), one.reads.end(), "artist"), 1) << "the scanned value is not read again";

    contexts.clear();
    EXPECT_EQ(counts(contexts.contextOf(u"中島美嘉")), (Counts{0, 0, 0, 0, 0})) << "a new scan forgets the old";
    EXPECT_EQ(contexts.tracks(), 0u);
}

TEST(ValueContexts, AValueOfSeveralFoldersAndTracksWithoutAPlace)
{
    ValueContexts contexts;
    PlacedTrack first("/music/아이유/Palette/01.flac",
                      {{"artist", u"아이유"}, {"album", u"Palette"}, {"name", u"밤편지"}});
    PlacedTrack second("/music/아이유/Modern Times/01.flac",
                       {{"artist", u"아이유"}, {"album", u"Modern Times"}, {"name", u"분홍신"}});
    // The same title in both folders is one text.
    PlacedTrack repeated("/music/아이유/Modern Times/02.flac", {{"artist", u"아이유"}, {"name", u"밤편지"}});
    scan(contexts, first);
    scan(contexts, second);
    scan(contexts, repeated);
    EXPECT_EQ(counts(contexts.contextOf(u"아이유")), (Counts{4, 0, 0, 0, 2}));

    // Tracks the library keeps nowhere (no location, or no folder in it)
    // each lend only their own fields, and only to their own value.
    PlacedTrack loose("", {{"artist", u"坂本龍一"}, {"name", u"戦場のメリークリスマス"}});
    PlacedTrack bare("file.mp3", {{"artist", u"坂本龍一"}, {"album", u"音楽図鑑"}});
    PlacedTrack stranger("", {{"artist", u"久石譲"}, {"name", u"あの夏へ"}});
    scan(contexts, loose);
    scan(contexts, bare);
    scan(contexts, stranger);
    EXPECT_EQ(counts(contexts.contextOf(u"坂本龍一")), (Counts{2, 2, 1, 0, 0}));
}

TEST(ValueContexts, TheReadingHandsTheScansContextToTheDeciderOnlyWhenAReaderWasSetAtTheScan)
{
    test::WiredController wired;
    SRMainController& c = wired.controller;
    auto library = bridge::MemoryLibrary::create();
    bridge::ScopedApplication registration(bridge::kMusicApplicationIdentifier, library);
    library->addTrack("artist", u"陳昇", "sortArtist", u"").set("name", bridge::Value(String(u"把悲傷留給自己")));
    library->addTrack("artist", u"陳昇", "sortArtist", u"").set("album", bridge::Value(String(u"別讓我哭")));
    library->addTrack("artist", u"平井堅", "sortArtist", u"").set("name", bridge::Value(String(u"瞳をとじて")));

    test::FixedValueReader japanese(Language::Japanese, u"ヨミ");
    test::RecordingDecider decider;
    Reader reader;
    reader.japanese = &japanese;
    reader.decider = &decider;

    // Without a reader the scan reads only what its list needs.
    c.setKeyTag(0);
    c.load(nullptr);
    EXPECT_EQ(library->reads("name"), 0u);
    c.reader = &reader;
    wired.arrayController.selection = c.dataArray()->entries();
    c.copyOriginalToReading(nullptr);
    ASSERT_TRUE(decider.seen.count(u"陳昇"));
    EXPECT_EQ(decider.seen[u"陳昇"].texts, 0u) << "nothing gathered, nothing handed on";

    c.load(nullptr);
    wired.arrayController.selection = c.dataArray()->entries();
    c.copyOriginalToReading(nullptr);
    const ValueContext& chen = decider.seen[u"陳昇"];
    EXPECT_EQ(counts(chen), (Counts{2, 2, 0, 0, 0}));
    EXPECT_EQ(chen.kind, NameKind::Person) << "the field still says what kind of name it is";
    EXPECT_EQ(counts(decider.seen[u"平井堅"]), (Counts{1, 1, 1, 0, 0}));
}

} // namespace
} // namespace yomi
