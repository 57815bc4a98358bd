#include "Category/Reader.h"

#include <algorithm>

#include "Category/StringUtility.h"

namespace yomi {
namespace {

bool isBopomofo(char32_t c) { return (c >= 0x3100 && c <= 0x312F) || (c >= 0x31A0 && c <= 0x31BF); }

// Whether every character of the text passes `keep`, spaces (the
// ideographic one too, as Japanese input methods type it) aside, and at
// least one is not a space.
template <typename Keep>
bool madeOf(std::u16string_view text, Keep keep)
{
    bool any = false;
    for (std::size_t i = 0; i < text.size();) {
        const char32_t c = nextCodePoint(text, i);
        if (c == u' ' || c == u'\u3000')
            continue;
        if (!keep(c))
            return false;
        any = true;
    }
    return any;
}

bool isAsciiText(char32_t c) { return c >= 0x21 && c < 0x7F; }

// The library's sort value in the form the language's style asks for, or
// nullopt when it does not suit (a romaji sort value for a katakana reading).
std::optional<String> suited(const String& sort, std::u16string_view value, Language language,
                             const ReadingStyles& styles)
{
    switch (language) {
    case Language::Japanese:
        // Kana, with the spaces the library has between words; in kana
        // styles also with the value's own Latin letters, digits and signs.
        if (!madeOf(sort, isKanaCharacter) &&
            (styles.japanese == ReadingStyle::Romaji || !kanaKeepingTheValuesOwn(sort, value)))
            return std::nullopt;
        switch (styles.japanese) {
        case ReadingStyle::Katakana:
            return toKatakana(sort);
        case ReadingStyle::Hiragana:
            return toHiragana(sort);
        case ReadingStyle::Romaji:
            return romaji(sort);
        }
        return std::nullopt;
    case Language::Chinese:
        if (styles.chinese == ChineseStyle::Zhuyin)
            return madeOf(sort,
                          [](char32_t c) {
                              return isBopomofo(c) || c == 0x02CA || c == 0x02C7 || c == 0x02CB || c == 0x02D9;
                          })
                ? std::optional<String>(sort)
                : std::nullopt;
        return madeOf(sort, isAsciiText) ? std::optional<String>(sort) : std::nullopt;
    case Language::Korean:
        if (styles.korean == KoreanStyle::Hangul)
            return madeOf(sort, isHangulCharacter) ? std::optional<String>(sort) : std::nullopt;
        return madeOf(sort, isAsciiText) ? std::optional<String>(sort) : std::nullopt;
    case Language::None:
        break;
    }
    return std::nullopt;
}

// The library's first sort value for the value that suits the language
// into `out`: sure unless another that suits says otherwise (tracks that
// disagree need a look).
void librarySortValue(std::u16string_view value, const ValueContext& context, Language language,
                      const ReadingStyles& styles, ValueReading& out)
{
    for (const String& sort : context.librarySortValues) {
        auto reading = suited(sort, value, language, styles);
        if (!reading)
            continue;
        if (!out.reading) {
            out.reading = std::move(reading);
            out.confidence = Confidence::Sure;
            out.reason = kLibrarySortValue;
        } else if (*reading != *out.reading) {
            out.confidence = Confidence::Check;
            out.reason = std::string(kLibrarySortValue) + "; its tracks hold others too";
            return;
        }
    }
}

// The engine's reading of the value; where the language is not `clear`, a
// reading to look at. An engine that turns the value away as another
// language's (a Chinese name to the Japanese engine) when nothing else
// decided reads it all the same: the language the decision came to is the
// library's own, and a reading to look at serves better than none.
ValueReading readInLanguage(ValueReader& reader, std::u16string_view value, ReadRequest request, bool clear)
{
    request.languageSettled = clear;
    ValueReading read = reader.read(value, request);
    if (clear)
        return read;
    if (!read.reading) {
        request.languageSettled = true;
        ValueReading settled = reader.read(value, request);
        if (!settled.reading)
            return read;
        settled.reason = "the language is not clear, " +
            (read.reason.empty() ? std::string("the engine doubts it") : read.reason) +
            (settled.reason.empty() ? std::string() : "; " + settled.reason);
        settled.confidence = Confidence::Check;
        return settled;
    }
    if (read.confidence > Confidence::Check) {
        read.confidence = Confidence::Check;
        read.reason = "the language is not clear" + (read.reason.empty() ? std::string() : "; " + read.reason);
    }
    return read;
}

} // namespace

// Whether a sort value is kana and, kept as the value writes them, some of
// the value's own characters that are neither Han nor kana: a Japanese
// reading that leaves Latin letters, digits and separators as they are
// (岸田教団&THE明星ロケッツ: キシダキョウダン&ザミョウジョウロケッツ, as the
// names of a joined value are read one by one).
bool kanaKeepingTheValuesOwn(std::u16string_view sort, std::u16string_view value)
{
    bool kana = false;
    for (std::size_t i = 0; i < sort.size();) {
        const std::size_t at = i;
        const char32_t c = nextCodePoint(sort, i);
        if (isKanaCharacter(c)) {
            kana = true;
            continue;
        }
        if (c != u' ' && c != u'\u3000' && (isHanCharacter(c) || value.find(sort.substr(at, i - at)) == std::u16string_view::npos))
            return false;
    }
    return kana;
}

std::string_view languageCode(Language language)
{
    switch (language) {
    case Language::Japanese:
        return "ja";
    case Language::Chinese:
        return "zh";
    case Language::Korean:
        return "ko";
    case Language::None:
        break;
    }
    return "none";
}

std::optional<Language> languageFromCode(std::string_view code)
{
    if (code == "ja")
        return Language::Japanese;
    if (code == "zh")
        return Language::Chinese;
    if (code == "ko")
        return Language::Korean;
    return std::nullopt;
}

std::string_view confidenceName(Confidence confidence)
{
    switch (confidence) {
    case Confidence::Sure:
        return "sure";
    case Confidence::Likely:
        return "likely";
    case Confidence::Check:
        break;
    }
    return "check";
}

std::optional<Confidence> confidenceNamed(std::string_view name)
{
    if (name == "sure")
        return Confidence::Sure;
    if (name == "likely")
        return Confidence::Likely;
    if (name == "check")
        return Confidence::Check;
    return std::nullopt;
}

std::optional<ChineseStyle> chineseStyleNamed(std::string_view name)
{
    if (name == "pinyin")
        return ChineseStyle::Pinyin;
    if (name == "zhuyin")
        return ChineseStyle::Zhuyin;
    return std::nullopt;
}

std::string_view chineseStyleName(ChineseStyle style) { return style == ChineseStyle::Zhuyin ? "zhuyin" : "pinyin"; }

std::optional<KoreanStyle> koreanStyleNamed(std::string_view name)
{
    if (name == "hangul")
        return KoreanStyle::Hangul;
    if (name == "latin")
        return KoreanStyle::Latin;
    return std::nullopt;
}

std::string_view koreanStyleName(KoreanStyle style) { return style == KoreanStyle::Latin ? "latin" : "hangul"; }

NameKind nameKindOfField(std::string_view valueKey)
{
    return valueKey == "artist" || valueKey == "albumArtist" || valueKey == "composer" ? NameKind::Person
                                                                                       : NameKind::Title;
}

LanguageDecision decideByCharacters(std::u16string_view value, Language prefer)
{
    bool kana = false, hangul = false, simplified = false, han = false;
    for (std::size_t i = 0; i < value.size();) {
        const char32_t c = nextCodePoint(value, i);
        kana = kana || isKanaCharacter(c);
        hangul = hangul || isHangulCharacter(c);
        han = han || isHanCharacter(c);
        simplified = simplified || isSimplifiedOnly(c);
    }
    LanguageDecision d;
    d.clear = true;
    if (kana) {
        d.language = Language::Japanese;
        d.evidence.push_back("kana in the value");
    } else if (hangul) {
        d.language = Language::Korean;
        d.evidence.push_back("Hangul in the value");
    } else if (simplified) {
        d.language = Language::Chinese;
        d.evidence.push_back("a character only simplified Chinese writes");
    } else if (!han) {
        d.language = Language::None;
        d.evidence.push_back("no Han characters, kana or Hangul");
    } else {
        d.language = prefer;
        d.clear = false;
        d.evidence.push_back("Han characters only: the default language");
    }
    return d;
}

ValueReader* Reader::engine(Language language) const
{
    switch (language) {
    case Language::Japanese:
        return japanese;
    case Language::Chinese:
        return chinese;
    case Language::Korean:
        return korean;
    case Language::None:
        break;
    }
    return nullptr;
}

bool Reader::available() const
{
    for (const ValueReader* e : {japanese, chinese, korean})
        if (e && e->available())
            return true;
    return false;
}

ValueReading Reader::read(std::u16string_view value, const ValueContext& context, std::optional<Language> forced)
{
    ValueReading out;
    // The language is decided on the value as it is read: half-width
    // katakana are kana (ﾊﾞﾝﾄﾞ名), a decomposed kana is one.
    const String kana = readingForm(value);
    if (user) {
        if (const String* own = user->find(value)) {
            if (madeOf(*own, isKanaCharacter)) {
                out.reading = styleKana(*own, styles.japanese);
                out.language = Language::Japanese;
            } else {
                out.reading = *own;
                const LanguageDecision d = forced
                    ? LanguageDecision{*forced, true, {}}
                    : (decider ? decider->decide(kana, context, prefer) : decideByCharacters(kana, prefer));
                out.language = d.language;
            }
            out.confidence = Confidence::Sure;
            out.reason = "your own reading";
            return out;
        }
    }

    LanguageDecision decision;
    if (forced) {
        decision.language = *forced;
        decision.clear = true;
        decision.evidence.push_back("chosen by you");
    } else {
        decision = decider ? decider->decide(kana, context, prefer) : decideByCharacters(kana, prefer);
    }
    out.language = decision.language;
    out.evidence = decision.evidence;
    if (decision.language == Language::None) {
        out.reason = "no language to read it in";
        return out;
    }

    librarySortValue(value, context, decision.language, styles, out);
    if (out.reading)
        return out;

    ValueReader* reader = engine(decision.language);
    if (!reader || !reader->available()) {
        out.reason = std::string("no ") + std::string(languageCode(decision.language)) + " engine" +
            (reader && !reader->missing().empty() ? ": " + reader->missing() : std::string());
        return out;
    }
    ReadRequest request;
    request.kind = context.kind;
    request.styles = styles;
    request.alternatives = alternatives;
    request.user = user;
    ValueReading read = readInLanguage(*reader, value, request, decision.clear);
    read.language = decision.language;
    read.evidence = std::move(out.evidence);
    return read;
}

ValueReading JapaneseValueReader::read(std::u16string_view value, const ReadRequest& request)
{
    RunRequest runs;
    runs.kind = request.kind;
    runs.languageSettled = request.languageSettled;
    ValueReading out = readValue(engine_, request.user, value, request.styles.japanese, request.alternatives, runs);
    out.language = Language::Japanese;
    if (!out.reading && out.reason.empty())
        out.reason = "no Japanese reading";
    return out;
}

void ReadingKit::setJapanese(std::unique_ptr<ReadingEngine> engine)
{
    japanese_.reset();
    japaneseRuns_ = std::move(engine);
    if (japaneseRuns_)
        japanese_ = std::make_unique<JapaneseValueReader>(*japaneseRuns_);
}

void ReadingKit::setEngine(std::unique_ptr<ValueReader> engine)
{
    if (!engine)
        return;
    switch (engine->language()) {
    case Language::Japanese:
        japanese_ = std::move(engine);
        break;
    case Language::Chinese:
        chinese_ = std::move(engine);
        break;
    case Language::Korean:
        korean_ = std::move(engine);
        break;
    case Language::None:
        break;
    }
}

void ReadingKit::setDecider(std::unique_ptr<LanguageDecider> decider) { decider_ = std::move(decider); }

ValueReader* ReadingKit::engine(Language language) const
{
    switch (language) {
    case Language::Japanese:
        return japanese_.get();
    case Language::Chinese:
        return chinese_.get();
    case Language::Korean:
        return korean_.get();
    case Language::None:
        break;
    }
    return nullptr;
}

void ReadingKit::lend(Reader& reader) const
{
    reader.japanese = japanese_.get();
    reader.chinese = chinese_.get();
    reader.korean = korean_.get();
    reader.decider = decider_.get();
}

} // namespace yomi
