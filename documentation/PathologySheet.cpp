#include "documentation/PathologySheet.h"

#include "case/KbLines.h"
#include "case/TextCompare.h"
#include "kb/Query.h"
#include "kb/SqlQuote.h"
#include "platform/TextFile.h"

#include <algorithm>

namespace vardelo::documentation {

QString sheetItemText(const QString& line)
{
    return model::GetSC(line);
}

bool isMajorItem(const QString& allLines, const QString& item)
{
    return allLines.contains(u'*' + item);
}

PathologySheet loadPathologySheet(kb::Query& query, const QString& pathology)
{
    PathologySheet sheet;
    if (pathology.isEmpty())
        return sheet;
    QStringList conditions;
    for (const QString& line : platform::splitLines(pathology))
        conditions.append(u' ' + kb::likeLiteral(u"P", u"%", line, u"%"));
    query.open(QStringLiteral("select * From data where") + conditions.join(QStringLiteral(" and")) +
               QStringLiteral(" AND LEN(P) = ") + QString::number(pathology.size()));
    if (!query.eof()) {
        sheet.found = true;
        sheet.name = query.field(QStringLiteral("P"));
        const QString signText = query.field(QStringLiteral("S"));
        const QString examText = query.field(QStringLiteral("E"));
        sheet.signLines = platform::splitLines(signText);
        sheet.examLines = platform::splitLines(examText);
        sheet.definition = query.field(QStringLiteral("D"));
        sheet.treatment = query.field(QStringLiteral("T"));
    }
    query.close();
    for (const QString& line : sheet.signLines)
        sheet.signs.append(sheetItemText(line));
    for (const QString& line : sheet.examLines) {
        if (line != u"0")
            sheet.exams.append(sheetItemText(line));
    }
    const auto byText = [](const QString& a, const QString& b) { return model::compareText(a, b) < 0; };
    std::stable_sort(sheet.signs.begin(), sheet.signs.end(), byText);
    std::stable_sort(sheet.exams.begin(), sheet.exams.end(), byText);
    return sheet;
}

} // namespace vardelo::documentation
