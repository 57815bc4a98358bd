// Names joined into one value the way releases credit several people
// ("坂本龍一 & 細野晴臣", "A feat. B", "A、B"): split into their parts, so that
// each part can be read as the name it is and the parts joined again by the
// same separators.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Text.h"

namespace yomi {

// A value split at its separators: parts.size() == separators.size() + 1.
// The parts are trimmed of spaces; each separator keeps the spaces around it
// as the value has them, so that joining gives the value back.
struct JoinedName {
    std::vector<String> parts;
    std::vector<String> separators;
    bool operator==(const JoinedName&) const = default;
};

// More parts than this and the value is read whole.
inline constexpr std::size_t kMaxJoinedParts = 64;

// Whether a name is known whole: the library or a dictionary holds a reading
// for it.
using KnownName = std::function<bool(std::u16string_view)>;

// Splits a value at the separators releases join names with. "&", "＆",
// "feat.", "ft.", "vs.", "/", "／", ";" and "；" always separate (the words
// stand between spaces, in any case); "and", "with", "x" (between spaces),
// "×", "、" and "・" separate only where every part is a known name, since
// they also stand inside names and titles (ジョン・レノン). Nullopt when the
// value is known whole (a band named with "&"), holds no separator, starts or
// ends with one, would have an empty part or more than kMaxJoinedParts parts.
std::optional<JoinedName> splitJoinedName(std::u16string_view value, const KnownName& known);

// The parts' readings joined by the value's separators; `readings` has one
// text per part.
String joinParts(const JoinedName& name, const std::vector<String>& readings);

} // namespace yomi
