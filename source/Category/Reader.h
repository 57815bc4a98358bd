// Readings of field values in the language of each value: which language a
// value is read in, how far its reading can be trusted, and the one entry
// point (Reader) that the controller and the command line ask.
//
// A value is read in one of three languages. Each has its own engine behind
// ValueReader (Japanese: MeCab and the Japanese dictionaries; Chinese: the
// pinyin dictionaries; Korean: Hangul kept or romanised), and a decider
// chooses the language from the value, the dictionaries and what the library
// holds around the value. The user's own readings and the sort values the
// library already holds for the same value win over every engine.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Category/Reading.h"
#include "Platform/Text.h"

namespace yomi {

// The styles of the two languages besides Japanese (ReadingStyle).
enum class ChineseStyle { Pinyin, Zhuyin };
enum class KoreanStyle { Hangul, Latin };

// "pinyin", "zhuyin"; "hangul", "latin"; nullopt for any other name.
std::optional<ChineseStyle> chineseStyleNamed(std::string_view name);
std::string_view chineseStyleName(ChineseStyle style);
std::optional<KoreanStyle> koreanStyleNamed(std::string_view name);
std::string_view koreanStyleName(KoreanStyle style);

struct ReadingStyles {
    ReadingStyle japanese = ReadingStyle::Katakana;
    ChineseStyle chinese = ChineseStyle::Pinyin;
    KoreanStyle korean = KoreanStyle::Hangul;
};

// What the library holds around one value: the other text fields of the
// tracks that carry it and the other tracks of their album folders, as the
// scan read them. Each text is counted once however many tracks hold it.
// A default context knows nothing (the value alone decides).
struct ValueContext {
    NameKind kind = NameKind::Person;
    std::size_t texts = 0;           // neighbouring texts looked at
    std::size_t hanTexts = 0;        // of them, holding Han characters
    std::size_t kanaTexts = 0;       // of them, holding kana
    std::size_t simplifiedTexts = 0; // holding a character only simplified Chinese writes
    std::size_t hangulTexts = 0;     // holding Hangul
    // Non-empty sort values that tracks already hold for this same value in
    // any of the six fields, most tracks first: readings the library has.
    std::vector<String> librarySortValues;
};

// A value's language and why.
struct LanguageDecision {
    Language language = Language::None;
    // True when evidence decided it; false when the user's default did (the
    // value could be read either way), which makes its reading a Check.
    bool clear = false;
    // Each piece of evidence named, strongest first, in words a user reads:
    // "kana in the value", "3 of 4 titles of the album hold kana".
    std::vector<std::string> evidence;
};

// What a reading is asked for.
struct ReadRequest {
    NameKind kind = NameKind::Person;
    ReadingStyles styles;
    std::size_t alternatives = 4;
    // The user's own readings (may be null); applied to parts of the value by
    // the engines that can (whole values are the Reader's).
    const UserReadings* user = nullptr;
    // The language was forced by the user or decided clearly, so the engine
    // reads the value even where it would doubt the language on its own.
    bool languageSettled = false;
};

// The reading of whole values in one language.
class ValueReader {
public:
    virtual ~ValueReader() = default;
    virtual Language language() const = 0;
    // Whether its data is there; when false, `missing` says what to install.
    // An engine with a fallback (a plainer reading without its full data)
    // stays available and marks such readings Check with the reason.
    virtual bool available() const = 0;
    virtual std::string missing() const { return {}; }
    // The value's reading in the request's style for this language, with
    // alternatives, confidence and reason; `language` of the result is this
    // engine's. No reading (nullopt) with the reason when it has none.
    virtual ValueReading read(std::u16string_view value, const ReadRequest& request) = 0;
};

// Chooses the language of a value. `prefer` is the user's default for values
// that the evidence does not settle.
class LanguageDecider {
public:
    virtual ~LanguageDecider() = default;
    virtual LanguageDecision decide(std::u16string_view value, const ValueContext& context, Language prefer) = 0;
};

// The decision from the value's own characters alone, with no dictionary:
// kana → Japanese; Hangul → Korean; a character only simplified Chinese
// writes → Chinese; no Han, kana or Hangul at all → None; anything else →
// `prefer`, not clear.
LanguageDecision decideByCharacters(std::u16string_view value, Language prefer);

// Whether a sort value is kana and, kept as the value writes them, some of
// the value's own characters that are neither Han nor kana: a Japanese
// reading that leaves Latin letters, digits and separators as they are.
bool kanaKeepingTheValuesOwn(std::u16string_view sort, std::u16string_view value);

// The reason of a reading that is the library's own sort value (it goes on
// when the library holds others).
inline constexpr std::string_view kLibrarySortValue = "the library's own sort value";
inline bool fromLibrary(const ValueReading& read) { return read.reason.starts_with(kLibrarySortValue); }

// The one entry point for readings. Engines, decider and user readings may be
// null; a missing engine reads nothing in its language (the reason says so),
// a missing decider falls back to decideByCharacters.
class Reader {
public:
    ValueReader* japanese = nullptr;
    ValueReader* chinese = nullptr;
    ValueReader* korean = nullptr;
    LanguageDecider* decider = nullptr;
    const UserReadings* user = nullptr;
    ReadingStyles styles;
    Language prefer = Language::Japanese;
    std::size_t alternatives = 4;

    // The engine of a language; null for None or a missing one.
    ValueReader* engine(Language language) const;
    // Whether any engine is there and available.
    bool available() const;

    // The reading of a value of a field of `context.kind`, in this order:
    //   1. the user's own reading of the whole value: Sure (a kana reading is
    //      Japanese and takes the Japanese style; any other is kept as it is);
    //   2. the language: `forced` when given, else the decider's;
    //   3. a sort value the library holds for the same value that suits the
    //      language and its style (context.librarySortValues, in order):
    //      Sure, or Check when another that suits differs;
    //   4. that language's engine; when the language was not clear, the
    //      confidence is at most Check, with the reason.
    // The result names its language and the decision's evidence.
    ValueReading read(std::u16string_view value, const ValueContext& context = {},
                      std::optional<Language> forced = std::nullopt);
};

// The Japanese engine as a ValueReader: readValue over a ReadingEngine.
class JapaneseValueReader final : public ValueReader {
public:
    explicit JapaneseValueReader(ReadingEngine& engine) : engine_(engine) {}
    Language language() const override { return Language::Japanese; }
    bool available() const override { return engine_.available(); }
    std::string missing() const override { return engine_.missing(); }
    ValueReading read(std::u16string_view value, const ReadRequest& request) override;
    ReadingEngine& engine() const { return engine_; }

private:
    ReadingEngine& engine_;
};

// The engines of the readings, owned together: made once by the window or
// the command line and lent to a Reader.
class ReadingKit {
public:
    ReadingKit() = default;
    // A kit whose Japanese engine reads runs with `japanese`.
    explicit ReadingKit(std::unique_ptr<ReadingEngine> japanese) { setJapanese(std::move(japanese)); }

    // The Japanese run engine, wrapped as the Japanese ValueReader.
    void setJapanese(std::unique_ptr<ReadingEngine> engine);
    // The engine of its language, replacing the one there.
    void setEngine(std::unique_ptr<ValueReader> engine);
    void setDecider(std::unique_ptr<LanguageDecider> decider);

    ReadingEngine* japaneseRuns() const { return japaneseRuns_.get(); }
    ValueReader* engine(Language language) const;
    LanguageDecider* decider() const { return decider_.get(); }
    // Points the reader's engines and decider at the kit's (null where the
    // kit has none); the kit must outlive the reader's use of them.
    void lend(Reader& reader) const;

private:
    std::unique_ptr<ReadingEngine> japaneseRuns_;
    std::unique_ptr<ValueReader> japanese_, chinese_, korean_;
    std::unique_ptr<LanguageDecider> decider_;
};

} // namespace yomi
