// The editor of the sort column: after Reading, an editable drop-down of the
// value's sort value and its alternative readings; otherwise the plain line
// editor. Every edit committed through it is reported to the controller as a
// sort value typed by hand.
#pragma once

#include <QStyledItemDelegate>

#include "Controller/SRMainController.h"

namespace yomi::gui {

class PairListModel;

class SortCellDelegate final : public QStyledItemDelegate {
public:
    SortCellDelegate(SRMainController& controller, PairListModel& model, QObject* parent = nullptr)
        : QStyledItemDelegate(parent), controller_(controller), model_(model)
    {
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    SRMainController& controller_;
    PairListModel& model_;
};

} // namespace yomi::gui
