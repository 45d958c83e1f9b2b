#pragma once
// Formatted text as the notes editors and the pathology sheet hold it: paragraphs of runs, each run
// with its character style. The RTF reader makes it, the RTF writer writes it, and the editors'
// QTextDocument is converted to and from it (rtf/RtfDocument.h), so that the codec itself needs
// nothing of the display.

#include <QString>
#include <vector>

namespace vardelo::rtf {

struct TextStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString font;          // empty: the editor's own font
    double pointSize = 0;  // 0: the editor's own size
    bool hasColor = false; // false: the editor's own colour
    unsigned red = 0, green = 0, blue = 0;

    bool operator==(const TextStyle&) const = default;
};

struct TextRun {
    QString text; // a line break inside the paragraph is U+2028, as the editors hold it
    TextStyle style;

    bool operator==(const TextRun&) const = default;
};

enum class Alignment { Left, Center, Right, Justify };
enum class ListStyle { None, Bullet, Decimal, LowerAlpha, UpperAlpha, LowerRoman, UpperRoman };

struct RichParagraph {
    std::vector<TextRun> runs;
    Alignment alignment = Alignment::Left;
    ListStyle list = ListStyle::None;
    int listLevel = 1; // 1 for a list at the first level

    bool operator==(const RichParagraph&) const = default;
};

using RichText = std::vector<RichParagraph>;

// Paragraphs separated by line feeds; a line break inside a paragraph also becomes a line feed.
QString plainText(const RichText& text);
// True when the text holds at least one character that is not white space.
bool holdsText(const RichText& text);

// Reads an RTF document. A text that does not start with "{\rtf" is not RTF: it is taken as plain
// text, one paragraph a line. Damaged RTF (unbalanced braces, unknown control words, a cut-off end,
// binary data) gives what text it holds; nothing makes it fail.
// Characters above U+00FF in rtf are taken as themselves; bytes of 8-bit text outside the escapes
// are expected decoded from Windows-1252 already (readRtfBytes does it for a file's content).
RichText readRtf(QStringView rtf);
RichText readRtfBytes(const QByteArray& bytes);

// A complete RTF document, 7-bit, Windows-1252 escapes and \uN for the rest, CR LF line ends.
// Reading it back gives the same RichText.
QString writeRichText(const RichText& text);

} // namespace vardelo::rtf
