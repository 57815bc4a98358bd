// The one place where the folder library changes a file.
#pragma once

#include <filesystem>

#include "Bridge/Folder/Formats.h"
#include "Bridge/MusicLibrary.h"
#include "Platform/FileCommit.h"
#include "Storage/UndoLog.h"

namespace yomi::bridge::folder {

// Writes one text property of the audio file `file` (of the given format),
// which the walk opened as the version `opened`.
//
// The whole file is read into memory and edited there; the edit is parsed
// again and must carry the new value with every other property, every picture
// and the audio properties unchanged. Only then does fileio::commitFile put
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
WriteResult writeProperty(const std::filesystem::path& file, const fileio::FileIdentity& opened, Format format,
                          Property property, const String& value, storage::UndoLog* undo = nullptr,
                          std::string_view key = {});

} // namespace yomi::bridge::folder
