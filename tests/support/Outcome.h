// What a Result or a Status says, as one string an assertion can compare:
// "ok", or the reason it failed.
#pragma once

#include <string>

#include "Platform/Result.h"

namespace yomi::test {

inline constexpr const char* kOk = "ok";

template <typename T>
std::string outcomeOf(const Result<T>& result)
{
    return result ? std::string(kOk) : result.reason();
}

} // namespace yomi::test
