#include "Cli/Cli.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <unordered_map>

#include "Bridge/MusicLibrary.h"
#include "Cli/DryRunLibrary.h"
#include "Controller/Conflicts.h"
#include "Controller/LibraryReport.h"
#include "Controller/SRMainController.h"
#include "Platform/Launcher.h"
#include "Platform/Log.h"
#include "Platform/Outlets.h"
#include "Platform/Text.h"
#include "Storage/UndoLog.h"

namespace yomi::cli {
namespace {

// A --from file larger than this is not a list of sort values.
constexpr std::size_t kMaxInputBytes = 256u * 1024 * 1024;

// The launcher for runs that must not open the log viewer.
class SilentLauncher final : public Launcher {
public:
    bool launch(std::string_view) override { return false; }
};

// Replaces the launcher for the lifetime of the object.
class ScopedLauncher {
public:
    explicit ScopedLauncher(std::shared_ptr<Launcher> launcher) : previous_(setLauncher(std::move(launcher))) {}
    ~ScopedLauncher() { setLauncher(std::move(previous_)); }
    ScopedLauncher(const ScopedLauncher&) = delete;
    ScopedLauncher& operator=(const ScopedLauncher&) = delete;

private:
    std::shared_ptr<Launcher> previous_;
};

// The rows the edit commands act on: every entry of the list, or only those
// whose sort value is empty, as the list stands when asked.
class ListSelection final : public ArrayController {
public:
    ListSelection(const SRMainController& controller, bool onlyEmpty) : controller_(controller), onlyEmpty_(onlyEmpty)
    {
    }
    std::vector<std::shared_ptr<PairEntry>> selectedObjects() const override
    {
        std::vector<std::shared_ptr<PairEntry>> selected;
        if (const auto& list = controller_.dataArray()) {
            list->forEach([&](const PairEntryRef& e) {
                if (!onlyEmpty_ || e->sortStr.empty())
                    selected.push_back(e);
            });
        }
        return selected;
    }

private:
    const SRMainController& controller_;
    bool onlyEmpty_;
};

// Reads the whole input named by --from.
Result<std::string> readInput(const std::string& path, std::istream& in)
{
    std::string text;
    if (path == "-") {
        char buffer[65536];
        while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
            text.append(buffer, static_cast<std::size_t>(in.gcount()));
            if (text.size() > kMaxInputBytes)
                return Failure{"cannot read standard input: input too large"};
        }
        if (in.bad())
            return Failure{"cannot read standard input"};
        return text;
    }
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status))
        return Failure{"cannot read " + path + ": no such file"};
    if (!std::filesystem::is_regular_file(status))
        return Failure{"cannot read " + path + ": not a regular file"};
    if (std::filesystem::file_size(path, ec) > kMaxInputBytes)
        return Failure{"cannot read " + path + ": file too large"};
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return Failure{"cannot read " + path + ": cannot open the file"};
    text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad())
        return Failure{"cannot read " + path + ": read error"};
    return text;
}

ReadingKitFactory& kitFactory()
{
    static ReadingKitFactory factory;
    return factory;
}

std::filesystem::path& userReadingsFile()
{
    static std::filesystem::path file;
    return file;
}

// The engines of a reading command, or null with the message printed.
std::unique_ptr<ReadingKit> readingKit(std::ostream& err)
{
    std::unique_ptr<ReadingKit> kit = kitFactory() ? kitFactory()() : nullptr;
    Reader reader;
    if (kit)
        kit->lend(reader);
    const ValueReader* japanese = kit ? kit->engine(Language::Japanese) : nullptr;
    if (!japanese || !japanese->available()) {
        // Without the Japanese engine the other languages are still read
        // (their values are); the Japanese ones are left and listed.
        const std::string why = japanese ? japanese->missing() : std::string();
        err << "yomi-cli: Japanese readings are not available" << (why.empty() ? std::string() : ": " + why) << '\n';
        if (!reader.available())
            return nullptr;
    }
    return kit;
}

// The columns read --explain adds after the reading: language code,
// confidence, reason, evidence (joined by "; "), each escaped as a field.
std::string explanation(const ValueReading& r)
{
    std::string evidence;
    for (const std::string& e : r.evidence)
        evidence += (evidence.empty() ? "" : "; ") + e;
    return std::string(languageCode(r.language)) + '\t' + std::string(confidenceName(r.confidence)) + '\t' +
        escapeField(toUtf16(r.reason)) + '\t' + escapeField(toUtf16(evidence));
}

// A reader over the kit's engines with the command's styles.
Reader readerFor(const ReadingKit& kit, const Options& options, const UserReadings* user, std::size_t alternatives)
{
    Reader reader;
    kit.lend(reader);
    reader.user = user;
    reader.styles.japanese = options.style;
    reader.styles.chinese = options.chineseStyle;
    reader.styles.korean = options.koreanStyle;
    reader.prefer = options.prefer;
    reader.alternatives = alternatives;
    return reader;
}

// The user's readings; a file that cannot be read is reported and left out.
UserReadings loadUserReadings(std::ostream& err)
{
    UserReadings user(userReadingsFile().empty() ? UserReadings::defaultFile() : userReadingsFile());
    if (const Status loaded = user.load(); !loaded)
        err << "yomi-cli: " << loaded.reason() << "; your own readings are not used\n";
    return user;
}

// `read`: one value a line in, value and readings out.
int runRead(const Options& options, Streams streams)
{
    const std::string text(std::istreambuf_iterator<char>(streams.in), std::istreambuf_iterator<char>{});
    std::vector<String> values;
    std::string_view rest(text);
    if (rest.substr(0, 3) == "\xEF\xBB\xBF")
        rest.remove_prefix(3);
    for (std::size_t number = 1; !rest.empty(); ++number) {
        std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        Result<String> value = unescapeField(line);
        if (!value) {
            streams.err << "yomi-cli: standard input: line " << number << ": " << value.reason() << '\n';
            return kExitUsage;
        }
        values.push_back(std::move(*value));
    }
    const auto kit = readingKit(streams.err);
    if (!kit)
        return kExitUsage;
    const UserReadings user = loadUserReadings(streams.err);
    Reader reader = readerFor(*kit, options, &user, options.candidates);
    // The field says what kind of name a value is; without one, a person's.
    ValueContext context;
    if (const auto field = fieldForTag(options.keyTag); field && !options.fieldName.empty())
        context.kind = nameKindOfField(field->valueKey);
    for (const String& value : values) {
        const ValueReading r = reader.read(value, context, options.language);
        streams.out << escapeField(value) << '\t' << escapeField(r.reading.value_or(String()));
        if (options.explain)
            streams.out << '\t' << explanation(r);
        for (const String& alternative : r.alternatives)
            streams.out << '\t' << escapeField(alternative);
        streams.out << '\n';
    }
    streams.out.flush();
    if (!streams.out.good()) {
        streams.err << "yomi-cli: cannot write to standard output\n";
        return kExitWriteFailed;
    }
    return kExitOk;
}

// The kept undo logs, oldest first: id, start time (UTC), kind, what was
// saved, the library's folder ("-" when the log names none), changes made,
// and whether the log was completed.
int listUndoLogs(std::ostream& out)
{
    for (const std::uint64_t id : storage::listSaves()) {
        const auto save = storage::readSave(id);
        if (!save) {
            out << id << "\t-\tdamaged\n";
            continue;
        }
        char when[32] = "-";
        const std::time_t t = static_cast<std::time_t>(save->started);
        std::tm tm{};
        if (::gmtime_r(&t, &tm))
            std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &tm);
        std::size_t committed = 0;
        for (const storage::Change& c : save->changes)
            committed += c.committed ? 1 : 0;
        out << id << '\t' << when << '\t'
            << (save->kind == storage::LogKind::Revert ? "revert of " + std::to_string(save->reverts) : "save") << '\t'
            << log::escapeControls(save->label) << '\t'
            << (save->library.empty() ? std::string("-") : log::escapeControls(save->library)) << '\t' << committed
            << " change(s)" << (save->complete ? "" : "\tinterrupted") << '\n';
    }
    out.flush();
    return out.good() ? kExitOk : kExitWriteFailed;
}

int revert(const Options& options, Streams streams)
{
    SRMainController controller;
    controller.revertSave(options.saveId);
    const RevertReport& report = controller.lastRevertReport();
    if (!report.found) {
        streams.err << "yomi-cli: " << log::escapeControls(report.error) << '\n';
        return kExitUsage;
    }
    for (const std::string& line : report.leftAlone)
        streams.err << "yomi-cli: left alone: " << log::escapeControls(line) << '\n';
    streams.err << "yomi-cli: " << report.text();
    if (report.undoId)
        streams.err << " (this revert is save " << report.undoId << ")";
    streams.err << '\n';
    return report.failed ? kExitWriteFailed : kExitOk;
}

} // namespace

void setReadingKitFactory(ReadingKitFactory factory) { kitFactory() = std::move(factory); }

void setUserReadingsFile(std::filesystem::path file) { userReadingsFile() = std::move(file); }

std::optional<std::int32_t> tagForFieldName(std::string_view name)
{
    // The titles' field is "name", as the tags call it; users say "title".
    if (name == "title")
        name = "name";
    for (std::size_t i = 0; i < kFieldTable.size(); ++i)
        if (kFieldTable[i].cliName == name)
            return static_cast<std::int32_t>(i);
    return std::nullopt;
}

std::string usageText()
{
    return R"(Usage:
  yomi-cli list  --field FIELD [--library DIR] [--conflicts]
  yomi-cli apply --field FIELD [--library DIR]
                 (--from FILE | --romaji | --copy | --reading [--style STYLE] [--zh-style S]
                  [--ko-style S] [--lang L] [--prefer L])
                 [--only-empty] [--dry-run] [--no-console]
                 [--min-confidence LEVEL | --only-sure]
  yomi-cli read  [--field FIELD] [--style STYLE] [--zh-style S] [--ko-style S] [--lang L] [--prefer L]
                 [--candidates N] [--explain]
  yomi-cli revert [--list] [--save ID] [--library DIR] [--no-console]
  yomi-cli report [--library DIR]
  yomi-cli help
  yomi-cli --version

Fills in the sort fields of a music library for values written in Han
characters or any other script outside kana and the Latin alphabet.

FIELD is one of: artist, album, album-artist, composer, name (or title), show; or several
joined by commas (artist,album-artist,composer), or people for those three:
each value is then listed once whichever of them holds it, and apply writes
its sort value into all of them, as one Save that one revert takes back.

list    Scans the library for the field and prints, once each, the values that
        are not made only of kana and Latin letters, with the sort value a
        track already carries: value, a tab, sort value, one entry a line.
        Podcasts and videos are left out. Backslash, tab, line feed and
        carriage return inside a value are written \\, \t, \n and \r;
        other control characters \xHH, and C1 controls, line and paragraph
        separators and bidirectional controls \uXXXX. A file that cannot
        be read is named on standard error and counted at the end.
  --conflicts    print only the values whose tracks hold different
                 non-empty sort values: value, a tab, the listed sort value,
                 then for each sort value the tracks hold (the listed one
                 first, then most tracks first) a tab, the sort value, a tab
                 and its number of tracks

apply   Scans the same way, sets sort values, and writes each listed non-empty
        sort value into every track whose value is listed and whose own sort
        value differs. Each change is logged to standard error.
  --from FILE    sort values from a file in the format that list prints
                 ("-" reads standard input); only the values it names are
                 written, and a value that is not in the list is reported
                 and skipped. Every line is checked before anything is
                 written: a raw control character, or a NUL in a sort value,
                 is an error
  --romaji       every entry's sort value becomes its value in lower-case
                 Latin letters
  --copy         every entry's sort value becomes its value itself
  --reading      every entry's sort value becomes its reading in the value's
                 language (Japanese, Chinese or Korean, decided from the
                 value and the dictionaries); values with no reading are
                 left as they were and listed on standard error
  --style STYLE  Japanese readings: katakana (the default), hiragana or romaji
  --zh-style S   Chinese readings: pinyin (the default) or zhuyin
  --ko-style S   Korean readings: hangul (the default: kept) or latin
  --lang L       read every value in one language: ja, zh or ko; auto (the
                 default) decides for each value
  --prefer L     the language of values nothing decides: ja (the default)
                 or zh
  --min-confidence LEVEL
                 with --reading, write only readings at least this sure:
                 sure, likely or check (the default: every reading); the
                 others are left as they were and listed on standard error
                 with their reading, confidence and reason
  --only-sure    the same as --min-confidence sure
  --only-empty   fill in only tracks whose own sort value is empty; with
                 --romaji, --copy or --reading, change only entries whose
                 listed sort value is empty
  --dry-run      print the changes that would be made (name:value->sort)
                 on standard output and write nothing
  --no-console   do not open the log viewer (a dry run never opens it)

read    Reads values, one a line in the format of the list, on standard input
        and prints value, a tab, its reading (empty when it has none) and,
        with --candidates N, up to N other readings, each after a tab.
        With --explain, four columns come between the reading and the
        other readings: the language (ja, zh, ko; none), how sure the
        reading is (sure, likely, check), why, and the evidence of the
        language, joined by "; ". It takes --style, --zh-style, --ko-style,
        --lang and --prefer as apply does. With --field, each value is read
        as a value of that field (artist, album-artist and composer hold
        names of people and bands; album, name and show hold titles);
        without it, as an artist.
        Readings in $XDG_CONFIG_HOME/yomi/readings.tsv (value, a tab, reading)
        come first, for whole values and for parts of them.

revert  Takes back the library's last Save: every file that still holds
        exactly what that Save wrote gets its old bytes back (a sort value
        the Save added is removed again); a file changed since, or gone, is
        left alone and listed. Each Save keeps an undo log (the last 20 are kept) under
        $XDG_STATE_HOME/yomi/undo; a revert is itself a Save that can be
        reverted, and a revert cut short is completed by the next one.
  --list         print the kept logs of every library: id, time, kind,
                 field, library folder, changes
  --save ID      take back that Save instead of the library's last one

report  Walks the library once and prints, per field, the distinct values that
        need a reading (not made only of kana and Latin letters) and their
        tracks: how many have no sort value yet, how many have one, how many
        values are held with different sort values by their tracks, and how
        many tracks keep the sort value under an older tagger's name as well.

--library DIR   the folder of audio files; without it, the XDG music folder,
                else ~/Music

Exit status: 0 success; 1 at least one write failed (each failure is on
standard error, with the file's path); 2 bad usage, unusable input or a
library folder that cannot be read (nothing was written).

A complete session:
  yomi-cli list --field artist > artists.tsv
  $EDITOR artists.tsv     # type each reading into the second column
  yomi-cli apply --field artist --from artists.tsv --dry-run
  yomi-cli apply --field artist --from artists.tsv
)";
}

namespace {

Options only(Command command)
{
    Options o;
    o.command = command;
    return o;
}

std::optional<Command> commandNamed(const std::string& name)
{
    if (name == "list")
        return Command::List;
    if (name == "apply")
        return Command::Apply;
    if (name == "read")
        return Command::Read;
    if (name == "revert")
        return Command::Revert;
    if (name == "report")
        return Command::Report;
    return std::nullopt;
}

bool isDecimal(const std::string& s) { return s.find_first_not_of("0123456789") == std::string::npos; }

// The arguments after the command, read one option at a time.
class OptionReader {
public:
    OptionReader(const std::vector<std::string>& args, Options& o) : args_(args), o_(o) {}

    bool next()
    {
        if (++i_ >= args_.size())
            return false;
        name_ = args_[i_];
        inline_.reset();
        if (name_.rfind("--", 0) == 0) {
            if (const auto eq = name_.find('='); eq != std::string::npos) {
                inline_ = name_.substr(eq + 1);
                name_.resize(eq);
            }
        }
        return true;
    }

    // The option's name without any "=value"; the argument as given.
    const std::string& name() const { return name_; }
    const std::string& given() const { return args_[i_]; }
    bool is(std::string_view flag) const { return name_ == flag && !inline_; }

    // The option's value: after '=', or the next argument.
    bool takeValue(std::string& into)
    {
        if (inline_) {
            into = *inline_;
            return true;
        }
        if (i_ + 1 >= args_.size())
            return false;
        into = args_[++i_];
        return true;
    }

    Status field()
    {
        if (haveField)
            return Failure{"--field given twice"};
        if (!takeValue(o_.fieldName))
            return Failure{"--field needs a value"};
        // "people" and a list joined by commas name several fields.
        const std::string names = o_.fieldName == "people" ? "artist,album-artist,composer" : o_.fieldName;
        std::vector<std::int32_t> tags;
        for (std::size_t from = 0;;) {
            const std::size_t comma = names.find(',', from);
            const std::string name = names.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
            const auto tag = tagForFieldName(name);
            if (!tag)
                return Failure{"unknown field: '" + name +
                               "' (use artist, album, album-artist, composer, name, show or people)"};
            if (std::find(tags.begin(), tags.end(), *tag) != tags.end())
                return Failure{"--field names " + name + " twice"};
            tags.push_back(*tag);
            if (comma == std::string::npos)
                break;
            from = comma + 1;
        }
        o_.keyTag = tags.front();
        if (tags.size() > 1)
            o_.keyTags = std::move(tags);
        haveField = true;
        return {};
    }

    Status library()
    {
        std::string dir;
        if (haveLibrary)
            return Failure{"--library given twice"};
        if (!takeValue(dir) || dir.empty())
            return Failure{"--library needs a folder"};
        o_.library = std::filesystem::path(dir);
        haveLibrary = true;
        return {};
    }

    Status style()
    {
        std::string name;
        if (!takeValue(name))
            return Failure{"--style needs katakana, hiragana or romaji"};
        const auto style = readingStyleNamed(name);
        if (!style)
            return Failure{"unknown style: '" + name + "' (use katakana, hiragana or romaji)"};
        o_.style = *style;
        haveStyle = true;
        return {};
    }

    // --lang auto|ja|zh|ko, --prefer ja|zh, --zh-style, --ko-style.
    Status language()
    {
        std::string code;
        if (!takeValue(code))
            return Failure{"--lang needs auto, ja, zh or ko"};
        if (code == "auto") {
            o_.language.reset();
            return {};
        }
        const auto language = languageFromCode(code);
        if (!language)
            return Failure{"unknown language: '" + code + "' (use auto, ja, zh or ko)"};
        o_.language = *language;
        haveLanguage = true;
        return {};
    }

    Status prefer()
    {
        std::string code;
        if (!takeValue(code))
            return Failure{"--prefer needs ja or zh"};
        const auto language = languageFromCode(code);
        if (!language || *language == Language::Korean)
            return Failure{"unknown default language: '" + code + "' (use ja or zh)"};
        o_.prefer = *language;
        haveLanguage = true;
        return {};
    }

    Status chineseStyle()
    {
        std::string name;
        const auto style = takeValue(name) ? chineseStyleNamed(name) : std::nullopt;
        if (!style)
            return Failure{"--zh-style needs pinyin or zhuyin"};
        o_.chineseStyle = *style;
        haveStyle = true;
        return {};
    }

    Status koreanStyle()
    {
        std::string name;
        const auto style = takeValue(name) ? koreanStyleNamed(name) : std::nullopt;
        if (!style)
            return Failure{"--ko-style needs hangul or latin"};
        o_.koreanStyle = *style;
        haveStyle = true;
        return {};
    }

    Status candidates()
    {
        std::string n;
        if (!takeValue(n) || n.empty() || n.size() > 3 || !isDecimal(n))
            return Failure{"--candidates needs a number from 0 to 999"};
        o_.candidates = std::stoul(n);
        return {};
    }

    Status minConfidence()
    {
        std::string name;
        if (!takeValue(name))
            return Failure{"--min-confidence needs sure, likely or check"};
        const auto level = confidenceNamed(name);
        if (!level)
            return Failure{"unknown confidence: '" + name + "' (use sure, likely or check)"};
        return atLeast(*level);
    }

    Status atLeast(Confidence level)
    {
        if (o_.haveMinConfidence)
            return Failure{"--min-confidence or --only-sure given twice"};
        o_.minConfidence = level;
        o_.haveMinConfidence = true;
        return {};
    }

    Status saveId()
    {
        std::string id;
        if (!takeValue(id) || id.empty() || id.size() > 18 || !isDecimal(id) || std::stoull(id) == 0)
            return Failure{"--save needs the id of a save (see revert --list)"};
        o_.saveId = std::stoull(id);
        return {};
    }

    Status edit(Edit edit)
    {
        if (edit == Edit::FromFile && (!takeValue(o_.fromPath) || o_.fromPath.empty()))
            return Failure{"--from needs a file (or - for standard input)"};
        o_.edit = edit;
        ++edits;
        return {};
    }

    bool haveField = false, haveLibrary = false, haveStyle = false, haveLanguage = false;
    int edits = 0;

private:
    const std::vector<std::string>& args_;
    Options& o_;
    std::size_t i_ = 0;
    std::string name_;
    std::optional<std::string> inline_;
};

// One option of the command, by the commands that take it.
Status parseOption(OptionReader& r, Options& o, const std::string& command)
{
    const bool apply = o.command == Command::Apply, read = o.command == Command::Read,
               revert = o.command == Command::Revert;
    const std::string& arg = r.name();
    if (arg == "--field")
        return r.field();
    if (arg == "--library")
        return r.library();
    if (apply && arg == "--from")
        return r.edit(Edit::FromFile);
    if (apply && (r.is("--romaji") || r.is("--copy")))
        return r.edit(arg == "--romaji" ? Edit::Romaji : Edit::Copy);
    if (apply && r.is("--reading"))
        return r.edit(Edit::Reading);
    if ((apply || read) && arg == "--style")
        return r.style();
    if ((apply || read) && arg == "--zh-style")
        return r.chineseStyle();
    if ((apply || read) && arg == "--ko-style")
        return r.koreanStyle();
    if ((apply || read) && arg == "--lang")
        return r.language();
    if ((apply || read) && arg == "--prefer")
        return r.prefer();
    if (read && arg == "--candidates")
        return r.candidates();
    if (apply && arg == "--min-confidence")
        return r.minConfidence();
    if (apply && r.is("--only-sure"))
        return r.atLeast(Confidence::Sure);
    if (revert && arg == "--save")
        return r.saveId();
    bool* flag = read && r.is("--explain")          ? &o.explain
        : apply && r.is("--only-empty")             ? &o.onlyEmpty
        : apply && r.is("--dry-run")                ? &o.dryRun
        : (apply || revert) && r.is("--no-console") ? &o.noConsole
        : revert && r.is("--list")                  ? &o.listSaves
        : o.command == Command::List && r.is("--conflicts") ? &o.conflicts
                                                    : nullptr;
    if (flag) {
        *flag = true;
        return {};
    }
    if (!arg.empty() && arg.front() == '-')
        return Failure{"unknown option for " + command + ": " + r.given()};
    return Failure{"unexpected argument: " + arg};
}

// The options that only make sense together.
Status checkCombination(const OptionReader& r, const Options& o, const std::string& command)
{
    if (o.command == Command::Read)
        return r.haveLibrary ? Status(Failure{"read takes no --library"}) : Status();
    if (o.command == Command::Report)
        return r.haveField ? Status(Failure{"report takes no --field"}) : Status();
    if (o.command == Command::Revert) {
        if (r.haveField)
            return Failure{"revert takes no --field"};
        if (o.listSaves && o.saveId)
            return Failure{"revert takes only one of --list, --save"};
        return {};
    }
    if (!r.haveField)
        return Failure{command + " needs --field"};
    if (r.haveStyle && o.edit != Edit::Reading)
        return Failure{"--style goes with --reading"};
    if (o.haveMinConfidence && o.edit != Edit::Reading)
        return Failure{"--min-confidence and --only-sure go with --reading"};
    if (r.haveLanguage && o.edit != Edit::Reading)
        return Failure{"--lang and --prefer go with --reading"};
    if (o.command == Command::Apply && r.edits != 1)
        return Failure{r.edits == 0 ? "apply needs one of --from, --romaji, --copy, --reading"
                                    : "apply takes only one of --from, --romaji, --copy, --reading"};
    return {};
}

} // namespace

Result<Options> parseArguments(const std::vector<std::string>& args)
{
    if (args.empty())
        return Failure{"no command given"};
    const std::string& command = args.front();
    if (command == "help" || command == "--help" || command == "-h") {
        if (args.size() > 1)
            return Failure{"help takes no arguments"};
        return only(Command::Help);
    }
    if (command == "--version") {
        if (args.size() > 1)
            return Failure{"--version takes no arguments"};
        return only(Command::Version);
    }
    const std::optional<Command> named = commandNamed(command);
    if (!named)
        return Failure{"unknown command: " + command};

    Options o = only(*named);
    OptionReader reader(args, o);
    while (reader.next()) {
        if (reader.name() == "--help" || reader.name() == "-h")
            return only(Command::Help);
        if (Status parsed = parseOption(reader, o, command); !parsed)
            return parsed.failure();
    }
    if (Status combined = checkCombination(reader, o, command); !combined)
        return combined.failure();
    return o;
}

std::string escapeField(std::u16string_view value)
{
    const std::string utf8 = toUtf8(value);
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c = 0;
        const std::size_t n = decodeUtf8(utf8, i, c); // toUtf8 gives strict UTF-8
        if (c == U'\\')
            out += "\\\\";
        else if (isUnsafeToShow(c))
            appendVisibleEscape(out, c);
        else
            out.append(utf8, i, n);
        i += n;
    }
    return out;
}

namespace {

// The value of `digits` hexadecimal digits at field[i]; nullopt when any is
// missing or not a hexadecimal digit.
std::optional<char32_t> hexAt(std::string_view field, std::size_t i, std::size_t digits)
{
    if (i + digits > field.size())
        return std::nullopt;
    char32_t v = 0;
    for (std::size_t k = 0; k < digits; ++k) {
        const char h = field[i + k];
        v <<= 4;
        if (h >= '0' && h <= '9')
            v |= static_cast<char32_t>(h - '0');
        else if (h >= 'a' && h <= 'f')
            v |= static_cast<char32_t>(h - 'a' + 10);
        else if (h >= 'A' && h <= 'F')
            v |= static_cast<char32_t>(h - 'A' + 10);
        else
            return std::nullopt;
    }
    return v;
}

} // namespace

Result<String> unescapeField(std::string_view field)
{
    auto fail = [](std::string why) { return Failure{std::move(why)}; };
    if (!isValidUtf8(field))
        return fail("not valid UTF-8");
    String out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size();) {
        char32_t c = 0;
        const std::size_t n = decodeUtf8(field, i, c);
        if (c == U'\t' || c == U'\n')
            return fail("raw tab or line feed inside a value");
        if (c != U'\\') {
            // Control characters come only as escapes: raw, they are what a
            // broken or hostile file holds, not what a user typed.
            if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
                return fail("raw control character inside a value (write it as an escape, e.g. \\x1B)");
            appendUtf16(out, c);
            i += n;
            continue;
        }
        if (++i >= field.size())
            return fail("backslash at the end of a value (write \\\\ for a backslash)");
        const char e = field[i++];
        switch (e) {
        case '\\':
            out += u'\\';
            break;
        case 't':
            out += u'\t';
            break;
        case 'n':
            out += u'\n';
            break;
        case 'r':
            out += u'\r';
            break;
        case 'x': {
            const auto v = hexAt(field, i, 2);
            if (!v || *v >= 0x80)
                return fail("\\x needs two hexadecimal digits below 80");
            out += static_cast<char16_t>(*v);
            i += 2;
            break;
        }
        case 'u': {
            const auto v = hexAt(field, i, 4);
            if (!v || (*v >= 0xD800 && *v <= 0xDFFF))
                return fail("\\u needs four hexadecimal digits of a character");
            out += static_cast<char16_t>(*v);
            i += 4;
            break;
        }
        default:
            return fail(std::string("unknown escape \\") + e + " (write \\\\ for a backslash)");
        }
    }
    return out;
}

std::string formatListLine(std::u16string_view value, std::u16string_view sort)
{
    return escapeField(value) + '\t' + escapeField(sort) + '\n';
}

std::string formatConflictLine(const PairEntry& entry)
{
    std::string line = escapeField(entry.originalStr) + '\t' + escapeField(entry.sortStr);
    for (const HeldSortValue& held : heldSortValues(entry))
        line += '\t' + escapeField(held.sortValue) + '\t' + std::to_string(held.tracks);
    return line + '\n';
}

Result<std::vector<SortAssignment>> parseAssignments(std::string_view text)
{
    std::vector<SortAssignment> result;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::size_t start = 0, number = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        auto fail = [&](const std::string& why) { return Failure{"line " + std::to_string(number) + ": " + why}; };
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            return fail("no tab between value and sort value");
        if (line.find('\t', tab + 1) != std::string_view::npos)
            return fail("more than one tab (write \\t for a tab inside a value)");
        Result<String> value = unescapeField(line.substr(0, tab));
        if (!value)
            return fail(value.reason());
        Result<String> sort = unescapeField(line.substr(tab + 1));
        if (!sort)
            return fail(sort.reason());
        if (sort->find(u'\0') != String::npos)
            return fail("a sort value cannot hold a NUL character");
        result.push_back(SortAssignment{number, std::move(*value), std::move(*sort)});
    }
    return result;
}

namespace {

// What `apply` needs before the library is touched: the reading engine and
// the user's readings for --reading, the checked input for --from.
struct ApplyInput {
    std::unique_ptr<ReadingKit> kit;
    Reader reader;
    UserReadings user;
    std::vector<SortAssignment> assignments;
};

// The input of `apply`, or null with the reason printed: a bad input file
// writes nothing.
std::unique_ptr<ApplyInput> readApplyInput(const Options& options, Streams streams)
{
    auto input = std::make_unique<ApplyInput>();
    if (options.edit == Edit::Reading) {
        if (!(input->kit = readingKit(streams.err)))
            return nullptr;
        input->user = loadUserReadings(streams.err);
        input->reader = readerFor(*input->kit, options, &input->user, 4);
    }
    if (options.edit == Edit::FromFile) {
        const Result<std::string> text = readInput(options.fromPath, streams.in);
        if (!text) {
            streams.err << "yomi-cli: " << text.reason() << '\n';
            return nullptr;
        }
        Result<std::vector<SortAssignment>> parsed = parseAssignments(*text);
        if (!parsed) {
            const std::string name = options.fromPath == "-" ? "standard input" : options.fromPath;
            streams.err << "yomi-cli: " << name << ": " << parsed.reason() << "; nothing written\n";
            return nullptr;
        }
        input->assignments = std::move(*parsed);
    }
    return input;
}

// A dry run keeps its log lines off the system log (they describe changes
// that are not made) and holds the writes back.
struct DryRunScope {
    DryRunScope(std::ostream& err, std::string_view valueKey)
        : log([&err](std::string_view text) {
              err << "yomi-cli (dry run): " << text;
              if (text.empty() || text.back() != '\n')
                  err << '\n';
              err.flush();
          }),
          run(bridge::kMusicApplicationIdentifier, std::string(valueKey))
    {
    }
    log::ScopedSink log;
    ScopedDryRun run;
};

int printList(const SRMainController& controller, bool conflicts, Streams streams)
{
    std::size_t conflicting = 0;
    if (const auto& list = controller.dataArray())
        list->forEach([&](const PairEntryRef& e) {
            if (!conflicts)
                streams.out << formatListLine(e->originalStr, e->sortStr);
            else if (inConflict(*e)) {
                streams.out << formatConflictLine(*e);
                ++conflicting;
            }
        });
    streams.out.flush();
    if (!streams.out.good()) {
        streams.err << "yomi-cli: cannot write the list to standard output\n";
        return kExitWriteFailed;
    }
    const LoadReport& load = controller.lastLoadReport();
    streams.err << "yomi-cli: " << load.tracks << " track(s) scanned";
    if (load.unreadable)
        streams.err << ", " << load.unreadable << " file(s) could not be read";
    if (conflicts)
        streams.err << ", " << conflicting << " value(s) whose tracks hold different sort values";
    streams.err << '\n';
    return kExitOk;
}

// The input's line for each listed value; a value given twice takes its
// later line, and a value not in the list is reported and skipped.
std::unordered_map<String, const SortAssignment*>
chooseLines(const SRMainController& controller, const std::vector<SortAssignment>& assignments, std::ostream& err)
{
    const auto& dict = controller.pairDict();
    std::unordered_map<String, const SortAssignment*> chosen;
    for (const SortAssignment& a : assignments) {
        if (!dict || !dict->contains(a.value)) {
            err << "yomi-cli: line " << a.lineNumber << ": not in the list, skipped: " << escapeField(a.value) << '\n';
            continue;
        }
        auto [it, fresh] = chosen.emplace(a.value, &a);
        if (!fresh) {
            err << "yomi-cli: line " << a.lineNumber << ": " << escapeField(a.value) << " also on line "
                << it->second->lineNumber << "; the later line counts\n";
            it->second = &a;
        }
    }
    return chosen;
}

// Only the entries the input names are written: the others leave the list,
// in list order, before Save.
void applyAssignments(SRMainController& controller, const std::vector<SortAssignment>& assignments, std::ostream& err)
{
    const auto chosen = chooseLines(controller, assignments, err);
    auto named = std::make_shared<PairList>();
    auto namedDict = std::make_shared<PairDict>();
    if (const auto& list = controller.dataArray()) {
        list->forEach([&](const PairEntryRef& e) {
            const auto it = chosen.find(e->originalStr);
            if (it == chosen.end())
                return;
            e->sortStr = it->second->sort;
            named->append(e);
            namedDict->emplace(e->originalStr, e);
        });
    }
    controller.setDataArray(std::move(named));
    controller.setPairDict(std::move(namedDict));
}

// --romaji, --copy or --reading over the whole list (or its empty rows).
void applyEdit(SRMainController& controller, const Options& options, ApplyInput& input, std::ostream& err)
{
    ListSelection selection(controller, options.onlyEmpty);
    controller.arrayController = &selection;
    if (options.edit == Edit::Reading) {
        controller.reader = &input.reader;
        controller.userReadings = &input.user;
        controller.readingFloor = options.minConfidence;
        controller.copyOriginalToReadingAs(options.language);
        if (const auto& refused = controller.lastRefusedReadings(); !refused.empty()) {
            err << "yomi-cli: " << refused.size() << " value(s) have no reading and were left as they were:\n";
            for (const String& value : refused)
                err << "  " << escapeField(value) << '\n';
        }
        if (const auto& held = controller.lastHeldReadings(); !held.empty()) {
            err << "yomi-cli: " << held.size() << " reading(s) less sure than " << confidenceName(options.minConfidence)
                << " were not written (value, reading, confidence, reason):\n";
            for (const String& value : held) {
                const ValueReading* r = controller.lastReading(value);
                err << "  " << escapeField(value) << '\t' << escapeField(r ? r->reading.value_or(String()) : String())
                    << '\t' << (r ? confidenceName(r->confidence) : "check") << '\t'
                    << escapeField(toUtf16(r ? r->reason : std::string())) << '\n';
            }
        }
    } else if (options.edit == Edit::Romaji)
        controller.copyOriginalToPinYin(nullptr);
    else
        controller.copyOriginalToSort(nullptr);
    controller.arrayController = nullptr;
}

int reportDryRun(const ScopedDryRun& dryRun, const SaveReport& report, const SavePreview& preview, Streams streams)
{
    for (const HeldWrite& w : dryRun.writes())
        streams.out << changeLine(w.name, w.fieldValue, w.value) << '\n';
    streams.out.flush();
    streams.err << "yomi-cli: dry run: " << dryRun.writes().size() << " track(s) would be written";
    if (report.unreadable)
        streams.err << ", " << report.unreadable << " file(s) could not be read";
    streams.err << '\n';
    streams.err << "yomi-cli: dry run: " << preview.text() << '\n';
    return kExitOk;
}

int reportSave(const SaveReport& report, std::ostream& err)
{
    err << "yomi-cli: " << report.written << " track(s) written";
    if (report.failed)
        err << ", " << report.failed << " failed";
    if (report.unreadable)
        err << ", " << report.unreadable << " file(s) could not be read";
    if (report.undoId)
        err << " (save " << report.undoId << "; yomi-cli revert takes it back)";
    err << '\n';
    return report.failed ? kExitWriteFailed : kExitOk;
}

// `list` or `apply` on the opened library.
int runOnLibrary(const Options& options, ApplyInput* input, Streams streams)
{
    const auto field = fieldForTag(options.keyTag);
    if (!field) {
        streams.err << "yomi-cli: unknown field\n";
        return kExitUsage;
    }
    std::optional<DryRunScope> dryRun;
    if (input && options.dryRun)
        dryRun.emplace(streams.err, field->valueKey);

    SRMainController controller;
    controller.setKeyTag(options.keyTag);
    if (!options.keyTags.empty())
        controller.setFieldTags(options.keyTags);
    // With a reader the scan gathers what each value's language is decided by.
    if (input && options.edit == Edit::Reading)
        controller.reader = &input->reader;
    controller.load(nullptr);
    if (!input)
        return printList(controller, options.conflicts, streams);

    if (options.edit == Edit::FromFile)
        applyAssignments(controller, input->assignments, streams.err);
    else
        applyEdit(controller, options, *input, streams.err);
    controller.fillOnlyEmpty = options.onlyEmpty;
    const SavePreview preview = controller.savePreview();
    controller.save(nullptr);
    const SaveReport report = controller.lastSaveReport();
    if (dryRun)
        return reportDryRun(dryRun->run, report, preview, streams);
    return reportSave(report, streams.err);
}

} // namespace

int run(const Options& options, Streams streams, const LibraryOpener& openLibrary)
{
    switch (options.command) {
    case Command::Help:
        streams.out << usageText();
        return kExitOk;
    case Command::Read:
        return runRead(options, streams);
    case Command::Version:
        streams.out << "yomi-cli " YOMI_VERSION "\n";
        return kExitOk;
    case Command::Revert:
        if (options.listSaves)
            return listUndoLogs(streams.out);
        break;
    default:
        break;
    }
    const bool apply = options.command == Command::Apply;
    const bool revertSave = options.command == Command::Revert;

    // The reading engine and the input are checked before the library is
    // touched.
    std::unique_ptr<ApplyInput> input;
    if (apply && !(input = readApplyInput(options, streams)))
        return kExitUsage;

    const Result<std::shared_ptr<void>> library = openLibrary(options.library);
    if (!library) {
        streams.err << "yomi-cli: " << log::escapeControls(library.reason()) << '\n';
        return kExitUsage;
    }

    // The log viewer opens only for a real write-back.
    const bool console = (revertSave || (apply && !options.dryRun)) && !options.noConsole;
    std::optional<ScopedLauncher> silence;
    if (!console)
        silence.emplace(std::make_shared<SilentLauncher>());
    if (revertSave)
        return revert(options, streams);
    if (options.command == Command::Report) {
        streams.out << reportLibrary().text();
        streams.out.flush();
        return streams.out.good() ? kExitOk : kExitWriteFailed;
    }
    return runOnLibrary(options, input.get(), streams);
}

int main(const std::vector<std::string>& args, Streams streams, const LibraryOpener& openLibrary)
{
    const Result<Options> parsed = parseArguments(args);
    if (!parsed) {
        streams.err << "yomi-cli: " << parsed.reason() << "\n\n" << usageText();
        return kExitUsage;
    }
    return run(*parsed, streams, openLibrary);
}

} // namespace yomi::cli
