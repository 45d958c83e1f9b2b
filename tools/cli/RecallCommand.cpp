// vardelo-cli recall: how well sign recognition finds the sign a physician means. The file holds
// one finding a line: the typed text, the expected sign and "not" when the text denies it, separated
// by tabs ("#" starts a comment line). A finding counts as found when the expected sign is among the
// candidates and the denial is read as written.

#include "kb/KnowledgeFile.h"
#include "kb/Query.h"
#include "kb/Sqlite.h"
#include "recognition/Recognition.h"
#include "tools/cli/Cli.h"

#include <QFile>
#include <QSet>

namespace vardelo::cli {

namespace {

struct Finding {
    int line = 0;
    QString text;
    QString sign;
    bool negated = false;
};

const char* const RecallUsage = "recall FICHIER [--sex h|f] [--age 1|2|3] [--strict] [--verbose]";

int runRecall(Context& context)
{
    QStringList args = context.args;
    const bool verbose = args.removeAll(QStringLiteral("--verbose")) > 0;
    // The strict search alone, as recognition was before the wider search and the denials.
    const bool strict = args.removeAll(QStringLiteral("--strict")) > 0;
    QString sex = QStringLiteral("f");
    QString age;
    for (const QString& option : {QStringLiteral("--sex"), QStringLiteral("--age")}) {
        const qsizetype at = args.indexOf(option);
        if (at < 0)
            continue;
        if (at + 1 >= args.size())
            return fail(context, QStringLiteral("%1 attend une valeur").arg(option));
        (option == u"--sex" ? sex : age) = args.at(at + 1);
        args.remove(at, 2);
    }
    if (sex != u"h" && sex != u"f")
        return fail(context, QStringLiteral("sexe « %1 » invalide : « h » ou « f »").arg(sex));
    if (!age.isEmpty() && age != u"1" && age != u"2" && age != u"3")
        return fail(context,
                    QStringLiteral("tranche d'âge « %1 » invalide : « 1 », « 2 » ou « 3 »").arg(age));
    if (args.size() != 1 || args.first().startsWith(u"--"))
        return fail(context,
                    QStringLiteral("Usage : vardelo-cli [--db FICHIER] ") + QString::fromUtf8(RecallUsage));

    QFile file(args.first());
    if (!file.open(QIODevice::ReadOnly))
        return fail(context, QStringLiteral("Fichier de constats illisible : %1").arg(args.first()));
    QList<Finding> findings;
    int lineNumber = 0;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        ++lineNumber;
        const QString line = QString::fromUtf8(raw).remove(u'\r');
        if (line.trimmed().isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList fields = line.split(u'\t');
        if (fields.size() < 2 || fields.size() > 3 || fields.at(0).trimmed().isEmpty() ||
            fields.at(1).trimmed().isEmpty() ||
            (fields.size() == 3 && !fields.at(2).isEmpty() && fields.at(2) != u"not"))
            return fail(context,
                        QStringLiteral("Ligne %1 : attendu « texte<TAB>signe[<TAB>not] »").arg(lineNumber));
        findings.append({lineNumber, fields.at(0).trimmed(), fields.at(1).trimmed(),
                         fields.size() == 3 && fields.at(2) == u"not"});
    }
    if (findings.isEmpty())
        return fail(context, QStringLiteral("Aucun constat dans %1").arg(args.first()));

    int first = 0;
    int firstFive = 0;
    int nothing = 0;
    try {
        kb::Connection connection(context.dbPath, kb::Connection::Mode::ReadOnly);
        // A sign renamed in the knowledge would otherwise count as a miss on every run, unnoticed.
        QSet<QString> signs;
        kb::Statement statement(connection, QStringLiteral("select S from SC"));
        while (statement.step())
            signs.insert(statement.text(0));
        for (const Finding& f : std::as_const(findings)) {
            if (!signs.contains(f.sign))
                return fail(context,
                            QStringLiteral("Ligne %1 : le signe « %2 » n'est pas dans le vocabulaire")
                                .arg(f.line)
                                .arg(f.sign));
        }
        kb::Query query(connection);
        for (const Finding& f : std::as_const(findings)) {
            recognition::Recognized found;
            if (strict)
                found.candidates =
                    recognition::RechercheSC(query, QStringLiteral("SC"), f.text, sex.at(0), age);
            else
                found = recognition::Recognize(query, QStringLiteral("SC"), f.text, sex.at(0), age);
            const qsizetype rank = found.negated == f.negated ? found.candidates.indexOf(f.sign) : -1;
            first += rank == 0 ? 1 : 0;
            firstFive += rank >= 0 && rank < 5 ? 1 : 0;
            nothing += found.candidates.isEmpty() ? 1 : 0;
            if (verbose || rank != 0) {
                const QString shown = found.candidates.mid(0, 5).join(QStringLiteral(" | "));
                context.out << f.line << '\t' << (rank >= 0 ? QString::number(rank + 1) : QStringLiteral("-"))
                            << '\t' << f.text << "\t→ " << (f.negated ? "not " : "") << f.sign << "\n    "
                            << (found.negated ? "not : " : "")
                            << (shown.isEmpty() ? QStringLiteral("(rien)") : shown) << '\n';
            }
        }
    } catch (const kb::DbError& e) {
        return fail(context, kb::fileErrorMessage(e, context.dbPath));
    }
    const double n = double(findings.size());
    context.out << QStringLiteral(
                       "%1 constats : en premier %2 %, dans les cinq premiers %3 %, aucun résultat %4 %\n")
                       .arg(findings.size())
                       .arg(100.0 * first / n, 0, 'f', 1)
                       .arg(100.0 * firstFive / n, 0, 'f', 1)
                       .arg(100.0 * nothing / n, 0, 'f', 1);
    return ExitOk;
}

const CommandRegistration registration("recall", RecallUsage, runRecall);

} // namespace

} // namespace vardelo::cli
