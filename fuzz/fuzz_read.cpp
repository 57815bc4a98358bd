// The folder library's parse of a file, pre-check and TagLib together, over
// any bytes, the format taken from the first byte: every property read, the
// write check's snapshot, then one sort value set and the tag saved, as the
// write path does on its in-memory copy.
#include <cstddef>
#include <cstdint>
#include <memory>

#include <taglib/tbytevectorstream.h>

#include "Bridge/Tags/TagFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace yomi::bridge::folder;
    if (size == 0)
        return 0;
    const auto format = static_cast<Format>(data[0] % (static_cast<int>(Format::Xm) + 1));
    const TagLib::ByteVector bytes(reinterpret_cast<const char*>(data) + 1, static_cast<unsigned int>(size - 1));
    for (const bool audio : {false, true}) {
        auto file = TagFile::open(format, std::make_unique<MemoryStream>(bytes), audio);
        if (!file->isValid())
            continue;
        for (int i = 0; i < kTextPropertyCount; ++i)
            (void)file->text(static_cast<Property>(i));
        (void)file->podcast();
        (void)file->videoKind();
        if (!audio)
            continue;
        (void)file->snapshot();
        if (file->setText(Property::SortArtist, TagLib::String(L"\u3042")).ok() && file->save().ok()) {
            const TagLib::ByteVector* edited = static_cast<TagLib::ByteVectorStream&>(file->stream()).data();
            auto again = TagFile::open(format, std::make_unique<MemoryStream>(*edited), true);
            if (again->isValid())
                (void)again->text(Property::SortArtist);
        }
    }
    return 0;
}
