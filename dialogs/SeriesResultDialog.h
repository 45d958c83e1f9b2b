#pragma once
// The end of a series of clinical cases: right answers, total and score. "OK" is its only way out.

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace vardelo::dialogs {

class SeriesResultDialog : public QDialog {
    Q_OBJECT

public:
    SeriesResultDialog(int correct, const QString& total, const QString& score, QWidget* parent = nullptr);

    // Escape closes it as "OK" does: the result is stored either way.
    void reject() override { accept(); }

private:
    QLineEdit* correctEdit_;
    QLineEdit* totalEdit_;
    QLineEdit* scoreEdit_;
    QPushButton* okButton_;
};

} // namespace vardelo::dialogs
