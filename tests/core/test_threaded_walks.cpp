// Load and Save with their walk on a thread of their own (an event loop set)
// against the same Load and Save on the caller's thread: the list, its
// counts, the changes the observers see, the progress and the writes must be
// the same, and a Cancel must give back the list from before.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "Controller/SRMainController.h"
#include "support/MemoryLibrary.h"
#include "support/TestEventLoop.h"
#include "support/WindowFakes.h"

namespace yomi {
namespace {

using bridge::MemoryLibrary;
using bridge::Value;
using test::LogCapture;
using test::RecordingObserver;
using test::TestEventLoop;
using test::WiredController;

// A library of `tracks` tracks whose artists repeat, with sort values absent,
// empty or set (so that empty listed sort values give way and rows move to
// the end), podcasts and videos, kana and Latin values that are never
// listed, unreadable tracks and older spellings; the same every time.
std::shared_ptr<MemoryLibrary> mixedLibrary(int tracks)
{
    auto library = MemoryLibrary::create();
    library->setRecording(false);
    unsigned seed = 7;
    const auto next = [&seed](unsigned below) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % below;
    };
    for (int i = 0; i < tracks; ++i) {
        const unsigned name = next(400);
        OptString value = std::u16string{static_cast<char16_t>(0x4E00 + name), static_cast<char16_t>(0x5000 + name % 7)};
        if (name % 37 == 0)
            value = u"かな" + std::u16string(1, static_cast<char16_t>(u'a' + name % 26));
        if (next(50) == 0)
            value = std::nullopt; // unreadable
        OptString sort;
        switch (next(4)) {
        case 0:
            break;
        case 1:
            sort = u"";
            break;
        default:
            sort = u"sort " + std::u16string(1, static_cast<char16_t>(u'A' + next(3)));
        }
        auto& track = library->addTrack("artist", value, "sortArtist", sort);
        track.set("name", Value(std::u16string(u"track")));
        if (next(40) == 0)
            track.set("podcast", Value(true));
        if (next(60) == 0)
            track.set("videoKind", Value(std::int32_t{0x6B4D6F76})); // 'kMov'
        if (sort && next(30) == 0)
            track.setSpellings("sortArtist", {u"older"});
    }
    return library;
}

// What a Load leaves, row by row, with every count a row shows.
struct Row {
    String value, sort, loaded;
    std::size_t tracks = 0;
    std::vector<std::pair<String, std::size_t>> sorts, spellings, unsettled;
    bool operator==(const Row&) const = default;
};

std::vector<Row> rowsOf(const SRMainController& c)
{
    std::vector<Row> rows;
    if (c.dataArray())
        c.dataArray()->forEach([&](const PairEntryRef& e) {
            rows.push_back(Row{e->originalStr, e->sortStr, e->loadedSort, e->trackCount, e->sortCounts,
                               e->spellingCounts, e->unsettledCounts});
        });
    return rows;
}

// The list changes an observer saw, as text ("insert 3").
std::vector<std::string> changesSeen(const RecordingObserver& observer)
{
    std::vector<std::string> seen;
    for (const auto& e : observer.events) {
        if (e.key != kDataArrayKey || e.before)
            continue;
        const char* kind = e.change.kind == ListChange::Kind::Reset    ? "reset"
            : e.change.kind == ListChange::Kind::Insert                ? "insert"
                                                                       : "remove";
        seen.push_back(std::string(kind) + " " + std::to_string(e.change.row));
    }
    return seen;
}

// Loads and Saves over a library of their own, on the caller's thread or
// with an event loop, with what they told and changed.
struct Walker {
    explicit Walker(std::shared_ptr<MemoryLibrary> lib, bool threaded) : library(std::move(lib))
    {
        if (threaded)
            c.eventLoop = &loop;
        c.addObserver(&observer);
        c.progress = [this](const WalkProgress& p) {
            progress.emplace_back(p.done, p.total.value_or(0));
            progressThreads.push_back(std::this_thread::get_id());
        };
    }
    ~Walker() { c.removeObserver(&observer); }

    void load()
    {
        const bridge::ScopedApplication registration(bridge::kMusicApplicationIdentifier, library);
        const LogCapture log;
        c.load(nullptr);
    }
    void save()
    {
        const bridge::ScopedApplication registration(bridge::kMusicApplicationIdentifier, library);
        const LogCapture log;
        c.save(nullptr);
        for (const std::string& line : log.lines)
            if (line.find("->") != std::string::npos)
                writeLines.push_back(line);
    }

    std::shared_ptr<MemoryLibrary> library;
    WiredController wired;
    SRMainController& c = wired.controller;
    TestEventLoop loop;
    RecordingObserver observer;
    // The change and failure lines the Saves logged.
    std::vector<std::string> writeLines;
    std::vector<std::pair<std::size_t, std::size_t>> progress;
    std::vector<std::thread::id> progressThreads;
};

TEST(ThreadedWalks, ALoadOffTheCallersThreadListsExactlyWhatALoadOnItLists)
{
    constexpr int kTracks = 5000;
    Walker plain(mixedLibrary(kTracks), false);
    plain.load();
    const std::vector<Row> expected = rowsOf(plain.c);
    ASSERT_GT(expected.size(), 300u) << "the library lists too few values to show a fault";
    ASSERT_GT(plain.observer.count(kDataArrayKey, ListChange::Kind::Remove), 0u)
        << "no empty sort value gave way: the library does not test the moves";

    Walker threaded(mixedLibrary(kTracks), true);
    threaded.load();
    EXPECT_GT(threaded.loop.serves, 0) << "the event loop was never served: the walk ran on the caller's thread";
    EXPECT_EQ(threaded.loop.timedOut, 0) << "the caller waited for a wake that never came";

    const std::vector<Row> got = rowsOf(threaded.c);
    ASSERT_EQ(got.size(), expected.size()) << "rows were lost or listed twice";
    for (std::size_t i = 0; i < got.size(); ++i)
        ASSERT_TRUE(got[i] == expected[i]) << "row " << i << " differs (order, sort value or counts)";
    EXPECT_EQ(changesSeen(threaded.observer), changesSeen(plain.observer))
        << "the observers saw other appends and removals";
    for (const auto& [value, entry] : *threaded.c.pairDict())
        ASSERT_EQ(threaded.c.dataArray()->rowOf(entry.get()) == PairList::npos, false)
            << "the index holds an entry the list does not show";
    EXPECT_EQ(threaded.c.pairDict()->size(), got.size());

    const LoadReport& a = plain.c.lastLoadReport();
    const LoadReport& b = threaded.c.lastLoadReport();
    EXPECT_EQ(b.tracks, a.tracks);
    EXPECT_EQ(b.unreadable, a.unreadable);
    EXPECT_GT(b.unreadable, 0u);
    EXPECT_EQ(b.unreadableFiles, a.unreadableFiles);
    EXPECT_FALSE(b.cancelled);

    EXPECT_EQ(threaded.progress, plain.progress) << "the progress was told at other points";
    for (const std::thread::id& id : threaded.progressThreads)
        ASSERT_EQ(id, std::this_thread::get_id()) << "the progress was told on the walk's thread";
    // The window draws itself while its event loop runs: only the redraws
    // at the start and the end of the Load are asked for.
    EXPECT_EQ(threaded.wired.window.displays, 2);
}

TEST(ThreadedWalks, ACancelServedBetweenTheStepsGivesBackTheListFromBefore)
{
    Walker run(mixedLibrary(3000), true);
    run.load();
    const std::shared_ptr<PairList> before = run.c.dataArray();
    const std::vector<Row> beforeRows = rowsOf(run.c);
    ASSERT_FALSE(beforeRows.empty());

    // The Cancel comes as an event of the window, served between the steps
    // of the walk, after some rows of the new list were shown.
    std::size_t shownAtCancel = 0;
    run.c.progress = [&](const WalkProgress& p) {
        if (p.done == 399)
            run.loop.postEvent([&] {
                shownAtCancel = run.c.dataArray()->size();
                run.c.cancelLoad = true;
            });
    };
    run.load();
    EXPECT_TRUE(run.c.lastLoadReport().cancelled);
    EXPECT_GT(shownAtCancel, 0u) << "no rows of the cancelled Load were shown before the Cancel";
    EXPECT_EQ(run.c.dataArray(), before) << "the list from before was not given back";
    EXPECT_TRUE(rowsOf(run.c) == beforeRows) << "the list from before was changed by the cancelled Load";
    EXPECT_EQ(run.c.pairDict()->size(), beforeRows.size());
}

TEST(ThreadedWalks, ACancelAfterTheWalkEndedButBeforeTheLoadReturnedStillCounts)
{
    Walker run(mixedLibrary(500), true);
    run.load();
    const std::shared_ptr<PairList> before = run.c.dataArray();
    // The last progress is told once the walk is over.
    run.c.progress = [&](const WalkProgress& p) {
        if (p.done == 500)
            run.c.cancelLoad = true;
    };
    run.load();
    EXPECT_TRUE(run.c.lastLoadReport().cancelled) << "a Cancel the user saw take no effect";
    EXPECT_EQ(run.c.dataArray(), before);
}

TEST(ThreadedWalks, ASaveOffTheCallersThreadWritesWhatASaveOnItWrites)
{
    constexpr int kTracks = 600;
    Walker plain(mixedLibrary(kTracks), false);
    Walker threaded(mixedLibrary(kTracks), true);
    for (Walker* run : {&plain, &threaded}) {
        run->load();
        // Every third row gets a sort value of its own; the writes of the
        // first track of such a row fail.
        int i = 0;
        run->c.dataArray()->forEach([&](const PairEntryRef& e) {
            if (i++ % 3 == 0)
                e->sortStr = u"new " + e->originalStr;
        });
        for (std::size_t t = 0; t < run->library->trackCount(); ++t) {
            const OptString value = run->library->track(t).get("artist").copy();
            const auto found = value ? run->c.pairDict()->find(*value) : run->c.pairDict()->end();
            if (found != run->c.pairDict()->end() && found->second->sortStr.starts_with(u"new ")) {
                run->library->track(t).failWrites("disk full");
                break;
            }
        }
        run->progress.clear();
        run->save();
    }
    EXPECT_GT(threaded.loop.serves, 0);
    EXPECT_EQ(threaded.loop.timedOut, 0);

    const SaveReport& a = plain.c.lastSaveReport();
    const SaveReport& b = threaded.c.lastSaveReport();
    EXPECT_GT(a.written, 50u) << "the Save wrote too little to show a fault";
    EXPECT_EQ(b.written, a.written);
    EXPECT_EQ(a.failed, 1u);
    EXPECT_EQ(b.failed, a.failed);
    EXPECT_EQ(b.unreadable, a.unreadable);
    EXPECT_TRUE(rowsOf(threaded.c) == rowsOf(plain.c)) << "the counts the Save left in the rows differ";
    std::size_t failedRows = 0;
    threaded.c.dataArray()->forEach([&](const PairEntryRef& e) { failedRows += e->failedWrites ? 1 : 0; });
    EXPECT_EQ(failedRows, 1u) << "the row whose write failed lost its mark";
    for (std::size_t t = 0; t < threaded.library->trackCount(); ++t)
        ASSERT_EQ(threaded.library->track(t).get("sortArtist").copy(), plain.library->track(t).get("sortArtist").copy())
            << "track " << t << " holds another sort value";
    EXPECT_EQ(threaded.writeLines, plain.writeLines) << "the change lines differ (or come in another order)";
    EXPECT_EQ(threaded.writeLines.size(), a.written + a.failed);
    EXPECT_EQ(threaded.progress, plain.progress);
    for (const std::thread::id& id : threaded.progressThreads)
        ASSERT_EQ(id, std::this_thread::get_id()) << "the progress was told on the walk's thread";
}

} // namespace
} // namespace yomi
