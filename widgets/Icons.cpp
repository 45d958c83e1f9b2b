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

QIcon emergencyIcon()
{
    return drawn([](QPainter& p) {
        QPainterPath triangle;
        triangle.moveTo(8, 1);
        triangle.lineTo(15.2, 14.5);
        triangle.lineTo(0.8, 14.5);
        triangle.closeSubpath();
        p.setPen(QPen(QColor(150, 0, 0), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(QColor(220, 20, 20));
        p.drawPath(triangle);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(7.1, 5, 1.8, 5.6), 0.9, 0.9);
        p.drawEllipse(QPointF(8, 12.4), 1.05, 1.05);
    });
}

} // namespace vardelo::widgets
