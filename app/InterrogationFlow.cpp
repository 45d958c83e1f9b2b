#include "app/InterrogationFlow.h"

#include "app/MessageInterface.h"
#include "app/MessageTexts.h"
#include "dialogs/FinalDiagnosisDialog.h"
#include "dialogs/InterrogationQuestionDialog.h"
#include "dialogs/ModalRunner.h"
#include "engine/CaseSession.h"

namespace vardelo::app {

using dialogs::FinalDiagnosisDialog;
using dialogs::InterrogationQuestionDialog;
using dialogue::NextStep;

InterrogationFlow::InterrogationFlow(engine::CaseSession& session, kb::Query& query,
                                     MessageInterface& messages, dialogs::ModalRunner& modals,
                                     QWidget* window, QObject* parent)
    : QObject(parent)
    , session_(session)
    , messages_(messages)
    , modals_(modals)
    , window_(window)
    , interrogation_(query, session.evaluator())
{}

void InterrogationFlow::run()
{
    // F9 inside a question (the dialogs are modal, but a key may still reach the window) never
    // starts a second interrogation.
    if (running_)
        return;
    if (session_.isEmpty()) {
        messages_.message(msg::EnterOneEntryFirst);
        return;
    }
    if (hooks_.showSignsPage)
        hooks_.showSignsPage();
    const std::optional<engine::EvaluationResult> result =
        session_.evaluateCase(engine::EvaluationMode::Rank);
    if (!result || result->failed) {
        messages_.error(msg::IncompleteFormulation);
        return;
    }
    running_ = true;
    interrogation_.start();
    bool continueSingle = false;
    try {
        for (;;) {
            const QStringList rows = hooks_.diagnoses();
            const dialogue::Decision next = interrogation_.next(rows, session_.state(), continueSingle);
            continueSingle = false;
            if (next.step == NextStep::NoDiagnosis) {
                messages_.show(DialogType::Information, msg::NoDiagnosisFound, {DialogButton::Ok});
                break;
            }
            if (next.step == NextStep::SingleDiagnosis) {
                FinalDiagnosisDialog dialog(ProductName, msg::SingleDiagnosis, next.hypothesis,
                                            msg::ContinueInterrogationQuestion, window_);
                dialogs::centreOn(dialog, window_);
                const int answer = modals_.run(dialog);
                if (answer == FinalDiagnosisDialog::Continue) {
                    continueSingle = true;
                    continue;
                }
                // Closing the window otherwise is a stop, with no offer.
                if (answer == FinalDiagnosisDialog::Finish)
                    offerExams(msg::ShowExamsForConfirmationQuestion);
                break;
            }
            if (next.step == NextStep::SingleDone) {
                messages_.message(msg::InterrogationDone);
                break;
            }
            if (next.step == NextStep::AllAsked) {
                offerExams(msg::InterrogationDoneShowExamsQuestion);
                break;
            }
            InterrogationQuestionDialog question(next.hypothesis, next.sign, window_);
            dialogs::centreOn(question, window_);
            const int answer = modals_.run(question);
            if (answer == InterrogationQuestionDialog::Reject) {
                if (!interrogation_.reject(next.hypothesis, rows))
                    messages_.message(msg::KeepOneHypothesis);
                continue;
            }
            QString op;
            if (answer == InterrogationQuestionDialog::Yes)
                op = model::token::And;
            else if (answer == InterrogationQuestionDialog::No)
                op = model::token::Not;
            else if (answer == InterrogationQuestionDialog::Ignore)
                op = model::token::Ignore;
            else
                break; // "Arrêter", Escape or the window manager's close: stop
            if (session_.state().CandidateSigns.contains(next.sign)) {
                hooks_.enterSign(next.sign, op);
            } else {
                // A sign the case cannot take is not asked again; no operator is left dangling.
                interrogation_.passOver(next.sign);
            }
            interrogation_.selectHypothesis(hooks_.diagnoses());
        }
    } catch (const kb::DbError& e) {
        messages_.error(e.message());
    }
    running_ = false;
}

void InterrogationFlow::offerExams(const QString& question)
{
    if (session_.state().CandidateExams.isEmpty())
        return;
    if (messages_.show(DialogType::Confirmation, question, {DialogButton::Yes, DialogButton::No}) ==
            DialogButton::Yes &&
        hooks_.showExams)
        hooks_.showExams();
}

} // namespace vardelo::app
