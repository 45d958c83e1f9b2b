#pragma once
// How the program compares texts in its lists: without regard to letter case, and for the sorted
// lists in French alphabetical order.

#include <QCollatorSortKey>
#include <QString>

namespace vardelo::model {

// The same key for texts that differ only in letter case.
QString caseKey(QStringView text);
bool sameText(QStringView a, QStringView b);
// French alphabetical order without regard to case; texts equal ignoring case compare equal.
int compareText(QStringView a, QStringView b);
// The French collation key of a text, made once per distinct text.
QCollatorSortKey collationKey(const QString& text);

} // namespace vardelo::model
