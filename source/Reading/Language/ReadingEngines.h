// The reading engines of the three languages and the language decider, made
// once and handed to a Reader: the one place the window and the command line
// get them from.
#pragma once

#include <thread>

#include "Category/Reader.h"
#include "Reading/Chinese/ChineseValueReader.h"
#include "Reading/Korean/KoreanValueReader.h"
#include "Reading/Language/EvidenceDecider.h"
#include "Reading/MecabReadingEngine.h"

namespace yomi::language {

class ReadingEngines {
public:
    explicit ReadingEngines(reading::EnginePaths japanese = reading::EnginePaths::system(),
                            chinese::ChinesePaths chinese = chinese::ChinesePaths::system());
    ~ReadingEngines();
    ReadingEngines(const ReadingEngines&) = delete;
    ReadingEngines& operator=(const ReadingEngines&) = delete;

    // Sets the reader's engines and decider (its user readings, styles and
    // preference are the caller's).
    void attach(Reader& reader);
    // Opens the dictionaries on threads of their own, so that the first
    // reading finds them open (a window calls it at start-up).
    void prepare();

    reading::MecabReadingEngine& mecab() { return mecab_; }
    chinese::ChineseValueReader& chinese() { return chinese_; }

private:
    reading::MecabReadingEngine mecab_;
    JapaneseValueReader japanese_{mecab_};
    chinese::ChineseValueReader chinese_;
    korean::KoreanValueReader korean_;
    EvidenceDecider decider_{&mecab_, &chinese_};
    std::thread preparing_;
};

} // namespace yomi::language
