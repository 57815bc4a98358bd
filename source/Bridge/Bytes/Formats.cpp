#include "Bridge/Bytes/Formats.h"

#include <array>
#include <utility>

namespace yomi::bridge::folder {
namespace {

constexpr std::pair<std::string_view, Format> kExtensions[] = {
    {"mp3", Format::Mpeg},  {"mp2", Format::Mpeg},   {"m4a", Format::Mp4},       {"m4b", Format::Mp4},
    {"m4p", Format::Mp4},   {"m4r", Format::Mp4},    {"m4v", Format::Mp4},       {"mp4", Format::Mp4},
    {"3g2", Format::Mp4},   {"flac", Format::Flac},  {"ogg", Format::OggVorbis}, {"oga", Format::OggAudio},
    {"opus", Format::Opus}, {"spx", Format::Speex},  {"wav", Format::Wav},       {"aif", Format::Aiff},
    {"aiff", Format::Aiff}, {"afc", Format::Aiff},   {"aifc", Format::Aiff},     {"tta", Format::TrueAudio},
    {"ape", Format::Ape},   {"wv", Format::WavPack}, {"mpc", Format::Musepack},  {"wma", Format::Asf},
    {"asf", Format::Asf},   {"mod", Format::Mod},    {"module", Format::Mod},    {"nst", Format::Mod},
    {"wow", Format::Mod},   {"s3m", Format::S3m},    {"it", Format::It},         {"xm", Format::Xm},
};

// Every property: its bridge key and its TagLib name; for a text property
// also where the tags that do not use the TagLib name keep it: the ID3v2
// frame, the MP4 item (\251 is the copyright sign), the ASF attribute.
struct PropertyRow {
    std::string_view key;
    Property property;
    std::string_view name, id3, mp4, asf;
};

constexpr PropertyRow kProperties[] = {
    {"artist", Property::Artist, "ARTIST", "TPE1", "\251ART", "Author"},
    {"sortArtist", Property::SortArtist, "ARTISTSORT", "TSOP", "soar", "WM/ArtistSortOrder"},
    {"album", Property::Album, "ALBUM", "TALB", "\251alb", "WM/AlbumTitle"},
    {"sortAlbum", Property::SortAlbum, "ALBUMSORT", "TSOA", "soal", "WM/AlbumSortOrder"},
    {"albumArtist", Property::AlbumArtist, "ALBUMARTIST", "TPE2", "aART", "WM/AlbumArtist"},
    {"sortAlbumArtist", Property::SortAlbumArtist, "ALBUMARTISTSORT", "TSO2", "soaa", "WM/AlbumArtistSortOrder"},
    {"composer", Property::Composer, "COMPOSER", "TCOM", "\251wrt", "WM/Composer"},
    {"sortComposer", Property::SortComposer, "COMPOSERSORT", "TSOC", "soco", ""},
    {"name", Property::Title, "TITLE", "TIT2", "\251nam", "Title"},
    {"sortName", Property::SortTitle, "TITLESORT", "TSOT", "sonm", "WM/TitleSortOrder"},
    {"show", Property::Show, "TVSHOW", "TXXX", "tvsh", ""},
    {"sortShow", Property::SortShow, "SHOWSORT", "TXXX", "sosn", ""},
    {"podcast", Property::Podcast, "PODCAST", "", "", ""},
    {"videoKind", Property::VideoKind, "", "", "", ""},
};

constexpr std::string_view kId3ArtistSort[] = {"ARTISTSORT"};
constexpr std::string_view kId3AlbumSort[] = {"ALBUMSORT"};
constexpr std::string_view kId3AlbumArtistSort[] = {"ALBUMARTISTSORT", "ALBUM ARTIST SORT"};
constexpr std::string_view kId3ComposerSort[] = {"COMPOSERSORT"};
constexpr std::string_view kId3TitleSort[] = {"TITLESORT"};
constexpr std::string_view kVorbisAlbumArtistSort[] = {"ALBUM ARTIST SORT"};

} // namespace

std::span<const std::string_view> id3LegacyDescriptions(Property p)
{
    switch (p) {
    case Property::SortArtist:
        return kId3ArtistSort;
    case Property::SortAlbum:
        return kId3AlbumSort;
    case Property::SortAlbumArtist:
        return kId3AlbumArtistSort;
    case Property::SortComposer:
        return kId3ComposerSort;
    case Property::SortTitle:
        return kId3TitleSort;
    default:
        return {};
    }
}

std::span<const std::string_view> vorbisLegacyNames(Property p)
{
    if (p == Property::SortAlbumArtist)
        return kVorbisAlbumArtistSort;
    return {};
}

std::string_view id3FrameId(Property p) { return kProperties[static_cast<int>(p)].id3; }

std::string_view mp4ItemName(Property p) { return kProperties[static_cast<int>(p)].mp4; }

std::string_view asfAttributeName(Property p) { return kProperties[static_cast<int>(p)].asf; }

std::optional<Format> formatForName(std::string_view fileName)
{
    const auto dot = fileName.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == fileName.size())
        return std::nullopt;
    const std::string_view ext = fileName.substr(dot + 1);
    if (ext.size() > 6)
        return std::nullopt;
    std::array<char, 6> lower{};
    for (std::size_t i = 0; i < ext.size(); ++i) {
        const char c = ext[i];
        lower[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    const std::string_view folded(lower.data(), ext.size());
    for (const auto& [e, format] : kExtensions) {
        if (e == folded)
            return format;
    }
    return std::nullopt;
}

std::optional<Property> propertyForKey(std::string_view key)
{
    for (const auto& row : kProperties) {
        if (row.key == key)
            return row.property;
    }
    return std::nullopt;
}

std::string_view propertyName(Property p) { return kProperties[static_cast<int>(p)].name; }

} // namespace yomi::bridge::folder
