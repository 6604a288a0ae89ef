// The port file parser on any bytes, and what the dialog writes reads back.
#include "core/numbers.h"
#include "core/portfile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const zcore::PortFileContents c = zcore::parsePortFile(bytes);
    if (c.outcome == zcore::PortFileContents::Outcome::Port) {
        const double n = zcore::readLeadingNumber(c.portNumberText);
        const zcore::PortFileContents again = zcore::parsePortFile(zcore::portFileText(n));
        if (again.outcome != zcore::PortFileContents::Outcome::Port ||
            again.portNumberText != zcore::numberText(n))
            std::abort();
    }
    return 0;
}
