// The strings-table parser over any bytes: it must never read outside them,
// and a table it accepts must hold only what it parsed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "Platform/StringsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto result = yomi::strings::parse(bytes);
    if (result) {
        // Every entry comes from at least one input byte or code unit.
        if (result->size() > size)
            std::abort();
    } else if (result.reason().empty() || result.code() < 1) {
        std::abort();
    }
    return 0;
}
