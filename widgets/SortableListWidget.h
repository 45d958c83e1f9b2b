#pragma once
// A report-style list with alternating row colours and a sort arrow on one column header. The
// owner sorts it with its own comparison when a header is clicked.

#include <QColor>
#include <QTreeWidget>
#include <functional>

namespace vardelo::widgets {

class SortableListWidget : public QTreeWidget {
    Q_OBJECT

public:
    enum class Arrow { None, Up, Down };

    explicit SortableListWidget(QWidget* parent = nullptr);

    // The first row, and every second one after it, is on the odd-row colour.
    void setOddRowColor(const QColor& color);
    void setEvenRowColor(const QColor& color);
    QColor rowBackground(int row) const;

    // The arrow shown on a column's header, and showing one (all other columns lose theirs).
    Arrow sortArrow(int column) const;
    void setSortArrow(int column, Arrow arrow);

    // The sort key of an item for a column; an item without that column sorts as if it were empty.
    static QString sortKey(const QTreeWidgetItem* item, int column);
    // Reorders the items with a comparison returning -1, 0 or 1; equal items keep their order.
    void sortWith(const std::function<int(const QTreeWidgetItem*, const QTreeWidgetItem*)>& compare);
    // Ordinal, case-sensitive insertion sort: ascending keeps equal keys in order, descending
    // reverses them.
    void sortByColumnOrdinal(int column, bool ascending);

signals:
    void columnClicked(int column);

private:
    QColor oddRowColor_;
    QColor evenRowColor_{247, 247, 247};
    int arrowColumn_ = -1;
    Arrow arrow_ = Arrow::None;
};

} // namespace vardelo::widgets
