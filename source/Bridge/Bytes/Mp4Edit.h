// Editing one text item of an MP4 file's item list (moov/udta/meta/ilst) in
// place, byte for byte.
//
// TagLib renders the whole list again from its item map, which is sorted by
// name: every other item comes back in another order. Here the one item
// changes and every other item keeps its bytes and its place.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Platform/Result.h"

namespace yomi::bridge::folder::mp4 {

// The file with the item `type` (its four bytes, "soar", "\251ART") set to
// the UTF-8 text `value`: the first item of that type is replaced in its
// place by one holding a single UTF-8 data box (later items of that type go),
// or the item is added at the end of the list. A free box right after the
// list gives or takes the change in size while it can; otherwise the boxes
// around the list (ilst, meta, udta, moov) take it, and every chunk offset
// (stco, co64) that points past the moov box moves with the data.
//
// Nullopt when the file has no item list (TagLib makes one; there is no
// order to keep), holds movie fragments (moof), whose offsets this editor
// does not follow, or a box other than the media data without a size (one
// that runs to the end of what holds it); a failure, with the reason, when
// the boxes do not parse (every box, table and item the proof reads is read
// here first), a chunk offset points inside the moov box, or a size or an
// offset would not fit its field.
Result<std::optional<std::string>> setText(const std::string& bytes, std::string_view type, std::string_view value);

} // namespace yomi::bridge::folder::mp4
