#include "decode.h"

#include "frame.h"
#include "numbers.h"

namespace zcore {
namespace {

int byteAt(QByteArrayView payload, int position)
{
    return static_cast<unsigned char>(payload[position - 1]);
}

int wordAt(QByteArrayView payload, int position)
{
    return byteAt(payload, position) + 256 * byteAt(payload, position + 1);
}

} // namespace

LiveFrame decodePayload(QByteArrayView payload)
{
    LiveFrame f;
    for (int c = 0; c < 4; ++c) {
        f.inWord[size_t(c)] = wordAt(payload, position::kInWord + 2 * c);
        f.outWord[size_t(c)] = wordAt(payload, position::kOutWord + 2 * c);
    }
    f.mask = byteAt(payload, position::kMask);
    f.temperatureByte = byteAt(payload, position::kTemperature);
    f.sensor = byteAt(payload, position::kSensor);
    for (int b = 0; b < 4; ++b)
        f.bands[size_t(b)] = byteAt(payload, position::kBand + b);
    for (int p = 0; p < 5; ++p)
        f.calibration[size_t(p)] = byteAt(payload, position::kLevelPoint + p);
    f.switchOverByte = byteAt(payload, position::kSwitchOver);
    return f;
}

void putPayloadByte(QByteArray &payload, int position, int value)
{
    payload[position - 1] = char(value & 0xFF);
}

void putPayloadWord(QByteArray &payload, int position, int value)
{
    putPayloadByte(payload, position, value & 0xFF);
    putPayloadByte(payload, position + 1, (value >> 8) & 0xFF);
}

QByteArray encodePayload(const LiveFrame &f)
{
    QByteArray p(kPayloadLength, '\0');
    for (int c = 0; c < 4; ++c) {
        putPayloadWord(p, position::kInWord + 2 * c, f.inWord[size_t(c)]);
        putPayloadWord(p, position::kOutWord + 2 * c, f.outWord[size_t(c)]);
    }
    putPayloadByte(p, position::kMask, f.mask);
    putPayloadByte(p, position::kTemperature, f.temperatureByte);
    putPayloadByte(p, position::kSensor, f.sensor);
    for (int b = 0; b < 4; ++b)
        putPayloadByte(p, position::kBand + b, f.bands[size_t(b)]);
    for (int i = 0; i < 5; ++i)
        putPayloadByte(p, position::kLevelPoint + i, f.calibration[size_t(i)]);
    putPayloadByte(p, position::kSwitchOver, f.switchOverByte);
    return p;
}

QString timeCutToFour(int word, QChar decimalPoint)
{
    if (word == 0)
        return QStringLiteral("---");
    return numberText((word - 3) / 126.0, decimalPoint).left(4);
}

std::optional<double> channelSpeed(int inWord, int outWord, QChar decimalPoint)
{
    const int sum = inWord + outWord;
    if (sum <= 129 || inWord == 0)
        return std::nullopt;
    const double speed = 60000.0 / ((sum - 3) / 126.0);
    // The speed goes through its text; a point keeps every digit, another
    // separator ends the number at the whole part.
    if (decimalPoint == QLatin1Char('.'))
        return speed;
    return readLeadingNumber(numberText(speed, decimalPoint));
}

std::optional<QString> speedEntry(int inWord, int outWord, QChar decimalPoint)
{
    const auto speed = channelSpeed(inWord, outWord, decimalPoint);
    if (!speed || !(*speed > 200 && *speed < 4000))
        return std::nullopt;
    return numberText(*speed * 2, decimalPoint);
}

double listHead(QStringView caption) { return readLeadingNumber(caption.left(4)); }

EngineSpeed engineSpeed(const std::array<double, 4> &h)
{
    EngineSpeed e;
    e.marked[0] = h[0] > h[1] || h[0] > h[2] || h[0] > h[3];
    if (e.marked[0])
        e.value = h[0];
    for (size_t k = 1; k < 4; ++k) {
        bool top = true;
        for (size_t j = 0; j < 4; ++j)
            if (j != k && !(h[k] > h[j]))
                top = false;
        e.marked[k] = top;
        if (top)
            e.value = h[k];
    }
    return e;
}

MaskFaces maskFaces(int mask)
{
    // Tested from the top bit down, subtracting each bit found; bit 6 is dropped.
    MaskFaces f;
    int rest = mask;
    bool *const targets[] = {&f.petrol, nullptr, &f.bit5, &f.bit4, &f.bit3, &f.bit2};
    int value = 128;
    for (bool *target : targets) {
        if (rest >= value) {
            rest -= value;
            if (target)
                *target = true;
        }
        value /= 2;
    }
    return f;
}

int maskOf(const MaskFaces &f)
{
    return (f.petrol ? 128 : 0) + (f.bit5 ? 32 : 0) + (f.bit4 ? 16 : 0) + (f.bit3 ? 8 : 0) +
           (f.bit2 ? 4 : 0);
}

} // namespace zcore
