#pragma once

#include <QString>

namespace vardelo::kb {

// Text as SQLite reads it in UTF-16: an unpaired surrogate becomes U+FFFD. SQLite's UTF-16 reader
// would take the code unit after a lone high surrogate as its partner and swallow it, a quotation
// mark included; every text handed to SQLite goes through this first.
QString withPairedSurrogates(QStringView text);

// The one way a text becomes an SQL string literal: between single quotation marks, every
// single quotation mark inside doubled. NUL characters, which would cut the statement short,
// are dropped, and unpaired surrogates replaced as above.
QString quoteSql(QStringView text);

// The escape character of the LIKE patterns made from a person's text.
inline constexpr char16_t LikeEscape = u'\\';

// "column Like 'prefix' + text + 'suffix'", text matched literally: a "%" or "_" that a person
// typed never acts as a wildcard, while prefix and suffix (the program's own) keep their meaning.
// The ESCAPE clause is added only when the text holds a wildcard character.
QString likeLiteral(QStringView column, QStringView prefix, QStringView text, QStringView suffix);

} // namespace vardelo::kb
