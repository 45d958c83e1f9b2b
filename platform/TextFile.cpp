#include "platform/TextFile.h"

#include "platform/Cp1252.h"

#include <QFile>
#include <QSaveFile>

namespace vardelo::platform {

QStringList splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

std::optional<QStringList> readTextLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return splitLines(decodeCp1252(file.readAll()));
}

bool writeText(const QString& path, const QString& text, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("Impossible d'écrire « %1 » : %2").arg(path, file.errorString());
        return false;
    }
    file.write(encodeCp1252(text));
    if (!file.commit()) {
        if (error)
            *error = QStringLiteral("Impossible d'écrire « %1 » : %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool writeTextLines(const QString& path, const QStringList& lines, QString* error)
{
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return writeText(path, text, error);
}

} // namespace vardelo::platform
