#include "Category/StringUtility.h"

#include <unicode/locid.h>
#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <array>
#include <climits>
#include <cstdint>
#include <memory>
#include <mutex>

#include "Platform/Bundle.h"

namespace yomi {
namespace {

constexpr std::string_view kTableName = "StringUtility";
constexpr std::u16string_view kKanaKey = u"japaneseCharacterset";
constexpr std::u16string_view kAlphabetKey = u"alphabetCharacterSet";

// The set of the characters of a text, asked one UTF-16 code unit at a time.
// Surrogate code units never enter it: a text's characters outside the Basic
// Multilingual Plane are no single code unit, so nothing can match them.
//
// Built afresh for every predicate call, so construction must be cheap: a
// page table of 256 entries over 256-bit blocks, with blocks handed out only
// for the pages the text touches (a few for kana and Latin). Nothing but the
// page table needs clearing.
class CodeUnitSet {
public:
    // The set of the characters of `first` followed by `second`.
    explicit CodeUnitSet(std::u16string_view first, std::u16string_view second = {})
    {
        page_.fill(0);
        add(first);
        add(second);
    }

    bool contains(char16_t c) const
    {
        const std::uint8_t slot = page_[c >> 8];
        return slot != 0 && (blocks_[slot - 1][(c >> 6) & 3] >> (c & 63) & 1) != 0;
    }

private:
    static constexpr std::uint32_t kNoWord = 0xFFFFFFFF;

    void add(std::u16string_view text)
    {
        // The texts list characters mostly in runs of neighbours, so the bits
        // of one 64-bit word are gathered in a register and stored once per
        // run instead of once per character.
        std::uint32_t word = kNoWord;
        std::uint64_t bits = 0;
        for (const char16_t c : text) {
            const std::uint32_t w = c >> 6;
            if (w != word) {
                store(word, bits);
                word = w;
                bits = 0;
            }
            bits |= std::uint64_t{1} << (c & 63);
        }
        store(word, bits);
    }

    void store(std::uint32_t word, std::uint64_t bits)
    {
        // Surrogate code units (pages 0xD8 to 0xDF) are dropped here rather
        // than tested one by one in the loop above.
        if (word == kNoWord || (word >> 5) == (0xD800 >> 11))
            return;
        std::uint8_t& slot = page_[word >> 2];
        if (slot == 0) {
            slot = static_cast<std::uint8_t>(++used_);
            blocks_[slot - 1] = {};
        }
        blocks_[slot - 1][word & 3] |= bits;
    }

    // Slot k+1 in page_ names blocks_[k]; 0 is an empty page. Pages
    // 0xD8..0xDF are surrogates and never used, so 248 blocks suffice, and
    // slot numbers fit in a byte.
    std::array<std::uint8_t, 256> page_;
    std::array<std::array<std::uint64_t, 4>, 256> blocks_;
    unsigned used_ = 0;
};

bool walk(StringArg s, const CodeUnitSet& set)
{
    if (!s)
        return false;
    bool result = true;
    for (std::size_t i = 0; i < s->size() && result; ++i)
        result = set.contains((*s)[i]);
    return result;
}

std::u16string_view lookup(std::u16string_view key)
{
    return Bundle::mainBundle().localizedStringViewForKey(key, u"", kTableName);
}

} // namespace

bool isHiraganaKatanakaAlphabetString(StringArg s)
{
    // The set of the joined texts is built from both in turn, which gives the
    // same set without copying them into one string first.
    const std::u16string_view kana = lookup(kKanaKey);
    const std::u16string_view alphabet = lookup(kAlphabetKey);
    return walk(s, CodeUnitSet(kana, alphabet));
}

struct KanaOrAlphabetTest::Set {
    CodeUnitSet units;
};

KanaOrAlphabetTest::KanaOrAlphabetTest() = default;
KanaOrAlphabetTest::~KanaOrAlphabetTest() = default;

bool KanaOrAlphabetTest::operator()(StringArg s)
{
    if (!set_) {
        const std::u16string_view kana = lookup(kKanaKey);
        const std::u16string_view alphabet = lookup(kAlphabetKey);
        set_ = std::make_unique<Set>(Set{CodeUnitSet(kana, alphabet)});
    }
    return walk(s, set_->units);
}

bool isHiraganaKatanakaString(StringArg s) { return walk(s, CodeUnitSet(lookup(kKanaKey))); }

bool isAlphanumericString(StringArg s) { return walk(s, CodeUnitSet(lookup(kAlphabetKey))); }

bool isNumberString(StringArg s) { return walk(s, CodeUnitSet(u"0123456789")); }

String romaji(StringArg s)
{
    if (!s || s->empty())
        return String();
    // Creating a transliterator compiles its rules and takes milliseconds, so
    // one instance serves the whole run; the mutex keeps its use serial.
    static std::mutex mutex;
    static const std::unique_ptr<icu::Transliterator> toLatin = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> t(
            icu::Transliterator::createInstance("Any-Latin", UTRANS_FORWARD, status));
        if (U_FAILURE(status))
            t.reset();
        return t;
    }();

    if (s->size() > static_cast<std::size_t>(INT32_MAX))
        return String(*s);
    icu::UnicodeString text(s->data(), static_cast<int32_t>(s->size()));
    if (toLatin) {
        std::lock_guard lock(mutex);
        toLatin->transliterate(text);
    }
    text.toLower(icu::Locale::getRoot());
    return String(text.getBuffer(), static_cast<std::size_t>(text.length()));
}

} // namespace yomi
