// Crafted hostile audio files: sizes that claim more than the file holds,
// and nesting far deeper than any real file. Each is built in memory.
#pragma once

#include <cstdint>
#include <functional>
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
    std::function<std::string(std::uint32_t bodySize)> header;
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

// Every box type TagLib 1.13 reads into, wherever it stands.
inline constexpr std::string_view kMp4Containers[] = {"moov", "udta", "mdia", "meta", "ilst", "stbl",
                                                      "minf", "moof", "traf", "trak", "stsd"};

inline std::string mp4Handler() { return box("hdlr", std::string(8, '\0') + "mdirappl" + std::string(9, '\0')); }

// One level of `type`: "meta" is a full box (version and flags), "qtmeta" a
// QuickTime meta box without them that starts with its handler, "stsd" has
// its version, flags and entry count.
inline Level boxLevel(std::string_view type)
{
    const std::string name = type == "qtmeta" ? "meta" : std::string(type);
    std::string prefix;
    if (type == "meta")
        prefix = std::string(4, '\0');
    else if (type == "qtmeta")
        prefix = mp4Handler();
    else if (type == "stsd")
        prefix = std::string(7, '\0') + "\x01";
    return {[name](std::uint32_t n) { return be32(n + 8) + name; }, prefix};
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

// `depth` boxes of `type` (one of kMp4Containers, or "qtmeta") nested inside
// one another, under moov (and udta for a meta box), or with `asItem` as an
// item of moov/udta/meta/ilst; the innermost holds an artist.
inline std::string mp4Nested(std::string_view type, int depth, std::string_view artist, bool asItem = false)
{
    std::vector<Level> levels;
    if (asItem) {
        levels = {boxLevel("moov"), boxLevel("udta"), boxLevel("meta"), boxLevel("ilst")};
    } else {
        if (type != "moov")
            levels.push_back(boxLevel("moov"));
        if (type == "meta" || type == "qtmeta")
            levels.push_back(boxLevel("udta"));
    }
    levels.insert(levels.end(), static_cast<std::size_t>(depth), boxLevel(type));
    return ftyp() + nest(levels, box("ilst", artistItem(artist)));
}

// An ID3v2 tag (version 3 or 4) of `depth` CHAP and CTOC frames, alternating,
// each embedding the next; the innermost embeds an artist frame (TPE1).
// `lead`, whole frames, comes before them; `audio` after the tag.
inline std::string id3Nested(int depth, std::string_view artist, std::string_view audio, int version = 4,
                             std::string_view lead = {})
{
    const auto size = version == 4 ? synchsafe : be32;
    const Level chap{[size](std::uint32_t n) { return "CHAP" + size(n) + std::string(2, '\0'); },
                     std::string("c\0", 2) + std::string(16, '\0')};
    const Level ctoc{[size](std::uint32_t n) { return "CTOC" + size(n) + std::string(2, '\0'); },
                     std::string("t\0\x03\x00", 4)};
    std::vector<Level> levels;
    for (int i = 0; i < depth; ++i)
        levels.push_back(i % 2 ? ctoc : chap);
    const std::string tpe1 = "TPE1" + size(static_cast<std::uint32_t>(1 + artist.size())) + std::string(2, '\0') +
        (version == 4 ? "\x03" : "\x00") + std::string(artist);
    const std::string frames = std::string(lead) + nest(levels, tpe1);
    return "ID3" + std::string(1, static_cast<char>(version)) + std::string(2, '\0') +
        synchsafe(static_cast<std::uint32_t>(frames.size())) + frames + std::string(audio);
}

// A RIFF (WAV) or AIFF file whose ID3 chunk holds `tag`, after a chunk of
// odd size whose pad byte is not zero (TagLib skips it all the same, since a
// chunk name follows).
inline std::string riffWithId3(bool aiff, std::string_view tag)
{
    const auto size = [aiff](std::uint32_t n) {
        return aiff ? be32(n)
                    : std::string{static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16),
                                  static_cast<char>(n >> 24)};
    };
    const std::string odd = "junk" + size(1) + "j" + "x";
    const std::string id3 =
        "ID3 " + size(static_cast<std::uint32_t>(tag.size())) + std::string(tag) + std::string(tag.size() % 2, '\0');
    const std::string body = std::string(aiff ? "AIFF" : "WAVE") + odd + id3;
    return (aiff ? "FORM" : "RIFF") + size(static_cast<std::uint32_t>(body.size())) + body;
}

} // namespace yomi::test::hostile
