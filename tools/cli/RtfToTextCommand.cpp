// vardelo-cli rtf-to-text: what the program's RTF reader makes of a file, as plain text. For
// checking the reader on real files and for scripts.

#include "rtf/RichText.h"
#include "tools/cli/Cli.h"

#include <QFile>

namespace vardelo::cli {

namespace {

const char* const Usage = "rtf-to-text FICHIER";
// No note or definition comes near this; a larger file is not read whole into memory.
constexpr qint64 MaxRtfBytes = 256 << 20;

int run(Context& context)
{
    if (context.args.size() != 1)
        return fail(context, QStringLiteral("Usage : vardelo-cli ") + QString::fromUtf8(Usage));
    QFile file(context.args.at(0));
    if (!file.open(QIODevice::ReadOnly))
        return fail(context, QStringLiteral("Fichier illisible : %1").arg(context.args.at(0)));
    if (file.size() > MaxRtfBytes)
        return fail(context, QStringLiteral("Fichier trop volumineux : %1").arg(context.args.at(0)));
    const QString text = rtf::plainText(rtf::readRtfBytes(file.readAll()));
    context.out << text;
    if (!text.isEmpty() && !text.endsWith(u'\n'))
        context.out << '\n';
    return ExitOk;
}

const CommandRegistration command("rtf-to-text", Usage, run, false);

} // namespace

} // namespace vardelo::cli
