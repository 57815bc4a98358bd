// English words said in katakana by their sounds, over a small lexicon in
// the pronouncing dictionary's form, and words of romaji; and the engine
// that says the English words of a Japanese value so.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "Category/Reading.h"
#include "Reading/EnglishSounds.h"
#include "Reading/MecabReadingEngine.h"
#include "support/AudioFixtures.h"

namespace yomi::reading {
namespace {

// Entries as the CMU dictionary of Festival writes them (its sounds as it
// gives them), out of order as the real one is in places.
constexpr const char* kLexicon = R"(MNCL
("Afrocentric" n (((ae) 1) ((f r ax) 0) ((s eh n) 1) ((t r ax k) 0)))
("capricorn" nil (((k ae) 1) ((p r ax) 0) ((k ao r n) 0)))
("category" nil (((k ae) 1) ((t ax) 0) ((g ao) 2) ((r iy) 0)))
("dopeness" nil (((d ow p) 1) ((n ax s) 0)))
("formula" nil (((f ao r) 1) ((m y ax) 0) ((l ax) 0)))
("goods" nil (((g uh d z) 1)))
("happy" nil (((hh ae) 1) ((p iy) 0)))
("hits" nil (((hh ih t s) 1)))
("how" nil (((hh aw) 1)))
("idle" nil (((ay) 1) ((d ax l) 0)))
("live" j (((l ay v) 1)))
("live" v (((l ih v) 1)))
("many" nil (((m eh) 1) ((n iy) 0)))
("memories" nil (((m eh) 1) ((m er) 0) ((iy z) 0)))
("happiness" nil (((hh ae) 1) ((p iy) 0) ((n ax s) 0)))
("maybe" nil (((m ey) 1) ((b iy) 0)))
("doctor" nil (((d aa k) 1) ((t er) 0)))
("desire" nil (((d ih) 0) ((z ay) 1) ((er) 0)))
("power" nil (((p aw) 1) ((er) 0)))
("queen" nil (((k w iy n) 1)))
("rock" nil (((r aa k) 1)))
("tropic" nil (((t r aa) 1) ((p ih k) 0)))
("number" nil (((n ah m) 1) ((b er) 0)))
("transformed" nil (((t r ae n) 0) ((s f ao r m d) 1)))
("ness" nil (((n eh s) 1)))
("dope" nil (((d ow p) 1)))
)";

struct Lexicon {
    test::TempFolder dir;
    EnglishSounds sounds{dir.writeFile("cmudict.out", kLexicon)};
};

TEST(EnglishSounds, AWordIsSaidInKatakanaAsJapaneseWritesItsSounds)
{
    const Lexicon l;
    ASSERT_FALSE(l.sounds.empty());
    EXPECT_EQ(l.sounds.of(u"how"), u"ハウ");
    EXPECT_EQ(l.sounds.of(u"many"), u"メニー") << "a final ee sound is long";
    EXPECT_EQ(l.sounds.of(u"Maybe"), u"メイビー") << "any case";
    EXPECT_EQ(l.sounds.of(u"TROPIC"), u"トロピック")
        << "a stop at the end after a short vowel is doubled; an o said ah is オ by its letter";
    EXPECT_EQ(l.sounds.of(u"rock"), u"ロック");
    EXPECT_EQ(l.sounds.of(u"doctor"), u"ドクター") << "not doubled inside the word; a weak er is アー";
    EXPECT_EQ(l.sounds.of(u"capricorn"), u"キャプリコーン")
        << "the schwa is said as the i that spells it; an r ending a syllable lengthens its vowel";
    EXPECT_EQ(l.sounds.of(u"category"), u"キャテゴリー") << "an r that begins the next syllable does not";
    EXPECT_EQ(l.sounds.of(u"dopeness"), u"ドープネス") << "the e of dope is silent: the schwa is the e of -ness";
    EXPECT_EQ(l.sounds.of(u"happy"), u"ハッピー") << "pp after a short vowel doubles";
    EXPECT_EQ(l.sounds.of(u"happiness"), u"ハッピネス") << "a weak ee sound inside a word is short";
    EXPECT_EQ(l.sounds.of(u"memories"), u"メモリーズ")
        << "before a last s it is long; a weak er before a vowel is a vowel and an r";
    EXPECT_EQ(l.sounds.of(u"hits"), u"ヒッツ") << "t and s are ツ";
    EXPECT_EQ(l.sounds.of(u"goods"), u"グッズ") << "d and z are ズ";
    EXPECT_EQ(l.sounds.of(u"idle"), u"アイドル") << "the syllable of an l no vowel letter spells: d with o";
    EXPECT_EQ(l.sounds.of(u"formula"), u"フォーミュラ") << "a weak vowel after y is u";
    EXPECT_EQ(l.sounds.of(u"desire"), u"デザイア") << "a weak i sound spelt e is エ; an r-coloured vowel after ay is ア";
    EXPECT_EQ(l.sounds.of(u"power"), u"パワー") << "after aw it is ワー";
    EXPECT_EQ(l.sounds.of(u"queen"), u"クイーン") << "k and w: ク and the vowel plain";
    EXPECT_EQ(l.sounds.of(u"number"), u"ナンバー") << "m before b is ン";
}

TEST(EnglishSounds, TheLexiconIsSearchedByWordInAnyCaseAndItsFirstEntryCounts)
{
    const Lexicon l;
    EXPECT_EQ(l.sounds.of(u"LIVE"), u"ライブ") << "of a word's two entries the first";
    EXPECT_EQ(l.sounds.of(u"afrocentric"), u"アフロセントリック")
        << "an entry written with a capital is found, out of order as it stands";
    EXPECT_FALSE(l.sounds.of(u"omoide")) << "a word the lexicon lacks";
    EXPECT_FALSE(l.sounds.of(u"rock'n")) << "nor a word near one it holds";
    EXPECT_FALSE(l.sounds.of(u"ロック")) << "only Latin letters are looked up";
    EXPECT_FALSE(l.sounds.of(u""));
    const EnglishSounds none(l.dir.path() / "missing");
    EXPECT_TRUE(none.empty());
    EXPECT_FALSE(none.of(u"how")) << "no lexicon, no sounds";
}

TEST(EnglishSounds, AWordWrittenAsTwoWordsTheLexiconHoldsIsSaidAsThem)
{
    const Lexicon l;
    EXPECT_FALSE(l.sounds.of(u"ROCKTRANSFORMED")) << "the lexicon does not hold it whole";
    EXPECT_EQ(l.sounds.ofTwoWords(u"ROCKTRANSFORMED"), u"ロックトランスフォームド");
    EXPECT_EQ(l.sounds.ofTwoWords(u"DOPENESS"), u"ドープネス") << "the longest first word that leaves a word";
    EXPECT_FALSE(l.sounds.ofTwoWords(u"rockme")) << "no word of fewer than three letters";
    EXPECT_FALSE(l.sounds.ofTwoWords(u"rockzzz")) << "both parts must be words";
    EXPECT_FALSE(l.sounds.ofTwoWords(u"ro"));
}

TEST(EnglishSounds, RomajiIsWrittenBackInKatakanaAndOtherLettersAreNot)
{
    EXPECT_EQ(romajiInKatakana(u"OMOIDE"), u"オモイデ");
    EXPECT_EQ(romajiInKatakana(u"genji"), u"ゲンジ") << "n before a consonant is ン";
    EXPECT_EQ(romajiInKatakana(u"Kitte"), u"キッテ") << "a doubled consonant is ッ";
    EXPECT_EQ(romajiInKatakana(u"shinkansen"), u"シンカンセン");
    EXPECT_EQ(romajiInKatakana(u"ryuu"), u"リュウ");
    EXPECT_FALSE(romajiInKatakana(u"desk")) << "s and k with no vowel are no syllables";
    EXPECT_FALSE(romajiInKatakana(u"love")) << "no v in romaji";
    EXPECT_FALSE(romajiInKatakana(u"don't"));
    EXPECT_FALSE(romajiInKatakana(u""));
}

TEST(EnglishSounds, TheEngineSaysEnglishWordsWithoutALoanwordByTheirSoundsAsAGuess)
{
    MecabReadingEngine engine;
    ASSERT_TRUE(engine.available()) << engine.missing();
    if (!std::filesystem::exists(EnginePaths::system().english))
        GTEST_SKIP() << "festlex-cmu is installed by build.sh";
    const ValueReading maybe = readValue(engine, nullptr, u"言い訳Maybe", ReadingStyle::Katakana, 2);
    EXPECT_EQ(maybe.reading, u"イイワケメイビー");
    EXPECT_EQ(maybe.confidence, Confidence::Check);
    EXPECT_THAT(maybe.reason, ::testing::HasSubstr("an English word said by its sounds"));
    const ValueReading phrase = readValue(engine, nullptr, u"How many いい顔", ReadingStyle::Katakana, 2);
    EXPECT_EQ(phrase.reading, u"ハウメニーイイカオ") << "a phrase of words the word dictionary has no loanword for";
    EXPECT_THAT(phrase.reason, ::testing::HasSubstr("English words said by their sounds"));
    // Two words the pronouncing dictionary holds, written as one.
    EXPECT_EQ(readValue(engine, nullptr, u"鎮座DOPENESS", ReadingStyle::Katakana, 2).reading, u"チンザドープネス");
    // A word neither dictionary holds, no romaji and no two words, is kept
    // as written.
    const ValueReading kept = readValue(engine, nullptr, u"宇宙戦隊NOIZ", ReadingStyle::Katakana, 2);
    EXPECT_EQ(kept.reading, u"ウチュウセンタイNOIZ");
    EXPECT_EQ(kept.reason, "Latin letters kept as written");
    // Romaji where the pronouncing dictionary holds no such word.
    const ValueReading romaji = readValue(engine, nullptr, u"サッポロOMOIDE IN MY HEAD状態", ReadingStyle::Katakana, 2);
    EXPECT_EQ(romaji.reading, u"サッポロオモイデインマイヘッドジョウタイ");
    EXPECT_THAT(romaji.reason, ::testing::HasSubstr("romaji"));
    // yeah is one of the small words said as Japanese writes them; by its
    // sounds it would be ヤ.
    EXPECT_EQ(readValue(engine, nullptr, u"海のYeah!!", ReadingStyle::Katakana, 2).reading, u"ウミノイエー!!");
    // A loanword of the word dictionary still comes first.
    EXPECT_EQ(readValue(engine, nullptr, u"大阪LOVER", ReadingStyle::Katakana, 2).reading, u"オオサカラバー");
}

} // namespace
} // namespace yomi::reading
