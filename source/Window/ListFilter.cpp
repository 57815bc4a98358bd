#include "Window/ListFilter.h"

#include "Window/PairListModel.h"

namespace yomi::gui {

QString foldForFilter(const QString& text)
{
    QString folded = text.normalized(QString::NormalizationForm_KC);
    for (QChar& c : folded) {
        const char16_t u = c.unicode();
        // Katakana ァ (U+30A1) to ヶ (U+30F6) sit 0x60 above their hiragana.
        if (u >= 0x30A1 && u <= 0x30F6)
            c = QChar(static_cast<char16_t>(u - 0x60));
    }
    return folded.toCaseFolded();
}

ListFilter::ListFilter(QObject* parent) : QSortFilterProxyModel(parent)
{
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
    collator_.setNumericMode(true);
}

void ListFilter::setOnlyToCheck(bool only)
{
    onlyToCheck_ = only;
    invalidateFilter();
}

void ListFilter::setFilterText(const QString& text)
{
    folded_ = foldForFilter(text);
    invalidateFilter();
}

bool ListFilter::filterAcceptsRow(int row, const QModelIndex& parent) const
{
    const QAbstractItemModel* model = sourceModel();
    if (onlyToCheck_) {
        const QVariant confidence = model->index(row, PairListModel::SortColumn, parent).data(PairListModel::ConfidenceRole);
        if (!confidence.isValid() || confidence.toInt() != static_cast<int>(Confidence::Check))
            return false;
    }
    if (folded_.isEmpty())
        return true;
    for (const int column : {PairListModel::ValueColumn, PairListModel::SortColumn})
        if (foldForFilter(model->index(row, column, parent).data().toString()).contains(folded_))
            return true;
    return false;
}

bool ListFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    if (left.column() == PairListModel::TracksColumn) {
        const auto* model = static_cast<const PairListModel*>(sourceModel());
        const PairEntryRef a = model->entryAt(left.row());
        const PairEntryRef b = model->entryAt(right.row());
        return (a ? a->trackCount : 0) < (b ? b->trackCount : 0);
    }
    const int order = collator_.compare(left.data().toString(), right.data().toString());
    // Texts the collation finds equal (case apart) keep a fixed order.
    return order != 0 ? order < 0 : left.data().toString() < right.data().toString();
}

} // namespace yomi::gui
