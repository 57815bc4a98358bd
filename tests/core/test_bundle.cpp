#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "Platform/Bundle.h"
#include "Platform/Log.h"
#include "support/AudioFixtures.h"

namespace yomi {
namespace {
namespace fs = std::filesystem;

struct LanguageCase {
    const char* name;
    std::map<std::string, std::string> env;
    std::vector<std::string> expected;
};

class BundleLanguages : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(BundleLanguages, FromEnvironment)
{
    const LanguageCase& c = GetParam();
    const auto getenv = [&c](const char* name) -> const char* {
        const auto it = c.env.find(name);
        return it == c.env.end() ? nullptr : it->second.c_str();
    };
    EXPECT_EQ(Bundle::languagesFromEnvironment(getenv), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    All, BundleLanguages,
    ::testing::Values(
        LanguageCase{"Nothing", {}, {"en"}},
        LanguageCase{"LangWithEncoding", {{"LANG", "ja_JP.UTF-8"}}, {"ja_JP", "ja", "en"}},
        LanguageCase{"Modifier", {{"LANG", "de_DE@euro"}}, {"de_DE", "de", "en"}},
        LanguageCase{"LanguageListFirst",
                     {{"LANGUAGE", "fr_CA:ja::en_GB"}, {"LANG", "de_DE.UTF-8"}},
                     {"fr_CA", "fr", "ja", "en_GB", "en", "de_DE", "de"}},
        LanguageCase{"LcAllBeatsLcMessagesAndLang",
                     {{"LC_ALL", "ja_JP.eucJP"}, {"LC_MESSAGES", "fr_FR"}, {"LANG", "de_DE"}},
                     {"ja_JP", "ja", "en"}},
        LanguageCase{"LcMessagesBeatsLang", {{"LC_MESSAGES", "fr_FR"}, {"LANG", "de_DE"}}, {"fr_FR", "fr", "en"}},
        LanguageCase{"EmptyValuesSkipped", {{"LANGUAGE", ""}, {"LC_ALL", ""}, {"LANG", "ja"}}, {"ja", "en"}},
        LanguageCase{"CAndPosixSkipped", {{"LANGUAGE", "C:POSIX"}, {"LANG", "C.UTF-8"}}, {"en"}},
        LanguageCase{"PathCharactersSkipped", {{"LANGUAGE", "../x:a/b:ja"}}, {"ja", "en"}},
        LanguageCase{"DuplicatesDropped", {{"LANGUAGE", "ja_JP:ja"}, {"LANG", "ja_JP.UTF-8"}}, {"ja_JP", "ja", "en"}}),
    [](const auto& info) { return std::string(info.param.name); });

class BundleLookup : public ::testing::Test {
protected:
    void SetUp() override { root_ = temp_.path(); }

    void put(const std::string& relative, const std::string& bytes) { temp_.writeFile(relative, bytes); }

    Bundle bundle(std::vector<std::string> dirs, std::vector<std::string> languages)
    {
        std::vector<fs::path> paths;
        for (const auto& d : dirs)
            paths.push_back(root_ / d);
        return Bundle(std::move(paths), std::move(languages));
    }

    test::TempFolder temp_;
    fs::path root_;
    std::vector<std::string> lines_;
    log::ScopedSink sink_{[this](std::string_view t) { lines_.emplace_back(t); }};
};

TEST_F(BundleLookup, FindsKeyInPreferredLanguage)
{
    put("res/en.lproj/T.strings", "\"k\" = \"english\";");
    put("res/ja.lproj/T.strings", "\"k\" = \"\u65e5\u672c\u8a9e\";");
    Bundle b = bundle({"res"}, {"ja_JP", "ja"});
    EXPECT_EQ(b.localizedStringForKey(u"k", u"fb", "T"), u"\u65e5\u672c\u8a9e");
    EXPECT_TRUE(lines_.empty());
}

TEST_F(BundleLookup, FallsBackToEnglishForAnUncarriedLanguage)
{
    put("res/en.lproj/T.strings", "\"k\" = \"english\";");
    Bundle b = bundle({"res"}, {"fr_FR", "fr"});
    EXPECT_EQ(b.languages().back(), "en");
    EXPECT_EQ(b.localizedStringForKey(u"k", u"fb", "T"), u"english");
}

TEST_F(BundleLookup, LanguageOrderBeatsFolderOrder)
{
    put("first/en.lproj/T.strings", "\"k\" = \"first-en\";");
    put("second/ja.lproj/T.strings", "\"k\" = \"second-ja\";");
    put("second/en.lproj/T.strings", "\"k\" = \"second-en\";");
    EXPECT_EQ(bundle({"first", "second"}, {"ja"}).localizedStringForKey(u"k", u"", "T"), u"second-ja");
    EXPECT_EQ(bundle({"first", "second"}, {"en"}).localizedStringForKey(u"k", u"", "T"), u"first-en");
    EXPECT_EQ(bundle({"missing", "second"}, {}).localizedStringForKey(u"k", u"", "T"), u"second-en");
}

TEST_F(BundleLookup, MissingKeyGivesFallbackAndOneLogLinePerKey)
{
    put("res/en.lproj/T.strings", "\"k\" = \"v\";");
    Bundle b = bundle({"res"}, {});
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(b.localizedStringForKey(u"nope", u"fallback", "T"), u"fallback");
        EXPECT_EQ(b.localizedStringForKey(u"other", u"", "T"), u"");
    }
    const fs::path file = root_ / "res" / "en.lproj" / "T.strings";
    EXPECT_EQ(lines_,
              (std::vector<std::string>{"strings table " + file.string() + ": no key nope; using the fallback",
                                        "strings table " + file.string() + ": no key other; using the fallback"}));
}

TEST_F(BundleLookup, MissingTableGivesFallbackAndOneLogLinePerKey)
{
    Bundle b = bundle({"res"}, {"ja"});
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(b.localizedStringForKey(u"k", u"fb", "Absent"), u"fb");
    EXPECT_EQ(
        lines_,
        (std::vector<std::string>{"strings table Absent not found (languages ja, en); using the fallback for key k"}));
}

TEST_F(BundleLookup, MalformedTableIsRejectedWholeAndLoggedOnce)
{
    put("res/ja.lproj/T.strings", "\"good\" = \"v\";\n\"bad\" = \"v\n");
    put("res/en.lproj/T.strings", "\"good\" = \"en\";");
    Bundle b = bundle({"res"}, {"ja"});
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(b.localizedStringForKey(u"good", u"fb", "T"), u"fb");
        EXPECT_EQ(b.localizedStringForKey(u"bad", u"fb", "T"), u"fb");
    }
    const fs::path file = root_ / "res" / "ja.lproj" / "T.strings";
    EXPECT_EQ(lines_,
              (std::vector<std::string>{"strings table " + file.string() + ":2: unterminated string; table ignored"}));
}

TEST_F(BundleLookup, TableNamesCannotLeaveTheLanguageFolder)
{
    put("res/T.strings", "\"k\" = \"outside\";");
    Bundle b = bundle({"res/sub"}, {});
    EXPECT_EQ(b.localizedStringForKey(u"k", u"fb", "../../T"), u"fb");
}

TEST(BundleSearchDirs, OrderOfTheDefaultFolders)
{
    const auto dirs = Bundle::defaultSearchDirs("/env/res", "/opt/yomi/bin");
    ASSERT_EQ(dirs.size(), 5u);
    EXPECT_EQ(dirs[0], fs::path("/env/res"));
    EXPECT_EQ(dirs[1], fs::path("/opt/yomi/bin/resources"));
    EXPECT_EQ(dirs[2], fs::path("/opt/yomi/bin/../resources"));
    EXPECT_EQ(dirs[3], fs::path("/opt/yomi/bin/../share/yomi"));
    EXPECT_EQ(Bundle::defaultSearchDirs(nullptr, "/opt/yomi/bin").size(), 4u);
    EXPECT_EQ(Bundle::defaultSearchDirs("", "/opt/yomi/bin").front(), fs::path("/opt/yomi/bin/resources"));
}

// The shipped tables: both localizations parse, carry both keys, and agree.
TEST(ShippedStringsTables, EveryLocalizationCarriesBothKeysWithTheSameLists)
{
    // The first resource folder that holds the file, as the lookup finds it.
    const auto find = [](const char* relative) -> std::optional<fs::path> {
        for (const fs::path& dir : Bundle::mainBundle().searchDirs())
            if (fs::exists(dir / relative))
                return dir / relative;
        return std::nullopt;
    };
    const auto en = find("en.lproj/StringUtility.strings");
    const auto ja = find("ja.lproj/StringUtility.strings");
    ASSERT_TRUE(en && ja) << "resources not found; set YOMI_RESOURCE_DIR";
    const auto enTable = strings::loadFile(*en);
    const auto jaTable = strings::loadFile(*ja);
    ASSERT_TRUE(enTable && jaTable);
    EXPECT_EQ(*enTable, *jaTable);
    EXPECT_EQ(enTable->count(u"japaneseCharacterset"), 1u);
    EXPECT_EQ(enTable->count(u"alphabetCharacterSet"), 1u);
}

} // namespace
} // namespace yomi
