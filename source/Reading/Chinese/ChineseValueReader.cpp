#include "Reading/Chinese/ChineseValueReader.h"

#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <unordered_map>

#include "Platform/Paths.h"
#include "Reading/Chinese/Pinyin.h"
#include "Reading/Chinese/Surnames.h"

namespace yomi::chinese {
namespace {

// Words are looked up up to this many characters.
constexpr std::size_t kLongestWord = 8;
// Another reading at least this share of the first makes a word ambiguous;
// at least kOtherShare of it makes the reading an alternative.
constexpr double kAmbiguousShare = 0.15;
constexpr double kOtherShare = 0.02;
// A whole value of a person's field that the dictionary holds as a common
// word (at least this weight) read otherwise than the surname reading is a
// word, not a name (单车 dan che, not Shan Che).
constexpr double kCommonWord = 1000;

// The dot between the parts of a foreign name written in Han characters
// (迈克尔·杰克逊).
bool isNameDot(char32_t c) { return c == 0x00B7 || c == 0x30FB || c == 0x2027 || c == 0xFF65 || c == 0x2022; }

bool isAsciiAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The text of a run that is not Han characters as a sort value spells it:
// full-width forms in ASCII, the ideographic comma and stop as ASCII ones,
// brackets and name dots as spaces; anything else as it is.
std::string plainText(std::u16string_view run)
{
    std::u16string out;
    for (std::size_t i = 0; i < run.size();) {
        const char32_t c = nextCodePoint(run, i);
        if (c >= 0xFF01 && c <= 0xFF5E)
            out += static_cast<char16_t>(c - 0xFF01 + 0x21);
        else if (c == 0x3000 || isNameDot(c) || (c >= 0x3008 && c <= 0x3011) || c == 0x3014 || c == 0x3015)
            out += u' ';
        else if (c == 0x3001)
            out += u", ";
        else if (c == 0x3002)
            out += u". ";
        else
            appendUtf16(out, c);
    }
    return toUtf8(out);
}

std::vector<std::string> syllablesOf(std::string_view reading)
{
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at <= reading.size()) {
        const std::size_t space = std::min(reading.find(' ', at), reading.size());
        if (space > at)
            out.emplace_back(reading.substr(at, space - at));
        at = space + 1;
    }
    return out;
}

std::string joined(const std::vector<std::string>& syllables, std::size_t from, std::size_t to)
{
    std::string out;
    for (std::size_t i = from; i < to && i < syllables.size(); ++i)
        out += (out.empty() ? "" : " ") + syllables[i];
    return out;
}

std::filesystem::path cacheFolder()
{
    if (std::filesystem::path folder = paths::ownFolder(paths::cacheHome()); !folder.empty())
        return folder;
    return std::filesystem::temp_directory_path() / "yomi-cache";
}

} // namespace

std::string icuSyllable(char32_t c)
{
    static std::mutex mutex;
    static std::unordered_map<char32_t, std::string> known;
    static std::unique_ptr<icu::Transliterator> hanLatin;
    std::lock_guard lock(mutex);
    if (const auto found = known.find(c); found != known.end())
        return found->second;
    UErrorCode status = U_ZERO_ERROR;
    if (!hanLatin)
        hanLatin.reset(icu::Transliterator::createInstance("Han-Latin", UTRANS_FORWARD, status));
    std::string out;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    if (hanLatin && nfd && U_SUCCESS(status)) {
        icu::UnicodeString text(static_cast<UChar32>(c));
        hanLatin->transliterate(text);
        const icu::UnicodeString decomposed = nfd->normalize(text, status);
        std::string letters;
        bool good = U_SUCCESS(status) && decomposed.length() > 0;
        for (int32_t i = 0; good && i < decomposed.length(); ++i) {
            const UChar u = decomposed.charAt(i);
            if ((u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z'))
                letters += static_cast<char>(u);
            else if (u == 0x0308 && !letters.empty() && (letters.back() == 'u' || letters.back() == 'U'))
                letters.back() = 'v';
            else if (u < 0x0300 || u > 0x036F)
                good = false; // not a Latin syllable: ICU left the character
        }
        if (good)
            out = sortSyllable(letters);
    }
    known.emplace(c, out);
    return out;
}

ChinesePaths ChinesePaths::system() { return {systemTables(), cacheFolder()}; }

std::vector<int> ChineseValueReader::tonesOf(std::u16string_view text, const std::vector<std::string>& syllables)
{
    // Without the toned table the tones are ICU's.
    std::call_once(tonesOpened_, [this] {
        tones_ = ToneTable::open(paths_.tones);
        if (!tones_)
            tones_ = ToneTable::parse(std::string());
    });
    return tones_->tones(text, syllables);
}

std::string ChineseValueReader::render(std::u16string_view text, const std::vector<std::string>& syllables,
                                       ChineseStyle style, bool capital, const std::vector<int>& knownTones)
{
    if (style == ChineseStyle::Zhuyin) {
        // A syllable zhuyin cannot spell stays in pinyin.
        const std::vector<int> tones =
            knownTones.size() == syllables.size() ? knownTones : tonesOf(text, syllables);
        std::u16string out;
        for (std::size_t k = 0; k < syllables.size(); ++k) {
            std::u16string z = zhuyin(syllables[k], tones[k]);
            out += z.empty() ? toUtf16(syllables[k]) : z;
        }
        return toUtf8(out);
    }
    std::string word = joinSyllables(syllables);
    return capital ? capitalised(word) : word;
}

ChineseValueReader::ChineseValueReader(ChinesePaths paths) : paths_(std::move(paths)) {}

ChineseValueReader::~ChineseValueReader()
{
    if (preparing_.joinable())
        preparing_.join();
}

void ChineseValueReader::prepare()
{
    if (!preparing_.joinable())
        preparing_ = std::thread([this] { start(); });
}

bool ChineseValueReader::start()
{
    std::call_once(opened_, [this] {
        auto opened = PinyinDictionary::open(paths_.tables, paths_.cacheDir);
        if (opened)
            dictionary_ = std::move(opened.value());
        else
            missing_ = opened.reason();
    });
    return dictionary_ != nullptr;
}

const PinyinDictionary* ChineseValueReader::dictionary()
{
    start();
    return dictionary_.get();
}

std::string ChineseValueReader::missing() const
{
    if (missing_.empty())
        return {};
    return missing_ + " (install rime-data-luna-pinyin and rime-data-pinyin-simp)";
}

std::optional<std::string> ChineseValueReader::characterReading(char32_t c, std::vector<std::string>* others,
                                                                bool* known, bool* ambiguous)
{
    *known = false;
    *ambiguous = false;
    std::u16string key;
    appendUtf16(key, c);
    if (dictionary_) {
        const std::vector<Entry> entries = dictionary_->lookup(key);
        if (!entries.empty()) {
            *known = true;
            const double top = std::max(entries.front().weight, 1e-9);
            for (std::size_t i = 1; i < entries.size(); ++i) {
                if (entries[i].weight >= kOtherShare * top)
                    others->push_back(entries[i].reading);
                *ambiguous = *ambiguous || entries[i].weight >= kAmbiguousShare * top;
            }
            return entries.front().reading;
        }
    }
    std::string s = icuSyllable(c);
    if (s.empty())
        return std::nullopt;
    return s;
}

std::vector<Word> ChineseValueReader::segment(std::u16string_view run)
{
    start();
    std::vector<std::size_t> at; // code unit offset of each character
    for (std::size_t i = 0; i < run.size();) {
        at.push_back(i);
        nextCodePoint(run, i);
    }
    const std::size_t n = at.size();
    at.push_back(run.size());
    const double total = dictionary_ ? std::max(dictionary_->totalWeight(), 1.0) : 1.0;
    const double unknown = -std::log(0.1 / total);
    constexpr double kNone = std::numeric_limits<double>::infinity();
    std::vector<double> best(n + 1, kNone);
    std::vector<std::size_t> from(n + 1, 0);
    std::vector<std::vector<Entry>> entriesAt(n + 1);
    // entries of the word ending at i on the best path
    best[0] = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (best[i] == kNone)
            continue;
        for (std::size_t length = 1; length <= kLongestWord && i + length <= n; ++length) {
            const std::u16string_view key = run.substr(at[i], at[i + length] - at[i]);
            double cost = kNone;
            std::vector<Entry> entries;
            if (dictionary_)
                entries = dictionary_->lookup(key);
            if (!entries.empty()) {
                double weight = 0;
                for (const Entry& e : entries)
                    weight += e.weight;
                cost = -std::log(std::max(weight, 0.5) / total);
            } else if (length == 1) {
                cost = unknown;
            }
            if (cost != kNone && best[i] + cost < best[i + length]) {
                best[i + length] = best[i] + cost;
                from[i + length] = i;
                entriesAt[i + length] = std::move(entries);
            }
            if (length >= 1 && dictionary_ && !dictionary_->hasPrefix(key))
                break;
            if (!dictionary_)
                break;
        }
    }
    std::vector<Word> words;
    for (std::size_t end = n; end > 0; end = from[end]) {
        const std::size_t start = from[end];
        Word w;
        w.text = std::u16string(run.substr(at[start], at[end] - at[start]));
        const std::vector<Entry>& entries = entriesAt[end];
        if (!entries.empty()) {
            w.known = true;
            w.syllables = syllablesOf(entries.front().reading);
            const double top = std::max(entries.front().weight, 1e-9);
            for (std::size_t k = 1; k < entries.size(); ++k) {
                if (entries[k].weight >= kOtherShare * top)
                    w.others.push_back(entries[k].reading);
                w.ambiguous = w.ambiguous || entries[k].weight >= kAmbiguousShare * top;
            }
        } else {
            std::size_t i = 0;
            const std::string s = icuSyllable(nextCodePoint(w.text, i));
            if (s.empty())
                return {};
            w.syllables = {s};
        }
        words.push_back(std::move(w));
    }
    std::reverse(words.begin(), words.end());
    return words;
}

double ChineseValueReader::agreement(std::u16string_view text, const std::vector<std::string>& syllables)
{
    double product = 1;
    std::size_t i = 0, k = 0;
    while (i < text.size() && k < syllables.size()) {
        std::u16string one;
        appendUtf16(one, nextCodePoint(text, i));
        const std::vector<Entry> entries = dictionary_ ? dictionary_->lookup(one) : std::vector<Entry>{};
        double total = 0, mine = 0;
        for (const Entry& e : entries) {
            total += e.weight;
            if (e.reading == syllables[k])
                mine += e.weight;
        }
        if (total > 0)
            product *= std::max(mine / total, 0.02);
        ++k;
    }
    return product;
}

std::vector<std::string> ChineseValueReader::nameReadings(std::u16string_view text, const std::vector<Entry>& entries,
                                                          bool* ambiguous)
{
    // A name's words are read as its characters are usually read: a word's
    // weight counts as far as its syllables are its characters' common
    // readings (娜娜 in a name is nana, not the word's nuonuo).
    std::vector<std::pair<double, std::string>> ranked;
    for (const Entry& e : entries)
        ranked.emplace_back(std::max(e.weight, 1e-9) * agreement(text, syllablesOf(e.reading)), e.reading);
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::string> out;
    for (const auto& [score, reading] : ranked) {
        if (!out.empty() && score < kOtherShare * ranked.front().first)
            break;
        if (out.size() == 1 && score >= kAmbiguousShare * ranked.front().first)
            *ambiguous = true;
        out.push_back(reading);
    }
    return out;
}

std::optional<Word> ChineseValueReader::personGiven(std::u16string_view value, std::size_t surnameLength,
                                                    std::size_t surnameSyllables, const std::string& surnameReading,
                                                    bool* wholeAgrees)
{
    *wholeAgrees = false;
    const std::u16string_view given = value.substr(surnameLength);
    Word out;
    out.text = std::u16string(given);
    if (given.empty()) {
        out.known = true;
        return out;
    }
    std::size_t points = 0;
    for (std::size_t i = 0; i < value.size(); ++i)
        points += value[i] < 0xDC00 || value[i] >= 0xE000;
    if (dictionary_) {
        // The whole name in the dictionary: its given name's syllables.
        std::vector<Entry> whole;
        bool surnameAgrees = false;
        for (Entry& e : dictionary_->lookup(value)) {
            const auto syllables = syllablesOf(e.reading);
            if (syllables.size() != points || syllables.size() <= surnameSyllables)
                continue;
            if (whole.empty())
                surnameAgrees = joinSyllables({syllables.begin(),
                                               syllables.begin() + static_cast<std::ptrdiff_t>(surnameSyllables)}) ==
                    surnameReading;
            whole.push_back(Entry{joined(syllables, surnameSyllables, syllables.size()), e.weight});
        }
        if (!whole.empty()) {
            bool ambiguous = false;
            const std::vector<std::string> readings = nameReadings(given, whole, &ambiguous);
            out.known = true;
            out.ambiguous = ambiguous;
            out.syllables = syllablesOf(readings.front());
            out.others.assign(readings.begin() + 1, readings.end());
            // Sure only when the dictionary reads the surname as a surname
            // too (it reads 單田芳 dan tian fang).
            *wholeAgrees = whole.size() == 1 && surnameAgrees;
            return out;
        }
    }
    // The given name's words, each read as a name's; their other readings
    // become other readings of the whole given name, one word at a time.
    std::vector<Word> words = segment(given);
    if (words.empty())
        return std::nullopt;
    for (Word& w : words) {
        if (!w.known || !dictionary_)
            continue;
        bool ambiguous = false;
        const std::vector<std::string> readings = nameReadings(w.text, dictionary_->lookup(w.text), &ambiguous);
        if (readings.empty())
            continue;
        w.syllables = syllablesOf(readings.front());
        w.others.assign(readings.begin() + 1, readings.end());
        w.ambiguous = ambiguous;
    }
    out.known = true;
    for (const Word& w : words) {
        out.syllables.insert(out.syllables.end(), w.syllables.begin(), w.syllables.end());
        out.known = out.known && w.known;
        out.ambiguous = out.ambiguous || w.ambiguous;
    }
    for (std::size_t k = 0; k < words.size(); ++k)
        for (const std::string& other : words[k].others) {
            std::string variant;
            for (std::size_t j = 0; j < words.size(); ++j)
                variant += (variant.empty() ? "" : " ") + (j == k ? other : joined(words[j].syllables, 0, 99));
            out.others.push_back(variant);
        }
    return out;
}

namespace {

// Why a value cannot be read in Chinese at all; empty when it can.
std::string scriptRefusal(std::u16string_view value)
{
    bool han = false;
    for (std::size_t i = 0; i < value.size();) {
        const char32_t c = nextCodePoint(value, i);
        if (isKanaCharacter(c))
            return "kana cannot be read in Chinese";
        if (isHangulCharacter(c))
            return "Hangul cannot be read in Chinese";
        han = han || isHanCharacter(c);
    }
    return han ? std::string() : "no Han characters to read";
}

} // namespace

// The value's runs (Han characters, and everything else), and what lies
// between its Han runs.
struct ChineseValueReader::Runs {
    struct Run {
        std::u16string_view text;
        bool han;
    };
    std::vector<Run> all;
    std::vector<Run> han;
    bool onlyHanAndSpaces = true; // nothing but spaces and name dots between the Han runs
    bool nameDots = false;        // a dot between the parts of a foreign name

    explicit Runs(std::u16string_view value)
    {
        for (std::size_t i = 0; i < value.size();) {
            const std::size_t start = i;
            const bool isHan = isHanCharacter(nextCodePoint(value, i));
            while (i < value.size()) {
                std::size_t j = i;
                if (isHanCharacter(nextCodePoint(value, j)) != isHan)
                    break;
                i = j;
            }
            all.push_back(Run{value.substr(start, i - start), isHan});
        }
        for (const Run& r : all) {
            if (r.han) {
                han.push_back(r);
                continue;
            }
            bool dot = false;
            for (std::size_t k = 0; k < r.text.size();)
                dot = isNameDot(nextCodePoint(r.text, k)) || dot;
            nameDots = nameDots || dot;
            const bool spaces =
                std::all_of(r.text.begin(), r.text.end(), [](char16_t c) { return c == u' ' || c == 0x3000; });
            const bool dotted =
                dot && std::all_of(r.text.begin(), r.text.end(), [](char16_t c) { return c == u' ' || isNameDot(c); });
            onlyHanAndSpaces = onlyHanAndSpaces && (spaces || dotted);
        }
    }
};

// A reading on its way: the text, its alternatives, and how far it is
// trusted (doubts make it a Check).
struct ChineseValueReader::Draft {
    std::string reading;
    std::vector<std::string> alternatives;
    std::vector<std::string> doubts;
    Confidence trust = Confidence::Likely;
    std::string trustReason;
    std::string refusal; // why there is no reading

    void doubt(std::string reason)
    {
        if (std::find(doubts.begin(), doubts.end(), reason) == doubts.end())
            doubts.push_back(std::move(reason));
    }
};

Surname ChineseValueReader::personSurname(const Runs& runs, NameKind kind)
{
    // A person's name: one run, a surname and a given name of up to two
    // characters (or a surname alone).
    if (kind != NameKind::Person || !runs.onlyHanAndSpaces || runs.han.size() != 1)
        return {};
    const std::u16string_view name = runs.han.front().text;
    const Surname surname = surnameAt(name);
    const std::size_t given = name.size() - surname.length;
    if (surname.length == 0 || given > 2)
        return {};
    if (dictionary_ && given > 0) {
        // A common word read otherwise is a word (单车), not a name.
        const auto whole = dictionary_->lookup(name);
        if (!whole.empty() && whole.front().weight >= kCommonWord &&
            joinSyllables(syllablesOf(whole.front().reading)).substr(0, surname.reading.size()) != surname.reading)
            return {};
    }
    return surname;
}

std::string ChineseValueReader::familySyllables(std::u16string_view name, const Surname& surname,
                                                const std::string& family, ChineseStyle style)
{
    // Compound surnames are two syllables; in zhuyin they are split by the
    // dictionary's own syllables where it knows the surname so.
    if (surname.length == 1 || style != ChineseStyle::Zhuyin || !dictionary_)
        return family;
    for (const Entry& e : dictionary_->lookup(name.substr(0, surname.length)))
        if (joinSyllables(syllablesOf(e.reading)) == family)
            return e.reading;
    return family;
}

ChineseValueReader::Draft ChineseValueReader::readPerson(std::u16string_view name, const Surname& surname,
                                                         ChineseStyle style)
{
    Draft d;
    bool wholeAgrees = false;
    const std::optional<Word> given = personGiven(name, surname.length, surname.length, surname.reading, &wholeAgrees);
    if (!given) {
        d.refusal = "a character of the given name has no reading";
        return d;
    }
    const auto layout = [&](const std::string& family, const std::vector<std::string>& syllables) {
        const std::string spelt = familySyllables(name, surname, family, style);
        std::string s = style == ChineseStyle::Zhuyin
            ? render(name.substr(0, surname.length), syllablesOf(spelt), style, false,
                     family == surname.reading ? surname.tones : std::vector<int>{})
            : capitalised(spelt);
        if (!syllables.empty())
            s += ' ' + render(name.substr(surname.length), syllables, style, true);
        return s;
    };
    d.reading = layout(surname.reading, given->syllables);
    for (const std::string& other : surname.alternatives)
        d.alternatives.push_back(layout(other, given->syllables));
    for (const std::string& other : given->others)
        d.alternatives.push_back(layout(surname.reading, syllablesOf(other)));
    if (!dictionary_)
        d.doubt("read character by character: " + missing());
    else if (!given->known)
        d.doubt("a character of the name is in no Chinese dictionary");
    else if (given->ambiguous)
        d.doubt("the given name has several common readings");
    if (wholeAgrees && surname.alternatives.empty()) {
        d.trust = Confidence::Sure;
        d.trustReason = "whole name in the Chinese dictionary";
    } else {
        d.trustReason = surname.alternatives.empty() ? "surname and given name from the Chinese dictionary"
                                                     : "the surname's usual reading; it has others";
    }
    return d;
}

namespace {

// A piece of a reading of words: the reading of a word (or of a foreign
// name's parts), or the text between Han runs.
struct Piece {
    std::string text;
    bool word;
};

bool endsWord(char c)
{
    return isAsciiAlnum(c) || static_cast<unsigned char>(c) >= 0x80 || c == '\'' || c == ',' || c == '.' || c == ')' ||
        c == '!' || c == '?';
}

// The pieces joined: words apart, one space between words, none at the
// ends nor before a comma, a stop or a closing bracket.
std::string assemble(const std::vector<Piece>& pieces, ChineseStyle style)
{
    std::string s;
    for (const Piece& p : pieces) {
        if (p.text.empty())
            continue;
        const bool startsWord =
            p.word || isAsciiAlnum(p.text.front()) || static_cast<unsigned char>(p.text.front()) >= 0x80;
        if (!s.empty() && s.back() != ' ' && startsWord && endsWord(s.back()) && p.text.front() != ' ')
            s += ' ';
        s += p.text;
    }
    std::string tidy;
    for (const char c : s) {
        if (c == ' ' && (tidy.empty() || tidy.back() == ' '))
            continue;
        if (std::string_view(",.!?;:)").find(c) != std::string_view::npos && !tidy.empty() && tidy.back() == ' ')
            tidy.pop_back();
        tidy += c;
    }
    while (!tidy.empty() && tidy.back() == ' ')
        tidy.pop_back();
    return style == ChineseStyle::Pinyin ? capitalised(tidy) : tidy;
}

} // namespace

ChineseValueReader::Draft ChineseValueReader::readWords(const Runs& runs, NameKind kind, ChineseStyle style)
{
    // Titles, bands and foreign names (their parts read as one word each).
    Draft d;
    const bool foreignName = kind == NameKind::Person && runs.onlyHanAndSpaces && runs.nameDots;
    std::vector<Piece> pieces;
    std::vector<std::vector<Word>> segmented;
    for (const Runs::Run& r : runs.all) {
        if (!r.han) {
            pieces.push_back(Piece{plainText(r.text), false});
            continue;
        }
        std::vector<Word> words = segment(r.text);
        if (words.empty()) {
            d.refusal = "a character has no reading in any Chinese dictionary";
            return d;
        }
        for (const Word& w : words) {
            if (!w.known)
                d.doubt(dictionary_ ? "a character read on its own (" + toUtf8(w.text) + ")"
                                    : "read character by character: " + missing());
            else if (w.ambiguous)
                d.doubt("several readings of " + toUtf8(w.text));
        }
        std::vector<std::string> all;
        for (const Word& w : words)
            all.insert(all.end(), w.syllables.begin(), w.syllables.end());
        // Zhuyin's tones over the whole run: a word of the toned table may
        // span two words of the segmentation (行為 cut as 行 and 為).
        std::vector<int> runTones;
        std::u16string joined;
        for (const Word& w : words)
            joined += w.text;
        if (style == ChineseStyle::Zhuyin && !foreignName)
            runTones = tonesOf(joined, all);
        std::size_t at = 0;
        for (const Word& w : words) {
            const std::vector<int> known = runTones.size() == all.size() && at + w.syllables.size() <= all.size()
                ? std::vector<int>(runTones.begin() + static_cast<std::ptrdiff_t>(at),
                                   runTones.begin() + static_cast<std::ptrdiff_t>(at + w.syllables.size()))
                : std::vector<int>{};
            if (!foreignName)
                pieces.push_back(Piece{render(w.text, w.syllables, style, false, known), true});
            at += w.syllables.size();
        }
        if (foreignName)
            pieces.push_back(Piece{render(r.text, all, style, true), true});
        segmented.push_back(std::move(words));
    }
    d.reading = assemble(pieces, style);
    // Other readings: one word read otherwise at a time.
    std::vector<std::size_t> wordPieces;
    for (std::size_t k = 0; k < pieces.size(); ++k)
        if (pieces[k].word)
            wordPieces.push_back(k);
    std::size_t pieceIndex = 0;
    for (const auto& words : segmented)
        for (const Word& w : words) {
            for (const std::string& other : w.others) {
                if (foreignName)
                    break;
                std::vector<Piece> variant = pieces;
                variant[wordPieces[pieceIndex]].text = render(w.text, syllablesOf(other), style, false);
                d.alternatives.push_back(assemble(variant, style));
            }
            ++pieceIndex;
        }
    if (!dictionary_)
        d.doubt("read character by character: " + missing());
    const bool wholeOne = runs.all.size() == 1 && segmented.size() == 1 && segmented.front().size() == 1 &&
        segmented.front().front().known;
    if (wholeOne && segmented.front().front().others.empty()) {
        d.trust = Confidence::Sure;
        d.trustReason = "whole value in the Chinese dictionary";
    } else {
        d.trustReason = "every word from the Chinese dictionary";
    }
    return d;
}

ValueReading ChineseValueReader::read(std::u16string_view value, const ReadRequest& request)
{
    start();
    ValueReading out;
    out.language = Language::Chinese;
    if (out.reason = scriptRefusal(value); !out.reason.empty())
        return out;
    const Runs runs(value);
    const ChineseStyle style = request.styles.chinese;
    const Surname surname = personSurname(runs, request.kind);
    Draft d =
        surname.length > 0 ? readPerson(runs.han.front().text, surname, style) : readWords(runs, request.kind, style);
    if (!d.refusal.empty() || d.reading.empty()) {
        out.reason = d.refusal.empty() ? "no reading" : d.refusal;
        return out;
    }
    out.reading = toUtf16(d.reading);
    if (d.doubts.empty()) {
        out.confidence = d.trust;
        out.reason = d.trustReason;
    } else {
        out.confidence = Confidence::Check;
        for (const std::string& doubt : d.doubts)
            out.reason += (out.reason.empty() ? "" : "; ") + doubt;
    }
    for (const std::string& a : d.alternatives) {
        if (out.alternatives.size() >= request.alternatives)
            break;
        const String alt = toUtf16(a);
        if (alt != *out.reading &&
            std::find(out.alternatives.begin(), out.alternatives.end(), alt) == out.alternatives.end())
            out.alternatives.push_back(alt);
    }
    return out;
}

} // namespace yomi::chinese
