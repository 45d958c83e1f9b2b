#pragma once
// "Recherche d'examens complémentaires": an exam line recognised while the physician types.

#include <QDialog>
#include <functional>

class QLineEdit;
class QListWidget;
class QToolButton;

namespace vardelo::dialogs {

class ExamSearchDialog : public QDialog {
    Q_OBJECT

public:
    // search gives the candidate exam lines for a typed text, best first.
    explicit ExamSearchDialog(std::function<QStringList(const QString&)> search, QWidget* parent = nullptr);
    // The exam line chosen with "Valider"; empty when none was.
    QString chosen() const { return chosen_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void validate();

    std::function<QStringList(const QString&)> search_;
    QLineEdit* examSearchEdit_;
    QListWidget* examSearchList_;
    QToolButton* validateButton_;
    QToolButton* closeButton_;
    QString chosen_;
};

} // namespace vardelo::dialogs
