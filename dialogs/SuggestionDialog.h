#pragma once
// "Suggestion": the signs recognised in a typed text; the physician picks one.

#include <QDialog>

class QListWidget;

namespace vardelo::dialogs {

class SuggestionDialog : public QDialog {
    Q_OBJECT

public:
    explicit SuggestionDialog(const QStringList& candidates, QWidget* parent = nullptr);
    // The picked sign; empty when none is selected.
    QString chosen() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QListWidget* suggestionList_;
};

} // namespace vardelo::dialogs
