#pragma once

#include <QString>

namespace vardelo::platform {

// Makes sure the program's folder of that name exists in the user's documents folder
// ("Diagnostics" gives Documents/Vardelo/Diagnostics) and returns its path with native separators.
QString ensureDocumentsSubfolder(const QString& name);

} // namespace vardelo::platform
