// make-library: writes a synthetic folder library for the benchmarks, or the
// small demo library of the window's run and screenshot scripts.
//
//   make-library --count N [--seed S] --out DIR [--templates DIR]
//   make-library --demo --out DIR [--templates DIR]
//
// N tracks in artist/album folders: about half MP3 (an eighth of them
// ID3v2.3, the rest ID3v2.4), a fifth FLAC, a fifth MP4 (a few podcasts and
// music videos among them), a tenth Ogg Vorbis. Values come from a few hundred
// names per field in Han (Japanese and Chinese), kana, Latin and mixed
// writing; sort values are set on some tracks, empty on some, absent on the
// rest. The same N and seed always give the same files.
//
// A finished library carries a stamp file (.yomi-library, hidden, so the
// folder library never lists it). When DIR already holds a finished library
// for the same N and seed nothing is written; a library with another stamp
// (or a half-written one) is removed and written anew; a non-empty folder
// without a stamp is never touched.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "LibraryWriter.h"
#include "Names.h"

namespace fs = std::filesystem;
using namespace yomi::bench;

namespace {

constexpr const char* kStampName = ".yomi-library";
constexpr const char* kTemplatesName = ".templates";
// Raised whenever the output changes, so that old libraries are made anew.
constexpr int kGeneratorVersion = 1;
constexpr int kDemoVersion = 2;

struct Options {
    std::size_t count = 0;
    std::uint64_t seed = 1;
    bool demo = false;
    fs::path out;
    fs::path templates;
    bool quiet = false;
};

[[noreturn]] void usage(const std::string& why)
{
    if (!why.empty())
        std::cerr << "make-library: " << why << "\n";
    std::cerr << "usage: make-library --count N [--seed S] --out DIR [--templates DIR] [--quiet]\n"
                 "       make-library --demo --out DIR [--templates DIR] [--quiet]\n";
    std::exit(2);
}

Options parse(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc)
                usage("missing value after " + a);
            return argv[++i];
        };
        try {
            if (a == "--count")
                o.count = std::stoul(next());
            else if (a == "--seed")
                o.seed = std::stoull(next());
            else if (a == "--out")
                o.out = next();
            else if (a == "--templates")
                o.templates = next();
            else if (a == "--demo")
                o.demo = true;
            else if (a == "--quiet")
                o.quiet = true;
            else if (a == "--help" || a == "-h")
                usage("");
            else
                usage("unknown argument " + a);
        } catch (const std::logic_error&) {
            usage("bad number for " + a);
        }
    }
    if (o.out.empty())
        usage("--out is required");
    if (!o.demo && o.count == 0)
        usage("--count N (N > 0) or --demo is required");
    return o;
}

// ---------------------------------------------------------------------------
// Planning the synthetic library

// A name usable as one path component: no '/', never hidden (a leading dot
// would hide it from the walk), at most about 100 bytes, cut at a character.
std::string pathComponent(const std::string& name)
{
    std::string s;
    for (char c : name)
        s += (c == '/' || c == '\0') ? '_' : c;
    while (!s.empty() && (s[0] == '.' || s[0] == ' '))
        s.erase(0, 1);
    if (s.size() > 100) {
        std::size_t cut = 100;
        while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80)
            --cut;
        s.resize(cut);
    }
    return s.empty() ? "_" : s;
}

std::string twoDigits(std::size_t n)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02zu", n);
    return buf;
}

class Planner {
public:
    explicit Planner(std::uint64_t seed) : rng_(seed)
    {
        pools_[Artist] = makePool(rng_, Artist, 320);
        pools_[Album] = makePool(rng_, Album, 400);
        pools_[Composer] = makePool(rng_, Composer, 300);
        pools_[Title] = makePool(rng_, Title, 600);
        pools_[Show] = makePool(rng_, Show, 200);
    }

    std::vector<TrackPlan> plan(std::size_t count)
    {
        std::vector<TrackPlan> tracks;
        tracks.reserve(count);
        while (tracks.size() < count) {
            const std::size_t room = count - tracks.size();
            const std::size_t r = rng_.below(100);
            if (r < 3)
                podcastSeries(tracks, room);
            else if (r < 7)
                musicVideos(tracks, room);
            else
                album(tracks, room);
        }
        return tracks;
    }

private:
    // Popular names come up more often than others, as in real libraries.
    const Named& drawFrom(Field field)
    {
        const auto& pool = pools_[field];
        const double u = rng_.unit();
        return pool[static_cast<std::size_t>(u * u * static_cast<double>(pool.size()))];
    }

    // The sort value a track carries for a value: absent about half the time,
    // empty one time in ten, else the reading (now and then in lower case, so
    // that tracks of one value disagree).
    std::optional<std::string> sortFor(const Named& n, bool allowEmpty = true)
    {
        const std::size_t r = rng_.below(100);
        if (r < 50)
            return std::nullopt;
        if (r < 60)
            return allowEmpty ? std::optional<std::string>("") : std::nullopt;
        std::string s = n.reading;
        if (rng_.chance(15))
            for (char& c : s)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    }

    FieldPlan field(const Named& n) { return {n.value, sortFor(n)}; }

    Format musicFormat()
    {
        const std::size_t r = rng_.below(100);
        if (r < 7)
            return Format::Mp3v23;
        if (r < 50)
            return Format::Mp3v24;
        if (r < 70)
            return Format::Flac;
        if (r < 89)
            return Format::M4a;
        return Format::Ogg;
    }

    // A folder for a block of tracks that no earlier block used.
    std::string folder(const std::string& first, const std::string& second)
    {
        std::string base = pathComponent(first) + "/" + pathComponent(second);
        std::string path = base;
        for (int n = 2; !usedFolders_.insert(path).second; ++n)
            path = base + " (" + std::to_string(n) + ")";
        return path;
    }

    void album(std::vector<TrackPlan>& tracks, std::size_t room)
    {
        const std::size_t size = std::min(room, 6 + rng_.below(9));
        const Format format = musicFormat();
        const Named& artist = drawFrom(Artist);
        const Named& album = drawFrom(Album);
        const bool compilation = rng_.chance(10);
        static const Named kVarious[] = {
            {"Various Artists", "various artists"}, {"オムニバス", "omnibasu"}, {"群星", "qunxing"}};
        const Named& albumArtist = compilation ? kVarious[rng_.below(3)] : artist;
        const bool hasAlbumArtist = compilation || rng_.chance(70);
        const bool hasAlbum = rng_.chance(95);
        const std::string dir =
            folder(hasAlbumArtist ? albumArtist.value : artist.value, hasAlbum ? album.value : "Unknown Album");
        // One sort value for the album-wide fields, shared by most tracks.
        const FieldPlan artistField = field(artist);
        const FieldPlan albumField = field(album);
        const FieldPlan albumArtistField = field(albumArtist);
        for (std::size_t i = 1; i <= size; ++i) {
            TrackPlan t;
            t.format = format;
            const Named& trackArtist = compilation ? drawFrom(Artist) : artist;
            t.fields[Artist] = (compilation || rng_.chance(15)) ? field(trackArtist) : artistField;
            if (hasAlbum)
                t.fields[Album] = rng_.chance(15) ? field(album) : albumField;
            if (hasAlbumArtist)
                t.fields[AlbumArtist] = rng_.chance(15) ? field(albumArtist) : albumArtistField;
            if (rng_.chance(60))
                t.fields[Composer] = field(rng_.chance(40) ? trackArtist : drawFrom(Composer));
            const Named& title = drawFrom(Title);
            t.fields[Title] = field(title);
            if (rng_.chance(3))
                t.fields[Show] = field(drawFrom(Show));
            t.relativePath = dir + "/" + twoDigits(i) + " " + pathComponent(title.value) + "." + extensionOf(format);
            tracks.push_back(std::move(t));
        }
    }

    void podcastSeries(std::vector<TrackPlan>& tracks, std::size_t room)
    {
        const std::size_t size = std::min(room, 3 + rng_.below(6));
        const Named& show = drawFrom(Show);
        const Named& host = drawFrom(Artist);
        const std::string dir = folder("Podcasts", show.value);
        for (std::size_t i = 1; i <= size; ++i) {
            TrackPlan t;
            t.format = Format::M4a;
            t.podcast = true;
            if (rng_.chance(70))
                t.mediaKind = 21;
            t.fields[Artist] = field(host);
            t.fields[Album] = field(show);
            t.fields[Show] = field(show);
            const Named& title = drawFrom(Title);
            t.fields[Title] = field(title);
            t.relativePath = dir + "/" + twoDigits(i) + " " + pathComponent(title.value) + ".m4a";
            tracks.push_back(std::move(t));
        }
    }

    void musicVideos(std::vector<TrackPlan>& tracks, std::size_t room)
    {
        const std::size_t size = std::min(room, 1 + rng_.below(3));
        const Named& artist = drawFrom(Artist);
        const std::string dir = folder(artist.value, "Music Videos");
        for (std::size_t i = 1; i <= size; ++i) {
            TrackPlan t;
            t.format = Format::M4v;
            // A quarter of real music videos carry no media kind; their video
            // track is what marks them.
            if (rng_.chance(75))
                t.mediaKind = 6;
            t.fields[Artist] = field(artist);
            if (rng_.chance(50))
                t.fields[Composer] = field(drawFrom(Composer));
            const Named& title = drawFrom(Title);
            t.fields[Title] = field(title);
            t.relativePath = dir + "/" + twoDigits(i) + " " + pathComponent(title.value) + ".m4v";
            tracks.push_back(std::move(t));
        }
    }

    Random rng_;
    std::vector<Named> pools_[kFieldCount];
    std::set<std::string> usedFolders_;
};

// ---------------------------------------------------------------------------
// The demo library: a few albums a newcomer can try every field on.

struct DemoTrack {
    Format format;
    const char* folder;
    const char* file;
    // value, sort value for each field; nullptr is absent, "" is empty.
    const char* v[kFieldCount * 2];
    bool podcast;
    int mediaKind; // -1: none
};

// clang-format off
const DemoTrack kDemo[] = {
    {Format::Mp3v24, "宇多田光/初恋", "01 初恋.mp3",
     {"宇多田光", "Utada Hikaru", "初恋", "Hatsukoi", "宇多田光", "Utada Hikaru", "宇多田光", nullptr, "初恋", nullptr, nullptr, nullptr}, false, -1},
    {Format::Mp3v24, "宇多田光/初恋", "02 花束を君に.mp3",
     {"宇多田光", "", "初恋", "", "宇多田光", nullptr, "宇多田光", nullptr, "花束を君に", nullptr, nullptr, nullptr}, false, -1},
    {Format::Mp3v24, "宇多田光/初恋", "03 道.mp3",
     {"宇多田光", nullptr, "初恋", nullptr, "宇多田光", nullptr, "宇多田光", nullptr, "道", "Michi", nullptr, nullptr}, false, -1},
    {Format::Mp3v23, "久石譲/風の谷", "01 風の谷のナウシカ.mp3",
     {"久石譲", "Hisaishi Joe", "風の谷", nullptr, "久石譲", "", "久石譲", "Hisaishi Joe", "風の谷のナウシカ", "", "風の谷のナウシカ", nullptr}, false, -1},
    {Format::Mp3v23, "久石譲/風の谷", "02 鳥の人.mp3",
     {"久石譲", nullptr, "風の谷", "Kaze no Tani", "久石譲", nullptr, "久石譲", nullptr, "鳥の人", nullptr, "風の谷のナウシカ", "Kaze no Tani no Nausicaa"}, false, -1},
    {Format::Mp3v23, "久石譲/風の谷", "03 遠い日々.mp3",
     {"久石譲", "", "風の谷", nullptr, "久石譲", nullptr, "久石譲", nullptr, "遠い日々", nullptr, nullptr, nullptr}, false, -1},
    {Format::Flac, "王菲/寓言", "01 寓言.flac",
     {"王菲", "Wang Fei", "寓言", nullptr, "王菲", "Wang Fei", "林夕", nullptr, "寓言", nullptr, nullptr, nullptr}, false, -1},
    {Format::Flac, "王菲/寓言", "02 童.flac",
     {"王菲", nullptr, "寓言", "Yuyan", "王菲", nullptr, "林夕", "Lin Xi", "童", nullptr, nullptr, nullptr}, false, -1},
    {Format::Flac, "王菲/寓言", "03 新房客.flac",
     {"王菲", nullptr, "寓言", nullptr, "王菲", nullptr, "张亚东", nullptr, "新房客", nullptr, nullptr, nullptr}, false, -1},
    {Format::Flac, "周杰伦/范特西", "01 爱在西元前.flac",
     {"周杰伦", "Zhou Jielun", "范特西", "Fan Te Xi", "周杰伦", nullptr, "周杰伦", "Zhou Jielun", "爱在西元前", "Ai Zai Xi Yuan Qian", nullptr, nullptr}, false, -1},
    {Format::Flac, "周杰伦/范特西", "02 简单爱.flac",
     {"周杰伦", nullptr, "范特西", nullptr, "周杰伦", nullptr, "周杰伦", nullptr, "简单爱", nullptr, nullptr, nullptr}, false, -1},
    {Format::M4a, "きゃりーぱみゅぱみゅ/ぱみゅぱみゅレボリューション", "01 つけまつける.m4a",
     {"きゃりーぱみゅぱみゅ", "Kyary Pamyu Pamyu", "ぱみゅぱみゅレボリューション", nullptr, "きゃりーぱみゅぱみゅ", nullptr, "中田ヤスタカ", "Nakata Yasutaka", "つけまつける", nullptr, nullptr, nullptr}, false, -1},
    {Format::M4a, "きゃりーぱみゅぱみゅ/ぱみゅぱみゅレボリューション", "02 PONPONPON.m4a",
     {"きゃりーぱみゅぱみゅ", nullptr, "ぱみゅぱみゅレボリューション", nullptr, "きゃりーぱみゅぱみゅ", nullptr, "中田ヤスタカ", "", "PONPONPON", nullptr, nullptr, nullptr}, false, -1},
    {Format::M4a, "きゃりーぱみゅぱみゅ/ぱみゅぱみゅレボリューション", "03 CANDY CANDY.m4a",
     {"きゃりーぱみゅぱみゅ", nullptr, "ぱみゅぱみゅレボリューション", nullptr, "きゃりーぱみゅぱみゅ", nullptr, "中田ヤスタカ", nullptr, "CANDY CANDY", nullptr, nullptr, nullptr}, false, -1},
    {Format::M4a, "椎名林檎/加爾基 精液 栗ノ花", "01 宗教.m4a",
     {"椎名林檎", "Shiina Ringo", "加爾基 精液 栗ノ花", "Karuki Zamen Kuri no Hana", "椎名林檎", "Shiina Ringo", "椎名林檎", nullptr, "宗教", "Shukyo", nullptr, nullptr}, false, -1},
    {Format::M4a, "椎名林檎/加爾基 精液 栗ノ花", "02 ドツペルゲンガー.m4a",
     {"椎名林檎", "", "加爾基 精液 栗ノ花", nullptr, "椎名林檎", nullptr, "椎名林檎", "", "ドツペルゲンガー", nullptr, nullptr, nullptr}, false, -1},
    {Format::Ogg, "スピッツ/ハチミツ", "01 ハチミツ.ogg",
     {"スピッツ", "Spitz", "ハチミツ", nullptr, "スピッツ", nullptr, "草野正宗", nullptr, "ハチミツ", nullptr, nullptr, nullptr}, false, -1},
    {Format::Ogg, "スピッツ/ハチミツ", "02 涙がキラリ☆.ogg",
     {"スピッツ", nullptr, "ハチミツ", "Hachimitsu", "スピッツ", nullptr, "草野正宗", "Kusano Masamune", "涙がキラリ☆", nullptr, nullptr, nullptr}, false, -1},
    {Format::Ogg, "スピッツ/ハチミツ", "03 ロビンソン.ogg",
     {"スピッツ", nullptr, "ハチミツ", nullptr, "スピッツ", nullptr, "マサムネ", "Masamune", "ロビンソン", "Robinson", "ドラえもん", nullptr}, false, -1},
    {Format::Mp3v24, "Yellow Magic Orchestra/浮気なぼくら", "01 君に、胸キュン。.mp3",
     {"Yellow Magic Orchestra", nullptr, "浮気なぼくら", "Uwaki na Bokura", "Yellow Magic Orchestra", nullptr, "坂本龍一", "Sakamoto Ryuichi", "君に、胸キュン。", nullptr, "Music Station スペシャル", "Music Station Special"}, false, -1},
    {Format::Mp3v24, "Yellow Magic Orchestra/浮気なぼくら", "02 Lotus Love.mp3",
     {"Yellow Magic Orchestra", "Yellow Magic Orchestra", "浮気なぼくら", nullptr, "Yellow Magic Orchestra", nullptr, "細野晴臣 & YMO", nullptr, "Lotus Love", nullptr, nullptr, nullptr}, false, -1},
    {Format::Mp3v24, "東京事変 feat. Various/大人 (Adult)", "01 秘密.mp3",
     {"東京事変 feat. Various", "Tokyo Jihen feat. Various", "大人 (Adult)", "", "東京事変 feat. Various", nullptr, "亀田誠治", nullptr, "秘密", "Himitsu", nullptr, nullptr}, false, -1},
    {Format::Mp3v24, "東京事変 feat. Various/大人 (Adult)", "02 Kingdom 王国.mp3",
     {"東京事変", nullptr, "大人 (Adult)", nullptr, "東京事変 feat. Various", "Tokyo Jihen feat. Various", "伊澤一葉", nullptr, "Kingdom 王国", nullptr, nullptr, nullptr}, false, -1},
    {Format::Flac, "The Beatles/Abbey Road", "01 Come Together.flac",
     {"The Beatles", "Beatles", "Abbey Road", nullptr, "The Beatles", "Beatles", "Lennon–McCartney", nullptr, "Come Together", nullptr, "MTV Unplugged", nullptr}, false, -1},
    {Format::Flac, "坂本龍一/音楽図鑑", "01 Tibetan Dance.flac",
     {"坂本龍一", "Sakamoto Ryuichi", "音楽図鑑", "Ongaku Zukan", "坂本龍一", "Sakamoto Ryuichi", "坂本龍一", "Sakamoto Ryuichi", "Tibetan Dance", nullptr, nullptr, nullptr}, false, -1},
    {Format::Flac, "坂本龍一/音楽図鑑", "02 森の人.flac",
     {"坂本龍一", nullptr, "音楽図鑑", nullptr, "坂本龍一", nullptr, "坂本龍一", nullptr, "森の人", nullptr, nullptr, nullptr}, false, -1},
    {Format::M4a, "Podcasts/深夜の音楽談義", "01 第1回 名盤を語る.m4a",
     {"山田太郎", "Yamada Taro", "深夜の音楽談義", "Shin'ya no Ongaku Dangi", nullptr, nullptr, nullptr, nullptr, "第1回 名盤を語る", nullptr, "深夜の音楽談義", "Shin'ya no Ongaku Dangi"}, true, 21},
    {Format::M4a, "Podcasts/深夜の音楽談義", "02 第2回 夏の歌.m4a",
     {"山田太郎", nullptr, "深夜の音楽談義", nullptr, nullptr, nullptr, nullptr, nullptr, "第2回 夏の歌", nullptr, "深夜の音楽談義", ""}, true, 21},
    {Format::M4v, "宇多田光/Music Videos", "01 花束を君に (Music Video).m4v",
     {"宇多田光", "Utada Hikaru", nullptr, nullptr, nullptr, nullptr, "宇多田光", nullptr, "花束を君に (Music Video)", nullptr, nullptr, nullptr}, false, 6},
    {Format::M4v, "中島みゆき/Music Videos", "01 糸 (Live).m4v",
     {"中島みゆき", "Nakajima Miyuki", nullptr, nullptr, nullptr, nullptr, "中島みゆき", "Nakajima Miyuki", "糸 (Live)", "Ito", "夜会", nullptr}, false, -1},
    {Format::Ogg, "中島みゆき/寒水魚", "01 悪女.ogg",
     {"中島みゆき", "Nakajima Miyuki", "寒水魚", "Kansuigyo", "中島みゆき", nullptr, "中島みゆき", nullptr, "悪女", "Akujo", "夜会", "Yakai"}, false, -1},
    {Format::Mp3v23, "中島みゆき/寒水魚", "02 傾斜.mp3",
     {"中島みゆき", nullptr, "寒水魚", nullptr, "中島みゆき", "", "中島みゆき", nullptr, "傾斜", nullptr, nullptr, nullptr}, false, -1},
};
// clang-format on

std::vector<TrackPlan> demoPlan()
{
    std::vector<TrackPlan> tracks;
    for (const DemoTrack& d : kDemo) {
        TrackPlan t;
        t.format = d.format;
        t.relativePath = std::string(d.folder) + "/" + d.file;
        for (int f = 0; f < kFieldCount; ++f) {
            if (d.v[2 * f])
                t.fields[f].value = d.v[2 * f];
            if (d.v[2 * f + 1])
                t.fields[f].sort = d.v[2 * f + 1];
        }
        t.podcast = d.podcast;
        if (d.mediaKind >= 0)
            t.mediaKind = static_cast<unsigned char>(d.mediaKind);
        tracks.push_back(std::move(t));
    }
    return tracks;
}

// ---------------------------------------------------------------------------

std::string stampText(const Options& o)
{
    if (o.demo)
        return "yomi demo library " + std::to_string(kDemoVersion) + "\n";
    return "yomi synthetic library " + std::to_string(kGeneratorVersion) + "\ncount=" + std::to_string(o.count) +
        "\nseed=" + std::to_string(o.seed) + "\n";
}

std::string readSmallFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string();
}

void writeStamp(const fs::path& out, const std::string& text)
{
    std::ofstream s(out / kStampName, std::ios::trunc);
    s << text;
    s.close();
    if (!s)
        throw std::runtime_error("cannot write the stamp file in " + out.string());
}

// Returns false when the folder already holds the library asked for.
bool prepareFolder(const Options& o)
{
    const fs::path stamp = o.out / kStampName;
    if (!fs::exists(o.out)) {
        fs::create_directories(o.out);
        return true;
    }
    if (fs::exists(stamp)) {
        if (readSmallFile(stamp) == stampText(o))
            return false;
        // Another or an unfinished library of ours: clear it, keeping the
        // templates.
        for (const auto& entry : fs::directory_iterator(o.out))
            if (entry.path().filename() != kTemplatesName)
                fs::remove_all(entry.path());
        return true;
    }
    for (const auto& entry : fs::directory_iterator(o.out))
        if (entry.path().filename() != kTemplatesName)
            throw std::runtime_error(o.out.string() + " is not empty and holds no generated library; not touching it");
    return true;
}

// Runs a program with one argument, without a shell; true when it exits 0.
bool runProgram(const std::string& program, const std::string& argument)
{
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        execl(program.c_str(), program.c_str(), argument.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

fs::path ensureTemplates(const Options& o)
{
    fs::path dir = o.templates.empty() ? o.out / kTemplatesName : o.templates;
    bool complete = true;
    for (Format f : {Format::Mp3v24, Format::Mp3v23, Format::Flac, Format::M4a, Format::M4v, Format::Ogg})
        complete = complete && fs::exists(dir / Templates::fileName(f));
    if (!complete) {
        const std::string script = std::string(YOMI_SOURCE_DIR) + "/scripts/make-audio-templates";
        if (!runProgram(script, dir.string()))
            throw std::runtime_error("could not make the audio templates with " + script);
    }
    return dir;
}

} // namespace

int main(int argc, char** argv)
{
    const Options o = parse(argc, argv);
    try {
        if (!prepareFolder(o)) {
            if (!o.quiet)
                std::cout << "make-library: " << o.out.string() << " is up to date\n";
            return 0;
        }
        const auto start = std::chrono::steady_clock::now();
        const Templates templates(ensureTemplates(o));
        writeStamp(o.out, "incomplete\n");
        const std::vector<TrackPlan> tracks = o.demo ? demoPlan() : Planner(o.seed).plan(o.count);
        std::map<Format, std::size_t> perFormat;
        std::size_t podcasts = 0, videos = 0;
        for (std::size_t i = 0; i < tracks.size(); ++i) {
            writeTrack(templates, o.out, tracks[i]);
            ++perFormat[tracks[i].format];
            podcasts += tracks[i].podcast;
            videos += tracks[i].format == Format::M4v;
            if (!o.quiet && (i + 1) % 10000 == 0)
                std::cout << "make-library: " << (i + 1) << " of " << tracks.size() << "\n" << std::flush;
        }
        writeStamp(o.out, stampText(o));
        if (!o.quiet) {
            const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::cout << "make-library: " << tracks.size() << " tracks in " << o.out.string() << " (" << secs << " s):";
            for (const auto& [format, n] : perFormat)
                std::cout << " " << formatName(format) << " " << n << ";";
            std::cout << " podcasts " << podcasts << "; music videos " << videos << "\n";
        }
    } catch (const std::exception& e) {
        std::cerr << "make-library: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
