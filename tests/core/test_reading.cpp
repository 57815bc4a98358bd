// Readings of values with a fake engine: styles, runs kept as they are,
// refusals, alternatives, the user's readings, and the controller's Reading
// command.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Category/Reader.h"
#include "support/AudioFixtures.h"
#include "support/FakeReadingEngine.h"
#include "support/FixedValueReader.h"
#include "support/WindowFakes.h"

namespace yomi {
namespace {

using test::FakeReadingEngine;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

FakeReadingEngine engine()
{
    FakeReadingEngine e;
    e.table[u"東京事変"] = {u"トウキョウ ジヘン"};
    e.table[u"靖子"] = {u"ヤスコ", u"セイコ", u"キヨコ"};
    e.table[u"坂本"] = {u"サカモト"};
    e.table[u"王菲"] = {}; // the engine found no Japanese reading
    return e;
}

String read(ReadingEngine& e, std::u16string_view value, ReadingStyle style = ReadingStyle::Katakana,
            const UserReadings* user = nullptr)
{
    return readValue(e, user, value, style, 0).reading.value_or(u"(refused)");
}

TEST(Reading, StylesKeepLatinDigitsAndPunctuationAndTheSoundOfKana)
{
    FakeReadingEngine e = engine();
    EXPECT_EQ(read(e, u"東京事変 feat. Various"), u"トウキョウジヘン feat. Various");
    EXPECT_EQ(read(e, u"東京事変 feat. Various", ReadingStyle::Hiragana), u"とうきょうじへん feat. Various");
    EXPECT_EQ(read(e, u"東京事変 feat. Various", ReadingStyle::Romaji), u"toukyou jihen feat. Various");
    // Kana runs are not sent to the engine; they change script only.
    EXPECT_EQ(read(e, u"坂本 りんご-2"), u"サカモト リンゴ-2");
    EXPECT_EQ(read(e, u"坂本 リンゴ", ReadingStyle::Hiragana), u"さかもと りんご");
    EXPECT_EQ(read(e, u"坂本2000", ReadingStyle::Romaji), u"sakamoto 2000");
    EXPECT_THAT(e.asked, ::testing::Each(::testing::AnyOf(String(u"東京事変"), String(u"坂本"))));
}

TEST(Reading, RefusesSimplifiedChineseAndRunsWithoutReading)
{
    FakeReadingEngine e = engine();
    e.table[u"周杰伦"] = {u"シュウ"};
    EXPECT_FALSE(readValue(e, nullptr, u"周杰伦", ReadingStyle::Katakana, 3).reading);
    EXPECT_THAT(e.asked, IsEmpty()) << "simplified-only characters are refused before the engine";
    EXPECT_FALSE(readValue(e, nullptr, u"王菲", ReadingStyle::Katakana, 3).reading);
    EXPECT_FALSE(readValue(e, nullptr, u"坂本 and 未知", ReadingStyle::Katakana, 3).reading);
    // A value of another script has no Japanese reading: it is not "read" as itself.
    EXPECT_FALSE(readValue(e, nullptr, u"Чайковский", ReadingStyle::Katakana, 3).reading);
    EXPECT_FALSE(readValue(e, nullptr, u"방탄소년단 2", ReadingStyle::Romaji, 3).reading);
    EXPECT_TRUE(isSimplifiedOnly(U'伦'));
    EXPECT_FALSE(isSimplifiedOnly(U'倫'));
    EXPECT_FALSE(isSimplifiedOnly(U'周'));
}

TEST(Reading, AlternativesAreOtherReadingsInTheStyle)
{
    FakeReadingEngine e = engine();
    const ValueReading r = readValue(e, nullptr, u"靖子 (live)", ReadingStyle::Hiragana, 2);
    EXPECT_EQ(r.reading, u"やすこ (live)");
    EXPECT_THAT(r.alternatives, ElementsAre(u"せいこ (live)", u"きよこ (live)"));
    EXPECT_THAT(readValue(e, nullptr, u"靖子", ReadingStyle::Katakana, 0).alternatives, IsEmpty());
}

TEST(Reading, UserReadingsWinForWholeValuesThenLongestParts)
{
    FakeReadingEngine e = engine();
    test::TempFolder dir;
    UserReadings user(dir.path() / "yomi" / "readings.tsv");
    user.set(u"靖子", u"しずこ");
    user.set(u"東京事変", u"とうきょうじへん");
    user.set(u"東京", u"とうけい");
    user.set(u"a\tb", u"タブ");
    EXPECT_EQ(read(e, u"坂本靖子", ReadingStyle::Katakana, &user), u"サカモトシズコ");
    EXPECT_EQ(read(e, u"東京事変", ReadingStyle::Romaji, &user), u"toukyoujihen");
    EXPECT_EQ(read(e, u"東京タワー", ReadingStyle::Katakana, &user), u"トウケイタワー");

    const Status saved = user.save();
    ASSERT_TRUE(saved) << saved.reason();
    dir.writeFile("yomi/readings.tsv", test::readBytes(dir.path() / "yomi/readings.tsv") + "broken line\n");
    UserReadings again(dir.path() / "yomi" / "readings.tsv");
    const Status loaded = again.load();
    ASSERT_TRUE(loaded) << loaded.reason();
    EXPECT_EQ(again.size(), 4u);
    ASSERT_TRUE(again.find(u"a\tb"));
    EXPECT_EQ(*again.find(u"a\tb"), u"タブ");
    EXPECT_TRUE(UserReadings(dir.path() / "none.tsv").load());
}

struct ReadingController : test::WiredController {
    FakeReadingEngine engine = yomi::engine();
    std::vector<PairEntryRef> entries{std::make_shared<PairEntry>(PairEntry{u"靖子", u"old"}),
                                      std::make_shared<PairEntry>(PairEntry{u"王菲", u"keep"}),
                                      std::make_shared<PairEntry>(PairEntry{u"坂本", u""})};
    ReadingController()
    {
        auto dict = std::make_shared<PairDict>();
        for (const auto& e : entries)
            dict->emplace(e->originalStr, e);
        controller.setPairDict(dict);
        controller.setDataArray(std::make_shared<PairList>(entries));
        arrayController.selection = {entries[0], entries[1]};
        reader.japanese = &japanese;
        controller.reader = &reader;
    }
    JapaneseValueReader japanese{engine};
    Reader reader;
};

TEST(ReadingCommand, SetsSelectedRowsAndListsRefusedValues)
{
    ReadingController f;
    f.reader.styles.japanese = ReadingStyle::Romaji;
    f.controller.copyOriginalToReading(nullptr);
    EXPECT_EQ(f.entries[0]->sortStr, u"yasuko");
    EXPECT_EQ(f.entries[1]->sortStr, u"keep");
    EXPECT_EQ(f.entries[2]->sortStr, u"");
    EXPECT_THAT(f.controller.lastRefusedReadings(), ElementsAre(u"王菲"));
    EXPECT_THAT(f.controller.readingAlternatives(u"靖子"), ElementsAre(u"seiko", u"kiyoko"));

    f.engine.present = false;
    f.entries[0]->sortStr = u"typed";
    f.controller.copyOriginalToReading(nullptr);
    EXPECT_EQ(f.entries[0]->sortStr, u"typed") << "no engine, no change";
}

TEST(ReadingCommand, KeepsEachValuesReadingAndReadsInAForcedLanguage)
{
    ReadingController f;
    f.controller.copyOriginalToReading(nullptr);
    const ValueReading* read = f.controller.lastReading(u"靖子");
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->language, Language::Japanese);
    const ValueReading* refused = f.controller.lastReading(u"王菲");
    ASSERT_NE(refused, nullptr) << "a refusal is kept with its reason";
    EXPECT_FALSE(refused->reading);
    EXPECT_FALSE(refused->reason.empty());
    EXPECT_EQ(f.controller.lastReading(u"坂本"), nullptr) << "not selected, not read";

    f.controller.copyOriginalToReadingAs(Language::Chinese);
    EXPECT_EQ(f.entries[0]->sortStr, u"ヤスコ") << "no Chinese engine: the sort value stays";
    EXPECT_THAT(f.controller.lastRefusedReadings(), ElementsAre(u"靖子", u"王菲"));
    EXPECT_EQ(f.controller.lastReading(u"靖子")->reason, "no zh engine");

    f.controller.setKeyTag(1);
    EXPECT_EQ(f.controller.lastReading(u"靖子"), nullptr) << "another field forgets the readings";
}

TEST(ReadingCommand, KanaTypedByHandForHanValuesIsLearned)
{
    ReadingController f;
    test::TempFolder dir;
    UserReadings user(dir.path() / "readings.tsv");
    f.controller.userReadings = &user;
    f.entries[0]->sortStr = u"せいこ";
    f.controller.noteTypedSort(u"靖子");
    f.entries[1]->sortStr = u"Faye Wong";
    f.controller.noteTypedSort(u"王菲");
    const Status learned = f.controller.learnTypedReadings();
    ASSERT_TRUE(learned) << learned.reason();
    ASSERT_EQ(user.size(), 1u);
    EXPECT_EQ(*user.find(u"靖子"), u"せいこ");

    UserReadings saved(dir.path() / "readings.tsv");
    ASSERT_TRUE(saved.load());
    EXPECT_EQ(saved.size(), 1u);
    f.controller.copyOriginalToReading(nullptr);
    EXPECT_EQ(f.entries[0]->sortStr, u"セイコ");
}

TEST(ReadingCommand, AReadingTypedForAValueReadInChineseIsLearnedAndWinsNextTime)
{
    ReadingController f;
    test::FixedValueReader chinese{Language::Chinese, u"Wang Fei"};
    f.reader.chinese = &chinese;
    test::TempFolder dir;
    UserReadings user(dir.path() / "readings.tsv");
    f.controller.userReadings = &user;
    f.arrayController.selection = {f.entries[1]};
    f.controller.copyOriginalToReadingAs(Language::Chinese);
    ASSERT_EQ(f.entries[1]->sortStr, u"Wang Fei");
    f.entries[1]->sortStr = u"Wong Faye";
    f.controller.noteTypedSort(u"王菲");
    const Status learned = f.controller.learnTypedReadings();
    ASSERT_TRUE(learned) << learned.reason();
    ASSERT_NE(user.find(u"王菲"), nullptr);
    EXPECT_EQ(*user.find(u"王菲"), u"Wong Faye");

    f.entries[1]->sortStr = u"";
    f.controller.copyOriginalToReadingAs(Language::Chinese);
    EXPECT_EQ(f.entries[1]->sortStr, u"Wong Faye") << "the user's own reading wins over the engine";
    EXPECT_EQ(f.controller.lastReading(u"王菲")->reason, "your own reading");
}

} // namespace
} // namespace yomi
