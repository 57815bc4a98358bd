// The structural pre-check over the templates, whole and damaged: a size that
// claims more than the file holds, nesting past the bound, a compressed frame
// that inflates past the file's size.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <zlib.h>

#include "Bridge/Bytes/Precheck.h"
#include "support/AudioFixtures.h"
#include "support/HostileFiles.h"
#include "support/Outcome.h"

namespace yomi::test {
namespace {

using bridge::folder::Format;
using bridge::folder::precheck;
using ::testing::HasSubstr;

std::string le32(std::uint32_t n)
{
    return {static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16), static_cast<char>(n >> 24)};
}

// Overwrites four bytes at `at` (after `marker` when one is given).
std::string patched(std::string s, std::string_view marker, std::ptrdiff_t at, const std::string& with)
{
    const std::size_t base = marker.empty() ? 0 : s.find(marker);
    EXPECT_NE(base, std::string::npos) << marker;
    return s.replace(static_cast<std::size_t>(static_cast<std::ptrdiff_t>(base) + at), with.size(), with);
}

struct Damage {
    const char* file;
    Format format;
    std::string (*damage)(std::string);
    const char* reason;
};

TEST(Precheck, TemplatesPassAndAnOversizedStructureOfEachFormatIsRefused)
{
    const Damage cases[] = {
        {"template.mp3", Format::Mpeg, [](std::string s) { return patched(s, "", 6, "\x7F\x7F\x7F\x7F"); },
         "ID3v2 tag"},
        {"template.flac", Format::Flac, [](std::string s) { return patched(s, "fLaC", 5, "\xFF\xFF\xFF"); },
         "FLAC metadata block"},
        {"template.m4a", Format::Mp4, [](std::string s) { return patched(s, "moov", -4, hostile::be32(0xFFFFFFF0)); },
         "MP4 box"},
        {"template.m4a", Format::Mp4, [](std::string s) { return patched(s, "stco", 8, hostile::be32(0x4F4F4F4F)); },
         "chunk offset table"},
        // TagLib 1.13 reads on past a box type that is not printable (a save
        // then rewrote 1.6 billion offsets; found by fuzz_write_verify).
        {"template.m4a", Format::Mp4,
         [](std::string s) { return patched(patched(s, "mdhd", 3, "\x9C"), "stco", 8, hostile::be32(0x4F4F4F4F)); },
         "chunk offset table"},
        {"template.ogg", Format::OggVorbis, [](std::string s) { return s.substr(0, 50); }, "Ogg page"},
        {"template.wav", Format::Wav, [](std::string s) { return patched(s, "fmt ", 4, le32(0x7FFFFFFF)); },
         "RIFF chunk"},
        {"template.aiff", Format::Aiff, [](std::string s) { return patched(s, "COMM", 4, hostile::be32(0x7FFFFFFF)); },
         "AIFF chunk"},
        {"template.wma", Format::Asf, [](std::string s) { return patched(s, "", 16, le32(0x7FFFFFFF)); }, "ASF header"},
        {"template.wma", Format::Asf, [](std::string s) { return patched(s, "", 30 + 16, le32(0x00FFFFFF)); },
         "ASF object"},
        {"template.wv", Format::WavPack,
         [](std::string s) {
             // One item that claims 1 MiB of value, in a tag of 64 bytes.
             const std::string item = le32(1 << 20) + le32(0) + std::string("Artist\0x", 8);
             const std::string footer =
                 std::string("APETAGEX") + le32(2000) + le32(32 + 16) + le32(1) + le32(0) + std::string(8, '\0');
             return s + item + footer;
         },
         "APE item"},
    };
    for (const Damage& d : cases) {
        const std::string bytes = readBytes(audioTemplate(d.file));
        EXPECT_EQ(outcomeOf(precheck(d.format, bytes)), kOk) << d.file;
        EXPECT_THAT(outcomeOf(precheck(d.format, d.damage(bytes))), HasSubstr(d.reason)) << d.file;
    }
}

// A chunk offset table belongs in a sample table. One first in moov sits
// where TagLib puts a new udta: its save read the table's count from the
// moved bytes and rewrote billions of offsets (found by fuzz_read).
TEST(Precheck, AChunkOffsetTableOutsideASampleTableIsRefused)
{
    const auto box = [](const std::string& type, const std::string& body) {
        return hostile::be32(static_cast<std::uint32_t>(8 + body.size())) + type + body;
    };
    const std::string stco = box("stco", std::string(4, '\0') + hostile::be32(0));
    const std::string ftyp = box("ftyp", std::string("M4A ") + hostile::be32(0) + "M4A ");
    const std::string stbl = box("trak", box("mdia", box("minf", box("stbl", stco))));
    EXPECT_EQ(outcomeOf(precheck(Format::Mp4, ftyp + box("moov", stbl))), kOk);
    EXPECT_THAT(outcomeOf(precheck(Format::Mp4, ftyp + box("moov", stco + stbl))),
                HasSubstr("chunk offset table outside a sample table"));
    EXPECT_THAT(outcomeOf(precheck(Format::Mp4, ftyp + box("moov", box("udta", stco) + stbl))),
                HasSubstr("chunk offset table outside a sample table"));
}

TEST(Precheck, NestingIsBoundedForEachKind)
{
    const std::string mp3 = readBytes(audioTemplate("template.mp3"));
    EXPECT_EQ(outcomeOf(precheck(Format::Mpeg, hostile::id3Nested(24, "a", mp3))), kOk);
    EXPECT_THAT(outcomeOf(precheck(Format::Mpeg, hostile::id3Nested(40, "a", mp3))), HasSubstr("nest"));
    // The same tag in a WAV's ID3 chunk.
    const std::string tag = hostile::id3Nested(40, "a", "");
    const std::string wav =
        readBytes(audioTemplate("template.wav")) + "ID3 " + le32(static_cast<std::uint32_t>(tag.size())) + tag;
    EXPECT_THAT(outcomeOf(precheck(Format::Wav, wav)), HasSubstr("nest"));
    for (const char* type : {"moov", "udta", "meta"}) {
        EXPECT_EQ(outcomeOf(precheck(Format::Mp4, hostile::mp4Nested(type, 24, "a"))), kOk) << type;
        EXPECT_THAT(outcomeOf(precheck(Format::Mp4, hostile::mp4Nested(type, 40, "a"))), HasSubstr("nest")) << type;
    }
    EXPECT_THAT(outcomeOf(precheck(Format::Mp4, hostile::mp4PaddingClaim("a"))), HasSubstr("larger than the box"));
}

TEST(Precheck, ACompressedId3FrameMayNotInflatePastTheFileSize)
{
    const std::string mp3 = readBytes(audioTemplate("template.mp3"));
    const auto withFrame = [&](std::size_t zeros) {
        const std::string plain(zeros, '\0');
        uLongf length = compressBound(static_cast<uLong>(plain.size()));
        std::string packed(length, '\0');
        compress2(reinterpret_cast<Bytef*>(packed.data()), &length, reinterpret_cast<const Bytef*>(plain.data()),
                  static_cast<uLong>(plain.size()), 9);
        packed.resize(length);
        // ID3v2.4 flags: compressed, with a data length indicator.
        const std::string frame = "TXXX" + hostile::synchsafe(static_cast<std::uint32_t>(4 + packed.size())) +
            std::string("\x00\x09", 2) + hostile::synchsafe(static_cast<std::uint32_t>(zeros)) + packed;
        return "ID3\x04" + std::string(2, '\0') + hostile::synchsafe(static_cast<std::uint32_t>(frame.size())) + frame +
            mp3;
    };
    EXPECT_EQ(outcomeOf(precheck(Format::Mpeg, withFrame(1000))), kOk);
    EXPECT_THAT(outcomeOf(precheck(Format::Mpeg, withFrame(8 << 20))), HasSubstr("inflates"));
}

} // namespace
} // namespace yomi::test
