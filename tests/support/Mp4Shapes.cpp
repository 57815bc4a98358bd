#include "support/Mp4Shapes.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>

#include "support/AudioFixtures.h"

namespace yomi::test {
namespace {

std::uint64_t be(std::string_view b, std::size_t at, int width)
{
    std::uint64_t v = 0;
    for (int i = 0; i < width && at + static_cast<std::size_t>(i) < b.size(); ++i)
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

void putBe(std::string& b, std::size_t at, std::uint64_t v, int width)
{
    for (int i = 0; i < width; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * (width - 1 - i)));
}

bool isBareMeta(std::string_view b, std::size_t payload)
{
    const std::string_view first = b.substr(std::min(b.size(), payload + 4), 4);
    return first == "hdlr" || first == "ilst";
}

// Walks [begin, end) as the tests need it; `visit(path, at, header, end)`
// sees every box. False when a size does not fit.
template <typename Visit>
bool walk(std::string_view b, std::size_t begin, std::size_t end, const std::string& parent, Visit& visit)
{
    static const std::vector<std::string> kContainers{"moov", "moov/trak", "moov/trak/mdia", "moov/trak/mdia/minf",
                                                      "moov/trak/mdia/minf/stbl", "moov/udta", "moov/udta/meta"};
    for (std::size_t pos = begin; pos < end;) {
        if (end - pos < 8)
            return false;
        std::uint64_t size = be(b, pos, 4);
        std::size_t header = 8;
        if (size == 1)
            size = be(b, pos + 8, 8), header = 16;
        else if (size == 0)
            size = end - pos;
        if (size < header || size > end - pos)
            return false;
        const std::string path = (parent.empty() ? "" : parent + "/") + std::string(b.substr(pos + 4, 4));
        visit(path, pos, header, pos + size);
        if (std::find(kContainers.begin(), kContainers.end(), path) != kContainers.end()) {
            std::size_t inner = pos + header;
            if (path == "moov/udta/meta" && !isBareMeta(b, inner))
                inner += 4;
            if (!walk(b, inner, pos + size, path, visit))
                return false;
        }
        pos += size;
    }
    return true;
}

} // namespace

Mp4Layout mp4Layout(std::string_view b)
{
    Mp4Layout out;
    auto visit = [&](const std::string& path, std::size_t at, std::size_t header, std::size_t end) {
        const std::size_t payload = at + header;
        if (path == "moov")
            out.moovBegin = at, out.moovEnd = end;
        if (path == "mdat") {
            if (out.mediaBegin == 0)
                out.mediaBegin = payload;
            out.media += b.substr(payload, end - payload);
        }
        if (path == "moov/udta/meta")
            out.bareMeta = isBareMeta(b, payload);
        if (path.starts_with("moov/udta/meta/ilst/")) {
            out.itemTypes.emplace_back(b.substr(at + 4, 4));
            out.itemBytes.emplace_back(b.substr(at, end - at));
        }
        if (path.ends_with("/stco") || path.ends_with("/co64")) {
            const int width = path.ends_with("/co64") ? 8 : 4;
            for (std::uint64_t i = 0, n = be(b, payload + 4, 4); i < n; ++i)
                out.offsets.push_back(be(b, payload + 8 + i * static_cast<std::uint64_t>(width), width));
        }
    };
    // The item list is walked into as well: its items are its children.
    auto all = [&](const std::string& path, std::size_t at, std::size_t header, std::size_t end) {
        visit(path, at, header, end);
        if (path == "moov/udta/meta/ilst") {
            auto item = [&](const std::string& p, std::size_t a, std::size_t h, std::size_t e) { visit(p, a, h, e); };
            walk(b, at + header, end, path, item);
        }
    };
    out.parsed = walk(b, 0, b.size(), "", all);
    return out;
}

std::string mp4Item(const Mp4Layout& layout, std::string_view type)
{
    for (std::size_t i = 0; i < layout.itemTypes.size(); ++i)
        if (layout.itemTypes[i] == type)
            return layout.itemBytes[i];
    return {};
}

std::string withBareMeta(std::string b)
{
    std::size_t metaAt = 0, metaPayload = 0;
    std::vector<std::size_t> around, tables;
    const Mp4Layout before = mp4Layout(b);
    auto visit = [&](const std::string& path, std::size_t at, std::size_t header, std::size_t) {
        if (path == "moov" || path == "moov/udta")
            around.push_back(at);
        if (path == "moov/udta/meta")
            metaAt = at, metaPayload = at + header;
        if (path.ends_with("/stco"))
            tables.push_back(at + header);
    };
    const std::string_view view(b);
    EXPECT_TRUE(walk(view, 0, view.size(), "", visit) && metaAt != 0 && !before.bareMeta) << "no full meta box";
    if (metaAt == 0)
        return b;
    around.push_back(metaAt);
    for (const std::size_t table : tables)
        for (std::uint64_t i = 0, n = be(b, table + 4, 4); i < n; ++i) {
            const std::size_t entry = table + 8 + 4 * i;
            if (be(b, entry, 4) >= before.moovEnd)
                putBe(b, entry, be(b, entry, 4) - 4, 4);
        }
    for (const std::size_t at : around)
        putBe(b, at, be(b, at, 4) - 4, 4);
    return b.erase(metaPayload, 4);
}

std::string withWideSizes(std::string b, bool wideMoov)
{
    std::map<std::string, std::size_t> at; // the first box of each path
    std::size_t stcoEnd = 0;
    auto visit = [&](const std::string& path, std::size_t box, std::size_t, std::size_t end) {
        if (at.emplace(path, box).second && path.ends_with("/stco"))
            stcoEnd = end;
    };
    const std::string_view view(b);
    const std::string stco = "moov/trak/mdia/minf/stbl/stco";
    EXPECT_TRUE(walk(view, 0, view.size(), "", visit) && at.contains(stco)) << "no stco box";
    if (!at.contains(stco))
        return b;
    const Mp4Layout before = mp4Layout(b);
    const std::size_t count = be(b, at[stco] + 12, 4), growth = 4 * count + (wideMoov ? 8 : 0);
    std::string co64(16, '\0');
    putBe(co64, 0, 16 + 8 * count, 4);
    co64.replace(4, 12, b.substr(at[stco] + 4, 12).replace(0, 4, "co64"));
    for (const std::uint64_t offset : before.offsets) {
        co64 += std::string(8, '\0');
        putBe(co64, co64.size() - 8, offset >= before.moovEnd ? offset + growth : offset, 8);
    }
    for (const char* path : {"moov", "moov/trak", "moov/trak/mdia", "moov/trak/mdia/minf", "moov/trak/mdia/minf/stbl"})
        putBe(b, at[path], be(b, at[path], 4) + 4 * count, 4);
    b.replace(at[stco], stcoEnd - at[stco], co64);
    if (wideMoov) {
        std::string header(16, '\0');
        putBe(header, 0, 1, 4);
        header.replace(4, 4, "moov");
        putBe(header, 8, be(b, at["moov"], 4) + 8, 8);
        b.replace(at["moov"], 8, header);
    }
    return b;
}

const std::vector<Mp4Shape>& mp4Shapes()
{
    static const std::vector<Mp4Shape> shapes = [] {
        std::vector<Mp4Shape> out;
        for (const std::string codec : {"aac", "alac", "flac", "libopus", "ac3", "eac3"})
            for (const bool moovFirst : {false, true})
                out.push_back({(codec == "libopus" ? "opus" : codec) + (moovFirst ? "_moov_first" : "_media_first"),
                               codec, moovFirst, Mp4Variant::AsMade});
        out.push_back({"bare_meta_flac_media_first", "flac", false, Mp4Variant::BareMeta});
        out.push_back({"bare_meta_aac_moov_first", "aac", true, Mp4Variant::BareMeta});
        out.push_back({"no_media_data_ac3", "ac3", true, Mp4Variant::NoMediaData});
        out.push_back({"no_media_data_aac", "aac", true, Mp4Variant::NoMediaData});
        return out;
    }();
    return shapes;
}

std::string mp4ShapeBytes(const Mp4Shape& shape, const std::string& extra)
{
    static std::mutex lock;
    static std::map<std::string, std::string> made;
    static TempFolder folder;
    const std::lock_guard<std::mutex> hold(lock);
    const std::string key = shape.codec + (shape.moovFirst ? "+" : "-") + extra;
    auto it = made.find(key);
    if (it == made.end()) {
        const std::string file = (folder.path() / ("shape" + std::to_string(made.size()) + ".mp4")).string();
        const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i sine=f=440:d=0.3 "
                                    "-map_metadata -1 -fflags +bitexact -flags:a +bitexact "
                                    "-metadata title=群青日和 -metadata artist=東京事変 -metadata album=教育 "
                                    "-metadata comment=hello " +
            extra + " -c:a " + shape.codec + " -strict -2 " + (shape.moovFirst ? "-movflags +faststart " : "") +
            "-f mp4 " + shellQuote(file) + " 2>&1";
        int status = -1;
        const std::string output = runCommand(command, &status);
        EXPECT_EQ(status, 0) << command << "\n" << output;
        it = made.emplace(key, status == 0 ? readBytes(file) : std::string()).first;
    }
    std::string bytes = it->second;
    if (bytes.empty())
        return bytes;
    switch (shape.variant) {
    case Mp4Variant::AsMade:
        break;
    case Mp4Variant::BareMeta:
        bytes = withBareMeta(std::move(bytes));
        break;
    case Mp4Variant::NoMediaData:
        bytes.resize(mp4Layout(bytes).moovEnd);
        break;
    }
    return bytes;
}

} // namespace yomi::test
