#pragma once

#include <QString>

namespace vardelo::platform {

// One uncached HTTP GET. Returns the body decoded as Windows-1252, or the empty text when the
// server cannot be reached, does not answer within timeoutMs, or answers with an error status.
// It waits in a local event loop, so the window keeps painting but the caller waits.
QString getContent(const QString& url, int timeoutMs = 4000);

} // namespace vardelo::platform
