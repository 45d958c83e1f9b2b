#include "training/ScoreHistory.h"

#include "kb/Query.h"

#include <optional>

namespace vardelo::training {

namespace {

const QString DateFormat = QStringLiteral("dd/MM/yyyy");
const QString TimeFormat = QStringLiteral("HH:mm:ss");

template <typename T>
int order(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

QDateTime parseDateTime(const QString& text)
{
    const QStringList parts = text.simplified().split(u' ');
    if (parts.size() != 2)
        return {};
    return QDateTime(QDate::fromString(parts.at(0), DateFormat), QTime::fromString(parts.at(1), TimeFormat));
}

// The number of a score: "66,0 %" is 66.0; nothing when the text is not one.
std::optional<double> scoreValue(QString text)
{
    text.remove(u'%');
    text.replace(u',', u'.');
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

} // namespace

QString scoreDateTime(const QDateTime& moment)
{
    return moment.toString(DateFormat) + QString(10, u' ') + moment.toString(TimeFormat);
}

void storeScore(kb::Query& query, const ScoreRow& row)
{
    query.execSql(QStringLiteral("insert into Score (Date_Heure, J, T, S) values (?, ?, ?, ?)"),
                  {row.dateTime, row.correct, row.total, row.score});
}

QList<ScoreRow> loadScores(kb::Query& query)
{
    QList<ScoreRow> rows;
    query.open(QStringLiteral("select * from Score"));
    for (query.first(); !query.eof(); query.next())
        rows.append({query.field(QStringLiteral("Date_Heure")), query.intField(QStringLiteral("J")),
                     query.intField(QStringLiteral("T")), query.field(QStringLiteral("S"))});
    query.close();
    return rows;
}

void clearScores(kb::Query& query)
{
    query.execSql(QStringLiteral("DELETE from Score"));
}

int compareScoreTexts(int column, const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return 0;
    switch (column) {
    case 0: {
        const QDateTime x = parseDateTime(a);
        const QDateTime y = parseDateTime(b);
        if (x.isValid() && y.isValid())
            return order(x, y);
        break;
    }
    case 1:
    case 2: {
        bool okA = false;
        bool okB = false;
        const qint64 x = a.trimmed().toLongLong(&okA);
        const qint64 y = b.trimmed().toLongLong(&okB);
        if (okA && okB)
            return order(x, y);
        break;
    }
    case 3: {
        const auto x = scoreValue(a);
        const auto y = scoreValue(b);
        if (x && y)
            return order(*x, *y);
        break;
    }
    default:
        break;
    }
    // A text that is not what its column holds: compared as text without regard to case.
    return order(a.compare(b, Qt::CaseInsensitive), 0);
}

} // namespace vardelo::training
