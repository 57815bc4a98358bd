#include "Window/PairListModel.h"

#include "Controller/Conflicts.h"

#include <QCoreApplication>

#include <functional>
#include <utility>

#include <QFont>
#include <QIcon>
#include <QLocale>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <QPolygonF>

namespace yomi::gui {
namespace {

// A mark of 12 by 12 pixels: a shape filled with one colour.
QIcon mark(const QColor& colour, const std::function<void(QPainter&)>& shape)
{
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    shape(painter);
    return QIcon(pixmap);
}

// The mark of an edited row: a blue dot.
const QIcon& editedDot()
{
    static const QIcon icon = mark(QColor(0x1e, 0x6f, 0xd9), [](QPainter& p) { p.drawEllipse(QRectF(2, 2, 8, 8)); });
    return icon;
}

// The mark of a row whose tracks Save would change though the row shows no
// edit (they disagree with the listed sort value): a blue ring.
const QIcon& pendingRing()
{
    static const QIcon icon = mark(QColor(0x1e, 0x6f, 0xd9), [](QPainter& p) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0x1e, 0x6f, 0xd9), 2));
        p.drawEllipse(QRectF(2.5, 2.5, 7, 7));
    });
    return icon;
}

// The mark of a row some of whose writes failed in the last Save: a red square.
const QIcon& failedMark()
{
    static const QIcon icon = mark(QColor(0xd0, 0x2b, 0x2b), [](QPainter& p) { p.drawRect(QRectF(2, 2, 8, 8)); });
    return icon;
}

// The mark of a reading that needs a look: an amber triangle.
const QIcon& checkMark()
{
    static const QIcon icon = mark(QColor(0xe0, 0x8a, 0x00), [](QPainter& p) {
        p.drawPolygon(QPolygonF({QPointF(6, 1), QPointF(11, 11), QPointF(1, 11)}));
    });
    return icon;
}

// The mark of a value whose tracks hold different sort values: a red badge
// with the number of sort values.
QIcon conflictMark(std::size_t sortValues)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xc6, 0x28, 0x28));
    painter.drawRoundedRect(QRectF(0, 0, 16, 12), 3, 3);
    painter.setPen(Qt::white);
    QFont font;
    font.setPixelSize(9);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRectF(0, 0, 16, 12), Qt::AlignCenter,
                     sortValues > 9 ? QStringLiteral("9+") : QString::number(sortValues));
    return QIcon(pixmap);
}

} // namespace

QString tracksText(std::size_t tracks)
{
    return tracks == 1 ? QCoreApplication::translate("PairListModel", "1 track")
                       : QCoreApplication::translate("PairListModel", "%1 tracks").arg(QLocale().toString(static_cast<qulonglong>(tracks)));
}

namespace {

// The sort values the tracks of a value hold, as the sort cell's tooltip
// lists them.
QString heldText(const PairEntry& entry)
{
    const std::vector<HeldSortValue> held = heldSortValues(entry);
    QString text =
        QCoreApplication::translate("PairListModel", "The tracks hold %1 sort values:").arg(held.size());
    for (const HeldSortValue& h : held)
        text += QLatin1Char('\n') + QCoreApplication::translate("PairListModel", "%1 (%2)")
                                        .arg(QString::fromStdU16String(h.sortValue), tracksText(h.tracks));
    return text;
}

// The confidence of a reading and why, as its cell's tooltip says it.
QString confidenceText(Confidence confidence, const QString& reason)
{
    switch (confidence) {
    case Confidence::Sure:
        return QCoreApplication::translate("PairListModel", "Sure: %1").arg(reason);
    case Confidence::Likely:
        return QCoreApplication::translate("PairListModel", "Likely: %1").arg(reason);
    case Confidence::Check:
        break;
    }
    return QCoreApplication::translate("PairListModel", "Check: %1").arg(reason);
}

} // namespace

class PairListModel::Observer final : public PropertyObserver {
public:
    explicit Observer(PairListModel& model) : model_(model) {}
    void willChange(std::string_view key, const ListChange& change) override
    {
        if (key == kDataArrayKey)
            model_.willChange(change);
    }
    void didChange(std::string_view key, const ListChange& change) override
    {
        if (key == kDataArrayKey)
            model_.didChange(change);
    }

private:
    PairListModel& model_;
};

PairListModel::PairListModel(SRMainController& controller, QObject* parent)
    : QAbstractTableModel(parent),
      controller_(controller),
      observer_(std::make_unique<Observer>(*this)),
      shown_(controller.dataArray()),
      shownRows_(shown_ ? static_cast<int>(shown_->size()) : 0)
{
    controller_.addObserver(observer_.get());
}

PairListModel::~PairListModel() { controller_.removeObserver(observer_.get()); }

void PairListModel::willChange(const ListChange& change)
{
    removing_ = false;
    // A change is announced only when it is made to the list the views know;
    // anything else ends in a reset in didChange.
    if (!shown_ || controller_.dataArray() != shown_)
        return;
    switch (change.kind) {
    case ListChange::Kind::Insert:
        break; // announced in a batch
    case ListChange::Kind::Remove: {
        // Rows appended before it reach the views first, so that the row
        // removed is where the views have it.
        showPendingRows();
        const int row = static_cast<int>(change.row);
        if (row >= 0 && row < shownRows_) {
            beginRemoveRows({}, row, row);
            removing_ = true;
        }
        break;
    }
    case ListChange::Kind::Reset:
        showPendingRows();
        break;
    }
}

void PairListModel::didChange(const ListChange& change)
{
    const bool removing = std::exchange(removing_, false);
    const auto& current = controller_.dataArray();
    const int currentRows = current ? static_cast<int>(current->size()) : 0;

    if (removing) {
        --shownRows_;
        endRemoveRows();
        if (current == shown_ && change.kind == ListChange::Kind::Remove)
            return;
    }
    if (current && current == shown_ && change.kind != ListChange::Kind::Reset) {
        // An append (or the removal of an entry the views were not shown yet).
        if (currentRows - shownRows_ >= kBatchRows)
            showPendingRows();
        else if (currentRows > shownRows_ && !flushPosted_ && !held_) {
            flushPosted_ = true;
            QMetaObject::invokeMethod(this, [this] { showPendingRows(); }, Qt::QueuedConnection);
        }
        return;
    }
    if (change.kind == ListChange::Kind::Reset && current && current == shown_ && currentRows == shownRows_) {
        // The list written with itself: same rows, new values.
        if (shownRows_ > 0)
            emit dataChanged(index(0, 0), index(shownRows_ - 1, columnCount() - 1));
        return;
    }
    resetTo(current);
}

void PairListModel::showPendingRows()
{
    flushPosted_ = false;
    if (!shown_ || controller_.dataArray() != shown_)
        return;
    const int rows = static_cast<int>(shown_->size());
    if (rows <= shownRows_)
        return;
    beginInsertRows({}, shownRows_, rows - 1);
    shownRows_ = rows;
    endInsertRows();
}

void PairListModel::holdRows(bool hold)
{
    held_ = hold;
    if (!hold)
        showPendingRows();
}

void PairListModel::resetTo(std::shared_ptr<PairList> list)
{
    beginResetModel();
    shown_ = std::move(list);
    shownRows_ = shown_ ? static_cast<int>(shown_->size()) : 0;
    endResetModel();
}

std::size_t PairListModel::pendingWrites(const PairEntry& entry) const
{
    return entry.tracksToWrite(controller_.fillOnlyEmpty);
}

QVariant PairListModel::tracksCell(const PairEntry& entry, int role) const
{
    const std::size_t pending = pendingWrites(entry);
    if (pending && role == Qt::DisplayRole)
        return QCoreApplication::translate("PairListModel", "%1 (%2 to write)")
            .arg(QLocale().toString(static_cast<qulonglong>(entry.trackCount)),
                 QLocale().toString(static_cast<qulonglong>(pending)));
    return QVariant(static_cast<qulonglong>(entry.trackCount));
}

QVariant PairListModel::writeMark(const PairEntry& entry) const
{
    if (entry.failedWrites)
        return failedMark();
    if (entry.isEdited())
        return editedDot();
    return pendingWrites(entry) ? QVariant(pendingRing()) : QVariant();
}

QVariant PairListModel::pendingText(const PairEntry& entry, std::size_t pending) const
{
    QStringList lines;
    if (entry.failedWrites)
        lines << QCoreApplication::translate("PairListModel", "The last Save could not write %1: see the log")
                     .arg(tracksText(entry.failedWrites));
    if (pending && entry.removing())
        lines << QCoreApplication::translate("PairListModel", "Save will remove the sort value from %1 of %2")
                     .arg(tracksText(pending), QLocale().toString(static_cast<qulonglong>(entry.trackCount)));
    else if (pending)
        lines << QCoreApplication::translate("PairListModel", "Save will write %1 of %2")
                     .arg(tracksText(pending), QLocale().toString(static_cast<qulonglong>(entry.trackCount)));
    return lines.isEmpty() ? QVariant() : QVariant(lines.join(QLatin1Char('\n')));
}

PairEntryRef PairListModel::entryAt(int row) const
{
    if (!shown_ || row < 0 || row >= shownRows_ || static_cast<std::size_t>(row) >= shown_->size())
        return nullptr;
    return shown_->at(static_cast<std::size_t>(row));
}

int PairListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shownRows_; }

int PairListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 4; }

QString languageName(Language language)
{
    switch (language) {
    case Language::Japanese:
        return QCoreApplication::translate("PairListModel", "Japanese");
    case Language::Chinese:
        return QCoreApplication::translate("PairListModel", "Chinese");
    case Language::Korean:
        return QCoreApplication::translate("PairListModel", "Korean");
    case Language::None:
        break;
    }
    return {};
}

QVariant PairListModel::data(const QModelIndex& index, int role) const
{
    const PairEntryRef entry = entryAt(index.row());
    if (!entry)
        return {};
    if (role == Qt::FontRole && entry->isEdited()) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    if (role == Qt::DecorationRole && index.column() == ValueColumn)
        return writeMark(*entry);
    if (role == PendingRole || (role == Qt::ToolTipRole && index.column() != SortColumn &&
                                index.column() != LanguageColumn)) {
        const std::size_t pending = pendingWrites(*entry);
        if (role == PendingRole)
            return static_cast<qulonglong>(pending);
        if (QVariant said = pendingText(*entry, pending); said.isValid())
            return said;
    }
    if (role == Qt::TextAlignmentRole && index.column() == TracksColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (index.column() == SortColumn &&
        (role == ConfidenceRole || role == Qt::DecorationRole || role == Qt::ToolTipRole)) {
        const std::optional<Confidence> confidence = controller_.readingConfidence(*entry);
        const bool conflict = inConflict(*entry);
        if (role == ConfidenceRole)
            return confidence ? QVariant(static_cast<int>(*confidence)) : QVariant();
        if (role == Qt::DecorationRole) {
            if (confidence == Confidence::Check)
                return checkMark();
            return conflict ? QVariant(conflictMark(heldSortValues(*entry).size())) : QVariant();
        }
        QString tip;
        if (confidence) {
            const ValueReading* read = controller_.lastReading(entry->originalStr);
            const bool shown = read && read->reading == entry->sortStr;
            const QString reason = shown ? QString::fromStdString(read->reason)
                                         : QCoreApplication::translate("PairListModel", "chosen by you");
            tip = QString::fromStdU16String(entry->sortStr) + QLatin1Char('\n') + confidenceText(*confidence, reason);
        }
        if (conflict)
            tip += (tip.isEmpty() ? QString() : QStringLiteral("\n")) + heldText(*entry);
        if (!tip.isEmpty())
            return tip;
    }
    if (role == ConflictRole)
        return inConflict(*entry) ? QVariant(static_cast<qulonglong>(heldSortValues(*entry).size())) : QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ToolTipRole)
        return {};
    if (index.column() == LanguageColumn) {
        // The language of the value's last reading; the evidence that
        // decided it as the tooltip.
        const ValueReading* read = controller_.lastReading(entry->originalStr);
        if (!read || read->language == Language::None || role == Qt::EditRole)
            return {};
        if (role == Qt::ToolTipRole) {
            QStringList evidence;
            for (const std::string& e : read->evidence)
                evidence << QString::fromStdString(e);
            return evidence.join(QStringLiteral("; "));
        }
        return languageName(read->language);
    }
    switch (index.column()) {
    case TracksColumn:
        // A row has no count until its Load has seen every track.
        if (role == Qt::EditRole || entry->trackCount == 0)
            return {};
        return tracksCell(*entry, role);
    case ValueColumn:
        return QString::fromStdU16String(entry->originalStr);
    case SortColumn:
        return QString::fromStdU16String(entry->sortStr);
    default:
        return {};
    }
}

bool PairListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || index.column() != SortColumn)
        return false;
    const PairEntryRef entry = entryAt(index.row());
    if (!entry)
        return false;
    String sort = value.toString().toStdU16String();
    // An emptied cell writes nothing; it shows what Save would keep.
    const bool emptied = sort.empty() && !entry->removing() && !entry->sortStr.empty();
    if (emptied)
        sort = entry->loadedSort;
    entry->sortStr = std::move(sort);
    // The row's mark may come or go with the edit.
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
    if (emptied && onEmptiedCell)
        onEmptiedCell();
    return true;
}

Qt::ItemFlags PairListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == SortColumn)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant PairListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    switch (section) {
    case ValueColumn:
        return QCoreApplication::translate("PairListModel", "Value");
    case SortColumn:
        return QCoreApplication::translate("PairListModel", "Sort Value");
    case TracksColumn:
        return QCoreApplication::translate("PairListModel", "Tracks");
    case LanguageColumn:
        return QCoreApplication::translate("PairListModel", "Language");
    default:
        return {};
    }
}

} // namespace yomi::gui
