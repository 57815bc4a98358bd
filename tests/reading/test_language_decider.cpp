// The language decision: each kind of evidence, named, and how the library
// around a value settles what the value alone leaves open.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "Reading/Chinese/ChineseValueReader.h"
#include "Reading/Korean/HanjaDictionary.h"
#include "Reading/Language/EvidenceDecider.h"
#include "support/AudioFixtures.h"
#include "support/RimeTables.h"

namespace yomi::language {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

// A Japanese engine with fixed readings (Likely, unless it doubts them:
// Check with the reason) and fixed knowledge of runs.
class KnowingEngine final : public ReadingEngine {
public:
    std::map<String, std::vector<String>> readings;
    std::map<String, std::string> doubts;
    std::map<String, RunKnowledge> knowledge;
    std::vector<String> readAsked;
    bool available() const override { return true; }
    std::vector<String> read(std::u16string_view run, std::size_t) override
    {
        readAsked.emplace_back(run);
        const auto found = readings.find(String(run));
        return found == readings.end() ? std::vector<String>{} : found->second;
    }
    RunReading readRun(std::u16string_view run, const RunRequest& request) override
    {
        RunReading out;
        out.readings = read(run, request.limit);
        const auto doubt = doubts.find(String(run));
        out.confidence = doubt == doubts.end() ? Confidence::Likely : Confidence::Check;
        out.reason = doubt == doubts.end() ? "" : doubt->second;
        return out;
    }
    RunKnowledge know(std::u16string_view run) override
    {
        const auto found = knowledge.find(String(run));
        return found == knowledge.end() ? RunKnowledge{} : found->second;
    }
};

struct Decider : ::testing::Test {
    KnowingEngine japanese;
    EvidenceDecider decider{&japanese, nullptr};
    ValueContext person;
};

TEST_F(Decider, TheValuesOwnCharactersDecideFirst)
{
    EXPECT_EQ(decider.decide(u"桜井和寿", person, Language::Chinese).evidence.front(),
              "a form only Japanese writes (桜)");
    EXPECT_EQ(decider.decide(u"佐々木", person, Language::Chinese).language, Language::Japanese);
    const LanguageDecision men = decider.decide(u"我们", person, Language::Japanese);
    EXPECT_EQ(men.language, Language::Chinese);
    EXPECT_TRUE(men.clear);
    EXPECT_EQ(men.evidence.front(), "a character only simplified Chinese writes (们)");
    EXPECT_EQ(decider.decide(u"이정현", person, Language::Japanese).language, Language::Korean);
    EXPECT_EQ(decider.decide(u"ゆず", person, Language::Chinese).language, Language::Japanese);
    EXPECT_EQ(decider.decide(u"Nirvana 1991", person, Language::Japanese).language, Language::None);
    EXPECT_TRUE(isJapaneseOnlyForm(U'込'));
    EXPECT_FALSE(isJapaneseOnlyForm(U'況')) << "a standard traditional form too";
    EXPECT_TRUE(isJapaneseOnlyForm(U'\U00020BB7')) << "𠮷, outside the Basic Multilingual Plane";
    EXPECT_TRUE(isOutsideJapaneseSet(U'嬅'));
    EXPECT_FALSE(isOutsideJapaneseSet(U'﨑')) << "a form Japanese names use";
}

TEST_F(Decider, TheDictionariesWeighAChineseSurnameAgainstWhatJapaneseKnows)
{
    japanese.readings[u"坂本龍一"] = {u"サカモト リュウイチ"};
    japanese.knowledge[u"坂本"].wholeName = true;
    const LanguageDecision sakamoto = decider.decide(u"坂本龍一", person, Language::Chinese);
    EXPECT_EQ(sakamoto.language, Language::Japanese) << "the default is Chinese, the evidence Japanese";
    EXPECT_FALSE(sakamoto.clear) << "the name dictionary is broad: its prefix alone is weak evidence";
    EXPECT_THAT(sakamoto.evidence, Contains("begins with a Japanese name (坂本)"));

    // The engine refuses it as a Chinese name; a common surname begins it.
    japanese.knowledge[u"周華健"].looksChinese = true;
    const LanguageDecision zhou = decider.decide(u"周華健", person, Language::Japanese);
    EXPECT_EQ(zhou.language, Language::Chinese);
    EXPECT_TRUE(zhou.clear);
    EXPECT_THAT(zhou.evidence, Contains("a common Chinese surname (周) and a given name of 2 characters"));
    EXPECT_THAT(zhou.evidence, Contains("the Japanese engine reads it as a Chinese name"));

    // A whole name the Japanese dictionary holds stays Japanese even with a
    // Chinese surname's shape.
    japanese.readings[u"林檎"] = {u"リンゴ"};
    japanese.knowledge[u"林檎"].wholeWord = true;
    const LanguageDecision ringo = decider.decide(u"林檎", person, Language::Chinese);
    EXPECT_EQ(ringo.language, Language::Japanese);
    EXPECT_EQ(ringo.evidence.front(), "a Japanese dictionary holds it whole");
}

TEST_F(Decider, TheShapeOfANameWeighsItsSurnameAndGivenNameByLanguage)
{
    // A surname Japanese families share (秦) before a given name the
    // Japanese name dictionary knows is a Japanese name, though the engine
    // reads it as neither.
    japanese.knowledge[u"基博"].wholeName = true;
    const LanguageDecision hata = decider.decide(u"秦基博", person, Language::Chinese);
    EXPECT_EQ(hata.language, Language::Japanese);
    EXPECT_THAT(hata.evidence, Contains("a surname Japanese families have too (秦) and a Japanese given name (基博)"));
    EXPECT_THAT(hata.evidence, ::testing::Not(Contains(HasSubstr("Chinese surname"))));

    // A name dictionary that holds the whole name (in Japanese sounds) is
    // outweighed by a common Chinese surname Japanese families do not have;
    // not for a given name of one character (the engine's dictionary knows
    // such stage names better).
    japanese.knowledge[u"鄭秀文"].wholeName = true;
    japanese.readings[u"鄭秀文"] = {u"テイ シュウブン"};
    const LanguageDecision cheng = decider.decide(u"鄭秀文", person, Language::Japanese);
    EXPECT_EQ(cheng.language, Language::Chinese);
    EXPECT_THAT(cheng.evidence, Contains("a common Chinese surname that Japanese families seldom have (鄭)"));
    japanese.knowledge[u"白竜"].wholeName = true;
    japanese.readings[u"白竜"] = {u"ハクリュウ"};
    EXPECT_EQ(decider.decide(u"白竜", person, Language::Chinese).language, Language::Japanese);

    // The characters of given names: a Chinese one's, a Japanese one's ending.
    japanese.readings[u"許茹芸"] = {u"キョ ジョウン"};
    EXPECT_THAT(decider.decide(u"許茹芸", person, Language::Japanese).evidence,
                Contains("a character of Chinese given names (茹)"));
    japanese.readings[u"森進郎"] = {u"モリ シンロウ"};
    EXPECT_THAT(decider.decide(u"森進郎", person, Language::Japanese).evidence,
                Contains("ends as Japanese given names do (郎)"));

    // Old forms that Japanese replaced count for a name, weakly, not for a
    // title (a Japanese title may choose them: 雪國).
    japanese.readings[u"信樂團"] = {u"シンガクダン"};
    const LanguageDecision band = decider.decide(u"信樂團", person, Language::Chinese);
    EXPECT_THAT(band.evidence, Contains("old forms that Japanese writes otherwise today (樂團)"));
    EXPECT_EQ(band.language, Language::Chinese);
    EXPECT_FALSE(band.clear) << "weak evidence, and the engine reads the value: the default decides";
    japanese.readings.erase(u"信樂團");
    japanese.knowledge[u"信樂團"].looksChinese = true;
    EXPECT_TRUE(decider.decide(u"信樂團", person, Language::Japanese).clear)
        << "with the engine's refusal it is Chinese clearly";
    ValueContext title;
    title.kind = NameKind::Title;
    EXPECT_EQ(decider.decide(u"雪國", title, Language::Japanese).language, Language::Japanese);
}

TEST(GivenNameCharacters, AreTheGradedCharactersOfTheCharacterDictionary)
{
    const auto table = GivenNameCharacters::parse("# comment G1 line\n"
                                                  "慈 3C37 U6148 B61 G8 S13 F1321 Yci2 ジ いつく.しむ\n"
                                                  "峯 4A77 U5cef B46 G10 S10 Yfeng1 ホウ みね\n"
                                                  "沛 5D6F U6c9b B85 S8 N2518 Ypei4 ハイ {big rain}\n"
                                                  "涛 4573 U6d9b B85 S10 XJ05E39 Ytao1 Wdo トウ {G7 waves}\n");
    EXPECT_TRUE(table->available());
    EXPECT_TRUE(table->allowed(U'慈')) << "grade 8: the common-use list";
    EXPECT_TRUE(table->allowed(U'峯')) << "grade 10: the list for names";
    EXPECT_FALSE(table->allowed(U'沛')) << "no grade";
    EXPECT_FALSE(table->allowed(U'涛')) << "a G inside a meaning is no grade";

    const GivenNameCharacters missing("/nonexistent/kanjidic");
    EXPECT_FALSE(missing.available());
    EXPECT_TRUE(missing.allowed(U'沛')) << "without the dictionary there is no evidence";
}

struct DeciderWithNames : Decider {
    EvidenceDecider named{&japanese, nullptr,
                          GivenNameCharacters::parse("慈 3C37 U6148 G8 Yci2\n然 4133 U7136 G4 Yran2\n"
                                                     "坊 4B56 U574a G8\n主 3C47 U4e3b G3\n")};
};

TEST_F(DeciderWithNames, AGivenNameJapaneseGivenNamesCannotHoldIsChinese)
{
    // The engine reads the name; its given name holds a character outside
    // the lists Japanese given names are written with.
    japanese.readings[u"曾沛慈"] = {u"ソウ ハイジ"};
    const LanguageDecision tseng = named.decide(u"曾沛慈", person, Language::Japanese);
    EXPECT_EQ(tseng.language, Language::Chinese);
    EXPECT_TRUE(tseng.clear);
    EXPECT_THAT(tseng.evidence, Contains("a given name with a character Japanese given names may not hold (沛)"));
    const LanguageDecision without = decider.decide(u"曾沛慈", person, Language::Japanese);
    EXPECT_FALSE(without.clear) << "without the character dictionary only the surname outweighs the reading, weakly";
    EXPECT_THAT(without.evidence, ::testing::Not(Contains(HasSubstr("may not hold"))));

    // Old forms have evidence of their own (a Japanese name may keep 聰),
    // and a Japanese surname's shape keeps the rule off (柴田).
    japanese.readings[u"林聰"] = {u"ハヤシ サトシ"};
    EXPECT_THAT(named.decide(u"林聰", person, Language::Japanese).evidence,
                ::testing::Not(Contains(HasSubstr("may not hold"))));
    japanese.readings[u"柴田沛"] = {u"シバタ ハイ"};
    EXPECT_THAT(named.decide(u"柴田沛", person, Language::Japanese).evidence,
                ::testing::Not(Contains(HasSubstr("may not hold"))));
}

TEST_F(DeciderWithNames, AJapaneseWordAcrossTheSurnameAndTheGivenNameIsNoChineseName)
{
    // 石 is a Chinese surname and 鹸 no Japanese given name's character;
    // but 石鹸 is a Japanese word, and 石鹸屋 a word and a suffix (a band).
    japanese.readings[u"石鹸屋"] = {u"セッケンヤ"};
    EXPECT_EQ(named.decide(u"石鹸屋", person, Language::Japanese).language, Language::Chinese)
        << "a dictionary without the word";
    japanese.knowledge[u"石鹸"].wholeWord = true;
    const LanguageDecision band = named.decide(u"石鹸屋", person, Language::Japanese);
    EXPECT_EQ(band.language, Language::Japanese);
    EXPECT_THAT(band.evidence, Contains("begins with a Japanese word (石鹸)"));
    EXPECT_THAT(band.evidence, ::testing::Not(Contains(HasSubstr("Chinese surname"))));
    EXPECT_THAT(band.evidence, ::testing::Not(Contains(HasSubstr("may not hold"))));
}

TEST_F(DeciderWithNames, TheEnginesReadingWeighsLessAfterASurnameJapaneseFamiliesSeldomHave)
{
    // 任 is a common Chinese surname Japanese families seldom have: the
    // engine's reading of the name no longer cancels it.
    japanese.readings[u"任然"] = {u"ニン ゼン"};
    const LanguageDecision ren = named.decide(u"任然", person, Language::Japanese);
    EXPECT_EQ(ren.language, Language::Chinese);
    EXPECT_FALSE(ren.clear) << "the surname against the engine's reading: weak";
    EXPECT_THAT(ren.evidence, Contains("the Japanese engine reads it as a Japanese name"));

    // After a surname Japanese families have too (林) it weighs fully: the
    // two are even.
    japanese.readings[u"林然"] = {u"ハヤシ ゼン"};
    const LanguageDecision lin = named.decide(u"林然", person, Language::Japanese);
    EXPECT_EQ(lin.language, Language::Japanese);
    EXPECT_EQ(lin.evidence.back(), "nothing decides: the default language");

    // A given part that is a Japanese word (a band's name) keeps its weight.
    japanese.readings[u"藍坊主"] = {u"アイボウズ"};
    japanese.knowledge[u"坊主"].wholeWord = true;
    const LanguageDecision band = named.decide(u"藍坊主", person, Language::Chinese);
    EXPECT_EQ(band.language, Language::Chinese) << "even: the default";
    EXPECT_FALSE(band.clear);
    EXPECT_EQ(named.decide(u"藍坊主", person, Language::Japanese).language, Language::Japanese);
}

TEST_F(Decider, ABandsNameThatIsAChineseWordAndNoJapaneseOneLeansChinese)
{
    test::TempFolder folder;
    chinese::ChineseValueReader chineseReader(
        test::rimePaths(folder, "滅\tmie\t100\n火\thuo\t500\n器\tqi\t300\n滅火器\tmie huo qi\t200\n", ""));
    EvidenceDecider withChinese{&japanese, &chineseReader};
    // The Japanese engine does not read it, for its own signs of a Chinese
    // name: asked once the value leans Chinese, its refusal settles it.
    japanese.knowledge[u"滅火器"].looksChinese = true;
    const LanguageDecision band = withChinese.decide(u"滅火器", person, Language::Japanese);
    EXPECT_EQ(band.language, Language::Chinese);
    EXPECT_TRUE(band.clear);
    EXPECT_THAT(band.evidence, Contains("a word of the Chinese dictionary that the Japanese ones do not hold"));
    japanese.knowledge.erase(u"滅火器");
    EXPECT_EQ(decider.decide(u"滅火器", person, Language::Japanese).language, Language::Japanese)
        << "without the Chinese dictionary nothing decides and the engine is not asked";

    // Not for a title (Japanese titles are often words Chinese shares), nor
    // for a word a Japanese dictionary holds.
    ValueContext title;
    title.kind = NameKind::Title;
    EXPECT_THAT(withChinese.decide(u"滅火器", title, Language::Japanese).evidence,
                ::testing::Not(Contains(HasSubstr("Chinese dictionary"))));
    japanese.knowledge[u"滅火器"].wholeWord = true;
    EXPECT_THAT(withChinese.decide(u"滅火器", person, Language::Japanese).evidence,
                ::testing::Not(Contains(HasSubstr("Chinese dictionary"))));
}

TEST_F(Decider, TheLibraryAroundTheValueSettlesWhatTheValueLeavesOpen)
{
    japanese.readings[u"天国"] = {u"テンゴク"};
    ValueContext title;
    title.kind = NameKind::Title;
    const LanguageDecision alone = decider.decide(u"天国", title, Language::Chinese);
    EXPECT_EQ(alone.language, Language::Chinese) << "the default";
    EXPECT_FALSE(alone.clear);
    EXPECT_EQ(alone.evidence.back(), "nothing decides: the default language");

    title.texts = 4;
    title.hanTexts = 4;
    title.kanaTexts = 3;
    const LanguageDecision kana = decider.decide(u"天国", title, Language::Chinese);
    EXPECT_EQ(kana.language, Language::Japanese);
    EXPECT_TRUE(kana.clear);
    EXPECT_EQ(kana.evidence.front(), "3 of 4 texts around it hold kana");

    title.kanaTexts = 0;
    title.simplifiedTexts = 2;
    const LanguageDecision simplified = decider.decide(u"天国", title, Language::Japanese);
    EXPECT_EQ(simplified.language, Language::Chinese);
    EXPECT_EQ(simplified.evidence.front(), "2 of 4 texts around it hold characters only simplified Chinese writes");

    title.simplifiedTexts = 0;
    const LanguageDecision noKana = decider.decide(u"天国", title, Language::Japanese);
    EXPECT_EQ(noKana.language, Language::Chinese);
    EXPECT_THAT(noKana.evidence, Contains("none of the 4 texts with Han characters around it holds kana"));
    title.hanTexts = 1;
    EXPECT_EQ(decider.decide(u"天国", title, Language::Japanese).language, Language::Japanese)
        << "texts of Latin letters (an album of English titles) say nothing";
}

TEST_F(Decider, HanjaAmongKoreanTextsAreKoreanWhereTheKoreanEngineCanReadThem)
{
    ValueContext around;
    around.kind = NameKind::Title;
    around.texts = 4;
    around.hanTexts = 1;
    around.hangulTexts = 3;
    const auto language = [&] { return decider.decide(u"東方神起", around, Language::Japanese).language; };
    EXPECT_EQ(language(), Language::Japanese) << "no hanja table: Korean could not read it";
    decider.setHanja(std::make_shared<korean::HanjaDictionary>("/nonexistent/hanja.txt"));
    EXPECT_EQ(language(), Language::Japanese) << "nor with a table that cannot be read";

    test::TempFolder folder;
    decider.setHanja(std::make_shared<korean::HanjaDictionary>(folder.writeFile("hanja.txt", "동:東:동녘 동\n")));
    const LanguageDecision korean = decider.decide(u"東方神起", around, Language::Japanese);
    EXPECT_EQ(korean.language, Language::Korean);
    EXPECT_FALSE(korean.clear) << "texts around it are no proof: a person should look";
    EXPECT_EQ(korean.evidence.front(), "3 of 4 texts around it hold Hangul, none kana");

    around.hangulTexts = 1;
    EXPECT_EQ(language(), Language::Japanese) << "Hangul in few of the texts around it";
    around.hangulTexts = 3;
    around.kanaTexts = 1;
    EXPECT_EQ(language(), Language::Japanese) << "kana among them";
    around.kanaTexts = 0;
    around.librarySortValues = {u"トウホウシンキ"};
    EXPECT_EQ(language(), Language::Japanese) << "the library sorts it by a kana reading";
}

TEST_F(Decider, TheLibrarysOwnSortValueOfTheValueOutweighsTheTextsAroundIt)
{
    test::TempFolder folder;
    chinese::ChineseValueReader chineseReader(test::rimePaths(folder, "林\tlin\t500\n強\tqiang\t300\n", ""));
    EvidenceDecider withChinese{&japanese, &chineseReader};
    japanese.readings[u"林強"] = {u"ハヤシツヨシ"};
    // Japanese albums around it, but its tracks sort it by its pinyin,
    // with tones or without: Chinese.
    ValueContext around = person;
    around.texts = 4;
    around.hanTexts = 4;
    around.kanaTexts = 3;
    for (const char16_t* pinyin : {u"Lín Qiáng", u"LIN QIANG", u"Linqiang"}) {
        around.librarySortValues = {u"Sakamoto", pinyin};
        const LanguageDecision d = withChinese.decide(u"林強", around, Language::Japanese);
        EXPECT_EQ(d.language, Language::Chinese) << toUtf8(pinyin);
        EXPECT_TRUE(d.clear);
        EXPECT_EQ(d.evidence.front(), "the library sorts it by its pinyin (" + toUtf8(pinyin) + ")");
    }
    // Another romanisation, or letters the reading does not spell, say
    // nothing: the texts around decide.
    for (const char16_t* other : {u"Lim Giong", u"Lin Qiang Band", u"Lin Qiang 2"}) {
        around.librarySortValues = {other};
        const LanguageDecision d = withChinese.decide(u"林強", around, Language::Japanese);
        EXPECT_EQ(d.language, Language::Japanese) << toUtf8(other) << ::testing::PrintToString(d.evidence);
    }

    // Chinese texts around it, but a kana sort value (its own letters and
    // signs kept): Japanese. Kana beside letters the value lacks is not one.
    around.kanaTexts = 0;
    around.librarySortValues = {u"ハヤシ ツヨシ"};
    const LanguageDecision kana = withChinese.decide(u"林強", around, Language::Chinese);
    EXPECT_EQ(kana.language, Language::Japanese) << ::testing::PrintToString(kana.evidence);
    EXPECT_EQ(kana.evidence.front(), "the library sorts it by a kana reading (ハヤシ ツヨシ)");
    around.librarySortValues = {u"はやし\u3000つよし"};
    EXPECT_EQ(withChinese.decide(u"林強", around, Language::Chinese).language, Language::Japanese)
        << "an input method's ideographic space is a space";
    around.librarySortValues = {u"ハヤシ強"};
    EXPECT_EQ(withChinese.decide(u"林強", around, Language::Chinese).language, Language::Chinese)
        << "a Han character left unread is no kana reading";
    around.librarySortValues = {u"ハヤシ&DJ"};
    EXPECT_EQ(withChinese.decide(u"林強&DJ", around, Language::Chinese).language, Language::Japanese);
    around.librarySortValues = {u"ハヤシ&DJ"};
    EXPECT_EQ(withChinese.decide(u"林強", around, Language::Chinese).language, Language::Chinese);
}

TEST_F(Decider, TheJapaneseEngineIsAskedToReadOnlyWhatLooksChineseAndItsAnswerWeighs)
{
    japanese.readings[u"山田太郎"] = {u"ヤマダ タロウ"};
    EXPECT_EQ(decider.decide(u"山田太郎", person, Language::Japanese).language, Language::Japanese);
    EXPECT_TRUE(japanese.readAsked.empty()) << "nothing looked Chinese: no reading was asked for";

    // A Japanese surname's shape (柴田) keeps a Chinese surname (柴) from
    // counting.
    const LanguageDecision shibata = decider.decide(u"柴田淳", person, Language::Chinese);
    EXPECT_EQ(shibata.language, Language::Japanese);
    EXPECT_THAT(shibata.evidence, Contains("begins as Japanese surnames do (柴田)"));

    // A name the engine reads stays Japanese (the default) though shaped as
    // a Chinese one.
    japanese.readings[u"林明"] = {u"ハヤシ アキラ"};
    const LanguageDecision hayashi = decider.decide(u"林明", person, Language::Japanese);
    EXPECT_EQ(hayashi.language, Language::Japanese);
    EXPECT_FALSE(hayashi.clear);
    EXPECT_THAT(hayashi.evidence, Contains("the Japanese engine reads it as a Japanese name"));
    EXPECT_THAT(japanese.readAsked, ::testing::ElementsAre(u"林明"));

    // The engine's own signs of a Chinese name, through know(), count where
    // it refuses the value for them, not where it reads it all the same.
    japanese.knowledge[u"林明"].looksChinese = true;
    japanese.knowledge[u"林明"].evidence = {"a one-character surname and a common word"};
    EXPECT_EQ(decider.decide(u"林明", person, Language::Japanese).language, Language::Japanese);
    japanese.readings.erase(u"林明");
    const LanguageDecision signs = decider.decide(u"林明", person, Language::Japanese);
    EXPECT_EQ(signs.language, Language::Chinese);
    EXPECT_TRUE(signs.clear);
    EXPECT_THAT(signs.evidence,
                Contains("the Japanese engine reads it as a Chinese name (a one-character surname "
                         "and a common word)"));
}

TEST_F(Decider, AReadingTheJapaneseEngineDoubtsWeighsLess)
{
    // 廖 is a Chinese surname Japanese families seldom have: the reading
    // weighs 1, and 0 when the engine doubts it (characters read one by one).
    japanese.readings[u"廖昌永"] = {u"リョウショウエイ"};
    const LanguageDecision sure = decider.decide(u"廖昌永", person, Language::Japanese);
    EXPECT_EQ(sure.language, Language::Chinese);
    EXPECT_FALSE(sure.clear);
    japanese.doubts[u"廖昌永"] = "characters no dictionary knows, read one by one";
    const LanguageDecision doubted = decider.decide(u"廖昌永", person, Language::Japanese);
    EXPECT_EQ(doubted.language, Language::Chinese);
    EXPECT_TRUE(doubted.clear) << "the common surname alone";
    EXPECT_THAT(doubted.evidence, Contains("the Japanese engine reads it as a Japanese name and doubts it "
                                           "(characters no dictionary knows, read one by one)"));

    // Not where what follows the surname is a Japanese word: a band's name
    // (藍坊主) is read as a compound no dictionary holds whole.
    japanese.readings[u"藍坊主"] = {u"アイボウズ"};
    japanese.doubts[u"藍坊主"] = "a compound no dictionary has whole";
    japanese.knowledge[u"坊主"].wholeWord = true;
    const LanguageDecision band = decider.decide(u"藍坊主", person, Language::Japanese);
    EXPECT_EQ(band.language, Language::Japanese);
    EXPECT_THAT(band.evidence, Contains("the Japanese engine reads it as a Japanese name"));
}

TEST_F(Decider, AValueTheJapaneseEngineHasNoReadingForIsNoChineseNameForThat)
{
    // 胅 is outside the Japanese character set and in none of the engine's
    // dictionaries: it reads nothing, and has no sign of a Chinese name.
    // The character counts once, not again as the engine's refusal, and a
    // Japanese surname before it leaves the language unclear.
    japanese.knowledge[u"櫛田"].wholeName = true;
    const LanguageDecision kushida = decider.decide(u"櫛田胅之扶", person, Language::Japanese);
    EXPECT_THAT(kushida.evidence, Contains(HasSubstr("outside the Japanese character set (胅)")));
    EXPECT_THAT(kushida.evidence, ::testing::Not(Contains(HasSubstr("reads it as a Chinese name"))));
    EXPECT_FALSE(kushida.clear);
    // With its own signs, the same refusal counts.
    japanese.knowledge[u"櫛田胅之扶"].looksChinese = true;
    const LanguageDecision signs = decider.decide(u"櫛田胅之扶", person, Language::Japanese);
    EXPECT_THAT(signs.evidence, Contains(HasSubstr("reads it as a Chinese name")));
    EXPECT_TRUE(signs.clear);
}

TEST(DeciderWithoutEngines, TheCharactersAndTheLibraryStillDecide)
{
    EvidenceDecider decider(nullptr, nullptr);
    ValueContext context;
    const LanguageDecision d = decider.decide(u"楊千嬅", context, Language::Japanese);
    EXPECT_EQ(d.language, Language::Chinese);
    EXPECT_THAT(d.evidence, Contains(HasSubstr("outside the Japanese character set (嬅)")));
    EXPECT_EQ(decider.decide(u"", context, Language::Chinese).language, Language::None);
}

} // namespace
} // namespace yomi::language
