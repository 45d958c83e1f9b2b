#include "dialogs/LearningDialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

namespace vardelo::dialogs {

LearningDialog::LearningDialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("learningDialog"));
    setWindowTitle(QStringLiteral("Apprentissage"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    auto* group = new QGroupBox(QStringLiteral("Diagnostic sélectionné"), this);
    group->setObjectName(QStringLiteral("judgementGroup"));
    rightRadio_ = new QRadioButton(QStringLiteral("Bon "), group);
    rightRadio_->setObjectName(QStringLiteral("rightRadio"));
    wrongRadio_ = new QRadioButton(QStringLiteral("Mauvais"), group);
    wrongRadio_->setObjectName(QStringLiteral("wrongRadio"));
    rightRadio_->setChecked(true);
    auto* radios = new QHBoxLayout;
    radios->addWidget(rightRadio_);
    radios->addWidget(wrongRadio_);

    levelSlider_ = new QSlider(Qt::Horizontal, group);
    levelSlider_->setObjectName(QStringLiteral("levelSlider"));
    levelSlider_->setRange(training::LowestLevel, training::HighestLevel);
    levelSlider_->setPageStep(1);
    levelSlider_->setTickPosition(QSlider::TicksBelow);
    levelSlider_->setTickInterval(1);
    levelSlider_->setValue(training::LowestLevel);

    levelEdit_ = new QLineEdit(group);
    levelEdit_->setObjectName(QStringLiteral("levelEdit"));
    levelEdit_->setReadOnly(true);
    levelEdit_->setFocusPolicy(Qt::NoFocus);

    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addLayout(radios);
    groupLayout->addWidget(levelSlider_);
    groupLayout->addWidget(levelEdit_);

    learnButton_ = new QPushButton(QStringLiteral("Apprendre"), this);
    learnButton_->setObjectName(QStringLiteral("learnButton"));
    QFont bold = learnButton_->font();
    bold.setBold(true);
    learnButton_->setFont(bold);
    learnButton_->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(learnButton_);

    connect(rightRadio_, &QRadioButton::toggled, this, &LearningDialog::showLevel);
    connect(levelSlider_, &QSlider::valueChanged, this, &LearningDialog::showLevel);
    connect(learnButton_, &QPushButton::clicked, this, &QDialog::accept);
    showLevel();
    rightRadio_->setFocus();
}

training::Judgement LearningDialog::judgement() const
{
    return {rightRadio_->isChecked(), levelSlider_->value()};
}

void LearningDialog::showLevel()
{
    levelEdit_->setText(training::levelCaption(judgement()));
}

std::optional<training::Judgement> LearningDialog::ask(QWidget* parent)
{
    LearningDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.judgement();
}

} // namespace vardelo::dialogs
