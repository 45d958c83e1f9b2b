#pragma once
// The knowledge-base version area: 56 positions, every second byte of a 112-byte area, each holding
// a character code raised by 20, ended by a zero byte. It lives in the one-row table VersionArea.

#include <QByteArray>
#include <QString>

namespace vardelo::kb {

inline constexpr int VersionAreaSize = 112;
inline constexpr int VersionPositions = 56;
// The only knowledge-base version this program accepts, as stored ("1.0" raised by 20).
inline const QString ExpectedKBVersionRaw = QStringLiteral("EBD");
inline const QString CurrentKBVersion = QStringLiteral("1.0");

struct KbVersion {
    QString display; // KBVersion: the characters as shown
    QString raw;     // KBVersionRaw: the stored character codes
    QString error;   // set when the area could not be read whole
};

QByteArray encodeVersionArea(const QString& version);
KbVersion decodeVersionArea(const QByteArray& area);
// Reads the area from a knowledge-base file without changing it.
KbVersion readKbVersion(const QString& path);

class Connection;

// What the caches of the knowledge are keyed on: the knowledge hash kept beside the version area,
// which only an upgrade of the knowledge changes, so that saving a case or a score keeps them.
// A file without a hash (made by hand or by a test) may have its knowledge written at any time:
// its stamp is then the connection's count of changed rows and the file's data version, which
// any write changes.
QString knowledgeStamp(Connection& connection);

} // namespace vardelo::kb
