// The main window's widgets and menu, placed as the physician knows them.

#include "app/Appearance.h"
#include "app/Unit1.h"
#include "widgets/AdvancedListView.h"
#include "widgets/GradientPanel.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace vardelo::app {

namespace {

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QToolButton* button(QWidget* parent, const char* name, const QString& text, const QString& hint = QString())
{
    auto* b = named(new QToolButton(parent), name);
    b->setText(text);
    b->setToolTip(hint);
    b->setAutoRaise(false);
    b->setFocusPolicy(Qt::NoFocus);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

QLabel* panelHeader(QWidget* parent, const char* name, const QString& text)
{
    auto* l = named(new QLabel(text, parent), name);
    l->setAlignment(Qt::AlignCenter);
    l->setStyleSheet(
        QStringLiteral("QLabel { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #5a7fa8, "
                       "stop:1 #2f4f73); color: white; font-weight: bold; border-radius: 2px; }"));
    return l;
}

QTextEdit* richEdit(QWidget* parent, const char* name, bool readOnly)
{
    auto* e = named(new QTextEdit(parent), name);
    e->setReadOnly(readOnly);
    e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    e->setAcceptRichText(true);
    return e;
}

} // namespace

void TForm1::buildLayout()
{
    auto* central = named(new GradientPanel(this), "JvGradient8");
    central->setFixedSize(620, 646);
    setCentralWidget(central);
    auto place = [](QWidget* w, int x, int y, int width, int height) { w->setGeometry(x, y, width, height); };

    SB_Effacer_tout = button(central, "SB_Effacer_tout", QStringLiteral("✖"),
                             QStringLiteral("Effacer tout (Appuyez sur Echap)"));
    place(SB_Effacer_tout, 8, 7, 41, 24);
    ComboBox4 = named(new QComboBox(central), "ComboBox4");
    ComboBox4->setToolTip(QStringLiteral("Liste des fiches diagnostics enregistrés"));
    ComboBox4->setPlaceholderText(QStringLiteral("Liste des fiches diagnostics enregistrés"));
    place(ComboBox4, 54, 7, 375, 22);
    SpeedButton7 =
        button(central, "SpeedButton7", QStringLiteral("✖"), QStringLiteral("Supprimer l'analyse parallèle"));
    place(SpeedButton7, 8, 35, 40, 24);
    CB_R = named(new QComboBox(central), "CB_R");
    CB_R->setToolTip(QStringLiteral("Analyses Paralléles"));
    place(CB_R, 54, 37, 375, 22);

    auto* patient = named(new GradientPanel(central), "ScrollBox7");
    ScrollBox7 = patient;
    patient->setFrameShape(QFrame::StyledPanel);
    place(patient, 434, 7, 169, 52);
    auto* patientGrid = new QGridLayout(patient);
    patientGrid->setContentsMargins(6, 4, 6, 4);
    patientGrid->setVerticalSpacing(2);
    Label1 = named(new QLabel(QStringLiteral("Sexe :"), patient), "Label1");
    Label2 = named(new QLabel(QStringLiteral("Féminin"), patient), "Label2");
    Label3 = named(new QLabel(QStringLiteral("Age :"), patient), "Label3");
    Label4 = named(new QLabel(QStringLiteral("Sans précision"), patient), "Label4");
    for (QLabel* l : {Label1, Label2, Label3, Label4})
        l->setStyleSheet(
            QStringLiteral("QLabel { color: white; font-weight: bold; background: transparent; }"));
    for (QLabel* l : {Label2, Label4}) {
        l->setCursor(Qt::PointingHandCursor);
        l->installEventFilter(this);
    }
    patientGrid->addWidget(Label1, 0, 0);
    patientGrid->addWidget(Label2, 0, 1);
    patientGrid->addWidget(Label3, 1, 0);
    patientGrid->addWidget(Label4, 1, 1);
    patientGrid->setColumnStretch(1, 1);

    Entree_Edition = named(new QTabWidget(central), "Entree_Edition");
    Entree_Edition->setUsesScrollButtons(false);
    Entree_Edition->tabBar()->setExpanding(false);
    place(Entree_Edition, 8, 65, 595, 298);

    // Page 0: signs.
    TabSheet3 = named(new QWidget, "TabSheet3");
    {
        auto* grid = new QGridLayout(TabSheet3);
        grid->setContentsMargins(6, 6, 6, 6);
        auto* entry = new QWidget(TabSheet3);
        entry->setFixedHeight(26);
        CB_S_L = named(new QComboBox(entry), "CB_S_L");
        CB_S_L->setMaxVisibleItems(15);
        CB_S_L->setFocusPolicy(Qt::NoFocus);
        CB_S = named(new QComboBox(entry), "CB_S");
        CB_S->setEditable(true);
        CB_S->setInsertPolicy(QComboBox::NoInsert);
        // CB_S, an edit line, lies over the list CB_S_L whose arrow stays visible at its right.
        signEntry_ = entry;
        entry->installEventFilter(this);
        CB_S->raise();
        SB_Validation_S = button(TabSheet3, "SB_Validation_S", QStringLiteral("Valider"),
                                 QStringLiteral("Valider (Appuyez sur Entrée)"));
        SB_Supprimer_S = button(TabSheet3, "SB_Supprimer_S", QStringLiteral("Retirer"),
                                QStringLiteral("Retirer dernier (Appuyez sur Retour arrière ou Supprime)"));
        SB_AND_S = button(TabSheet3, "SB_AND_S", QStringLiteral("and"), QStringLiteral("Appuyez sur F4"));
        SB_NOT_S = button(TabSheet3, "SB_NOT_S", QStringLiteral("not"), QStringLiteral("Appuyez sur F5"));
        SB_OR_S = button(TabSheet3, "SB_OR_S", QStringLiteral("or"), QStringLiteral("Appuyez sur F6"));
        SB_P_O = button(TabSheet3, "SB_P_O", QStringLiteral("("));
        SB_P_F = button(TabSheet3, "SB_P_F", QStringLiteral(")"));
        SB_Web_S = button(TabSheet3, "SB_Web_S", QStringLiteral("?"));
        SB_Interrogatoire = button(TabSheet3, "SB_Interrogatoire", QStringLiteral("&Interrogatoire"));
        SB_OR_S->setEnabled(false);
        SB_P_F->setEnabled(false);
        auto* operators = new QHBoxLayout;
        for (QToolButton* b : {SB_AND_S, SB_OR_S, SB_NOT_S, SB_P_O, SB_P_F, SB_Web_S}) {
            b->setMinimumWidth(b == SB_P_O || b == SB_P_F || b == SB_Web_S ? 32 : 52);
            operators->addWidget(b);
        }
        operators->addStretch(1);
        operators->addWidget(SB_Interrogatoire);
        SB_Interrogatoire->setMinimumWidth(120);
        RE_S = richEdit(TabSheet3, "RE_S", true);
        for (QToolButton* b : {SB_Validation_S, SB_Supprimer_S, SB_Interrogatoire})
            b->setMinimumHeight(24);
        SB_Validation_S->setMinimumWidth(80);
        SB_Supprimer_S->setMinimumWidth(80);
        grid->addWidget(entry, 0, 0);
        grid->addWidget(SB_Validation_S, 0, 1);
        grid->addWidget(SB_Supprimer_S, 0, 2);
        grid->addLayout(operators, 1, 0, 1, 3);
        grid->addWidget(RE_S, 2, 0, 1, 3);
        grid->setColumnStretch(0, 1);
    }
    Entree_Edition->addTab(TabSheet3, engine::CaptionSigns);

    // Page 1: exams.
    TabSheet4 = named(new QWidget, "TabSheet4");
    {
        auto* grid = new QGridLayout(TabSheet4);
        grid->setContentsMargins(6, 6, 6, 6);
        Label14 = named(new QLabel(QStringLiteral("Examens :"), TabSheet4), "Label14");
        Label15 = named(new QLabel(QStringLiteral("Résultats :"), TabSheet4), "Label15");
        auto* entry = new QWidget(TabSheet4);
        entry->setFixedHeight(26);
        CB_E_L = named(new QComboBox(entry), "CB_E_L");
        CB_E_L->setMaxVisibleItems(15);
        CB_E_L->setFocusPolicy(Qt::NoFocus);
        CB_E = named(new QComboBox(entry), "CB_E");
        CB_E->setEditable(true);
        CB_E->setInsertPolicy(QComboBox::NoInsert);
        examEntry_ = entry;
        entry->installEventFilter(this);
        CB_E->raise();
        CB_ER = named(new QComboBox(TabSheet4), "CB_ER");
        SB_Validation_EC = button(TabSheet4, "SB_Validation_EC", QStringLiteral("Valider"),
                                  QStringLiteral("Valider (Appuyez sur Entrée)"));
        SB_Supprimer_EC = button(TabSheet4, "SB_Supprimer_EC", QStringLiteral("Retirer"),
                                 QStringLiteral("Retirer dernier (Appuyez sur Retour arrière ou Supprime)"));
        SB_NOT_E = button(TabSheet4, "SB_NOT_E", QStringLiteral("not"), QStringLiteral("Appuyez sur F6"));
        SpeedButton6 =
            button(TabSheet4, "SpeedButton6", QStringLiteral("🔍"), QStringLiteral("Rechercher un examen"));
        for (QToolButton* b : {SB_Validation_EC, SB_Supprimer_EC, SB_NOT_E}) {
            b->setMinimumWidth(80);
            b->setMinimumHeight(24);
        }
        RE_E = richEdit(TabSheet4, "RE_E", true);
        grid->addWidget(Label14, 0, 0);
        grid->addWidget(entry, 0, 1);
        grid->addWidget(SB_Validation_EC, 0, 2);
        grid->addWidget(SB_Supprimer_EC, 0, 3);
        grid->addWidget(Label15, 1, 0);
        grid->addWidget(CB_ER, 1, 1);
        grid->addWidget(SB_NOT_E, 1, 2);
        grid->addWidget(SpeedButton6, 1, 3, Qt::AlignLeft);
        grid->addWidget(RE_E, 2, 0, 1, 4);
        grid->setColumnStretch(1, 1);
    }
    Entree_Edition->addTab(TabSheet4, engine::CaptionExams);

    // Page 2: notes of the case.
    TabSheet5 = named(new QWidget, "TabSheet5");
    {
        auto* layout = new QVBoxLayout(TabSheet5);
        layout->setContentsMargins(6, 6, 6, 6);
        RichEdit_N = richEdit(TabSheet5, "RichEdit_N", false);
        layout->addWidget(RichEdit_N);
    }
    Entree_Edition->addTab(TabSheet5, engine::CaptionNotes);

    // Page 3: the pathology sheet.
    TabSheet6 = named(new QWidget, "TabSheet6");
    {
        auto* grid = new QGridLayout(TabSheet6);
        grid->setContentsMargins(6, 6, 6, 6);
        ComboBox7 = named(new QComboBox(TabSheet6), "ComboBox7");
        ComboBox7->setMaxVisibleItems(30);
        SpeedButton10 =
            button(TabSheet6, "SpeedButton10", QStringLiteral("🌐"), QStringLiteral("Recherche sur le web"));
        ComboBox1 = named(new QComboBox(TabSheet6), "ComboBox1");
        Pathologies_doc = named(new QTabWidget(TabSheet6), "Pathologies_doc");
        RE_P_DEF = richEdit(Pathologies_doc, "RE_P_DEF", true);
        LB_Path_S = named(new QListWidget(Pathologies_doc), "LB_Path_S");
        LB_Path_E = named(new QListWidget(Pathologies_doc), "LB_Path_E");
        RE_P_TRT = richEdit(Pathologies_doc, "RE_P_TRT", true);
        RichEdit_N_P = richEdit(Pathologies_doc, "RichEdit_N_P", false);
        Pathologies_doc->addTab(RE_P_DEF, QString());
        Pathologies_doc->addTab(LB_Path_S, QString());
        Pathologies_doc->addTab(LB_Path_E, QString());
        Pathologies_doc->addTab(RE_P_TRT, QString());
        Pathologies_doc->addTab(RichEdit_N_P, engine::CaptionNotes);
        grid->addWidget(ComboBox7, 0, 0);
        grid->addWidget(SpeedButton10, 0, 1);
        grid->addWidget(ComboBox1, 0, 2);
        grid->addWidget(Pathologies_doc, 1, 0, 1, 3);
        grid->setColumnStretch(0, 1);
    }
    Entree_Edition->addTab(TabSheet6, engine::CaptionPathologies);

    JvNavPanelHeader1 =
        panelHeader(central, "JvNavPanelHeader1",
                    QStringLiteral("Le médecin est le seul responsable du diagnostic et du traitement"));
    place(JvNavPanelHeader1, 8, 369, 450, 24);
    CB_CLS = named(new QComboBox(central), "CB_CLS");
    CB_CLS->addItems({QStringLiteral("Tri par Prévalence"), QStringLiteral("Tri par Probabilité")});
    CB_CLS->setFocusPolicy(Qt::NoFocus);
    place(CB_CLS, 464, 369, 139, 24);

    AListView1 = named(new TAdvancedListView(central), "AListView1");
    AListView1->setColumnCount(2);
    AListView1->setHeaderLabels({QStringLiteral("%"), QStringLiteral("D i a g n o s t i c s")});
    AListView1->header()->resizeSection(0, 40);
    AListView1->header()->resizeSection(1, 390);
    AListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    AListView1->setColorImpair(colorFromBgr(0x005BFFFF));
    AListView1->setColorPair(palette().color(QPalette::Base));
    AListView1->setAutoSortOnHeaderClick(false);
    place(AListView1, 7, 402, 452, 188);

    SpeedButton8 = button(central, "SpeedButton8", QStringLiteral("Définition"));
    SpeedButton12 = button(central, "SpeedButton12", QStringLiteral("Traitement"));
    for (QToolButton* b : {SpeedButton8, SpeedButton12}) {
        QFont f = b->font();
        f.setBold(true);
        b->setFont(f);
    }
    place(SpeedButton8, 464, 402, 139, 22);
    place(SpeedButton12, 464, 424, 139, 22);
    const std::pair<QToolButton**, std::pair<const char*, QString>> webButtons[] = {
        {&SpeedButton4, {"SpeedButton4", QStringLiteral("Wikipedia médicale")}},
        {&SpeedButton14, {"SpeedButton14", QStringLiteral("Manuel MSD Pro")}},
        {&SpeedButton15, {"SpeedButton15", QStringLiteral("Google standard")}},
        {&SpeedButton16, {"SpeedButton16", QStringLiteral("Google Scholar")}},
        {&SpeedButton17, {"SpeedButton17", QStringLiteral("Google IMAGES")}},
    };
    int y = 452;
    for (const auto& [member, caption] : webButtons) {
        *member = button(central, caption.first, caption.second);
        place(*member, 464, y, 139, 22);
        y += 22;
    }
    SpeedButton3 = button(central, "SpeedButton3", QStringLiteral("PDF"));
    {
        QFont f = SpeedButton3->font();
        f.setBold(true);
        SpeedButton3->setFont(f);
    }
    place(SpeedButton3, 464, 565, 139, 25);
    SpeedButton1 = button(central, "SpeedButton1", QStringLiteral("Apprentissage"));
    place(SpeedButton1, 464, 599, 139, 25);

    JvNavPanelHeader4 = panelHeader(central, "JvNavPanelHeader4", QStringLiteral("Diagnostic :"));
    JvNavPanelHeader4->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    JvNavPanelHeader4->setContentsMargins(5, 0, 22, 0);
    {
        // The clear button sits at the right end of the caption: the caption must not run under it.
        QFont f = JvNavPanelHeader4->font();
        f.setPixelSize(11);
        JvNavPanelHeader4->setFont(f);
    }
    place(JvNavPanelHeader4, 7, 600, 106, 24);
    SpeedButton2 = button(JvNavPanelHeader4, "SpeedButton2", QStringLiteral("✖"),
                          QStringLiteral("Effacer le diagnostic"));
    SpeedButton2->setAutoRaise(true);
    place(SpeedButton2, 84, 2, 20, 20);
    JvEdit_dg = named(new QLineEdit(central), "JvEdit_dg");
    JvEdit_dg->setReadOnly(true);
    JvEdit_dg->setPlaceholderText(QStringLiteral("Diagnostic retenu"));
    JvEdit_dg->setStyleSheet(QStringLiteral("QLineEdit { color: navy; }"));
    place(JvEdit_dg, 119, 600, 339, 24);
    pb1 = named(new QProgressBar(central), "pb1");
    pb1->setTextVisible(false);
    pb1->setValue(0);
    place(pb1, 7, 630, 597, 10);

    SpeedButton0 = button(central, "SpeedButton0", QString());
    place(SpeedButton0, 580, 2, 20, 20);
    Image1 = named(new QLabel(central), "Image1");
    Image2 = named(new QLabel(central), "Image2");
    place(Image1, 560, 2, 16, 16);
    place(Image2, 540, 2, 16, 16);
}

void TForm1::buildMenu()
{
    QMenuBar* bar = menuBar();
    auto action = [this](QMenu* menu, const char* name, const QString& text,
                         const QKeySequence& shortcut = {}) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        if (!shortcut.isEmpty())
            a->setShortcut(shortcut);
        a->setShortcutContext(Qt::WindowShortcut);
        Q_UNUSED(this)
        return a;
    };
    QMenu* fiche = bar->addMenu(QStringLiteral("Fiche"));
    fiche->setObjectName(QStringLiteral("Fiche1"));
    Nouvelle1 =
        action(fiche, "Nouvelle1", QStringLiteral("Nouvelle Fiche"), QKeySequence(Qt::CTRL | Qt::Key_N));
    Enregistrer2 = action(fiche, "Enregistrer2", QStringLiteral("Enregistrer Fiche"),
                          QKeySequence(Qt::CTRL | Qt::Key_E));
    Supprimer2 =
        action(fiche, "Supprimer2", QStringLiteral("Supprimer Fiche"), QKeySequence(Qt::CTRL | Qt::Key_S));
    fiche->addSeparator()->setObjectName(QStringLiteral("N8"));
    RpertoireDiagnostics1 = action(fiche, "RpertoireDiagnostics1", QStringLiteral("Dossier Diagnostics"));
    fiche->addSeparator()->setObjectName(QStringLiteral("N7"));
    Supprimertout1 = action(fiche, "Supprimertout1", QStringLiteral("Supprimer tout"));

    QMenu* f = bar->addMenu(QStringLiteral("Fonctionnalités"));
    f->setObjectName(QStringLiteral("Fonctionnalites1"));
    mainMenuFonctionnalites_ = f;
    Modeinterrogatoire2 =
        action(f, "Modeinterrogatoire2", QStringLiteral("Mode interrogatoire"), QKeySequence(Qt::Key_F9));
    f->addSeparator()->setObjectName(QStringLiteral("N5"));
    Focaliserlazonedesentres1 =
        action(f, "Focaliserlazonedesentres1", QStringLiteral("Focaliser la liste des entrées"),
               QKeySequence(Qt::Key_F2));
    Focaliserlalistedesdiagnostics1 =
        action(f, "Focaliserlalistedesdiagnostics1", QStringLiteral("Focaliser la liste des diagnostics"),
               QKeySequence(Qt::Key_F3));
    f->addSeparator()->setObjectName(QStringLiteral("N1"));
    AND1 = action(f, "AND1", QStringLiteral("and"), QKeySequence(Qt::Key_F4));
    NOT1 = action(f, "NOT1", QStringLiteral("not"), QKeySequence(Qt::Key_F5));
    or1 = action(f, "or1", QStringLiteral("or"), QKeySequence(Qt::Key_F6));
    f->addSeparator()->setObjectName(QStringLiteral("N3"));
    SignescliniquesSymptmes1 =
        action(f, "SignescliniquesSymptmes1", QStringLiteral("Signes cliniques / Symptômes   "),
               QKeySequence(Qt::Key_F10));
    Examenscomplmentaires1 =
        action(f, "Examenscomplmentaires1", QStringLiteral("Examens complémentaires         "),
               QKeySequence(Qt::Key_F11));
    Notes1 =
        action(f, "Notes1", QStringLiteral("Notes  du cas à diagnostiquer     "), QKeySequence(Qt::Key_F12));
    PathologiesAltP1 =
        action(f, "PathologiesAltP1", QStringLiteral("Pathologies                                  "),
               QKeySequence(Qt::CTRL | Qt::Key_P));
    f->addSeparator()->setObjectName(QStringLiteral("N9"));
    DfinitionAltD1 =
        action(f, "DfinitionAltD1", QStringLiteral("Définition                                      "),
               QKeySequence(Qt::CTRL | Qt::Key_D));
    raitementAltT1 =
        action(f, "raitementAltT1", QStringLiteral("Traitement                                    "),
               QKeySequence(Qt::CTRL | Qt::Key_T));
    Notespathologie1 =
        action(f, "Notespathologie1", QStringLiteral("Notes pathologie"), QKeySequence(Qt::CTRL | Qt::Key_O));
    Googleimage1 =
        action(f, "Googleimage1", QStringLiteral("Google image"), QKeySequence(Qt::CTRL | Qt::Key_G));

    Cascliniques1 = bar->addAction(QStringLiteral("Cas cliniques"));
    Cascliniques1->setObjectName(QStringLiteral("Cascliniques1"));

    QMenu* look = bar->addMenu(QStringLiteral("Appa&rence"));
    look->setObjectName(QStringLiteral("Apparence1"));
    auto* group = new QActionGroup(look);
    group->setExclusive(true);
    const std::pair<QAction**, const char*> styleItems[] = {{&Windows1, "Windows1"},
                                                            {&Amethystkamri1, "Amethystkamri1"},
                                                            {&AqualightState1, "AqualightState1"},
                                                            {&CyanDusk1, "CyanDusk1"},
                                                            {&Obsidian1, "Obsidian1"}};
    const QStringList captions{QStringLiteral("Windows"), QStringLiteral("Amethyst kamri"),
                               QStringLiteral("Aqua Light Slate"), QStringLiteral("Cyan Dusk (Par défaut)"),
                               QStringLiteral("Obsidian")};
    for (int i = 0; i < 5; ++i) {
        QAction* a = action(look, styleItems[i].second, captions.at(i));
        a->setCheckable(true);
        group->addAction(a);
        *styleItems[i].first = a;
        const QString name = styleNames().at(i);
        connect(a, &QAction::triggered, this, [this, name] { chooseStyle(name); });
    }

    PRATILO1 = bar->addAction(QStringLiteral("Pratilo"));
    PRATILO1->setObjectName(QStringLiteral("PRATILO1"));
    Aide2 = bar->addAction(QStringLiteral("A pr&opos"));
    Aide2->setObjectName(QStringLiteral("Aide2"));
}

} // namespace vardelo::app
