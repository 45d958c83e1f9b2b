#include "tools/kb/Scale.h"

#include "engine/MemoryEvaluator.h"
#include "kb/KnowledgeFile.h"
#include "kb/Query.h"
#include "kb/Schema.h"
#include "kb/Sqlite.h"

#include <QFile>
#include <QStringList>

namespace vardelo::kbc {

QString copyTag(int copy)
{
    if (copy == 0)
        return QString();
    QString tag;
    for (int n = copy; n > 0; n /= 26)
        tag.prepend(QChar(char16_t(u'a' + n % 26)));
    return QStringLiteral("zq") + tag;
}

namespace {

QString tagWords(const QString& keywords, const QString& tag)
{
    if (tag.isEmpty())
        return keywords;
    QStringList words = keywords.split(u' ', Qt::SkipEmptyParts);
    for (QString& w : words)
        w += tag;
    return words.join(u' ');
}

// "Fièvre" becomes "Fièvre zqb"; an exam line keeps its " : " with the tag on the exam name.
QString tagText(const QString& text, const QString& tag, bool exam)
{
    if (tag.isEmpty())
        return text;
    if (exam) {
        const qsizetype colon = text.indexOf(QStringLiteral(" : "));
        if (colon >= 0)
            return text.left(colon) + u' ' + tag + text.mid(colon);
    }
    return text + u' ' + tag;
}

// Tags the text of every line of a sign or exam field, keeping markers and weights.
QString tagLines(const QString& field, const QString& tag, bool exam)
{
    if (tag.isEmpty() || field == u"0")
        return field;
    QStringList lines = field.split(QStringLiteral("\r\n"));
    for (QString& line : lines) {
        qsizetype start = 0;
        while (start < line.size() && (line.at(start) == u'*' || line.at(start) == u'+'))
            ++start;
        const qsizetype bar = line.indexOf(QStringLiteral(" |"));
        const qsizetype end = bar < 0 ? line.size() : bar;
        line = line.left(start) + tagText(line.mid(start, end - start), tag, exam) + line.mid(end);
    }
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace

bool scaleDatabase(const QString& sourcePath, int factor, const QString& outPath, QString* error)
{
    if (factor < 1) {
        *error = QStringLiteral("Le facteur doit être un entier positif");
        return false;
    }
    QFile::remove(outPath);
    try {
        kb::Connection source(sourcePath, kb::Connection::Mode::ReadOnly);
        kb::Connection out(outPath, kb::Connection::Mode::Create);
        kb::createSchema(out);
        kb::Transaction transaction(out);
        kb::Query q(source);

        q.open(QStringLiteral("select * from Data order by P"));
        kb::Statement data(
            out,
            QStringLiteral("insert into Data (P, F, S, E, I, D, T, RP) values (?, ?, ?, ?, ?, ?, ?, ?)"));
        for (int c = 0; c < factor; ++c) {
            const QString tag = copyTag(c);
            for (q.first(); !q.eof(); q.next()) {
                const QString name = q.field(QStringLiteral("P"));
                data.bind({tag.isEmpty() ? name : name + u' ' + tag, q.intField(QStringLiteral("F")),
                           tagLines(q.field(QStringLiteral("S")), tag, false),
                           tagLines(q.field(QStringLiteral("E")), tag, true), q.field(QStringLiteral("I")),
                           q.field(QStringLiteral("D")), q.field(QStringLiteral("T")),
                           tagWords(q.field(QStringLiteral("RP")), tag)});
                data.step();
                data.reset();
            }
        }
        if (kb::hasTable(source, QStringLiteral("Emergency"))) {
            q.open(QStringLiteral("select * from Emergency order by P"));
            kb::Statement emergency(out, QStringLiteral("insert into Emergency (P) values (?)"));
            for (int c = 0; c < factor; ++c) {
                const QString tag = copyTag(c);
                for (q.first(); !q.eof(); q.next()) {
                    const QString name = q.field(QStringLiteral("P"));
                    emergency.bind({tag.isEmpty() ? name : name + u' ' + tag});
                    emergency.step();
                    emergency.reset();
                }
            }
        }
        for (const QString& table : {QStringLiteral("SC"), QStringLiteral("EC")}) {
            q.open(QStringLiteral("select * from %1 order by S").arg(table));
            kb::Statement insert(
                out, QStringLiteral("insert into %1 (S, X, A, Exp, Sup) values (?, ?, ?, ?, ?)").arg(table));
            for (int c = 0; c < factor; ++c) {
                const QString tag = copyTag(c);
                for (q.first(); !q.eof(); q.next()) {
                    insert.bind({tagText(q.field(QStringLiteral("S")), tag, table == u"EC"),
                                 q.field(QStringLiteral("X")), q.field(QStringLiteral("A")),
                                 tagWords(q.field(QStringLiteral("Exp")), tag),
                                 tagWords(q.field(QStringLiteral("Sup")), tag)});
                    insert.step();
                    insert.reset();
                }
            }
        }
        q.open(QStringLiteral("select * from Prm where T = 'MS'"));
        out.exec(QStringLiteral("update Prm set V = ? where T = 'MS'"), {q.field(QStringLiteral("V"))});
        kb::Statement version(source, QStringLiteral("select Area from VersionArea"));
        if (version.step())
            out.exec(QStringLiteral("insert into VersionArea (Area, KnowledgeHash) values (?, ?)"),
                     {version.blob(0), kb::computeKnowledgeHash(out)});
        transaction.commit();
        engine::MemoryEvaluator::storeIndex(out);
        return true;
    } catch (const kb::DbError& e) {
        QFile::remove(outPath);
        *error = QStringLiteral("Agrandissement impossible : %1").arg(e.message());
        return false;
    }
}

} // namespace vardelo::kbc
