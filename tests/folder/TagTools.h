// Tagging and reading test files with independent tools: python3-mutagen
// writes the fixtures' tags and reads the frames back by their raw names, and
// TagLib reads the audio properties.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace yomi::test {

// Tags a file with mutagen. Keys are the TagLib property names of the folder
// library (ARTIST, ARTISTSORT, ..., TVSHOW, SHOWSORT), mapped to each format's
// standard frames; besides them:
//   TXXX:DESC     an ID3v2 user text frame of that description, its values
//                 separated by '|' (older taggers' spellings)
//   @id3=3        save an ID3v2 tag as v2.3 (default v2.4)
//   @v1=1         add an ID3v1 tag too (MP3)
//   @picture=1    add a small front-cover picture
//   @picture=N    the same picture, its data padded with zeros to N bytes
//   @podcast=1    mark as podcast (ID3 PCST, MP4 pcst, Xiph PODCAST=1)
//   @stik=N       MP4 media kind
// Fails the current test when mutagen fails.
void tagWithMutagen(const std::filesystem::path& file, const std::map<std::string, std::string>& tags);

// The tags as mutagen reads them: raw frame names ("TSOP", "TXXX:SHOWSORT",
// "soaa", "\xC2\xA9ART", "ARTISTSORT", "WM/ArtistSortOrder") to their first
// value; "@id3version" ("2.3"), "@pictures" (count) and "@format" (mutagen's
// class name) besides. Fails the current test when mutagen cannot read it.
std::map<std::string, std::string> readWithMutagen(const std::filesystem::path& file);

// Audio properties as TagLib reads them from the file.
struct AudioInfo {
    int lengthMs = -1, bitrate = -1, sampleRate = -1, channels = -1;
    bool operator==(const AudioInfo&) const = default;
};
AudioInfo audioInfo(const std::filesystem::path& file);

// Whether the last 128 bytes of a file are an ID3v1 tag.
bool hasId3v1(const std::filesystem::path& file);

// The Ogg file with the checksum of every page computed again (after a test
// changed bytes in place); other bytes as they are.
std::string withOggChecksums(std::string bytes);

} // namespace yomi::test
