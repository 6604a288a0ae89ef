// The settings file reader on any bytes: a file it takes is within range in
// every value and writes back to a file that reads the same.
#include "core/settingsfile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString why;
    const auto file = zcore::readSettingsFile(bytes, &why);
    if (!file) {
        if (why.isEmpty())
            std::abort(); // a refusal always says why
        return 0;
    }
    for (const zcore::SettingItem &item : zcore::settingItems(file->settings))
        if (item.value < 0 || item.value > 255)
            std::abort();
    const auto again = zcore::readSettingsFile(zcore::writeSettingsFile(*file), nullptr);
    if (!again || !(again->settings == file->settings) || again->plate != file->plate ||
        again->note != file->note)
        std::abort();
    return 0;
}
