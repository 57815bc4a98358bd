// The window writes only what the user meant and tells him what happened:
// Return in the filter, Ask Before Saving, the question before a large
// revert, edits kept or confirmed before they would be dropped, Remove Sort
// Value, failed writes that stay pending, Load's errors and the log without a
// viewer.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gmock/gmock.h>

#include "GuiFixture.h"
#include "Window/ListFilter.h"
#include "Window/PairListModel.h"
#include "Platform/Log.h"
#include "support/StateHome.h"

namespace yomi::test {
namespace {

class Intent : public GuiTest {
protected:
    ScopedStateHome state;

    OptString sortOf(std::size_t track) { return library->track(track).get("sortArtist").copy(); }
    // Types a sort value into a row's cell, as the cell editor stores it.
    void type(int row, const QString& text) { ASSERT_TRUE(view().model()->setData(view().model()->index(row, 1), text)); }
};

TEST_F(Intent, ReturnInTheFilterBoxNeverSaves)
{
    addTrack("artist", u"東京", "sortArtist", u"");
    addTrack("artist", u"大阪", "sortArtist", u"");
    click(ui->loadButton());
    type(1, "oosaka");
    // The filter hides the edited row; Return there must not write it.
    ui->filterBox()->setFocus();
    ui->filterBox()->setText("東");
    QTest::keyClick(ui->filterBox(), Qt::Key_Return);
    QTest::keyClick(ui->filterBox(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(launcher->launched.empty()) << "Return in the filter box pressed Save";
    EXPECT_EQ(sortOf(1), OptString(u"")) << "a hidden row was written";
    // The default button still works where the window has it: the list.
    view().setFocus();
    QTest::keyClick(&view(), Qt::Key_Return);
    EXPECT_EQ(sortOf(1), OptString(u"oosaka"));
}

TEST_F(Intent, AskBeforeSavingShowsWhatItWillWriteAndNoWritesNothing)
{
    EXPECT_FALSE(ui->askBeforeSavingAction()->isChecked()) << "off until the user turns it on";
    addTrack("artist", u"東京", "sortArtist", u"");
    addTrack("artist", u"東京", "sortArtist", u"");
    click(ui->loadButton());
    type(0, "tokyo");
    ui->askBeforeSavingAction()->setChecked(true);

    answers = {gui::Answer::No};
    click(ui->saveButton());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].kind, gui::Question::Kind::Confirm);
    EXPECT_TRUE(asked[0].text.contains("2 tracks")) << asked[0].text.toStdString();
    EXPECT_EQ(asked[0].details, QStringList{"東京 → tokyo (2 tracks)"});
    EXPECT_EQ(sortOf(0), OptString(u"")) << "No still wrote";
    EXPECT_EQ(ui->statusLine()->text(), "Nothing written: Save cancelled");

    answers = {gui::Answer::Yes};
    click(ui->saveButton());
    EXPECT_EQ(sortOf(0), OptString(u"tokyo"));
    EXPECT_EQ(ui->statusLine()->text(), "2 tracks written");
    // Nothing left to write: no question.
    click(ui->saveButton());
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(ui->statusLine()->text(), "Nothing to write: every track has its listed sort value");
    // The setting outlives the window.
    EXPECT_TRUE(QSettings().value("save/ask").toBool());
}

TEST_F(Intent, ARevertOfManyFilesAsksFirstAndStepsBackThroughTheSaves)
{
    for (int i = 0; i < 12; ++i)
        addTrack("artist", u"東京", "sortArtist", u"");
    click(ui->loadButton());
    type(0, "tokyo");
    click(ui->saveButton());
    type(0, "toukyou");
    click(ui->saveButton());

    ui->revertAction()->trigger();
    ASSERT_EQ(asked.size(), 1u) << "12 files rewritten without a question";
    EXPECT_TRUE(asked[0].text.contains("12 tracks")) << asked[0].text.toStdString();
    EXPECT_EQ(sortOf(0), OptString(u"toukyou")) << "No still reverted";

    answers = {gui::Answer::Yes, gui::Answer::Yes, gui::Answer::Yes};
    ui->revertAction()->trigger();
    EXPECT_EQ(sortOf(11), OptString(u"tokyo"));
    // A second Revert takes back the Save before, not the first revert.
    ui->revertAction()->trigger();
    EXPECT_EQ(sortOf(11), OptString(u""));
    EXPECT_EQ(column(1), QStringList{""}) << "the list was not loaded again";
    ui->redoAction()->trigger();
    EXPECT_EQ(sortOf(11), OptString(u"tokyo")) << "Redo did not write again what the revert took back";
}

TEST_F(Intent, EditsNotSavedAreConfirmedBeforeAFieldChangeAFolderChangeAndClosing)
{
    addTrack("artist", u"東京", "sortArtist", u"");
    click(ui->loadButton());
    type(0, "tokyo");

    ui->fieldChooser()->setCurrentIndex(1); // Cancel
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].kind, gui::Question::Kind::Unsaved);
    EXPECT_EQ(asked[0].details, QStringList{"東京 → tokyo"});
    EXPECT_EQ(ui->fieldChooser()->currentIndex(), 0) << "the chooser moved though the user cancelled";
    EXPECT_EQ(ui->controller().keyTag(), 0);
    EXPECT_EQ(column(1), QStringList{"tokyo"}) << "the edit was dropped";

    QTemporaryDir other;
    ui->setLibraryOpener([](const QString&) { return Status(); });
    EXPECT_FALSE(ui->openLibraryFolder(other.path()));
    EXPECT_EQ(rows(), 1);

    EXPECT_FALSE(ui->window().close()) << "the window closed over edits not saved";
    EXPECT_TRUE(ui->window().isVisible());

    answers = {gui::Answer::Save};
    ui->fieldChooser()->setCurrentIndex(1);
    EXPECT_EQ(sortOf(0), OptString(u"tokyo")) << "Save did not write before the change";
    EXPECT_EQ(ui->controller().keyTag(), 1);

    click(ui->loadButton()); // album: nothing to list
    ui->fieldChooser()->setCurrentIndex(0);
    click(ui->loadButton());
    type(0, "toukyou");
    answers = {gui::Answer::Discard};
    EXPECT_TRUE(ui->window().close());
    EXPECT_EQ(sortOf(0), OptString(u"tokyo")) << "Discard wrote";
}

TEST_F(Intent, RemoveSortValueWritesTheRemovalAnEmptiedCellWritesNothing)
{
    addTrack("artist", u"東京", "sortArtist", u"tokyo");
    addTrack("artist", u"東京", "sortArtist", u"tokyo");
    addTrack("artist", u"大阪", "sortArtist", u"osaka");
    click(ui->loadButton());

    // Emptying the cell is no change: the cell shows the listed value again.
    type(1, "");
    EXPECT_EQ(cell(1, 1), "osaka");
    EXPECT_TRUE(ui->statusLine()->text().contains("Remove Sort Value")) << ui->statusLine()->text().toStdString();
    EXPECT_FALSE(ui->controller().hasUnsavedEdits());

    ui->removeSortAction()->trigger();
    EXPECT_EQ(ui->statusLine()->text(), "Nothing selected: select the rows to change first");
    clickRow(0);
    ui->removeSortAction()->trigger();
    EXPECT_EQ(cell(0, 1), "");
    EXPECT_EQ(ui->saveButton()->toolTip(), "Save will write 2 tracks for 1 value");
    EXPECT_TRUE(view().model()->index(0, 0).data(Qt::FontRole).value<QFont>().bold());

    click(ui->saveButton());
    EXPECT_EQ(sortOf(0), OptString(u""));
    EXPECT_EQ(sortOf(1), OptString(u""));
    EXPECT_EQ(sortOf(2), OptString(u"osaka")) << "the emptied cell was written";
    EXPECT_EQ(ui->statusLine()->text(), "2 tracks written");
    EXPECT_FALSE(ui->controller().hasUnsavedEdits());
    EXPECT_THAT(log.lines, ::testing::Contains(::testing::HasSubstr(":東京->\n")));

    // The removal is undoable like any Save.
    ui->revertAction()->trigger();
    EXPECT_EQ(sortOf(0), OptString(u"tokyo"));
}

TEST_F(Intent, RowsWhoseWriteFailedAreMarkedAndStayPending)
{
    addTrack("artist", u"東京", "sortArtist", u"");
    library->addTrack("artist", u"東京", "sortArtist", u"").failWrites("read-only file");
    click(ui->loadButton());
    type(0, "tokyo");
    click(ui->saveButton());

    EXPECT_EQ(ui->statusLine()->text(), "1 track written, 1 could not be written — see the log");
    QAbstractItemModel& model = *view().model();
    EXPECT_EQ(model.index(0, 0).data(gui::PairListModel::PendingRole).toULongLong(), 1u);
    EXPECT_EQ(cell(0, 2), "2 (1 to write)");
    EXPECT_TRUE(model.index(0, 0).data(Qt::ToolTipRole).toString().contains("could not write 1 track"));
    EXPECT_TRUE(ui->controller().hasUnsavedEdits()) << "a failed write looks saved";
    EXPECT_EQ(ui->saveButton()->toolTip(), "Save will write 1 track for 1 value");

    library->track(1).failWrites("");
    click(ui->saveButton());
    EXPECT_EQ(sortOf(1), OptString(u"tokyo"));
    EXPECT_EQ(cell(0, 2), "2");
    EXPECT_TRUE(model.index(0, 0).data(Qt::DecorationRole).isNull());
}

TEST_F(Intent, LoadSaysWhatItCouldNotRead)
{
    addTrack("artist", u"東京", "sortArtist", u"");
    library->addTrack("artist", std::nullopt, "sortArtist", u"");
    click(ui->loadButton());
    EXPECT_TRUE(ui->problemsLine()->isVisibleTo(&ui->window()));
    EXPECT_TRUE(ui->problemsLine()->text().contains("1 file could not be read — show"))
        << ui->problemsLine()->text().toStdString();
    emit ui->problemsLine()->linkActivated("show");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].kind, gui::Question::Kind::List);

    // A library folder that cannot be read is an error, not an empty library.
    ui->setLibraryFolder(QDir::temp().filePath("yomi-no-such-folder-at-all"));
    click(ui->loadButton());
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].kind, gui::Question::Kind::Error);
    EXPECT_TRUE(ui->statusLine()->text().startsWith("Cannot read the library folder"));
    EXPECT_EQ(rows(), 1) << "the list of the last Load was dropped";
}

TEST_F(Intent, ShowLogFallsBackToTheProgramsOwnLines)
{
    addTrack("artist", u"東京", "sortArtist", u"");
    click(ui->loadButton());
    type(0, "tokyo");
    click(ui->saveButton());
    launcher->starts = false;
    ui->showLogAction()->trigger();
    ASSERT_EQ(asked.size(), 1u) << "no viewer and nothing shown";
    EXPECT_EQ(asked[0].kind, gui::Question::Kind::List);
    EXPECT_TRUE(asked[0].details.contains("(null):東京->tokyo")) << asked[0].details.join("|").toStdString();
}

TEST_F(Intent, CommandsSayWhatTheyChangedAndOnlyEmptyKeepsCuratedValues)
{
    addTrack("artist", u"音楽図鑑", "sortArtist", u"Ongaku Zukan");
    addTrack("artist", u"東京", "sortArtist", u"");
    click(ui->loadButton());
    ui->copyToSortAction()->trigger();
    EXPECT_EQ(ui->statusLine()->text(), "Nothing selected: select the rows to change first");

    ui->onlyEmptyBox()->setChecked(true);
    view().selectAll();
    ui->copyToSortAction()->trigger();
    EXPECT_EQ(column(1), (QStringList{"Ongaku Zukan", "東京"})) << "Only empty replaced a curated value";
    EXPECT_EQ(ui->statusLine()->text(), "1 row changed; 1 kept their sort value (Only empty)");
    ui->onlyEmptyBox()->setChecked(false);
    ui->romajiAction()->trigger();
    EXPECT_NE(cell(0, 1), "Ongaku Zukan");
    EXPECT_EQ(ui->statusLine()->text(), "2 rows changed");
}

TEST_F(Intent, RowsWhoseTracksDisagreeCarryTheMarkAndTheCountSaveWillWrite)
{
    addTrack("artist", u"王菲", "sortArtist", u"Wang Fei");
    addTrack("artist", u"王菲", "sortArtist", u"");
    addTrack("artist", u"東京", "sortArtist", u"tokyo");
    click(ui->loadButton());
    QAbstractItemModel& model = *view().model();
    // Not edited, yet Save would write one track: the list says so.
    EXPECT_FALSE(model.index(0, 0).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(model.index(0, 0).data(Qt::DecorationRole).isNull()) << "a pending write without a mark";
    EXPECT_EQ(cell(0, 2), "2 (1 to write)");
    EXPECT_EQ(model.index(0, 2).data(Qt::ToolTipRole).toString(), "Save will write 1 track of 2");
    EXPECT_TRUE(model.index(1, 0).data(Qt::DecorationRole).isNull());
    EXPECT_EQ(cell(1, 2), "1");
    EXPECT_EQ(ui->saveButton()->toolTip(), "Save will write 1 track for 1 value");
}

} // namespace
} // namespace yomi::test

namespace yomi::test {
namespace {

TEST(ListFilterFold, KanaOfEveryWidthAndCaseMatchAlike)
{
    EXPECT_EQ(gui::foldForFilter("トウキョウ"), gui::foldForFilter("とうきょう"));
    EXPECT_EQ(gui::foldForFilter("ﾄｳｷｮｳ"), gui::foldForFilter("とうきょう")) << "half-width katakana";
    EXPECT_EQ(gui::foldForFilter("ガ"), gui::foldForFilter("ｶﾞ")) << "a voiced mark apart is one letter";
    EXPECT_EQ(gui::foldForFilter("ＡＢＣ"), gui::foldForFilter("abc"));
    EXPECT_NE(gui::foldForFilter("東京"), gui::foldForFilter("京東"));
    // ー and ヽ are no katakana letters with a hiragana twin.
    EXPECT_EQ(gui::foldForFilter("ー"), "ー");
}

TEST_F(GuiTest, TheFilterMatchesKanaAlikeSaysTheRowsShownAndHeadersSortByCollation)
{
    addTrack("artist", u"ヨミ 乙", "sortArtist", u"b");
    addTrack("artist", u"よみ 甲", "sortArtist", u"A");
    addTrack("artist", u"東京", "sortArtist", u"c");
    click(ui->loadButton());
    EXPECT_EQ(ui->rowsLine()->text(), "3 rows");
    ui->filterBox()->setText("ﾖﾐ");
    EXPECT_EQ(rows(), 2) << "half-width katakana did not match hiragana and katakana";
    EXPECT_EQ(ui->rowsLine()->text(), "2 of 3 rows shown");
    ui->filterBox()->clear();
    view().sortByColumn(1, Qt::AscendingOrder);
    EXPECT_EQ(column(1), (QStringList{"A", "b", "c"})) << "sorting by Sort Value went by case";
}

} // namespace
} // namespace yomi::test

namespace yomi::test {
namespace {

TEST_F(GuiTest, ALoadLetsTheWindowLiveAndItsCancelKeepsTheListAsItWas)
{
    EXPECT_TRUE(ui->emptyListHint()->isVisibleTo(&ui->window())) << "the empty list does not say what to press";
    addTrack("artist", u"東京", "sortArtist", u"tokyo");
    click(ui->loadButton());
    EXPECT_FALSE(ui->emptyListHint()->isVisibleTo(&ui->window()));
    for (int i = 0; i < 1000; ++i)
        addTrack("artist", i % 2 ? u"大阪" : u"京都", "sortArtist", u"");

    bool sawMark = false;
    bool cancelShown = false;
    ui->controller().progress = [&, inner = ui->controller().progress](const WalkProgress& p) {
        if (p.done == 0) // handled by the window's own event loop during the walk
            QMetaObject::invokeMethod(
                ui->filterBox(), [this] { ui->filterBox()->setText("typed"); }, Qt::QueuedConnection);
        inner(p);
        for (int r = 0; r < rows(); ++r)
            sawMark = sawMark || !view().model()->index(r, 0).data(Qt::DecorationRole).isNull();
        cancelShown = cancelShown || ui->cancelButton()->isVisibleTo(&ui->window());
        if (p.done >= 400)
            ui->cancelButton()->click();
    };
    click(ui->loadButton());
    EXPECT_EQ(ui->filterBox()->text(), "typed") << "the window did not handle its events during the Load";
    EXPECT_TRUE(cancelShown);
    EXPECT_FALSE(sawMark) << "a row showed a mark before the Load had counted its tracks";
    EXPECT_TRUE(ui->controller().lastLoadReport().cancelled);
    ui->filterBox()->clear();
    EXPECT_EQ(column(0), QStringList{"東京"}) << "Cancel did not give back the list from before";
    EXPECT_EQ(ui->statusLine()->text(), "Load cancelled: the list is as it was");
    EXPECT_FALSE(ui->cancelButton()->isVisibleTo(&ui->window()));
    EXPECT_TRUE(ui->saveButton()->isEnabled()) << "the commands stayed disabled after the Load";
}

} // namespace
} // namespace yomi::test
