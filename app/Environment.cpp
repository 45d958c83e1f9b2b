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

bool Environment::keepsWorkApart() const
{
    return QDir(workingDir).absolutePath() != QDir(programDir).absolutePath();
}

} // namespace vardelo::app
