#pragma once
// The knowledge-base sources (YAML under knowledge/) as a model: loading, checking, and writing
// the database file.

#include <QString>
#include <QStringList>
#include <vector>

namespace vardelo::kbc {

struct Diagnostic {
    enum class Severity { Error, Warning };
    Severity severity = Severity::Error;
    QString file;
    int line = 0;
    QString reason;
    QString toString() const;
};

struct VocabularyEntry {
    QString text; // SC.S or EC.S
    QString exp;
    QString sup;
    QString sex;
    QString age;
    QString file;
    int line = 0;
    bool generated = false; // an associated-pathology sign made by the compiler
};

struct SourceLine {
    QString text;
    int line = 0;
};

struct Pathology {
    QString file;
    int line = 0;
    QString name;
    int prevalence = 0;
    QString applicability;
    QString search;
    // Words under which a record names the disease as the patient's history ("dt2"), added to the
    // keywords of its "Pathologie : " sign; may be empty.
    QString history;
    std::vector<SourceLine> signs;
    std::vector<SourceLine> exams;
    QString definitionRtf;
    QString treatmentRtf;
    QString definitionText; // the Markdown sources, for the checks that read them
    QString treatmentText;
    // Needs hospital care the same day; `emergency` may be left out only when the treatment does
    // not open on an urgent referral.
    bool emergency = false;
    bool emergencyStated = false;
    int emergencyLine = 0;
    // Signs the definition names that are deliberately left out of the list (a negated sign, a
    // complication, a differential diagnosis).
    std::vector<SourceLine> definitionOnly;
};

struct Knowledge {
    std::vector<VocabularyEntry> signs;
    std::vector<VocabularyEntry> exams;
    QStringList stopWords;
    std::vector<Pathology> pathologies; // sorted by name
};

struct LoadResult {
    Knowledge knowledge;
    std::vector<Diagnostic> diagnostics;
    bool hasErrors() const;
    int count(Diagnostic::Severity severity) const;
};

// Reads every source below dir and runs every check.
LoadResult loadKnowledge(const QString& dir);

// Writes a new database file at path through a temporary file and a rename. Returns false with a
// French reason on failure; nothing is left at path then.
bool writeDatabase(const Knowledge& knowledge, const QString& path, QString* error);

// Replaces the knowledge of an existing user file (Data, SC, EC, the stop words, the version area)
// with that of a compiled file, in one transaction, keeping every working table and parameter.
// Creates the user file as a copy when it does not exist. *changed tells whether anything was done.
bool upgradeDatabase(const QString& compiledPath, const QString& userPath, bool* changed, QString* error);

// The same key for texts that differ only by case, accents or spacing.
QString looseKey(const QString& text);

} // namespace vardelo::kbc
