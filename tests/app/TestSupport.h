#pragma once
// What the window tests put around the program: a scripted answerer for the message boxes, a
// recorder of desktop requests, a version server on loopback and a small knowledge base.

#include "app/Environment.h"
#include "app/MessageInterface.h"
#include "platform/Desktop.h"

#include <QByteArray>
#include <QList>
#include <QTcpServer>
#include <QTemporaryDir>
#include <deque>

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
    app::DialogButton show(app::DialogType type, const QString& text,
                           const QList<app::DialogButton>& buttons) override;
    QStringList texts() const;
};

class RecordingDesktop : public platform::Desktop {
public:
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

    ScriptedMessages messages;
    RecordingDesktop desktop;

private:
    QTemporaryDir dir_;
};

// An address where nothing listens, for the no-network case.
QString deadUrl();

} // namespace vardelo::testing
