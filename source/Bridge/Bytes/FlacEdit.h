// Editing one field of a FLAC file's Vorbis comment in place, byte for byte.
//
// TagLib decodes every comment entry as UTF-8 and renders the comment again,
// sorted by name: an entry in Latin-1 (old rips) is mangled, the order lost.
// Here the one field changes and every other entry keeps its bytes and place.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Platform/Result.h"

namespace yomi::bridge::folder::flac {

// The file with the field `name` (upper-case ASCII) set to `value` (UTF-8):
// the first entry of that name, in any case, takes the new value under its
// own spelling, later entries of that name go, or the entry is added at the
// end. The padding block gives or takes the change in size while it can;
// otherwise the frames move, which FLAC allows (nothing points at them by
// position). Nullopt when the file has no Vorbis comment block; a failure,
// with the reason, when its blocks do not parse.
Result<std::optional<std::string>> setField(const std::string& bytes, std::string_view name, std::string_view value);

// A Vorbis comment (vendor, entries and whatever follows them, such as Ogg
// Vorbis's framing byte) with the field set as setField sets it; nullopt
// when the comment does not parse.
std::optional<std::string> editComment(std::string_view comment, std::string_view name, std::string_view value);

} // namespace yomi::bridge::folder::flac
