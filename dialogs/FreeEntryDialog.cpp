#include "dialogs/FreeEntryDialog.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace vardelo::dialogs {

FreeEntryDialog::FreeEntryDialog(const QString& text, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("freeEntryDialog"));
    setWindowTitle(QStringLiteral("Saisie libre"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    auto* instruction = new QLabel(
        QStringLiteral("Veuillez saisir librement votre Signe clinique / Symptôme et le système va "
                       "essayer de reconnaitre l'entrée appropriée"),
        this);
    instruction->setWordWrap(true);
    freeTextEdit_ = new QLineEdit(text, this);
    freeTextEdit_->setObjectName(QStringLiteral("freeTextEdit"));
    freeTextEdit_->installEventFilter(this);
    auto* note =
        new QLabel(QStringLiteral("Remarque : Veuillez exprimer qu'un seul Signe clinique / Symptôme"), this);
    note->setWordWrap(true);
    interpretButton_ = new QToolButton(this);
    interpretButton_->setObjectName(QStringLiteral("interpretButton"));
    interpretButton_->setText(QStringLiteral("OK   Interpétation"));
    interpretButton_->setMinimumHeight(26);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(instruction);
    layout->addWidget(freeTextEdit_);
    layout->addWidget(note);
    layout->addWidget(interpretButton_, 0, Qt::AlignRight);
    setMinimumWidth(420);

    connect(freeTextEdit_, &QLineEdit::returnPressed, this, &QDialog::accept);
    connect(interpretButton_, &QToolButton::clicked, this, &QDialog::accept);
}

QString FreeEntryDialog::text() const
{
    return freeTextEdit_->text();
}

void FreeEntryDialog::putCaretAtEnd()
{
    freeTextEdit_->deselect();
    freeTextEdit_->setCursorPosition(int(freeTextEdit_->text().size()));
}

void FreeEntryDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    freeTextEdit_->setFocus();
    putCaretAtEnd();
}

bool FreeEntryDialog::eventFilter(QObject* watched, QEvent* event)
{
    // Typing goes on where it stopped in the sign entry, whatever brought the focus back: the
    // line edit selects its whole text on a tab focus, after this event.
    if (watched == freeTextEdit_ && event->type() == QEvent::FocusIn) {
        putCaretAtEnd();
        QTimer::singleShot(0, this, &FreeEntryDialog::putCaretAtEnd);
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vardelo::dialogs
