// The script runner: runs the small scripts the system uses to start other
// applications.
//
// Understood forms, one a line: `tell application "NAME"`, `launch` or
// `activate` inside a tell block, `end tell`, blank lines and `--` comments.
// A script with anything else does not compile, and nothing of it runs. Both
// functions run the script to its end before they return and report nothing.
#pragma once

#include <string>
#include <string_view>

namespace yomi {

void runAppleScriptWithString(std::u16string_view source);
void runAppleScriptWithFile(const std::string& path);

} // namespace yomi
