// vardelo-cli sheet: a pathology's sheet as text (or JSON): its definition and treatment read from
// their RTF, its signs and its exam lines in the order of the sheet's lists.

#include "documentation/PathologySheet.h"
#include "kb/KnowledgeFile.h"
#include "kb/Query.h"
#include "rtf/RichText.h"
#include "tools/cli/Cli.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vardelo::cli {

namespace {

const char* const Usage = "sheet [--json] NOM";

int run(Context& context)
{
    bool json = false;
    QStringList words;
    for (const QString& a : context.args) {
        if (a == u"--json")
            json = true;
        else if (a.startsWith(u"--"))
            return fail(context,
                        QStringLiteral("option inconnue « %1 »\nUsage : vardelo-cli [--db FICHIER] %2")
                            .arg(a, QString::fromUtf8(Usage)));
        else
            words.append(a);
    }
    if (words.isEmpty())
        return fail(context,
                    QStringLiteral("le nom de la pathologie manque\nUsage : vardelo-cli [--db FICHIER] ") +
                        QString::fromUtf8(Usage));
    const QString name = words.join(u' ');
    documentation::PathologySheet sheet;
    try {
        kb::Connection connection(context.dbPath, kb::Connection::Mode::ReadOnly);
        kb::Query query(connection);
        sheet = documentation::loadPathologySheet(query, name);
    } catch (const kb::DbError& e) {
        return fail(context, kb::fileErrorMessage(e, context.dbPath));
    }
    if (!sheet.found)
        return fail(context, QStringLiteral("Pathologie inconnue : « %1 »").arg(name));

    const QString definition = rtf::plainText(rtf::readRtf(sheet.definition));
    const QString treatment = rtf::plainText(rtf::readRtf(sheet.treatment));
    if (json) {
        QJsonObject o;
        o.insert(QStringLiteral("name"), sheet.name);
        o.insert(QStringLiteral("definition"), definition);
        o.insert(QStringLiteral("signs"), QJsonArray::fromStringList(sheet.signs));
        o.insert(QStringLiteral("exams"), QJsonArray::fromStringList(sheet.exams));
        o.insert(QStringLiteral("treatment"), treatment);
        context.out << QJsonDocument(o).toJson(QJsonDocument::Compact) << '\n';
        return ExitOk;
    }
    const QString signText = sheet.signLines.join(u'\n');
    const QString examText = sheet.examLines.join(u'\n');
    context.out << sheet.name << "\n\nDéfinition\n" << definition << "\n\nSignes cliniques / Symptômes\n";
    for (const QString& sign : sheet.signs)
        context.out << (documentation::isMajorItem(signText, sign) ? "* " : "  ") << sign << '\n';
    context.out << "\nExamens complémentaires\n";
    for (const QString& exam : sheet.exams)
        context.out << (documentation::isMajorItem(examText, exam) ? "* " : "  ") << exam << '\n';
    context.out << "\nTraitement\n" << treatment << '\n';
    return ExitOk;
}

const CommandRegistration command("sheet", Usage, run);

} // namespace

} // namespace vardelo::cli
