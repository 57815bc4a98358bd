// yomi-cli: the editor controller driven from the command line, with no
// window. `list` runs Load for one field and prints the list; `apply` runs
// Load, sets sort values (from a TSV file, or by one of the two edit
// commands), then runs Save. `revert` takes back the last Save (or a chosen
// one) from its undo log, or lists the kept logs. Every rule of the scan, the
// edits, the write-back and the revert is the controller's own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Category/Reader.h"
#include "Controller/PairList.h"
#include "Platform/Result.h"
#include "Platform/Text.h"

namespace yomi::cli {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitWriteFailed = 1; // at least one write failed
inline constexpr int kExitUsage = 2;       // bad usage or unusable input; nothing written

enum class Command { List, Apply, Revert, Help, Read, Version, Report };
enum class Edit { FromFile, Romaji, Copy, Reading };

struct Options {
    Command command = Command::Help;
    std::string fieldName;   // as given, e.g. "album-artist"
    std::int32_t keyTag = 0; // the field's row of the field table
    // Several fields edited as one (--field artist,composer or people); empty
    // for one field.
    std::vector<std::int32_t> keyTags;
    std::optional<std::filesystem::path> library;
    Edit edit = Edit::FromFile;
    std::string fromPath; // "-" is standard input
    bool onlyEmpty = false;
    bool dryRun = false;
    bool noConsole = false;
    ReadingStyle style = ReadingStyle::Katakana;
    // --lang: the language every value is read in; nullopt (auto) lets the
    // language decider choose for each value.
    std::optional<Language> language;
    Language prefer = Language::Japanese;             // --prefer: the default for undecided values
    ChineseStyle chineseStyle = ChineseStyle::Pinyin; // --zh-style
    KoreanStyle koreanStyle = KoreanStyle::Hangul;    // --ko-style
    std::size_t candidates = 0;                       // alternatives printed by `read`
    bool explain = false;                             // read --explain: language, confidence, reason and evidence too
    // apply --reading --min-confidence: readings less sure are not written.
    Confidence minConfidence = Confidence::Check;
    bool haveMinConfidence = false;
    bool conflicts = false;   // list --conflicts: only values whose tracks disagree, with their sort values
    bool listSaves = false;   // revert --list
    std::uint64_t saveId = 0; // revert --save ID; 0 is the last Save
};

// The field's row of the field table for a command-line field name (artist,
// album, album-artist, composer, name, show); nullopt for any other name.
std::optional<std::int32_t> tagForFieldName(std::string_view name);

// Parses the arguments after the program name. A failure says what is wrong
// in one line.
Result<Options> parseArguments(const std::vector<std::string>& args);

// The usage text printed by `help` and after a usage error.
std::string usageText();

// One TSV field: backslash, tab, line feed and carriage return become \\, \t,
// \n and \r; everything else is the value's UTF-8 as is (a lone surrogate
// becomes U+FFFD).
std::string escapeField(std::u16string_view value);

// The inverse of escapeField. Fails, with the reason, for a backslash
// followed by anything but \, t, n or r, a raw tab or line feed, or text that
// is not valid UTF-8.
Result<String> unescapeField(std::string_view field);

// One line of the list: value, tab, sort value, line feed.
std::string formatListLine(std::u16string_view value, std::u16string_view sort);

// One line of `list --conflicts`: value, tab, listed sort value, then for
// each sort value the value's tracks hold (the listed one first) a tab, the
// sort value, a tab and its number of tracks; line feed.
std::string formatConflictLine(const PairEntry& entry);

// A parsed TSV input line.
struct SortAssignment {
    std::size_t lineNumber = 0; // from 1
    String value;
    String sort;
};

// Parses a whole TSV text: one assignment a line, value and sort value
// separated by one tab; empty lines are skipped and a line may end in CR LF.
// Fails, with "line N: reason", when any line is malformed.
Result<std::vector<SortAssignment>> parseAssignments(std::string_view text);

// Makes the music library reachable under the music application's bundle
// identifier for as long as the returned holder lives; fails, with the
// reason, when the library cannot be opened.
using LibraryOpener = std::function<Result<std::shared_ptr<void>>(const std::optional<std::filesystem::path>& root)>;

struct Streams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
};

// Makes the reading engines for `read` and `apply --reading`; without them
// (the default) both report that no engine is there.
using ReadingKitFactory = std::function<std::unique_ptr<ReadingKit>()>;
void setReadingKitFactory(ReadingKitFactory factory);

// The user's readings file; empty (the default) reads
// UserReadings::defaultFile().
void setUserReadingsFile(std::filesystem::path file);

// Runs one parsed command; returns the exit status.
int run(const Options& options, Streams streams, const LibraryOpener& openLibrary);

// Parses and runs; usage errors print the message and the usage text to err.
int main(const std::vector<std::string>& args, Streams streams, const LibraryOpener& openLibrary);

} // namespace yomi::cli
