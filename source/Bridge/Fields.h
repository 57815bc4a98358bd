// The six fields whose sort values yomi fills, in the order every part of the
// program numbers them (the field tag, the window's chooser, the index
// columns): the track property whose values are listed, the one that receives
// the sort value, and the field's name on the command line.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace yomi {

struct FieldKeys {
    std::string_view valueKey;
    std::string_view sortKey;
    std::string_view cliName;
};

inline constexpr std::array<FieldKeys, 6> kFieldTable{{
    {"artist", "sortArtist", "artist"},
    {"album", "sortAlbum", "album"},
    {"albumArtist", "sortAlbumArtist", "album-artist"},
    {"composer", "sortComposer", "composer"},
    {"name", "sortName", "name"},
    {"show", "sortShow", "show"},
}};

// Tags 0..5: artist, album, album artist, composer, name, show. Any other tag
// has no row.
constexpr std::optional<FieldKeys> fieldForTag(std::int32_t tag)
{
    if (tag < 0 || tag >= static_cast<std::int32_t>(kFieldTable.size()))
        return std::nullopt;
    return kFieldTable[static_cast<std::size_t>(tag)];
}

} // namespace yomi
