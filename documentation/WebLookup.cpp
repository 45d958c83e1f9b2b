#include "documentation/WebLookup.h"

#include <QUrl>

namespace vardelo::documentation {

QStringList webSourceCaptions()
{
    return {QStringLiteral("Manuel MSD Pro"), QStringLiteral("Wikipedia médicale"),
            QStringLiteral("Google standard"), QStringLiteral("Google Scholar"),
            QStringLiteral("Google image")};
}

QString webSearchAddress(WebSource source, const QString& text)
{
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(text));
    switch (source) {
    case WebSource::MsdManual:
        return QStringLiteral("https://www.msdmanuals.com/fr/professional/SearchResults?query=") + encoded +
               QStringLiteral("&force=true");
    case WebSource::Wikipedia:
        return QStringLiteral("https://fr.wikipedia.org/w/index.php?cirrusUserTesting=glent_m0&search=") +
               encoded;
    case WebSource::Google:
        return QStringLiteral("https://www.google.fr/search?q=") + encoded;
    case WebSource::GoogleScholar:
        return QStringLiteral("https://scholar.google.fr/scholar?hl=fr&as_sdt=0%2C5&q=") + encoded;
    case WebSource::GoogleImages:
        return QStringLiteral("https://www.google.com/search?tbm=isch&as_q=") + encoded;
    }
    return QString();
}

QString searchNameForPathology(const QString& pathology)
{
    if (pathology == u"Impuissance")
        return QStringLiteral("Impuissance sexuelle");
    if (pathology == u"Choc")
        return QStringLiteral("Etat de choc hémodynamique");
    if (pathology == u"Varice")
        return QStringLiteral("Varices des membres inférieurs");
    return pathology;
}

QString pathologySearchAddress(int sourceIndex, const QString& pathology)
{
    if (sourceIndex < 0 || sourceIndex >= WebSourceCount)
        return QString();
    return webSearchAddress(WebSource(sourceIndex), searchNameForPathology(pathology));
}

QString signSearchAddress(const QString& signText)
{
    QString text = signText;
    text.remove(QStringLiteral("Pathologie : "));
    return webSearchAddress(WebSource::Google, text);
}

} // namespace vardelo::documentation
