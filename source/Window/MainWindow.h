// The main window: the interface file's widgets, the one editor controller,
// the adapters behind its outlets, and the wiring between them.
#pragma once

#include <memory>

#include <QString>

#include "Controller/SRMainController.h"

class QAction;
class QComboBox;
class QMainWindow;
class QProgressBar;
class QPushButton;
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
// Before any action runs, a sort value being edited in the list is committed,
// so that an edit in progress is neither lost by Save nor written over a
// command's result later.
//
// Needs a QApplication. The window and the controller live as long as the
// object; the controller is destroyed last.
class MainWindow {
public:
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

    // The engine of Reading (null: the command stays disabled and its tooltip
    // says what to install). The first engine also loads the user's readings
    // ($XDG_CONFIG_HOME/yomi/readings.tsv). The style chooser starts at the style last
    // chosen (QSettings "reading/style") and keeps every new choice there.
    void setReadingEngine(std::unique_ptr<ReadingEngine> engine);
    // What the last Reading said about values left alone; "" when none.
    QString readingMessage() const;
    QAction* quitAction() const;

    // The adapters behind the outlets.
    PushButtonAdapter& loadButtonAdapter() { return *loadAdapter_; }
    PushButtonAdapter& saveButtonAdapter() { return *saveAdapter_; }
    ProgressBarIndicator& busyIndicator() { return *busy_; }

private:
    void connectActions();
    void bindKeyTag();
    void finishEditing();
    void connectReading();
    void runReading(const void* sender);
    void showReadingState();

    SRMainController controller_;
    std::unique_ptr<QMainWindow> window_;
    std::unique_ptr<Ui::MainWindow> ui_;
    PairListModel* model_ = nullptr; // owned by window_
    std::unique_ptr<WidgetWindow> windowAdapter_;
    std::unique_ptr<ProgressBarIndicator> busy_;
    std::unique_ptr<PushButtonAdapter> loadAdapter_;
    std::unique_ptr<PushButtonAdapter> saveAdapter_;
    std::unique_ptr<SelectionArrayController> selection_;
    std::unique_ptr<ReadingEngine> readingEngine_;
    std::unique_ptr<UserReadings> userReadings_;
};

} // namespace yomi::gui
