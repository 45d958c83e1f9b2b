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

} // namespace vardelo::kb
