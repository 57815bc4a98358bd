// The window's view of a Save before and after it: the Tracks column, the marks
// of edited rows, what Save will write, and Edit > Revert Last Save.
#include <QAction>
#include <QFont>
#include <QLabel>
#include <QPushButton>

#include "GuiFixture.h"
#include "support/StateHome.h"

namespace yomi::test {
namespace {

class GuiUndo : public GuiTest {
protected:
    ScopedStateHome state;
};

TEST_F(GuiUndo, PreviewMarksAndRevertFromTheEditMenu)
{
    addTrack("artist", u"東京", "sortArtist", u"tokyo");
    addTrack("artist", u"北京", "sortArtist", u"");
    addTrack("artist", u"東京", "sortArtist", u"");
    click(ui->loadButton());
    ASSERT_EQ(column(0), (QStringList{"東京", "北京"}));
    // 東京's second track has no sort value: Save would write it, and the row says so.
    EXPECT_EQ(column(2), (QStringList{"2 (1 to write)", "1"}));
    EXPECT_EQ(ui->saveButton()->toolTip(), "Save will write 1 track for 1 value");

    QAbstractItemModel& model = *view().model();
    ASSERT_TRUE(model.setData(model.index(1, 1), "pekin"));
    EXPECT_TRUE(model.index(1, 0).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(model.index(1, 0).data(Qt::DecorationRole).isNull());
    EXPECT_FALSE(model.index(0, 0).data(Qt::FontRole).value<QFont>().bold()) << "not edited, only pending";
    EXPECT_EQ(ui->saveButton()->toolTip(), "Save will write 2 tracks for 2 values");
    EXPECT_EQ(ui->statusLine()->text(), ui->saveButton()->toolTip());

    click(ui->saveButton());
    EXPECT_EQ(library->track(1).get("sortArtist").copy(), OptString(u"pekin"));
    EXPECT_EQ(ui->saveButton()->toolTip(), "Save will write 0 tracks for 0 values");
    EXPECT_TRUE(model.index(1, 0).data(Qt::DecorationRole).isNull());

    ui->revertAction()->trigger();
    EXPECT_EQ(ui->statusLine()->text(), "Reverted Save 1: 2 tracks");
    EXPECT_EQ(library->track(1).get("sortArtist").copy(), OptString(u""));
    EXPECT_EQ(library->track(2).get("sortArtist").copy(), OptString(u""));
    EXPECT_EQ(column(1), (QStringList{"tokyo", ""})); // loaded again
}

} // namespace
} // namespace yomi::test
