#include "Window/MainWindow.h"

#include <algorithm>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QAbstractItemView>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontDatabase>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QTableView>

#include "Controller/LibraryReport.h"
#include "Platform/Log.h"
#include "Window/Adapters.h"
#include "Window/ListFilter.h"
#include "Window/PairListModel.h"
#include "Window/SortCellDelegate.h"
#include "ui_MainWindow.h"

namespace yomi::gui {
namespace {

constexpr const char* kFieldKey = "field";
constexpr const char* kGeometryKey = "geometry";

QString number(std::size_t n) { return QLocale().toString(static_cast<qulonglong>(n)); }

} // namespace

QString MainWindow::rememberedLibraryFolder() { return QSettings().value(kLibraryFolderKey).toString(); }

MainWindow::MainWindow()
    : window_(std::make_unique<QMainWindow>()),
      ui_(std::make_unique<Ui::MainWindow>()),
      settings_(std::make_unique<QSettings>())
{
    ui_->setupUi(window_.get());

    model_ = new PairListModel(controller_, window_.get());
    setUpListView();
    statusLine_ = new QLabel(window_.get());
    statusLine_->setObjectName(QStringLiteral("statusLine"));
    statusLine_->setTextFormat(Qt::PlainText);
    ui_->statusBar->addWidget(statusLine_, 1);
    problemsLine_ = new QLabel(window_.get());
    problemsLine_->setObjectName(QStringLiteral("problemsLine"));
    problemsLine_->setTextFormat(Qt::RichText);
    problemsLine_->setVisible(false);
    ui_->statusBar->addPermanentWidget(problemsLine_);
    rowsLine_ = new QLabel(window_.get());
    rowsLine_->setObjectName(QStringLiteral("rowsLine"));
    ui_->statusBar->addPermanentWidget(rowsLine_);
    QObject::connect(problemsLine_, &QLabel::linkActivated, window_.get(), [this] { showUnreadable(); });
    cancelButton_ = new QPushButton(tr("Cancel"), window_.get());
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    cancelButton_->setToolTip(tr("Stop the Load and keep the list as it was"));
    cancelButton_->setAutoDefault(false);
    cancelButton_->hide();
    ui_->topRow->insertWidget(ui_->topRow->indexOf(ui_->progressIndicator) + 1, cancelButton_);
    QObject::connect(cancelButton_, &QPushButton::clicked, window_.get(), [this] { controller_.cancelLoad = true; });
    // Before the first Load the empty list says what to press.
    hint_ = new QLabel(tr("Choose a field and press Load to list its values that need a sort value."),
                       ui_->listView->viewport());
    hint_->setObjectName(QStringLiteral("emptyListHint"));
    hint_->setAlignment(Qt::AlignCenter);
    hint_->setWordWrap(true);
    hint_->setEnabled(false);
    hint_->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* hintLayout = new QVBoxLayout(ui_->listView->viewport());
    hintLayout->addWidget(hint_);

    windowAdapter_ = std::make_unique<WidgetWindow>(window_.get());
    busy_ = std::make_unique<ProgressBarIndicator>(ui_->progressIndicator);
    loadAdapter_ = std::make_unique<PushButtonAdapter>(ui_->loadButton);
    saveAdapter_ = std::make_unique<PushButtonAdapter>(ui_->saveButton);
    selection_ = std::make_unique<SelectionArrayController>(*model_, *ui_->listView->selectionModel());
    controller_.progress = [this](const WalkProgress& progress) { showProgress(progress); };
    // Load and Save walk the library on a thread of their own while the
    // window serves its events.
    eventLoop_ = std::make_unique<ThreadEventLoop>();
    controller_.eventLoop = eventLoop_.get();

    controller_.window = windowAdapter_.get();
    controller_.progressIndicator = busy_.get();
    controller_.loadButton = loadAdapter_.get();
    controller_.saveButton = saveAdapter_.get();
    controller_.arrayController = selection_.get();

    connectActions();
    setUpGuards();
    connectReading();
    bindKeyTag();
    ui_->openLibraryAction->setEnabled(false);
    restoreSettings();
    // Edits in the list, and the list written anew, change what Save would do.
    QObject::connect(model_, &QAbstractItemModel::dataChanged, window_.get(), [this] { showSavePreview(); });
    QObject::connect(model_, &QAbstractItemModel::modelReset, window_.get(), [this] { showSavePreview(); });
    showSavePreview();
    controller_.awakeFromNib();
}

MainWindow::~MainWindow() { settings_->setValue(kGeometryKey, window_->saveGeometry()); }


void MainWindow::setUpListView()
{
    auto* filter = new ListFilter(window_.get());
    proxy_ = filter;
    proxy_->setSourceModel(model_);

    QTableView* view = ui_->listView;
    view->setModel(proxy_);
    QHeaderView* header = view->horizontalHeader();
    header->setHighlightSections(false);
    // No column is sorted until a header is clicked, and a third click on it
    // gives back the list order.
    header->setSortIndicatorClearable(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    view->setSortingEnabled(true);

    QObject::connect(ui_->filterBox, &QLineEdit::textChanged, proxy_,
                     [this, filter](const QString& text) {
                         filter->setFilterText(text);
                         showRowsShown();
                     });
    // Value and Sort Value take the width the others leave; Tracks and
    // Language are as wide as their texts.
    header->setStretchLastSection(false);
    header->setSectionResizeMode(PairListModel::ValueColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(PairListModel::SortColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(PairListModel::TracksColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(PairListModel::LanguageColumn, QHeaderView::ResizeToContents);

    // Beside the filter box: only the readings that need a look.
    onlyToCheck_ = new QCheckBox(tr("Only readings to check"), window_.get());
    onlyToCheck_->setObjectName(QStringLiteral("onlyToCheck"));
    if (auto* box = qobject_cast<QBoxLayout*>(ui_->filterBox->parentWidget()->layout())) {
        const int at = box->indexOf(ui_->filterBox);
        auto* row = new QHBoxLayout;
        box->insertLayout(at, row);
        box->removeWidget(ui_->filterBox);
        row->addWidget(ui_->filterBox, 1);
        row->addWidget(onlyToCheck_);
    }
    QObject::connect(onlyToCheck_, &QCheckBox::toggled, proxy_, [this, filter](bool only) {
        filter->setOnlyToCheck(only);
        showRowsShown();
    });
}

void MainWindow::restoreSettings()
{
    window_->restoreGeometry(settings_->value(kGeometryKey).toByteArray());
    bool ok = false;
    const int field = settings_->value(kFieldKey).toInt(&ok);
    if (ok && field >= 0 && field < ui_->fieldChooser->count())
        ui_->fieldChooser->setCurrentIndex(field);
}

void MainWindow::connectActions()
{
    // Each action gets the widget or menu item that sent it; none reads it.
    const auto wire = [this](auto* sender, auto signal, void (SRMainController::*action)(const void*)) {
        QObject::connect(sender, signal, window_.get(), [this, sender, action] {
            finishEditing();
            (controller_.*action)(sender);
            showSavePreview();
            if (const QString said = editText(); !said.isEmpty())
                setStatus(said);
        });
    };
    QObject::connect(ui_->loadButton, &QPushButton::clicked, window_.get(), [this] {
        finishEditing();
        runLoad();
    });
    QObject::connect(ui_->saveButton, &QPushButton::clicked, window_.get(), [this] {
        finishEditing();
        runSave();
    });
    wire(ui_->copyToSortButton, &QPushButton::clicked, &SRMainController::copyOriginalToSort);
    wire(ui_->copyToSortAction, &QAction::triggered, &SRMainController::copyOriginalToSort);
    wire(ui_->romajiButton, &QPushButton::clicked, &SRMainController::copyOriginalToPinYin);
    wire(ui_->romajiAction, &QAction::triggered, &SRMainController::copyOriginalToPinYin);
    QObject::connect(ui_->revertAction, &QAction::triggered, window_.get(), [this] { runRevert(false); });
    QObject::connect(ui_->openLibraryAction, &QAction::triggered, window_.get(), [this] {
        finishEditing();
        chooseLibraryFolder();
    });
    libraryReportAction_ = ui_->helpMenu->addAction(tr("Library &Report"));
    QObject::connect(libraryReportAction_, &QAction::triggered, window_.get(), [this] { showLibraryReport(); });
}

void MainWindow::showLibraryReport()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const LibraryReport report = reportLibrary();
    QApplication::restoreOverrideCursor();
    if (!reportDialog_) {
        reportDialog_ = new QDialog(window_.get());
        reportDialog_->setWindowTitle(tr("Library Report"));
        auto* text = new QPlainTextEdit(reportDialog_);
        text->setObjectName(QStringLiteral("libraryReport"));
        text->setReadOnly(true);
        text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        text->setLineWrapMode(QPlainTextEdit::NoWrap);
        auto* layout = new QVBoxLayout(reportDialog_);
        layout->addWidget(text);
        reportDialog_->resize(820, 300);
    }
    reportDialog_->findChild<QPlainTextEdit*>(QStringLiteral("libraryReport"))
        ->setPlainText(QString::fromStdString(report.text()));
    reportDialog_->show();
    reportDialog_->raise();
}

void MainWindow::runLoad()
{
    lastProgress_ = {};
    setStatus({});
    QElapsedTimer clock;
    clock.start();
    if (!libraryFolder_.isEmpty()) {
        const QFileInfo folder(libraryFolder_);
        if (!folder.isDir() || !folder.isReadable() || !folder.isExecutable()) {
            const QString error = tr("Cannot read the library folder %1: %2")
                                      .arg(QDir::toNativeSeparators(libraryFolder_),
                                           folder.exists() ? tr("permission denied") : tr("no such folder"));
            setStatus(error);
            asker_(Question{Question::Kind::Error, tr("Load"), error, {}});
            return;
        }
    }
    const std::uint64_t logBefore = log::linesWritten();
    hint_->hide();
    const bool busy = setBusy(Busy::Loading);
    controller_.load(ui_->loadButton);
    showSavePreview();
    if (controller_.lastLoadReport().cancelled) {
        setStatus(tr("Load cancelled: the list is as it was"));
        showRowsShown();
        if (busy)
            setBusy(Busy::No);
        return;
    }
    unreadable_.clear();
    for (const std::string& file : controller_.lastLoadReport().unreadableFiles)
        if (!file.empty())
            unreadable_ << QString::fromStdString(file);
    for (const log::KeptLine& line : log::keptLines(logBefore))
        if (line.priority == log::Priority::Warning)
            unreadable_ << QString::fromStdString(line.text);
    showLoadResult(static_cast<double>(clock.elapsed()) / 1000.0);
    showRowsShown();
    // Read while still busy: the commands stay disabled while the event
    // loop runs.
    const storage::RevertSteps steps = readRevertSteps(busy);
    if (busy)
        setBusy(Busy::No);
    showRevertSteps(steps);
}

void MainWindow::showRowsShown()
{
    const int all = model_->rowCount();
    const int shown = proxy_->rowCount();
    if (shown == all)
        rowsLine_->setText(all == 1 ? tr("1 row") : tr("%1 rows").arg(number(static_cast<std::size_t>(all))));
    else
        rowsLine_->setText(tr("%1 of %2 rows shown")
                               .arg(number(static_cast<std::size_t>(shown)), number(static_cast<std::size_t>(all))));
}

void MainWindow::showLoadResult(double seconds)
{
    const std::size_t values = controller_.dataArray() ? controller_.dataArray()->size() : 0;
    const QString found =
        values == 1 ? tr("1 value needs a reading") : tr("%1 values need a reading").arg(number(values));
    const QString tracks = lastProgress_.done == 1 ? tr("1 track") : tr("%1 tracks").arg(number(lastProgress_.done));
    setStatus(tr("%1 (%2 in %3 s)").arg(found, tracks, QLocale().toString(seconds, 'f', 1)));
    const std::size_t unreadable = controller_.lastLoadReport().unreadable;
    QString problems;
    if (unreadable)
        problems = unreadable == 1 ? tr("1 file could not be read") : tr("%1 files could not be read").arg(number(unreadable));
    else if (!unreadable_.isEmpty())
        problems = unreadable_.size() == 1 ? tr("1 warning") : tr("%1 warnings").arg(number(unreadable_.size()));
    problemsLine_->setVisible(!problems.isEmpty());
    if (!problems.isEmpty())
        problemsLine_->setText(QStringLiteral("<a href=\"show\">%1</a>").arg(tr("%1 — show").arg(problems).toHtmlEscaped()));
}

void MainWindow::runSave(bool ask)
{
    if (ask && !confirmSave()) {
        setStatus(tr("Nothing written: Save cancelled"));
        return;
    }
    lastProgress_ = {};
    setStatus({});
    const bool busy = setBusy(Busy::Saving);
    controller_.save(ui_->saveButton);
    // A Save clears the entries' marks in place, without telling the list.
    ui_->listView->viewport()->update();
    showSavePreview();
    showSaveResult();
    const storage::RevertSteps steps = readRevertSteps(busy);
    if (busy)
        setBusy(Busy::No);
    showRevertSteps(steps);
}

void MainWindow::showProgress(const WalkProgress& progress)
{
    lastProgress_ = progress;
    // The redraw that follows shows the rows found so far.
    model_->showPendingRows();
    if (progress.total)
        setStatus(tr("%1 / %2 tracks").arg(number(progress.done), number(*progress.total)));
    else
        setStatus(tr("%1 tracks").arg(number(progress.done)));
}

bool MainWindow::setBusy(Busy busy)
{
    const bool on = busy != Busy::No;
    if (on == (walking_ != Busy::No))
        return false; // busy already (or not busy): the first state stays
    walking_ = busy;
    model_->holdRows(busy == Busy::Loading);
    if (on) {
        // Nothing but Cancel, the filter and the view's scrolling may run
        // inside a Load or a Save: the list is being made, or read by the
        // walk.
        disabledByLoad_.clear();
        for (QWidget* w : {static_cast<QWidget*>(ui_->loadButton), static_cast<QWidget*>(ui_->saveButton),
                           static_cast<QWidget*>(ui_->fieldChooser), static_cast<QWidget*>(ui_->copyToSortButton),
                           static_cast<QWidget*>(ui_->romajiButton), static_cast<QWidget*>(ui_->readingButton),
                           static_cast<QWidget*>(ui_->readingStyleChooser), static_cast<QWidget*>(ui_->menuBar),
                           static_cast<QWidget*>(peopleFields_), static_cast<QWidget*>(onlyEmpty_)})
            if (w->isEnabled()) {
                w->setEnabled(false);
                disabledByLoad_.push_back(w);
            }
        for (QAction* a : window_->findChildren<QAction*>())
            if (a->isEnabled() && !a->menu()) {
                a->setEnabled(false);
                disabledByLoad_.push_back(a);
            }
        ui_->listView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    } else {
        for (QObject* o : disabledByLoad_) {
            if (auto* w = qobject_cast<QWidget*>(o))
                w->setEnabled(true);
            else if (auto* a = qobject_cast<QAction*>(o))
                a->setEnabled(true);
        }
        disabledByLoad_.clear();
        ui_->listView->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                       QAbstractItemView::SelectedClicked);
    }
    cancelButton_->setVisible(busy == Busy::Loading);
    return true;
}

void MainWindow::setStatus(const QString& text) { statusLine_->setText(text); }

void MainWindow::setLibraryFolder(const QString& folder)
{
    libraryFolder_ = folder;
    const QString name = QFileInfo(QDir::cleanPath(folder)).fileName();
    window_->setWindowTitle(name.isEmpty() ? QStringLiteral("yomi") : tr("%1 — yomi").arg(name));
}

void MainWindow::setLibraryOpener(LibraryOpener opener)
{
    opener_ = std::move(opener);
    ui_->openLibraryAction->setEnabled(static_cast<bool>(opener_));
}

void MainWindow::chooseLibraryFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(
        window_.get(), tr("Open Library Folder"), libraryFolder_.isEmpty() ? QDir::homePath() : libraryFolder_);
    if (!folder.isEmpty())
        openLibraryFolder(folder);
}

bool MainWindow::openLibraryFolder(const QString& folder)
{
    if (!opener_ || !settleUnsavedEdits())
        return false;
    QString error;
    const QFileInfo info(folder);
    if (!info.isDir())
        error = tr("no such folder");
    else if (!info.isReadable() || !info.isExecutable())
        error = tr("the folder cannot be read");
    if (error.isEmpty()) {
        if (const Status opened = opener_(folder); !opened)
            error = QString::fromStdString(opened.reason());
    }
    if (!error.isEmpty()) {
        setStatus(tr("Cannot open %1: %2").arg(QDir::toNativeSeparators(folder), error));
        return false;
    }
    settings_->setValue(kLibraryFolderKey, folder);
    setLibraryFolder(folder);
    // The entries of the former library would be written into this one.
    controller_.setDataArray(std::make_shared<PairList>());
    controller_.setPairDict(std::make_shared<PairDict>());
    setStatus({});
    return true;
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
    QObject::connect(chooser, &QComboBox::currentIndexChanged, window_.get(), [this, chooser](int index) {
        if (index < 0)
            return;
        finishEditing();
        if (index != controller_.keyTag() && !settleUnsavedEdits()) {
            const QSignalBlocker quiet(chooser);
            chooser->setCurrentIndex(controller_.keyTag());
            return;
        }
        applyFieldChoice();
        settings_->setValue(kFieldKey, index);
    });
    // Beside it: the person fields (artist, album artist, composer) as one.
    peopleFields_ = new QCheckBox(tr("All person fields"), window_.get());
    peopleFields_->setObjectName(QStringLiteral("peopleFields"));
    peopleFields_->setToolTip(tr("Artist, album artist and composer: each name listed once, and Save writes its "
                                 "sort value into all three"));
    ui_->topRow->insertWidget(ui_->topRow->indexOf(chooser) + 1, peopleFields_);
    peopleFields_->setEnabled(isPersonField(controller_.keyTag()));
    QObject::connect(peopleFields_, &QCheckBox::toggled, window_.get(), [this](bool on) {
        finishEditing();
        if (!settleUnsavedEdits()) {
            const QSignalBlocker quiet(peopleFields_);
            peopleFields_->setChecked(!on);
            return;
        }
        applyFieldChoice();
    });
}

bool MainWindow::isPersonField(int tag) { return tag == 0 || tag == 2 || tag == 3; }

void MainWindow::applyFieldChoice()
{
    const int index = ui_->fieldChooser->currentIndex();
    peopleFields_->setEnabled(isPersonField(index));
    if (peopleFields_->isChecked() && isPersonField(index)) {
        // The chosen field first, so that the chooser keeps showing it.
        std::vector<std::int32_t> tags{index};
        for (const std::int32_t tag : {0, 2, 3})
            if (tag != index)
                tags.push_back(tag);
        controller_.setFieldTags(std::move(tags));
    } else if (!controller_.fieldTags().empty()) {
        controller_.setFieldTags({index});
    } else {
        controller_.setKeyTag(index);
    }
}

QString MainWindow::tracksText(std::size_t n) { return n == 1 ? tr("1 track") : tr("%1 tracks").arg(number(n)); }

QString MainWindow::valuesText(std::size_t n) { return n == 1 ? tr("1 value") : tr("%1 values").arg(number(n)); }

QString MainWindow::revertText(const RevertReport& r)
{
    if (!r.found)
        return tr("Nothing reverted: %1").arg(QString::fromStdString(r.error));
    QString out = tr("Reverted Save %1: %2").arg(QString::number(r.saveId), tracksText(r.reverted));
    if (r.notMade)
        out += tr("; %1 already as before").arg(number(r.notMade));
    if (!r.leftAlone.empty())
        out += tr("; %1 changed since, left alone").arg(number(r.leftAlone.size()));
    if (r.failed)
        out += tr("; %1 failed").arg(number(r.failed));
    return out;
}

void MainWindow::showSavePreview()
{
    const SavePreview preview = controller_.savePreview();
    const QString text = withReadingsToCheck(
        tr("Save will write %1 for %2").arg(tracksText(preview.tracks), valuesText(preview.values)));
    ui_->saveButton->setToolTip(text);
    if (controller_.dataArray() && !controller_.dataArray()->empty())
        setStatus(text);
}

QString MainWindow::withReadingsToCheck(const QString& text) const
{
    const std::size_t n = controller_.readingsToCheck();
    if (n == 0)
        return text;
    return tr("%1; %2 to check").arg(text, n == 1 ? tr("1 reading") : tr("%1 readings").arg(number(n)));
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
    const QString saved =
        QSettings(QStringLiteral("yomi"), QStringLiteral("yomi")).value(QStringLiteral("reading/style")).toString();
    const auto style = readingStyleNamed(saved.toStdString()).value_or(ReadingStyle::Katakana);
    styles->setCurrentIndex(static_cast<int>(style));
    reader_.styles.japanese = style;
    QObject::connect(styles, &QComboBox::currentIndexChanged, window_.get(), [this](int index) {
        if (index < 0)
            return;
        reader_.styles.japanese = static_cast<ReadingStyle>(index);
        QSettings(QStringLiteral("yomi"), QStringLiteral("yomi"))
            .setValue(QStringLiteral("reading/style"),
                      QString::fromUtf8(readingStyleName(reader_.styles.japanese).data()));
    });
    QObject::connect(ui_->readingButton, &QPushButton::clicked, window_.get(),
                     [this] { runReading(ui_->readingButton); });
    QObject::connect(ui_->readingAction, &QAction::triggered, window_.get(),
                     [this] { runReading(ui_->readingAction); });
    connectLanguageSettings();
    showReadingState();
}

void MainWindow::connectLanguageSettings()
{
    readingMenu_ = new QMenu(tr("&Reading"), window_.get());
    ui_->menuBar->insertMenu(ui_->helpMenu->menuAction(), readingMenu_);
    const std::pair<Language, QString> readAs[] = {{Language::Japanese, tr("Read as &Japanese")},
                                                   {Language::Chinese, tr("Read as &Chinese")},
                                                   {Language::Korean, tr("Read as &Korean")}};
    for (std::size_t i = 0; i < 3; ++i) {
        readAs_[i] = readingMenu_->addAction(readAs[i].second);
        readAs_[i]->setToolTip(tr("Set each selected sort value to its reading in this language"));
        const Language language = readAs[i].first;
        QObject::connect(readAs_[i], &QAction::triggered, window_.get(), [this, language] { runReadingAs(language); });
    }
    readingMenu_->addSeparator();

    // One remembered choice: a submenu of checkable actions, each named by
    // its setting's value.
    QSettings settings(QStringLiteral("yomi"), QStringLiteral("yomi"));
    auto choice = [&](const QString& title, const QString& key, const std::vector<std::pair<QString, QString>>& options,
                      const QString& fallback, const std::function<void(const QString&)>& apply) {
        QMenu* menu = readingMenu_->addMenu(title);
        auto* group = new QActionGroup(menu);
        QString chosen = settings.value(key, fallback).toString();
        if (std::none_of(options.begin(), options.end(), [&](const auto& o) { return o.first == chosen; }))
            chosen = fallback;
        for (const auto& [value, text] : options) {
            QAction* action = menu->addAction(text);
            action->setCheckable(true);
            action->setChecked(value == chosen);
            group->addAction(action);
            settingActions_[value] = action;
            QObject::connect(action, &QAction::triggered, window_.get(), [key, value, apply] {
                apply(value);
                QSettings(QStringLiteral("yomi"), QStringLiteral("yomi")).setValue(key, value);
            });
        }
        apply(chosen);
    };
    choice(
        tr("&Undecided Values"), QStringLiteral("reading/prefer"),
        {{QStringLiteral("ja"), tr("Japanese")}, {QStringLiteral("zh"), tr("Chinese")}}, QStringLiteral("ja"),
        [this](const QString& v) { reader_.prefer = languageFromCode(v.toStdString()).value_or(Language::Japanese); });
    choice(tr("C&hinese Readings"), QStringLiteral("reading/zh-style"),
           {{QStringLiteral("pinyin"), tr("Pinyin")}, {QStringLiteral("zhuyin"), tr("Zhuyin (Bopomofo)")}},
           QStringLiteral("pinyin"), [this](const QString& v) {
               reader_.styles.chinese = chineseStyleNamed(v.toStdString()).value_or(ChineseStyle::Pinyin);
           });
    choice(tr("K&orean Readings"), QStringLiteral("reading/ko-style"),
           {{QStringLiteral("hangul"), tr("Hangul as Written")}, {QStringLiteral("latin"), tr("Latin Letters")}},
           QStringLiteral("hangul"), [this](const QString& v) {
               reader_.styles.korean = koreanStyleNamed(v.toStdString()).value_or(KoreanStyle::Hangul);
           });
}

QAction* MainWindow::readAsAction(Language language) const
{
    switch (language) {
    case Language::Japanese:
        return readAs_[0];
    case Language::Chinese:
        return readAs_[1];
    case Language::Korean:
        return readAs_[2];
    case Language::None:
        break;
    }
    return nullptr;
}

QAction* MainWindow::readingSettingAction(const QString& name) const
{
    const auto found = settingActions_.find(name);
    return found == settingActions_.end() ? nullptr : found->second;
}

void MainWindow::runReadingAs(Language language)
{
    finishEditing();
    window_->setCursor(Qt::WaitCursor);
    controller_.copyOriginalToReadingAs(language);
    window_->unsetCursor();
    showSavePreview();
    showReadingResult();
}

void MainWindow::setReadingKit(std::unique_ptr<ReadingKit> kit)
{
    readingKit_ = std::move(kit);
    if (readingKit_)
        readingKit_->lend(reader_);
    else
        ReadingKit().lend(reader_);
    controller_.reader = &reader_;
    if (readingKit_ && !userReadings_) {
        userReadings_ = std::make_unique<UserReadings>(UserReadings::defaultFile());
        if (const Status loaded = userReadings_->load(); !loaded)
            setStatus(tr("%1; your own readings are not used").arg(QString::fromStdString(loaded.reason())));
        controller_.userReadings = userReadings_.get();
        reader_.user = userReadings_.get();
    }
    showReadingState();
}

void MainWindow::showReadingState()
{
    const bool available = controller_.readingAvailable();
    ui_->readingButton->setEnabled(available);
    ui_->readingAction->setEnabled(available);
    for (QAction* action : readAs_)
        if (action) {
            const Language language = action == readAs_[0] ? Language::Japanese
                : action == readAs_[1]                     ? Language::Chinese
                                                           : Language::Korean;
            const ValueReader* engine = reader_.engine(language);
            action->setEnabled(available && engine && engine->available());
        }
    QString why;
    if (!available) {
        const ValueReader* japanese = reader_.engine(Language::Japanese);
        const std::string missing = japanese ? japanese->missing() : std::string();
        why = tr("Japanese readings need a dictionary: %1")
                  .arg(missing.empty() ? tr("install the package mecab-ipadic-utf8") : QString::fromStdString(missing));
    } else {
        why = tr("Set each selected sort value to the reading of the value in its language (Ctrl+J)");
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
    showSavePreview();
    showReadingResult();
}

void MainWindow::showReadingResult()
{
    QString said = editText();
    if (const QString refused = readingMessage(); !refused.isEmpty())
        said = controller_.lastEditReport().changed ? tr("%1; %2").arg(said, refused) : refused;
    setStatus(withReadingsToCheck(said));
}

QString MainWindow::editText() const
{
    const EditReport& r = controller_.lastEditReport();
    if (r.selected == 0)
        return tr("Nothing selected: select the rows to change first");
    QString out = r.changed == 1 ? tr("1 row changed") : tr("%1 rows changed").arg(number(r.changed));
    if (r.keptNonEmpty)
        out += tr("; %1 kept their sort value (Only empty)").arg(number(r.keptNonEmpty));
    return out;
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
    QString names = shown.join(tr(", "));
    if (refused.size() > kShown)
        names += tr(", …");
    if (refused.size() == 1)
        return tr("1 value has no reading: %1").arg(names);
    return tr("%1 values have no reading: %2").arg(QLocale().toString(static_cast<qulonglong>(refused.size())), names);
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
QAction* MainWindow::openLibraryAction() const { return ui_->openLibraryAction; }
QAction* MainWindow::showLogAction() const { return ui_->showLogAction; }
QLineEdit* MainWindow::filterBox() const { return ui_->filterBox; }
QLabel* MainWindow::statusLine() const { return statusLine_; }
QAction* MainWindow::revertAction() const { return ui_->revertAction; }

} // namespace yomi::gui
