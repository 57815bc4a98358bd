#include "Window/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTableView>

#include "Window/Adapters.h"
#include "Window/PairListModel.h"
#include "Window/SortCellDelegate.h"
#include "ui_MainWindow.h"

namespace yomi::gui {

MainWindow::MainWindow() : window_(std::make_unique<QMainWindow>()), ui_(std::make_unique<Ui::MainWindow>())
{
    ui_->setupUi(window_.get());

    model_ = new PairListModel(controller_, window_.get());
    ui_->listView->setModel(model_);
    ui_->listView->horizontalHeader()->setHighlightSections(false);

    windowAdapter_ = std::make_unique<WidgetWindow>(window_.get());
    busy_ = std::make_unique<ProgressBarIndicator>(ui_->progressIndicator);
    loadAdapter_ = std::make_unique<PushButtonAdapter>(ui_->loadButton);
    saveAdapter_ = std::make_unique<PushButtonAdapter>(ui_->saveButton);
    selection_ = std::make_unique<SelectionArrayController>(*model_, *ui_->listView->selectionModel());

    controller_.window = windowAdapter_.get();
    controller_.progressIndicator = busy_.get();
    controller_.loadButton = loadAdapter_.get();
    controller_.saveButton = saveAdapter_.get();
    controller_.arrayController = selection_.get();

    connectActions();
    connectReading();
    bindKeyTag();
    controller_.awakeFromNib();
}

MainWindow::~MainWindow() = default;

void MainWindow::connectActions()
{
    // Each action gets the widget or menu item that sent it; none reads it.
    const auto wire = [this](auto* sender, auto signal, void (SRMainController::*action)(const void*)) {
        QObject::connect(sender, signal, window_.get(), [this, sender, action] {
            finishEditing();
            (controller_.*action)(sender);
        });
    };
    wire(ui_->loadButton, &QPushButton::clicked, &SRMainController::load);
    wire(ui_->saveButton, &QPushButton::clicked, &SRMainController::save);
    wire(ui_->copyToSortButton, &QPushButton::clicked, &SRMainController::copyOriginalToSort);
    wire(ui_->copyToSortAction, &QAction::triggered, &SRMainController::copyOriginalToSort);
    wire(ui_->romajiButton, &QPushButton::clicked, &SRMainController::copyOriginalToPinYin);
    wire(ui_->romajiAction, &QAction::triggered, &SRMainController::copyOriginalToPinYin);
    QObject::connect(ui_->quitAction, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void MainWindow::bindKeyTag()
{
    // The index of a choice is the number of its field. The chooser shows the
    // controller's current field (none for a number without a choice)...
    QComboBox* chooser = ui_->fieldChooser;
    const int tag = controller_.keyTag();
    chooser->setCurrentIndex(tag >= 0 && tag < chooser->count() ? tag : -1);
    // ...and every change of the choice is handed to the controller, which
    // ignores the field that is already chosen.
    QObject::connect(chooser, &QComboBox::currentIndexChanged, window_.get(), [this](int index) {
        if (index < 0)
            return;
        finishEditing();
        controller_.setKeyTag(index);
    });
}

void MainWindow::finishEditing()
{
    // A cell editor lives in the view's viewport and commits its text when it
    // loses the focus.
    QWidget* focus = QApplication::focusWidget();
    QTableView* view = ui_->listView;
    if (focus && focus != view->viewport() && view->viewport()->isAncestorOf(focus))
        view->setFocus(Qt::OtherFocusReason);
}

void MainWindow::connectReading()
{
    ui_->listView->setItemDelegateForColumn(PairListModel::SortColumn,
                                            new SortCellDelegate(controller_, *model_, window_.get()));
    QComboBox* styles = ui_->readingStyleChooser;
    const QString saved = QSettings(QStringLiteral("yomi"), QStringLiteral("yomi"))
                              .value(QStringLiteral("reading/style"))
                              .toString();
    const auto style = readingStyleNamed(saved.toStdString()).value_or(ReadingStyle::Katakana);
    styles->setCurrentIndex(static_cast<int>(style));
    controller_.readingStyle = style;
    QObject::connect(styles, &QComboBox::currentIndexChanged, window_.get(), [this](int index) {
        if (index < 0)
            return;
        controller_.readingStyle = static_cast<ReadingStyle>(index);
        QSettings(QStringLiteral("yomi"), QStringLiteral("yomi"))
            .setValue(QStringLiteral("reading/style"),
                      QString::fromUtf8(readingStyleName(controller_.readingStyle).data()));
    });
    QObject::connect(ui_->readingButton, &QPushButton::clicked, window_.get(),
                     [this] { runReading(ui_->readingButton); });
    QObject::connect(ui_->readingAction, &QAction::triggered, window_.get(),
                     [this] { runReading(ui_->readingAction); });
    showReadingState();
}

void MainWindow::setReadingEngine(std::unique_ptr<ReadingEngine> engine)
{
    readingEngine_ = std::move(engine);
    controller_.readingEngine = readingEngine_.get();
    if (readingEngine_ && !userReadings_) {
        userReadings_ = std::make_unique<UserReadings>(UserReadings::defaultFile());
        std::string error;
        if (!userReadings_->load(&error))
            window_->statusBar()->showMessage(QString::fromStdString(error + "; your own readings are not used"));
        controller_.userReadings = userReadings_.get();
    }
    showReadingState();
}

void MainWindow::showReadingState()
{
    const bool available = controller_.readingAvailable();
    ui_->readingButton->setEnabled(available);
    ui_->readingAction->setEnabled(available);
    QString why;
    if (!available) {
        const std::string missing = readingEngine_ ? readingEngine_->missing() : std::string();
        why = QStringLiteral("Japanese readings need a dictionary: ") +
              (missing.empty() ? QStringLiteral("install the package mecab-ipadic-utf8")
                               : QString::fromStdString(missing));
    } else {
        why = QStringLiteral("Set each selected sort value to the Japanese reading of the value (Ctrl+J)");
    }
    ui_->readingButton->setToolTip(why);
    ui_->readingAction->setToolTip(why);
}

void MainWindow::runReading(const void* sender)
{
    finishEditing();
    window_->setCursor(Qt::WaitCursor);
    controller_.copyOriginalToReading(sender);
    window_->unsetCursor();
    const QString message = readingMessage();
    if (message.isEmpty())
        window_->statusBar()->clearMessage();
    else
        window_->statusBar()->showMessage(message);
}

QString MainWindow::readingMessage() const
{
    const std::vector<String>& refused = controller_.lastRefusedReadings();
    if (refused.empty())
        return {};
    constexpr std::size_t kShown = 10;
    QStringList shown;
    for (std::size_t i = 0; i < refused.size() && i < kShown; ++i)
        shown << QString::fromStdU16String(refused[i]);
    QString text = refused.size() == 1 ? QStringLiteral("1 value has no Japanese reading: ")
                                       : QStringLiteral("%1 values have no Japanese reading: ").arg(refused.size());
    text += shown.join(QStringLiteral(", "));
    if (refused.size() > kShown)
        text += QStringLiteral(", …");
    return text;
}

QComboBox* MainWindow::fieldChooser() const { return ui_->fieldChooser; }
QPushButton* MainWindow::loadButton() const { return ui_->loadButton; }
QPushButton* MainWindow::saveButton() const { return ui_->saveButton; }
QPushButton* MainWindow::copyToSortButton() const { return ui_->copyToSortButton; }
QPushButton* MainWindow::romajiButton() const { return ui_->romajiButton; }
QProgressBar* MainWindow::progressIndicator() const { return ui_->progressIndicator; }
QTableView* MainWindow::listView() const { return ui_->listView; }
QAction* MainWindow::copyToSortAction() const { return ui_->copyToSortAction; }
QAction* MainWindow::romajiAction() const { return ui_->romajiAction; }
QPushButton* MainWindow::readingButton() const { return ui_->readingButton; }
QComboBox* MainWindow::readingStyleChooser() const { return ui_->readingStyleChooser; }
QAction* MainWindow::readingAction() const { return ui_->readingAction; }
QAction* MainWindow::quitAction() const { return ui_->quitAction; }

} // namespace yomi::gui
