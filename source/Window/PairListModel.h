// The list model of the main window: the controller's dataArray as a table of
// four columns, the field value, its sort value, the number of tracks
// carrying the value and the language of the value's last reading.
#pragma once

#include <functional>
#include <memory>

#include <QAbstractTableModel>

#include "Controller/SRMainController.h"

namespace yomi::gui {

// A number of tracks as the window shows it ("1 track", "1,284 tracks").
QString tracksText(std::size_t tracks);

// The name of a language as the window shows it ("Chinese"); empty for None.
QString languageName(Language language);

// Observes the controller's dataArray and passes every change on to the views:
// appends in batches (see showPendingRows), a removal as a row remove at
// once, a whole-list write as a model reset. A whole-list write of the list that is already shown
// (the edit commands do that to show new sort values) keeps the rows and the
// selection and reports every cell as changed instead.
//
// Rows are the list's rows in list order, so row r of the model is
// dataArray()->at(r). Column 1 is editable: an edit stores the text, as it is,
// as the sortStr of the row's own pair entry, the one the index shares.
// A row whose sort value was edited since the scan (or the last Save) is
// drawn bold, with a dot before its value; a row whose tracks Save would
// change all the same (they disagree with the listed sort value) carries a
// ring, and one whose writes failed in the last Save a red square. Either
// way the Tracks cell says how many tracks Save would write ("2 (1 to
// write)"), from the one count the Save button's preview adds up
// (PairEntry::tracksToWrite). A sort value given by Reading
// carries its confidence: a mark when it needs a look (check), and the
// confidence and its reason as the cell's tooltip; ConfidenceRole gives it
// (an int of Confidence; none for a row not read).
//
// The model must not outlive the controller; it unregisters itself when it is
// destroyed.
class PairListModel final : public QAbstractTableModel {
public:
    enum Column { ValueColumn = 0, SortColumn = 1, TracksColumn = 2, LanguageColumn = 3 };
    static constexpr int ConfidenceRole = Qt::UserRole + 1;
    // The number of sort values the tracks of a row's value hold, when more
    // than one (none otherwise); the sort cell then carries a red badge with
    // that number and lists them, with their tracks, as its tooltip.
    static constexpr int ConflictRole = Qt::UserRole + 2;
    // The tracks of the row that Save would change (qulonglong).
    static constexpr int PendingRole = Qt::UserRole + 3;

    explicit PairListModel(SRMainController& controller, QObject* parent = nullptr);
    ~PairListModel() override;

    // Told when an edit leaves a sort value cell empty: that is no change (the
    // cell shows the sort value listed before again); Remove Sort Value is
    // the command that removes one.
    std::function<void()> onEmptiedCell;

    // The pair entry shown at a row; null outside the list.
    PairEntryRef entryAt(int row) const;

    // Appended entries reach the views in batches, as one row insert each:
    // when kBatchRows are waiting, when the event loop next runs, before any
    // other change of the list, and when this is called (the window calls it
    // before each redraw of a scan, so that every paint shows the rows found
    // so far). A scan that lists 100,000 values then costs the views (and
    // the sorting filter in front of them) a few hundred inserts, not
    // 100,000.
    void showPendingRows();
    static constexpr int kBatchRows = 512;
    // While held (the window holds them during a Load, whose walk runs while
    // the event loop does), appended rows wait for showPendingRows (each
    // progress of the walk) or a full batch, not for the event loop: the
    // views get as many inserts as the walk has progress points, however
    // often the event loop runs in between. Releasing shows what waits.
    void holdRows(bool hold);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    class Observer;
    void willChange(const ListChange& change);
    void didChange(const ListChange& change);
    void resetTo(std::shared_ptr<PairList> list);
    std::size_t pendingWrites(const PairEntry& entry) const;
    QVariant pendingText(const PairEntry& entry, std::size_t pending) const;
    // The value cell's mark: a failed write, an edit, or tracks Save would write.
    QVariant writeMark(const PairEntry& entry) const;
    // The Tracks cell: "2", or "2 (1 to write)" while Save would write some.
    QVariant tracksCell(const PairEntry& entry, int role) const;

    SRMainController& controller_;
    std::unique_ptr<Observer> observer_;
    // The list the views know; the same object as the controller's dataArray
    // except inside a whole-list write.
    std::shared_ptr<PairList> shown_;
    int shownRows_ = 0;
    // A row remove begun in willChange and not yet ended.
    bool removing_ = false;
    // A call of showPendingRows is posted to the event loop.
    bool flushPosted_ = false;
    bool held_ = false;
};

} // namespace yomi::gui
