// Proof, on the bytes, that an edited copy of an audio file differs from the
// original only in the one property written. Small read-only parsers of each
// format's tag container, independent of TagLib, with every size checked
// against its parent and the file and every nesting bounded.
#pragma once

#include <string>
#include <string_view>

#include "Bridge/Bytes/Formats.h"

namespace yomi::bridge::folder {

// "" when `after` holds the same audio data as `before` (the same bytes, or
// for Ogg the same packets, for MP4 the same media data with every chunk
// offset moved by one delta) and, inside the tag, the same items as `before`
// except those of `written`; otherwise why not, for the failure line.
//
// Differences allowed, and only these: the items of `written`; padding (its
// size and bytes); the tag's header fields that follow its size or version;
// the order of items of different names (TagLib renders its item maps
// sorted); the case of Vorbis comment and APE item names; a tag the file did
// not have may start with values copied from the file's other tags. Neither
// input is trusted: any size, count or nesting that does not fit is a refusal.
std::string proveEdit(Format format, std::string_view before, std::string_view after, Property written);

} // namespace yomi::bridge::folder
