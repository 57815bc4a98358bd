// yomi-language-bench: the Chinese and Korean engines and the language
// decision, scored on sets of values, with the engines' costs, as Markdown.
//
//   yomi-language-bench zh --set FILE [--misses]
//       Chinese readings: this engine's, ICU's Any-Latin (the Romaji button,
//       tones dropped) and ICU's Han-Latin/Names side by side; top-1 and
//       among candidates. Categories "person" and "band" are values of a
//       person field, any other of a title field.
//   yomi-language-bench zhuyin --set FILE [--misses]
//       Zhuyin with tone marks against hand-written readings (category
//       person or title, value, zhuyin).
//   yomi-language-bench ko --set FILE [--misses]
//       Korean Latin readings of person names: the surname in an accepted
//       spelling, the whole name in one.
//   yomi-language-bench hanja --set FILE [--misses]
//       Korean values written in hanja read in Hangul (category person or
//       title, value, accepted Hangul): the whole reading, as the Korean
//       engine gives it with Debian's hanja table.
//   yomi-language-bench lang-names --set FILE [--misses]
//       The language decision on a Japanese reading set (category TAB value
//       TAB readings): its values of Han characters alone, Japanese but for
//       category "chinese".
//   yomi-language-bench regress --set FILE [--misses]
//       A Japanese reading set through the whole Reader: the values the
//       Japanese engine reads alone that are now refused or read in another
//       language, and the Chinese names now read as Chinese.
//   yomi-language-bench lang --set FILE [--misses]
//       The language decision: "category TAB value TAB ja|zh|ko [TAB
//       neighbour texts separated by |]", with and without the neighbours.
//
// Readings are compared ignoring case, spaces, apostrophes and hyphens.
#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "Category/Reader.h"
#include "Reading/Chinese/ChineseValueReader.h"
#include "Reading/Korean/HanjaDictionary.h"
#include "Reading/Korean/KoreanValueReader.h"
#include "Reading/Language/EvidenceDecider.h"
#include "Reading/MecabReadingEngine.h"
#include "Reading/SystemReadingKit.h"

namespace {

// The share of right answers over the whole set a run must reach (--floor);
// below it the bench exits with 1, so that a ctest fails.
double gFloor = -1;
double gScore = 100;

using Clock = std::chrono::steady_clock;

double statusMiB(const std::string& key)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key + ":", 0) == 0)
            return std::stod(line.substr(key.size() + 1)) / 1024.0;
    return 0;
}

double cpuMs() { return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

struct Case {
    std::string category, value;
    std::vector<std::string> accepted;
    std::vector<std::string> neighbours;
};

std::vector<std::string> split(const std::string& text, char by)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, by);)
        if (!part.empty())
            out.push_back(part);
    return out;
}

std::vector<Case> loadSet(const std::string& path)
{
    std::vector<Case> cases;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        const auto fields = [&] {
            std::vector<std::string> f;
            std::size_t at = 0;
            while (at <= line.size()) {
                const std::size_t tab = std::min(line.find('\t', at), line.size());
                f.push_back(line.substr(at, tab - at));
                at = tab + 1;
            }
            return f;
        }();
        if (fields.size() < 3)
            continue;
        Case c{fields[0], fields[1], split(fields[2], '|'), {}};
        if (fields.size() > 3)
            c.neighbours = split(fields[3], '|');
        cases.push_back(std::move(c));
    }
    return cases;
}

// Lower case, no marks (ü as yu after l and n, else u), no spaces,
// apostrophes or hyphens.
std::string comparable(const std::string& text)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    const icu::UnicodeString d = nfd->normalize(icu::UnicodeString::fromUTF8(text), status);
    std::string out;
    for (int32_t i = 0; i < d.length(); ++i) {
        const UChar c = d.charAt(i);
        if (c == u' ' || c == u'\'' || c == u'-' || c == 0x2019 || (c >= 0x0300 && c <= 0x036F && c != 0x0308))
            continue;
        if (c == 0x0308) {
            if (out.size() >= 2 && out.back() == 'u' && (out[out.size() - 2] == 'l' || out[out.size() - 2] == 'n'))
                out.back() = 'y', out += 'u';
            continue;
        }
        if (c < 0x80)
            out += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        else {
            icu::UnicodeString one(c);
            std::string u;
            one.toUTF8String(u);
            out += u;
        }
    }
    return out;
}

bool accepted(const Case& c, const std::string& reading)
{
    const std::string r = comparable(reading);
    return std::any_of(c.accepted.begin(), c.accepted.end(), [&](const std::string& a) { return comparable(a) == r; });
}

std::string icuReading(icu::Transliterator& t, const std::string& value)
{
    icu::UnicodeString s = icu::UnicodeString::fromUTF8(value);
    t.transliterate(s);
    std::string out;
    s.toUTF8String(out);
    return out;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Score {
    int total = 0, top = 0, among = 0, anyLatin = 0, names = 0;
};

void printScores(const std::map<std::string, Score>& scores, bool baselines)
{
    std::cout << std::fixed << std::setprecision(1);
    std::cout << "| category | values | top-1 | among candidates |"
              << (baselines ? " ICU Any-Latin | ICU Han-Latin/Names |" : "") << "\n|---|---:|---:|---:|"
              << (baselines ? "---:|---:|" : "") << "\n";
    Score all;
    auto row = [&](const std::string& name, const Score& s) {
        std::cout << "| " << name << " | " << s.total << " | " << 100.0 * s.top / s.total << "% | "
                  << 100.0 * s.among / s.total << "% |";
        if (baselines)
            std::cout << ' ' << 100.0 * s.anyLatin / s.total << "% | " << 100.0 * s.names / s.total << "% |";
        std::cout << '\n';
    };
    for (const auto& [category, s] : scores) {
        row(category, s);
        all.total += s.total;
        all.top += s.top;
        all.among += s.among;
        all.anyLatin += s.anyLatin;
        all.names += s.names;
    }
    row("all", all);
    gScore = 100.0 * all.top / all.total;
}

int chinese(const std::vector<Case>& cases, bool misses)
{
    const auto cache = std::filesystem::temp_directory_path() / ("yomi-language-bench-" + std::to_string(::getpid()));
    auto paths = yomi::chinese::ChinesePaths::system();
    paths.cacheDir = cache;
    // First use from nothing (the dictionary made in an empty cache folder)
    // in a child process, so that the conversion's memory does not count in
    // this process's resident size; the child reports its CPU time.
    double firstCpu = 0, startCpu = 0;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return 1;
    if (const pid_t child = ::fork(); child == 0) {
        ::close(pipeFds[0]);
        yomi::chinese::ChineseValueReader fresh(paths);
        const double c0 = cpuMs();
        const bool ok = fresh.start();
        const double spent = ok ? cpuMs() - c0 : -1;
        (void)!::write(pipeFds[1], &spent, sizeof spent);
        std::_Exit(ok ? 0 : 1);
    } else if (child > 0) {
        ::close(pipeFds[1]);
        if (::read(pipeFds[0], &firstCpu, sizeof firstCpu) != sizeof firstCpu)
            firstCpu = -1;
        ::close(pipeFds[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
    }
    if (firstCpu < 0) {
        std::cerr << "yomi-language-bench: " << yomi::chinese::ChineseValueReader(paths).missing() << '\n';
        return 1;
    }
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> anyLatin(
        icu::Transliterator::createInstance("Any-Latin", UTRANS_FORWARD, status));
    std::unique_ptr<icu::Transliterator> names(
        icu::Transliterator::createInstance("Han-Latin/Names", UTRANS_FORWARD, status));
    if (U_FAILURE(status)) {
        std::cerr << "yomi-language-bench: ICU transforms missing\n";
        return 1;
    }
    const double rss0 = statusMiB("VmRSS");
    yomi::chinese::ChineseValueReader engine(paths);
    const double c0 = cpuMs();
    engine.start();
    startCpu = cpuMs() - c0;

    std::map<std::string, Score> scores;
    std::ostringstream missed;
    auto requestOf = [](const Case& c) {
        yomi::ReadRequest r;
        r.kind = c.category == "person" || c.category == "band" ? yomi::NameKind::Person : yomi::NameKind::Title;
        return r;
    };
    for (const Case& c : cases) {
        const auto r = engine.read(yomi::toUtf16(c.value), requestOf(c));
        Score& s = scores[c.category];
        ++s.total;
        const bool top = r.reading && accepted(c, yomi::toUtf8(*r.reading));
        bool among = top;
        for (const auto& a : r.alternatives)
            among = among || accepted(c, yomi::toUtf8(a));
        s.top += top;
        s.among += among;
        const std::string any = icuReading(*anyLatin, c.value), name = icuReading(*names, c.value);
        s.anyLatin += accepted(c, any);
        s.names += accepted(c, name);
        if (!top) {
            missed << "| " << c.category << " | " << c.value << " | " << c.accepted.front() << " | "
                   << (r.reading ? yomi::toUtf8(*r.reading) : "(none: " + r.reason + ")");
            for (const auto& a : r.alternatives)
                missed << ", " << yomi::toUtf8(a);
            missed << " | " << any << " | " << name << " |\n";
        }
    }
    // One reading's CPU time: the whole set read over and over, the median
    // of the rounds.
    std::vector<double> perReading;
    for (int round = 0; round < 15; ++round) {
        const double t0 = cpuMs();
        for (const Case& c : cases)
            (void)engine.read(yomi::toUtf16(c.value), requestOf(c));
        perReading.push_back((cpuMs() - t0) * 1000.0 / static_cast<double>(cases.size()));
    }
    printScores(scores, true);
    std::cout
        << "\n| first use, dictionary made (ms CPU) | start-up, dictionary made (ms CPU) | one reading, median of 15 "
           "rounds (µs CPU) | resident added (MiB) | dictionary entries |\n|---:|---:|---:|---:|---:|\n";
    std::cout << "| " << firstCpu << " | " << startCpu << " | " << median(perReading) << " | "
              << statusMiB("VmRSS") - rss0 << " | " << (engine.dictionary() ? engine.dictionary()->size() : 0)
              << " |\n";
    if (misses)
        std::cout << "\n| category | value | accepted | read (alternatives) | ICU Any-Latin | ICU Han-Latin/Names |\n"
                     "|---|---|---|---|---|---|\n"
                  << missed.str();
    std::error_code ec;
    std::filesystem::remove_all(cache, ec);
    return 0;
}

// Korean Latin readings of person names: the fourth column holds the
// accepted surname spellings.
// Zhuyin with tone marks against hand-written readings (spaces ignored):
// right with its tones, its syllables right whatever the tones, and right as
// the toneless zhuyin before tones were given would have been (only values
// of first tones alone).
int zhuyinTones(const std::vector<Case>& cases, bool misses)
{
    yomi::chinese::ChineseValueReader reader;
    const auto bare = [](std::u16string s, bool marks) {
        std::u16string out;
        for (const char16_t c : s)
            if (c != u' ' && !(marks && (c == u'\u02CA' || c == u'\u02C7' || c == u'\u02CB' || c == u'\u02D9')))
                out += c;
        return out;
    };
    int right = 0, syllables = 0, before = 0;
    std::ostringstream missed;
    for (const Case& c : cases) {
        yomi::ReadRequest request;
        request.kind = c.category == "title" ? yomi::NameKind::Title : yomi::NameKind::Person;
        request.styles.chinese = yomi::ChineseStyle::Zhuyin;
        const yomi::ValueReading r = reader.read(yomi::toUtf16(c.value), request);
        const std::u16string got = r.reading ? *r.reading : std::u16string();
        const std::u16string expected = yomi::toUtf16(c.accepted.front());
        const bool ok = bare(got, false) == bare(expected, false);
        right += ok;
        syllables += bare(got, true) == bare(expected, true);
        before += bare(got, true) == bare(expected, true) && bare(expected, true) == bare(expected, false);
        if (misses && !ok)
            missed << "| " << c.value << " | " << c.accepted.front() << " | " << yomi::toUtf8(got) << " |\n";
    }
    const double n = static_cast<double>(cases.size());
    gScore = 100.0 * right / n;
    std::cout << std::fixed << std::setprecision(1)
              << "| values | right with tones | syllables right | toneless zhuyin right (before tones) |\n"
                 "|---:|---:|---:|---:|\n| "
              << cases.size() << " | " << 100.0 * right / n << "% | " << 100.0 * syllables / n << "% | "
              << 100.0 * before / n << "% |\n";
    if (misses)
        std::cout << "\n| value | expected | read |\n|---|---|---|\n" << missed.str();
    return 0;
}

int korean(const std::vector<Case>& cases, bool misses)
{
    yomi::korean::KoreanValueReader reader;
    yomi::ReadRequest request;
    request.kind = yomi::NameKind::Person;
    request.styles.korean = yomi::KoreanStyle::Latin;
    int total = 0, surnameRight = 0, wholeRight = 0, among = 0;
    std::ostringstream missed;
    for (const Case& c : cases) {
        const auto r = reader.read(yomi::toUtf16(c.value), request);
        ++total;
        const std::string got = r.reading ? yomi::toUtf8(*r.reading) : std::string();
        const std::string family = got.substr(0, got.find(' '));
        const auto& spellings = c.neighbours; // the fourth column: the surname's spellings
        const bool surnameOk = std::any_of(spellings.begin(), spellings.end(),
                                           [&](const std::string& s) { return comparable(s) == comparable(family); });
        const bool whole = r.reading && accepted(c, got);
        bool any = whole;
        for (const auto& a : r.alternatives)
            any = any || accepted(c, yomi::toUtf8(a));
        surnameRight += surnameOk;
        wholeRight += whole;
        among += any;
        if (misses && (!surnameOk || !whole)) {
            missed << "| " << c.value << " | " << c.accepted.front() << " | " << got;
            for (const auto& a : r.alternatives)
                missed << ", " << yomi::toUtf8(a);
            missed << " |\n";
        }
    }
    std::cout << std::fixed << std::setprecision(1)
              << "| names | surname in an accepted spelling | whole name accepted | among candidates |\n"
                 "|---:|---:|---:|---:|\n| "
              << total << " | " << 100.0 * surnameRight / total << "% | " << 100.0 * wholeRight / total << "% | "
              << 100.0 * among / total << "% |\n";
    gScore = 100.0 * wholeRight / total;
    if (misses)
        std::cout << "\n| value | accepted | read (alternatives) |\n|---|---|---|\n" << missed.str();
    return 0;
}

int hanja(const std::vector<Case>& cases, bool misses)
{
    yomi::korean::KoreanValueReader reader(
        std::make_shared<yomi::korean::HanjaDictionary>(yomi::korean::HanjaDictionary::systemFile()));
    int total = 0, right = 0, sure = 0, sureRight = 0;
    std::ostringstream missed;
    for (const Case& c : cases) {
        yomi::ReadRequest request;
        request.kind = c.category == "person" ? yomi::NameKind::Person : yomi::NameKind::Title;
        request.styles.korean = yomi::KoreanStyle::Hangul;
        const auto r = reader.read(yomi::toUtf16(c.value), request);
        const std::string got = r.reading ? yomi::toUtf8(*r.reading) : std::string();
        const bool ok = r.reading && accepted(c, got);
        ++total;
        right += ok;
        if (r.reading && r.confidence != yomi::Confidence::Check) {
            ++sure;
            sureRight += ok;
        }
        if (misses && !ok)
            missed << "| " << c.value << " | " << c.accepted.front() << " | " << (r.reading ? got : r.reason)
                   << " |\n";
    }
    std::cout << std::fixed << std::setprecision(1)
              << "| values | read right | likely or sure | of them right |\n|---:|---:|---:|---:|\n| " << total << " | "
              << 100.0 * right / total << "% | " << sure << " | " << (sure ? 100.0 * sureRight / sure : 0.0)
              << "% |\n";
    gScore = 100.0 * right / total;
    if (misses)
        std::cout << "\n| value | accepted | read |\n|---|---|---|\n" << missed.str();
    return 0;
}

// The Japanese reading sets through the whole Reader (the system's kit,
// language decided per value) against the Japanese engine alone: how many
// values it read before are now refused or read in another language.
int regressions(const std::vector<Case>& cases, bool misses)
{
    auto kit = yomi::reading::systemReadingKit(false);
    yomi::Reader reader;
    kit->lend(reader);
    yomi::ValueReader* japanese = kit->engine(yomi::Language::Japanese);
    if (!japanese || !japanese->available()) {
        std::cerr << "yomi-language-bench: no Japanese engine\n";
        return 1;
    }
    int total = 0, readBefore = 0, lost = 0, otherLanguage = 0, chineseNames = 0, chineseAsChinese = 0;
    std::ostringstream missed;
    std::vector<double> costs, alone;
    for (const Case& c : cases) {
        yomi::ValueContext context;
        context.kind = c.category == "song" || c.category == "album" ? yomi::NameKind::Title : yomi::NameKind::Person;
        const std::u16string value = yomi::toUtf16(c.value);
        const double t0 = cpuMs();
        const yomi::ValueReading now = reader.read(value, context);
        costs.push_back((cpuMs() - t0) * 1000.0);
        if (c.category == "chinese") {
            ++chineseNames;
            chineseAsChinese += now.language == yomi::Language::Chinese && now.reading.has_value();
            continue;
        }
        ++total;
        yomi::ReadRequest request;
        request.kind = context.kind;
        const double t1 = cpuMs();
        const yomi::ValueReading before = japanese->read(value, request);
        alone.push_back((cpuMs() - t1) * 1000.0);
        if (!before.reading)
            continue;
        ++readBefore;
        const bool gone = !now.reading, moved = now.language != yomi::Language::Japanese;
        lost += gone;
        otherLanguage += moved && !gone;
        if (misses && (gone || moved))
            missed << "| " << c.value << " | " << yomi::toUtf8(*before.reading) << " | "
                   << (now.reading ? yomi::toUtf8(*now.reading) : "(none: " + now.reason + ")") << " | "
                   << yomi::languageCode(now.language) << " | "
                   << (now.evidence.empty() ? std::string() : now.evidence.front()) << " |\n";
    }
    // The costs: the whole set read over and over each way (five rounds
    // each, the two ways taking turns), the median round's CPU time per
    // value.
    costs.clear();
    alone.clear();
    for (int round = 0; round < 5; ++round) {
        for (const bool whole : {false, true}) {
            const double t0 = cpuMs();
            for (const Case& c : cases) {
                yomi::ValueContext context;
                context.kind =
                    c.category == "song" || c.category == "album" ? yomi::NameKind::Title : yomi::NameKind::Person;
                const std::u16string value = yomi::toUtf16(c.value);
                if (whole) {
                    (void)reader.read(value, context);
                } else {
                    yomi::ReadRequest request;
                    request.kind = context.kind;
                    (void)japanese->read(value, request);
                }
            }
            (whole ? costs : alone).push_back((cpuMs() - t0) * 1000.0 / static_cast<double>(cases.size()));
        }
    }
    gScore = readBefore ? 100.0 * (readBefore - lost - otherLanguage) / readBefore : 100;
    std::cout << "| Japanese values | read by the Japanese engine alone | of them now refused | of them now read in "
                 "another language | Chinese names read as Chinese | one reading through the Reader (µs CPU, median of "
                 "5 rounds) "
                 "| the Japanese engine alone (µs CPU, same) |\n|---:|---:|---:|---:|---:|---:|---:|\n| "
              << total << " | " << readBefore << " | " << lost << " | " << otherLanguage << " | " << chineseAsChinese
              << " of " << chineseNames << " | " << std::fixed << std::setprecision(1) << median(costs) << " | "
              << median(alone) << " |\n";
    if (misses)
        std::cout << "\n| value | before | now | language | first evidence |\n|---|---|---|---|---|\n" << missed.str();
    return 0;
}

bool holdsKana(const std::u16string& t)
{
    return std::any_of(t.begin(), t.end(), [](char16_t c) { return yomi::isKanaCharacter(c); });
}

bool holdsSimplified(const std::u16string& t)
{
    return std::any_of(t.begin(), t.end(), [](char16_t c) { return yomi::isSimplifiedOnly(c); });
}

// The language decision on values with an expected language; with the
// neighbours of each value as its library context, and without.
int languages(const std::vector<Case>& cases, bool misses)
{
    yomi::reading::MecabReadingEngine mecab;
    yomi::chinese::ChineseValueReader chineseReader;
    if (!mecab.available()) {
        std::cerr << "yomi-language-bench: " << mecab.missing() << '\n';
        return 1;
    }
    yomi::language::EvidenceDecider decider(
        &mecab, &chineseReader,
        std::make_shared<yomi::language::GivenNameCharacters>(yomi::language::GivenNameCharacters::systemDictionary()));
    struct Tally {
        int total = 0, alone = 0, context = 0, withContext = 0, clearAlone = 0;
    };
    std::map<std::string, Tally> tallies;
    std::ostringstream missed;
    std::vector<double> costs;
    for (const Case& c : cases) {
        const auto expected = yomi::languageFromCode(c.accepted.front());
        yomi::ValueContext context;
        context.kind = c.category == "title" || c.category == "album" ? yomi::NameKind::Title : yomi::NameKind::Person;
        const std::u16string value = yomi::toUtf16(c.value);
        const double t0 = cpuMs();
        const yomi::LanguageDecision alone = decider.decide(value, context, yomi::Language::Japanese);
        costs.push_back((cpuMs() - t0) * 1000.0);
        Tally& t = tallies[c.category + " → " + c.accepted.front()];
        ++t.total;
        t.alone += alone.language == expected;
        t.clearAlone += alone.clear;
        std::string withText = "-";
        if (!c.neighbours.empty()) {
            for (const std::string& n : c.neighbours) {
                const std::u16string text = yomi::toUtf16(n);
                ++context.texts;
                context.kanaTexts += holdsKana(text);
                context.hanTexts += yomi::containsHan(text);
                context.simplifiedTexts += holdsSimplified(text);
            }
            const yomi::LanguageDecision with = decider.decide(value, context, yomi::Language::Japanese);
            ++t.context;
            t.withContext += with.language == expected;
            withText = std::string(yomi::languageCode(with.language));
            if (with.language != expected)
                withText += " (" + (with.evidence.empty() ? std::string() : with.evidence.front()) + ")";
        }
        if (misses && (alone.language != expected || withText.find('(') != std::string::npos)) {
            missed << "| " << c.category << " | " << c.value << " | " << c.accepted.front() << " | "
                   << yomi::languageCode(alone.language) << (alone.clear ? "" : " (default)") << ": ";
            for (const auto& e : alone.evidence)
                missed << e << "; ";
            missed << " | " << withText << " |\n";
        }
    }
    std::cout << std::fixed << std::setprecision(1);
    std::cout << "| values → expected | values | right, value alone | of them clear | with neighbours | right, with "
                 "neighbours |\n|---|---:|---:|---:|---:|---:|\n";
    Tally all;
    auto row = [](const std::string& name, const Tally& t) {
        std::cout << "| " << name << " | " << t.total << " | " << 100.0 * t.alone / t.total << "% | " << t.clearAlone
                  << " | " << t.context << " | " << (t.context ? 100.0 * t.withContext / t.context : 0.0) << "% |\n";
    };
    for (const auto& [name, t] : tallies) {
        row(name, t);
        all.total += t.total;
        all.alone += t.alone;
        all.clearAlone += t.clearAlone;
        all.context += t.context;
        all.withContext += t.withContext;
    }
    row("all", all);
    gScore = 100.0 * (all.context ? all.withContext : all.alone) / (all.context ? all.context : all.total);
    std::cout << "\none decision, median (µs CPU): " << median(costs) << "\n";
    if (misses)
        std::cout
            << "\n| category | value | expected | value alone: evidence | with neighbours |\n|---|---|---|---|---|\n"
            << missed.str();
    return 0;
}

int run(const std::string& mode, const std::vector<Case>& cases, bool misses);

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: yomi-language-bench zh|zhuyin|ko|lang|lang-names|regress --set FILE [--misses] [--floor "
                     "PERCENT]\n";
        return 2;
    }
    const std::string mode = argv[1];
    std::string set;
    bool misses = false;
    double floor = -1;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--set" && i + 1 < argc)
            set = argv[++i];
        else if (arg == "--misses")
            misses = true;
        else if (arg == "--floor" && i + 1 < argc)
            floor = std::stod(argv[++i]);
        else {
            std::cerr << "usage: yomi-language-bench zh|zhuyin|ko|lang|lang-names|regress --set FILE [--misses] "
                         "[--floor PERCENT]\n";
            return 2;
        }
    }
    const std::vector<Case> cases = loadSet(set);
    if (cases.empty()) {
        std::cerr << "yomi-language-bench: no cases in " << set << '\n';
        return 2;
    }
    gFloor = floor;
    const int rc = run(mode, cases, misses);
    if (rc == 0 && gFloor >= 0 && gScore < gFloor) {
        std::cerr << "yomi-language-bench: " << gScore << "% is below the floor of " << gFloor << "% on " << set
                  << '\n';
        return 1;
    }
    return rc;
}

namespace {

int run(const std::string& mode, const std::vector<Case>& cases, bool misses)
{
    if (mode == "zh")
        return chinese(cases, misses);
    if (mode == "lang")
        return languages(cases, misses);
    if (mode == "regress")
        return regressions(cases, misses);
    if (mode == "ko")
        return korean(cases, misses);
    if (mode == "hanja")
        return hanja(cases, misses);
    if (mode == "zhuyin")
        return zhuyinTones(cases, misses);
    if (mode == "lang-names") {
        // The Japanese reading sets: values of Han characters alone, those of
        // category "chinese" expected Chinese, the others Japanese.
        std::vector<Case> han;
        for (Case c : cases) {
            const std::u16string v = yomi::toUtf16(c.value);
            if (v.empty() ||
                !std::all_of(v.begin(), v.end(), [](char16_t ch) { return yomi::isHanCharacter(ch) || ch == u'々'; }))
                continue;
            const bool chineseName = c.category == "chinese";
            c.category = chineseName || c.category == "artist" || c.category == "band" ? "artist" : "title";
            c.accepted = {chineseName ? "zh" : "ja"};
            han.push_back(std::move(c));
        }
        return languages(han, misses);
    }
    std::cerr << "yomi-language-bench: unknown mode " << mode << '\n';
    return 2;
}

} // namespace
