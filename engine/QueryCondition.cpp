#include "engine/QueryCondition.h"

#include "case/CaseModel.h"
#include "kb/SqlQuote.h"

namespace vardelo::engine {

using namespace model;

namespace {

// A sign or exam of the case matched literally inside the pattern's own wildcards: the formula's
// texts come from the person (typed, or read from a case file), and a "%" in them is a character.
QString like(const QString& column, QStringView prefix, const QString& text)
{
    return u' ' + kb::likeLiteral(column, prefix, text, u"%");
}

QString signPart(const QStringList& list)
{
    QString part;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QString& e = list.at(i);
        if (e == token::And)
            part += QStringLiteral(" and ");
        else if (e == token::Not)
            part += i >= 1 ? QStringLiteral(" and not ") : QStringLiteral(" not ");
        else if (e == token::Or)
            part += QStringLiteral(" or ");
        else if (e == token::Open)
            part += QStringLiteral(" (");
        else if (e == token::Close)
            part += QStringLiteral(") ");
        else if (e == token::Ignore)
            continue;
        else if (i > 0 && list.at(i - 1) == token::Ignore)
            continue; // an undetermined sign takes no part in the condition
        else if (i > 0 && list.at(i - 1) == token::Not)
            part += like(QStringLiteral("S"), u"%*", e); // a negation excludes only where the sign is major
        else
            part += like(QStringLiteral("S"), u"%", e);
    }
    return part;
}

QString examPart(const QStringList& list)
{
    QString part;
    if (!list.isEmpty() && list.at(0) != token::Not)
        part += u' ';
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QString& e = list.at(i);
        if (e == token::And)
            part += QStringLiteral(" and ");
        else if (e == token::Not)
            part += QStringLiteral(" and not ");
        else if (i > 0 && list.at(i - 1) == token::Not)
            part += like(QStringLiteral("E"), u"%*", e);
        else
            part += like(QStringLiteral("E"), u"%", e);
    }
    return part;
}

// One left-to-right pass over non-overlapping occurrences, ignoring case.
QString mergeDoubledAnd(const QString& text)
{
    static const QString doubled = QStringLiteral(" and  and ");
    QString out;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(doubled, from, Qt::CaseInsensitive);
        if (at < 0)
            break;
        out += QStringView(text).mid(from, at - from);
        out += QStringLiteral(" and ");
        from = at + doubled.size();
    }
    out += QStringView(text).mid(from);
    return out;
}

} // namespace

QString buildQueryCondition(QStringList& scList, const QStringList& ecList, QChar patientSex,
                            const QString& patientAgeBand)
{
    if (!scList.isEmpty() && scList.at(0) == token::And)
        scList.removeAt(0);
    // The patient codes go through the quoting helper too: they may come from a file or a command line.
    const QString base = QStringLiteral("((") + kb::likeLiteral(u"I", u"%", QString(patientSex), u"%") +
                         QStringLiteral(") and (") + kb::likeLiteral(u"I", u"%", patientAgeBand, u"%") +
                         QStringLiteral("))");
    const QString signs = signPart(scList);
    const QString exams = examPart(ecList);
    const QString condition = signs.isEmpty()
                                  ? base + exams
                                  : base + QStringLiteral(" and (S Like '%%'  and ") + signs + exams + u')';
    return mergeDoubledAnd(condition);
}

} // namespace vardelo::engine
