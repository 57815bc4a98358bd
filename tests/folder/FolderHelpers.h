// Walking a folder library in tests.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "Bridge/Folder/FolderLibrary.h"
#include "Bridge/MusicLibrary.h"

namespace yomi::test {

// Visits every track of a fresh walk of the folder library at `root`.
inline void walkLibrary(const std::filesystem::path& root,
                        const std::function<void(std::size_t, bridge::Track&)>& visit)
{
    auto app = bridge::folder::openFolderLibrary(root);
    auto sequence = bridge::tracksOf(bridge::libraryPlaylist(app));
    std::size_t index = 0;
    bridge::forEachTrack(*sequence, [&](bridge::Track& track) { visit(index++, track); });
}

// Runs `f` on the track at `index` of a fresh walk.
inline void withTrack(const std::filesystem::path& root, std::size_t index,
                      const std::function<void(bridge::Track&)>& f)
{
    bool found = false;
    walkLibrary(root, [&](std::size_t i, bridge::Track& track) {
        if (i == index) {
            found = true;
            f(track);
        }
    });
    if (!found)
        ADD_FAILURE() << "no track " << index << " under " << root;
}

inline OptString stringOf(const bridge::Value& v) { return v.copy(); }

} // namespace yomi::test
