#include "tools/kb/Markdown.h"

namespace vardelo::kbc {

namespace {

// Splits one paragraph's text into runs; an unclosed marker is an error rather than a stray star.
std::vector<rtf::Run> parseInline(const QString& text, QString* error)
{
    std::vector<rtf::Run> runs;
    rtf::Run current;
    bool bold = false;
    bool italic = false;
    auto flush = [&] {
        if (!current.text.isEmpty())
            runs.push_back(current);
        current = rtf::Run{QString(), bold, italic};
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'*') {
            const bool doubled = i + 1 < text.size() && text.at(i + 1) == u'*';
            flush();
            if (doubled) {
                bold = !bold;
                ++i;
            } else {
                italic = !italic;
            }
            current = rtf::Run{QString(), bold, italic};
            continue;
        }
        current.text.append(c);
    }
    flush();
    if (bold)
        *error = QStringLiteral("« ** » ouvert sans être refermé");
    else if (italic)
        *error = QStringLiteral("« * » ouvert sans être refermé");
    return runs;
}

} // namespace

MarkdownResult parseMarkdown(const QString& text)
{
    MarkdownResult result;
    const QStringList lines = text.split(u'\n');
    QString pending;
    bool pendingBullet = false;
    int pendingLine = 0;
    auto close = [&] {
        if (pending.isEmpty())
            return;
        QString error;
        result.paragraphs.push_back(rtf::Paragraph{parseInline(pending, &error), pendingBullet});
        if (!error.isEmpty())
            result.errors.append(QStringLiteral("ligne %1 : %2").arg(pendingLine).arg(error));
        pending.clear();
        pendingBullet = false;
    };
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& raw = lines.at(i);
        const QString line = raw.trimmed();
        const int lineNumber = int(i) + 1;
        if (line.isEmpty()) {
            close();
            continue;
        }
        if (line.startsWith(u'#') || line.startsWith(u'|') || line.startsWith(u'>')) {
            result.errors.append(
                QStringLiteral("ligne %1 : titres, tableaux et citations ne sont pas admis").arg(lineNumber));
            continue;
        }
        if (line.startsWith(QStringLiteral("- "))) {
            close();
            pending = line.mid(2).trimmed();
            pendingBullet = true;
            pendingLine = lineNumber;
            continue;
        }
        // An indented line continues the bullet above it; any other line after a bullet starts a paragraph.
        const bool continuesBullet = pendingBullet && !raw.isEmpty() && raw.at(0).isSpace();
        if (pendingBullet && !continuesBullet)
            close();
        if (pending.isEmpty()) {
            pending = line;
            pendingLine = lineNumber;
        } else {
            pending += u' ' + line;
        }
    }
    close();
    return result;
}

} // namespace vardelo::kbc
