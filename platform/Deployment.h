#pragma once
// Values of the deployment: the publisher's addresses and credits, kept in one place.

#include <QString>

namespace vardelo::platform::deployment {

inline const QString VersionServer = QStringLiteral("www.vardelo.fr");
inline const QString VersionPath = QStringLiteral("/Files/Other/Vardelo.vl");
inline const QString WebSite = QStringLiteral("http://www.vardelo.fr");
inline const QString Email = QStringLiteral("contact@vardelo.fr");
inline const QString SocialPage = QStringLiteral("http://www.vardelo.fr/communaute");
inline const QString VideoChannel = QStringLiteral("http://www.vardelo.fr/videos");
inline const QString Author = QStringLiteral("L'équipe médicale de Vardelo");
inline const QString AuthorCredit = QStringLiteral("L'équipe médicale de Vardelo");

// Over HTTPS: the answer decides whether the updater is started, so it must come from the publisher.
inline QString versionUrl()
{
    return QStringLiteral("https://") + VersionServer + VersionPath;
}

} // namespace vardelo::platform::deployment
