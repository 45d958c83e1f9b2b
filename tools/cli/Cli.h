#pragma once
// vardelo-cli runs the core from the command line. Each command lives in its own file and
// registers itself with a CommandRegistration object.

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>

namespace vardelo::cli {

inline constexpr int ExitOk = 0;
inline constexpr int ExitUsage = 2; // usage or file error

struct Context {
    QString dbPath;   // --db, Data.vdat in the current folder by default
    QStringList args; // the command's own arguments
    QTextStream& out;
    QTextStream& err;
};

using CommandFn = int (*)(Context&);

struct CommandRegistration {
    // A command that reads no knowledge base (it works on a file of its own) runs without one.
    CommandRegistration(const char* name, const char* usage, CommandFn run, bool needsDatabase = true);
};

// Prints a French message on standard error and returns ExitUsage.
int fail(Context& context, const QString& message);

// A case line longer than this is refused rather than read without end.
inline constexpr qint64 MaxCaseLineBytes = 1 << 20;
// The lines of a file, without their line ends. A line longer than maxBytes, or a file that cannot be
// read, gives nothing and *error says why in French.
std::optional<QList<QByteArray>> readBoundedLines(const QString& path, qint64 maxBytes, QString* error);

} // namespace vardelo::cli
