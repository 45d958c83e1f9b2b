#pragma once
// What the window tests put around the program: a scripted answerer for the message boxes, a
// recorder of desktop requests, a version server on loopback and a small knowledge base.

#include "app/Environment.h"
#include "app/MainWindow.h"
#include "app/MessageInterface.h"
#include "app/Program.h"
#include "dialogs/ModalRunner.h"
#include "platform/Desktop.h"

#include <QAction>
#include <QApplication>
#include <QByteArray>
#include <QComboBox>
#include <QList>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QToolButton>
#include <deque>
#include <functional>
#include <memory>

namespace vardelo::testing {

struct ShownMessage {
    app::DialogType type;
    QString text;
};

class ScriptedMessages : public app::MessageInterface {
public:
    // Answers in order; once they run out every box is answered with its first button.
    std::deque<app::DialogButton> answers;
    QList<ShownMessage> shown;
    // The paths the file choosers return in order; once they run out, every chooser is cancelled.
    std::deque<QString> files;
    // What each chooser was opened on: the folder, then the proposed file name for a save.
    QStringList fileRequests;
    app::DialogButton show(app::DialogType type, const QString& text,
                           const QList<app::DialogButton>& buttons) override;
    QString askSaveFile(const QString& folder, const QString& fileName, const QString& filter) override;
    QString askOpenFile(const QString& folder, const QString& filter) override;
    QStringList texts() const;
};

// Runs the dialogs of the free entry and the interrogation without a nested event loop: each
// dialog is shown, handed to the next prepared handler, which drives its widgets as the physician
// would and returns the dialog's result, and hidden again.
class ScriptedModals : public dialogs::ModalRunner {
public:
    using Handler = std::function<int(QDialog&)>;
    // Handlers in order; once they run out every dialog is closed without an answer.
    std::deque<Handler> handlers;
    QStringList shown; // the object names of the dialogs, in order
    int run(QDialog& dialog) override;

    // Handlers for the usual answers.
    static Handler result(int code);                               // returns code without touching the dialog
    static Handler typeAndPress(const QString& text, Qt::Key key); // keys to the focused widget
    static Handler click(const QString& button);                   // clicks that button of the dialog
};

class RecordingDesktop : public platform::Desktop {
public:
    bool fails = false; // as on a machine with no browser nor file manager
    QStringList opened;
    QStringList started;
    bool openUrl(const QString& address) override;
    bool openFolder(const QString& path) override;
    bool startProgram(const QString& program, const QStringList& arguments, const QString& folder) override;
};

// Answers every GET with the same status and body.
class VersionServer : public QTcpServer {
public:
    VersionServer(int status, const QByteArray& body);
    QString url() const;

private:
    int status_;
    QByteArray body_;
};

// A working folder holding a knowledge base compiled from the test fixture (version "1.0" unless
// another is given), with the program's files beside it.
class ProgramFolder {
public:
    explicit ProgramFolder(const QString& version = QString());
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    app::Environment environment(const QString& versionUrl);
    // Flags a pathology of the base as an emergency; the program reads the flags once, so this
    // comes before it starts.
    void flagEmergency(const QString& pathology);

    ScriptedMessages messages;
    ScriptedModals modals;
    RecordingDesktop desktop;

private:
    QTemporaryDir dir_;
};

// An address where nothing listens, for the no-network case.
QString deadUrl();

// The object of that name and type below root (its Qt object name); a missing one ends the test
// run with its name.
template <typename T = QWidget>
T* child(const QObject* root, const QString& name)
{
    T* found = root->findChild<T*>(name);
    if (!found)
        qFatal("No %s named \"%s\" below \"%s\"", T::staticMetaObject.className(), qPrintable(name),
               qPrintable(root->objectName()));
    return found;
}

// What the window tests share: the program started on a ProgramFolder, its main window shown and
// active, without the patient sheet of the first activation, and its widgets found by name.
class WindowTest : public QObject {
protected:
    // Starts the program on folder and shows its window.
    void showProgram();

    template <typename T = QWidget>
    T* find(const char* name) const
    {
        return child<T>(form, QString::fromLatin1(name));
    }
    QToolButton* button(const char* name) const { return find<QToolButton>(name); }
    QComboBox* combo(const char* name) const { return find<QComboBox>(name); }
    void trigger(const char* action) const { find<QAction>(action)->trigger(); }

    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<app::Program> program;
    app::MainWindow* form = nullptr;
};

// The widget that receives the keyboard's keys; ends the test run when none has the focus.
QWidget* focusWidget();
// Types text into the widget that has the focus, one character at a time, accents included.
void typeText(const QString& text);
// Presses and releases a key in the widget that has the focus.
void pressKey(Qt::Key key);

} // namespace vardelo::testing
