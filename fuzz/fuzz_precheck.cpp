// The structural pre-check alone over any bytes, the format taken from the
// first byte: it must end, read nothing outside the bytes and allocate no
// more than they hold.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Bridge/Bytes/Precheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace yomi::bridge::folder;
    if (size == 0)
        return 0;
    const auto format = static_cast<Format>(data[0] % (static_cast<int>(Format::Xm) + 1));
    (void)precheck(format, std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    return 0;
}
