#pragma once
// The patient sheet: name, sex and age band of the patient of a new case.

#include <QDialog>

class QLineEdit;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace vardelo::app {

class TForm1;

// "Dupont   [12/03/2020  10:41:07]" gives "Dupont"; a text without "   [" is returned whole.
QString Nom_Fiche(const QString& entry);
// The first character in upper case when it is a letter a to z; the rest unchanged.
QString Initiale_Majuscule(const QString& name);

class TForm4 : public QDialog {
    Q_OBJECT

public:
    explicit TForm4(TForm1* mainWindow);

    // Shows the sheet modally; a patient handed over through the parameters is applied at once.
    void showSheet();
    // The OK action.
    void Button1Click();

    QString patientName() const;
    void setPatientName(const QString& name);
    // Checks the radio buttons of a sex and an age band.
    void checkPatient(QChar sex, const QString& ageBand);
    QString sexCaption(QChar sex) const;
    QString ageCaption(const QString& ageBand) const;

    // Marker of the main window's first activation.
    int activationMarker() const { return marker_; }
    void setActivationMarker(int marker) { marker_ = marker; }

    QLineEdit* Edit1 = nullptr;
    QGroupBox* Sex = nullptr;
    QRadioButton* rb1 = nullptr;
    QRadioButton* rb2 = nullptr;
    QGroupBox* Age = nullptr;
    QRadioButton* rb3 = nullptr;
    QRadioButton* rb4 = nullptr;
    QRadioButton* rb5 = nullptr;
    QRadioButton* rb6 = nullptr;
    QPushButton* Button1 = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString parameter(const QString& key);
    void checkSex(QChar sex);
    void checkAgeBand(const QString& band);
    TForm1* main_;
    int marker_ = 0;
};

} // namespace vardelo::app
