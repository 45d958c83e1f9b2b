#include "dialogs/ExportSettingsDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vardelo::dialogs {

ExportSettingsDialog::ExportSettingsDialog(const QString& executablePath, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("exportSettingsDialog"));
    setWindowTitle(QStringLiteral("Chemin Pratilo"));
    auto* instruction =
        new QLabel(QStringLiteral("Veuillez sélectionner le fichier \"pratilo.exe\" dans le répertoire "
                                  "d'installation du logiciel \"PRATILO\""),
                   this);
    instruction->setObjectName(QStringLiteral("instructionLabel"));
    instruction->setWordWrap(true);
    pathEdit_ = new QLineEdit(executablePath, this);
    pathEdit_->setObjectName(QStringLiteral("executablePathEdit"));
    pathEdit_->setReadOnly(true);
    // Read-only, on the dialog's own background, as a caption that can still be selected.
    pathEdit_->setStyleSheet(QStringLiteral("QLineEdit { background: palette(window); }"));
    pathEdit_->setMinimumWidth(360);
    chooseButton_ = new QPushButton(QStringLiteral("..."), this);
    chooseButton_->setObjectName(QStringLiteral("chooseExecutableButton"));
    chooseButton_->setFixedWidth(std::max(40, chooseButton_->sizeHint().width()));
    exportButton_ = new QPushButton(QStringLiteral("Exporter vers le logiciel PRATILO"), this);
    exportButton_->setObjectName(QStringLiteral("exportButton"));
    closeButton_ = new QPushButton(QStringLiteral("Fermer"), this);
    closeButton_->setObjectName(QStringLiteral("closeButton"));

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(pathEdit_, 1);
    pathRow->addWidget(chooseButton_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(exportButton_);
    buttons->addStretch(1);
    buttons->addWidget(closeButton_);
    auto* layout = new QGridLayout(this);
    layout->addWidget(instruction, 0, 0);
    layout->addLayout(pathRow, 1, 0);
    layout->addLayout(buttons, 2, 0);

    connect(pathEdit_, &QLineEdit::textChanged, this, &ExportSettingsDialog::pathChanged);
    connect(chooseButton_, &QPushButton::clicked, this, &ExportSettingsDialog::chooseRequested);
    connect(exportButton_, &QPushButton::clicked, this, &ExportSettingsDialog::exportRequested);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);
}

QString ExportSettingsDialog::executablePath() const
{
    return pathEdit_->text();
}

void ExportSettingsDialog::setExecutablePath(const QString& path)
{
    pathEdit_->setText(path);
}

} // namespace vardelo::dialogs
