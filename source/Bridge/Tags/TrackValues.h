// What one read of an audio file found, as plain values: the file's version
// and the properties a track answers, without any TagLib object. Made by a
// parse, or taken from the library index while the file is unchanged.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Bridge/Bytes/Formats.h"
#include "Platform/Text.h"
#include "Storage/FileIdentity.h"

namespace yomi::bridge::folder {

struct TrackValues {
    // The version of the file that was read; nullopt when it could not be
    // opened (openError says why) or is no regular file.
    std::optional<fileio::FileIdentity> identity;
    std::string openError; // also why a file that opened could not be read
    // False for a file that opened but did not parse: every property is
    // then absent.
    bool readable = false;
    OptString texts[kTextPropertyCount]; // nullopt: absent
    // The values of each sort property in older taggers' spellings
    // (TagFile::legacyTexts), distinct, in the tag's order.
    std::vector<String> legacy[kTextPropertyCount];
    bool podcast = false;
    std::int32_t videoKind = 0;

    bool operator==(const TrackValues&) const = default;
};

// The legacy values of a read as one text, for the library index, and back;
// unpacking fails (false, nothing set) for a text that packing cannot have
// made.
String packLegacy(const TrackValues& values);
bool unpackLegacy(std::u16string_view packed, TrackValues& values);

// Opens and parses the file (tags only). Safe to call from several threads
// at once for different files.
TrackValues readTrack(const std::string& path, Format format);

// How many times this process has called readTrack (tests and benchmarks
// tell parses from index rows by it).
std::uint64_t tracksRead();

// The version of the file at the path, following symbolic links; nullopt
// when it cannot be read or is no regular file.
std::optional<fileio::FileIdentity> statFile(const std::string& path);

} // namespace yomi::bridge::folder
