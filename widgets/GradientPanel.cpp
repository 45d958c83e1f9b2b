#include "widgets/GradientPanel.h"

#include <QLinearGradient>
#include <QPainter>

namespace vardelo::widgets {

GradientPanel::GradientPanel(QWidget* parent)
    : QFrame(parent)
{}

void GradientPanel::setColors(const QColor& start, const QColor& end)
{
    start_ = start;
    end_ = end;
    update();
}

void GradientPanel::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    QLinearGradient gradient(rect().topLeft(), rect().bottomLeft());
    gradient.setColorAt(0, start_);
    gradient.setColorAt(1, end_);
    painter.fillRect(rect(), gradient);
    painter.end();
    QFrame::paintEvent(event);
}

QColor colorFromBgr(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

} // namespace vardelo::widgets
