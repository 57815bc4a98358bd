// yomi-cli's logic over the memory library: arguments, the TSV format, and
// list/apply/dry-run as the controller runs them.
#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/MemoryLibrary.h"
#include "Category/StringUtility.h"
#include "Cli/Cli.h"
#include "Controller/SRMainController.h"
#include "Platform/Launcher.h"
#include "Platform/Log.h"
#include "support/RecordingLauncher.h"
#include "support/StateHome.h"

namespace yomi::cli {
namespace {

using test::RecordingLauncher;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

// --- Arguments ---------------------------------------------------------------

TEST(CliArguments, ListAndApplyForms)
{
    auto r = parseArguments({"list", "--field", "album-artist", "--library=/m"});
    ASSERT_TRUE(r.ok()) << r.reason();
    EXPECT_EQ(r->command, Command::List);
    EXPECT_EQ(r->keyTag, 2);
    EXPECT_EQ(r->library, std::filesystem::path("/m"));

    r = parseArguments({"apply", "--field=show", "--from", "-", "--only-empty", "--dry-run", "--no-console"});
    ASSERT_TRUE(r.ok()) << r.reason();
    EXPECT_EQ(r->command, Command::Apply);
    EXPECT_EQ(r->keyTag, 5);
    EXPECT_EQ(r->edit, Edit::FromFile);
    EXPECT_EQ(r->fromPath, "-");
    EXPECT_TRUE(r->onlyEmpty && r->dryRun && r->noConsole);

    r = parseArguments({"apply", "--romaji", "--field", "composer"});
    ASSERT_TRUE(r.ok()) << r.reason();
    EXPECT_EQ(r->edit, Edit::Romaji);
    EXPECT_EQ(r->keyTag, 3);
    EXPECT_FALSE(r->library);

    for (const char* help : {"help", "--help", "-h"})
        EXPECT_EQ(parseArguments({help})->command, Command::Help);
    EXPECT_EQ(parseArguments({"list", "--field", "name", "--help"})->command, Command::Help);
    EXPECT_EQ(parseArguments({"--version"})->command, Command::Version);
    EXPECT_FALSE(parseArguments({"--version", "list"}).ok());
}

TEST(CliArguments, SeveralFieldsOrPeople)
{
    auto r = parseArguments({"list", "--field", "people"});
    ASSERT_TRUE(r.ok()) << r.reason();
    EXPECT_EQ(r->keyTags, (std::vector<std::int32_t>{0, 2, 3}));
    EXPECT_EQ(r->keyTag, 0);
    r = parseArguments({"apply", "--field=composer,artist", "--copy"});
    ASSERT_TRUE(r.ok()) << r.reason();
    EXPECT_EQ(r->keyTags, (std::vector<std::int32_t>{3, 0}));
    EXPECT_EQ(r->keyTag, 3);
    EXPECT_TRUE(parseArguments({"list", "--field", "album"})->keyTags.empty()) << "one field is no list";
    EXPECT_EQ(parseArguments({"read", "--field", "title"})->keyTag, parseArguments({"read", "--field", "name"})->keyTag)
        << "title is the name field's other name";
    for (const auto& [field, why] : std::vector<std::pair<std::string, std::string>>{
             {"artist,artist", "names artist twice"}, {"artist,genre", "unknown field: 'genre'"},
             {"artist,", "unknown field: ''"}, {",artist", "unknown field: ''"}, {"title,name", "names name twice"}}) {
        const auto bad = parseArguments({"list", "--field", field});
        ASSERT_FALSE(bad.ok()) << field;
        EXPECT_THAT(bad.reason(), HasSubstr(why)) << field;
    }
}

TEST(CliArguments, FieldNamesMapToTheFieldTable)
{
    const std::vector<std::pair<std::string, std::string_view>> expected = {
        {"artist", "sortArtist"},     {"album", "sortAlbum"}, {"album-artist", "sortAlbumArtist"},
        {"composer", "sortComposer"}, {"name", "sortName"},   {"show", "sortShow"}, {"title", "sortName"}};
    for (const auto& [name, sortKey] : expected) {
        const auto tag = tagForFieldName(name);
        ASSERT_TRUE(tag) << name;
        EXPECT_EQ(fieldForTag(*tag)->sortKey, sortKey);
    }
    for (const char* bad : {"Artist", "albumArtist", "Title", ""})
        EXPECT_FALSE(tagForFieldName(bad)) << bad;
}

struct BadUsage {
    std::vector<std::string> args;
    const char* message;
};

class CliBadUsage : public ::testing::TestWithParam<BadUsage> {};

TEST_P(CliBadUsage, GivesAClearMessageAndStatus2)
{
    const auto r = parseArguments(GetParam().args);
    EXPECT_FALSE(r.ok());
    EXPECT_THAT(r.reason(), HasSubstr(GetParam().message));

    std::istringstream in;
    std::ostringstream out, err;
    int opened = 0;
    const int status = main(GetParam().args, {in, out, err}, [&](const auto&) {
        ++opened;
        return Result<std::shared_ptr<void>>(std::make_shared<int>(0));
    });
    EXPECT_EQ(status, kExitUsage);
    EXPECT_EQ(opened, 0);
    EXPECT_THAT(err.str(), HasSubstr(GetParam().message));
    EXPECT_THAT(err.str(), HasSubstr("Usage:"));
    EXPECT_EQ(out.str(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Forms, CliBadUsage,
    ::testing::Values(BadUsage{{}, "no command"}, BadUsage{{"show"}, "unknown command: show"},
                      BadUsage{{"list"}, "list needs --field"},
                      BadUsage{{"list", "--field", "genre"}, "unknown field: 'genre'"},
                      BadUsage{{"list", "--field"}, "--field needs a value"},
                      BadUsage{{"list", "--field", "artist", "--field", "album"}, "--field given twice"},
                      BadUsage{{"list", "--field", "artist", "--romaji"}, "unknown option for list: --romaji"},
                      BadUsage{{"list", "--field", "artist", "extra"}, "unexpected argument: extra"},
                      BadUsage{{"apply", "--field", "artist"}, "apply needs one of"},
                      BadUsage{{"apply", "--field", "artist", "--copy", "--romaji"}, "only one of"},
                      BadUsage{{"apply", "--field", "artist", "--from"}, "--from needs a file"},
                      BadUsage{{"apply", "--field", "artist", "--copy", "--dry-run=yes"}, "unknown option"},
                      BadUsage{{"apply", "--field", "artist", "--copy", "--conflicts"}, "unknown option for apply"},
                      BadUsage{{"help", "list"}, "help takes no arguments"}));

// --- The TSV format ----------------------------------------------------------

TEST(CliTsv, EscapingRoundTrips)
{
    const std::vector<String> values = {u"",
                                        u"plain",
                                        u"tab\there",
                                        u"line\nfeed\n",
                                        u"\r\ncrlf\r",
                                        u"back\\slash\\t not a tab",
                                        u"\\",
                                        u"\u685c\u4e95 \u6620\u4e8c",
                                        u"mixed\t\\n\n\\\t"};
    for (const String& v : values) {
        const std::string escaped = escapeField(v);
        EXPECT_EQ(escaped.find_first_of("\t\n\r"), std::string::npos) << escaped;
        EXPECT_EQ(unescapeField(escaped).value(), v) << escaped;

        // Through a whole list line and the input parser.
        const auto parsed = parseAssignments(formatListLine(v, v + u"\t"));
        ASSERT_TRUE(parsed) << parsed.reason();
        ASSERT_EQ(parsed->size(), 1u);
        EXPECT_EQ(parsed->front().value, v);
        EXPECT_EQ(parsed->front().sort, v + u"\t");
    }
    EXPECT_EQ(escapeField(u"a\tb\nc\\d"), "a\\tb\\nc\\\\d");
}

// Nothing a tag holds may reach the terminal raw: controls, separators and
// bidirectional controls are escaped, and read back by the input parser.
TEST(CliTsv, TerminalControlsAreEscapedAndReadBack)
{
    const String hostile =
        u"\x1B]0;x\x07\u0085\u009B31m\u2028\u2029\u202E\u2066\u2069\x7F" + String(1, u'\0') + u"\u685c";
    const std::string escaped = escapeField(hostile);
    EXPECT_EQ(escaped, "\\x1B]0;x\\x07\\u0085\\u009B31m\\u2028\\u2029\\u202E\\u2066\\u2069\\x7F\\x00\xE6\xA1\x9C");
    EXPECT_EQ(unescapeField(escaped).value(), hostile);
}

TEST(CliTsv, ControlCharactersMustBeEscapes)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {std::string("a\tb\0c\n", 6), "line 1: raw control character"},
        {"a\x1B[2J\tb\n", "line 1: raw control character"},
        {"a\t\xC2\x85\n", "line 1: raw control character"},
        {"a\tb\rc\n", "line 1: raw control character"},
        {"a\t\\x00\n", "line 1: a sort value cannot hold a NUL"},
        {"a\t\\x8\n", "line 1: \\x needs two hexadecimal digits"},
        {"a\t\\uD800\n", "line 1: \\u needs four hexadecimal digits"},
    };
    for (const auto& [text, message] : cases) {
        const auto parsed = parseAssignments(text);
        ASSERT_FALSE(parsed) << text;
        EXPECT_THAT(parsed.reason(), HasSubstr(message)) << text;
    }
}

TEST(CliTsv, ParsesLinesWithNumbersBomAndCrlf)
{
    const auto parsed = parseAssignments("\xEF\xBB\xBF\xE6\xA1\x9C\tsakura\r\n\n\r\nB\\tC\t\r\n");
    ASSERT_TRUE(parsed) << parsed.reason();
    ASSERT_EQ(parsed->size(), 2u);
    EXPECT_EQ((*parsed)[0].lineNumber, 1u);
    EXPECT_EQ((*parsed)[0].value, u"\u685c");
    EXPECT_EQ((*parsed)[0].sort, u"sakura");
    EXPECT_EQ((*parsed)[1].lineNumber, 4u);
    EXPECT_EQ((*parsed)[1].value, u"B\tC");
    EXPECT_EQ((*parsed)[1].sort, u"");
}

TEST(CliTsv, MalformedLinesNameTheLine)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a\tb\nno tab here\n", "line 2: no tab"},       {"a\tb\tc\n", "line 1: more than one tab"},
        {"\n\na\\q\tb\n", "line 3: unknown escape \\q"}, {"a\tb\\\n", "line 1: backslash at the end"},
        {"a\xC3\tb\n", "line 1: not valid UTF-8"},       {"a\t\xED\xA0\x80\n", "line 1: not valid UTF-8"},
    };
    for (const auto& [text, message] : cases) {
        const auto parsed = parseAssignments(text);
        ASSERT_FALSE(parsed) << text;
        EXPECT_THAT(parsed.reason(), HasSubstr(message)) << text;
    }
}

// --- Runs over the memory library -------------------------------------------

class CliRun : public ::testing::Test {
protected:
    CliRun()
        : library_(bridge::MemoryLibrary::create()),
          registration_(bridge::kMusicApplicationIdentifier, library_),
          launcher_(std::make_shared<RecordingLauncher>()),
          previousLauncher_(setLauncher(launcher_)),
          logSink_([this](std::string_view text) { log_.emplace_back(text); })
    {
        // Artist field: value, sort value.
        add(u"\u685c", u"");                                                      // 0 listed, empty sort
        add(u"Abc", u"");                                                         // 1 Latin: never listed
        add(u"\u6d5c\u5d0e", u"hamasaki");                                        // 2 listed with a sort value
        add(u"\u685c", u"old");                                                   // 3 replaces the empty entry of 0
        add(u"tab\there\u6f22", u"");                                             // 4 listed, needs escaping
        add(u"\u5c71", u"yama").set("podcast", bridge::Value(true));              // 5 podcast
        add(u"\u5ddd", u"kawa").set("videoKind", bridge::Value(std::int32_t{6})); // 6 video
        add(u"\u6d5c\u5d0e", u"HAMASAKI");                                        // 7 same value, other sort value
        library_->clearAccesses();
    }
    ~CliRun() override { setLauncher(previousLauncher_); }

    bridge::MemoryTrack& add(const char16_t* value, const char16_t* sort)
    {
        return library_->addTrack("artist", String(value), "sortArtist", String(sort));
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

    std::vector<std::size_t> writtenTracks() const
    {
        std::vector<std::size_t> tracks;
        for (const auto& a : library_->accesses())
            if (a.kind == bridge::MemoryLibrary::Access::Kind::Write)
                tracks.push_back(a.track);
        return tracks;
    }

    std::shared_ptr<bridge::MemoryLibrary> library_;
    bridge::ScopedApplication registration_;
    std::shared_ptr<RecordingLauncher> launcher_;
    std::shared_ptr<Launcher> previousLauncher_;
    std::vector<std::string> log_;
    log::ScopedSink logSink_;
    std::ostringstream out_, err_;
};

TEST_F(CliRun, ListPrintsTheScanInListOrder)
{
    EXPECT_EQ(runCli({"list", "--field", "artist"}), kExitOk);
    EXPECT_EQ(out_.str(),
              "\xE6\xB5\x9C\xE5\xB4\x8E\thamasaki\n"
              "\xE6\xA1\x9C\told\n"
              "tab\\there\xE6\xBC\xA2\t\n");
    ASSERT_EQ(log_.size(), 1u);
    EXPECT_THAT(log_[0], HasSubstr(" sec"));
    EXPECT_THAT(launcher_->launched, IsEmpty());
    EXPECT_EQ(library_->writes(), 0u);
}

TEST_F(CliRun, ListConflictsPrintsOnlyValuesWhoseTracksDisagree)
{
    // 浜崎 is held as hamasaki by track 2 and HAMASAKI by track 7; 桜's
    // empty sort value beside "old" is a gap, not a disagreement.
    add(u"\u6d5c\u5d0e", u"HAMASAKI");
    EXPECT_EQ(runCli({"list", "--field", "artist", "--conflicts"}), kExitOk);
    EXPECT_EQ(out_.str(), "\xE6\xB5\x9C\xE5\xB4\x8E\thamasaki\thamasaki\t1\tHAMASAKI\t2\n");
    EXPECT_THAT(err_.str(), HasSubstr("1 value(s) whose tracks hold different sort values"));
    EXPECT_EQ(library_->writes(), 0u);

    // Without the flag the list is as it always was.
    EXPECT_EQ(runCli({"list", "--field", "artist"}), kExitOk);
    EXPECT_EQ(out_.str(),
              "\xE6\xB5\x9C\xE5\xB4\x8E\thamasaki\n"
              "\xE6\xA1\x9C\told\n"
              "tab\\there\xE6\xBC\xA2\t\n");
    EXPECT_THAT(err_.str(), Not(HasSubstr("different sort values")));
}

TEST_F(CliRun, PeopleListsEachNameOnceAndApplyWritesEveryField)
{
    // 浜崎 as the composer of a new track: one row with the artist's.
    library_->addTrack("composer", String(u"\u6d5c\u5d0e"), "sortComposer", String());
    EXPECT_EQ(runCli({"list", "--field", "people"}), kExitOk);
    EXPECT_EQ(out_.str(),
              "\xE6\xB5\x9C\xE5\xB4\x8E\thamasaki\n"
              "\xE6\xA1\x9C\told\n"
              "tab\\there\xE6\xBC\xA2\t\n");
    EXPECT_EQ(runCli({"apply", "--field", "people", "--from", "-", "--no-console"}, "\xE6\xB5\x9C\xE5\xB4\x8E\thama\n"),
              kExitOk);
    EXPECT_EQ(sortOf(2), u"hama");
    EXPECT_EQ(sortOf(7), u"hama");
    EXPECT_EQ(library_->track(8).get("sortComposer").copy(), OptString(u"hama"));
    EXPECT_THAT(err_.str(), HasSubstr("3 track(s) written"));
}

TEST_F(CliRun, ReportCountsEachFieldOfTheLibraryInOneWalk)
{
    EXPECT_EQ(runCli({"report"}), kExitOk);
    // The artist line: 5 values needing a reading on 7 tracks (Abc needs
    // none; the podcast and the video count, as Save writes them), 2 of them
    // without a sort value (桜's first track, the tab value), 5 with one,
    // and 浜崎 held as hamasaki and HAMASAKI.
    std::istringstream lines(out_.str());
    std::string header, artist, word;
    std::getline(lines, header);
    std::getline(lines, artist);
    std::istringstream cells(artist);
    std::vector<std::string> row;
    while (cells >> word)
        row.push_back(word);
    EXPECT_EQ(row, (std::vector<std::string>{"artist", "5", "7", "2", "5", "1", "0"})) << out_.str();
    EXPECT_THAT(out_.str(), HasSubstr("8 track(s) in the library"));
    EXPECT_EQ(library_->writes(), 0u);
    EXPECT_EQ(runCli({"report", "--field", "artist"}), kExitUsage);
    EXPECT_THAT(err_.str(), HasSubstr("report takes no --field"));
}

TEST_F(CliRun, ApplyFromTsvWritesTheListedValues)
{
    const std::string tsv = "\xE6\xA1\x9C\tsakura\n"        // 0 and 3
                            "tab\\there\xE6\xBC\xA2\tkan\n" // 4
                            "\xE5\xB1\xB1\tyama2\n"         // the podcast's value: not listed
                            "Abc\tabc\n";                   // Latin: not listed
    EXPECT_EQ(runCli({"apply", "--field", "artist", "--from", "-"}, tsv), kExitOk);
    // Only the values the input names are written: 7 keeps its own.
    EXPECT_THAT(writtenTracks(), ElementsAre(0, 3, 4));
    EXPECT_EQ(sortOf(0), u"sakura");
    EXPECT_EQ(sortOf(3), u"sakura");
    EXPECT_EQ(sortOf(4), u"kan");
    EXPECT_EQ(sortOf(7), u"HAMASAKI");
    EXPECT_EQ(sortOf(2), u"hamasaki");
    EXPECT_EQ(sortOf(5), u"yama");
    EXPECT_THAT(err_.str(), HasSubstr("line 3: not in the list, skipped: \xE5\xB1\xB1"));
    EXPECT_THAT(err_.str(), HasSubstr("line 4: not in the list, skipped: Abc"));
    EXPECT_THAT(err_.str(), HasSubstr("3 track(s) written"));
    EXPECT_THAT(launcher_->launched, ElementsAre("Console"));
    EXPECT_EQ(out_.str(), "");
}

TEST_F(CliRun, LaterLineOfTheSameValueCounts)
{
    EXPECT_EQ(runCli({"apply", "--field", "artist", "--from", "-", "--no-console"},
                     "\xE6\xA1\x9C\tfirst\n\xE6\xA1\x9C\tsecond\n"),
              kExitOk);
    EXPECT_EQ(sortOf(0), u"second");
    EXPECT_THAT(err_.str(), HasSubstr("line 2"));
    EXPECT_THAT(launcher_->launched, IsEmpty());
}

TEST_F(CliRun, EditCommandsActOnEveryOrOnlyEmptyEntries)
{
    EXPECT_EQ(runCli({"apply", "--field", "artist", "--copy", "--only-empty", "--no-console"}), kExitOk);
    // Only the empty entry changes, and only tracks without a sort value of
    // their own are filled in: 0 gets the listed "old", 7 keeps "HAMASAKI".
    EXPECT_THAT(writtenTracks(), ElementsAre(0, 4));
    EXPECT_EQ(sortOf(4), u"tab\there\u6f22");
    EXPECT_EQ(sortOf(0), u"old");

    library_->clearAccesses();
    EXPECT_EQ(runCli({"apply", "--field", "artist", "--romaji", "--no-console"}), kExitOk);
    const String sakura = romaji(String(u"\u685c"));
    ASSERT_FALSE(sakura.empty());
    EXPECT_EQ(sortOf(0), sakura);
    EXPECT_EQ(sortOf(3), sakura);
    EXPECT_EQ(sortOf(2), romaji(String(u"\u6d5c\u5d0e")));
    EXPECT_EQ(sortOf(5), u"yama");
}

TEST_F(CliRun, DryRunPrintsTheChangesAndWritesNothing)
{
    library_->track(0).set("name", bridge::Value(String(u"Song\nA")));
    EXPECT_EQ(runCli({"apply", "--field", "artist", "--from", "-", "--dry-run"}, "\xE6\xA1\x9C\tsakura\n"), kExitOk);
    EXPECT_EQ(library_->writes(), 0u);
    EXPECT_EQ(sortOf(0), u"");
    EXPECT_EQ(out_.str(),
              "Song\\nA:\xE6\xA1\x9C->sakura\n"
              "(null):\xE6\xA1\x9C->sakura\n");
    EXPECT_THAT(launcher_->launched, IsEmpty());
    EXPECT_THAT(log_, IsEmpty()); // kept off the system log
    EXPECT_THAT(err_.str(), HasSubstr("yomi-cli (dry run): Song\\nA:\xE6\xA1\x9C->sakura\n"));
    EXPECT_THAT(err_.str(), HasSubstr("2 track(s) would be written"));
    EXPECT_THAT(err_.str(), HasSubstr("yomi-cli: dry run: Save will write 2 tracks for 1 value\n"));
}

TEST_F(CliRun, FailedWriteGivesStatus1AndTheOthersAreWritten)
{
    library_->track(0).failWrites("read-only file");
    EXPECT_EQ(runCli({"apply", "--field", "artist", "--copy", "--no-console"}), kExitWriteFailed);
    EXPECT_EQ(sortOf(0), u"");
    EXPECT_EQ(sortOf(3), u"\u685c");
    EXPECT_EQ(sortOf(4), u"tab\there\u6f22");
    const auto failures = std::count_if(log_.begin(), log_.end(), [](const std::string& l) {
        return l.find("write failed") != std::string::npos && l.find("read-only file") != std::string::npos;
    });
    EXPECT_EQ(failures, 1);
    EXPECT_THAT(err_.str(), HasSubstr("4 track(s) written, 1 failed"));
}

TEST_F(CliRun, UnreadableInputWritesNothing)
{
    EXPECT_EQ(runCli({"apply", "--field", "artist", "--from", "/nonexistent/values.tsv"}), kExitUsage);
    EXPECT_THAT(err_.str(), HasSubstr("cannot read /nonexistent/values.tsv: no such file"));
    EXPECT_EQ(runCli({"apply", "--field", "artist", "--from", "/"}), kExitUsage);
    EXPECT_THAT(err_.str(), HasSubstr("not a regular file"));
    EXPECT_EQ(runCli({"apply", "--field", "artist", "--from", "-"}, "\xE6\xA1\x9C\tok\nbroken line\n"), kExitUsage);
    EXPECT_THAT(err_.str(), HasSubstr("standard input: line 2: no tab"));
    EXPECT_THAT(library_->accesses(), IsEmpty());
    EXPECT_THAT(launcher_->launched, IsEmpty());
}

TEST_F(CliRun, LibraryThatCannotBeOpenedIsReported)
{
    std::istringstream in;
    const int status = main({"list", "--field", "artist"}, {in, out_, err_},
                            [](const auto&) -> Result<std::shared_ptr<void>> { return Failure{"no library at /x"}; });
    EXPECT_EQ(status, kExitUsage);
    EXPECT_THAT(err_.str(), HasSubstr("no library at /x"));
}

class CliRevert : public CliRun {
protected:
    test::ScopedStateHome state_;
};

TEST_F(CliRevert, RevertTakesBackTheLastApplyAndListsTheLogs)
{
    EXPECT_EQ(runCli({"revert", "--field", "artist"}), kExitUsage);
    EXPECT_EQ(runCli({"revert", "--list", "--save", "1"}), kExitUsage);
    EXPECT_EQ(runCli({"revert", "--no-console"}), kExitUsage);
    EXPECT_THAT(err_.str(), HasSubstr("no Save to revert"));

    EXPECT_EQ(runCli({"apply", "--field", "artist", "--copy", "--no-console"}), kExitOk);
    EXPECT_THAT(err_.str(), HasSubstr("5 track(s) written (save 1; yomi-cli revert takes it back)"));
    library_->track(4).set("sortArtist", bridge::Value(String(u"by hand")));

    EXPECT_EQ(runCli({"revert", "--no-console"}), kExitOk);
    EXPECT_EQ(sortOf(0), u"");
    EXPECT_EQ(sortOf(3), u"old");
    EXPECT_EQ(sortOf(7), u"HAMASAKI");
    EXPECT_EQ(sortOf(4), u"by hand");
    EXPECT_THAT(err_.str(), HasSubstr("left alone: 4: the track holds another value\n"));
    EXPECT_THAT(err_.str(),
                HasSubstr("Reverted Save 1: 4 tracks; 1 changed since, left alone (this revert is save 2)"));

    EXPECT_EQ(runCli({"revert", "--list"}), kExitOk);
    EXPECT_THAT(out_.str(), HasSubstr("\tsave\tsortArtist\t-\t5 change(s)\n"));
    EXPECT_THAT(out_.str(), HasSubstr("\trevert of 1\tsortArtist\t-\t4 change(s)\n"));
    EXPECT_EQ(runCli({"revert", "--save", "9", "--no-console"}), kExitUsage);
    EXPECT_THAT(err_.str(), HasSubstr("no save 9"));
}

} // namespace
} // namespace yomi::cli
