#pragma once

#include <QString>

namespace vardelo::kbc {

// Writes a knowledge base `factor` times larger than `sourcePath`, for benchmarks: every pathology,
// sign and exam line is repeated factor times, each copy with its own texts and keywords (words
// made longer by a copy tag), so that the vocabulary grows with it and the line formats, lines per
// pathology and restrictions stay those of the source.
bool scaleDatabase(const QString& sourcePath, int factor, const QString& outPath, QString* error);

// The tag of copy c (0 for the original, which keeps its texts).
QString copyTag(int copy);

} // namespace vardelo::kbc
