#pragma once
// What the program takes from its surroundings at start. The program fills it from the system;
// tests fill it with a temporary folder, a loopback server, a scripted answerer and a recorder.

#include "app/MessageInterface.h"
#include "dialogs/ModalRunner.h"
#include "platform/Desktop.h"

#include <QString>

namespace vardelo::app {

struct Environment {
    QString programDir; // where the program, its manual and the bundled knowledge are
    QString workingDir; // where the physician's files live: Data.vdat, Apparence.app, Apprentissage.vl
    QString versionUrl; // the remote version file
    int networkTimeoutMs = 4000;
    MessageInterface* messages = nullptr;
    platform::Desktop* desktop = nullptr;
    // How the dialogs of the free entry and the interrogation run; exec() when null.
    dialogs::ModalRunner* modals = nullptr;

    QString workingFile(const QString& name) const;
    QString programFile(const QString& name) const;
    // Installed for the whole system, the program keeps the physician's files apart from its own.
    bool keepsWorkApart() const;
};

} // namespace vardelo::app
