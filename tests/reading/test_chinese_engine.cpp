// The Chinese engine: the pinyin spelling, the surname table, the dictionary
// made from Rime tables (small ones written here, and the installed ones),
// words against characters, names against titles, and the plain reading
// without the dictionaries.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "Reading/Chinese/ChineseValueReader.h"
#include "Reading/Chinese/Pinyin.h"
#include "Reading/Chinese/Surnames.h"
#include "support/RimeTables.h"

namespace yomi::chinese {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

bool asciiOnly(const String& s)
{
    return std::all_of(s.begin(), s.end(), [](char16_t c) { return c < 0x80; });
}

ReadRequest asked(NameKind kind, ChineseStyle style = ChineseStyle::Pinyin)
{
    ReadRequest r;
    r.kind = kind;
    r.styles.chinese = style;
    return r;
}

TEST(PinyinSpelling, SyllablesUseOnlyAsciiLettersWithUmlautAsYuAfterLAndN)
{
    EXPECT_EQ(sortSyllable("lv"), "lyu");
    EXPECT_EQ(sortSyllable("nve"), "nyue");
    EXPECT_EQ(sortSyllable("lue"), "lyue") << "Rime's other spelling of lüe";
    EXPECT_EQ(sortSyllable("l\xC3\xBC"), "lyu");
    EXPECT_EQ(sortSyllable("jv"), "ju") << "ü after j is written u";
    EXPECT_EQ(sortSyllable("Zhong1"), "zhong") << "tone digits dropped";
    EXPECT_EQ(sortSyllable("a1b"), "");
    EXPECT_EQ(sortSyllable("0%"), "");
    EXPECT_EQ(joinSyllables({"xi", "an"}), "xi'an");
    EXPECT_EQ(joinSyllables({"zhi", "wei"}), "zhiwei");
    EXPECT_EQ(capitalised("ouyang"), "Ouyang");
    EXPECT_EQ(capitalised("2002 nian"), "2002 Nian");
}

TEST(PinyinSpelling, ZhuyinSpellsInitialsFinalsAndTheGlideForms)
{
    EXPECT_EQ(zhuyin("zhong"), u"ㄓㄨㄥ");
    EXPECT_EQ(zhuyin("shi"), u"ㄕ");
    EXPECT_EQ(zhuyin("you"), u"ㄧㄡ");
    EXPECT_EQ(zhuyin("yu"), u"ㄩ");
    EXPECT_EQ(zhuyin("yuan"), u"ㄩㄢ");
    EXPECT_EQ(zhuyin("jun"), u"ㄐㄩㄣ");
    EXPECT_EQ(zhuyin("wei"), u"ㄨㄟ");
    EXPECT_EQ(zhuyin("dui"), u"ㄉㄨㄟ");
    EXPECT_EQ(zhuyin("lyu"), u"ㄌㄩ");
    EXPECT_EQ(zhuyin("xyz"), u"");
}

TEST(PinyinSpelling, ZhuyinMarksTonesAsTaiwaneseWritingDoes)
{
    EXPECT_EQ(zhuyin("ma", 1), u"ㄇㄚ") << "the first tone unmarked";
    EXPECT_EQ(zhuyin("ma", 2), u"ㄇㄚˊ");
    EXPECT_EQ(zhuyin("ma", 3), u"ㄇㄚˇ");
    EXPECT_EQ(zhuyin("ma", 4), u"ㄇㄚˋ");
    EXPECT_EQ(zhuyin("ma", 5), u"˙ㄇㄚ") << "the neutral tone's dot comes first";
    EXPECT_EQ(zhuyin("ma", 0), u"ㄇㄚ") << "an unknown tone unmarked";
    EXPECT_EQ(zhuyin("xyz", 4), u"");
}

// A toned table as terra-pinyin writes it: characters with each reading's
// share, and words whose tones their characters leave open.
constexpr const char* kToned = "為\twei2\t50%\n為\twei4\t50%\n为\twei4\n行\txing2\t90%\n行\thang2\t10%\n"
                               "行為\txing2 wei2\n為了\twei4 le5\n了\tle5\t95%\n了\tliao3\t5%\n"
                               "一\tyi1\t98%\n一\tyi2\t1%\n一\tyi4\t1%\n個\tge4\n一個\tyi2 ge4\n"
                               "單\tdan1\t99%\n單\tshan4\t1%\n单\tdan1\n樂\tle4\t80%\n樂\tyue4\t20%\n"
                               "乐\tle4\n車\tche1\n# a comment\tli3\n运\tyun3\n运\tyun4\t0%\n運\tyun4\n"
                               "台\ttai1\t30%\n台\ttai2\t30%\n臺\ttai2\n尉\twei4\n尉\tyu4\t0%\n尉遲\tyu4 chi2\n"
                               "遲\tchi2\n不\tbu2\t1%\n不\tbu4\t99%\n見\tjian4\n不見\tbu5 jian4\n漂\tpiao1\t33%\n"
                               "漂\tpiao4\t34%\n漂洋\tpiao1 yang2\n洋\tyang2\n";

TEST(ToneTable, TheToneIsThatOfTheChosenReadingAndTheWordsWhereItHasOne)
{
    const auto table = ToneTable::parse(std::string("---\nname: t\n...\n") + kToned);
    EXPECT_EQ(table->tones(u"行為", {"xing", "wei"}), (std::vector<int>{2, 2})) << "the word settles 為";
    EXPECT_EQ(table->tones(u"行为", {"xing", "wei"}), (std::vector<int>{2, 2}))
        << "a simplified word found in its traditional form";
    EXPECT_EQ(table->tones(u"為了", {"wei", "le"}), (std::vector<int>{4, 5}));
    EXPECT_EQ(table->tones(u"單", {"shan"}), (std::vector<int>{4})) << "the surname's reading, not dan1's tone";
    EXPECT_EQ(table->tones(u"单", {"shan"}), (std::vector<int>{4}))
        << "a simplified character's rarer reading from its traditional form";
    EXPECT_EQ(table->tones(u"乐", {"yue"}), (std::vector<int>{4}));
    EXPECT_EQ(table->tones(u"一個", {"yi", "ge"}), (std::vector<int>{1, 4}))
        << "a tone 一 takes only in words (at most 1%) gives way to its own";
    EXPECT_EQ(table->tones(u"行", {"hang"}), (std::vector<int>{2}));
    EXPECT_EQ(table->tones(u"不見", {"bu", "jian"}), (std::vector<int>{4, 4}))
        << "a word's tone the character never has beside its own common one gives way";
    EXPECT_EQ(table->tones(u"漂洋行為", {"piao", "yang", "xing", "wei"}), (std::vector<int>{1, 2, 2, 2}))
        << "the table's words inside a longer text";
    EXPECT_EQ(table->tones(u"尉遲", {"yu", "chi"}), (std::vector<int>{4, 2}))
        << "a rare reading (0%) the word has is no trace: no other tone of the syllable competes";
    EXPECT_EQ(table->tones(u"运", {"yun"}), (std::vector<int>{4}))
        << "a simplified form's wrong tone outvoted by its traditional form and ICU";
    EXPECT_EQ(table->tones(u"台", {"tai"}), (std::vector<int>{2})) << "an even split settled the same way";
    EXPECT_EQ(table->tones(u"車", {"ju"}), (std::vector<int>{0})) << "a syllable no source tones";
    EXPECT_EQ(table->tones(u"行為", {"xing"}), (std::vector<int>{0})) << "lengths that differ: no tones";
    EXPECT_EQ(table->tones(u"李", {"li"}), (std::vector<int>{3})) << "ICU's tone; the comment is no entry";
    EXPECT_EQ(ToneTable::open("/nonexistent/terra.dict.yaml"), nullptr);
}

TEST(ChineseSurnames, CompoundFirstWithBothFormsAndTheSurnameReadings)
{
    EXPECT_EQ(surnameAt(u"欧阳娜娜").reading, "ouyang");
    EXPECT_EQ(surnameAt(u"歐陽靖").length, 2u);
    const Surname zeng = surnameAt(u"曾志伟");
    EXPECT_EQ(zeng.reading, "zeng");
    EXPECT_TRUE(zeng.common);
    EXPECT_EQ(surnameAt(u"單田芳").reading, "shan");
    EXPECT_THAT(surnameAt(u"朴树").alternatives, Contains("pu"));
    EXPECT_EQ(surnameAt(u"五月天").length, 0u);
    EXPECT_TRUE(isSurname(u"諸葛"));
    EXPECT_FALSE(isSurname(u"諸葛亮"));
}

struct SmallTables : ::testing::Test {
    test::TempFolder folder;
    // A traditional table whose words must be found in simplified form too,
    // and a simplified one that holds the common reading of 便宜.
    ChinesePaths paths = test::rimePaths(folder,
                                         "音\tyin\t900\n樂\tle\t700\n樂\tyue\t300\n音樂\tyin yue\t400\n"
                                         "銀\tyin\t300\n行\txing\t800\n行\thang\t200\n銀行\tyin hang\t300\n"
                                         "便\tbian\t900\n便\tpian\t100\n宜\tyi\t500\n便宜\tbian yi\t50\n"
                                         "便宜\tpian yi\t50\n曾\tceng\t900\n曾\tzeng\t100\n志\tzhi\t500\n"
                                         "偉\twei\t500\n單\tdan\t900\n單\tshan\t20\n車\tche\t500\n"
                                         "單車\tdan che\t5000\n戀\tlian\t300\n曲\tqu\t300\n戀曲\tlian qu\t200\n"
                                         "綠\tlv\t300\n",
                                         "乐\tle\t700\n乐\tyue\t300\n便宜\tpian yi\t40\n伟\twei\t500\n");
};

TEST_F(SmallTables, TheDictionaryIsMadeOnceFindsSimplifiedFormsAndAddsUpTheTables)
{
    auto opened = PinyinDictionary::open(paths.tables, paths.cacheDir);
    ASSERT_TRUE(opened) << opened.reason();
    const PinyinDictionary& d = **opened;
    ASSERT_FALSE(d.lookup(u"音乐").empty()) << "the traditional word in simplified form";
    EXPECT_EQ(d.lookup(u"音乐").front().reading, "yin yue");
    EXPECT_EQ(d.lookup(u"银行").front().reading, "yin hang");
    EXPECT_EQ(d.lookup(u"便宜").front().reading, "pian yi") << "the simplified table tips the even split";
    EXPECT_EQ(d.lookup(u"绿").front().reading, "lyu");
    EXPECT_TRUE(d.hasPrefix(u"銀"));
    EXPECT_FALSE(d.hasPrefix(u"銀河"));
    EXPECT_TRUE(d.lookup(u"河").empty());
    const auto made = std::filesystem::last_write_time(paths.cacheDir / "pinyin.dic");

    // A second open maps the same file; a changed table makes it again.
    ASSERT_TRUE(PinyinDictionary::open(paths.tables, paths.cacheDir));
    EXPECT_EQ(std::filesystem::last_write_time(paths.cacheDir / "pinyin.dic"), made);
    test::writeRimeTable(folder, "simp.table.txt", "河\the\t10\n");
    auto again = PinyinDictionary::open(paths.tables, paths.cacheDir);
    ASSERT_TRUE(again);
    EXPECT_EQ((*again)->lookup(u"河").front().reading, "he");
}

TEST(PinyinDictionaryTables, AReadingGivenTwiceInOneTableCountsOnceAndAcrossTablesAddsUp)
{
    test::TempFolder folder;
    const ChinesePaths paths =
        test::rimePaths(folder, "行\thang\t300\n行\thang\t200\n行\txing\t400\n", "行\thang\t150\n");
    auto d = PinyinDictionary::open(paths.tables, paths.cacheDir);
    ASSERT_TRUE(d) << d.reason();
    const std::vector<Entry> e = (*d)->lookup(u"行");
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].reading, "hang");
    EXPECT_DOUBLE_EQ(e[0].weight, 450) << "300 from the first table (its heaviest), 150 from the second";
    EXPECT_DOUBLE_EQ(e[1].weight, 400);
    EXPECT_DOUBLE_EQ((*d)->totalWeight(), 850);
}

TEST_F(SmallTables, ADamagedOrMissingDictionaryIsMadeAgainOrReportedNeverRead)
{
    ASSERT_TRUE(PinyinDictionary::open(paths.tables, paths.cacheDir));
    const auto file = paths.cacheDir / "pinyin.dic";
    const auto size = std::filesystem::file_size(file);
    std::filesystem::resize_file(file, size / 2);
    const auto cut = PinyinDictionary::map(file);
    ASSERT_FALSE(cut);
    EXPECT_EQ(cut.reason(), file.string() + " is damaged");
    auto mended = PinyinDictionary::open(paths.tables, paths.cacheDir);
    ASSERT_TRUE(mended) << mended.reason();
    EXPECT_EQ((*mended)->lookup(u"音乐").front().reading, "yin yue");

    std::ofstream(file, std::ios::binary | std::ios::trunc) << "YOMIZH01" << std::string(40, '\xff');
    EXPECT_EQ(PinyinDictionary::map(file).reason(), file.string() + " is damaged");

    const std::vector<TableSource> none{{folder.path() / "missing.txt", true}};
    EXPECT_EQ(PinyinDictionary::open(none, paths.cacheDir).reason(), "no Chinese dictionary is installed");
    const std::vector<TableSource> empty{{test::writeRimeTable(folder, "empty.txt", "not a table line\n"), false}};
    EXPECT_EQ(PinyinDictionary::convert(empty, folder.path() / "e.dic").reason(),
              "the Chinese dictionaries hold no entry");
}

TEST(ChineseWords, TheSimplifiedTableSettlesATieOfTheTraditionalOneAndNothingMore)
{
    test::TempFolder folder;
    ChineseValueReader reader(test::rimePaths(folder,
                                              "長\tchang\t900\n長\tzhang\t100\n大\tda\t900\n"
                                              "長大\tchang da\t5055\n長大\tzhang da\t5055\n"
                                              "行\txing\t800\n行\thang\t200\n銀\tyin\t300\n"
                                              "銀行\tyin hang\t300\n銀行\tyin xing\t100\n",
                                              "长大\tzhang da\t4221\n银行\tyin xing\t90000\n"));
    EXPECT_EQ(reader.read(u"長大", asked(NameKind::Title)).reading, u"Zhangda")
        << "the traditional table's tie settled by the simplified table's word";
    EXPECT_EQ(reader.read(u"长大", asked(NameKind::Title)).reading, u"Zhangda");
    EXPECT_EQ(reader.read(u"銀行", asked(NameKind::Title)).reading, u"Yinhang")
        << "a trace of the simplified weight (a thousandth) does not overturn the traditional table";
}

TEST_F(SmallTables, AWordsReadingWinsOverItsCharacters)
{
    ChineseValueReader reader(paths);
    EXPECT_EQ(reader.read(u"音乐", asked(NameKind::Title)).reading, u"Yinyue");
    EXPECT_EQ(reader.read(u"銀行", asked(NameKind::Title)).reading, u"Yinhang");
    const ValueReading r = reader.read(u"恋曲1990", asked(NameKind::Title));
    EXPECT_EQ(r.reading, u"Lianqu 1990") << "digits stay, spaced from the words";
    EXPECT_EQ(reader.read(u"音乐", asked(NameKind::Title, ChineseStyle::Zhuyin)).reading, u"ㄧㄣㄩㄝ")
        << "without the toned table ICU's tones: 音 yin1, and none for 乐 (ICU reads le4, the word yue)";
    const ValueReading le = reader.read(u"乐", asked(NameKind::Title));
    EXPECT_EQ(le.reading, u"Le");
    EXPECT_THAT(le.alternatives, Contains(u"Yue"));
    EXPECT_EQ(le.confidence, Confidence::Check);
    EXPECT_EQ(le.reason, "several readings of 乐");
}

TEST_F(SmallTables, PersonNamesTakeTheSurnameReadingUnlessTheValueIsACommonWord)
{
    ChineseValueReader reader(paths);
    const ValueReading zeng = reader.read(u"曾志伟", asked(NameKind::Person));
    EXPECT_EQ(zeng.reading, u"Zeng Zhiwei");
    EXPECT_EQ(zeng.confidence, Confidence::Likely) << zeng.reason;
    EXPECT_EQ(reader.read(u"曾志伟", asked(NameKind::Title)).reading, u"Ceng zhi wei")
        << "a title field holds no names";
    EXPECT_EQ(reader.read(u"單", asked(NameKind::Person)).reading, u"Shan") << "a lone surname";
    EXPECT_EQ(reader.read(u"單車", asked(NameKind::Person)).reading, u"Danche");
    EXPECT_EQ(reader.read(u"曾志伟", asked(NameKind::Person, ChineseStyle::Zhuyin)).reading, u"ㄗㄥ ㄓˋㄨㄟˇ")
        << "ICU reads 曾 ceng2: the surname's zeng takes no tone of another reading";
}

TEST(ChineseNames, ZhuyinTakesTheTonesOfTheReadingChosenAndPinyinStaysToneless)
{
    test::TempFolder folder;
    ChineseValueReader reader(
        test::rimePaths(folder,
                        "單\tdan\t900\n單\tshan\t20\n車\tche\t500\n單車\tdan che\t5000\n"
                        "田\ttian\t500\n芳\tfang\t500\n行\txing\t800\n行\thang\t200\n"
                        "為\twei\t900\n行為\txing wei\t300\n華\thua\t900\n",
                        "", std::string(kToned) + "田\ttian2\n芳\tfang1\n華\thua2\t90%\n華\thua4\t10%\n"));
    EXPECT_EQ(reader.read(u"單田芳", asked(NameKind::Person, ChineseStyle::Zhuyin)).reading, u"ㄕㄢˋ ㄊㄧㄢˊㄈㄤ")
        << "the surname's reading shan4, not the character's commonest dan1";
    EXPECT_EQ(reader.read(u"單車", asked(NameKind::Title, ChineseStyle::Zhuyin)).reading, u"ㄉㄢㄔㄜ");
    EXPECT_EQ(reader.read(u"行為", asked(NameKind::Title, ChineseStyle::Zhuyin)).reading, u"ㄒㄧㄥˊㄨㄟˊ");
    EXPECT_EQ(reader.read(u"為行", asked(NameKind::Title, ChineseStyle::Zhuyin)).reading, u"ㄨㄟˋ ㄒㄧㄥˊ")
        << "a character alone: 為's even split settled by ICU (wei4)";

    // The pinyin dictionary cuts 行為 in two; the toned table's word still
    // gives 為 its tone.
    test::TempFolder other;
    ChineseValueReader cut(test::rimePaths(other, "行\txing\t800\n為\twei\t900\n", "", kToned));
    EXPECT_EQ(cut.read(u"行為", asked(NameKind::Title, ChineseStyle::Zhuyin)).reading, u"ㄒㄧㄥˊ ㄨㄟˊ");
    EXPECT_EQ(reader.read(u"華芳", asked(NameKind::Person, ChineseStyle::Zhuyin)).reading, u"ㄏㄨㄚˋ ㄈㄤ")
        << "the surname table's tone where the syllable's usual tone is another";
    EXPECT_EQ(reader.read(u"華", asked(NameKind::Title, ChineseStyle::Zhuyin)).reading, u"ㄏㄨㄚˊ");
    EXPECT_EQ(surnameAt(u"令狐冲").tones, (std::vector<int>{2, 2}));
    EXPECT_TRUE(surnameAt(u"王菲").tones.empty());
    EXPECT_EQ(reader.read(u"單田芳", asked(NameKind::Person)).reading, u"Shan Tianfang");
    EXPECT_EQ(reader.read(u"行為", asked(NameKind::Title)).reading, u"Xingwei");
}

TEST(ChineseNames, AGivenNamesWordIsReadAsItsCharactersUsuallyAreAndForeignNamesPartByPart)
{
    test::TempFolder folder;
    // 娜娜 as a word is mostly nuonuo; 娜 alone is nearly always na. The
    // traditional table splits 李玟 evenly; 玟 alone is mostly wen.
    ChineseValueReader reader(test::rimePaths(folder,
                                              "欧\tou\t500\n阳\tyang\t500\n欧阳\tou yang\t400\n娜\tna\t900\n"
                                              "娜\tnuo\t10\n娜娜\tnuo nuo\t300\n娜娜\tna na\t100\n李\tli\t900\n"
                                              "玟\twen\t300\n玟\tmin\t100\n李玟\tli min\t50\n李玟\tli wen\t50\n"
                                              "邁\tmai\t100\n克\tke\t100\n爾\ter\t100\n傑\tjie\t100\n遜\txun\t100\n"
                                              "邁克爾\tmai ke er\t50\n傑克遜\tjie ke xun\t50\n",
                                              ""));
    const ReadRequest person = asked(NameKind::Person);
    const ValueReading nana = reader.read(u"欧阳娜娜", person);
    EXPECT_EQ(nana.reading, u"Ouyang Nana");
    EXPECT_THAT(nana.alternatives, ::testing::Not(Contains(u"Ouyang Nuonuo")))
        << "a reading its characters almost never have is not offered for a name";
    EXPECT_EQ(reader.read(u"欧阳娜娜", asked(NameKind::Title)).reading, u"Ouyang nuonuo")
        << "a title reads the word as the dictionary weighs it";
    EXPECT_EQ(reader.read(u"李玟", person).reading, u"Li Wen");
    EXPECT_EQ(reader.read(u"邁克爾·傑克遜", person).reading, u"Maike'er Jiekexun");
    EXPECT_EQ(reader.read(u"邁克爾·傑克遜", asked(NameKind::Title)).reading, u"Maike'er jiekexun");
    EXPECT_EQ(reader.read(u"欧阳娜娜", asked(NameKind::Person, ChineseStyle::Zhuyin)).reading, u"ㄡㄧㄤˊ ㄋㄚˋㄋㄚˋ");
}

TEST(ChineseNames, OnlyAShortGivenNameAfterAKnownSurnameMakesAName)
{
    test::TempFolder folder;
    ChineseValueReader reader(test::rimePaths(folder,
                                              "王\twang\t900\n大\tda\t900\n明\tming\t900\n天\ttian\t900\n"
                                              "朴\tpu\t900\n朴\tpiao\t100\n樹\tshu\t500\n五\twu\t900\n月\tyue\t900\n",
                                              ""));
    const ReadRequest person = asked(NameKind::Person);
    EXPECT_EQ(reader.read(u"王大明", person).reading, u"Wang Daming");
    EXPECT_EQ(reader.read(u"王大明天", person).reading, u"Wang da ming tian")
        << "three characters after a one-character surname are no given name";
    EXPECT_EQ(reader.read(u"五月天", person).reading, u"Wu yue tian") << "五 is no surname of the table";
    const ValueReading piao = reader.read(u"朴樹", person);
    EXPECT_EQ(piao.reading, u"Piao Shu");
    EXPECT_THAT(piao.alternatives, Contains(u"Pu Shu"));
    EXPECT_EQ(piao.reason, "the surname's usual reading; it has others");
    EXPECT_EQ(reader.read(u"  王大明 ", person).reading, u"Wang Daming") << "spaces around a name";
    EXPECT_EQ(reader.read(u"《王大明》、天", asked(NameKind::Title)).reading, u"Wang da ming, tian");
}

TEST(ChineseWithoutData, EveryCharacterIsReadOnItsOwnInTheSameLayoutAsACheck)
{
    test::TempFolder folder;
    ChinesePaths paths;
    paths.cacheDir = folder.path() / "cache";
    paths.tables = {{folder.path() / "none.txt", true}};
    ChineseValueReader reader(paths);
    EXPECT_TRUE(reader.available());
    const ValueReading r = reader.read(u"曾志伟", asked(NameKind::Person));
    EXPECT_EQ(r.reading, u"Zeng Zhiwei");
    EXPECT_EQ(r.confidence, Confidence::Check);
    EXPECT_THAT(r.reason, HasSubstr("install rime-data-luna-pinyin and rime-data-pinyin-simp"));
    const ValueReading title = reader.read(u"绿色的旅行", asked(NameKind::Title));
    ASSERT_TRUE(title.reading);
    EXPECT_TRUE(asciiOnly(*title.reading)) << toUtf8(*title.reading) << ": never tone marks";
    EXPECT_THAT(toUtf8(*title.reading), HasSubstr("lyu")) << toUtf8(*title.reading);
}

TEST(ChineseBadInput, NoReadingWithItsReasonNeverTheValuesOwnCharacters)
{
    test::TempFolder folder;
    ChineseValueReader reader(test::rimePaths(folder, "曾\tzeng\t10\n", ""));
    const ReadRequest person = asked(NameKind::Person);
    EXPECT_EQ(reader.read(u"曾さん", person).reason, "kana cannot be read in Chinese");
    EXPECT_EQ(reader.read(u"曾이", person).reason, "Hangul cannot be read in Chinese");
    EXPECT_EQ(reader.read(u"☆★ 2024", person).reason, "no Han characters to read");
    EXPECT_EQ(reader.read(u"", person).reason, "no Han characters to read");
    // Characters of the extensions that neither table knows: read by ICU
    // where it can, else no reading; never themselves.
    for (const char16_t* value : {u"𠀀", u"𪜀𪜁", u"曾𫝀", u"\U0002B820"}) {
        const ValueReading r = reader.read(value, person);
        if (r.reading)
            EXPECT_TRUE(asciiOnly(*r.reading)) << toUtf8(*r.reading);
        else
            EXPECT_FALSE(r.reason.empty());
    }
    const ValueReading mixed = reader.read(u"ＳＨＥ的曾", asked(NameKind::Title));
    ASSERT_TRUE(mixed.reading);
    EXPECT_TRUE(asciiOnly(*mixed.reading)) << toUtf8(*mixed.reading);
}

// The installed Rime tables: the readings the engine exists for.
TEST(ChineseInstalled, SurnamesWordsAndLayoutOfTheInstalledDictionaries)
{
    ChineseValueReader reader;
    ASSERT_TRUE(reader.start()) << reader.missing();
    const ReadRequest person = asked(NameKind::Person), title = asked(NameKind::Title);
    for (const auto& [value, reading] :
         std::vector<std::pair<std::u16string, std::u16string>>{{u"曾志伟", u"Zeng Zhiwei"},
                                                                {u"单田芳", u"Shan Tianfang"},
                                                                {u"解晓东", u"Xie Xiaodong"},
                                                                {u"區瑞強", u"Ou Ruiqiang"},
                                                                {u"朴树", u"Piao Shu"},
                                                                {u"查良鏞", u"Zha Liangyong"},
                                                                {u"乐嘉", u"Yue Jia"},
                                                                {u"歐陽娜娜", u"Ouyang Nana"},
                                                                {u"吕方", u"Lyu Fang"}})
        EXPECT_EQ(reader.read(value, person).reading, reading) << toUtf8(value);
    EXPECT_EQ(reader.read(u"音乐", title).reading, u"Yinyue");
    EXPECT_EQ(reader.read(u"重庆", title).reading, u"Chongqing");
    EXPECT_EQ(reader.read(u"银行", title).reading, u"Yinhang");
    EXPECT_EQ(reader.read(u"重庆森林", title).reading, u"Chongqing senlin");
    EXPECT_THAT(reader.read(u"朴树", person).alternatives, Contains(u"Pu Shu"));
    // The dictionary holds 單田芳 whole but reads its surname dan: the
    // reading is the surname's, and not Sure.
    const ValueReading shan = reader.read(u"單田芳", person);
    EXPECT_EQ(shan.confidence, Confidence::Likely) << shan.reason;
    const ValueReading zeng = reader.read(u"曾志偉", person);
    EXPECT_EQ(zeng.confidence, Confidence::Sure) << "the dictionary reads the whole name so: " << zeng.reason;
    EXPECT_EQ(zeng.reason, "whole name in the Chinese dictionary");
}

} // namespace
} // namespace yomi::chinese
