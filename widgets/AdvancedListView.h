#pragma once
// A report-style list with alternating row colours and header sort arrows, able to sort itself when a
// column header is clicked. Column 0 of an item is its caption, column k its sub-item k - 1.

#include <QColor>
#include <QPixmap>
#include <QTreeWidget>
#include <functional>

class TAdvancedListView : public QTreeWidget {
    Q_OBJECT

public:
    enum class TCustomType { ctNone, ctColum, ctLine, ctFixedImageBackGround, ctRepeatImageBackGround };
    enum class TArrowDisplayPosition { adRight, adLeft };
    enum class Arrow { None, Up, Down };

    explicit TAdvancedListView(QWidget* parent = nullptr);

    QColor ColorImpair() const { return colorImpair_; }
    void setColorImpair(const QColor& c);
    QColor ColorPair() const { return colorPair_; }
    void setColorPair(const QColor& c);
    QColor TextColorImpair() const { return textColorImpair_; }
    void setTextColorImpair(const QColor& c);
    QColor TextColorPair() const { return textColorPair_; }
    void setTextColorPair(const QColor& c);
    TCustomType CustomStyle() const { return customStyle_; }
    void setCustomStyle(TCustomType style);

    bool AutoSortOnHeaderClick() const { return autoSort_; }
    void setAutoSortOnHeaderClick(bool on) { autoSort_ = on; }
    bool DisplayArrow() const { return displayArrow_; }
    void setDisplayArrow(bool on);
    TArrowDisplayPosition DisplayArrowPosition() const { return arrowPosition_; }
    void setDisplayArrowPosition(TArrowDisplayPosition position);
    QPixmap UserArrowUp() const { return userArrowUp_; }
    void setUserArrowUp(const QPixmap& p);
    QPixmap UserArrowDown() const { return userArrowDown_; }
    void setUserArrowDown(const QPixmap& p);
    int DefaultSortColumn() const { return defaultSortColumn_; }
    void setDefaultSortColumn(int column);
    // The platform's own sort indicator is used unless user arrows are set or this is turned off.
    void setNativeArrowsSupported(bool supported);

    int Colonne() const { return colonne_; }
    bool OrdreCroissant() const { return ordreCroissant_; }

    // The arrow shown on a column's header, and showing one (all other columns lose theirs).
    Arrow sortArrow(int column) const;
    void setSortArrow(int column, Arrow arrow);

    // The sort key of an item for a column: its caption for 0, sub-item column - 1 otherwise.
    static QString sortKey(const QTreeWidgetItem* item, int column);
    // Reorders the items with a comparison returning -1, 0 or 1; equal items keep their order.
    void customSort(const std::function<int(const QTreeWidgetItem*, const QTreeWidgetItem*)>& compare);
    // The built-in sort: insertion, ordinal and case-sensitive keys.
    void sortByColumnBuiltIn(int column, bool ascending);

    // The colours an item is drawn with, by the row colouring style.
    QColor rowBackground(int row, int column) const;
    QColor rowText(int row, int column) const;

    static QPixmap builtInArrow(Arrow arrow);

signals:
    void columnClickBeforeSort(int column, bool* canSort, bool* changeHeaderImage);
    void columnClickAfterSort(int column);
    // Every header click, for owners that sort with their own comparison.
    void columnClicked(int column);

private:
    void headerClicked(int column);
    void applyArrows();
    void repaintRows();

    QColor colorImpair_;
    QColor colorPair_{247, 247, 247};
    QColor textColorImpair_{Qt::black};
    QColor textColorPair_{Qt::black};
    TCustomType customStyle_ = TCustomType::ctLine;
    bool autoSort_ = true;
    bool displayArrow_ = true;
    TArrowDisplayPosition arrowPosition_ = TArrowDisplayPosition::adRight;
    QPixmap userArrowUp_;
    QPixmap userArrowDown_;
    int defaultSortColumn_ = 0;
    bool nativeArrows_ = true;
    int colonne_ = -1;
    bool ordreCroissant_ = true;
    int arrowColumn_ = -1;
    Arrow arrow_ = Arrow::None;
};
