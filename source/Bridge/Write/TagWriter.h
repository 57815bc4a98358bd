// The one place where the folder library changes a file.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Bridge/Bytes/Formats.h"
#include "Bridge/MusicLibrary.h"
#include "Platform/Result.h"
#include "Storage/FileCommit.h"
#include "Storage/UndoLog.h"

namespace yomi::bridge::folder {

// Writes one text property of the audio file `file` (of the given format),
// which the walk opened as the version `opened`.
//
// The whole file is read into memory and edited there: an ID3v2.3/2.4 tag
// (MP3, TrueAudio, WAVE, AIFF), an ASF header and the Vorbis comment of FLAC,
// Ogg Vorbis and Opus on the bytes, the rest through TagLib. proveEdit must then find on the bytes that
// nothing but the property's own item changed (the audio data above all), and
// the edit, parsed again, must carry the new value with every other property
// and every picture unchanged. Only then does fileio::commitFile put
// the new bytes on disk, and its result is the outcome. A value the file
// already has writes nothing (bytes and modification time stay). Fails, with
// the reason, for a file that cannot be read, that changed since it was
// opened, that does not parse cleanly, whose format cannot hold the property,
// or whose edit does not pass the check.
//
// With an undo log, the change (the file's absolute path, `key`, the old
// value or absent, the new value and the bytes it changes) is recorded before
// the commit, and the write fails when it cannot be; a committed change is
// marked with the file's stamp.
Status writeProperty(const std::filesystem::path& file, const fileio::FileIdentity& opened, Format format,
                     Property property, const String& value, storage::UndoLog* undo = nullptr,
                     std::string_view key = {});

// A write that passed every check of writeProperty and waits for its commit.
struct PreparedWrite {
    std::filesystem::path file;
    fileio::FileIdentity opened;
    bool unchanged = false; // the file already holds the value: nothing to write
    std::string original;   // the file's bytes as read
    std::string edited;     // the bytes to commit
    storage::Change change; // what the undo log records
};

// writeProperty up to the commit: reads, edits and proves the edit. Fails
// with the reasons writeProperty gives.
Result<PreparedWrite> prepareWrite(const std::filesystem::path& file, const fileio::FileIdentity& opened, Format format,
                                   Property property, const String& value, std::string_view key = {});

// The edit of `property` to `value` that a byte editor makes of `bytes`, a
// file of `format` whose ID3v2 tag, if TagLib found one, has the major
// version `id3Version` (0 for none): ID3v2.3/2.4 (Tags/Id3Edit.h), ASF (AsfEdit.h),
// FLAC (FlacEdit.h), Ogg Vorbis/Opus comments (OggEdit.h) and MP4 items
// (Mp4Edit.h). Nullopt when no
// byte editor takes the file, which TagLib then edits (a v2.4 tag the splice
// does not take among them); a failure, with the reason, when the editor
// that must take it refuses. `legacy` names the older spellings of the
// property the file has (ID3v2 user text descriptions, Vorbis field names)
// that the edit sets to the value too.
Result<std::optional<std::string>> spliceEdit(Format format, unsigned int id3Version, const std::string& bytes,
                                              Property property, const String& value,
                                              const std::vector<std::string>& legacy = {});

// Commits prepared writes as one group (fileio::CommitGroup): with an undo
// log, every change is recorded and the records are synced once before any
// file changes; a change that cannot be recorded is not made. The results
// are in the order of `writes`, each as writeProperty would give it.
std::vector<Status> commitWrites(std::span<PreparedWrite> writes, storage::UndoLog* undo);

} // namespace yomi::bridge::folder
