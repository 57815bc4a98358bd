// The reading engine of the application: MeCab with its system dictionary
// (IPADIC, else UniDic), and the proper-name dictionary for
// person names. Both are opened on the first read (or by prepare()), not
// at construction.
#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "Category/Reading.h"

namespace yomi::reading {

class EnglishSounds;
class Loanwords;

struct EnginePaths {
    // MeCab dictionary folders, tried in order; the first holding sys.dic is
    // used.
    std::vector<std::filesystem::path> dictionaries;
    // The proper-name dictionary text; may be missing (names are then read
    // by MeCab alone).
    std::filesystem::path names;
    // Where the name index is kept.
    std::filesystem::path cacheDir;
    // The word dictionary text (edict's form); may be missing (compounds are
    // then read by MeCab alone).
    std::filesystem::path words;
    // The character dictionary text (kanjidic's form); may be missing
    // (characters MeCab does not know are then left without a reading).
    std::filesystem::path kanji;
    // Its XML edition (gzip'd), for the characters outside JIS X 0208 that
    // the text cannot hold (彅, 蓜); may be missing.
    std::filesystem::path kanjiMore;
    // SKK dictionaries of names and proper nouns with the kind their entries
    // get ("h" a full name, "u" a name, "o" another); those missing are left
    // out.
    std::vector<std::pair<std::filesystem::path, std::string>> skk;
    // The SKK dictionary of given names, whose order tells a given name's
    // common reading; may be missing (a given name with several readings is
    // then always doubtful).
    std::filesystem::path jinmei;
    // A pronouncing dictionary of English in Festival's lexicon form (the
    // CMU dictionary); may be missing (English words without a loanword are
    // then kept as written).
    std::filesystem::path english;

    // The Debian locations, and $XDG_CACHE_HOME/yomi (else ~/.cache/yomi).
    static EnginePaths system();
};

class MecabReadingEngine final : public ReadingEngine {
public:
    explicit MecabReadingEngine(EnginePaths paths = EnginePaths::system());
    ~MecabReadingEngine() override;

    bool available() const override;
    std::string missing() const override;
    std::vector<String> read(std::u16string_view run, std::size_t limit) override;
    // The readings with the confidence of the first. Unless the request's
    // language is settled, a run that looks like a Chinese name (the signs
    // know() names) has none.
    RunReading readRun(std::u16string_view run, const RunRequest& request) override;
    // What the Japanese dictionaries know of the run whole, and the signs of
    // a Chinese name the engine sees in it.
    RunKnowledge know(std::u16string_view run) override;
    // The loanword of the word dictionary whose gloss is exactly the
    // English word (Loanwords); its table is read on the first call.
    std::optional<String> loanword(std::u16string_view english) override;
    // The word's sounds from the pronouncing dictionary (EnglishSounds),
    // else its romaji where the dictionary holds no such word, else the
    // sounds of two words it holds that make it; nothing without the
    // dictionary. Read on the first call.
    std::optional<SpokenWord> spoken(std::u16string_view word) override;

    // Opens the dictionaries now; false when MeCab cannot start. Safe to
    // call from a second thread while prepare()'s is at work.
    bool start();
    // Opens the dictionaries on a thread of their own, so that the first
    // read finds them open (a window calls it at start-up). Reads still
    // belong to one thread.
    void prepare();

private:
    struct State;
    std::unique_ptr<State> open() const;

    EnginePaths paths_;
    std::unique_ptr<State> state_;
    std::atomic<bool> started_{false};
    std::mutex starting_;
    std::thread preparing_;
    std::once_flag loanwordsRead_;
    std::unique_ptr<Loanwords> loanwords_;
    std::once_flag soundsRead_;
    std::unique_ptr<EnglishSounds> sounds_;
};

} // namespace yomi::reading
