#pragma once
// Windows-1252, the 8-bit text of the files that travel between Windows and Linux installations.
// Qt has no codec for it; French needs its 0x80-0x9F range (œ, €, ’, «...).

#include <QByteArray>
#include <QString>

namespace vardelo::platform {

QString decodeCp1252(const QByteArray& bytes);
// Characters outside the code page become "?", as the system conversion would write them.
QByteArray encodeCp1252(QStringView text);

} // namespace vardelo::platform
