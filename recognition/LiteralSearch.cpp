// The searches step by step as first written, every statement run on the shared query object. Slow
// on a large base (each call splits, sorts and scans the whole vocabulary once per typed word), they
// are kept as the reference the faster searches are checked against.

#include "kb/JetFunctions.h"
#include "kb/SqlQuote.h"
#include "recognition/Recognition.h"
#include "recognition/SearchText.h"
#include "recognition/SmartCompare.h"

#include <QSet>

namespace vardelo::recognition::literal {

namespace {

QString stopWordText(kb::Query& query)
{
    query.open(QStringLiteral("Select * from Prm where T = ? "), {detail::StopWordsKey});
    return query.eof() ? QString() : query.field(QStringLiteral("V"));
}

// " (Exp Like '%w'%' OR Exp Like '%w%')" without the leading space. The typed word and its
// correction are matched literally.
QString wordTest(const QString& column, const QString& closest, const QString& word)
{
    return QStringLiteral("(%1 OR %2)")
        .arg(kb::likeLiteral(column, u"%", closest, u"%"), kb::likeLiteral(column, u"%", word, u"%"));
}

// Drops every occurrence of the words that no row of the table holds, directly or through their
// closest vocabulary word.
void dropUnknownWords(kb::Query& query, const QString& table, const QString& column,
                      const QString& vocabulary, QStringList& words)
{
    QSet<QString> checked;
    const QStringList distinct = words;
    for (const QString& w : distinct) {
        if (checked.contains(w))
            continue;
        checked.insert(w);
        const QString closest = ClosestWord(vocabulary, w);
        query.open(QStringLiteral("Select * from %1 where %2 OR %3")
                       .arg(table, kb::likeLiteral(column, u"%", closest, u"%"),
                            kb::likeLiteral(column, u"%", w, u"%")));
        if (query.recordCount() == 0)
            words.removeAll(w);
    }
}

QString condition(const QString& column, const QString& vocabulary, const QStringList& words)
{
    QString text = u' ' + wordTest(column, ClosestWord(vocabulary, words.first()), words.first());
    for (qsizetype i = 1; i < words.size(); ++i)
        text += QStringLiteral(" AND ") + wordTest(column, ClosestWord(vocabulary, words.at(i)), words.at(i));
    return text;
}

} // namespace

QStringList RechercheSC(kb::Query& query, const QString& table, const QString& text, QChar sex,
                        const QString& ageBand)
{
    detail::checkTable(table);
    QStringList words = SignWords(text);

    const QString stopText = stopWordText(query);
    for (qsizetype i = words.size() - 1; i >= 0; --i) {
        if (detail::isStopWord(stopText, ClosestWord(stopText, words.at(i))))
            words.removeAt(i);
    }
    detail::limitWords(words);

    query.open(QStringLiteral("Select * from %1 where (X = '' or X = ?) AND (A = '' or A = ?)").arg(table),
               {detail::sexCode(sex), ageBand});
    QString vocabulary;
    for (query.first(); !query.eof(); query.next())
        vocabulary += u' ' + query.field(QStringLiteral("Exp"));

    dropUnknownWords(query, table, QStringLiteral("Exp"), vocabulary, words);
    if (words.isEmpty())
        return {};
    const QString where = condition(QStringLiteral("Exp"), vocabulary, words);

    query.open(QStringLiteral("Select * from %1 where %2").arg(table, where));
    QStringList excluded;
    for (query.first(); !query.eof(); query.next())
        excluded += detail::knowledgeWords(query.field(QStringLiteral("Sup")));
    QString exclusion;
    if (excluded.size() == 1) {
        exclusion =
            QStringLiteral(" AND NOT (Exp Like %1)").arg(kb::quoteSql(u'%' + excluded.first() + u'%'));
    } else {
        for (const QString& s : std::as_const(excluded))
            exclusion += QStringLiteral(" AND NOT Exp Like %1").arg(kb::quoteSql(u'%' + s + u'%'));
    }

    query.open(QStringLiteral("Select * from %1 where (%2)%3").arg(table, where, exclusion));
    QStringList candidates;
    QSet<QString> seen;
    for (query.first(); !query.eof(); query.next()) {
        const QString s = query.field(QStringLiteral("S"));
        const QString key = kb::foldCase(s);
        if (!seen.contains(key)) {
            seen.insert(key);
            candidates.append(s);
        }
    }
    std::sort(candidates.begin(), candidates.end(),
              [](const QString& a, const QString& b) { return CompareWords(a, b) < 0; });
    return OrderCandidates(candidates, words.join(QString()));
}

QStringList RechercheP(kb::Query& query, const QString& text)
{
    QStringList words = PathologyWords(text);

    const QStringList stopWords = detail::knowledgeWords(stopWordText(query));
    QSet<QString> stopKeys;
    for (const QString& s : stopWords)
        stopKeys.insert(kb::foldCase(s));
    words.removeIf([&](const QString& w) { return stopKeys.contains(kb::foldCase(w)); });
    detail::limitWords(words);

    query.open(QStringLiteral("Select * from Data"));
    QString vocabulary;
    for (query.first(); !query.eof(); query.next())
        vocabulary += u' ' + query.field(QStringLiteral("RP"));

    dropUnknownWords(query, QStringLiteral("Data"), QStringLiteral("RP"), vocabulary, words);
    if (words.isEmpty())
        return {};
    query.open(QStringLiteral("Select * from Data where %1")
                   .arg(condition(QStringLiteral("RP"), vocabulary, words)));
    QStringList names;
    for (query.first(); !query.eof(); query.next())
        names.append(query.field(QStringLiteral("P")));
    return names;
}

} // namespace vardelo::recognition::literal
