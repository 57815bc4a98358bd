// The yomi-cli executable over folder libraries made from the audio templates
// and tagged with mutagen; what it writes is read back with mutagen too.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Cli/Cli.h"
#include "support/AudioFixtures.h"
#include "support/FileFlags.h"

#if defined(YOMI_CLI_PATH)

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

namespace yomi::cli {
namespace {

constexpr const char* kPython = "/usr/bin/python3";

// Tags files from a listing of lines "path<TAB>key<TAB>value", values escaped as
// in the list format. Keys: artist, sortArtist, name, podcast, stik.
constexpr const char* kTagger = R"PY(
import sys
from mutagen.id3 import ID3, TPE1, TSOP, TIT2, PCST
from mutagen.flac import FLAC
from mutagen.mp4 import MP4

def unescape(s):
    out, i = [], 0
    while i < len(s):
        if s[i] == '\\':
            out.append({'\\': '\\', 't': '\t', 'n': '\n', 'r': '\r'}[s[i + 1]]); i += 2
        else:
            out.append(s[i]); i += 1
    return ''.join(out)

files = {}
for line in open(sys.argv[1], encoding='utf-8').read().split('\n'):
    if line:
        path, key, value = line.split('\t')
        files.setdefault(path, []).append((key, unescape(value)))

for path, tags in files.items():
    if path.endswith('.mp3'):
        t = ID3(path)
        frames = {'artist': TPE1, 'sortArtist': TSOP, 'name': TIT2}
        for k, v in tags:
            if k == 'podcast':
                t.add(PCST(value=1))
            else:
                t.add(frames[k](encoding=3, text=[v]))
        t.save(path)
    elif path.endswith('.flac'):
        f = FLAC(path)
        names = {'artist': 'ARTIST', 'sortArtist': 'ARTISTSORT', 'name': 'TITLE'}
        for k, v in tags:
            f[names[k]] = [v]
        f.save()
    else:
        f = MP4(path)
        names = {'artist': '\xa9ART', 'sortArtist': 'soar', 'name': '\xa9nam'}
        for k, v in tags:
            if k == 'podcast':
                f['pcst'] = True
            elif k == 'stik':
                f['stik'] = [int(v)]
            else:
                f[names[k]] = [v]
        f.save()
)PY";

// Prints "file<TAB>key<TAB>value" for the artist, sort artist and title of
// every file named on the command line, values escaped as in the list format.
constexpr const char* kReader = R"PY(
import sys, os
import mutagen

def escape(s):
    return s.replace('\\', '\\\\').replace('\t', '\\t').replace('\n', '\\n').replace('\r', '\\r')

keys = {
    '.mp3': {'artist': 'TPE1', 'sortArtist': 'TSOP', 'name': 'TIT2'},
    '.flac': {'artist': 'artist', 'sortArtist': 'artistsort', 'name': 'title'},
    '.m4a': {'artist': '\xa9ART', 'sortArtist': 'soar', 'name': '\xa9nam'},
    '.m4v': {'artist': '\xa9ART', 'sortArtist': 'soar', 'name': '\xa9nam'},
}
for path in sys.argv[1:]:
    f = mutagen.File(path)
    for key, tag in keys[os.path.splitext(path)[1]].items():
        if f.tags is None or tag not in f.tags:
            continue
        v = f.tags[tag]
        v = v.text[0] if hasattr(v, 'text') else v[0]
        print(os.path.basename(path) + '\t' + key + '\t' + escape(str(v)))
)PY";

struct Result {
    int status = -1;
    std::string out, err;
};

using test::readBytes;
using test::writeBytes;

// Runs a program with the given environment, standard input from a text, and
// standard output and error captured.
Result runProgram(const std::vector<std::string>& args, const std::vector<std::string>& env, const fs::path& scratch,
                  const std::string& input = "")
{
    const fs::path inPath = scratch / "stdin", outPath = scratch / "stdout", errPath = scratch / "stderr";
    writeBytes(inPath, input);
    std::vector<char*> argv, envp;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const auto& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in = ::open(inPath.c_str(), O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    Result r;
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = readBytes(outPath);
    r.err = readBytes(errPath);
    return r;
}

struct FileSpec {
    std::string name;   // file name in the library; its extension picks the template
    std::string artist; // "" leaves the tag out
    std::optional<std::string> sort;
    std::string title;
    bool podcast = false;
    int stik = 0;
};

class CliEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        templates_ = fs::path(YOMI_FIXTURE_DIR) / "audio-templates";
        const std::string script = std::string(YOMI_SOURCE_DIR) + "/scripts/make-audio-templates";
        const std::string command = "'" + script + "' '" + templates_.string() + "'";
        templatesMade_ = std::system(command.c_str()) == 0;
    }

    void SetUp() override
    {
        if (!templatesMade_)
            GTEST_SKIP() << "scripts/make-audio-templates failed (ffmpeg missing?)";
        if (::access(kPython, X_OK) != 0 ||
            std::system((std::string(kPython) + " -c 'import mutagen' 2>/dev/null").c_str()) != 0)
            GTEST_SKIP() << "python3-mutagen is not installed";
        root_ = temp_.path();
        ASSERT_FALSE(root_.empty());
        library_ = root_ / "library";
        scratch_ = root_ / "scratch";
        stubs_ = root_ / "stubs";
        records_ = root_ / "records";
        for (const auto& d : {library_, scratch_, stubs_, records_})
            fs::create_directories(d);
        // The only log viewer the CLI can find: a stub that, a moment after
        // it starts (the CLI has exited by then), appends its arguments to a
        // record.
        writeBytes(stubs_ / "gnome-logs",
                   "#!/bin/sh\nsleep 0.3\necho \"$0 $*\" >> '" + (records_ / "gnome-logs").string() + "'\n");
        fs::permissions(stubs_ / "gnome-logs", fs::perms::owner_all);
    }

    void TearDown() override
    {
        for (const auto& f : immutable_)
            test::setImmutable(f, false);
    }

    void makeLibrary(const std::vector<FileSpec>& files)
    {
        std::ostringstream tagList;
        for (const FileSpec& f : files) {
            const std::string ext = fs::path(f.name).extension().string();
            fs::create_directories((library_ / f.name).parent_path());
            fs::copy_file(templates_ / ("template" + ext), library_ / f.name);
            const std::string path = (library_ / f.name).string();
            if (!f.artist.empty())
                tagList << path << "\tartist\t" << f.artist << '\n';
            if (f.sort)
                tagList << path << "\tsortArtist\t" << *f.sort << '\n';
            if (!f.title.empty())
                tagList << path << "\tname\t" << f.title << '\n';
            if (f.podcast)
                tagList << path << "\tpodcast\t1\n";
            if (f.stik)
                tagList << path << "\tstik\t" << f.stik << '\n';
        }
        writeBytes(scratch_ / "tagger.py", kTagger);
        writeBytes(scratch_ / "tags.tsv", tagList.str());
        const Result r = runProgram({kPython, (scratch_ / "tagger.py").string(), (scratch_ / "tags.tsv").string()},
                                    {"PATH=/usr/bin:/bin", "LANG=C.UTF-8"}, scratch_);
        ASSERT_EQ(r.status, 0) << r.err;
    }

    Result cli(std::vector<std::string> args, const std::string& input = "")
    {
        args.insert(args.begin(), YOMI_CLI_PATH);
        return runProgram(args,
                          {"PATH=" + stubs_.string(), "HOME=" + root_.string(),
                           "XDG_CONFIG_HOME=" + (root_ / "config").string(), "LANG=C.UTF-8"},
                          scratch_, input);
    }

    // file -> key -> escaped value, as mutagen reads them.
    std::map<std::string, std::map<std::string, std::string>> readBack()
    {
        writeBytes(scratch_ / "reader.py", kReader);
        std::vector<std::string> args = {kPython, (scratch_ / "reader.py").string()};
        for (const auto& e : fs::recursive_directory_iterator(library_))
            if (e.is_regular_file())
                args.push_back(e.path().string());
        const Result r = runProgram(args, {"PATH=/usr/bin:/bin", "LANG=C.UTF-8"}, scratch_);
        EXPECT_EQ(r.status, 0) << r.err;
        std::map<std::string, std::map<std::string, std::string>> tags;
        std::istringstream lines(r.out);
        for (std::string line; std::getline(lines, line);) {
            const auto a = line.find('\t'), b = line.find('\t', a + 1);
            tags[line.substr(0, a)][line.substr(a + 1, b - a - 1)] = line.substr(b + 1);
        }
        return tags;
    }

    std::map<std::string, std::string> snapshot()
    {
        std::map<std::string, std::string> bytes;
        for (const auto& e : fs::recursive_directory_iterator(library_))
            if (e.is_regular_file())
                bytes[fs::relative(e.path(), library_).string()] = readBytes(e.path());
        return bytes;
    }

    // The files whose bytes differ between two snapshots.
    static std::vector<std::string> changed(const std::map<std::string, std::string>& before,
                                            const std::map<std::string, std::string>& after)
    {
        std::vector<std::string> names;
        for (const auto& [name, bytes] : after)
            if (!before.contains(name) || before.at(name) != bytes)
                names.push_back(name);
        return names;
    }

    // Whether a process runs the log viewer stub: the CLI returns only once
    // the stub it launched has been executed, so the record is complete once
    // none runs any more.
    bool stubRunning() const
    {
        const std::string stub = (stubs_ / "gnome-logs").string();
        std::error_code ec;
        for (const auto& e : fs::directory_iterator("/proc", ec)) {
            std::string cmdline = readBytes(e.path() / "cmdline");
            std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
            if (cmdline.find(stub) != std::string::npos)
                return true;
        }
        return false;
    }

    // The log viewer launches, counted once every launched stub has exited.
    std::size_t consoleLaunches()
    {
        for (int i = 0; i < 2000 && stubRunning(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_FALSE(stubRunning()) << "the log viewer stub is still running";
        std::ifstream in(records_ / "gnome-logs");
        std::size_t n = 0;
        for (std::string line; std::getline(in, line);)
            ++n;
        return n;
    }

    std::string lib() const { return "--library=" + library_.string(); }

    // The library of most cases, in walk order.
    void makeStandardLibrary()
    {
        makeLibrary({
            {"01.flac", "\xE6\xA1\x9C", "", "T01"},                        // listed, empty sort value
            {"02.mp3", "Abc", "abc", "T02"},                               // Latin: never listed
            {"03.m4a", "\xE6\xB5\x9C\xE5\xB4\x8E", "hamasaki", "T03"},     // listed
            {"04.mp3", "\xE6\xA1\x9C", "sakura", "T04"},                   // replaces the entry of 01
            {"05.mp3", "\xE5\xB1\xB1", "yama", "T05", true},               // podcast
            {"06.m4v", "\xE5\xB7\x9D", "kawa", "T06"},                     // video track
            {"07.flac", "line\\nfeed\xE6\xBC\xA2", "a\\tb\\\\c", "T07"},   // needs escaping
            {"08.m4a", "\xE3\x81\xB2\xE3\x82\x89", "", "T08"},             // kana only
            {"09.mp3", "\xE6\xA3\xAE", std::nullopt, "T09"},               // no sort tag: listed, empty
            {"10.m4a", "\xE9\x87\x8E", "no", "T10", false, 6},             // music video
            {"sub/11.mp3", "\xE6\xB5\x9C\xE5\xB4\x8E", "HAMASAKI", "T11"}, // same value, other sort
        });
    }

    static inline fs::path templates_;
    static inline bool templatesMade_ = false;
    test::TempFolder temp_;
    fs::path root_, library_, scratch_, stubs_, records_;
    std::vector<fs::path> immutable_;
};

TEST_F(CliEndToEnd, ListFollowsTheScanRules)
{
    makeStandardLibrary();
    const Result r = cli({"list", "--field", "artist", lib()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "\xE6\xB5\x9C\xE5\xB4\x8E\thamasaki\n"
              "\xE6\xA1\x9C\tsakura\n"
              "line\\nfeed\xE6\xBC\xA2\ta\\tb\\\\c\n"
              "\xE6\xA3\xAE\t\n");
    EXPECT_THAT(r.err, HasSubstr(" sec"));

    // Another field of the same files: the titles are all Latin.
    const Result names = cli({"list", "--field=name", lib()});
    ASSERT_EQ(names.status, 0) << names.err;
    EXPECT_EQ(names.out, "");
}

TEST_F(CliEndToEnd, ApplyWritesExactlyTheListedChanges)
{
    makeStandardLibrary();
    const auto before = snapshot();
    const auto tagsBefore = readBack();
    const std::string tsv = "\xE6\xB5\x9C\xE5\xB4\x8E\tHAMASAKI\n"  // 03 written, 11 equal
                            "\xE6\xA1\x9C\tsakura\n"                // 01 written, 04 equal
                            "line\\nfeed\xE6\xBC\xA2\tkan\\tji\r\n" // 07 written (CR LF line end)
                            "\xE5\xB1\xB1\tmountain\n";             // the podcast: not listed
    writeBytes(scratch_ / "values.tsv", tsv);
    const Result r = cli({"apply", "--field", "artist", lib(), "--from", (scratch_ / "values.tsv").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");

    EXPECT_THAT(changed(before, snapshot()), ::testing::ElementsAre("01.flac", "03.m4a", "07.flac"));
    auto expected = tagsBefore;
    expected["01.flac"]["sortArtist"] = "sakura";
    expected["03.m4a"]["sortArtist"] = "HAMASAKI";
    expected["07.flac"]["sortArtist"] = "kan\\tji";
    EXPECT_EQ(readBack(), expected);

    EXPECT_THAT(r.err, HasSubstr("T01:\xE6\xA1\x9C->sakura\n"));
    EXPECT_THAT(r.err, HasSubstr("T03:\xE6\xB5\x9C\xE5\xB4\x8E->HAMASAKI\n"));
    EXPECT_THAT(r.err, HasSubstr("T07:line\\nfeed\xE6\xBC\xA2->kan\\tji\n"));
    EXPECT_THAT(r.err, HasSubstr("line 4: not in the list, skipped: \xE5\xB1\xB1"));
    EXPECT_THAT(r.err, HasSubstr("3 track(s) written"));
    EXPECT_EQ(consoleLaunches(), 1u);
}

// The list as printed, fed back unchanged, changes nothing; with one sort
// value edited it changes that value only, tabs and line feeds included.
TEST_F(CliEndToEnd, ListedValuesRoundTripThroughApply)
{
    makeStandardLibrary();
    const Result listed = cli({"list", "--field", "artist", lib()});
    ASSERT_EQ(listed.status, 0) << listed.err;
    const auto before = snapshot();

    const Result same = cli({"apply", "--field", "artist", lib(), "--from", "-", "--no-console"}, listed.out);
    ASSERT_EQ(same.status, 0) << same.err;
    // 01 and 11 differ from the listed sort values of their values.
    EXPECT_THAT(changed(before, snapshot()), ::testing::ElementsAre("01.flac", "sub/11.mp3"));
    EXPECT_THAT(same.err, Not(HasSubstr("not in the list")));

    std::string edited = listed.out;
    const std::string old = "\ta\\tb\\\\c\n";
    ASSERT_NE(edited.find(old), std::string::npos);
    edited.replace(edited.find(old), old.size(), "\tx\\ny\\\\\n");
    const auto middle = snapshot();
    const Result r = cli({"apply", "--field", "artist", lib(), "--from", "-", "--no-console"}, edited);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(changed(middle, snapshot()), ::testing::ElementsAre("07.flac"));
    EXPECT_EQ(readBack()["07.flac"]["sortArtist"], "x\\ny\\\\");
    EXPECT_THAT(cli({"list", "--field", "artist", lib()}).out, HasSubstr("line\\nfeed\xE6\xBC\xA2\tx\\ny\\\\\n"));
    EXPECT_EQ(consoleLaunches(), 0u);
}

TEST_F(CliEndToEnd, DryRunLeavesEveryFileByteIdentical)
{
    makeStandardLibrary();
    const auto before = snapshot();
    const Result r = cli({"apply", "--field", "artist", lib(), "--romaji", "--dry-run"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(snapshot(), before);
    std::vector<std::string> lines;
    std::istringstream out(r.out);
    for (std::string line; std::getline(out, line);)
        lines.push_back(line.substr(0, line.find(':')));
    EXPECT_THAT(lines, ::testing::ElementsAre("T01", "T03", "T04", "T07", "T09", "T11"));
    EXPECT_THAT(r.err, HasSubstr("6 track(s) would be written"));

    // A real run afterwards writes exactly what the dry run showed, and starts
    // the log viewer once: the dry run did not.
    const Result real = cli({"apply", "--field", "artist", lib(), "--romaji"});
    ASSERT_EQ(real.status, 0) << real.err;
    EXPECT_THAT(changed(before, snapshot()),
                ::testing::ElementsAre("01.flac", "03.m4a", "04.mp3", "07.flac", "09.mp3", "sub/11.mp3"));
    EXPECT_EQ(consoleLaunches(), 1u);
}

// Root ignores mode bits, so the file is made immutable (chattr +i), which
// stops root too.
TEST_F(CliEndToEnd, FileThatCannotBeWrittenGivesStatus1)
{
    makeStandardLibrary();
    const fs::path locked = library_ / "03.m4a";
    if (!test::setImmutable(locked, true))
        GTEST_SKIP() << "the file system has no immutable flag here";
    immutable_.push_back(locked);
    const auto before = snapshot();

    const Result r = cli({"apply", "--field", "artist", lib(), "--copy", "--no-console"});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_THAT(r.err,
                HasSubstr("write failed: T03 [" + (library_ / "03.m4a").string() +
                          "]:\xE6\xB5\x9C\xE5\xB4\x8E->\xE6\xB5\x9C\xE5\xB4\x8E ("));
    EXPECT_THAT(r.err, HasSubstr("5 track(s) written, 1 failed"));
    EXPECT_THAT(changed(before, snapshot()),
                ::testing::ElementsAre("01.flac", "04.mp3", "07.flac", "09.mp3", "sub/11.mp3"));
    const auto tags = readBack();
    EXPECT_EQ(tags.at("03.m4a").at("sortArtist"), "hamasaki");
    EXPECT_EQ(tags.at("11.mp3").at("sortArtist"), "\xE6\xB5\x9C\xE5\xB4\x8E");
}

TEST_F(CliEndToEnd, UsageErrorsAndUnusableInput)
{
    makeStandardLibrary();
    const auto before = snapshot();
    Result r = cli({"list", "--field", "genre", lib()});
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("unknown field: 'genre'"));
    EXPECT_THAT(r.err, HasSubstr("Usage:"));

    r = cli({"apply", "--field", "artist", lib(), "--from", (scratch_ / "missing.tsv").string()});
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("missing.tsv: no such file"));

    r = cli({"apply", "--field", "artist", lib(), "--from", "-"}, "\xE6\xA1\x9C\tsakura\n\xE6\xA1\x9C sakura\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("line 2: no tab"));

    r = cli({"list", "--field", "artist", "--library", (root_ / "nowhere").string()});
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("no library folder at"));

    // Without --library and with no music folder under HOME.
    r = cli({"list", "--field", "artist"});
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("--library"));

    r = cli({"help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_THAT(r.out, HasSubstr("yomi-cli list --field artist > artists.tsv"));

    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(consoleLaunches(), 0u);
}

// --from writes the values it names and nothing else; --only-empty never
// overwrites a track's own sort value.
TEST_F(CliEndToEnd, ApplyFromWritesOnlyWhatTheInputNames)
{
    makeStandardLibrary();
    makeLibrary({{"12.mp3", "\xE4\xB8\xAD\xE6\x9D\x91", "dj nakamura", "T12"},
                 {"13.flac", "\xE4\xB8\xAD\xE6\x9D\x91", "", "T13"}});
    const auto before = snapshot();
    const Result empty = cli({"apply", "--field", "artist", lib(), "--from", "-", "--no-console"}, "");
    ASSERT_EQ(empty.status, 0) << empty.err;
    EXPECT_THAT(empty.err, HasSubstr("0 track(s) written"));
    EXPECT_EQ(snapshot(), before);

    const Result r = cli({"apply", "--field", "artist", lib(), "--from", "-", "--only-empty", "--no-console"},
                         "\xE6\xA3\xAE\tmori\n\xE4\xB8\xAD\xE6\x9D\x91\tDJ Nakamura\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(changed(before, snapshot()), ::testing::ElementsAre("09.mp3", "13.flac"));
    const auto tags = readBack();
    EXPECT_EQ(tags.at("09.mp3").at("sortArtist"), "mori");
    EXPECT_EQ(tags.at("12.mp3").at("sortArtist"), "dj nakamura");
    EXPECT_EQ(tags.at("13.flac").at("sortArtist"), "DJ Nakamura");
}

// A value that cannot be written stops the run before any file changes.
TEST_F(CliEndToEnd, ABadValueAnywhereWritesNothing)
{
    makeStandardLibrary();
    const auto before = snapshot();
    const std::string input = "\xE6\xA1\x9C\tsakura\n\xE6\xA3\xAE\tmo\\x00ri\n";
    const Result r = cli({"apply", "--field", "artist", lib(), "--from", "-", "--no-console"}, input);
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("line 2: a sort value cannot hold a NUL"));
    EXPECT_EQ(snapshot(), before);
}

TEST_F(CliEndToEnd, UnreadableFilesAreNamedAndCounted)
{
    makeStandardLibrary();
    writeBytes(library_ / "broken.mp3", std::string(4096, '\x17'));
    writeBytes(library_ / "empty.flac", "");
    // Settled, so that the second run takes the files from the library index.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    const Result r = cli({"list", "--field", "artist", lib()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err, HasSubstr("cannot read " + (library_ / "broken.mp3").string()));
    EXPECT_THAT(r.err, HasSubstr("cannot read " + (library_ / "empty.flac").string()));
    EXPECT_THAT(r.err, HasSubstr("13 track(s) scanned, 2 file(s) could not be read"));
    // The rescan (from the library index) and the write-back after it name
    // each file once, with the reason the first scan gave.
    const Result apply = cli({"apply", "--field", "artist", lib(), "--copy", "--no-console"});
    EXPECT_EQ(apply.status, 0) << apply.err;
    EXPECT_THAT(apply.err, HasSubstr("2 file(s) could not be read"));
    for (const char* name : {"broken.mp3", "empty.flac"}) {
        const auto linesNaming = [&](const std::string& err) {
            std::vector<std::string> found;
            std::istringstream in(err);
            for (std::string line; std::getline(in, line);)
                if (line.find("cannot read " + (library_ / name).string()) != std::string::npos)
                    found.push_back(line.substr(line.find("cannot read ")));
            return found;
        };
        const auto first = linesNaming(r.err);
        ASSERT_EQ(first.size(), 1U) << r.err;
        EXPECT_EQ(linesNaming(apply.err), first) << apply.err;
    }
}

// A plain revert takes back the newest Save of the library it is given, not
// a later one of another library; the list names each Save's library.
TEST_F(CliEndToEnd, RevertTakesBackTheLibrarysOwnLastSave)
{
    makeStandardLibrary();
    const auto before = snapshot();
    const fs::path other = root_ / "other";
    fs::copy(library_, other, fs::copy_options::recursive);
    for (const fs::path& folder : {library_, other}) {
        const Result r = cli({"apply", "--field", "artist", "--library=" + folder.string(), "--copy", "--no-console"});
        ASSERT_EQ(r.status, 0) << r.err;
    }
    const std::string otherAfterSave = readBytes(other / "09.mp3");
    ASSERT_NE(otherAfterSave, before.at("09.mp3"));

    const Result r = cli({"revert", lib(), "--no-console"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err, HasSubstr("Reverted Save 1:"));
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(readBytes(other / "09.mp3"), otherAfterSave);

    const Result list = cli({"revert", "--list"});
    EXPECT_THAT(list.out, HasSubstr("\tsave\tsortArtist\t" + library_.string() + "\t"));
    EXPECT_THAT(list.out, HasSubstr("\tsave\tsortArtist\t" + other.string() + "\t"));
    EXPECT_THAT(list.out, HasSubstr("\trevert of 1\tsortArtist\t" + library_.string() + "\t"));
}

// A library folder the user may not read is an error, not an empty library.
// Root reads any folder, so the run drops to nobody where it can.
TEST_F(CliEndToEnd, UnreadableLibraryFolderIsStatus2)
{
    std::vector<std::string> args = {YOMI_CLI_PATH, "list", "--field", "artist", lib()};
    if (::geteuid() == 0) {
        if (::access("/usr/bin/setpriv", X_OK) != 0)
            GTEST_SKIP() << "running as root without setpriv";
        args.insert(args.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
        fs::permissions(root_, fs::perms(0755));
        fs::permissions(scratch_, fs::perms(0777));
    }
    fs::permissions(library_, fs::perms::none);
    const Result r = runProgram(args, {"PATH=" + stubs_.string(), "HOME=" + root_.string(), "LANG=C.UTF-8"}, scratch_);
    fs::permissions(library_, fs::perms::owner_all);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_THAT(r.err, HasSubstr("cannot read the library folder " + library_.string()));
}

} // namespace
} // namespace yomi::cli

#endif
