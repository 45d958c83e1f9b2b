#include "panels/PatientBanner.h"

#include "dialogs/PatientSheetDialog.h"
#include "engine/CaseSession.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>

namespace vardelo::panels {

PatientBanner::PatientBanner(engine::CaseSession& session, QWidget* parent)
    : widgets::GradientPanel(parent)
    , session_(session)
{
    setObjectName(QStringLiteral("patientBanner"));
    setFrameShape(QFrame::StyledPanel);
    setColors(widgets::colorFromBgr(0x00800080), widgets::colorFromBgr(0x00FF0FFF));
    setMinimumSize(169, 52);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setStyleSheet(
            QStringLiteral("QLabel { color: white; font-weight: bold; background: transparent; }"));
        return l;
    };
    sexLabel_ = label("sexLabel", QStringLiteral("Sexe :"));
    sexValue_ = label("sexValue", QStringLiteral("Féminin"));
    ageLabel_ = label("ageLabel", QStringLiteral("Age :"));
    ageValue_ = label("ageValue", QStringLiteral("Sans précision"));
    for (QLabel* l : {sexValue_, ageValue_}) {
        l->setCursor(Qt::PointingHandCursor);
        l->installEventFilter(this);
    }
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(2);
    grid->addWidget(sexLabel_, 0, 0);
    grid->addWidget(sexValue_, 0, 1);
    grid->addWidget(ageLabel_, 1, 0);
    grid->addWidget(ageValue_, 1, 1);
    grid->setColumnStretch(1, 1);
    connect(&session_, &engine::CaseSession::patientChanged, this, &PatientBanner::showPatient);
}

void PatientBanner::showPatient()
{
    const engine::Patient& patient = session_.patient();
    if (patient.sex == u'h' || patient.sex == u'f')
        sexValue_->setText(dialogs::sexCaption(patient.sex));
    ageValue_->setText(dialogs::ageBandCaption(patient.ageBand));
    if (patient.sex == u'h')
        setColors(QColor(117, 117, 255), QColor(204, 204, 255));
    else if (patient.sex == u'f')
        setColors(QColor(213, 0, 213), QColor(255, 179, 255));
}

bool PatientBanner::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && (watched == sexValue_ || watched == ageValue_)) {
        emit clicked();
        return true;
    }
    return widgets::GradientPanel::eventFilter(watched, event);
}

} // namespace vardelo::panels
