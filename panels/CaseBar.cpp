#include "panels/CaseBar.h"

#include "engine/CaseSession.h"
#include "kb/Query.h"
#include "panels/PanelParts.h"

#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QToolButton>

namespace vardelo::panels {

CaseBar::CaseBar(engine::CaseSession& session, kb::Query& query, QWidget* parent)
    : QWidget(parent)
    , session_(session)
    , query_(query)
{
    setObjectName(QStringLiteral("caseBar"));
    clearAllButton_ = makeButton(this, QStringLiteral("clearAllButton"), QStringLiteral("✖"),
                                 QStringLiteral("Effacer tout (Appuyez sur Echap)"));
    savedCasesCombo_ = new QComboBox(this);
    savedCasesCombo_->setObjectName(QStringLiteral("savedCasesCombo"));
    savedCasesCombo_->setToolTip(QStringLiteral("Liste des fiches diagnostics enregistrés"));
    savedCasesCombo_->setPlaceholderText(QStringLiteral("Liste des fiches diagnostics enregistrés"));
    deleteParallelAnalysisButton_ =
        makeButton(this, QStringLiteral("deleteParallelAnalysisButton"), QStringLiteral("✖"),
                   QStringLiteral("Supprimer l'analyse parallèle"));
    parallelAnalysesCombo_ = new QComboBox(this);
    parallelAnalysesCombo_->setObjectName(QStringLiteral("parallelAnalysesCombo"));
    parallelAnalysesCombo_->setToolTip(QStringLiteral("Analyses Paralléles"));
    clearAllButton_->setFixedSize(41, 24);
    deleteParallelAnalysisButton_->setFixedSize(40, 24);
    savedCasesCombo_->setFixedHeight(22);
    parallelAnalysesCombo_->setFixedHeight(22);
    savedCasesCombo_->setMinimumWidth(200);
    parallelAnalysesCombo_->setMinimumWidth(200);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(5);
    grid->setVerticalSpacing(4);
    grid->addWidget(clearAllButton_, 0, 0);
    grid->addWidget(savedCasesCombo_, 0, 1);
    grid->addWidget(deleteParallelAnalysisButton_, 1, 0);
    grid->addWidget(parallelAnalysesCombo_, 1, 1);
    grid->setColumnStretch(1, 1);

    connect(clearAllButton_, &QToolButton::clicked, this, &CaseBar::clearAllRequested);
    connect(&session_, &engine::CaseSession::cleared, this, [this] {
        showCurrentCase();
        parallelAnalysesCombo_->clear();
    });
}

void CaseBar::reloadSavedCases()
{
    savedCasesCombo_->clear();
    try {
        query_.open(QStringLiteral("select * from Fiche ORDER BY N DESC"));
        for (; !query_.eof(); query_.next())
            savedCasesCombo_->addItem(query_.field(QStringLiteral("ID")));
    } catch (const kb::DbError& e) {
        emit databaseError(e.message());
    }
}

void CaseBar::showCurrentCase()
{
    reloadSavedCases();
    const QDateTime now = QDateTime::currentDateTime();
    savedCasesCombo_->insertItem(0, session_.patient().name + QStringLiteral("   [") +
                                        now.toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral("  ") +
                                        now.toString(QStringLiteral("HH:mm:ss")) + u']');
    savedCasesCombo_->setCurrentIndex(0);
}

QString CaseBar::caseTitle() const
{
    return savedCasesCombo_->currentText();
}

QString CaseBar::analysisName() const
{
    return parallelAnalysesCombo_->currentText();
}

} // namespace vardelo::panels
