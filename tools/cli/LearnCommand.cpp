// vardelo-cli learn: the physician's judgement of a diagnosis for a case, appended to a learning
// file exactly as the "Apprentissage" dialog appends it, so that learning can be scripted and
// checked with "evaluate --learning".

#include "tools/cli/CaseJson.h"
#include "tools/cli/Cli.h"
#include "training/Learning.h"

namespace vardelo::cli {

namespace {

const char* const Usage = "learn CAS_JSON --diagnosis NOM (--right | --wrong) --level N --file FICHIER";

int usage(Context& context)
{
    return fail(context, QStringLiteral("Usage : vardelo-cli ") + QString::fromUtf8(Usage));
}

int run(Context& context)
{
    QStringList args = context.args;
    // An option followed by its value, taken out of the arguments.
    auto take = [&args](const QString& option) -> std::optional<QString> {
        const qsizetype at = args.indexOf(option);
        if (at < 0 || at + 1 >= args.size())
            return std::nullopt;
        const QString value = args.at(at + 1);
        args.remove(at, 2);
        return value;
    };
    const auto diagnosis = take(QStringLiteral("--diagnosis"));
    const auto level = take(QStringLiteral("--level"));
    const auto file = take(QStringLiteral("--file"));
    const bool right = args.removeAll(QStringLiteral("--right")) > 0;
    const bool wrong = args.removeAll(QStringLiteral("--wrong")) > 0;
    if (!diagnosis || !level || !file || right == wrong || args.size() != 1)
        return usage(context);

    bool ok = false;
    const int n = level->toInt(&ok);
    if (!ok || n < training::LowestLevel || n > training::HighestLevel)
        return fail(context, QStringLiteral("Le niveau de fiabilité doit être un entier de %1 à %2 : %3")
                                 .arg(training::LowestLevel)
                                 .arg(training::HighestLevel)
                                 .arg(*level));
    QString error;
    const auto input = parseCase(args.at(0).toUtf8(), &error);
    if (!input)
        return fail(context, error);

    const training::Lesson lesson = training::learn(*diagnosis, input->signs, {right, n});
    if (!lesson.message.isEmpty())
        return fail(context, lesson.message);
    if (!lesson.lines.isEmpty() && !training::appendLearningLines(*file, lesson.lines, &error))
        return fail(context, error);
    context.out << QStringLiteral("%1 enregistrement(s) d'apprentissage ajouté(s) à %2\n")
                       .arg(lesson.lines.size() / 3)
                       .arg(*file);
    return ExitOk;
}

const CommandRegistration command("learn", Usage, run, false);

} // namespace

} // namespace vardelo::cli
