#include "Bridge/Tags/TagFile.h"
#include "Bridge/Tags/BlockReadStream.h"
#include "Bridge/Bytes/Precheck.h"
#include "Bridge/MusicLibrary.h"

#include <taglib/aifffile.h>
#include <taglib/apefile.h>
#include <taglib/apeitem.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/asftag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/audioproperties.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/itfile.h>
#include <taglib/modfile.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/mpcfile.h>
#include <taglib/mpegfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/s3mfile.h>
#include <taglib/speexfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/trueaudiofile.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>
#include <taglib/xiphcomment.h>
#include <taglib/xmfile.h>

#include <algorithm>
#include <cstring>

#include "Platform/ByteOrder.h"

namespace yomi::bridge::folder {
namespace {

using TagLib::ByteVector;

// Where a format keeps the properties of the table.
enum class TagKind { Id3v2, Mp4, Xiph, Generic };

TagKind tagKind(Format f)
{
    switch (f) {
    case Format::Mpeg:
    case Format::Wav:
    case Format::Aiff:
    case Format::TrueAudio:
        return TagKind::Id3v2;
    case Format::Mp4:
        return TagKind::Mp4;
    case Format::Flac:
    case Format::OggVorbis:
    case Format::OggAudio:
    case Format::Opus:
    case Format::Speex:
        return TagKind::Xiph;
    default:
        return TagKind::Generic;
    }
}

// The MP4 item of a text property, as TagLib names it (Latin-1: \251 is the
// copyright sign).
TagLib::String mp4Item(Property p) { return TagLib::String(std::string(mp4ItemName(p)), TagLib::String::Latin1); }

bool isShow(Property p) { return p == Property::Show || p == Property::SortShow; }

TagLib::String tagName(Property p) { return TagLib::String(std::string(propertyName(p))); }

std::optional<TagLib::String> firstOf(const TagLib::StringList& values)
{
    if (values.isEmpty())
        return TagLib::String();
    return values.front();
}

// A PODCAST field of a Xiph comment or a generic tag: present and not a
// spelled-out no.
bool truthy(const TagLib::StringList& values)
{
    if (values.isEmpty())
        return false;
    const TagLib::String v = values.front().upper().stripWhiteSpace();
    return !(v.isEmpty() || v == "0" || v == "FALSE" || v == "NO");
}

TagLib::ID3v2::UserTextIdentificationFrame* findUserText(TagLib::ID3v2::Tag* tag, Property p)
{
    return TagLib::ID3v2::UserTextIdentificationFrame::find(tag, tagName(p));
}

std::optional<TagLib::String> readId3(TagLib::ID3v2::Tag* tag, Property p)
{
    if (isShow(p)) {
        const auto* frame = findUserText(tag, p);
        if (!frame)
            return std::nullopt;
        const TagLib::StringList fields = frame->fieldList(); // description, values...
        return fields.size() > 1 ? fields[1] : TagLib::String();
    }
    const auto& map = tag->frameListMap();
    const auto it = map.find(TagLib::ByteVector(id3FrameId(p).data(), 4));
    if (it == map.end() || it->second.isEmpty())
        return std::nullopt;
    if (const auto* text = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(it->second.front()))
        return firstOf(text->fieldList());
    return it->second.front()->toString();
}

// The user text frames of the tag that spell a property the way older
// taggers did (the description compared in upper case).
std::vector<TagLib::ID3v2::UserTextIdentificationFrame*> legacyFrames(TagLib::ID3v2::Tag* tag, Property p)
{
    std::vector<TagLib::ID3v2::UserTextIdentificationFrame*> out;
    const auto names = id3LegacyDescriptions(p);
    if (names.empty())
        return out;
    for (TagLib::ID3v2::Frame* frame : tag->frameList("TXXX")) {
        auto* user = dynamic_cast<TagLib::ID3v2::UserTextIdentificationFrame*>(frame);
        if (!user)
            continue;
        const std::string description = user->description().upper().to8Bit(true);
        if (std::find(names.begin(), names.end(), description) != names.end())
            out.push_back(user);
    }
    return out;
}

std::optional<TagLib::String> readMp4(const TagLib::MP4::Tag* tag, Property p)
{
    // Only find() on the item map: item() on a missing name inserts an empty
    // item that a later save would write out.
    const auto& items = tag->itemMap();
    const auto it = items.find(mp4Item(p));
    if (it == items.end())
        return std::nullopt;
    return firstOf(it->second.toStringList());
}

std::optional<TagLib::String> readXiph(const TagLib::Ogg::XiphComment* tag, Property p)
{
    const auto& fields = tag->fieldListMap();
    const auto it = fields.find(tagName(p));
    if (it == fields.end())
        return std::nullopt;
    return firstOf(it->second);
}

TagLib::ByteVector fingerprint(const TagLib::String& mime, const TagLib::String& description, int type,
                               const ByteVector& data)
{
    ByteVector out = mime.data(TagLib::String::UTF8);
    out.append('\0');
    out.append(description.data(TagLib::String::UTF8));
    out.append('\0');
    out.append(ByteVector::fromUInt(static_cast<unsigned int>(type)));
    out.append(data);
    return out;
}

std::unique_ptr<TagLib::File> makeFile(Format format, TagLib::IOStream* s, bool audio)
{
    using namespace TagLib;
    ID3v2::FrameFactory* frames = ID3v2::FrameFactory::instance();
    switch (format) {
    case Format::Mpeg:
        return std::make_unique<MPEG::File>(s, frames, audio);
    case Format::Mp4:
        return std::make_unique<MP4::File>(s, audio);
    case Format::Flac:
        return std::make_unique<FLAC::File>(s, frames, audio);
    case Format::OggVorbis:
        return std::make_unique<Ogg::Vorbis::File>(s, audio);
    case Format::OggAudio: {
        auto flac = std::make_unique<Ogg::FLAC::File>(s, audio);
        if (flac->isValid())
            return flac;
        flac.reset();
        return std::make_unique<Ogg::Vorbis::File>(s, audio);
    }
    case Format::Opus:
        return std::make_unique<Ogg::Opus::File>(s, audio);
    case Format::Speex:
        return std::make_unique<Ogg::Speex::File>(s, audio);
    case Format::Wav:
        return std::make_unique<RIFF::WAV::File>(s, audio);
    case Format::Aiff:
        return std::make_unique<RIFF::AIFF::File>(s, audio);
    case Format::TrueAudio:
        return std::make_unique<TrueAudio::File>(s, frames, audio);
    case Format::Ape:
        return std::make_unique<APE::File>(s, audio);
    case Format::WavPack:
        return std::make_unique<WavPack::File>(s, audio);
    case Format::Musepack:
        return std::make_unique<MPC::File>(s, audio);
    case Format::Asf:
        return std::make_unique<ASF::File>(s, audio);
    case Format::Mod:
        return std::make_unique<Mod::File>(s, audio);
    case Format::S3m:
        return std::make_unique<S3M::File>(s, audio);
    case Format::It:
        return std::make_unique<IT::File>(s, audio);
    case Format::Xm:
        return std::make_unique<XM::File>(s, audio);
    }
    return nullptr;
}

// Copies up to `count` bytes at `offset` of the stream into `out`; returns
// how many. A block stream copies from its blocks; any other stream is read
// through TagLib's interface.
std::size_t readAt(TagLib::IOStream& s, long long offset, char* out, std::size_t count)
{
    if (auto* blocks = dynamic_cast<BlockReadStream*>(&s))
        return blocks->copy(static_cast<off_t>(offset), out, count);
    s.seek(static_cast<long>(offset));
    const ByteVector data = s.readBlock(static_cast<unsigned long>(count));
    std::copy(data.begin(), data.end(), out);
    return data.size();
}

// MP4 boxes, read through the stream with every size checked against the
// enclosing box.
struct Box {
    long long end = 0;
    long long payload = 0;
    char type[4] = {};

    bool is(const char (&name)[5]) const { return std::memcmp(type, name, 4) == 0; }
};

bool readBox(TagLib::IOStream& s, long long pos, long long limit, Box& box)
{
    if (limit - pos < 8)
        return false;
    char header[16];
    const std::string_view view(header, sizeof header);
    if (readAt(s, pos, header, 8) != 8)
        return false;
    unsigned long long size = bytes::be32(view, 0);
    long long headerSize = 8;
    if (size == 1) {
        if (readAt(s, pos + 8, header + 8, 8) != 8)
            return false;
        size = bytes::be64(view, 8);
        headerSize = 16;
    } else if (size == 0) {
        size = static_cast<unsigned long long>(limit - pos);
    }
    if (size < static_cast<unsigned long long>(headerSize) || size > static_cast<unsigned long long>(limit - pos))
        return false;
    box.end = pos + static_cast<long long>(size);
    box.payload = pos + headerSize;
    std::memcpy(box.type, header + 4, 4);
    return true;
}

// Calls `visit` on each child box of [begin, end) until it returns true.
template <typename Visit>
bool anyChild(TagLib::IOStream& s, long long begin, long long end, Visit&& visit)
{
    constexpr int kMaxBoxes = 100000;
    long long pos = begin;
    for (int n = 0; pos < end && n < kMaxBoxes; ++n) {
        Box box;
        if (!readBox(s, pos, end, box))
            return false;
        if (visit(box))
            return true;
        pos = box.end;
    }
    return false;
}

// The pre-check's view of a TagLib stream.
class StreamSource final : public ByteSource {
public:
    explicit StreamSource(TagLib::IOStream& s) : s_(s) {}
    std::uint64_t size() override { return static_cast<std::uint64_t>(std::max(0L, s_.length())); }
    std::size_t read(std::uint64_t offset, char* out, std::size_t count) override
    {
        return readAt(s_, static_cast<long long>(offset), out, count);
    }

private:
    TagLib::IOStream& s_;
};

} // namespace

TagLib::String toTagLib(const String& s)
{
    // TagLib 1.x keeps UTF-16 code units in its wide string, surrogate pairs
    // included, so the units are copied as they are.
    return TagLib::String(std::wstring(s.begin(), s.end()));
}

String fromTagLib(const TagLib::String& s)
{
    String out;
    out.reserve(s.size());
    for (const wchar_t c : s)
        out.push_back(static_cast<char16_t>(c));
    return out;
}

bool mp4HasVideoTrack(TagLib::IOStream& s) { return mp4HasTrack(s, "vide"); }

bool mp4HasSoundTrack(TagLib::IOStream& s) { return mp4HasTrack(s, "soun"); }

bool mp4HasTrack(TagLib::IOStream& s, std::string_view handlerType)
{
    const long long length = s.length();
    const bool found = anyChild(s, 0, length, [&](const Box& moov) {
        if (!moov.is("moov"))
            return false;
        return anyChild(s, moov.payload, moov.end, [&](const Box& trak) {
            if (!trak.is("trak"))
                return false;
            return anyChild(s, trak.payload, trak.end, [&](const Box& mdia) {
                if (!mdia.is("mdia"))
                    return false;
                return anyChild(s, mdia.payload, mdia.end, [&](const Box& hdlr) {
                    // version/flags (4), pre_defined (4), handler type (4)
                    char handler[4];
                    return hdlr.is("hdlr") && hdlr.end - hdlr.payload >= 12 &&
                        readAt(s, hdlr.payload + 8, handler, 4) == 4 &&
                        std::string_view(handler, 4) == handlerType;
                });
            });
        });
    });
    s.clear();
    return found;
}

TagFile::TagFile(Format format, std::unique_ptr<TagLib::IOStream> stream) : format_(format), stream_(std::move(stream))
{
}

TagFile::~TagFile() = default;

std::unique_ptr<TagFile> TagFile::open(Format format, std::unique_ptr<TagLib::IOStream> stream,
                                       bool readAudioProperties)
{
    std::unique_ptr<TagFile> tf(new TagFile(format, std::move(stream)));
    if (!tf->stream_ || !tf->stream_->isOpen())
        return tf;
    StreamSource source(*tf->stream_);
    if (const Status checked = precheck(format, source); !checked)
        tf->refusal_ = checked.reason();
    tf->stream_->clear();
    tf->stream_->seek(0);
    if (!tf->refusal_.empty())
        return tf;
    tf->file_ = makeFile(format, tf->stream_.get(), readAudioProperties);
    if (format == Format::Mpeg && tf->isValid() && !readAudioProperties) {
        // Without audio properties TagLib takes any file for MPEG audio; one
        // without a tag must at least hold an MPEG frame.
        auto& mpeg = static_cast<TagLib::MPEG::File&>(*tf->file_);
        if (!mpeg.hasID3v2Tag() && !mpeg.hasAPETag() && !mpeg.hasID3v1Tag() && mpeg.firstFrameOffset() < 0)
            tf->file_.reset();
    }
    return tf;
}

bool TagFile::isValid() const { return file_ && file_->isValid(); }

const TagLib::PropertyMap& TagFile::generic()
{
    if (!generic_)
        generic_ = file_->properties();
    return *generic_;
}

TagLib::ID3v2::Tag* TagFile::id3v2Tag()
{
    using namespace TagLib;
    switch (format_) {
    case Format::Mpeg: {
        auto& f = static_cast<MPEG::File&>(*file_);
        return f.hasID3v2Tag() ? f.ID3v2Tag() : nullptr;
    }
    case Format::Wav: {
        auto& f = static_cast<RIFF::WAV::File&>(*file_);
        return f.hasID3v2Tag() ? f.ID3v2Tag() : nullptr;
    }
    case Format::Aiff: {
        auto& f = static_cast<RIFF::AIFF::File&>(*file_);
        return f.hasID3v2Tag() ? f.tag() : nullptr;
    }
    case Format::TrueAudio: {
        auto& f = static_cast<TrueAudio::File&>(*file_);
        return f.hasID3v2Tag() ? f.ID3v2Tag() : nullptr;
    }
    default:
        return nullptr;
    }
}

namespace {

TagLib::Ogg::XiphComment* xiphOf(Format format, TagLib::File& file, bool create)
{
    if (format == Format::Flac)
        return static_cast<TagLib::FLAC::File&>(file).xiphComment(create);
    return dynamic_cast<TagLib::Ogg::XiphComment*>(file.tag());
}

// The APE tag of the formats whose properties come from one, when the file
// has it.
TagLib::APE::Tag* apeTag(Format format, TagLib::File& file)
{
    switch (format) {
    case Format::Ape:
        return static_cast<TagLib::APE::File&>(file).APETag(false);
    case Format::WavPack:
        return static_cast<TagLib::WavPack::File&>(file).APETag(false);
    case Format::Musepack:
        return static_cast<TagLib::MPC::File&>(file).APETag(false);
    default:
        return nullptr;
    }
}

// Picture fingerprints, for the write check: the ID3v2 tag's APIC frames...
void addId3Pictures(TagLib::ID3v2::Tag& tag, std::vector<TagLib::ByteVector>& pictures)
{
    for (const TagLib::ID3v2::Frame* frame : tag.frameList("APIC")) {
        if (const auto* apic = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame))
            pictures.push_back(fingerprint(apic->mimeType(), apic->description(), apic->type(), apic->picture()));
    }
}

void addFlacPictures(const TagLib::List<TagLib::FLAC::Picture*>& list, std::vector<TagLib::ByteVector>& pictures)
{
    for (const TagLib::FLAC::Picture* pic : list)
        pictures.push_back(fingerprint(pic->mimeType(), pic->description(), pic->type(), pic->data()));
}

void addMp4Pictures(TagLib::MP4::File& file, std::vector<TagLib::ByteVector>& pictures)
{
    const TagLib::MP4::Tag* tag = file.tag();
    if (!tag)
        return;
    const auto it = tag->itemMap().find("covr");
    if (it == tag->itemMap().end())
        return;
    for (const TagLib::MP4::CoverArt& art : it->second.toCoverArtList())
        pictures.push_back(fingerprint(TagLib::String(), TagLib::String(), art.format(), art.data()));
}

void addAsfPictures(TagLib::ASF::File& file, std::vector<TagLib::ByteVector>& pictures)
{
    const TagLib::ASF::Tag* tag = file.tag();
    if (!tag)
        return;
    const auto it = tag->attributeListMap().find("WM/Picture");
    if (it == tag->attributeListMap().end())
        return;
    for (const TagLib::ASF::Attribute& attr : it->second) {
        const TagLib::ASF::Picture pic = attr.toPicture();
        pictures.push_back(fingerprint(pic.mimeType(), pic.description(), pic.type(), pic.picture()));
    }
}

// ...and those the format keeps elsewhere (binary APE items count as
// pictures).
void addFormatPictures(Format format, TagLib::File& file, std::vector<TagLib::ByteVector>& pictures)
{
    switch (format) {
    case Format::Mp4:
        addMp4Pictures(static_cast<TagLib::MP4::File&>(file), pictures);
        break;
    case Format::Flac:
        addFlacPictures(static_cast<TagLib::FLAC::File&>(file).pictureList(), pictures);
        break;
    case Format::OggVorbis:
    case Format::OggAudio:
    case Format::Opus:
    case Format::Speex:
        if (auto* tag = xiphOf(format, file, false))
            addFlacPictures(tag->pictureList(), pictures);
        break;
    case Format::Asf:
        addAsfPictures(static_cast<TagLib::ASF::File&>(file), pictures);
        break;
    case Format::Ape:
    case Format::WavPack:
    case Format::Musepack: {
        const TagLib::APE::Tag* tag = nullptr;
        if (format == Format::Ape)
            tag = static_cast<TagLib::APE::File&>(file).APETag(false);
        else if (format == Format::WavPack)
            tag = static_cast<TagLib::WavPack::File&>(file).APETag(false);
        else
            tag = static_cast<TagLib::MPC::File&>(file).APETag(false);
        if (tag) {
            for (const auto& [key, item] : tag->itemListMap()) {
                if (item.type() == TagLib::APE::Item::Binary)
                    pictures.push_back(fingerprint(key, TagLib::String(), 0, item.binaryData()));
            }
        }
        break;
    }
    default:
        break;
    }
}

} // namespace

std::optional<TagLib::String> TagFile::text(Property p)
{
    if (!isValid() || !isTextProperty(p))
        return std::nullopt;
    switch (tagKind(format_)) {
    case TagKind::Id3v2:
        if (auto* tag = id3v2Tag())
            return readId3(tag, p);
        break;
    case TagKind::Mp4:
        if (auto* tag = static_cast<TagLib::MP4::File&>(*file_).tag())
            return readMp4(tag, p);
        return std::nullopt;
    case TagKind::Xiph:
        if (auto* tag = xiphOf(format_, *file_, false))
            return readXiph(tag, p);
        break;
    case TagKind::Generic:
        break;
    }
    const auto& map = generic();
    const auto it = map.find(tagName(p));
    if (it == map.end())
        return std::nullopt;
    return firstOf(it->second);
}

std::vector<LegacyText> TagFile::legacyTexts(Property p)
{
    std::vector<LegacyText> out;
    if (!isValid() || !isTextProperty(p))
        return out;
    if (tagKind(format_) == TagKind::Id3v2) {
        if (auto* tag = id3v2Tag())
            for (const auto* frame : legacyFrames(tag, p)) {
                const TagLib::StringList fields = frame->fieldList(); // description, values...
                const std::string item = frame->description().to8Bit(true);
                for (auto it = std::next(fields.begin()); it != fields.end(); ++it)
                    out.push_back(LegacyText{item, *it});
                if (fields.size() < 2)
                    out.push_back(LegacyText{item, TagLib::String()});
            }
    } else if (tagKind(format_) == TagKind::Xiph) {
        if (auto* tag = xiphOf(format_, *file_, false))
            for (const std::string_view name : vorbisLegacyNames(p)) {
                const auto it = tag->fieldListMap().find(TagLib::String(std::string(name)));
                if (it != tag->fieldListMap().end())
                    for (const TagLib::String& value : it->second)
                        out.push_back(LegacyText{std::string(name), value});
            }
    }
    return out;
}

void TagFile::setLegacyTexts(Property p, const TagLib::String& value)
{
    if (!isValid() || !isTextProperty(p))
        return;
    generic_.reset();
    if (tagKind(format_) == TagKind::Id3v2) {
        if (auto* tag = id3v2Tag())
            for (auto* frame : legacyFrames(tag, p))
                frame->setText(value);
    } else if (tagKind(format_) == TagKind::Xiph) {
        if (auto* tag = xiphOf(format_, *file_, false))
            for (const std::string_view name : vorbisLegacyNames(p)) {
                const TagLib::String key{std::string(name)};
                if (tag->contains(key))
                    tag->addField(key, value, true);
            }
    }
}

bool TagFile::podcast()
{
    if (!isValid())
        return false;
    switch (tagKind(format_)) {
    case TagKind::Id3v2:
        if (auto* tag = id3v2Tag()) {
            // The PCST frame itself: its property-map reading is empty.
            const auto& map = tag->frameListMap();
            const auto it = map.find("PCST");
            return it != map.end() && !it->second.isEmpty();
        }
        break;
    case TagKind::Mp4:
        if (auto* tag = static_cast<TagLib::MP4::File&>(*file_).tag()) {
            const auto& items = tag->itemMap();
            const auto it = items.find("pcst");
            return it != items.end() && it->second.toBool();
        }
        return false;
    case TagKind::Xiph:
        if (auto* tag = xiphOf(format_, *file_, false)) {
            const auto& fields = tag->fieldListMap();
            const auto it = fields.find("PODCAST");
            return it != fields.end() && truthy(it->second);
        }
        break;
    case TagKind::Generic:
        break;
    }
    const auto& map = generic();
    const auto it = map.find("PODCAST");
    return it != map.end() && truthy(it->second);
}

std::int32_t TagFile::videoKind()
{
    if (!isValid())
        return 0;
    if (format_ != Format::Mp4)
        return kVideoKindNone;
    if (auto* tag = static_cast<TagLib::MP4::File&>(*file_).tag()) {
        const auto& items = tag->itemMap();
        const auto it = items.find("stik");
        if (it != items.end()) {
            switch (it->second.toByte()) {
            case 6:
                return kVideoKindMusicVideo;
            case 9:
                return kVideoKindMovie;
            case 10:
                return kVideoKindTVShow;
            default:
                break;
            }
        }
    }
    return mp4HasVideoTrack(*stream_) ? kVideoKindMovie : kVideoKindNone;
}

namespace {

// The item itself: the property map would rename others (a Date item comes
// back as YEAR). An album artist goes to the "ALBUM ARTIST" item TagLib reads
// it from, unless the tag has an ALBUMARTIST item.
void setApeItem(TagLib::APE::Tag& tag, Property p, const TagLib::String& value)
{
    TagLib::String key = tagName(p);
    if (p == Property::AlbumArtist && !tag.itemListMap().contains(key))
        key = "ALBUM ARTIST";
    tag.addValue(key, value, true);
}

} // namespace

TagLib::APE::Tag* TagFile::mpegApeOnly()
{
    if (format_ != Format::Mpeg)
        return nullptr;
    auto& f = static_cast<TagLib::MPEG::File&>(*file_);
    return !f.hasID3v2Tag() && f.hasAPETag() ? f.APETag(false) : nullptr;
}

Status TagFile::setText(Property p, const TagLib::String& value)
{
    if (!isValid() || !isTextProperty(p))
        return Failure{"cannot write this property"};
    generic_.reset();
    if (TagLib::APE::Tag* ape = mpegApeOnly()) {
        setApeItem(*ape, p, value);
        apeEdited_ = true;
        return {};
    }
    switch (tagKind(format_)) {
    case TagKind::Id3v2:
        return setId3Text(p, value);
    case TagKind::Mp4:
        if (auto* tag = static_cast<TagLib::MP4::File&>(*file_).tag()) {
            tag->setItem(mp4Item(p), TagLib::MP4::Item(TagLib::StringList(value)));
            return {};
        }
        return Failure{"the MP4 file has no tag"};
    case TagKind::Xiph:
        if (auto* tag = xiphOf(format_, *file_, true)) {
            tag->addField(tagName(p), value, true);
            return {};
        }
        return Failure{"the file has no Vorbis comment"};
    case TagKind::Generic:
        if (TagLib::APE::Tag* tag = apeTag(format_, *file_)) {
            setApeItem(*tag, p, value);
            return {};
        }
        break;
    }
    TagLib::PropertyMap map = file_->properties();
    map.replace(tagName(p), TagLib::StringList(value));
    const TagLib::PropertyMap refused = file_->setProperties(map);
    if (refused.contains(tagName(p)))
        return Failure{"this format cannot hold " + std::string(propertyName(p))};
    return {};
}

TagLib::ID3v2::Tag* TagFile::createId3v2Tag()
{
    using namespace TagLib;
    // A new ID3v2 tag takes over from whatever tag the properties came from
    // (ID3v1, APE, RIFF INFO), so it starts with their values.
    const PropertyMap before = file_->properties();
    ID3v2::Tag* tag = nullptr;
    switch (format_) {
    case Format::Mpeg:
        tag = static_cast<MPEG::File&>(*file_).ID3v2Tag(true);
        break;
    case Format::Wav:
        tag = static_cast<RIFF::WAV::File&>(*file_).ID3v2Tag();
        break;
    case Format::Aiff:
        tag = static_cast<RIFF::AIFF::File&>(*file_).tag();
        break;
    default:
        tag = static_cast<TrueAudio::File&>(*file_).ID3v2Tag(true);
        break;
    }
    if (tag)
        tag->setProperties(before);
    return tag;
}

Status TagFile::setId3Text(Property p, const TagLib::String& value)
{
    using namespace TagLib;
    ID3v2::Tag* tag = id3v2Tag();
    if (!tag && !(tag = createId3v2Tag()))
        return Failure{"cannot create an ID3v2 tag"};
    if (isShow(p)) {
        if (auto* frame = findUserText(tag, p))
            frame->setText(value);
        else
            tag->addFrame(
                new ID3v2::UserTextIdentificationFrame(tagName(p), StringList(value), TagLib::String::Latin1));
        return {};
    }
    const ByteVector id(id3FrameId(p).data(), 4);
    const ID3v2::FrameList& frames = tag->frameList(id);
    if (!frames.isEmpty()) {
        if (auto* text = dynamic_cast<ID3v2::TextIdentificationFrame*>(frames.front())) {
            text->setText(value);
            return {};
        }
        tag->removeFrames(id);
    }
    auto* frame = new ID3v2::TextIdentificationFrame(id, TagLib::String::Latin1);
    frame->setText(value);
    tag->addFrame(frame);
    return {};
}

void MemoryStream::insert(const TagLib::ByteVector& data, unsigned long start, unsigned long replace)
{
    const auto size = static_cast<unsigned long>(length());
    if (start > size || replace > size - start) {
        refused_ = true;
        return;
    }
    TagLib::ByteVectorStream::insert(data, start, replace);
}

Status TagFile::save()
{
    using namespace TagLib;
    if (!isValid())
        return Failure{"the file did not parse"};
    generic_.reset();
    bool ok = false;
    switch (format_) {
    case Format::Mpeg:
        // An MP3 whose only tag is APE keeps it so: only that tag is saved.
        ok = static_cast<MPEG::File&>(*file_).save(apeEdited_ ? MPEG::File::APE : MPEG::File::ID3v2, File::StripNone,
                                                   ID3v2::v4, File::DoNotDuplicate);
        break;
    case Format::Wav:
        ok = static_cast<RIFF::WAV::File&>(*file_).save(RIFF::WAV::File::ID3v2, File::StripNone, ID3v2::v4);
        break;
    case Format::Aiff:
        ok = static_cast<RIFF::AIFF::File&>(*file_).save(ID3v2::v4);
        break;
    default:
        ok = file_->save();
        break;
    }
    if (!ok)
        return Failure{"TagLib could not render the tag"};
    if (const auto* memory = dynamic_cast<const MemoryStream*>(stream_.get()); memory && memory->refused())
        return Failure{"TagLib would write the tag past the end of the file"};
    return {};
}

TagSnapshot TagFile::snapshot()
{
    TagSnapshot s;
    if (!isValid())
        return s;
    for (int i = 0; i < kTextPropertyCount; ++i)
        s.texts[i] = text(static_cast<Property>(i));
    s.podcast = podcast();
    s.videoKind = videoKind();
    s.properties = file_->properties();
    if (const TagLib::AudioProperties* a = file_->audioProperties()) {
        s.lengthMs = a->lengthInMilliseconds();
        s.bitrate = a->bitrate();
        s.sampleRate = a->sampleRate();
        s.channels = a->channels();
    }
    if (TagLib::ID3v2::Tag* tag = id3v2Tag())
        addId3Pictures(*tag, s.pictures);
    addFormatPictures(format_, *file_, s.pictures);
    return s;
}

} // namespace yomi::bridge::folder
