#pragma once
// The text semantics the program's SQL relies on, registered on every connection:
// LIKE and "=" ignore letter case for all of Unicode (Fièvre = FIÈVRE), LEN counts UTF-16 units.

#include <QString>

struct sqlite3;

namespace vardelo::kb {

// Name of the collation that every text column of the schema carries.
inline constexpr const char* JetCollation = "JET";

// Unicode case folding, one UTF-16 unit at a time.
inline char16_t foldUnit(char16_t c)
{
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    return QChar::toCaseFolded(c);
}
QString foldCase(QStringView text);

// LIKE with "%" (any run) and "_" (one character), ignoring case; escape 0 means none.
bool jetLike(QStringView pattern, QStringView text, char16_t escape = 0);

// Collation order: alphabetical without regard to case or accents, then without regard to case only;
// 0 exactly when the two texts are equal ignoring case.
int jetCompare(QStringView a, QStringView b);

void registerJetFunctions(sqlite3* db);

} // namespace vardelo::kb
