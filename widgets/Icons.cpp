#include "widgets/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vardelo::widgets {

namespace {

QIcon drawn(const std::function<void(QPainter&)>& draw)
{
    QIcon icon;
    for (const int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        draw(painter);
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon themed(const char* name, const std::function<void(QPainter&)>& draw)
{
    const QString themeName = QString::fromLatin1(name);
    return QIcon::hasThemeIcon(themeName) ? QIcon::fromTheme(themeName) : drawn(draw);
}

} // namespace

QIcon searchIcon()
{
    return themed("system-search", [](QPainter& p) {
        p.setPen(QPen(QColor(40, 60, 90), 2));
        p.setBrush(QColor(200, 225, 250));
        p.drawEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
        p.setPen(QPen(QColor(40, 60, 90), 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 10), QPointF(14.5, 14.5));
    });
}

QIcon webIcon()
{
    return themed("internet-web-browser", [](QPainter& p) {
        p.setPen(QPen(QColor(20, 80, 140), 1.2));
        p.setBrush(QColor(170, 210, 245));
        p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(8, 8), 3, 6.5);
        p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
        p.drawLine(QPointF(8, 1.5), QPointF(8, 14.5));
    });
}

} // namespace vardelo::widgets
