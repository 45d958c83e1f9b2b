#pragma once
// The saved case files of the table Fiche and their parallel analyses in diagnostics_parallele.
// Every command that writes runs in one transaction: a crash or a database error leaves the case
// files exactly as they were before it. Failures come back as French messages, never as exceptions.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

namespace vardelo::kb {
class Connection;
}

namespace vardelo::casefiles {

// What a case file (or one of its analyses) holds.
struct CaseContent {
    QChar sex = u'f';
    QString ageBand;
    QStringList signs;
    QStringList exams;
    QString retained;
    QString notesRtf;
    bool operator==(const CaseContent&) const = default;
};

// Empty when the command succeeded; otherwise the French message to show.
struct Outcome {
    QString error;
    bool ok() const { return error.isEmpty(); }
};

inline const QString DefaultPatientName = QStringLiteral("Sans nom");
inline const QString NothingToSaveMessage =
    QStringLiteral("Vous n'avez pas encore effectuer une recherche diagnostic.\r\nVeuillez la faire pour "
                   "pouvoir enregistrer.");
inline const QString NotSavedMessage =
    QStringLiteral("Cette fiche n'est pas enregistrée pour être supprimée");
inline const QString NothingToDeleteMessage = QStringLiteral("Pas de fiches enregistrées pour supprimer");
inline const QString DeleteQuestion = QStringLiteral("Voulez-vous supprimer cette Fiche ?");
inline const QString DeleteAllQuestion =
    QStringLiteral("Voulez-vous supprimer toutes les fiches enregistrées ?");
inline const QString OfferToSaveQuestion = QStringLiteral("Voulez vous enregistrer cette fiche diagnostic ?");

// "Name   [dd/MM/yyyy  HH:mm:ss]": the name of a new case, fixed when the case is started.
QString caseName(const QString& patientName, const QDateTime& when);
// The patient-name part of a case name: the text before its first "   [".
QString patientNameOf(const QString& caseName);

struct OpenedCase {
    CaseContent content;  // the plain content, or the last confirmed analysis of a split case
    QStringList analyses; // the confirmed analyses, in the order the database returns them
};

class CaseFileStore {
public:
    explicit CaseFileStore(kb::Connection& connection);

    // The names of the saved case files, newest first.
    std::optional<QStringList> list(QString* error);
    bool isSaved(const QString& id, QString* error);

    // A name for a new case that no case file and no analysis uses yet: the plain name, or the
    // name followed by " (2)", " (3)"... when a case was started in the same second under it.
    std::optional<QString> newCaseName(const QString& patientName, const QDateTime& when, QString* error);

    struct SaveRequest {
        QString id;              // the current case's name
        bool isNew = true;       // the new-case entry (no case file yet)
        CaseContent content;     // the case on screen
        QString currentAnalysis; // the selected analysis, empty when the case is not split
    };
    struct SaveResult {
        QString error;
        QString savedAs; // the name the case file is stored under (a suffix when the name was taken)
        bool split = false;
    };
    // Confirms the case's analyses, writes the current one with its diagnosis, and writes the case
    // file: a header when the case has analyses, its content otherwise. An open case file is
    // rewritten in place.
    SaveResult save(const SaveRequest& request);

    std::optional<OpenedCase> open(const QString& id, QString* error);

    // Deletes the case file and its confirmed analyses.
    Outcome remove(const QString& id);
    // Deletes every case file and every analysis.
    Outcome removeAll();

private:
    kb::Connection& db_;
};

// Turns a database failure into the message shown to the user.
QString databaseErrorMessage(const QString& detail);

} // namespace vardelo::casefiles
