#include "app/MainActions.h"

#include "app/Appearance.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>

namespace vardelo::app {

namespace {

QAction* addItem(QMenu* menu, const char* name, const QString& text, const QKeySequence& shortcut = {})
{
    QAction* a = menu->addAction(text);
    a->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    a->setShortcutContext(Qt::WindowShortcut);
    return a;
}

QAction* addBarItem(QMenuBar* bar, const char* name, const QString& text)
{
    QAction* a = bar->addAction(text);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

} // namespace

MainActions::MainActions(QMainWindow& window)
    : QObject(&window)
    , window_(window)
{
    QMenuBar* bar = window.menuBar();
    QMenu* caseMenu = bar->addMenu(QStringLiteral("Fiche"));
    caseMenu->setObjectName(QStringLiteral("caseMenu"));
    newCaseAction =
        addItem(caseMenu, "newCaseAction", QStringLiteral("Nouvelle Fiche"), Qt::CTRL | Qt::Key_N);
    saveCaseAction =
        addItem(caseMenu, "saveCaseAction", QStringLiteral("Enregistrer Fiche"), Qt::CTRL | Qt::Key_E);
    deleteCaseAction =
        addItem(caseMenu, "deleteCaseAction", QStringLiteral("Supprimer Fiche"), Qt::CTRL | Qt::Key_S);
    caseMenu->addSeparator();
    openCasesFolderAction = addItem(caseMenu, "openCasesFolderAction", QStringLiteral("Dossier Diagnostics"));
    caseMenu->addSeparator();
    deleteAllCasesAction = addItem(caseMenu, "deleteAllCasesAction", QStringLiteral("Supprimer tout"));

    QMenu* tools = bar->addMenu(QStringLiteral("Fonctionnalités"));
    tools->setObjectName(QStringLiteral("featuresMenu"));
    interrogationModeAction =
        addItem(tools, "interrogationModeAction", QStringLiteral("Mode interrogatoire"), Qt::Key_F9);
    tools->addSeparator();
    focusEntryAction =
        addItem(tools, "focusEntryAction", QStringLiteral("Focaliser la liste des entrées"), Qt::Key_F2);
    focusDiagnosesAction = addItem(tools, "focusDiagnosesAction",
                                   QStringLiteral("Focaliser la liste des diagnostics"), Qt::Key_F3);
    tools->addSeparator();
    andAction = addItem(tools, "andAction", QStringLiteral("and"), Qt::Key_F4);
    notAction = addItem(tools, "notAction", QStringLiteral("not"), Qt::Key_F5);
    orAction = addItem(tools, "orAction", QStringLiteral("or"), Qt::Key_F6);
    tools->addSeparator();
    showSignsAction =
        addItem(tools, "showSignsAction", QStringLiteral("Signes cliniques / Symptômes   "), Qt::Key_F10);
    showExamsAction =
        addItem(tools, "showExamsAction", QStringLiteral("Examens complémentaires         "), Qt::Key_F11);
    showNotesAction =
        addItem(tools, "showNotesAction", QStringLiteral("Notes  du cas à diagnostiquer     "), Qt::Key_F12);
    showPathologiesAction =
        addItem(tools, "showPathologiesAction",
                QStringLiteral("Pathologies                                  "), Qt::CTRL | Qt::Key_P);
    tools->addSeparator();
    showDefinitionAction =
        addItem(tools, "showDefinitionAction",
                QStringLiteral("Définition                                      "), Qt::CTRL | Qt::Key_D);
    showTreatmentAction =
        addItem(tools, "showTreatmentAction",
                QStringLiteral("Traitement                                    "), Qt::CTRL | Qt::Key_T);
    pathologyNotesAction =
        addItem(tools, "pathologyNotesAction", QStringLiteral("Notes pathologie"), Qt::CTRL | Qt::Key_O);
    googleImagesAction =
        addItem(tools, "googleImagesAction", QStringLiteral("Google image"), Qt::CTRL | Qt::Key_G);

    clinicalCasesAction = addBarItem(bar, "clinicalCasesAction", QStringLiteral("Cas cliniques"));

    QMenu* look = bar->addMenu(QStringLiteral("Appa&rence"));
    look->setObjectName(QStringLiteral("appearanceMenu"));
    styleActions = new QActionGroup(look);
    styleActions->setExclusive(true);
    // In the order of styleNames().
    const std::pair<const char*, QString> items[] = {
        {"windowsStyleAction", QStringLiteral("Windows")},
        {"amethystStyleAction", QStringLiteral("Amethyst kamri")},
        {"aquaStyleAction", QStringLiteral("Aqua Light Slate")},
        {"cyanDuskStyleAction", QStringLiteral("Cyan Dusk (Par défaut)")},
        {"obsidianStyleAction", QStringLiteral("Obsidian")},
    };
    for (int i = 0; i < 5; ++i) {
        QAction* a = addItem(look, items[i].first, items[i].second);
        a->setCheckable(true);
        a->setData(styleNames().at(i));
        styleActions->addAction(a);
    }

    exportAction = addBarItem(bar, "exportAction", QStringLiteral("Pratilo"));
    aboutAction = addBarItem(bar, "aboutAction", QStringLiteral("A pr&opos"));

    helpAction = new QAction(&window);
    helpAction->setObjectName(QStringLiteral("helpAction"));
    helpAction->setShortcut(QKeySequence(Qt::Key_F1));
    helpAction->setShortcutContext(Qt::WindowShortcut);
    window.addAction(helpAction);

    for (QAction* a : window.findChildren<QAction*>()) {
        if (!a->shortcut().isEmpty())
            keyed_.append(a);
    }
    qApp->installEventFilter(this);
}

bool MainActions::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != &window_)
        return false;
    const QKeySequence key(static_cast<QKeyEvent*>(event)->keyCombination());
    for (const QAction* a : std::as_const(keyed_)) {
        if (a->isEnabled() && a->shortcut() == key) {
            // Not accepted, and kept from the control: the window's shortcut takes the key.
            event->ignore();
            return true;
        }
    }
    return false;
}

void MainActions::checkStyle(const QString& name)
{
    for (QAction* a : styleActions->actions())
        a->setChecked(a->data().toString() == name);
}

void MainActions::removeMenus()
{
    window_.menuBar()->clear();
    window_.menuBar()->hide();
}

} // namespace vardelo::app
