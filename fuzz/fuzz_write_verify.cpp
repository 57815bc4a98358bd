// The byte proof of a write over any bytes, fed the way the write path feeds
// it: the first byte picks the format, the second the property and value, the
// rest is the file. The file is edited as the writer edits it (the ID3v2, ASF,
// FLAC and Ogg byte editors, else TagLib on a copy) and the pair goes to
// proveEdit. Beside ending without a sanitizer report, the proof must
// - accept every edit a byte editor makes (they change one item only);
// - refuse such an edit seen as a write of another property;
// - refuse a proven edit with one byte of its audio flipped, or cut short;
// - accept a file compared with itself once it has proven an edit of it.
// A pair made by flipping one byte of the file goes through the proof too.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <taglib/audioproperties.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/tbytevectorstream.h>

#include "Bridge/Bytes/Proof/ByteProof.h"
#include "Bridge/Tags/TagFile.h"
#include "Bridge/Write/TagWriter.h"
#include "Platform/ByteOrder.h"
#include "Platform/Text.h"

namespace {

using namespace yomi;
using namespace yomi::bridge::folder;

[[noreturn]] void fail(const char* what, Format format, const std::string& why)
{
    std::fprintf(stderr, "fuzz_write_verify: %s (format %d): %s\n", what, static_cast<int>(format), why.c_str());
    std::abort();
}

using bytes::be32;
using bytes::le32;

// The size of the ID3v2 tag that starts `b`, its footer included.
std::size_t id3End(std::string_view b)
{
    std::size_t size = b[3] == 4 && (b[5] & 0x10) ? 20 : 10;
    for (std::size_t i = 6; i < 10; ++i)
        size += std::size_t(static_cast<unsigned char>(b[i]) & 0x7F) << (7 * (9 - i));
    return size;
}

// Where the bytes no edit of the tag may touch start and end in an edited
// file the proof accepted (the audio data); nullopt when there are none or
// the format's audio is not one run of bytes.
std::optional<std::pair<std::size_t, std::size_t>> audioRange(Format format, std::string_view b)
{
    std::size_t from = 0, to = b.size();
    switch (format) {
    case Format::Mpeg:
    case Format::TrueAudio:
        if (b.size() < 10 || b.substr(0, 3) != "ID3")
            return std::nullopt;
        from = id3End(b);
        break;
    case Format::Flac: {
        std::size_t pos = (b.size() >= 10 && b.substr(0, 3) == "ID3" ? id3End(b) : 0) + 4; // "fLaC"
        for (bool last = false; !last && pos + 4 <= b.size();) {
            last = (static_cast<unsigned char>(b[pos]) & 0x80) != 0;
            pos += 4 + (be32(b, pos) & 0xFFFFFF);
        }
        from = pos;
        break;
    }
    case Format::Asf:
        if (b.size() < 30 || le32(b, 20) != 0)
            return std::nullopt;
        from = le32(b, 16);
        break;
    case Format::Wav:
    case Format::Aiff: {
        const bool aiff = format == Format::Aiff;
        for (std::size_t pos = 12; pos + 8 <= b.size();) {
            const std::size_t n = aiff ? be32(b, pos + 4) : le32(b, pos + 4);
            if (b.substr(pos, 4) == (aiff ? "SSND" : "data")) {
                from = pos + 8;
                to = from + std::min(n, b.size() - from);
                break;
            }
            if (n > b.size())
                break;
            pos += 8 + n + (n & 1);
        }
        if (from == 0)
            return std::nullopt;
        break;
    }
    default:
        return std::nullopt;
    }
    if (from >= to || to > b.size())
        return std::nullopt;
    return std::make_pair(from, to);
}

// The edit a byte editor makes, nullopt when none takes the file, or the
// byte editor's refusal (or a file that holds the value already), after which
// the writer writes nothing. The
// ID3v2 version is the one the writer takes from TagLib's parse; where TagLib
// refuses the file (the writer would not get this far) the tag header's own,
// so that the splice still meets damaged tags.
Result<std::optional<std::string>> byteEdit(Format format, const std::string& bytes, Property p, const String& value)
{
    auto file = TagFile::open(
        format, std::make_unique<MemoryStream>(TagLib::ByteVector(bytes.data(), static_cast<unsigned>(bytes.size()))),
        false);
    unsigned int id3Version = 0;
    if (file->isValid() && file->text(p) == std::optional<TagLib::String>(bridge::folder::toTagLib(value)))
        return Failure{"the file holds the value already: the writer writes nothing"};
    if (file->isValid()) {
        if (const TagLib::ID3v2::Tag* id3 = file->id3v2Tag())
            id3Version = id3->header()->majorVersion();
    } else if (bytes.size() >= 10 && bytes.starts_with("ID3")) {
        id3Version = static_cast<unsigned char>(bytes[3]);
    }
    file.reset();
    return spliceEdit(format, id3Version, bytes, p, value);
}

// The edit TagLib makes of a copy, as the writer makes it for the formats no
// byte editor takes: only of a file with an audio stream (or a module).
std::optional<std::string> tagLibEdit(Format format, const std::string& bytes, Property p, const String& value)
{
    auto file = TagFile::open(
        format, std::make_unique<MemoryStream>(TagLib::ByteVector(bytes.data(), static_cast<unsigned>(bytes.size()))),
        true);
    if (!file->isValid())
        return std::nullopt;
    const TagLib::AudioProperties* audio = file->file().audioProperties();
    const bool module = format == Format::Mod || format == Format::S3m || format == Format::It || format == Format::Xm;
    if ((!module && (!audio || audio->sampleRate() <= 0)) || !file->setText(p, bridge::folder::toTagLib(value)) ||
        !file->save())
        return std::nullopt;
    const TagLib::ByteVector* data = static_cast<TagLib::ByteVectorStream&>(file->stream()).data();
    return std::string(data->data(), data->size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const auto format = static_cast<Format>(data[0] % (static_cast<int>(Format::Xm) + 1));
    const auto written = static_cast<Property>(data[1] % kTextPropertyCount);
    const auto other = static_cast<Property>((data[1] + 2) % kTextPropertyCount);
    static const String kValues[] = {u"やまだ たろう", u"a", String(300, u'\u3042')};
    const String& value = kValues[(data[1] / kTextPropertyCount) % 3];
    const std::string before(reinterpret_cast<const char*>(data) + 2, size - 2);
    // Where to flip a byte, taken from the file's own last bytes.
    const std::uint32_t pick = before.size() >= 4 ? le32(before, before.size() - 4) : 0;

    if (!before.empty()) {
        std::string flipped = before;
        flipped[pick % before.size()] ^= 0x20;
        (void)proveEdit(format, before, flipped, written);
    }

    Result<std::optional<std::string>> edit = byteEdit(format, before, written, value);
    if (!edit)
        return 0;
    const std::optional<std::string>& spliced = *edit;
    const std::optional<std::string> edited = spliced ? spliced : tagLibEdit(format, before, written, value);
    if (!edited)
        return 0;
    const Status proven = proveEdit(format, before, *edited, written);
    if (!spliced || !proven) {
        if (spliced)
            fail("an edit of the byte editor is refused", format, proven.reason());
        return 0;
    }

    if (*edited != before && proveEdit(format, before, *edited, other))
        fail("an edit is proven as a write of another property", format, "");
    if (const Status self = proveEdit(format, before, before, written); !self)
        fail("a file compared with itself is refused", format, self.reason());
    if (!edited->empty() && proveEdit(format, before, edited->substr(0, edited->size() - 1), written))
        fail("an edit cut short is proven", format, "");
    if (const auto range = audioRange(format, *edited)) {
        std::string damaged = *edited;
        const std::size_t at = range->first + pick % (range->second - range->first);
        damaged[at] ^= 0x01;
        if (proveEdit(format, before, damaged, written))
            fail("an edit with a byte of its audio flipped is proven", format, std::to_string(at));
    }
    return 0;
}
