// Proof, on the bytes, that an edited copy of an audio file differs from the
// original only in the one property written. Small read-only parsers of each
// format's tag container, independent of TagLib, with every size checked
// against its parent and the file and every nesting bounded.
//
// The proof reads the containers with the format facts of Bytes/Containers.h
// and the byte reader, and never calls an editor. It names the items a write
// may change from a table of its own (writtenItems), not from the names the
// editors and the reads use (Bytes/Formats.h): were the two one table, a
// wrong name there would make an editor write the wrong item and the proof
// let exactly that item change. Apart, such a mistake makes every write of
// that property refuse; a test holds the two tables against each other. The
// layout facts are shared, since a mistake in one of them breaks the parse
// of every real file, which the tests read.
#pragma once

#include <set>
#include <string>
#include <string_view>

#include "Bridge/Bytes/Formats.h"
#include "Platform/Result.h"

namespace yomi::bridge::folder {

// Succeeds when `after` holds the same audio data as `before` (the same
// bytes, or for Ogg the same packets, for MP4 the same media data with every
// chunk offset moved with the byte it points at) and, inside the tag, the
// same items as `before` except those of `written`; otherwise fails with why
// not, for the failure line.
//
// Differences allowed, and only these: the items of `written`; padding (its
// size and bytes); the tag's header fields that follow its size or version;
// the order of items of different names (TagLib renders its item maps
// sorted), except in MP4, whose other items keep their order; the case of
// Vorbis comment and APE item names; a tag the file did
// not have may start with values copied from the file's other tags. Neither
// input is trusted: any size, count or nesting that does not fit is a refusal.
// With legacyToo, the older spellings of the property (legacyItems) may
// change as well, and nothing else.
Status proveEdit(Format format, std::string_view before, std::string_view after, Property written,
                 bool legacyToo = false);

// The items a write of `property` may change in a file of `format`, as the
// proof names them: an ID3v2 frame by its ID ("TXXX:<DESCRIPTION>" for a
// user text frame), an MP4 item by its type, a Vorbis comment or APE field by
// its name in upper case, an ASF descriptor by its name and a content
// description field as "CD:<field>". Empty for a property the format has no
// item for, and for the tracker modules (whose title the proof finds by its
// place).
std::set<std::string> writtenItems(Format format, Property property);

// The items older taggers kept a sort property under, named as writtenItems
// names them ("TXXX:ALBUMARTISTSORT", the Vorbis "ALBUM ARTIST SORT"); a
// write that brings them to its value lets them change too. Empty for the
// formats and properties without such spellings.
std::set<std::string> legacyItems(Format format, Property property);

} // namespace yomi::bridge::folder
