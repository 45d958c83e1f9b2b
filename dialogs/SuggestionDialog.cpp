#include "dialogs/SuggestionDialog.h"

#include "widgets/StripedItemDelegate.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QVBoxLayout>

namespace vardelo::dialogs {

SuggestionDialog::SuggestionDialog(const QStringList& candidates, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("suggestionDialog"));
    setWindowTitle(QStringLiteral("Suggestion"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    suggestionList_ = new QListWidget(this);
    suggestionList_->setObjectName(QStringLiteral("suggestionList"));
    suggestionList_->addItems(candidates);
    suggestionList_->setItemDelegate(new widgets::StripedItemDelegate(
        Qt::white, QColor(108, 255, 108), Qt::black, Qt::white, QColor(215, 0, 0), false, suggestionList_));
    suggestionList_->installEventFilter(this);
    if (!candidates.isEmpty())
        suggestionList_->setCurrentRow(0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(suggestionList_);
    resize(440, 260);
    connect(suggestionList_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

QString SuggestionDialog::chosen() const
{
    const QListWidgetItem* item = suggestionList_->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void SuggestionDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    suggestionList_->setFocus();
    if (suggestionList_->count() > 0)
        suggestionList_->setCurrentRow(0);
}

bool SuggestionDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == suggestionList_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vardelo::dialogs
