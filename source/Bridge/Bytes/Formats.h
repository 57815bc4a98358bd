// The audio formats and track properties of the folder library, without any
// TagLib type, so that the walk and the write path can name them; and the
// names each kind of tag keeps the properties under, as the reads and the
// editors use them. The byte proof keeps its own (see Proof/ByteProof.h).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace yomi::bridge::folder {

// One TagLib file class per entry, chosen by the file's extension.
enum class Format {
    Mpeg,      // mp3, mp2 (ID3v2, ID3v1, APE)
    Mp4,       // m4a, m4b, m4p, m4r, m4v, mp4, 3g2
    Flac,      // flac (Xiph comment; ID3v2/ID3v1 kept as they are)
    OggVorbis, // ogg
    OggAudio,  // oga: Ogg FLAC, else Ogg Vorbis
    Opus,      // opus
    Speex,     // spx
    Wav,       // wav (ID3v2 chunk, RIFF INFO)
    Aiff,      // aif, aiff, afc, aifc (ID3v2 chunk)
    TrueAudio, // tta (ID3v2, ID3v1)
    Ape,       // ape (APE, ID3v1)
    WavPack,   // wv (APE, ID3v1)
    Musepack,  // mpc (APE, ID3v1)
    Asf,       // wma, asf
    Mod,       // mod, module, nst, wow
    S3m,       // s3m
    It,        // it
    Xm,        // xm
};

// The format for a file name, by its extension (ASCII case-insensitive);
// nullopt when TagLib 1.13 handles no such extension. A name that is only an
// extension (".mp3") has none.
std::optional<Format> formatForName(std::string_view fileName);

// The properties a track answers.
enum class Property {
    Artist,
    SortArtist,
    Album,
    SortAlbum,
    AlbumArtist,
    SortAlbumArtist,
    Composer,
    SortComposer,
    Title,
    SortTitle,
    Show,
    SortShow,
    Podcast,
    VideoKind,
};

inline constexpr int kTextPropertyCount = 12; // Artist .. SortShow

// The property of a bridge key ("sortArtist", "podcast", ...); nullopt for
// keys the folder library does not know.
std::optional<Property> propertyForKey(std::string_view key);

constexpr bool isTextProperty(Property p) { return static_cast<int>(p) < kTextPropertyCount; }

// The TagLib property name of a text property ("ARTISTSORT", "TVSHOW", ...).
std::string_view propertyName(Property p);

// The ID3v2 frame ID of a text property; both show properties are TXXX frames
// told apart by their description, the property name.
std::string_view id3FrameId(Property p);

// The MP4 item of a text property ("\251ART", "soar", ...).
std::string_view mp4ItemName(Property p);

// The ASF attribute of a text property, as TagLib names it: "Title" and
// "Author" are fields of the content description object, the others
// descriptors of the extended content description object
// ("WM/ArtistSortOrder"); empty for the properties ASF has no attribute for
// (composer sort, show, show sort).
std::string_view asfAttributeName(Property p);

// The other spellings older taggers keep a sort property under, besides the
// one every write uses: ID3v2 user text frames by their description (TXXX
// ALBUMARTISTSORT where TSO2 belongs) and Vorbis comment fields ("ALBUM
// ARTIST SORT"). A read takes them as the sort value where the usual item is
// missing; a write updates those that hold another value. Empty for the
// other properties.
std::span<const std::string_view> id3LegacyDescriptions(Property p);
std::span<const std::string_view> vorbisLegacyNames(Property p);

// Video kinds for a video track (an audio-only file is kVideoKindNone).
inline constexpr std::int32_t kVideoKindMovie = 0x6B56644D;      // 'kVdM'
inline constexpr std::int32_t kVideoKindMusicVideo = 0x6B566456; // 'kVdV'
inline constexpr std::int32_t kVideoKindTVShow = 0x6B566454;     // 'kVdT'

} // namespace yomi::bridge::folder
