#pragma once
// The diagnosis report of a case: the patient, the notes, the signs and exams as displayed, the
// current analysis, the ranked diagnoses, the retained diagnosis and the disclaimer, on as many A4
// pages as it takes. The main window, the export and the command-line tool all write it here.

#include "engine/Evaluation.h"
#include "report/ReportLayout.h"

#include <QStringList>
#include <vector>

namespace vardelo::kb {
class Query;
}

namespace vardelo::report {

inline const QString NoEntryMessage = QStringLiteral("Veuillez valider au moins une entrée");
inline const QString ReplaceQuestion = QStringLiteral("Ce fichier existe déjà.\r\nVoulez vous le remplacer?");
inline const QString LinearAnalysis = QStringLiteral("Analyse linéaire");
inline const QString EmergencyMark = QStringLiteral("Urgence");

// What the report shows, taken from the window (or from a case given on the command line).
struct ReportContent {
    QString kbVersion;
    QString caseName;   // the entry of the case-file list
    QString sexCaption; // as the patient banner shows them
    QString ageCaption;
    QString notesRtf;
    QStringList signFormula; // the case's lists, drawn as their displays draw them
    QStringList examLines;
    QString analysisName; // the current parallel analysis; empty for none
    QString percentCaption = QStringLiteral("%");
    QString diagnosesCaption;
    QString rankingCaption;                 // the ranking choice, "Tri par Prévalence" for example
    std::vector<engine::DiagnosisRow> rows; // in display order
    QString retainedDiagnosis;
};

// Thirty-nine dots separated by spaces: what an empty notes, signs or exams field shows.
QString dottedLine();

class DiagnosisReport {
public:
    DiagnosisReport();

    // Fills the page header and footer fields from content.
    void fillFields(const ReportContent& content);
    // Fills the fields, refills the work table "Report" with the diagnosis rows in display order,
    // reads it back for the data band and lays the pages out. Database errors raise kb::DbError.
    void prepare(kb::Query& query, const ReportContent& content);
    int pageCount() const { return layout_.pageCount(); }
    QByteArray pdf() const;
    // Writes the prepared report as one PDF file, atomically; false with a French reason otherwise.
    bool write(const QString& path, QString* error) const;

    ReportLayout& layout() { return layout_; }

private:
    ReportLayout layout_;
    std::vector<bool> emergencies_;
};

// Empties the work table between two uses.
void emptyReportTable(kb::Query& query);

// The first of "Diagnostic1.pdf", "Diagnostic2.pdf" and so on that does not exist in folder.
QString proposedReportName(const QString& folder);

// ---- The export for the practice program.
inline const QString ExportFileName = QStringLiteral("Diagnostic Vardelo.pdf");
inline const QString PratiloExecutable = QStringLiteral("PRATILO.exe");
inline const QString NoPratiloPathMessage =
    QStringLiteral("Veuillez définir d'abord le chemin d'acces du programme PRATILO.EXE");

// True when the file name of path is the practice program's executable, in any letter case.
bool isPratiloExecutable(const QString& path);
// The "Export" folder beside the executable, and the file the report goes to in it.
QString exportFolder(const QString& executablePath);
QString exportFile(const QString& executablePath);
// Creates the export folder when missing, then writes the prepared report over the export file.
bool writeExport(const DiagnosisReport& report, const QString& executablePath, QString* error);

} // namespace vardelo::report
