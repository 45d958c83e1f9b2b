#pragma once
// The one diagnosis left, its name blinking, and whether to go on.

#include <QColor>
#include <QDialog>

class QLabel;
class QPushButton;
class QTextEdit;
class QTimer;

namespace vardelo::dialogs {

class FinalDiagnosisDialog : public QDialog {
    Q_OBJECT

public:
    // Results of exec(); closing the window otherwise gives QDialog::Rejected (0).
    enum Result { Continue = 1, Finish = 2 };

    FinalDiagnosisDialog(const QString& caption, const QString& firstLabel, const QString& name,
                         const QString& secondLabel, QWidget* parent = nullptr);
    // The colour the name shows now.
    QColor nameColor() const;
    bool blinking() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void blink();
    void paintName(const QColor& color);

    QLabel* firstLabel_;
    QTextEdit* nameView_;
    QLabel* secondLabel_;
    QPushButton* continueButton_;
    QPushButton* finishButton_;
    QTimer* blinkTimer_;
    QColor nameColor_;
};

} // namespace vardelo::dialogs
