#include "dialogs/ExamSearchDialog.h"

#include "widgets/StripedItemDelegate.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace vardelo::dialogs {

ExamSearchDialog::ExamSearchDialog(std::function<QStringList(const QString&)> search, QWidget* parent)
    : QDialog(parent)
    , search_(std::move(search))
{
    setObjectName(QStringLiteral("examSearchDialog"));
    setWindowTitle(QStringLiteral("Recherche d'examens complémentaires"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    auto* instruction = new QLabel(QStringLiteral("Veuillez exprimer votre examen complémentaire"), this);
    examSearchEdit_ = new QLineEdit(this);
    examSearchEdit_->setObjectName(QStringLiteral("examSearchEdit"));
    examSearchList_ = new QListWidget(this);
    examSearchList_->setObjectName(QStringLiteral("examSearchList"));
    examSearchList_->setItemDelegate(new widgets::StripedItemDelegate(
        Qt::white, QColor(108, 255, 108), Qt::black, Qt::white, QColor(215, 0, 0), false, examSearchList_));
    validateButton_ = new QToolButton(this);
    validateButton_->setObjectName(QStringLiteral("validateButton"));
    validateButton_->setText(QStringLiteral("Valider"));
    closeButton_ = new QToolButton(this);
    closeButton_->setObjectName(QStringLiteral("closeButton"));
    closeButton_->setText(QStringLiteral("Fermer"));
    for (QToolButton* b : {validateButton_, closeButton_})
        b->setMinimumSize(80, 24);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(instruction);
    layout->addWidget(examSearchEdit_);
    layout->addWidget(examSearchList_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(validateButton_);
    buttons->addWidget(closeButton_);
    layout->addLayout(buttons);
    resize(460, 320);

    examSearchEdit_->installEventFilter(this);
    examSearchList_->installEventFilter(this);
    connect(examSearchEdit_, &QLineEdit::textChanged, this, &ExamSearchDialog::refresh);
    connect(examSearchList_, &QListWidget::itemDoubleClicked, this, &ExamSearchDialog::validate);
    connect(validateButton_, &QToolButton::clicked, this, &ExamSearchDialog::validate);
    connect(closeButton_, &QToolButton::clicked, this, &QDialog::reject);
}

void ExamSearchDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    examSearchEdit_->setFocus();
}

void ExamSearchDialog::refresh()
{
    examSearchList_->clear();
    const QString text = examSearchEdit_->text();
    if (!text.trimmed().isEmpty())
        examSearchList_->addItems(search_(text));
}

void ExamSearchDialog::validate()
{
    const QListWidgetItem* item = examSearchList_->currentItem();
    if (!item || !item->isSelected())
        return; // nothing chosen: the dialog stays open
    chosen_ = item->text();
    accept();
}

bool ExamSearchDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == examSearchEdit_) {
                examSearchList_->setFocus();
                if (examSearchList_->count() > 0)
                    examSearchList_->setCurrentRow(0);
                return true;
            }
            if (watched == examSearchList_) {
                validate();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vardelo::dialogs
