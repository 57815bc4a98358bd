// The predicates read the shipped StringUtility tables through the main
// bundle (YOMI_RESOURCE_DIR, or the build tree's resources/ folder).
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "Category/StringUtility.h"
#include "Platform/Bundle.h"

namespace yomi {
namespace {

struct ClassCase {
    const char* name;
    std::u16string value;
    bool kanaOrLatin; // isHiraganaKatanakaAlphabetString
    bool kana;        // isHiraganaKatanakaString
    bool latin;       // isAlphanumericString
    bool digits;      // isNumberString
};

class CharacterClasses : public ::testing::TestWithParam<ClassCase> {
protected:
    static void SetUpTestSuite()
    {
        // Without the tables every table-based predicate would fail for any
        // non-empty value, and the cases below would prove nothing.
        ASSERT_FALSE(Bundle::mainBundle().localizedStringForKey(u"japaneseCharacterset", u"", "StringUtility").empty());
    }
};

TEST_P(CharacterClasses, EveryPredicate)
{
    const ClassCase& c = GetParam();
    const std::u16string_view v = c.value;
    EXPECT_EQ(isHiraganaKatanakaAlphabetString(v), c.kanaOrLatin);
    EXPECT_EQ(isHiraganaKatanakaString(v), c.kana);
    EXPECT_EQ(isAlphanumericString(v), c.latin);
    EXPECT_EQ(isNumberString(v), c.digits);
}

INSTANTIATE_TEST_SUITE_P(
    All, CharacterClasses,
    ::testing::Values(
        ClassCase{"Empty", u"", true, true, true, true},
        ClassCase{"Hiragana", u"\u3072\u3089\u304c\u306a", true, true, false, false},
        ClassCase{"KatakanaWithLongVowelAndDot", u"\u30b9\u30fc\u30d1\u30fc\u30fb\u30ab\u30fc", true, true, false,
                  false},
        ClassCase{"SmallKanaAndIterationMarks", u"\u3041\u3063\u30f5\u30f6\u309d\u309e\u30fd\u30fe", true, true, false,
                  false},
        ClassCase{"HalfWidthKatakana", u"\uff8a\uff9d\uff76\uff78\uff9e\uff70", true, true, false, false},
        ClassCase{"CombiningVoicedMark", u"\u304b\u3099\u30cf\u309a", true, true, false, false},
        ClassCase{"JapanesePunctuationAndIdeographicSpace", u"\u300c\u3042\u3000\u3044\u300d\u3002", true, true, false,
                  false},
        ClassCase{"KanaAndLatinMixed", u"\u30e2\u30fc\u30cbMusume", true, false, false, false},
        ClassCase{"LatinWithSpaceAndPunctuation", u"Guns N' Roses & AC/DC, 1987!", true, false, true, false},
        ClassCase{"LatinOneAndExtendedA", u"Mot\u00f6rhead \u0141\u00f3d\u017a", true, false, true, false},
        ClassCase{"DecomposedAccent", u"Beyonce\u0301", true, false, true, false},
        ClassCase{"RomanianAndPinyinTones", u"\u0218tefan \u021aepe\u0219 l\u01dc b\u01ce", true, false, true, false},
        ClassCase{"Vietnamese", u"M\u1ef9 T\u00e2m H\u1ed3 Ng\u1ecdc H\u00e0", true, false, true, false},
        ClassCase{"TypographicPunctuation", u"\u201cRock\u2019n\u2019Roll\u201d \u2013 Live\u2026", true, false, true,
                  false},
        ClassCase{"FullWidthLatinAndDigits", u"\uff21\uff22\uff23\uff11\uff12", true, false, true, false},
        ClassCase{"FullWidthLatinWithIdeographicSpace", u"\uff38\u3000\uff2a\uff21\uff30\uff21\uff2e", true, false,
                  false, false},
        ClassCase{"HanAlone", u"\u6771\u4eac", false, false, false, false},
        ClassCase{"HanAtTheEnd", u"\u3072\u3089ABC\u6771", false, false, false, false},
        ClassCase{"HanAtTheStart", u"\u6771ABC", false, false, false, false},
        ClassCase{"HanIterationMark", u"\u4f50\u3005\u6728", false, false, false, false},
        ClassCase{"Hangul", u"\ubc29\ud0c4", false, false, false, false},
        ClassCase{"Cyrillic", u"\u041a\u0438\u043d\u043e", false, false, false, false},
        ClassCase{"GreekAmongLatin", u"\u03a9mega", false, false, false, false},
        ClassCase{"KanaWithCombiningAcute", u"\u304b\u0301", true, false, false, false},
        ClassCase{"UnlistedCombiningMark", u"A\u20dd", false, false, false, false},
        ClassCase{"SurrogatePairHan", u"\U00020bb7\u91ce\u5bb6", false, false, false, false},
        ClassCase{"SurrogatePairAfterLatin", u"Smile \U0001F600", false, false, false, false},
        ClassCase{"LoneSurrogate", std::u16string(1, char16_t(0xD842)), false, false, false, false},
        ClassCase{"Digits", u"0123456789", true, false, true, true},
        ClassCase{"LeadingZeros", u"007", true, false, true, true},
        ClassCase{"NegativeNumber", u"-1", true, false, true, false},
        ClassCase{"DecimalPoint", u"1.5", true, false, true, false},
        ClassCase{"DigitsWithSpace", u"1 2", true, false, true, false},
        ClassCase{"FullWidthDigit", u"1\uff12", true, false, true, false},
        ClassCase{"ArabicIndicDigit", u"\u0661", false, false, false, false},
        ClassCase{"ControlCharacter", u"AB\nC", false, false, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

// The scan keeps one test for all its values: the set it built for the
// first value must answer every later one as the free function does, absent
// values included, whatever came before.
TEST(CharacterClassesKept, OneTestForManyValuesAnswersAsEachCallDoes)
{
    const std::vector<StringArg> values = {u"\u3072\u3089\u304c\u306a", std::nullopt, u"ABC", u"", u"\u5c71\u7530",
                                           u"\u30ab\u30bf\u30ab\u30caABC", u"\U0001F3B5", u"a\u4e00b"};
    KanaOrAlphabetTest kept;
    for (int round = 0; round < 2; ++round) {
        for (std::size_t i = 0; i < values.size(); ++i)
            EXPECT_EQ(kept(values[i]), isHiraganaKatanakaAlphabetString(values[i])) << "value " << i << " round " << round;
    }
    EXPECT_FALSE(kept(std::nullopt));
    EXPECT_TRUE(kept(u"\u3072\u3089\u304c\u306a"));
    EXPECT_FALSE(kept(u"\u5c71\u7530"));
}

TEST(CharacterClassesAbsent, AbsentIsFalseUnlikeEmpty)
{
    EXPECT_FALSE(isHiraganaKatanakaAlphabetString(std::nullopt));
    EXPECT_FALSE(isHiraganaKatanakaString(std::nullopt));
    EXPECT_FALSE(isAlphanumericString(std::nullopt));
    EXPECT_FALSE(isNumberString(std::nullopt));
}

// The characters each list must hold, spelt out here rather than read from
// the table the code reads: a missing or damaged table fails.
std::set<char16_t> charactersIn(std::initializer_list<std::pair<char16_t, char16_t>> ranges)
{
    std::set<char16_t> out;
    for (const auto& [first, last] : ranges)
        for (char32_t c = first; c <= last; ++c)
            out.insert(static_cast<char16_t>(c));
    return out;
}

const std::set<char16_t> kKana = charactersIn({{0x3000, 0x3003},
                                               {0x3008, 0x3011},
                                               {0x3014, 0x301F},
                                               {0x3030, 0x3030},
                                               {0x3041, 0x3096},
                                               {0x3099, 0x30FF},
                                               {0x31F0, 0x31FF},
                                               {0xFF01, 0xFF0F},
                                               {0xFF1A, 0xFF20},
                                               {0xFF3B, 0xFF40},
                                               {0xFF5B, 0xFF5E},
                                               {0xFF61, 0xFF9F}});
const std::set<char16_t> kLatin = charactersIn({{0x0020, 0x007E},
                                                {0x00A0, 0x00A1},
                                                {0x00AA, 0x00AB},
                                                {0x00B7, 0x00B7},
                                                {0x00BA, 0x00BB},
                                                {0x00BF, 0x00D6},
                                                {0x00D8, 0x00F6},
                                                {0x00F8, 0x024F},
                                                {0x0300, 0x036F},
                                                {0x1E00, 0x1EFF},
                                                {0x2010, 0x2015},
                                                {0x2018, 0x201F},
                                                {0x2026, 0x2026},
                                                {0x2039, 0x203A},
                                                {0xFF10, 0xFF19},
                                                {0xFF21, 0xFF3A},
                                                {0xFF41, 0xFF5A}});

// Both lists hold exactly the characters above; every one of them passes the
// first predicate, and the walk over a long value stops right at the first
// stranger wherever it stands.
TEST(CharacterClassesTables, EveryListedCharacterPassesAndOneStrangerFails)
{
    Bundle& b = Bundle::mainBundle();
    const String kana = b.localizedStringForKey(u"japaneseCharacterset", u"", "StringUtility");
    const String latin = b.localizedStringForKey(u"alphabetCharacterSet", u"", "StringUtility");
    EXPECT_EQ(std::set<char16_t>(kana.begin(), kana.end()), kKana);
    EXPECT_EQ(std::set<char16_t>(latin.begin(), latin.end()), kLatin);
    const String allKana(kKana.begin(), kKana.end()), allLatin(kLatin.begin(), kLatin.end());
    EXPECT_TRUE(isHiraganaKatanakaString(allKana));
    EXPECT_TRUE(isAlphanumericString(allLatin));
    const String both = allLatin + allKana;
    EXPECT_TRUE(isHiraganaKatanakaAlphabetString(both));
    for (std::size_t at : {std::size_t{0}, both.size() / 2, both.size()}) {
        const String damaged = both.substr(0, at) + u'\u4e00' + both.substr(at);
        EXPECT_FALSE(isHiraganaKatanakaAlphabetString(damaged)) << at;
    }
}

struct RomajiCase {
    const char* name;
    std::u16string in;
    std::u16string out;
};

class Romaji : public ::testing::TestWithParam<RomajiCase> {};

TEST_P(Romaji, Transliterates) { EXPECT_EQ(romaji(std::u16string_view(GetParam().in)), GetParam().out); }

// The readings are ICU 72's Any-Latin choices; only the lower-casing is ours.
INSTANTIATE_TEST_SUITE_P(
    All, Romaji,
    ::testing::Values(RomajiCase{"Empty", u"", u""}, RomajiCase{"Hiragana", u"\u3072\u3089\u304c\u306a", u"hiragana"},
                      RomajiCase{"Katakana", u"\u30ab\u30bf\u30ab\u30ca", u"katakana"},
                      RomajiCase{"KatakanaLongVowel", u"\u30bd\u30cb\u30fc", u"son\u012b"},
                      RomajiCase{"HalfWidthKatakana", u"\uff8a\uff9d\uff76\uff78", u"hankaku"},
                      RomajiCase{"CombiningVoicedMark", u"\u304b\u3099", u"ga"},
                      RomajiCase{"HanAsPinyinWithToneMarks", u"\u6771\u4eac", u"d\u014dng j\u012bng"},
                      RomajiCase{"CapitalLatin", u"ABC XYZ", u"abc xyz"},
                      RomajiCase{"CapitalLatinWithAccent", u"\u00c9COLE", u"\u00e9cole"},
                      RomajiCase{"CapitalsMadeByTheTransform", u"\u03a9mega", u"\u014dmega"},
                      RomajiCase{"Cyrillic", u"\u041c\u043e\u0441\u043a\u0432\u0430", u"moskva"},
                      RomajiCase{"DigitsAndPunctuation", u"\u6771\u4eac 2020!", u"d\u014dng j\u012bng 2020!"},
                      RomajiCase{"FullWidthLatinOnlyLowered", u"\uff21\uff22\uff23", u"\uff41\uff42\uff43"},
                      RomajiCase{"EmojiKept", u"A\U0001F600", u"a\U0001F600"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RomajiAbsent, AbsentGivesEmptyString) { EXPECT_EQ(romaji(std::nullopt), u""); }

TEST(RomajiInput, ArgumentWithEmbeddedNulIsTransformedWhole)
{
    const std::u16string in(u"A\0B", 3);
    EXPECT_EQ(romaji(std::u16string_view(in)), std::u16string(u"a\0b", 3));
}

} // namespace
} // namespace yomi
