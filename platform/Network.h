#pragma once

#include <QHostAddress>
#include <QString>
#include <functional>
#include <optional>

namespace vardelo::platform {

// Finds the address of a host name; may block for as long as the name service takes.
using HostResolver = std::function<std::optional<QHostAddress>(const QString& host)>;
// The system's name service.
std::optional<QHostAddress> resolveWithSystem(const QString& host);

// The largest body the version check reads: a version number is a few bytes.
inline constexpr qint64 MaxVersionBodyBytes = 64 * 1024;

// One uncached HTTP(S) GET of the remote version file. Returns the body decoded as Windows-1252
// when it is a version number (digits and dots, blanks around it kept), or the empty text when the
// name cannot be resolved, the server cannot be reached, answers with an error status, sends more
// than MaxVersionBodyBytes, sends anything but a version, or the whole exchange, name look-up
// included, takes longer than timeoutMs. A look-up still running then is left behind in its own
// thread, which never keeps the program alive. It waits in a local event loop, so the window keeps
// painting but the caller waits.
QString getContent(const QString& url, int timeoutMs = 4000, const HostResolver& resolve = resolveWithSystem);

// Whether text, without the blanks around it, is a version number such as "1.0" or "2.10.3".
bool isVersionText(const QString& text);

} // namespace vardelo::platform
