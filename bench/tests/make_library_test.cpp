// make-library, run as the benchmarks and the window's scripts run it: the
// same seed gives the same files, the mix of formats and values is the one
// promised, the stamp makes a second run free, and a folder that is not ours
// is never touched.
#include <sys/wait.h>
#include <unistd.h>

#include <taglib/fileref.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Runs make-library with the arguments; returns its exit status.
int makeLibrary(std::vector<std::string> args)
{
    args.insert(args.begin(), YOMI_MAKE_LIBRARY);
    args.push_back("--quiet");
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Relative path -> content, hidden entries left out as the folder library
// leaves them out.
std::map<std::string, std::string> snapshot(const fs::path& root)
{
    std::map<std::string, std::string> files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        if (it->path().filename().string()[0] == '.') {
            if (it->is_directory())
                it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file())
            files[fs::relative(it->path(), root).string()] = readFile(it->path());
    }
    return files;
}

class MakeLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        root_ = fs::temp_directory_path() / ("make-library-test-" + std::to_string(getpid()));
        fs::create_directories(root_);
        templates_ = (root_ / "templates").string();
    }
    static void TearDownTestSuite() { fs::remove_all(root_); }

    static fs::path root_;
    static std::string templates_;
};

fs::path MakeLibrary::root_;
std::string MakeLibrary::templates_;

TEST_F(MakeLibrary, SameSeedSameFilesOtherSeedOtherFiles)
{
    const fs::path a = root_ / "a", b = root_ / "b", c = root_ / "c";
    ASSERT_EQ(makeLibrary({"--count", "300", "--seed", "7", "--out", a, "--templates", templates_}), 0);
    ASSERT_EQ(makeLibrary({"--count", "300", "--seed", "7", "--out", b, "--templates", templates_}), 0);
    ASSERT_EQ(makeLibrary({"--count", "300", "--seed", "8", "--out", c, "--templates", templates_}), 0);
    const auto sa = snapshot(a);
    EXPECT_EQ(sa.size(), 300u);
    EXPECT_TRUE(sa == snapshot(b));
    EXPECT_FALSE(sa == snapshot(c));
}

TEST_F(MakeLibrary, MixOfFormatsAndValues)
{
    const fs::path lib = root_ / "mix";
    ASSERT_EQ(makeLibrary({"--count", "2000", "--seed", "1", "--out", lib, "--templates", templates_}), 0);

    std::map<std::string, int> perExtension;
    int v23 = 0, podcasts = 0, musicVideos = 0;
    int sortSet = 0, sortEmpty = 0, sortAbsent = 0;
    std::set<std::string> artists, albums, titles;
    bool han = false, kana = false, latin = false;
    for (const auto& entry : fs::recursive_directory_iterator(lib)) {
        if (!entry.is_regular_file() || entry.path().filename().string()[0] == '.')
            continue;
        const std::string ext = entry.path().extension().string();
        ++perExtension[ext];
        if (ext == ".mp3") {
            TagLib::MPEG::File f(entry.path().c_str(), false);
            ASSERT_TRUE(f.ID3v2Tag()) << entry.path();
            if (f.ID3v2Tag()->header()->majorVersion() == 3)
                ++v23;
            const auto& frames = f.ID3v2Tag()->frameListMap();
            if (!frames.contains("TSOP"))
                ++sortAbsent;
            else if (frames["TSOP"].front()->toString().isEmpty())
                ++sortEmpty;
            else
                ++sortSet;
        }
        if (ext == ".m4a" || ext == ".m4v") {
            TagLib::MP4::File f(entry.path().c_str(), false);
            ASSERT_TRUE(f.isValid()) << entry.path();
            podcasts += f.tag()->contains("pcst") && f.tag()->item("pcst").toBool();
            musicVideos += ext == ".m4v";
        }
        TagLib::FileRef ref(entry.path().c_str(), false);
        ASSERT_FALSE(ref.isNull()) << entry.path();
        const TagLib::PropertyMap props = ref.file()->properties();
        for (const auto& [key, set] : {std::pair{"ARTIST", &artists}, {"ALBUM", &albums}, {"TITLE", &titles}}) {
            const auto it = props.find(key);
            if (it == props.end())
                continue;
            const std::string value = it->second.front().to8Bit(true);
            set->insert(value);
            const std::wstring wide = it->second.front().toWString();
            han = han || std::any_of(wide.begin(), wide.end(), [](wchar_t ch) { return ch >= 0x4E00 && ch <= 0x9FFF; });
            kana =
                kana || std::all_of(wide.begin(), wide.end(), [](wchar_t ch) { return ch >= 0x3040 && ch <= 0x30FF; });
            latin = latin || std::all_of(wide.begin(), wide.end(), [](wchar_t ch) { return ch < 0x80; });
        }
    }
    const int total = 2000;
    EXPECT_NEAR(perExtension[".mp3"], total * 0.5, total * 0.07);
    EXPECT_NEAR(perExtension[".flac"], total * 0.2, total * 0.06);
    EXPECT_NEAR(perExtension[".m4a"] + perExtension[".m4v"], total * 0.2, total * 0.06);
    EXPECT_NEAR(perExtension[".ogg"], total * 0.1, total * 0.05);
    EXPECT_GT(v23, 0);
    EXPECT_LT(v23, perExtension[".mp3"] / 2);
    EXPECT_GT(podcasts, 0);
    EXPECT_GT(musicVideos, 0);
    EXPECT_GT(sortSet, 0);
    EXPECT_GT(sortEmpty, 0);
    EXPECT_GT(sortAbsent, 0);
    // A few hundred distinct values per field.
    EXPECT_GT(artists.size(), 100u);
    EXPECT_GT(albums.size(), 100u);
    EXPECT_GT(titles.size(), 200u);
    EXPECT_TRUE(han && kana && latin);
}

TEST_F(MakeLibrary, StampSkipsAFinishedLibraryAndRedoesAnother)
{
    const fs::path lib = root_ / "stamp";
    ASSERT_EQ(makeLibrary({"--count", "50", "--out", lib, "--templates", templates_}), 0);
    const auto first = snapshot(lib);
    // A marker inside the library shows whether it was cleared.
    std::ofstream(lib / "marker.txt") << "x";
    ASSERT_EQ(makeLibrary({"--count", "50", "--out", lib, "--templates", templates_}), 0);
    EXPECT_TRUE(fs::exists(lib / "marker.txt"));

    ASSERT_EQ(makeLibrary({"--count", "60", "--out", lib, "--templates", templates_}), 0);
    EXPECT_FALSE(fs::exists(lib / "marker.txt"));
    EXPECT_EQ(snapshot(lib).size(), 60u);
}

TEST_F(MakeLibrary, NeverTouchesAFolderThatIsNotALibrary)
{
    const fs::path mine = root_ / "user-music";
    fs::create_directories(mine);
    std::ofstream(mine / "song.mp3") << "not generated";
    EXPECT_NE(makeLibrary({"--count", "10", "--out", mine, "--templates", templates_}), 0);
    EXPECT_EQ(readFile(mine / "song.mp3"), "not generated");
    EXPECT_EQ(std::distance(fs::directory_iterator(mine), fs::directory_iterator()), 1);
}

TEST_F(MakeLibrary, DemoHasEveryKindOfValueAPodcastAndAMusicVideo)
{
    const fs::path demo = root_ / "demo";
    ASSERT_EQ(makeLibrary({"--demo", "--out", demo}), 0); // its own templates, in a hidden folder
    const auto files = snapshot(demo);
    EXPECT_GE(files.size(), 25u);
    std::set<std::string> extensions;
    bool podcast = false, musicVideo = false;
    std::map<std::string, std::set<char>> scripts; // field -> 'H'an, 'K'ana, 'L'atin, 'M'ixed
    for (const auto& [relative, bytes] : files) {
        const fs::path path = demo / relative;
        extensions.insert(path.extension().string());
        if (path.extension() == ".m4a" || path.extension() == ".m4v") {
            TagLib::MP4::File f(path.c_str(), false);
            podcast = podcast || (f.tag()->contains("pcst") && f.tag()->item("pcst").toBool());
            musicVideo = musicVideo || (f.tag()->contains("stik") && f.tag()->item("stik").toByte() == 6);
        }
        TagLib::FileRef ref(path.c_str(), false);
        ASSERT_FALSE(ref.isNull()) << relative;
        const TagLib::PropertyMap props = ref.file()->properties();
        for (const char* key : {"ARTIST", "ALBUM", "ALBUMARTIST", "COMPOSER", "TITLE", "TVSHOW"}) {
            const auto it = props.find(key);
            if (it == props.end())
                continue;
            const std::wstring v = it->second.front().toWString();
            const bool anyHan = std::any_of(v.begin(), v.end(), [](wchar_t c) { return c >= 0x4E00 && c <= 0x9FFF; });
            const bool anyKana = std::any_of(v.begin(), v.end(), [](wchar_t c) { return c >= 0x3040 && c <= 0x30FF; });
            const bool anyLatin = std::any_of(v.begin(), v.end(), [](wchar_t c) { return c >= 'A' && c <= 'z'; });
            if (anyLatin && (anyHan || anyKana))
                scripts[key].insert('M');
            else if (anyHan)
                scripts[key].insert('H');
            else if (anyKana)
                scripts[key].insert('K');
            else if (anyLatin)
                scripts[key].insert('L');
        }
    }
    EXPECT_GE(extensions.size(), 4u);
    EXPECT_TRUE(podcast);
    EXPECT_TRUE(musicVideo);
    for (const char* key : {"ARTIST", "ALBUM", "ALBUMARTIST", "COMPOSER", "TITLE", "TVSHOW"})
        EXPECT_EQ(scripts[key], (std::set<char>{'H', 'K', 'L', 'M'})) << key;
}

} // namespace
