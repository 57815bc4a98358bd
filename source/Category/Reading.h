// Japanese readings of field values: the engine interface, the user's own
// readings and the assembly of a value's reading in one of three styles.
//
// A value is cut into runs: Japanese runs (Han characters, kana and the
// iteration and prolonged-sound marks) and everything else (Latin letters,
// digits, punctuation, spaces), which is kept as it is. Kana-only runs keep
// their sound; runs with Han characters go to the engine. A value is refused
// (no reading at all) when any run holds a character used only in simplified
// Chinese, or when the engine has no reading for a run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Platform/Result.h"
#include "Platform/Text.h"

namespace yomi {

// The language a value is read in; None when it is read in none.
enum class Language { None, Japanese, Chinese, Korean };

// "ja", "zh", "ko"; "none" for None.
std::string_view languageCode(Language language);
// The language of a code ("ja", "zh", "ko"); nullopt for any other text,
// "none" included.
std::optional<Language> languageFromCode(std::string_view code);

// How far a reading can be trusted, from least to most (so that levels
// compare with < and >=).
//   Sure:   the user's own reading; the library's own sort value for the same
//           value; a whole-value entry of a name or word dictionary with one
//           reading.
//   Likely: every part read from a dictionary with one reading, and the
//           language clear.
//   Check:  anything else (several common readings, characters read one by
//           one, a coined-looking title, an uncertain language, a fallback).
enum class Confidence { Check, Likely, Sure };

// "check", "likely", "sure"; nullopt for any other name.
std::string_view confidenceName(Confidence confidence);
std::optional<Confidence> confidenceNamed(std::string_view name);

// What a field holds: people and bands (artist, album artist, composer) or
// titles (album, name, show). Person names are laid out as names (a surname
// first); titles as words.
enum class NameKind { Person, Title };

// The kind of the field with this value key ("artist", "albumArtist",
// "composer": Person; every other key: Title).
NameKind nameKindOfField(std::string_view valueKey);

// What a run is read for.
struct RunRequest {
    std::size_t limit = 5; // readings at most
    NameKind kind = NameKind::Person;
    // The value's language was forced by the user or decided clearly as
    // Japanese: the run is read even where the engine would doubt that it is
    // Japanese (a name that looks Chinese).
    bool languageSettled = false;
};

// The readings of one run, best first, with how far the first can be
// trusted and why ("whole name in the name dictionary", "read character by
// character"). Empty readings, with the reason, when the run has none.
struct RunReading {
    std::vector<String> readings;
    Confidence confidence = Confidence::Check;
    std::string reason;
};

// What the Japanese dictionaries know of a run of Han characters as a whole,
// for the language decision.
struct RunKnowledge {
    bool wholeName = false;            // a whole entry of a name dictionary (or MeCab reads it as one person's name)
    bool wholeWord = false;            // a whole entry of a word dictionary
    bool looksChinese = false;         // the engine's own signs of a Chinese name (its refusal rules)
    std::vector<std::string> evidence; // each sign named, in words a user reads
};

// The reading of runs of Japanese text. Implementations load their
// dictionaries lazily, on the first read.
// A word of Latin letters in katakana and how it was found.
struct SpokenWord {
    String kana;
    bool romaji = false; // a word of romaji, not an English word's sounds
};

class ReadingEngine {
public:
    virtual ~ReadingEngine() = default;
    // Whether the dictionaries are there; when false, `missing` says what to
    // install and read() is never called.
    virtual bool available() const = 0;
    virtual std::string missing() const { return {}; }
    // Readings of one run of Han characters and kana, best first, at most
    // `limit`, each in katakana with one space between words. Empty when the
    // run has no Japanese reading.
    virtual std::vector<String> read(std::u16string_view run, std::size_t limit) = 0;
    // The same with the confidence of the first reading and the request's
    // kind and language; by default read() at Check.
    virtual RunReading readRun(std::u16string_view run, const RunRequest& request)
    {
        RunReading out;
        out.readings = read(run, request.limit);
        if (out.readings.empty())
            out.reason = "no Japanese reading";
        return out;
    }
    // What the dictionaries know of the run as a whole; nothing by default.
    virtual RunKnowledge know(std::u16string_view run)
    {
        (void)run;
        return {};
    }
    // The katakana loanword a dictionary gives for an English word of
    // letters (LOVER: ラバー), when it gives one; nothing by default.
    virtual std::optional<String> loanword(std::u16string_view english)
    {
        (void)english;
        return std::nullopt;
    }
    // An English word the word dictionary has no loanword for, said in
    // katakana by its sounds as a pronouncing dictionary gives them (Maybe:
    // メイビー), or a word of romaji such a dictionary does not hold written
    // in katakana (OMOIDE: オモイデ); nothing by default.
    virtual std::optional<SpokenWord> spoken(std::u16string_view word)
    {
        (void)word;
        return std::nullopt;
    }
};

enum class ReadingStyle { Katakana, Hiragana, Romaji };

// "katakana", "hiragana", "romaji"; nullopt for any other name.
std::optional<ReadingStyle> readingStyleNamed(std::string_view name);
std::string_view readingStyleName(ReadingStyle style);

// The user's own readings: whole values or parts of them, each with its kana
// reading. Kept in a file of lines "value TAB reading" (backslash escapes \\,
// \t, \n, \r as in the list); lines that are not such a pair are ignored on
// load and kept nowhere.
class UserReadings {
public:
    UserReadings() = default;
    explicit UserReadings(std::filesystem::path file) : file_(std::move(file)) {}

    // $XDG_CONFIG_HOME/yomi/readings.tsv, else ~/.config/yomi/readings.tsv;
    // empty when neither is known.
    static std::filesystem::path defaultFile();

    // Reads the file; a missing file is an empty dictionary. Fails, with the
    // reason, when the file exists and cannot be read.
    Status load();
    // Writes the whole dictionary to its file (fileio::writeFileAtomically,
    // so a failure leaves the old file whole); fails with the reason.
    Status save() const;

    void set(const String& value, const String& reading);
    const String* find(std::u16string_view value) const;
    std::size_t size() const { return readings_.size(); }
    std::size_t longestKey() const { return longest_; }

private:
    std::filesystem::path file_;
    std::unordered_map<String, String> readings_;
    std::size_t longest_ = 0;
};

struct ValueReading {
    // Nullopt when the value has no reading and is to be left alone.
    std::optional<String> reading;
    // Other readings, best first, none equal to `reading`.
    std::vector<String> alternatives;
    // The language it was read in (None when it has no reading because no
    // language suits it).
    Language language = Language::None;
    // The language decision's evidence, each named (empty when the language
    // was forced or not asked).
    std::vector<std::string> evidence;
    // How far `reading` can be trusted, and why; for no reading, why not.
    Confidence confidence = Confidence::Check;
    std::string reason;
};

// The reading of a whole value in a style, with up to `alternatives` other
// readings. `user` (may be null) is applied first to the whole value, then to
// its longest matching parts. Each run is read for `request` (its limit
// aside). The reading is as sure as its least sure part, with that part's
// reason; with no reading, the reason says why.
ValueReading readValue(ReadingEngine& engine, const UserReadings* user, std::u16string_view value, ReadingStyle style,
                       std::size_t alternatives, const RunRequest& request = {});

// A kana reading (words separated by spaces) in a style, as readValue gives
// it: katakana or hiragana without the spaces, or romaji word by word; the
// counters ヵ and ヶ are spelt カ.
String styleKana(std::u16string_view kana, ReadingStyle style);

// Hangul syllables said in katakana as Japanese writes Korean words and
// names (서울 ソウル, 대구 テグ, 한국어 ハングゴ): plain consonants voiced
// between voiced sounds, a final carried to a vowel after it; other
// characters kept. Nullopt where a Hangul letter stands outside a syllable.
std::optional<String> hangulInKatakana(std::u16string_view text);

// A number read aloud as a Japanese cardinal, in katakana, with the sound
// changes inside it (300 サンビャク, 8000 ハッセン, 2億4000万 ニオクヨンセンマン,
// 0 ゼロ).
String cardinalReading(std::uint64_t n);

// Decodes the code point at text[i] (i < text.size()), advancing i past it;
// a lone surrogate is returned as it is.
char32_t nextCodePoint(std::u16string_view text, std::size_t& i);
// Latin readings begin with a capital: the text with its first ASCII letter
// in upper case ("ouyang" → "Ouyang", "2002 nian" → "2002 Nian").
std::string capitalised(std::string text);

// Character classes of the reading.
bool isHangulCharacter(char32_t c); // Hangul syllables and jamo
bool isHanCharacter(char32_t c);
bool isKanaCharacter(char32_t c);
bool isKatakanaLetter(char32_t c); // a katakana letter or the long vowel mark
// Whether the text holds a Han character, and whether it holds only kana
// (and at least one).
bool containsHan(std::u16string_view text);
bool isKanaOnly(std::u16string_view text);
// The text with half-width katakana and their punctuation as full-width ones
// (ｶﾞｯｺｳ ガッコウ, ｰ ー, ｢ 「), a voiced or semi-voiced mark joined to the
// kana before it where the two make one; other characters kept.
String fullWidthKana(std::u16string_view text);
// A value as it is read: without control and invisible format characters,
// composed (NFC), with number forms, enclosed and squared characters and
// full-width letters and digits as what they stand for (Ⅱ II, ① 1, ㍻ 平成,
// ｓｋａ ska), and half-width katakana full width.
String readingForm(std::u16string_view value);
// Whether a Han character is one used only in simplified Chinese: outside
// the Japanese character sets and changed by the simplified-to-traditional
// mapping.
bool isSimplifiedOnly(char32_t c);

// Kana conversions; every other character is left as it is.
String toKatakana(std::u16string_view text);
String toHiragana(std::u16string_view text);

} // namespace yomi
