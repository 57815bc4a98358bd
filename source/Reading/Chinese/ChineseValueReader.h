// The Chinese reading of whole values: pinyin as a sort value spells it (no
// tone marks, ü as yu after l and n), or zhuyin with the tone marks of the
// readings chosen (ToneTable).
//
// Person names (fields of people, a value shaped as a known surname and a
// given name of one or two characters) are laid out as the romanisation
// standard for Chinese names sets them: the surname in its surname reading,
// a space, the given name as one word, each capitalised ("Zeng Zhiwei",
// "Ouyang Nana"). Titles and band names are cut into the words of the
// dictionary (the path of the heaviest words), so that a word's reading wins
// over its characters' (音乐 yinyue, 银行 yinhang), written space-separated
// with the first letter capitalised. Latin letters and digits stay.
//
// Without the dictionaries every character is read on its own (ICU's
// Han-Latin, tones dropped) in the same layout, marked Check with the reason.
#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Category/Reader.h"
#include "Reading/Chinese/PinyinDictionary.h"
#include "Reading/Chinese/Surnames.h"
#include "Reading/Chinese/Tones.h"

namespace yomi::chinese {

struct ChinesePaths {
    std::vector<TableSource> tables;
    std::filesystem::path cacheDir;
    // The toned table for zhuyin's tone marks (ToneTable).
    std::filesystem::path tones = ToneTable::systemTable();
    // The Debian tables and $XDG_CACHE_HOME/yomi (else ~/.cache/yomi).
    static ChinesePaths system();
};

// One word of a reading: its characters and its syllables.
struct Word {
    std::u16string text;
    std::vector<std::string> syllables;
    // Other readings of the word, best first (syllables space-separated).
    std::vector<std::string> others;
    bool known = false;     // from the dictionary (else read character by character)
    bool ambiguous = false; // another reading is common too
};

class ChineseValueReader final : public ValueReader {
public:
    explicit ChineseValueReader(ChinesePaths paths = ChinesePaths::system());
    ~ChineseValueReader() override;

    Language language() const override { return Language::Chinese; }
    // Always: without the dictionaries it reads character by character.
    bool available() const override { return true; }
    // What the dictionaries' absence costs, when they are missing.
    std::string missing() const override;
    ValueReading read(std::u16string_view value, const ReadRequest& request) override;

    // Opens the dictionary now (the first read does it otherwise); false
    // when it is missing or cannot be made, with the reason in missing().
    bool start();
    // Opens the dictionary on a thread of its own, so that the first read
    // finds it open (a window calls it at start-up).
    void prepare();
    // The dictionary, or null when it is missing (after start()).
    const PinyinDictionary* dictionary();

    // The words of a run of Han characters, by the heaviest path through
    // the dictionary (characters it does not know read one by one). Empty
    // when a character has no reading at all.
    std::vector<Word> segment(std::u16string_view run);

private:
    struct Runs;
    struct Draft;
    std::optional<std::string> characterReading(char32_t c, std::vector<std::string>* others, bool* known,
                                                bool* ambiguous);
    double agreement(std::u16string_view text, const std::vector<std::string>& syllables);
    std::vector<std::string> nameReadings(std::u16string_view text, const std::vector<Entry>& entries, bool* ambiguous);
    std::optional<Word> personGiven(std::u16string_view value, std::size_t surnameLength, std::size_t surnameSyllables,
                                    const std::string& surnameReading, bool* wholeAgrees);
    // The stages of read(): the surname of a person's name (none when the
    // value is no such name), a person's name read, any other value read
    // word by word.
    Surname personSurname(const Runs& runs, NameKind kind);
    std::string familySyllables(std::u16string_view name, const Surname& surname, const std::string& family,
                                ChineseStyle style);
    Draft readPerson(std::u16string_view name, const Surname& surname, ChineseStyle style);
    Draft readWords(const Runs& runs, NameKind kind, ChineseStyle style);
    // One word in the style: pinyin syllables joined, or their zhuyin with
    // the tones of `text` read so.
    std::string render(std::u16string_view text, const std::vector<std::string>& syllables, ChineseStyle style,
                       bool capital, const std::vector<int>& knownTones = {});
    // The tones of syllables read for a text (the toned table opened on
    // first use).
    std::vector<int> tonesOf(std::u16string_view text, const std::vector<std::string>& syllables);

    ChinesePaths paths_;
    std::once_flag opened_;
    std::thread preparing_;
    std::unique_ptr<PinyinDictionary> dictionary_;
    std::string missing_;
    std::once_flag tonesOpened_;
    std::unique_ptr<ToneTable> tones_; // read on the first zhuyin reading
};

// The per-character pinyin of ICU's Han-Latin transform with tones dropped,
// in the sort spelling; empty when ICU has no reading for the character.
std::string icuSyllable(char32_t c);

} // namespace yomi::chinese
