// The Japanese reading engine over any value a tag can hold: it must never
// read outside the value or crash on it, a reading it gives holds no Han
// character (each one was read), and no alternative repeats the reading.
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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0 || size > 256 || !engine().available())
        return 0;
    const auto style = static_cast<yomi::ReadingStyle>(data[0] % 3);
    const std::u16string value = yomi::toUtf16(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    const yomi::ValueReading r = yomi::readValue(engine(), nullptr, value, style, 4);
    if (r.reading && yomi::containsHan(*r.reading))
        std::abort();
    for (const auto& a : r.alternatives)
        if (r.reading && a == *r.reading)
            std::abort();
    return 0;
}
