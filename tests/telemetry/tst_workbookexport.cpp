// The workbook export: what a spreadsheet reads from it, checked in the
// sheets' XML (the .xlsx unzipped), against the recording's CSV of the same
// frames.
#include "core/recording.h"
#include "support/filesizelimit.h"
#include "support/payloads.h"
#include "support/processlocale.h"
#include "support/zipreader.h"
#include "telemetry/graphsamples.h"
#include "telemetry/workbookexport.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <cmath>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// One cell of a sheet: its type attribute (empty for a number) and its text
// (the number, or an inline string's text).
struct Cell {
    QString type;
    QString text;
    int style = 0;
};

// The cells of a sheet by reference ("C5"), and the sheet's XML.
struct SheetXml {
    QByteArray xml;
    QHash<QString, Cell> cells;
    int rows = 0;
    const Cell cell(const QString &ref) const { return cells.value(ref); }
    // NaN for a cell that is no number (a comma for the decimal point among them).
    double number(const QString &ref) const
    {
        bool ok = false;
        const double value = cells.value(ref).text.toDouble(&ok);
        return ok ? value : std::nan("");
    }
};

SheetXml parseSheet(const QByteArray &xml)
{
    SheetXml sheet;
    sheet.xml = xml;
    QXmlStreamReader reader(xml);
    QString ref;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        if (reader.name() == u"row") {
            sheet.rows = std::max(sheet.rows, reader.attributes().value("r").toInt());
        } else if (reader.name() == u"c") {
            ref = reader.attributes().value("r").toString();
            Cell &cell = sheet.cells[ref];
            cell.type = reader.attributes().value("t").toString();
            cell.style = reader.attributes().value("s").toInt();
        } else if (reader.name() == u"v" || reader.name() == u"t") {
            sheet.cells[ref].text = reader.readElementText();
        }
    }
    return sheet;
}

QString columnName(int column) // 0 -> A
{
    QString name;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        name.prepend(QChar(u'A' + (c - 1) % 26));
    return name;
}

QString ref(int column, int row) { return columnName(column) + QString::number(row); }

const QDateTime kStart(QDate(2026, 12, 7), QTime(14, 5, 31, 250), Qt::OffsetFromUTC, 3 * 3600);

// Frames of varied values: times with and without a reading, speeds, both
// fuels, temperatures below zero; a command and the link's events among them.
QList<zcore::RecordRow> knownRows()
{
    QList<zcore::RecordRow> rows;
    const auto at = [](qint64 ms, zcore::RecordEvent event) {
        zcore::RecordRow row;
        row.time = kStart.addMSecs(ms);
        row.elapsedMs = ms;
        row.event = event;
        return row;
    };
    rows.append(at(0, zcore::RecordEvent::PortOpen));
    for (int i = 0; i < 40; ++i) {
        zcore::LiveFrame frame;
        for (int c = 0; c < 4; ++c) {
            frame.inWord[size_t(c)] = (i + c) % 7 == 0 ? 0 : 300 + 37 * i + 11 * c;
            frame.outWord[size_t(c)] = (i * 3 + c) % 5 == 0 ? 0 : 2000 + 91 * i - 13 * c;
            frame.bands[size_t(c)] = (17 * i + 40 * c) % 256;
        }
        frame.mask = i % 2 ? 0x3C : 0x80;
        frame.temperatureByte = 200 + i; // down to 230 - 239 = -9 °C
        frame.switchOverByte = 195;
        frame.sensor = (i * 29) % 256;
        zcore::RecordRow row = at(1 + i * 101, zcore::RecordEvent::Frame);
        row.payload = zcore::encodePayload(frame);
        rows.append(row);
        if (i == 12) {
            zcore::RecordRow command = at(row.elapsedMs + 3, zcore::RecordEvent::Command);
            command.code = 0x11;
            command.value = 57;
            rows.append(command);
        }
        if (i == 20)
            rows.append(at(row.elapsedMs + 5, zcore::RecordEvent::DeviceLost));
        if (i == 22)
            rows.append(at(row.elapsedMs + 5, zcore::RecordEvent::DeviceReturned));
    }
    return rows;
}

QByteArray csvOf(const QList<zcore::RecordRow> &rows)
{
    QByteArray bytes = zcore::recordingHeaderLine();
    for (const zcore::RecordRow &row : rows)
        bytes += zcore::recordingLine(row);
    return bytes;
}

GraphRecording recordingOf(const QByteArray &csv)
{
    QString why;
    const auto recording = zcore::readRecording(csv, &why);
    if (!recording)
        qFatal("the test's recording is refused: %s", qPrintable(why));
    return *graphRecording(*recording);
}

// The frame rows of a CSV, each as its fields by column name.
QList<QHash<QString, QString>> csvFrames(const QByteArray &csv)
{
    const QList<QByteArray> lines = csv.split('\n');
    const QStringList names = QString::fromUtf8(lines[0].trimmed()).split(u',');
    QList<QHash<QString, QString>> frames;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList fields = QString::fromUtf8(lines[i].trimmed()).split(u',');
        if (fields.size() != names.size())
            continue;
        QHash<QString, QString> row;
        for (qsizetype f = 0; f < names.size(); ++f)
            row.insert(names[f], fields[f]);
        if (row.value(QStringLiteral("event")) == u"frame")
            frames.append(row);
    }
    return frames;
}

// The data sheet's columns: header and the CSV column it holds.
struct DataColumn {
    const char *header;
    const char *csv; // nullptr: no CSV column of its own
};
const DataColumn kDataColumns[] = {
    {"Saat", "time"},
    {"Süre (s)", "elapsed_ms"},
    {"Giriş 1 (ms)", "in1_ms"},
    {"Giriş 2 (ms)", "in2_ms"},
    {"Giriş 3 (ms)", "in3_ms"},
    {"Giriş 4 (ms)", "in4_ms"},
    {"Çıkış 1 (ms)", "out1_ms"},
    {"Çıkış 2 (ms)", "out2_ms"},
    {"Çıkış 3 (ms)", "out3_ms"},
    {"Çıkış 4 (ms)", "out4_ms"},
    {"Devir (rpm)", "rpm"},
    {"Yakıt", "petrol"},
    {"Maske", "mask"},
    {"Isı (°C)", "coolant_c"},
    {"Geçiş ısısı (°C)", "switch_over_c"},
    {"Seviye sensörü (0-255)", "tank_level"},
    {"Kalori 1 (0-1500 rpm)", "band1"},
    {"Kalori 2 (1500-2500 rpm)", "band2"},
    {"Kalori 3 (2500-4000 rpm)", "band3"},
    {"Kalori 4 (4000-8000 rpm)", "band4"},
};
constexpr int kFuel = 11;

} // namespace

class WorkbookExportTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void theClockTimeIsAnExcelSerialWithMilliseconds_data();
    void theClockTimeIsAnExcelSerialWithMilliseconds();
    void theHeaderRowIsTurkishWithUnitsBoldAndFrozen();
    void everyValueIsANumericCellOfTheNumberTheRecordingsCsvHolds();
    void theEventsSheetListsCommandsAndLinkEventsInTimeOrder();
    void aFolderNotAsciiAndANameNotAsciiAreWritten();
    void noSampleIsRefusedAndNoFileIsMade();
    void aFolderThatIsNotThereIsRefused();
    void aFullDiskLeavesTheOldFileWhole();
    void anExistingWorkbookIsReplaced();

private:
    // Writes the known rows' workbook and reads its sheets back.
    void exportKnown();

    QTemporaryDir m_dir;
    QByteArray m_csv;
    QString m_path;
    SheetXml m_data;
    SheetXml m_events;
    QMap<QString, QByteArray> m_files;
};

void WorkbookExportTest::initTestCase()
{
    testlocale::adoptEnvironmentLocale();
    QVERIFY(m_dir.isValid());
}

void WorkbookExportTest::init()
{
    m_csv.clear();
    m_data = {};
    m_events = {};
    m_files.clear();
}

void WorkbookExportTest::exportKnown()
{
    m_csv = csvOf(knownRows());
    const GraphRecording recording = recordingOf(m_csv);
    m_path = m_dir.filePath(QStringLiteral("known.xlsx"));
    QString why;
    QVERIFY2(workbook::write(m_path, recording.samples, recording.start, &why), qPrintable(why));
    const auto files = zipreader::readFile(m_path);
    QVERIFY2(files, "the workbook is no zip archive");
    m_files = *files;
    QVERIFY(m_files.contains(QStringLiteral("xl/worksheets/sheet1.xml")));
    QVERIFY(m_files.contains(QStringLiteral("xl/worksheets/sheet2.xml")));
    m_data = parseSheet(m_files.value(QStringLiteral("xl/worksheets/sheet1.xml")));
    m_events = parseSheet(m_files.value(QStringLiteral("xl/worksheets/sheet2.xml")));
}

void WorkbookExportTest::theClockTimeIsAnExcelSerialWithMilliseconds_data()
{
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<double>("serial");
    QTest::newRow("2000-01-01 noon") << QDateTime(QDate(2000, 1, 1), QTime(12, 0)) << 36526.5;
    QTest::newRow("first of March 1900") << QDateTime(QDate(1900, 3, 1), QTime(0, 0)) << 61.0;
    // The clock as it showed, in its own offset: 14:05:31.250.
    QTest::newRow("a recording's start")
        << kStart << 46363.0 + (14 * 3600 + 5 * 60 + 31.25) / 86400.0;
    QTest::newRow("a millisecond before midnight")
        << QDateTime(QDate(2026, 12, 7), QTime(23, 59, 59, 999), Qt::UTC)
        << 46363.0 + 86399.999 / 86400.0;
}

void WorkbookExportTest::theClockTimeIsAnExcelSerialWithMilliseconds()
{
    QFETCH(QDateTime, time);
    QFETCH(double, serial);
    QVERIFY(std::abs(workbook::excelSerial(time) - serial) < 1e-8);
}

void WorkbookExportTest::theHeaderRowIsTurkishWithUnitsBoldAndFrozen()
{
    exportKnown();
    for (int c = 0; c < int(std::size(kDataColumns)); ++c)
        QCOMPARE(m_data.cell(ref(c, 1)).text, QString::fromUtf8(kDataColumns[c].header));
    QVERIFY(!m_data.cells.contains(ref(int(std::size(kDataColumns)), 1)));
    // Frozen below the header; a filter over the columns.
    QVERIFY(m_data.xml.contains("<pane ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" "
                                "state=\"frozen\"/>"));
    QVERIFY(m_data.xml.contains("<autoFilter ref=\"A1:T41\"/>"));
    QVERIFY(m_data.xml.contains("<cols>"));
    // The header's style is bold; the clock's shows milliseconds.
    const QByteArray styles = m_files.value(QStringLiteral("xl/styles.xml"));
    QVERIFY(styles.contains("<b/>"));
    QVERIFY(styles.contains("formatCode=\"dd.mm.yyyy hh:mm:ss.000\""));
    QVERIFY(m_data.cell(QStringLiteral("A1")).style != m_data.cell(QStringLiteral("A2")).style);
    QCOMPARE(m_events.cell(QStringLiteral("A1")).text, QStringLiteral("Saat"));
    QVERIFY(m_events.xml.contains("state=\"frozen\""));
    // The sheets' names.
    const QByteArray book = m_files.value(QStringLiteral("xl/workbook.xml"));
    QVERIFY(book.contains("<sheet name=\"Veriler\""));
    QVERIFY(book.contains("<sheet name=\"Olaylar\""));
}

void WorkbookExportTest::everyValueIsANumericCellOfTheNumberTheRecordingsCsvHolds()
{
    exportKnown();
    QVERIFY(!m_files.contains(QStringLiteral("xl/sharedStrings.xml")));
    QVERIFY(!m_data.xml.contains("t=\"s\""));
    const auto frames = csvFrames(m_csv);
    QCOMPARE(frames.size(), 40);
    QCOMPARE(m_data.rows, 41); // the header and 40 frames
    for (int i = 0; i < frames.size(); ++i) {
        const int row = i + 2;
        const auto &csv = frames[i];
        for (int c = 0; c < int(std::size(kDataColumns)); ++c) {
            const QString field = csv.value(QString::fromLatin1(kDataColumns[c].csv));
            const QString at = ref(c, row);
            const QString type = m_data.cell(at).type;
            const QString wanted = c == kFuel ? QStringLiteral("inlineStr") : QString();
            QVERIFY2(type == wanted, qPrintable(at + u' ' + type));
            if (c == 0) {
                const QDateTime time = QDateTime::fromString(field, Qt::ISODateWithMs);
                QVERIFY(time.isValid());
                const double expected =
                    46363.0 + double(time.time().msecsSinceStartOfDay()) / 86'400'000.0;
                QVERIFY2(std::abs(m_data.number(at) - expected) < 1e-8, qPrintable(at));
            } else if (c == 1) {
                QCOMPARE(m_data.number(at), field.toDouble() / 1000.0);
            } else if (c == kFuel) {
                QCOMPARE(m_data.cell(at).text,
                         field == u"1" ? QStringLiteral("Benzin") : QStringLiteral("LPG"));
            } else if (field.isEmpty()) {
                QVERIFY2(!m_data.cells.contains(at), qPrintable(at)); // no reading: empty
            } else {
                QVERIFY2(m_data.cells.contains(at), qPrintable(at));
                // The very number: the CSV's text read, and the cell's.
                QCOMPARE(m_data.number(at), field.toDouble());
            }
        }
    }
    // Among them: times without a reading, both fuels, frost.
    QVERIFY(!m_data.cells.contains(QStringLiteral("C2")));
    QCOMPARE(m_data.cell(QStringLiteral("L2")).text, QStringLiteral("Benzin"));
    QCOMPARE(m_data.cell(QStringLiteral("L3")).text, QStringLiteral("LPG"));
    QCOMPARE(m_data.number(QStringLiteral("N41")), -9.0);
}

void WorkbookExportTest::theEventsSheetListsCommandsAndLinkEventsInTimeOrder()
{
    exportKnown();
    const QStringList headers = {QStringLiteral("Saat"),  QStringLiteral("Süre (s)"),
                                 QStringLiteral("Olay"),  QStringLiteral("Kod"),
                                 QStringLiteral("Değer"), QStringLiteral("Açıklama")};
    for (int c = 0; c < headers.size(); ++c)
        QCOMPARE(m_events.cell(ref(c, 1)).text, headers[c]);
    QCOMPARE(m_events.rows, 5);
    const QStringList what = {QStringLiteral("Port açıldı"), QStringLiteral("Komut"),
                              QStringLiteral("Cihaz koptu"), QStringLiteral("Cihaz geri geldi")};
    for (int i = 0; i < what.size(); ++i)
        QCOMPARE(m_events.cell(ref(2, i + 2)).text, what[i]);
    // The command: when, its code and value as numbers, what it set.
    QCOMPARE(m_events.number(QStringLiteral("B3")), (1 + 12 * 101 + 3) / 1000.0);
    QVERIFY(std::abs(m_events.number(QStringLiteral("A3")) -
                     (46363.0 + (14 * 3600 + 5 * 60 + 31.25 + 1.216) / 86400.0)) < 1e-8);
    QVERIFY(m_events.cell(QStringLiteral("D3")).type.isEmpty());
    QCOMPARE(m_events.number(QStringLiteral("D3")), 17.0);
    QCOMPARE(m_events.number(QStringLiteral("E3")), 57.0);
    QCOMPARE(m_events.cell(QStringLiteral("F3")).text, graphCommand(0, 0x11, 57).text);
    QVERIFY(!m_events.cells.contains(QStringLiteral("D4")));
}

void WorkbookExportTest::aFolderNotAsciiAndANameNotAsciiAreWritten()
{
    const QString folder = m_dir.filePath(QStringLiteral("Kayıtlar"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = QDir(folder).filePath(QStringLiteral("araç şöğüİı.xlsx"));
    const GraphRecording recording = recordingOf(csvOf(knownRows()));
    QString why;
    QVERIFY2(workbook::write(path, recording.samples, recording.start, &why), qPrintable(why));
    const auto files = zipreader::readFile(path);
    QVERIFY(files);
    QCOMPARE(parseSheet(files->value(QStringLiteral("xl/worksheets/sheet1.xml"))).rows, 41);
    // Nothing else is left in the folder (no temporary file).
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("araç şöğüİı.xlsx")});
}

void WorkbookExportTest::noSampleIsRefusedAndNoFileIsMade()
{
    const QString path = m_dir.filePath(QStringLiteral("empty.xlsx"));
    GraphSamples samples;
    samples.addCommand(graphCommand(10, 0x11, 3)); // commands alone are no samples
    QString why;
    QVERIFY(!workbook::write(path, samples, kStart, &why));
    QCOMPARE(why, QStringLiteral("grafikte veri yok"));
    QVERIFY(!QFile::exists(path));
}

void WorkbookExportTest::aFolderThatIsNotThereIsRefused()
{
    const QString path = m_dir.filePath(QStringLiteral("yok/kitap.xlsx"));
    const GraphRecording recording = recordingOf(csvOf(knownRows()));
    QString why;
    QVERIFY(!workbook::write(path, recording.samples, recording.start, &why));
    QVERIFY(why.contains(QStringLiteral("yazılamadı")));
    QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("yok"))));
}

void WorkbookExportTest::aFullDiskLeavesTheOldFileWhole()
{
#ifdef Q_OS_UNIX
    const QString path = m_dir.filePath(QStringLiteral("old.xlsx"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("the old workbook");
    }
    GraphSamples samples;
    for (int i = 0; i < 5000; ++i)
        samples.add(graphSample(i * 100, zcore::decodePayload(payloads::payload(
                                             {{1, i % 256}, {2, 3}, {12, 200}, {22, i % 7}}))));
    QString why;
    {
        const FileSizeLimit limit(4096); // the workbook is far larger
        QVERIFY(!workbook::write(path, samples, kStart, &why));
    }
    QVERIFY(!why.isEmpty());
    QFile old(path);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("the old workbook"));
    QCOMPARE(
        QDir(m_dir.path()).entryList({QStringLiteral("old.xlsx*")}, QDir::Files | QDir::Hidden),
        QStringList{QStringLiteral("old.xlsx")});
#else
    QSKIP("the file size limit is a POSIX one");
#endif
}

void WorkbookExportTest::anExistingWorkbookIsReplaced()
{
    const QString path = m_dir.filePath(QStringLiteral("again.xlsx"));
    const GraphRecording recording = recordingOf(csvOf(knownRows()));
    QVERIFY(workbook::write(path, recording.samples, recording.start, nullptr));
    GraphSamples one;
    one.add(graphSample(0, zcore::decodePayload(payloads::payload({{1, 129}}))));
    QVERIFY(workbook::write(path, one, kStart, nullptr));
    const auto files = zipreader::readFile(path);
    QVERIFY(files);
    const SheetXml data = parseSheet(files->value(QStringLiteral("xl/worksheets/sheet1.xml")));
    QCOMPARE(data.rows, 2);
    QCOMPARE(data.number(QStringLiteral("C2")), 1.0); // (129 - 3) / 126 ms
}

QTEST_GUILESS_MAIN(WorkbookExportTest)
#include "tst_workbookexport.moc"
