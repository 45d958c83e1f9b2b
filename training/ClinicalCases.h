#pragma once
// Training on the knowledge base: a random patient (sex and age band), a random pathology that
// suits them, and what the physician is shown of it; then the running count of a series of cases.

#include <QString>
#include <QStringList>
#include <optional>
#include <random>

namespace vardelo::kb {
class Query;
}

namespace vardelo::training {

// The program's generator: seeded once at start in the program, by hand in tests so that draws
// repeat.
using RandomEngine = std::mt19937;

struct ClinicalCase {
    QString pathology;
    QChar sex;                         // 'h' or 'f'
    QString ageBand;                   // "1", "2" or "3"
    QString patientText;               // "Patient de sexe Masculin avec l'âge inférieur à 15 ans"
    QStringList signs;                 // the pathology's signs the patient can have, in the base's order
    QStringList exams;                 // "exam : result", none for a pathology without exams
    QStringList associatedPathologies; // named by "Pathologie : ..." sign lines, last first
};

// "Pathologie associée" for exactly one, "Pathologies associées" otherwise.
QString associatedPathologiesCaption(qsizetype count);

// What the physician is shown of a pathology row for that patient: the signs reserved to the
// other sex or another age band (table SC) are left out. Database errors raise kb::DbError.
ClinicalCase describeCase(kb::Query& query, const QString& pathology, const QString& signField,
                          const QString& examField, QChar sex, const QString& ageBand);

// Draws a patient, then one of the pathologies whose applicability field holds both their sex and
// their age band. When none suits that patient, another patient is drawn among those not tried
// yet. Nothing when no pathology suits any patient; *error then says so in French.
std::optional<ClinicalCase> drawCase(kb::Query& query, RandomEngine& random, QString* error);

// The names of every pathology, in the order of the base.
QStringList allPathologyNames(kb::Query& query);

// The score of a series as stored and shown: at least two integer digits, one decimal, a comma
// and " %" ("66,0 %", "100,0 %").
QString formatScore(int percent);

// The counts of a series of cases. Each drawn case counts once at most, however often it is
// checked, so a score never exceeds 100 %.
class Series {
public:
    static constexpr int DefaultLength = 10;

    int length() const { return length_; }
    int drawn() const { return drawn_; }
    int correct() const { return correct_; }
    bool hasCurrentCase() const { return current_.has_value(); }
    const ClinicalCase* currentCase() const { return current_ ? &*current_ : nullptr; }
    // "3/10": cases drawn, series length.
    QString progressText() const;

    // Abandons the series and its counts and starts one of that length.
    void restart(int length);
    // Whether another case may be drawn: a series of length 0 draws none.
    bool canDraw() const { return drawn_ < length_; }
    // Takes a freshly drawn case as the current one.
    void addCase(ClinicalCase drawn);
    // Checks an answer (the chosen list item, or the typed text: either must equal the pathology's
    // name exactly). Returns whether it is right; only the first check of a case counts.
    bool check(const QString& chosen, const QString& typed);
    // Every case drawn and the last one checked.
    bool isComplete() const { return length_ > 0 && drawn_ == length_ && currentChecked_; }
    // The integer percentage of right answers, the fraction dropped.
    int scorePercent() const { return length_ > 0 ? correct_ * 100 / length_ : 0; }

private:
    int length_ = DefaultLength;
    int drawn_ = 0;
    int correct_ = 0;
    std::optional<ClinicalCase> current_;
    bool currentChecked_ = false;
};

} // namespace vardelo::training
