#pragma once
// The program's small text files: Windows-1252, lines ended by CR LF, written through a temporary
// file and a rename so that a crash never leaves half a file.

#include <QString>
#include <QStringList>
#include <optional>

namespace vardelo::platform {

// The lines of a file (CR LF, LF or CR end a line; a final line break adds no empty line);
// nothing when the file cannot be read.
std::optional<QStringList> readTextLines(const QString& path);
QStringList splitLines(const QString& text);

// Writes every line followed by CR LF. Returns false, with a French reason, when it failed;
// the previous file is then left as it was.
bool writeTextLines(const QString& path, const QStringList& lines, QString* error = nullptr);
bool writeText(const QString& path, const QString& text, QString* error = nullptr);

} // namespace vardelo::platform
