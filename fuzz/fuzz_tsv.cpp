// The assignment (TSV) parser of yomi-cli and its field unescaping: an
// accepted field must escape back to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Cli/Cli.h"
#include "Platform/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace yomi;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto assignments = cli::parseAssignments(text);
    if (!assignments && assignments.reason().empty())
        std::abort();

    const auto field = cli::unescapeField(text);
    // formatListLine escapes both fields and ends the line; parsing that line
    // must give the field back, or refuse it as a sort value when it holds a
    // NUL. (A byte order mark that starts the input is taken for the file's,
    // not the value's.)
    if (field && !field->starts_with(u'\uFEFF')) {
        const std::string line = cli::formatListLine(*field, *field);
        const auto again = cli::parseAssignments(line);
        if (field->find(u'\0') != String::npos) {
            if (again || again.reason() != "line 1: a sort value cannot hold a NUL character")
                std::abort();
        } else if (!again || again->size() != 1 || (*again)[0].value != *field || (*again)[0].sort != *field) {
            std::abort();
        }
    }
    return 0;
}
