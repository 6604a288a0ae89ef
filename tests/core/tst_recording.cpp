// The recording file: rows written and read back, the decoded columns of a
// frame, quoting, and every kind of bad input refused with a reason.
#include "core/frame.h"
#include "core/recording.h"
#include "support/payloads.h"
#include "support/processlocale.h"

#include <QElapsedTimer>
#include <QTest>

using namespace zcore;

namespace {

const QDateTime kStart =
    QDateTime::fromString(QStringLiteral("2026-12-07T14:05:31.250+03:00"), Qt::ISODateWithMs);

QByteArray workedPayload() { return payloads::workedFrame().sliced(3); }

RecordRow rowAt(const QDateTime &time, qint64 elapsedMs, RecordEvent event)
{
    RecordRow row;
    row.time = time;
    row.elapsedMs = elapsedMs;
    row.event = event;
    return row;
}

RecordRow eventRow(qint64 elapsedMs, RecordEvent event)
{
    return rowAt(kStart.addMSecs(elapsedMs), elapsedMs, event);
}

RecordRow frameRow(qint64 elapsedMs, const QByteArray &payload)
{
    RecordRow row = eventRow(elapsedMs, RecordEvent::Frame);
    row.payload = payload;
    return row;
}

RecordRow commandRow(qint64 elapsedMs, int code, int value)
{
    RecordRow row = eventRow(elapsedMs, RecordEvent::Command);
    row.code = code;
    row.value = value;
    return row;
}

QList<RecordRow> sampleRows()
{
    return {eventRow(0, RecordEvent::PortOpen),
            frameRow(12, workedPayload()),
            commandRow(105, 1, 57),
            frameRow(112, payloads::payload({{1, 0xA4}, {9, 60}, {34, 255}})),
            frameRow(112, payloads::payload()), // two frames in the same millisecond
            eventRow(2000, RecordEvent::DeviceLost),
            eventRow(7000, RecordEvent::DeviceReturned),
            commandRow(7100, 4, 255),
            eventRow(8000, RecordEvent::PortClosed),
            eventRow(8001, RecordEvent::RecordingStopped)};
}

QByteArray fileOf(const QList<RecordRow> &rows)
{
    QByteArray bytes = recordingHeaderLine();
    for (const RecordRow &row : rows)
        bytes += recordingLine(row);
    return bytes;
}

// The header and one line.
QByteArray fileWithLine(const QByteArray &line) { return recordingHeaderLine() + line; }

// The columns of a line by name.
QMap<QString, QString> columnsOf(const QByteArray &line)
{
    const QList<QByteArray> names = recordingHeaderLine().trimmed().split(',');
    const QList<QByteArray> values = line.trimmed().split(',');
    QMap<QString, QString> columns;
    for (qsizetype i = 0; i < names.size(); ++i)
        columns.insert(QString::fromLatin1(names[i]),
                       i < values.size() ? QString::fromLatin1(values[i]) : QStringLiteral("?"));
    return columns;
}

} // namespace

class RecordingTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void localTimeIsWrittenWithItsOffsetAndReadAsTheSameMoment();
    void workedFrameIsWrittenInPhysicalUnits();
    void rowsOtherThanFramesLeaveTheDecodedColumnsEmpty();
    void writtenRowsReadBackTheSameWhateverOtherWritersVary_data();
    void writtenRowsReadBackTheSameWhateverOtherWritersVary();
    void badFilesAreRefusedWithAReason_data();
    void badFilesAreRefusedWithAReason();
    void tornLastRowIsDroppedAndTheRowsBeforeItRead_data();
    void tornLastRowIsDroppedAndTheRowsBeforeItRead();
    void rowsOfUnknownEventsArePassedOverAndCounted_data();
    void rowsOfUnknownEventsArePassedOverAndCounted();
    void fileLargerThanTheLimitIsRefusedUnread();
};

void RecordingTest::initTestCase() { testlocale::adoptEnvironmentLocale(); }

void RecordingTest::localTimeIsWrittenWithItsOffsetAndReadAsTheSameMoment()
{
    const QList<QDateTime> times{
        kStart,
        QDateTime::fromString(QStringLiteral("2026-06-01T23:59:59.999-04:30"), Qt::ISODateWithMs),
        QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5, 6), Qt::UTC), QDateTime::currentDateTime()};
    for (const QDateTime &time : times) {
        const RecordRow row = rowAt(time, 0, RecordEvent::PortOpen);
        const QByteArray line = recordingLine(row);
        const QString text = QString::fromLatin1(line.left(line.indexOf(',')));
        QCOMPARE(text.size(), 29);
        QCOMPARE(text.left(23), time.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz")));
        const auto back = readRecording(fileWithLine(line), nullptr);
        QVERIFY(back);
        QCOMPARE(back->rows.first().time, time);
        QCOMPARE(back->rows.first().time.offsetFromUtc(), time.offsetFromUtc());
    }
    QCOMPARE(recordingLine(rowAt(times[1], 0, RecordEvent::PortOpen)).left(29),
             QByteArray("2026-06-01T23:59:59.999-04:30"));
    QCOMPARE(recordingLine(rowAt(times[2], 0, RecordEvent::PortOpen)).left(29),
             QByteArray("2026-01-02T03:04:05.006+00:00"));
}

void RecordingTest::workedFrameIsWrittenInPhysicalUnits()
{
    // in1 from word 500: 497 / 126 ms; in2 word 0, no reading; out2 word 3.
    // rpm from channels 1 and 3: twice 3785.68.
    const QByteArray line = recordingLine(frameRow(0, workedPayload()));
    QCOMPARE(line,
             QByteArray("2026-12-07T14:05:31.250+03:00,0,frame,"
                        "F4010000E8038100A00000DC050300E80300008C640A141E28C89664320AA0000000,,,"
                        "3.944,,7.913,1.000,11.881,0.000,7.913,,7571.4,90,70,100,"
                        "10,20,30,40,200,150,100,50,10,160,1\r\n"));
    QCOMPARE(columnsOf(line).value("switch_over_c"), QStringLiteral("70"));
    QCOMPARE(columnsOf(line).value("level_empty"), QStringLiteral("10"));
}

void RecordingTest::rowsOtherThanFramesLeaveTheDecodedColumnsEmpty()
{
    QCOMPARE(
        recordingLine(commandRow(105, 1, 57)),
        QByteArray("2026-12-07T14:05:31.355+03:00,105,command,,1,57,,,,,,,,,,,,,,,,,,,,,,,\r\n"));
    // A frame's fields are not written on another row, nor a command's.
    RecordRow odd = eventRow(3, RecordEvent::DeviceLost);
    odd.payload = workedPayload();
    odd.code = 4;
    odd.value = 60;
    QCOMPARE(
        recordingLine(odd),
        QByteArray("2026-12-07T14:05:31.253+03:00,3,device-lost,,,,,,,,,,,,,,,,,,,,,,,,,,\r\n"));
    // The petrol column says 0 when the bit is clear; no speed gives no rpm.
    const auto columns = columnsOf(recordingLine(frameRow(0, payloads::payload({{9, 60}}))));
    QCOMPARE(columns.value("petrol"), QStringLiteral("0"));
    QCOMPARE(columns.value("mask"), QStringLiteral("60"));
    QCOMPARE(columns.value("rpm"), QString());
    QCOMPARE(columns.value("coolant_c"), QStringLiteral("230"));
}

void RecordingTest::writtenRowsReadBackTheSameWhateverOtherWritersVary_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray file = fileOf(sampleRows());
    QTest::newRow("as written") << file;
    QTest::newRow("line feeds only") << QByteArray(file).replace("\r\n", "\n");
    QTest::newRow("byte order mark") << "\xEF\xBB\xBF" + file;
    QTest::newRow("empty lines at the end") << file + "\r\n\r\n";
    QTest::newRow("last line without its line end") << file.chopped(2);
    QTest::newRow("last line without its LF") << file.chopped(1);
    QTest::newRow("every field quoted") << [&] {
        QByteArray quoted;
        for (const QByteArray &line : file.split('\n')) {
            if (line.isEmpty())
                continue;
            QList<QByteArray> fields = line.chopped(1).split(',');
            for (QByteArray &field : fields)
                field = '"' + field + '"';
            quoted += fields.join(',') + "\r\n";
        }
        return quoted;
    }();
    QTest::newRow("lower-case hex") << [&] {
        QByteArray lower = file;
        const QByteArray payload = workedPayload().toHex().toUpper();
        return lower.replace(payload, payload.toLower());
    }();
}

void RecordingTest::writtenRowsReadBackTheSameWhateverOtherWritersVary()
{
    QFETCH(QByteArray, bytes);
    QString why;
    const auto back = readRecording(bytes, &why);
    QVERIFY2(back, qPrintable(why));
    QVERIFY(back->rows == sampleRows());
    for (const RecordRow &row : back->rows)
        QCOMPARE(row.time.offsetFromUtc(), 3 * 3600);
}

void RecordingTest::badFilesAreRefusedWithAReason_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason"); // a part of the reason given

    const QByteArray file = fileOf(sampleRows());
    const QByteArray header = recordingHeaderLine();
    const QByteArray frame = recordingLine(frameRow(12, workedPayload()));
    const QByteArray command = recordingLine(commandRow(105, 1, 57));
    const QByteArray open = recordingLine(eventRow(0, RecordEvent::PortOpen));
    const QByteArray hex = workedPayload().toHex().toUpper();
    // A row of an event this version does not know, at elapsed_ms 0.
    const QByteArray unknown = QByteArray(open).replace("port-open", "gear-change");
    const auto changed = [](QByteArray line, const QByteArray &from, const QByteArray &to) {
        return line.replace(from, to);
    };
    const auto add = [](const char *name, const QByteArray &bytes, const char *reason) {
        QTest::newRow(name) << bytes << QString::fromUtf8(reason);
    };

    add("empty file", QByteArray(), "boş");
    add("a text that is not a recording", "hello, world\r\n", "kayıt dosyası değil");
    add("settings file", "{\"format\": \"zendalite-settings\"}\n", "kayıt dosyası değil");
    add("required columns only", "time,elapsed_ms,event,payload,code,value\r\n" + open,
        "6 sütun var, 29 olmalı");
    add("column renamed", QByteArray(file).replace("tank_level", "tank"),
        "18. sütunun adı \"tank\"");
    add("columns in another order", QByteArray(file).replace("code,value", "value,code"),
        "5. sütunun adı \"value\"");
    add("binary", QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16), "ikili veri");
    add("a zero byte in a row", fileWithLine(changed(frame, "frame", QByteArray("fr\0me", 5))),
        "satır 2: ikili veri");
    add("payload of 67 hex digits", fileWithLine(changed(frame, hex, hex.chopped(1))),
        "satır 2: payload 68 onaltılık rakam olmalı (67 karakter");
    add("payload of 69 hex digits", fileWithLine(changed(frame, hex, hex + "0")), "69 karakter");
    add("payload with a letter past F", fileWithLine(changed(frame, hex, "G" + hex.sliced(1))),
        "payload 68 onaltılık");
    add("frame without a payload", fileWithLine(changed(frame, hex, "")), "payload 68");
    add("payload on a link event", fileWithLine(changed(open, "port-open,", "port-open," + hex)),
        "port-open satırında payload sütunu boş olmalı");
    add("decoded value that is not the payload's",
        fileWithLine(changed(frame, ",3.944,", ",3.945,")),
        "in1_ms sütunu \"3.945\", payload'a göre \"3.944\" olmalı");
    add("decoded value on a command row", fileWithLine(changed(command, ",57,,", ",57,9,")),
        "command satırında in1_ms sütunu boş olmalı");
    add("code above 255", fileWithLine(changed(command, ",1,57,", ",256,57,")), "code ve value");
    add("command without a value", fileWithLine(changed(command, ",1,57,", ",1,,")),
        "code ve value");
    add("negative code", fileWithLine(changed(command, ",1,57,", ",-1,57,")), "code ve value");
    add("time without an offset", fileWithLine(changed(open, "31.250+03:00", "31.250")),
        "zaman \"2026-12-07T14:05:31.250\"");
    add("time without milliseconds", fileWithLine(changed(open, "31.250+03:00", "31+03:00")),
        "zaman");
    add("no such month", fileWithLine(changed(open, "2026-12-07", "2026-13-07")), "zaman");
    add("offset beyond 14 hours", fileWithLine(changed(open, "+03:00", "+15:00")), "zaman");
    add("empty time", fileWithLine(changed(open, "2026-12-07T14:05:31.250+03:00", "")), "zaman");
    add("elapsed with a fraction", fileWithLine(changed(open, ",0,port", ",0.5,port")),
        "elapsed_ms \"0.5\"");
    add("negative elapsed", fileWithLine(changed(open, ",0,port", ",-1,port")), "elapsed_ms");
    add("empty elapsed", fileWithLine(changed(open, ",0,port", ",,port")), "elapsed_ms");
    add("elapsed going backwards", fileWithLine(command + frame),
        "satır 3: elapsed_ms geriye gidiyor (12, önceki satırda 105)");
    add("empty event", fileWithLine(changed(open, "port-open", "")), "satır 2: olay boş");
    // An event this version does not know is passed over, but only in a
    // row that is well formed.
    add("unknown event going backwards", fileWithLine(command + changed(unknown, ",0,", ",12,")),
        "satır 3: elapsed_ms geriye gidiyor (12, önceki satırda 105)");
    add("the next row going back from an unknown event",
        fileWithLine(changed(unknown, ",0,", ",200,") + command),
        "satır 3: elapsed_ms geriye gidiyor (105, önceki satırda 200)");
    add("unknown event with a field missing", fileWithLine(changed(unknown, ",,\r\n", ",\r\n")),
        "satır 2: 28 alan var, 29 olmalı");
    add("unknown event with a bad time", fileWithLine(changed(unknown, "+03:00", "")), "zaman");
    add("unknown event with a bad elapsed", fileWithLine(changed(unknown, ",0,", ",x,")),
        "elapsed_ms");
    add("a field missing", fileWithLine(changed(command, ",,\r\n", ",\r\n")),
        "satır 2: 28 alan var, 29 olmalı");
    add("a field too many", fileWithLine(changed(command, ",,\r\n", ",,,\r\n")), "30 alan var");
    add("empty line between rows", fileWithLine(open + "\r\n" + command), "satır 3: 1 alan var");
    add("quote inside an unquoted field", fileWithLine(changed(open, "port-open", "port\"open")),
        "tırnaksız");
    add("quote never closed", fileWithLine(changed(open, ",port-open,", ",\"port-open,")),
        "kapanmamış tırnak");
    add("text after a closing quote", fileWithLine(changed(open, ",port-open,", ",\"port\"-open,")),
        "kapanan tırnaktan sonra");
    add("carriage return inside a line", fileWithLine(changed(open, ",port-open,", ",port\ropen,")),
        "CR");
    add("line longer than the limit",
        fileWithLine(changed(open, ",port-open,", "," + QByteArray(5000, 'x') + ",")),
        "satır 2, 4096 bayttan uzun");
    // Only the last row may be torn: one ended by its line end was written
    // whole and is wrong, and so is the file.
    add("torn row followed by whole rows", header + frame.left(100) + "\r\n" + command,
        "satır 2: 4 alan var, 29 olmalı");
    add("torn row ended by its line end", header + frame.left(100) + "\r\n", "satır 2: 4 alan");
    add("zero bytes between rows", file + QByteArray(512, '\0') + command, "ikili veri");
    add("file cut inside its header", header.left(30), "kayıt dosyası değil");
    add("file cut inside its header, then zero bytes", header.left(30) + QByteArray(512, '\0'),
        "kayıt dosyası değil");
    add("zero bytes only", QByteArray(4096, '\0'), "ikili veri");
    add("torn last row longer than the line limit",
        file + changed(open, ",port-open,", "," + QByteArray(5000, 'x') + ",").left(4500),
        "4096 bayttan uzun");
}

void RecordingTest::badFilesAreRefusedWithAReason()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QString why;
    const auto recording = readRecording(bytes, &why);
    QVERIFY(!recording);
    QVERIFY2(why.contains(reason), qPrintable(why));
    QVERIFY(!readRecording(bytes, nullptr)); // no reason asked for
}

void RecordingTest::tornLastRowIsDroppedAndTheRowsBeforeItRead_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("rows"); // of sampleRows(), read back
    QTest::addColumn<qsizetype>("dropped");

    const QByteArray file = fileOf(sampleRows());
    const qsizetype all = sampleRows().size();
    const QByteArray header = recordingHeaderLine();
    const QByteArray frame = recordingLine(frameRow(9000, workedPayload()));
    const QByteArray command = recordingLine(commandRow(9000, 1, 57));
    const QByteArray open = recordingLine(eventRow(9000, RecordEvent::PortOpen));
    const QByteArray zeros(3000, '\0');
    const auto add = [](const char *name, const QByteArray &bytes, qsizetype rows,
                        qsizetype dropped) {
        QTest::newRow(name) << bytes << int(rows) << dropped;
    };

    // A row cut anywhere: whatever byte it ends at, it is left out.
    add("cut after its first byte", file + frame.left(1), all, 1);
    add("cut inside the time", file + frame.left(20), all, 20);
    add("cut inside the payload", file + frame.left(100), all, 100);
    add("cut before the last column's digit", file + frame.chopped(3), all, frame.size() - 3);
    add("cut inside a command's value", file + command.left(command.indexOf(",57,") + 2), all,
        command.indexOf(",57,") + 2);
    add("cut inside a link event's empty columns", file + open.left(open.size() - 8), all,
        open.size() - 8);
    const QByteArray quoted = QByteArray(open).replace(",port-open,", ",\"port-open\",");
    add("cut inside a quoted field", file + quoted.left(quoted.indexOf("port-")), all,
        quoted.indexOf("port-"));
    // The rest of the last block never written: zero bytes.
    add("zero bytes after a whole row", file + zeros, all, zeros.size());
    add("zero bytes after a whole row without its line end", file.chopped(2) + zeros, all,
        zeros.size());
    add("torn row followed by zero bytes", file + frame.left(100) + zeros, all, 100 + zeros.size());
    // A recording that stopped before its first row is an empty one.
    add("the header only", header, 0, 0);
    add("the header, then zero bytes", header + zeros, 0, zeros.size());
    add("the header, then a torn row", header + frame.left(100), 0, 100);
    add("nothing torn", file, all, 0);
}

void RecordingTest::tornLastRowIsDroppedAndTheRowsBeforeItRead()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, rows);
    QFETCH(qsizetype, dropped);
    QString why;
    const auto recording = readRecording(bytes, &why);
    QVERIFY2(recording, qPrintable(why));
    QVERIFY(recording->rows == sampleRows().first(rows));
    QCOMPARE(recording->droppedBytes, dropped);
    QCOMPARE(recording->skippedRows, qsizetype(0));
}

void RecordingTest::rowsOfUnknownEventsArePassedOverAndCounted_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qsizetype>("skipped");

    // A newer version's events among the rows this one knows, with whatever
    // it writes in the other columns.
    const QList<RecordRow> rows = sampleRows();
    const auto fileWith = [&rows](const QMap<int, QByteArray> &before) {
        QByteArray bytes = recordingHeaderLine();
        for (qsizetype i = 0; i < rows.size(); ++i)
            bytes += before.value(int(i)) + recordingLine(rows[i]);
        return bytes + before.value(int(rows.size()));
    };
    const auto unknownAt = [](qint64 elapsedMs, const QByteArray &event) {
        return recordingLine(eventRow(elapsedMs, RecordEvent::PortOpen))
            .replace(",port-open,", "," + event + ",");
    };
    QTest::newRow("one unknown event")
        << fileWith({{3, unknownAt(105, "gear-change")}}) << qsizetype(1);
    QTest::newRow("in another case") << fileWith({{1, unknownAt(0, "Port-Open")}}) << qsizetype(1);
    // Another writer may quote the event as RFC 4180 allows: a comma or a
    // quote in it is read back whole, and the line keeps its 29 fields.
    QTest::newRow("quoted, with a comma and quotes in it")
        << fileWith({{1, unknownAt(0, "\"odd, \"\"event\"\"\"")}}) << qsizetype(1);
    QTest::newRow("first and last")
        << fileWith({{0, unknownAt(0, "session-note")}, {10, unknownAt(9000, "gps-fix")}})
        << qsizetype(2);
    QTest::newRow("with fields of its own")
        << fileWith({{5, unknownAt(112, "gps-fix").replace(",,,,,,", ",41.0082,28.9784,,,,")}})
        << qsizetype(1);
    QTest::newRow("at the same time as the rows around it")
        << fileWith({{4, unknownAt(112, "knock")}, {5, unknownAt(112, "knock")}}) << qsizetype(2);
}

void RecordingTest::rowsOfUnknownEventsArePassedOverAndCounted()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qsizetype, skipped);
    QString why;
    const auto recording = readRecording(bytes, &why);
    QVERIFY2(recording, qPrintable(why));
    QVERIFY(recording->rows == sampleRows());
    QCOMPARE(recording->skippedRows, skipped);
    QCOMPARE(recording->droppedBytes, qsizetype(0));
}

void RecordingTest::fileLargerThanTheLimitIsRefusedUnread()
{
    // Never written: the size alone refuses it.
    const QByteArray huge(kLargestRecording + 1, Qt::Uninitialized);
    QString why;
    QVERIFY(!readRecording(huge, &why));
    QVERIFY2(why.contains(QStringLiteral("256 MiB")), qPrintable(why));
}

QTEST_GUILESS_MAIN(RecordingTest)
#include "tst_recording.moc"
