#include "rtf/RtfWriter.h"

#include "platform/Cp1252.h"

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
