// yomi-reading-bench: the Japanese reading engine's costs (first use with an
// empty cache folder, start-up, time of one reading, resident memory, the
// index build a dictionary text that is not sorted would need) and its accuracy on the
// test set of names, per category, as Markdown.
//
//   yomi-reading-bench [--set FILE] [--misses] [--trust] [--quick] [--memory] [--dump FILE]
//
// --misses lists the values whose top reading is wrong; --trust lists the
// readings the confidence misjudges (wrong ones marked sure or likely, right
// ones marked check) and every value's confidence and reason as a tab
// separated line starting with "trust"; --quick leaves out the costs;
// --memory tells where the resident memory lies (the process at points of
// the run, then each mapped file and the anonymous memory); --dump writes
// every value's whole reading (the reading, its alternatives, the language,
// the confidence and its reason) to FILE, one line a value, so that two
// engines can be compared with diff.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "Category/Reading.h"
#include "Reading/MecabReadingEngine.h"
#include "Reading/NameIndex.h"
#include "support/NameSets.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double statusMiB(const std::string& key)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key + ":", 0) == 0)
            return std::stod(line.substr(key.size() + 1)) / 1024.0;
    return 0;
}

// VmRSS, RssAnon and RssFile now, as one line.
std::string residentLine(const std::string& when)
{
    std::ostringstream out;
    out << std::fixed << std::setprecision(1) << "| " << when << " | " << statusMiB("VmRSS") << " | "
        << statusMiB("RssAnon") << " | " << statusMiB("RssFile") << " |\n";
    return out.str();
}

// The resident memory of each mapping, summed per file (anonymous mappings
// by their name: [heap], [stack], or "anonymous"), largest first.
std::string residentByMapping()
{
    std::ifstream in("/proc/self/smaps");
    std::map<std::string, double> kib;
    std::string line, name;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string first;
        fields >> first;
        if (!first.empty() && first.find('-') != std::string::npos && first.back() != ':') {
            std::string perms, offset, dev, inode;
            fields >> perms >> offset >> dev >> inode;
            std::getline(fields, name);
            name.erase(0, name.find_first_not_of(' '));
            if (name.empty())
                name = "anonymous";
        } else if (first == "Rss:") {
            double k = 0;
            fields >> k;
            kib[name] += k;
        }
    }
    std::vector<std::pair<double, std::string>> order;
    for (const auto& [file, k] : kib)
        if (k >= 64)
            order.emplace_back(k, file);
    std::sort(order.rbegin(), order.rend());
    std::ostringstream out;
    out << std::fixed << std::setprecision(1) << "| mapping | resident (MiB) |\n|---|---:|\n";
    for (const auto& [k, file] : order)
        out << "| " << file << " | " << k / 1024.0 << " |\n";
    return out.str();
}

} // namespace

int main(int argc, char** argv)
{
    std::string set = YOMI_SOURCE_DIR "/tests/reading/names.tsv";
    bool misses = false, trustLines = false, quick = false, memory = false;
    std::string dump;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--set" && i + 1 < argc)
            set = argv[++i];
        else if (arg == "--misses")
            misses = true;
        else if (arg == "--trust")
            trustLines = true;
        else if (arg == "--quick")
            quick = true;
        else if (arg == "--memory")
            memory = true;
        else if (arg == "--dump" && i + 1 < argc)
            dump = argv[++i];
        else {
            std::cerr << "usage: yomi-reading-bench [--set FILE] [--misses] [--trust] [--quick] [--memory] "
                         "[--dump FILE]\n";
            return 2;
        }
    }
    const std::vector<yomi::test::NameCase> cases = yomi::test::loadNameSet(set);
    if (cases.empty()) {
        std::cerr << "yomi-reading-bench: no cases in " << set << '\n';
        return 2;
    }

    std::string points = residentLine("start of the bench");
    auto paths = yomi::reading::EnginePaths::system();
    const auto cache = std::filesystem::temp_directory_path() / ("yomi-reading-bench-" + std::to_string(::getpid()));
    paths.cacheDir = cache;

    // The index file a dictionary text that is not sorted needs, built in a
    // child process, so that the memory of the build does not count in this
    // process's peak.
    auto t0 = Clock::now();
    if (const pid_t child = ::fork(); child == 0) {
        if (const yomi::Status built = yomi::reading::NameIndex::build(paths.names, cache / "built" / "names.idx");
            !built) {
            std::cerr << "yomi-reading-bench: " << built.reason() << '\n';
            std::_Exit(1);
        }
        std::_Exit(0);
    } else if (child > 0) {
        int status = 0;
        ::waitpid(child, &status, 0);
    }
    const double buildMs = ms(Clock::now() - t0);

    // First use from nothing: an empty cache folder, so the text is checked
    // and the note written; then a second engine that finds the note.
    double firstMs = 0, firstCpuMs = 0;
    {
        yomi::reading::MecabReadingEngine fresh(paths);
        if (!fresh.available()) {
            std::cerr << "yomi-reading-bench: " << fresh.missing() << '\n';
            return 1;
        }
        t0 = Clock::now();
        const std::clock_t c0 = std::clock();
        fresh.read(u"東京", 1);
        firstMs = ms(Clock::now() - t0);
        firstCpuMs = 1000.0 * static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC;
    }
    // Start-up with the cache made: the median of five engines, each opened
    // and reading one value (the machine may be shared).
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::vector<double> startWall, startCpu;
    for (int i = 0; i < 5; ++i) {
        yomi::reading::MecabReadingEngine warm(paths);
        t0 = Clock::now();
        const std::clock_t c0 = std::clock();
        warm.read(u"東京", 1);
        startWall.push_back(ms(Clock::now() - t0));
        startCpu.push_back(1000.0 * static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC);
    }
    const double startMs = median(startWall), startCpuMs = median(startCpu);
    // Of it, opening the name and word tables (the same median).
    std::vector<double> tablesCpu;
    for (int i = 0; i < 5; ++i) {
        const std::clock_t c0 = std::clock();
        const auto names = yomi::reading::NameIndex::open(paths.names, cache);
        const auto words = yomi::reading::NameIndex::open(paths.words, cache, "words.idx");
        tablesCpu.push_back(1000.0 * static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC);
    }
    const double tablesCpuMs = median(tablesCpu);
    yomi::reading::MecabReadingEngine engine(paths);
    engine.read(u"東京", 1);
    points += residentLine("engine started, one value read");

    constexpr std::size_t kAlternatives = 4;
    struct Score {
        int total = 0, top = 0, among = 0, refused = 0;
    };
    std::map<std::string, Score> scores;
    // Per confidence: readings given, and of them right at the top.
    std::map<yomi::Confidence, std::pair<int, int>> trust;
    std::ostringstream missed, misjudged, lines, whole;
    for (const yomi::test::NameCase& c : cases) {
        yomi::RunRequest request;
        request.kind = yomi::test::kindOfCategory(c.category);
        const auto r = yomi::readValue(engine, nullptr, yomi::toUtf16(c.value), yomi::ReadingStyle::Katakana,
                                       kAlternatives, request);
        whole << c.category << '\t' << c.value << '\t' << (r.reading ? yomi::toUtf8(*r.reading) : "(none)");
        for (const auto& a : r.alternatives)
            whole << '|' << yomi::toUtf8(a);
        whole << '\t' << static_cast<int>(r.language) << '\t' << yomi::confidenceName(r.confidence) << '\t'
              << r.reason << '\n';
        Score& s = scores[c.category];
        ++s.total;
        const auto [top, among] = yomi::test::scoreName(c, r);
        s.top += top;
        s.among += among;
        s.refused += !r.reading;
        if (r.reading) {
            ++trust[r.confidence].first;
            trust[r.confidence].second += top;
        }
        if (r.reading) {
            const bool judgedRight = (r.confidence == yomi::Confidence::Check) != top;
            const std::string row = c.category + " | " + c.value + " | " +
                (c.accepted.empty() ? std::string("(refused)") : c.accepted.front()) + " | " +
                yomi::toUtf8(*r.reading) + " | " + std::string(yomi::confidenceName(r.confidence)) + ": " + r.reason;
            if (!judgedRight)
                misjudged << "| " << (top ? "right" : "wrong") << " | " << row << " |\n";
            lines << "trust\t" << c.category << '\t' << c.value << '\t' << (top ? "right" : "wrong") << '\t'
                  << yomi::confidenceName(r.confidence) << '\t' << r.reason << '\t' << yomi::toUtf8(*r.reading) << '\n';
        }
        if (!top) {
            missed << "| " << c.category << " | " << c.value << " | "
                   << (c.accepted.empty() ? std::string("(refused)") : c.accepted.front()) << " | "
                   << (r.reading ? yomi::toUtf8(*r.reading) : std::string("(refused)"));
            for (const auto& a : r.alternatives)
                missed << ", " << yomi::toUtf8(a);
            missed << " | " << yomi::confidenceName(r.confidence) << ": " << r.reason << " |\n";
        }
    }

    points += residentLine("the set read once");
    if (!dump.empty()) {
        std::ofstream out(dump, std::ios::binary);
        out << whole.str();
        if (!out) {
            std::cerr << "yomi-reading-bench: cannot write " << dump << '\n';
            return 1;
        }
    }

    constexpr int kRounds = 20;
    const int rounds = quick ? 0 : kRounds;
    const std::clock_t cpu0 = std::clock();
    t0 = Clock::now();
    std::size_t readings = 0;
    for (int round = 0; round < rounds; ++round)
        for (const yomi::test::NameCase& c : cases) {
            yomi::readValue(engine, nullptr, yomi::toUtf16(c.value), yomi::ReadingStyle::Katakana, kAlternatives);
            ++readings;
        }
    const double perReading = static_cast<double>(std::max<std::size_t>(readings, 1));
    const double perReadingUs = ms(Clock::now() - t0) * 1000.0 / perReading;
    const double perReadingCpuUs = 1e6 * static_cast<double>(std::clock() - cpu0) / CLOCKS_PER_SEC / perReading;

    std::cout << std::fixed << std::setprecision(1);
    std::cout << "| category | names | top-1 | among candidates | refused |\n|---|---:|---:|---:|---:|\n";
    Score all;
    for (const auto& [category, s] : scores) {
        std::cout << "| " << category << " | " << s.total << " | " << 100.0 * s.top / s.total << "% | "
                  << 100.0 * s.among / s.total << "% | " << s.refused << " |\n";
        all.total += s.total;
        all.top += s.top;
        all.among += s.among;
        all.refused += s.refused;
    }
    std::cout << "| all | " << all.total << " | " << 100.0 * all.top / all.total << "% | "
              << 100.0 * all.among / all.total << "% | " << all.refused << " |\n\n";

    // How far the confidence can be trusted: of the values given a reading,
    // how many at each level and how many of those are right; how often sure
    // and likely ones are right; what share of the wrong top readings are
    // marked check.
    const auto& [sure, sureRight] = trust[yomi::Confidence::Sure];
    const auto& [likely, likelyRight] = trust[yomi::Confidence::Likely];
    const auto& [check, checkRight] = trust[yomi::Confidence::Check];
    const int given = sure + likely + check;
    const int wrong = given - sureRight - likelyRight - checkRight;
    const auto share = [](int part, int whole) { return whole ? 100.0 * part / whole : 0.0; };
    std::cout << "| readings | sure (right) | likely (right) | check (right) | sure+likely right | "
                 "wrong top readings marked check | check of all readings |\n|---:|---:|---:|---:|---:|---:|---:|\n";
    std::cout << "| " << given << " | " << sure << " (" << sureRight << ") | " << likely << " (" << likelyRight
              << ") | " << check << " (" << checkRight << ") | " << share(sureRight + likelyRight, sure + likely)
              << "% | " << share(check - checkRight, wrong) << "% (" << check - checkRight << " of " << wrong << ") | "
              << share(check, given) << "% |\n\n";
    std::cout << "| first use from nothing (ms wall / CPU) | start-up, first reading (ms wall / CPU, median of 5) | "
                 "one reading, 4 alternatives (µs wall / CPU) | resident (MiB) | of it mapped files (MiB) | "
                 "peak resident (MiB) | index build, unsorted text (ms) |\n"
                 "|---:|---:|---:|---:|---:|---:|---:|\n";
    std::cout << "| " << firstMs << " / " << firstCpuMs << " | " << startMs << " / " << startCpuMs << " | "
              << perReadingUs << " / " << perReadingCpuUs << " | " << statusMiB("VmRSS") << " | "
              << statusMiB("RssFile") << " | " << statusMiB("VmHWM") << " | " << buildMs << " |\n";
    if (memory) {
        points += residentLine("after the rounds");
        std::cout << "\nOpening the name and word tables with the cache made: " << tablesCpuMs
                  << " ms CPU (median of 5).\n";
        std::cout << "\n| when | VmRSS (MiB) | RssAnon (MiB) | RssFile (MiB) |\n|---|---:|---:|---:|\n"
                  << points << '\n'
                  << residentByMapping();
    }
    if (misses)
        std::cout << "\n| category | value | accepted | read (alternatives) | confidence |\n|---|---|---|---|---|\n"
                  << missed.str();
    if (trustLines)
        std::cout << "\n| judged | category | value | accepted | read | confidence |\n|---|---|---|---|---|---|\n"
                  << misjudged.str() << '\n'
                  << lines.str();
    std::error_code ec;
    std::filesystem::remove_all(cache, ec);
    return 0;
}
