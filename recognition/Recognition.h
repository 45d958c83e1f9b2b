#pragma once
// Recognition of free text: the physician's own words for a sign (table SC) or an exam line
// (table EC), and pathology names. Both searches normalise the text, drop stop words, tolerate
// mistyped words through ClosestWord and look the words up in the keyword columns of the
// knowledge base; they return the ordered candidates and leave showing them to the caller.

#include "kb/Query.h"

#include <QChar>
#include <QString>
#include <QStringList>

namespace vardelo::recognition {

// The typed text of a sign or exam search as words: lower-cased (A to Z only), stripped of the
// punctuation and digits the search ignores (a "2" survives only as in "b2", for the B2 vitamin),
// accents of the lower-case letters taken off, split at spaces.
QStringList SignWords(QStringView text);

// The typed text of a pathology search as words: punctuation to spaces, lower-cased (A to Z only),
// split at spaces, and an elided article or preposition taken off ("l'estomac" is "estomac").
QStringList PathologyWords(QStringView text);

// The order of the candidates: those that resemble the remaining typed words (reference, the
// words run together), then those that resemble the first of them, then the rest, each part in
// the order of candidates.
QStringList OrderCandidates(const QStringList& candidates, const QString& reference);
// The same order as its three parts: those resembling the typed words, those resembling the first
// of them, the rest (parts may be empty).
QList<QStringList> OrderCandidateGroups(const QStringList& candidates, const QString& reference);

// Candidate signs (table "SC") or exam lines (table "EC") for a typed text, best first. The
// patient's sex ('h', 'f') and age band ("", "1", "2", "3") choose the vocabulary the typed words
// are corrected against. Any other table name throws std::invalid_argument; database errors
// throw kb::DbError.
//
// The knowledge base does not change while the program runs, so what the search reads of it is
// kept between calls, per connection, and read again when the knowledge stamp of the file changes
// (see kb::knowledgeStamp): saving a case or a score keeps it.
// Like the shared query object, the searches belong to one thread.
QStringList RechercheSC(kb::Query& query, const QString& table, const QString& text, QChar sex,
                        const QString& ageBand);

// What sign entry and the exam search get from a typed text: the candidates, best first, and
// whether the text denies the sign ("pas de fièvre", "apyrexie"), in which case sign entry enters
// "not" before the chosen candidate.
struct Recognized {
    QStringList candidates;
    bool negated = false;
};

// The recognition the program offers the physician for a typed sign or exam line.
Recognized Recognize(kb::Query& query, const QString& table, const QString& text, QChar sex,
                     const QString& ageBand);

// Names of the pathologies whose search words hold every typed word, in the order of the base.
QStringList RechercheP(kb::Query& query, const QString& text);

// Forgets the remembered corrections and look-ups of single words, keeping the knowledge read
// from the files (benchmarks use it to time the first search of a word).
void ForgetWordResults();
// Forgets everything kept between calls.
void ForgetKnowledge();

// The searches exactly as first written: every call reads the vocabulary, corrects each word
// against all of it and runs its SQL statements on the shared query object. They are the yardstick
// of the searches above, which must return the same lists.
namespace literal {
QStringList RechercheSC(kb::Query& query, const QString& table, const QString& text, QChar sex,
                        const QString& ageBand);
QStringList RechercheP(kb::Query& query, const QString& text);
} // namespace literal

} // namespace vardelo::recognition
