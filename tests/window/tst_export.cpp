// "Excel'e Aktar…" and the `export` action: what the graph holds (the live
// samples, also before the window was first opened, or the recording it
// shows) written as a workbook; refused without a sample or a place to
// write, then no file is made.
#include "core/recording.h"
#include "shell/recordingactions.h"
#include "shell/toolactions.h"
#include "support/payloads.h"
#include "support/shellfixture.h"
#include "support/zipreader.h"
#include "telemetry/graphwindow.h"
#include "telemetry/workbookexport.h"

#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <cmath>
#include <memory>
#include <optional>

namespace {

// The rows of the workbook's data sheet (its header among them), and the
// first clock time cell (A2); no value for a file that is no workbook.
struct DataSheet {
    int rows = 0;
    double firstTime = 0;
};

std::optional<DataSheet> dataSheet(const QString &path)
{
    const auto files = zipreader::readFile(path);
    if (!files)
        return std::nullopt;
    const QString xml = QString::fromUtf8(files->value(QStringLiteral("xl/worksheets/sheet1.xml")));
    DataSheet sheet;
    sheet.rows = int(xml.count(QStringLiteral("<row ")));
    const auto a2 =
        QRegularExpression(QStringLiteral("<c r=\"A2\"[^>]*><v>([^<]+)</v>")).match(xml);
    if (a2.hasMatch())
        sheet.firstTime = a2.captured(1).toDouble();
    return sheet;
}

void receiveFrames(ShellFixture &f, int count)
{
    for (int i = 0; i < count; ++i) {
        f.link.receive(payloads::workedFrame());
        QTest::qWait(30);
    }
}

// Runs graph-open as a script does and waits for its answer.
ToolActions::Result openInGraph(ShellFixture &f, const QString &path)
{
    const auto answer = std::make_shared<std::optional<ToolActions::Result>>();
    f.shell->actions().run(QStringLiteral("graph-open"), path,
                           [answer](const ToolActions::Result &r) { *answer = r; });
    if (!QTest::qWaitFor([&answer] { return answer->has_value(); }, 20'000))
        return {false, QStringLiteral("no answer in time")};
    return **answer;
}

} // namespace

class ExportTest : public QObject {
    Q_OBJECT
private slots:
    void theActionIsRefusedWhileTheGraphHoldsNoSample();
    void theActionWritesTheLiveSamplesAlsoBeforeTheGraphWasOpened_data();
    void theActionWritesTheLiveSamplesAlsoBeforeTheGraphWasOpened();
    void theActionWritesTheRecordingShownNotTheLiveSamples();
    void theActionIsRefusedWhereTheFileCannotBeWritten();
    void theButtonIsThereAndEnabledOnlyWithSamples();
};

void ExportTest::theActionIsRefusedWhileTheGraphHoldsNoSample()
{
    LoadedShell f;
    const QString path = f.dir.filePath(QStringLiteral("kitap.xlsx"));
    const ToolActions::Result result = f.shell->actions().run(QStringLiteral("export"), path);
    QVERIFY(!result.ok);
    QCOMPARE(result.error, QStringLiteral("grafikte veri yok"));
    QVERIFY(!QFile::exists(path));
    // Nor with the window open and empty.
    QVERIFY(f.shell->actions().run(QStringLiteral("graph-show"), QString()).ok);
    QVERIFY(!f.shell->actions().run(QStringLiteral("export"), path).ok);
    QVERIFY(!QFile::exists(path));
}

void ExportTest::theActionWritesTheLiveSamplesAlsoBeforeTheGraphWasOpened_data()
{
    QTest::addColumn<int>("before"); // frames before graph-show, if any
    QTest::addColumn<bool>("open");
    QTest::addColumn<int>("after");
    QTest::newRow("the graph never opened") << 6 << false << 0;
    QTest::newRow("the graph open") << 3 << true << 2;
}

void ExportTest::theActionWritesTheLiveSamplesAlsoBeforeTheGraphWasOpened()
{
    QFETCH(int, before);
    QFETCH(bool, open);
    QFETCH(int, after);
    LoadedShell f;
    receiveFrames(f, before);
    if (open)
        QVERIFY(f.shell->actions().run(QStringLiteral("graph-show"), QString()).ok);
    receiveFrames(f, after);
    GraphWindow *w = f.shell->recording().graph();
    QCOMPARE(w != nullptr, open);
    if (w)
        QCOMPARE(w->sampleCount(), before + after);
    const QString path = f.dir.filePath(QStringLiteral("canlı.xlsx"));
    const ToolActions::Result result = f.shell->actions().run(QStringLiteral("export"), path);
    QVERIFY2(result.ok, qPrintable(result.error));
    const auto sheet = dataSheet(path);
    QVERIFY(sheet);
    QCOMPARE(sheet->rows, 1 + before + after);
    // Clock time of today, not of 1899.
    const double today = workbook::excelSerial(QDateTime::currentDateTime());
    QVERIFY(std::abs(sheet->firstTime - today) < 1.0);
}

void ExportTest::theActionWritesTheRecordingShownNotTheLiveSamples()
{
    LoadedShell f;
    receiveFrames(f, 2);
    const QString recording = f.dir.filePath(QStringLiteral("kayıt.csv"));
    {
        QByteArray bytes = zcore::recordingHeaderLine();
        const QDateTime start(QDate(2026, 12, 7), QTime(14, 5, 31, 250));
        for (int i = 0; i < 12; ++i) {
            zcore::RecordRow row;
            row.time = start.addMSecs(i * 100);
            row.elapsedMs = i * 100;
            row.payload = payloads::workedFrame().sliced(3);
            bytes += zcore::recordingLine(row);
        }
        QFile file(recording);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    const ToolActions::Result opened = openInGraph(f, recording);
    QVERIFY2(opened.ok, qPrintable(opened.error));
    const QString path = f.dir.filePath(QStringLiteral("kayıttan.xlsx"));
    QVERIFY(f.shell->actions().run(QStringLiteral("export"), path).ok);
    const auto sheet = dataSheet(path);
    QVERIFY(sheet);
    QCOMPARE(sheet->rows, 1 + 12);
    // 2026-12-07 is day 46363; 14:05:31.250 of it.
    QVERIFY(std::abs(sheet->firstTime - (46363.0 + 50731.25 / 86400.0)) < 1e-8);
}

void ExportTest::theActionIsRefusedWhereTheFileCannotBeWritten()
{
    LoadedShell f;
    receiveFrames(f, 2);
    const QString path = f.dir.filePath(QStringLiteral("yok/kitap.xlsx"));
    const ToolActions::Result result = f.shell->actions().run(QStringLiteral("export"), path);
    QVERIFY(!result.ok);
    QVERIFY(result.error.contains(QStringLiteral("yazılamadı")));
    QVERIFY(!QFile::exists(path));
}

void ExportTest::theButtonIsThereAndEnabledOnlyWithSamples()
{
    LoadedShell f;
    QVERIFY(f.shell->actions().run(QStringLiteral("graph-show"), QString()).ok);
    GraphWindow *w = f.shell->recording().graph();
    auto *button = w->findChild<QPushButton *>(QStringLiteral("exportWorkbook"));
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("Excel'e Aktar…"));
    QVERIFY(button->isVisible());
    QVERIFY(!button->isEnabled());
    receiveFrames(f, 1);
    QVERIFY(QTest::qWaitFor([button] { return button->isEnabled(); }, 2000));
}

QTEST_MAIN(ExportTest)
#include "tst_export.moc"
