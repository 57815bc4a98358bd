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

namespace yomi::log {

// Receives the text of one log call, exactly as handed to `write` (a trailing
// line feed that the text carries is kept; the default sink adds one only when
// the text has none).
using Sink = std::function<void(std::string_view text)>;

// Writes one message to the current sink.
void write(std::string_view text);

// Replaces the sink; returns the previous one. An empty sink restores the
// default (stderr and syslog).
Sink setSink(Sink sink);

// Sets the program name used in the default sink's prefix (default "yomi").
void setProgramName(std::string name);

// Escapes control characters (below U+0020, and U+007F) so that one value can
// never forge a log line: \n, \r, \t as two characters, others as \xHH.
// A backslash is left alone; text without control characters comes back as is.
std::string escapeControls(std::string_view text);

// Installs a sink for the lifetime of the object and restores the previous one.
class ScopedSink {
public:
    explicit ScopedSink(Sink sink) : previous_(setSink(std::move(sink))) {}
    ~ScopedSink() { setSink(std::move(previous_)); }
    ScopedSink(const ScopedSink&) = delete;
    ScopedSink& operator=(const ScopedSink&) = delete;

private:
    Sink previous_;
};

} // namespace yomi::log
