#include "app/CaseFileActions.h"

#include "app/MessageInterface.h"
#include "app/MessageTexts.h"
#include "case/CaseModel.h"
#include "casefiles/CaseFileStore.h"
#include "casefiles/ParallelAnalyses.h"
#include "engine/CaseSession.h"
#include "panels/CaseBar.h"
#include "platform/Desktop.h"
#include "platform/Folders.h"

#include <QDateTime>
#include <QTimer>

namespace vardelo::app {

using casefiles::CaseContent;

namespace {

const QString CasesFolder = QStringLiteral("Diagnostics");

// Holds evaluations back from being written into the current analysis while a case or an analysis
// is loaded, or while the analyses are tried for an entry.
class BusyScope {
public:
    explicit BusyScope(int& busy)
        : busy_(busy)
    {
        ++busy_;
    }
    ~BusyScope() { --busy_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    int& busy_;
};

} // namespace

struct CaseFileActions::Private {
    Private(engine::CaseSession& s, kb::Connection& connection, panels::CaseBar& b, MessageInterface& m,
            platform::Desktop& d)
        : session(s)
        , store(connection)
        , parallel(connection)
        , bar(b)
        , messages(m)
        , desktop(d)
    {}

    engine::CaseSession& session;
    casefiles::CaseFileStore store;
    casefiles::ParallelAnalyses parallel;
    panels::CaseBar& bar;
    MessageInterface& messages;
    platform::Desktop& desktop;
    WindowHooks hooks;

    // The patient as last confirmed in the patient sheet: a fresh case starts from it, whatever
    // case file was opened since.
    engine::Patient sheetPatient;
    QString newCaseEntry;    // entry 0 of the list
    QStringList savedCases;  // the other entries, newest first
    QString currentId;       // the current case: newCaseEntry, or a saved case file
    bool saved = false;      // the current case is a saved case file
    QStringList analyses;    // the analyses of the current case
    QString currentAnalysis; // the selected one; empty when the case is not split
    int busy = 0;
    bool branching = false;

    CaseContent content() const
    {
        const model::CaseState& state = session.state();
        CaseContent c;
        c.sex = state.PatientSex;
        c.ageBand = state.PatientAgeBand;
        c.signs = state.SCList;
        c.exams = state.EC_List;
        c.retained = session.retainedDiagnosis();
        c.notesRtf = session.notesRtf();
        return c;
    }

    // A name for a new case under that patient name, distinct from every case file and analysis.
    QString freshName(const QString& patientName)
    {
        const QDateTime now = QDateTime::currentDateTime();
        QString error;
        if (const std::optional<QString> name = store.newCaseName(patientName, now, &error))
            return *name;
        messages.error(error);
        return casefiles::caseName(patientName, now);
    }

    void reloadList()
    {
        QString error;
        const std::optional<QStringList> names = store.list(&error);
        if (!names) {
            messages.error(error);
            return;
        }
        savedCases = *names;
        if (saved && !savedCases.contains(currentId)) {
            // Deleted elsewhere: the case on screen is an unsaved case again, under its name.
            saved = false;
            newCaseEntry = currentId;
        }
    }

    void showList()
    {
        const int selected = saved ? int(savedCases.indexOf(currentId)) + 1 : 0;
        bar.showCases(newCaseEntry, savedCases, selected);
    }

    void showAnalyses() { bar.showAnalyses(analyses, int(analyses.indexOf(currentAnalysis))); }

    void evaluate()
    {
        session.evaluateCase(session.isEmpty() ? engine::EvaluationMode::RefreshOffers
                                               : engine::EvaluationMode::Rank);
    }

    // Makes the content the case on screen, with its patient and retained diagnosis, and ranks it.
    void restore(const CaseContent& c)
    {
        BusyScope scope(busy);
        engine::Patient patient = session.patient();
        // A stored sex other than "h" or "f" leaves the patient's as it is.
        if (c.sex == u'h' || c.sex == u'f')
            patient.sex = c.sex;
        patient.ageBand = c.ageBand;
        session.setPatient(patient);
        session.setFormula(c.signs);
        session.setExamLines(c.exams);
        session.setNotesRtf(c.notesRtf);
        session.setRetainedDiagnosis(c.retained);
        session.keepRetainedDiagnosisOnce(true);
        evaluate();
        if (hooks.caseLoaded)
            hooks.caseLoaded();
    }

    // Only the entries and notes; the patient stays as on screen.
    void loadEntries(const CaseContent& c)
    {
        session.setFormula(c.signs);
        session.setExamLines(c.exams);
        session.setNotesRtf(c.notesRtf);
        if (hooks.caseLoaded)
            hooks.caseLoaded();
    }
};

CaseFileActions::CaseFileActions(engine::CaseSession& session, kb::Connection& connection,
                                 panels::CaseBar& caseBar, MessageInterface& messages,
                                 platform::Desktop& desktop, QObject* parent)
    : QObject(parent)
    , d_(std::make_unique<Private>(session, connection, caseBar, messages, desktop))
{
    d_->sheetPatient = session.patient();
    d_->newCaseEntry = d_->freshName(d_->sheetPatient.name);
    d_->currentId = d_->newCaseEntry;
    d_->reloadList();
    d_->showList();
    d_->showAnalyses();

    connect(&caseBar, &panels::CaseBar::clearAllRequested, this, &CaseFileActions::clearAll);
    connect(&caseBar, &panels::CaseBar::caseChosen, this, &CaseFileActions::openEntry);
    connect(&caseBar, &panels::CaseBar::caseListFocused, this, &CaseFileActions::offerToSave);
    connect(&caseBar, &panels::CaseBar::analysisChosen, this, &CaseFileActions::switchAnalysis);
    connect(&caseBar, &panels::CaseBar::deleteAnalysisRequested, this, &CaseFileActions::deleteAnalysis);
    connect(&session, &engine::CaseSession::cleared, this, &CaseFileActions::onCleared);
    connect(&session, &engine::CaseSession::evaluated, this, &CaseFileActions::onEvaluated);
    connect(&session, &engine::CaseSession::examLineOutsideOffers, this,
            [this](const QString& line) { branchForExamLine(line); });
}

CaseFileActions::~CaseFileActions() = default;

void CaseFileActions::setWindowHooks(WindowHooks hooks)
{
    d_->hooks = std::move(hooks);
}

QString CaseFileActions::currentCaseName() const
{
    return d_->currentId;
}

bool CaseFileActions::currentCaseIsSaved() const
{
    return d_->saved;
}

QStringList CaseFileActions::analyses() const
{
    return d_->analyses;
}

QString CaseFileActions::currentAnalysis() const
{
    return d_->currentAnalysis;
}

void CaseFileActions::newCase()
{
    if (d_->hooks.askPatient)
        d_->hooks.askPatient();
}

bool CaseFileActions::saveCase()
{
    Private& d = *d_;
    if (d.session.isEmpty()) {
        d.messages.message(casefiles::NothingToSaveMessage);
        return false;
    }
    casefiles::CaseFileStore::SaveRequest request;
    request.id = d.currentId;
    request.isNew = !d.saved;
    request.content = d.content();
    request.currentAnalysis = d.currentAnalysis;
    const casefiles::CaseFileStore::SaveResult result = d.store.save(request);
    if (!result.error.isEmpty()) {
        d.messages.error(result.error);
        return false;
    }
    if (!d.saved) {
        // The saved case stays on screen as the open case file; the next new case has no name yet.
        d.saved = true;
        d.currentId = result.savedAs;
        d.sheetPatient.name = casefiles::DefaultPatientName;
        engine::Patient patient = d.session.patient();
        patient.name = casefiles::DefaultPatientName;
        d.session.setPatient(patient);
        d.newCaseEntry = d.freshName(casefiles::DefaultPatientName);
    }
    d.reloadList();
    d.showList();
    return true;
}

void CaseFileActions::deleteCase()
{
    Private& d = *d_;
    if (!d.saved) {
        d.messages.message(casefiles::NotSavedMessage);
        return;
    }
    if (d.messages.show(DialogType::Confirmation, casefiles::DeleteQuestion,
                        {DialogButton::Ok, DialogButton::Cancel}) != DialogButton::Ok)
        return;
    const casefiles::Outcome outcome = d.store.remove(d.currentId);
    if (!outcome.ok()) {
        if (outcome.error == casefiles::NotSavedMessage)
            d.messages.show(DialogType::Warning, outcome.error, {DialogButton::Ok});
        else
            d.messages.error(outcome.error);
        d.reloadList();
        d.showList();
        return;
    }
    d.saved = false;
    d.sheetPatient.name = casefiles::DefaultPatientName;
    openEntry(0);
    if (d.hooks.showSignsPage)
        d.hooks.showSignsPage();
}

void CaseFileActions::deleteAllCases()
{
    Private& d = *d_;
    d.reloadList();
    if (d.savedCases.isEmpty()) {
        d.messages.message(casefiles::NothingToDeleteMessage);
        return;
    }
    if (d.messages.show(DialogType::Confirmation, casefiles::DeleteAllQuestion,
                        {DialogButton::Ok, DialogButton::Cancel}) != DialogButton::Ok)
        return;
    const casefiles::Outcome outcome = d.store.removeAll();
    if (!outcome.ok()) {
        if (outcome.error == casefiles::NothingToDeleteMessage)
            d.messages.message(outcome.error);
        else
            d.messages.error(outcome.error);
        d.reloadList();
        d.showList();
        return;
    }
    // Every analysis went too, also those of the unsaved case on screen.
    d.saved = false;
    d.analyses.clear();
    d.currentAnalysis.clear();
    d.sheetPatient.name = casefiles::DefaultPatientName;
    openEntry(0);
    if (d.hooks.showSignsPage)
        d.hooks.showSignsPage();
}

void CaseFileActions::clearAll()
{
    if (d_->hooks.focusAfterClear)
        d_->hooks.focusAfterClear();
    // The case-file list and the analyses follow in onCleared(), before the empty case is evaluated.
    d_->session.clear();
}

void CaseFileActions::onCleared()
{
    Private& d = *d_;
    d.analyses.clear();
    d.currentAnalysis.clear();
    d.showAnalyses();
    d.saved = false;
    d.newCaseEntry = d.freshName(d.sheetPatient.name);
    d.currentId = d.newCaseEntry;
    d.reloadList();
    d.showList();
}

void CaseFileActions::startCaseForPatient()
{
    d_->sheetPatient = d_->session.patient();
    clearAll();
}

void CaseFileActions::renewCaseEntry()
{
    Private& d = *d_;
    d.newCaseEntry = d.freshName(casefiles::patientNameOf(d.currentId));
    d.currentId = d.newCaseEntry;
    d.saved = false;
    d.showList();
}

void CaseFileActions::openCasesFolder()
{
    const QString folder = platform::ensureDocumentsSubfolder(CasesFolder);
    if (!d_->desktop.openFolder(folder))
        d_->messages.error(FolderUnavailable.arg(folder));
}

void CaseFileActions::openEntry(int index)
{
    Private& d = *d_;
    if (index <= 0) {
        // A fresh case for the patient of the sheet: what was not saved is dropped.
        d.session.setPatient(d.sheetPatient);
        startCaseForPatient();
        return;
    }
    const QString id = d.savedCases.value(index - 1);
    QString error;
    const std::optional<casefiles::OpenedCase> opened = d.store.open(id, &error);
    if (!opened) {
        d.messages.error(error);
        d.reloadList();
        d.showList();
        return;
    }
    d.saved = true;
    d.currentId = id;
    d.analyses = opened->analyses;
    d.currentAnalysis = d.analyses.isEmpty() ? QString() : d.analyses.last();
    d.showList();
    d.showAnalyses();
    d.restore(opened->content);
}

void CaseFileActions::offerToSave()
{
    Private& d = *d_;
    if (d.saved || d.session.state().SCList.isEmpty())
        return;
    if (d.messages.show(DialogType::Confirmation, casefiles::OfferToSaveQuestion,
                        {DialogButton::Yes, DialogButton::No}) == DialogButton::Yes)
        saveCase();
    else
        clearAll();
}

void CaseFileActions::switchAnalysis(int index)
{
    Private& d = *d_;
    if (index < 0 || index >= d.analyses.size())
        return;
    // What was done in the analysis being left since its last evaluation (notes, the retained
    // diagnosis) is kept.
    const casefiles::Outcome kept = d.parallel.writeBack(d.currentId, d.currentAnalysis, d.content(), true);
    if (!kept.ok()) {
        d.messages.error(kept.error);
        d.showAnalyses();
        return;
    }
    const QString name = d.analyses.at(index);
    QString error;
    const std::optional<CaseContent> content = d.parallel.load(d.currentId, name, &error);
    if (!content) {
        d.messages.error(error.isEmpty() ? QStringLiteral("L'analyse « %1 » n'existe plus.").arg(name)
                                         : error);
        d.showAnalyses();
        return;
    }
    d.currentAnalysis = name;
    d.showAnalyses();
    d.restore(*content);
}

void CaseFileActions::deleteAnalysis()
{
    Private& d = *d_;
    if (d.currentAnalysis.isEmpty())
        return;
    const casefiles::ParallelAnalyses::RemoveResult result =
        d.parallel.remove(d.currentId, d.analyses, d.currentAnalysis);
    if (!result.error.isEmpty()) {
        d.messages.error(result.error);
        return;
    }
    d.analyses = result.analyses;
    d.currentAnalysis = d.analyses.value(0);
    d.showAnalyses();
    if (result.becomes)
        d.restore(*result.becomes);
}

void CaseFileActions::onEvaluated(const engine::EvaluationResult& result)
{
    Private& d = *d_;
    if (d.busy > 0 || result.failed || d.currentAnalysis.isEmpty())
        return;
    if (d.session.isEmpty()) {
        // The last entry of the analysis was removed: the analysis goes, once this evaluation has
        // reached every view.
        QTimer::singleShot(0, this, [this, id = d.currentId, analysis = d.currentAnalysis] {
            if (d_->currentId == id && d_->currentAnalysis == analysis && d_->session.isEmpty())
                deleteAnalysis();
        });
        return;
    }
    const casefiles::Outcome written =
        d.parallel.writeBack(d.currentId, d.currentAnalysis, d.content(), false);
    if (!written.ok())
        d.messages.error(written.error);
}

bool CaseFileActions::branchForSign(const QString& sign)
{
    return branch(sign, true);
}

bool CaseFileActions::branchForExamLine(const QString& line)
{
    return branch(line, false);
}

bool CaseFileActions::branch(const QString& entryText, bool sign)
{
    Private& d = *d_;
    // Validating the entry inside the flow must not start the flow again.
    if (d.branching || entryText.isEmpty())
        return false;
    const QString entry = entryText; // the caller's text may live in the case being changed
    const auto focusEntry = [&d, sign] {
        const std::function<void()>& focus = sign ? d.hooks.focusSignEntry : d.hooks.focusExamEntry;
        if (focus)
            focus();
    };
    if (d.messages.show(DialogType::Confirmation, casefiles::BranchQuestion,
                        {DialogButton::Yes, DialogButton::No}) != DialogButton::Yes) {
        focusEntry();
        return false;
    }
    d.branching = true;
    const CaseContent current = d.content();
    const QString analysisBefore = d.currentAnalysis;
    casefiles::ParallelAnalyses::BranchResult result;
    {
        BusyScope scope(d.busy);
        // An analysis takes the entry when its own evaluation offers it.
        const auto offers = [&d, &entry, sign](const CaseContent& tried) {
            d.loadEntries(tried);
            d.evaluate();
            const model::CaseState& state = d.session.state();
            return sign ? state.CandidateSigns.contains(entry) : state.CandidateExamLines.contains(entry);
        };
        result = sign ? d.parallel.branchForSign(d.currentId, d.analyses, current, entry, offers)
                      : d.parallel.branchForExamLine(d.currentId, d.analyses, current, entry, offers);
    }
    if (!result.error.isEmpty() || result.selected < 0) {
        d.branching = false;
        d.messages.error(result.error.isEmpty()
                             ? QStringLiteral("L'analyse parallèle n'a pas pu être ouverte.")
                             : result.error);
        // The case comes back as it was; a first analysis made of it before the failure stays.
        d.analyses = result.analyses;
        d.currentAnalysis = analysisBefore.isEmpty() ? d.analyses.value(0) : analysisBefore;
        d.showAnalyses();
        d.restore(current);
        focusEntry();
        return false;
    }
    d.analyses = result.analyses;
    d.currentAnalysis = d.analyses.at(result.selected);
    d.showAnalyses();
    {
        BusyScope scope(d.busy);
        if (result.created) {
            // A new analysis starts empty; the case file and the analysis list stay.
            d.session.setFormula({});
            d.session.setExamLines({});
            d.session.setNotesRtf(QString());
        } else {
            d.loadEntries(result.load);
        }
    }
    bool entered = false;
    if (sign) {
        focusEntry();
        entered = d.session.addSign(entry);
    } else {
        entered = enterExamLine(entry);
        focusEntry();
    }
    if (d.hooks.caseLoaded)
        d.hooks.caseLoaded();
    d.branching = false;
    return entered;
}

bool CaseFileActions::enterExamLine(const QString& line)
{
    engine::CaseSession& session = d_->session;
    session.setPendingExamLine(line);
    if (session.state().CandidateExamLines.contains(line))
        return session.addPendingExamLine();
    // The first line of a new analysis: nothing offers it yet, it starts the analysis.
    QStringList lines = session.state().EC_List;
    if (lines.isEmpty() || !model::isExamOperator(lines.last()))
        lines.append(model::token::And);
    lines.append(line);
    session.setExamLines(lines);
    session.evaluateCase(engine::EvaluationMode::Rank);
    return true;
}

} // namespace vardelo::app
