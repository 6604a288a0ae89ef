// The graph window: its plot follows the frames within a refresh, stands
// still while paused, zooms and moves, reads out the sample under the
// pointer, marks commands, maps the injection time over engine speed by
// fuel, shows a recording whole, and keeps every text whole on a 1024 x 600
// screen.
#include "core/decode.h"
#include "core/frame.h"
#include "core/recording.h"
#include "shell/automationstate.h"
#include "shell/gestures.h"
#include "shell/recordingactions.h"
#include "shell/toolactions.h"
#include "support/payloads.h"
#include "support/shellfixture.h"
#include "telemetry/graphaxes.h"
#include "telemetry/graphmapview.h"
#include "telemetry/graphtimepanel.h"
#include "telemetry/graphwindow.h"
#include "ui/mainwindow.h"
#include "ui/skinlabel.h"

#include <QAbstractButton>
#include <QCategoryAxis>
#include <QElapsedTimer>
#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QValueAxis>

#include <cmath>
#include <memory>
#include <optional>
#include <vector>

namespace {

zcore::LiveFrame workedFrame()
{
    return zcore::decodePayload(*zcore::framePayload(payloads::workedFrame()));
}

// A frame whose four channels all have the given in and out words.
zcore::LiveFrame frameOf(int inWord, int outWord)
{
    zcore::LiveFrame f;
    f.inWord.fill(inWord);
    f.outWord.fill(outWord);
    f.temperatureByte = 150;
    f.switchOverByte = 195;
    f.sensor = 180;
    return f;
}

// An engine at about 815 rpm: in 3.6 ms, I + O for that speed.
zcore::LiveFrame idleFrame() { return frameOf(457, 18552 - 457); }

using Frames = QList<std::pair<qint64, zcore::LiveFrame>>;

// The frame every 100 ms from one time to the other, both included.
Frames every100Ms(qint64 fromMs, qint64 toMs, const zcore::LiveFrame &frame = idleFrame())
{
    Frames frames;
    for (qint64 ms = fromMs; ms <= toMs; ms += 100)
        frames.append({ms, frame});
    return frames;
}

void addFrames(GraphWindow &w, const Frames &frames)
{
    for (const auto &[ms, frame] : frames)
        w.addFrame(ms, frame);
}

bool exposed(QWidget &w)
{
    w.show();
    return QTest::qWaitForWindowExposed(&w);
}

// What the window shows of a recording with these frames and commands.
GraphRecording recordingOf(const Frames &frames, const QList<GraphCommand> &commands = {})
{
    GraphRecording recording;
    for (const auto &[ms, frame] : frames)
        recording.samples.add(graphSample(ms, frame));
    for (const GraphCommand &command : commands)
        recording.samples.addCommand(command);
    return recording;
}

// The pointer over a view with no button held (QTest moves the cursor, and
// the offscreen platform turns that into no move event).
void hover(GraphTimeView *view, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, at, view->viewport()->mapToGlobal(at), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &move);
}

QPointF lastPoint(GraphTimePanel *panel, GraphTimePanel::Line line)
{
    const QList<QPointF> points = panel->points(line);
    return points.isEmpty() ? QPointF(-1, -1) : points.last();
}

double lastX(GraphTimePanel *panel, GraphTimePanel::Line line)
{
    return lastPoint(panel, line).x();
}

// The time view whose value axis has this title.
GraphTimeView *viewWithAxis(GraphWindow &w, const QString &title)
{
    for (auto *view : w.findChildren<GraphTimeView *>())
        for (QAbstractAxis *axis : view->chart()->axes(Qt::Vertical))
            if (axis->titleText() == title)
                return view;
    return nullptr;
}

// Whether the view shows the colour within two pixels of the value's place
// (its x and y on the axes of the chart's first series).
bool drawnNear(GraphTimeView *view, QPointF value, const QColor &colour)
{
    QChart *chart = view->chart();
    const QPoint at =
        view->mapFromScene(chart->mapToScene(chart->mapToPosition(value, chart->series().first())));
    const QImage image = view->viewport()->grab().toImage();
    for (int dx = -2; dx <= 2; ++dx)
        for (int dy = -2; dy <= 2; ++dy)
            if (image.pixelColor(at + QPoint(dx, dy)) == colour)
                return true;
    return false;
}

const QColor kRpmColour(0x30, 0x30, 0x30);
const QColor kPetrolColour(0xE0, 0x7B, 0x00);
const QColor kGasColour(0x1F, 0x5F, 0xB4);
const QColor kLimitColour(0x70, 0x70, 0x70);

// The colour of the map where a cell's marker is.
QColor mapColourAt(GraphMapView *map, QPointF cell)
{
    const QPointF at = map->chart()->mapToPosition(cell, map->chart()->series().first());
    return map->grab().toImage().pixelColor(map->mapFromScene(map->chart()->mapToScene(at)));
}

void chooseSpan(GraphWindow &w, const QString &name)
{
    for (auto *b : w.findChildren<QAbstractButton *>())
        if (b->text() == name)
            QTest::mouseClick(b, Qt::LeftButton);
}

// A recording file of these rows, written as the recorder writes them.
bool writeRecording(const QString &path, const QList<zcore::RecordRow> &rows)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray bytes = zcore::recordingHeaderLine();
    for (const zcore::RecordRow &row : rows)
        bytes += zcore::recordingLine(row);
    return file.write(bytes) == bytes.size();
}

zcore::RecordRow rowAt(qint64 ms, zcore::RecordEvent event, const QByteArray &payload = {})
{
    zcore::RecordRow row;
    row.time = QDateTime(QDate(2026, 12, 7), QTime(14, 5)).addMSecs(ms);
    row.elapsedMs = ms;
    row.event = event;
    row.payload = payload;
    return row;
}

// A recording of frames every 100 ms, written fast; returns its size.
qint64 writeLargeRecording(const QString &path, int rows)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    QByteArray bytes = zcore::recordingHeaderLine();
    bytes.reserve(qsizetype(rows) * 220);
    const QByteArray payload = payloads::workedFrame().sliced(3);
    for (int i = 0; i < rows; ++i)
        bytes += zcore::recordingLine(rowAt(i * 100, zcore::RecordEvent::Frame, payload));
    return file.write(bytes);
}

// Runs graph-open as a script does and waits for its answer, which comes
// once the file has been read (or refused).
ToolActions::Result openInGraph(ShellFixture &f, const QString &path, int timeoutMs = 20'000)
{
    const auto answer = std::make_shared<std::optional<ToolActions::Result>>();
    f.shell->actions().run(QStringLiteral("graph-open"), path,
                           [answer](const ToolActions::Result &r) { *answer = r; });
    if (!QTest::qWaitFor([&answer] { return answer->has_value(); }, timeoutMs))
        return {false, QStringLiteral("no answer in time")};
    return **answer;
}

int graphBreaks(ShellFixture &f)
{
    return automationState(*f.shell)
        .value(QStringLiteral("graph"))
        .toObject()
        .value(QStringLiteral("breaks"))
        .toInt(-1);
}

// The worked frame with a counter in payload bytes 32-33, which the tool
// does not interpret.
QByteArray countedFrame(int k)
{
    QByteArray payload = payloads::workedFrame().sliced(3);
    zcore::putPayloadWord(payload, 32, k & 0xFFFF);
    return zcore::telemetryFrame(payload);
}

int counterOf(const QByteArray &payload)
{
    return static_cast<unsigned char>(payload[31]) | static_cast<unsigned char>(payload[32]) << 8;
}

QStringList markerTexts(GraphWindow &w)
{
    QStringList texts;
    for (auto *view : w.findChildren<GraphTimeView *>())
        for (QGraphicsItem *item : view->scene()->items())
            if (auto *text = dynamic_cast<QGraphicsSimpleTextItem *>(item);
                text && text->isVisible())
                texts.append(text->text());
    return texts;
}

// A label's text with its no-break spaces (the read-out's, which keep each
// value with its name) as spaces.
QString plainText(const QLabel *label)
{
    return label->text().replace(QChar(0x00A0), QLatin1Char(' '));
}

// The span buttons lit.
QStringList litSpans(GraphWindow &w)
{
    QStringList lit;
    for (auto *b : w.findChildren<QAbstractButton *>())
        if (b->isCheckable() && b->isChecked())
            lit.append(b->text());
    return lit;
}

// Where the time axis puts a label; NaN when it has none of that text.
double labelAt(GraphTimePanel *panel, const QString &label)
{
    if (!panel->timeAxis()->categoriesLabels().contains(label))
        return std::nan("");
    return panel->timeAxis()->endValue(label);
}

} // namespace

class GraphTest : public QObject {
    Q_OBJECT
private slots:
    void frameIsOnThePlotWithin150Ms();
    void pauseKeepsCollectingHoldsThePlotAndSaysSo();
    void wheelZoomsAndDragMovesTheTimeAxis();
    void readoutShowsTheSampleUnderThePointer();
    void commandsAppearAsMarkersWithText();
    void mapPlotsInjectionTimeOverEngineSpeedByFuel();
    void mapDrawsTheBandLimitsAndLevels();
    void mapDrawsNewCellsAndDropsCellsOfSamplesGone();
    void recordingIsShownWholeAndShowLiveGoesBack();
    void viewStaysFiniteAndWideWhateverTheGesture_data();
    void viewStaysFiniteAndWideWhateverTheGesture();
    void liveFramesAreKeptWhileARecordingIsShown();
    void linesBreakWhereMoreThanASecondPassedWithoutAFrame_data();
    void linesBreakWhereMoreThanASecondPassedWithoutAFrame();
    void linkEventsBreakTheLinesAndAreMarked_data();
    void linkEventsBreakTheLinesAndAreMarked();
    void recordedLinkEventsBreakTheLinesAndAreMarked();
    void largeRecordingOpensWhileEveryLiveFrameIsRecorded();
    void readingShowsItsProgressRefusesASecondFileAndStops_data();
    void readingShowsItsProgressRefusesASecondFileAndStops();
    void refusedFileLeavesTheWindowAsItWas();
    void noteSaysWhatTheRecordingLacksOrTheReadingLeftOut();
    void frameTapRunsWhileThePortIsOpenOrARecordingRuns();
    void framesThatCameWhileTheGraphWasClosedAreInItWhenItOpens();
    void timeAxesShowClockTimeLiveAndFromARecording();
    void spanButtonIsLitOnlyWhileItsSpanIsShown();
    void opensNoLargerThanAWorkshopLaptopsScreen();
    void everyTextStaysWholeOnASmallScreen_data();
    void everyTextStaysWholeOnASmallScreen();
};

void GraphTest::frameIsOnThePlotWithin150Ms()
{
    GraphWindow w;
    QVERIFY(exposed(w));
    auto *panel = w.findChild<GraphTimePanel *>();
    addFrames(w, every100Ms(0, 4900));
    QTRY_COMPARE(lastX(panel, GraphTimePanel::Out1), 4.9);

    w.addFrame(5000, workedFrame());
    QCOMPARE(w.newest()->elapsedMs, 5000);
    QCOMPARE(w.sampleCount(), 51);
    QTRY_COMPARE_WITH_TIMEOUT(lastX(panel, GraphTimePanel::In1), 5.0, 150);
    QCOMPARE(lastPoint(panel, GraphTimePanel::In1).y(), (500 - 3) / 126.0);
    QCOMPARE(panel->timeAxis()->max(), 120.0); // 2 dk, filled from the first sample
}

void GraphTest::pauseKeepsCollectingHoldsThePlotAndSaysSo()
{
    GraphWindow w;
    QVERIFY(exposed(w));
    auto *panel = w.findChild<GraphTimePanel *>();
    auto *pause = w.findChild<QPushButton *>(QStringLiteral("pause"));
    auto *source = w.findChild<QLabel *>(QStringLiteral("source"));
    addFrames(w, every100Ms(0, 150'000));
    // Past the span, the range moves in steps of a tenth of it.
    QTRY_COMPARE(panel->timeAxis()->max(), 162.0);
    QCOMPARE(panel->timeAxis()->min(), 42.0);
    QCOMPARE(lastX(panel, GraphTimePanel::Out1), 150.0);
    QCOMPARE(source->text(), QStringLiteral("Canlı"));

    QTest::mouseClick(pause, Qt::LeftButton);
    QVERIFY(w.isPaused());
    QCOMPARE(pause->text(), QStringLiteral("Devam"));
    QCOMPARE(source->text(), QStringLiteral("Duraklatıldı"));
    addFrames(w, every100Ms(150'100, 160'000));
    QCOMPARE(w.sampleCount(), 1601);
    QCOMPARE(w.newest()->elapsedMs, 160'000);
    QTest::qWait(3 * GraphWindow::kRefreshMs);
    QCOMPARE(panel->timeAxis()->min(), 42.0);
    QCOMPARE(panel->timeAxis()->max(), 162.0);
    QCOMPARE(lastX(panel, GraphTimePanel::Out1), 150.0);

    QTest::mouseClick(pause, Qt::LeftButton);
    QVERIFY(!w.isPaused());
    QCOMPARE(pause->text(), QStringLiteral("Duraklat"));
    QCOMPARE(source->text(), QStringLiteral("Canlı"));
    QCOMPARE(lastX(panel, GraphTimePanel::Out1), 160.0); // drawn at once
    QCOMPARE(panel->timeAxis()->max(), 172.0);
}

void GraphTest::wheelZoomsAndDragMovesTheTimeAxis()
{
    GraphWindow w;
    QVERIFY(exposed(w));
    auto *panel = w.findChild<GraphTimePanel *>();
    addFrames(w, every100Ms(0, 120'000));
    QTRY_COMPARE(panel->timeAxis()->max(), 120.0);

    auto *view = w.findChildren<GraphTimeView *>().first();
    const QPoint middle = view->chart()->plotArea().center().toPoint();
    QWheelEvent wheel(middle, view->viewport()->mapToGlobal(middle), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
    QVERIFY(w.isPaused()); // looking closer stops the plot, as the pause does
    QCOMPARE(w.findChild<QLabel *>(QStringLiteral("source"))->text(),
             QStringLiteral("Duraklatıldı"));
    const double width = panel->timeAxis()->max() - panel->timeAxis()->min();
    QVERIFY2(std::abs(width - 96.0) < 0.01, qPrintable(QString::number(width)));
    QVERIFY(panel->timeAxis()->min() > 0 && panel->timeAxis()->max() < 120);

    const double before = panel->timeAxis()->min();
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, middle);
    QTest::mouseMove(view->viewport(), middle + QPoint(100, 0));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, middle + QPoint(100, 0));
    QVERIFY2(panel->timeAxis()->min() < before, "dragging right shows earlier times");
    QCOMPARE(panel->timeAxis()->max() - panel->timeAxis()->min(), width);

    // The same through the window's own event path, as a script turns it:
    // over the first plot's centre, to whatever lies at that point; a notch
    // towards the user shows a quarter more around that centre.
    const double centre = (panel->timeAxis()->min() + panel->timeAxis()->max()) / 2;
    gestures::wheel(&w, w.firstPlotCentre(), -120);
    QVERIFY(std::abs(panel->timeAxis()->max() - panel->timeAxis()->min() - 120.0) < 0.01);
    QVERIFY(std::abs((panel->timeAxis()->min() + panel->timeAxis()->max()) / 2 - centre) < 0.3);
}

void GraphTest::readoutShowsTheSampleUnderThePointer()
{
    GraphWindow w;
    w.setLiveStart(QDateTime(QDate(2026, 12, 7), QTime(14, 0), Qt::OffsetFromUTC, 3 * 3600));
    QVERIFY(exposed(w));
    auto *panel = w.findChild<GraphTimePanel *>();
    auto *readout = w.findChild<QLabel *>(QStringLiteral("readout"));
    for (qint64 ms = 0; ms < 30'000; ms += 100)
        w.addFrame(ms, ms == 15'000 ? workedFrame() : idleFrame());
    QTRY_COMPARE(lastX(panel, GraphTimePanel::Out1), 29.9);
    QTRY_VERIFY2(plainText(readout).startsWith(QStringLiteral("14:00:29.9 ")),
                 qPrintable(plainText(readout)));

    chooseSpan(w, QStringLiteral("30 s"));
    QCOMPARE(panel->timeAxis()->max(), 30.0);

    auto *view = w.findChildren<GraphTimeView *>().first();
    const QRectF plot = view->chart()->plotArea();
    const QPoint at(int(std::lround(plot.left() + plot.width() * 15.0 / 30.0)),
                    int(plot.center().y()));
    hover(view, at);
    const QString text = plainText(readout);
    QVERIFY2(text.startsWith(QStringLiteral("14:00:15.0 ")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("1: 3.94 / 11.88")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Devir: 7571 rpm")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Isı: 90 °C")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Geçiş ısısı: 70 °C")), qPrintable(text));
}

void GraphTest::commandsAppearAsMarkersWithText()
{
    GraphWindow w;
    QVERIFY(exposed(w));
    addFrames(w, every100Ms(0, 19'900));
    w.addCommand(5000, 1, 57);
    w.addCommand(12'000, 5, 190);
    QTRY_VERIFY(markerTexts(w).contains(QStringLiteral("Kalori 2 → 57")));
    QVERIFY(markerTexts(w).contains(QStringLiteral("Geçiş ısısı → 40 °C")));
}

void GraphTest::mapPlotsInjectionTimeOverEngineSpeedByFuel()
{
    GraphWindow w;
    QVERIFY(exposed(w));
    auto *map = w.findChild<GraphMapView *>();
    zcore::LiveFrame petrolIdle = idleFrame(); // about 815 rpm, in 3.6 ms
    petrolIdle.mask = 128;
    // 3000 rpm on gas, channels 2 and 4 without a reading: the injection
    // time is the mean of channels 1 and 3 (not of all four).
    zcore::LiveFrame gasFast = frameOf(0, 0);
    gasFast.inWord = {1000, 0, 2000, 0};
    gasFast.outWord = {5043 - 1000, 0, 5043 - 2000, 0};
    gasFast.mask = 32 + 16 + 8 + 4;
    w.addFrame(0, petrolIdle);
    w.addFrame(100, gasFast);
    w.addFrame(200, frameOf(500, 0)); // in times, but no engine speed: not on the map
    w.addFrame(300, frameOf(0, 0));   // nothing at all
    QTRY_COMPARE(map->fuelPoints(GraphMapView::Gas).size(), 1);
    QCOMPARE(map->fuelPoints(GraphMapView::Petrol).size(), 1);
    // Cell centres: within a cell (a few rpm, a tenth of a ms) of the sample.
    const QPointF petrol = map->fuelPoints(GraphMapView::Petrol).first();
    QVERIFY2(std::abs(petrol.x() - *graphSample(0, petrolIdle).rpm) < 50,
             qPrintable(QString::number(petrol.x())));
    QVERIFY2(std::abs(petrol.y() - (457 - 3) / 126.0) < 0.1,
             qPrintable(QString::number(petrol.y())));
    const QPointF gas = map->fuelPoints(GraphMapView::Gas).first();
    QVERIFY2(std::abs(gas.x() - 3000) < 50, qPrintable(QString::number(gas.x())));
    QVERIFY2(std::abs(gas.y() - (997 + 1997) / 2 / 126.0) < 0.1,
             qPrintable(QString::number(gas.y())));

    // Each drawn in its fuel's colour, the legend naming both.
    QTest::qWait(100);
    QCOMPARE(mapColourAt(map, petrol), kPetrolColour);
    QCOMPARE(mapColourAt(map, gas), kGasColour);
    QStringList legend;
    for (QLegendMarker *marker : map->chart()->legend()->markers())
        if (marker->isVisible())
            legend.append(marker->label());
    QCOMPARE(legend, (QStringList{QStringLiteral("Benzin"), QStringLiteral("LPG")}));
    QCOMPARE(map->chart()->axes(Qt::Horizontal).first()->titleText(),
             QStringLiteral("Devir (rpm)"));
    QCOMPARE(map->chart()->axes(Qt::Vertical).first()->titleText(),
             QStringLiteral("Enjeksiyon süresi (ms)"));
}

void GraphTest::mapDrawsTheBandLimitsAndLevels()
{
    GraphWindow w;
    w.resize(GraphWindow::kDefaultSize);
    QVERIFY(exposed(w));
    auto *map = w.findChild<GraphMapView *>();
    zcore::LiveFrame frame = idleFrame();
    frame.bands = {30, 45, 60, 70};
    w.addFrame(0, frame);
    frame.bands = {30, 57, 60, 70}; // the newest sample's levels are shown
    w.addFrame(100, frame);
#ifndef Q_OS_WIN
    // Qt for Windows' offscreen platform finds no fonts under Wine: its
    // texts come out wider than on a desktop, and a label that does not
    // fit its band is left out, as it should be.
    QTRY_COMPARE(map->bandTexts().value(1), QStringLiteral("Kalori 2\n57"));
    QCOMPARE(map->bandTexts(),
             (QStringList{QStringLiteral("Kalori 1\n30"), QStringLiteral("Kalori 2\n57"),
                          QStringLiteral("Kalori 3\n60"), QStringLiteral("Kalori 4\n70")}));
#endif

    // A dashed line at each limit, from the bottom of the plot to its top,
    // and none a few hundred rpm beside it.
    QCOMPARE(map->bandLimits(), (QList<double>{1500, 2500, 4000}));
    QTest::qWait(100);
    const QImage image = map->grab().toImage();
    QChart *chart = map->chart();
    const QRectF plot = chart->plotArea();
    const auto drawnAt = [&](double rpm) {
        const double x = chart->mapToPosition(QPointF(rpm, 0), chart->series().first()).x();
        int hits = 0;
        for (int y = int(plot.top()) + 2; y < int(plot.bottom()) - 2; ++y)
            for (int dx = -1; dx <= 1; ++dx)
                if (image.pixelColor(map->mapFromScene(chart->mapToScene(QPointF(x + dx, y)))) ==
                    kLimitColour) {
                    ++hits;
                    break;
                }
        return hits > plot.height() / 3; // dashed: more than a third of the height
    };
    for (const double rpm : {1500.0, 2500.0, 4000.0}) {
        QVERIFY2(drawnAt(rpm), qPrintable(QString::number(rpm)));
        QVERIFY2(!drawnAt(rpm + 300), qPrintable(QString::number(rpm + 300)));
    }
}

void GraphTest::mapDrawsNewCellsAndDropsCellsOfSamplesGone()
{
    GraphMapView map;
    map.resize(480, 400);
    map.show();
    QVERIFY(QTest::qWaitForWindowExposed(&map));
    // What the viewport repaints.
    struct Repaints : QObject {
        QRegion region;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                region += static_cast<QPaintEvent *>(event)->region();
            return false;
        }
    } repaints;
    map.viewport()->installEventFilter(&repaints);

    // Idle on gas, then with a longer injection time: another cell on the
    // same axes.
    const std::vector<GraphSample> samples = {graphSample(0, idleFrame()),
                                              graphSample(100, frameOf(500, 18552 - 500))};
    map.setSamples(std::span(samples).first(1));
    QTest::qWait(50);                            // the plot laid out for the axes
    map.setSamples(std::span(samples).first(1)); // its cells on the plot as laid out
    QTest::qWait(50);                            // and drawn
    const QPointF first = map.fuelPoints(GraphMapView::Gas).value(0);
    QCOMPARE(mapColourAt(&map, first), kGasColour);

    repaints.region = QRegion();
    map.setSamples(samples);
    QTRY_VERIFY(!repaints.region.isEmpty());
    const QRect spot = repaints.region.boundingRect();
    QVERIFY2(spot.width() <= 20 && spot.height() <= 20, "only the new cell's spot is repainted");
    QCOMPARE(map.fuelPoints(GraphMapView::Gas).size(), 2);
    const QPointF second = map.fuelPoints(GraphMapView::Gas).last();
    QCOMPARE(mapColourAt(&map, second), kGasColour);
    QCOMPARE(mapColourAt(&map, first), kGasColour);

    map.setSamples(std::span(samples).last(1)); // the first sample left the range
    QCOMPARE(map.fuelPoints(GraphMapView::Gas), QList<QPointF>{second});
    QCOMPARE(mapColourAt(&map, second), kGasColour);
    QVERIFY(mapColourAt(&map, first) != kGasColour);
}

void GraphTest::recordingIsShownWholeAndShowLiveGoesBack()
{
    GraphWindow w;
    QVERIFY(exposed(w));
    auto *panel = w.findChild<GraphTimePanel *>();
    auto *source = w.findChild<QLabel *>(QStringLiteral("source"));
    addFrames(w, every100Ms(0, 400));
    w.findChild<QPushButton *>(QStringLiteral("pause"))->click(); // back to live: followed again

    Frames frames = every100Ms(1000, 3'600'000);
    frames.append({1'800'000, workedFrame()});
    frames.append({10, workedFrame()}); // out of order: put in place
    const QList<GraphCommand> commands = {graphCommand(60'000, 1, 57)};
    w.showRecording(recordingOf(frames, commands), QStringLiteral("kayit.csv"));
    QVERIFY(w.isShowingRecording());
    QCOMPARE(w.sampleCount(), frames.size());
    QCOMPARE(w.newest()->elapsedMs, 3'600'000);
    QCOMPARE(panel->timeAxis()->min(), 0.01);
    QCOMPARE(panel->timeAxis()->max(), 3600.0);
    QCOMPARE(litSpans(w), QStringList{QStringLiteral("Tümü")});
    QCOMPARE(source->text(), QStringLiteral("Kayıt: kayit.csv"));
    QVERIFY(panel->points(GraphTimePanel::Out1).size() <= 4000); // drawn per pixel column

    w.showLive();
    QVERIFY(!w.isShowingRecording());
    QVERIFY(!w.isPaused());
    QCOMPARE(source->text(), QStringLiteral("Canlı"));
    QCOMPARE(w.sampleCount(), 5);
    QTRY_COMPARE(lastX(panel, GraphTimePanel::Out1), 0.4);
}

void GraphTest::viewStaysFiniteAndWideWhateverTheGesture_data()
{
    QTest::addColumn<bool>("recording");
    QTest::addColumn<int>("samples");
    QTest::addColumn<bool>("shown"); // whether the window was ever shown before the gestures
    QTest::newRow("live, empty") << false << 0 << true;
    QTest::newRow("live, empty, never drawn") << false << 0 << false;
    QTest::newRow("live, one sample") << false << 1 << true;
    QTest::newRow("live, one sample, never drawn") << false << 1 << false;
    QTest::newRow("recording, empty") << true << 0 << true;
    QTest::newRow("recording, one sample") << true << 1 << true;
}

void GraphTest::viewStaysFiniteAndWideWhateverTheGesture()
{
    QFETCH(bool, recording);
    QFETCH(int, samples);
    QFETCH(bool, shown);
    GraphWindow w;
    if (shown)
        QVERIFY(exposed(w));
    const Frames frames = samples ? every100Ms(5000, 5000) : Frames(); // one sample or none
    if (recording)
        w.showRecording(recordingOf(frames), QStringLiteral("kayit.csv"));
    else
        addFrames(w, frames);
    if (!shown) {
        // Paused before anything was drawn: the held range is whatever the
        // window had made of nothing.
        w.findChild<QPushButton *>(QStringLiteral("pause"))->click();
        QVERIFY(exposed(w));
    }
    auto *view = w.findChildren<GraphTimeView *>().first();
    // Every time axis: finite, at least a second wide, at most a day, and a
    // handful of labelled ticks (a range of nothing once made Qt add ticks
    // without end).
    const auto axesSane = [&](const char *after) {
        for (auto *v : w.findChildren<GraphTimeView *>()) {
            const auto *axis =
                qobject_cast<QCategoryAxis *>(v->chart()->axes(Qt::Horizontal).first());
            const double width = axis->max() - axis->min();
            const QString range = QStringLiteral("after %1: %2 .. %3, %4 ticks")
                                      .arg(QLatin1String(after))
                                      .arg(axis->min())
                                      .arg(axis->max())
                                      .arg(axis->count());
            // (A second is 1000 ms over 1000: 64.511 - 63.511 is a hair less.)
            if (!std::isfinite(axis->min()) || !std::isfinite(axis->max()) || width < 1 - 1e-9 ||
                width > 24 * 3600 || axis->count() < 1 || axis->count() > 8)
                return range;
        }
        return QString();
    };
    QTRY_COMPARE(axesSane("opening"), QString());

    const QPoint middle = view->chart()->plotArea().center().toPoint();
    for (const int delta : {120, 120, 120, -120, -360, 120 * 200, -120 * 200}) {
        QWheelEvent wheel(middle, view->viewport()->mapToGlobal(middle), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &wheel);
        QCOMPARE(axesSane("a wheel turn"), QString());
    }
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, middle);
    QTest::mouseMove(view->viewport(), middle + QPoint(200, 0));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, middle + QPoint(200, 0));
    QCOMPARE(axesSane("a drag"), QString());
    for (auto *b : w.findChildren<QAbstractButton *>()) {
        if (!b->isEnabled() || !b->isVisible())
            continue;
        if (b->objectName() == QLatin1String("openRecording") ||
            b->objectName() == QLatin1String("backToLive"))
            continue;
        b->click();
        QCOMPARE(axesSane(qPrintable(b->text())), QString());
    }
    QTest::qWait(2 * GraphWindow::kRefreshMs);
    QCOMPARE(axesSane("the refresh"), QString());
    QCOMPARE(w.sampleCount(), samples);
}

void GraphTest::liveFramesAreKeptWhileARecordingIsShown()
{
    GraphWindow w;
    QVERIFY(exposed(w));
    auto *panel = w.findChild<GraphTimePanel *>();
    GraphTimeView *speed = viewWithAxis(w, QStringLiteral("Devir (rpm)"));
    addFrames(w, every100Ms(0, 400));
    QTRY_COMPARE(lastX(panel, GraphTimePanel::Rpm), 0.4);

    const Frames frames = every100Ms(0, 60'000, workedFrame());
    w.showRecording(recordingOf(frames), QStringLiteral("kayit.csv"));
    // While the recording is shown, the unit goes on sending.
    addFrames(w, every100Ms(500, 3000));
    w.addCommand(1500, 1, 57);
    QCOMPARE(w.sampleCount(), frames.size());
    QCOMPARE(w.newest()->elapsedMs, 60'000);

    w.showLive();
    QCOMPARE(w.sampleCount(), 31);
    QCOMPARE(w.newest()->elapsedMs, 3000);
    QTRY_COMPARE(lastX(panel, GraphTimePanel::Rpm), 3.0);
    QTRY_VERIFY(markerTexts(w).contains(QStringLiteral("Kalori 2 → 57")));
    const double idle = lastPoint(panel, GraphTimePanel::Rpm).y();
    QVERIFY2(drawnNear(speed, QPointF(1.2, idle), kRpmColour), "no hole after the recording");
}

void GraphTest::linesBreakWhereMoreThanASecondPassedWithoutAFrame_data()
{
    QTest::addColumn<bool>("recording");
    // The samples after the gap drawn over the settled image, which keeps the line before it.
    QTest::addColumn<bool>("fresh");
    QTest::addColumn<qint64>("gapFromMs");
    QTest::addColumn<qint64>("gapToMs");
    QTest::addColumn<qint64>("lastMs");
    QTest::newRow("live, every sample")
        << false << false << qint64(10'000) << qint64(13'000) << qint64(20'000);
    QTest::newRow("live, fresh samples")
        << false << true << qint64(10'000) << qint64(13'000) << qint64(20'000);
    QTest::newRow("recording, per pixel column")
        << true << false << qint64(1'800'000) << qint64(1'920'000) << qint64(3'600'000);
}

void GraphTest::linesBreakWhereMoreThanASecondPassedWithoutAFrame()
{
    QFETCH(bool, recording);
    QFETCH(bool, fresh);
    QFETCH(qint64, gapFromMs);
    QFETCH(qint64, gapToMs);
    QFETCH(qint64, lastMs);
    GraphWindow w;
    QVERIFY(exposed(w));
    auto *panel = w.findChild<GraphTimePanel *>();
    GraphTimeView *speed = viewWithAxis(w, QStringLiteral("Devir (rpm)"));
    const Frames framesBefore = every100Ms(0, gapFromMs);
    const Frames framesAfter = every100Ms(gapToMs, lastMs);
    if (recording) {
        w.showRecording(recordingOf(framesBefore + framesAfter), QStringLiteral("kayit.csv"));
    } else {
        chooseSpan(w, QStringLiteral("30 s"));
        addFrames(w, framesBefore);
        // Fresh: the samples after the gap come once those before it are drawn.
        if (fresh)
            QTRY_COMPARE(lastX(panel, GraphTimePanel::Rpm), gapFromMs / 1000.0);
        addFrames(w, framesAfter);
        QTRY_COMPARE(lastX(panel, GraphTimePanel::Rpm), lastMs / 1000.0);
    }
    const double idle = lastPoint(panel, GraphTimePanel::Rpm).y();
    const double before = gapFromMs / 2000.0;
    const double inGap = (gapFromMs + gapToMs) / 2000.0;
    const double after = (gapToMs + lastMs) / 2000.0;
    QTRY_VERIFY(drawnNear(speed, QPointF(before, idle), kRpmColour));
    QVERIFY(drawnNear(speed, QPointF(after, idle), kRpmColour));
    QVERIFY2(!drawnNear(speed, QPointF(inGap, idle), kRpmColour), "no line across the gap");
    if (!recording) // the live span runs on to 30 s
        QVERIFY2(!drawnNear(speed, QPointF(lastMs / 1000.0 + 3, idle), kRpmColour),
                 "nothing after the newest sample");
}

void GraphTest::linkEventsBreakTheLinesAndAreMarked_data()
{
    QTest::addColumn<int>("gone"); // zcore::RecordEvent
    QTest::addColumn<int>("back");
    QTest::addColumn<QString>("goneText");
    QTest::addColumn<QString>("backText");
    QTest::newRow("device lost") << int(zcore::RecordEvent::DeviceLost)
                                 << int(zcore::RecordEvent::DeviceReturned)
                                 << QStringLiteral("Cihaz koptu")
                                 << QStringLiteral("Cihaz geri geldi");
    QTest::newRow("port closed") << int(zcore::RecordEvent::PortClosed)
                                 << int(zcore::RecordEvent::PortOpen)
                                 << QStringLiteral("Port kapandı") << QStringLiteral("Port açıldı");
}

void GraphTest::linkEventsBreakTheLinesAndAreMarked()
{
    QFETCH(int, gone);
    QFETCH(int, back);
    QFETCH(QString, goneText);
    QFETCH(QString, backText);
    LoadedShell f;
    QVERIFY(f.shell->actions().run(QStringLiteral("graph-show"), QString()).ok);
    GraphWindow *w = f.shell->recording().graph();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    chooseSpan(*w, QStringLiteral("30 s"));
    auto *panel = w->findChild<GraphTimePanel *>();
    GraphTimeView *speed = viewWithAxis(*w, QStringLiteral("Devir (rpm)"));

    for (int i = 0; i < 10; ++i) {
        f.link.receive(payloads::workedFrame());
        QTest::qWait(100);
    }
    const qint64 lastBefore = w->newest()->elapsedMs;
    // The frames after the event come sooner than a second: the event alone
    // breaks the lines.
    f.shell->recording().linkEvent(zcore::RecordEvent(gone));
    QTest::qWait(300);
    f.shell->recording().linkEvent(zcore::RecordEvent(back));
    QTest::qWait(300);
    f.link.receive(payloads::workedFrame());
    const qint64 firstAfter = w->newest()->elapsedMs;
    QVERIFY2(firstAfter - lastBefore < 1000, qPrintable(QString::number(firstAfter - lastBefore)));
    for (int i = 0; i < 5; ++i) {
        QTest::qWait(100);
        f.link.receive(payloads::workedFrame());
    }
    QTRY_COMPARE(lastX(panel, GraphTimePanel::Rpm), w->newest()->elapsedMs / 1000.0);
    QTRY_VERIFY(markerTexts(*w).contains(goneText));
    QVERIFY(markerTexts(*w).contains(backText));
    QCOMPARE(graphBreaks(f), 1);

    const double rpm = lastPoint(panel, GraphTimePanel::Rpm).y();
    QVERIFY(drawnNear(speed, QPointF(lastBefore / 1000.0 - 0.5, rpm), kRpmColour));
    QVERIFY2(!drawnNear(speed, QPointF((lastBefore + firstAfter) / 2000.0, rpm), kRpmColour),
             "no line across the event");
}

void GraphTest::recordedLinkEventsBreakTheLinesAndAreMarked()
{
    LoadedShell f;
    // Frames every 100 ms; the device lost and back within them, the port
    // closed and opened again, and once 1.5 s without a frame.
    QList<zcore::RecordRow> rows{rowAt(0, zcore::RecordEvent::PortOpen)};
    const QByteArray payload = payloads::workedFrame().sliced(3);
    for (qint64 ms = 100; ms <= 9000; ms += 100) {
        if (ms == 2000)
            rows.append(rowAt(1950, zcore::RecordEvent::DeviceLost));
        if (ms == 2200)
            rows.append(rowAt(2150, zcore::RecordEvent::DeviceReturned));
        if (ms == 5000) {
            rows.append(rowAt(4950, zcore::RecordEvent::PortClosed));
            rows.append(rowAt(4960, zcore::RecordEvent::PortOpen));
        }
        if (ms > 7000 && ms < 8500)
            continue;
        rows.append(rowAt(ms, zcore::RecordEvent::Frame, payload));
    }
    rows.append(rowAt(9000, zcore::RecordEvent::RecordingStopped));
    const QString path = f.dir.filePath(QStringLiteral("olaylar.csv"));
    QVERIFY(writeRecording(path, rows));

    QVERIFY(openInGraph(f, path).ok);
    GraphWindow *w = f.shell->recording().graph();
    QVERIFY(w->isShowingRecording());
    QCOMPARE(graphBreaks(f), 3);
    QTRY_VERIFY(markerTexts(*w).contains(QStringLiteral("Cihaz koptu")));
    for (const QString &text : {QStringLiteral("Cihaz geri geldi"), QStringLiteral("Port kapandı"),
                                QStringLiteral("Port açıldı")})
        QVERIFY2(markerTexts(*w).contains(text), qPrintable(text));

    w->showLive();
    QCOMPARE(graphBreaks(f), 0);
}

void GraphTest::largeRecordingOpensWhileEveryLiveFrameIsRecorded()
{
    LoadedShell f;
    // About 20 MiB: a recording of nearly three hours.
    constexpr int kRows = 100'000;
    const QString big = f.dir.filePath(QStringLiteral("buyuk.csv"));
    QVERIFY(writeLargeRecording(big, kRows) > 16 * 1024 * 1024);
    const QString live = f.dir.filePath(QStringLiteral("canli.csv"));
    QVERIFY(f.shell->actions().run(QStringLiteral("record-start"), live).ok);
    QVERIFY(f.shell->actions().run(QStringLiteral("graph-show"), QString()).ok);
    GraphWindow *w = f.shell->recording().graph();
    QVERIFY(QTest::qWaitForWindowExposed(w));

    // The unit sends a frame every 20 ms throughout; each timer tick notes
    // how long the event loop kept it waiting.
    int sent = 0;
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    QTimer feed;
    feed.setInterval(20);
    QObject::connect(&feed, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
        f.link.receive(countedFrame(sent++));
    });
    clock.start();
    feed.start();
    QTest::qWait(300);
    longestGap = 0;

    QElapsedTimer opening;
    opening.start();
    const ToolActions::Result opened = openInGraph(f, big, 120'000);
    const qint64 openMs = opening.elapsed();
    QVERIFY2(opened.ok, qPrintable(opened.error));
    QVERIFY(w->isShowingRecording());
    QCOMPARE(w->sampleCount(), kRows);
    QTest::qWait(300);
    feed.stop();
    qInfo("opened %d rows in %lld ms; %d live frames meanwhile; longest gap between ticks %lld ms",
          kRows, openMs, sent, longestGap);

    QVERIFY(f.shell->actions().run(QStringLiteral("record-stop"), QString()).ok);
    QFile in(live);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QString why;
    const auto recording = zcore::readRecording(in.readAll(), &why);
    QVERIFY2(recording, qPrintable(why));
    int next = 0;
    for (const zcore::RecordRow &row : recording->rows) {
        if (row.event != zcore::RecordEvent::Frame)
            continue;
        QCOMPARE(counterOf(row.payload), next & 0xFFFF);
        ++next;
    }
    QCOMPARE(next, sent);
    QVERIFY2(longestGap < 150,
             qPrintable(QStringLiteral("the event loop stood still for %1 ms").arg(longestGap)));
}

void GraphTest::readingShowsItsProgressRefusesASecondFileAndStops_data()
{
    QTest::addColumn<bool>("closeWindow"); // else "Durdur"
    QTest::newRow("Durdur") << false;
    QTest::newRow("the window closed") << true;
}

void GraphTest::readingShowsItsProgressRefusesASecondFileAndStops()
{
    QFETCH(bool, closeWindow);
    LoadedShell f;
    const QString big = f.dir.filePath(QStringLiteral("buyuk.csv"));
    QVERIFY(writeLargeRecording(big, 100'000) > 0);
    const QString small = f.dir.filePath(QStringLiteral("kucuk.csv"));
    QVERIFY(writeLargeRecording(small, 10) > 0);
    QVERIFY(f.shell->actions().run(QStringLiteral("graph-show"), QString()).ok);
    GraphWindow *w = f.shell->recording().graph();
    for (int i = 0; i < 5; ++i)
        f.link.receive(payloads::workedFrame());

    std::optional<ToolActions::Result> opened;
    f.shell->actions().run(QStringLiteral("graph-open"), big,
                           [&opened](const ToolActions::Result &r) { opened = r; });
    auto *progress = w->findChild<QProgressBar *>(QStringLiteral("openProgress"));
    auto *stop = w->findChild<QPushButton *>(QStringLiteral("cancelOpen"));
    QVERIFY(progress && stop);
    QVERIFY(progress->isVisible());
    QVERIFY(stop->isVisible());
    QVERIFY(!w->findChild<QPushButton *>(QStringLiteral("openRecording"))->isEnabled());
    const ToolActions::Result second = openInGraph(f, small);
    QVERIFY(!second.ok);
    QCOMPARE(second.error, QStringLiteral("bir kayıt zaten okunuyor"));
    QVERIFY(!opened); // the first is read on
    QVERIFY(w->isReading());
    if (closeWindow)
        w->close();
    else
        QTest::mouseClick(stop, Qt::LeftButton);
    QTRY_VERIFY(opened);
    QVERIFY(!opened->ok);
    QCOMPARE(opened->error, QString()); // stopped, as a person may: no reason
    QVERIFY(!w->isReading());
    QVERIFY(progress->isHidden());
    QVERIFY(!w->isShowingRecording());
    QCOMPARE(w->sampleCount(), 5); // the live session, as before
    QCOMPARE(w->isVisible(), !closeWindow);
}

void GraphTest::refusedFileLeavesTheWindowAsItWas()
{
    LoadedShell f;
    const QString damaged = f.dir.filePath(QStringLiteral("bozuk.csv"));
    {
        QFile file(damaged);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(zcore::recordingHeaderLine() + "2026-12-07T14:05:31.250+03:00,0,frame,F4,,\r\n");
    }
    // A hidden graph stays hidden.
    ToolActions::Result refused = openInGraph(f, damaged);
    QVERIFY(!refused.ok);
    QVERIFY2(refused.error.startsWith(QStringLiteral("bozuk.csv bir kayıt değil")),
             qPrintable(refused.error));
    QVERIFY(!f.shell->recording().graph()->isVisible());
    refused = openInGraph(f, f.dir.filePath(QStringLiteral("yok.csv")));
    QVERIFY(refused.error.contains(QStringLiteral("okunamadı")));

    // A recording shown stays shown.
    const QString small = f.dir.filePath(QStringLiteral("kucuk.csv"));
    QVERIFY(writeLargeRecording(small, 10) > 0);
    QVERIFY(openInGraph(f, small).ok);
    GraphWindow *w = f.shell->recording().graph();
    QVERIFY(w->isVisible());
    QVERIFY(!openInGraph(f, damaged).ok);
    QVERIFY(w->isVisible());
    QVERIFY(w->isShowingRecording());
    QCOMPARE(w->sampleCount(), 10);
}

void GraphTest::noteSaysWhatTheRecordingLacksOrTheReadingLeftOut()
{
    GraphWindow w;
    QVERIFY(exposed(w));
    auto *note = w.findChild<QLabel *>(QStringLiteral("note"));
    QVERIFY(note->isHidden());
    w.showRecording(recordingOf({}, {graphCommand(100, 1, 57)}), QStringLiteral("bos.csv"));
    QVERIFY(note->isVisible());
    QCOMPARE(note->text(), QStringLiteral("Kayıtta veri yok"));
    QCOMPARE(w.sampleCount(), 0);
    w.showLive();
    QVERIFY(note->isHidden());

    GraphRecording torn = recordingOf({{0, idleFrame()}, {100, idleFrame()}});
    torn.droppedBytes = 87;
    torn.skippedRows = 2;
    w.showRecording(std::move(torn), QStringLiteral("kesik.csv"));
    QVERIFY(note->isVisible());
    QCOMPARE(note->text(), QStringLiteral("Kesik son satır okunmadı (87 bayt) · "
                                          "Bilinmeyen olaylı 2 satır atlandı"));
    w.showRecording(recordingOf({{0, idleFrame()}}), QStringLiteral("tam.csv"));
    QVERIFY(note->isHidden());
}

void GraphTest::frameTapRunsWhileThePortIsOpenOrARecordingRuns()
{
    ShellFixture f;
    QVERIFY(!f.link.observed()); // no port yet: the link reads as ever
    f.loadWith();
    f.shell->mainWindow().show();
    QVERIFY(f.link.observed());                 // the port open: every frame is seen
    gestures::click(f.window().el().ChangePrt); // closes the port
    QVERIFY(!f.link.observed());
    const QString path = f.dir.filePath(QStringLiteral("closed.csv"));
    QVERIFY(f.shell->actions().run(QStringLiteral("record-start"), path).ok);
    QVERIFY(f.link.observed());
    QVERIFY(f.shell->actions().run(QStringLiteral("record-stop"), QString()).ok);
    QVERIFY(!f.link.observed());
}

void GraphTest::framesThatCameWhileTheGraphWasClosedAreInItWhenItOpens()
{
    LoadedShell f;
    // Before the graph was ever opened, and with no recording.
    for (int k = 0; k < 30; ++k)
        f.link.receive(countedFrame(k));
    QVERIFY(f.shell->actions().run(QStringLiteral("graph-show"), QString()).ok);
    GraphWindow *w = f.shell->recording().graph();
    QVERIFY(w);
    QCOMPARE(w->sampleCount(), 30);
    QCOMPARE(graphBreaks(f), 0);

    // Closed, and opened again: what came meanwhile is there, no hole.
    QVERIFY(w->close());
    for (int k = 30; k < 50; ++k)
        f.link.receive(countedFrame(k));
    QVERIFY(f.shell->actions().run(QStringLiteral("graph-show"), QString()).ok);
    QCOMPARE(w->sampleCount(), 50);
    QCOMPARE(graphBreaks(f), 0);
    auto *panel = w->findChild<GraphTimePanel *>();
    QTRY_VERIFY(!panel->points(GraphTimePanel::In1).isEmpty()); // drawn at once
}

void GraphTest::timeAxesShowClockTimeLiveAndFromARecording()
{
    // The session began at 14:00:00; a recording started 20 s into it.
    const QDateTime session(QDate(2026, 12, 7), QTime(14, 0), Qt::OffsetFromUTC, 3 * 3600);
    GraphWindow w;
    w.setLiveStart(session);
    QVERIFY(exposed(w));
    auto *panel = w.findChild<GraphTimePanel *>();
    auto *readout = w.findChild<QLabel *>(QStringLiteral("readout"));
    addFrames(w, every100Ms(0, 60'000));
    chooseSpan(w, QStringLiteral("Tümü"));
    QTRY_COMPARE(panel->timeAxis()->min(), 0.0);
    QCOMPARE(panel->timeAxis()->titleText(), QStringLiteral("Saat"));
    QCOMPARE(labelAt(panel, QStringLiteral("14:00:30")), 30.0);
    QTRY_VERIFY2(plainText(readout).startsWith(QStringLiteral("14:01:00.0 ")),
                 qPrintable(plainText(readout)));

    GraphRecording recording = recordingOf(every100Ms(0, 40'000, workedFrame()));
    recording.start = session.addSecs(20);
    w.showRecording(std::move(recording), QStringLiteral("kayit.csv"));
    // The same moment, 14:00:30, has the same label: 10 s into the recording.
    QCOMPARE(panel->timeAxis()->min(), 0.0);
    QCOMPARE(labelAt(panel, QStringLiteral("14:00:30")), 10.0);
    for (const ClockTick &tick : clockTicks(session.addSecs(20), 0, 40'000))
        QCOMPARE(labelAt(panel, tick.label), tick.elapsedMs / 1000.0);
    QVERIFY2(plainText(readout).startsWith(QStringLiteral("14:01:00.0 ")),
             qPrintable(plainText(readout)));

    w.showLive();
    QTRY_COMPARE(labelAt(panel, QStringLiteral("14:00:30")), 30.0);
}

void GraphTest::spanButtonIsLitOnlyWhileItsSpanIsShown()
{
    GraphWindow w;
    QVERIFY(exposed(w));
    auto *panel = w.findChild<GraphTimePanel *>();
    auto *view = w.findChildren<GraphTimeView *>().first();
    const QPoint middle = view->chart()->plotArea().center().toPoint();
    const auto drag = [&] {
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, middle);
        QTest::mouseMove(view->viewport(), middle + QPoint(50, 0));
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, middle + QPoint(50, 0));
    };
    addFrames(w, every100Ms(0, 120'000));
    QTRY_COMPARE(panel->timeAxis()->max(), 120.0);
    QCOMPARE(litSpans(w), QStringList{QStringLiteral("2 dk")});

    chooseSpan(w, QStringLiteral("30 s"));
    QCOMPARE(litSpans(w), QStringList{QStringLiteral("30 s")});
    gestures::wheel(&w, w.firstPlotCentre(), -120); // 24 s shown: no span of the buttons
    QCOMPARE(litSpans(w), QStringList());
    drag();
    QCOMPARE(litSpans(w), QStringList());

    chooseSpan(w, QStringLiteral("30 s")); // lit again, also when clicked while unlit
    QCOMPARE(panel->timeAxis()->max() - panel->timeAxis()->min(), 30.0);
    QCOMPARE(litSpans(w), QStringList{QStringLiteral("30 s")});
    chooseSpan(w, QStringLiteral("30 s")); // a click on the lit button leaves it lit
    QCOMPARE(litSpans(w), QStringList{QStringLiteral("30 s")});
    drag(); // moved: still 30 s wide
    QCOMPARE(litSpans(w), QStringList{QStringLiteral("30 s")});

    chooseSpan(w, QStringLiteral("Tümü"));
    QCOMPARE(litSpans(w), QStringList{QStringLiteral("Tümü")});
    drag(); // moved: no longer all of it
    QCOMPARE(litSpans(w), QStringList());
    QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("pause")), Qt::LeftButton);
    QVERIFY(!w.isPaused()); // following again: all of it
    QCOMPARE(litSpans(w), QStringList{QStringLiteral("Tümü")});
}

void GraphTest::opensNoLargerThanAWorkshopLaptopsScreen()
{
    GraphWindow w;
    // A 1366 x 768 screen less a task bar (40) and a frame (30 and 4 a side)
    // has 1358 x 694 for the client area.
    QVERIFY(GraphWindow::kDefaultSize.width() <= 1358);
    QVERIFY(GraphWindow::kDefaultSize.height() <= 694);
    const QSize available = w.screen()->availableGeometry().size();
    QCOMPARE(w.size(), GraphWindow::kDefaultSize.boundedTo(available));
}

void GraphTest::everyTextStaysWholeOnASmallScreen_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("recording");
    QTest::newRow("1024 x 600, live") << QSize(1024, 600) << false;
    QTest::newRow("1024 x 600, a recording") << QSize(1024, 600) << true;
    QTest::newRow("default, a recording") << GraphWindow::kDefaultSize << true;
}

void GraphTest::everyTextStaysWholeOnASmallScreen()
{
    QFETCH(QSize, size);
    QFETCH(bool, recording);
#ifdef Q_OS_WIN
    // Qt for Windows' offscreen platform finds no fonts under Wine (it reads
    // them from Qt's lib/fonts, which it lacks): its texts come out wider
    // than on any desktop, so widths say nothing there.
    QSKIP("no real text widths on the offscreen platform under Wine");
#endif
    GraphWindow w;
    w.resize(size);
    QVERIFY(exposed(w));
    Frames frames;
    for (qint64 ms = 0; ms <= 120'000; ms += 100) {
        zcore::LiveFrame frame = (ms / 10'000) % 2 ? frameOf(1000, 5043 - 1000) : idleFrame();
        frame.mask = ms < 60'000 ? 128 : 60;
        frames.append({ms, frame});
        w.addFrame(ms, frame);
    }
    w.addCommand(30'000, 1, 57);
    if (recording)
        w.showRecording(recordingOf(frames, {graphCommand(30'000, 1, 57)}),
                        QStringLiteral("2026-12-07_14-05-31.csv"));
    auto *panel = w.findChild<GraphTimePanel *>();
    QTRY_COMPARE(panel->timeAxis()->max(), 120.0);
    hover(w.findChildren<GraphTimeView *>().first(), QPoint(100, 50)); // the longest read-out
    QTest::qWait(200);                                                 // laid out, axes fitted
    QVERIFY2(w.width() <= size.width() && w.height() <= size.height(),
             qPrintable(QStringLiteral("%1 x %2").arg(w.width()).arg(w.height())));

    // Buttons and labels as wide as their texts need.
    for (auto *button : w.findChildren<QAbstractButton *>())
        if (button->isVisible())
            QVERIFY2(button->sizeHint().width() <= button->width(), qPrintable(button->text()));
    auto *readout = w.findChild<QLabel *>(QStringLiteral("readout"));
    for (auto *label : w.findChildren<QLabel *>())
        if (label->isVisible() && label != readout)
            QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(label->text()));
    QVERIFY2(readout->heightForWidth(readout->width()) <= readout->height(),
             qPrintable(plainText(readout)));

    // Every axis title and legend entry of the charts shown whole: Qt Charts
    // cuts a text that has no room ("Giri...").
    for (auto *view : w.findChildren<QChartView *>()) {
        QStringList shown;
        for (QGraphicsItem *item : view->scene()->items()) {
            if (!item->isVisible())
                continue;
            if (auto *text = dynamic_cast<QGraphicsTextItem *>(item))
                shown.append(text->toPlainText());
            else if (auto *simple = dynamic_cast<QGraphicsSimpleTextItem *>(item))
                shown.append(simple->text());
        }
        QStringList wanted;
        for (QAbstractAxis *axis : view->chart()->axes())
            if (axis->isVisible() && axis->isTitleVisible())
                wanted.append(axis->titleText());
        if (view->chart()->legend()->isVisible())
            for (QLegendMarker *marker : view->chart()->legend()->markers())
                if (marker->isVisible())
                    wanted.append(marker->label());
        for (const QString &text : std::as_const(wanted))
            QVERIFY2(shown.contains(text),
                     qPrintable(text + QStringLiteral(" in ") + shown.join(QStringLiteral(" | "))));
        for (const QString &text : std::as_const(shown))
            QVERIFY2(!text.endsWith(QStringLiteral("...")) && !text.endsWith(QStringLiteral("…")),
                     qPrintable(text));
    }
    // The band texts of the map: each over its band.
    const QStringList bands = w.findChild<GraphMapView *>()->bandTexts();
    QVERIFY2(!bands.contains(QString()), qPrintable(bands.join(QStringLiteral(" | "))));
}

QTEST_MAIN(GraphTest)
#include "tst_graph.moc"
