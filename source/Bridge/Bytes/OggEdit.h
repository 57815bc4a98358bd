// Editing one field of an Ogg Vorbis, Opus, Speex or Ogg FLAC comment, byte
// for byte.
//
// TagLib decodes every comment entry as UTF-8 and renders the comment again:
// an entry in Latin-1 (old rips) would be mangled, so such a file could not
// be written; it also ends a Speex comment with a framing byte Speex does not
// have, and clears the last-block flag of an Ogg FLAC comment block. Here the
// one field changes, every other entry keeps its bytes
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
// Nullopt for a file this code does not edit (not Vorbis, Opus, Speex or Ogg
// FLAC with its header packets counted, more than one logical stream, header
// packets that share a page with audio); a failure, with the reason, when the
// pages or the comment do not parse, or an Ogg FLAC stream has no comment.
Result<std::optional<std::string>> setField(const std::string& bytes, std::string_view name, std::string_view value);

} // namespace yomi::bridge::folder::ogg
