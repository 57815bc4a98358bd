// yomi: the entry point. Hands the arguments to Qt at once, reads the one
// option of our own (--library DIR), makes the main window and runs the loop.

#include <filesystem>
#include <optional>

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QMainWindow>

#include "Bridge/Folder/FolderLibrary.h"
#include "Reading/MecabReadingEngine.h"
#include "Window/MainWindow.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("yomi"));
    QApplication::setApplicationVersion(QStringLiteral(YOMI_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("yomi"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Fills in the sort fields of a music library for values outside kana and the Latin alphabet."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption libraryOption(
        QStringLiteral("library"),
        QStringLiteral("The folder of audio files to edit (default: your music folder)."),
        QStringLiteral("DIR"));
    parser.addOption(libraryOption);
    parser.process(app);

    std::optional<std::filesystem::path> libraryDir;
    if (parser.isSet(libraryOption))
        libraryDir = std::filesystem::path(QFile::encodeName(parser.value(libraryOption)).toStdString());
    yomi::bridge::folder::registerFolderLibrary(yomi::bridge::folder::libraryRoot(libraryDir));

    yomi::gui::MainWindow mainWindow;
    mainWindow.setReadingEngine(std::make_unique<yomi::reading::MecabReadingEngine>());
    mainWindow.window().show();
    return QApplication::exec();
}
