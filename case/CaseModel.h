#pragma once
// The case under diagnosis: the sign formula, the exam list, the patient, and the lists of what is
// still worth offering, with the rules that keep the formula well formed.

#include "case/SortedList.h"

#include <QStringList>
#include <vector>

namespace vardelo::model {

namespace token {
inline const QString And = QStringLiteral("and");
inline const QString Not = QStringLiteral("not");
inline const QString Or = QStringLiteral("or");
inline const QString Ignore = QStringLiteral("ignore");
inline const QString Open = QStringLiteral("(");
inline const QString Close = QStringLiteral(")");
} // namespace token

// Token tests are exact, case-sensitive comparisons of the whole element.
bool isOperator(const QString& element);     // "and", "not", "or"
bool isSignToken(const QString& element);    // any of the six tokens
bool isExamOperator(const QString& element); // "and", "not"

struct CaseState {
    QStringList SCList;
    QStringList EC_List;
    QChar PatientSex = u'f';
    QString PatientAgeBand;
    SortedList CandidateSigns;
    SortedList CandidateExams;
    SortedList CandidateExamLines;
    QString PendingExamLine;
};

// Polarity of a sign in the formula: 1 present, 0 absent ("not"), 2 undetermined ("ignore"),
// -1 not in the formula. Looked up without regard to case.
int Entree(const QStringList& scList, QStringView str);

// Display text of a sign element: one leading space and two trailing spaces removed.
QString Texte_SC(QString element);

enum class Repair { None, Deleted, DeletedWithWarning };
// Repairs at most one illegal position; DeletedWithWarning asks the caller to show
// "Formulation non autorisée car risque d'erreur.".
Repair Corrige_SC(QStringList& list);
// Drops the earlier of the first two adjacent exam operators; true when it deleted one.
bool Corrige_EC(QStringList& list);

inline const QString FormulationWarning = QStringLiteral("Formulation non autorisée car risque d'erreur.");

// The stored text form: every element followed by CR LF.
QString listToText(const QStringList& list);
QStringList listFromText(const QString& text);

// Formatted text of the two formula displays, built without any widget.
struct FormattedRun {
    QString text;
    bool bold = false;
    bool blue = false; // blue, otherwise the window text colour
    friend bool operator==(const FormattedRun&, const FormattedRun&) = default;
};
std::vector<FormattedRun> Affiche_SC(const QStringList& list);

struct ExamParagraph {
    std::vector<FormattedRun> runs;
    bool bullet = false;
    friend bool operator==(const ExamParagraph&, const ExamParagraph&) = default;
};
std::vector<ExamParagraph> Affiche_EC(const QStringList& list);

} // namespace vardelo::model
