#pragma once
// Draws the formatted runs of the formula displays into a text editor.

#include "case/CaseModel.h"

class QTextEdit;

namespace vardelo::panels {

// Blue bold operators; signs and exams in the editor's text colour.
void showRuns(QTextEdit* view, const std::vector<model::FormattedRun>& runs);
// One paragraph a line, with a bullet where the paragraph asks for one.
void showParagraphs(QTextEdit* view, const std::vector<model::ExamParagraph>& paragraphs);

} // namespace vardelo::panels
