#include "widgets/SortableListWidget.h"

#include <QApplication>
#include <QHeaderView>
#include <QStyledItemDelegate>

namespace vardelo::widgets {

namespace {

// Paints each cell on the colour of its row.
class RowColourDelegate : public QStyledItemDelegate {
public:
    explicit RowColourDelegate(SortableListWidget* view)
        : QStyledItemDelegate(view)
        , view_(view)
    {}
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->backgroundBrush = view_->rowBackground(index.row());
        option->palette.setColor(QPalette::Text, Qt::black);
    }

private:
    SortableListWidget* view_;
};

} // namespace

SortableListWidget::SortableListWidget(QWidget* parent)
    : QTreeWidget(parent)
    , oddRowColor_(QApplication::palette().color(QPalette::Base))
{
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setItemDelegate(new RowColourDelegate(this));
    header()->setDefaultAlignment(Qt::AlignCenter);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    connect(header(), &QHeaderView::sectionClicked, this, &SortableListWidget::columnClicked);
}

void SortableListWidget::setOddRowColor(const QColor& color)
{
    oddRowColor_ = color;
    viewport()->update();
}

void SortableListWidget::setEvenRowColor(const QColor& color)
{
    evenRowColor_ = color;
    viewport()->update();
}

QColor SortableListWidget::rowBackground(int row) const
{
    return row % 2 == 1 ? evenRowColor_ : oddRowColor_;
}

QString SortableListWidget::sortKey(const QTreeWidgetItem* item, int column)
{
    return column < item->columnCount() ? item->text(column) : QString();
}

void SortableListWidget::sortWith(
    const std::function<int(const QTreeWidgetItem*, const QTreeWidgetItem*)>& compare)
{
    QTreeWidgetItem* current = currentItem();
    QList<QTreeWidgetItem*> items;
    while (topLevelItemCount() > 0)
        items.append(takeTopLevelItem(0));
    std::stable_sort(
        items.begin(), items.end(),
        [&compare](const QTreeWidgetItem* a, const QTreeWidgetItem* b) { return compare(a, b) < 0; });
    addTopLevelItems(items);
    if (current)
        setCurrentItem(current);
}

void SortableListWidget::sortByColumnOrdinal(int column, bool ascending)
{
    QList<QTreeWidgetItem*> items;
    while (topLevelItemCount() > 0)
        items.append(takeTopLevelItem(0));
    // Each item goes before the first placed item it precedes.
    QList<QTreeWidgetItem*> placed;
    for (QTreeWidgetItem* item : std::as_const(items)) {
        const QString key = sortKey(item, column);
        qsizetype at = placed.size();
        for (qsizetype i = 0; i < placed.size(); ++i) {
            const QString other = sortKey(placed.at(i), column);
            const bool precedes = ascending ? key < other : !(key < other);
            if (precedes) {
                at = i;
                break;
            }
        }
        placed.insert(at, item);
    }
    addTopLevelItems(placed);
}

SortableListWidget::Arrow SortableListWidget::sortArrow(int column) const
{
    return column == arrowColumn_ ? arrow_ : Arrow::None;
}

void SortableListWidget::setSortArrow(int column, Arrow arrow)
{
    if (column < 0 || column >= columnCount())
        return;
    arrowColumn_ = column;
    arrow_ = arrow;
    if (arrow_ == Arrow::None) {
        header()->setSortIndicatorShown(false);
        return;
    }
    // Qt's "ascending" indicator points down in most styles; what counts is the order it stands for.
    header()->setSortIndicator(arrowColumn_, arrow_ == Arrow::Up ? Qt::AscendingOrder : Qt::DescendingOrder);
    header()->setSortIndicatorShown(true);
}

} // namespace vardelo::widgets
