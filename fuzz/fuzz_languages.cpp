// The readings of every language over any value a tag can hold, and the
// converted pinyin dictionary over any bytes a damaged cache file can hold.
// The first byte picks the case:
//   even: the system's Reader (language decided, or forced by the byte's
//   bits), kind and styles from the byte; a reading never holds a Han
//   character (each one was read) and no alternative repeats the reading;
//   odd: the rest is a converted dictionary file; mapping it either fails or
//   gives a dictionary whose lookups stay inside the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <unistd.h>

#include "Category/Reader.h"
#include "Platform/Text.h"
#include "Reading/Chinese/PinyinDictionary.h"
#include "Reading/SystemReadingKit.h"

namespace {

struct Readers {
    std::unique_ptr<yomi::ReadingKit> kit = yomi::reading::systemReadingKit(false);
    yomi::Reader reader;
    Readers() { kit->lend(reader); }
};

Readers& readers()
{
    static Readers r;
    return r;
}

void readValue(std::uint8_t pick, std::u16string_view value)
{
    yomi::Reader& reader = readers().reader;
    reader.styles.japanese = static_cast<yomi::ReadingStyle>((pick >> 1) % 3);
    reader.styles.chinese = (pick & 8) ? yomi::ChineseStyle::Zhuyin : yomi::ChineseStyle::Pinyin;
    reader.styles.korean = (pick & 16) ? yomi::KoreanStyle::Latin : yomi::KoreanStyle::Hangul;
    reader.prefer = (pick & 32) ? yomi::Language::Chinese : yomi::Language::Japanese;
    yomi::ValueContext context;
    context.kind = (pick & 64) ? yomi::NameKind::Title : yomi::NameKind::Person;
    std::optional<yomi::Language> forced;
    if (pick & 128)
        forced = static_cast<yomi::Language>(1 + (pick >> 1) % 3);
    const yomi::ValueReading r = reader.read(value, context, forced);
    if (r.reading && yomi::containsHan(*r.reading))
        std::abort();
    for (const auto& a : r.alternatives)
        if (yomi::containsHan(a) || (r.reading && a == *r.reading))
            std::abort();
}

void mapDictionary(std::string_view bytes)
{
    static const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("yomi-fuzz-pinyin-" + std::to_string(::getpid()) + ".dic");
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    auto mapped = yomi::chinese::PinyinDictionary::map(file);
    if (!mapped)
        return;
    for (const char16_t* key : {u"音", u"音乐", u"", u"\xffff", u"曾志伟"}) {
        (void)(*mapped)->lookup(key);
        (void)(*mapped)->hasPrefix(key);
    }
}

} // namespace

// The engines open their dictionaries, and make the pinyin dictionary the
// first time, at their first reading: before the runs, once per language.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    for (const std::uint8_t forced : {128, 130, 132})
        readValue(forced, u"東京音乐독립문");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0 || size > 4096)
        return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1)
        mapDictionary(rest);
    else if (rest.size() <= 256)
        readValue(data[0], yomi::toUtf16(rest));
    return 0;
}
