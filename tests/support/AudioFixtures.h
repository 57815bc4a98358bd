// Audio test data: tiny silent template files made once by
// scripts/make-audio-templates, and per-test temporary library folders that
// receive copies of them. No tracked file is ever written.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace yomi::test {

// One template made by the script.
struct AudioTemplate {
    std::string file;      // "template.mp3", "template-v23.mp3", ...
    std::string extension; // the extension a copy gets: "mp3", "m4a", ...
    std::string label;     // a readable test-name fragment: "mp3_v24", "m4a", ...
};

inline void PrintTo(const AudioTemplate& t, std::ostream* os) { *os << t.label; }

// Every template of the script, in a fixed order.
const std::vector<AudioTemplate>& audioTemplates();

// The folder holding the templates. The script runs once per process into a
// cache folder of this user keyed by the script's content (YOMI_AUDIO_TEMPLATES
// overrides it); later runs find the files made. Fails the current test and
// returns an empty path when the script cannot run (ffmpeg missing).
std::filesystem::path audioTemplateFolder();

// The path of one template file; fails the current test when it is missing.
std::filesystem::path audioTemplate(std::string_view file);

// A temporary folder for one test, removed with everything in it when the
// object goes. Files can be made read-only; removal makes them writable first.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Copies a template to `relative` (folders made as needed); returns the
    // copy's path.
    std::filesystem::path copyTemplate(std::string_view templateFile, const std::filesystem::path& relative) const;
    // Writes `bytes` to `relative` (folders made as needed).
    std::filesystem::path writeFile(const std::filesystem::path& relative, std::string_view bytes) const;

private:
    std::filesystem::path path_;
};

// The bytes of a file ("" when it cannot be read).
std::string readBytes(const std::filesystem::path& file);

// Writes `bytes` to `file` (folders made as needed); fails the current test
// when it cannot.
void writeBytes(const std::filesystem::path& file, std::string_view bytes);

// Runs a command through /bin/sh; returns its standard output and sets
// `status` to its exit status (-1 when it could not run).
std::string runCommand(const std::string& command, int* status = nullptr);

// A shell-quoted argument.
std::string shellQuote(std::string_view text);

// A test with its own temporary library folder.
class AudioLibraryTest : public ::testing::Test {
protected:
    TempFolder library;
};

} // namespace yomi::test
