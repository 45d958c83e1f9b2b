#include "app/Environment.h"

#include <QDir>

namespace vardelo::app {

QString Environment::workingFile(const QString& name) const
{
    return QDir(workingDir).filePath(name);
}

QString Environment::programFile(const QString& name) const
{
    return QDir(programDir).filePath(name);
}

} // namespace vardelo::app
