#pragma once
// An entry line lying over its drop-down list: the physician types in the line, with inline
// completion, or opens the list with the arrow left visible at its right.

#include <QWidget>
#include <functional>

class QComboBox;
class QKeyEvent;

namespace vardelo::widgets {

class EntryCombo : public QWidget {
    Q_OBJECT

public:
    // The two combo boxes get the given object names.
    EntryCombo(const QString& inputName, const QString& dropDownName, QWidget* parent = nullptr);

    QComboBox* input() const { return input_; }
    // What a screen reader says for the entry, its text line and its list.
    void setAccessibleNames(const QString& name);
    QComboBox* dropDown() const { return dropDown_; }

    // Fills both lists, with nothing chosen; no edit signal is sent.
    void setItems(const QStringList& items);
    QString text() const;
    // Sets or empties the text without sending the edit signal.
    void setTextQuietly(const QString& text);
    void clearText() { setTextQuietly(QString()); }
    // The item equal to text without regard to case, -1 when none.
    int indexOf(const QString& text) const;
    // The background of the entry line, shown in bold.
    void setInputColor(const QColor& color);

    // Keys pressed in the entry line; the handler returns true when it used the key.
    void setKeyHandler(std::function<bool(QKeyEvent*)> handler) { keyHandler_ = std::move(handler); }

signals:
    void focusEntered();
    void focusLeft();
    void doubleClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QComboBox* input_;
    QComboBox* dropDown_;
    std::function<bool(QKeyEvent*)> keyHandler_;
};

} // namespace vardelo::widgets
