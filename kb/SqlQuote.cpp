#include "kb/SqlQuote.h"

namespace vardelo::kb {

QString quoteSql(QStringView text)
{
    QString out;
    out.reserve(text.size() + 2);
    out.append(u'\'');
    for (const QChar c : text) {
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
