// The Korean engine: the Revised Romanization with its sound changes, names
// with the customary surname spellings, Hangul kept, and what it refuses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Reading/Korean/KoreanValueReader.h"
#include "Reading/Korean/Romanization.h"

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

} // namespace
} // namespace yomi::korean
