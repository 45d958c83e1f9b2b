#pragma once
// The patient sheet: name, sex and age band of the patient of a new case.

#include "engine/CaseSession.h"

#include <QDialog>
#include <optional>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vardelo::dialogs {

// The first character in upper case when it is a letter a to z; the rest unchanged.
QString capitalizeFirstLetter(const QString& name);
// The captions of the sheet's choices: "Masculin", "Entre 15 et 45 ans"...
QString sexCaption(QChar sex);
QString ageBandCaption(const QString& ageBand);

class PatientSheetDialog : public QDialog {
    Q_OBJECT

public:
    explicit PatientSheetDialog(const engine::Patient& initial, QWidget* parent = nullptr);

    // The patient the sheet shows: an empty name is "Sans nom", a name starts with a capital.
    engine::Patient patient() const;

    // Shows the sheet modally; nothing when the physician closed it without "OK".
    static std::optional<engine::Patient> ask(const engine::Patient& initial, QWidget* parent);

private:
    QLineEdit* nameEdit_;
    QGroupBox* sexGroup_;
    QRadioButton* maleRadio_;
    QRadioButton* femaleRadio_;
    QGroupBox* ageGroup_;
    QRadioButton* under15Radio_;
    QRadioButton* from15to45Radio_;
    QRadioButton* over45Radio_;
    QRadioButton* ageUnknownRadio_;
    QPushButton* okButton_;
};

} // namespace vardelo::dialogs
