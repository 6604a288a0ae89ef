// The web archive reader on any bytes.
#include "core/mimearchive.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const zcore::MimeArchive a = zcore::readMimeArchive(bytes);
    if (a.ok) {
        if (a.root < 0 || a.root >= a.parts.size())
            std::abort();
        for (const zcore::MimePart &p : a.parts) {
            if (!p.location.isEmpty() && !a.find(p.location))
                std::abort();
        }
        a.find("cid:x");
        a.find("index.html");
    } else if (a.error.isEmpty()) {
        std::abort();
    }
    zcore::decodeQuotedPrintable(bytes);
    return 0;
}
