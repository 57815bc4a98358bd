// A value whose tracks hold different sort values, as the window shows it:
// a badge with the number of sort values, the values and their tracks in the
// sort cell's tooltip and drop-down, and one choice saved into every track.
#include <QCheckBox>
#include <QComboBox>
#include <QIcon>
#include <QPlainTextEdit>
#include <QPushButton>

#include "Window/PairListModel.h"
#include "gui/GuiFixture.h"

namespace yomi::test {
namespace {

class ConflictWindow : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        addTrack("artist", u"坂本龍一", "sortArtist", u"サカモト");
        addTrack("artist", u"坂本龍一", "sortArtist", u"Sakamoto");
        addTrack("artist", u"坂本龍一", "sortArtist", u"Sakamoto");
        addTrack("artist", u"細野晴臣", "sortArtist", u"ホソノ");
        addTrack("artist", u"細野晴臣", "sortArtist", u"");
        click(ui->loadButton());
        ASSERT_EQ(column(0), (QStringList{"坂本龍一", "細野晴臣"}));
    }
};

TEST_F(ConflictWindow, DisagreeingTracksAreMarkedAndListedWithTheirCounts)
{
    const QModelIndex split = view().model()->index(0, 1);
    // The cell still shows the first sort value met, not the most common.
    EXPECT_EQ(split.data(Qt::DisplayRole).toString(), "サカモト");
    EXPECT_EQ(split.data(gui::PairListModel::ConflictRole).toULongLong(), 2u);
    EXPECT_FALSE(split.data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(split.data(Qt::ToolTipRole).toString(),
              "The tracks hold 2 sort values:\nサカモト (1 track)\nSakamoto (2 tracks)");

    // A track without a sort value is a gap to fill, not a disagreement.
    const QModelIndex gap = view().model()->index(1, 1);
    EXPECT_FALSE(gap.data(gui::PairListModel::ConflictRole).isValid());
    EXPECT_FALSE(gap.data(Qt::DecorationRole).isValid());
    EXPECT_EQ(gap.data(Qt::ToolTipRole).toString(), "ホソノ");
}

TEST_F(ConflictWindow, ChoosingAHeldSortValueWritesItIntoEveryTrack)
{
    view().edit(view().model()->index(0, 1));
    auto* combo = view().viewport()->findChild<QComboBox*>("readingAlternatives");
    ASSERT_NE(combo, nullptr) << "a value in conflict gets the drop-down even without a reading";
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), "サカモト");
    EXPECT_EQ(combo->itemText(1), "Sakamoto");
    EXPECT_EQ(combo->itemData(1, Qt::ToolTipRole).toString(), "2 tracks");
    combo->setCurrentIndex(1);
    view().setFocus();
    QApplication::processEvents();
    EXPECT_EQ(cell(0, 1), "Sakamoto");

    click(ui->saveButton());
    for (std::size_t t = 0; t < 3; ++t)
        EXPECT_EQ(library->track(t).get("sortArtist").copy(), OptString(u"Sakamoto")) << t;
    EXPECT_FALSE(view().model()->index(0, 1).data(gui::PairListModel::ConflictRole).isValid())
        << "after the Save the tracks agree";
}

TEST_F(ConflictWindow, TheLibraryReportCountsTheFieldsInAWindowOfItsOwn)
{
    ui->libraryReportAction()->trigger();
    auto* text = ui->window().findChild<QPlainTextEdit*>("libraryReport");
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->isVisible());
    // artist: 2 values on 5 tracks, 1 without a sort value, 4 with one, 1
    // value in conflict, no older spellings.
    const QStringList lines = text->toPlainText().split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[1].split(' ', Qt::SkipEmptyParts), (QStringList{"artist", "2", "5", "1", "4", "1", "0"}));
    EXPECT_EQ(library->writes(), 0u);
}

TEST_F(ConflictWindow, AllPersonFieldsListsEachNameOnceAndSavesIntoEveryField)
{
    addTrack("composer", u"坂本龍一", "sortComposer", u"");
    QCheckBox* people = ui->peopleFieldsBox();
    ASSERT_NE(people, nullptr);
    ASSERT_TRUE(people->isEnabled()) << "artist is a person field";
    click(people);
    EXPECT_EQ(rows(), 0) << "another set of fields empties the list";
    click(ui->loadButton());
    EXPECT_EQ(column(0), (QStringList{"坂本龍一", "細野晴臣"})) << "the composer's 坂本龍一 is the artist's row";
    EXPECT_EQ(cell(0, 2), "4 (3 to write)")
        << "four tracks over the fields; the two Sakamoto and the composer's empty one differ from サカモト";
    view().model()->setData(view().model()->index(0, 1), "Sakamoto");
    click(ui->saveButton());
    EXPECT_EQ(library->track(5).get("sortComposer").copy(), OptString(u"Sakamoto"));
    EXPECT_EQ(library->track(0).get("sortArtist").copy(), OptString(u"Sakamoto"));

    ui->fieldChooser()->setCurrentIndex(1); // album: no person field
    EXPECT_FALSE(people->isEnabled());
    EXPECT_TRUE(ui->controller().fieldTags().empty());
    EXPECT_EQ(ui->controller().keyTag(), 1);
}

} // namespace
} // namespace yomi::test
