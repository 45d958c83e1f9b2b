#include "app/ReportActions.h"

#include "app/MessageInterface.h"
#include "dialogs/ExportSettingsDialog.h"
#include "engine/CaseSession.h"
#include "kb/Query.h"
#include "kb/Schema.h"
#include "platform/Desktop.h"
#include "platform/Folders.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace vardelo::app {

ReportActions::ReportActions(QWidget& window, kb::Query& query, engine::CaseSession& session,
                             MessageInterface& messages, platform::Desktop& desktop,
                             std::function<report::ReportContent()> content)
    : QObject(&window)
    , window_(window)
    , query_(query)
    , session_(session)
    , messages_(messages)
    , desktop_(desktop)
    , content_(std::move(content))
{}

bool ReportActions::prepare(report::DiagnosisReport& diagnosisReport)
{
    if (session_.isEmpty()) {
        messages_.message(report::NoEntryMessage);
        return false;
    }
    try {
        diagnosisReport.prepare(query_, content_());
    } catch (const kb::DbError& e) {
        messages_.error(e.message());
        return false;
    }
    return true;
}

void ReportActions::emptyWorkTable()
{
    try {
        report::emptyReportTable(query_);
    } catch (const kb::DbError& e) {
        messages_.error(e.message());
    }
}

void ReportActions::writeReport()
{
    report::DiagnosisReport diagnosisReport;
    if (!prepare(diagnosisReport))
        return;
    const QString folder = platform::ensureDocumentsSubfolder(QStringLiteral("Diagnostics"));
    QString path =
        messages_.askSaveFile(folder, report::proposedReportName(folder), QStringLiteral("PDF (*.pdf)"));
    // Cancelled: the rows stay in the work table until the next report empties it.
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    if (QFileInfo::exists(path) && messages_.show(DialogType::Warning, report::ReplaceQuestion,
                                                  {DialogButton::Yes, DialogButton::No}) != DialogButton::Yes)
        return;
    QString error;
    const bool written = diagnosisReport.write(path, &error);
    emptyWorkTable();
    if (!written) {
        messages_.error(error);
        return;
    }
    desktop_.openUrl(QUrl::fromLocalFile(path).toString());
}

QString ReportActions::storedExecutablePath()
{
    try {
        query_.open(QStringLiteral("select * from Prm where T = ?"), {kb::prm::PratiloPath});
        return query_.eof() ? QString() : query_.field(QStringLiteral("V"));
    } catch (const kb::DbError& e) {
        messages_.error(e.message());
        return QString();
    }
}

void ReportActions::storeExecutablePath(const QString& path)
{
    try {
        query_.open(QStringLiteral("select * from Prm where T = ?"), {kb::prm::PratiloPath});
        if (query_.eof()) {
            query_.append();
            query_.setField(QStringLiteral("T"), kb::prm::PratiloPath);
        } else {
            query_.edit();
        }
        query_.setField(QStringLiteral("V"), path);
        query_.post();
    } catch (const kb::DbError& e) {
        messages_.error(e.message());
    }
}

std::optional<QString> ReportActions::chooseExecutable(const QString& currentPath)
{
    const QString folder = currentPath.isEmpty() ? QDir::homePath() : QFileInfo(currentPath).absolutePath();
    const QString chosen = messages_.askOpenFile(folder, QStringLiteral("Fichier executable (*.exe)"));
    if (chosen.isEmpty())
        return std::nullopt;
    return report::isPratiloExecutable(chosen) ? QDir::toNativeSeparators(chosen) : QString();
}

void ReportActions::exportReport(const QString& executablePath)
{
    if (executablePath.isEmpty()) {
        messages_.message(report::NoPratiloPathMessage);
        return;
    }
    report::DiagnosisReport diagnosisReport;
    if (!prepare(diagnosisReport))
        return;
    QString error;
    const bool written = report::writeExport(diagnosisReport, executablePath, &error);
    emptyWorkTable();
    if (!written)
        messages_.error(error);
}

void ReportActions::showExportDialog()
{
    dialogs::ExportSettingsDialog dialog(storedExecutablePath(), &window_);
    connect(&dialog, &dialogs::ExportSettingsDialog::pathChanged, this, &ReportActions::storeExecutablePath);
    connect(&dialog, &dialogs::ExportSettingsDialog::chooseRequested, this, [this, &dialog] {
        if (const auto path = chooseExecutable(dialog.executablePath()))
            dialog.setExecutablePath(*path);
    });
    connect(&dialog, &dialogs::ExportSettingsDialog::exportRequested, this,
            [this, &dialog] { exportReport(dialog.executablePath()); });
    dialog.adjustSize();
    dialog.move(window_.geometry().center() - dialog.rect().center());
    dialog.exec();
}

} // namespace vardelo::app
