#pragma once
// Taking apart the knowledge base's sign and exam lines:
//   sign line  [*|+]<sign text> | <weight>           e.g. "*Fièvre | 3"
//   exam line  [*|+]<exam name> : <result>[ | <w>]   e.g. "ECG : Sus-décalage du segment ST"

#include <QString>

namespace vardelo::model {

// Sign text: what comes before the first " |", without any "*" or "+".
QString GetSC(QStringView line);
// Weight: the integer after the last "| "; 0 when there is none or nothing follows.
// A text that is not an integer sets *ok to false (the evaluation treats that as a failure).
int Get_P(QStringView line, bool* ok = nullptr);
// Exam name: before the first ":", less the one character just before it, without "*" and "+".
QString GetEC(QStringView line);
// Result: from the second character after the first ":" to the end.
QString GetECResult(QStringView line);

} // namespace vardelo::model
