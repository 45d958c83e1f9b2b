#include "panels/PanelParts.h"

#include "widgets/GradientPanel.h"

#include <QLabel>
#include <QTextEdit>
#include <QToolButton>

namespace vardelo::panels {

QColor editorYellow()
{
    return widgets::colorFromBgr(0x00C4FFFF);
}

QToolButton* makeButton(QWidget* parent, const QString& name, const QString& text, const QString& hint)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(hint);
    b->setAutoRaise(false);
    b->setFocusPolicy(Qt::NoFocus);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

QTextEdit* makeRichEdit(QWidget* parent, const QString& name, bool readOnly)
{
    auto* e = new QTextEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(readOnly);
    e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    e->setAcceptRichText(true);
    return e;
}

QLabel* makePanelHeader(QWidget* parent, const QString& name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setAlignment(Qt::AlignCenter);
    l->setStyleSheet(
        QStringLiteral("QLabel { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #5a7fa8, "
                       "stop:1 #2f4f73); color: white; font-weight: bold; border-radius: 2px; }"));
    return l;
}

void setBaseColor(QWidget* widget, const QColor& color)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Base, color);
    widget->setPalette(p);
}

} // namespace vardelo::panels
