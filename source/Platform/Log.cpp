#include "Platform/Log.h"
#include "Platform/Text.h"

#include <syslog.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <deque>
#include <mutex>

namespace yomi::log {
namespace {

struct State {
    std::mutex mutex;
    PrioritySink sink;
    std::string programName = "yomi";
    bool syslogOpen = false;
    std::deque<KeptLine> kept;
    std::uint64_t written = 0;
};

constexpr std::size_t kKeptLines = 1000;

State& state()
{
    static State s;
    return s;
}

void defaultSink(std::string_view text, Priority priority)
{
    State& s = state();
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);

    std::string line;
    line.reserve(text.size() + 64);
    line += stamp;
    char frac[8];
    std::snprintf(frac, sizeof frac, ".%03d", static_cast<int>(millis));
    line += frac;
    line += ' ';
    line += s.programName;
    line += '[';
    line += std::to_string(::getpid());
    line += "] ";
    line += text;
    if (line.empty() || line.back() != '\n')
        line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);

    if (!s.syslogOpen) {
        ::openlog("yomi", LOG_PID, LOG_USER);
        s.syslogOpen = true;
    }
    std::string body(text);
    while (!body.empty() && body.back() == '\n')
        body.pop_back();
    ::syslog(priority == Priority::Warning ? LOG_WARNING : LOG_NOTICE, "%s", body.c_str());
}

} // namespace

void write(std::string_view text, Priority priority)
{
    PrioritySink sink;
    {
        std::lock_guard lock(state().mutex);
        State& s = state();
        sink = s.sink;
        std::string line(text);
        while (!line.empty() && line.back() == '\n')
            line.pop_back();
        s.kept.push_back(KeptLine{++s.written, priority, std::move(line)});
        if (s.kept.size() > kKeptLines)
            s.kept.pop_front();
    }
    if (sink)
        sink(text, priority);
    else
        defaultSink(text, priority);
}

std::uint64_t linesWritten()
{
    std::lock_guard lock(state().mutex);
    return state().written;
}

std::vector<KeptLine> keptLines(std::uint64_t since)
{
    std::lock_guard lock(state().mutex);
    std::vector<KeptLine> out;
    for (const KeptLine& line : state().kept)
        if (line.number > since)
            out.push_back(line);
    return out;
}

PrioritySink setSink(PrioritySink sink)
{
    std::lock_guard lock(state().mutex);
    PrioritySink previous = std::move(state().sink);
    state().sink = std::move(sink);
    return previous;
}

Sink setSink(Sink sink)
{
    PrioritySink wrapped;
    if (sink)
        wrapped = [sink = std::move(sink)](std::string_view text, Priority) { sink(text); };
    PrioritySink previous = setSink(std::move(wrapped));
    if (!previous)
        return {};
    return [previous = std::move(previous)](std::string_view text) { previous(text, Priority::Notice); };
}

void setProgramName(std::string name)
{
    std::lock_guard lock(state().mutex);
    state().programName = std::move(name);
}

std::string escapeControls(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = 0;
        const std::size_t n = decodeUtf8(text, i, c);
        if (n == 0) {
            // Not UTF-8: the byte is shown, never passed on.
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(text[i]));
            out += hex;
            ++i;
            continue;
        }
        if (isUnsafeToShow(c))
            appendVisibleEscape(out, c);
        else
            out.append(text.substr(i, n));
        i += n;
    }
    return out;
}

} // namespace yomi::log
