// One parse of an audio file through TagLib, and the property table over it.
// Internal to the folder library (the only place that includes TagLib).
#pragma once

#include <taglib/tbytevector.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/tfile.h>
#include <taglib/tiostream.h>
#include <taglib/tpropertymap.h>
#include <taglib/tstring.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <string>
#include <vector>

#include "Bridge/Bytes/Formats.h"
#include "Platform/Result.h"
#include "Platform/Text.h"

namespace TagLib::ID3v2 {
class Tag;
}
namespace TagLib::APE {
class Tag;
}

namespace yomi::bridge::folder {

TagLib::String toTagLib(const String& s);
String fromTagLib(const TagLib::String& s);

// What the write check compares before and after an edit.
struct LegacyText {
    std::string item;
    TagLib::String value;
};

struct TagSnapshot {
    std::optional<TagLib::String> texts[kTextPropertyCount];
    bool podcast = false;
    std::int32_t videoKind = 0;
    TagLib::PropertyMap properties;
    // The older spellings of the property being written (legacyTexts),
    // filled in by the write check.
    std::vector<LegacyText> legacy;
    std::vector<TagLib::ByteVector> pictures;
    int lengthMs = 0, bitrate = 0, sampleRate = 0, channels = 0;
};

// A file's bytes in memory, for a parse that TagLib may edit. TagLib's own
// ByteVectorStream, told to replace bytes that run past its end (a tag whose
// footer points outside the file), moves a negative number of bytes; this
// stream leaves such an insert undone and says so, and TagFile::save fails.
class MemoryStream final : public TagLib::ByteVectorStream {
public:
    explicit MemoryStream(const TagLib::ByteVector& bytes) : TagLib::ByteVectorStream(bytes) {}
    void insert(const TagLib::ByteVector& data, unsigned long start = 0, unsigned long replace = 0) override;
    bool refused() const { return refused_; }

private:
    bool refused_ = false;
};

class TagFile {
public:
    // Parses the stream as the format says; the TagFile owns the stream. Never
    // null; check isValid(). A stream that fails the structural pre-check
    // (Precheck.h) never reaches TagLib: the result is not valid and
    // refusal() says why.
    static std::unique_ptr<TagFile> open(Format format, std::unique_ptr<TagLib::IOStream> stream,
                                         bool readAudioProperties);

    ~TagFile();
    TagFile(const TagFile&) = delete;
    TagFile& operator=(const TagFile&) = delete;

    Format format() const { return format_; }
    bool isValid() const;
    const std::string& refusal() const { return refusal_; }
    TagLib::File& file() { return *file_; }
    TagLib::IOStream& stream() { return *stream_; }

    // A text property: its first value, "" when present but empty, nullopt
    // when absent.
    std::optional<TagLib::String> text(Property p);
    bool podcast();
    std::int32_t videoKind();
    // The values of a sort property in the other spellings older taggers
    // used (Formats.h: id3LegacyDescriptions, vorbisLegacyNames), in the
    // tag's order, every value of an item that holds several, each with the
    // item's name (a user text frame's description as the file spells it,
    // a Vorbis field's name); empty when the file has none.
    std::vector<LegacyText> legacyTexts(Property p);

    // The ID3v2 tag the file's properties come from, when it has one (MP3,
    // WAV, AIFF, TrueAudio).
    TagLib::ID3v2::Tag* id3v2Tag();

    // Sets a text property in the parsed tag (nothing is saved yet); fails
    // with the reason when the format cannot hold it.
    Status setText(Property p, const TagLib::String& value);
    // Sets every legacy spelling of the property the tag already has (none is
    // added) to the value, in the parsed tag.
    void setLegacyTexts(Property p, const TagLib::String& value);
    // Saves the edited tag into the stream: for ID3v2 the tag alone, at
    // version 2.4, nothing stripped, nothing duplicated.
    Status save();

    // Properties, pictures and audio properties, for the write check.
    TagSnapshot snapshot();

private:
    TagFile(Format format, std::unique_ptr<TagLib::IOStream> stream);
    const TagLib::PropertyMap& generic();
    TagLib::ID3v2::Tag* createId3v2Tag();
    // An MP3's APE tag when the file has no ID3v2 tag: a sort value goes
    // there, not into a new ID3v2 tag holding copies of the APE items.
    TagLib::APE::Tag* mpegApeOnly();
    Status setId3Text(Property p, const TagLib::String& value);

    Format format_;
    std::unique_ptr<TagLib::IOStream> stream_; // outlives file_
    std::unique_ptr<TagLib::File> file_;
    std::optional<TagLib::PropertyMap> generic_;
    std::string refusal_;
    bool apeEdited_ = false; // setText went to mpegApeOnly()
};

// True when an MP4 stream holds a track whose media handler (moov/trak/mdia/
// hdlr) is of `handlerType`: "vide" for video, "soun" for sound. A small,
// bounds-checked walk; a malformed box ends it.
bool mp4HasTrack(TagLib::IOStream& stream, std::string_view handlerType);
bool mp4HasVideoTrack(TagLib::IOStream& stream);
// A sound track makes an MP4 file audio, whatever its codec: TagLib 1.13
// reads audio properties of AAC and ALAC only.
bool mp4HasSoundTrack(TagLib::IOStream& stream);

} // namespace yomi::bridge::folder
