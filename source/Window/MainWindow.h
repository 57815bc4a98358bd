// The main window: the interface file's widgets, the one editor controller,
// the adapters behind its outlets, and the wiring between them.
#pragma once

#include <functional>
#include <map>
#include <memory>

#include <QCoreApplication>
#include <QString>

#include "Controller/SRMainController.h"
#include "Platform/Result.h"

class QAction;
class QCheckBox;
class QDialog;
class QMenu;
class QComboBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QProgressBar;
class QPushButton;
class QSettings;
class QSortFilterProxyModel;
class QTableView;

namespace Ui {
class MainWindow;
}

namespace yomi::gui {

class PairListModel;
class PushButtonAdapter;
class ProgressBarIndicator;
class SelectionArrayController;
class WidgetWindow;

// Building a MainWindow loads the interface file into a new window (not yet
// shown), makes the controller, sets its five outlets, connects the actions
// and the field chooser's binding to keyTag, and calls awakeFromNib once.
// Nothing reads the music library until Load or Save is pressed.
//
// The Save button's tooltip and the status bar say what a Save would write
// (SRMainController::savePreview) and how many readings still need a look,
// kept up to date with the list and its edits; Edit > Revert Last Save shows its result in the status bar.
//
// Before any action runs, a sort value being edited in the list is committed,
// so that an edit in progress is neither lost by Save nor written over a
// command's result later.
//
// The list view shows the model through a sort and filter proxy: the filter
// box narrows the rows to those whose value or sort value holds its text (any
// case), the box beside it to the rows whose reading needs a look (check),
// and a click on a column header sorts the view (a third click gives
// back the list order). The list itself keeps its order, and the commands act
// on the selected rows' own entries.
//
// The status line counts the tracks of a Load or Save walk as it goes ("12,345
// / 100,000 tracks"), on the controller's own redraws; after Load it tells how
// many values need a reading, after a Save in which some writes failed how
// many were written and how many failed. A Save without failures leaves it
// empty.
//
// The chosen field, the window's geometry and the library folder opened from
// the window are kept in the user's QSettings and taken up again by the next
// window.
//
// Needs a QApplication. The window and the controller live as long as the
// object; the controller is destroyed last.
class MainWindow {
    Q_DECLARE_TR_FUNCTIONS(MainWindow)

public:
    // Makes a given folder the music library; fails, with the reason, when it
    // cannot be opened. The window empties its list after a change of
    // library.
    using LibraryOpener = std::function<Status(const QString& folder)>;

    // The settings key of the library folder chosen in the window.
    static constexpr const char* kLibraryFolderKey = "libraryFolder";
    static QString rememberedLibraryFolder();

    MainWindow();
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    QMainWindow& window() { return *window_; }
    SRMainController& controller() { return controller_; }
    PairListModel& model() { return *model_; }

    // The interface file's elements.
    QComboBox* fieldChooser() const;
    QPushButton* loadButton() const;
    QPushButton* saveButton() const;
    QPushButton* copyToSortButton() const;
    QPushButton* romajiButton() const;
    QProgressBar* progressIndicator() const;
    QTableView* listView() const;
    QAction* copyToSortAction() const;
    QAction* romajiAction() const;
    QPushButton* readingButton() const;
    QComboBox* readingStyleChooser() const;
    QAction* readingAction() const;

    // The engines of Reading (null, or none available: the command stays
    // disabled and its tooltip says what to install). The first kit also
    // loads the user's readings ($XDG_CONFIG_HOME/yomi/readings.tsv). The
    // style chooser starts at the style last chosen (QSettings
    // "reading/style") and keeps every new choice there.
    void setReadingKit(std::unique_ptr<ReadingKit> kit);
    // What the last Reading said about values left alone; "" when none.
    QString readingMessage() const;
    // The Reading menu: Read as Japanese / Chinese / Korean on the selected
    // rows, and the settings of the languages (the default for values
    // nothing decides, the Chinese and the Korean style), each remembered in
    // QSettings ("reading/prefer", "reading/zh-style", "reading/ko-style").
    QMenu* readingMenu() const { return readingMenu_; }
    QAction* readAsAction(Language language) const;
    // The setting's action of the default language, the Chinese style and
    // the Korean style ("zh", "zhuyin", "latin" and so on).
    QAction* readingSettingAction(const QString& name) const;
    const Reader& reader() const { return reader_; }
    QAction* quitAction() const;
    QAction* openLibraryAction() const;
    QAction* showLogAction() const;
    // Help → Library Report: the library's sort fields counted, in a window
    // of its own (reportLibrary).
    QAction* libraryReportAction() const { return libraryReportAction_; }
    // "All person fields", beside the field chooser (enabled for artist,
    // album artist and composer).
    QCheckBox* peopleFieldsBox() const { return peopleFields_; }
    QLineEdit* filterBox() const;
    QLabel* statusLine() const;
    QSortFilterProxyModel& viewModel() { return *proxy_; }
    // Beside the filter box: narrows the list to the readings to check.
    QCheckBox* onlyToCheckBox() const { return onlyToCheck_; }

    // The folder shown in the title; set by whoever registered the library.
    void setLibraryFolder(const QString& folder);
    QString libraryFolder() const { return libraryFolder_; }

    // File → Open Library Folder… without its chooser: hands the folder to
    // the opener and, when it took it, remembers and shows it and empties the
    // list. A refusal goes to the status line. Without an opener nothing can
    // be opened and the action is disabled.
    void setLibraryOpener(LibraryOpener opener);
    bool openLibraryFolder(const QString& folder);
    QAction* revertAction() const;

    // The adapters behind the outlets.
    PushButtonAdapter& loadButtonAdapter() { return *loadAdapter_; }
    PushButtonAdapter& saveButtonAdapter() { return *saveAdapter_; }
    ProgressBarIndicator& busyIndicator() { return *busy_; }

private:
    void connectActions();
    void showLibraryReport();
    // Hands the field chooser's field, or with "All person fields" the three,
    // to the controller.
    void applyFieldChoice();
    static bool isPersonField(int tag);
    void bindKeyTag();
    void setUpListView();
    void finishEditing();
    void connectReading();
    void runReading(const void* sender);
    void runReadingAs(Language language);
    void connectLanguageSettings();
    void showReadingState();
    void runLoad();
    void runSave();
    void chooseLibraryFolder();
    void showProgress(const WalkProgress& progress);
    void setStatus(const QString& text);
    void restoreSettings();
    void showSavePreview();
    // The text with how many readings still need a look after it, if any.
    QString withReadingsToCheck(const QString& text) const;
    // Texts of the status line, in the user's language.
    static QString tracksText(std::size_t n);
    static QString valuesText(std::size_t n);
    static QString revertText(const RevertReport& report);

    SRMainController controller_;
    std::unique_ptr<QMainWindow> window_;
    std::unique_ptr<Ui::MainWindow> ui_;
    PairListModel* model_ = nullptr;         // owned by window_
    QSortFilterProxyModel* proxy_ = nullptr; // owned by window_
    QLabel* statusLine_ = nullptr;           // owned by window_
    QCheckBox* onlyToCheck_ = nullptr;       // owned by window_
    std::unique_ptr<QSettings> settings_;
    LibraryOpener opener_;
    QString libraryFolder_;
    WalkProgress lastProgress_;
    std::unique_ptr<WidgetWindow> windowAdapter_;
    std::unique_ptr<ProgressBarIndicator> busy_;
    std::unique_ptr<PushButtonAdapter> loadAdapter_;
    std::unique_ptr<PushButtonAdapter> saveAdapter_;
    std::unique_ptr<SelectionArrayController> selection_;
    std::unique_ptr<ReadingKit> readingKit_;
    Reader reader_;
    std::unique_ptr<UserReadings> userReadings_;
    QMenu* readingMenu_ = nullptr; // owned by window_
    QAction* libraryReportAction_ = nullptr; // owned by the help menu
    QCheckBox* peopleFields_ = nullptr;      // owned by window_
    QDialog* reportDialog_ = nullptr;        // owned by window_
    QAction* readAs_[3] = {};      // Japanese, Chinese, Korean
    std::map<QString, QAction*> settingActions_;
};

} // namespace yomi::gui
