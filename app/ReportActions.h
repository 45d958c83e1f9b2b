#pragma once
// The diagnosis report from the window: the "PDF" button, which writes it where the physician
// chooses, and the "Pratilo" menu item, whose dialog keeps the practice program's place and
// exports the report there.

#include "report/DiagnosisReport.h"

#include <QObject>
#include <functional>
#include <optional>

class QWidget;

namespace vardelo::kb {
class Query;
}
namespace vardelo::engine {
class CaseSession;
}
namespace vardelo::platform {
class Desktop;
}

namespace vardelo::app {

class MessageInterface;

class ReportActions : public QObject {
    Q_OBJECT

public:
    // content reads what the window shows of the case at the time of the report.
    ReportActions(QWidget& window, kb::Query& query, engine::CaseSession& session, MessageInterface& messages,
                  platform::Desktop& desktop, std::function<report::ReportContent()> content);

    // The "PDF" button: the save dialog on the Diagnostics folder, then the file, opened afterwards.
    void writeReport();
    // The "Pratilo" menu item: the dialog, modal, centred on the window.
    void showExportDialog();

    // ---- The dialog's parts.
    // The practice program's executable as stored; empty when not set.
    QString storedExecutablePath();
    void storeExecutablePath(const QString& path);
    // The file chooser: the chosen path when it is the practice program's executable, an empty
    // path for any other file, nothing when cancelled.
    std::optional<QString> chooseExecutable(const QString& currentPath);
    // Writes the report into the "Export" folder beside the executable; no message on success.
    void exportReport(const QString& executablePath);

private:
    // Fills the report and its work table; false, after the message, when there is nothing to
    // report or the database failed.
    bool prepare(report::DiagnosisReport& diagnosisReport);
    void emptyWorkTable();

    QWidget& window_;
    kb::Query& query_;
    engine::CaseSession& session_;
    MessageInterface& messages_;
    platform::Desktop& desktop_;
    std::function<report::ReportContent()> content_;
};

} // namespace vardelo::app
