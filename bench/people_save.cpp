// yomi-people-save: the cost of a Save over the three person fields against
// three Saves of one field each, over the in-memory library, for instruction
// counts (the machine is shared: wall time is no measure).
//
//   yomi-people-save people|single [TRACKS]
//
// Makes TRACKS tracks (default 100,000) whose artist, album artist and
// composer are drawn from 5,000 names without sort values, then either sets a
// sort value for every name in the three fields as one (people) and saves
// once, or does so one field at a time (single): Load, set, Save, three
// times. Every Save goes through SRMainController::saveFields, so that
//   valgrind --tool=callgrind --toggle-collect='yomi::SRMainController::saveFields*' yomi-people-save people
// counts the Saves alone. The undo logs go to a folder of their own under
// $YOMI_BENCH_STATE (default /tmp; /dev/shm keeps the syncs of the logs out
// of the figures), removed at the end.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "Bridge/MusicLibrary.h"
#include "Controller/SRMainController.h"
#include "Platform/Launcher.h"
#include "Platform/Log.h"
#include "support/MemoryLibrary.h"

using namespace yomi;

namespace {

class NullLauncher final : public Launcher {
public:
    bool launch(std::string_view) override { return true; }
};

String nameOf(std::size_t i) { return u"名前" + toUtf16(std::to_string(i)); }

void setEverySort(SRMainController& c)
{
    c.dataArray()->forEach([](const PairEntryRef& e) { e->sortStr = u"sort " + e->originalStr; });
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    const std::size_t tracks = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 100000;
    if ((mode != "people" && mode != "single") || tracks == 0) {
        std::fprintf(stderr, "usage: yomi-people-save people|single [TRACKS]\n");
        return 2;
    }
    const std::filesystem::path state = std::filesystem::path(std::getenv("YOMI_BENCH_STATE") ? std::getenv("YOMI_BENCH_STATE") : "/tmp") /
        ("yomi-people-save-" + std::to_string(::getpid()));
    ::setenv("XDG_STATE_HOME", state.c_str(), 1);
    log::ScopedSink quiet([](std::string_view) {});
    setLauncher(std::make_shared<NullLauncher>());

    auto library = bridge::MemoryLibrary::create();
    library->setRecording(false);
    for (std::size_t i = 0; i < tracks; ++i) {
        std::map<std::string, bridge::Value, std::less<>> p{{"name", bridge::Value(String(u"t"))},
                                                            {"podcast", bridge::Value(false)},
                                                            {"videoKind", bridge::Value(bridge::kVideoKindNone)}};
        p["artist"] = bridge::Value(nameOf(i % 5000));
        p["albumArtist"] = bridge::Value(nameOf((i / 10) % 5000));
        p["composer"] = bridge::Value(nameOf((i * 7) % 5000));
        for (const char* key : {"sortArtist", "sortAlbumArtist", "sortComposer"})
            p[key] = bridge::Value(String());
        library->addTrack(std::move(p));
    }
    bridge::ScopedApplication registration(bridge::kMusicApplicationIdentifier, library);

    std::size_t written = 0;
    SRMainController c;
    if (mode == "people") {
        c.setFieldTags({0, 2, 3});
        c.load(nullptr);
        setEverySort(c);
        c.save(nullptr);
        written = c.lastSaveReport().written;
    } else {
        for (const std::int32_t tag : {0, 2, 3}) {
            c.setKeyTag(tag);
            c.load(nullptr);
            setEverySort(c);
            c.save(nullptr);
            written += c.lastSaveReport().written;
        }
    }
    std::error_code ec;
    std::filesystem::remove_all(state, ec);
    std::printf("%s: %zu tracks, %zu sort values written\n", mode.c_str(), tracks, written);
    return 0;
}
