// The system log.
//
// One line per call, for the two line formats the system writes (the scan's
// duration and a change written back) and for the failure lines of the
// platform layers. The default sink writes a timestamped line with the program
// name and pid to standard error and to syslog(3) under the identifier "yomi".
// Values are always arguments, never a format.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>
#include <cstdint>

namespace yomi::log {

// How the system log files a line: change lines and the scan's duration are
// notices, failures warnings, so that no text a line carries can make it pass
// for the other kind in the journal.
enum class Priority { Notice, Warning };

// Receives the text of one log call, exactly as handed to `write` (a trailing
// line feed that the text carries is kept; the default sink adds one only when
// the text has none).
using Sink = std::function<void(std::string_view text)>;
// A sink that is also told the line's priority.
using PrioritySink = std::function<void(std::string_view text, Priority priority)>;

// Writes one message to the current sink.
void write(std::string_view text, Priority priority = Priority::Notice);

// The program keeps its own record of the last 1,000 lines written, whatever
// the sink: each with its number (from 1, in the order written), its priority
// and its text without the trailing line feed.
struct KeptLine {
    std::uint64_t number = 0;
    Priority priority = Priority::Notice;
    std::string text;
};
// How many lines were written so far.
std::uint64_t linesWritten();
// The kept lines numbered after `since`, oldest first.
std::vector<KeptLine> keptLines(std::uint64_t since = 0);

// Replaces the sink; returns the previous one. An empty sink restores the
// default (stderr and syslog).
Sink setSink(Sink sink);
PrioritySink setSink(PrioritySink sink);

// Sets the program name used in the default sink's prefix (default "yomi").
void setProgramName(std::string name);

// Escapes what a value must not carry into a log line or onto a terminal, so
// that no value can forge a line or drive the terminal: every code point for
// which isUnsafeToShow holds (\n, \r, \t as two characters, other C0
// controls and DEL as \xHH, C1 controls, separators and bidirectional
// controls as \uXXXX), and each byte that is not UTF-8 as \xHH. A backslash
// is left alone; other text comes back as is.
std::string escapeControls(std::string_view text);

// Installs a sink for the lifetime of the object and restores the previous one.
class ScopedSink {
public:
    explicit ScopedSink(Sink sink) : previous_(setSink(toPrioritySink(std::move(sink)))) {}
    explicit ScopedSink(PrioritySink sink) : previous_(setSink(std::move(sink))) {}
    ~ScopedSink() { setSink(std::move(previous_)); }
    ScopedSink(const ScopedSink&) = delete;
    ScopedSink& operator=(const ScopedSink&) = delete;

private:
    static PrioritySink toPrioritySink(Sink sink)
    {
        if (!sink)
            return {};
        return [sink = std::move(sink)](std::string_view text, Priority) { sink(text); };
    }
    PrioritySink previous_;
};

} // namespace yomi::log
