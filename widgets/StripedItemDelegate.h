#pragma once
// The painter of the drop-down lists' rows: alternating row colours, and the selected row in bold
// on its own colour.

#include <QColor>
#include <QStyledItemDelegate>

namespace vardelo::widgets {

class StripedItemDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    StripedItemDelegate(const QColor& evenRows, const QColor& oddRows, const QColor& text,
                        const QColor& selectedText, const QColor& selectedBackground, bool bold,
                        QObject* parent);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    QColor even_;
    QColor odd_;
    QColor text_;
    QColor selectedText_;
    QColor selectedBackground_;
    bool bold_;
};

} // namespace vardelo::widgets
