// The Korean engine: the Revised Romanization with its sound changes, names
// with the customary surname spellings, Hangul kept, and what it refuses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Reading/Korean/HanjaDictionary.h"
#include "Reading/Korean/KoreanValueReader.h"
#include "Reading/Korean/Romanization.h"
#include "support/AudioFixtures.h"

namespace yomi::korean {
namespace {

using ::testing::Contains;

ReadRequest latin(NameKind kind)
{
    ReadRequest r;
    r.kind = kind;
    r.styles.korean = KoreanStyle::Latin;
    return r;
}

TEST(RevisedRomanization, TheSoundChangesBetweenSyllablesAreWritten)
{
    const std::vector<std::pair<std::u16string, std::string>> words{
        {u"같이", "gachi"},   {u"굳이", "guji"},   {u"독립문", "dongnimmun"}, {u"신라", "silla"},
        {u"설날", "seollal"}, {u"종로", "jongno"}, {u"국물", "gungmul"},      {u"백마", "baengma"},
        {u"좋아", "joa"},     {u"좋고", "joko"},   {u"놓는", "nonneun"},      {u"읽어", "ilgeo"},
        {u"없어", "eopseo"},  {u"않아", "ana"},    {u"라디오", "radio"},      {u"한국", "hanguk"},
        {u"알아", "ara"},     {u"밥맛", "bammat"}, {u"의사", "uisa"},         {u"꽃말", "kkonmal"}};
    for (const auto& [word, rr] : words)
        EXPECT_EQ(romanizeWord(word), rr) << toUtf8(word);
    EXPECT_EQ(romanizeSyllables(u"정현", "-"), "jeong-hyeon") << "a name's syllables keep their own sounds";
    EXPECT_EQ(romanizeSyllables(u"복남", "-"), "bok-nam");
    EXPECT_EQ(romanizeWord(u"밥 2"), "bap 2") << "a space ends the word's sound changes";
    EXPECT_EQ(romanizeWord(u"꽃이"), "kkochi");
    EXPECT_EQ(romanizeWord(u"값이"), "gapsi");
    EXPECT_EQ(romanizeWord(u"닭"), "dak");
    EXPECT_EQ(romanizeWord(u"여덟"), "yeodeol");
}

TEST(KoreanNames, CustomarySurnameAndHyphenatedGivenNameWithTheOtherSpellingsAsAlternatives)
{
    KoreanValueReader reader;
    const ValueReading lee = reader.read(u"이정현", latin(NameKind::Person));
    EXPECT_EQ(lee.reading, u"Lee Jeong-hyeon");
    EXPECT_THAT(lee.alternatives, Contains(u"Yi Jeong-hyeon"));
    EXPECT_EQ(lee.language, Language::Korean);
    EXPECT_EQ(reader.read(u"임윤아", latin(NameKind::Person)).alternatives.front(), u"Im Yun-a");
    EXPECT_EQ(reader.read(u"남궁민", latin(NameKind::Person)).reading, u"Namgoong Min");
    EXPECT_EQ(reader.read(u"김연아", latin(NameKind::Person)).reading, u"Kim Yeon-a");
    EXPECT_EQ(reader.read(u"박", latin(NameKind::Person)).reading, u"Park") << "a lone surname";
    EXPECT_EQ(reader.read(u"소녀시대", latin(NameKind::Person)).reading, u"Sonyeosidae")
        << "four syllables after a one-syllable surname are no name";
    EXPECT_EQ(reader.read(u"이정현", latin(NameKind::Title)).reading, u"Ijeonghyeon");
    EXPECT_EQ(reader.read(u"독립문 같이", latin(NameKind::Title)).reading, u"Dongnimmun gachi");
}

TEST(KoreanNames, HangulStyleKeepsTheValueAndOtherScriptsAreRefusedWithTheReason)
{
    KoreanValueReader reader;
    ReadRequest hangul;
    const ValueReading kept = reader.read(u" 방탄소년단 ", hangul);
    EXPECT_EQ(kept.reading, u"방탄소년단");
    EXPECT_EQ(kept.confidence, Confidence::Sure);
    EXPECT_EQ(reader.read(u"李正賢", latin(NameKind::Person)).reason,
              "Han characters (hanja) cannot be read in Korean");
    EXPECT_EQ(reader.read(u"ㅋㅋㅋ", latin(NameKind::Title)).reason,
              "Hangul letters outside syllables cannot be romanised");
    EXPECT_EQ(reader.read(u"BTS 2013", latin(NameKind::Title)).reason, "no Hangul to read");
    EXPECT_EQ(reader.read(u"소녀시대 Gee", latin(NameKind::Title)).reading, u"Sonyeosidae Gee");
}

// A hanja table in libhangul's form: Hangul, hanja, meaning; in Hangul
// order, words listed both as said inside a word and with the initial
// sound rule, and characters with several sounds.
constexpr std::string_view kHanjaTable = R"(# hanja
경:敬:공경 경
궁:宮:집 궁
금:金:성 금, 쇠 금
김:金:사람의 성 김, 쇠 김
남:南:남녘 남
녀:女:계집 녀
노:老:늙을 로
대:大:큰 대
락:樂:즐길 락
로:老:늙을 로
리:李:오얏 리
린:麟:기린 린
민:珉:옥돌 민
소:少:적을 소
악:樂:풍류 악
여:女:계집 녀
요:樂:좋아할 요
이:李:오얏 리
인:人:사람 인
자:子:아들 자
중:中:가운데 중
최:崔:성 최
경로:敬老:
남궁:南宮:
노인:老人:
녀자:女子:
로인:老人:
소녀:少女:
여자:女子:
오락:娛樂:
음악:音樂:
쾌락:快樂:
broken line
:金:
)";

struct HanjaFixture : ::testing::Test {
    test::TempFolder folder;
    std::shared_ptr<HanjaDictionary> table =
        std::make_shared<HanjaDictionary>(folder.writeFile("hanja.txt", kHanjaTable));
    std::u16string read(std::u16string_view hanja, bool wordStart, bool name = false)
    {
        const auto r = table->read(hanja, wordStart, name);
        return r ? r->hangul : u"(none)";
    }
};

TEST(HanjaInitialSoundRule, DropsOrSoftensTheFirstConsonantAsAWordBegins)
{
    EXPECT_EQ(initialSoundRule(u'리'), u'이');
    EXPECT_EQ(initialSoundRule(u'량'), u'양');
    EXPECT_EQ(initialSoundRule(u'로'), u'노');
    EXPECT_EQ(initialSoundRule(u'락'), u'낙') << "the final stays";
    EXPECT_EQ(initialSoundRule(u'녀'), u'여');
    EXPECT_EQ(initialSoundRule(u'뇨'), u'요');
    EXPECT_EQ(initialSoundRule(u'노'), u'노') << "ㄴ before a vowel without y stays";
    EXPECT_EQ(initialSoundRule(u'가'), u'가');
    EXPECT_EQ(initialSoundRule(u'A'), u'A');
}

TEST_F(HanjaFixture, WordsAreReadWholeWithTheInitialSoundRuleOnlyWhereAWordBegins)
{
    ASSERT_TRUE(table->available());
    EXPECT_EQ(read(u"女子", true), u"여자");
    EXPECT_EQ(read(u"女子", false), u"녀자") << "after Hangul the word keeps its first sound";
    EXPECT_EQ(read(u"老人", true), u"노인");
    EXPECT_EQ(read(u"老人", false), u"로인");
    EXPECT_EQ(read(u"少女", true), u"소녀") << "inside a word ㄴ stays";
    EXPECT_EQ(read(u"敬老人", true), u"경로인") << "the longest word first";
    EXPECT_TRUE(table->read(u"少女", true)->wholeWords);
    // A character alone takes the sound it has inside words (樂 락 in 오락
    // and 쾌락, 악 only in 음악), with the rule at a word's start.
    EXPECT_EQ(read(u"樂", false), u"락");
    EXPECT_EQ(read(u"樂", true), u"낙");
    EXPECT_FALSE(table->read(u"少樂", true)->wholeWords);
    EXPECT_EQ(read(u"金", true), u"금") << "never inside a word: its first sound in the table";
    // A character the table has no sound for, or one outside the BMP.
    EXPECT_EQ(read(u"少漢", true), u"(none)");
    EXPECT_EQ(read(u"\U00020BB7", true), u"(none)");
}

TEST_F(HanjaFixture, ANameBeginsWithItsCommonestSurnameSoundAndItsGivenNameBeginsAWordOfItsOwn)
{
    EXPECT_EQ(read(u"金大中", true, true), u"김대중") << "김 is a commoner surname than 금";
    EXPECT_EQ(read(u"金大中", true), u"금대중") << "not a name: the character's own sound";
    EXPECT_EQ(read(u"李敬", true, true), u"이경") << "the surname takes the initial sound rule";
    EXPECT_EQ(read(u"金女", true, true), u"김여") << "and so does the given name";
    EXPECT_EQ(read(u"崔麟", true, true), u"최인");
    EXPECT_EQ(read(u"南宮珉", true, true), u"남궁민") << "a two-syllable surname";
    EXPECT_EQ(read(u"金大中金大", true, true), u"금대중금대") << "five characters are no name";
    EXPECT_FALSE(table->read(u"金大中", true, true)->wholeWords);
}

TEST(HanjaTable, AMissingTableReadsNothing)
{
    HanjaDictionary missing("/nonexistent/hanja.txt");
    EXPECT_FALSE(missing.available());
    EXPECT_FALSE(missing.read(u"少女", true));
}

TEST_F(HanjaFixture, TheKoreanReaderReadsHanjaAmongHangulAndSaysHowSureItIs)
{
    KoreanValueReader reader(table);
    const ValueReading words = reader.read(u"少女 소녀", ReadRequest{});
    EXPECT_EQ(words.reading, u"소녀 소녀");
    EXPECT_EQ(words.confidence, Confidence::Likely) << "words of the table, not a sure reading";
    EXPECT_EQ(words.reason, "hanja read as words of the hanja table");

    const ValueReading name = reader.read(u"金大中", latin(NameKind::Person));
    EXPECT_EQ(name.reading, u"Kim Dae-jung") << "then read as a Hangul name";
    EXPECT_EQ(name.confidence, Confidence::Check);
    EXPECT_EQ(name.reason, "hanja read one by one by their Korean sounds");
    EXPECT_EQ(reader.read(u"金大中", latin(NameKind::Title)).reading, u"Geumdaejung");

    EXPECT_EQ(reader.read(u"소녀女子", ReadRequest{}).reading, u"소녀녀자") << "Hangul right before: no word start";
    EXPECT_EQ(reader.read(u"女子に", ReadRequest{}).reason, "kana cannot be read in Korean");
    EXPECT_EQ(reader.read(u"漢 소녀", ReadRequest{}).reason, "a Han character the hanja table has no Korean sound for");
    EXPECT_FALSE(reader.read(u"漢 소녀", ReadRequest{}).reading);
}

TEST(HanjaTable, DebiansTableReadsWordsAndNames)
{
    HanjaDictionary system(HanjaDictionary::systemFile());
    ASSERT_TRUE(system.available()) << "libhangul-data is installed by build.sh";
    EXPECT_EQ(system.read(u"少女時代", true)->hangul, u"소녀시대");
    EXPECT_EQ(system.read(u"女子", true)->hangul, u"여자");
    EXPECT_EQ(system.read(u"金大中", true, true)->hangul, u"김대중");
    EXPECT_EQ(system.read(u"柳寬順", true, true)->hangul, u"유관순");
}

} // namespace
} // namespace yomi::korean
