// A bounded structural check of an audio file, made on its bytes before
// TagLib parses it. TagLib trusts the sizes a file declares: a size larger
// than the file makes it allocate that much, and nesting it follows by
// recursion overflows the stack. The check walks the same structures TagLib
// reads for the format (MP4 boxes, ID3v2 frames with the frames embedded in
// CHAP/CTOC, FLAC metadata blocks, Ogg pages, RIFF/AIFF chunks, ASF objects,
// APE items) and refuses a file where
// - a box, frame, block, page, chunk, object or item does not fit inside its
//   parent and the file;
// - the nesting is deeper than kMaxNesting;
// - a compressed ID3v2 frame inflates to more than the file's size.
// Damage TagLib already stops at on its own (an unknown frame ID, trailing
// bytes after the last box) is left to TagLib. No TagLib type here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Bridge/Bytes/Formats.h"
#include "Platform/Result.h"

namespace yomi::bridge::folder {

inline constexpr int kMaxNesting = 32;

// Random access to a file's bytes.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() = 0;
    // Copies up to `count` bytes from `offset` into `out`; returns how many.
    virtual std::size_t read(std::uint64_t offset, char* out, std::size_t count) = 0;
};

// Bytes held in memory.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t size() override { return bytes_.size(); }
    std::size_t read(std::uint64_t offset, char* out, std::size_t count) override;

private:
    std::string_view bytes_;
};

// Succeeds when the file may go to TagLib; otherwise fails with why it may
// not ("an MP4 box is larger than the box around it", ...). Reads only what
// the walk needs, each read bounded by the file's size.
Status precheck(Format format, ByteSource& file);
Status precheck(Format format, std::string_view bytes);

} // namespace yomi::bridge::folder
