#include "kb/VersionArea.h"

#include "kb/Sqlite.h"

#include <QFileInfo>
#include <sqlite3.h>

namespace vardelo::kb {

QByteArray encodeVersionArea(const QString& version)
{
    QByteArray area(VersionAreaSize, '\0');
    const qsizetype count = std::min<qsizetype>(version.size(), VersionPositions - 1);
    for (qsizetype k = 0; k < count; ++k)
        area[2 * k] = char(static_cast<unsigned char>(version.at(k).unicode() + 20));
    return area;
}

KbVersion decodeVersionArea(const QByteArray& area)
{
    KbVersion version;
    for (int k = 0; k < VersionPositions; ++k) {
        if (2 * k >= area.size()) {
            version.error = QStringLiteral("fin de la zone de version atteinte avant sa marque de fin");
            break;
        }
        const auto b = static_cast<unsigned char>(area.at(2 * k));
        if (b == 0)
            break;
        version.display.append(QChar(char16_t(b - 20)));
        version.raw.append(QChar(char16_t(b)));
    }
    return version;
}

KbVersion readKbVersion(const QString& path)
{
    KbVersion version;
    if (!QFileInfo::exists(path)) {
        version.error = QStringLiteral("Le fichier « %1 » est introuvable.").arg(path);
        return version;
    }
    try {
        Connection connection(path, Connection::Mode::ReadOnly);
        Statement statement(connection, QStringLiteral("select Area from VersionArea"));
        if (!statement.step()) {
            version.error = QStringLiteral("Le fichier « %1 » ne contient pas de zone de version.").arg(path);
            return version;
        }
        version = decodeVersionArea(statement.blob(0));
        if (!version.error.isEmpty())
            version.error = QStringLiteral("Lecture de « %1 » impossible : %2.").arg(path, version.error);
    } catch (const DbError& e) {
        version.error = QStringLiteral("Lecture de « %1 » impossible : %2").arg(path, e.message());
    }
    return version;
}

QString knowledgeStamp(Connection& connection)
{
    try {
        Statement& hash = connection.kept(QStringLiteral("select KnowledgeHash from VersionArea"));
        const QString text = hash.step() ? hash.text(0) : QString();
        hash.reset();
        if (!text.isEmpty())
            return u'#' + text;
    } catch (const DbError&) {
        // No version table: the file has no hash.
    }
    Statement& version = connection.kept(QStringLiteral("PRAGMA data_version"));
    const qint64 data = version.step() ? version.integer(0) : 0;
    version.reset();
    return QStringLiteral("changes %1 %2").arg(sqlite3_total_changes64(connection.handle())).arg(data);
}

} // namespace vardelo::kb
