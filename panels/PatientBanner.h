#pragma once
// The patient's sex and age band, on a gradient of the sex's colour. A click on either opens the
// patient sheet.

#include "widgets/GradientPanel.h"

class QLabel;

namespace vardelo::engine {
class CaseSession;
}

namespace vardelo::panels {

class PatientBanner : public widgets::GradientPanel {
    Q_OBJECT

public:
    explicit PatientBanner(engine::CaseSession& session, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showPatient();

    engine::CaseSession& session_;
    QLabel* sexLabel_;
    QLabel* sexValue_;
    QLabel* ageLabel_;
    QLabel* ageValue_;
};

} // namespace vardelo::panels
