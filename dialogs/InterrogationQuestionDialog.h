#pragma once
// One question of the interrogation: is this sign present, for this hypothesis?

#include <QDialog>

class QPushButton;
class QTextEdit;

namespace vardelo::dialogs {

class InterrogationQuestionDialog : public QDialog {
    Q_OBJECT

public:
    // Results of exec(). Closing the window otherwise (Escape, the window manager) gives Stop.
    enum Answer { Stop = 0, Yes = 1, No = 2, Ignore = 3, Reject = 4 };

    InterrogationQuestionDialog(const QString& hypothesis, const QString& sign, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QTextEdit* questionView_;
    QPushButton* yesButton_;
};

} // namespace vardelo::dialogs
