// The main window on a test library: a real window with real widgets (under
// QT_QPA_PLATFORM=offscreen in ctest), a memory library registered as the
// music application, a launcher that records instead of starting programs,
// and the log captured.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QMainWindow>
#include <QSettings>
#include <QStringList>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "support/MemoryLibrary.h"
#include "Platform/Launcher.h"
#include "Window/MainWindow.h"
#include "support/RecordingLauncher.h"
#include "support/WindowFakes.h"

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& list, std::ostream* os) { *os << '[' << list.join(", ").toStdString() << ']'; }

namespace yomi::test {

// The one QApplication of the test process, made on first use. The window's
// settings go to a folder of the process's own, never the user's, so that
// tests running at the same time do not share them.
inline QApplication& guiApplication()
{
    static int argc = 1;
    static char name[] = "yomi_gui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        auto* made = new QApplication(argc, argv);
        static QTemporaryDir settings;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
        return made;
    }();
    return *app;
}

// Fails the current test for every fault QAbstractItemModelTester finds in a
// model (its warnings start with "FAIL!"); other messages go on as before.
inline QtMessageHandler& previousMessageHandler()
{
    static QtMessageHandler previous = nullptr;
    return previous;
}
inline void failOnModelFault(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("FAIL!")))
        ADD_FAILURE() << "list model: " << message.toStdString();
    if (QtMessageHandler previous = previousMessageHandler())
        previous(type, context, message);
}

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        guiApplication();
        library = bridge::MemoryLibrary::create();
        registration = std::make_unique<bridge::ScopedApplication>(bridge::kMusicApplicationIdentifier, library);
        launcher = std::make_shared<RecordingLauncher>();
        previousLauncher = setLauncher(launcher);
        QSettings().clear(); // each test's window starts afresh
        ui = std::make_unique<gui::MainWindow>();
        // No dialog ever opens in a test: the questions are recorded and
        // answered from `answers`, Cancel (or No) when it is empty.
        ui->setAsker([this](const gui::Question& q) {
            asked.push_back(q);
            if (answers.empty())
                return q.kind == gui::Question::Kind::Unsaved ? gui::Answer::Cancel : gui::Answer::No;
            const gui::Answer a = answers.front();
            answers.pop_front();
            return a;
        });
        previousMessageHandler() = qInstallMessageHandler(failOnModelFault);
        modelTester = std::make_unique<QAbstractItemModelTester>(
            view().model(), QAbstractItemModelTester::FailureReportingMode::Warning);
        ui->window().show();
        ui->window().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&ui->window()));
    }

    void TearDown() override
    {
        modelTester.reset();
        qInstallMessageHandler(previousMessageHandler());
        ui.reset();
        setLauncher(previousLauncher);
        registration.reset();
    }

    // Adds a plain audio track with a value and a sort value for a field.
    void addTrack(std::string_view valueKey, const std::u16string& value, std::string_view sortKey, OptString sortValue)
    {
        library->addTrack(valueKey, value, sortKey, std::move(sortValue));
    }

    QTableView& view() { return *ui->listView(); }
    int rows() { return view().model()->rowCount(); }

    // The text the view shows in a cell.
    QString cell(int row, int column) { return view().model()->index(row, column).data(Qt::DisplayRole).toString(); }
    QStringList column(int c)
    {
        QStringList out;
        for (int r = 0; r < rows(); ++r)
            out << cell(r, c);
        return out;
    }

    void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

    // Clicks a row of the list; with Ctrl it is added to the selection.
    void clickRow(int row, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        const QRect rect = view().visualRect(view().model()->index(row, 0));
        QTest::mouseClick(view().viewport(), Qt::LeftButton, mods, rect.center());
    }

    // The pair entry that the controller's index holds for a value.
    PairEntryRef indexed(const std::u16string& value)
    {
        const auto& dict = ui->controller().pairDict();
        if (!dict)
            return nullptr;
        auto it = dict->find(value);
        return it == dict->end() ? nullptr : it->second;
    }

    std::shared_ptr<bridge::MemoryLibrary> library;
    std::unique_ptr<bridge::ScopedApplication> registration;
    std::shared_ptr<RecordingLauncher> launcher;
    std::shared_ptr<Launcher> previousLauncher;
    LogCapture log;
    std::unique_ptr<gui::MainWindow> ui;
    std::vector<gui::Question> asked;
    std::deque<gui::Answer> answers;
    std::unique_ptr<QAbstractItemModelTester> modelTester;
};

} // namespace yomi::test
