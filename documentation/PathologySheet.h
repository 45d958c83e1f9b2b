#pragma once
// The sheet of one pathology as the knowledge base holds it: its signs, its exams with their
// expected results, its definition and its treatment (RTF as stored).

#include <QString>
#include <QStringList>

namespace vardelo::kb {
class Query;
}

namespace vardelo::documentation {

struct PathologySheet {
    bool found = false;
    QString name;          // as stored
    QStringList signLines; // the sign lines, markers and weights kept
    QStringList examLines; // the exam lines, the "0" placeholders kept
    QStringList signs;     // the items shown: sign texts, alphabetical order without regard to case
    QStringList exams;     // "exam : result", placeholders left out, same order
    QString definition;    // RTF
    QString treatment;     // RTF
};

// Loads the pathology whose name equals pathology without regard to case (a name over several lines
// matches line by line, as the sheet's list would show it). Nothing found gives found = false
// and empty lists; an empty name is not looked for. Database errors raise kb::DbError.
PathologySheet loadPathologySheet(kb::Query& query, const QString& pathology);

// The text of an item of the signs or exams list: the line before " |", markers removed.
QString sheetItemText(const QString& line);
// A sign line marked "*" for the item: drawn in blue in the list.
bool isMajorItem(const QString& allLines, const QString& item);

} // namespace vardelo::documentation
