// A whole-value engine of one language that answers every value with a fixed
// reading (another in the zhuyin style, when given) and records what it was
// asked, and as what kind of name.
#pragma once

#include <vector>

#include "Category/Reader.h"

namespace yomi::test {

class FixedValueReader final : public ValueReader {
public:
    FixedValueReader(Language language, String answer, String zhuyin = {})
        : language_(language), answer_(std::move(answer)), zhuyin_(std::move(zhuyin))
    {
    }
    Language language() const override { return language_; }
    bool available() const override { return true; }
    ValueReading read(std::u16string_view value, const ReadRequest& request) override
    {
        asked.emplace_back(value);
        settled.push_back(request.languageSettled);
        if (kinds)
            kinds->push_back(request.kind);
        ValueReading r;
        if (refusesUnsettled && !request.languageSettled) {
            r.reason = "looks foreign";
            return r;
        }
        r.reading = request.styles.chinese == ChineseStyle::Zhuyin && !zhuyin_.empty() ? zhuyin_ : answer_;
        r.confidence = Confidence::Likely;
        r.reason = "fixed";
        return r;
    }
    // Answers nothing unless told the language is settled, as an engine
    // that turns away what looks like another language's name.
    bool refusesUnsettled = false;
    std::vector<String> asked;
    std::vector<bool> settled;
    // Where the kind of each value asked is recorded, when set (it may
    // outlive the reader).
    std::vector<NameKind>* kinds = nullptr;

private:
    Language language_;
    String answer_, zhuyin_;
};

} // namespace yomi::test
