// yomi: the entry point. Hands the arguments to Qt at once, reads the one
// option of our own (--library DIR), makes the main window and runs the loop.

#include <QApplication>
#include <QCommandLineParser>
#include <QMainWindow>

#include "Bridge/MemoryLibrary.h"
#include "Bridge/MusicLibrary.h"
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

    auto library = yomi::bridge::MemoryLibrary::create();
    yomi::bridge::registerApplication(yomi::bridge::kMusicApplicationIdentifier,
                                      [library] { return library; });

    yomi::gui::MainWindow mainWindow;
    mainWindow.window().show();
    return QApplication::exec();
}
