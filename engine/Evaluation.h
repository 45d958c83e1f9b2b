#pragma once
// The diagnosis evaluation: runs the query built from the case, scores and ranks the pathologies it
// returns, and refills the lists of the signs and exams still worth offering.

#include "case/CaseModel.h"
#include "kb/Query.h"

#include <QHash>
#include <QSet>
#include <memory>
#include <optional>
#include <vector>

namespace vardelo::engine {

inline const QString CaptionDiagnoses = QStringLiteral("Diagnostics évoqués");

// The diagnosis list's header for a ranking of that many pathologies; both evaluation paths use it.
QString diagnosesHeader(qsizetype count);
inline const QString CaptionSigns = QStringLiteral("Signes cliniques / Symptômes");
inline const QString CaptionExams = QStringLiteral("Examens complémentaires");
inline const QString CaptionNotes = QStringLiteral("Notes");
inline const QString CaptionPathologies = QStringLiteral("Pathologies");

// Prevalence and probability keep only the pathologies that have every finding joined by "and";
// concordance ranks every pathology by the findings it explains and those it leaves unexplained.
enum class SortMode { Prevalence = 0, Probability = 1, Concordance = 2 };
// The ranking modes as the physician chooses them and the report names them, in the order of SortMode.
inline const QStringList SortModeCaptions = {QStringLiteral("Tri par Prévalence"),
                                             QStringLiteral("Tri par Probabilité"),
                                             QStringLiteral("Tri par concordance")};
inline QString sortModeCaption(SortMode mode)
{
    return SortModeCaptions.value(int(mode));
}

// Why a pathology is in the list: the entered findings it explains, each with the weight it brings
// (its sign or exam line's weight, learning included), and those it does not explain, a negated
// finding that it has among them.
struct ExplainedFinding {
    QString finding;
    qint64 weight = 0;
    friend bool operator==(const ExplainedFinding&, const ExplainedFinding&) = default;
};
struct FindingReasons {
    std::vector<ExplainedFinding> explains;
    QStringList lacks;
    friend bool operator==(const FindingReasons&, const FindingReasons&) = default;
};

// Rank scores and ranks the pathologies; RefreshOffers only refills the lists of what is still worth
// offering.
enum class EvaluationMode { RefreshOffers, Rank };

struct DiagnosisRow {
    QString percent;        // column 0, "99" for the best
    QString name;           // column 1, the pathology
    bool emergency = false; // the pathology needs hospital care the same day
    friend bool operator==(const DiagnosisRow&, const DiagnosisRow&) = default;
};

struct EvaluationResult {
    bool failed = false;
    QString reason; // why the evaluation failed, in French
    QString header; // column 1 header
    std::vector<DiagnosisRow> rows;
    // Page captions; set only when the evaluation completed (a failure keeps the previous ones).
    QString signsPageCaption;
    QString examsPageCaption;
    // Progress bar after the walk: maximum and position (the vocabulary mode sets only the position).
    int progressMaximum = -1;
    int progressPosition = 0;
};

// Knowledge-base texts are read through the cipher with this key; empty in this program.
struct EvaluationOptions {
    SortMode sortMode = SortMode::Prevalence;
    const QStringList* learningList = nullptr;
    QString cipherKey;
};

class MemoryEvaluator;

// Which way the condition is evaluated. Both give the same results; the SQL path runs the
// condition as a statement on the shared query object and is the yardstick of the other.
enum class EvaluationPath { InMemory, Sql };

class Evaluator {
public:
    explicit Evaluator(kb::Query& query);
    ~Evaluator();

    // A non-empty pathologie replaces formule as the whole condition. The candidate lists of the case
    // are refilled.
    EvaluationResult evaluate(model::CaseState& state, EvaluationMode mode, const QString& formule,
                              const QString& pathologie, const EvaluationOptions& options);

    // Why the pathology of that name is (or is not) in the ranking of the case; nothing when the
    // knowledge has no such pathology.
    std::optional<FindingReasons> reasons(const model::CaseState& state, const QString& pathology,
                                          const EvaluationOptions& options);

    void setPath(EvaluationPath path) { path_ = path; }
    EvaluationPath path() const { return path_; }
    // Reads the knowledge into memory ahead of the first evaluation (start-up calls it).
    void prepare();
    // How many evaluations each path answered: the in-memory path leaves to the SQL path what it
    // cannot answer with certainty (failures, unusual conditions).
    int answeredInMemory() const { return answeredInMemory_; }
    int answeredWithSql() const { return answeredWithSql_; }

    // Withholds from list the signs reserved to the other sex or to another age band.
    void Filtre_Sexe_Age(model::SortedList& list, QChar patientSex, const QString& patientAgeBand,
                         const QString& cipherKey);

private:
    EvaluationResult evaluateWithSql(model::CaseState& state, EvaluationMode mode, const QString& formule,
                                     const QString& pathologie, const EvaluationOptions& options);
    // Drops what the SQL path keeps of the knowledge when the file's knowledge stamp changed.
    void checkStamp();
    // The same with the stamp already read.
    void useStamp(const QString& stamp);

    struct Pathology {
        QString name;
        QString prevalence;                      // read as an integer at each use, as the column is
        QStringList signTexts;                   // GetSC of each sign line
        QStringList signKeys;                    // and its case key
        std::vector<std::optional<int>> weights; // Get_P of each sign line; none when not an integer
        QStringList examTexts;                   // GetSC of each exam line, read as stored
        QStringList examKeys;                    // and its case key
        // The vocabulary mode reads the exam lines through the cipher, the ranking reads them as
        // stored: both are the same with the empty key, and the second pair is then left empty.
        QStringList decipheredExamTexts;
        QStringList decipheredExamKeys;
        int signLength = 0; // LS: the lines joined back, each followed by CR LF
        int examLength = 0; // LE
    };
    const Pathology& pathology(qint64 rowId, const QString& cipherKey);
    void loadPathologies(const QString& cipherKey);
    // Sets the emergency flag of every row from the knowledge's list of emergencies.
    void markEmergencies(EvaluationResult& result);

    kb::Query& query_;
    EvaluationPath path_ = EvaluationPath::InMemory;
    int answeredInMemory_ = 0;
    int answeredWithSql_ = 0;
    std::unique_ptr<MemoryEvaluator> memory_;
    QString stamp_; // the knowledge stamp the SQL path's pathologies and withheld signs were read under
    // Each pathology is read and split once for a given knowledge.
    QHash<qint64, Pathology> pathologies_;
    QSet<QString> emergencies_; // the names of the pathologies flagged as emergencies
    bool emergenciesLoaded_ = false;
    QString cachedKey_;
    bool loaded_ = false;
    QHash<QString, QStringList> withheld_;
};

} // namespace vardelo::engine
