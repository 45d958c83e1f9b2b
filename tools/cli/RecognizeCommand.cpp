// vardelo-cli recognize and find-pathology: free text through the program's own recognition,
// the candidates printed one per line, or as one JSON array. Candidates of a denied sign ("pas de
// fièvre") are written "not Fièvre".

#include "kb/KnowledgeFile.h"
#include "kb/Query.h"
#include "recognition/Recognition.h"
#include "tools/cli/Cli.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <functional>
#include <optional>

namespace vardelo::cli {

namespace {

struct Options {
    QString table;
    QString sex = QStringLiteral("f"); // the program's default patient
    QString age;
    bool json = false;
    bool strict = false; // the strict search alone, without the wider search and the denials
    QStringList text;    // the words of TEXT: several arguments are one text
};

// Reads the options anywhere among the arguments; "--" ends them. Returns the error in French.
std::optional<QString> parse(const QStringList& args, bool withPatient, Options& options)
{
    bool textOnly = false;
    bool hasText = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (textOnly || !a.startsWith(u"--")) {
            options.text.append(a);
            hasText = true;
            continue;
        }
        if (a == u"--") {
            textOnly = true;
            continue;
        }
        if (a == u"--json") {
            options.json = true;
            continue;
        }
        if (withPatient && a == u"--strict") {
            options.strict = true;
            continue;
        }
        const bool valued = a == u"--table" || a == u"--sex" || a == u"--age";
        if (!withPatient || !valued)
            return QStringLiteral("option inconnue « %1 »").arg(a);
        if (i + 1 >= args.size())
            return QStringLiteral("%1 attend une valeur").arg(a);
        const QString value = args.at(++i);
        if (a == u"--table") {
            if (value != u"SC" && value != u"EC")
                return QStringLiteral("table « %1 » invalide : « SC » (signes) ou « EC » (examens)")
                    .arg(value);
            options.table = value;
        } else if (a == u"--sex") {
            if (value != u"h" && value != u"f")
                return QStringLiteral("sexe « %1 » invalide : « h » ou « f »").arg(value);
            options.sex = value;
        } else {
            if (value != u"1" && value != u"2" && value != u"3")
                return QStringLiteral("tranche d'âge « %1 » invalide : « 1 », « 2 » ou « 3 »").arg(value);
            options.age = value;
        }
    }
    if (withPatient && options.table.isEmpty())
        return QStringLiteral("--table SC ou --table EC est obligatoire");
    if (!hasText)
        return QStringLiteral("le texte à reconnaître manque");
    return std::nullopt;
}

void print(Context& context, const QStringList& candidates, bool json)
{
    if (json) {
        context.out << QJsonDocument(QJsonArray::fromStringList(candidates)).toJson(QJsonDocument::Compact)
                    << '\n';
        return;
    }
    for (const QString& c : candidates)
        context.out << c << '\n';
}

int run(Context& context, bool withPatient, const char* usage,
        const std::function<QStringList(kb::Query&, const Options&)>& search)
{
    Options options;
    if (const auto error = parse(context.args, withPatient, options))
        return fail(context, *error + QStringLiteral("\nUsage : vardelo-cli [--db FICHIER] ") +
                                 QString::fromUtf8(usage));
    try {
        kb::Connection connection(context.dbPath, kb::Connection::Mode::ReadOnly);
        kb::Query query(connection);
        print(context, search(query, options), options.json);
    } catch (const kb::DbError& e) {
        return fail(context, kb::fileErrorMessage(e, context.dbPath));
    }
    return ExitOk;
}

const char* const RecognizeUsage =
    "recognize --table SC|EC [--sex h|f] [--age 1|2|3] [--strict] [--json] TEXTE";
const char* const FindPathologyUsage = "find-pathology [--json] TEXTE";

int runRecognize(Context& context)
{
    return run(context, true, RecognizeUsage, [](kb::Query& query, const Options& o) {
        if (o.strict)
            return recognition::RechercheSC(query, o.table, o.text.join(u' '), o.sex.at(0), o.age);
        // A denied sign is shown as the sign entry enters it: "not" before the sign.
        const recognition::Recognized found =
            recognition::Recognize(query, o.table, o.text.join(u' '), o.sex.at(0), o.age);
        QStringList shown = found.candidates;
        if (found.negated) {
            for (QString& c : shown)
                c.prepend(QStringLiteral("not "));
        }
        return shown;
    });
}

int runFindPathology(Context& context)
{
    return run(context, false, FindPathologyUsage, [](kb::Query& query, const Options& o) {
        return recognition::RechercheP(query, o.text.join(u' '));
    });
}

const CommandRegistration recognize("recognize", RecognizeUsage, runRecognize);
const CommandRegistration findPathology("find-pathology", FindPathologyUsage, runFindPathology);

} // namespace

} // namespace vardelo::cli
