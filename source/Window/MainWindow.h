// The main window: the interface file's widgets, the one editor controller,
// the adapters behind its outlets, and the wiring between them.
#pragma once

#include <functional>
#include <map>
#include <vector>
#include <memory>

#include <QCoreApplication>
#include <QString>

#include "Controller/SRMainController.h"
#include "Platform/Result.h"
#include "Window/Questions.h"

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
class ThreadEventLoop;
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
// The list view shows the model through a sort and filter proxy (ListFilter):
// the filter box narrows the rows to those whose value or sort value holds
// its text (any case, any kana), the box beside it to the rows whose reading
// needs a look (check), and a click on a column header sorts the view by the
// locale's collation (a third click gives back the list order). The list itself keeps its order, and the commands act
// on the selected rows' own entries.
//
// The status line counts the tracks of a Load or Save walk as it goes ("12,345
// / 100,000 tracks"), on the controller's own redraws; after Load it tells how
// many values need a reading (and, beside it, what could not be read), after
// a Save how many tracks were written and how many failed, after an edit
// command how many rows changed (or that nothing was selected).
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
    // Beside the status line after a Load that could not read everything:
    // "3 files could not be read — show", a link to the list.
    QLabel* problemsLine() const { return problemsLine_; }
    // At the right of the status bar: the rows shown ("12 of 40 rows shown"
    // while the filter hides some), after each Load and filter change.
    QLabel* rowsLine() const { return rowsLine_; }
    // Beside the busy indicator during a Load: stops it, and the list stays as
    // it was (SRMainController::cancelLoad). While a Load or a Save runs, its
    // walk runs on a thread of its own and the window handles its events
    // (typing in the filter, sorting, resizing); every command is disabled
    // until it ends, closing the window cancels a Load instead, and waits
    // for a Save.
    QPushButton* cancelButton() const { return cancelButton_; }
    // On the empty list until the first Load: what to press.
    QLabel* emptyListHint() const { return hint_; }
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
    // Edit > Redo Revert: takes back the last revert; enabled while there is
    // one to take back (the Edit menu's state is brought up to date each time
    // it opens and after every Save, revert and Load).
    QAction* redoAction() const { return redoAction_; }
    // Edit > Remove Sort Value: the selected rows' sort values become a
    // removal that Save writes. An emptied cell is no change: it shows the
    // sort value listed before, and the status line says how to remove it.
    QAction* removeSortAction() const { return removeSortAction_; }
    // Edit > Ask Before Saving (QSettings "save/ask", off at first): Save
    // first shows what it will write and asks.
    QAction* askBeforeSavingAction() const { return askBeforeSaving_; }
    // Beside the edit commands: they leave rows that have a sort value alone
    // (QSettings "edit/only-empty").
    QCheckBox* onlyEmptyBox() const { return onlyEmpty_; }
    QAction* aboutAction() const { return aboutAction_; }

    // Who answers the window's questions (dialogs by default). Edits not yet
    // saved are kept or confirmed (Save / Discard / Cancel) before a change
    // of field, a change of library folder, and quitting; a revert that
    // rewrites more than kRevertsWithoutAsking files asks first.
    void setAsker(Asker asker) { asker_ = std::move(asker); }
    static constexpr std::size_t kRevertsWithoutAsking = 10;
    // Asks about edits not yet saved, if any, and saves them when told to;
    // false when the user cancels (or the Save failed).
    bool settleUnsavedEdits();

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
    void runSave(bool ask = true);
    // What the last edit of the selected rows did, for the status line; ""
    // when there is nothing more to say than the Save preview.
    QString editText() const;
    void showReadingResult();
    bool confirmSave();
    void showSaveResult();
    void runRevert(bool redo);
    void updateRevertActions();
    // Where Revert and Redo stand; with `served`, read on a thread of its
    // own while the window serves its events (only while the window is
    // busy: its commands are disabled).
    storage::RevertSteps readRevertSteps(bool served);
    void showRevertSteps(const storage::RevertSteps& steps);
    void setUpGuards();
    void showLog();
    void showUnreadable();
    void showLoadResult(double seconds);
    void showRowsShown();
    // What the window is busy with: a Load (Cancel shown) or a Save or
    // revert (no Cancel). Busy, every command is disabled and the cells
    // cannot be edited. Returns whether the call changed the state (a walk
    // begun while the window is busy already leaves it to the first).
    enum class Busy { No, Loading, Saving };
    bool setBusy(Busy busy);
    void emptiedCell();
    static QString aboutText();
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
    QPushButton* cancelButton_ = nullptr;    // owned by window_: shown during a Load
    QLabel* hint_ = nullptr;                 // owned by window_: the empty list's hint
    Busy walking_ = Busy::No;
    std::unique_ptr<ThreadEventLoop> eventLoop_;
    std::vector<QObject*> disabledByLoad_;
    QLabel* rowsLine_ = nullptr;             // owned by window_: "12 of 40 rows shown"
    QLabel* problemsLine_ = nullptr;         // owned by window_: "3 files could not be read — show"
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
    Asker asker_;
    QAction* redoAction_ = nullptr;       // owned by window_
    QAction* removeSortAction_ = nullptr; // owned by window_
    QAction* askBeforeSaving_ = nullptr;  // owned by window_
    QAction* aboutAction_ = nullptr;      // owned by window_
    QCheckBox* onlyEmpty_ = nullptr;      // owned by window_
    QStringList unreadable_;              // what the last Load could not read
};

} // namespace yomi::gui
