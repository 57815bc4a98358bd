// The `.strings` table format: `"key" = "value";` entries.
//
// Accepted input:
// - UTF-8 (with or without a byte order mark) or UTF-16 in either byte order,
//   with a byte order mark, or without one when the first character is ASCII
//   (its zero byte tells the order).
// - `/* ... */` and `// ...` comments and white space between the tokens.
// - `key = value;` where key and value are each a quoted string or an
//   unquoted word of ASCII letters, digits, `_` and `.`; `key;` alone stands
//   for `key = key;`. A later entry for a key replaces an earlier one.
// - In quoted strings the escapes \" \' \\ \/ \n \t \r and \Uxxxx or \uxxxx
//   (exactly four hex digits; a high and a low surrogate given as two
//   escapes make one character). A quoted string may span lines.
//
// Anything else makes the whole input malformed: no entry of it is kept. The
// parser never reads outside the given bytes.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/Result.h"
#include "Platform/Text.h"

namespace yomi::strings {

using Table = std::map<String, String, std::less<>>;

// The table of a well-formed input; otherwise a failure whose reason is a
// short English description ("unterminated string") and whose code is the
// 1-based line of the input where the fault lies.
Result<Table> parse(std::string_view bytes);

// Reads and parses the file at `path`. A file that cannot be read or is
// malformed gives nullopt and writes exactly one system-log line naming the
// file (and, when malformed, the line number and the reason).
std::optional<Table> loadFile(const std::filesystem::path& path);

} // namespace yomi::strings
