#include "dialogs/SeriesResultDialog.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vardelo::dialogs {

SeriesResultDialog::SeriesResultDialog(int correct, const QString& total, const QString& score,
                                       QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("seriesResultDialog"));
    setWindowTitle(QStringLiteral("Vardelo"));
    // No title-bar button: "OK" stores the result.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);

    auto* title = new QLabel(QStringLiteral("Série de cas cliniques términée"), this);
    title->setObjectName(QStringLiteral("titleLabel"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);

    auto* group = new QGroupBox(QStringLiteral("Cas cliniques"), this);
    auto field = [group](const char* name, const QString& text) {
        auto* edit = new QLineEdit(text, group);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
        return edit;
    };
    correctEdit_ = field("correctEdit", QString::number(correct));
    totalEdit_ = field("totalEdit", total);
    scoreEdit_ = field("scoreEdit", score);
    auto* form = new QFormLayout(group);
    form->addRow(QStringLiteral("Justes :"), correctEdit_);
    form->addRow(QStringLiteral("Total :"), totalEdit_);
    form->addRow(QStringLiteral("Score :"), scoreEdit_);

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(group);
    layout->addWidget(okButton_, 0, Qt::AlignHCenter);
    okButton_->setFocus();
}

} // namespace vardelo::dialogs
