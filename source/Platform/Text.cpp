#include "Platform/Text.h"

#include <cstdio>

namespace yomi {

std::string toUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::size_t decodeUtf8(std::string_view text, std::size_t i, char32_t& c)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    std::size_t len = 0;
    if (b0 < 0x80) {
        c = b0;
        return 1;
    }
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        c = b0 & 0x1F;
        len = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        c = b0 & 0x0F;
        len = 3;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        c = b0 & 0x07;
        len = 4;
    } else {
        return 0;
    }
    if (text.size() - i < len)
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (b & 0x3F);
    }
    if ((len == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) || (len == 4 && (c < 0x10000 || c > 0x10FFFF)))
        return 0;
    return len;
}

void appendUtf16(std::u16string& out, char32_t c)
{
    if (c >= 0x10000) {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
        out += static_cast<char16_t>(c);
    }
}

std::u16string toUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t c = 0;
        const std::size_t len = decodeUtf8(text, i, c);
        if (len == 0) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        appendUtf16(out, c);
        i += len;
    }
    return out;
}

bool isValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t c = 0;
        const std::size_t len = decodeUtf8(text, i, c);
        if (len == 0)
            return false;
        i += len;
    }
    return true;
}

void appendVisibleEscape(std::string& out, char32_t c)
{
    switch (c) {
    case U'\n':
        out += "\\n";
        return;
    case U'\r':
        out += "\\r";
        return;
    case U'\t':
        out += "\\t";
        return;
    default:
        break;
    }
    char hex[16];
    if (c < 0x80)
        std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(c));
    else
        std::snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(c));
    out += hex;
}

} // namespace yomi
