#include "recording.h"

#include "decode.h"
#include "frame.h"
#include "numbers.h"
#include "recordingformat.h"

#include <QObject>
#include <QVarLengthArray>

#include <array>
#include <charconv>

namespace zcore {

using namespace recordingformat;

namespace {

// One line taken apart into its fields. A field is a view into the file or,
// for a quoted field (its quotes taken off, doubled ones made single), into
// `unquoted`.
struct Line {
    QVarLengthArray<QByteArrayView, kColumnCount> fields;
    QByteArray unquoted;
    qsizetype number = 0; // of its first physical line, from 1
    bool ended = false;   // by a line end rather than the end of the file
};

class CsvReader {
public:
    explicit CsvReader(QByteArrayView bytes) : m_bytes(bytes)
    {
        m_line.unquoted.reserve(kLongestRecordingLine);
        // A byte order mark, as some editors put before UTF-8 text.
        if (m_bytes.startsWith("\xEF\xBB\xBF"))
            m_at = 3;
    }

    bool atEnd() const { return m_at >= m_bytes.size(); }
    qsizetype position() const { return m_at; }
    // Only empty lines are left.
    bool onlyEmptyLinesLeft() const
    {
        for (qsizetype i = m_at; i < m_bytes.size(); ++i)
            if (m_bytes[i] != '\r' && m_bytes[i] != '\n')
                return false;
        return true;
    }

    // The next line; false, and why, when it is not one.
    bool next(QString *why)
    {
        Line &line = m_line;
        line.fields.clear();
        line.unquoted.resize(0);
        line.number = m_physical;
        line.ended = false;
        const qsizetype start = m_at;
        const qsizetype limit = std::min(m_bytes.size(), start + kLongestRecordingLine);
        struct Span {
            qsizetype from;
            qsizetype size;
            bool unquoted;
        };
        QVarLengthArray<Span, kColumnCount> spans;
        for (;;) {
            if (spans.size() > kColumnCount * 2) {
                *why = QObject::tr("satır %1: çok fazla alan").arg(line.number);
                return false;
            }
            Span span{m_at, 0, false};
            if (m_at < limit && m_bytes[m_at] == '"') {
                ++m_at;
                span.from = line.unquoted.size();
                span.unquoted = true;
                for (;;) {
                    if (m_at >= limit)
                        return tooLongOrCut(start, why, QObject::tr("kapanmamış tırnak"));
                    const char c = m_bytes[m_at];
                    if (c == '"') {
                        if (m_at + 1 < limit && m_bytes[m_at + 1] == '"') {
                            line.unquoted.append('"');
                            m_at += 2;
                            continue;
                        }
                        ++m_at;
                        break;
                    }
                    if (isBinary(c)) {
                        *why = binary();
                        return false;
                    }
                    if (c == '\n')
                        ++m_physical;
                    line.unquoted.append(c);
                    ++m_at;
                }
                span.size = line.unquoted.size() - span.from;
            } else {
                while (m_at < limit) {
                    const char c = m_bytes[m_at];
                    if (c == ',' || c == '\r' || c == '\n')
                        break;
                    if (c == '"') {
                        *why = QObject::tr("satır %1: tırnaksız bir alanda tırnak işareti")
                                   .arg(line.number);
                        return false;
                    }
                    if (isBinary(c)) {
                        *why = binary();
                        return false;
                    }
                    ++m_at;
                }
                span.size = m_at - span.from;
            }
            spans.append(span);
            if (m_at >= m_bytes.size())
                break; // the end of the file ends the line
            if (m_at >= limit)
                return tooLongOrCut(start, why, QString());
            const char c = m_bytes[m_at];
            if (c == ',') {
                ++m_at;
                continue;
            }
            if (c == '\n' ||
                (c == '\r' && m_at + 1 < m_bytes.size() && m_bytes[m_at + 1] == '\n')) {
                m_at += c == '\n' ? 1 : 2;
                ++m_physical;
                line.ended = true;
                break;
            }
            if (c == '\r' && m_at + 1 >= m_bytes.size()) {
                m_at += 1; // CR at the very end, its LF cut off: the line is whole
                line.ended = true;
                break;
            }
            *why = c == '\r'
                       ? QObject::tr("satır %1: satır sonunda LF olmadan CR").arg(line.number)
                       : QObject::tr("satır %1: kapanan tırnaktan sonra virgül veya satır sonu yok")
                             .arg(line.number);
            return false;
        }
        for (const Span &span : spans)
            line.fields.append(span.unquoted
                                   ? QByteArrayView(line.unquoted).sliced(span.from, span.size)
                                   : m_bytes.sliced(span.from, span.size));
        return true;
    }

    const Line &line() const { return m_line; }

    // Control characters other than line ends and tabs.
    static bool isBinary(char c)
    {
        const auto b = static_cast<unsigned char>(c);
        return (b < 0x20 && c != '\r' && c != '\n' && c != '\t') || b == 0x7F;
    }

private:
    QString binary() const
    {
        return QObject::tr("satır %1: ikili veri; kayıt dosyası metin olmalı").arg(m_physical);
    }

    bool tooLongOrCut(qsizetype start, QString *why, const QString &cut)
    {
        if (m_at - start >= kLongestRecordingLine)
            *why = QObject::tr("satır %1, %2 bayttan uzun")
                       .arg(m_line.number)
                       .arg(kLongestRecordingLine);
        else
            *why = QObject::tr("satır %1: %2").arg(m_line.number).arg(cut);
        return false;
    }

    QByteArrayView m_bytes;
    qsizetype m_at = 0;
    qsizetype m_physical = 1;
    Line m_line;
};

int digitValue(char c) { return c - '0'; }

bool isDigits(QByteArrayView text)
{
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return !text.isEmpty();
}

int numberAt(QByteArrayView text, qsizetype at, qsizetype length)
{
    int value = 0;
    for (qsizetype i = at; i < at + length; ++i)
        value = value * 10 + digitValue(text[i]);
    return value;
}

// 2026-12-07T14:05:31.250+03:00 (or Z for UTC).
std::optional<QDateTime> parseTime(QByteArrayView text)
{
    // Positions of the digits and of the separators between them.
    static constexpr char kShape[] = "dddd-dd-ddTdd:dd:dd.ddd";
    constexpr qsizetype kShapeLength = sizeof kShape - 1;
    if (text.size() != kShapeLength + 1 && text.size() != kShapeLength + 6)
        return std::nullopt;
    for (qsizetype i = 0; i < kShapeLength; ++i) {
        const char c = text[i];
        if (kShape[i] == 'd' ? (c < '0' || c > '9') : c != kShape[i])
            return std::nullopt;
    }
    const QDate date(numberAt(text, 0, 4), numberAt(text, 5, 2), numberAt(text, 8, 2));
    const QTime clock(numberAt(text, 11, 2), numberAt(text, 14, 2), numberAt(text, 17, 2),
                      numberAt(text, 20, 3));
    if (!date.isValid() || !clock.isValid())
        return std::nullopt;
    const QByteArrayView zone = text.sliced(kShapeLength);
    int offset = 0;
    if (zone != "Z") {
        if (zone.size() != 6 || (zone[0] != '+' && zone[0] != '-') || zone[3] != ':' ||
            !isDigits(zone.sliced(1, 2)) || !isDigits(zone.sliced(4, 2)))
            return std::nullopt;
        const int hours = numberAt(zone, 1, 2);
        const int minutes = numberAt(zone, 4, 2);
        if (minutes > 59 || hours * 60 + minutes > 14 * 60)
            return std::nullopt;
        offset = (zone[0] == '-' ? -1 : 1) * (hours * 3600 + minutes * 60);
    }
    return QDateTime(date, clock, Qt::OffsetFromUTC, offset);
}

std::optional<int> parseByte(QByteArrayView text)
{
    if (!isDigits(text) || text.size() > 3)
        return std::nullopt;
    const int value = numberAt(text, 0, text.size());
    if (value > 255)
        return std::nullopt;
    return value;
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

QString shown(QByteArrayView field)
{
    constexpr qsizetype kLongestShown = 40;
    QString text = QString::fromUtf8(field.first(std::min(field.size(), kLongestShown)));
    if (field.size() > kLongestShown)
        text += QStringLiteral("…");
    return text;
}

// The decoded columns the payload gives, compared with those on the line.
bool checkDecoded(const Line &line, QByteArrayView payload, QByteArray &expected, QString *why)
{
    expected.resize(0);
    appendDecoded(expected, payload);
    qsizetype from = 0;
    for (int column = kRequiredColumns; column < kColumnCount; ++column) {
        qsizetype to = expected.indexOf(',', from);
        if (to < 0)
            to = expected.size();
        const QByteArrayView want = QByteArrayView(expected).sliced(from, to - from);
        const QByteArrayView got = line.fields[column];
        if (got != want) {
            *why = QObject::tr("satır %1: %2 sütunu \"%3\", payload'a göre \"%4\" olmalı")
                       .arg(line.number)
                       .arg(QLatin1String(kColumns[size_t(column)]), shown(got),
                            QString::fromLatin1(want));
            return false;
        }
        from = to + 1;
    }
    return true;
}

// What a data line is.
enum class RowRead {
    Taken,   // a row, in `row`
    Unknown, // a well-formed row of an event this version does not know: its
             // time and elapsed_ms are in `row`, the rest is not looked at
    Bad,     // not a row; why says why
};

// One data line as a row.
RowRead readRow(const Line &line, qint64 previousElapsed, QByteArray &expected, RecordRow &row,
                QString *why)
{
    const auto &f = line.fields;
    if (f.size() != kColumnCount) {
        *why = QObject::tr("satır %1: %2 alan var, %3 olmalı")
                   .arg(line.number)
                   .arg(f.size())
                   .arg(kColumnCount);
        return RowRead::Bad;
    }
    const auto time = parseTime(f[kTimeColumn]);
    if (!time) {
        *why = QObject::tr("satır %1: zaman \"%2\" geçersiz (biçim: 2026-12-07T14:05:31.250+03:00)")
                   .arg(line.number)
                   .arg(shown(f[kTimeColumn]));
        return RowRead::Bad;
    }
    row.time = *time;
    const QByteArrayView elapsed = f[kElapsedColumn];
    if (!isDigits(elapsed) || elapsed.size() > kLongestElapsed) {
        *why = QObject::tr("satır %1: elapsed_ms \"%2\" milisaniye olarak bir tam sayı değil")
                   .arg(line.number)
                   .arg(shown(elapsed));
        return RowRead::Bad;
    }
    row.elapsedMs = 0;
    for (const char c : elapsed)
        row.elapsedMs = row.elapsedMs * 10 + digitValue(c);
    if (row.elapsedMs < previousElapsed) {
        *why = QObject::tr("satır %1: elapsed_ms geriye gidiyor (%2, önceki satırda %3)")
                   .arg(line.number)
                   .arg(row.elapsedMs)
                   .arg(previousElapsed);
        return RowRead::Bad;
    }
    if (f[kEventColumn].isEmpty()) {
        *why = QObject::tr("satır %1: olay boş").arg(line.number);
        return RowRead::Bad;
    }
    // A newer version's event: its row is passed over.
    const auto event = recordEventNamed(f[kEventColumn]);
    if (!event)
        return RowRead::Unknown;
    row.event = *event;
    const bool frame = row.event == RecordEvent::Frame;
    const bool command = row.event == RecordEvent::Command;

    const QByteArrayView hex = f[kPayloadColumn];
    row.payload.clear();
    if (frame) {
        bool allHex = hex.size() == 2 * kPayloadLength;
        for (qsizetype i = 0; allHex && i < hex.size(); ++i)
            allHex = isHexDigit(hex[i]);
        if (!allHex) {
            *why = QObject::tr("satır %1: payload 68 onaltılık rakam olmalı (%2 karakter: \"%3\")")
                       .arg(line.number)
                       .arg(hex.size())
                       .arg(shown(hex));
            return RowRead::Bad;
        }
        row.payload = QByteArray::fromHex(hex.toByteArray());
    }
    row.code = -1;
    row.value = -1;
    if (command) {
        const auto code = parseByte(f[kCodeColumn]);
        const auto value = parseByte(f[kValueColumn]);
        if (!code || !value) {
            *why =
                QObject::tr("satır %1: komutun code ve value alanları 0-255 arası tam sayı olmalı")
                    .arg(line.number);
            return RowRead::Bad;
        }
        row.code = *code;
        row.value = *value;
    }
    if (frame)
        return checkDecoded(line, row.payload, expected, why) ? RowRead::Taken : RowRead::Bad;
    for (int column = kPayloadColumn; column < kColumnCount; ++column) {
        if ((command && (column == kCodeColumn || column == kValueColumn)) || f[column].isEmpty())
            continue;
        *why = QObject::tr("satır %1: %2 satırında %3 sütunu boş olmalı")
                   .arg(line.number)
                   .arg(QLatin1String(recordEventName(row.event)),
                        QLatin1String(kColumns[size_t(column)]));
        return RowRead::Bad;
    }
    return RowRead::Taken;
}

bool readHeader(const Line &line, QString *why)
{
    if (line.fields.size() != kColumnCount) {
        *why = QObject::tr("kayıt dosyası değil: ilk satırda %1 sütun var, %2 olmalı")
                   .arg(line.fields.size())
                   .arg(kColumnCount);
        return false;
    }
    for (int column = 0; column < kColumnCount; ++column) {
        if (line.fields[column] != QByteArrayView(kColumns[size_t(column)])) {
            *why = QObject::tr("kayıt dosyası değil: %1. sütunun adı \"%2\", \"%3\" olmalı")
                       .arg(column + 1)
                       .arg(shown(line.fields[column]), QLatin1String(kColumns[size_t(column)]));
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<Recording> readRecording(QByteArrayView bytes, QString *why,
                                       const RecordingProgress &progress)
{
    QString ignored;
    if (!why)
        why = &ignored;
    if (bytes.isEmpty()) {
        *why = QObject::tr("dosya boş");
        return std::nullopt;
    }
    if (bytes.size() > kLargestRecording) {
        *why = QObject::tr("dosya %1 MiB'tan büyük").arg(kLargestRecording / (1024 * 1024));
        return std::nullopt;
    }
    // After a power loss the end of a file can be zero bytes where its last
    // block was never written: what was written ends before them.
    qsizetype end = bytes.size();
    while (end > 0 && bytes[end - 1] == '\0')
        --end;
    const QByteArrayView written = bytes.first(end);
    // Where the last line begins when no line end closes it: it may be a
    // row cut short.
    const qsizetype tailStart =
        written.endsWith('\n') || written.endsWith('\r') ? end : written.lastIndexOf('\n') + 1;
    // A file that is not text at all is told as such, before its first line
    // is taken for a header; binary bytes further on are found line by line
    // (in a torn last line they are part of what is left out).
    const qsizetype checked = end == 0 ? bytes.size() : tailStart;
    qsizetype lineNumber = 1;
    for (const char c : bytes.first(std::min(checked, kLongestRecordingLine))) {
        if (c == '\n')
            ++lineNumber;
        if (CsvReader::isBinary(c)) {
            *why = QObject::tr("satır %1: ikili veri; kayıt dosyası metin olmalı").arg(lineNumber);
            return std::nullopt;
        }
    }
    CsvReader reader(written);
    if (!reader.next(why)) {
        *why = QObject::tr("kayıt dosyası değil: %1").arg(*why);
        return std::nullopt;
    }
    if (!readHeader(reader.line(), why))
        return std::nullopt;

    Recording recording;
    recording.droppedBytes = bytes.size() - end;
    // About 200 bytes a frame row.
    recording.rows.reserve(bytes.size() / 200 + 1);
    QByteArray expected;
    expected.reserve(256);
    qint64 previousElapsed = 0;
    qsizetype toldAt = 0;
    while (!reader.atEnd() && !reader.onlyEmptyLinesLeft()) {
        if (progress && reader.position() - toldAt >= kProgressStep) {
            toldAt = reader.position();
            if (!progress(toldAt, bytes.size())) {
                *why = QObject::tr("okuma durduruldu");
                return std::nullopt;
            }
        }
        const qsizetype lineStart = reader.position();
        RecordRow row;
        const RowRead read = reader.next(why)
                                 ? readRow(reader.line(), previousElapsed, expected, row, why)
                                 : RowRead::Bad;
        if (read == RowRead::Bad) {
            // Only the tail is forgiven, a row cut short: a bad line ended by
            // a line end was written so and damages the file, whatever
            // follows it, and so does a line too long to be a row.
            const bool torn = lineStart >= tailStart && end - lineStart < kLongestRecordingLine;
            if (!torn)
                return std::nullopt;
            recording.droppedBytes = bytes.size() - lineStart;
            break;
        }
        previousElapsed = row.elapsedMs;
        if (read == RowRead::Unknown)
            ++recording.skippedRows;
        else
            recording.rows.append(std::move(row));
    }
    return recording;
}

} // namespace zcore
