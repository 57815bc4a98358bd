// A language decider that decides nothing (the user's default, not clear)
// and keeps the context it was given for each value.
#pragma once

#include <map>

#include "Category/Reader.h"

namespace yomi::test {

class RecordingDecider final : public LanguageDecider {
public:
    LanguageDecision decide(std::u16string_view value, const ValueContext& context, Language prefer) override
    {
        seen[String(value)] = context;
        LanguageDecision d;
        d.language = prefer;
        return d;
    }
    std::map<String, ValueContext> seen;
};

} // namespace yomi::test
