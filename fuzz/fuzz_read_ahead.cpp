// The read-ahead of a Load: a folder library walked as the scan walks it (the
// file list, the library index, the parse on the worker threads), over a
// folder where the input, split into a few files, lies between ordinary
// audio files. Whatever the mutated files hold, the walk must list every
// file and read every ordinary one; it aborts when it does not.
//
// The input: a byte that picks the format (as the other audio targets), a
// byte that picks the number of parts (its value modulo 4, plus one), then
// the bytes, cut into that many files of equal length. The ordinary files are
// the audio templates of scripts/make-audio-templates, found in
// $YOMI_AUDIO_TEMPLATES (fuzz/run sets it).
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "Bridge/Bytes/Formats.h"
#include "Bridge/Folder/FolderLibrary.h"
#include "Bridge/MusicLibrary.h"
#include "Platform/Log.h"

namespace {

namespace fs = std::filesystem;
using yomi::bridge::folder::Format;

// One extension per format, in the order of Format.
constexpr const char* kExtensions[] = {"mp3", "m4a", "flac", "ogg", "oga", "opus", "spx", "wav", "aiff",
                                       "tta", "ape", "wv",  "mpc",  "wma", "mod", "s3m", "it",  "xm"};
static_assert(std::size(kExtensions) == static_cast<std::size_t>(Format::Xm) + 1);

struct Setup {
    fs::path library;              // the folder walked
    std::set<std::string> ordinary; // their locations, as the tracks give them
};

[[noreturn]] void fail(const std::string& why)
{
    std::fprintf(stderr, "fuzz_read_ahead: %s\n", why.c_str());
    std::abort();
}

void writeFile(const fs::path& file, const char* data, std::size_t size)
{
    // A new file each time (written beside, then renamed): a new inode, so
    // the index never takes the last input's row for this one's.
    const fs::path tmp = file.parent_path() / ".next";
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out.write(data, static_cast<std::streamsize>(size));
    out.close();
    if (!out || std::rename(tmp.c_str(), file.c_str()) != 0)
        fail("cannot write " + file.string());
}

Setup& setup()
{
    static Setup s = [] {
        Setup made;
        // In memory where the system has a tmpfs for it: the index syncs
        // at the end of every walk, and a disk's syncs would be most of the
        // time of a run.
        std::string base = (::access("/dev/shm", W_OK) == 0 ? std::string("/dev/shm") : fs::temp_directory_path().string()) +
            "/yomi-fuzz-read-ahead-XXXXXX";
        if (!::mkdtemp(base.data()))
            fail("cannot make a temporary folder");
        const fs::path root(base);
        static fs::path removed;
        removed = root;
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(removed, ignored);
        });
        // The index and the journals of this process's own.
        ::setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
        ::setenv("XDG_STATE_HOME", (root / "state").c_str(), 1);
        // More workers than cores, so that claims overlap.
        ::setenv("YOMI_PARSE_THREADS", "4", 1);
        made.library = root / "library";
        fs::create_directories(made.library / "sub");
        const char* templates = std::getenv("YOMI_AUDIO_TEMPLATES");
        if (!templates)
            fail("set YOMI_AUDIO_TEMPLATES to the folder of scripts/make-audio-templates");
        std::error_code ec;
        std::size_t i = 0;
        for (const fs::directory_entry& entry : fs::directory_iterator(templates, ec)) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with(".") || !yomi::bridge::folder::formatForName(name))
                continue;
            // Ordinary files before, between and after the mutated ones, and
            // in the folder below.
            static const char* const kPrefixes[] = {"b-", "n-", "sub/n-", "z-"};
            const fs::path copy = made.library / (kPrefixes[i++ % std::size(kPrefixes)] + name);
            fs::copy_file(entry.path(), copy, fs::copy_options::overwrite_existing);
            made.ordinary.insert(copy.string());
        }
        if (made.ordinary.empty())
            fail(std::string("no audio templates in ") + templates);
        // The unreadable files are named in the log: not on every run.
        yomi::log::setSink(yomi::log::Sink([](std::string_view) {}));
        return made;
    }();
    return s;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    (void)setup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    Setup& s = setup();
    const char* extension = kExtensions[data[0] % std::size(kExtensions)];
    const std::size_t parts = data[1] % 4 + 1;
    const char* bytes = reinterpret_cast<const char*>(data) + 2;
    const std::size_t length = size - 2;
    // The parts go to names that the walk takes in turn with the ordinary
    // files: "a-", "m-", "sub/m-", "y-"; the last part holds the rest.
    static const char* const kNames[] = {"a-part", "m-part", "sub/m-part", "y-part"};
    std::set<std::string> mutated;
    for (std::size_t i = 0; i < 4; ++i) {
        const fs::path file = s.library / (std::string(kNames[i]) + "." + extension);
        if (i >= parts)
            continue;
        const std::size_t from = length * i / parts, to = length * (i + 1) / parts;
        writeFile(file, bytes + from, to - from);
        mutated.insert(file.string());
    }
    // The parts of the last input that this one has not written go.
    for (const char* name : kNames)
        for (const char* other : kExtensions) {
            const fs::path file = s.library / (std::string(name) + "." + other);
            if (!mutated.contains(file.string()))
                ::unlink(file.c_str());
        }

    auto app = yomi::bridge::folder::openFolderLibrary(s.library);
    auto sequence = yomi::bridge::tracksOf(yomi::bridge::libraryPlaylist(app));
    std::set<std::string> seen;
    yomi::bridge::forEachTrack(*sequence, [&](yomi::bridge::Track& track) {
        const std::string location = track.location();
        if (!seen.insert(location).second)
            fail("the walk gave " + location + " twice");
        // Every value of the track read, as the scan reads them.
        for (const char* key : {"name", "artist", "album", "albumArtist", "composer", "show", "sortArtist",
                                "sortAlbum", "sortAlbumArtist", "sortComposer", "sortName", "sortShow", "podcast",
                                "videoKind"})
            (void)track.valueForKey(key).copy();
        (void)track.name();
        (void)track.otherSpellings("sortArtist");
        if (s.ordinary.contains(location) && !track.valueForKey("name").copy())
            fail("the ordinary file " + location + " was not read beside the input");
    });
    for (const std::string& file : s.ordinary)
        if (!seen.contains(file))
            fail("the walk did not list the ordinary file " + file);
    for (const std::string& file : mutated)
        if (!seen.contains(file))
            fail("the walk did not list the input's file " + file);
    return 0;
}
