#pragma once
// The physician's judgement of the retained diagnosis: right or wrong, and how reliable (1 to 5).

#include "training/Learning.h"

#include <QDialog>
#include <optional>

class QLineEdit;
class QRadioButton;
class QSlider;
class QPushButton;

namespace vardelo::dialogs {

class LearningDialog : public QDialog {
    Q_OBJECT

public:
    explicit LearningDialog(QWidget* parent = nullptr);

    training::Judgement judgement() const;

    // Shows the dialog modally; nothing when it was closed without "Apprendre".
    static std::optional<training::Judgement> ask(QWidget* parent);

private:
    void showLevel();

    QRadioButton* rightRadio_;
    QRadioButton* wrongRadio_;
    QSlider* levelSlider_;
    QLineEdit* levelEdit_;
    QPushButton* learnButton_;
};

} // namespace vardelo::dialogs
