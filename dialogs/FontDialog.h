#pragma once
// The font dialog of the notes editors: font, style, size, underline and strike-out, and colour,
// with a sample of the result.

#include <QColor>
#include <QDialog>
#include <QFont>
#include <optional>

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QLabel;
class QSpinBox;

namespace vardelo::dialogs {

struct FontChoice {
    QFont font;
    QColor color = Qt::black;
    friend bool operator==(const FontChoice&, const FontChoice&) = default;
};

class FontDialog : public QDialog {
    Q_OBJECT

public:
    explicit FontDialog(const FontChoice& initial, QWidget* parent = nullptr);

    FontChoice choice() const;
    // Shows the dialog modally; nothing when the physician cancelled it.
    static std::optional<FontChoice> ask(const FontChoice& initial, QWidget* parent);

private:
    void showSample();

    QFontComboBox* familyCombo_;
    QComboBox* styleCombo_;
    QSpinBox* sizeSpin_;
    QCheckBox* underlineCheck_;
    QCheckBox* strikeOutCheck_;
    QComboBox* colorCombo_;
    QLabel* sampleLabel_;
};

} // namespace vardelo::dialogs
