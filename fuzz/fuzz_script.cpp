// The script runner over any source text; launches are recorded, nothing
// starts.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "Category/AppleScriptUtility.h"
#include "Platform/Launcher.h"

namespace {

class NullLauncher final : public yomi::Launcher {
public:
    bool launch(std::string_view) override { return true; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const auto installed = yomi::setLauncher(std::make_shared<NullLauncher>());
    (void)installed;
    // Little-endian UTF-16 code units, lone surrogates included.
    std::u16string source;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        source.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    yomi::runAppleScriptWithString(source);
    return 0;
}
