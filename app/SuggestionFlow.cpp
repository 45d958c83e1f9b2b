#include "app/SuggestionFlow.h"

#include "app/CaseFileActions.h"
#include "app/MessageInterface.h"
#include "app/MessageTexts.h"
#include "dialogs/ExamSearchDialog.h"
#include "dialogs/FreeEntryDialog.h"
#include "dialogs/ModalRunner.h"
#include "dialogs/PatientSheetDialog.h"
#include "dialogs/SuggestionDialog.h"
#include "dialogue/SuggestionRoute.h"
#include "kb/Query.h"
#include "recognition/Recognition.h"

namespace vardelo::app {

using dialogue::SuggestionRoute;

namespace {

const QString SexMismatch = QStringLiteral("Le sexe de cette personne ne correspond pas !");
const QString AgeMismatch = QStringLiteral("L'âge de cette personne ne correspond pas !");

} // namespace

SuggestionFlow::SuggestionFlow(engine::CaseSession& session, kb::Query& query, MessageInterface& messages,
                               dialogs::ModalRunner& modals, QWidget* window, QObject* parent)
    : QObject(parent)
    , session_(session)
    , query_(query)
    , messages_(messages)
    , modals_(modals)
    , window_(window)
{}

void SuggestionFlow::continueInFreeEntry(const QString& typed)
{
    dialogs::FreeEntryDialog dialog(typed, window_);
    dialogs::centreOn(dialog, window_);
    if (modals_.run(dialog) != QDialog::Accepted)
        return; // the sign entry keeps what was typed
    if (hooks_.validateEntryText)
        hooks_.validateEntryText(dialog.text());
}

void SuggestionFlow::recognize(const QString& text)
{
    recognition::Recognized found;
    try {
        found = recognition::Recognize(query_, QStringLiteral("SC"), text, session_.state().PatientSex,
                                       session_.state().PatientAgeBand);
    } catch (const kb::DbError& e) {
        messages_.error(e.message());
        return;
    }
    if (found.candidates.isEmpty()) {
        messages_.message(msg::UninterpretableEntry);
        return;
    }
    dialogs::SuggestionDialog dialog(found.candidates, window_);
    dialogs::centreOn(dialog, window_);
    if (modals_.run(dialog) != QDialog::Accepted)
        return;
    const QString chosen = dialog.chosen();
    if (!chosen.isEmpty())
        validateSuggestion(chosen, found.negated);
}

void SuggestionFlow::validateSuggestion(const QString& sign, bool negated)
{
    dialogue::SuggestionDecision decision;
    try {
        decision = dialogue::routeSuggestion(query_, session_.state(), sign);
    } catch (const kb::DbError& e) {
        messages_.error(e.message());
        return;
    }
    if (decision.route == SuggestionRoute::AlreadyEntered) {
        messages_.message(msg::AlreadyEntered);
        if (hooks_.clearSignEntry)
            hooks_.clearSignEntry();
        if (hooks_.focusSignEntry)
            hooks_.focusSignEntry();
        return;
    }
    if (negated) {
        // A denied sign rules nothing in: it never calls for another case file or analysis, and
        // is entered in this one whatever pathologies have it.
        hooks_.enterSign(decision.sign, model::token::Not);
        return;
    }
    switch (decision.route) {
    case SuggestionRoute::Offered:
        hooks_.enterSign(decision.sign, QString());
        break;
    case SuggestionRoute::OfferedPart:
        hooks_.enterSign(decision.sign, QString());
        checkAgeBand(decision.sign);
        break;
    case SuggestionRoute::OtherSex:
        openCaseFor(decision.sign, msg::SignSexMismatchQuestion, true);
        break;
    case SuggestionRoute::OtherAgeBand:
        openCaseFor(decision.sign, msg::SignAgeMismatchQuestion, false);
        break;
    case SuggestionRoute::OutsideDifferential:
        if (caseFiles_ && caseFiles_->branchForSign(decision.sign))
            checkAgeBand(decision.sign);
        break;
    case SuggestionRoute::AlreadyEntered:
        break;
    }
}

void SuggestionFlow::openCaseFor(const QString& sign, const QString& question, bool otherSex)
{
    const DialogButton answer =
        messages_.show(DialogType::Confirmation, question, {DialogButton::Yes, DialogButton::No});
    if (answer == DialogButton::No && hooks_.focusSignEntry)
        hooks_.focusSignEntry();
    if (answer != DialogButton::Yes)
        return;
    if (!session_.state().SCList.isEmpty()) {
        const DialogButton save = messages_.show(DialogType::Confirmation, msg::SaveAnalysisQuestion,
                                                 {DialogButton::Yes, DialogButton::No});
        if (save == DialogButton::Yes) {
            if (caseFiles_)
                caseFiles_->saveCase();
        } else if (save == DialogButton::No) {
            if (caseFiles_)
                caseFiles_->clearAll();
        } else {
            return;
        }
    } else if (caseFiles_) {
        caseFiles_->clearAll();
    }
    engine::Patient initial = session_.patient();
    if (otherSex)
        initial.sex = initial.sex == u'f' ? u'h' : u'f';
    enterAfterNewPatient(sign, initial);
}

void SuggestionFlow::enterAfterNewPatient(const QString& sign, const engine::Patient& initial)
{
    dialogs::PatientSheetDialog sheet(initial, window_);
    dialogs::centreOn(sheet, window_);
    if (modals_.run(sheet) != QDialog::Accepted)
        return;
    if (hooks_.startCaseFor)
        hooks_.startCaseFor(sheet.patient());
    // The new case offers the sign when the physician chose the sex or age band it needs; when
    // not, it goes through the same validation again.
    validateSuggestion(sign, false);
}

void SuggestionFlow::checkAgeBand(const QString& sign)
{
    if (!hooks_.diagnoses || !hooks_.diagnoses().isEmpty())
        return;
    if (messages_.show(DialogType::Confirmation, msg::ChangeAgeBand, {DialogButton::Ok}) != DialogButton::Ok)
        return;
    if (caseFiles_) {
        caseFiles_->renewCaseEntry();
        caseFiles_->clearAll();
    }
    // As the other flows that open the sheet: its OK enters the sign in the new case.
    enterAfterNewPatient(sign, session_.patient());
}

void SuggestionFlow::searchExam()
{
    const auto search = [this](const QString& text) {
        try {
            return recognition::Recognize(query_, QStringLiteral("EC"), text, session_.state().PatientSex,
                                          session_.state().PatientAgeBand)
                .candidates;
        } catch (const kb::DbError& e) {
            messages_.error(e.message());
            return QStringList();
        }
    };
    dialogs::ExamSearchDialog dialog(search, window_);
    dialogs::centreOn(dialog, window_);
    if (modals_.run(dialog) != QDialog::Accepted || dialog.chosen().isEmpty())
        return;
    const QString line = dialog.chosen();
    QString sex;
    QString ages;
    try {
        query_.open(QStringLiteral("select * from ec where s = ?"), {line});
        if (!query_.eof()) {
            sex = query_.field(QStringLiteral("x"));
            ages = query_.field(QStringLiteral("a"));
        }
        query_.close();
    } catch (const kb::DbError& e) {
        messages_.error(e.message());
        return;
    }
    const engine::Patient& patient = session_.patient();
    // A line refused here is not kept as the pending line: the next validation enters only what
    // the physician sees.
    if (!sex.isEmpty() && sex != QString(patient.sex)) {
        messages_.message(SexMismatch);
        return;
    }
    if (!ages.isEmpty() && (patient.ageBand.isEmpty() || !ages.contains(patient.ageBand))) {
        messages_.message(AgeMismatch);
        return;
    }
    if (hooks_.enterExamLine)
        hooks_.enterExamLine(line);
}

} // namespace vardelo::app
