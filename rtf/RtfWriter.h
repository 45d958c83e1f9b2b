#pragma once
// Writes formatted text as an RTF document: paragraphs of runs (bold, italic), optionally bulleted.
// The output is 7-bit: every character outside ASCII is escaped, so the document survives any
// 8-bit storage.

#include <QString>
#include <vector>

namespace vardelo::rtf {

struct Run {
    QString text;
    bool bold = false;
    bool italic = false;
};

struct Paragraph {
    std::vector<Run> runs;
    bool bullet = false;
};

QString writeRtf(const std::vector<Paragraph>& paragraphs);
// One character as RTF text: "\\", "\{", "\'e9", "\u8217?" and so on.
QString escapeRtf(QStringView text);

} // namespace vardelo::rtf
