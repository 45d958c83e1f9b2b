#pragma once
// The commands of the main window: its menus, their keys, and the actions that buttons doing the
// same share.

#include <QList>
#include <QObject>

class QAction;
class QActionGroup;
class QMainWindow;
class QMenu;

namespace vardelo::app {

class MainActions : public QObject {
    Q_OBJECT

public:
    // Fills the window's menu bar.
    explicit MainActions(QMainWindow& window);

    // Checks the style item of that name (none when no item has it).
    void checkStyle(const QString& name);
    // Removes every menu, as when the program stops before it starts.
    void removeMenus();

    // "Fiche"
    QAction* newCaseAction;
    QAction* saveCaseAction;
    QAction* deleteCaseAction;
    QAction* openCasesFolderAction;
    QAction* deleteAllCasesAction;
    // "Fonctionnalités"
    QAction* interrogationModeAction;
    QAction* focusEntryAction;
    QAction* focusDiagnosesAction;
    QAction* andAction;
    QAction* notAction;
    QAction* orAction;
    QAction* showSignsAction;
    QAction* showExamsAction;
    QAction* showNotesAction;
    QAction* showPathologiesAction;
    QAction* showDefinitionAction;
    QAction* showTreatmentAction;
    QAction* pathologyNotesAction;
    QAction* googleImagesAction;
    // The menu bar's own items.
    QAction* clinicalCasesAction;
    QActionGroup* styleActions; // data: the style name
    QAction* exportAction;
    QAction* aboutAction;
    // F1 anywhere in the window.
    QAction* helpAction;

protected:
    // The window sees every key before the focused control: a menu key wins over the same key of
    // an entry line (Ctrl+E, "end of line" in a line edit, saves the case).
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMainWindow& window_;
    QList<QAction*> keyed_; // the commands that have a key
};

} // namespace vardelo::app
