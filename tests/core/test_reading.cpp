// Readings of values with a fake engine: styles, runs kept as they are,
// refusals, alternatives, the user's readings, and the controller's Reading
// command.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <tuple>

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

TEST(Reading, IterationMarksAndKanaNoLongerInUseAreSpeltAsTheyAreSaid)
{
    FakeReadingEngine e = engine();
    EXPECT_EQ(read(e, u"こゝろ"), u"ココロ") << "ゝ repeats the kana before it";
    EXPECT_EQ(read(e, u"いすゞ"), u"イスズ") << "ゞ repeats it voiced";
    EXPECT_EQ(read(e, u"みすゞ", ReadingStyle::Hiragana), u"みすず");
    EXPECT_EQ(read(e, u"まゐご"), u"マイゴ") << "ゐ is said イ";
    EXPECT_EQ(read(e, u"ゑひもせす"), u"エヒモセス");
    EXPECT_EQ(read(e, u"ヽ"), u"ヽ") << "a mark with no kana before it repeats nothing";
}

TEST(Reading, HangulIsSaidInKatakanaAsJapaneseWritesKoreanWords)
{
    const auto kana = [](std::u16string_view text) { return hangulInKatakana(text).value_or(u"(none)"); };
    // A word begins with the plain consonant unvoiced; between voiced
    // sounds (a vowel, ㄴ ㄹ ㅁ ㅇ) it is voiced; after a stop it is not.
    EXPECT_EQ(kana(u"대구"), u"テグ");
    EXPECT_EQ(kana(u"부산"), u"プサン");
    EXPECT_EQ(kana(u"방탄소년단"), u"パンタンソニョンダン");
    EXPECT_EQ(kana(u"학교"), u"ハクキョ");
    // Glides and the vowels Japanese lacks.
    EXPECT_EQ(kana(u"서울"), u"ソウル");
    EXPECT_EQ(kana(u"안녕"), u"アンニョン");
    EXPECT_EQ(kana(u"의사"), u"ウイサ");
    EXPECT_EQ(kana(u"원해"), u"ウォンヘ");
    // A final before a vowel begins the next syllable; a double final keeps
    // its first sound, ㄶ and ㅀ lose their ㅎ.
    EXPECT_EQ(kana(u"한국어"), u"ハングゴ");
    EXPECT_EQ(kana(u"음악"), u"ウマク");
    EXPECT_EQ(kana(u"닭이"), u"タルギ");
    EXPECT_EQ(kana(u"없어"), u"オプソ");
    EXPECT_EQ(kana(u"않아"), u"アナ");
    EXPECT_EQ(kana(u"싫어"), u"シロ");
    // A space ends a word: the next begins unvoiced; other characters stay.
    EXPECT_EQ(kana(u"소녀 시대!"), u"ソニョ シデ!");
    EXPECT_EQ(kana(u"강 다리"), u"カン タリ");
    // A letter outside a syllable (ㅋㅋ, laughter) has no sound to say.
    EXPECT_FALSE(hangulInKatakana(u"ㅋㅋ"));
    EXPECT_FALSE(hangulInKatakana(u"사랑ㅎ"));
}

TEST(Reading, InvisibleCharactersNeitherCutAWordNorStayInTheReading)
{
    FakeReadingEngine e = engine();
    EXPECT_EQ(read(e, u"東京\x01事変"), u"トウキョウジヘン") << "a control character";
    EXPECT_EQ(read(e, u"\u200B東京事変\u202E"), u"トウキョウジヘン") << "a zero-width space, a direction mark";
    EXPECT_EQ(read(e, u"\uFEFF坂本 2"), u"サカモト 2") << "a byte order mark";
    EXPECT_EQ(read(e, u"坂本 \U0001F469\u200D\U0001F3A4"), u"サカモト \U0001F469\u200D\U0001F3A4")
        << "the joiner of an emoji stays";
    EXPECT_EQ(read(e, u"坂\u200D本\u200C"), u"サカモト") << "a joiner beside a Japanese character shapes nothing";
    EXPECT_FALSE(readValue(e, nullptr, u"\u200B\u202E", ReadingStyle::Katakana, 3).reading) << "nothing to read";
}

TEST(Reading, HalfWidthKatakanaAreReadAsTheFullWidthKanaTheyStandFor)
{
    EXPECT_EQ(fullWidthKana(u"ｶﾞｯｺｳ ﾊﾟﾋﾞﾌﾟ ﾂﾞﾃﾞﾄﾞ ｳﾞｨ ｿｰﾀﾞ｢ｦ｣､｡･"), u"ガッコウ パビプ ヅデド ヴィ ソーダ「ヲ」、。・")
        << "a mark joins the kana before it; ツ テ ト come after ッ in the code table";
    EXPECT_EQ(fullWidthKana(u"ｱﾞ ﾟ 東ﾟ"), u"ア゛ ゜ 東゜") << "a mark that makes no kana with the one before stays a mark";
    FakeReadingEngine e = engine();
    e.table[u"坂本バンド"] = {u"サカモト バンド"};
    EXPECT_EQ(read(e, u"坂本ﾊﾞﾝﾄﾞ"), u"サカモトバンド") << "not kept as letters of another script";
    EXPECT_THAT(e.asked, ElementsAre(u"坂本バンド")) << "the engine reads the word whole";
}

TEST(Reading, AValueIsReadComposedWithCompatibilityFormsAsWhatTheyStandFor)
{
    const String decomposed = u"シ\u3099ャス\u3099";
    EXPECT_EQ(readingForm(decomposed), u"ジャズ") << "text stored decomposed is read as the kana it makes";
    EXPECT_EQ(readingForm(u"①Ⅱ㍻㈱ｓｋａ２"), u"1II平成(株)ska2");
    EXPECT_EQ(readingForm(u"東京　タワー！（Ａ）"), u"東京　タワー！（A）") << "spaces and signs keep their width";
    FakeReadingEngine e = engine();
    e.table[u"坂本ジャズ"] = {u"サカモト ジャズ"};
    EXPECT_EQ(read(e, u"坂本" + decomposed), u"サカモトジャズ") << "not cut at the combining mark";
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

// A title read by the fake engine, with its alternatives.
ValueReading readTitle(FakeReadingEngine& e, std::u16string_view value, std::size_t alternatives = 4)
{
    RunRequest request;
    request.kind = NameKind::Title;
    return readValue(e, nullptr, value, ReadingStyle::Katakana, alternatives, request);
}

// Titles and the readings they must get, each with why.
struct Said {
    std::u16string_view value, reading;
    const char* why;
};

// A reading with its confidence and reason, compared as one.
using Judged = std::tuple<std::optional<String>, Confidence, std::string>;
Judged judged(const ValueReading& r) { return {r.reading, r.confidence, r.reason}; }

void expectTitles(FakeReadingEngine& e, std::initializer_list<Said> cases)
{
    for (const Said& c : cases)
        EXPECT_EQ(readTitle(e, c.value).reading, String(c.reading)) << c.why << ": " << toUtf8(c.value);
}

FakeReadingEngine titleEngine()
{
    FakeReadingEngine e = engine();
    e.table[u"夏の日の"] = {u"ナツノヒノ"};
    e.table[u"第"] = {u"ダイ"};
    e.table[u"少女"] = {u"ショウジョ"};
    e.table[u"乃木坂"] = {u"ノギザカ"};
    for (const char16_t* run : {u"夏の日の", u"第", u"少女", u"乃木坂", u"東京事変"})
        e.confidence[run] = Confidence::Sure;
    return e;
}

TEST(Reading, ANumberStandingAfterAWordInATitleIsReadAsACardinalWithItsOtherFormsAsAlternatives)
{
    FakeReadingEngine e = titleEngine();
    const ValueReading year = readTitle(e, u"夏の日の1993");
    EXPECT_EQ(year.reading, u"ナツノヒノセンキュウヒャクキュウジュウサン");
    EXPECT_THAT(year.alternatives, ElementsAre(u"ナツノヒノイチキュウキュウサン")) << "four digits one by one";
    EXPECT_THAT(readTitle(e, u"夏の日の1999").alternatives,
                ElementsAre(u"ナツノヒノセンキュウヒャクキュウジュウク", u"ナツノヒノイチキュウキュウキュウ"))
        << "9 said ク at its end first";
    EXPECT_EQ(year.confidence, Confidence::Sure) << "a plain cardinal adds no doubt: " << year.reason;
    EXPECT_THAT(e.asked, ::testing::Each(String(u"夏の日の"))) << "the number is not sent to the engine";

    const ValueReading ninth = readTitle(e, u"第9");
    EXPECT_EQ(ninth.reading, u"ダイキュウ");
    EXPECT_THAT(ninth.alternatives, ElementsAre(u"ダイク"));
    EXPECT_EQ(readTitle(e, u"第7").alternatives, std::vector<String>{u"ダイシチ"});
    EXPECT_EQ(readTitle(e, u"第10").reading, u"ダイジュウ");
    EXPECT_EQ(readTitle(e, u"第300").reading, u"ダイサンビャク") << "the sound changes inside a number";
    EXPECT_EQ(readTitle(e, u"第0").reading, u"ダイゼロ");
    EXPECT_EQ(readTitle(e, u"東京事変 2").reading, u"トウキョウジヘン ニ") << "after a space too";
    EXPECT_EQ(readTitle(e, u"東京事変 20000000").reading, u"トウキョウジヘン ニセンマン");
}

TEST(Reading, ADayOfTheMonthAfterAMonthIsSaidAsADate)
{
    FakeReadingEngine e = titleEngine();
    for (const char16_t* month : {u"三月", u"四月", u"十二月", u"一月", u"二月"}) {
        e.table[month] = {u"ツキ"}; // what the month is read as does not matter here
        e.confidence[month] = Confidence::Sure;
    }
    e.table[u"四月一日"] = {u"ワタヌキ"};
    e.table[u"の"] = {u"ノ"};
    expectTitles(e, {
                        {u"3月9日", u"ツキココノカ", "the days up to ten have their own words"},
                        {u"4月1日", u"ツキツイタチ", "not the surname the whole writes"},
                        {u"2月20日", u"ツキハツカ", "the twentieth too"},
                        {u"12月24日", u"ツキニジュウヨッカ", "…4 says ヨッカ"},
                        {u"12月17日", u"ツキジュウシチニチ", "7 is シチ"},
                        {u"12月19日", u"ツキジュウクニチ", "9 is ク"},
                        {u"12月31日", u"ツキサンジュウイチニチ", "the others are the number and ニチ"},
                        {u"一月一日", u"ツキツイタチ", "kanji numerals in a title"},
                        {u"十二月三十一日", u"ツキサンジュウイチニチ", ""},
                    });
    const ValueReading day = readTitle(e, u"3月3日");
    EXPECT_EQ(day.confidence, Confidence::Likely);
    EXPECT_EQ(day.reason, "a day of the month");
    // No 32nd, nothing without 月 before it or 日 after it.
    e.asked.clear();
    readTitle(e, u"1月32日");
    EXPECT_THAT(e.asked, ::testing::Contains(String(u"一月三十二日")));
    e.asked.clear();
    readTitle(e, u"3月9の日");
    EXPECT_THAT(e.asked, ::testing::Contains(String(u"三月九の日")));
    // In a name kanji numerals are a name's (四月一日, a surname).
    RunRequest person;
    EXPECT_EQ(readValue(e, nullptr, u"四月一日", ReadingStyle::Katakana, 0, person).reading, u"ワタヌキ");
}

TEST(Reading, ATimeOfTheClockIsSaidAsATime)
{
    FakeReadingEngine e = titleEngine();
    expectTitles(e, {
                        {u"19:00少女", u"ジュウクジショウジョ", "9 before ジ is ク"},
                        {u"7:30少女", u"シチジサンジュップンショウジョ", "7 is シチ; ten doubles into プン"},
                        {u"4:44少女", u"ヨジヨンジュウヨンプンショウジョ", "4 is ヨ before ジ, ヨン before プン"},
                        {u"1:01少女", u"イチジイップンショウジョ", ""},
                        {u"0:08少女", u"レイジハップンショウジョ", "the hour zero is レイ"},
                        {u"24:05少女", u"ニジュウヨジゴフンショウジョ", "フン after the other sounds"},
                        {u"少女 12：00", u"ショウジョ ジュウニジ", "a full-width colon too"},
                    });
    const ValueReading time = readTitle(e, u"19:00少女");
    EXPECT_EQ(time.confidence, Confidence::Likely);
    EXPECT_EQ(time.reason, "a time of the clock");
    // A score, a ratio, an hour past 24, seconds: no time of the clock.
    for (const char16_t* value : {u"3:2少女", u"16:9少女", u"25:00少女", u"12:34:56少女", u"19:60少女"})
        EXPECT_NE(readTitle(e, value).reason, "a time of the clock") << toUtf8(value);
}

TEST(Reading, DigitsThatAreNoAmountOrANameAreReadOneByOneOrKeptAndSaySo)
{
    FakeReadingEngine e = titleEngine();
    const ValueReading zero = readTitle(e, u"第0120");
    EXPECT_EQ(zero.reading, u"ダイゼロイチニゼロ");
    EXPECT_THAT(zero.alternatives, ElementsAre(u"ダイレイイチニレイ"));
    EXPECT_EQ(zero.confidence, Confidence::Likely);
    EXPECT_EQ(zero.reason, "a number that is no amount, read digit by digit");

    const ValueReading repeated = readTitle(e, u"第777");
    EXPECT_EQ(repeated.reading, u"ダイ777");
    EXPECT_EQ(repeated.confidence, Confidence::Check);
    EXPECT_EQ(repeated.reason, "a number of one repeated digit kept as written");

    // A band's or a singer's number is said in English, the Japanese
    // cardinal an alternative; a longer one is a name of its own, kept and
    // marked for a look.
    RunRequest person;
    const ValueReading band = readValue(e, nullptr, u"乃木坂46", ReadingStyle::Katakana, 4, person);
    EXPECT_EQ(band.reading, u"ノギザカフォーティーシックス");
    EXPECT_THAT(band.alternatives, ::testing::Contains(String(u"ノギザカヨンジュウロク")));
    EXPECT_EQ(band.confidence, Confidence::Likely);
    EXPECT_EQ(band.reason, "a number in a name said in English");
    EXPECT_EQ(readValue(e, nullptr, u"乃木坂7", ReadingStyle::Katakana, 4, person).reading, u"ノギザカセブン");
    EXPECT_EQ(readValue(e, nullptr, u"乃木坂10", ReadingStyle::Katakana, 4, person).reading, u"ノギザカテン");
    EXPECT_EQ(readValue(e, nullptr, u"乃木坂13", ReadingStyle::Katakana, 4, person).reading, u"ノギザカサーティーン");
    EXPECT_EQ(readValue(e, nullptr, u"乃木坂90", ReadingStyle::Katakana, 4, person).reading, u"ノギザカナインティー");
    const ValueReading long_ = readValue(e, nullptr, u"乃木坂1000", ReadingStyle::Katakana, 4, person);
    EXPECT_EQ(long_.reading, u"ノギザカ1000");
    EXPECT_EQ(long_.confidence, Confidence::Check);
    EXPECT_EQ(long_.reason, "a number in a name kept as written");
    EXPECT_EQ(readValue(e, nullptr, u"乃木坂07", ReadingStyle::Katakana, 4, person).confidence, Confidence::Check)
        << "a leading zero: no amount to say";
    EXPECT_EQ(readValue(e, nullptr, u"乃木坂 46", ReadingStyle::Katakana, 4, person).reading, u"ノギザカ 46")
        << "a number apart from the name may number a record, not the name";
    // Digits in a Latin word, after one, or before a Latin letter stay too.
    EXPECT_EQ(readTitle(e, u"東京事変 Vol.2").reading, u"トウキョウジヘン Vol.2");
    EXPECT_EQ(readTitle(e, u"東京事変F91").reading, u"トウキョウジヘンF91");
    EXPECT_EQ(readTitle(e, u"東京事変 2nd").reading, u"トウキョウジヘン 2nd");
    EXPECT_EQ(readTitle(e, u"東京事変-2").reading, u"トウキョウジヘン-2") << "a sign between";
    EXPECT_EQ(read(e, u"東京事変 2", ReadingStyle::Romaji), u"toukyou jihen 2") << "romaji keeps digits";
    EXPECT_FALSE(readTitle(e, u"1993").reading) << "digits with nothing Japanese are no reading";
}

TEST(Reading, AYearAfterAnApostropheIsItsNumberAndZeroBesideKanaIsZero)
{
    FakeReadingEngine e = titleEngine();
    expectTitles(e, {{u"東京事変'80", u"トウキョウジヘンハチジュウ", "the apostrophe left out"},
                     {u"東京事変’95", u"トウキョウジヘンキュウジュウゴ", "a curly one too"},
                     {u"東京事変'80s", u"トウキョウジヘン'80s", "a decade in English stays"},
                     {u"東京事変'123", u"トウキョウジヘン'123", "three digits are no year cut short"}});
    e.table[u"の少女"] = {u"ノショウジョ"};
    e.confidence[u"の少女"] = Confidence::Sure;
    const ValueReading zero = readTitle(e, u"0の少女");
    EXPECT_EQ(zero.reading, u"ゼロノショウジョ");
    EXPECT_THAT(zero.alternatives, ::testing::Contains(String(u"レイノショウジョ")));
    EXPECT_EQ(zero.reason, "zero said as ゼロ");
    e.table[u"零少女"] = {u"レイ ショウジョ"};
    EXPECT_EQ(readTitle(e, u"0少女").reading, u"レイショウジョ")
        << "before a Han character it may count something: 零, read with the word after it";
    EXPECT_EQ(readTitle(e, u"1/0少女").reading, u"1/0ショウジョ") << "after a sign it is part of what the sign joins";
}

TEST(Reading, ShortRunsOfCapitalsAfterAWordAreSaidByTheirNamesAndWordsAreKept)
{
    FakeReadingEngine e = titleEngine();
    EXPECT_EQ(judged(readTitle(e, u"少女A")),
              (Judged{u"ショウジョエー", Confidence::Likely, "Latin letters spelt by their names"}));
    expectTitles(e, {{u"少女NHK", u"ショウジョエヌエイチケー", "three letters with no vowel"},
                     {u"少女ABC", u"ショウジョエービーシー", "nor one between consonants"}});
    for (const char16_t* word : {u"少女MAN", u"少女UFO", u"少女LOVE", u"少女Ab", u"少女A1"}) {
        const ValueReading kept = readTitle(e, word);
        EXPECT_EQ(kept.reading, String(u"ショウジョ") + String(word).substr(2)) << toUtf8(word);
        EXPECT_EQ(kept.reason, "Latin letters kept as written") << toUtf8(word);
    }
    EXPECT_EQ(readTitle(e, u"少女 A").reading, u"ショウジョ A") << "a letter standing apart is a word";
}

TEST(Reading, InitialsWithStopsAreSpeltAndKanaWrittenForTheirLookAreSaid)
{
    FakeReadingEngine e = titleEngine();
    e.table[u"ユーエヌ少女"] = {u"ユーエヌショウジョ"};
    EXPECT_EQ(readTitle(e, u"U.N.少女").reading, u"ユーエヌショウジョ") << "read with the word after them";
    EXPECT_EQ(judged(readTitle(e, u"少女D.N.A.")),
              (Judged{u"ショウジョディーエヌエー", Confidence::Likely, "Latin letters spelt by their names"}));
    EXPECT_EQ(readTitle(e, u"少女U.S.Army").reading, u"ショウジョユー.S.Army")
        << "initials run into a word are not one: the first capital alone is spelt, as 少女A is";
    EXPECT_FALSE(readTitle(e, u"U.S.A.").reading) << "with nothing Japanese, no reading";

    e.table[u"少女ーず"] = {u"ショウジョーズ"};
    expectTitles(e, {{u"すご～い", u"スゴーイ", "inside a word"},
                     {u"ら〜めん", u"ラーメン", "either wave dash"},
                     {u"少女～あい～", u"ショウジョ～アイ～", "two set a subtitle apart"},
                     {u"さくら～さくら", u"サクラ～サクラ", "one before a longer run parts two words"},
                     {u"少女～あい", u"ショウジョ～アイ", "not after a Han character, but for one kana"},
                     {u"少女～ず", u"ショウジョーズ", "one kana ending the word after a Han character"},
                     {u"すご～", u"スゴ～", "nor at the end"}});

    // A small ャ, ュ or ョ where no sound takes it is its big kana: the
    // engine is asked the big one.
    e.table[u"少女だヨ"] = {u"ショウジョダヨ"};
    e.table[u"少女ゆめ"] = {u"ショウジョユメ"};
    e.table[u"デューク少女"] = {u"デュークショウジョ"};
    expectTitles(e, {{u"少女だョ", u"ショウジョダヨ", "after a sound of the a row"},
                     {u"少女ゅめ", u"ショウジョユメ", "after a Han character"},
                     {u"ありがとョ", u"アリガトヨ", "in either script"},
                     {u"きゃんでぃ", u"キャンディ", "after the i row it stays"},
                     {u"デューク少女", u"デュークショウジョ", "as after a sound borrowed words join it to"}});
}

TEST(Reading, AnEnglishWordInCapitalsAgainstAWordIsReadAsTheLoanwordTheEngineGivesAndStaysACheck)
{
    FakeReadingEngine e = titleEngine();
    e.loanwords[u"LOVER"] = u"ラバー";
    e.loanwords[u"Lover"] = u"ラバー";
    EXPECT_EQ(judged(readTitle(e, u"少女LOVER!")),
              (Judged{u"ショウジョラバー!", Confidence::Check, "an English word read as its loanword"}));
    EXPECT_EQ(readTitle(e, u"少女LOVER CLUB").reading, u"ショウジョラバー CLUB") << "a word the engine does not give";
    EXPECT_EQ(readTitle(e, u"少女Lover").reading, u"ショウジョラバー") << "in small letters too";
    const ValueReading kept = readTitle(e, u"少女Loverly");
    EXPECT_EQ(kept.reading, u"ショウジョLoverly") << "a word the engine does not give";
    EXPECT_EQ(kept.reason, "Latin letters kept as written");
    EXPECT_EQ(readTitle(e, u"THE少女").reading, u"ザショウジョ") << "a small word is no run of letters' names";
    EXPECT_EQ(readTitle(e, u"少女 LOVER").reading, u"ショウジョラバー") << "one standing apart too";
    EXPECT_EQ(judged(readTitle(e, u"少女A-LOVER")),
              (Judged{u"ショウジョエー-ラバー", Confidence::Check, "an English word read as its loanword"}))
        << "past letters spelt, the word is still one beside Japanese";
    EXPECT_EQ(judged(readTitle(e, u"少女A-Loverly")),
              (Judged{u"ショウジョエー-Loverly", Confidence::Check, "Latin letters kept as written"}))
        << "and kept, it is no sure part of the reading";
    // A plural of a word the engine gives takes the plural's sound, joined
    // to a last ト or ド.
    e.loanwords[u"Kid"] = u"キッド";
    e.loanwords[u"Book"] = u"ブック";
    expectTitles(e, {{u"少女Lovers", u"ショウジョラバーズ", "after a vowel"},
                     {u"少女Kids", u"ショウジョキッズ", "ド and the plural's ズ are one sound"},
                     {u"少女Books", u"ショウジョブックス", "after a voiceless sound"},
                     {u"少女Kidss", u"ショウジョKidss", "no plural"}});
    e.loanwords[u"Cat"] = u"カト";
    e.sounds[u"Cats"] = u"キャッツ";
    EXPECT_EQ(readTitle(e, u"少女Cats").reading, u"ショウジョキャッツ")
        << "a loanword that begins with other sounds than the plural's own is another word";

    // A word release notes use is the name's own where it touches the
    // Japanese; standing apart it is a note, kept as written.
    e.loanwords[u"Radio"] = u"ラジオ";
    e.loanwords[u"Live"] = u"ライブ";
    EXPECT_EQ(readTitle(e, u"少女Radio").reading, u"ショウジョラジオ");
    EXPECT_EQ(readTitle(e, u"Live少女").reading, u"ライブショウジョ");
    EXPECT_EQ(readTitle(e, u"少女 Radio").reading, u"ショウジョ Radio") << "a note after a space";
    EXPECT_EQ(readTitle(e, u"少女 (Live)").reading, u"ショウジョ (Live)") << "a note in brackets";
    EXPECT_EQ(readTitle(e, u"少女Radio Edit").reading, u"ショウジョラジオ Edit") << "only the touching word";
}

TEST(Reading, RomanNumeralsAndNumbersAfterNoBesideJapaneseAreSaidInEnglishAndAmpersandsAsAnd)
{
    FakeReadingEngine e = titleEngine();
    e.table[u"東京事変第"] = {u"トウキョウジヘン ダイ"};
    e.table[u"番"] = {u"バン"};
    EXPECT_EQ(judged(readTitle(e, u"東京事変II")),
              (Judged{u"トウキョウジヘンツー", Confidence::Likely, "a Roman numeral said in English"}));
    expectTitles(e, {{u"東京事変 XIV", u"トウキョウジヘン フォーティーン", "after a space too"},
                     {u"東京事変ＶＩＩ", u"トウキョウジヘンセブン", "full-width letters"},
                     {u"東京事変X", u"トウキョウジヘンエックス", "one letter is said by its name"},
                     {u"東京事変 IIX", u"トウキョウジヘン IIX", "no numeral"},
                     {u"東京事変 III Love", u"トウキョウジヘン スリー Love", "a word after it stays"},
                     {u"東京事変IIIrd", u"トウキョウジヘンIIIrd", "letters after it make a word"},
                     {u"東京事変Ⅱ", u"トウキョウジヘンツー", "the numeral written as one character"},
                     {u"東京事変第IX番", u"トウキョウジヘンダイキュウバン", "after 第 it counts in Japanese"}});
    EXPECT_EQ(judged(readTitle(e, u"東京事変 No.9")),
              (Judged{u"トウキョウジヘン ナンバーナイン", Confidence::Likely, "a number said in English"}));
    expectTitles(e, {{u"NO.1東京事変", u"ナンバーワントウキョウジヘン", "before a word, in capitals"},
                     {u"東京事変 Ｎｏ．２０", u"トウキョウジヘン ナンバートゥエンティー", "full width"},
                     {u"東京事変 No.123", u"トウキョウジヘン No.123", "three digits: a catalogue's number"},
                     {u"東京事変 No.9b", u"トウキョウジヘン No.9b", "a letter after it makes it no number"},
                     {u"東京事変 Info.9", u"トウキョウジヘン Info.9", "No. inside a word"}});

    const ValueReading joined = readTitle(e, u"少女&東京事変");
    EXPECT_EQ(joined.reading, u"ショウジョアンドトウキョウジヘン");
    EXPECT_EQ(joined.reason, "& said as アンド");
    EXPECT_EQ(readTitle(e, u"少女 ＆ 東京事変").reading, u"ショウジョ アンド トウキョウジヘン");
    EXPECT_EQ(readTitle(e, u"R&B 少女").reading, u"R&B ショウジョ") << "between Latin letters the sign stays";
    EXPECT_EQ(read(e, u"少女&東京事変", ReadingStyle::Romaji), u"shoujo&toukyou jihen") << "romaji keeps signs";
}

TEST(Reading, AnEnglishPhraseInAJapaneseValueIsSaidInKatakanaWhenEveryWordHasAReading)
{
    FakeReadingEngine e = titleEngine();
    e.loanwords[u"love"] = u"ラブ";
    e.loanwords[u"LOVER"] = u"ラバー";
    EXPECT_EQ(judged(readTitle(e, u"少女「I love you」")),
              (Judged{u"ショウジョ「アイラブユー」", Confidence::Check, "English words read as loanwords"}))
        << "small words from the table, the rest as loanwords";
    EXPECT_EQ(readTitle(e, u"LOVER -少女-").reading, u"ラバー-ショウジョ-") << "one word apart from the Japanese";
    EXPECT_EQ(readTitle(e, u"少女Don't love me").reading, u"ショウジョドントラブミー") << "a phrase against it";
    EXPECT_EQ(readTitle(e, u"少女「I love Tokyo」").reading, u"ショウジョ「I love Tokyo」")
        << "a word with no reading keeps the whole phrase as written";
    EXPECT_EQ(readTitle(e, u"少女 (Live)").reading, u"ショウジョ (Live)") << "a release's note stays";
    EXPECT_EQ(read(e, u"少女「I love you」", ReadingStyle::Romaji), u"shoujo 「I love you」") << "romaji keeps English";
    // A number among the English words is said in English with them, one
    // of two digits at most; a longer one, or one with a leading zero, is
    // kept as written.
    expectTitles(e,
                 {{u"少女 love 2", u"ショウジョラブツー", "after a word"},
                  {u"少女 15LOVER", u"ショウジョフィフティーンラバー", "before one, against it"},
                  {u"少女LOVER 3", u"ショウジョラバー スリー", "after a word against the Japanese"},
                  {u"少女 love 2020", u"ショウジョラブ2020", "four digits are kept"},
                  {u"少女 love 07", u"ショウジョラブ07", "a leading zero is kept"}});
}

TEST(Reading, AGreekLetterStandingAloneIsSaidByItsName)
{
    FakeReadingEngine e = titleEngine();
    EXPECT_EQ(judged(readTitle(e, u"少女α")),
              (Judged{u"ショウジョアルファ", Confidence::Likely, "a Greek letter said by its name"}));
    expectTitles(e,
                 {{u"Ω・少女", u"オメガ・ショウジョ", "capitals too, before the word"},
                  {u"少女ΣΩ", u"ショウジョΣΩ", "two together may be a word: kept"},
                  {u"少女μ's", u"ショウジョμ's", "Latin letters beside it: kept"}});
    EXPECT_EQ(readTitle(e, u"少女ΣΩ").reason, "letters of another script kept as written");
}

TEST(Reading, AnEnglishWordKeptApartFromJapaneseIsACheckButOrnamentsAndDigitsAreNot)
{
    FakeReadingEngine e = titleEngine();
    for (const char16_t* value : {u"LOVER -少女-", u"少女 (Lover)", u"LOVER・少女"}) {
        const ValueReading r = readTitle(e, value);
        EXPECT_EQ(r.confidence, Confidence::Check) << toUtf8(value);
        EXPECT_EQ(r.reason, "Latin letters kept as written") << toUtf8(value);
    }
    EXPECT_EQ(readTitle(e, u"少女 A").confidence, Confidence::Sure) << "one letter apart is no word";
    EXPECT_EQ(readTitle(e, u"少女 (Live ver.) feat. 東京事変").confidence, Confidence::Sure)
        << "a release's notes are no part of the name";
    EXPECT_EQ(readTitle(e, u"少女 feat. Ingrid De Souza").confidence, Confidence::Sure)
        << "a name credited after feat. is kept as the name it is";
    EXPECT_EQ(readTitle(e, u"Lover 少女 feat. Ingrid").reason, "Latin letters kept as written")
        << "a word before the credit still counts";
    EXPECT_EQ(readTitle(e, u"少女 (Ｌｉｖｅ Ｖｅｒ.)").confidence, Confidence::Sure) << "in full width too";
    EXPECT_EQ(readTitle(e, u"少女 (Live Lover)").reason, "Latin letters kept as written") << "a word beside them";
    EXPECT_EQ(readTitle(e, u"-少女- 2").confidence, Confidence::Sure) << "signs and a cardinal add no doubt";
    EXPECT_EQ(readTitle(e, u"少女☆少女♪").confidence, Confidence::Sure) << "nor ornaments no one says";
    const ValueReading said = readTitle(e, u"少女×少女");
    EXPECT_EQ(said.reading, u"ショウジョ×ショウジョ");
    EXPECT_EQ(said.confidence, Confidence::Check) << "× is said, バツ or カケル: kept only as a guess";
    EXPECT_EQ(said.reason, "a sign that may be said kept as written");
    EXPECT_EQ(readTitle(e, u"○少女").confidence, Confidence::Check);
    RunRequest request;
    request.kind = NameKind::Title;
    EXPECT_EQ(readValue(e, nullptr, u"LOVER -少女-", ReadingStyle::Romaji, 4, request).confidence, Confidence::Sure)
        << "romaji keeps letters as the value has them";
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
