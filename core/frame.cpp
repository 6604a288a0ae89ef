#include "frame.h"

#include "numbers.h"

namespace zcore {

qsizetype findTelemetryHeader(QByteArrayView read)
{
    for (qsizetype i = 0; i + 2 < read.size(); ++i) {
        if (static_cast<unsigned char>(read[i]) == kFrameHeader &&
            static_cast<unsigned char>(read[i + 1]) == kTelemetryMark1 &&
            static_cast<unsigned char>(read[i + 2]) == kTelemetryMark2)
            return i;
    }
    return -1;
}

std::optional<QByteArray> framePayload(QByteArrayView read)
{
    const qsizetype at = findTelemetryHeader(read);
    if (at < 0)
        return std::nullopt;
    const QByteArrayView payload = read.sliced(at + 3);
    if (payload.size() < kPayloadLength)
        return std::nullopt;
    return payload.toByteArray();
}

QString diagnosticLine(QByteArrayView payload)
{
    static const char hex[] = "0123456789ABCDEF";
    QString line;
    line.reserve(kDiagnosticBytes * 3);
    for (qsizetype p = 0; p < kDiagnosticBytes && p < payload.size(); ++p) {
        const auto b = static_cast<unsigned char>(payload[p]);
        if (p > 0)
            line.append(QLatin1Char('-'));
        line.append(QLatin1Char(hex[b >> 4]));
        line.append(QLatin1Char(hex[b & 0x0F]));
    }
    return line;
}

QByteArray telemetryFrame(QByteArrayView payload)
{
    QByteArray frame;
    frame.reserve(payload.size() + 3);
    frame.append(char(kFrameHeader));
    frame.append(char(kTelemetryMark1));
    frame.append(char(kTelemetryMark2));
    frame.append(payload);
    return frame;
}

std::optional<std::array<char, 3>> commandFrame(double code, double value)
{
    const auto a = toByte(code);
    const auto b = toByte(value);
    if (!a || !b)
        return std::nullopt;
    return std::array<char, 3>{char(kFrameHeader), char(*a), char(*b)};
}

} // namespace zcore
