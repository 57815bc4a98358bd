#include "Category/AppleScriptUtility.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Launcher.h"
#include "Platform/Text.h"

namespace yomi {
namespace {

// Script files are a few lines; anything beyond this is not a script of ours.
constexpr std::size_t kMaxScriptBytes = 64 * 1024;

// One token of a line: a bare word or a quoted string literal.
struct Token {
    std::string text;
    bool quoted = false;
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// Splits one line into tokens; a `--` outside a string ends the line. A
// string literal runs from `"` to the next unescaped `"` and knows the escapes
// \" and \\ only. Returns nullopt for a line that does not tokenize: an
// unterminated or unknown escape, a string glued to a word, a control
// character.
std::optional<std::vector<Token>> tokenize(std::string_view line)
{
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (isBlank(c)) {
            ++i;
            continue;
        }
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return std::nullopt;
        if (line.compare(i, 2, "--") == 0)
            break;
        Token token;
        if (c == '"') {
            token.quoted = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                const char d = line[i++];
                if (d == '"') {
                    closed = true;
                    break;
                }
                if (static_cast<unsigned char>(d) < 0x20 || d == 0x7F)
                    return std::nullopt;
                if (d == '\\') {
                    if (i >= line.size() || (line[i] != '"' && line[i] != '\\'))
                        return std::nullopt;
                    token.text += line[i++];
                    continue;
                }
                token.text += d;
            }
            if (!closed)
                return std::nullopt;
        } else {
            while (i < line.size() && !isBlank(line[i]) && line[i] != '"') {
                if (line.compare(i, 2, "--") == 0)
                    break;
                const char d = line[i];
                if (static_cast<unsigned char>(d) < 0x20 || d == 0x7F)
                    return std::nullopt;
                token.text += d;
                ++i;
            }
        }
        // A token must end at a blank, a comment or the end of the line:
        // `"Console"x` and `tell"x"` are not scripts.
        if (i < line.size() && !isBlank(line[i]) && line.compare(i, 2, "--") != 0)
            return std::nullopt;
        tokens.push_back(std::move(token));
    }
    return tokens;
}

bool isWord(const Token& t, std::string_view word) { return !t.quoted && equalsIgnoringAsciiCase(t.text, word); }

// Compiles the whole script into the list of applications to launch, in
// order; nullopt when any line is not one of the understood forms or the
// tell blocks do not match.
std::optional<std::vector<std::string>> compile(std::string_view source)
{
    std::vector<std::string> launches;
    std::optional<std::string> target; // the application of the open tell block

    std::size_t start = 0;
    while (start <= source.size()) {
        std::size_t end = source.find('\n', start);
        if (end == std::string_view::npos)
            end = source.size();
        std::string_view line = source.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        start = end + 1;

        const auto tokens = tokenize(line);
        if (!tokens)
            return std::nullopt;
        const auto& t = *tokens;
        if (t.empty())
            continue;

        if (t.size() == 3 && isWord(t[0], "tell") && isWord(t[1], "application") && t[2].quoted) {
            if (target || t[2].text.empty())
                return std::nullopt;
            target = t[2].text;
        } else if (t.size() == 1 && (isWord(t[0], "launch") || isWord(t[0], "activate"))) {
            if (!target)
                return std::nullopt;
            launches.push_back(*target);
        } else if (t.size() == 2 && isWord(t[0], "end") && isWord(t[1], "tell")) {
            if (!target)
                return std::nullopt;
            target.reset();
        } else {
            return std::nullopt;
        }
    }
    if (target)
        return std::nullopt;
    return launches;
}

void run(std::string_view utf8Source)
{
    const auto launches = compile(utf8Source);
    if (!launches)
        return;
    for (const std::string& name : *launches)
        currentLauncher().launch(name);
}

// The bytes of a regular file of at most kMaxScriptBytes; nullopt otherwise.
// Opened without blocking so that a FIFO at the path cannot hang the caller.
std::optional<std::string> readScriptFile(const std::string& path)
{
    if (path.empty())
        return std::nullopt;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    std::optional<std::string> result;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 &&
        static_cast<std::size_t>(st.st_size) <= kMaxScriptBytes) {
        std::string bytes;
        char buffer[4096];
        bool ok = true;
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                ok = false;
                break;
            }
            if (n == 0)
                break;
            bytes.append(buffer, static_cast<std::size_t>(n));
            if (bytes.size() > kMaxScriptBytes) { // grew after the fstat
                ok = false;
                break;
            }
        }
        if (ok)
            result = std::move(bytes);
    }
    ::close(fd);
    return result;
}

} // namespace

void runAppleScriptWithString(std::u16string_view source) { run(toUtf8(source)); }

void runAppleScriptWithFile(const std::string& path)
{
    auto bytes = readScriptFile(path);
    if (!bytes || !isValidUtf8(*bytes))
        return;
    std::string_view text = *bytes;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    run(text);
}

} // namespace yomi
