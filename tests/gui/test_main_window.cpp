// The main window driven through its widgets: field chooser, Load, the list
// view, the edit commands, in-place edits, Save, key equivalents, the busy
// indicator and the redraws during a scan.

#include <set>

#include <QAbstractItemModel>
#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include "Category/StringUtility.h"
#include "Window/Adapters.h"
#include "Window/PairListModel.h"
#include "gui/GuiFixture.h"

namespace yomi::test {
namespace {

using bridge::Value;

QString q(const std::u16string& s) { return QString::fromStdU16String(s); }

TEST_F(GuiTest, StartsOnFieldZeroWithAnEmptyListAndLoadAsDefault)
{
    EXPECT_EQ(ui->fieldChooser()->currentIndex(), 0);
    EXPECT_EQ(ui->fieldChooser()->currentText(), "Artist");
    EXPECT_EQ(ui->fieldChooser()->count(), 6);
    EXPECT_EQ(ui->controller().keyTag(), 0);
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(view().model()->columnCount(), 4);
    EXPECT_TRUE(ui->progressIndicator()->isHidden());
    EXPECT_EQ(ui->loadButtonAdapter().keyEquivalent(), u"\r");
    EXPECT_EQ(ui->saveButtonAdapter().keyEquivalent(), u"");
    EXPECT_TRUE(ui->loadButton()->isDefault());
    EXPECT_FALSE(ui->saveButton()->isDefault());
    EXPECT_EQ(view().selectionMode(), QAbstractItemView::ExtendedSelection);
    // Nothing reads the library before Load or Save.
    EXPECT_TRUE(library->accesses().empty());
}

// The field chooser drives keyTag, and Load lists that field only.
struct FieldCase {
    int tag;
    const char* valueKey;
    const char* sortKey;
};

void PrintTo(const FieldCase& f, std::ostream* os) { *os << f.tag << ' ' << f.valueKey; }

class ChooseFieldAndLoad : public GuiTest, public ::testing::WithParamInterface<FieldCase> {};

TEST_P(ChooseFieldAndLoad, ListsTheHanValuesOfTheChosenField)
{
    const FieldCase f = GetParam();
    addTrack(f.valueKey, u"東京事変", f.sortKey, u"とうきょうじへん");
    addTrack(f.valueKey, u"ひらがな", f.sortKey, u"");   // kana only
    addTrack(f.valueKey, u"Latin Name", f.sortKey, u""); // Latin only
    addTrack(f.valueKey, u"椎名林檎", f.sortKey, u"");
    addTrack(f.valueKey, u"東京事変", f.sortKey, u"other"); // listed already
    addTrack("artist", u"別の歌手", "sortArtist", u"x");    // another field
    library->addTrack({{f.valueKey, Value(String(u"番組"))},
                       {f.sortKey, Value(String(u""))},
                       {"podcast", Value(true)},
                       {"videoKind", Value(bridge::kVideoKindNone)}});

    ui->fieldChooser()->setCurrentIndex(f.tag);
    EXPECT_EQ(ui->controller().keyTag(), f.tag);
    click(ui->loadButton());

    if (f.tag == 0) {
        EXPECT_EQ(column(0), (QStringList{"東京事変", "椎名林檎", "別の歌手"}));
        EXPECT_EQ(column(1), (QStringList{"とうきょうじへん", "", "x"}));
    } else {
        EXPECT_EQ(column(0), (QStringList{"東京事変", "椎名林檎"}));
        EXPECT_EQ(column(1), (QStringList{"とうきょうじへん", ""}));
    }
    EXPECT_TRUE(ui->progressIndicator()->isHidden());
    EXPECT_FALSE(ui->busyIndicator().isAnimating());
}

INSTANTIATE_TEST_SUITE_P(Fields, ChooseFieldAndLoad,
                         ::testing::Values(FieldCase{0, "artist", "sortArtist"}, FieldCase{1, "album", "sortAlbum"},
                                           FieldCase{2, "albumArtist", "sortAlbumArtist"},
                                           FieldCase{3, "composer", "sortComposer"}, FieldCase{4, "name", "sortName"},
                                           FieldCase{5, "show", "sortShow"}),
                         [](const auto& info) { return std::string(info.param.valueKey); });

TEST_F(GuiTest, ChoosingAnotherFieldEmptiesTheListAndTheSameFieldKeepsIt)
{
    addTrack("artist", u"東京事変", "sortArtist", u"");
    click(ui->loadButton());
    ASSERT_EQ(rows(), 1);
    ui->fieldChooser()->setCurrentIndex(0);
    EXPECT_EQ(rows(), 1);
    ui->fieldChooser()->setCurrentIndex(3);
    EXPECT_EQ(ui->controller().keyTag(), 3);
    EXPECT_EQ(rows(), 0);
}

class Loaded : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        addTrack("artist", u"東京", "sortArtist", u"tokyo-old");
        addTrack("artist", u"北京", "sortArtist", u"");
        addTrack("artist", u"大阪", "sortArtist", u"oosaka");
        addTrack("artist", u"東京", "sortArtist", u""); // second track of a listed value
        click(ui->loadButton());
        ASSERT_EQ(column(0), (QStringList{"東京", "北京", "大阪"}));
    }
};

TEST_F(Loaded, CommandsChangeOnlyTheSelectedRowsAndKeepTheSelection)
{
    clickRow(0);
    clickRow(2, Qt::ControlModifier);
    ASSERT_EQ(view().selectionModel()->selectedRows().size(), 2);

    click(ui->copyToSortButton());
    EXPECT_EQ(column(1), (QStringList{"東京", "", "大阪"}));
    // The edit went into the entries that the index shares.
    EXPECT_EQ(indexed(u"東京")->sortStr, u"東京");
    EXPECT_EQ(indexed(u"大阪")->sortStr, u"大阪");
    EXPECT_EQ(view().selectionModel()->selectedRows().size(), 2);

    // The Edit menu's item, by its shortcut.
    QTest::keyClick(&ui->window(), Qt::Key_R, Qt::ControlModifier);
    const QString tokyo = q(romaji(std::u16string_view(u"東京")));
    const QString osaka = q(romaji(std::u16string_view(u"大阪")));
    ASSERT_FALSE(tokyo.isEmpty());
    EXPECT_EQ(column(1), (QStringList{tokyo, "", osaka}));
    EXPECT_EQ(q(indexed(u"東京")->sortStr), tokyo);

    // The menu item and the button send the same action.
    ui->copyToSortAction()->trigger();
    EXPECT_EQ(column(1), (QStringList{"東京", "", "大阪"}));
    click(ui->romajiButton());
    EXPECT_EQ(column(1), (QStringList{tokyo, "", osaka}));
}

TEST_F(Loaded, SelectedObjectsAreTheSharedEntriesInListOrder)
{
    clickRow(2);
    clickRow(0, Qt::ControlModifier);
    const auto selected = ui->controller().arrayController->selectedObjects();
    ASSERT_EQ(selected.size(), 2u);
    EXPECT_EQ(selected[0], indexed(u"東京"));
    EXPECT_EQ(selected[1], indexed(u"大阪"));
    view().clearSelection();
    EXPECT_TRUE(ui->controller().arrayController->selectedObjects().empty());
}

TEST_F(Loaded, CommandWithNoSelectionChangesNothing)
{
    view().clearSelection();
    click(ui->romajiButton());
    EXPECT_EQ(column(1), (QStringList{"tokyo-old", "", "oosaka"}));
}

TEST_F(Loaded, EditedCellIsTheSortValueThatSaveWrites)
{
    const QModelIndex sortCell = view().model()->index(1, 1);
    EXPECT_FALSE(view().model()->flags(view().model()->index(1, 0)) & Qt::ItemIsEditable);
    ASSERT_TRUE(view().model()->flags(sortCell) & Qt::ItemIsEditable);

    const QPoint at = view().visualRect(sortCell).center();
    QTest::mouseClick(view().viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(view().viewport(), Qt::LeftButton, Qt::NoModifier, at);
    auto* editor = view().viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "pekin");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_TRUE(launcher->launched.empty()) << "Return in the cell editor pressed Save";
    QApplication::processEvents();
    EXPECT_EQ(cell(1, 1), "pekin");
    EXPECT_EQ(indexed(u"北京")->sortStr, u"pekin");

    library->clearAccesses();
    click(ui->saveButton());
    EXPECT_EQ(library->track(1).get("sortArtist").copy(), OptString(u"pekin"));
    // Tracks of a listed value get its sort value; a track that holds it
    // already is left alone.
    EXPECT_EQ(library->track(0).get("sortArtist").copy(), OptString(u"tokyo-old"));
    EXPECT_EQ(library->track(3).get("sortArtist").copy(), OptString(u"tokyo-old"));
    EXPECT_EQ(library->track(2).get("sortArtist").copy(), OptString(u"oosaka"));
    EXPECT_EQ(library->writes(), 2u);
    EXPECT_EQ(launcher->launched, std::vector<std::string>{"Console"});
    EXPECT_TRUE(ui->progressIndicator()->isHidden());
    EXPECT_FALSE(ui->busyIndicator().isAnimating());
    // Save leaves the list as it was.
    EXPECT_EQ(column(1), (QStringList{"tokyo-old", "pekin", "oosaka"}));
}

TEST_F(Loaded, CommandsAndSaveFirstCommitACellBeingEdited)
{
    // Row 0 selected; an edit of row 1 is open when the command comes by its
    // shortcut, which does not take the focus from the editor.
    clickRow(0);
    view().edit(view().model()->index(1, 1));
    auto* editor = view().viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setFocus();
    editor->selectAll();
    QTest::keyClicks(editor, "pekin");
    QTest::keyClick(&ui->window(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(column(1), (QStringList{"東京", "pekin", "oosaka"}));

    // An edit of a selected row, then the command: the command's value stays.
    clickRow(2);
    view().edit(view().model()->index(2, 1));
    editor = view().viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setFocus();
    editor->selectAll();
    QTest::keyClicks(editor, "typed");
    QTest::keyClick(&ui->window(), Qt::Key_D, Qt::ControlModifier);
    ui->fieldChooser()->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(cell(2, 1), "大阪");
    EXPECT_EQ(indexed(u"大阪")->sortStr, u"大阪");

    // Save clicked while an edit is open: the edit is saved.
    view().edit(view().model()->index(1, 1));
    editor = view().viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setFocus();
    editor->selectAll();
    QTest::keyClicks(editor, "beijing");
    click(ui->saveButton());
    EXPECT_EQ(library->track(1).get("sortArtist").copy(), OptString(u"beijing"));
}

TEST_F(GuiTest, ReturnPressesLoadBeforeTheFirstScanAndSaveAfterIt)
{
    addTrack("artist", u"東京", "sortArtist", u"tokyo");
    addTrack("artist", u"東京", "sortArtist", u"");
    view().setFocus();

    QTest::keyClick(&view(), Qt::Key_Return);
    EXPECT_EQ(rows(), 1) << "Return did not press Load";
    EXPECT_EQ(ui->loadButtonAdapter().keyEquivalent(), u"");
    EXPECT_EQ(ui->saveButtonAdapter().keyEquivalent(), u"\r");
    EXPECT_FALSE(ui->loadButton()->isDefault());
    EXPECT_TRUE(ui->saveButton()->isDefault());
    EXPECT_TRUE(launcher->launched.empty());

    // Enter on the keypad is Return too.
    QTest::keyClick(&view(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(launcher->launched.size(), 1u) << "Return did not press Save";
    EXPECT_EQ(library->track(1).get("sortArtist").copy(), OptString(u"tokyo"));
    EXPECT_EQ(ui->saveButtonAdapter().keyEquivalent(), u"\r");

    // A second scan leaves neither button with a key.
    click(ui->loadButton());
    EXPECT_EQ(ui->loadButtonAdapter().keyEquivalent(), u"");
    EXPECT_EQ(ui->saveButtonAdapter().keyEquivalent(), u"");
    EXPECT_FALSE(ui->saveButton()->isDefault());
    library->clearAccesses();
    QTest::keyClick(&view(), Qt::Key_Return);
    EXPECT_EQ(launcher->launched.size(), 1u);
    EXPECT_TRUE(library->accesses().empty());
}

TEST(ButtonKeys, KeyEquivalentsMapToShortcuts)
{
    guiApplication();
    QPushButton button("B");
    gui::PushButtonAdapter adapter(&button);
    EXPECT_EQ(adapter.keyEquivalent(), u"");
    adapter.setKeyEquivalent(u"s");
    EXPECT_EQ(adapter.shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(adapter.keyEquivalent(), u"s");
    adapter.setKeyEquivalent(u"\x1b");
    EXPECT_EQ(adapter.shortcut(), QKeySequence(Qt::Key_Escape));
    adapter.setKeyEquivalent(u"Ctrl+Shift+L");
    EXPECT_EQ(adapter.shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
    adapter.setKeyEquivalent(u"\r");
    EXPECT_TRUE(adapter.shortcut().isEmpty());
    EXPECT_TRUE(button.isDefault());
    adapter.setKeyEquivalent(u"");
    EXPECT_FALSE(button.isDefault());
    EXPECT_TRUE(adapter.shortcut().isEmpty());
    EXPECT_EQ(adapter.keyEquivalent(), u"");

    // The first key equivalent is read from the button as it was made, and
    // the mnemonic of the title is no key equivalent.
    QPushButton declared("&Declared");
    declared.setProperty("keyEquivalent", QStringLiteral("\x1b"));
    EXPECT_EQ(gui::PushButtonAdapter(&declared).keyEquivalent(), u"\x1b");
    QPushButton mnemonic("&Mnemonic");
    gui::PushButtonAdapter plain(&mnemonic);
    EXPECT_EQ(plain.keyEquivalent(), u"");
    plain.setKeyEquivalent(u"\r");
    plain.setKeyEquivalent(u"");
    EXPECT_EQ(mnemonic.shortcut(), QKeySequence(Qt::ALT | Qt::Key_M));
}

// Counts the paints of the list's viewport and notes what the view knew of
// the list at each.
class PaintProbe final : public QObject {
public:
    explicit PaintProbe(QTableView& view, QProgressBar& busy) : view_(view), busy_(busy)
    {
        view_.viewport()->installEventFilter(this);
    }
    ~PaintProbe() override { view_.viewport()->removeEventFilter(this); }

    struct Paint {
        int modelRows;
        int viewRows;  // rows the view's header knows
        int scrollMax; // the view's scroll range, laid out for its rows
        bool busyVisible;
    };
    std::vector<Paint> paints;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == view_.viewport() && event->type() == QEvent::Paint)
            paints.push_back({view_.model()->rowCount(), view_.verticalHeader()->count(),
                              view_.verticalScrollBar()->maximum(), busy_.isVisible()});
        return false;
    }

private:
    QTableView& view_;
    QProgressBar& busy_;
};

// The walk of a Load runs on a thread of its own while the window's event
// loop runs: the window draws itself when it will, and every paint shows the
// rows found so far, laid out.
TEST_F(GuiTest, EveryPaintDuringAScanShowsTheRowsFoundSoFarLaidOut)
{
    constexpr int kTracks = 450;
    for (int i = 0; i < kTracks; ++i)
        addTrack("artist", u"漢字" + QString::number(i).toStdU16String(), "sortArtist", u"");
    QApplication::processEvents();

    PaintProbe probe(view(), *ui->progressIndicator());
    click(ui->loadButton());
    ASSERT_EQ(rows(), kTracks);

    // Painted at least after the list was emptied and at the end; rows only
    // ever come, and the view scrolls as far as its rows reach.
    ASSERT_GE(probe.paints.size(), 2u);
    int lastRows = 0;
    int lastScrollMax = 0;
    for (const auto& p : probe.paints) {
        EXPECT_EQ(p.viewRows, p.modelRows) << "a paint showed rows the view had not laid out";
        EXPECT_GE(p.modelRows, lastRows) << "a paint showed fewer rows than the one before";
        EXPECT_GE(p.scrollMax, lastScrollMax) << "at " << p.modelRows << " rows";
        if (p.modelRows == 0) {
            EXPECT_EQ(p.scrollMax, 0);
        }
        lastRows = p.modelRows;
        lastScrollMax = p.scrollMax;
    }
    EXPECT_EQ(probe.paints.front().modelRows, 0) << "the emptied list was not drawn first";
    EXPECT_TRUE(probe.paints.front().busyVisible);
    EXPECT_EQ(probe.paints.back().modelRows, kTracks);
    EXPECT_GT(probe.paints.back().scrollMax, 0) << "the rows at the end were not laid out";
    EXPECT_FALSE(probe.paints.back().busyVisible);

    // A write-back draws at its start, busy, and at its end, still.
    probe.paints.clear();
    click(ui->saveButton());
    ASSERT_GE(probe.paints.size(), 2u);
    EXPECT_TRUE(probe.paints.front().busyVisible);
    EXPECT_FALSE(probe.paints.back().busyVisible);
    EXPECT_TRUE(ui->progressIndicator()->isHidden());
}

// A scan that lists many values hands them to the views in a few batches
// (each insert makes the sorting filter in front of the view work), and the
// rows stay in step with the list when an entry is removed while appended
// rows still wait.
TEST_F(GuiTest, ScannedRowsReachTheViewsInBatchesAndInStep)
{
    constexpr int kValues = 1500;
    addTrack("artist", u"\u6f22\u5b57first", "sortArtist", u"");
    for (int i = 0; i < kValues; ++i)
        addTrack("artist", u"\u6f22\u5b57" + QString::number(i).toStdU16String(), "sortArtist", u"s");
    // Its empty sort value gives way: row 0 goes, the entry comes back last.
    addTrack("artist", u"\u6f22\u5b57first", "sortArtist", u"late");
    QApplication::processEvents();

    int inserts = 0, removes = 0;
    QObject::connect(&ui->model(), &QAbstractItemModel::rowsInserted, [&] { ++inserts; });
    QObject::connect(&ui->model(), &QAbstractItemModel::rowsRemoved, [&] { ++removes; });
    click(ui->loadButton());
    QApplication::processEvents();

    ASSERT_EQ(rows(), kValues + 1);
    EXPECT_EQ(removes, 1);
    // One batch per redraw of the scan (every 200 tracks) or per full batch,
    // not one insert per row.
    EXPECT_LE(inserts, (kValues + 2) / 200 + 2);
    const auto& list = *ui->controller().dataArray();
    ASSERT_EQ(list.size(), static_cast<std::size_t>(kValues + 1));
    for (int r = 0; r < rows(); ++r)
        EXPECT_EQ(ui->model().entryAt(r), list.at(static_cast<std::size_t>(r))) << "row " << r;
    EXPECT_EQ(cell(rows() - 1, 1), QStringLiteral("late"));
}

TEST_F(GuiTest, QuitEndsTheEventLoop)
{
    QTimer::singleShot(0, ui->quitAction(), &QAction::trigger);
    EXPECT_EQ(QApplication::exec(), 0);
}

} // namespace
} // namespace yomi::test
