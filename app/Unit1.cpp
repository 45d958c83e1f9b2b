#include "app/Unit1.h"

#include "app/Appearance.h"
#include "app/MessageTexts.h"
#include "case/TextCompare.h"
#include "dialogs/Unit15.h"
#include "dialogs/Unit4.h"
#include "kb/Schema.h"
#include "platform/Deployment.h"
#include "platform/Folders.h"
#include "platform/Network.h"
#include "platform/TextFile.h"
#include "widgets/AdvancedListView.h"
#include "widgets/GradientPanel.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextList>
#include <QTimer>
#include <QToolButton>

namespace vardelo::app {

namespace {

const QColor EditorYellow = colorFromBgr(0x00C4FFFF);
const QColor Blue = QColor(0, 0, 255);

QString shortDate(const QDateTime& when)
{
    return when.toString(QStringLiteral("dd/MM/yyyy"));
}

QString longTime(const QDateTime& when)
{
    return when.toString(QStringLiteral("HH:mm:ss"));
}

} // namespace

TForm1::TForm1(const Environment& environment, const kb::KbVersion& version, QWidget* parent)
    : QMainWindow(parent)
    , env_(environment)
    , version_(version)
{
    setObjectName(QStringLiteral("Form1"));
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(12);
    setFont(font);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    buildLayout();
    buildMenu();
    connectEntry();
    setFixedSize(sizeHint());

    // F1 anywhere in the window opens the manual.
    auto* help = new QAction(this);
    help->setShortcut(QKeySequence(Qt::Key_F1));
    help->setShortcutContext(Qt::WindowShortcut);
    addAction(help);
    connect(help, &QAction::triggered, this, &TForm1::openHelp);

    connect(SignescliniquesSymptmes1, &QAction::triggered, this, [this] { showPage(0); });
    connect(Examenscomplmentaires1, &QAction::triggered, this, [this] { showPage(1); });
    connect(Notes1, &QAction::triggered, this, [this] { showPage(2); });
    connect(PathologiesAltP1, &QAction::triggered, this, [this] { showPage(3); });
    connect(Entree_Edition, &QTabWidget::currentChanged, this, &TForm1::pageShown);
    connect(Nouvelle1, &QAction::triggered, this, &TForm1::Nouvelle1Click);
    connect(SB_Effacer_tout, &QToolButton::clicked, this, &TForm1::SB_Effacer_toutClick);
    connect(Aide2, &QAction::triggered, this, [this] {
        if (form15_) {
            form15_->move(geometry().center() - form15_->rect().center());
            form15_->exec();
        }
    });
    connect(SpeedButton2, &QToolButton::clicked, JvEdit_dg, &QLineEdit::clear);
    connect(RpertoireDiagnostics1, &QAction::triggered, this, [this] {
        env_.desktop->openFolder(platform::Vardelo_directory(QStringLiteral("\\Vardelo\\Diagnostics")));
    });

    // Commands whose windows are not part of this version yet stay visible but unavailable.
    const QString later = QStringLiteral("Fonction disponible dans une prochaine version");
    for (QAction* a : {Enregistrer2, Supprimer2, Supprimertout1, Modeinterrogatoire2, DfinitionAltD1,
                       raitementAltT1, Notespathologie1, Googleimage1, Cascliniques1, PRATILO1}) {
        a->setEnabled(false);
        a->setToolTip(later);
    }
    for (QToolButton* b :
         {SpeedButton8, SpeedButton12, SpeedButton4, SpeedButton14, SpeedButton15, SpeedButton16,
          SpeedButton17, SpeedButton3, SpeedButton1, SB_Interrogatoire, SpeedButton6, SpeedButton10}) {
        b->setEnabled(false);
        b->setToolTip(later);
    }
}

TForm1::~TForm1() = default;

void TForm1::setSecondaryWindows(TForm4* patientSheet, TForm15* about)
{
    form4_ = patientSheet;
    form15_ = about;
}

void TForm1::requestEnd()
{
    endRequested_ = true;
    // Ends the message loop once the current event is done; the windows then go without their close events.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

QString TForm1::MSG_Presentation()
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

void TForm1::checkAppearanceItem(const QString& name)
{
    const QList<QAction*> items{Windows1, Amethystkamri1, AqualightState1, CyanDusk1, Obsidian1};
    for (int i = 0; i < items.size(); ++i)
        items[i]->setChecked(styleNames().at(i) == name);
}

void TForm1::FormCreate()
{
    remoteVersion_ = platform::GetContent(env_.versionUrl, env_.networkTimeoutMs);

    SpeedButton0->hide();
    SB_Web_S->setEnabled(false);
    SB_Web_S->setToolTip(QStringLiteral("Information Google"));
    for (QWidget* w : std::initializer_list<QWidget*>{RE_S, RE_E, RE_P_DEF, RE_P_TRT, RichEdit_N_P, LB_Path_S,
                                                      LB_Path_E}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, EditorYellow);
        w->setPalette(p);
    }
    RE_P_DEF->setReadOnly(true);
    RE_P_TRT->setReadOnly(true);
    SB_Validation_S->setText(QStringLiteral("Valider"));
    SB_Supprimer_S->setText(QStringLiteral("Retirer"));
    SB_Validation_EC->setText(SB_Validation_S->text());
    SB_Supprimer_EC->setText(SB_Supprimer_S->text());
    CB_CLS->setCurrentIndex(0);
    Pathologies_doc->setTabText(0, QStringLiteral("Définition"));
    Pathologies_doc->setTabText(1, engine::CaptionSigns);
    Pathologies_doc->setTabText(2, engine::CaptionExams);
    Pathologies_doc->setTabText(3, QStringLiteral("Traitement"));

    checkAppearanceItem(appearance_);
    platform::Vardelo_directory(QStringLiteral("\\Vardelo\\Diagnostics"));
    platform::Vardelo_directory(QStringLiteral("\\Vardelo\\Notes"));

    static_cast<GradientPanel*>(ScrollBox7)->setColors(colorFromBgr(0x00800080), colorFromBgr(0x00FF0FFF));
    static_cast<GradientPanel*>(centralWidget())
        ->setColors(QApplication::palette().color(QPalette::Dark), colorFromBgr(0x00D7D7D7));
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
    session_->showMessage = [this](const QString& text) { messages().message(text); };
    session_->showFormula = [this] { Affiche_SC(); };
    if (const auto lines = platform::readTextLines(env_.workingFile(QStringLiteral("Apprentissage.vl"))))
        session_->learningList = *lines;

    Image1->hide();
    Image2->hide();
    AListView1->headerItem()->setText(1, engine::CaptionDiagnoses);

    if (messages().show(DialogType::Information, MSG_Presentation(), {DialogButton::Ok}) ==
        DialogButton::Ok) {
        session_->welcomeAccepted = true;
        evaluate(engine::EvaluationMode::RefreshOffers, queryCondition(), QString());
    } else {
        requestEnd();
    }
    if (!session_->welcomeAccepted) {
        menuBar()->clear();
        menuBar()->hide();
        setWindowTitle(ProductName + u' ' + version_.display);
    }

    Affiche_Dg();

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

void TForm1::FormShow()
{
    if (!session_)
        return;
    evaluate(engine::EvaluationMode::RefreshOffers, queryCondition(), QString());
    if (CB_S->count() == 0) {
        requestEnd();
        return;
    }
    ComboBox4->clear();
    Lister_Fiche();
    ComboBox4->insertItem(0, caseTitle(form4_ ? form4_->patientName() : QStringLiteral("Sans nom")));
    ComboBox4->setCurrentIndex(0);
    try {
        query_->open(QStringLiteral("select * from Prm where T = ?"), {kb::prm::PratiloPath});
        pratiloPath_ = query_->field(QStringLiteral("V"));
    } catch (const kb::DbError& e) {
        messages().error(e.message());
    }
}

void TForm1::FormActivate()
{
    if (!form4_ || form4_->activationMarker() != 0 || endRequested_)
        return;
    Nouvelle1Click();
    form4_->setActivationMarker(1);
}

bool TForm1::event(QEvent* e)
{
    if (e->type() == QEvent::Show && !shown_) {
        shown_ = true;
        FormShow();
    } else if (e->type() == QEvent::WindowActivate && form4_ && form4_->activationMarker() == 0) {
        // After the activation itself: the patient sheet it opens is modal.
        QTimer::singleShot(0, this, &TForm1::FormActivate);
    }
    return QMainWindow::event(e);
}

void TForm1::closeEvent(QCloseEvent* e)
{
    Close_Terminate(true);
    e->accept();
}

void TForm1::Close_Terminate(bool msg)
{
    if (session_ && !session_->learningList.isEmpty()) {
        QString error;
        if (!platform::writeTextLines(env_.workingFile(QStringLiteral("Apprentissage.vl")),
                                      session_->learningList, &error))
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
            query_->execSql(QStringLiteral("delete from diagnostics_parallele where save = False"));
        } catch (const kb::DbError& e) {
            messages().error(e.message());
        }
    }
    if (msg) {
        messages().message(
            QStringLiteral("Merci d'avoir utiliser le logiciel Vardelo,\r\nSi vous avez des remarques ou des "
                           "propositions ou "
                           "n'importe quelle question n'hésitez pas à nous contacter.\r\n\r\n") +
            QStringLiteral("Site Web : ") + platform::deployment::WebSite + QStringLiteral("\r\n") +
            QStringLiteral("E-Mail   : ") + platform::deployment::Email);
    }
}

void TForm1::chooseStyle(const QString& name)
{
    applyStyle(name);
    appearance_ = name;
    QString error;
    if (!platform::writeTextLines(env_.workingFile(QStringLiteral("Apparence.app")), {name}, &error))
        messages().error(error);
    SB_Effacer_toutClick();
}

void TForm1::openHelp()
{
    const QString manual = env_.programFile(QStringLiteral("Aide/manuel.html"));
    env_.desktop->openUrl(QUrl::fromLocalFile(manual).toString() + QStringLiteral("#contexte-30"));
}

void TForm1::showPage(int index)
{
    if (Entree_Edition->currentIndex() == index)
        pageShown(index);
    else
        Entree_Edition->setCurrentIndex(index);
}

void TForm1::pageShown(int index)
{
    switch (index) {
    case 0:
        CB_S->setCurrentIndex(-1);
        CB_S->setEditText(QString());
        CB_S->setFocus();
        break;
    case 1:
        CB_E->setCurrentIndex(-1);
        CB_E->setEditText(QString());
        CB_ER->clear();
        CB_E->setFocus();
        break;
    case 2:
        RichEdit_N->setFocus();
        break;
    default:
        break;
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* e)
{
    switch (e->type()) {
    case QEvent::MouseButtonRelease:
        if ((watched == Label2 || watched == Label4) && form4_ && session_) {
            // The sex and age captions open the patient sheet, then show the current case's patient.
            Nouvelle1Click();
            form4_->setPatientName(Nom_Fiche(ComboBox4->currentText()));
            form4_->checkPatient(session_->state.PatientSex, session_->state.PatientAgeBand);
            return true;
        }
        break;
    case QEvent::MouseButtonDblClick:
        if (watched == CB_S->lineEdit()) {
            SB_Validation_S->click();
            return true;
        }
        if (watched == JvEdit_dg) {
            JvEdit_dg->selectAll();
            return true;
        }
        break;
    case QEvent::KeyPress:
        if (session_ && entryKey(watched, static_cast<QKeyEvent*>(e)))
            return true;
        break;
    case QEvent::FocusIn:
        if (watched == CB_S->lineEdit())
            setBackground(CB_S, QColor(157, 255, 157));
        else if (watched == AListView1)
            AListView1Enter();
        break;
    case QEvent::FocusOut:
        if (watched == CB_S->lineEdit()) {
            setBackground(CB_S, palette().color(QPalette::Base));
        } else if (watched == AListView1) {
            AListView1Exit();
        } else if (watched == CB_E->lineEdit()) {
            // The exam box never keeps free text.
            const int selected = CB_E->findText(CB_E->currentText(), Qt::MatchFixedString);
            if (selected < 0)
                CB_E->setEditText(QString());
            else if (CB_E->currentText() != CB_E->itemText(selected))
                CB_E->setEditText(CB_E->itemText(selected));
        }
        break;
    case QEvent::Resize:
        if (watched == signEntry_ || watched == examEntry_) {
            // The edit line lies over its list, leaving the list's arrow visible.
            auto* entry = static_cast<QWidget*>(watched);
            QComboBox* line = watched == signEntry_ ? CB_S : CB_E;
            QComboBox* list = watched == signEntry_ ? CB_S_L : CB_E_L;
            list->setGeometry(entry->rect());
            line->setGeometry(entry->rect().adjusted(0, 0, -20, 0));
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, e);
}

QString TForm1::caseTitle(const QString& name) const
{
    const QDateTime now = QDateTime::currentDateTime();
    return name + QStringLiteral("   [") + shortDate(now) + QStringLiteral("  ") + longTime(now) + u']';
}

QString TForm1::queryCondition(QStringList* scList, const QStringList* ecList)
{
    return session_->queryCondition(scList, ecList);
}

bool TForm1::evaluate(engine::EvaluationMode mode, const QString& formule, const QString& pathologie)
{
    if (!session_)
        return false;
    session_->retainedDiagnosis = JvEdit_dg->text();
    const std::optional<engine::EvaluationResult> result = session_->evaluate(mode, formule, pathologie);
    if (!result)
        return false;
    JvEdit_dg->setText(session_->retainedDiagnosis);
    applyEvaluation(*result);
    return result->failed;
}

void TForm1::applyEvaluation(const engine::EvaluationResult& result)
{
    AListView1->clear();
    AListView1->headerItem()->setText(1, result.header);
    for (const engine::DiagnosisRow& row : result.rows)
        AListView1->addTopLevelItem(new QTreeWidgetItem(QStringList{row.percent, row.name}));
    if (result.progressMaximum >= 0)
        pb1->setMaximum(std::max(result.progressMaximum, 1));
    pb1->setValue(result.progressPosition);
    if (result.failed)
        return;
    const QStringList& signs = session_->state.CandidateSigns.lines();
    CB_S->clear();
    CB_S->addItems(signs);
    CB_S->setCurrentIndex(-1);
    CB_S_L->clear();
    CB_S_L->addItems(signs);
    const QStringList& exams = session_->state.CandidateExams.lines();
    CB_E->clear();
    CB_E->addItems(exams);
    CB_E->setCurrentIndex(-1);
    CB_E_L->clear();
    CB_E_L->addItems(exams);
    Entree_Edition->setTabText(0, result.signsPageCaption);
    Entree_Edition->setTabText(1, result.examsPageCaption);
    Save_diagnostics_parallele(0);
    Select_dg_AListview1();
}

void TForm1::Save_diagnostics_parallele(int saveDg)
{
    // Parallel analyses are not part of this version yet: there is never a selected analysis to write.
    Q_UNUSED(saveDg)
}

namespace {

// A formatted run of the formula displays: blue bold operators, signs and exams in the window text colour.
QTextCharFormat runFormat(const model::FormattedRun& run, const QWidget* display)
{
    QTextCharFormat format;
    format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
    format.setForeground(run.blue ? QBrush(Blue) : display->palette().brush(QPalette::Text));
    return format;
}

} // namespace

void TForm1::Affiche_SC()
{
    RE_S->clear();
    QTextCursor cursor(RE_S->document());
    for (const model::FormattedRun& run : model::Affiche_SC(session_->state.SCList))
        cursor.insertText(run.text, runFormat(run, RE_S));
}

void TForm1::Affiche_EC()
{
    RE_E->clear();
    QTextCursor cursor(RE_E->document());
    bool first = true;
    for (const model::ExamParagraph& paragraph : model::Affiche_EC(session_->state.EC_List)) {
        if (!first)
            cursor.insertBlock();
        first = false;
        if (paragraph.bullet) {
            QTextListFormat list;
            list.setStyle(QTextListFormat::ListDisc);
            cursor.createList(list);
        }
        for (const model::FormattedRun& run : paragraph.runs)
            cursor.insertText(run.text, runFormat(run, RE_E));
    }
}

void TForm1::Affiche_Dg()
{
    ComboBox7->clear();
    if (!query_)
        return;
    try {
        query_->open(QStringLiteral("select * from Data ORDER BY P ASC"));
        QStringList names;
        for (; !query_->eof(); query_->next())
            names.append(query_->field(QStringLiteral("P")));
        // The items come from the text of the list: a name holding a line break would make two.
        ComboBox7->addItems(platform::splitLines(names.join(QStringLiteral("\r\n"))));
    } catch (const kb::DbError& e) {
        messages().error(e.message());
    }
    ComboBox7->setCurrentIndex(-1);
}

void TForm1::Affiche_Patient()
{
    const model::CaseState& s = session_->state;
    if (form4_) {
        if (s.PatientSex == u'h' || s.PatientSex == u'f')
            Label2->setText(form4_->sexCaption(s.PatientSex));
        Label4->setText(form4_->ageCaption(s.PatientAgeBand));
    }
    auto* banner = static_cast<GradientPanel*>(ScrollBox7);
    if (s.PatientSex == u'h')
        banner->setColors(QColor(117, 117, 255), QColor(204, 204, 255));
    else if (s.PatientSex == u'f')
        banner->setColors(QColor(213, 0, 213), QColor(255, 179, 255));
}

void TForm1::Lister_Fiche()
{
    ComboBox4->clear();
    if (!query_)
        return;
    try {
        query_->open(QStringLiteral("select * from Fiche ORDER BY N DESC"));
        for (; !query_->eof(); query_->next())
            ComboBox4->addItem(query_->field(QStringLiteral("ID")));
    } catch (const kb::DbError& e) {
        messages().error(e.message());
    }
}

void TForm1::newCaseEntry()
{
    ComboBox4->clear();
    Lister_Fiche();
    ComboBox4->insertItem(0, caseTitle(form4_ ? form4_->patientName() : QStringLiteral("Sans nom")));
    ComboBox4->setCurrentIndex(0);
}

void TForm1::SB_Effacer_toutClick()
{
    if (!session_)
        return;
    SB_Web_S->setEnabled(false);
    session_->state.SCList.clear();
    session_->state.EC_List.clear();
    RE_S->clear();
    RE_E->clear();
    RE_S->setReadOnly(true);
    RE_E->setReadOnly(true);
    RichEdit_N->clear();
    session_->state.PendingExamLine.clear();
    CB_S->setCurrentIndex(-1);
    CB_S->setEditText(QString());
    CB_S_L->hidePopup();
    CB_E->setCurrentIndex(-1);
    CB_E->setEditText(QString());
    CB_ER->clear();
    const int page = Entree_Edition->currentIndex();
    if (page == 1) {
        CB_E->setFocus();
    } else {
        if (page != 0)
            Entree_Edition->setCurrentIndex(0);
        CB_S->setFocus();
    }
    AListView1->clear();
    JvEdit_dg->clear();
    session_->keepRetained = 0;
    pb1->setValue(0);
    SB_OR_S->setEnabled(false);
    SB_P_F->setEnabled(false);
    newCaseEntry();
    CB_R->clear();
    evaluate(engine::EvaluationMode::RefreshOffers, queryCondition(), QString());
}

void TForm1::Nouvelle1Click()
{
    if (!session_ || !form4_)
        return;
    session_->state.PendingSign.clear();
    form4_->move(geometry().center() - form4_->rect().center());
    form4_->showSheet();
}

void TForm1::Select_dg_AListview1()
{
    const QString retained = JvEdit_dg->text();
    for (int i = 0; i < AListView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = AListView1->topLevelItem(i);
        if (item->text(1) == retained) {
            AListView1->setCurrentItem(item);
            return;
        }
    }
}

void TForm1::Sort_AListView1(int column, bool ascending)
{
    sort_ = {column, ascending};
    AListView1->customSort([column, ascending](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
        const QString ka = TAdvancedListView::sortKey(a, column);
        const QString kb = TAdvancedListView::sortKey(b, column);
        int order = 0;
        if (column == 0) {
            const qint64 x = ka.toLongLong();
            const qint64 y = kb.toLongLong();
            order = x < y ? -1 : (x > y ? 1 : 0);
        } else {
            order = model::compareText(ka, kb);
        }
        return ascending ? order : -order;
    });
}

} // namespace vardelo::app
