#include "TestSupport.h"

#include "kb/Sqlite.h"
#include "kb/VersionArea.h"
#include "tools/kb/Knowledge.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTest>

namespace vardelo::testing {

app::DialogButton ScriptedMessages::show(app::DialogType type, const QString& text,
                                         const QList<app::DialogButton>& buttons)
{
    shown.append({type, text});
    if (!answers.empty()) {
        const app::DialogButton answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return buttons.value(0, app::DialogButton::Ok);
}

QString ScriptedMessages::askSaveFile(const QString& folder, const QString& fileName, const QString&)
{
    fileRequests << folder << fileName;
    if (files.empty())
        return QString();
    const QString path = files.front();
    files.pop_front();
    return path;
}

QString ScriptedMessages::askOpenFile(const QString& folder, const QString&)
{
    fileRequests << folder;
    if (files.empty())
        return QString();
    const QString path = files.front();
    files.pop_front();
    return path;
}

QStringList ScriptedMessages::texts() const
{
    QStringList out;
    for (const ShownMessage& m : shown)
        out.append(m.text);
    return out;
}

bool RecordingDesktop::openUrl(const QString& address)
{
    opened.append(address);
    return !fails;
}

bool RecordingDesktop::openFolder(const QString& path)
{
    opened.append(path);
    return !fails;
}

bool RecordingDesktop::startProgram(const QString& program, const QStringList&, const QString&)
{
    started.append(program);
    return true;
}

VersionServer::VersionServer(int status, const QByteArray& body)
    : status_(status)
    , body_(body)
{
    listen(QHostAddress::LocalHost);
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                if (!socket->readAll().contains("\r\n\r\n"))
                    return;
                const QByteArray reason = status_ == 200 ? "OK" : "Not Found";
                socket->write("HTTP/1.1 " + QByteArray::number(status_) + ' ' + reason +
                              "\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: " +
                              QByteArray::number(body_.size()) + "\r\n\r\n" + body_);
                socket->disconnectFromHost();
            });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QString VersionServer::url() const
{
    return QStringLiteral("http://127.0.0.1:%1/Files/Other/Vardelo.vl").arg(serverPort());
}

ProgramFolder::ProgramFolder(const QString& version)
{
    const kbc::LoadResult sources = kbc::loadKnowledge(QStringLiteral(VARDELO_FIXTURES "/knowledge"));
    QString error;
    if (!kbc::writeDatabase(sources.knowledge, file(QStringLiteral("Data.vdat")), &error))
        qFatal("%s", qPrintable(error));
    if (!version.isEmpty()) {
        kb::Connection db(file(QStringLiteral("Data.vdat")), kb::Connection::Mode::ReadWrite);
        db.exec(QStringLiteral("update VersionArea set Area = ?"), {kb::encodeVersionArea(version)});
    }
}

void ProgramFolder::flagEmergency(const QString& pathology)
{
    kb::Connection db(file(QStringLiteral("Data.vdat")), kb::Connection::Mode::ReadWrite);
    db.exec(QStringLiteral("insert into Emergency (P) values (?)"), {pathology});
}

app::Environment ProgramFolder::environment(const QString& versionUrl)
{
    app::Environment env;
    env.programDir = path();
    env.workingDir = path();
    env.versionUrl = versionUrl;
    env.networkTimeoutMs = 2000;
    env.messages = &messages;
    env.desktop = &desktop;
    env.modals = &modals;
    return env;
}

QString deadUrl()
{
    // Bind a port and close it again: nothing listens there any more.
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return QStringLiteral("http://127.0.0.1:%1/Files/Other/Vardelo.vl").arg(port);
}

QWidget* focusWidget()
{
    QWidget* widget = QApplication::focusWidget();
    if (!widget)
        qFatal("No widget has the keyboard focus");
    return widget;
}

void typeText(const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(focusWidget(), &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(focusWidget(), &release);
    }
}

void pressKey(Qt::Key key)
{
    QTest::keyClick(focusWidget(), key);
}

int ScriptedModals::run(QDialog& dialog)
{
    shown.append(dialog.objectName());
    if (handlers.empty())
        return QDialog::Rejected;
    const Handler handler = std::move(handlers.front());
    handlers.pop_front();
    // As a modal window does: it takes the keyboard, and gives it back to the window below.
    QWidget* below = dialog.parentWidget() ? dialog.parentWidget()->window() : QApplication::activeWindow();
    dialog.setResult(QDialog::Rejected);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    if (!QTest::qWaitForWindowActive(&dialog))
        qFatal("The dialog \"%s\" did not become active", qPrintable(dialog.objectName()));
    const int code = handler(dialog);
    dialog.hide();
    QCoreApplication::processEvents();
    if (below && below->isVisible()) {
        QApplication::setActiveWindow(below);
        if (!QTest::qWaitForWindowActive(below))
            qWarning("The window below the dialog did not become active again");
    }
    return code;
}

ScriptedModals::Handler ScriptedModals::result(int code)
{
    return [code](QDialog&) { return code; };
}

ScriptedModals::Handler ScriptedModals::typeAndPress(const QString& text, Qt::Key key)
{
    return [text, key](QDialog& dialog) {
        typeText(text);
        pressKey(key);
        return dialog.result();
    };
}

ScriptedModals::Handler ScriptedModals::click(const QString& button)
{
    return [button](QDialog& dialog) {
        child<QAbstractButton>(&dialog, button)->click();
        return dialog.result();
    };
}

void WindowTest::showProgram()
{
    program = std::make_unique<app::Program>(folder->environment(deadUrl()));
    program->start();
    form = program->mainWindow();
    form->setNewCaseOnFirstActivation(false);
    form->show();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
}

} // namespace vardelo::testing
