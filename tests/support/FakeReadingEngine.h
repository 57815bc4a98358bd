// A reading engine with a fixed table of runs and their readings; a run not
// in the table has none. Records the runs it was asked for.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Category/Reading.h"

namespace yomi::test {

class FakeReadingEngine final : public ReadingEngine {
public:
    std::map<String, std::vector<String>> table;
    // The confidence of a run's first reading (Check when not given), with
    // the reason "from the table".
    std::map<String, Confidence> confidence;
    // English words and the loanwords the fake dictionary gives them.
    std::map<String, String> loanwords;
    // English words and the katakana of their sounds.
    std::map<String, String> sounds;
    bool present = true;
    std::vector<String> asked;

    bool available() const override { return present; }
    std::string missing() const override { return present ? "" : "install the package mecab-ipadic-utf8"; }
    std::vector<String> read(std::u16string_view run, std::size_t limit) override
    {
        asked.emplace_back(run);
        const auto found = table.find(String(run));
        if (found == table.end())
            return {};
        std::vector<String> out = found->second;
        if (out.size() > limit)
            out.resize(limit);
        return out;
    }
    std::optional<String> loanword(std::u16string_view english) override
    {
        const auto found = loanwords.find(String(english));
        return found == loanwords.end() ? std::nullopt : std::optional<String>(found->second);
    }
    std::optional<SpokenWord> spoken(std::u16string_view word) override
    {
        const auto found = sounds.find(String(word));
        return found == sounds.end() ? std::nullopt : std::optional<SpokenWord>(SpokenWord{found->second, false});
    }
    RunReading readRun(std::u16string_view run, const RunRequest& request) override
    {
        RunReading out = ReadingEngine::readRun(run, request);
        if (!out.readings.empty()) {
            const auto level = confidence.find(String(run));
            out.confidence = level == confidence.end() ? Confidence::Check : level->second;
            out.reason = "from the table";
        }
        return out;
    }
};

} // namespace yomi::test
