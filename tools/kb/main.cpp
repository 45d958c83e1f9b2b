// vardelo-kb: compiles the knowledge-base sources into Data.vdat, checks them, and upgrades the
// knowledge of an existing user file.

#include "tools/kb/Knowledge.h"
#include "tools/kb/Scale.h"

#include <QCoreApplication>
#include <QMap>
#include <QTextStream>
#include <cstdio>

using namespace vardelo::kbc;

namespace {

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

int usage()
{
    err() << "Usage :\n"
             "  vardelo-kb check [--strict] DOSSIER       vérifie les sources (--strict : les avertissements "
             "comptent)\n"
             "  vardelo-kb compile DOSSIER FICHIER        compile les sources en base de données\n"
             "  vardelo-kb upgrade COMPILÉ UTILISATEUR    remplace la connaissance d'une base d'utilisateur\n"
             "  vardelo-kb stats DOSSIER                  compte pathologies, signes et examens\n"
             "  vardelo-kb scale SOURCE FACTEUR SORTIE    base agrandie FACTEUR fois (mesures de "
             "performance)\n";
    err().flush();
    return 2;
}

void report(const LoadResult& result)
{
    for (const Diagnostic& d : result.diagnostics)
        err() << d.toString() << '\n';
    err().flush();
}

int check(const QStringList& args)
{
    const bool strict = args.contains(QStringLiteral("--strict"));
    QStringList rest = args;
    rest.removeAll(QStringLiteral("--strict"));
    if (rest.size() != 1)
        return usage();
    const LoadResult result = loadKnowledge(rest.at(0));
    report(result);
    const int errors = result.count(Diagnostic::Severity::Error);
    const int warnings = result.count(Diagnostic::Severity::Warning);
    out() << QStringLiteral(
                 "%1 pathologies, %2 signes, %3 lignes d'examen : %4 erreur(s), %5 avertissement(s)\n")
                 .arg(result.knowledge.pathologies.size())
                 .arg(result.knowledge.signs.size())
                 .arg(result.knowledge.exams.size())
                 .arg(errors)
                 .arg(warnings);
    return errors > 0 || (strict && warnings > 0) ? 1 : 0;
}

int compile(const QStringList& args)
{
    if (args.size() != 2)
        return usage();
    const LoadResult result = loadKnowledge(args.at(0));
    if (result.hasErrors()) {
        report(result);
        err() << "Compilation refusée : corrigez les erreurs ci-dessus.\n";
        return 1;
    }
    QString error;
    if (!writeDatabase(result.knowledge, args.at(1), &error)) {
        err() << error << '\n';
        return 1;
    }
    return 0;
}

int upgrade(const QStringList& args)
{
    if (args.size() != 2)
        return usage();
    bool changed = false;
    QString error;
    if (!upgradeDatabase(args.at(0), args.at(1), &changed, &error)) {
        err() << error << '\n';
        return 1;
    }
    out() << (changed ? QStringLiteral("Base de connaissance mise à jour : %1\n")
                      : QStringLiteral("Base de connaissance déjà à jour : %1\n"))
                 .arg(args.at(1));
    return 0;
}

int stats(const QStringList& args)
{
    if (args.size() != 1)
        return usage();
    const LoadResult result = loadKnowledge(args.at(0));
    QMap<QString, int> bySpecialty;
    for (const Pathology& p : result.knowledge.pathologies) {
        const QStringList parts = p.file.split(u'/');
        const qsizetype at = parts.indexOf(QStringLiteral("pathologies"));
        bySpecialty[at >= 0 && at + 1 < parts.size() ? parts.at(at + 1) : QString()] += 1;
    }
    for (auto it = bySpecialty.constBegin(); it != bySpecialty.constEnd(); ++it)
        out() << it.key() << '\t' << it.value() << '\n';
    int generated = 0;
    for (const VocabularyEntry& e : result.knowledge.signs)
        generated += e.generated ? 1 : 0;
    out() << QStringLiteral("pathologies\t%1\nsignes\t%2 (dont %3 pathologies associées)\nlignes "
                            "d'examen\t%4\nmots vides\t%5\n")
                 .arg(result.knowledge.pathologies.size())
                 .arg(result.knowledge.signs.size() - size_t(generated))
                 .arg(generated)
                 .arg(result.knowledge.exams.size())
                 .arg(result.knowledge.stopWords.size());
    return result.hasErrors() ? 1 : 0;
}

int scale(const QStringList& args)
{
    bool ok = false;
    const int factor = args.size() == 3 ? args.at(1).toInt(&ok) : 0;
    if (!ok || factor < 1)
        return usage();
    QString error;
    if (!scaleDatabase(args.at(0), factor, args.at(2), &error)) {
        err() << error << '\n';
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();
    int status = 2;
    if (command == u"check")
        status = check(args);
    else if (command == u"compile")
        status = compile(args);
    else if (command == u"upgrade")
        status = upgrade(args);
    else if (command == u"stats")
        status = stats(args);
    else if (command == u"scale")
        status = scale(args);
    else
        status = usage();
    out().flush();
    err().flush();
    return status;
}
