// The leading-number reader and number text: any text reads without harm, and
// the text of a finite number reads back as that number.
#include "core/numbers.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    const double v = zcore::readLeadingNumber(text);
    zcore::readLeadingNumber(
        QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (std::isfinite(v)) {
        const double back = zcore::readLeadingNumber(zcore::numberText(v));
        if (std::fabs(back - v) > std::fabs(v) * 1e-14)
            std::abort();
    }
    zcore::numberText(v, QLatin1Char(','));
    if (const auto w = zcore::parseWholeText(text)) {
        if (!std::isfinite(*w))
            std::abort();
    }
    if (const auto n = zcore::wholeNumber16(text)) {
        if (*n < -32768 || *n > 32767)
            std::abort();
    }
    if (const auto b = zcore::toByte(v)) {
        if (std::fabs(double(*b) - v) > 0.5)
            std::abort();
    }
    return 0;
}
