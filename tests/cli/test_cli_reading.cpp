// yomi-cli's reading commands with a fake engine: `read` as a filter, and
// `apply --reading` over the memory library.
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Cli/Cli.h"
#include "support/AudioFixtures.h"
#include "support/FakeReadingEngine.h"
#include "support/FixedValueReader.h"
#include "support/MemoryLibrary.h"

namespace yomi::cli {
namespace {

using ::testing::HasSubstr;

class CliReading : public ::testing::Test {
protected:
    CliReading()
    {
        setReadingKitFactory([this]() -> std::unique_ptr<ReadingKit> {
            auto e = std::make_unique<test::FakeReadingEngine>();
            e->present = present_;
            e->table[u"靖子"] = {u"ヤスコ", u"セイコ", u"キヨコ"};
            e->table[u"坂本"] = {u"サカモト"};
            e->table[u"坂本&靖子"] = {u"サカモトアンドヤスコ"};
            e->confidence[u"靖子"] = Confidence::Likely;
            auto kit = std::make_unique<ReadingKit>(std::move(e));
            if (chinese_) {
                auto chinese = std::make_unique<test::FixedValueReader>(Language::Chinese, u"Zhi", u"ㄓ");
                chinese->kinds = &chineseKinds_;
                kit->setEngine(std::move(chinese));
            }
            return kit;
        });
        setUserReadingsFile(config_.path() / "readings.tsv");
        library_->addTrack("artist", u"靖子", "sortArtist", u"");
        library_->addTrack("artist", u"王菲", "sortArtist", u"Faye");
        library_->addTrack("artist", u"坂本", "sortArtist", u"old");
    }
    ~CliReading() override
    {
        setReadingKitFactory(nullptr);
        setUserReadingsFile({});
    }

    int runCli(std::vector<std::string> args, const std::string& input = "")
    {
        std::istringstream in(input);
        out_.str("");
        err_.str("");
        return main(args, {in, out_, err_},
                    [](const auto&) { return Result<std::shared_ptr<void>>(std::make_shared<int>(0)); });
    }
    OptString sortOf(std::size_t track) { return library_->track(track).get("sortArtist").copy(); }

    bool present_ = true;
    bool chinese_ = true;
    std::vector<NameKind> chineseKinds_;
    test::TempFolder config_;
    std::shared_ptr<bridge::MemoryLibrary> library_ = bridge::MemoryLibrary::create();
    bridge::ScopedApplication registration_{bridge::kMusicApplicationIdentifier, library_};
    std::ostringstream out_, err_;
};

TEST_F(CliReading, ReadPrintsReadingsAlternativesAndEmptyForRefused)
{
    config_.writeFile("readings.tsv", "坂本\tさかもと\\tx\n");
    EXPECT_EQ(runCli({"read", "--style", "hiragana", "--candidates", "2"}, "靖子 2\n王菲\r\n坂本\n"), kExitOk);
    EXPECT_EQ(out_.str(), "靖子 2\tやすこ 2\tせいこ 2\tきよこ 2\n王菲\t\n坂本\tさかもと\\tx\n");

    EXPECT_EQ(runCli({"read"}, "ok\nbad\\q\n"), kExitUsage);
    EXPECT_THAT(err_.str(), HasSubstr("line 2"));
    EXPECT_EQ(out_.str(), "") << "nothing is printed for malformed input";

    // Without the Japanese dictionary the other languages are still read,
    // and the user is told; with no engine at all nothing is.
    present_ = false;
    EXPECT_EQ(runCli({"read"}, "靖子\n我们\n"), kExitOk);
    EXPECT_EQ(out_.str(), "靖子\t\n我们\tZhi\n");
    EXPECT_THAT(err_.str(), HasSubstr("Japanese readings are not available: install the package mecab-ipadic-utf8"));
    chinese_ = false;
    EXPECT_EQ(runCli({"read"}, "靖子\n"), kExitUsage);
    EXPECT_THAT(err_.str(), HasSubstr("mecab-ipadic-utf8"));
    EXPECT_EQ(out_.str(), "");
}

TEST_F(CliReading, TheLanguageIsDecidedForcedOrPreferredAndEachLanguageHasItsStyle)
{
    EXPECT_EQ(runCli({"read"}, "坂本\n我们\n"), kExitOk);
    EXPECT_EQ(out_.str(), "坂本\tサカモト\n我们\tZhi\n") << "们 is written only in simplified Chinese";
    EXPECT_EQ(runCli({"read", "--lang", "zh", "--zh-style", "zhuyin"}, "坂本\n"), kExitOk);
    EXPECT_EQ(out_.str(), "坂本\tㄓ\n");
    EXPECT_EQ(runCli({"read", "--prefer=zh"}, "坂本\n"), kExitOk);
    EXPECT_EQ(out_.str(), "坂本\tZhi\n") << "Han characters alone take the default";
    EXPECT_EQ(runCli({"read", "--lang", "auto", "--prefer", "ja"}, "坂本\n"), kExitOk);
    EXPECT_EQ(out_.str(), "坂本\tサカモト\n");

    EXPECT_EQ(runCli({"read", "--lang", "fr"}), kExitUsage);
    EXPECT_THAT(err_.str(), HasSubstr("unknown language: 'fr' (use auto, ja, zh or ko)"));
    EXPECT_EQ(runCli({"read", "--prefer", "ko"}), kExitUsage);
    EXPECT_THAT(err_.str(), HasSubstr("unknown default language: 'ko' (use ja or zh)"));
    EXPECT_EQ(runCli({"read", "--ko-style", "roman"}), kExitUsage);
    EXPECT_THAT(err_.str(), HasSubstr("--ko-style needs hangul or latin"));
    EXPECT_EQ(runCli({"apply", "--field", "artist", "--romaji", "--lang", "zh"}), kExitUsage);
    EXPECT_THAT(err_.str(), HasSubstr("--lang and --prefer go with --reading"));

    EXPECT_EQ(runCli({"apply", "--field", "artist", "--reading", "--lang", "zh", "--no-console"}), kExitOk);
    EXPECT_EQ(sortOf(0), u"Zhi");
    EXPECT_EQ(sortOf(1), u"Faye") << "the sort value the library holds for 王菲 suits a Chinese reading";
}

TEST_F(CliReading, ReadTakesTheKindOfNameFromTheField)
{
    // A person's name unless the field holds titles, as apply reads it.
    EXPECT_EQ(runCli({"read", "--lang", "zh"}, "我们\n"), kExitOk);
    EXPECT_EQ(runCli({"read", "--lang", "zh", "--field", "name"}, "我们\n"), kExitOk);
    EXPECT_EQ(runCli({"read", "--lang", "zh", "--field", "album-artist"}, "我们\n"), kExitOk);
    EXPECT_EQ(runCli({"read", "--lang", "zh", "--field=album"}, "我们\n"), kExitOk);
    EXPECT_THAT(chineseKinds_,
                ::testing::ElementsAre(NameKind::Person, NameKind::Title, NameKind::Person, NameKind::Title));
    EXPECT_EQ(out_.str(), "我们\tZhi\n");
}

TEST_F(CliReading, ApplyReadingWritesReadingsAndListsRefusedValues)
{
    EXPECT_EQ(runCli({"apply", "--field", "artist", "--reading", "--style=romaji", "--no-console"}), kExitOk);
    EXPECT_EQ(sortOf(0), u"yasuko");
    EXPECT_EQ(sortOf(1), u"Faye");
    EXPECT_EQ(sortOf(2), u"sakamoto");
    EXPECT_THAT(err_.str(), HasSubstr("1 value(s) have no reading"));
    EXPECT_THAT(err_.str(), HasSubstr("  王菲\n"));

    present_ = false;
    chinese_ = false;
    EXPECT_EQ(runCli({"apply", "--field", "artist", "--reading", "--no-console"}), kExitUsage);
    EXPECT_EQ(sortOf(0), u"yasuko");
}

TEST_F(CliReading, ExplainPrintsLanguageConfidenceReasonAndEvidenceBeforeTheAlternatives)
{
    EXPECT_EQ(runCli({"read", "--explain", "--candidates", "1"}, "靖子・さん\n靖子\n王菲\nABC\n"), kExitOk);
    EXPECT_EQ(out_.str(),
              "靖子・さん\tヤスコ・サン\tja\tlikely\tfrom the table\tkana in the value\tセイコ・サン\n"
              "靖子\tヤスコ\tja\tcheck\tthe language is not clear; from the table\t"
              "Han characters only: the default language\tセイコ\n"
              "王菲\t\tja\tcheck\tno Japanese reading\tHan characters only: the default language\n"
              "ABC\t\tnone\tcheck\tno language to read it in\tno Han characters, kana or Hangul\n");
    EXPECT_EQ(runCli({"read", "--candidates", "1"}, "靖子\n"), kExitOk);
    EXPECT_EQ(out_.str(), "靖子\tヤスコ\tセイコ\n") << "the plain format is unchanged";
}

TEST_F(CliReading, ApplyWritesOnlyReadingsAtTheLevelAndListsTheOthers)
{
    library_->addTrack("artist", u"靖子・さん", "sortArtist", u"");
    library_->addTrack("artist", u"坂本", "sortArtist", u"さかもと");
    EXPECT_EQ(runCli({"apply", "--field", "artist", "--reading", "--only-sure", "--no-console"}), kExitOk);
    EXPECT_EQ(sortOf(2), u"サカモト") << "the library's own kana sort value is a sure reading";
    EXPECT_EQ(sortOf(4), u"サカモト");
    EXPECT_EQ(sortOf(0), u"") << "靖子 reads only as check";
    EXPECT_EQ(sortOf(3), u"") << "靖子・さん reads only as likely";
    EXPECT_THAT(err_.str(), HasSubstr("2 reading(s) less sure than sure were not written"));
    EXPECT_THAT(err_.str(), HasSubstr("  靖子・さん\tヤスコ・サン\tlikely\tfrom the table\n"));
    EXPECT_THAT(err_.str(), HasSubstr("  靖子\tヤスコ\tcheck\tthe language is not clear; from the table\n"));

    EXPECT_EQ(runCli({"apply", "--field", "artist", "--reading", "--min-confidence", "likely", "--no-console"}),
              kExitOk);
    EXPECT_EQ(sortOf(3), u"ヤスコ・サン");
    EXPECT_EQ(sortOf(0), u"");
    EXPECT_THAT(err_.str(), HasSubstr("1 reading(s) less sure than likely were not written"));
}

TEST_F(CliReading, ASecondApplyOfAJoinedValueReadNameByNameChangesNothing)
{
    // The engine reads the joined value whole otherwise than name by name
    // (as MeCab says & アンド): once the library holds the joined reading,
    // that is the value's reading, not a new one.
    library_->addTrack("artist", u"坂本&靖子", "sortArtist", u"");
    EXPECT_EQ(runCli({"apply", "--field", "artist", "--reading", "--no-console"}), kExitOk);
    EXPECT_EQ(sortOf(3), u"サカモト&ヤスコ");
    EXPECT_EQ(runCli({"apply", "--field", "artist", "--reading", "--no-console"}), kExitOk);
    EXPECT_EQ(sortOf(3), u"サカモト&ヤスコ");
    EXPECT_THAT(err_.str(), HasSubstr("0 track(s) written"));
}

TEST(CliReadingArguments, StyleAndCandidatesBelongToTheReadingCommands)
{
    EXPECT_EQ(parseArguments({"read", "--style", "romaji"})->style, ReadingStyle::Romaji);
    EXPECT_EQ(parseArguments({"apply", "--field", "name", "--reading"})->edit, Edit::Reading);
    EXPECT_EQ(parseArguments({"apply", "--field", "name", "--reading", "--min-confidence=likely"})->minConfidence,
              Confidence::Likely);
    EXPECT_EQ(parseArguments({"apply", "--field", "name", "--reading", "--only-sure"})->minConfidence,
              Confidence::Sure);
    EXPECT_TRUE(parseArguments({"read", "--explain"})->explain);
    for (std::vector<std::string> bad : {std::vector<std::string>{"read", "--style", "kanji"},
                                         {"read", "--library", "/m"},
                                         {"read", "--field", "genre"},
                                         {"read", "--candidates", "-1"},
                                         {"apply", "--field", "name", "--romaji", "--style", "hiragana"},
                                         {"apply", "--field", "name", "--reading", "--copy"},
                                         {"list", "--field", "name", "--style", "romaji"},
                                         {"apply", "--field", "name", "--romaji", "--only-sure"},
                                         {"apply", "--field", "name", "--reading", "--min-confidence", "high"},
                                         {"apply", "--field", "name", "--reading", "--only-sure", "--only-sure"},
                                         {"read", "--only-sure"},
                                         {"apply", "--field", "name", "--reading", "--explain"}})
        EXPECT_FALSE(parseArguments(bad).ok()) << bad.back();
}

} // namespace
} // namespace yomi::cli
