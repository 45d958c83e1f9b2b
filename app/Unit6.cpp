#include "app/Unit6.h"

#include "app/MessageTexts.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

namespace vardelo::app {

TForm6::TForm6(const QString& dataFile)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint)
    , version_(kb::readKbVersion(dataFile))
{
    setObjectName(QStringLiteral("Form6"));
    setFixedSize(654, 437);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    Label1 = new QLabel(ProductName + u' ' + version_.display, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setStyleSheet(QStringLiteral("QLabel { color: white; font-size: 40px; font-weight: bold; }"));
    Label1->setGeometry(40, 250, 574, 56);
    Label2 = new QLabel(Tagline, this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setStyleSheet(QStringLiteral("QLabel { color: #e8f4f6; font-size: 18px; }"));
    Label2->setGeometry(40, 310, 574, 30);
}

void TForm6::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QLinearGradient gradient(rect().topLeft(), rect().bottomRight());
    gradient.setColorAt(0, QColor(31, 95, 107));
    gradient.setColorAt(1, QColor(12, 40, 48));
    p.fillRect(rect(), gradient);
    p.setRenderHint(QPainter::Antialiasing);
    // A stethoscope-like mark: a ring and its tube.
    p.setPen(QPen(QColor(169, 211, 217), 10, Qt::SolidLine, Qt::RoundCap));
    p.drawEllipse(QPointF(520, 130), 46, 46);
    p.drawArc(QRectF(360, 40, 160, 180), 90 * 16, 150 * 16);
    p.setPen(QPen(QColor(255, 255, 255, 60), 2));
    p.drawLine(40, 236, 614, 236);
}

} // namespace vardelo::app
