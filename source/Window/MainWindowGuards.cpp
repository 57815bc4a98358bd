// The main window's guards against writes the user did not mean and losses
// he was not told of: the questions before Save, revert and dropping edits,
// the removal of a sort value, the results of Save and Load in the status
// line, and the log inside the window.
#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTableView>

#include "Platform/Launcher.h"
#include "Platform/Log.h"
#include "Window/Adapters.h"
#include "Window/MainWindow.h"
#include "Window/PairListModel.h"
#include "ui_MainWindow.h"

namespace yomi::gui {
namespace {

constexpr const char* kAskBeforeSavingKey = "save/ask";
constexpr const char* kOnlyEmptyKey = "edit/only-empty";
constexpr std::size_t kListedRows = 200;

QString number(std::size_t n) { return QLocale().toString(static_cast<qulonglong>(n)); }

QString text(const String& s) { return QString::fromStdU16String(s); }

} // namespace

void MainWindow::setUpGuards()
{
    asker_ = dialogAsker(window_.get());
    QMenu* edit = ui_->editMenu;
    removeSortAction_ = new QAction(tr("Remo&ve Sort Value"), window_.get());
    removeSortAction_->setToolTip(tr("Remove the sort value of each selected row from its tracks on Save"));
    edit->insertAction(ui_->revertAction, removeSortAction_);
    edit->insertSeparator(ui_->revertAction);
    QObject::connect(removeSortAction_, &QAction::triggered, window_.get(), [this] {
        finishEditing();
        controller_.removeSortValue(removeSortAction_);
        showSavePreview();
        if (controller_.lastEditReport().selected == 0)
            setStatus(tr("Nothing selected: select the rows to change first"));
    });
    redoAction_ = new QAction(tr("Re&do Revert"), window_.get());
    redoAction_->setToolTip(tr("Write again what the last revert took back"));
    edit->addAction(redoAction_);
    QObject::connect(redoAction_, &QAction::triggered, window_.get(), [this] { runRevert(true); });
    QObject::connect(edit, &QMenu::aboutToShow, window_.get(), [this] { updateRevertActions(); });
    edit->addSeparator();
    askBeforeSaving_ = edit->addAction(tr("&Ask Before Saving"));
    askBeforeSaving_->setCheckable(true);
    askBeforeSaving_->setChecked(settings_->value(kAskBeforeSavingKey, false).toBool());
    QObject::connect(askBeforeSaving_, &QAction::toggled, window_.get(),
                     [this](bool on) { settings_->setValue(kAskBeforeSavingKey, on); });

    onlyEmpty_ = new QCheckBox(tr("Only &empty"), window_.get());
    onlyEmpty_->setObjectName(QStringLiteral("onlyEmpty"));
    onlyEmpty_->setToolTip(tr("Copy to Sort, Romaji and Reading leave rows that have a sort value alone"));
    ui_->bottomRow->insertWidget(ui_->bottomRow->indexOf(ui_->readingStyleChooser) + 1, onlyEmpty_);
    onlyEmpty_->setChecked(settings_->value(kOnlyEmptyKey, false).toBool());
    controller_.editOnlyEmpty = onlyEmpty_->isChecked();
    QObject::connect(onlyEmpty_, &QCheckBox::toggled, window_.get(), [this](bool on) {
        controller_.editOnlyEmpty = on;
        settings_->setValue(kOnlyEmptyKey, on);
    });

    new CloseGuard(window_.get(), [this] {
        // Closing cancels a Load; a Save (or a revert) ends first.
        if (walking_ == Busy::Loading)
            controller_.cancelLoad = true;
        if (walking_ != Busy::No)
            return false;
        return settleUnsavedEdits();
    });
    QObject::connect(ui_->quitAction, &QAction::triggered, window_.get(), [this] {
        if (window_->close())
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    QObject::connect(ui_->showLogAction, &QAction::triggered, window_.get(), [this] { showLog(); });
    aboutAction_ = ui_->helpMenu->addAction(tr("&About yomi"));
    QObject::connect(aboutAction_, &QAction::triggered, window_.get(), [this] {
        QMessageBox::about(window_.get(), tr("About yomi"), aboutText());
    });
    model_->onEmptiedCell = [this] { emptiedCell(); };
}

bool MainWindow::settleUnsavedEdits()
{
    finishEditing();
    if (!controller_.hasUnsavedEdits())
        return true;
    QStringList rows;
    if (const auto& list = controller_.dataArray())
        list->forEach([&](const PairEntryRef& e) {
            if (e->isEdited() && static_cast<std::size_t>(rows.size()) < kListedRows)
                rows << (e->removing() ? tr("%1: remove the sort value").arg(text(e->originalStr))
                                       : tr("%1 → %2").arg(text(e->originalStr), text(e->sortStr)));
        });
    const Question question{Question::Kind::Unsaved, tr("Unsaved Sort Values"),
                            tr("Some sort values are not saved yet. Save them first?"), rows};
    switch (asker_(question)) {
    case Answer::Save:
        runSave(false);
        return controller_.lastSaveReport().failed == 0;
    case Answer::Discard:
        controller_.setDataArray(std::make_shared<PairList>());
        controller_.setPairDict(std::make_shared<PairDict>());
        return true;
    default:
        setStatus(tr("Cancelled: the edits are still here"));
        return false;
    }
}

bool MainWindow::confirmSave()
{
    const SavePreview preview = controller_.savePreview();
    if (!askBeforeSaving_->isChecked() || preview.tracks == 0)
        return true;
    QStringList rows;
    controller_.dataArray()->forEach([&](const PairEntryRef& e) {
        const std::size_t n = e->tracksToWrite(controller_.fillOnlyEmpty);
        if (n && static_cast<std::size_t>(rows.size()) < kListedRows)
            rows << (e->removing() ? tr("%1: remove the sort value (%2)").arg(text(e->originalStr), tracksText(n))
                                   : tr("%1 → %2 (%3)").arg(text(e->originalStr), text(e->sortStr), tracksText(n)));
    });
    const Question question{
        Question::Kind::Confirm, tr("Save"),
        tr("Save will write %1, one file each, for %2. Write them now?")
            .arg(tracksText(preview.tracks), valuesText(preview.values)),
        rows};
    return asker_(question) == Answer::Yes;
}

void MainWindow::showSaveResult()
{
    const SaveReport& report = controller_.lastSaveReport();
    if (report.failed == 0) {
        setStatus(report.written == 0 ? tr("Nothing to write: every track has its listed sort value")
                  : report.written == 1 ? tr("1 track written")
                                        : tr("%1 tracks written").arg(number(report.written)));
        return;
    }
    const QString written =
        report.written == 1 ? tr("1 track written") : tr("%1 tracks written").arg(number(report.written));
    const QString failed =
        report.failed == 1 ? tr("1 could not be written") : tr("%1 could not be written").arg(number(report.failed));
    setStatus(tr("%1, %2 — see the log").arg(written, failed));
}

void MainWindow::runRevert(bool redo)
{
    finishEditing();
    const storage::RevertSteps steps = controller_.revertSteps();
    const std::optional<std::uint64_t> id = redo ? steps.redo : steps.undo;
    const std::size_t changes = redo ? steps.redoChanges : steps.undoChanges;
    if (id && changes > kRevertsWithoutAsking) {
        const Question question{Question::Kind::Confirm, redo ? tr("Redo Revert") : tr("Revert Last Save"),
                                redo ? tr("Write again the %1 that the last revert took back?").arg(tracksText(changes))
                                     : tr("Take back Save %1: rewrite %2 with the sort values they had before?")
                                           .arg(QString::number(*id), tracksText(changes)),
                                {}};
        if (asker_(question) != Answer::Yes) {
            setStatus(tr("Nothing reverted: cancelled"));
            return;
        }
    }
    // The list is loaded again after a revert: edits not saved would be lost.
    if (id && controller_.dataArray() && !controller_.dataArray()->empty() && !settleUnsavedEdits())
        return;
    const bool busy = setBusy(Busy::Saving);
    if (redo)
        controller_.redoLastRevert(redoAction_);
    else
        controller_.revertLastSave(ui_->revertAction);
    showSavePreview();
    setStatus(revertText(controller_.lastRevertReport()));
    const storage::RevertSteps after = readRevertSteps(busy);
    if (busy)
        setBusy(Busy::No);
    showRevertSteps(after);
}

void MainWindow::updateRevertActions() { showRevertSteps(controller_.revertSteps()); }

storage::RevertSteps MainWindow::readRevertSteps(bool served)
{
    if (!served)
        return controller_.revertSteps();
    // Every kept Save's log is read: on a thread of its own, while the
    // window serves its events.
    storage::RevertSteps steps;
    WalkFeed feed(eventLoop_.get());
    feed.run([&] { steps = controller_.revertSteps(); });
    return steps;
}

void MainWindow::showRevertSteps(const storage::RevertSteps& steps)
{
    ui_->revertAction->setEnabled(steps.undo.has_value());
    redoAction_->setEnabled(steps.redo.has_value());
}

void MainWindow::showLog()
{
    if (currentLauncher().launch("Console"))
        return;
    // No log viewer could be started: the program's own record of its lines.
    QStringList lines;
    for (const log::KeptLine& line : log::keptLines())
        lines << QString::fromStdString(line.text);
    asker_(Question{Question::Kind::List, tr("Log"),
                    tr("No log viewer could be started. The last lines yomi wrote to the log:"), lines});
}

void MainWindow::showUnreadable()
{
    asker_(Question{Question::Kind::List, tr("Not Read"), tr("These could not be read by the last Load:"),
                    unreadable_});
}

QString MainWindow::aboutText()
{
    return tr("<p><b>yomi</b> %1</p>"
              "<p>Fills in the sort fields of music tracks whose values are written in Han characters or other "
              "scripts outside kana and Latin letters, so that they sort by their reading.</p>"
              "<p><b>Load</b> lists the values of the chosen field; <b>Reading</b> sets the sort value to the "
              "value's reading in its language (for Japanese romaji, choose the style Romaji); <b>Romaji</b> "
              "writes each character in Latin letters (Han characters as pinyin); <b>Copy to Sort</b> uses the "
              "value itself. <b>Save</b> writes the sort values into the files, each write checked on the bytes "
              "and undoable with Edit → Revert Last Save.</p>")
        .arg(QCoreApplication::applicationVersion().toHtmlEscaped());
}

void MainWindow::emptiedCell()
{
    setStatus(tr("An empty cell changes nothing: to remove a sort value, use Edit → Remove Sort Value"));
}

} // namespace yomi::gui
