#pragma once
// Details shared by the two forms of the searches (the literal one and the remembering one), so
// that they cannot drift apart.

#include <QChar>
#include <QString>
#include <QStringList>

namespace vardelo::recognition::detail {

// "SC" or "EC"; anything else throws std::invalid_argument (the name goes into the SQL text).
void checkTable(const QString& table);

// The patient's sex as the one-character code of the restriction column, empty when unset.
QString sexCode(QChar sex);

// Space-separated words of a knowledge text (exclusion words, stop words): split at spaces and
// control characters, no empty words, every occurrence kept.
QStringList knowledgeWords(QStringView text);

// Typed words reach the SQL text through the quoting helper, which drops NUL characters: the
// pattern the database sees is the word without them.
QString patternCore(const QString& word);

// Stop words stand between spaces in the parameter text; a word is a stop word when its closest
// stop word does.
bool isStopWord(const QString& stopText, const QString& closestStopWord);

// A pasted paragraph is not a sign: past this many distinct words (stop words aside), the later
// words are left out, so that the work of a search stays bounded whatever the text. A sign or a
// pathology name never comes near it, and for them nothing changes.
inline constexpr qsizetype MaxDistinctWords = 16;
// Keeps every occurrence of the first MaxDistinctWords distinct words, in order.
void limitWords(QStringList& words);

// The parameter row of the stop words.
inline const QString StopWordsKey = QStringLiteral("MS");

} // namespace vardelo::recognition::detail
