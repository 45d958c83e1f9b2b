#include "tools/cli/Cli.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <map>

namespace vardelo::cli {

namespace {

struct Command {
    QString usage;
    CommandFn run = nullptr;
};

std::map<QString, Command>& commands()
{
    static std::map<QString, Command> registry;
    return registry;
}

} // namespace

CommandRegistration::CommandRegistration(const char* name, const char* usage, CommandFn run)
{
    commands()[QString::fromUtf8(name)] = Command{QString::fromUtf8(usage), run};
}

int fail(Context& context, const QString& message)
{
    context.err << message << '\n';
    context.err.flush();
    return ExitUsage;
}

} // namespace vardelo::cli

int main(int argc, char* argv[])
{
    using namespace vardelo::cli;
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = QCoreApplication::arguments().mid(1);
    Context context{QStringLiteral("Data.vdat"), {}, out, err};
    if (args.size() >= 2 && args.at(0) == u"--db") {
        context.dbPath = args.at(1);
        args = args.mid(2);
    }
    const auto command = args.isEmpty() ? commands().end() : commands().find(args.at(0));
    if (command == commands().end()) {
        err << "Usage : vardelo-cli [--db FICHIER] COMMANDE ...\n";
        for (const auto& [name, c] : commands())
            err << "  vardelo-cli [--db FICHIER] " << c.usage << '\n';
        return ExitUsage;
    }
    if (!QFileInfo::exists(context.dbPath))
        return fail(context, QStringLiteral("Base de connaissance introuvable : %1").arg(context.dbPath));
    context.args = args.mid(1);
    const int status = command->second.run(context);
    out.flush();
    err.flush();
    return status;
}
