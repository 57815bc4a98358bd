// yomi-bench: scan and save cost of the editor over folder libraries, against
// bare TagLib loops doing the same file work, plus peak memory of a Load and
// the controller's own cost over the in-memory library.
//
//   yomi-bench [--reps R] [--save-reps R] [--work DIR] [--out FILE] LIBRARY...
//
// For each library folder (one made by make-library), after reading every file
// once to warm the page cache, it measures (medians of R runs):
//   0. a bare walk of the folder with a stat of every audio file;
//   1. bare TagLib: walk the folder, open every file without audio
//      properties, read ARTIST and ARTISTSORT from its property map;
//   2. Load through SRMainController with the folder library on the folder
//      (field 0, artist; outlets null): a first Load (no library index) with
//      1, 2 and 4 read-ahead workers (and the default count, one per core),
//      ratio to (1); a rescan (the index of the Load before it in place,
//      default workers), ratio to (0);
//   3. on a copy of the folder: a Save that changes the listed sort value of
//      enough entries to reach 10% of the tracks, against a bare TagLib loop
//      that walks and opens every file the same way and writes the same new
//      sort value to the same tracks; time and ratio;
//   4. peak resident memory of a process that does one Load (2), first and
//      rescan, and its growth during the Load;
//   5. Load through the in-memory library holding the same values: µs per
//      track.
// It prints one Markdown table and, with --out, writes it to FILE.
//
// The log goes to a sink that drops every line, and the log viewer is never
// started: the figures are those of the scan and the write-back themselves.
// Library indexes are kept under WORK/cache.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <taglib/fileref.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "Bridge/Folder/FolderLibrary.h"
#include "support/MemoryLibrary.h"
#include "Bridge/MusicLibrary.h"
#include "Bridge/Walk/LibraryIndex.h"
#include "Bridge/Walk/ParseAhead.h"
#include "Controller/SRMainController.h"
#include "Platform/Launcher.h"
#include "Platform/Log.h"
#include "Platform/Text.h"

namespace fs = std::filesystem;
using namespace yomi;
using Clock = std::chrono::steady_clock;

namespace {

struct Options {
    int reps = 5;
    int saveReps = 3;
    fs::path work;
    fs::path out;
    std::vector<fs::path> libraries;
    // Empty: every measurement; else only the one named (read, load, rss,
    // memory, save), for profiling.
    std::string only;
    bool wants(std::string_view phase) const { return only.empty() || only == phase; }
};

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
        static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The folder library at a root, registered as the app registers it, for the
// lifetime of the object.
class FolderLibraryScope {
public:
    explicit FolderLibraryScope(const fs::path& root) : previous_(bridge::folder::registerFolderLibrary(root)) {}
    ~FolderLibraryScope() { bridge::registerApplication(bridge::kMusicApplicationIdentifier, std::move(previous_)); }
    FolderLibraryScope(const FolderLibraryScope&) = delete;
    FolderLibraryScope& operator=(const FolderLibraryScope&) = delete;

private:
    bridge::ApplicationFactory previous_;
};

class NullLauncher final : public Launcher {
public:
    bool launch(std::string_view) override { return true; }
};

// Every file the folder library lists: a known audio extension, nothing
// hidden on the way.
bool isHidden(const fs::path& p)
{
    const std::string name = p.filename().string();
    return !name.empty() && name[0] == '.';
}

bool isAudio(const fs::path& p)
{
    static const std::set<std::string> kExtensions{".mp3", ".flac", ".m4a", ".m4v", ".mp4",
                                                   ".m4b", ".ogg",  ".oga", ".opus"};
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return kExtensions.count(ext) != 0;
}

template <typename F>
void walkAudio(const fs::path& root, F&& f)
{
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        if (isHidden(it->path())) {
            if (it->is_directory())
                it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file() && isAudio(it->path()))
            f(it->path());
    }
}

// (0) The bare walk with a stat of each audio file.
std::size_t bareWalkStat(const fs::path& root)
{
    std::size_t files = 0;
    walkAudio(root, [&](const fs::path& p) {
        struct stat st {};
        files += ::stat(p.c_str(), &st) == 0 && st.st_size > 0;
    });
    return files;
}

void removeIndex(const fs::path& library)
{
    const std::string db = bridge::folder::LibraryIndex::fileFor(library).string();
    for (const char* suffix : {"", "-wal", "-shm"})
        fs::remove(db + suffix);
}

void setWorkers(unsigned workers)
{
    if (workers == 0)
        ::unsetenv("YOMI_PARSE_THREADS");
    else
        ::setenv("YOMI_PARSE_THREADS", std::to_string(workers).c_str(), 1);
}

// The worker counts of the first Load: 1, 2, 4 and the default.
std::vector<unsigned> workerCounts()
{
    std::vector<unsigned> counts{1, 2, 4};
    const unsigned def = bridge::folder::parseThreadCount();
    if (std::find(counts.begin(), counts.end(), def) == counts.end())
        counts.push_back(def);
    return counts;
}

void warmPageCache(const fs::path& root)
{
    std::vector<char> buffer(1 << 16);
    walkAudio(root, [&](const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())))
            ;
    });
}

struct BareTrack {
    std::string artist; // UTF-8; "" also when absent
    bool hasArtist = false;
};

// (1) The bare TagLib loop. Returns the number of files; fills `values` when
// given.
std::size_t bareRead(const fs::path& root, std::unordered_map<std::string, std::size_t>* counts)
{
    std::size_t files = 0;
    std::size_t seen = 0;
    walkAudio(root, [&](const fs::path& p) {
        ++files;
        TagLib::FileRef ref(p.c_str(), false);
        if (ref.isNull())
            return;
        const TagLib::PropertyMap props = ref.file()->properties();
        const auto artist = props.find("ARTIST");
        const auto sort = props.find("ARTISTSORT");
        if (artist != props.end() && !artist->second.isEmpty()) {
            seen += artist->second.front().size();
            if (counts)
                ++(*counts)[artist->second.front().to8Bit(true)];
        }
        if (sort != props.end() && !sort->second.isEmpty())
            seen += sort->second.front().size();
    });
    // Keeps the reads from being optimised away.
    if (seen == static_cast<std::size_t>(-1))
        std::cerr << seen;
    return files;
}

// The bare TagLib write: walk and open every file as (1) does, and for each
// track whose artist is a key of `newSort`, write that sort value and save
// (an MP3 saves its ID3v2 tag alone, at the version it has).
std::size_t bareWrite(const fs::path& root, const std::unordered_map<std::string, std::string>& newSort)
{
    std::size_t written = 0;
    walkAudio(root, [&](const fs::path& p) {
        TagLib::FileRef ref(p.c_str(), false);
        if (ref.isNull())
            return;
        TagLib::PropertyMap props = ref.file()->properties();
        const auto artist = props.find("ARTIST");
        if (artist == props.end() || artist->second.isEmpty())
            return;
        const auto target = newSort.find(artist->second.front().to8Bit(true));
        if (target == newSort.end())
            return;
        props.replace("ARTISTSORT", TagLib::StringList(TagLib::String(target->second, TagLib::String::UTF8)));
        ref.file()->setProperties(props);
        bool ok;
        if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(ref.file())) {
            const auto version = mpeg->ID3v2Tag() && mpeg->ID3v2Tag()->header()->majorVersion() == 3
                ? TagLib::ID3v2::v3
                : TagLib::ID3v2::v4;
            ok = mpeg->save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, version, TagLib::File::DoNotDuplicate);
        } else {
            ok = ref.file()->save();
        }
        written += ok;
    });
    return written;
}

// (2) One Load through the controller, field 0 (artist).
double timedLoad(SRMainController& controller)
{
    const auto start = Clock::now();
    controller.load(nullptr);
    return secondsSince(start);
}

// The list model of the window in miniature: counts what it is told.
class CountingObserver final : public PropertyObserver {
public:
    void didChange(std::string_view, const ListChange& change) override
    {
        ++changes;
        rows += change.kind == ListChange::Kind::Insert;
    }
    std::size_t changes = 0;
    std::size_t rows = 0;
};

long readStatusKiB(const char* field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::size_t n = std::strlen(field);
    while (std::getline(in, line))
        if (line.compare(0, n, field) == 0)
            return std::strtol(line.c_str() + n + 1, nullptr, 10);
    return -1;
}

// The child of (4): one Load ("first": without an index); prints the
// high-water mark before and after.
int childLoad(const std::string& mode, const fs::path& library)
{
    if (mode == "first")
        removeIndex(library);
    FolderLibraryScope folder(library);
    SRMainController controller;
    const long before = readStatusKiB("VmHWM:");
    controller.load(nullptr);
    const long after = readStatusKiB("VmHWM:");
    std::cout << before << " " << after << " " << controller.dataArray()->size() << "\n";
    return 0;
}

struct Memory {
    long peakKiB = -1;   // ru_maxrss of the child
    long beforeKiB = -1; // high-water mark before the Load
};

Memory measureLoadMemory(const fs::path& library, const char* mode)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid < 0)
        return {};
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        execl("/proc/self/exe", "yomi-bench", "--child-load", mode, library.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    std::string text;
    char buf[256];
    for (ssize_t n; (n = read(pipeFds[0], buf, sizeof buf)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        text.append(buf, static_cast<std::size_t>(n));
    }
    close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR)
        ;
    Memory m;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        m.peakKiB = usage.ru_maxrss;
        std::istringstream(text) >> m.beforeKiB;
    }
    return m;
}

// (5) The same values in the in-memory library: artist, its sort value,
// podcast and video kind as the folder library reads them.
std::shared_ptr<bridge::MemoryLibrary> memoryCopy()
{
    auto memory = bridge::MemoryLibrary::create();
    memory->setRecording(false);
    auto sequence = bridge::tracksOf(
        bridge::libraryPlaylist(bridge::applicationWithBundleIdentifier(bridge::kMusicApplicationIdentifier)));
    bridge::forEachTrack(*sequence, [&](bridge::Track& track) {
        std::map<std::string, bridge::Value, std::less<>> props;
        for (const char* key : {"artist", "sortArtist", "podcast", "videoKind"}) {
            bridge::Value v = track.valueForKey(key);
            if (!v.isAbsent())
                props.emplace(key, std::move(v));
        }
        memory->addTrack(std::move(props));
    });
    return memory;
}

std::string libraryStamp(const fs::path& library)
{
    std::ifstream in(library / ".yomi-library");
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string();
}

// A copy of the library to write into, made once and kept while the library
// it came from is the same.
fs::path saveCopy(const fs::path& library, const fs::path& work)
{
    const fs::path copy = work / (library.filename().string() + "-save");
    const std::string stamp = libraryStamp(library);
    if (!stamp.empty() && libraryStamp(copy) == stamp)
        return copy;
    fs::remove_all(copy);
    fs::create_directories(copy.parent_path());
    fs::copy(library, copy, fs::copy_options::recursive);
    return copy;
}

struct Row {
    std::size_t tracks = 0;
    double bareWalkStat = 0, bareRead = 0, rescan = 0;
    std::vector<std::pair<unsigned, double>> firstLoad; // workers, seconds
    double load = 0;                                    // first Load, default workers
    std::size_t listed = 0;
    double save = 0, bareWrite = 0;                       // Save at the default group size
    std::vector<std::pair<unsigned, double>> saveByGroup; // group size, seconds
    double saveCpu = 0, bareWriteCpu = 0;                 // processor time (user + system)
    std::size_t saveWritten = 0, saveFailed = 0, bareWritten = 0;
    Memory memory, rescanMemory;
    double memoryLoadMicros = 0;
};

// The group sizes Save is measured at (YOMI_COMMIT_GROUP); 0 is the default
// one, measured last. 1 commits file by file.
std::vector<unsigned> saveGroupSizes() { return {1, 8, 0}; }

std::string runToken()
{
    return std::to_string(
        static_cast<long long>(std::chrono::system_clock::now().time_since_epoch().count() % 1000000007));
}

Row measure(const fs::path& library, const Options& o)
{
    Row row;
    std::cerr << "yomi-bench: " << library.string() << ": warming the page cache\n";
    warmPageCache(library);

    std::unordered_map<std::string, std::size_t> counts;
    row.tracks = bareRead(library, &counts);

    if (o.wants("read") || o.wants("load")) {
        std::cerr << "yomi-bench: bare walk and TagLib read, first Load and rescan, " << o.reps << " runs each\n";
        const std::vector<unsigned> counts = workerCounts();
        std::vector<double> walk, bare, rescan;
        std::vector<std::vector<double>> first(counts.size());
        FolderLibraryScope folder(library);
        SRMainController controller;
        CountingObserver observer;
        controller.addObserver(&observer);
        for (int r = 0; r < o.reps; ++r) {
            // Interleaved, so that all see the same state of the machine.
            if (o.wants("read")) {
                auto start = Clock::now();
                bareWalkStat(library);
                walk.push_back(secondsSince(start));
                start = Clock::now();
                bareRead(library, nullptr);
                bare.push_back(secondsSince(start));
            }
            if (o.wants("load")) {
                for (std::size_t w = 0; w < counts.size(); ++w) {
                    setWorkers(counts[w]);
                    removeIndex(library);
                    first[w].push_back(timedLoad(controller));
                }
                setWorkers(0);
                rescan.push_back(timedLoad(controller));
            }
        }
        row.listed = controller.dataArray() ? controller.dataArray()->size() : 0;
        controller.removeObserver(&observer);
        row.bareWalkStat = median(walk);
        row.bareRead = median(bare);
        row.rescan = median(rescan);
        for (std::size_t w = 0; w < counts.size(); ++w) {
            row.firstLoad.emplace_back(counts[w], median(first[w]));
            if (counts[w] == bridge::folder::parseThreadCount())
                row.load = row.firstLoad.back().second;
        }
    }

    if (o.wants("rss")) {
        std::cerr << "yomi-bench: peak memory of one Load, first and rescan\n";
        row.memory = measureLoadMemory(library, "first");
        row.rescanMemory = measureLoadMemory(library, "rescan");
    }

    if (o.wants("memory")) {
        std::cerr << "yomi-bench: in-memory Load\n";
        std::shared_ptr<bridge::MemoryLibrary> memory;
        {
            FolderLibraryScope folder(library);
            memory = memoryCopy();
        }
        bridge::ScopedApplication app(bridge::kMusicApplicationIdentifier, memory);
        SRMainController controller;
        CountingObserver observer;
        controller.addObserver(&observer);
        std::vector<double> runs;
        // A Load of a small library takes milliseconds: enough runs to cover
        // some 400,000 tracks keep the median steady.
        const std::size_t wanted = 400000 / std::max<std::size_t>(1, memory->trackCount());
        const int count = static_cast<int>(std::clamp<std::size_t>(wanted, static_cast<std::size_t>(o.reps), 200));
        for (int r = 0; r < count; ++r)
            runs.push_back(timedLoad(controller));
        controller.removeObserver(&observer);
        row.memoryLoadMicros = median(runs) * 1e6 / static_cast<double>(std::max<std::size_t>(1, memory->trackCount()));
    }

    if (o.wants("save")) {
        std::cerr << "yomi-bench: Save of 10% of the tracks against a bare TagLib write, " << o.saveReps
                  << " runs each\n";
        const fs::path copy = saveCopy(library, o.work);
        warmPageCache(copy);
        FolderLibraryScope folder(copy);
        SRMainController controller;
        controller.load(nullptr);
        // Entries in list order until their tracks make a tenth of the library.
        std::vector<PairEntryRef> chosen;
        std::size_t covered = 0;
        for (const PairEntryRef& e : controller.dataArray()->entries()) {
            if (covered * 10 >= row.tracks)
                break;
            chosen.push_back(e);
            covered += counts[toUtf8(e->originalStr)];
        }
        // Every other entry gets an empty sort value, which Save skips: only
        // the chosen tracks are written, whatever an earlier run left behind.
        const std::set<const PairEntry*> isChosen = [&] {
            std::set<const PairEntry*> set;
            for (const auto& e : chosen)
                set.insert(e.get());
            return set;
        }();
        for (const PairEntryRef& e : controller.dataArray()->entries())
            if (!isChosen.count(e.get()))
                e->sortStr.clear();
        const std::string token = runToken();
        std::vector<double> saves, writes, saveCpu, writeCpu;
        std::map<unsigned, std::vector<double>> byGroup;
        for (int r = 0; r < o.saveReps; ++r) {
            std::unordered_map<std::string, std::string> bareValues;
            for (std::size_t i = 0; i < chosen.size(); ++i)
                bareValues[toUtf8(chosen[i]->originalStr)] =
                    "bench " + token + " b" + std::to_string(r) + " " + std::to_string(i);
            // The other group sizes first, the default one last, each with
            // values of its own so that every Save writes every chosen track.
            for (const unsigned group : saveGroupSizes()) {
                for (std::size_t i = 0; i < chosen.size(); ++i)
                    chosen[i]->sortStr = toUtf16("bench " + token + " c" + std::to_string(r) + " g" +
                                                 std::to_string(group) + " " + std::to_string(i));
                const std::string size = group ? std::to_string(group) : std::string();
                if (group)
                    ::setenv("YOMI_COMMIT_GROUP", size.c_str(), 1);
                else
                    ::unsetenv("YOMI_COMMIT_GROUP");
                const auto start = Clock::now();
                const double cpu = cpuSeconds();
                controller.save(nullptr);
                byGroup[group].push_back(secondsSince(start));
                if (group == 0) {
                    saves.push_back(byGroup[group].back());
                    saveCpu.push_back(cpuSeconds() - cpu);
                    row.saveWritten = controller.lastSaveReport().written;
                    row.saveFailed = controller.lastSaveReport().failed;
                }
            }
            ::unsetenv("YOMI_COMMIT_GROUP");

            auto start = Clock::now();
            double cpu = cpuSeconds();
            row.bareWritten = bareWrite(copy, bareValues);
            writes.push_back(secondsSince(start));
            writeCpu.push_back(cpuSeconds() - cpu);
        }
        row.save = median(saves);
        for (const unsigned group : saveGroupSizes())
            row.saveByGroup.emplace_back(group, median(byGroup[group]));
        row.bareWrite = median(writes);
        row.saveCpu = median(saveCpu);
        row.bareWriteCpu = median(writeCpu);
    }
    return row;
}

std::string fixed(double v, int digits)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", digits, v);
    return buf;
}

std::string mib(long kib) { return kib < 0 ? "n/a" : fixed(static_cast<double>(kib) / 1024.0, 1); }

// A figure, or "–" when it was not measured.
std::string figure(double v, int digits) { return v > 0 ? fixed(v, digits) : "–"; }

std::string ratio(double a, double b) { return a > 0 && b > 0 ? fixed(a / b, 2) + "×" : "–"; }

std::string peak(const Memory& m) { return m.peakKiB < 0 ? "–" : mib(m.peakKiB); }

std::string growth(const Memory& m) { return m.peakKiB < 0 || m.beforeKiB < 0 ? "–" : mib(m.peakKiB - m.beforeKiB); }

std::string saveFigures(const Row& r)
{
    std::string out;
    for (const auto& [group, seconds] : r.saveByGroup)
        out += (out.empty() ? "" : " / ") + figure(seconds, 3);
    return out.empty() ? figure(r.save, 3) : out;
}

std::string table(const std::vector<Row>& rows)
{
    std::string groups;
    for (unsigned g : saveGroupSizes())
        groups += (groups.empty() ? "" : " / ") + (g ? std::to_string(g) : std::string("64 (default)"));
    std::ostringstream t;
    std::string workers;
    for (unsigned w : workerCounts())
        workers += (workers.empty() ? "" : " / ") + std::to_string(w);
    t << "| tracks | walk + stat (s) | TagLib read (s) | first Load, " << workers
      << " workers (s) | first Load / read | rescan Load (s) | rescan / walk + stat | listed | TagLib write (s) | "
         "Save, group of "
      << groups
      << " (s) | Save / write | Save CPU / write CPU | written | Load peak RSS, first / rescan (MiB) | "
         "RSS growth in Load, first / rescan (MiB) | in-memory Load (µs/track) |\n"
      << "|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n";
    for (const Row& r : rows) {
        std::string first;
        for (const auto& [w, seconds] : r.firstLoad)
            first += (first.empty() ? "" : " / ") + figure(seconds, 3);
        t << "| " << r.tracks << " | " << figure(r.bareWalkStat, 3) << " | " << figure(r.bareRead, 3) << " | "
          << (first.empty() ? "–" : first) << " | " << ratio(r.load, r.bareRead) << " | " << figure(r.rescan, 3)
          << " | " << ratio(r.rescan, r.bareWalkStat) << " | " << r.listed << " | " << figure(r.bareWrite, 3) << " | "
          << saveFigures(r) << " | " << ratio(r.save, r.bareWrite) << " | "
          << (r.saveCpu > 0 ? fixed(r.saveCpu, 2) + " / " + fixed(r.bareWriteCpu, 2) + " s" : "–") << " | "
          << r.saveWritten;
        if (r.saveFailed)
            t << " (" << r.saveFailed << " failed)";
        if (r.bareWritten != r.saveWritten)
            t << " (TagLib " << r.bareWritten << ")";
        t << " | " << peak(r.memory) << " / " << peak(r.rescanMemory) << " | " << growth(r.memory) << " / "
          << growth(r.rescanMemory) << " | " << figure(r.memoryLoadMicros, 2) << " |\n";
    }
    return t.str();
}

[[noreturn]] void usage(const std::string& why)
{
    if (!why.empty())
        std::cerr << "yomi-bench: " << why << "\n";
    std::cerr << "usage: yomi-bench [--reps R] [--save-reps R] [--work DIR] [--out FILE]\n"
                 "                  [--only read|load|rss|memory|save] LIBRARY...\n";
    std::exit(2);
}

} // namespace

int main(int argc, char** argv)
{
    log::setSink([](std::string_view) {});
    setLauncher(std::make_shared<NullLauncher>());
    if (argc == 4 && std::string(argv[1]) == "--child-load")
        return childLoad(argv[2], argv[3]);

    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc)
                usage("missing value after " + a);
            return argv[++i];
        };
        if (a == "--reps")
            o.reps = std::max(1, std::atoi(next().c_str()));
        else if (a == "--save-reps")
            o.saveReps = std::max(1, std::atoi(next().c_str()));
        else if (a == "--work")
            o.work = next();
        else if (a == "--out")
            o.out = next();
        else if (a == "--only")
            o.only = next();
        else if (!a.empty() && a[0] == '-')
            usage("unknown option " + a);
        else
            o.libraries.emplace_back(a);
    }
    if (o.libraries.empty())
        usage("no library given");
    for (const auto& lib : o.libraries)
        if (libraryStamp(lib).empty())
            usage(lib.string() + " is not a library made by make-library");
    if (o.work.empty())
        o.work = o.libraries.front().parent_path() / "work";
    // The library indexes of the runs, out of the user's cache folder (the
    // child Loads inherit it).
    ::setenv("XDG_CACHE_HOME", fs::absolute(o.work / "cache").c_str(), 1);

    std::vector<Row> rows;
    for (const auto& lib : o.libraries) {
        rows.push_back(measure(lib, o));
        std::cerr << table({rows.back()});
    }
    const std::string t = table(rows);
    std::cout << t;
    if (!o.out.empty()) {
        std::ofstream out(o.out, std::ios::trunc);
        out << t;
    }
    return 0;
}
