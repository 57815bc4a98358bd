// Editing one text attribute of an ASF (WMA) header in place, byte for byte.
//
// TagLib renders every attribute again and always writes a content
// description with empty copyright and description fields; so the header is
// edited here instead: the one field or descriptor changes, every other
// header object and the data keep their bytes.
#pragma once

#include <optional>
#include <string>

#include "Bridge/Bytes/Formats.h"
#include "Platform/Result.h"
#include "Platform/Text.h"

namespace yomi::bridge::folder::asf {

// The file with the property set to `value`: title and artist in the content
// description object (made, with no other field, when missing), the others
// as a string descriptor of the extended content description object (the
// first of that name replaced and the others of that name removed, or one
// added; the object made when missing). Fails, with the reason, for a
// property ASF has no attribute for ("this format cannot hold COMPOSERSORT"),
// a header whose sizes do not fit, or one with either tag object damaged or
// held twice, whichever object the write is to.
Result<std::string> setText(const std::string& bytes, Property property, const String& value);

} // namespace yomi::bridge::folder::asf
