#include "Window/SortCellDelegate.h"

#include <QComboBox>
#include <QLineEdit>

#include "Controller/Conflicts.h"
#include "Window/PairListModel.h"

namespace yomi::gui {

QWidget* SortCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const
{
    const PairEntryRef entry = model_.entryAt(index.row());
    if (!entry || (controller_.readingAlternatives(entry->originalStr).empty() && !inConflict(*entry)))
        return QStyledItemDelegate::createEditor(parent, option, index);
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setObjectName(QStringLiteral("readingAlternatives"));
    return combo;
}

void SortCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* combo = qobject_cast<QComboBox*>(editor);
    const PairEntryRef entry = model_.entryAt(index.row());
    if (!combo || !entry) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    combo->clear();
    combo->addItem(QString::fromStdU16String(entry->sortStr));
    const auto add = [&](const String& sort) {
        if (combo->findText(QString::fromStdU16String(sort), Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
            combo->addItem(QString::fromStdU16String(sort));
    };
    for (const String& alternative : controller_.readingAlternatives(entry->originalStr))
        add(alternative);
    // The sort values the value's tracks hold, each with its tracks.
    for (const HeldSortValue& held : heldSortValues(*entry)) {
        add(held.sortValue);
        const int at = combo->findText(QString::fromStdU16String(held.sortValue), Qt::MatchExactly | Qt::MatchCaseSensitive);
        combo->setItemData(at, tracksText(held.tracks), Qt::ToolTipRole);
    }
    combo->setCurrentIndex(0);
}

void SortCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    const PairEntryRef entry = model_.entryAt(index.row());
    const String before = entry ? entry->sortStr : String();
    if (auto* combo = qobject_cast<QComboBox*>(editor))
        model->setData(index, combo->currentText(), Qt::EditRole);
    else
        QStyledItemDelegate::setModelData(editor, model, index);
    if (entry && entry->sortStr != before)
        controller_.noteTypedSort(entry->originalStr);
}

} // namespace yomi::gui
