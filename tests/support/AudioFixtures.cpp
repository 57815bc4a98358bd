#include "support/AudioFixtures.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>

namespace yomi::test {
namespace fs = std::filesystem;

namespace {

fs::path sourceRoot()
{
    if (const char* env = std::getenv("YOMI_SOURCE_DIR"); env && *env)
        return env;
    // tests/support/AudioFixtures.cpp -> the repository root
    return fs::path(__FILE__).parent_path().parent_path().parent_path();
}

fs::path tempBase()
{
    if (const char* env = std::getenv("TMPDIR"); env && *env)
        return env;
    return "/tmp";
}

// The cache folder is only trusted when it is ours and not writable by others.
bool safeFolder(const fs::path& p)
{
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 022) == 0;
}

fs::path makeTemplates(std::string& error)
{
    const fs::path script = sourceRoot() / "scripts" / "make-audio-templates";
    const std::string text = readBytes(script);
    if (text.empty()) {
        error = "cannot read " + script.string();
        return {};
    }
    fs::path folder;
    if (const char* env = std::getenv("YOMI_AUDIO_TEMPLATES"); env && *env) {
        folder = env;
    } else {
        std::ostringstream name;
        name << "yomi-audio-templates-" << ::getuid() << '-' << std::hex << std::hash<std::string>{}(text);
        folder = tempBase() / name.str();
        std::error_code ec;
        fs::create_directory(folder, ec);
        if (!safeFolder(folder)) {
            std::string pattern = (tempBase() / "yomi-audio-templates-XXXXXX").string();
            if (!::mkdtemp(pattern.data())) {
                error = "cannot make a temporary folder";
                return {};
            }
            folder = pattern;
        }
        ::chmod(folder.c_str(), 0755);
    }
    int status = 0;
    const std::string output =
        runCommand("bash " + shellQuote(script.string()) + " " + shellQuote(folder.string()) + " 2>&1", &status);
    if (status != 0) {
        error = "make-audio-templates failed: " + output;
        return {};
    }
    return folder;
}

} // namespace

const std::vector<AudioTemplate>& audioTemplates()
{
    static const std::vector<AudioTemplate> templates = {
        {"template.mp3", "mp3", "mp3_v24"},   {"template-v23.mp3", "mp3", "mp3_v23"}, {"template.flac", "flac", "flac"},
        {"template.m4a", "m4a", "m4a"},       {"template.ogg", "ogg", "ogg_vorbis"},  {"template.opus", "opus", "opus"},
        {"template.spx", "spx", "speex"},     {"template.wav", "wav", "wav"},         {"template.aiff", "aiff", "aiff"},
        {"template.wv", "wv", "wavpack"},     {"template.tta", "tta", "trueaudio"},   {"template.wma", "wma", "wma"},
        {"template.m4v", "m4v", "m4v_video"},
    };
    return templates;
}

fs::path audioTemplateFolder()
{
    static std::once_flag once;
    static fs::path folder;
    static std::string error;
    std::call_once(once, [] { folder = makeTemplates(error); });
    if (folder.empty())
        ADD_FAILURE() << error;
    return folder;
}

fs::path audioTemplate(std::string_view file)
{
    const fs::path folder = audioTemplateFolder();
    if (folder.empty())
        return {};
    const fs::path p = folder / file;
    if (!fs::exists(p))
        ADD_FAILURE() << "audio template missing: " << p;
    return p;
}

TempFolder::TempFolder()
{
    std::string pattern = (tempBase() / "yomi-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()))
        path_ = pattern;
    else
        ADD_FAILURE() << "cannot make a temporary folder";
}

TempFolder::~TempFolder()
{
    if (path_.empty())
        return;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (!it->is_symlink())
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(path_, ec);
}

fs::path TempFolder::copyTemplate(std::string_view templateFile, const fs::path& relative) const
{
    const fs::path from = audioTemplate(templateFile);
    const fs::path to = path_ / relative;
    std::error_code ec;
    fs::create_directories(to.parent_path(), ec);
    if (from.empty() || !fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec))
        ADD_FAILURE() << "cannot copy " << templateFile << " to " << to << ": " << ec.message();
    return to;
}

fs::path TempFolder::writeFile(const fs::path& relative, std::string_view bytes) const
{
    const fs::path to = path_ / relative;
    writeBytes(to, bytes);
    return to;
}

void writeBytes(const fs::path& file, std::string_view bytes)
{
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        ADD_FAILURE() << "cannot write " << file;
}

std::string readBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string runCommand(const std::string& command, int* status)
{
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        if (status)
            *status = -1;
        return output;
    }
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    const int rc = ::pclose(pipe);
    if (status)
        *status = (rc != -1 && WIFEXITED(rc)) ? WEXITSTATUS(rc) : -1;
    return output;
}

std::string shellQuote(std::string_view text)
{
    std::string out = "'";
    for (const char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out.push_back(c);
    }
    out.push_back('\'');
    return out;
}

} // namespace yomi::test
