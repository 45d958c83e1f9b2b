#include "case/KbLines.h"

namespace vardelo::model {

namespace {

QString withoutMarkers(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c != u'*' && c != u'+')
            out.append(c);
    }
    return out;
}

} // namespace

QString GetSC(QStringView line)
{
    const qsizetype bar = line.indexOf(u" |");
    return withoutMarkers(bar < 0 ? line : line.left(bar));
}

int Get_P(QStringView line, bool* ok)
{
    if (ok)
        *ok = true;
    const qsizetype bar = line.lastIndexOf(u"| ");
    if (bar < 0)
        return 0;
    const QStringView number = line.mid(bar + 2);
    if (number.isEmpty())
        return 0;
    bool converted = false;
    const int value = number.toInt(&converted);
    if (!converted) {
        if (ok)
            *ok = false;
        return 0;
    }
    return value;
}

QString GetEC(QStringView line)
{
    const qsizetype colon = line.indexOf(u':');
    if (colon < 0)
        return withoutMarkers(line);
    return withoutMarkers(line.left(std::max<qsizetype>(colon - 1, 0)));
}

QString GetECResult(QStringView line)
{
    const qsizetype colon = line.indexOf(u':');
    if (colon < 0)
        return QString();
    return line.mid(std::min(colon + 2, line.size())).toString();
}

} // namespace vardelo::model
