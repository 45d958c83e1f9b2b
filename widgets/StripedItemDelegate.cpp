#include "widgets/StripedItemDelegate.h"

#include <QPainter>

namespace vardelo::widgets {

StripedItemDelegate::StripedItemDelegate(const QColor& evenRows, const QColor& oddRows, const QColor& text,
                                         const QColor& selectedText, const QColor& selectedBackground,
                                         bool bold, QObject* parent)
    : QStyledItemDelegate(parent)
    , even_(evenRows)
    , odd_(oddRows)
    , text_(text)
    , selectedText_(selectedText)
    , selectedBackground_(selectedBackground)
    , bold_(bold)
{}

void StripedItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const
{
    const bool selected = option.state & (QStyle::State_Selected | QStyle::State_MouseOver);
    painter->save();
    painter->fillRect(option.rect, selected ? selectedBackground_ : (index.row() % 2 == 0 ? even_ : odd_));
    QFont font = option.font;
    font.setBold(selected || bold_);
    painter->setFont(font);
    painter->setPen(selected ? selectedText_ : text_);
    painter->drawText(option.rect.adjusted(3, 0, -3, 0), Qt::AlignVCenter | Qt::AlignLeft,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
}

} // namespace vardelo::widgets
