#include "platform/Cp1252.h"

#include <array>

namespace vardelo::platform {

namespace {

// 0x80-0x9F; the five unassigned bytes map to the C1 controls of the same value, as Windows does.
constexpr std::array<char16_t, 32> High = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                           0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QString decodeCp1252(const QByteArray& bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = QChar(b >= 0x80 && b < 0xA0 ? High[b - 0x80] : char16_t(b));
    }
    return out;
}

QByteArray encodeCp1252(QStringView text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        unsigned char b = '?';
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            b = static_cast<unsigned char>(u);
        } else {
            for (size_t k = 0; k < High.size(); ++k) {
                if (High[k] == u) {
                    b = static_cast<unsigned char>(0x80 + k);
                    break;
                }
            }
        }
        out[i] = char(b);
    }
    return out;
}

} // namespace vardelo::platform
