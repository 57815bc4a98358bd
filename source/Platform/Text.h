// Strings of the system: UTF-16 code units (std::u16string). Lengths, indexes,
// equality and table keys work on code units, with no folding and no
// normalisation. An absent value is std::nullopt, never the empty string.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace yomi {

using String = std::u16string;
using OptString = std::optional<std::u16string>;

// UTF-16 to UTF-8. A lone surrogate becomes U+FFFD.
std::string toUtf8(std::u16string_view text);

// UTF-8 to UTF-16. An invalid byte sequence becomes U+FFFD, one per bad byte.
std::u16string toUtf16(std::string_view text);

// Decodes the strict UTF-8 sequence at text[i] (i < text.size()): returns
// its length in bytes and stores the code point in `c`; 0 for an invalid or
// truncated sequence (overlong forms, surrogates, above U+10FFFF).
std::size_t decodeUtf8(std::string_view text, std::size_t i, char32_t& c);

// Appends one code point (at most U+10FFFF), as a surrogate pair above the
// Basic Multilingual Plane.
void appendUtf16(std::u16string& out, char32_t c);

// Whether a code point must never reach a terminal or a log line as it is:
// the C0 and C1 controls, DEL, the line and paragraph separators
// (U+2028, U+2029) and the bidirectional embeddings, overrides and isolates
// (U+202A-202E, U+2066-2069).
constexpr bool isUnsafeToShow(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
        (c >= 0x2066 && c <= 0x2069);
}

// Appends the visible escape of such a code point: \n, \r and \t; \xHH
// below U+0080; \uXXXX above.
void appendVisibleEscape(std::string& out, char32_t c);

// Whether the bytes are strict UTF-8: no overlong forms, no surrogates,
// nothing above U+10FFFF, no truncated sequence.
bool isValidUtf8(std::string_view text);

} // namespace yomi
