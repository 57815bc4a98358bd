// The pieces the byte proof of each container family shares. Internal to
// ByteProof*.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "Bridge/Bytes/Containers.h"
#include "Bridge/Bytes/Formats.h"
#include "Platform/Result.h"

namespace yomi::bridge::folder::proof {

inline constexpr int kMaxDepth = 32;
inline constexpr std::size_t kMaxItems = 1U << 20;

using bytes::be32;
using bytes::be64;
using bytes::fits;
using bytes::le16;
using bytes::le32;
using bytes::le64;

std::string upperAscii(std::string_view s);

// The names of the items a write may change (see writtenItems).
using Written = std::set<std::string>;

// One item of a tag: the name it is grouped under and its bytes.
struct Item {
    std::string key;
    std::string_view bytes;
};

// Items of every key not in `written` must be the same, in the same order
// within a key, before and after. With `newTag` (the file had no such tag
// before) items `after` adds are allowed. `what` names the tag in the
// reason; `textValue` says whether the items are "NAME=value" text whose
// value must be UTF-8 (Vorbis comments), for a clearer reason.
Status compareItems(const std::vector<Item>& before, const std::vector<Item>& after, const Written& written,
                    std::string_view what, bool newTag = false, bool textValue = false);

// An ID3v2 tag at the start of `b`: its total size (header, frames, padding,
// footer) and its frames as items keyed by frame ID ("TXXX:<DESCRIPTION>" for
// user text frames); fails with the reason it does not parse.
struct Id3Tag {
    std::size_t size = 0;
    int version = 0;
    std::vector<Item> frames;
};
bool startsWithId3(std::string_view b);
Status parseId3(std::string_view b, Id3Tag& tag);

// Compares two ID3v2 tags item by item, frame flags included when both have
// the same version.
Status compareId3(const Id3Tag& before, const Id3Tag& after, const Written& written, bool newTag);

inline const Failure kAudioChanged{"the edit would change the audio data"};

// Parses the file before the edit and the edited one with `parse(bytes,
// layout)`; fails with the reason of the first that does not parse, the
// edited one's as "the edited file: <reason>".
template <typename Layout, typename Parse>
Status parseBoth(std::string_view before, std::string_view after, Layout& was, Layout& is, Parse parse)
{
    if (Status why = parse(before, was); !why)
        return why;
    if (Status why = parse(after, is); !why)
        return Failure{"the edited file: " + why.reason()};
    return {};
}

// parseBoth, then the audio data, which `audio` names in the layout, held
// against each other: the first check of every family whose audio lies
// apart from its tag.
template <typename Layout, typename Parse, typename Audio>
Status parseWithTheSameAudio(std::string_view before, std::string_view after, Layout& was, Layout& is, Parse parse,
                             Audio Layout::*audio)
{
    if (Status parsed = parseBoth(before, after, was, is, parse); !parsed)
        return parsed;
    if (was.*audio != is.*audio)
        return kAudioChanged;
    return {};
}

// The families in their own files.
Status proveXiph(Format format, std::string_view before, std::string_view after, const Written& written);
Status proveMp4(std::string_view before, std::string_view after, const Written& written);

} // namespace yomi::bridge::folder::proof
