#pragma once
// "Saisie libre": the physician finishes in their own words a sign the offered list does not hold.

#include <QDialog>

class QLineEdit;
class QToolButton;

namespace vardelo::dialogs {

class FreeEntryDialog : public QDialog {
    Q_OBJECT

public:
    // Starts with the text typed so far in the sign entry, the caret after it.
    explicit FreeEntryDialog(const QString& text, QWidget* parent = nullptr);
    QString text() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void putCaretAtEnd();

    QLineEdit* freeTextEdit_;
    QToolButton* interpretButton_;
};

} // namespace vardelo::dialogs
