#include "panels/FormulaFormat.h"

#include <QTextCursor>
#include <QTextEdit>
#include <QTextList>

namespace vardelo::panels {

namespace {

QTextCharFormat runFormat(const model::FormattedRun& run, const QTextEdit* view)
{
    QTextCharFormat format;
    format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
    format.setForeground(run.blue ? QBrush(QColor(0, 0, 255)) : view->palette().brush(QPalette::Text));
    return format;
}

} // namespace

void showRuns(QTextEdit* view, const std::vector<model::FormattedRun>& runs)
{
    view->clear();
    QTextCursor cursor(view->document());
    for (const model::FormattedRun& run : runs)
        cursor.insertText(run.text, runFormat(run, view));
}

void showParagraphs(QTextEdit* view, const std::vector<model::ExamParagraph>& paragraphs)
{
    view->clear();
    QTextCursor cursor(view->document());
    bool first = true;
    for (const model::ExamParagraph& paragraph : paragraphs) {
        if (!first)
            cursor.insertBlock();
        first = false;
        if (paragraph.bullet) {
            QTextListFormat list;
            list.setStyle(QTextListFormat::ListDisc);
            cursor.createList(list);
        }
        for (const model::FormattedRun& run : paragraph.runs)
            cursor.insertText(run.text, runFormat(run, view));
    }
}

} // namespace vardelo::panels
