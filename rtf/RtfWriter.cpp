#include "rtf/RtfWriter.h"

#include "platform/Cp1252.h"
#include "rtf/RichText.h"

#include <QStringList>
#include <algorithm>
#include <array>

namespace vardelo::rtf {

QString escapeRtf(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'{' || u == u'}') {
            out.append(u'\\');
            out.append(c);
        } else if (u == u'\t') {
            out.append(QStringLiteral("\\tab "));
        } else if (u >= 0x20 && u < 0x80) {
            out.append(c);
        } else if (u < 0x20) {
            // Control characters have no place in a paragraph.
        } else {
            const QByteArray encoded = platform::encodeCp1252(QStringView(&c, 1));
            if (encoded.at(0) != '?') {
                out.append(QStringLiteral("\\'%1").arg(static_cast<unsigned char>(encoded.at(0)), 2, 16,
                                                       QChar(u'0')));
            } else {
                out.append(QStringLiteral("\\u%1?").arg(int(static_cast<short>(u))));
            }
        }
    }
    return out;
}

QString writeRtf(const std::vector<Paragraph>& paragraphs)
{
    QString out = QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
                                 "{\\f1\\fnil\\fcharset2 Symbol;}}\r\n\\viewkind4\\uc1 ");
    for (const Paragraph& paragraph : paragraphs) {
        if (paragraph.bullet) {
            out += QStringLiteral(
                "\\pard{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent360{\\pntxtb\\'b7}}"
                "\\fi-360\\li360\\f0\\fs20 ");
        } else {
            out += QStringLiteral("\\pard\\f0\\fs20 ");
        }
        for (const Run& run : paragraph.runs) {
            if (run.text.isEmpty())
                continue;
            if (run.bold || run.italic) {
                out += u'{';
                if (run.bold)
                    out += QStringLiteral("\\b");
                if (run.italic)
                    out += QStringLiteral("\\i");
                out += u' ';
                out += escapeRtf(run.text);
                out += u'}';
            } else {
                out += escapeRtf(run.text);
            }
        }
        out += QStringLiteral("\\par\r\n");
    }
    out += QStringLiteral("}\r\n");
    return out;
}

} // namespace vardelo::rtf

namespace vardelo::rtf {

namespace {

// The numbering words of an older reader's "\pn" group, which LibreOffice and Word still read.
QString numberingWord(ListStyle style)
{
    switch (style) {
    case ListStyle::Decimal:
        return QStringLiteral("\\pndec");
    case ListStyle::LowerAlpha:
        return QStringLiteral("\\pnlcltr");
    case ListStyle::UpperAlpha:
        return QStringLiteral("\\pnucltr");
    case ListStyle::LowerRoman:
        return QStringLiteral("\\pnlcrm");
    case ListStyle::UpperRoman:
        return QStringLiteral("\\pnucrm");
    case ListStyle::None:
    case ListStyle::Bullet:
        break;
    }
    return QString();
}

QString roman(int n, bool upper)
{
    static const std::pair<int, const char16_t*> parts[] = {
        {1000, u"m"}, {900, u"cm"}, {500, u"d"}, {400, u"cd"}, {100, u"c"}, {90, u"xc"}, {50, u"l"},
        {40, u"xl"},  {10, u"x"},   {9, u"ix"},  {5, u"v"},    {4, u"iv"},  {1, u"i"}};
    QString out;
    for (const auto& [value, text] : parts) {
        while (n >= value && out.size() < 40) {
            out += QString::fromUtf16(text);
            n -= value;
        }
    }
    return upper ? out.toUpper() : out;
}

// The number an older reader shows before a list item: "1.", "b.", "iii.".
QString itemNumber(ListStyle style, int n)
{
    switch (style) {
    case ListStyle::Decimal:
        return QString::number(n) + u'.';
    case ListStyle::LowerAlpha:
        return QString(QChar(u'a' + (n - 1) % 26)) + u'.';
    case ListStyle::UpperAlpha:
        return QString(QChar(u'A' + (n - 1) % 26)) + u'.';
    case ListStyle::LowerRoman:
        return roman(n, false) + u'.';
    case ListStyle::UpperRoman:
        return roman(n, true) + u'.';
    case ListStyle::None:
    case ListStyle::Bullet:
        break;
    }
    return QString();
}

QString escapeRun(const QString& text)
{
    QString out;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text.at(i) == u'\u2028') {
            out += escapeRtf(QStringView(text).sliced(start, i - start));
            if (i < text.size())
                out += QStringLiteral("\\line ");
            start = i + 1;
        }
    }
    return out;
}

} // namespace

QString writeRichText(const RichText& text)
{
    // f0 is the editor's own font (no name of its own), f1 the Symbol font of the bullets, then
    // every font the text names; colour 0 is the editor's own colour.
    QStringList fonts;
    std::vector<std::array<unsigned, 3>> colors;
    for (const RichParagraph& paragraph : text) {
        for (const TextRun& run : paragraph.runs) {
            if (!run.style.font.isEmpty() && !fonts.contains(run.style.font))
                fonts.append(run.style.font);
            const std::array<unsigned, 3> rgb = {run.style.red, run.style.green, run.style.blue};
            if (run.style.hasColor && std::find(colors.begin(), colors.end(), rgb) == colors.end())
                colors.push_back(rgb);
        }
    }
    QString out =
        QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
                       "{\\f1\\fnil\\fcharset2 Symbol;}");
    for (qsizetype i = 0; i < fonts.size(); ++i) {
        QString name = fonts.at(i);
        name.remove(u';');
        out += QStringLiteral("{\\f%1\\fnil\\fcharset0 %2;}").arg(i + 2).arg(escapeRtf(name));
    }
    out += QStringLiteral("}{\\colortbl;");
    for (const auto& [red, green, blue] : colors)
        out += QStringLiteral("\\red%1\\green%2\\blue%3;").arg(red).arg(green).arg(blue);
    out += QStringLiteral("}\r\n");

    int itemInList = 0;
    const RichParagraph* previous = nullptr;
    for (const RichParagraph& paragraph : text) {
        out += QStringLiteral("\\pard\\plain");
        switch (paragraph.alignment) {
        case Alignment::Left:
            break;
        case Alignment::Center:
            out += QStringLiteral("\\qc");
            break;
        case Alignment::Right:
            out += QStringLiteral("\\qr");
            break;
        case Alignment::Justify:
            out += QStringLiteral("\\qj");
            break;
        }
        if (paragraph.list != ListStyle::None) {
            const bool sameList =
                previous && previous->list == paragraph.list && previous->listLevel == paragraph.listLevel;
            itemInList = sameList ? itemInList + 1 : 1;
            const int level = std::clamp(paragraph.listLevel, 1, 9);
            if (level > 1)
                out += QStringLiteral("\\ilvl%1").arg(level - 1);
            if (paragraph.list == ListStyle::Bullet) {
                out += QStringLiteral(
                    "{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent360{\\pntxtb\\'b7}}");
            } else {
                out += QStringLiteral(
                           "{\\pntext %1\\tab}{\\*\\pn\\pnlvlbody\\pnindent360\\pnstart1%2{\\pntxta .}}")
                           .arg(itemNumber(paragraph.list, itemInList), numberingWord(paragraph.list));
            }
            out += QStringLiteral("\\fi-360\\li%1").arg(360 * level);
        }
        out += u' ';
        for (const TextRun& run : paragraph.runs) {
            if (run.text.isEmpty())
                continue;
            const TextStyle& style = run.style;
            QString words;
            if (style.bold)
                words += QStringLiteral("\\b");
            if (style.italic)
                words += QStringLiteral("\\i");
            if (style.underline)
                words += QStringLiteral("\\ul");
            if (style.strikeOut)
                words += QStringLiteral("\\strike");
            if (!style.font.isEmpty())
                words += QStringLiteral("\\f%1").arg(fonts.indexOf(style.font) + 2);
            if (style.pointSize > 0)
                words += QStringLiteral("\\fs%1").arg(qRound(style.pointSize * 2));
            if (style.hasColor) {
                const std::array<unsigned, 3> rgb = {style.red, style.green, style.blue};
                words += QStringLiteral("\\cf%1").arg(std::find(colors.begin(), colors.end(), rgb) -
                                                      colors.begin() + 1);
            }
            if (words.isEmpty())
                out += escapeRun(run.text);
            else
                out += u'{' + words + u' ' + escapeRun(run.text) + u'}';
        }
        out += QStringLiteral("\\par\r\n");
        previous = &paragraph;
    }
    out += QStringLiteral("}\r\n");
    return out;
}

} // namespace vardelo::rtf
