// The list view's sort and filter proxy over the list model.
#pragma once

#include <QCollator>
#include <QSortFilterProxyModel>
#include <QString>

namespace yomi::gui {

// A text as the filter compares it: compatibility forms folded (half-width
// katakana, full-width Latin), katakana as hiragana, and case folded; so
// "ﾄｳｷｮｳ", "トウキョウ" and "とうきょう" match one another, as do "ABC" and "ａｂｃ".
QString foldForFilter(const QString& text);

// The filter box's text matches a row whose value or sort value holds it,
// folded alike (foldForFilter); with onlyToCheck, only the rows whose
// reading needs a look. Sorting compares texts with the user's locale's
// collation, ignoring case, and numbers in them by value; the Tracks column
// by the number of tracks.
class ListFilter final : public QSortFilterProxyModel {
public:
    explicit ListFilter(QObject* parent = nullptr);
    void setOnlyToCheck(bool only);
    void setFilterText(const QString& text);

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    bool onlyToCheck_ = false;
    QString folded_;
    QCollator collator_;
};

} // namespace yomi::gui
