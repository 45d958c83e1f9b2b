// vardelo-cli case: the saved case files, through the same operations as the main window, for
// scripting, backups and tests.

#include "casefiles/CaseFileStore.h"
#include "kb/KnowledgeFile.h"
#include "kb/Sqlite.h"
#include "tools/cli/CaseJson.h"
#include "tools/cli/Cli.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vardelo::cli {

namespace {

const QString Usage =
    QStringLiteral("case (list | show NOM | save CAS_JSON --name NOM | delete NOM) [--json]");

QJsonArray toArray(const QStringList& list)
{
    QJsonArray array;
    for (const QString& s : list)
        array.append(s);
    return array;
}

int list(Context& context, casefiles::CaseFileStore& store, bool asJson)
{
    QString error;
    const auto names = store.list(&error);
    if (!names)
        return fail(context, error);
    if (asJson)
        context.out << QJsonDocument(toArray(*names)).toJson(QJsonDocument::Compact) << '\n';
    else
        for (const QString& name : *names)
            context.out << name << '\n';
    return ExitOk;
}

int show(Context& context, casefiles::CaseFileStore& store, const QString& name, bool asJson)
{
    QString error;
    const auto opened = store.open(name, &error);
    if (!opened)
        return fail(context, error);
    const casefiles::CaseContent& c = opened->content;
    const QString sex = c.sex.isNull() ? QString() : QString(c.sex);
    if (asJson) {
        QJsonObject o{{QStringLiteral("name"), name},
                      {QStringLiteral("analyses"), toArray(opened->analyses)},
                      {QStringLiteral("sex"), sex},
                      {QStringLiteral("age"), c.ageBand},
                      {QStringLiteral("signs"), toArray(c.signs)},
                      {QStringLiteral("exams"), toArray(c.exams)},
                      {QStringLiteral("retained"), c.retained},
                      {QStringLiteral("notes"), c.notesRtf}};
        context.out << QJsonDocument(o).toJson(QJsonDocument::Compact) << '\n';
        return ExitOk;
    }
    context.out << "Fiche : " << name << '\n';
    for (const QString& analysis : opened->analyses)
        context.out << "Analyse : " << analysis << '\n';
    context.out << "Sexe : " << sex << '\n' << "Tranche d'âge : " << c.ageBand << '\n';
    for (const QString& s : c.signs)
        context.out << "Signe : " << s << '\n';
    for (const QString& e : c.exams)
        context.out << "Examen : " << e << '\n';
    context.out << "Diagnostic retenu : " << c.retained << '\n' << "Notes : " << c.notesRtf << '\n';
    return ExitOk;
}

int save(Context& context, casefiles::CaseFileStore& store, const QStringList& args, bool asJson)
{
    const qsizetype nameAt = args.indexOf(QStringLiteral("--name"));
    if (args.size() != 4 || nameAt != 2)
        return fail(context, QStringLiteral("Usage : vardelo-cli [--db FICHIER] ") + Usage);
    QString error;
    const auto input = parseCase(args.at(1).toUtf8(), &error, true);
    if (!input)
        return fail(context, error);
    casefiles::CaseFileStore::SaveRequest request;
    request.id = args.at(3);
    request.isNew = !store.isSaved(request.id, &error);
    if (!error.isEmpty())
        return fail(context, error);
    request.content = {input->sex, input->age, input->signs, input->exams, input->retained, input->notes};
    const auto result = store.save(request);
    if (!result.error.isEmpty())
        return fail(context, result.error);
    if (asJson)
        context.out << QJsonDocument(QJsonObject{{QStringLiteral("saved"), result.savedAs},
                                                 {QStringLiteral("new"), request.isNew}})
                           .toJson(QJsonDocument::Compact)
                    << '\n';
    else
        context.out << result.savedAs << '\n';
    return ExitOk;
}

int runCase(Context& context)
{
    QStringList args = context.args;
    const bool asJson = args.removeAll(QStringLiteral("--json")) > 0;
    const QString verb = args.value(0);
    const bool shapeOk = (verb == u"list" && args.size() == 1) || (verb == u"show" && args.size() == 2) ||
                         (verb == u"delete" && args.size() == 2) || verb == u"save";
    if (!shapeOk)
        return fail(context, QStringLiteral("Usage : vardelo-cli [--db FICHIER] ") + Usage);
    try {
        const auto mode = verb == u"list" || verb == u"show" ? kb::Connection::Mode::ReadOnly
                                                             : kb::Connection::Mode::ReadWrite;
        kb::Connection connection(context.dbPath, mode);
        casefiles::CaseFileStore store(connection);
        if (verb == u"list")
            return list(context, store, asJson);
        if (verb == u"show")
            return show(context, store, args.at(1), asJson);
        if (verb == u"save")
            return save(context, store, args, asJson);
        const casefiles::Outcome outcome = store.remove(args.at(1));
        if (!outcome.ok())
            return fail(context, outcome.error);
        if (asJson)
            context.out << QJsonDocument(QJsonObject{{QStringLiteral("deleted"), args.at(1)}})
                               .toJson(QJsonDocument::Compact)
                        << '\n';
        return ExitOk;
    } catch (const kb::DbError& e) {
        return fail(context, kb::fileErrorMessage(e, context.dbPath));
    }
}

const CommandRegistration
    registration("case", "case (list | show NOM | save CAS_JSON --name NOM | delete NOM) [--json]", runCase);

} // namespace

} // namespace vardelo::cli
