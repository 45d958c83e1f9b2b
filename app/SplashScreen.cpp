#include "app/SplashScreen.h"

#include "app/MessageTexts.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

namespace vardelo::app {

SplashScreen::SplashScreen(const QString& dataFile)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint)
    , version_(kb::readKbVersion(dataFile))
{
    setObjectName(QStringLiteral("splashScreen"));
    setFixedSize(654, 437);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    titleLabel_ = new QLabel(ProductName + u' ' + version_.display, this);
    titleLabel_->setObjectName(QStringLiteral("titleLabel"));
    titleLabel_->setStyleSheet(
        QStringLiteral("QLabel { color: white; font-size: 40px; font-weight: bold; }"));
    titleLabel_->setFixedHeight(56);
    taglineLabel_ = new QLabel(Tagline, this);
    taglineLabel_->setObjectName(QStringLiteral("taglineLabel"));
    taglineLabel_->setStyleSheet(QStringLiteral("QLabel { color: #e8f4f6; font-size: 18px; }"));
    taglineLabel_->setFixedHeight(30);
    // Below the drawn mark and its rule.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 250, 40, 97);
    layout->setSpacing(4);
    layout->addWidget(titleLabel_);
    layout->addWidget(taglineLabel_);
}

void SplashScreen::paintEvent(QPaintEvent*)
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
