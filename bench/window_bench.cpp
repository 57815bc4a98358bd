// yomi-window-bench: how long the window's event loop goes without running
// while it works on a large library, offscreen.
//
//   yomi-window-bench [--field artist|album|name|...] [--save] [--gaps MS] LIBRARY
//
// A probe (a QTimer firing every 5 ms) notes the longest gap between two of
// its ticks while the window does, one after the other: a Load of the
// library (the Load button), a keystroke in the filter box (one character,
// then the box cleared), a sort by each of the first two columns, and with
// --save two Saves: one with the sort values of the first rows (list order)
// whose tracks make a tenth of the library changed to values of this run
// (every other row's sort value emptied, so that only those tracks are
// written), then one with nothing left to write (the walk alone). Each line
// gives the step, its time and the longest gap, with the rows the list shows.
// With --gaps, every gap longer than MS milliseconds goes to standard error
// with its step, where in the step it began and what the status line said
// when it ended. The library folder is read, never written without --save;
// library indexes and settings go under a temporary folder.
#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QLabel>
#include <QHeaderView>
#include <QLineEdit>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Bridge/Fields.h"
#include "Bridge/Folder/FolderLibrary.h"
#include "Platform/Launcher.h"
#include "Platform/Log.h"
#include "Window/MainWindow.h"

namespace {

// Save starts the log viewer; the bench starts nothing.
class NullLauncher final : public yomi::Launcher {
public:
    bool launch(std::string_view) override { return true; }
};

// The tag of a field by its command-line name (artist, album, name, ...).
std::optional<std::int32_t> fieldTag(const std::string& name)
{
    for (std::size_t i = 0; i < yomi::kFieldTable.size(); ++i) {
        if (yomi::kFieldTable[i].cliName == name)
            return static_cast<std::int32_t>(i);
    }
    return std::nullopt;
}

// The longest time between two ticks of a 5 ms timer, from reset() on; with
// a threshold, every gap above it is noted too, with what `where` said when
// it ended.
class StallProbe {
public:
    struct Gap {
        qint64 start = 0;
        qint64 length = 0;
        QString where;
    };

    StallProbe()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        timer_.start();
    }
    void reset()
    {
        QApplication::processEvents();
        clock_.start();
        last_ = 0;
        longest_ = 0;
        gaps_.clear();
    }
    void noteGapsAbove(qint64 ms, std::function<QString()> where)
    {
        threshold_ = ms;
        where_ = std::move(where);
    }
    // The longest gap so far, counting the one still open.
    qint64 longest() const { return std::max(longest_, clock_.elapsed() - last_); }
    const std::vector<Gap>& gaps() const { return gaps_; }

private:
    void tick()
    {
        const qint64 now = clock_.elapsed();
        longest_ = std::max(longest_, now - last_);
        if (threshold_ > 0 && now - last_ > threshold_)
            gaps_.push_back(Gap{last_, now - last_, where_ ? where_() : QString()});
        last_ = now;
    }
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
    qint64 threshold_ = 0;
    std::function<QString()> where_;
    std::vector<Gap> gaps_;
};

// Runs `step` from the event loop, then lets the loop run until `done` holds
// (checked every tick) or a minute passes; prints the step's time and the
// longest stall.
void measure(const char* name, StallProbe& probe, yomi::gui::MainWindow& w, const std::function<void()>& step,
             const std::function<bool()>& done)
{
    probe.reset();
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(0, step);
    QApplication::processEvents();
    while (!done() && clock.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    // A little more, so that what the step posted runs and counts too.
    const qint64 end = clock.elapsed() + 50;
    while (clock.elapsed() < end)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    std::printf("| %s | %.3f | %lld | %d |\n", name, static_cast<double>(clock.elapsed() - 50) / 1000.0,
                static_cast<long long>(probe.longest()), w.viewModel().rowCount());
    std::fflush(stdout);
    for (const StallProbe::Gap& gap : probe.gaps())
        std::fprintf(stderr, "%s: gap of %lld ms from %lld ms on, ending at \"%s\"\n", name,
                     static_cast<long long>(gap.length), static_cast<long long>(gap.start),
                     gap.where.toUtf8().constData());
}

// The sort values of the first rows (list order) whose tracks make a tenth of
// the tracks the Load walked get values of this run, so that Save writes
// each of those tracks; every other row's sort value is emptied, which Save
// skips.
void changeTenth(yomi::SRMainController& controller)
{
    const std::size_t tracks = controller.lastLoadReport().tracks;
    const std::string token = std::to_string(QDateTime::currentMSecsSinceEpoch());
    std::size_t covered = 0, changed = 0;
    for (const yomi::PairEntryRef& e : controller.dataArray()->entries()) {
        if (covered * 10 < tracks) {
            e->sortStr = yomi::toUtf16("bench " + token + " " + std::to_string(changed++));
            covered += e->trackCount;
        } else {
            e->sortStr.clear();
        }
    }
    std::fprintf(stderr, "yomi-window-bench: %zu rows changed, %zu of %zu tracks\n", changed, covered, tracks);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_STATE_HOME", (home.path() + "/state").toUtf8());
    QApplication app(argc, argv);
    std::string field = "artist", library;
    bool save = false;
    long gapsAbove = 0;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--field") && i + 1 < argc)
            field = argv[++i];
        else if (!std::strcmp(argv[i], "--save"))
            save = true;
        else if (!std::strcmp(argv[i], "--gaps") && i + 1 < argc)
            gapsAbove = std::strtol(argv[++i], nullptr, 10);
        else
            library = argv[i];
    }
    if (library.empty()) {
        std::fprintf(stderr, "usage: yomi-window-bench [--field FIELD] [--save] [--gaps MS] LIBRARY\n");
        return 2;
    }
    yomi::log::setSink([](std::string_view, yomi::log::Priority) {});
    yomi::setLauncher(std::make_shared<NullLauncher>());
    yomi::bridge::folder::registerFolderLibrary(library);

    yomi::gui::MainWindow w;
    w.window().resize(900, 700);
    w.window().show();
    const std::optional<std::int32_t> tag = fieldTag(field);
    if (!tag) {
        std::fprintf(stderr, "yomi-window-bench: no field %s\n", field.c_str());
        return 2;
    }
    w.controller().setKeyTag(*tag);
    StallProbe probe;
    if (gapsAbove > 0)
        probe.noteGapsAbove(gapsAbove, [&] { return w.statusLine()->text(); });
    const auto busy = [&] { return w.progressIndicator()->isVisible(); };

    std::printf("| step (field %s) | time (s) | longest stall (ms) | rows shown |\n|---|---:|---:|---:|\n", field.c_str());
    measure("Load (no index)", probe, w, [&] { w.loadButton()->click(); }, [&] { return !busy(); });
    measure("Load (index)", probe, w, [&] { w.loadButton()->click(); }, [&] { return !busy(); });
    measure("filter keystroke", probe, w, [&] { w.filterBox()->setText(QStringLiteral("a")); }, [] { return true; });
    measure("filter cleared", probe, w, [&] { w.filterBox()->clear(); }, [] { return true; });
    for (int column : {0, 1})
        measure(column == 0 ? "sort by value" : "sort by sort value", probe, w,
                [&, column] { w.listView()->sortByColumn(column, Qt::AscendingOrder); }, [] { return true; });
    if (save) {
        changeTenth(w.controller());
        measure("Save (10% of tracks changed)", probe, w, [&] { w.saveButton()->click(); }, [&] { return !busy(); });
        std::fprintf(stderr, "yomi-window-bench: the Save wrote %zu tracks, %zu failed\n",
                     w.controller().lastSaveReport().written, w.controller().lastSaveReport().failed);
        measure("Save (nothing to write)", probe, w, [&] { w.saveButton()->click(); }, [&] { return !busy(); });
    }
    return 0;
}
