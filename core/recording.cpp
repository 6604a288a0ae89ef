#include "recording.h"

#include "decode.h"
#include "frame.h"
#include "numbers.h"
#include "recordingformat.h"

#include <QObject>

#include <array>
#include <charconv>

namespace zcore {

using namespace recordingformat;

namespace {

void appendNumber(QByteArray &out, qint64 value)
{
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr - text);
}

void appendPadded(QByteArray &out, int value, int width)
{
    char text[12];
    const auto result = std::to_chars(text, text + sizeof text, value);
    for (qsizetype n = result.ptr - text; n < width; ++n)
        out.append('0');
    out.append(text, result.ptr - text);
}

// std::to_chars writes the point whatever the process locale is.
void appendFixed(QByteArray &out, double value, int decimals)
{
    char text[64];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    out.append(text, result.ptr - text);
}

void appendTime(QByteArray &out, const QDateTime &time)
{
    if (!time.isValid())
        return;
    const QDate date = time.date();
    const QTime clock = time.time();
    appendPadded(out, date.year(), 4);
    out.append('-');
    appendPadded(out, date.month(), 2);
    out.append('-');
    appendPadded(out, date.day(), 2);
    out.append('T');
    appendPadded(out, clock.hour(), 2);
    out.append(':');
    appendPadded(out, clock.minute(), 2);
    out.append(':');
    appendPadded(out, clock.second(), 2);
    out.append('.');
    appendPadded(out, clock.msec(), 3);
    const int offset = time.offsetFromUtc();
    out.append(offset < 0 ? '-' : '+');
    const int minutes = std::abs(offset) / 60;
    appendPadded(out, minutes / 60, 2);
    out.append(':');
    appendPadded(out, minutes % 60, 2);
}

void appendHex(QByteArray &out, QByteArrayView bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out.append(hex[b >> 4]);
        out.append(hex[b & 0x0F]);
    }
}

void appendInjectionTime(QByteArray &out, int word)
{
    if (word != 0)
        appendFixed(out, (word - 3) / 126.0, 3);
}

} // namespace

// The decoded columns of a payload, each followed by a comma but the last.
void recordingformat::appendDecoded(QByteArray &out, QByteArrayView payload)
{
    const LiveFrame f = decodePayload(payload);
    for (const int word : f.inWord) {
        appendInjectionTime(out, word);
        out.append(',');
    }
    for (const int word : f.outWord) {
        appendInjectionTime(out, word);
        out.append(',');
    }
    std::optional<double> rpm;
    for (size_t c = 0; c < 4; ++c) {
        if (const auto entry = speedEntry(f.inWord[c], f.outWord[c])) {
            const double value = readLeadingNumber(*entry);
            if (!rpm || value > *rpm)
                rpm = value;
        }
    }
    if (rpm)
        appendFixed(out, *rpm, 1);
    out.append(',');
    appendNumber(out, degreesFromByte(f.temperatureByte));
    out.append(',');
    appendNumber(out, degreesFromByte(f.switchOverByte));
    out.append(',');
    appendNumber(out, f.sensor);
    for (const int band : f.bands) {
        out.append(',');
        appendNumber(out, band);
    }
    for (const int point : f.calibration) {
        out.append(',');
        appendNumber(out, point);
    }
    out.append(',');
    appendNumber(out, f.mask);
    out.append(',');
    out.append(maskFaces(f.mask).petrol ? '1' : '0');
}

const char *recordEventName(RecordEvent event)
{
    // In the order of the enum.
    static constexpr const char *kNames[] = {
        "frame",       "command",         "port-open",        "port-closed",
        "device-lost", "device-returned", "recording-stopped"};
    static_assert(std::size(kNames) == kRecordEvents.size());
    return kNames[size_t(event)];
}

std::optional<RecordEvent> recordEventNamed(QByteArrayView name)
{
    for (const RecordEvent event : kRecordEvents)
        if (name == QByteArrayView(recordEventName(event)))
            return event;
    return std::nullopt;
}

QByteArray recordingHeaderLine()
{
    QByteArray line;
    for (const char *column : kColumns) {
        if (!line.isEmpty())
            line.append(',');
        line.append(column);
    }
    return line + "\r\n";
}

QByteArray recordingLine(const RecordRow &row)
{
    QByteArray line;
    line.reserve(256);
    appendTime(line, row.time);
    line.append(',');
    appendNumber(line, row.elapsedMs);
    line.append(',');
    line.append(recordEventName(row.event));
    line.append(',');
    const bool frame = row.event == RecordEvent::Frame;
    if (frame)
        appendHex(line, row.payload);
    line.append(',');
    if (row.event == RecordEvent::Command) {
        appendNumber(line, row.code);
        line.append(',');
        appendNumber(line, row.value);
    } else {
        line.append(',');
    }
    line.append(',');
    if (frame && row.payload.size() == kPayloadLength)
        appendDecoded(line, row.payload);
    else
        line.append(QByteArray(kDecodedColumns - 1, ','));
    line.append("\r\n");
    return line;
}

} // namespace zcore
