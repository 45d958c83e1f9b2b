#pragma once

#include <QString>

namespace vardelo::platform {

inline constexpr int DocumentsFolderId = 5;

// Path of a special folder of the user; only the documents folder (5) is known. Empty on failure.
QString GetFolder(int folderId);
// Makes sure documents folder + dirName exists (dirName begins with a backslash, as "\Vardelo\Notes")
// and returns its path with native separators.
QString Vardelo_directory(const QString& dirName);

} // namespace vardelo::platform
