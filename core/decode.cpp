#include "decode.h"

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
    f.inWord = {wordAt(payload, 1), wordAt(payload, 3), wordAt(payload, 5), wordAt(payload, 7)};
    f.mask = byteAt(payload, 9);
    f.outWord = {wordAt(payload, 12), wordAt(payload, 14), wordAt(payload, 16),
                 wordAt(payload, 18)};
    f.temperatureByte = byteAt(payload, 20);
    f.sensor = byteAt(payload, 21);
    for (int i = 0; i < 4; ++i)
        f.bands[size_t(i)] = byteAt(payload, 22 + i);
    for (int i = 0; i < 5; ++i)
        f.calibration[size_t(i)] = byteAt(payload, 26 + i);
    f.switchOverByte = byteAt(payload, 31);
    return f;
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
