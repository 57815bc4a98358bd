#include "LibraryWriter.h"

#include <taglib/flacfile.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/textidentificationframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

#include <fstream>
#include <stdexcept>

namespace yomi::bench {
namespace {

constexpr Format kAllFormats[] = {Format::Mp3v24, Format::Mp3v23, Format::Flac, Format::M4a, Format::M4v, Format::Ogg};

struct FieldKeys {
    const char* id3Value;
    const char* id3Sort;
    const char* mp4Value;
    const char* mp4Sort;
    const char* xiphValue;
    const char* xiphSort;
};

// In the order of Field. The show is kept in TXXX frames in ID3v2 (marked by
// a leading "TXXX:").
constexpr FieldKeys kKeys[kFieldCount] = {
    {"TPE1", "TSOP", "\251ART", "soar", "ARTIST", "ARTISTSORT"},
    {"TALB", "TSOA", "\251alb", "soal", "ALBUM", "ALBUMSORT"},
    {"TPE2", "TSO2", "aART", "soaa", "ALBUMARTIST", "ALBUMARTISTSORT"},
    {"TCOM", "TSOC", "\251wrt", "soco", "COMPOSER", "COMPOSERSORT"},
    {"TIT2", "TSOT", "\251nam", "sonm", "TITLE", "TITLESORT"},
    {"TXXX:TVSHOW", "TXXX:SHOWSORT", "tvsh", "sosn", "TVSHOW", "SHOWSORT"},
};

TagLib::String utf8(const std::string& s) { return TagLib::String(s, TagLib::String::UTF8); }

void addId3Text(TagLib::ID3v2::Tag& tag, const std::string& id, const std::string& text, TagLib::String::Type encoding)
{
    if (id.rfind("TXXX:", 0) == 0) {
        auto* frame = new TagLib::ID3v2::UserTextIdentificationFrame(encoding);
        frame->setDescription(TagLib::String(id.substr(5)));
        frame->setText(utf8(text));
        tag.addFrame(frame);
        return;
    }
    auto* frame = new TagLib::ID3v2::TextIdentificationFrame(TagLib::ByteVector(id.c_str()), encoding);
    frame->setText(utf8(text));
    tag.addFrame(frame);
}

void tagMpeg(TagLib::ByteVectorStream& stream, const TrackPlan& track)
{
    TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    TagLib::ID3v2::Tag& tag = *file.ID3v2Tag(true);
    const bool v23 = track.format == Format::Mp3v23;
    // Taggers write v2.3 text as UTF-16 (v2.3 knows no UTF-8) and v2.4 as UTF-8.
    const auto encoding = v23 ? TagLib::String::UTF16 : TagLib::String::UTF8;
    for (int f = 0; f < kFieldCount; ++f) {
        const FieldPlan& plan = track.fields[f];
        if (plan.value)
            addId3Text(tag, kKeys[f].id3Value, *plan.value, encoding);
        if (plan.sort)
            addId3Text(tag, kKeys[f].id3Sort, *plan.sort, encoding);
    }
    if (!file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, v23 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4,
                   TagLib::File::DoNotDuplicate))
        throw std::runtime_error("TagLib could not save the MP3 tag");
}

void tagMp4(TagLib::ByteVectorStream& stream, const TrackPlan& track)
{
    TagLib::MP4::File file(&stream, false);
    TagLib::MP4::Tag* tag = file.tag();
    if (!file.isValid() || !tag)
        throw std::runtime_error("the MP4 template does not open");
    for (int f = 0; f < kFieldCount; ++f) {
        const FieldPlan& plan = track.fields[f];
        if (plan.value)
            tag->setItem(kKeys[f].mp4Value, TagLib::StringList(utf8(*plan.value)));
        if (plan.sort)
            tag->setItem(kKeys[f].mp4Sort, TagLib::StringList(utf8(*plan.sort)));
    }
    if (track.podcast)
        tag->setItem("pcst", TagLib::MP4::Item(true));
    if (track.mediaKind)
        tag->setItem("stik", TagLib::MP4::Item(*track.mediaKind));
    if (!file.save())
        throw std::runtime_error("TagLib could not save the MP4 tag");
}

void fillXiph(TagLib::Ogg::XiphComment& comment, const TrackPlan& track)
{
    for (int f = 0; f < kFieldCount; ++f) {
        const FieldPlan& plan = track.fields[f];
        if (plan.value)
            comment.addField(kKeys[f].xiphValue, utf8(*plan.value), true);
        if (plan.sort && !plan.sort->empty())
            comment.addField(kKeys[f].xiphSort, utf8(*plan.sort), true);
    }
    if (track.podcast)
        comment.addField("PODCAST", "1", true);
}

void tagFlac(TagLib::ByteVectorStream& stream, const TrackPlan& track)
{
    TagLib::FLAC::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    if (!file.isValid())
        throw std::runtime_error("the FLAC template does not open");
    fillXiph(*file.xiphComment(true), track);
    if (!file.save())
        throw std::runtime_error("TagLib could not save the FLAC tag");
}

void tagVorbis(TagLib::ByteVectorStream& stream, const TrackPlan& track)
{
    TagLib::Ogg::Vorbis::File file(&stream, false);
    if (!file.isValid() || !file.tag())
        throw std::runtime_error("the Ogg Vorbis template does not open");
    fillXiph(*file.tag(), track);
    if (!file.save())
        throw std::runtime_error("TagLib could not save the Vorbis comment");
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

const char* extensionOf(Format format)
{
    switch (format) {
    case Format::Mp3v24:
    case Format::Mp3v23:
        return "mp3";
    case Format::Flac:
        return "flac";
    case Format::M4a:
        return "m4a";
    case Format::M4v:
        return "m4v";
    case Format::Ogg:
        return "ogg";
    }
    return "";
}

const char* formatName(Format format)
{
    switch (format) {
    case Format::Mp3v24:
        return "MP3 (ID3v2.4)";
    case Format::Mp3v23:
        return "MP3 (ID3v2.3)";
    case Format::Flac:
        return "FLAC";
    case Format::M4a:
        return "M4A";
    case Format::M4v:
        return "M4V (video)";
    case Format::Ogg:
        return "Ogg Vorbis";
    }
    return "";
}

const char* Templates::fileName(Format format)
{
    switch (format) {
    case Format::Mp3v24:
        return "template.mp3";
    case Format::Mp3v23:
        return "template-v23.mp3";
    case Format::Flac:
        return "template.flac";
    case Format::M4a:
        return "template.m4a";
    case Format::M4v:
        return "template.m4v";
    case Format::Ogg:
        return "template.ogg";
    }
    return "";
}

Templates::Templates(const std::filesystem::path& dir)
{
    for (Format f : kAllFormats) {
        std::string bytes = readFile(dir / fileName(f));
        if (bytes.empty())
            throw std::runtime_error("missing template " + (dir / fileName(f)).string());
        bytes_.emplace(f, std::move(bytes));
    }
}

void writeTrack(const Templates& templates, const std::filesystem::path& root, const TrackPlan& track)
{
    const std::string& source = templates.bytes(track.format);
    TagLib::ByteVectorStream stream(TagLib::ByteVector(source.data(), static_cast<unsigned int>(source.size())));
    switch (track.format) {
    case Format::Mp3v24:
    case Format::Mp3v23:
        tagMpeg(stream, track);
        break;
    case Format::M4a:
    case Format::M4v:
        tagMp4(stream, track);
        break;
    case Format::Flac:
        tagFlac(stream, track);
        break;
    case Format::Ogg:
        tagVorbis(stream, track);
        break;
    }
    const std::filesystem::path path = root / std::filesystem::u8path(track.relativePath);
    // Tracks of one album come one after another: create each folder once.
    static thread_local std::filesystem::path lastFolder;
    if (path.parent_path() != lastFolder) {
        std::filesystem::create_directories(path.parent_path());
        lastFolder = path.parent_path();
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const TagLib::ByteVector& data = *stream.data();
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace yomi::bench
