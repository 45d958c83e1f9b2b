#include "kb/KnowledgeFile.h"
#include "tools/cli/Cli.h"

#include <QFile>
#include <QGuiApplication>
#include <map>
#include <memory>

namespace vardelo::cli {

namespace {

struct Command {
    QString usage;
    CommandFn run = nullptr;
    bool needsDatabase = true;
};

std::map<QString, Command>& commands()
{
    static std::map<QString, Command> registry;
    return registry;
}

} // namespace

CommandRegistration::CommandRegistration(const char* name, const char* usage, CommandFn run,
                                         bool needsDatabase)
{
    commands()[QString::fromUtf8(name)] = Command{QString::fromUtf8(usage), run, needsDatabase};
}

std::optional<QList<QByteArray>> readBoundedLines(const QString& path, qint64 maxBytes, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Fichier illisible : %1").arg(path);
        return std::nullopt;
    }
    QList<QByteArray> lines;
    while (!file.atEnd()) {
        QByteArray line = file.readLine(maxBytes + 2);
        const bool ended = line.endsWith('\n');
        if (ended)
            line.chop(1);
        if (line.size() > maxBytes || (!ended && !file.atEnd())) {
            *error = QStringLiteral("Ligne %1 de %2 refusée : plus de %3 octets")
                         .arg(lines.size() + 1)
                         .arg(path)
                         .arg(maxBytes);
            return std::nullopt;
        }
        lines.append(line);
    }
    if (file.error() != QFileDevice::NoError) {
        *error = QStringLiteral("Fichier illisible : %1").arg(path);
        return std::nullopt;
    }
    return lines;
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
    // The report lays text out with Qt's fonts, which need a graphical application; no display is
    // used, and the other commands keep the plain one.
    const int commandAt = argc > 1 && QByteArray(argv[1]) == "--db" ? 3 : 1;
    const bool needsFonts = commandAt < argc && QByteArray(argv[commandAt]) == "report";
    if (needsFonts && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app = needsFonts ? std::make_unique<QGuiApplication>(argc, argv)
                                                             : std::make_unique<QCoreApplication>(argc, argv);
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
    // A base that cannot be read, or whose knowledge no longer matches its hash, is an error: results
    // computed from it would be reported as if they were sound.
    if (command->second.needsDatabase) {
        const vardelo::kb::StartCheck check = vardelo::kb::checkKnowledgeBaseForStart(context.dbPath);
        if (check.status != vardelo::kb::StartCheck::Status::Ready)
            return fail(context, check.message);
    }
    context.args = args.mid(1);
    const int status = command->second.run(context);
    out.flush();
    err.flush();
    return status;
}
