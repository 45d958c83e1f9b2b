#pragma once
// The small Markdown subset of definitions and treatments: paragraphs separated by blank lines,
// **bold**, *italic*, and bullet lists whose lines start with "- ".

#include "rtf/RtfWriter.h"

#include <QString>
#include <QStringList>

namespace vardelo::kbc {

struct MarkdownResult {
    std::vector<rtf::Paragraph> paragraphs;
    QStringList errors; // each "line N: reason", N counted from 1 within the text
};

MarkdownResult parseMarkdown(const QString& text);

} // namespace vardelo::kbc
