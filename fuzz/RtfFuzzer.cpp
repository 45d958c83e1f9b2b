// The RTF reader on any bytes: it never faults, and what it reads, written back and read again,
// is the same formatted text.

#include "rtf/RichText.h"

#include <QByteArray>
#include <cstdlib>

using namespace vardelo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const rtf::RichText text = rtf::readRtfBytes(bytes);
    const QString written = rtf::writeRichText(text);
    if (rtf::readRtf(written) != text)
        std::abort();
    rtf::plainText(text);
    return 0;
}
