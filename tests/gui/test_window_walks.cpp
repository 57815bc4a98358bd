// Load and Save walk the library on a thread of their own while the window
// serves its events; the rows reach the views in slices. Whatever the user
// does meanwhile (filter, sort, Cancel, close), no row may be lost, shown
// twice or shown out of place, and nothing the walk reads may change.
#include <QAction>
#include <QCheckBox>
#include <QCollator>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>

#include <algorithm>
#include <utility>

#include "GuiFixture.h"
#include "Window/PairListModel.h"

namespace yomi::test {
namespace {

// Every cell of a model as it shows it: the text of the four columns, and
// whether the value and sort cells carry a mark.
QStringList rowsShown(const QAbstractItemModel& model)
{
    QStringList out;
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model.columnCount(); ++c)
            cells << model.index(r, c).data().toString();
        cells << (model.index(r, 0).data(Qt::DecorationRole).isNull() ? "-" : "mark");
        cells << (model.index(r, 1).data(Qt::DecorationRole).isNull() ? "-" : "badge");
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

class Walks : public GuiTest {
protected:
    // 1,200 values over 3,000 tracks: values whose empty sort value gives
    // way later (their row moves to the end), values whose tracks disagree
    // (a mark), and values written in kana (never listed).
    void addLibrary()
    {
        for (int i = 0; i < 3000; ++i) {
            const int v = (i * 7) % 1200;
            const std::u16string value = u"\u6f22" + QString::number(v).toStdU16String();
            OptString sort;
            if (v % 5 == 0)
                sort = i < 1500 ? u"" : u"sort " + QString::number(v).toStdU16String();
            else if (v % 7 == 0)
                sort = i % 2 ? u"a" : u"b";
            else
                sort = u"s" + QString::number(v).toStdU16String();
            addTrack("artist", value, "sortArtist", sort);
            if (i % 100 == 0)
                addTrack("artist", u"かな", "sortArtist", u"");
        }
    }

    // Runs `during` once, from the window's event loop, when the walk has
    // told its progress past `afterTracks` tracks.
    void atProgress(std::size_t afterTracks, std::function<void()> during)
    {
        auto pending = std::make_shared<std::function<void()>>(std::move(during));
        ui->controller().progress = [this, afterTracks, pending,
                                     inner = ui->controller().progress](const WalkProgress& p) {
            inner(p);
            if (*pending && p.done >= afterTracks)
                QMetaObject::invokeMethod(ui->filterBox(), std::exchange(*pending, {}), Qt::QueuedConnection);
        };
    }
};

TEST_F(Walks, RowsShownInSlicesAreThoseOfAModelMadeAfterTheLoad)
{
    addLibrary();
    click(ui->loadButton());
    ASSERT_FALSE(ui->controller().lastLoadReport().cancelled);

    // A model made now takes the finished list in one go.
    gui::PairListModel oneShot(ui->controller());
    const QStringList expected = rowsShown(oneShot);
    ASSERT_EQ(expected.size(), 1200);
    EXPECT_EQ(rowsShown(ui->model()), expected) << "the rows appended in slices differ from the list";
    EXPECT_EQ(rowsShown(*view().model()), expected) << "the view (through the filter) shows other rows";
    const auto& list = *ui->controller().dataArray();
    for (int r = 0; r < ui->model().rowCount(); ++r)
        ASSERT_EQ(ui->model().entryAt(r), list.at(static_cast<std::size_t>(r))) << "row " << r;
    // Rows whose empty sort value gave way came back at the end.
    EXPECT_TRUE(expected.back().section(QLatin1Char('|'), 1, 1).startsWith("sort ")) << expected.back().toStdString();
}

TEST_F(Walks, AFilterTypedDuringTheLoadShowsEveryMatchingRowOnce)
{
    addLibrary();
    atProgress(0, [this] { ui->filterBox()->setText("11"); });
    click(ui->loadButton());
    ASSERT_EQ(ui->filterBox()->text(), "11") << "the filter was not typed during the Load";

    QStringList matching;
    for (const QString& row : rowsShown(ui->model()))
        if (row.section(QLatin1Char('|'), 0, 1).contains("11"))
            matching << row;
    ASSERT_FALSE(matching.isEmpty());
    const QStringList shown = rowsShown(*view().model());
    EXPECT_EQ(shown, matching) << "the filtered rows differ from the rows that match, in list order";
    EXPECT_EQ(QSet<QString>(shown.begin(), shown.end()).size(), shown.size()) << "a row is shown twice";
    EXPECT_EQ(ui->rowsLine()->text(),
              QString("%1 of %2 rows shown").arg(QLocale().toString(shown.size()), QLocale().toString(1200)));

    ui->filterBox()->clear();
    EXPECT_EQ(rowsShown(*view().model()), rowsShown(ui->model()));
}

TEST_F(Walks, ASortChosenDuringTheLoadOrdersEveryRow)
{
    addLibrary();
    atProgress(200, [this] { view().sortByColumn(1, Qt::DescendingOrder); });
    click(ui->loadButton());
    ASSERT_EQ(view().horizontalHeader()->sortIndicatorSection(), 1) << "the sort was not chosen during the Load";

    QStringList shown = rowsShown(*view().model());
    QStringList all = rowsShown(ui->model());
    ASSERT_EQ(shown.size(), all.size()) << "rows were lost or shown twice";
    // The sort values of every row, in the collation's descending order.
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    QStringList expected;
    for (int r = 0; r < ui->model().rowCount(); ++r)
        expected << ui->model().index(r, 1).data().toString();
    std::sort(expected.begin(), expected.end(), [&](const QString& a, const QString& b) {
        const int order = collator.compare(b, a);
        return order != 0 ? order < 0 : b < a;
    });
    EXPECT_EQ(column(1), expected) << "the view is not in descending order of sort value";
    std::sort(shown.begin(), shown.end());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(shown, all) << "the sorted view shows other rows than the list";
}

TEST_F(Walks, ACancelAfterRowsWereShownGivesBackTheRowsFromBefore)
{
    addTrack("artist", u"\u6771\u4eac", "sortArtist", u"tokyo");
    addTrack("artist", u"\u5927\u962a", "sortArtist", u"");
    click(ui->loadButton());
    const QStringList before = rowsShown(*view().model());
    ASSERT_EQ(before.size(), 2);

    addLibrary();
    int rowsAtCancel = 0;
    atProgress(1000, [&] {
        rowsAtCancel = ui->model().rowCount();
        ui->cancelButton()->click();
    });
    click(ui->loadButton());
    EXPECT_TRUE(ui->controller().lastLoadReport().cancelled);
    EXPECT_GT(rowsAtCancel, 2) << "no rows of the new list were shown before the Cancel";
    EXPECT_EQ(rowsShown(*view().model()), before) << "Cancel did not give back the rows from before";
    EXPECT_EQ(ui->statusLine()->text(), "Load cancelled: the list is as it was");
    EXPECT_EQ(ui->rowsLine()->text(), "2 rows");
}

TEST_F(Walks, ASaveServesTheWindowWithEveryCommandDisabledAndCannotBeClosedAway)
{
    addLibrary();
    click(ui->loadButton());
    ASSERT_TRUE(view().model()->setData(view().model()->index(0, 1), "new"));
    const std::size_t toWrite = ui->controller().savePreview().tracks;
    ASSERT_GE(toWrite, 3u);

    bool served = false, commandsOff = false, editable = true, cancelShown = true, closed = true;
    atProgress(0, [&] {
        served = true;
        commandsOff = !ui->saveButton()->isEnabled() && !ui->loadButton()->isEnabled() &&
            !ui->fieldChooser()->isEnabled() && !ui->revertAction()->isEnabled() &&
            !ui->onlyEmptyBox()->isEnabled() && !ui->peopleFieldsBox()->isEnabled();
        editable = view().editTriggers() != QAbstractItemView::NoEditTriggers;
        cancelShown = ui->cancelButton()->isVisibleTo(&ui->window());
        closed = ui->window().close();
    });
    click(ui->saveButton());
    EXPECT_TRUE(served) << "the window's events waited for the end of the Save";
    EXPECT_TRUE(commandsOff) << "a command could run while the Save read the list";
    EXPECT_FALSE(editable) << "a cell could be edited while the Save read it";
    EXPECT_FALSE(cancelShown) << "a Save has no Cancel";
    EXPECT_FALSE(closed) << "the window closed in the middle of a Save";
    EXPECT_TRUE(ui->window().isVisible());
    EXPECT_EQ(ui->controller().lastSaveReport().written, toWrite) << "the Save wrote other tracks than it said";
    EXPECT_TRUE(ui->saveButton()->isEnabled()) << "the commands stayed disabled after the Save";
    EXPECT_TRUE(ui->revertAction()->isEnabled()) << "the Save just made cannot be reverted";
    EXPECT_NE(view().editTriggers(), QAbstractItemView::NoEditTriggers);
}

} // namespace
} // namespace yomi::test
