// The music application on Linux: a folder library, the audio files under a
// root folder, whose tags are the tracks' properties (read and written with
// TagLib, which no caller of this header sees).
//
// One source with one playlist. A walk of the playlist (each call of
// tracks()) lists the files anew and is fixed from then on: every regular file
// under the root, recursively, whose extension TagLib handles (ASCII case
// ignored), in the byte order of the whole relative UTF-8 paths with '/'
// separators. Hidden files and folders (names starting with '.') are skipped;
// symbolic links to files are followed, links to folders are not (a link
// that loops is named in the log). A root that does not exist or cannot be
// read gives one log line and a walk over no tracks; a folder below it that
// cannot be read (no permission, a path longer than the system takes) is
// named in the log and walked as one track that cannot be read, its path
// ending in '/'.
//
// The walk reads its files ahead, in order, on one thread per core
// (YOMI_PARSE_THREADS=N to choose), at most four batches beyond the batch
// handed out; a file whose version (device, inode, size, mtime, ctime) is the
// one the library index holds (see LibraryIndex.h) is not parsed again. A
// track's values are those of that read; after endVisit() or a setValue the
// next read parses the file anew, and values read before a write of the same
// walk are checked against the file before they are handed out. A file that
// changes after its read is caught by the write path, which writes only the
// version it read. A file that cannot be parsed (vanished, unreadable, not
// audio, truncated) reads as absent values, and the visit's first read of it
// logs why, once for the library (see registerFolderLibrary): a later walk
// (the write-back after a scan) names it again only with another reason, or
// after it was read in between. Properties: see Formats.h; a property
// with several values reads as its first; in a file that parses, a text
// property whose tag the file does not hold (no frame, atom or field, no tag
// at all) reads as the empty string, like a present empty one; "podcast" is a
// boolean, "videoKind" 'kNon' for audio and another code for a video. name() is the title, or the
// relative path when the file has no (or an empty) title.
//
// setValue writes one text property and nothing else of the file; its result
// says whether the value is really in the file (see TagWriter.h).
//
// With an undo log set on the application, each write records its change
// (path, key, old value, new value, the bytes it changes) before the file is
// committed; revertChange puts back the old bytes of a file that still holds
// exactly what the change wrote (storage::revertFileChange).
//
// Known limits, from TagLib 1.13:
// - TagLib drops empty Xiph comment fields ("ARTISTSORT="), both when it
//   reads (such a field reads as "", as a missing one does) and when it
//   saves (FLAC, Ogg Vorbis, Opus, Speex).
// - MP3: an ID3v2.3 tag is edited frame by frame and stays v2.3; a v2.4 tag
//   is saved by TagLib as v2.4; a v2.2 tag (TagLib cannot write v2.2) and a
//   file without ID3v2 get a v2.4 tag. ID3v1 and APE tags are left as they
//   are. WAV, AIFF and TrueAudio save their ID3v2 tag as v2.4, since TagLib's
//   v2.3 output would drop the TSOP, TSOA and TSOT frames.
// - ASF/WMA holds no composer sort, show or show sort (TagLib maps no
//   attribute to them); module formats (MOD, S3M, IT, XM) hold no sort
//   value. Such writes fail with "this format cannot hold ...".
// - Only MP4 files can be videos; an ASF or Ogg file with a video stream
//   reads as audio.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Bridge/MusicLibrary.h"

namespace yomi::bridge::folder {

// The library root: the command line's `--library DIR` when given; else
// XDG_MUSIC_DIR from $XDG_CONFIG_HOME/user-dirs.dirs (or
// ~/.config/user-dirs.dirs); else ~/Music.
std::filesystem::path libraryRoot(const std::optional<std::filesystem::path>& fromCommandLine);

// Opens the folder library at `root`: first finishes or rolls back what an
// interrupted write left under the root (fileio::recoverAfterCrash), then
// returns the application. Never null.
std::shared_ptr<Application> openFolderLibrary(const std::filesystem::path& root);

// Registers the folder library at `root` for kMusicApplicationIdentifier; the
// library is opened anew at each lookup, and those libraries name each
// unreadable file once between them. Returns the factory it replaces.
ApplicationFactory registerFolderLibrary(const std::filesystem::path& root);

} // namespace yomi::bridge::folder
