#include "documentation/PathologyNotes.h"

#include "platform/Cp1252.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace vardelo::documentation {

namespace {

bool forbiddenInFileName(QChar c)
{
    return c.unicode() < 0x20 || QStringView(u"/\\:*?\"<>|%").contains(c);
}

QString escaped(QChar c)
{
    // Characters above U+00FF are all allowed; only ASCII ones are escaped.
    return QStringLiteral("%%1").arg(c.unicode(), 2, 16, QChar(u'0')).toUpper();
}

} // namespace

QString notesFileName(const QString& pathology)
{
    QString name;
    name.reserve(pathology.size() + 4);
    for (const QChar c : pathology)
        name += forbiddenInFileName(c) ? escaped(c) : QString(c);
    // Windows refuses a file named after a device, whatever its extension.
    const QString stem = name.section(u'.', 0, 0).trimmed().toUpper();
    static const QStringList devices = {QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                                        QStringLiteral("NUL")};
    const bool numbered = stem.size() == 4 && (stem.startsWith(u"COM") || stem.startsWith(u"LPT")) &&
                          stem.at(3) >= u'0' && stem.at(3) <= u'9';
    if (devices.contains(stem) || numbered) {
        const qsizetype last = name.indexOf(u'.') < 0 ? name.size() - 1 : name.indexOf(u'.') - 1;
        name.replace(last, 1, escaped(name.at(last)));
    }
    return name + QStringLiteral(".rtf");
}

PathologyNotes::PathologyNotes(QString folder)
    : folder_(std::move(folder))
{}

QString PathologyNotes::filePath(const QString& pathology) const
{
    return QDir(folder_).filePath(notesFileName(pathology));
}

QString PathologyNotes::load(const QString& pathology) const
{
    QFile file(filePath(pathology));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.sliced(3));
    return platform::decodeCp1252(bytes);
}

PathologyNotes::Saved PathologyNotes::save(const QString& pathology, const QString& rtf, bool holdsText,
                                           QString* error) const
{
    const QString path = filePath(pathology);
    if (!holdsText && QFile::exists(path)) {
        QFile file(path);
        if (file.remove())
            return Saved::Deleted;
        if (error)
            *error = QStringLiteral("Impossible de supprimer les notes de « %1 » (%2) : %3")
                         .arg(pathology, QDir::toNativeSeparators(path), file.errorString());
        return Saved::Failed;
    }
    QDir().mkpath(folder_);
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        // The RTF is 7-bit: every other character is escaped in it.
        file.write(platform::encodeCp1252(rtf));
        if (file.commit())
            return Saved::Written;
    }
    if (error)
        *error = QStringLiteral("Impossible d'enregistrer les notes de « %1 » (%2) : %3")
                     .arg(pathology, QDir::toNativeSeparators(path), file.errorString());
    return Saved::Failed;
}

} // namespace vardelo::documentation
