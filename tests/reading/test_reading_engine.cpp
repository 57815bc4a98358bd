// The reading engine over the installed MeCab dictionary and the proper-name
// dictionary, and the name index over small dictionaries of its own.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <tuple>
#include <utility>

#include "Category/Reading.h"
#include "Reading/KanjiTable.h"
#include "Reading/GivenNames.h"
#include "Reading/Loanwords.h"
#include "Reading/Rendaku.h"
#include "Reading/MecabReadingEngine.h"
#include "Reading/NameIndex.h"
#include "Reading/SkkDictionary.h"
#include "support/AudioFixtures.h"
#include "support/NameDictionaries.h"

namespace yomi::reading {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using test::eucJp;
using test::openIndex;
using test::readings;

TEST(NameIndex, BuiltOnceAndRebuiltWhenTheDictionaryOrTheIndexChanges)
{
    test::TempFolder dir;
    const std::string head =
        "　？？？ /ENAMDICT/\n靖子 [やすこ] /(f) Yasuko/\n坂本 [さかもと] /(s) Sakamoto/\n"
        "靖子 [せいこ] /(f,s) Seiko/\nひかる /(g) Hikaru/\n宇多田ヒカル [うただヒカル] /(f,h) Utada/\n"
        "broken line\n";
    const auto source = dir.writeFile("enamdict", eucJp(head));
    std::string error;
    auto index = openIndex(source, dir.path() / "cache", &error);
    ASSERT_TRUE(index) << error;
    EXPECT_EQ(index->size(), 3u) << "keys without Han characters are left out";
    EXPECT_THAT(readings(*index, "靖子"), ::testing::ElementsAre("ヤスコ/2", "セイコ/3"));
    EXPECT_THAT(readings(*index, "宇多田ヒカル"), ::testing::ElementsAre("ウタダヒカル/74"));
    EXPECT_TRUE(index->lookup("坂").empty());
    EXPECT_TRUE(index->lookup("").empty());

    dir.writeFile("enamdict", eucJp(head + "龍一 [りゅういち] /(m) Ryuuichi/\n"));
    index = openIndex(source, dir.path() / "cache", &error);
    ASSERT_TRUE(index) << error;
    EXPECT_THAT(readings(*index, "龍一"), ::testing::ElementsAre("リュウイチ/2"));

    const std::string cached = test::readBytes(dir.path() / "cache/names.idx");
    dir.writeFile("cache/names.idx", cached.substr(0, cached.size() / 2));
    index = openIndex(source, dir.path() / "cache", &error);
    ASSERT_TRUE(index) << error;
    EXPECT_EQ(index->size(), 4u);

    EXPECT_FALSE(openIndex(dir.path() / "none", dir.path() / "cache", &error));
    EXPECT_THAT(error, HasSubstr("none"));
}

TEST(NameIndex, ASortedTextIsSearchedInPlaceOnlyWhenNoTableCanBeWrittenAndBothGiveTheSame)
{
    test::TempFolder dir;
    // Sorted by the EUC-JP bytes of the keys, as the package ships it: 宇 B1A7, 坂 BAE4, 靖 CCF7.
    const std::string text =
        "　？？？ /ENAMDICT/\nひかる /(g) Hikaru/\n宇多田ヒカル [うただヒカル] /(f,h) Utada/\n"
        "坂本 [さかもと] /(s) Sakamoto/\n坂本 [さかもと] /(p) Sakamoto/\n坂本Ｂ [さかもとビー・２] /(o) B/\n"
        "靖 [やすし] /(m) Yasushi/(P)/\n靖子 [やすこ] /(f) Yasuko/\n靖子 [せいこ] /(f,s) Seiko/\n"
        "靖子 [ヤスコ] /(u) Yasuko";
    const auto source = dir.writeFile("enamdict", eucJp(text));
    ASSERT_TRUE(NameIndex::sortedByKey(test::readBytes(source)));
    // A cache folder under a file cannot be made.
    const auto blocked = dir.writeFile("blocked", "a file, not a folder") / "cache";
    std::string error;
    const auto inPlace = openIndex(source, blocked, &error);
    ASSERT_TRUE(inPlace) << error;
    EXPECT_TRUE(inPlace->inPlace());
    EXPECT_EQ(inPlace->size(), 10u) << "the text's lines";
    const auto table = openIndex(source, dir.path() / "cache", &error);
    ASSERT_TRUE(table) << error;
    EXPECT_FALSE(table->inPlace());
    EXPECT_EQ(table->size(), 5u) << "the keys holding a Han character";
    for (const NameIndex* index : {inPlace.get(), table.get()}) {
        SCOPED_TRACE(index->inPlace() ? "in place" : "table");
        EXPECT_THAT(readings(*index, "靖子"), ::testing::ElementsAre("ヤスコ/2", "セイコ/3", "ヤスコ/68"))
            << "the last line has no line feed";
        EXPECT_THAT(readings(*index, "坂本"), ::testing::ElementsAre("サカモト/1", "サカモト/16"));
        EXPECT_THAT(readings(*index, "宇多田ヒカル"), ::testing::ElementsAre("ウタダヒカル/74"));
        EXPECT_THAT(readings(*index, "靖"), ::testing::ElementsAre("ヤスシ/130")) << "(P) marks a common word";
        EXPECT_THAT(readings(*index, "坂本Ｂ"), ::testing::ElementsAre("サカモトビー・２/96"))
            << "a reading with a character outside the katakana block";
        for (const char* absent : {"", "ひかる", "坂", "靖子子", "张", "龘", "\xff"})
            EXPECT_TRUE(index->lookup(absent).empty()) << absent;
    }

    // The same bytes out of order cannot be searched in place: with no table
    // they are refused, else the table holds them in key order.
    dir.writeFile("enamdict", eucJp("靖子 [やすこ] /(f) Yasuko/\n坂本 [さかもと] /(s) Sakamoto/\n"));
    EXPECT_FALSE(openIndex(source, blocked, &error));
    EXPECT_THAT(error, HasSubstr("cannot write"));
    EXPECT_THAT(error, HasSubstr("not sorted"));
    const auto sorted = openIndex(source, dir.path() / "cache", &error);
    ASSERT_TRUE(sorted) << error;
    EXPECT_FALSE(sorted->inPlace());
    EXPECT_THAT(readings(*sorted, "坂本"), ::testing::ElementsAre("サカモト/1"));
    EXPECT_THAT(readings(*sorted, "靖子"), ::testing::ElementsAre("ヤスコ/2"));
}

// One engine for the suite: the system dictionaries, the index in the test
// cache folder.
MecabReadingEngine& engine()
{
    static MecabReadingEngine e;
    return e;
}

TEST(KanjiTable, OnReadingsAndTheModernFormOfAnOldFormOutsideTheCommonList)
{
    // 国 (grade 2) and 國 (grade 10) point at each other's JIS codes; 龍 and
    // 竜 likewise, but only a character outside grades 1-8 has a modern form.
    const KanjiTable t = KanjiTable::parse("# header\n"
                                           "国 3971 U56fd G2 XJ05422 コク くに {country}\n"
                                           "國 5422 U570b G10 XJ03971 コク くに T1 くね {country}\n"
                                           "会 3271 U4f1a G2 XJ05072 カイ エ あ.う {meeting}\n"
                                           "會 5072 U6703 XJ03271 カイ エ あ.う {meeting}\n"
                                           "鬱 735D U9b31 S29 ウツ うっ.する {gloom}\n");
    EXPECT_EQ(t.onReading(u'國'), u"コク");
    EXPECT_EQ(t.onReading(u'鬱'), u"ウツ");
    EXPECT_EQ(t.onReading(u'x'), u"");
    EXPECT_EQ(t.modernForms(u"雪國の會と国"), u"雪国の会と国");
    EXPECT_EQ(t.modernForm(u'鬱'), u'鬱');
    EXPECT_EQ(t.modernForms(u"\u5FB7\u6C38\u9AD9\u6A4B"), u"徳永高橋") << "old forms outside JIS X 0208";
    EXPECT_EQ(t.modernForms(u"緣櫻佛與"), u"縁桜仏与") << "the old forms of the list of name characters";
    EXPECT_EQ(t.modernForms(u"\U00020BB7野家"), u"吉野家") << "a form outside the Basic Multilingual Plane";
    EXPECT_THAT(t.readings(u'会'), ::testing::ElementsAre(u"カイ", u"エ", u"ア", u"アウ"));
    EXPECT_THAT(t.readings(u'國'), ::testing::ElementsAre(u"コク", u"クニ", u"クネ"));
    // Every on reading counts as one, not the first alone; a kun reading or
    // a name's reading does not.
    EXPECT_TRUE(t.isOnReading(u'会', u"エ"));
    EXPECT_FALSE(t.isOnReading(u'会', u"アウ"));
    EXPECT_FALSE(t.isOnReading(u'國', u"クネ"));
    EXPECT_FALSE(t.isOnReading(u'x', u""));
    EXPECT_TRUE(t.inCommonUse(u'国'));
    EXPECT_FALSE(t.inCommonUse(u'國')) << "grade 10 is a name's character, not one in common use";
    EXPECT_FALSE(t.inCommonUse(u'鬱')) << "no grade at all";
}

// The character dictionary's XML edition gzip'd at `path`.
void writeKanjidicXml(const std::filesystem::path& path, const std::string& characters)
{
    const std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kanjidic2>\n" + characters + "</kanjidic2>\n";
    gzFile file = gzopen(path.c_str(), "wb");
    ASSERT_TRUE(file);
    ASSERT_EQ(gzwrite(file, xml.data(), static_cast<unsigned>(xml.size())), static_cast<int>(xml.size()));
    gzclose(file);
}

TEST(KanjiTable, CharactersTheTextCannotHoldAreReadFromTheXmlEditionOnceWhenOneIsFirstAskedFor)
{
    test::TempFolder dir;
    const auto text = dir.writeFile("kanjidic", eucJp("国 3971 U56fd G2 コク くに {country}\n"
                                                      "島 4567 U5cf6 G3 トウ しま {island}\n"));
    const auto more = dir.path() / "kanjidic2.xml.gz";
    const auto table = KanjiTable::open(text, more);
    ASSERT_TRUE(table);
    // Questions about characters the text holds, or that are not Han, do
    // not read the XML edition: it is written only after them.
    EXPECT_EQ(table->onReading(u'国'), u"コク");
    EXPECT_TRUE(table->readings(u'x').empty());
    writeKanjidicXml(more, test::kanjidicXmlCharacter("彅", {{"ja_kun", "なぎ"}}) +
                               test::kanjidicXmlCharacter("蓜", {{"pinyin", "pei4"}, {"ja_on", "ハイ"},
                                                                 {"ja_kun", "-くば.る"}}, {"ます"}) +
                               test::kanjidicXmlCharacter("国", {{"ja_on", "ゴク"}}));
    EXPECT_EQ(table->onReading(u'彅'), u"") << "a character made in Japan has only a kun reading";
    EXPECT_THAT(table->readings(u'彅'), ::testing::ElementsAre(u"ナギ"));
    EXPECT_EQ(table->onReading(u'蓜'), u"ハイ");
    EXPECT_THAT(table->readings(u'蓜'), ::testing::ElementsAre(u"ハイ", u"クバ", u"クバル", u"マス"))
        << "on, kun with and without okurigana, names' readings; the pinyin left out";
    EXPECT_EQ(table->onReading(u'国'), u"コク") << "the text's characters keep the text's readings";
    EXPECT_THAT(table->readings(u'国'), ::testing::ElementsAre(u"コク", u"クニ"));
    writeKanjidicXml(more, test::kanjidicXmlCharacter("冑", {{"ja_on", "チュウ"}}));
    EXPECT_TRUE(table->readings(u'冑').empty()) << "the XML edition is read once";
    EXPECT_THAT(table->readings(u'彅'), ::testing::ElementsAre(u"ナギ"));
}

TEST(KanjiTable, AMissingOrDamagedXmlEditionLeavesTheTextsReadings)
{
    test::TempFolder dir;
    const auto text = dir.writeFile("kanjidic", eucJp("国 3971 U56fd G2 コク くに {country}\n"));
    EXPECT_TRUE(KanjiTable::open(text, dir.path() / "none.gz")->readings(u'彅').empty());
    EXPECT_EQ(KanjiTable::open(text, dir.path() / "none.gz")->onReading(u'国'), u"コク");
    // Cut in the middle of the second character, then bytes of noise.
    const auto whole = dir.path() / "whole.gz";
    writeKanjidicXml(whole, test::kanjidicXmlCharacter("彅", {{"ja_kun", "なぎ"}}) +
                                test::kanjidicXmlCharacter("蓜", {{"ja_on", "ハイ"}}));
    std::string bytes = test::readBytes(whole);
    bytes.resize(bytes.size() * 2 / 3);
    const auto cut = dir.writeFile("cut.gz", bytes + std::string("\x1f\x8b\x08\x00garbage", 12));
    const auto table = KanjiTable::open(text, cut);
    EXPECT_TRUE(table->readings(u'蓜').empty()) << "a character the damage cut off has no reading";
    EXPECT_EQ(table->onReading(u'国'), u"コク");
    // Text that is not gzip'd is read as it is (zlib reads it through).
    const auto plain = dir.writeFile("plain.xml", "<kanjidic2>\n" + test::kanjidicXmlCharacter("彅", {{"ja_kun", "なぎ"}}));
    EXPECT_THAT(KanjiTable::open(text, plain)->readings(u'彅'), ::testing::ElementsAre(u"ナギ"));
}

TEST(Loanwords, AnEnglishWordGivesTheOneLoanwordItsGlossNamesOrNone)
{
    test::TempFolder dir;
    const auto source = dir.writeFile(
        "edict", eucJp("ラバー /(n) (1) lover/(n) (2) rubber/(P)/\nリーベ /(n) lover/\n"
                       "ラブ /(n,vs) love/(P)/\nラヴ /(n,vs) love/(P)/\n"
                       "バンド /(n) (1) band/(n) (2) belt/(P)/\nユニット /(n) (1) unit/(n) (2) (musical) group/band/(P)/\n"
                       "ボーイ /(n) (1) boy/(n) (2) bellboy/\n少年 [しょうねん] /(n) boy/(P)/\n"
                       "ラバー・ソール /(n) rubber sole/\nサイレン /(n) siren (alarm)/\n"
                       "アスピレーション /(n) aspiration/desire/\nウィル /(n) will/desire/\nデザイア /(n) desire/\n"
                       "ステイ /(n,vs) stay/\nステー /(n) stay/\nゲーム /(n) game/\nギャンブル /(n) gamble/game/\n"
                       "ボックス /(n) box/\nバッグ /(n) bag/box/\nワンチャン /(n) (sl) maybe/\nワン /(n) one/\n"
                       "トンキン /(n) (joc) (derog) (sl) Tokyo/\nテクノ /(n) techno/\nテクノ /(n) (sl) cool/\n"
                       "ラブロマンス /(n) romance/\nロマンス /(n) (1) romance/love story/(P)/\nローマンス /(n) (1) romance/\n"
                       "クレージー /(adj-na) crazy/(P)/\nクレイジー /(adj-na) crazy/\n"
                       "ママ /(n) (1) (fam) mama/mom/mother/(P)/\nマザー /(n) (1) mother/(n) (2) motherboard/\n"
                       "ハロー /(n) (1) halo/(n) (2) hello/(P)/\nアニョハセヨ /(int) hello (kor: annyeonghaseyo)/hi/\n"
                       "ラヂオ /(n) radio/\nラジオ /(n) radio/(P)/\n"
                       "プレジャ /(n) pleasure/\nプレジャー /(n) pleasure/\nファイア /(n) fire/\nファイアー /(n) fire/\n"));
    const Loanwords words(source);
    EXPECT_EQ(words.of(u"LOVER"), u"ラバー") << "the only one of those in common use";
    EXPECT_EQ(words.of(u"lover"), u"ラバー");
    EXPECT_EQ(words.of(u"LOVE"), u"ラブ") << "ラブ and ラヴ spell one word";
    EXPECT_EQ(words.of(u"BOY"), u"ボーイ") << "a word with a reading in kana is no loanword";
    EXPECT_EQ(words.of(u"BAND"), u"バンド") << "of two in common use, the one that sounds like the word";
    EXPECT_EQ(words.of(u"desire"), u"デザイア") << "アスピレーション and ウィル begin with other sounds";
    EXPECT_EQ(words.of(u"stay"), u"ステイ") << "two spellings of one word's sounds: the diphthong spelt out";
    EXPECT_EQ(words.of(u"Crazy"), u"クレイジー") << "before the one in common use that writes it as a long vowel";
    EXPECT_EQ(words.of(u"GAME"), u"ゲーム") << "ギャンブル shares only its first sound";
    EXPECT_FALSE(words.of(u"BOX")) << "ボックス and バッグ sound as much like it: no choice";
    EXPECT_FALSE(words.of(u"Maybe")) << "the one word glossed so begins with other sounds: no loanword";
    EXPECT_FALSE(words.of(u"Tokyo")) << "a gibe marked slang and joking is no way to say a word";
    EXPECT_EQ(words.of(u"techno"), u"テクノ") << "the plain entry counts; only the slang one is left out";
    EXPECT_EQ(words.of(u"ONE"), u"ワン") << "a vowel may be said with a w";
    EXPECT_FALSE(words.of(u"SIREN")) << "a gloss of more than the word";
    EXPECT_FALSE(words.of(u"RUBBER SOLE"));
    EXPECT_FALSE(words.of(u"CLUB"));
    EXPECT_EQ(words.of(u"Romance"), u"ロマンス")
        << "ラブロマンス holds the word's sounds too, and more: the two spellings of the word itself win";
    EXPECT_FALSE(words.of(u"MOTHER"))
        << "ママ, in common use, means mama first; マザー, meaning mother first, sounds more like it: the sounds say it";
    EXPECT_EQ(words.of(u"Hello"), u"ハロー") << "a word meaning hello first that sounds no more like it changes nothing";
    EXPECT_EQ(words.of(u"radio"), u"ラジオ") << "ヂ is the old kana of ジ: one word, the one in common use";
    EXPECT_EQ(words.of(u"Pleasure"), u"プレジャー") << "of spellings none in common use, the one with the long vowel";
    EXPECT_EQ(words.of(u"FIRE"), u"ファイア") << "but not a long vowel after a vowel";
    EXPECT_FALSE(Loanwords(dir.path() / "none").of(u"LOVER")) << "no dictionary, no loanword";
}

TEST(Rendaku, CountsHowTheDictionarysCompoundsSayTheirLastWord)
{
    test::TempFolder dir;
    std::string text = "桜 [さくら] /(n) cherry blossom/(P)/\n風 [かぜ] /(n) wind/(P)/\n"
                       "囃子 [はやし] /(n) accompaniment/\n花 [はな] /(n) flower/\n";
    // Six compounds voice 桜 and one does not; 風 is never voiced.
    for (const char* first : {"夜", "山", "葉", "姥", "八重", "糸"})
        text += std::string(first) + "桜 [" + (std::string(first) == "夜" ? "よ" : "あ") + "ざくら] /(n) x/\n";
    text += "桜桜 [さくらさくら] /(n) x/\n";
    for (const char* first : {"春", "北", "朝", "夜", "潮"})
        text += std::string(first) + "風 [あかぜ] /(n) x/\n";
    // Four voice 囃子: too few to say.
    for (const char* first : {"祭", "馬", "神", "里"})
        text += std::string(first) + "囃子 [あばやし] /(n) x/\n";
    // 花 voiced five times out of seven: under three in four; an old kana
    // spelling does not count.
    for (const char* first : {"火", "草", "生", "徒", "尾"})
        text += std::string(first) + "花 [あばな] /(n) x/\n";
    text += "綿花 [わたはな] /(n) x/\n桃花 [ももはな] /(n) x/\n梅花 [うめばな] /(ok) (n) x/\n";
    const auto source = dir.writeFile("edict", eucJp(text));
    const Rendaku rendaku(source);
    EXPECT_TRUE(rendaku.voices(u"桜", u"サクラ"));
    EXPECT_EQ(rendaku.count(u"桜", u"サクラ").voiced, 6u);
    EXPECT_EQ(rendaku.count(u"桜", u"サクラ").plain, 1u);
    EXPECT_FALSE(rendaku.voices(u"風", u"カゼ")) << "never voiced";
    EXPECT_FALSE(rendaku.voices(u"囃子", u"ハヤシ")) << "four compounds are too few to say";
    EXPECT_FALSE(rendaku.voices(u"花", u"ハナ")) << "five of seven is under three in four";
    EXPECT_FALSE(rendaku.voices(u"桜", u"オウ")) << "a reading the word does not have alone";
    EXPECT_FALSE(Rendaku(dir.path() / "none").voices(u"桜", u"サクラ")) << "no dictionary, no voicing";
    EXPECT_EQ(voicedKana(u'カ'), u'ガ');
    EXPECT_EQ(voicedKana(u'ホ'), u'ボ');
    EXPECT_EQ(voicedKana(u'ナ'), 0);
}

TEST(SkkDictionary, WordsWithHanCharactersBecomeSortedNameLinesRemadeWhenASourceChanges)
{
    test::TempFolder dir;
    const auto source = dir.writeFile("fullname",
                                      eucJp(";; okuri-ari entries.\nあるk /歩/\n"
                                            ";; okuri-nasi entries.\n"
                                            "やまだたろう /山田太郎;フルネーム,歌手/やまだ太郎/\n"
                                            "あいうえお /アイウエオ/(concat \"x\")/\n"
                                            "いとうたろう /伊藤太郎/\n"));
    EXPECT_THAT(skkLines(test::readBytes(source), "h"),
                ::testing::ElementsAre(eucJp("山田太郎 [やまだたろう] /(h) skk/"),
                                       eucJp("やまだ太郎 [やまだたろう] /(h) skk/"),
                                       eucJp("伊藤太郎 [いとうたろう] /(h) skk/")));
    const auto text = prepareSkkText({{source, "h"}, {dir.path() / "missing", "u"}}, dir.path() / "cache", "skk");
    ASSERT_TRUE(text) << text.failure().reason;
    auto index = openIndex(*text, dir.path() / "cache", "skk.idx");
    ASSERT_TRUE(index);
    EXPECT_THAT(readings(*index, "山田太郎"), ::testing::ElementsAre("ヤマダタロウ/8"));
    EXPECT_THAT(readings(*index, "伊藤太郎"), ::testing::ElementsAre("イトウタロウ/8"));

    test::writeBytes(source, eucJp("さとうはなこ /佐藤花子/\n"));
    ASSERT_TRUE(prepareSkkText({{source, "h"}}, dir.path() / "cache", "skk"));
    index = openIndex(*text, dir.path() / "cache", "skk.idx");
    EXPECT_THAT(readings(*index, "佐藤花子"), ::testing::ElementsAre("サトウハナコ/8"));
    EXPECT_TRUE(readings(*index, "山田太郎").empty());
    EXPECT_FALSE(prepareSkkText({{dir.path() / "missing", "h"}}, dir.path() / "cache2", "skk"));

    // The engine reads a full name of the SKK dictionary so first.
    test::writeBytes(source, eucJp("みらいまる /左右田右左/\n"));
    auto paths = EnginePaths::system();
    paths.cacheDir = dir.path() / "engine";
    paths.skk = {{source, "h"}};
    MecabReadingEngine e(paths);
    EXPECT_EQ(readValue(e, nullptr, u"左右田右左", ReadingStyle::Katakana, 4).reading, u"ミライマル");
}

TEST(SkkDictionary, GivenNamesAreTurnedAroundTheirCommonReadingFirstAndMarkedOnlyWhenClear)
{
    // A name stands near the front of the reading that is common for it.
    const std::string text = eucJp(";; okuri-nasi entries.\n"
                                   "あきな /明菜;名/秋奈;名/晶菜;名/陽菜;名/\n"
                                   "ひな /陽菜;名/日菜;名/\n"
                                   "はるな /春菜;人名/春奈;人名/榛名;姓/陽菜;名/遥菜;名/\n"
                                   "まなみ /愛美;名/真奈美;名/\n"
                                   "めぐみ /恵;名/愛;名/愛美;名/\n"
                                   "たかはし /高橋;姓/\n"
                                   "みらい /未来;名/美来;名/未來;名/美蕾;名/\n"
                                   "やまだたろう /山田太郎;人名,フルネーム/\n");
    const auto lines = jinmeiLines(text);
    const auto linesOf = [&](std::string_view name) {
        std::vector<std::string> out;
        for (const std::string& l : lines)
            if (l.starts_with(eucJp(std::string(name) + " ")))
                out.push_back(l);
        return out;
    };
    EXPECT_THAT(linesOf("陽菜"), ::testing::ElementsAre(eucJp("陽菜 [ひな] /(g) skk/"), eucJp("陽菜 [あきな] /(u) skk/"),
                                                        eucJp("陽菜 [はるな] /(u) skk/")))
        << "first under ひな, fourth and further back under the others";
    EXPECT_THAT(linesOf("愛美"), ::testing::ElementsAre(eucJp("愛美 [まなみ] /(u) skk/"), eucJp("愛美 [めぐみ] /(u) skk/")))
        << "among the first three of two readings: neither is clearly the common one";
    EXPECT_THAT(linesOf("未来"), ::testing::ElementsAre(eucJp("未来 [みらい] /(g) skk/")));
    EXPECT_THAT(linesOf("美蕾"), ::testing::ElementsAre(eucJp("美蕾 [みらい] /(u) skk/")))
        << "one reading, but the name stands far back in it: a rare name, nothing clear";
    EXPECT_TRUE(linesOf("高橋").empty()) << "a surname";
    EXPECT_TRUE(linesOf("榛名").empty()) << "a surname";
    EXPECT_TRUE(linesOf("山田太郎").empty()) << "a full name";
}

TEST(GivenNames, AGivenNamesUsualReadingIsTheOneMostFullNamesOfTheNameDictionaryGiveIt)
{
    test::TempFolder dir;
    std::string text = "　？？？ /ENAMDICT header/\n"
                       "及川 [おいかわ] /(s) Oikawa/\n村上 [むらかみ] /(s,p) Murakami/\n上 [かみ] /(s) Kami/\n"
                       "村 [むら] /(s) Mura/\n秀一 [しゅういち] /(m) Shuuichi/\n秀一 [ひでかず] /(m) Hidekazu/\n"
                       "恒平 [こうへい] /(m) Kouhei/\n恒平 [つねひら] /(g) Tsunehira/\n上秀一 [かみひでかず] /(pr) x/\n"
                       "小林 [こばやし] /(s) Kobayashi/\n";
    // 秀一: しゅういち in three full names, ひでかず in one; 恒平 once each way.
    for (const auto& [sur, said] : {std::pair{"村上", "むらかみ"}, std::pair{"及川", "おいかわ"}, std::pair{"小林", "こばやし"}})
        text += std::string(sur) + "秀一 [" + said + "しゅういち] /(h) x/\n";
    text += "村上秀一 [むらかみひでかず] /(h) x/\n及川恒平 [おいかわこうへい] /(h) x/\n小林恒平 [こばやしつねひら] /(h) x/\n";
    // A full name whose reading its parts do not make counts for nothing.
    text += "小林秀一 [こばやしひでひと] /(h) x/\n小林秀一 [こばやしひでひと] /(h) x/\n";
    const std::vector<std::string> lines = usualGivenNameLines(eucJp(text));
    EXPECT_THAT(lines, ::testing::ElementsAre(eucJp("秀一 [しゅういち] /(g) usual/")))
        << "three of four read 秀一 しゅういち; 恒平 has no reading most read";

    const auto source = dir.writeFile("enamdict", eucJp(text));
    bool made = false;
    const auto prepared = prepareUsualGivenNames(source, dir.path() / "cache", "usual", &made);
    ASSERT_TRUE(prepared) << prepared.failure().reason;
    EXPECT_TRUE(made);
    ASSERT_TRUE(prepareUsualGivenNames(source, dir.path() / "cache", "usual", &made));
    EXPECT_FALSE(made) << "made once, then kept while the dictionary stays as it is";
    EXPECT_FALSE(prepareUsualGivenNames(dir.path() / "missing", dir.path() / "cache2", "usual"));

    // An entry of several kinds counts as each (s,m); a product (pr) or a
    // place (p) is no surname; lines cut short or without kinds are passed by.
    const std::string kinds = "林 [はやし] /(s,m) Hayashi/\n森 [もり] /(pr) Mori/\n森 [もり] /(p) Mori/\n"
                              "一郎 [いちろう] /(m) Ichirou/\n一郎 [かずお] /(m) Kazuo/\n"
                              "林一郎 [はやしいちろう] /(h) x/\n林一郎 [はやしいちろう] /(h) x/\n"
                              "森一郎 [もりかずお] /(h) x/\n森一郎 [もりかずお] /(h) x/\n森一郎 [もりかずお] /(h) x/\n"
                              "林 [はや\n一郎 [いちろう] /no kinds/\n";
    EXPECT_THAT(usualGivenNameLines(eucJp(kinds)), ::testing::ElementsAre(eucJp("一郎 [いちろう] /(g) usual/")))
        << "森 is no surname here: its three full names say nothing of 一郎";
    EXPECT_TRUE(usualGivenNameLines("").empty());
}

TEST(GivenNames, EachCharactersReadingsAtTheHeadAndTailOfGivenNamesAreCountedWhereTheNameCutsOneWay)
{
    const KanjiTable kanji = KanjiTable::parse("保 4A5D U4fdd ホ ホウ たも.つ T1 やす やすし {protect}\n"
                                               "克 396E U514b コク か.つ T1 かつ よし {overcome}\n"
                                               "次 3C21 U6b21 ジ シ つ.ぐ つぎ {next}\n"
                                               "郎 4F3A U90ce ロウ リョウ T1 お {son}\n"
                                               "吉 3548 U5409 キチ キツ T1 よし {good luck}\n"
                                               "平 4A3F U5e73 ヘイ ビョウ たい.ら ひら {even}\n"
                                               "一 306C U4e00 イチ イツ ひと T1 かず {one}\n"
                                               "五 385E U4e94 ゴ いつ {five}\n");
    std::string text = "　？？？ /ENAMDICT header/\n";
    for (int i = 0; i < 3; ++i)
        text += "保克 [やすかつ] /(m) x/\n";
    // Voiced at the tail (ヘイ as ペイ), doubled at the head (キチ as キッ).
    text += "吉平 [きっぺい] /(m) x/\n吉平 [きっぺい] /(m) x/\n"
            "保郎 [やすお] /(m) x/\n保一 [ほいち] /(g) x/\n"
            // A surname (s) and a place are no given names; a name of one
            // character or of three is passed by.
            "克郎 [かつろう] /(s) x/\n克郎 [かつろう] /(p) x/\n保 [やす] /(m) x/\n保克郎 [やすかつろう] /(m) x/\n"
            // A reading that no cut of the characters' readings makes counts
            // for nothing: サ is no voicing of ゴ, which is voiced already.
            "保克 [たもつ] /(m) x/\n保克 [たもつ] /(m) x/\n保五 [やすさ] /(m) x/\n保五 [やすさ] /(m) x/\n";
    const std::vector<std::string> lines = givenPartLines(eucJp(text), kanji);
    EXPECT_THAT(lines, ::testing::UnorderedElementsAre("保 < 5 ヤス 4", "克 > 3 カツ 3", "吉 < 2 キッ 2", "平 > 2 ペイ 2"))
        << "保 heads five names that cut (ヤス four times, ホ once in 保一: under the floor of two); "
           "郎 and 一 end one name each";
    EXPECT_TRUE(givenPartLines("", kanji).empty());

    test::TempFolder dir;
    const auto source = dir.writeFile("enamdict", eucJp(text));
    const auto kanjiSource = dir.writeFile("kanjidic", "");
    bool made = false;
    const auto prepared = prepareGivenParts(source, kanjiSource, kanji, dir.path() / "cache", "parts", &made);
    ASSERT_TRUE(prepared) << prepared.failure().reason;
    EXPECT_TRUE(made);
    ASSERT_TRUE(prepareGivenParts(source, kanjiSource, kanji, dir.path() / "cache", "parts", &made));
    EXPECT_FALSE(made) << "made once, then kept while both dictionaries stay as they are";
    dir.writeFile("kanjidic", "changed");
    ASSERT_TRUE(prepareGivenParts(source, kanjiSource, kanji, dir.path() / "cache", "parts", &made));
    EXPECT_TRUE(made) << "the character dictionary changed: its readings cut the names";
    const std::unique_ptr<GivenParts> parts = GivenParts::open(*prepared);
    ASSERT_TRUE(parts);
    EXPECT_THAT(parts->composed(u"保克", 2), ::testing::ElementsAre(u"ヤスカツ"));
    EXPECT_TRUE(parts->composed(u"克保", 2).empty()) << "克 heads no name, 保 ends none";
    EXPECT_FALSE(GivenParts::open(dir.path() / "missing"));
}

TEST(GivenNames, ComposedReadingsAreTheLikeliestByTheSharesOfBothPlacesAndBadLinesArePassedBy)
{
    const GivenParts parts = GivenParts::parse("保 < 200 ヤス 170 ホ 26\n"
                                               "克 > 100 カツ 60 ヨシ 40\n"
                                               "彦 > 100 ヒコ 90 ゲン 10\n"
                                               "敏 < 100 トシ\n"        // a reading without its count
                                               "里 > 10 サト 11\n"        // more than the names counted
                                               "子 ? 10 コ 5\n"           // no place
                                               "保子 < 10 ヤス 5\n"       // two characters
                                               "美 < 0 ミ 0\n"            // no names counted
                                               "\n");
    // ヤス 0.85 × カツ 0.6 = 0.51, ヤス × ヨシ 0.34, ホ 0.13 × カツ 0.078.
    EXPECT_THAT(parts.composed(u"保克", 3), ::testing::ElementsAre(u"ヤスカツ", u"ヤスヨシ", u"ホカツ"));
    EXPECT_THAT(parts.composed(u"保克", 1), ::testing::ElementsAre(u"ヤスカツ"));
    EXPECT_THAT(parts.composed(u"保彦", 2), ::testing::ElementsAre(u"ヤスヒコ", u"ホヒコ"))
        << "ホ × ヒコ 0.117 before ヤス × ゲン 0.085";
    EXPECT_TRUE(parts.composed(u"敏克", 2).empty()) << "敏's line has no reading with a count";
    EXPECT_TRUE(parts.composed(u"保里", 2).empty()) << "里's count is more than its names";
    EXPECT_TRUE(parts.composed(u"保子", 2).empty());
    EXPECT_TRUE(parts.composed(u"保", 2).empty()) << "one character";
    EXPECT_TRUE(parts.composed(u"保克彦", 2).empty()) << "three characters";
    EXPECT_TRUE(GivenParts::parse("").empty());
}

TEST(MecabReadingEngine, EmptyOrMissingWordAndNameDictionariesLeaveReadingsWithoutTheirHelp)
{
    // An empty name dictionary gives no usual given names, and an empty or
    // missing word dictionary no voicing counts nor loanwords: the engine
    // reads on with MeCab and what is left.
    test::TempFolder dir;
    const auto empty = dir.writeFile("empty", "");
    for (const auto& words : {empty, dir.path() / "missing"}) {
        auto paths = EnginePaths::system();
        paths.cacheDir = dir.path() / ("cache-" + words.filename().string());
        paths.names = empty;
        paths.words = words;
        MecabReadingEngine e(paths);
        ASSERT_TRUE(e.available()) << e.missing();
        const ValueReading r = readValue(e, nullptr, u"修羅囃子の村上秀一", ReadingStyle::Katakana, 4);
        ASSERT_TRUE(r.reading) << words.filename();
        EXPECT_EQ(*r.reading, u"シュラハヤシノムラカミヒデカズ") << "MeCab's reading, neither voiced nor the usual given name";
        EXPECT_FALSE(e.loanword(u"romance"));
    }
}

TEST(MecabReadingEngine, ASurnamesReadingThatIsAPlacesTooIsKeptAmongTheFewCandidatesOfTheSurname)
{
    test::TempFolder dir;
    auto paths = EnginePaths::system();
    paths.cacheDir = dir.path() / "cache";
    // MeCab reads 東山 ヒガシヤマ. The dictionary lists the common トウヤマ
    // (a place too) after three rare readings; a surname keeps only a few.
    paths.names = dir.writeFile("enamdict", eucJp("東山 [あずまやま] /(s) Azumayama/\n東山 [とうさん] /(s) Tousan/\n"
                                                  "東山 [とうせん] /(s) Tousen/\n東山 [とうやま] /(p,s) Touyama/\n"
                                                  "東山 [ひがしやま] /(s) Higashiyama/\n奈央 [なお] /(f) Nao/\n"));
    MecabReadingEngine e(paths);
    ASSERT_TRUE(e.available()) << e.missing();
    RunRequest person;
    person.kind = yomi::NameKind::Person;
    const ValueReading r = readValue(e, nullptr, u"東山奈央", ReadingStyle::Katakana, 4, person);
    ASSERT_TRUE(r.reading);
    EXPECT_EQ(r.reading, u"ヒガシヤマナオ") << "MeCab's reading stays first";
    EXPECT_THAT(r.alternatives, Contains(u"トウヤマナオ"));
    EXPECT_THAT(r.alternatives, ::testing::Not(Contains(u"トウセンナオ"))) << "the last of the rare ones is left out";

    // Readings of no known kind come after those known as a surname, though
    // the dictionary lists them first.
    paths.cacheDir = dir.path() / "cache2";
    paths.names = dir.writeFile("enamdict2", eucJp("東山 [あずまやま] /(u) Azumayama/\n東山 [とうさん] /(u) Tousan/\n"
                                                   "東山 [とうせん] /(u) Tousen/\n東山 [とうやま] /(s) Touyama/\n"
                                                   "東山 [ひがしやま] /(s) Higashiyama/\n奈央 [なお] /(f) Nao/\n"));
    MecabReadingEngine unclassified(paths);
    const ValueReading u = readValue(unclassified, nullptr, u"東山奈央", ReadingStyle::Katakana, 4, person);
    EXPECT_EQ(u.reading, u"ヒガシヤマナオ");
    EXPECT_THAT(u.alternatives, Contains(u"トウヤマナオ"));
    EXPECT_THAT(u.alternatives, ::testing::Not(Contains(u"トウセンナオ")));
}

TEST(MecabReadingEngine, AGivenNameIsReadAsMostOfTheNameDictionarysPeopleReadIt)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    // MeCab reads 秀一 ヒデカズ; most people of the name dictionary with
    // that name read it シュウイチ. MeCab's reading stays a candidate.
    const ValueReading r = readValue(engine(), nullptr, u"村上秀一", ReadingStyle::Katakana, 4);
    EXPECT_EQ(r.reading, u"ムラカミシュウイチ");
    EXPECT_THAT(r.alternatives, Contains(u"ムラカミヒデカズ"));
    EXPECT_EQ(readValue(engine(), nullptr, u"及川恒平", ReadingStyle::Katakana, 4).reading, u"オイカワコウヘイ");
    // A given name of one character stays a check, however usual its
    // reading.
    EXPECT_EQ(readValue(engine(), nullptr, u"大江裕", ReadingStyle::Katakana, 4).confidence, Confidence::Check);
}

TEST(MecabReadingEngine, AGivenNameNoDictionaryHoldsIsReadAsGivenNamesReadItsCharactersAtTheirPlaces)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    // MeCab reads 保克 as two given names, タモツ and カツ; given names begin
    // with 保 read ヤス and end with 克 read カツ. MeCab's reading stays a
    // candidate, and the reading a guess.
    const ValueReading r = readValue(engine(), nullptr, u"大島保克", ReadingStyle::Katakana, 4);
    EXPECT_EQ(r.reading, u"オオシマヤスカツ");
    EXPECT_EQ(r.confidence, Confidence::Check);
    EXPECT_EQ(r.reason, "a given name no dictionary holds, read as given names read its characters");
    EXPECT_THAT(r.alternatives, Contains(u"オオシマタモツカツ"));
    EXPECT_EQ(readValue(engine(), nullptr, u"剣持刀也", ReadingStyle::Katakana, 4).reading, u"ケンモチトウヤ")
        << "not 刀 as the word for a sword, ガタナ";
    // A given name a dictionary holds keeps its readings (秀一), and so does
    // a title's (a title is no person's name).
    EXPECT_EQ(readValue(engine(), nullptr, u"村上秀一", ReadingStyle::Katakana, 4).reading, u"ムラカミシュウイチ");
    RunRequest title;
    title.kind = yomi::NameKind::Title;
    const ValueReading t = readValue(engine(), nullptr, u"大島保克", ReadingStyle::Katakana, 4, title);
    EXPECT_NE(t.reason, r.reason);
    // A stage name of two characters alone, where MeCab reads an adjective's
    // stem (鋭 スルド of 鋭い), is such a given name first; MeCab's reading
    // stays a candidate.
    const ValueReading stage = readValue(engine(), nullptr, u"鋭児", ReadingStyle::Katakana, 4);
    EXPECT_EQ(stage.reading, u"エイジ");
    EXPECT_EQ(stage.reason, r.reason);
    EXPECT_THAT(stage.alternatives, Contains(u"スルドジ"));
    EXPECT_NE(readValue(engine(), nullptr, u"鋭児", ReadingStyle::Katakana, 4, title).reason, r.reason)
        << "a title is no stage name";
}

// The confidence and reason of a value read as a person's name by an engine
// whose SKK dictionary of given names is `jinmei`.
std::pair<Confidence, std::string> trustWithJinmei(const std::filesystem::path& jinmei,
                                                   const std::filesystem::path& cache, std::u16string_view value)
{
    auto paths = EnginePaths::system();
    paths.cacheDir = cache;
    paths.jinmei = jinmei;
    MecabReadingEngine e(paths);
    const ValueReading r = readValue(e, nullptr, value, ReadingStyle::Katakana, 4);
    return {r.confidence, r.reason + " " + toUtf8(r.reading.value_or(u"(none)"))};
}

TEST(MecabReadingEngine, AGivenNameReadAsItsCommonReadingIsLikelyAndTheEngineDoesWithoutTheDictionary)
{
    test::TempFolder dir;
    const auto jinmei = [&](std::string_view name, const std::string& text) {
        return dir.writeFile(std::string(name), eucJp(text));
    };
    const std::u16string value = u"高橋健一";
    const auto several = std::pair{Confidence::Check, std::string("a given name with several readings タカハシケンイチ")};
    const auto common = jinmei("common", "けんいち /健一;名/賢一;名/\nけんかず /憲一;名/賢一;名/兼一;名/健一;名/\n"
                                         "ゆうと /悠斗;名/\n");
    EXPECT_EQ(trustWithJinmei(common, dir.path() / "c1", value),
              std::pair(Confidence::Likely, std::string("every word read from the dictionary タカハシケンイチ")))
        << "first of the names read ケンイチ, fourth of those read ケンカズ";
    // A given name MeCab does not know, read from the name dictionary after
    // MeCab's surname, the same way.
    EXPECT_EQ(trustWithJinmei(common, dir.path() / "c1", u"鈴木悠斗"),
              std::pair(Confidence::Likely, std::string("a surname and a given name in its common reading スズキユウト")));
    EXPECT_EQ(trustWithJinmei(dir.path() / "missing", dir.path() / "c0", u"鈴木悠斗"),
              std::pair(Confidence::Check, std::string("a given name with several readings スズキユウト")));
    const auto rare = jinmei("rare", "けんいち /賢一;名/謙一;名/憲一;名/研一;名/健一;名/\n");
    EXPECT_EQ(trustWithJinmei(rare, dir.path() / "c2", value), several) << "far back among the names of its reading";
    const auto both = jinmei("both", "けんいち /健一;名/\nけんかず /健一;名/\n");
    EXPECT_EQ(trustWithJinmei(both, dir.path() / "c3", value), several) << "first of two readings";
    const auto other = jinmei("other", "けんかず /健一;名/\n");
    EXPECT_EQ(trustWithJinmei(other, dir.path() / "c4", value).first, Confidence::Check)
        << "the dictionary's common reading is not the one chosen";

    // Without the dictionary, or with one that is not an SKK dictionary, the
    // reading and its doubt are as they were.
    EXPECT_EQ(trustWithJinmei(dir.path() / "missing", dir.path() / "c5", value), several);
    EXPECT_EQ(trustWithJinmei({}, dir.path() / "c6", value), several);
    const auto damaged = dir.writeFile("damaged", std::string("\x00\xff\x8f\n健一 [\n/けんいち /\x8e", 24));
    EXPECT_EQ(trustWithJinmei(damaged, dir.path() / "c7", value), several);
    const auto cut = jinmei("cut", "けんいち /健一;名/賢一;名");
    EXPECT_EQ(trustWithJinmei(cut, dir.path() / "c8", value), several) << "a line without its closing slash";

    // A given name whose readings the name dictionary's people do not rank
    // (淳弥: アツヤ of no known kind, ジュンヤ a man's name, no full name
    // with either) is read as that dictionary reads it first, whichever
    // reading it is; a check where nothing else puts it first...
    const auto jun = jinmei("jun", "じゅんや /淳也;名/淳弥;名/\n");
    EXPECT_EQ(trustWithJinmei(jun, dir.path() / "c9", u"榎木淳弥"),
              std::pair(Confidence::Check, std::string("a given name with several readings エノキジュンヤ")));
    // ...likely where the name dictionary's own order put it first too.
    const auto atsu = jinmei("atsu", "あつや /淳弥;名/\n");
    EXPECT_EQ(trustWithJinmei(atsu, dir.path() / "c10", u"榎木淳弥"),
              std::pair(Confidence::Likely, std::string("a surname and a given name in its common reading エノキアツヤ")));
}

String read(std::u16string_view value, ReadingStyle style = ReadingStyle::Katakana)
{
    return readValue(engine(), nullptr, value, style, 4).reading.value_or(u"(refused)");
}

TEST(MecabReadingEngine, ReadingsAreInTodaysKanaWhereADictionaryKeepsTheOldSpelling)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    // IPADIC spells 預ける アヅケル; the word dictionary spells it only アズケル.
    EXPECT_EQ(read(u"命預けます"), u"イノチアズケマス");
    // Where today's spelling writes ヅ and ヂ they stay.
    EXPECT_EQ(read(u"続く"), u"ツヅク");
    EXPECT_EQ(read(u"鼻血"), u"ハナヂ");
    EXPECT_EQ(read(u"縮む"), u"チヂム");
    // The word dictionary's old kana (九日 ここぬか) comes after today's.
    EXPECT_EQ(read(u"3月9日"), u"サンガツココノカ");
    EXPECT_EQ(read(u"九日"), u"ココノカ");
}

TEST(MecabReadingEngine, ReadsNamesTitlesAndMixedValuesInEveryStyle)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    EXPECT_EQ(read(u"坂本龍一"), u"サカモトリュウイチ");
    EXPECT_EQ(read(u"坂本龍一", ReadingStyle::Romaji), u"sakamoto ryuuichi");
    EXPECT_EQ(read(u"中島みゆき", ReadingStyle::Hiragana), u"なかじまみゆき");
    EXPECT_EQ(read(u"東京事変 feat. Various"), u"トウキョウジヘン feat. Various");
    EXPECT_EQ(read(u"上を向いて歩こう"), u"ウエヲムイテアルコウ");
    EXPECT_EQ(read(u"電気グルーヴ"), u"デンキグルーヴ");
    EXPECT_EQ(read(u"大槻ケンヂ"), u"オオツキケンヂ") << "kana in the value keeps its spelling";
    const auto r = readValue(engine(), nullptr, u"靖子", ReadingStyle::Hiragana, 4);
    EXPECT_EQ(r.reading, u"やすこ");
    EXPECT_THAT(r.alternatives, Contains(u"せいこ"));
    // A compound of nouns also offers its voiced form; first where the
    // word dictionary's compounds mostly voice the word (日和: 小春日和).
    EXPECT_EQ(read(u"群青日和"), u"グンジョウビヨリ");
    EXPECT_THAT(readValue(engine(), nullptr, u"群青日和", ReadingStyle::Katakana, 4).alternatives,
                Contains(u"グンジョウヒヨリ"));
    // So does a first word whose last vowel changes in a compound.
    EXPECT_THAT(readValue(engine(), nullptr, u"雨風", ReadingStyle::Katakana, 4).alternatives, Contains(u"アマカゼ"));
    // After a word of kana or a verb's stem, and a counter after a number.
    EXPECT_EQ(read(u"夢追い酒"), u"ユメオイザケ");
    EXPECT_EQ(read(u"三分間"), u"サンプンカン") << "分 said フン, its on reading ブン unvoiced";
    EXPECT_EQ(read(u"十分"), u"ジュウブン") << "the word, enough";
}

std::vector<String> alternatives(std::u16string_view value)
{
    return readValue(engine(), nullptr, value, ReadingStyle::Katakana, 4).alternatives;
}

TEST(MecabReadingEngine, OffersReadingsMadeOfTheCharactersOwnNameReadingsAndTitleNounsReadAsNames)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    // 靖子 is listed in kana order (キヨコ, シズコ, スエコ, セイコ, ...); セイ + コ are
    // name readings of its characters, so セイコ comes before the others.
    EXPECT_THAT(alternatives(u"田中靖子"), Contains(u"タナカセイコ"));
    // 詩 alone is シ to MeCab; the name dictionary also reads it ウタ.
    EXPECT_THAT(alternatives(u"詩の朗読"), Contains(u"ウタノロウドク"));
    // At the end of a title after の, or after a word that qualifies it (名も
    // なき, 光る), it is ウタ first, also after a word the dictionary holds
    // whole; titles' own readings of words are offered too.
    EXPECT_EQ(read(u"愛の詩"), u"アイノウタ");
    EXPECT_EQ(read(u"名もなき詩"), u"ナモナキウタ");
    EXPECT_EQ(read(u"光る詩"), u"ヒカルウタ");
    EXPECT_TRUE(read(u"三階建の詩").ends_with(u"ノウタ"));
    EXPECT_EQ(read(u"詩を書く"), u"シヲカク") << "詩 opening a title is no song's name";
    // A woman of a place ending a title is ヒト first, as the songs of ports
    // say it; one of no place keeps オンナ.
    EXPECT_EQ(read(u"小樽の女"), u"オタルノヒト");
    EXPECT_EQ(read(u"噂の女"), u"ウワサノオンナ");
    EXPECT_THAT(alternatives(u"本気の恋"), Contains(u"マジノコイ"));
    // An evening standing as a word of its own is ユウベ first, a guess;
    // inside a word or a compound it keeps the word's reading.
    EXPECT_EQ(read(u"港の夕"), u"ミナトノユウベ");
    EXPECT_EQ(read(u"寂しい夕に"), u"サビシイユウベニ");
    EXPECT_EQ(readValue(engine(), nullptr, u"港の夕", ReadingStyle::Katakana, 4).reason, "a reading titles give a word");
    EXPECT_EQ(read(u"夕焼けの空"), u"ユウヤケノソラ");
    EXPECT_EQ(read(u"七夕の夜"), u"タナバタノヨル");
}

TEST(MecabReadingEngine, ReadsWordsOfTheWordDictionaryOldFormsAndCharactersMecabDoesNotKnow)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    // MeCab reads 瑠璃 + 色 (ショク) and 冬 + 景色; the word dictionary has them whole.
    EXPECT_EQ(read(u"瑠璃色の地球"), u"ルリイロノチキュウ");
    EXPECT_EQ(read(u"黒百合姉妹"), u"クロユリシマイ");
    // A foreign word written with Han characters is read as the word
    // dictionary reads it, in katakana (燐 + 寸: マッチ; 伯 + 林: ベルリン);
    // a name's katakana stays a foreign name's.
    EXPECT_EQ(read(u"燐寸"), u"マッチ");
    // A native number with つ opening a compound drops its doubled sound
    // (the word dictionary's ムッツ, ミッツ are the words alone): before a
    // noun, or a verb's stem before more Han characters; before a verb or a
    // particle it keeps it.
    EXPECT_EQ(read(u"六つ星"), u"ムツボシ");
    EXPECT_EQ(read(u"三ツ矢"), u"ミツヤ");
    EXPECT_EQ(read(u"三つ数える"), u"ミッツカゾエル");
    EXPECT_EQ(read(u"三つの願い"), u"ミッツノネガイ");
    // Characters no dictionary knows together, read by their on readings,
    // double a last ツ before a k sound as Sino-Japanese words do.
    EXPECT_EQ(read(u"裂刻"), u"レッコク");
    // A word standing alone is not read as the word dictionary's prefix or
    // suffix written the same (街 ガイ), which stays the suffix's reading.
    EXPECT_EQ(read(u"夜の街で"), u"ヨルノマチデ");
    EXPECT_EQ(read(u"街の灯"), u"マチノアカリ");
    EXPECT_EQ(read(u"学生街の喫茶店"), u"ガクセイガイノキッサテン");
    // A character MeCab reads in its doubled form (絶 ゼッ) where nothing
    // follows that doubles is read in full; before such a sound it stays.
    EXPECT_EQ(read(u"絶"), u"ゼツ");
    EXPECT_EQ(read(u"絶絶絶対"), u"ゼツゼツゼッタイ");
    // An adjective's stem before の that MeCab takes for a verb's (愛し of
    // 愛す) is the adjective's; the verb's forms stay the verb's.
    EXPECT_EQ(read(u"愛しの君へ"), u"イトシノキミヘ");
    EXPECT_EQ(read(u"愛しています"), u"アイシテイマス");
    // A phrase MeCab holds as one word that the word dictionary calls
    // archaic (木の下 コノシタ) is read as its words.
    EXPECT_EQ(read(u"柳の木の下で"), u"ヤナギノキノシタデ");
    // A word MeCab reads as the word dictionary has it only archaic (如く
    // シク, to equal) takes the one reading in use today.
    EXPECT_EQ(read(u"龍が如く"), u"リュウガゴトク");
    // No suffix follows an adjective that ends there: 者 after one is the
    // noun; after a noun it stays the suffix.
    EXPECT_EQ(read(u"強く儚い者たち"), u"ツヨクハカナイモノタチ");
    EXPECT_EQ(read(u"挑戦者たち"), u"チョウセンシャタチ");
    // A noun and the suffix of its plural are not the word written the same
    // and read otherwise (男達 おとこだて, a gallant); one read the same
    // stays one word.
    EXPECT_EQ(read(u"男達の挽歌"), u"オトコタチノバンカ");
    EXPECT_EQ(read(u"子供達"), u"コドモタチ");
    EXPECT_EQ(read(u"伯林の壁"), u"ベルリンノカベ");
    // Kana inside such a word join it (眼鏡 + っ + 娘, 赤 + っ + 恥).
    EXPECT_EQ(read(u"眼鏡っ娘"), u"メガネッコ");
    EXPECT_EQ(read(u"赤っ恥の歌"), u"アカッパジノウタ");
    // So does one kana ending it (朱 and い: MeCab reads シュ and a verb).
    EXPECT_EQ(read(u"朱い月"), u"アカイツキ");
    EXPECT_EQ(read(u"碧い海"), u"アオイウミ");
    // A word spelt with kana for its last character (胸騒ぎ as 胸さわぎ) is the
    // word where the word dictionary holds that spelling; MeCab reads 胸 ムネ.
    EXPECT_EQ(read(u"熱い胸さわぎ"), u"アツイムナサワギ");
    EXPECT_EQ(read(u"雨やどり"), u"アマヤドリ");
    // Kana MeCab reads twice, once in the word's reading and again as an
    // auxiliary (或 アル and る), are read once.
    EXPECT_EQ(read(u"或る日突然"), u"アルヒトツゼン");
    EXPECT_EQ(read(u"或る朝"), u"アルアサ");
    // A compound's last word that the word dictionary's compounds mostly
    // voice is voiced where it does not hold the compound (修羅 and 囃子);
    // one they never voice stays (春 and 風 in a compound of the same kind),
    // and a number's counter keeps its own sounds.
    EXPECT_EQ(read(u"修羅囃子"), u"シュラバヤシ");
    EXPECT_EQ(read(u"四人囃子"), u"ヨニンバヤシ");
    EXPECT_EQ(read(u"はぐれ桜"), u"ハグレザクラ") << "after a verb's stem in hiragana too";
    EXPECT_EQ(readValue(engine(), nullptr, u"修羅囃子", ReadingStyle::Katakana, 4).reason,
              "a sound change in a compound");
    EXPECT_EQ(read(u"港町の恋風"), u"ミナトマチノコイカゼ");
    // Nor does a word of katakana before it (a title's play on words).
    EXPECT_EQ(read(u"ハレ晴レ"), u"ハレハレ");
    // A compound the word dictionary holds in another reading keeps it (天晴れ
    // アッパレ, though its compounds mostly voice 晴れ).
    EXPECT_EQ(read(u"天晴れ"), u"アッパレ");
    // A particle still parts words: 雨 and が are no word.
    EXPECT_EQ(read(u"雨が降る"), u"アメガフル");
    // Kana MeCab takes for a filler after a Han character (越, the old
    // province, and え) are its okurigana: 越え, a verb's stem compounded
    // with the place before it, voiced or not; a guess either way.
    EXPECT_EQ(read(u"箱根越え"), u"ハコネコエ");
    EXPECT_THAT(alternatives(u"天城越え"), Contains(u"アマギゴエ"));
    EXPECT_EQ(readValue(engine(), nullptr, u"天城越え", ReadingStyle::Katakana, 4).reason,
              "a noun and a verb that may be one compound");
    // 國 and 團 are read as 国 and 団.
    EXPECT_EQ(read(u"妖精帝國"), u"ヨウセイテイコク");
    EXPECT_EQ(read(u"氣志團"), u"キシダン");
    // Japanese values MeCab reads one character at a time, or not at all,
    // that do not begin with a Chinese surname get a reading.
    for (const char16_t* value : {u"海援隊", u"秋止符", u"天樂", u"月蝕會議"})
        EXPECT_TRUE(readValue(engine(), nullptr, value, ReadingStyle::Katakana, 4).reading) << toUtf8(value);
    EXPECT_THAT(alternatives(u"秋止符"), Contains(u"シュウシフ"));
    // Old forms MeCab does not know are read as today's; those it knows
    // (佛 ホトケ, not 仏 フツ) and names a dictionary has whole keep theirs.
    EXPECT_EQ(read(u"佛の顏"), u"ホトケノカオ");
    EXPECT_EQ(read(u"緣結び"), u"エンムスビ");
    EXPECT_EQ(read(u"萬華鏡"), u"マンゲキョウ") << "萬 begins Chinese names, but 万華鏡 is one word";
    EXPECT_EQ(read(u"万華鏡"), u"マンゲキョウ") << "the name dictionary's foreign entry does not make a word Chinese";
    EXPECT_EQ(read(u"倖田來未"), u"コウダクミ");
    // A name whose reading as written is a guess (MeCab reads 曉 alone
    // サトル) is read as the dictionaries read it in today's forms (渡辺暁雄
    // is a well-known person's full name), still a guess; a name read
    // surely as written keeps that reading (坂本龍一, not 竜一).
    const ValueReading old = readValue(engine(), nullptr, u"渡邉曉雄", ReadingStyle::Katakana, 4);
    EXPECT_EQ(old.reading, u"ワタナベアケオ");
    EXPECT_EQ(old.confidence, Confidence::Check);
    EXPECT_THAT(old.reason, ::testing::HasSubstr("old character forms read as today's, as the dictionaries read them"));
    ASSERT_FALSE(old.alternatives.empty());
    EXPECT_EQ(old.alternatives.front(), u"ワタナベサトオ")
        << "the reading as written stays next to it: 曉雄, which no dictionary holds, read as given names read 曉 "
           "at their head and 雄 at their tail";
    EXPECT_EQ(readValue(engine(), nullptr, u"坂本龍一", ReadingStyle::Katakana, 4).confidence, Confidence::Sure);
    // ヶ is a counter a reading spells out (found by fuzzing: it was kept).
    EXPECT_EQ(read(u"関ヶ原"), u"セキガハラ");
    EXPECT_EQ(read(u"ヶ"), u"カ");
    EXPECT_EQ(read(u"ゖ"), u"カ");
    // A symbol MeCab gives itself as its reading is not read (found by fuzzing).
    EXPECT_FALSE(readValue(engine(), nullptr, u"東仝", ReadingStyle::Katakana, 4).reading);
}

TEST(MecabReadingEngine, ASurnameMecabReadsWholeFromItsFirstCharacterTakesTheNameDictionarysReadingOfBoth)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    RunRequest person;
    person.kind = yomi::NameKind::Person;
    // MeCab reads 蒼 alone as the surname アオイ and 井 after it as the word イ.
    const ValueReading aoi = readValue(engine(), nullptr, u"蒼井翔太", ReadingStyle::Katakana, 4, person);
    EXPECT_EQ(aoi.reading, u"アオイショウタ");
    EXPECT_THAT(aoi.alternatives, Contains(u"アオイイショウタ")) << "MeCab's reading stays a candidate";
    EXPECT_EQ(aoi.confidence, Confidence::Check);
    // A surname MeCab reads whole keeps its reading.
    EXPECT_EQ(readValue(engine(), nullptr, u"松井秀喜", ReadingStyle::Katakana, 4, person).reading, u"マツイヒデキ");
}

TEST(MecabReadingEngine, ASurnameWithACharacterOutsideMecabsSetIsReadByItsCharactersBeforeAGivenName)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    RunRequest person;
    person.kind = yomi::NameKind::Person;
    // 彅 and 蓜 are in JIS X 0212 only: MeCab and the text edition of the
    // character dictionary do not have them; MeCab joins 彅剛 and 蓜島.
    const ValueReading kusanagi = readValue(engine(), nullptr, u"草彅剛", ReadingStyle::Katakana, 4, person);
    ASSERT_TRUE(kusanagi.reading);
    EXPECT_EQ(kusanagi.reading->substr(0, 4), u"クサナギ") << "草 as MeCab reads it, 彅 by its one reading";
    EXPECT_THAT(kusanagi.alternatives, Contains(u"クサナギツヨシ")) << "剛 by its readings as a given name";
    EXPECT_EQ(kusanagi.confidence, Confidence::Check);
    const ValueReading haishima = readValue(engine(), nullptr, u"蓜島邦明", ReadingStyle::Katakana, 4, person);
    EXPECT_EQ(haishima.reading, u"ハイシマクニアキ") << "島 as MeCab reads it alone, not the on readings ハイトウ";
    EXPECT_EQ(haishima.confidence, Confidence::Check);
    EXPECT_EQ(haishima.reason, "a surname and a given name found apart");
    // A title is not read as a name.
    RunRequest title;
    title.kind = yomi::NameKind::Title;
    EXPECT_NE(readValue(engine(), nullptr, u"蓜島邦明", ReadingStyle::Katakana, 4, title).reason,
              "a surname and a given name found apart");
    // Nor is a group's name that ends in a suffix MeCab finds (族: not the
    // given name ヤカラ after a surname 獰走).
    EXPECT_EQ(readValue(engine(), nullptr, u"獰走族", ReadingStyle::Katakana, 4, person).reading, u"ドウソウゾク");
}

TEST(MecabReadingEngine, ChineseNamesGetNoReadingWhileJapaneseNamesOfTheSameCharactersDo)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    // Simplified forms; names the name dictionary only transcribes (王菲 うぉんふぇい,
    // 梅艷芳 アニタムイ); names of characters neither dictionary knows together.
    for (const char16_t* name :
         {u"周杰伦", u"王菲",   u"张学友", u"王力宏", u"李宗盛", u"周杰倫", u"鄧麗君", u"張學友",
          u"梅艷芳", u"張國榮", u"齊秦",   u"汪峰",   u"那英",   u"郭富城", u"蔡依林", u"楊丞琳",
          u"容祖兒", u"蕭敬騰", u"田馥甄", u"鳳飛飛", u"周慧敏", u"許冠傑", u"林俊傑", u"毛不易"})
        EXPECT_FALSE(readValue(engine(), nullptr, name, ReadingStyle::Katakana, 4).reading) << toUtf8(name);
    for (const char16_t* name : {u"坂本龍一", u"中島みゆき", u"宇多田ヒカル", u"東京事変", u"椎名林檎", u"島唄",
                                 u"米米", u"高田渡", u"黄昏", u"林隆三", u"黄金虫"})
        EXPECT_TRUE(readValue(engine(), nullptr, name, ReadingStyle::Katakana, 4).reading) << toUtf8(name);
    // MeCab's own dictionary reads these as a surname and a given name of
    // Japan, though each begins with a character of Chinese surnames.
    EXPECT_EQ(read(u"周防正行"), u"スオウマサユキ") << "the name dictionary's foreign entry is outweighed";
    EXPECT_EQ(read(u"林大輔"), u"ハヤシダイスケ");
    // A surname the name dictionary reads so as a Japanese one is no sign of
    // Chinese sounds where MeCab cuts the given name apart (浩 and 臣).
    EXPECT_EQ(read(u"周防浩臣"), u"スオウヒロオミ");
}

TEST(MecabReadingEngine, DigitsAndCapitalsBeforeAWordAreSpeltAsTheyAreSaid)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    // Digits before a word are an amount read with its counter.
    EXPECT_EQ(read(u"100万回の愛"), u"ヒャクマンカイノアイ");
    EXPECT_EQ(read(u"2億4千万の瞳"), u"ニオクヨンセンマンノヒトミ") << "digits between kanji numerals";
    EXPECT_EQ(read(u"365日の紙飛行機"), u"サンビャクロクジュウゴニチノカミヒコウキ");
    EXPECT_EQ(read(u"8000日"), u"ハッセンニチ");
    EXPECT_EQ(read(u"2人の夏"), u"フタリノナツ");
    EXPECT_EQ(read(u"24時の鐘"), u"ニジュウヨジノカネ");
    EXPECT_EQ(read(u"三百六十五歩のマーチ"), u"サンビャクロクジュウゴホノマーチ") << "kanji numerals alike";
    // Kanji digits written place by place are the number they write; 〇
    // leading or alone is a blank to fill (〇〇), not a digit.
    EXPECT_EQ(read(u"二〇〇一年宇宙の旅"), u"ニセンイチネンウチュウノタビ");
    EXPECT_EQ(read(u"一〇〇"), u"ヒャク");
    EXPECT_EQ(read(u"〇〇の歌"), u"〇〇ノウタ");
    // One or two capitals before a word are said by their names.
    EXPECT_EQ(read(u"Bメロ"), u"ビーメロ");
    EXPECT_EQ(read(u"CDの山"), u"シーディーノヤマ");
    // Latin words and letters standing apart stay as written; a capital
    // right after a word is said.
    EXPECT_EQ(read(u"少女A"), u"ショウジョエー");
    EXPECT_EQ(read(u"大事MANブラザーズバンド"), u"ダイジマンブラザーズバンド") << "an English word, read as its loanword";
    EXPECT_TRUE(read(u"光GENJI").ends_with(u"ゲンジ"))
        << "a word the word dictionary does not gloss nor the pronouncing dictionary hold: romaji";
    EXPECT_EQ(read(u"東京 2020"), u"トウキョウ 2020");
    EXPECT_EQ(read(u"007の帰還"), u"007ノキカン") << "a leading zero is no amount";
    // Romaji keeps them as they are.
    EXPECT_EQ(read(u"Bメロ", ReadingStyle::Romaji), u"B mero");
    const ValueReading spelt = readValue(engine(), nullptr, u"Xデー", ReadingStyle::Katakana, 4);
    EXPECT_EQ(spelt.reading, u"エックスデー");
    EXPECT_EQ(spelt.confidence, Confidence::Likely);
    EXPECT_EQ(spelt.reason, "Latin letters spelt by their names");
}

// A title read by the engine, with its alternatives.
ValueReading title(std::u16string_view value)
{
    RunRequest request;
    request.kind = yomi::NameKind::Title;
    return readValue(engine(), nullptr, value, ReadingStyle::Katakana, 4, request);
}

TEST(MecabReadingEngine, AWordMecabTakesForANameBesideOtherWordsOfATitleIsTheCommonWord)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    // MeCab reads 深海 as a surname (フカウミ) before 少女; in a title among
    // other words it is the sea's depths. A name, or a title that is only a
    // name, keeps the name's reading.
    EXPECT_EQ(title(u"深海少女").reading, u"シンカイショウジョ");
    EXPECT_THAT(title(u"深海少女").alternatives, ::testing::Contains(u"フカウミショウジョ"));
    EXPECT_EQ(read(u"深海太郎"), u"フカウミタロウ");
    EXPECT_EQ(title(u"山田太郎").reading, u"ヤマダタロウ");
    // A word the word dictionary holds whole that MeCab reads as a surname
    // and a given name (青海 and 波) is that word in a title; a name stays
    // a name.
    EXPECT_EQ(title(u"青海波").reading, u"セイガイハ");
    EXPECT_EQ(read(u"青海波"), u"アオミナミ");
    // A proper noun of no kind that the word dictionary holds as a word with
    // one reading is read as that word first, a check (港町: MeCab says the
    // place ミナトチョウ).
    // A noun of one character standing before a particle is read as the
    // word dictionary's one common reading of it (我 ワレ; MeCab says ワガ,
    // its form before a noun); one MeCab reads the common way keeps it.
    EXPECT_EQ(read(u"我は海の子"), u"ワレハウミノコ");
    EXPECT_EQ(read(u"花の街"), u"ハナノマチ");
    // So is one standing alone between a title's signs, where MeCab takes
    // it for a given name (美: ヨシ); a person's value keeps the name.
    const ValueReading beauty = title(u"美☆ロマンス");
    EXPECT_EQ(beauty.reading, u"ビ☆ロマンス");
    EXPECT_THAT(beauty.alternatives, Contains(String(u"ヨシ☆ロマンス")));
    EXPECT_EQ(read(u"美"), u"ヨシ");
    // One MeCab takes for a given name opening a name of other words (聖
    // キヨシ before 少女, 晋 ススム before 友会) is the Sino-Japanese prefix
    // it is there, in a title and in a band's name alike; before another
    // name (美 and 勇) it stays a name.
    EXPECT_EQ(title(u"聖少女領域").reading, u"セイショウジョリョウイキ");
    EXPECT_EQ(read(u"晋友会"), u"シンユウカイ");
    EXPECT_TRUE(read(u"美勇伝").starts_with(u"ヨシ"));
    const ValueReading port = readValue(engine(), nullptr, u"夜の港町", ReadingStyle::Katakana, 4);
    EXPECT_EQ(port.reading, u"ヨルノミナトマチ");
    EXPECT_THAT(port.alternatives, Contains(String(u"ヨルノミナトチョウ")));
    EXPECT_EQ(port.confidence, Confidence::Check);
}

TEST(MecabReadingEngine, ANumberAfterAWordOfATitleIsACardinalThatAddsNoDoubt)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    const ValueReading year = title(u"夏の日の1993");
    EXPECT_EQ(year.reading, u"ナツノヒノセンキュウヒャクキュウジュウサン");
    EXPECT_THAT(year.alternatives, Contains(u"ナツノヒノイチキュウキュウサン"));
    const ValueReading words = title(u"夏の日の");
    EXPECT_EQ(std::tie(year.confidence, year.reason), std::tie(words.confidence, words.reason))
        << "the number keeps the confidence of the words before it";
    // One digit after a word of Han characters is a work's number that
    // fans say in Japanese or in English (サクラ大戦2 ニ, 聖剣伝説3 スリー):
    // the cardinal first, a guess; not after 第, 番 or 号, which make it an
    // ordinal or a label.
    const ValueReading sequel = title(u"サクラ大戦2");
    EXPECT_EQ(sequel.reading, u"サクラタイセンニ");
    EXPECT_THAT(sequel.alternatives, Contains(u"サクラタイセンツー"));
    EXPECT_EQ(sequel.reason, "a number after a word, said in Japanese or in English");
    EXPECT_NE(title(u"背番号1").reason, sequel.reason);
    EXPECT_EQ(title(u"時をかける少女 2").reading, u"トキヲカケルショウジョ ニ");
    const ValueReading ninth = title(u"第9");
    EXPECT_EQ(ninth.reading, u"ダイキュウ");
    EXPECT_THAT(ninth.alternatives, Contains(u"ダイク"));
    EXPECT_EQ(title(u"交響曲第10").reading, u"コウキョウキョクダイジュウ");
    // One digit right after a word of katakana numbers a work in English, a
    // guess: the Japanese cardinal is next. Not two digits (ベスト50, a list's
    // length), nor after Han characters (サクラ大戦2 above).
    const ValueReading robot = title(u"無敵超人ザンボット3");
    EXPECT_EQ(robot.reading, u"ムテキチョウジンザンボットスリー");
    EXPECT_THAT(robot.alternatives, Contains(u"ムテキチョウジンザンボットサン"));
    EXPECT_EQ(std::tie(robot.confidence, robot.reason),
              std::tuple(Confidence::Check, std::string("a number after a word of katakana said in English")));
    EXPECT_EQ(title(u"昭和歌謡ベスト50").reading, u"ショウワカヨウベストゴジュウ");
    EXPECT_EQ(title(u"ガンダム0").reading, u"ガンダムゼロ") << "zero has its own rule";
    // Capitals after a word are said by their names, a guess to look at.
    const ValueReading letter = title(u"兵士A");
    EXPECT_EQ(letter.reading, u"ヘイシエー");
    EXPECT_EQ(letter.reason, "Latin letters spelt by their names");
    EXPECT_EQ(title(u"ドラゴンボールZ").reading, u"ドラゴンボールゼット");
    EXPECT_TRUE(title(u"聖飢魔II").reading->ends_with(u"ツー")) << "a Roman numeral is said in English, not by letters";
}

// The confidence and reason readValue gives a value read as a title.
std::pair<Confidence, std::string> trust(std::u16string_view value, yomi::NameKind kind = yomi::NameKind::Title)
{
    RunRequest request;
    request.kind = kind;
    const ValueReading r = readValue(engine(), nullptr, value, ReadingStyle::Katakana, 4, request);
    return {r.confidence, r.reason};
}

TEST(MecabReadingEngine, EveryReadingIsSureLikelyOrCheckWithItsReason)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    using P = std::pair<Confidence, std::string>;
    EXPECT_EQ(trust(u"坂本龍一", yomi::NameKind::Person), (P{Confidence::Sure, "a full name in the name dictionary"}));
    EXPECT_EQ(trust(u"黄昏"), (P{Confidence::Sure, "a whole word of the dictionary with one reading"}));
    EXPECT_EQ(trust(u"無罪モラトリアム"), (P{Confidence::Likely, "every word read from the dictionary"}));
    EXPECT_EQ(trust(u"紅蓮華"), (P{Confidence::Check, "a compound no dictionary has whole"}))
        << "グレン and ハナ: the whole is read by no dictionary";
    EXPECT_EQ(trust(u"紅葉"), (P{Confidence::Check, "a word with several readings"})) << "コウヨウ and モミジ";
    EXPECT_EQ(trust(u"噂の女"), (P{Confidence::Check, "a word titles read two ways"})) << "女: オンナ or ヒト";
    EXPECT_EQ(trust(u"名もなき詩"), (P{Confidence::Check, "a reading titles give a word"})) << "詩: ウタ before シ";
    EXPECT_EQ(trust(u"田中愛美", yomi::NameKind::Person), (P{Confidence::Check, "a given name with several readings"}))
        << "SKK lists 愛美 among the first names of アイミ and of マナミ";
    EXPECT_EQ(trust(u"田中靖子", yomi::NameKind::Person), (P{Confidence::Likely, "every word read from the dictionary"}))
        << "SKK lists 靖子 near the front of ヤスコ's names only";
    EXPECT_EQ(trust(u"はっぴいえんど"), (P{Confidence::Sure, "written in kana"}));
    EXPECT_EQ(trust(u"東京 ONE"), (P{Confidence::Check, "an English word said by its sounds"}))
        << "an English word apart from the Japanese said in kana is a guess";
    const ValueReading refused = readValue(engine(), nullptr, u"周慧敏", ReadingStyle::Katakana, 4);
    EXPECT_FALSE(refused.reading);
    EXPECT_EQ(refused.reason, "looks Chinese: the name dictionary knows it only as a foreign name");
}

TEST(MecabReadingEngine, NamesMecabFindsOneAfterAnotherInsideAWordAreACheck)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    RunRequest person;
    person.kind = yomi::NameKind::Person;
    const auto trust = [&](std::u16string_view value, const RunRequest& request) {
        const ValueReading r = readValue(engine(), nullptr, value, ReadingStyle::Katakana, 4, request);
        return std::pair{r.confidence, r.reason};
    };
    const std::pair doubt{Confidence::Check, std::string("names found one after another inside a word")};
    EXPECT_EQ(trust(u"草野華余子", person), doubt) << "two surnames, 草野 and 華, before a given name";
    EXPECT_EQ(trust(u"晋平太", person), doubt) << "two given names, 晋平 and 太";
    EXPECT_EQ(trust(u"魂音泉", {}), doubt) << "a surname right after the word 魂";
    // One surname and one given name are a person's name as MeCab reads it.
    EXPECT_NE(trust(u"田中靖子", person).second, doubt.second);
    EXPECT_NE(trust(u"フランク永井", person).second, doubt.second) << "a given name in katakana before a surname";
}

TEST(MecabReadingEngine, ASurnameMecabsDictionaryReadsTwoWaysAtNearlyTheSameCostIsACheck)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    using P = std::pair<Confidence, std::string>;
    const P rival{Confidence::Check, "a surname read two ways almost as often"};
    EXPECT_EQ(trust(u"松前太郎", yomi::NameKind::Person), rival) << "マツマエ and マサキ cost MeCab about the same";
    EXPECT_EQ(trust(u"茂木太郎", yomi::NameKind::Person), rival) << "モギ and モテギ cost MeCab the same";
    // Readings that differ only in a voiced sound are one name said two
    // ways; a rival far dearer is no rival.
    EXPECT_EQ(trust(u"桑原太郎", yomi::NameKind::Person), (P{Confidence::Likely, "every word read from the dictionary"}))
        << "クワバラ and クワハラ";
    EXPECT_EQ(trust(u"清水太郎", yomi::NameKind::Person), (P{Confidence::Likely, "every word read from the dictionary"}))
        << "キヨミズ costs MeCab far more than シミズ";
    EXPECT_NE(trust(u"松前の歌").second, rival.second) << "a title's surname is judged by the name dictionary";
    // A surname of many readings in the name dictionary that MeCab reads in
    // one it does not mark as common (a place's name too) is a check; one
    // it marks so stays likely.
    const P uncommon{Confidence::Check, "a surname of many readings, read in one the name dictionary does not mark common"};
    EXPECT_EQ(trust(u"百々和宏", yomi::NameKind::Person), uncommon) << "トド, one of eleven; only ドウドウ is a place";
    EXPECT_EQ(trust(u"清水和宏", yomi::NameKind::Person), (P{Confidence::Likely, "every word read from the dictionary"}))
        << "シミズ, a place too";
}

TEST(MecabReadingEngine, NamesMecabFindsOneAfterAnotherAreReadAsTheNamesTheyAre)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    RunRequest person;
    person.kind = yomi::NameKind::Person;
    const auto read = [&](std::u16string_view value) {
        return readValue(engine(), nullptr, value, ReadingStyle::Katakana, 4, person);
    };
    // Two surnames (a duo named by its members) keep MeCab's reading of the
    // second; the name dictionary's given name written the same (山田
    // オオシタ) is no more than an alternative.
    const ValueReading duo = read(u"中村山田");
    EXPECT_EQ(duo.reading, u"ナカムラヤマダ");
    EXPECT_THAT(duo.alternatives, Contains(String(u"ナカムラオオシタ")));
    EXPECT_EQ(duo.confidence, Confidence::Check);
    // A surname and two given names (安, 済 ワタル, 優花) are rather the name
    // dictionary's surname and given name that make the run (安済 アンザイ;
    // 優花 as the SKK dictionary of given names reads it first, ユウカ),
    // a check; MeCab's reading stays among the alternatives.
    const ValueReading split = read(u"安済優花");
    EXPECT_EQ(split.reading, u"アンザイユウカ");
    EXPECT_EQ(split.reason, "a surname and a given name found apart");
    EXPECT_THAT(split.alternatives, Contains(String(u"アンワタルユカ")));
    // A name MeCab begins with a number or a prefix (三 and 山, 小 and 桜)
    // is the name dictionary's surname and given name too; a band's name
    // whose parts are no two characters each keeps MeCab's words.
    for (const auto& [value, reading] :
         {std::pair{u"三山けんじ", u"ミヤマケンジ"}, std::pair{u"小桜健太", u"コザクラケンタ"}}) {
        const ValueReading r = read(value);
        EXPECT_EQ(r.reading, reading) << toUtf8(value);
        EXPECT_EQ(r.reason, "a surname and a given name found apart") << toUtf8(value);
    }
    EXPECT_EQ(read(u"超ときめき").reading, u"チョウトキメキ");
    // So is one MeCab reads a character at a time (蕗, 谷, 遼 and 平).
    const ValueReading apart = read(u"蕗谷遼平");
    EXPECT_EQ(apart.reading, u"フキヤリョウヘイ");
    EXPECT_EQ(apart.reason, "a surname and a given name found apart");
    EXPECT_THAT(apart.alternatives, Contains(String(u"フキタニリョウタイラ"))) << "MeCab's characters stay a candidate";
    // So is one MeCab begins with no surname where the name dictionary holds
    // one of three characters or more (普 and 久原: 普久原 フクハラ).
    const ValueReading longer = read(u"普久原朝喜");
    EXPECT_EQ(longer.reading, u"フクハラチョウキ");
    EXPECT_EQ(longer.reason, "a surname and a given name found apart");
    // Before a given name of one character too, where MeCab's words end
    // where the surname does (羽, 多野 and 渉), but not through a given name
    // MeCab found (杵, 屋 and 佐吉: the dictionary's 杵屋佐 would split it).
    EXPECT_EQ(read(u"羽多野渉").reading, u"ハタノワタル");
    EXPECT_EQ(read(u"杵屋佐吉").reading, u"キネヤサキチ");
    // So is one with characters no dictionary knows where MeCab finds no
    // given name (仁, 後, 真 and 耶子, read by their on readings ジンゴシンヤシ).
    const ValueReading unknown = read(u"仁後真耶子");
    EXPECT_TRUE(unknown.reading->ends_with(u"マヤコ")) << toUtf8(*unknown.reading);
    EXPECT_EQ(unknown.reason, "a surname and a given name found apart");
    // A surname and one given name stay as MeCab reads them.
    EXPECT_EQ(read(u"田中靖子").reading, u"タナカヤスコ");
}

TEST(MecabReadingEngine, ATitleMecabReadsAsASurnameAndAWordIsThoseWordsAndTheSurnameADoubt)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    // The name dictionary's given name (影 エイ) is no reading of a title's
    // word; a person's value keeps it.
    const ValueReading shade = title(u"岡影");
    EXPECT_EQ(shade.reading, u"オカカゲ");
    EXPECT_THAT(shade.alternatives, Contains(String(u"オカエイ")));
    RunRequest person;
    person.kind = yomi::NameKind::Person;
    EXPECT_EQ(readValue(engine(), nullptr, u"岡影", ReadingStyle::Katakana, 4, person).reading, u"オカエイ");
    // A surname the name dictionary reads several ways (森: モリ, シン ...)
    // leaves a title's reading one to look at.
    const ValueReading sky = title(u"森空");
    EXPECT_EQ(sky.reading, u"モリソラ");
    EXPECT_EQ(sky.confidence, Confidence::Check);
    EXPECT_EQ(sky.reason, "a surname in a title, read several ways");
}

TEST(MecabReadingEngine, HanWordsNoDictionaryHoldsTogetherAreACheckWhenANativeWordMayBeVoiced)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    using P = std::pair<Confidence, std::string>;
    // 日和 is read natively (ヒヨリ, not its on reading ニチ...) and begins
    // with a sound a compound voices: ビヨリ is as likely as ヒヨリ (and
    // comes first: the word dictionary's compounds mostly voice it).
    EXPECT_EQ(trust(u"青春日和"), (P{Confidence::Check, "a sound change in a compound"}));
    EXPECT_EQ(trust(u"青春の嵐"), (P{Confidence::Likely, "every word read from the dictionary"}));
    EXPECT_EQ(trust(u"都会小僧"), (P{Confidence::Check, "words no dictionary holds together, maybe with a sound change"}));
    // Sino-Japanese words keep their sounds; a native word beginning with
    // a sound no compound voices (夜桜 ヨザクラ) gives no doubt either.
    EXPECT_EQ(trust(u"青春警察"), (P{Confidence::Likely, "every word read from the dictionary"}));
    EXPECT_EQ(trust(u"東京夜桜"), (P{Confidence::Likely, "every word read from the dictionary"}));
    // A doubled last sound is still the on reading (百景 ヒャッケイ).
    EXPECT_EQ(trust(u"東京百景"), (P{Confidence::Likely, "every word read from the dictionary"}));
}

TEST(MecabReadingEngine, AnOnReadingEndingInTsuDoublesTheVoicelessOnReadingOfTheCharacterAfterIt)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    // MeCab reads the two apart (テツ フウ); the compound says them as one.
    EXPECT_EQ(read(u"鉄風"), u"テップウ") << "ハ becomes パ";
    // Not before a word of two characters (熱 and 気球), nor before a voiced
    // sound, nor after a native reading (雪 ユキ), nor inside a person's name.
    EXPECT_EQ(read(u"熱気球"), u"ネツキキュウ");
    EXPECT_EQ(read(u"鉄道唱歌"), u"テツドウショウカ");
    EXPECT_EQ(read(u"雪景色"), u"ユキゲシキ");
    EXPECT_EQ(read(u"節子"), u"セツコ");
}

TEST(MecabReadingEngine, SourcesThatDisagreeMakeACheckAndOneCharacterInContextDoesNot)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    using P = std::pair<Confidence, std::string>;
    // The name dictionary holds the full name with two readings (ヤスシ and
    // タイジ): no dictionary settles it.
    EXPECT_EQ(trust(u"中村泰士", yomi::NameKind::Person),
              (P{Confidence::Check, "a full name the dictionaries read more than one way"}));
    // MeCab reads イット, the word dictionary's one common reading is イチズ:
    // the common noun is read as the dictionary reads it, still a check.
    EXPECT_EQ(trust(u"一途"), (P{Confidence::Check, "one of several readings of a word"}));
    EXPECT_EQ(title(u"一途").reading, u"イチズ");
    EXPECT_THAT(title(u"一途").alternatives, ::testing::Contains(u"イット")) << "MeCab's reading stays a candidate";
    EXPECT_EQ(title(u"十七歳の地図").reading, u"ジュウナナサイノチズ")
        << "numbers are read as MeCab reads them in context, not as the dictionary's ジュウシチ";
    EXPECT_EQ(title(u"上を向いて").reading, u"ウエヲムイテ") << "nor verbs";
    // A character alone that MeCab's dictionary reads several ways (ホノオ,
    // ホムラ) has no context to choose by; beside other words it has.
    EXPECT_EQ(trust(u"炎"), (P{Confidence::Check, "one character with several readings"}));
    EXPECT_EQ(trust(u"雨の慕情"), (P{Confidence::Likely, "every word read from the dictionary"}));
    EXPECT_EQ(trust(u"月と専制君主"), (P{Confidence::Likely, "every word read from the dictionary"}));
    // Letters kept right against kana may be said in kana: a guess, and so
    // is the loanword the word dictionary gives an English word.
    EXPECT_EQ(trust(u"宇宙戦隊NOIZ"), (P{Confidence::Check, "Latin letters kept as written"}));
    EXPECT_EQ(trust(u"鎮座DOPENESS"), (P{Confidence::Check, "an English word said by its sounds"}));
    EXPECT_EQ(trust(u"夕凪LOOP"), (P{Confidence::Check, "an English word read as its loanword"}));
    EXPECT_EQ(trust(u"ドッキドキ!LOVEメール"), (P{Confidence::Check, "an English word read as its loanword"}))
        << "punctuation between them does not part them";
    EXPECT_EQ(readValue(engine(), nullptr, u"夕凪LOOP", ReadingStyle::Romaji, 4).reason,
              "every word read from the dictionary")
        << "romaji keeps letters as the value has them";
}

TEST(MecabReadingEngine, WordsWhoseReadingTheContextSettlesAreLikelyAndCompoundsNoDictionaryHoldsAreChecks)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    using P = std::pair<Confidence, std::string>;
    const P likely{Confidence::Likely, "every word read from the dictionary"};
    // A noun of one character with several readings in common use (君 キミ
    // and クン) between particles stands as a word of a sentence: MeCab's
    // reading in context holds. Beside another noun it is still a doubt.
    EXPECT_EQ(trust(u"君の声"), likely);
    EXPECT_EQ(trust(u"月に吠える"), likely);
    EXPECT_EQ(trust(u"紅葉"), (P{Confidence::Check, "a word with several readings"})) << "alone, no context";
    // A counter between a number and a particle: the number chose its
    // sounds (本 ホン, ボン, ポン).
    EXPECT_EQ(trust(u"五本の指"), likely);
    EXPECT_EQ(trust(u"三日の恋"), likely);
    // A noun of one character before a verb's stem may make one compound
    // with it, where the noun's sound or the next word's changes (雨 アマ in
    // 雨宿り): no dictionary says which.
    EXPECT_EQ(trust(u"星降り"), (P{Confidence::Check, "a noun and a verb that may be one compound"}));
    EXPECT_EQ(trust(u"花むすび"), (P{Confidence::Check, "a noun and a verb that may be one compound"}));
    EXPECT_EQ(trust(u"夢を追え"), likely) << "a particle between them: two words";
    // A place's suffix that MeCab's dictionary reads マチ or チョウ.
    EXPECT_EQ(trust(u"天神町"), (P{Confidence::Check, "a place's suffix with several readings"}));
    // A proper noun the word dictionary holds only in another reading than
    // MeCab's (港町: ミナトマチ there, ミナトチョウ in MeCab's) is read as the
    // word, still a check.
    EXPECT_EQ(trust(u"港町の灯"), (P{Confidence::Check, "one of several readings of a word"}));
}

TEST(MecabReadingEngine, ATitleTheNameDictionaryHoldsAsAWorkWithOneReadingIsSure)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    using P = std::pair<Confidence, std::string>;
    const P work{Confidence::Sure, "a title the name dictionary holds as a work, with one reading"};
    EXPECT_EQ(trust(u"吾輩は猫である"), work);
    EXPECT_EQ(trust(u"走れメロス"), work);
    EXPECT_EQ(trust(u"もののけ姫"), work);
    EXPECT_EQ(*readValue(engine(), nullptr, u"もののけ姫", ReadingStyle::Katakana, 4).reading, u"モノノケヒメ");
    // As an artist the same value is the name dictionary's whole name.
    EXPECT_EQ(trust(u"走れメロス", yomi::NameKind::Person),
              (P{Confidence::Sure, "the whole name in the name dictionary"}));
}

TEST(MecabReadingEngine, ASuffixEndingAValueAfterANativeWordIsReadAsAWordOfItsOwnAfterASinoJapaneseOneAsMecabReadsIt)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    const auto first = [](std::u16string_view value) {
        RunRequest request;
        request.kind = yomi::NameKind::Title;
        return readValue(engine(), nullptr, value, ReadingStyle::Katakana, 4, request);
    };
    // After a word of kana or of Han characters read natively, the suffix is
    // read as it is alone, voiced; a guess, so a check.
    for (const auto& [value, reading] :
         {std::pair<std::u16string_view, std::u16string_view>{u"ひとり酒", u"ヒトリザケ"},
          {u"おとこ船", u"オトコブネ"},
          {u"子守神", u"コモリガミ"},
          {u"ふるさと節", u"フルサトブシ"},
          // The compound may end before a particle or a word of kana too.
          {u"雪色の恋", u"ユキイロノコイ"},
          {u"冬色ララバイ", u"フユイロララバイ"}}) {
        const ValueReading r = first(value);
        ASSERT_TRUE(r.reading) << toUtf8(value);
        EXPECT_EQ(*r.reading, reading) << toUtf8(value);
        EXPECT_EQ(r.confidence, Confidence::Check) << toUtf8(value);
        EXPECT_EQ(r.reason, "a sound change in a compound") << toUtf8(value);
    }
    // After a Sino-Japanese word (アイシュウ, ツイオク: the characters' on
    // readings) or a loanword, MeCab's on reading of the suffix stays first
    // and the native one is an alternative.
    for (const auto& [value, reading, other] :
         {std::tuple<std::u16string_view, std::u16string_view, std::u16string_view>{u"哀愁歌", u"アイシュウカ",
                                                                                    u"アイシュウウタ"},
          {u"追憶酒", u"ツイオクシュ", u"ツイオクザケ"},
          // So after a borrowed word of katakana.
          {u"バンド名の歌", u"バンドメイノウタ", u"バンドナノウタ"}}) {
        const ValueReading r = first(value);
        ASSERT_TRUE(r.reading) << toUtf8(value);
        EXPECT_EQ(*r.reading, reading) << toUtf8(value);
        EXPECT_THAT(r.alternatives, Contains(String(other))) << toUtf8(value);
    }
    // A suffix that read alone is a verb's stem (葬: ホウム, of 葬る) keeps
    // MeCab's reading; the stem is no word of the compound.
    const ValueReading buried = first(u"夢葬");
    EXPECT_EQ(buried.reading, u"ユメソウ");
    EXPECT_THAT(buried.alternatives, ::testing::Not(Contains(String(u"ユメボウム"))));
    // Characters MeCab reads apart are no given name in a title unless the
    // name keeps a word's reading (夏色: ナイロ and カイロ are girls' names).
    EXPECT_EQ(first(u"夏色の夢").reading, u"ナツイロノユメ");
    // Before words the word dictionary holds whole (招待状, that MeCab cuts
    // into two) as well.
    EXPECT_EQ(first(u"雪色の招待状").reading, u"ユキイロノショウタイジョウ");
    EXPECT_EQ(first(u"言問橋の夜").reading, u"コトトイバシノヨル") << "a place's name need not";
    // Of the name dictionary's readings, the one MeCab gives the characters
    // on their own: after を it reads 二 as a number and 郎 apart, and the
    // place ニロウ is nearest that, but 二郎 alone is the given name ジロウ.
    EXPECT_EQ(first(u"私を二郎に連れてって").reading, u"ワタシヲジロウニツレテッテ");
    // A word and a place's suffix the name dictionary holds together as one
    // place are read as that place (観音 and 橋: バシ, not MeCab's キョウ).
    EXPECT_EQ(first(u"観音橋の夜").reading, u"カンノンバシノヨル");
}

TEST(MecabReadingEngine, ACounterAfterANumberChangesTheSoundsWhereTheyMeet)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    EXPECT_EQ(read(u"一回"), u"イッカイ") << "イチ doubles カ";
    EXPECT_EQ(read(u"八十八ヶ所巡礼"), u"ハチジュウハッカショジュンレイ") << "a counter written with ヶ";
    EXPECT_EQ(read(u"八本"), u"ハッポン") << "ハ becomes パ after the doubling";
    EXPECT_EQ(read(u"十歳"), u"ジュッサイ");
    EXPECT_EQ(read(u"百回"), u"ヒャッカイ");
    EXPECT_EQ(read(u"600本の薔薇"), u"ロッピャッポンノバラ") << "digits joined into one number first";
    EXPECT_EQ(read(u"三本"), u"サンボン") << "ン voices ハ";
    EXPECT_EQ(read(u"四本"), u"ヨンホン") << "but not after ヨン";
    EXPECT_EQ(read(u"六歳"), u"ロクサイ") << "ロク doubles only カ and ハ";
    EXPECT_EQ(read(u"一組"), u"イチクミ") << "a counter in native sounds keeps them";
    // ...unless the word dictionary shows it changing after 一 (一匹 イッピキ):
    // then after every number, digits too.
    EXPECT_EQ(read(u"三匹の子豚"), u"サンビキノコブタ") << "ン voices 匹's ヒ";
    EXPECT_EQ(read(u"生き物3匹"), u"イキモノサンビキ");
    EXPECT_EQ(read(u"六匹"), u"ロッピキ");
    EXPECT_EQ(read(u"四匹"), u"ヨンヒキ") << "not after ヨン";
    // A thousand written with its one is said with it; digits write none.
    EXPECT_EQ(read(u"一千一夜の夢"), u"イッセンイチヤノユメ");
    EXPECT_EQ(read(u"一千万の星"), u"イッセンマンノホシ");
    EXPECT_EQ(read(u"1000年の星"), u"センネンノホシ");
}

TEST(MecabReadingEngine, DecimalsPercentagesAndFractionsAreSaidAsAmounts)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    EXPECT_EQ(read(u"9.5カラット"), u"キュウテンゴカラット");
    EXPECT_EQ(read(u"勇気100%"), u"ユウキヒャクパーセント");
    EXPECT_EQ(read(u"12.5%の確率"), u"ジュウニテンゴパーセントノカクリツ");
    EXPECT_EQ(read(u"1/3の純情な感情"), u"サンブンノイチノジュンジョウナカンジョウ");
    EXPECT_EQ(read(u"1/0の夢"), u"1/0ノユメ") << "no fraction has a zero below";
    // Zero before a counter is 零 as the counter says it; before kana it
    // counts from nothing.
    EXPECT_EQ(read(u"午前0時のスケッチ"), u"ゴゼンレイジノスケッチ");
    EXPECT_EQ(read(u"0と1の間"), u"ゼロトイチノマ");
    EXPECT_EQ(read(u"0%の恋"), u"ゼロパーセントノコイ");
    // A unit after a number beside Japanese is said; letters that go on
    // make a word, not a unit.
    EXPECT_EQ(read(u"時速36km"), u"ジソクサンジュウロクキロ");
    EXPECT_EQ(read(u"恋の36.6℃"), u"コイノサンジュウロクテンロクド");
    EXPECT_EQ(read(u"5kmの恋"), u"ゴキロノコイ");
    EXPECT_EQ(read(u"時速36kmh"), u"ジソク36kmh");
    // Digits in a value with nothing Japanese are no reading of their own.
    EXPECT_FALSE(readValue(engine(), nullptr, u"100%", ReadingStyle::Katakana, 4).reading);
}

TEST(MecabReadingEngine, BadInputGetsAReadingOfKanaOrAClearNoReading)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    for (const char16_t* nothing : {u"☆★♪", u"12345", u"\u0001\u0002", u"   "}) {
        const ValueReading r = readValue(engine(), nullptr, nothing, ReadingStyle::Katakana, 4);
        EXPECT_FALSE(r.reading) << toUtf8(nothing);
        EXPECT_EQ(r.reason, "nothing in it to read in Japanese");
    }
    EXPECT_EQ(read(u"東京\u0001事変\u0085"), u"トウキョウジヘン") << "control characters are left out";
    String title;
    for (int i = 0; i < 40; ++i)
        title += u"王東京夢花";
    const ValueReading r = readValue(engine(), nullptr, title, ReadingStyle::Katakana, 4);
    ASSERT_TRUE(r.reading) << "a 200-character title";
    EXPECT_TRUE(isKanaOnly(*r.reading)) << "no character of the value is kept as its reading";
    EXPECT_EQ(r.confidence, Confidence::Check) << r.reason;
    EXPECT_FALSE(r.reason.empty());
    // Mixed scripts: the Japanese is read, Hangul said in katakana, Cyrillic
    // kept as it is; either makes the reading one to look at, as do Latin
    // letters against the kana.
    const ValueReading mixed = readValue(engine(), nullptr, u"東京Москва서울", ReadingStyle::Katakana, 4);
    ASSERT_TRUE(mixed.reading);
    EXPECT_EQ(*mixed.reading, u"トウキョウМоскваソウル");
    EXPECT_EQ(mixed.confidence, Confidence::Check);
    EXPECT_EQ(mixed.reason, "letters of another script kept as written");
    const ValueReading korean = readValue(engine(), nullptr, u"서울の夜", ReadingStyle::Hiragana, 4);
    EXPECT_EQ(korean.reading, u"そうるのよる");
    EXPECT_EQ(korean.confidence, Confidence::Check);
    EXPECT_EQ(korean.reason, "Hangul written in katakana");
    const ValueReading letters = readValue(engine(), nullptr, u"ㅋㅋの夜", ReadingStyle::Katakana, 4);
    EXPECT_EQ(letters.reading, u"ㅋㅋノヨル") << "a letter outside a syllable has no sound of its own";
    EXPECT_EQ(letters.reason, "Hangul kept as written");
    const ValueReading latin = readValue(engine(), nullptr, u"東京ABCDE", ReadingStyle::Katakana, 4);
    EXPECT_EQ(latin.reading, u"トウキョウABCDE");
    EXPECT_EQ(latin.confidence, Confidence::Check);
    EXPECT_EQ(latin.reason, "Latin letters kept as written");
    // Symbols around a word leave it a reading of its own, with a confidence.
    const ValueReading symbols = readValue(engine(), nullptr, u"☆★東京♪♪", ReadingStyle::Katakana, 4);
    EXPECT_EQ(symbols.reading, u"☆★トウキョウ♪♪");
    EXPECT_NE(symbols.reason, "");
    // Digits only, as full-width digits too, and a lone surrogate: no reading.
    for (const char16_t* nothing : {u"１２３", u"\xD800"}) {
        const ValueReading none = readValue(engine(), nullptr, nothing, ReadingStyle::Katakana, 4);
        EXPECT_FALSE(none.reading) << toUtf8(nothing);
        EXPECT_FALSE(none.reason.empty());
    }
}

TEST(MecabReadingEngine, ABandleadersFullNameBeforeとAndABandInKanaIsReadAsThatPerson)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    const auto artist = [](std::u16string_view value) {
        return readValue(engine(), nullptr, value, ReadingStyle::Katakana, 4);
    };
    const ValueReading led = artist(u"坂本龍一とテクノバンド");
    EXPECT_EQ(led.reading, u"サカモトリュウイチトテクノバンド");
    EXPECT_EQ(led.confidence, Confidence::Likely);
    EXPECT_EQ(led.reason, "a full name the name dictionary holds and a band's name in kana");
    // Not so for a name no dictionary holds whole, a band named in Han
    // characters, or a title.
    EXPECT_NE(artist(u"田中愛美とテクノバンド").reason, led.reason);
    EXPECT_NE(artist(u"坂本龍一と東京楽団").reason, led.reason);
    EXPECT_NE(title(u"坂本龍一とテクノバンド").reason, led.reason);
}

TEST(MecabReadingEngine, APersonsNameBeforeABandsWordInKatakanaIsReadAsThatPerson)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    const auto artist = [](std::u16string_view value) {
        return readValue(engine(), nullptr, value, ReadingStyle::Katakana, 4);
    };
    // Read whole, MeCab cuts the given name (実 ミノル, 貴子 タカコ) before ズ.
    EXPECT_EQ(artist(u"鈴木実貴子ズ").reading, u"スズキミキコズ");
    // The name dictionary holds the person, not the band: likely at most.
    const ValueReading band = artist(u"坂本龍一バンド");
    EXPECT_EQ(band.reading, u"サカモトリュウイチバンド");
    EXPECT_EQ(band.confidence, Confidence::Likely);
    EXPECT_THAT(band.reason, ::testing::HasSubstr("a word of katakana after the name"));
    // A surname alone before katakana has its given name there.
    EXPECT_EQ(artist(u"宇多田ヒカル").confidence, Confidence::Sure);
}

TEST(MecabReadingEngine, NoWrittenWithTheCharacterBetweenTwoWordsIsTheParticleWhereMecabKnowsNoWordOfIt)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    // 乃 read alone was ナイ (月乃光 ツキナイヒカリ).
    EXPECT_EQ(title(u"月乃光").reading, u"ツキノヒカリ");
    EXPECT_EQ(title(u"夢乃国").reading, u"ユメノクニ");
    // A name MeCab knows keeps its own reading of it.
    EXPECT_EQ(title(u"乃木坂").reading, u"ノギザカ");
}

TEST(MecabReadingEngine, TheSmallKeOfPlaceNamesIsGaAfterAWordAndTheCounterKaAfterANumber)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    // MeCab knows ヶ alone as no word; the counter's カ was read everywhere.
    EXPECT_EQ(title(u"虹ヶ咲学園").reading, u"ニジガサキガクエン");
    const ValueReading beach = title(u"夢ヶ浜");
    EXPECT_EQ(beach.reading, u"ユメガハマ");
    // No dictionary holds the place: the word after ヶ may be read otherwise.
    EXPECT_EQ(beach.confidence, Confidence::Check);
    // After a number, in kanji or in digits, it stays the counter.
    EXPECT_EQ(title(u"三ヶ月").reading, u"サンカゲツ");
    EXPECT_EQ(title(u"八十八ヶ所巡礼").reading, u"ハチジュウハッカショジュンレイ");
    EXPECT_EQ(title(u"3ヶ月").reading, u"サンカゲツ");
}

TEST(MecabReadingEngine, AWordMecabHoldsWithoutAReadingOrByItsOldWordTakesTheWordDictionarysReading)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    // MeCab's dictionary holds 檸檬 as an organisation with no reading; read
    // by its characters it was ネイモウ.
    EXPECT_EQ(title(u"檸檬").reading, u"レモン");
    EXPECT_EQ(title(u"檸檬の木").reading, u"レモンノキ");
    // 蓮 before the の of names written ノ: MeCab's ハチス is the word
    // dictionary's old word, ハス the one in use.
    const ValueReading lotus = title(u"蓮ノ空");
    EXPECT_EQ(lotus.reading, u"ハスノソラ");
    EXPECT_THAT(lotus.alternatives, Contains(String(u"ハチスノソラ")));
}

TEST(MecabReadingEngine, KanaOfTheOldSpellingEndingAWordAreReadAsTodaysWhereMecabThenFindsTheWord)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    const ValueReading think = title(u"君を想ふ");
    EXPECT_EQ(think.reading, u"キミヲオモウ") << "想ふ was ソウフ";
    EXPECT_THAT(think.reason, ::testing::HasSubstr("kana of the old spelling read as today's"));
    EXPECT_EQ(title(u"唄ひ手冥利").reading, u"ウタイテミョウリ");
    EXPECT_EQ(title(u"逢ひたくて").reading, u"アイタクテ");
    EXPECT_EQ(title(u"花の匂ひ").reading, u"ハナノニオイ");
    EXPECT_EQ(title(u"思ひ出の渚").reading, u"オモイデノナギサ") << "the reading need not keep the old kana";
    // Today's kana after a Han character stay: a word that begins with
    // them (a given name, ひとつ), or ふ before more kana.
    RunRequest person;
    person.kind = yomi::NameKind::Person;
    EXPECT_EQ(readValue(engine(), nullptr, u"薬師丸ひろ子", ReadingStyle::Katakana, 4, person).reading,
              u"ヤクシマルヒロコ");
    EXPECT_EQ(title(u"心ひとつ").reading, u"ココロヒトツ");
    EXPECT_EQ(title(u"夜ふけの街").reading->substr(0, 3), u"ヨフケ");
}

TEST(MecabReadingEngine, ACoinageWithACharacterNoDictionaryKnowsIsReadInSinoJapaneseSounds)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    // 廻 and 歌 standing alone were read as the native words マワリ and ウタ.
    const ValueReading coined = title(u"封印廻濫");
    EXPECT_EQ(coined.reading, u"フウインカイラン") << "封印 keeps its reading as a word";
    EXPECT_EQ(coined.confidence, Confidence::Check);
    EXPECT_EQ(title(u"歌窈曲").reading, u"カヨウキョク");
    EXPECT_EQ(title(u"風神界逅").reading, u"フウジンカイコウ") << "a word of two characters keeps its voicing";
    // Known characters throughout: MeCab's words stand (花言葉 is no coinage).
    EXPECT_EQ(title(u"花言葉").reading, u"ハナコトバ");
    // A person's value that begins with a word that may be a surname keeps
    // the given name's native reading.
    RunRequest person;
    person.kind = yomi::NameKind::Person;
    EXPECT_EQ(readValue(engine(), nullptr, u"川崎鷹也", ReadingStyle::Katakana, 4, person).reading,
              u"カワサキタカヤ");
    // Known characters throughout may still make a coinage: a title of Han
    // characters alone keeps their on readings among its candidates, in the
    // last place where the others fill them (MeCab's メグリ and its voicings
    // did); a person's name does not.
    const ValueReading song = title(u"巡愛歌");
    ASSERT_EQ(song.alternatives.size(), 4U);
    EXPECT_EQ(song.alternatives.back(), u"ジュンアイカ");
    const ValueReading name = readValue(engine(), nullptr, u"巡愛歌", ReadingStyle::Katakana, 4, person);
    EXPECT_THAT(name.alternatives, ::testing::Not(Contains(String(u"ジュンアイカ"))));
}

TEST(MecabReadingEngine, AnAdjectivesStemStandingAloneInATitleIsReadByItsOnReading)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    // MeCab reads 幽 alone as the stem カソケ of 幽けし, 憂 as ウ of 憂い:
    // no word without an ending.
    const ValueReading alone = title(u"幽");
    EXPECT_EQ(alone.reading, u"ユウ");
    EXPECT_EQ(alone.confidence, Confidence::Check) << alone.reason;
    EXPECT_THAT(alone.alternatives, Contains(String(u"カソケ")));
    EXPECT_EQ(title(u"憂・鬱").reading, u"ユウ・ウツ") << "a sign after it cuts the ending off too";
    // A character outside the list in common use keeps the stem (儚's on
    // reading ボウ is in no word); so does a stem before its ending.
    EXPECT_EQ(title(u"儚").reading, u"ハカナ");
    EXPECT_EQ(title(u"憂いの夜").reading->substr(0, 2), u"ウレ");
}

TEST(MecabReadingEngine, InATitleAUsuallyVoicedLastWordIsVoicedAfterAPlaceMecabTakesForASurname)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    // 潮来 is a surname to MeCab; 笠 is voiced in most of the word
    // dictionary's compounds (編み笠 アミガサ).
    const ValueReading read = title(u"潮来笠");
    EXPECT_EQ(read.reading, u"イタコガサ");
    EXPECT_EQ(read.reason, "a sound change in a compound") << "a guess from other words, not a word of its own";
}

TEST(MecabReadingEngine, ASongsAndARiversSuffixAreReadAsSuffixesWhereMecabReadsAWord)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    // MeCab reads 節 after 木曽 and 相馬 as the given name タカシ; after 草津
    // it reads the suffix itself.
    for (const auto& [value, reading] : {std::pair{u"木曽節", u"キソブシ"}, std::pair{u"相馬節", u"ソウマブシ"},
                                         std::pair{u"草津節", u"クサツブシ"}}) {
        const ValueReading r = title(value);
        EXPECT_EQ(r.reading, reading) << toUtf8(value);
        EXPECT_EQ(r.confidence, Confidence::Check) << toUtf8(value) << ": the song's name may be read otherwise";
    }
    // Not in a person's name, nor after kana (a word of a sentence).
    RunRequest person;
    person.kind = yomi::NameKind::Person;
    EXPECT_EQ(readValue(engine(), nullptr, u"相馬節", ReadingStyle::Katakana, 4, person).reading, u"ソウマタカシ");
    EXPECT_EQ(title(u"命の節").reading, u"イノチノフシ");
    // 河 after a foreign place's name is its river, voiced as 川 is.
    EXPECT_EQ(title(u"ライン河").reading, u"ラインガワ");
    EXPECT_EQ(title(u"ナイル河の畔").reading, u"ナイルガワノホトリ");
}

TEST(MecabReadingEngine, ACharacterMecabReadsAloneAfterASinoJapaneseWordGoesOnInItsSounds)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    // MeCab reads 郷 after 幻想 and 黄金 as the native word サト.
    const ValueReading utopia = title(u"幻想郷");
    EXPECT_EQ(utopia.reading, u"ゲンソウキョウ");
    EXPECT_EQ(utopia.confidence, Confidence::Check) << "a coinage no dictionary holds whole";
    EXPECT_THAT(utopia.reason, ::testing::HasSubstr("on readings"));
    EXPECT_THAT(utopia.alternatives, Contains(String(u"ゲンソウサト"))) << "MeCab's words stay a candidate";
    EXPECT_EQ(title(u"黄金郷").reading, u"オウゴンキョウ");
    // A suffix keeps its native reading, a character before kana stands as
    // a word of a sentence, and a number with its counter starts no such
    // compound.
    EXPECT_EQ(title(u"幸福坂").reading, u"コウフクザカ");
    EXPECT_EQ(title(u"永遠桜の歌").reading->substr(0, 7), u"エイエンザクラ");
    EXPECT_EQ(title(u"三人娘").reading, u"サンニンムスメ");
    // A word of two characters MeCab reads natively (恋歌 コイウタ) takes the
    // word dictionary's on reading of it there (レンカ); a place's name keeps
    // its own (芸能 and 山城: ヤマシロ, not the castle サンジョウ).
    EXPECT_EQ(title(u"桃源恋歌").reading, u"トウゲンレンカ");
    EXPECT_EQ(title(u"芸能山城組").reading, u"ゲイノウヤマシログミ");
}

TEST(MecabReadingEngine, AWordSpeltOutBetweenMiddleDotsIsReadAsTheWord)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    // Read apart, 走 alone was ソウ and れ, る no word.
    EXPECT_EQ(title(u"走・れ・る").reading, u"ハシレル");
    EXPECT_EQ(title(u"あ・し・た").reading, u"アシタ");
    // Han characters alone may each be a word; two characters, or a longer
    // word against the last, are no word spelt out.
    EXPECT_EQ(title(u"夢・恋・愛").reading, u"ユメ・コイ・アイ");
    EXPECT_EQ(title(u"愛・地球").reading, u"アイ・チキュウ");
    for (const char16_t* value : {u"走・れ", u"あ・し・た天気"})
        EXPECT_NE(title(value).reading.value_or(String()).find(u'・'), String::npos) << toUtf8(value);
}

TEST(MecabReadingEngine, AnIterationMarkMeCabLeavesAloneIsReadAsTheCharacterItRepeats)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    // MeCab reads 々 after 妖 as a symbol, which left the whole run unread.
    const ValueReading r = title(u"妖々夢");
    ASSERT_TRUE(r.reading) << r.reason;
    EXPECT_TRUE(r.reading->starts_with(u"ヨウヨウ")) << toUtf8(*r.reading);
    EXPECT_EQ(r.confidence, Confidence::Check);
    EXPECT_TRUE(r.reason.starts_with("々 read as the character it repeats")) << r.reason;
    EXPECT_EQ(title(u"時々").reading, u"トキドキ") << "a word MeCab knows keeps its own reading";
    EXPECT_EQ(title(u"時々").confidence, Confidence::Sure);
    for (const char16_t* alone : {u"々", u"々夢"})
        EXPECT_FALSE(title(alone).reading) << "nothing before it to repeat: " << toUtf8(alone);
}

TEST(MecabReadingEngine, KatakanaOkuriganaAreReadAsTheEndingOfTheirWord)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    EXPECT_EQ(read(u"走リ出ス夢"), u"ハシリダスユメ");
    EXPECT_EQ(read(u"飛ビ出セ青春"), u"トビダセセイシュン");
    EXPECT_EQ(read(u"想イ出"), u"オモイデ");
    EXPECT_EQ(read(u"悲シミノ果テ"), u"カナシミノハテ") << "okurigana with the particle after them";
    EXPECT_EQ(read(u"笑イノ種"), u"ワライノタネ");
    EXPECT_EQ(read(u"勇者伝ワタル"), u"ユウシャデンワタル") << "a name after a word: 伝わ is no word here";
    // Before a word of katakana, kana that end a word standing alone.
    EXPECT_EQ(read(u"泣キムシ"), u"ナキムシ");
    EXPECT_EQ(read(u"晴レマーク"), u"ハレマーク");
    EXPECT_EQ(read(u"大槻ケンヂ"), u"オオツキケンヂ") << "katakana that are no okurigana stay a word";
    EXPECT_EQ(read(u"東京ドーム"), u"トウキョウドーム");
    // In a person's name katakana after a surname the name dictionary holds
    // are the given name, not the ending of a verb (咲こう, 入れ); and a
    // prefix MeCab took the surname's last character for (入 ニュウ) is no
    // reading the surname must keep.
    RunRequest person;
    person.kind = yomi::NameKind::Person;
    const auto name = [&](std::u16string_view value) {
        return readValue(engine(), nullptr, value, ReadingStyle::Katakana, 4, person).reading;
    };
    EXPECT_EQ(name(u"藤咲コウ"), u"フジサキコウ");
    EXPECT_EQ(name(u"家入ルナ"), u"イエイリルナ");
    EXPECT_EQ(name(u"走リ出ス"), u"ハシリダス") << "no surname before the katakana";
}

TEST(MecabReadingEngine, ASettledLanguageReadsARunThatLooksChineseAndKnowNamesTheSigns)
{
    ASSERT_TRUE(engine().available()) << engine().missing();
    RunRequest request;
    const RunReading refused = engine().readRun(u"周慧敏", request);
    EXPECT_TRUE(refused.readings.empty());
    EXPECT_THAT(refused.reason, HasSubstr("looks Chinese: "));
    request.languageSettled = true;
    const RunReading settled = engine().readRun(u"周慧敏", request);
    ASSERT_FALSE(settled.readings.empty()) << "a value the user or the decider settled as Japanese is read";
    EXPECT_NE(settled.confidence, Confidence::Sure) << settled.reason;

    const RunKnowledge chinese = engine().know(u"周慧敏");
    EXPECT_TRUE(chinese.looksChinese);
    EXPECT_FALSE(chinese.wholeName);
    EXPECT_THAT(chinese.evidence, Contains(HasSubstr("sounds its characters do not have in Japanese")));
    const RunKnowledge name = engine().know(u"新垣結衣");
    EXPECT_TRUE(name.wholeName) << "MeCab's dictionary has the surname and the given name";
    EXPECT_FALSE(name.looksChinese);
    const RunKnowledge word = engine().know(u"東京");
    EXPECT_TRUE(word.wholeWord);
    EXPECT_FALSE(word.looksChinese);
    EXPECT_THAT(word.evidence, Contains("the whole value is a Japanese word"));
    EXPECT_FALSE(engine().know(u"").looksChinese);
}

TEST(MecabReadingEngine, PreparedOnAThreadOfItsOwnItReadsAsWhenOpenedOnTheFirstRead)
{
    test::TempFolder dir;
    auto paths = EnginePaths::system();
    paths.cacheDir = dir.path();
    MecabReadingEngine prepared(paths);
    prepared.prepare();
    EXPECT_TRUE(prepared.available());
    EXPECT_EQ(readValue(prepared, nullptr, u"坂本龍一", ReadingStyle::Katakana, 4).reading, u"サカモトリュウイチ");
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "names.idx")) << "the name dictionary was opened too";
    MecabReadingEngine dropped(paths);
    dropped.prepare(); // destroyed while it may still be opening
}

TEST(MecabReadingEngine, WithoutADictionaryItIsUnavailableAndNamesThePackage)
{
    test::TempFolder dir;
    MecabReadingEngine none(EnginePaths{{dir.path() / "nothing"}, dir.path() / "enamdict", dir.path(), {}, {}, {}, {}, {}, {}});
    EXPECT_FALSE(none.available());
    EXPECT_THAT(none.missing(), HasSubstr("mecab-ipadic-utf8"));
    EXPECT_TRUE(none.read(u"東京", 3).empty());
}

} // namespace
} // namespace yomi::reading
