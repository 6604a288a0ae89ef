#include "payloads.h"

#include <cmath>

#include "core/decode.h"
#include "core/frame.h"

namespace payloads {

QByteArray fromHex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

QByteArray workedFrame()
{
    return fromHex("A4 C0 00 F4 01 00 00 E8 03 81 00 A0 00 00 DC 05 03 00 E8 03 00 00 8C 64 0A "
                   "14 1E 28 C8 96 64 32 0A A0 00 00 00");
}

QByteArray countingFrame()
{
    QByteArray bytes = fromHex("A4 C0 00");
    for (int position = 1; position <= zcore::kPayloadLength; ++position)
        bytes.append(char(position));
    return bytes;
}

QByteArray payload(std::initializer_list<std::pair<int, int>> bytes)
{
    QByteArray p(zcore::kPayloadLength, '\0');
    for (const auto &[position, value] : bytes)
        zcore::putPayloadByte(p, position, value);
    return p;
}

zcore::LiveFrame engineFrame(const Engine &engine)
{
    zcore::LiveFrame f;
    const int in = int(std::lround(engine.injectionMs * 126 + 3));
    const int sum = int(std::lround(15120000.0 / engine.rpm + 3));
    f.inWord.fill(in);
    f.outWord.fill(sum - in);
    f.mask = engine.mask;
    f.temperatureByte = int(zcore::byteFromDegrees(engine.coolantC));
    f.switchOverByte = int(zcore::byteFromDegrees(engine.switchOverC));
    f.bands = engine.bands;
    f.calibration = engine.calibration;
    return f;
}

} // namespace payloads
