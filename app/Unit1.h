#pragma once
// The main window: the physician's single workspace. It owns the case, the shared query object and
// the secondary windows; its operations bind the GUI-free core to the widgets.

#include "app/Environment.h"
#include "engine/CaseSession.h"
#include "kb/Query.h"
#include "kb/VersionArea.h"

#include <QMainWindow>
#include <memory>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QTabWidget;
class QTextEdit;
class QToolButton;
class QWidget;
class TAdvancedListView;

namespace vardelo::app {

class TForm4;
class TForm15;

class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    // The version read from the knowledge-base file by the splash window.
    TForm1(const Environment& environment, const kb::KbVersion& version, QWidget* parent = nullptr);
    ~TForm1() override;

    // The creation steps (update check, version check, lists, welcome, first query). Afterwards
    // endRequested() tells whether the program must stop without showing the window.
    void FormCreate();
    bool endRequested() const { return endRequested_; }
    void setSecondaryWindows(TForm4* patientSheet, TForm15* about);

    void FormShow();
    void FormActivate();
    void Close_Terminate(bool msg);

    QString MSG_Presentation();
    QString VersionStatus() const { return versionStatus_; }
    QString RemoteVersion() const { return remoteVersion_; }
    QString KBVersion() const { return version_.display; }
    void setRemoteVersion(const QString& v) { remoteVersion_ = v; }
    QString appearance() const { return appearance_; }
    void setAppearance(const QString& name) { appearance_ = name; }
    void checkAppearanceItem(const QString& name);

    // The central cycle.
    QString queryCondition(QStringList* scList = nullptr, const QStringList* ecList = nullptr);
    bool evaluate(engine::EvaluationMode mode, const QString& formule, const QString& pathologie);

    void Affiche_SC();
    void Affiche_EC();
    void Affiche_Dg();
    void Affiche_Patient();
    void Lister_Fiche();
    void newCaseEntry();
    void SB_Effacer_toutClick();
    void Nouvelle1Click();
    void Select_dg_AListview1();
    void Sort_AListView1(int column, bool ascending);
    void Save_diagnostics_parallele(int saveDg);

    // Sign entry.
    void Valider_S();
    void OperatorSC(const QString& op);
    static void Ajoute_SC(QComboBox* box, QStringList& list);
    void DeleteSC();
    void SB_Supprimer_SClick();
    void operatorButton(const QString& op);
    void parenthesisButton(const QString& parenthesis);
    void CB_SChange();
    // The offered sign the text of CB_S stands for (its completion), -1 when none.
    int signSelection() const;
    void updateWebButton();
    // Exam entry.
    void examChosen();
    void CB_ERSelect();
    void SB_Validation_ECClick();
    void Valider_EC();
    void OperatorEC(const QString& op);
    void SB_NOT_EClick();
    void SB_Supprimer_ECClick();
    void DeleteEC();
    void Add_AnalyseP_EC();
    // Diagnosis list.
    void AListView1ColumnClick(int column);
    void AListView1Click();
    void AListView1DblClick();
    void AListView1SelectItem();
    void AListView1Enter();
    void AListView1Exit();
    void CB_CLSChange();
    // Keys of the "Fonctionnalités" menu.
    void focusEntry();
    void focusDiagnoses();
    void menuAnd();
    void menuNot();
    void menuOr();

    engine::CaseSession& session() { return *session_; }
    kb::Query& query() { return *query_; }
    MessageInterface& messages() { return *env_.messages; }
    const Environment& environment() const { return env_; }
    TForm4* patientSheet() const { return form4_; }

    // Components, named as the program's documentation names them (object names are the same).
    QToolButton* SB_Effacer_tout = nullptr;
    QComboBox* ComboBox4 = nullptr;
    QToolButton* SpeedButton7 = nullptr;
    QComboBox* CB_R = nullptr;
    QFrame* ScrollBox7 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QTabWidget* Entree_Edition = nullptr;
    QWidget* TabSheet3 = nullptr;
    QWidget* TabSheet4 = nullptr;
    QWidget* TabSheet5 = nullptr;
    QWidget* TabSheet6 = nullptr;
    QLabel* JvNavPanelHeader1 = nullptr;
    QComboBox* CB_CLS = nullptr;
    TAdvancedListView* AListView1 = nullptr;
    QToolButton* SpeedButton8 = nullptr;
    QToolButton* SpeedButton12 = nullptr;
    QToolButton* SpeedButton4 = nullptr;
    QToolButton* SpeedButton14 = nullptr;
    QToolButton* SpeedButton15 = nullptr;
    QToolButton* SpeedButton16 = nullptr;
    QToolButton* SpeedButton17 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QLabel* JvNavPanelHeader4 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QLineEdit* JvEdit_dg = nullptr;
    QProgressBar* pb1 = nullptr;
    QToolButton* SpeedButton0 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    // Signs page.
    QComboBox* CB_S = nullptr;
    QComboBox* CB_S_L = nullptr;
    QTextEdit* RE_S = nullptr;
    QToolButton* SB_AND_S = nullptr;
    QToolButton* SB_NOT_S = nullptr;
    QToolButton* SB_OR_S = nullptr;
    QToolButton* SB_P_O = nullptr;
    QToolButton* SB_P_F = nullptr;
    QToolButton* SB_Supprimer_S = nullptr;
    QToolButton* SB_Validation_S = nullptr;
    QToolButton* SB_Web_S = nullptr;
    QToolButton* SB_Interrogatoire = nullptr;
    // Exams page.
    QLabel* Label14 = nullptr;
    QLabel* Label15 = nullptr;
    QComboBox* CB_E = nullptr;
    QComboBox* CB_E_L = nullptr;
    QComboBox* CB_ER = nullptr;
    QToolButton* SB_NOT_E = nullptr;
    QToolButton* SB_Supprimer_EC = nullptr;
    QToolButton* SB_Validation_EC = nullptr;
    QToolButton* SpeedButton6 = nullptr;
    QTextEdit* RE_E = nullptr;
    // Notes page.
    QTextEdit* RichEdit_N = nullptr;
    // Pathology sheet page.
    QComboBox* ComboBox7 = nullptr;
    QToolButton* SpeedButton10 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QTabWidget* Pathologies_doc = nullptr;
    QTextEdit* RE_P_DEF = nullptr;
    QListWidget* LB_Path_S = nullptr;
    QListWidget* LB_Path_E = nullptr;
    QTextEdit* RE_P_TRT = nullptr;
    QTextEdit* RichEdit_N_P = nullptr;
    // Menu items.
    QAction* Nouvelle1 = nullptr;
    QAction* Enregistrer2 = nullptr;
    QAction* Supprimer2 = nullptr;
    QAction* RpertoireDiagnostics1 = nullptr;
    QAction* Supprimertout1 = nullptr;
    QAction* Modeinterrogatoire2 = nullptr;
    QAction* Focaliserlazonedesentres1 = nullptr;
    QAction* Focaliserlalistedesdiagnostics1 = nullptr;
    QAction* AND1 = nullptr;
    QAction* NOT1 = nullptr;
    QAction* or1 = nullptr;
    QAction* SignescliniquesSymptmes1 = nullptr;
    QAction* Examenscomplmentaires1 = nullptr;
    QAction* Notes1 = nullptr;
    QAction* PathologiesAltP1 = nullptr;
    QAction* DfinitionAltD1 = nullptr;
    QAction* raitementAltT1 = nullptr;
    QAction* Notespathologie1 = nullptr;
    QAction* Googleimage1 = nullptr;
    QAction* Cascliniques1 = nullptr;
    QAction* Windows1 = nullptr;
    QAction* Amethystkamri1 = nullptr;
    QAction* AqualightState1 = nullptr;
    QAction* CyanDusk1 = nullptr;
    QAction* Obsidian1 = nullptr;
    QAction* PRATILO1 = nullptr;
    QAction* Aide2 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void buildMenu();
    void connectEntry();
    bool entryKey(QObject* watched, QKeyEvent* event);
    void setBackground(QWidget* widget, const QColor& color);
    void requestEnd();
    void chooseStyle(const QString& name);
    void openHelp();
    void showPage(int index);
    void pageShown(int index);
    void applyEvaluation(const engine::EvaluationResult& result);
    QString caseTitle(const QString& name) const;

    Environment env_;
    kb::KbVersion version_;
    QString remoteVersion_;
    QString versionStatus_;
    QString appearance_;
    QString pratiloPath_;
    bool endRequested_ = false;
    bool firstActivationDone_ = false;
    bool shown_ = false;

    std::unique_ptr<kb::Connection> connection_;
    std::unique_ptr<kb::Query> query_;
    std::unique_ptr<engine::CaseSession> session_;
    TForm4* form4_ = nullptr;
    TForm15* form15_ = nullptr;
    QMenu* mainMenuFonctionnalites_ = nullptr;
    QWidget* signEntry_ = nullptr;
    QWidget* examEntry_ = nullptr;
    bool inSignChange_ = false;
    int interrogationIndex_ = 0; // hypothesis under interrogation, kept with the diagnosis list
    struct ListSort {
        int column = 0;
        bool ascending = false;
    } sort_;
};

} // namespace vardelo::app
