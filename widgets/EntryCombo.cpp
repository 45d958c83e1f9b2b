#include "widgets/EntryCombo.h"

#include "case/TextCompare.h"

#include <QComboBox>
#include <QCompleter>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

namespace vardelo::widgets {

namespace {
// The width of the list's arrow that the entry line leaves uncovered.
constexpr int ArrowWidth = 20;
} // namespace

EntryCombo::EntryCombo(const QString& inputName, const QString& dropDownName, QWidget* parent)
    : QWidget(parent)
    , input_(new QComboBox(this))
    , dropDown_(new QComboBox(this))
{
    setFixedHeight(26);
    dropDown_->setObjectName(dropDownName);
    dropDown_->setMaxVisibleItems(15);
    dropDown_->setFocusPolicy(Qt::NoFocus);
    input_->setObjectName(inputName);
    input_->setEditable(true);
    input_->setInsertPolicy(QComboBox::NoInsert);
    input_->setCompleter(new QCompleter(input_->model(), input_));
    input_->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    input_->completer()->setCompletionMode(QCompleter::InlineCompletion);
    input_->raise();
    setFocusProxy(input_);
    // The combo box holds the focus and hands keys to its line edit without passing the line
    // edit's filters: keys and focus are watched on the combo box itself.
    input_->installEventFilter(this);
    input_->lineEdit()->installEventFilter(this);
}

void EntryCombo::setItems(const QStringList& items)
{
    {
        const QSignalBlocker blocker(input_);
        input_->clear();
        input_->addItems(items);
        input_->setCurrentIndex(-1);
    }
    dropDown_->clear();
    dropDown_->addItems(items);
}

QString EntryCombo::text() const
{
    return input_->currentText();
}

void EntryCombo::setTextQuietly(const QString& text)
{
    const QSignalBlocker blocker(input_);
    input_->setCurrentIndex(-1);
    input_->setEditText(text);
}

int EntryCombo::indexOf(const QString& text) const
{
    for (int i = 0; i < input_->count(); ++i) {
        if (model::sameText(input_->itemText(i), text))
            return i;
    }
    return -1;
}

void EntryCombo::setInputColor(const QColor& color)
{
    input_->setStyleSheet(QStringLiteral("QComboBox#%1 { background: %2; font-weight: bold; }"
                                         "QComboBox#%1::drop-down { width: 0px; border: none; }")
                              .arg(input_->objectName(), color.name()));
}

bool EntryCombo::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (keyHandler_ && keyHandler_(static_cast<QKeyEvent*>(event)))
            return true;
        break;
    case QEvent::FocusIn:
        if (watched == input_)
            emit focusEntered();
        break;
    case QEvent::FocusOut:
        if (watched == input_)
            emit focusLeft();
        break;
    case QEvent::MouseButtonDblClick:
        if (watched == input_->lineEdit()) {
            emit doubleClicked();
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void EntryCombo::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    dropDown_->setGeometry(rect());
    input_->setGeometry(rect().adjusted(0, 0, -ArrowWidth, 0));
}

void EntryCombo::setAccessibleNames(const QString& name)
{
    input_->setAccessibleName(name);
    if (input_->lineEdit())
        input_->lineEdit()->setAccessibleName(name);
    dropDown_->setAccessibleName(QStringLiteral("Liste : ") + name);
}

} // namespace vardelo::widgets
