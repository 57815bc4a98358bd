// yomi-cli's reading commands with a fake engine: `read` as a filter, and
// `apply --reading` over the memory library.
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Bridge/MemoryLibrary.h"
#include "Cli/Cli.h"
#include "support/AudioFixtures.h"
#include "support/FakeReadingEngine.h"

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
            return std::make_unique<ReadingKit>(std::move(e));
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
        return main(args, {in, out_, err_}, [](const auto&, std::string&) { return std::make_shared<int>(0); });
    }
    OptString sortOf(std::size_t track) { return library_->track(track).get("sortArtist").copy(); }

    bool present_ = true;
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

    present_ = false;
    EXPECT_EQ(runCli({"read"}, "靖子\n"), kExitUsage);
    EXPECT_THAT(err_.str(), HasSubstr("mecab-ipadic-utf8"));
}

TEST_F(CliReading, ApplyReadingWritesReadingsAndListsRefusedValues)
{
    EXPECT_EQ(runCli({"apply", "--field", "artist", "--reading", "--style=romaji", "--no-console"}), kExitOk);
    EXPECT_EQ(sortOf(0), u"yasuko");
    EXPECT_EQ(sortOf(1), u"Faye");
    EXPECT_EQ(sortOf(2), u"sakamoto");
    EXPECT_THAT(err_.str(), HasSubstr("1 value(s) have no Japanese reading"));
    EXPECT_THAT(err_.str(), HasSubstr("  王菲\n"));

    present_ = false;
    EXPECT_EQ(runCli({"apply", "--field", "artist", "--reading", "--no-console"}), kExitUsage);
    EXPECT_EQ(sortOf(0), u"yasuko");
}

TEST(CliReadingArguments, StyleAndCandidatesBelongToTheReadingCommands)
{
    EXPECT_EQ(parseArguments({"read", "--style", "romaji"})->style, ReadingStyle::Romaji);
    EXPECT_EQ(parseArguments({"apply", "--field", "name", "--reading"})->edit, Edit::Reading);
    for (std::vector<std::string> bad : {std::vector<std::string>{"read", "--style", "kanji"},
                                         {"read", "--field", "artist"},
                                         {"read", "--candidates", "-1"},
                                         {"apply", "--field", "name", "--romaji", "--style", "hiragana"},
                                         {"apply", "--field", "name", "--reading", "--copy"},
                                         {"list", "--field", "name", "--style", "romaji"}})
        EXPECT_FALSE(parseArguments(bad).ok()) << bad.back();
}

} // namespace
} // namespace yomi::cli
