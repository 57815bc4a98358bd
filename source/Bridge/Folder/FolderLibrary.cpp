#include "Bridge/Folder/FolderLibrary.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <taglib/tfilestream.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "Bridge/Folder/Formats.h"
#include "Bridge/Folder/TagFile.h"
#include "Bridge/Folder/TagWriter.h"
#include "Platform/FileCommit.h"
#include "Platform/Log.h"

namespace yomi::bridge::folder {
namespace {

std::string homeDirectory()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return {};
}

std::string_view trimLeft(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

class FolderTrack final : public Track {
public:
    void reset(const std::string* root, const std::string* relative)
    {
        endVisit();
        root_ = root;
        relative_ = relative;
        format_ = formatForName(*relative).value_or(Format::Mpeg);
    }

    Value valueForKey(std::string_view key) override
    {
        const auto property = propertyForKey(key);
        if (!property)
            return {};
        TagFile* file = parsed();
        if (!file)
            return {};
        if (*property == Property::Podcast)
            return Value(file->podcast());
        if (*property == Property::VideoKind)
            return Value(file->videoKind());
        const auto text = file->text(*property);
        if (!text)
            return {};
        return Value(fromTagLib(*text));
    }

    OptString name() override
    {
        if (TagFile* file = parsed()) {
            if (auto title = file->text(Property::Title); title && !title->isEmpty())
                return fromTagLib(*title);
        }
        return toUtf16(*relative_);
    }

    WriteResult setValue(const String& value, std::string_view key) override
    {
        const auto property = propertyForKey(key);
        if (!property || !isTextProperty(*property))
            return WriteResult::failure("cannot write the property " + std::string(key));
        parsed();
        if (!identity_)
            return WriteResult::failure("cannot open the file: " + openError_);
        const fileio::FileIdentity opened = *identity_;
        // The parse describes the file as it was; the next read parses anew.
        endVisit();
        return writeProperty(*root_ + *relative_, opened, format_, *property, value);
    }

    void endVisit() override
    {
        parse_.reset();
        identity_.reset();
        openError_.clear();
        tried_ = false;
    }

private:
    // The visit's parse of the file, made on first use; null when the file
    // cannot be opened or parsed.
    TagFile* parsed()
    {
        if (!tried_) {
            tried_ = true;
            open();
        }
        return parse_ && parse_->isValid() ? parse_.get() : nullptr;
    }

    void open()
    {
        const std::string path = *root_ + *relative_;
        // O_NONBLOCK: a file swapped for a FIFO since the listing must not
        // hang the walk; it is refused below as no regular file.
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            openError_ = std::strerror(errno);
            return;
        }
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            openError_ = "not a regular file";
            ::close(fd);
            return;
        }
        fileio::FileIdentity id;
        id.device = st.st_dev;
        id.inode = st.st_ino;
        id.size = st.st_size;
        id.mtimeSeconds = st.st_mtim.tv_sec;
        id.mtimeNanoseconds = st.st_mtim.tv_nsec;
        identity_ = id;
        auto stream = std::make_unique<TagLib::FileStream>(fd, true);
        if (!stream->isOpen()) {
            ::close(fd);
            openError_ = "cannot open the file";
            return;
        }
        parse_ = TagFile::open(format_, std::move(stream), false);
    }

    const std::string* root_ = nullptr;
    const std::string* relative_ = nullptr;
    Format format_ = Format::Mpeg;
    bool tried_ = false;
    std::unique_ptr<TagFile> parse_;
    std::optional<fileio::FileIdentity> identity_;
    std::string openError_;
};

class FolderSequence final : public TrackSequence {
public:
    FolderSequence(std::string root, std::vector<std::string> files) : root_(std::move(root)), files_(std::move(files))
    {
    }

    std::size_t nextBatch(std::span<Track*> out) override
    {
        for (std::size_t i = 0; i < handedOut_; ++i)
            slots_[i].endVisit();
        const std::size_t count = std::min({out.size(), slots_.size(), files_.size() - next_});
        for (std::size_t i = 0; i < count; ++i) {
            slots_[i].reset(&root_, &files_[next_ + i]);
            out[i] = &slots_[i];
        }
        next_ += count;
        handedOut_ = count;
        return count;
    }

private:
    std::string root_; // with a trailing '/'
    std::vector<std::string> files_;
    std::size_t next_ = 0;
    std::size_t handedOut_ = 0;
    std::array<FolderTrack, kBatchSize> slots_;
};

class FolderPlaylist final : public Playlist {
public:
    explicit FolderPlaylist(std::filesystem::path root) : root_(std::move(root)) {}

    std::unique_ptr<TrackSequence> tracks() override
    {
        std::string error;
        std::vector<std::string> files = listAudioFiles(root_, &error);
        if (!error.empty())
            log::write(log::escapeControls("cannot read the music library folder " + root_.string() + ": " + error));
        std::string prefix = root_.string();
        if (prefix.empty())
            prefix = ".";
        if (prefix.back() != '/')
            prefix.push_back('/');
        return std::make_unique<FolderSequence>(std::move(prefix), std::move(files));
    }

private:
    std::filesystem::path root_;
};

class FolderSource final : public Source {
public:
    explicit FolderSource(std::filesystem::path root) : playlist_(std::make_shared<FolderPlaylist>(std::move(root)))
    {
    }
    std::vector<std::shared_ptr<Playlist>> playlists() override { return {playlist_}; }

private:
    std::shared_ptr<Playlist> playlist_;
};

class FolderApplication final : public Application {
public:
    explicit FolderApplication(std::filesystem::path root) : source_(std::make_shared<FolderSource>(std::move(root)))
    {
    }
    std::vector<std::shared_ptr<Source>> sources() override { return {source_}; }

private:
    std::shared_ptr<Source> source_;
};

} // namespace

std::optional<std::filesystem::path> musicDirFromUserDirs(std::string_view text, const std::string& home)
{
    std::optional<std::filesystem::path> found;
    while (!text.empty()) {
        const auto eol = text.find('\n');
        std::string_view line = trimLeft(text.substr(0, eol));
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);

        constexpr std::string_view kKey = "XDG_MUSIC_DIR";
        if (!line.starts_with(kKey))
            continue;
        line = trimLeft(line.substr(kKey.size()));
        if (line.empty() || line.front() != '=')
            continue;
        line = trimLeft(line.substr(1));

        std::string value;
        if (!line.empty() && line.front() == '"') {
            bool closed = false;
            for (std::size_t i = 1; i < line.size(); ++i) {
                if (line[i] == '\\' && i + 1 < line.size()) {
                    value.push_back(line[++i]);
                } else if (line[i] == '"') {
                    closed = true;
                    break;
                } else {
                    value.push_back(line[i]);
                }
            }
            if (!closed)
                continue;
        } else {
            while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
                line.remove_suffix(1);
            value = line;
        }

        std::string_view v = value;
        for (std::string_view var : {std::string_view("$HOME"), std::string_view("${HOME}")}) {
            if (v.starts_with(var) && (v.size() == var.size() || v[var.size()] == '/')) {
                if (home.empty())
                    break;
                found = std::filesystem::path(home + std::string(v.substr(var.size())));
                v = {};
                break;
            }
        }
        if (!v.empty() && v.front() == '/')
            found = std::filesystem::path(v);
    }
    return found;
}

std::filesystem::path libraryRoot(const std::optional<std::filesystem::path>& fromCommandLine)
{
    if (fromCommandLine && !fromCommandLine->empty())
        return *fromCommandLine;
    const std::string home = homeDirectory();
    std::filesystem::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        config = xdg;
    else
        config = std::filesystem::path(home) / ".config";
    if (const auto text = fileio::readWholeFile(config / "user-dirs.dirs")) {
        if (auto dir = musicDirFromUserDirs(*text, home))
            return *dir;
    }
    return std::filesystem::path(home) / "Music";
}

std::vector<std::string> listAudioFiles(const std::filesystem::path& root, std::string* error)
{
    std::string base = root.string();
    if (base.empty())
        base = ".";
    if (base.back() != '/')
        base.push_back('/');

    std::vector<std::string> files;
    std::vector<std::string> pending{std::string()}; // folders still to read, relative, ending in '/'
    bool atRoot = true;
    while (!pending.empty()) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        const std::string full = base + folder;
        DIR* dir = ::opendir(full.c_str());
        if (!dir) {
            const std::string reason = std::strerror(errno);
            if (atRoot) {
                if (error)
                    *error = reason;
                return {};
            }
            log::write(log::escapeControls("cannot read the folder " + full + ": " + reason));
            continue;
        }
        atRoot = false;
        while (const dirent* entry = ::readdir(dir)) {
            const char* name = entry->d_name;
            if (name[0] == '.')
                continue;
            unsigned char type = entry->d_type;
            if (type == DT_UNKNOWN) {
                struct stat st {};
                if (::lstat((full + name).c_str(), &st) != 0)
                    continue;
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : S_ISLNK(st.st_mode) ? DT_LNK : 0;
            }
            if (type == DT_DIR) {
                pending.push_back(folder + name + '/');
                continue;
            }
            if (!formatForName(name))
                continue;
            if (type == DT_REG) {
                files.push_back(folder + name);
            } else if (type == DT_LNK) {
                struct stat st {};
                if (::stat((full + name).c_str(), &st) == 0 && S_ISREG(st.st_mode))
                    files.push_back(folder + name);
            }
        }
        ::closedir(dir);
    }
    // std::string compares as unsigned bytes: the byte order of UTF-8 paths.
    std::sort(files.begin(), files.end());
    return files;
}

std::shared_ptr<Application> openFolderLibrary(const std::filesystem::path& root)
{
    fileio::recoverAfterCrash(root);
    return std::make_shared<FolderApplication>(root);
}

ApplicationFactory registerFolderLibrary(const std::filesystem::path& root)
{
    return registerApplication(kMusicApplicationIdentifier, [root] { return openFolderLibrary(root); });
}

} // namespace yomi::bridge::folder
