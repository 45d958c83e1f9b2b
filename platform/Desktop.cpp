#include "platform/Desktop.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace vardelo::platform {

bool Desktop::openUrl(const QString& address)
{
    return QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

bool Desktop::openFolder(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool Desktop::startProgram(const QString& program, const QStringList& arguments, const QString& folder)
{
    return QProcess::startDetached(program, arguments, folder);
}

} // namespace vardelo::platform
