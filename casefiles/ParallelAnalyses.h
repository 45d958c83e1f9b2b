#pragma once
// The parallel analyses of a case: one case split into independent analyses, each with its own
// entries, notes and retained diagnosis. Rows are created unconfirmed; saving the case file
// confirms them; unconfirmed rows are purged at shutdown.

#include "casefiles/CaseFileStore.h"

#include <functional>

namespace vardelo::casefiles {

inline const QString AnalysisPrefix = QStringLiteral("Analyse Parallèle ");
inline const QString BranchQuestion = QStringLiteral(
    "Cette Entrée ne fait pas partie de la symptomatologie\r\ndes maladies proposées dans cette "
    "Analyse.\r\n\r\nMais elle existe dans d'autres pathologies ou maladies associées.\r\n\r\nVoulez vous "
    "ouvrir une Analyse Paralléle ?");

// The bracketed entry that names the first analysis of a case: its first sign that is not "(",
// otherwise its first exam line that is neither "not" nor "and". Nothing when no entry qualifies.
std::optional<QString> firstAnalysisEntry(const QStringList& signs, const QStringList& exams);

class ParallelAnalyses {
public:
    explicit ParallelAnalyses(kb::Connection& connection);

    // Creates an unconfirmed analysis "Analyse Parallèle " + bracketedEntry from the content (its
    // retained diagnosis only when withDiagnosis). Returns the analysis's name, made distinct from
    // the case's other analyses with a " (2)", " (3)"... suffix.
    std::optional<QString> create(const QString& caseId, const QString& bracketedEntry,
                                  const CaseContent& content, bool withDiagnosis, QString* error);
    // Writes the content into the analysis (after an evaluation; with its diagnosis on save). No row:
    // nothing happens.
    Outcome writeBack(const QString& caseId, const QString& analysis, const CaseContent& content,
                      bool withDiagnosis);
    std::optional<QStringList> confirmed(const QString& caseId, QString* error);
    // The content of one analysis; nothing (and no error) when it does not exist.
    std::optional<CaseContent> load(const QString& caseId, const QString& analysis, QString* error);

    struct RemoveResult {
        QString error;
        QStringList analyses;               // what the analysis list holds now
        std::optional<CaseContent> becomes; // the content the case switches to (item 0, or the plain case)
    };
    // Deletes the analysis. When one analysis would remain, the case turns plain again: every
    // analysis of the case goes, and a saved case file gets the remaining content back, in the
    // same transaction, so that no crash can leave an empty case file.
    RemoveResult remove(const QString& caseId, const QStringList& items, const QString& analysis);

    // Deletes every unconfirmed analysis (at shutdown).
    Outcome purgeUnconfirmed();

    // The branching flow, after the user answered Yes to BranchQuestion. takesEntry evaluates an
    // analysis's entries and says whether the pending entry is among its candidates.
    struct BranchResult {
        QString error;
        QStringList analyses; // the analysis list now
        int selected = -1;    // the analysis to select, where the entry is validated
        bool created = false; // a new, empty analysis: clear the case content before validating
        CaseContent load;     // when !created: the analysis's content (entries and notes) to load
    };
    BranchResult branch(const QString& caseId, const QStringList& items, const CaseContent& current,
                        const QString& bracketedEntry,
                        const std::function<bool(const CaseContent&)>& takesEntry);

    // The sign variant, called from the validation of a chosen suggestion.
    BranchResult branchForSign(const QString& caseId, const QStringList& items, const CaseContent& current,
                               const QString& sign,
                               const std::function<bool(const CaseContent&)>& offersSign);
    // The exam variant, for an exam line outside the current differential.
    BranchResult branchForExamLine(const QString& caseId, const QStringList& items,
                                   const CaseContent& current, const QString& examLine,
                                   const std::function<bool(const CaseContent&)>& offersExamLine);

private:
    kb::Connection& db_;
};

} // namespace vardelo::casefiles
