// Crafted hostile audio files: sizes that claim more than the file holds,
// and nesting far deeper than any real file. Each is built in memory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace yomi::test::hostile {

inline std::string be32(std::uint32_t n)
{
    return {static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8), static_cast<char>(n)};
}

inline std::string synchsafe(std::uint32_t n)
{
    return {static_cast<char>(n >> 21 & 0x7F), static_cast<char>(n >> 14 & 0x7F), static_cast<char>(n >> 7 & 0x7F),
            static_cast<char>(n & 0x7F)};
}

// One level of a nest: its header and its own bytes before the level inside.
struct Level {
    std::string (*header)(std::uint32_t bodySize);
    std::string prefix;
};

// The levels nested in one another around `core`, the first outermost, built
// without copying the inner levels again for each outer one.
inline std::string nest(const std::vector<Level>& levels, std::string_view core)
{
    std::vector<std::uint32_t> bodies(levels.size());
    std::uint64_t inner = core.size();
    for (std::size_t i = levels.size(); i-- > 0;) {
        bodies[i] = static_cast<std::uint32_t>(levels[i].prefix.size() + inner);
        inner = levels[i].header(bodies[i]).size() + bodies[i];
    }
    std::string out;
    out.reserve(static_cast<std::size_t>(inner));
    for (std::size_t i = 0; i < levels.size(); ++i)
        out += levels[i].header(bodies[i]) + levels[i].prefix;
    return out.append(core);
}

// MP4 boxes.
inline std::string box(std::string_view type, std::string_view payload)
{
    return be32(static_cast<std::uint32_t>(8 + payload.size())) + std::string(type) + std::string(payload);
}

inline Level boxLevel(std::string_view type)
{
    if (type == "moov")
        return {+[](std::uint32_t n) { return be32(n + 8) + "moov"; }, {}};
    if (type == "udta")
        return {+[](std::uint32_t n) { return be32(n + 8) + "udta"; }, {}};
    return {+[](std::uint32_t n) { return be32(n + 8) + "meta"; }, std::string(4, '\0')}; // version, flags
}

inline std::string ftyp() { return box("ftyp", std::string("M4A ") + be32(0) + "M4A mp42isom"); }

// An artist item (\251ART) holding UTF-8 text.
inline std::string artistItem(std::string_view artist)
{
    return box("\251ART", box("data", be32(1) + be32(0) + std::string(artist)));
}

// moov/udta/meta/ilst with an artist, then a free box after ilst that claims
// 0xFFFFFFFF bytes.
inline std::string mp4PaddingClaim(std::string_view artist)
{
    const std::string hdlr = box("hdlr", std::string(8, '\0') + "mdirappl" + std::string(9, '\0'));
    const std::string meta = std::string(4, '\0') + hdlr + box("ilst", artistItem(artist)) + be32(0xFFFFFFFF) + "free" +
        std::string(64, '\0');
    return ftyp() + box("moov", box("udta", box("meta", meta)));
}

// `depth` boxes of `type` (moov, udta or meta) nested inside one another,
// under moov (and udta) as the type needs; the innermost holds an artist.
inline std::string mp4Nested(std::string_view type, int depth, std::string_view artist)
{
    std::vector<Level> levels;
    if (type != "moov")
        levels.push_back(boxLevel("moov"));
    if (type == "meta")
        levels.push_back(boxLevel("udta"));
    levels.insert(levels.end(), static_cast<std::size_t>(depth), boxLevel(type));
    return ftyp() + nest(levels, box("ilst", artistItem(artist)));
}

// An ID3v2.4 tag of `depth` CHAP and CTOC frames, alternating, each embedding
// the next; the innermost embeds an artist frame (TPE1). `audio` follows.
inline std::string id3Nested(int depth, std::string_view artist, std::string_view audio)
{
    const Level chap{+[](std::uint32_t n) { return "CHAP" + synchsafe(n) + std::string(2, '\0'); },
                     std::string("c\0", 2) + std::string(16, '\0')};
    const Level ctoc{+[](std::uint32_t n) { return "CTOC" + synchsafe(n) + std::string(2, '\0'); },
                     std::string("t\0\x03\x00", 4)};
    std::vector<Level> levels;
    for (int i = 0; i < depth; ++i)
        levels.push_back(i % 2 ? ctoc : chap);
    const std::string tpe1 = "TPE1" + synchsafe(static_cast<std::uint32_t>(1 + artist.size())) + std::string(2, '\0') +
        "\x03" + std::string(artist);
    const std::string frames = nest(levels, tpe1);
    return "ID3\x04" + std::string(2, '\0') + synchsafe(static_cast<std::uint32_t>(frames.size())) + frames +
        std::string(audio);
}

} // namespace yomi::test::hostile
