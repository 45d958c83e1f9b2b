#include "widgets/AdvancedListView.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// Paints each cell on the colours of the row colouring style.
class RowColourDelegate : public QStyledItemDelegate {
public:
    explicit RowColourDelegate(TAdvancedListView* view)
        : QStyledItemDelegate(view)
        , view_(view)
    {}
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const TAdvancedListView::TCustomType style = view_->CustomStyle();
        if (style != TAdvancedListView::TCustomType::ctLine &&
            style != TAdvancedListView::TCustomType::ctColum)
            return;
        option->backgroundBrush = view_->rowBackground(index.row(), index.column());
        option->palette.setColor(QPalette::Text, view_->rowText(index.row(), index.column()));
    }

private:
    TAdvancedListView* view_;
};

// Draws the arrow bitmap of the sorted column on the chosen side of its text.
class ArrowHeader : public QHeaderView {
public:
    explicit ArrowHeader(TAdvancedListView* view)
        : QHeaderView(Qt::Horizontal, view)
    {}
    QPixmap pixmap;
    int column = -1;
    bool left = false;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        if (logicalIndex != column || pixmap.isNull())
            return;
        const int y = rect.top() + (rect.height() - pixmap.height()) / 2;
        const int x = left ? rect.left() + 4 : rect.right() - pixmap.width() - 4;
        painter->drawPixmap(x, y, pixmap);
    }
};

} // namespace

TAdvancedListView::TAdvancedListView(QWidget* parent)
    : QTreeWidget(parent)
    , colorImpair_(QApplication::palette().color(QPalette::Base))
{
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setItemDelegate(new RowColourDelegate(this));
    setHeader(new ArrowHeader(this));
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    connect(header(), &QHeaderView::sectionClicked, this, &TAdvancedListView::headerClicked);
}

void TAdvancedListView::repaintRows()
{
    viewport()->update();
}

void TAdvancedListView::setColorImpair(const QColor& c)
{
    colorImpair_ = c;
    repaintRows();
}

void TAdvancedListView::setColorPair(const QColor& c)
{
    colorPair_ = c;
    repaintRows();
}

void TAdvancedListView::setTextColorImpair(const QColor& c)
{
    textColorImpair_ = c;
    repaintRows();
}

void TAdvancedListView::setTextColorPair(const QColor& c)
{
    textColorPair_ = c;
    repaintRows();
}

void TAdvancedListView::setCustomStyle(TCustomType style)
{
    customStyle_ = style;
    repaintRows();
}

QColor TAdvancedListView::rowBackground(int row, int column) const
{
    if (customStyle_ == TCustomType::ctColum)
        return column >= 1 && column % 2 == 1 ? colorPair_ : colorImpair_;
    return row % 2 == 1 ? colorPair_ : colorImpair_;
}

QColor TAdvancedListView::rowText(int row, int column) const
{
    if (customStyle_ == TCustomType::ctColum)
        return column >= 1 && column % 2 == 1 ? textColorPair_ : textColorImpair_;
    return row % 2 == 1 ? textColorPair_ : textColorImpair_;
}

QString TAdvancedListView::sortKey(const QTreeWidgetItem* item, int column)
{
    // An item without the sub-item sorts as if it were empty.
    return column < item->columnCount() ? item->text(column) : QString();
}

void TAdvancedListView::customSort(
    const std::function<int(const QTreeWidgetItem*, const QTreeWidgetItem*)>& compare)
{
    const QTreeWidgetItem* current = currentItem();
    QList<QTreeWidgetItem*> items;
    while (topLevelItemCount() > 0)
        items.append(takeTopLevelItem(0));
    std::stable_sort(
        items.begin(), items.end(),
        [&compare](const QTreeWidgetItem* a, const QTreeWidgetItem* b) { return compare(a, b) < 0; });
    addTopLevelItems(items);
    if (current)
        setCurrentItem(const_cast<QTreeWidgetItem*>(current));
}

void TAdvancedListView::sortByColumnBuiltIn(int column, bool ascending)
{
    QList<QTreeWidgetItem*> items;
    while (topLevelItemCount() > 0)
        items.append(takeTopLevelItem(0));
    // Each item goes before the first placed item it precedes: ascending keeps equal keys in order,
    // descending ("not smaller") reverses them.
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

void TAdvancedListView::headerClicked(int column)
{
    emit columnClicked(column);
    if (!autoSort_)
        return;
    bool canSort = true;
    bool changeHeaderImage = true;
    emit columnClickBeforeSort(column, &canSort, &changeHeaderImage);
    if (!canSort)
        return;
    ordreCroissant_ = column == colonne_ ? !ordreCroissant_ : true;
    colonne_ = column;
    if (displayArrow_ && changeHeaderImage)
        setSortArrow(colonne_, ordreCroissant_ ? Arrow::Up : Arrow::Down);
    sortByColumnBuiltIn(column, ordreCroissant_);
    emit columnClickAfterSort(column);
}

TAdvancedListView::Arrow TAdvancedListView::sortArrow(int column) const
{
    return column == arrowColumn_ ? arrow_ : Arrow::None;
}

void TAdvancedListView::setSortArrow(int column, Arrow arrow)
{
    if (column < 0 || column >= columnCount())
        return;
    arrowColumn_ = column;
    arrow_ = arrow;
    applyArrows();
}

QPixmap TAdvancedListView::builtInArrow(Arrow arrow)
{
    QPixmap pixmap(10, 10);
    const QPalette palette = QApplication::palette();
    pixmap.fill(palette.color(QPalette::Button));
    QPainter p(&pixmap);
    const QColor shadow = palette.color(QPalette::Dark);
    const QColor window = palette.color(QPalette::Base);
    if (arrow == Arrow::Down) {
        p.setPen(shadow);
        p.drawLine(0, 0, 9, 0);
        p.drawLine(9, 0, 5, 9);
        p.setPen(window);
        p.drawLine(5, 9, 0, 0);
    } else if (arrow == Arrow::Up) {
        p.setPen(shadow);
        p.drawLine(0, 9, 9, 9);
        p.drawLine(9, 9, 5, 0);
        p.setPen(window);
        p.drawLine(5, 0, 0, 9);
    }
    return pixmap;
}

void TAdvancedListView::applyArrows()
{
    auto* head = static_cast<ArrowHeader*>(header());
    head->column = -1;
    head->pixmap = QPixmap();
    head->setSortIndicatorShown(false);
    head->viewport()->update();
    if (!displayArrow_ || arrowColumn_ < 0 || arrow_ == Arrow::None)
        return;
    const bool userArrows = !userArrowUp_.isNull() || !userArrowDown_.isNull();
    if (nativeArrows_ && !userArrows) {
        // Qt's "ascending" indicator points down in most styles; what counts is the order it stands for.
        header()->setSortIndicator(arrowColumn_,
                                   arrow_ == Arrow::Up ? Qt::AscendingOrder : Qt::DescendingOrder);
        header()->setSortIndicatorShown(true);
        return;
    }
    QPixmap pixmap = arrow_ == Arrow::Up ? userArrowUp_ : userArrowDown_;
    if (pixmap.isNull())
        pixmap = builtInArrow(arrow_);
    head->column = arrowColumn_;
    head->pixmap = pixmap;
    head->left = arrowPosition_ == TArrowDisplayPosition::adLeft;
}

void TAdvancedListView::setDisplayArrow(bool on)
{
    displayArrow_ = on;
    applyArrows();
}

void TAdvancedListView::setDisplayArrowPosition(TArrowDisplayPosition position)
{
    arrowPosition_ = position;
    applyArrows();
}

void TAdvancedListView::setUserArrowUp(const QPixmap& p)
{
    userArrowUp_ = p;
    applyArrows();
}

void TAdvancedListView::setUserArrowDown(const QPixmap& p)
{
    userArrowDown_ = p;
    applyArrows();
}

void TAdvancedListView::setNativeArrowsSupported(bool supported)
{
    nativeArrows_ = supported;
    applyArrows();
}

void TAdvancedListView::setDefaultSortColumn(int column)
{
    defaultSortColumn_ = column;
    if (column < 0 || column >= columnCount())
        return;
    colonne_ = column;
    ordreCroissant_ = true;
    if (displayArrow_)
        setSortArrow(column, Arrow::Up);
    sortByColumnBuiltIn(column, true);
}
