#pragma once
// "Chemin Pratilo": where the practice program's executable is, and the button that exports the
// diagnosis report to it. The dialog shows the path and reports the physician's requests; choosing
// the file, storing the path and writing the report are its owner's.

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace vardelo::dialogs {

class ExportSettingsDialog : public QDialog {
    Q_OBJECT

public:
    explicit ExportSettingsDialog(const QString& executablePath, QWidget* parent = nullptr);

    QString executablePath() const;
    // Shows a new path; pathChanged() follows when it differs.
    void setExecutablePath(const QString& path);

signals:
    void pathChanged(const QString& path);
    void chooseRequested();
    void exportRequested();

private:
    QLineEdit* pathEdit_;
    QPushButton* chooseButton_;
    QPushButton* exportButton_;
    QPushButton* closeButton_;
};

} // namespace vardelo::dialogs
