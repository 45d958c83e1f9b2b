#include "kb/SqlQuote.h"

namespace vardelo::kb {

QString withPairedSurrogates(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out.append(c);
            out.append(text[++i]);
        } else if (c.isSurrogate()) {
            out.append(QChar(QChar::ReplacementCharacter));
        } else {
            out.append(c);
        }
    }
    return out;
}

QString quoteSql(QStringView text)
{
    const QString paired = withPairedSurrogates(text);
    QString out;
    out.reserve(paired.size() + 2);
    out.append(u'\'');
    for (const QChar c : paired) {
        if (c == u'\'')
            out.append(u'\'');
        if (c != QChar(0))
            out.append(c);
    }
    out.append(u'\'');
    return out;
}

QString likeLiteral(QStringView column, QStringView prefix, QStringView text, QStringView suffix)
{
    const bool wildcards = text.contains(u'%') || text.contains(u'_');
    QString pattern = prefix.toString();
    if (wildcards) {
        for (const QChar c : text) {
            if (c == u'%' || c == u'_' || c == LikeEscape)
                pattern.append(QChar(LikeEscape));
            pattern.append(c);
        }
    } else {
        pattern.append(text);
    }
    pattern.append(suffix);
    QString out = column.toString() + QStringLiteral(" Like ") + quoteSql(pattern);
    if (wildcards)
        out += QStringLiteral(" ESCAPE ") + quoteSql(QStringView(&LikeEscape, 1));
    return out;
}

} // namespace vardelo::kb
