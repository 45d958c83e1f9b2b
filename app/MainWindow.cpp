#include "app/MainWindow.h"

#include "app/Appearance.h"
#include "app/CaseFileActions.h"
#include "app/DocumentationCommands.h"
#include "app/InterrogationFlow.h"
#include "app/MainActions.h"
#include "app/MessageTexts.h"
#include "app/ReportActions.h"
#include "app/SuggestionFlow.h"
#include "app/TrainingCommands.h"
#include "casefiles/ParallelAnalyses.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/PatientSheetDialog.h"
#include "engine/PatientCaptions.h"
#include "kb/Schema.h"
#include "panels/CaseBar.h"
#include "panels/DiagnosisPanel.h"
#include "panels/ExamEntryPanel.h"
#include "panels/NotesPanel.h"
#include "panels/PathologyPanel.h"
#include "panels/PatientBanner.h"
#include "panels/SignEntryPanel.h"
#include "platform/Deployment.h"
#include "platform/Folders.h"
#include "platform/Network.h"
#include "platform/TextFile.h"
#include "training/Learning.h"
#include "widgets/GradientPanel.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace vardelo::app {

namespace {

const QString CasesFolder = QStringLiteral("Diagnostics");
const QString NotesFolder = QStringLiteral("Notes");

// The size of the window's workspace on a screen that has room for it; it grows with the window.
constexpr QSize DefaultWorkspaceSize(620, 646);
constexpr int DefaultEntryPagesHeight = 298;
// The window's font as the physician's screens know it, 13 pixels high.
const QString WindowFontFamily = QStringLiteral("MS Sans Serif");
constexpr int WindowFontPixels = 13;

// The entry pages keep their height when the window grows: the diagnosis list takes the room.
class EntryTabs : public QTabWidget {
public:
    using QTabWidget::QTabWidget;
    QSize sizeHint() const override { return {QTabWidget::sizeHint().width(), DefaultEntryPagesHeight}; }
};

} // namespace

MainWindow::MainWindow(const Environment& environment, const kb::KbVersion& version, QWidget* parent)
    : QMainWindow(parent)
    , env_(environment)
    , version_(version)
    , actions_(new MainActions(*this))
{
    setObjectName(QStringLiteral("mainWindow"));
    // The window's font, with the metric-compatible face where the system lacks it.
    QFont::insertSubstitution(WindowFontFamily, QStringLiteral("Liberation Sans"));
    QFont font(WindowFontFamily);
    font.setPixelSize(WindowFontPixels);
    setFont(font);
    auto* workspace = new widgets::GradientPanel(this);
    workspace->setObjectName(QStringLiteral("workspace"));
    workspace->setColors(QApplication::palette().color(QPalette::Dark), widgets::colorFromBgr(0x00D7D7D7));
    setCentralWidget(workspace);
    connectActions();
}

MainWindow::~MainWindow()
{
    // The case-file commands go before the case document and the database they work on.
    delete caseFiles_;
}

void MainWindow::buildPanels()
{
    caseBar_ = new panels::CaseBar;
    patientBanner_ = new panels::PatientBanner(*session_);
    entryTabs_ = new EntryTabs;
    entryTabs_->setObjectName(QStringLiteral("entryTabs"));
    entryTabs_->setUsesScrollButtons(false);
    entryTabs_->tabBar()->setExpanding(false);
    // No caption is ever cut: the window is as wide as the tabs need.
    entryTabs_->setElideMode(Qt::ElideNone);
    entryTabs_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    signsPage_ = new panels::SignEntryPanel(*session_);
    examsPage_ = new panels::ExamEntryPanel(*session_);
    notesPage_ = new panels::NotesPanel(*session_);
    pathologyPage_ =
        new panels::PathologyPanel(*query_, *session_, platform::ensureDocumentsSubfolder(NotesFolder));
    entryTabs_->addTab(signsPage_, engine::CaptionSigns);
    entryTabs_->addTab(examsPage_, engine::CaptionExams);
    entryTabs_->addTab(notesPage_, engine::CaptionNotes);
    entryTabs_->addTab(pathologyPage_, engine::CaptionPathologies);
    diagnosisPanel_ = new panels::DiagnosisPanel(*session_);

    auto* top = new QHBoxLayout;
    top->setSpacing(5);
    top->addWidget(caseBar_, 1);
    top->addWidget(patientBanner_);
    auto* layout = new QVBoxLayout(centralWidget());
    layout->setContentsMargins(7, 7, 16, 6);
    layout->setSpacing(6);
    layout->addLayout(top);
    layout->addWidget(entryTabs_);
    layout->addWidget(diagnosisPanel_, 1);

    connect(entryTabs_, &QTabWidget::currentChanged, this, &MainWindow::onPageShown);
    connect(signsPage_, &panels::SignEntryPanel::clearAllRequested, this, &MainWindow::clearCase);
    connect(examsPage_, &panels::ExamEntryPanel::clearAllRequested, this, &MainWindow::clearCase);
    connect(patientBanner_, &panels::PatientBanner::clicked, this, &MainWindow::startNewCase);
    const auto showError = [this](const QString& text) { messages().error(text); };
    connect(pathologyPage_, &panels::PathologyPanel::databaseError, this, showError);
    connect(pathologyPage_, &panels::PathologyPanel::errorRaised, this, showError);
    connect(notesPage_, &panels::NotesPanel::captionChanged, this, [this](const QString& caption) {
        entryTabs_->setTabText(entryTabs_->indexOf(notesPage_), caption);
    });
    new DocumentationCommands(
        *actions_, {diagnosisPanel_, pathologyPage_, signsPage_, examsPage_}, messages(), *env_.desktop,
        [this](QWidget* page) { showPage(page); }, this);
    connect(session_.get(), &engine::CaseSession::warning, this,
            [this](const QString& text) { messages().message(text); });
    connect(session_.get(), &engine::CaseSession::evaluated, this, &MainWindow::onEvaluated);
    connect(diagnosisPanel_, &panels::DiagnosisPanel::learningRequested, this,
            [this] { learnFromCase(this, *session_, learningFile(), messages()); });
    connect(session_.get(), &engine::CaseSession::rankingModeChanged, this, [this] {
        if (currentPage() == pathologyPage_)
            entryTabs_->setCurrentWidget(signsPage_);
    });

    caseFiles_ = new CaseFileActions(*session_, *connection_, *caseBar_, messages(), *env_.desktop, this);
    CaseFileActions::WindowHooks hooks;
    hooks.askPatient = [this] { startNewCase(); };
    hooks.focusAfterClear = [this] { focusAfterClear(); };
    hooks.showSignsPage = [this] { showPage(signsPage_); };
    hooks.focusSignEntry = [this] { signsPage_->focusEntry(); };
    hooks.focusExamEntry = [this] { examsPage_->focusEntry(); };
    hooks.caseLoaded = [this] { signsPage_->formulaLoaded(); };
    caseFiles_->setWindowHooks(std::move(hooks));
    MainActions& a = *actions_;
    connect(a.newCaseAction, &QAction::triggered, caseFiles_, &CaseFileActions::newCase);
    connect(a.saveCaseAction, &QAction::triggered, caseFiles_, &CaseFileActions::saveCase);
    connect(a.deleteCaseAction, &QAction::triggered, caseFiles_, &CaseFileActions::deleteCase);
    connect(a.openCasesFolderAction, &QAction::triggered, caseFiles_, &CaseFileActions::openCasesFolder);
    connect(a.deleteAllCasesAction, &QAction::triggered, caseFiles_, &CaseFileActions::deleteAllCases);
    wireDialogue();

    // Today's size where the screen has room for it, the screen's room otherwise, centred on it.
    QSize size = DefaultWorkspaceSize + QSize(0, menuBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize room = screen->availableSize() - QSize(16, 48); // the window frame and title
        size = size.boundedTo(room).expandedTo(minimumSizeHint());
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, screen->availableGeometry()));
    } else {
        resize(size);
    }
    connectReport();
}

void MainWindow::connectReport()
{
    reportActions_ = new ReportActions(*this, *query_, *session_, messages(), *env_.desktop, [this] {
        report::ReportContent c;
        c.kbVersion = version_.display;
        c.caseName = caseBar_->caseTitle();
        c.sexCaption = engine::sexCaption(session_->patient().sex);
        c.ageCaption = engine::ageBandCaption(session_->patient().ageBand);
        c.notesRtf = session_->notesRtf();
        c.signFormula = session_->state().SCList;
        c.examLines = session_->state().EC_List;
        c.analysisName = caseBar_->analysisName();
        c.percentCaption = diagnosisPanel_->columnCaption(0);
        c.diagnosesCaption = diagnosisPanel_->columnCaption(1);
        c.rankingCaption = diagnosisPanel_->rankingText();
        c.rows = diagnosisPanel_->displayedRows();
        c.retainedDiagnosis = session_->retainedDiagnosis();
        return c;
    });
    connect(diagnosisPanel_, &panels::DiagnosisPanel::reportRequested, reportActions_,
            &ReportActions::writeReport);
}

void MainWindow::wireDialogue()
{
    dialogs::ModalRunner& modals = env_.modals ? *env_.modals : execRunner_;
    const auto enterSign = [this](const QString& sign, const QString& op) {
        signsPage_->enterSign(sign, op);
    };
    const auto diagnoses = [this] { return diagnosisPanel_->shownDiagnoses(); };

    suggestions_ = new SuggestionFlow(*session_, *query_, messages(), modals, this, this);
    suggestions_->setCaseFiles(caseFiles_);
    SuggestionFlow::Hooks hooks;
    hooks.enterSign = enterSign;
    hooks.validateEntryText = [this](const QString& text) {
        signsPage_->setEntryText(text);
        signsPage_->validate();
    };
    hooks.clearSignEntry = [this] { signsPage_->clearEntry(); };
    hooks.focusSignEntry = [this] { signsPage_->focusEntry(); };
    hooks.startCaseFor = [this](const engine::Patient& patient) { applyPatient(patient); };
    hooks.diagnoses = diagnoses;
    hooks.enterExamLine = [this](const QString& line) { examsPage_->enterFoundLine(line); };
    suggestions_->setHooks(std::move(hooks));
    connect(signsPage_, &panels::SignEntryPanel::unmatchedTextTyped, suggestions_,
            &SuggestionFlow::continueInFreeEntry);
    connect(signsPage_, &panels::SignEntryPanel::freeTextSubmitted, suggestions_, &SuggestionFlow::recognize);
    connect(examsPage_, &panels::ExamEntryPanel::examSearchRequested, suggestions_,
            &SuggestionFlow::searchExam);

    interrogation_ = new InterrogationFlow(*session_, *query_, messages(), modals, this, this);
    InterrogationFlow::Hooks steps;
    steps.showSignsPage = [this] { entryTabs_->setCurrentWidget(signsPage_); };
    steps.diagnoses = diagnoses;
    steps.enterSign = enterSign;
    steps.showExams = [this] {
        entryTabs_->setCurrentWidget(examsPage_);
        examsPage_->openExamList();
    };
    interrogation_->setHooks(std::move(steps));
    connect(actions_->interrogationModeAction, &QAction::triggered, interrogation_, &InterrogationFlow::run);
    connect(signsPage_, &panels::SignEntryPanel::interrogationRequested, interrogation_,
            &InterrogationFlow::run);
}

void MainWindow::connectActions()
{
    MainActions& a = *actions_;
    connect(a.focusEntryAction, &QAction::triggered, this, &MainWindow::focusEntry);
    connect(a.focusDiagnosesAction, &QAction::triggered, this, [this] {
        if (diagnosisPanel_)
            diagnosisPanel_->focusList();
    });
    connect(a.andAction, &QAction::triggered, this, [this] {
        if (currentPage() == signsPage_)
            signsPage_->enterOperator(model::token::And);
    });
    connect(a.notAction, &QAction::triggered, this, [this] {
        if (currentPage() == signsPage_)
            signsPage_->enterOperator(model::token::Not);
        else if (currentPage() == examsPage_)
            examsPage_->negateNextLine();
    });
    connect(a.orAction, &QAction::triggered, this, [this] {
        if (currentPage() == signsPage_)
            signsPage_->enterOperator(model::token::Or);
    });
    connect(a.showSignsAction, &QAction::triggered, this, [this] { showPage(signsPage_); });
    connect(a.showExamsAction, &QAction::triggered, this, [this] { showPage(examsPage_); });
    connect(a.showNotesAction, &QAction::triggered, this, [this] { showPage(notesPage_); });
    connect(a.showPathologiesAction, &QAction::triggered, this, [this] { showPage(pathologyPage_); });
    connect(a.styleActions, &QActionGroup::triggered, this,
            [this](QAction* item) { chooseStyle(item->data().toString()); });
    connect(a.exportAction, &QAction::triggered, this, [this] {
        if (reportActions_)
            reportActions_->showExportDialog();
    });
    connect(a.aboutAction, &QAction::triggered, this, &MainWindow::showAbout);
    connect(a.clinicalCasesAction, &QAction::triggered, this, [this] {
        if (query_)
            openClinicalCases(this, *query_, random_, messages());
    });
    connect(a.helpAction, &QAction::triggered, this, &MainWindow::openHelp);
}

void MainWindow::requestEnd()
{
    endRequested_ = true;
    // Ends the message loop once the current event is done; the windows then go without their close events.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

QString MainWindow::welcomeText()
{
    if (remoteVersion_.isEmpty())
        versionStatus_ = NoConnectionStatus;
    else if (remoteVersion_ == version_.display)
        versionStatus_ = UpToDateStatus;
    else
        versionStatus_ =
            QStringLiteral("[Une nouvelle version ") + remoteVersion_ + QStringLiteral(" est disponible]");
    const QString crlf = QStringLiteral("\r\n");
    return ProductName + QStringLiteral(" Version ") + version_.display + crlf + Tagline + crlf +
           versionStatus_ + crlf + crlf + QStringLiteral("Programmation du logiciel") + crlf +
           QStringLiteral("et conception de la base de connaissance par :") + crlf +
           platform::deployment::Author + crlf + crlf + platform::deployment::WebSite + crlf + crlf +
           QStringLiteral("Date de publication de cette version : ") + PublicationDate;
}

void MainWindow::start()
{
    remoteVersion_ = platform::getContent(env_.versionUrl, env_.networkTimeoutMs);
    actions_->checkStyle(appearance_);
    platform::ensureDocumentsSubfolder(CasesFolder);
    platform::ensureDocumentsSubfolder(NotesFolder);
    setWindowTitle(ProductName + u' ' + version_.display);

    if (version_.raw != kb::ExpectedKBVersionRaw) {
        messages().show(DialogType::Error, IncompatibleVersion, {DialogButton::Ok});
        requestEnd();
        return;
    }
    try {
        connection_ = std::make_unique<kb::Connection>(env_.workingFile(QStringLiteral("Data.vdat")),
                                                       kb::Connection::Mode::ReadWrite);
    } catch (const kb::DbError& e) {
        messages().error(e.message());
        requestEnd();
        return;
    }
    query_ = std::make_unique<kb::Query>(*connection_);
    session_ = std::make_unique<engine::CaseSession>(*query_);
    if (const auto lines = platform::readTextLines(learningFile()))
        session_->setLearningList(*lines);
    buildPanels();

    if (messages().show(DialogType::Information, welcomeText(), {DialogButton::Ok}) == DialogButton::Ok) {
        session_->setWelcomeAccepted(true);
        session_->evaluateCase(engine::EvaluationMode::RefreshOffers);
    } else {
        requestEnd();
        actions_->removeMenus();
    }
    pathologyPage_->showPathologyNames();

    if (!remoteVersion_.isEmpty() && remoteVersion_ != version_.display) {
        const QString updater = env_.workingFile(QStringLiteral("Update.exe"));
        if (QFileInfo::exists(updater)) {
            // The updater reads the new version from this file.
            if (platform::writeText(env_.workingFile(QStringLiteral("Update.tmp")), remoteVersion_) &&
                env_.desktop->startProgram(updater, {}, env_.workingDir))
                requestEnd();
        } else {
            messages().show(DialogType::Error, UpdaterMissing, {DialogButton::Ok});
        }
    }
}

void MainWindow::onFirstShow()
{
    if (!session_)
        return;
    session_->evaluateCase(engine::EvaluationMode::RefreshOffers);
    if (session_->state().CandidateSigns.size() == 0) {
        requestEnd();
        return;
    }
}

void MainWindow::onFirstActivation()
{
    if (!newCaseOnFirstActivation_ || endRequested_)
        return;
    newCaseOnFirstActivation_ = false;
    startNewCase();
}

bool MainWindow::event(QEvent* e)
{
    if (e->type() == QEvent::Show && !shown_) {
        shown_ = true;
        onFirstShow();
    } else if (e->type() == QEvent::WindowActivate && newCaseOnFirstActivation_) {
        // After the activation itself: the patient sheet it opens is modal.
        QTimer::singleShot(0, this, &MainWindow::onFirstActivation);
    }
    return QMainWindow::event(e);
}

void MainWindow::closeEvent(QCloseEvent* e)
{
    saveStateOnExit(true);
    e->accept();
}

void MainWindow::saveStateOnExit(bool farewell)
{
    if (session_ && !session_->learningList().isEmpty()) {
        QString error;
        if (!platform::writeTextLines(learningFile(), session_->learningList(), &error))
            messages().error(error);
    }
    if (query_) {
        try {
            for (const QString& key : {kb::prm::Name, kb::prm::Sex, kb::prm::Age}) {
                query_->open(QStringLiteral("select * from Prm where T = ?"), {key});
                if (query_->eof())
                    continue;
                query_->edit();
                query_->setField(QStringLiteral("V"), QString());
                query_->post();
            }
        } catch (const kb::DbError& e) {
            messages().error(e.message());
        }
        if (const casefiles::Outcome purged = casefiles::ParallelAnalyses(*connection_).purgeUnconfirmed();
            !purged.ok())
            messages().error(purged.error);
    }
    if (farewell)
        messages().message(FarewellMessage);
}

void MainWindow::startNewCase()
{
    if (!session_)
        return;
    QString handedOverName;
    engine::Patient handedOver = session_->patient();
    try {
        // A patient handed over by another program is taken without the physician's action; a
        // value other than the known codes leaves that part of the patient as it is.
        auto parameter = [this](const QString& key) {
            query_->open(QStringLiteral("select * from Prm where T = ?"), {key});
            return query_->eof() ? QString() : query_->field(QStringLiteral("V"));
        };
        const QString sex = parameter(kb::prm::Sex);
        if (sex == u"h" || sex == u"f")
            handedOver.sex = sex.at(0);
        const QString age = parameter(kb::prm::Age);
        if (age == u"1" || age == u"2" || age == u"3")
            handedOver.ageBand = age;
        handedOverName = parameter(kb::prm::Name);
    } catch (const kb::DbError& e) {
        messages().error(e.message());
        return;
    }
    if (!handedOverName.isEmpty()) {
        handedOver.name = dialogs::capitalizeFirstLetter(handedOverName);
        applyPatient(handedOver);
    } else if (const auto patient = dialogs::PatientSheetDialog::ask(engine::Patient{}, this)) {
        applyPatient(*patient);
    }
}

void MainWindow::applyPatient(const engine::Patient& patient)
{
    session_->setPatient(patient);
    caseFiles_->startCaseForPatient();
    entryTabs_->setCurrentWidget(signsPage_);
    signsPage_->focusEntry();
}

void MainWindow::clearCase()
{
    if (caseFiles_)
        caseFiles_->clearAll();
}

void MainWindow::focusAfterClear()
{
    if (currentPage() == examsPage_) {
        examsPage_->focusEntry();
    } else {
        entryTabs_->setCurrentWidget(signsPage_);
        signsPage_->focusEntry();
    }
}

void MainWindow::chooseStyle(const QString& name)
{
    applyStyle(name);
    appearance_ = name;
    QString error;
    if (!platform::writeTextLines(env_.workingFile(QStringLiteral("Apparence.app")), {name}, &error))
        messages().error(error);
    clearCase();
}

QString MainWindow::learningFile() const
{
    // With the physician's other files: beside the program, or in their data folder when the
    // system owns the program's folder; never wherever the program happened to be started from.
    return env_.workingFile(training::LearningFileName);
}

void MainWindow::showAbout()
{
    // The version status is checked again each time.
    remoteVersion_ = platform::getContent(env_.versionUrl, env_.networkTimeoutMs);
    welcomeText();
    const dialogs::AboutInfo info{ProductName, ProductName + QStringLiteral(" Version ") + version_.display,
                                  Tagline, versionStatus_, PublicationDate};
    dialogs::AboutDialog about(info, *env_.desktop, this);
    about.adjustSize();
    about.move(geometry().center() - about.rect().center());
    about.exec();
}

void MainWindow::openHelp()
{
    // The manual opens at the section of the page the physician is working on.
    QString section = QStringLiteral("contexte-30");
    const QWidget* page = currentPage();
    if (page && page == signsPage_)
        section = QStringLiteral("signes");
    else if (page && page == examsPage_)
        section = QStringLiteral("examens");
    else if (page && page == notesPage_)
        section = QStringLiteral("notes");
    else if (page && page == pathologyPage_)
        section = QStringLiteral("fiche-pathologie");
    const QString manual = env_.programFile(QStringLiteral("Aide/manuel.html"));
    if (!env_.desktop->openUrl(QUrl::fromLocalFile(manual).toString() + u'#' + section))
        messages().error(HelpUnavailable.arg(QDir::toNativeSeparators(manual)));
}

QWidget* MainWindow::currentPage() const
{
    return entryTabs_ ? entryTabs_->currentWidget() : nullptr;
}

void MainWindow::showPage(QWidget* page)
{
    if (!entryTabs_)
        return;
    if (currentPage() == page)
        onPageShown();
    else
        entryTabs_->setCurrentWidget(page);
}

void MainWindow::onPageShown()
{
    if (currentPage() == signsPage_)
        signsPage_->startEntry();
    else if (currentPage() == examsPage_)
        examsPage_->startEntry();
    else if (currentPage() == notesPage_)
        notesPage_->focusEntry();
    else if (currentPage() == pathologyPage_)
        pathologyPage_->onShown();
}

void MainWindow::focusEntry()
{
    if (currentPage() == signsPage_)
        signsPage_->focusEntry();
    else if (currentPage() == examsPage_)
        examsPage_->focusEntry();
}

void MainWindow::onEvaluated(const engine::EvaluationResult& result)
{
    if (result.failed)
        return;
    entryTabs_->setTabText(entryTabs_->indexOf(signsPage_), result.signsPageCaption);
    entryTabs_->setTabText(entryTabs_->indexOf(examsPage_), result.examsPageCaption);
}

} // namespace vardelo::app
