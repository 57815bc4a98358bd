// yomi-screenshot: builds the application's main window over a folder
// library, presses Load as a user would, and writes a PNG of the window.
// Used by scripts/screenshot; not installed.
//
//   yomi-screenshot --library DIR --out FILE.png [--field N] [--select ROWS]
//
// --field chooses the field (0 artist ... 5 show) before Load; --select
// selects rows of the list afterwards ("0,2"), so the picture shows a
// selection too.

#include <filesystem>
#include <iostream>

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QFile>
#include <QItemSelectionModel>
#include <QMainWindow>
#include <QPixmap>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "Bridge/Folder/FolderLibrary.h"
#include "Reading/MecabReadingEngine.h"
#include "Window/MainWindow.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("yomi"));

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption library(QStringLiteral("library"), QStringLiteral("Library folder."),
                                     QStringLiteral("DIR"));
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("PNG file to write."), QStringLiteral("FILE"));
    const QCommandLineOption field(QStringLiteral("field"), QStringLiteral("Field number 0..5."),
                                   QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption select(QStringLiteral("select"), QStringLiteral("Rows to select, e.g. 0,2."),
                                    QStringLiteral("ROWS"));
    parser.addOptions({library, out, field, select});
    parser.process(app);
    if (!parser.isSet(library) || !parser.isSet(out)) {
        std::cerr << "yomi-screenshot: --library DIR and --out FILE are required\n";
        return 2;
    }

    yomi::bridge::folder::registerFolderLibrary(
        std::filesystem::path(QFile::encodeName(parser.value(library)).toStdString()));

    yomi::gui::MainWindow window;
    window.setReadingEngine(std::make_unique<yomi::reading::MecabReadingEngine>());
    window.window().show();
    if (!QTest::qWaitForWindowExposed(&window.window())) {
        std::cerr << "yomi-screenshot: the window was never shown\n";
        return 1;
    }

    window.fieldChooser()->setCurrentIndex(parser.value(field).toInt());
    QTest::mouseClick(window.loadButton(), Qt::LeftButton);

    QTableView* view = window.listView();
    for (const QString& row : parser.value(select).split(',', Qt::SkipEmptyParts))
        view->selectionModel()->select(view->model()->index(row.toInt(), 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view->setFocus();
    QTest::qWait(200); // let the style finish its transitions

    const QPixmap picture = window.window().grab();
    if (!picture.save(parser.value(out), "PNG")) {
        std::cerr << "yomi-screenshot: cannot write " << parser.value(out).toStdString() << "\n";
        return 1;
    }
    std::cout << "yomi-screenshot: " << view->model()->rowCount() << " rows listed, "
              << picture.width() << "x" << picture.height() << " written to " << parser.value(out).toStdString()
              << "\n";
    return 0;
}
