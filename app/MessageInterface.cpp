#include "app/MessageInterface.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
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

QString MessageBoxes::askSaveFile(const QString& folder, const QString& fileName, const QString& filter)
{
    QFileDialog dialog(parent_, QStringLiteral("Enregistrer sous"), folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.selectFile(fileName);
    // The program asks about an existing file itself, with its own words.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

QString MessageBoxes::askOpenFile(const QString& folder, const QString& filter)
{
    return QFileDialog::getOpenFileName(parent_, QStringLiteral("Ouvrir"), folder, filter);
}

} // namespace vardelo::app
