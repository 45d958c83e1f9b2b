#include "dialogs/Unit4.h"

#include "app/Unit1.h"
#include "kb/Schema.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace vardelo::app {

QString Nom_Fiche(const QString& entry)
{
    const qsizetype at = entry.indexOf(QStringLiteral("   ["));
    return at < 0 ? entry : entry.left(at);
}

QString Initiale_Majuscule(const QString& name)
{
    if (name.isEmpty())
        return name;
    QString out = name;
    const char16_t c = out.at(0).unicode();
    if (c >= u'a' && c <= u'z')
        out[0] = QChar(char16_t(c - 32));
    return out;
}

TForm4::TForm4(TForm1* mainWindow)
    : QDialog(mainWindow)
    , main_(mainWindow)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Fiche patient"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("Nom :"), this));
    Edit1 = new QLineEdit(QStringLiteral("Sans nom"), this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMinimumWidth(240);
    nameRow->addWidget(Edit1, 1);
    layout->addLayout(nameRow);

    auto radio = [this](QWidget* parent, const char* name, const QString& text) {
        auto* r = new QRadioButton(text, parent);
        r->setObjectName(QString::fromLatin1(name));
        return r;
    };
    auto* groups = new QHBoxLayout;
    Sex = new QGroupBox(QStringLiteral("Sexe"), this);
    Sex->setObjectName(QStringLiteral("Sex"));
    auto* sexLayout = new QVBoxLayout(Sex);
    rb1 = radio(Sex, "rb1", QStringLiteral("Masculin"));
    rb2 = radio(Sex, "rb2", QStringLiteral("Féminin"));
    sexLayout->addWidget(rb1);
    sexLayout->addWidget(rb2);
    sexLayout->addStretch(1);
    Age = new QGroupBox(QStringLiteral("Age"), this);
    Age->setObjectName(QStringLiteral("Age"));
    auto* ageLayout = new QVBoxLayout(Age);
    rb3 = radio(Age, "rb3", QStringLiteral("Inférieur a 15 ans"));
    rb4 = radio(Age, "rb4", QStringLiteral("Entre 15 et 45 ans"));
    rb5 = radio(Age, "rb5", QStringLiteral("Supérieur a 45 ans"));
    rb6 = radio(Age, "rb6", QStringLiteral("Sans précision"));
    for (QRadioButton* r : {rb3, rb4, rb5, rb6})
        ageLayout->addWidget(r);
    groups->addWidget(Sex);
    groups->addWidget(Age, 1);
    layout->addLayout(groups);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    rb2->setChecked(true);
    rb6->setChecked(true);
    connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
}

QString TForm4::patientName() const
{
    return Edit1->text();
}

void TForm4::setPatientName(const QString& name)
{
    Edit1->setText(name);
}

QString TForm4::sexCaption(QChar sex) const
{
    return sex == u'h' ? rb1->text() : rb2->text();
}

QString TForm4::ageCaption(const QString& band) const
{
    if (band == u"1")
        return rb3->text();
    if (band == u"2")
        return rb4->text();
    if (band == u"3")
        return rb5->text();
    return rb6->text();
}

void TForm4::checkSex(QChar sex)
{
    if (sex == u'h')
        rb1->setChecked(true);
    else if (sex == u'f')
        rb2->setChecked(true);
}

void TForm4::checkAgeBand(const QString& band)
{
    if (band == u"1")
        rb3->setChecked(true);
    else if (band == u"2")
        rb4->setChecked(true);
    else if (band == u"3")
        rb5->setChecked(true);
    else if (band.isEmpty())
        rb6->setChecked(true);
}

void TForm4::checkPatient(QChar sex, const QString& band)
{
    checkSex(sex);
    checkAgeBand(band);
}

QString TForm4::parameter(const QString& key)
{
    kb::Query& q = main_->query();
    q.open(QStringLiteral("select * from Prm where T = ?"), {key});
    return q.eof() ? QString() : q.field(QStringLiteral("V"));
}

void TForm4::showSheet()
{
    QString name;
    try {
        // A handed-over value other than the known codes leaves the buttons as they are.
        const QString sex = parameter(kb::prm::Sex);
        if (sex.size() == 1)
            checkSex(sex.at(0));
        const QString age = parameter(kb::prm::Age);
        if (!age.isEmpty())
            checkAgeBand(age);
        name = parameter(kb::prm::Name);
    } catch (const kb::DbError& e) {
        main_->messages().error(e.message());
        return;
    }
    Edit1->setText(name);
    if (!name.isEmpty()) {
        // A patient handed over by another program is applied without the physician's action.
        Button1Click();
        return;
    }
    Edit1->setText(QStringLiteral("Sans nom"));
    rb2->setChecked(true);
    rb6->setChecked(true);
    Edit1->setFocus();
    Edit1->selectAll();
    exec();
}

void TForm4::Button1Click()
{
    Edit1->setText(Edit1->text().isEmpty() ? QStringLiteral("Sans nom") : Initiale_Majuscule(Edit1->text()));
    main_->newCaseEntry();
    model::CaseState& state = main_->session().state;
    if (rb1->isChecked())
        state.PatientSex = u'h';
    if (rb2->isChecked())
        state.PatientSex = u'f';
    if (rb3->isChecked())
        state.PatientAgeBand = QStringLiteral("1");
    else if (rb4->isChecked())
        state.PatientAgeBand = QStringLiteral("2");
    else if (rb5->isChecked())
        state.PatientAgeBand = QStringLiteral("3");
    else if (rb6->isChecked())
        state.PatientAgeBand.clear();
    main_->Affiche_Patient();
    main_->SB_Effacer_toutClick();
    main_->Entree_Edition->setCurrentIndex(0);
    main_->CB_S->setFocus();
    if (!state.PendingSign.isEmpty()) {
        main_->CB_S->setEditText(state.PendingSign);
        state.PendingSign.clear();
        main_->SB_Validation_S->click();
    }
    main_->CB_R->clear();
    if (state.PendingSign.isEmpty() && isVisible())
        accept();
}

void TForm4::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Button1Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace vardelo::app
