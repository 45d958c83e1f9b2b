#include "app/MessageInterface.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace vardelo::app {

DialogButton MessageBoxes::show(DialogType type, const QString& text, const QList<DialogButton>& buttons)
{
    QMessageBox box(parent_);
    switch (type) {
    case DialogType::Plain:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case DialogType::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case DialogType::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case DialogType::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case DialogType::Confirmation:
        box.setIcon(QMessageBox::Question);
        break;
    }
    box.setWindowTitle(QApplication::applicationName());
    box.setText(text);
    QList<std::pair<QAbstractButton*, DialogButton>> map;
    for (const DialogButton b : buttons) {
        QMessageBox::StandardButton standard = QMessageBox::Ok;
        switch (b) {
        case DialogButton::Ok:
            standard = QMessageBox::Ok;
            break;
        case DialogButton::Cancel:
            standard = QMessageBox::Cancel;
            break;
        case DialogButton::Yes:
            standard = QMessageBox::Yes;
            break;
        case DialogButton::No:
            standard = QMessageBox::No;
            break;
        case DialogButton::Closed:
            continue;
        }
        QPushButton* button = box.addButton(standard);
        // Enter never confirms a question that can be cancelled: those delete the physician's work.
        if (b == DialogButton::Cancel)
            box.setDefaultButton(button);
        map.append({button, b});
    }
    box.exec();
    for (const auto& [button, value] : std::as_const(map)) {
        if (box.clickedButton() == button)
            return value;
    }
    return DialogButton::Closed;
}

} // namespace vardelo::app
