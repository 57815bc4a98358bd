// yomi-cli: list, apply and preview sort values of a folder library from the
// command line. See Cli.h, and `yomi-cli help`.
#include <dirent.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "Bridge/Folder/FolderLibrary.h"
#include "Bridge/MusicLibrary.h"
#include "Cli/Cli.h"
#include "Platform/Log.h"
#include "Reading/SystemReadingKit.h"

namespace {

// Keeps the folder library registered for the run, then restores what was
// registered before.
class Registration {
public:
    explicit Registration(const std::filesystem::path& root)
        : previous_(yomi::bridge::folder::registerFolderLibrary(root))
    {
    }
    ~Registration()
    {
        yomi::bridge::registerApplication(yomi::bridge::kMusicApplicationIdentifier, std::move(previous_));
    }
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;

private:
    yomi::bridge::ApplicationFactory previous_;
};

yomi::Result<std::shared_ptr<void>> openLibrary(const std::optional<std::filesystem::path>& given)
{
    const std::filesystem::path root = yomi::bridge::folder::libraryRoot(given);
    std::error_code ec;
    if (!std::filesystem::is_directory(root, ec))
        return yomi::Failure{"no library folder at " + root.string() + (given ? "" : " (give one with --library DIR)")};
    // A folder that cannot be read would scan as an empty library.
    if (DIR* dir = ::opendir(root.c_str()))
        ::closedir(dir);
    else
        return yomi::Failure{"cannot read the library folder " + root.string() + ": " + std::strerror(errno)};
    return std::shared_ptr<void>(std::make_shared<Registration>(root));
}

} // namespace

int main(int argc, char** argv)
{
    yomi::log::setProgramName("yomi-cli");
    yomi::cli::setReadingKitFactory([] { return yomi::reading::systemReadingKit(false); });
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    return yomi::cli::main(args, {std::cin, std::cout, std::cerr}, openLibrary);
}
