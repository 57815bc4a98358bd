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
#include <optional>

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
    void reset(const std::string* root, std::string relative)
    {
        endVisit();
        root_ = root;
        relative_ = std::move(relative);
        format_ = formatForName(relative_).value_or(Format::Mpeg);
    }

    Value valueForKey(std::string_view key) override
    {
        const auto property = propertyForKey(key);
        if (!property)
            return {};
        return contained([&]() -> Value {
            TagFile* file = parsed();
            if (!file)
                return {};
            if (*property == Property::Podcast)
                return Value(file->podcast());
            if (*property == Property::VideoKind)
                return Value(file->videoKind());
            // A tag the file does not hold reads as the empty string, as an
            // unset field does in any music library: only an unreadable file
            // has absent values.
            const auto text = file->text(*property);
            if (!text)
                return Value(String());
            return Value(fromTagLib(*text));
        });
    }

    OptString name() override
    {
        const OptString title = contained([&]() -> OptString {
            if (TagFile* file = parsed()) {
                if (auto t = file->text(Property::Title); t && !t->isEmpty())
                    return fromTagLib(*t);
            }
            return std::nullopt;
        });
        return title ? title : OptString(toUtf16(relative_));
    }

    WriteResult setValue(const String& value, std::string_view key) override
    {
        const auto property = propertyForKey(key);
        if (!property || !isTextProperty(*property))
            return WriteResult::failure("cannot write the property " + std::string(key));
        contained([&] { return parsed() != nullptr; });
        if (!identity_)
            return WriteResult::failure("cannot open the file: " + openError_);
        if (!refusal_.empty())
            return WriteResult::failure("the file was not read: " + refusal_);
        const fileio::FileIdentity opened = *identity_;
        // The parse describes the file as it was; the next read parses anew.
        endVisit();
        // Whatever TagLib throws while it parses or renders (bad_alloc on a
        // size it trusted) fails this write alone.
        try {
            return writeProperty(*root_ + relative_, opened, format_, *property, value);
        } catch (const std::exception& e) {
            return WriteResult::failure(std::string("the write failed: ") + e.what());
        } catch (...) {
            return WriteResult::failure("the write failed");
        }
    }

    std::string location() override { return *root_ + relative_; }

    void endVisit() override
    {
        parse_.reset();
        identity_.reset();
        openError_.clear();
        refusal_.clear();
        tried_ = false;
    }

private:
    // Runs a read of the parse. An exception from TagLib (bad_alloc on a size
    // it trusted, or anything else) makes the file unreadable for the rest
    // of the visit, logged once, and `read` answers as for such a file.
    template <typename Read>
    auto contained(Read read) -> decltype(read())
    {
        try {
            return read();
        } catch (const std::exception& e) {
            unreadable(e.what());
        } catch (...) {
            unreadable("unknown error");
        }
        return read();
    }

    void unreadable(const std::string& why)
    {
        parse_.reset();
        tried_ = true;
        if (refusal_.empty()) {
            refusal_ = why;
            log::write(log::escapeControls("cannot read " + *root_ + relative_ + ": " + why), log::Priority::Warning);
        }
    }

    // The visit's parse of the file, made on first use; null when the file
    // cannot be opened or parsed.
    TagFile* parsed()
    {
        if (!tried_) {
            tried_ = true;
            open();
            if (!parse_ || !parse_->isValid()) {
                const std::string why = !refusal_.empty()   ? refusal_
                                        : !openError_.empty() ? openError_
                                                              : "not an audio file that parses";
                log::write(log::escapeControls("cannot read " + *root_ + relative_ + ": " + why),
                           log::Priority::Warning);
            }
        }
        return parse_ && parse_->isValid() ? parse_.get() : nullptr;
    }

    void open()
    {
        const std::string path = *root_ + relative_;
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
        refusal_ = parse_->refusal();
    }

    const std::string* root_ = nullptr;
    std::string relative_;
    Format format_ = Format::Mpeg;
    bool tried_ = false;
    std::unique_ptr<TagFile> parse_;
    std::optional<fileio::FileIdentity> identity_;
    std::string openError_;
    std::string refusal_; // why the file reads as unreadable, when it does
};

class FolderSequence final : public TrackSequence {
public:
    FolderSequence(std::string root, FileList files) : root_(std::move(root)), files_(std::move(files))
    {
    }

    std::size_t nextBatch(std::span<Track*> out) override
    {
        for (std::size_t i = 0; i < handedOut_; ++i)
            slots_[i].endVisit();
        const std::size_t count = std::min({out.size(), slots_.size(), files_.size() - next_});
        for (std::size_t i = 0; i < count; ++i) {
            slots_[i].reset(&root_, files_.path(next_ + i));
            out[i] = &slots_[i];
        }
        next_ += count;
        handedOut_ = count;
        return count;
    }

private:
    std::string root_; // with a trailing '/'
    FileList files_;
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
        FileList files = listAudioFiles(root_, &error);
        if (!error.empty())
            log::write(log::escapeControls("cannot read the music library folder " + root_.string() + ": " + error),
                       log::Priority::Warning);
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

std::string FileList::path(std::size_t i) const
{
    const File& f = files_.at(i);
    std::string out = folders_[f.folder];
    out += nameOf(f);
    return out;
}

std::vector<std::string> FileList::paths() const
{
    std::vector<std::string> out;
    out.reserve(files_.size());
    for (std::size_t i = 0; i < files_.size(); ++i)
        out.push_back(path(i));
    return out;
}

std::uint32_t FileList::addFolder(std::string relative)
{
    folders_.push_back(std::move(relative));
    return static_cast<std::uint32_t>(folders_.size() - 1);
}

void FileList::addFile(std::uint32_t folder, std::string_view name)
{
    files_.push_back(File{folder, static_cast<std::uint32_t>(names_.size())});
    names_.append(name);
    names_.push_back('\0');
}

bool FileList::less(const File& a, const File& b) const
{
    // Compares folder + name of each as one string, byte by byte (unsigned,
    // as std::string does), without joining them.
    const std::string_view partsA[2] = {folders_[a.folder], nameOf(a)};
    const std::string_view partsB[2] = {folders_[b.folder], nameOf(b)};
    std::size_t pa = 0, pb = 0, ia = 0, ib = 0;
    for (;;) {
        while (pa < 2 && ia == partsA[pa].size()) {
            ++pa;
            ia = 0;
        }
        while (pb < 2 && ib == partsB[pb].size()) {
            ++pb;
            ib = 0;
        }
        if (pa == 2 || pb == 2)
            return pa == 2 && pb != 2;
        // Compare the longest run both parts still have.
        const std::size_t n = std::min(partsA[pa].size() - ia, partsB[pb].size() - ib);
        const int c = partsA[pa].substr(ia, n).compare(partsB[pb].substr(ib, n));
        if (c != 0)
            return c < 0;
        ia += n;
        ib += n;
    }
}

void FileList::sort()
{
    std::sort(files_.begin(), files_.end(), [this](const File& a, const File& b) { return less(a, b); });
    files_.shrink_to_fit();
    names_.shrink_to_fit();
    folders_.shrink_to_fit();
}

FileList listAudioFiles(const std::filesystem::path& root, std::string* error)
{
    std::string base = root.string();
    if (base.empty())
        base = ".";
    if (base.back() != '/')
        base.push_back('/');

    FileList files;
    std::vector<std::string> pending{std::string()}; // folders still to read, relative, ending in '/'
    bool atRoot = true;
    while (!pending.empty()) {
        std::string folder = std::move(pending.back());
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
            log::write(log::escapeControls("cannot read the folder " + full + ": " + reason), log::Priority::Warning);
            continue;
        }
        atRoot = false;
        std::optional<std::uint32_t> folderIndex; // added with its first file
        const auto addFile = [&](const char* name) {
            if (!folderIndex)
                folderIndex = files.addFolder(folder);
            files.addFile(*folderIndex, name);
        };
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
                addFile(name);
            } else if (type == DT_LNK) {
                struct stat st {};
                if (::stat((full + name).c_str(), &st) == 0 && S_ISREG(st.st_mode))
                    addFile(name);
            }
        }
        ::closedir(dir);
    }
    files.sort();
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
