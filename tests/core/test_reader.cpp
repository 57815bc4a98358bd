// The Reader: the order in which the user's readings, the language decision,
// the library's own sort values and the engines are asked, with the language
// and confidence each reading carries.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Category/Reader.h"
#include "support/AudioFixtures.h"
#include "support/FakeReadingEngine.h"
#include "support/FixedValueReader.h"

namespace yomi {
namespace {

using test::FakeReadingEngine;
using test::FixedValueReader;

struct ReaderFixture : ::testing::Test {
    FakeReadingEngine fake;
    JapaneseValueReader japanese{fake};
    FixedValueReader chinese{Language::Chinese, u"Zeng Zhiwei"};
    Reader reader;

    ReaderFixture()
    {
        fake.table[u"坂本龍一"] = {u"サカモト リュウイチ"};
        reader.japanese = &japanese;
        reader.chinese = &chinese;
    }
};

TEST_F(ReaderFixture, TheValuesOwnCharactersDecideWhereTheyCan)
{
    EXPECT_EQ(decideByCharacters(u"ぼくのりりっくのぼうよみ", Language::Chinese).language, Language::Japanese);
    EXPECT_EQ(decideByCharacters(u"이정현", Language::Japanese).language, Language::Korean);
    EXPECT_EQ(decideByCharacters(u"曾志伟", Language::Japanese).language, Language::Chinese)
        << "伟 is written only in simplified Chinese";
    EXPECT_EQ(decideByCharacters(u"Nirvana", Language::Japanese).language, Language::None);
    const ValueReading halfWidth = reader.read(u"ｻｶﾓﾄ", {}, std::nullopt);
    EXPECT_EQ(halfWidth.language, Language::Japanese) << "half-width katakana are kana";
    EXPECT_EQ(halfWidth.reading, String(u"サカモト"));
    const LanguageDecision open = decideByCharacters(u"坂本龍一", Language::Chinese);
    EXPECT_EQ(open.language, Language::Chinese) << "Han characters alone take the default";
    EXPECT_FALSE(open.clear);
}

TEST_F(ReaderFixture, AnUnclearLanguageMakesEveryEngineReadingACheck)
{
    reader.prefer = Language::Chinese;
    const ValueReading r = reader.read(u"曾志偉");
    EXPECT_EQ(r.reading, u"Zeng Zhiwei");
    EXPECT_EQ(r.language, Language::Chinese);
    EXPECT_EQ(r.confidence, Confidence::Check) << r.reason;
    EXPECT_THAT(r.reason, ::testing::HasSubstr("language is not clear"));
    EXPECT_THAT(chinese.settled, ::testing::ElementsAre(false));

    const ValueReading forced = reader.read(u"曾志偉", {}, Language::Chinese);
    EXPECT_EQ(forced.confidence, Confidence::Likely) << "a forced language is settled";
    EXPECT_THAT(chinese.settled, ::testing::ElementsAre(false, true));
}

TEST_F(ReaderFixture, AnEngineThatTurnsAValueAwayReadsItWhenNothingElseDecidedTheLanguage)
{
    reader.prefer = Language::Chinese;
    chinese.refusesUnsettled = true;
    const ValueReading r = reader.read(u"曾志偉");
    EXPECT_EQ(r.reading, u"Zeng Zhiwei") << "no reading would leave the user nothing to look at";
    EXPECT_EQ(r.confidence, Confidence::Check);
    EXPECT_EQ(r.reason, "the language is not clear, looks foreign; fixed") << "why it was doubted, then how read";
    EXPECT_THAT(chinese.settled, ::testing::ElementsAre(false, true));

    const ValueReading forced = reader.read(u"曾志偉", {}, Language::Chinese);
    EXPECT_EQ(forced.confidence, Confidence::Likely) << "a settled language is asked once";
    EXPECT_THAT(chinese.settled, ::testing::ElementsAre(false, true, true));
}

TEST_F(ReaderFixture, UserReadingsWinOverTheLibraryAndTheEngines)
{
    test::TempFolder dir;
    UserReadings user(dir.path() / "readings.tsv");
    user.set(u"坂本龍一", u"さかもとりゅういち");
    user.set(u"曾志伟", u"Tsang Chi-wai");
    reader.user = &user;
    ValueContext context;
    context.librarySortValues = {u"サカモト"};

    const ValueReading kana = reader.read(u"坂本龍一", context);
    EXPECT_EQ(kana.reading, u"サカモトリュウイチ") << "a kana reading takes the Japanese style";
    EXPECT_EQ(kana.confidence, Confidence::Sure);
    EXPECT_EQ(kana.reason, "your own reading");

    const ValueReading latin = reader.read(u"曾志伟");
    EXPECT_EQ(latin.reading, u"Tsang Chi-wai") << "any other reading is kept as written";
    EXPECT_EQ(latin.language, Language::Chinese);
    EXPECT_TRUE(chinese.asked.empty());
}

TEST_F(ReaderFixture, TheLibrarysSortValueCountsOnlyWhereItSuitsTheLanguageAndStyle)
{
    ValueContext context;
    context.librarySortValues = {u"Sakamoto Ryuichi", u"さかもと りゅういち"};
    reader.styles.japanese = ReadingStyle::Katakana;
    const ValueReading r = reader.read(u"坂本龍一", context, Language::Japanese);
    EXPECT_EQ(r.reading, u"サカモト リュウイチ") << "the romaji sort value does not suit katakana";
    EXPECT_EQ(r.confidence, Confidence::Sure);
    EXPECT_EQ(r.reason, "the library's own sort value");
    EXPECT_TRUE(fake.asked.empty());

    context.librarySortValues = {u"さかもと\u3000りゅういち"};
    EXPECT_EQ(reader.read(u"坂本龍一", context, Language::Japanese).reading, u"サカモト\u3000リュウイチ")
        << "an input method's ideographic space is kept as the library wrote it";

    reader.styles.japanese = ReadingStyle::Romaji;
    context.librarySortValues = {u"Zeng Zhiwei"};
    EXPECT_EQ(reader.read(u"坂本龍一", context, Language::Japanese).reading, u"sakamoto ryuuichi")
        << "a Latin sort value is no Japanese reading; the engine reads";
}

TEST_F(ReaderFixture, TracksThatDisagreeOnTheSortValueLeaveTheFirstForALook)
{
    // Most tracks first: the first that suits is the reading; another that
    // suits and differs makes it doubtful. One that does not suit the style
    // is no disagreement.
    reader.styles.japanese = ReadingStyle::Katakana;
    ValueContext context;
    context.librarySortValues = {u"サカモトリュウイチ", u"Sakamoto Ryuichi", u"サカモトリューイチ"};
    const ValueReading split = reader.read(u"坂本龍一", context, Language::Japanese);
    EXPECT_EQ(split.reading, u"サカモトリュウイチ");
    EXPECT_EQ(split.confidence, Confidence::Check);
    EXPECT_TRUE(fromLibrary(split)) << split.reason;
    EXPECT_NE(split.reason, kLibrarySortValue) << "the reason says the tracks disagree";

    context.librarySortValues = {u"サカモトリュウイチ", u"Sakamoto Ryuichi", u"さかもとりゅういち"};
    const ValueReading agreed = reader.read(u"坂本龍一", context, Language::Japanese);
    EXPECT_EQ(agreed.confidence, Confidence::Sure) << "the same reading in another kana is the same reading";
    EXPECT_EQ(agreed.reason, kLibrarySortValue);
    EXPECT_TRUE(fake.asked.empty());
}

TEST_F(ReaderFixture, AKanaSortValueKeepingTheValuesOwnLettersAndSignsIsTheLibrarysReading)
{
    // What a joined value read name by name gives, and what the engine gives
    // for Latin letters kept: taken as they are, so that reading again
    // after a Save changes nothing.
    reader.styles.japanese = ReadingStyle::Katakana;
    ValueContext context;
    context.librarySortValues = {u"キシダキョウダン&ザミョウジョウロケッツ"};
    const ValueReading joined = reader.read(u"岸田教団&THE明星ロケッツ", context, Language::Japanese);
    EXPECT_EQ(joined.reading, u"キシダキョウダン&ザミョウジョウロケッツ");
    EXPECT_EQ(joined.reason, "the library's own sort value");
    reader.styles.japanese = ReadingStyle::Hiragana;
    context.librarySortValues = {u"DJ ヨアケノマチ"};
    EXPECT_EQ(reader.read(u"DJ 夜明けの街", context, Language::Japanese).reading, u"DJ よあけのまち")
        << "the kana take the style; the letters stay";
    EXPECT_TRUE(fake.asked.empty());

    // Not the library's reading: letters the value does not hold, a Han
    // character left, no kana at all, or romaji asked for (it would lower
    // the letters).
    for (const char16_t* sort : {u"DJ ヨアケノマチ X", u"DJ 夜アケノマチ", u"DJ", u"dj ヨアケノマチ"}) {
        fake.asked.clear();
        context.librarySortValues = {sort};
        reader.read(u"DJ 夜明けの街", context, Language::Japanese);
        EXPECT_EQ(fake.asked.size(), 1u) << toUtf8(sort);
    }
    reader.styles.japanese = ReadingStyle::Romaji;
    context.librarySortValues = {u"DJ ヨアケノマチ"};
    fake.asked.clear();
    reader.read(u"DJ 夜明けの街", context, Language::Japanese);
    EXPECT_EQ(fake.asked.size(), 1u);
}

TEST_F(ReaderFixture, NoReadingWithItsReasonWhereNoLanguageOrEngineSuits)
{
    const ValueReading latin = reader.read(u"Nirvana");
    EXPECT_FALSE(latin.reading);
    EXPECT_EQ(latin.language, Language::None);
    EXPECT_FALSE(latin.reason.empty());

    const ValueReading korean = reader.read(u"이정현");
    EXPECT_FALSE(korean.reading) << "no Korean engine is set";
    EXPECT_EQ(korean.language, Language::Korean);
    EXPECT_EQ(korean.reason, "no ko engine");

    fake.table[u"王菲"] = {};
    const ValueReading refused = reader.read(u"王菲", {}, Language::Japanese);
    EXPECT_FALSE(refused.reading);
    EXPECT_EQ(refused.reason, "no Japanese reading");
}

TEST(ReadingNames, CodesAndNamesGoBothWays)
{
    for (Language l : {Language::Japanese, Language::Chinese, Language::Korean})
        EXPECT_EQ(languageFromCode(languageCode(l)), l);
    EXPECT_FALSE(languageFromCode("none"));
    for (Confidence c : {Confidence::Check, Confidence::Likely, Confidence::Sure})
        EXPECT_EQ(confidenceNamed(confidenceName(c)), c);
    EXPECT_LT(Confidence::Check, Confidence::Likely);
    EXPECT_LT(Confidence::Likely, Confidence::Sure);
    EXPECT_EQ(chineseStyleNamed("zhuyin"), ChineseStyle::Zhuyin);
    EXPECT_EQ(koreanStyleNamed("latin"), KoreanStyle::Latin);
    EXPECT_FALSE(koreanStyleNamed("Latin"));
    EXPECT_EQ(nameKindOfField("albumArtist"), NameKind::Person);
    EXPECT_EQ(nameKindOfField("name"), NameKind::Title);
}

} // namespace
} // namespace yomi
