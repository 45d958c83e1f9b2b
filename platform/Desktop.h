#pragma once
// The desktop services the program asks of the system: opening an address or a folder in the
// user's programs, and starting another program. Tests put a recorder in their place.

#include <QString>
#include <QStringList>

namespace vardelo::platform {

class Desktop {
public:
    virtual ~Desktop() = default;
    virtual bool openUrl(const QString& address);
    virtual bool openFolder(const QString& path);
    virtual bool startProgram(const QString& program, const QStringList& arguments, const QString& folder);
};

} // namespace vardelo::platform
