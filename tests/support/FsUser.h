// Permission bits as an ordinary user meets them, also in a test run by root:
// root passes every permission check, so a folder made unreadable with chmod
// stays readable to it. While the object lives, the calling thread's file
// system user and group are an ordinary user's (setfsuid; other threads keep
// theirs), and the files the test makes can be given to that user first.
#pragma once

#include <sys/fsuid.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace yomi::test {

// The user whose permissions a test run by root takes ("nobody").
inline constexpr uid_t kOrdinaryUser = 65534;
inline constexpr gid_t kOrdinaryGroup = 65534;

// Gives a tree to the ordinary user when the test runs as root (else does
// nothing): the files the test checks are that user's own.
inline void giveToOrdinaryUser(const std::filesystem::path& tree)
{
    if (::geteuid() != 0)
        return;
    std::error_code ec;
    (void)::lchown(tree.c_str(), kOrdinaryUser, kOrdinaryGroup);
    for (auto it = std::filesystem::recursive_directory_iterator(tree, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        (void)::lchown(it->path().c_str(), kOrdinaryUser, kOrdinaryGroup);
}

class ScopedOrdinaryUser {
public:
    ScopedOrdinaryUser() : root_(::geteuid() == 0)
    {
        if (root_) {
            ::setfsgid(kOrdinaryGroup);
            ::setfsuid(kOrdinaryUser);
        }
    }
    ~ScopedOrdinaryUser()
    {
        if (root_) {
            ::setfsuid(0);
            ::setfsgid(0);
        }
    }
    ScopedOrdinaryUser(const ScopedOrdinaryUser&) = delete;
    ScopedOrdinaryUser& operator=(const ScopedOrdinaryUser&) = delete;

private:
    bool root_;
};

} // namespace yomi::test
