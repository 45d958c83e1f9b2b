#pragma once
// Small pieces the panels of the main window are built from.

#include <QColor>
#include <QString>

class QLabel;
class QTextEdit;
class QToolButton;
class QWidget;

namespace vardelo::panels {

// The pale yellow of the formula displays and the pathology sheet.
QColor editorYellow();

// A flat text button that never takes the focus from the entry lines.
QToolButton* makeButton(QWidget* parent, const QString& name, const QString& text,
                        const QString& hint = QString());
// A rich-text editor with its vertical scroll bar always shown.
QTextEdit* makeRichEdit(QWidget* parent, const QString& name, bool readOnly);
// A caption on a blue gradient, white and bold.
QLabel* makePanelHeader(QWidget* parent, const QString& name, const QString& text);
void setBaseColor(QWidget* widget, const QColor& color);

} // namespace vardelo::panels
