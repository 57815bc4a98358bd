// yomi-screenshot: builds the application's main window over a folder
// library, presses Load as a user would, and writes a PNG of the window.
// Used by scripts/screenshot; not installed.
//
//   yomi-screenshot --library DIR --out FILE.png [--field N] [--select ROWS]
//                   [--filter TEXT] [--lang LANG] [--reading] [--save]
//
// --lang shows the window in a language (ja, zh_CN, zh_TW; default English);
// --field chooses the field (0 artist ... 5 show) before Load; --filter types
// a text into the filter box afterwards, and --select selects rows of the
// list as then shown ("0,2"), so the picture shows a selection too;
// --reading then presses Reading, setting the selected rows to their
// Japanese readings; --save then presses Save (the picture shows the status
// line after it).

#include <filesystem>
#include <iostream>

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QFile>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QLocale>
#include <QMainWindow>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "Bridge/Folder/FolderLibrary.h"
#include "Reading/SystemReadingKit.h"
#include "Window/MainWindow.h"
#include "Window/Translations.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("yomi"));
    // The window's settings (field, geometry) neither come from nor go to
    // the user's own.
    const QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption library(QStringLiteral("library"), QStringLiteral("Library folder."),
                                     QStringLiteral("DIR"));
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("PNG file to write."), QStringLiteral("FILE"));
    const QCommandLineOption field(QStringLiteral("field"), QStringLiteral("Field number 0..5."), QStringLiteral("N"),
                                   QStringLiteral("0"));
    const QCommandLineOption select(QStringLiteral("select"), QStringLiteral("Rows to select, e.g. 0,2."),
                                    QStringLiteral("ROWS"));
    const QCommandLineOption filter(QStringLiteral("filter"), QStringLiteral("Text for the filter box."),
                                    QStringLiteral("TEXT"));
    const QCommandLineOption lang(QStringLiteral("lang"), QStringLiteral("Language, e.g. ja."), QStringLiteral("LANG"));
    const QCommandLineOption reading(QStringLiteral("reading"), QStringLiteral("Press Reading after the selection."));
    const QCommandLineOption save(QStringLiteral("save"), QStringLiteral("Press Save at the end."));
    parser.addOptions({library, out, field, select, filter, lang, reading, save});
    parser.process(app);
    if (parser.isSet(lang)) {
        const QLocale locale(parser.value(lang));
        QLocale::setDefault(locale);
        if (!yomi::gui::installTranslations(app, locale) && locale.language() != QLocale::English) {
            std::cerr << "yomi-screenshot: no translation for " << parser.value(lang).toStdString() << "\n";
            return 2;
        }
    }
    if (!parser.isSet(library) || !parser.isSet(out)) {
        std::cerr << "yomi-screenshot: --library DIR and --out FILE are required\n";
        return 2;
    }

    yomi::bridge::folder::registerFolderLibrary(
        std::filesystem::path(QFile::encodeName(parser.value(library)).toStdString()));

    yomi::gui::MainWindow window;
    window.setReadingKit(yomi::reading::systemReadingKit(false));
    window.window().show();
    if (!QTest::qWaitForWindowExposed(&window.window())) {
        std::cerr << "yomi-screenshot: the window was never shown\n";
        return 1;
    }

    window.setLibraryFolder(parser.value(library));
    window.fieldChooser()->setCurrentIndex(parser.value(field).toInt());
    QTest::mouseClick(window.loadButton(), Qt::LeftButton);
    if (parser.isSet(filter))
        window.filterBox()->setText(parser.value(filter));

    QTableView* view = window.listView();
    for (const QString& row : parser.value(select).split(',', Qt::SkipEmptyParts))
        view->selectionModel()->select(view->model()->index(row.toInt(), 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (parser.isSet(reading))
        QTest::mouseClick(window.readingButton(), Qt::LeftButton);
    if (parser.isSet(save))
        QTest::mouseClick(window.saveButton(), Qt::LeftButton);
    view->setFocus();
    QTest::qWait(200); // let the style finish its transitions

    const QPixmap picture = window.window().grab();
    if (!picture.save(parser.value(out), "PNG")) {
        std::cerr << "yomi-screenshot: cannot write " << parser.value(out).toStdString() << "\n";
        return 1;
    }
    std::cout << "yomi-screenshot: " << view->model()->rowCount() << " rows listed, " << picture.width() << "x"
              << picture.height() << " written to " << parser.value(out).toStdString() << "\n";
    return 0;
}
