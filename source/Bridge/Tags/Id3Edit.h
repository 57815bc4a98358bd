// Editing one text frame of an ID3v2.3 or v2.4 tag in place, byte for byte.
//
// TagLib 1.13 writes ID3v2.3 only by downgrading its v2.4 model, which drops
// the TSOP, TSOA and TSOT frames (among others), and renders every frame of a
// v2.4 tag again; so a tag is edited here at the frame level instead: the one
// frame changes, every other frame, the header flags and the audio keep their
// bytes.
#pragma once

#include <optional>
#include <string>

#include <taglib/tstring.h>

#include "Bridge/Bytes/Formats.h"
#include "Platform/Result.h"

namespace yomi::bridge::folder::id3 {

// True when `bytes` start with an ID3v2.3 or v2.4 tag.
bool startsWithTag(const std::string& bytes);

// The file with the first frame of the property set to `value` (a frame added
// after the last one when there is none). The tag keeps its size while the
// frames fit in it with the padding, and grows by the frames plus 1 KiB of
// padding otherwise. Fails, with the reason, for a tag this code does not
// edit: unsynchronised, with an extended header or a footer, or malformed.
// With legacyToo, every user text frame that spells the property as older
// taggers did (id3LegacyDescriptions) takes the value too, in its place and
// under its own description; none is added.
Result<std::string> setText(const std::string& bytes, Property property, const TagLib::String& value,
                            bool legacyToo = false);

// The same edit of the tag in the ID3v2 chunk of a RIFF WAVE (`aiff` false)
// or AIFF file; the chunk and the file's sizes follow, every other chunk keeps
// its bytes. Nullopt when the file has no such chunk or the tag in it is of
// another version; a failure, with the reason, when it cannot be edited.
Result<std::optional<std::string>> setTextInChunk(const std::string& bytes, bool aiff, Property property,
                                                  const TagLib::String& value, bool legacyToo = false);

} // namespace yomi::bridge::folder::id3
