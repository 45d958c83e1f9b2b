#pragma once
// Score arithmetic shared by both evaluation paths. Learning files are written by hand: huge
// bonuses stop at the largest score instead of overflowing.

#include <QtGlobal>
#include <limits>

namespace vardelo::engine {

inline qint64 saturatingAdd(qint64 a, qint64 b)
{
    qint64 sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
    return sum;
}

inline qint64 saturatingMultiply(qint64 a, qint64 b)
{
    qint64 product = 0;
    if (__builtin_mul_overflow(a, b, &product))
        return (a < 0) != (b < 0) ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
    return product;
}

} // namespace vardelo::engine
