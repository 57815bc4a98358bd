#include "Reading/Chinese/Tones.h"

#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <array>
#include <functional>
#include <mutex>
#include <unordered_map>

#include "Category/Reading.h"
#include "Platform/Text.h"
#include "Reading/Chinese/Pinyin.h"
#include "Storage/FileCommit.h"

namespace yomi::chinese {
namespace {

// The syllables of a reading, split at spaces.
std::vector<std::string_view> split(std::string_view s)
{
    std::vector<std::string_view> out;
    while (!s.empty()) {
        const std::size_t space = s.find(' ');
        if (space != 0)
            out.push_back(s.substr(0, space));
        if (space == std::string_view::npos)
            break;
        s.remove_prefix(space + 1);
    }
    return out;
}

int toneDigit(std::string_view syllable)
{
    const char last = syllable.empty() ? '\0' : syllable.back();
    return last >= '1' && last <= '5' ? last - '0' : 0;
}

// One character through an ICU transform (Hans-Hant, Han-Latin), cached.
icu::UnicodeString transformed(const char* id, char32_t c)
{
    static std::mutex mutex;
    static std::unordered_map<std::string, std::unique_ptr<icu::Transliterator>> transforms;
    std::lock_guard lock(mutex);
    auto& t = transforms[id];
    UErrorCode status = U_ZERO_ERROR;
    if (!t)
        t.reset(icu::Transliterator::createInstance(id, UTRANS_FORWARD, status));
    icu::UnicodeString text(static_cast<UChar32>(c));
    if (t && U_SUCCESS(status))
        t->transliterate(text);
    return text;
}

// ICU's toned reading of a character when its syllable is `syllable`: the
// tone of the mark on its vowel (none: the neutral tone is not told apart
// from a missing one, 0).
int icuTone(char32_t c, std::string_view syllable)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    if (!nfd || U_FAILURE(status))
        return 0;
    const icu::UnicodeString decomposed = nfd->normalize(transformed("Han-Latin", c), status);
    std::string letters;
    int tone = 0;
    for (int32_t i = 0; U_SUCCESS(status) && i < decomposed.length(); ++i) {
        const UChar u = decomposed.charAt(i);
        if ((u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z'))
            letters += static_cast<char>(u);
        else if (u == 0x0308 && !letters.empty())
            letters.back() = 'v';
        else if (u == 0x0304)
            tone = 1;
        else if (u == 0x0301)
            tone = 2;
        else if (u == 0x030C)
            tone = 3;
        else if (u == 0x0300)
            tone = 4;
        else
            return 0;
    }
    return U_SUCCESS(status) && sortSyllable(letters) == syllable ? tone : 0;
}

} // namespace

std::unique_ptr<ToneTable> ToneTable::open(const std::filesystem::path& source)
{
    std::string text = fileio::readWholeFile(source).value_or(std::string());
    if (text.empty())
        return nullptr;
    auto table = parse(std::move(text));
    return table->size() ? std::move(table) : nullptr;
}

std::unique_ptr<ToneTable> ToneTable::parse(std::string text)
{
    std::unique_ptr<ToneTable> table(new ToneTable());
    table->text_ = std::move(text);
    const std::string& t = table->text_;
    // The entries follow the header's end ("..."), when there is one.
    std::size_t at = 0;
    if (const std::size_t end = t.find("\n...\n"); end != std::string::npos)
        at = end + 5;
    while (at < t.size()) {
        const std::size_t next = std::min(t.find('\n', at), t.size());
        const std::string_view line(t.data() + at, next - at);
        const std::size_t tab = line.find('\t');
        if (!line.empty() && line.front() != '#' && tab != std::string_view::npos && tab > 0 && next <= UINT32_MAX)
            table->lines_.push_back(Line{static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(tab)});
        at = next + 1;
    }
    std::stable_sort(table->lines_.begin(), table->lines_.end(), [&t](const Line& a, const Line& b) {
        return std::string_view(t).substr(a.at, a.keyLength) < std::string_view(t).substr(b.at, b.keyLength);
    });
    return table;
}

std::vector<ToneTable::Reading> ToneTable::lookup(std::u16string_view key) const
{
    const std::string k = toUtf8(key);
    std::size_t low = 0, high = lines_.size();
    while (low < high) {
        const std::size_t mid = (low + high) / 2;
        if (keyAt(mid) < k)
            low = mid + 1;
        else
            high = mid;
    }
    std::vector<Reading> out;
    for (std::size_t n = low; n < lines_.size() && keyAt(n) == k; ++n) {
        std::string_view rest = std::string_view(text_).substr(lines_[n].at + lines_[n].keyLength + 1);
        rest = rest.substr(0, rest.find('\n'));
        Reading r;
        const std::size_t tab = rest.find('\t');
        r.syllables = rest.substr(0, tab);
        if (tab != std::string_view::npos) {
            const std::string share(rest.substr(tab + 1));
            char* end = nullptr;
            const double v = std::strtod(share.c_str(), &end);
            if (end != share.c_str() && *end == '%')
                r.share = v;
        }
        out.push_back(r);
    }
    return out;
}

int ToneTable::characterTone(char32_t c, std::string_view syllable, int wordTone) const
{
    std::u16string forms;
    appendUtf16(forms, c);
    // Its traditional form: the table lists a simplified character's
    // commonest readings only (乐 le4; 樂 le4 and yue4).
    const icu::UnicodeString hant = transformed("Hans-Hant", c);
    std::u16string traditional(reinterpret_cast<const char16_t*>(hant.getBuffer()),
                               static_cast<std::size_t>(hant.length()));
    if (traditional == forms)
        traditional.clear();
    // The word's tone, unless the character has it only as a trace (at most
    // 1%) or not at all beside another tone of the syllable: a tone it
    // takes in words alone (一 yi2 in 一個), or a word's older or regional
    // reading (不 bu5 in 好久不見, 寂 ji2 in 寂寞).
    if (wordTone) {
        bool listed = false, other = false;
        for (const std::u16string& form : {forms, traditional})
            for (const Reading& r : form.empty() ? std::vector<Reading>{} : lookup(form))
                if (sortSyllable(r.syllables) == syllable) {
                    if (toneDigit(r.syllables) != wordTone)
                        other = other || r.share > 1;
                    else
                        listed = listed || r.share > 1;
                }
        if (listed || !other)
            return wordTone;
    }
    // Else a vote of the sources, each tone of the same syllable by its
    // share: the character's own form, its traditional form (the table
    // gives a few simplified characters a wrong or even tone: 运 yun3, 台
    // tai1 and tai2 alike; 運 and 臺 settle them) and ICU's reading where
    // the two leave it close.
    std::array<double, 6> votes{};
    for (const std::u16string& form : {forms, traditional})
        for (const Reading& r : form.empty() ? std::vector<Reading>{} : lookup(form))
            if (sortSyllable(r.syllables) == syllable)
                votes[static_cast<std::size_t>(toneDigit(r.syllables))] += r.share / 100;
    // ICU is asked only when the table leaves it close (its transform is
    // slow to make and to run).
    std::array<double, 6> ranked = votes;
    std::sort(ranked.begin(), ranked.end(), std::greater<>());
    const int icu = ranked[0] > 0 && ranked[0] >= 2 * ranked[1] ? 0 : icuTone(c, syllable);
    if (icu)
        votes[static_cast<std::size_t>(icu)] += 1;
    int best = 0;
    for (int tone = 1; tone <= 5; ++tone)
        if (votes[static_cast<std::size_t>(tone)] > votes[static_cast<std::size_t>(best)] ||
            (tone == icu && votes[static_cast<std::size_t>(tone)] > 0 &&
             votes[static_cast<std::size_t>(tone)] == votes[static_cast<std::size_t>(best)]))
            best = tone;
    return best;
}

std::vector<int> ToneTable::tones(std::u16string_view text, const std::vector<std::string>& syllables) const
{
    std::vector<char32_t> characters;
    for (std::size_t i = 0; i < text.size();)
        characters.push_back(nextCodePoint(text, i));
    std::vector<int> out(syllables.size(), 0);
    if (characters.size() != syllables.size())
        return out;
    // The tones of the table's words inside the text, longest first from
    // each character, where the table has the word with these syllables (in
    // its own form, else in its traditional form).
    std::u16string traditional;
    std::vector<std::size_t> starts; // code units of each character in both texts
    std::vector<std::size_t> traditionalStarts;
    for (std::size_t i = 0, k = 0; k < characters.size(); ++k) {
        starts.push_back(i);
        traditionalStarts.push_back(traditional.size());
        i += characters[k] > 0xFFFF ? 2 : 1;
        const icu::UnicodeString t = transformed("Hans-Hant", characters[k]);
        traditional.append(reinterpret_cast<const char16_t*>(t.getBuffer()), static_cast<std::size_t>(t.length()));
    }
    starts.push_back(text.size());
    traditionalStarts.push_back(traditional.size());
    std::vector<int> word(syllables.size(), 0);
    constexpr std::size_t kLongestWord = 7;
    for (std::size_t from = 0; from + 1 < characters.size();) {
        std::size_t matched = 0;
        for (std::size_t length = std::min(kLongestWord, characters.size() - from); length >= 2 && !matched; --length)
            for (const std::u16string_view form :
                 {text.substr(starts[from], starts[from + length] - starts[from]),
                  std::u16string_view(traditional)
                      .substr(traditionalStarts[from], traditionalStarts[from + length] - traditionalStarts[from])}) {
                for (const Reading& r : lookup(form)) {
                    const std::vector<std::string_view> parts = split(r.syllables);
                    bool same = parts.size() == length;
                    for (std::size_t k = 0; same && k < length; ++k)
                        same = sortSyllable(parts[k]) == syllables[from + k];
                    if (!same)
                        continue;
                    for (std::size_t k = 0; k < length; ++k)
                        word[from + k] = toneDigit(parts[k]);
                    matched = length;
                    break;
                }
                if (matched)
                    break;
            }
        from += matched ? matched : 1;
    }
    for (std::size_t k = 0; k < characters.size(); ++k)
        out[k] = characterTone(characters[k], syllables[k], word[k]);
    return out;
}

} // namespace yomi::chinese
