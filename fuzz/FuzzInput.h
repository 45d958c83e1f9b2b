#pragma once
// Turning libFuzzer's bytes into the texts a person could type or a file could hold: UTF-16 code
// units taken as they come, so that unpaired surrogates, NUL and every control character occur.

#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vardelo::fuzz {

inline QString utf16Text(const uint8_t* data, size_t size)
{
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(text.data(), data, (size / 2) * 2);
    return text;
}

// Elements separated by line feeds.
inline QStringList utf16Lines(const uint8_t* data, size_t size)
{
    return utf16Text(data, size).split(u'\n');
}

} // namespace vardelo::fuzz
