// yomi: the entry point. Hands the arguments to Qt at once, installs the
// translation for the user's locale, reads the one option of our own
// (--library DIR), makes the main window and runs the loop.
//
// The library is the command line's folder when given, else the folder last
// opened from the window while it still exists, else the music folder.

#include <filesystem>
#include <optional>
#include <string_view>

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMainWindow>

#include "Bridge/Folder/FolderLibrary.h"
#include "Reading/SystemReadingKit.h"
#include "Window/MainWindow.h"
#include "Window/Translations.h"

namespace {

std::filesystem::path toPath(const QString& folder)
{
    return std::filesystem::path(QFile::encodeName(folder).toStdString());
}

void nameApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("yomi"));
    QCoreApplication::setApplicationName(QStringLiteral("yomi"));
    QCoreApplication::setApplicationVersion(QStringLiteral(YOMI_VERSION));
}

const QCommandLineOption& libraryOption()
{
    static const QCommandLineOption option(
        QStringLiteral("library"),
        QStringLiteral("The folder of audio files to edit (default: the folder last opened, else your music folder)."),
        QStringLiteral("DIR"));
    return option;
}

void describe(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Fills in the sort fields of a music library for values outside kana and the Latin alphabet."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(libraryOption());
}

// --help and --version print their text and end; they need no display.
bool onlyPrints(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        if (arg == "--help" || arg == "-h" || arg == "-?" || arg == "--help-all" || arg == "--version" || arg == "-v")
            return true;
        if (arg == "--")
            break;
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    if (onlyPrints(argc, argv)) {
        QCoreApplication app(argc, argv);
        nameApplication();
        QCommandLineParser parser;
        describe(parser);
        parser.process(app); // prints and exits
        return 0;
    }
    QApplication app(argc, argv);
    nameApplication();
    QApplication::setDesktopFileName(QStringLiteral("yomi"));
    yomi::gui::installTranslations(app, QLocale());

    QCommandLineParser parser;
    describe(parser);
    parser.process(app);

    std::optional<std::filesystem::path> libraryDir;
    if (parser.isSet(libraryOption())) {
        libraryDir = toPath(parser.value(libraryOption()));
    } else {
        const QString remembered = yomi::gui::MainWindow::rememberedLibraryFolder();
        if (!remembered.isEmpty() && QFileInfo(remembered).isDir())
            libraryDir = toPath(remembered);
    }
    const std::filesystem::path root = yomi::bridge::folder::libraryRoot(libraryDir);
    yomi::bridge::folder::registerFolderLibrary(root);

    yomi::gui::MainWindow mainWindow;
    // The dictionaries open while the window comes up, so the first Reading
    // does not wait for them.
    mainWindow.setReadingKit(yomi::reading::systemReadingKit(true));
    mainWindow.setLibraryFolder(QFile::decodeName(root.c_str()));
    mainWindow.setLibraryOpener([](const QString& folder) {
        yomi::bridge::folder::registerFolderLibrary(toPath(folder));
        return yomi::Status();
    });
    mainWindow.window().show();
    return QApplication::exec();
}
