#include "dialogs/FinalDiagnosisDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace vardelo::dialogs {

namespace {
const QColor Red(255, 0, 0);
}

FinalDiagnosisDialog::FinalDiagnosisDialog(const QString& caption, const QString& firstLabel,
                                           const QString& name, const QString& secondLabel, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("finalDiagnosisDialog"));
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint);
    firstLabel_ = new QLabel(firstLabel, this);
    firstLabel_->setObjectName(QStringLiteral("firstLabel"));
    nameView_ = new QTextEdit(this);
    nameView_->setObjectName(QStringLiteral("diagnosisNameView"));
    nameView_->setReadOnly(true);
    nameView_->setFocusPolicy(Qt::NoFocus);
    nameView_->setFixedSize(353, 34);
    nameView_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    nameView_->setFrameShape(QFrame::NoFrame);
    QPalette p = nameView_->palette();
    p.setColor(QPalette::Base, palette().color(QPalette::Button));
    nameView_->setPalette(p);
    QFont font = nameView_->font();
    font.setPixelSize(13);
    font.setBold(true);
    nameView_->setFont(font);
    nameView_->setPlainText(name);
    paintName(QColor(0, 0, 255));
    secondLabel_ = new QLabel(secondLabel, this);
    secondLabel_->setObjectName(QStringLiteral("secondLabel"));
    continueButton_ = new QPushButton(QStringLiteral("&Continuer"), this);
    continueButton_->setObjectName(QStringLiteral("continueButton"));
    finishButton_ = new QPushButton(QStringLiteral("&OK : Terminer"), this);
    finishButton_->setObjectName(QStringLiteral("finishButton"));
    finishButton_->setDefault(true);
    blinkTimer_ = new QTimer(this);
    blinkTimer_->setInterval(100);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(firstLabel_);
    layout->addWidget(nameView_);
    layout->addWidget(secondLabel_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(continueButton_);
    buttons->addWidget(finishButton_);
    layout->addLayout(buttons);
    setMinimumSize(394, 136);

    connect(blinkTimer_, &QTimer::timeout, this, &FinalDiagnosisDialog::blink);
    connect(continueButton_, &QPushButton::clicked, this, [this] { done(Continue); });
    connect(finishButton_, &QPushButton::clicked, this, [this] { done(Finish); });
}

QColor FinalDiagnosisDialog::nameColor() const
{
    return nameColor_;
}

void FinalDiagnosisDialog::paintName(const QColor& color)
{
    // In the text itself: a style sheet of the program's appearance would override a palette.
    nameColor_ = color;
    QTextCursor cursor(nameView_->document());
    cursor.select(QTextCursor::Document);
    QTextCharFormat format;
    format.setForeground(color);
    cursor.mergeCharFormat(format);
}

bool FinalDiagnosisDialog::blinking() const
{
    return blinkTimer_->isActive();
}

void FinalDiagnosisDialog::blink()
{
    paintName(nameColor_ == Red ? palette().color(QPalette::WindowText) : Red);
}

void FinalDiagnosisDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    finishButton_->setFocus();
    blinkTimer_->start();
}

void FinalDiagnosisDialog::hideEvent(QHideEvent* event)
{
    blinkTimer_->stop();
    QDialog::hideEvent(event);
}

} // namespace vardelo::dialogs
