#include "platform/Folders.h"

#include <QDir>
#include <QStandardPaths>

namespace vardelo::platform {

QString ensureDocumentsSubfolder(const QString& name)
{
    const QString path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
                         QStringLiteral("/Vardelo/") + name;
    QDir().mkpath(path);
    return QDir::toNativeSeparators(path);
}

} // namespace vardelo::platform
