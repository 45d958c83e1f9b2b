#include "platform/Folders.h"

#include <QDir>
#include <QStandardPaths>

namespace vardelo::platform {

QString GetFolder(int folderId)
{
    if (folderId != DocumentsFolderId)
        return QString();
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString Vardelo_directory(const QString& dirName)
{
    QString relative = dirName.left(255);
    relative.replace(u'\\', u'/');
    const QString path = GetFolder(DocumentsFolderId) + relative;
    QDir().mkpath(path);
    return QDir::toNativeSeparators(path);
}

} // namespace vardelo::platform
