// Editing one field of an Ogg Vorbis or Opus comment, byte for byte.
//
// TagLib decodes every comment entry as UTF-8 and renders the comment again:
// an entry in Latin-1 (old rips) would be mangled, so such a file could not
// be written. Here the one field changes, every other entry keeps its bytes
// and place, and only the pages that carry the comment are made again.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Platform/Result.h"

namespace yomi::bridge::folder::ogg {

// The file with the field `name` (upper-case ASCII) set to `value` (UTF-8),
// the comment edited as flac::setField edits it. The header packets after
// the first (the comment, and Vorbis's setup packet) are paged anew; every
// later page of the stream keeps its bytes but its sequence number, moved by
// the change in the number of header pages, and its checksum made again.
// Nullopt for a file this code does not edit (not Vorbis or Opus, more than
// one logical stream, header packets that share a page with audio); a
// failure, with the reason, when the pages or the comment do not parse.
Result<std::optional<std::string>> setField(const std::string& bytes, std::string_view name, std::string_view value);

} // namespace yomi::bridge::folder::ogg
