#include "Platform/StringsFile.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "Platform/Log.h"

namespace yomi::strings {
namespace {

bool isHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The 1-based line of position `pos`: line feeds, carriage returns and CR LF
// pairs each end a line.
std::size_t lineAt(std::u16string_view t, std::size_t pos)
{
    std::size_t line = 1;
    for (std::size_t k = 0; k < pos && k < t.size(); ++k)
        if (t[k] == u'\n' || (t[k] == u'\r' && (k + 1 >= t.size() || t[k + 1] != u'\n')))
            ++line;
    return line;
}

// Where the input is malformed, and why.
struct Fault {
    std::size_t line;
    std::string reason;
};

// Decoding: the whole input becomes UTF-16 code units first, so that the
// parser below works on one representation. A decoding fault is placed on the
// line of the text decoded before it.
class Decoder {
public:
    explicit Decoder(std::string_view bytes) : b_(bytes) {}

    std::optional<String> run(Fault& failure)
    {
        const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(b_[k]); };
        const std::size_t n = b_.size();
        if (n >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF)
            return utf8(3, failure);
        if (n >= 2 && byte(0) == 0xFF && byte(1) == 0xFE)
            return utf16(2, false, failure);
        if (n >= 2 && byte(0) == 0xFE && byte(1) == 0xFF)
            return utf16(2, true, failure);
        // Without a byte order mark, a zero byte beside the first ASCII
        // character gives UTF-16 away; a zero byte is never part of a
        // well-formed UTF-8 table.
        if (n >= 2 && byte(0) == 0 && byte(1) != 0)
            return utf16(0, true, failure);
        if (n >= 2 && byte(0) != 0 && byte(1) == 0)
            return utf16(0, false, failure);
        return utf8(0, failure);
    }

private:
    static std::optional<String> fail(Fault& failure, const String& decoded, const char* reason)
    {
        failure = {lineAt(decoded, decoded.size()), reason};
        return std::nullopt;
    }

    std::optional<String> utf8(std::size_t start, Fault& failure)
    {
        String out;
        out.reserve(b_.size());
        const std::size_t n = b_.size();
        std::size_t i = start;
        while (i < n) {
            const auto b0 = static_cast<unsigned char>(b_[i]);
            if (b0 < 0x80) {
                if (b0 == 0)
                    return fail(failure, out, "NUL character");
                out += static_cast<char16_t>(b0);
                ++i;
                continue;
            }
            char32_t c = 0;
            const std::size_t len = decodeUtf8(b_, i, c);
            if (len == 0)
                return fail(failure, out, "invalid UTF-8");
            appendUtf16(out, c);
            i += len;
        }
        return out;
    }

    std::optional<String> utf16(std::size_t start, bool bigEndian, Fault& failure)
    {
        String out;
        const std::size_t n = b_.size();
        out.reserve((n - start) / 2);
        std::size_t i = start;
        for (; i + 1 < n; i += 2) {
            const auto hi = static_cast<unsigned char>(b_[bigEndian ? i : i + 1]);
            const auto lo = static_cast<unsigned char>(b_[bigEndian ? i + 1 : i]);
            const auto c = static_cast<char16_t>((hi << 8) | lo);
            if (c == 0)
                return fail(failure, out, "NUL character");
            out += c;
        }
        if (i != n)
            return fail(failure, out, "odd number of bytes in UTF-16");
        for (std::size_t k = 0; k < out.size(); ++k) {
            if (isHighSurrogate(out[k]) && k + 1 < out.size() && isLowSurrogate(out[k + 1])) {
                ++k;
                continue;
            }
            if (isHighSurrogate(out[k]) || isLowSurrogate(out[k])) {
                out.resize(k);
                return fail(failure, out, "unpaired surrogate in UTF-16");
            }
        }
        return out;
    }

    std::string_view b_;
};

class Parser {
public:
    explicit Parser(const String& text) : t_(text), n_(text.size()) {}

    std::optional<Table> run(Fault& failure)
    {
        Table table;
        for (;;) {
            if (!skipBlanks())
                break;
            if (i_ >= n_)
                return table;
            String key;
            if (!token(key))
                break;
            std::size_t lastEnd = i_;
            if (!skipBlanks())
                break;
            if (i_ < n_ && t_[i_] == u';') {
                ++i_;
                String copy = key;
                table.insert_or_assign(std::move(key), std::move(copy));
                continue;
            }
            if (i_ >= n_ || t_[i_] != u'=') {
                error(lastEnd, "expected '=' or ';' after the key");
                break;
            }
            ++i_;
            if (!skipBlanks())
                break;
            String value;
            if (!token(value))
                break;
            lastEnd = i_;
            if (!skipBlanks())
                break;
            if (i_ >= n_ || t_[i_] != u';') {
                error(lastEnd, "expected ';' after the value");
                break;
            }
            ++i_;
            table.insert_or_assign(std::move(key), std::move(value));
        }
        failure = failure_;
        return std::nullopt;
    }

private:
    static bool isBlank(char16_t c)
    {
        return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
    }

    static bool isWordChar(char16_t c)
    {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' ||
            c == u'.';
    }

    static int hexValue(char16_t c)
    {
        if (c >= u'0' && c <= u'9')
            return c - u'0';
        if (c >= u'a' && c <= u'f')
            return c - u'a' + 10;
        if (c >= u'A' && c <= u'F')
            return c - u'A' + 10;
        return -1;
    }

    bool error(std::size_t pos, const char* reason)
    {
        failure_ = {lineAt(t_, pos), reason};
        return false;
    }

    // Skips white space and comments; false on an unterminated comment.
    bool skipBlanks()
    {
        while (i_ < n_) {
            if (isBlank(t_[i_])) {
                ++i_;
            } else if (t_[i_] == u'/' && i_ + 1 < n_ && t_[i_ + 1] == u'*') {
                const std::size_t end = t_.find(u"*/", i_ + 2);
                if (end == String::npos)
                    return error(i_, "unterminated comment");
                i_ = end + 2;
            } else if (t_[i_] == u'/' && i_ + 1 < n_ && t_[i_ + 1] == u'/') {
                while (i_ < n_ && t_[i_] != u'\n' && t_[i_] != u'\r')
                    ++i_;
            } else {
                break;
            }
        }
        return true;
    }

    bool token(String& out)
    {
        if (i_ >= n_)
            return error(i_, "unexpected end of file");
        if (t_[i_] == u'"')
            return quoted(out);
        if (!isWordChar(t_[i_]))
            return error(i_, "unexpected character");
        while (i_ < n_ && isWordChar(t_[i_]))
            out += t_[i_++];
        return true;
    }

    // Reads the four hex digits of a \U escape whose backslash is at `pos`.
    bool unicodeEscape(std::size_t pos, char16_t& unit)
    {
        if (n_ - pos < 6)
            return false;
        unsigned v = 0;
        for (std::size_t k = pos + 2; k < pos + 6; ++k) {
            const int h = hexValue(t_[k]);
            if (h < 0)
                return false;
            v = (v << 4) | static_cast<unsigned>(h);
        }
        unit = static_cast<char16_t>(v);
        return true;
    }

    bool quoted(String& out)
    {
        const std::size_t start = i_;
        ++i_;
        for (;;) {
            if (i_ >= n_)
                return error(start, "unterminated string");
            const char16_t c = t_[i_];
            if (c == u'"') {
                ++i_;
                return true;
            }
            if (c != u'\\') {
                out += c;
                ++i_;
                continue;
            }
            if (i_ + 1 >= n_)
                return error(start, "unterminated string");
            const char16_t e = t_[i_ + 1];
            switch (e) {
            case u'"':
                out += u'"';
                break;
            case u'\'':
                out += u'\'';
                break;
            case u'\\':
                out += u'\\';
                break;
            case u'/':
                out += u'/';
                break;
            case u'n':
                out += u'\n';
                break;
            case u't':
                out += u'\t';
                break;
            case u'r':
                out += u'\r';
                break;
            case u'U':
            case u'u': {
                char16_t unit = 0;
                if (!unicodeEscape(i_, unit))
                    return error(i_, "\\U needs four hex digits");
                if (unit == 0)
                    return error(i_, "\\U0000 is not allowed");
                if (isLowSurrogate(unit))
                    return error(i_, "unpaired surrogate in \\U escape");
                if (isHighSurrogate(unit)) {
                    char16_t low = 0;
                    const std::size_t next = i_ + 6;
                    if (!(next + 1 < n_ && t_[next] == u'\\' && (t_[next + 1] == u'U' || t_[next + 1] == u'u') &&
                          unicodeEscape(next, low) && isLowSurrogate(low)))
                        return error(i_, "unpaired surrogate in \\U escape");
                    out += unit;
                    out += low;
                    i_ = next + 6;
                    continue;
                }
                out += unit;
                i_ += 6;
                continue;
            }
            default:
                return error(i_, "unknown escape");
            }
            i_ += 2;
        }
    }

    const String& t_;
    const std::size_t n_;
    std::size_t i_ = 0;
    Fault failure_{0, {}};
};

} // namespace

Result<Table> parse(std::string_view bytes)
{
    Fault fault{0, {}};
    const std::optional<String> text = Decoder(bytes).run(fault);
    if (text) {
        if (std::optional<Table> table = Parser(*text).run(fault))
            return std::move(*table);
    }
    return Failure{std::move(fault.reason), static_cast<int>(fault.line)};
}

std::optional<Table> loadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    if (in) {
        std::ostringstream buffer;
        buffer << in.rdbuf();
        if (!in.bad())
            bytes = std::move(buffer).str();
    }
    if (!in || in.bad()) {
        log::write("strings table " + log::escapeControls(path.string()) + ": cannot be read; table ignored");
        return std::nullopt;
    }
    Result<Table> table = parse(bytes);
    if (!table) {
        log::write("strings table " + log::escapeControls(path.string()) + ":" + std::to_string(table.code()) + ": " +
                   table.reason() + "; table ignored");
        return std::nullopt;
    }
    return std::move(*table);
}

} // namespace yomi::strings
