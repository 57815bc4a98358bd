// The Japanese reading engine over any value a tag can hold, with the
// language settled or not: it must never read outside the value or crash on
// it, a reading it gives holds no Han character (each one was read) and no
// control character, says how far it can be trusted and why, and no
// alternative repeats the reading. What the engine knows of a value never
// crashes either.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "Category/Reading.h"
#include "Platform/Text.h"
#include "Reading/MecabReadingEngine.h"

namespace {

yomi::reading::MecabReadingEngine& engine()
{
    static yomi::reading::MecabReadingEngine e([] {
        auto paths = yomi::reading::EnginePaths::system();
        paths.cacheDir = std::filesystem::temp_directory_path() / "yomi-fuzz-reading";
        return paths;
    }());
    return e;
}

} // namespace

// The engine opens its dictionaries, and prepares their cache the first
// time, at its first reading: before the runs, not in the first one's time.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // A compound (恋 and 桜) counts how the word dictionary voices words
    // once, on first need: here too.
    if (engine().available())
        (void)yomi::readValue(engine(), nullptr, u"東京の恋桜", yomi::ReadingStyle::Katakana, 4, yomi::RunRequest{});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0 || size > 256 || !engine().available())
        return 0;
    const auto style = static_cast<yomi::ReadingStyle>(data[0] % 3);
    const std::u16string value = yomi::toUtf16(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    yomi::RunRequest request;
    request.languageSettled = (data[0] & 8) != 0;
    request.kind = (data[0] & 16) != 0 ? yomi::NameKind::Title : yomi::NameKind::Person;
    const yomi::ValueReading r = yomi::readValue(engine(), nullptr, value, style, 4, request);
    if (r.reading && yomi::containsHan(*r.reading))
        std::abort();
    if (r.reading && (r.reason.empty() || std::any_of(r.reading->begin(), r.reading->end(), [](char16_t c) {
                          return c < 0x20 || (c >= 0x7F && c <= 0x9F);
                      })))
        std::abort();
    if ((data[0] & 32) != 0)
        (void)engine().know(value);
    for (const auto& a : r.alternatives)
        if (r.reading && a == *r.reading)
            std::abort();
    return 0;
}
