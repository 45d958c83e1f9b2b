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

inline QString versionUrl()
{
    return QStringLiteral("http://") + VersionServer + VersionPath;
}

} // namespace vardelo::platform::deployment
