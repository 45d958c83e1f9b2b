#include "dialogs/PatientSheetDialog.h"

#include "engine/PatientCaptions.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vardelo::dialogs {

namespace {
const QString Male = engine::sexCaption(u'h');
const QString Female = engine::sexCaption(u'f');
const QString Under15 = engine::ageBandCaption(QStringLiteral("1"));
const QString From15To45 = engine::ageBandCaption(QStringLiteral("2"));
const QString Over45 = engine::ageBandCaption(QStringLiteral("3"));
const QString AgeUnknown = engine::ageBandCaption(QString());
} // namespace

QString capitalizeFirstLetter(const QString& name)
{
    if (name.isEmpty())
        return name;
    QString out = name;
    const char16_t c = out.at(0).unicode();
    if (c >= u'a' && c <= u'z')
        out[0] = QChar(char16_t(c - 32));
    return out;
}

QString sexCaption(QChar sex)
{
    return engine::sexCaption(sex);
}

QString ageBandCaption(const QString& band)
{
    return engine::ageBandCaption(band);
}

PatientSheetDialog::PatientSheetDialog(const engine::Patient& initial, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("patientSheetDialog"));
    setWindowTitle(QStringLiteral("Fiche patient"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("Nom :"), this));
    nameEdit_ = new QLineEdit(initial.name, this);
    nameEdit_->setObjectName(QStringLiteral("nameEdit"));
    nameEdit_->setMinimumWidth(240);
    nameRow->addWidget(nameEdit_, 1);
    layout->addLayout(nameRow);

    auto radio = [](QWidget* group, const char* name, const QString& text) {
        auto* r = new QRadioButton(text, group);
        r->setObjectName(QString::fromLatin1(name));
        return r;
    };
    auto* groups = new QHBoxLayout;
    sexGroup_ = new QGroupBox(QStringLiteral("Sexe"), this);
    sexGroup_->setObjectName(QStringLiteral("sexGroup"));
    auto* sexLayout = new QVBoxLayout(sexGroup_);
    maleRadio_ = radio(sexGroup_, "maleRadio", Male);
    femaleRadio_ = radio(sexGroup_, "femaleRadio", Female);
    sexLayout->addWidget(maleRadio_);
    sexLayout->addWidget(femaleRadio_);
    sexLayout->addStretch(1);
    ageGroup_ = new QGroupBox(QStringLiteral("Age"), this);
    ageGroup_->setObjectName(QStringLiteral("ageGroup"));
    auto* ageLayout = new QVBoxLayout(ageGroup_);
    under15Radio_ = radio(ageGroup_, "under15Radio", Under15);
    from15to45Radio_ = radio(ageGroup_, "from15to45Radio", From15To45);
    over45Radio_ = radio(ageGroup_, "over45Radio", Over45);
    ageUnknownRadio_ = radio(ageGroup_, "ageUnknownRadio", AgeUnknown);
    for (QRadioButton* r : {under15Radio_, from15to45Radio_, over45Radio_, ageUnknownRadio_})
        ageLayout->addWidget(r);
    groups->addWidget(sexGroup_);
    groups->addWidget(ageGroup_, 1);
    layout->addLayout(groups);
    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton_);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    (initial.sex == u'h' ? maleRadio_ : femaleRadio_)->setChecked(true);
    if (initial.ageBand == u"1")
        under15Radio_->setChecked(true);
    else if (initial.ageBand == u"2")
        from15to45Radio_->setChecked(true);
    else if (initial.ageBand == u"3")
        over45Radio_->setChecked(true);
    else
        ageUnknownRadio_->setChecked(true);
    nameEdit_->setFocus();
    nameEdit_->selectAll();
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
}

engine::Patient PatientSheetDialog::patient() const
{
    engine::Patient p;
    p.name = nameEdit_->text().isEmpty() ? engine::UnnamedPatient : capitalizeFirstLetter(nameEdit_->text());
    p.sex = maleRadio_->isChecked() ? u'h' : u'f';
    if (under15Radio_->isChecked())
        p.ageBand = QStringLiteral("1");
    else if (from15to45Radio_->isChecked())
        p.ageBand = QStringLiteral("2");
    else if (over45Radio_->isChecked())
        p.ageBand = QStringLiteral("3");
    return p;
}

std::optional<engine::Patient> PatientSheetDialog::ask(const engine::Patient& initial, QWidget* parent)
{
    PatientSheetDialog sheet(initial, parent);
    sheet.adjustSize();
    if (parent)
        sheet.move(parent->geometry().center() - sheet.rect().center());
    if (sheet.exec() != QDialog::Accepted)
        return std::nullopt;
    return sheet.patient();
}

} // namespace vardelo::dialogs
