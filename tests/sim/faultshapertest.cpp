#include "sim/faultshaper.h"

#include "support/payloads.h"

#include <QTest>

#include <set>

using zsim::Fault;
using zsim::FaultShaper;
using Kind = zsim::Fault::Kind;
using Step = zsim::FaultShaper::Step;
using StepKind = zsim::FaultShaper::Step::Kind;

Q_DECLARE_METATYPE(zsim::Fault)

namespace {

QByteArray frame() { return payloads::countingFrame(); }

Step send(const QByteArray &bytes) { return Step{StepKind::Send, bytes, 0.0, {}}; }
Step silence(double ms) { return Step{StepKind::Silence, {}, ms, {}}; }
Step plain(StepKind kind, const QString &text = {}) { return Step{kind, {}, 0.0, text}; }
Step report(const char *line) { return plain(StepKind::Report, QString::fromLatin1(line)); }

QList<StepKind> kinds(const QList<Step> &steps)
{
    QList<StepKind> out;
    for (const Step &step : steps)
        out.append(step.kind);
    return out;
}

// Everything the steps put on the line, in order.
QByteArray sent(const QList<Step> &steps)
{
    QByteArray bytes;
    for (const Step &step : steps) {
        if (step.kind == StepKind::Send)
            bytes += step.bytes;
    }
    return bytes;
}

QStringList reports(const QList<Step> &steps)
{
    QStringList lines;
    for (const Step &step : steps) {
        if (step.kind == StepKind::Report)
            lines.append(step.text);
    }
    return lines;
}

QList<qsizetype> truncatedLengths(quint32 seed, int frames)
{
    FaultShaper shaper(seed);
    shaper.add(Fault{Kind::Truncate, frames});
    QList<qsizetype> lengths;
    for (int i = 0; i < frames; ++i)
        lengths.append(sent(shaper.shape(frame())).size());
    return lengths;
}

} // namespace

class FaultShaperTest : public QObject {
    Q_OBJECT
private slots:
    void truncatedFramesAreCutBetweenOneAnd36Bytes();
    void seedDecidesCutsAndGarbage();
    void truncateIsReportedAfterItsLastFrame();
    void gapSplitsTheFrameInsideWithASilence();
    void zerosFramesKeepTheHeaderAndCarry34ZeroBytes();
    void garbageComesBeforeTheFrame_data();
    void garbageComesBeforeTheFrame();
    void lateFramesAreHeldBackInTurnThenFramesResume();
    void unplugSendsPartOfTheFrameThenHangsUp();
    void quietSpellIsTakenBetweenFrames();
    void faultsOfDifferentKindsShareAFrame();
    void numberedFramesAreNamedInTheFaultLines_data();
    void numberedFramesAreNamedInTheFaultLines();
    void cutNotesNameTheNumberedFrame();
};

void FaultShaperTest::truncatedFramesAreCutBetweenOneAnd36Bytes()
{
    const QList<qsizetype> lengths = truncatedLengths(7, 2000);
    std::set<qsizetype> seen;
    for (const qsizetype length : lengths) {
        QVERIFY2(length >= 1 && length <= 36, qPrintable(QString::number(length)));
        seen.insert(length);
    }
    QCOMPARE(seen.size(), size_t(36)); // every length turns up, the ends too
    FaultShaper shaper(7);
    shaper.add(Fault{Kind::Truncate, 1});
    const QByteArray cut = sent(shaper.shape(frame()));
    QVERIFY(frame().startsWith(cut)); // the start of the frame, the rest never sent
}

void FaultShaperTest::seedDecidesCutsAndGarbage()
{
    QCOMPARE(truncatedLengths(42, 50), truncatedLengths(42, 50));
    QVERIFY(truncatedLengths(42, 50) != truncatedLengths(43, 50));
    FaultShaper first(21);
    FaultShaper second(21);
    FaultShaper other(22);
    const QByteArray bytes = first.garbage(500);
    QCOMPARE(second.garbage(500), bytes);
    QVERIFY(other.garbage(500) != bytes);
    QVERIFY(first.garbage(500) != bytes); // the generator runs on
    // Random, not a pattern: many different byte values turn up.
    QVERIFY(std::set<char>(bytes.begin(), bytes.end()).size() > 150);
}

void FaultShaperTest::truncateIsReportedAfterItsLastFrame()
{
    FaultShaper shaper(3);
    shaper.add(Fault{Kind::Truncate, 3});
    QCOMPARE(reports(shaper.shape(frame())), QStringList{});
    QCOMPARE(reports(shaper.shape(frame())), QStringList{});
    const QList<Step> last = shaper.shape(frame());
    QCOMPARE(reports(last), QStringList{"fault truncate 3"});
    QCOMPARE(kinds(last), (QList<StepKind>{StepKind::Note, StepKind::Send, StepKind::Report}));
    QVERIFY(!shaper.hasWaiting());
    QCOMPARE(shaper.shape(frame()), QList<Step>{send(frame())});
}

void FaultShaperTest::gapSplitsTheFrameInsideWithASilence()
{
    FaultShaper shaper(11);
    for (int i = 0; i < 300; ++i) {
        shaper.add(Fault{Kind::Gap, 250});
        const QList<Step> steps = shaper.shape(frame());
        QCOMPARE(kinds(steps), (QList<StepKind>{StepKind::Send, StepKind::Silence, StepKind::Send,
                                                StepKind::Report, StepKind::Resume}));
        QCOMPARE(steps[1].ms, 250.0);
        QCOMPARE(steps[0].bytes + steps[2].bytes, frame());
        const qsizetype split = steps[0].bytes.size();
        QVERIFY2(split >= 1 && split <= 36, qPrintable(QString::number(split)));
        QCOMPARE(steps[3].text, QStringLiteral("fault gap 250"));
    }
    QCOMPARE(shaper.shape(frame()), QList<Step>{send(frame())});
}

void FaultShaperTest::zerosFramesKeepTheHeaderAndCarry34ZeroBytes()
{
    const QByteArray zeroFrame = QByteArray::fromHex("a4c000") + QByteArray(34, '\0');
    QCOMPARE(FaultShaper::zeroed(frame()), zeroFrame);

    FaultShaper shaper(1);
    shaper.add(Fault{Kind::Zeros, 2});
    QCOMPARE(shaper.shape(frame()), QList<Step>{send(zeroFrame)});
    QCOMPARE(shaper.shape(frame()), (QList<Step>{send(zeroFrame), report("fault zeros 2")}));
    QCOMPARE(shaper.shape(frame()), QList<Step>{send(frame())});
}

void FaultShaperTest::garbageComesBeforeTheFrame_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("one byte") << 1;
    QTest::newRow("200 bytes") << 200;
    QTest::newRow("the most") << 65536;
}

void FaultShaperTest::garbageComesBeforeTheFrame()
{
    QFETCH(int, count);
    FaultShaper shaper(8);
    shaper.add(Fault{Kind::Garbage, count});
    const QList<Step> steps = shaper.shape(frame());
    QCOMPARE(kinds(steps),
             (QList<StepKind>{StepKind::Send, StepKind::Report, StepKind::Send, StepKind::Resume}));
    QCOMPARE(steps[0].bytes.size(), qsizetype(count));
    QCOMPARE(steps[1].text, QStringLiteral("fault garbage %1").arg(count));
    QCOMPARE(steps[2].bytes, frame());
}

void FaultShaperTest::lateFramesAreHeldBackInTurnThenFramesResume()
{
    FaultShaper shaper(1);
    shaper.add(Fault{Kind::Late, 700});
    shaper.add(Fault{Kind::Late, 200}); // faults of one kind take turns
    QCOMPARE(shaper.shape(frame()),
             (QList<Step>{silence(700), send(frame()), report("fault late 700"),
                          plain(StepKind::Resume)}));
    QCOMPARE(shaper.shape(frame()).first(), silence(200));
    QCOMPARE(shaper.shape(frame()), QList<Step>{send(frame())});
}

void FaultShaperTest::unplugSendsPartOfTheFrameThenHangsUp()
{
    for (quint32 seed = 0; seed < 50; ++seed) {
        FaultShaper shaper(seed);
        shaper.add(Fault{Kind::Unplug, 0});
        shaper.add(Fault{Kind::Gap, 100}); // waits for a frame after the replug
        const QList<Step> steps = shaper.shape(frame());
        QCOMPARE(kinds(steps), (QList<StepKind>{StepKind::Send, StepKind::Drain, StepKind::Note,
                                                StepKind::HangUp, StepKind::Report}));
        const QByteArray part = steps[0].bytes;
        QVERIFY(part.size() >= 1 && part.size() <= 36);
        QVERIFY(frame().startsWith(part));
        QCOMPARE(steps[2].text,
                 QStringLiteral("cable pulled after %1 of 37 bytes").arg(part.size()));
        QCOMPARE(steps[4].text, QStringLiteral("fault unplug"));
        QVERIFY(shaper.hasWaiting());
    }
}

void FaultShaperTest::quietSpellIsTakenBetweenFrames()
{
    FaultShaper shaper(1);
    shaper.add(Fault{Kind::Quiet, 1200});
    QCOMPARE(shaper.shape(frame()), QList<Step>{send(frame())});
    QCOMPARE(shaper.takeQuiet(),
             (QList<Step>{silence(1200), report("fault quiet 1200"), plain(StepKind::Resume)}));
    QCOMPARE(shaper.takeQuiet(), QList<Step>{});
    QVERIFY(!shaper.hasWaiting());
}

void FaultShaperTest::faultsOfDifferentKindsShareAFrame()
{
    FaultShaper shaper(4);
    shaper.add(Fault{Kind::Late, 300});
    shaper.add(Fault{Kind::Zeros, 1});
    shaper.add(Fault{Kind::Garbage, 5});
    const QList<Step> steps = shaper.shape(frame());
    QCOMPARE(kinds(steps),
             (QList<StepKind>{StepKind::Send, StepKind::Report, StepKind::Silence, StepKind::Send,
                              StepKind::Report, StepKind::Report, StepKind::Resume}));
    QCOMPARE(steps[0].bytes.size(), qsizetype(5));
    QCOMPARE(steps[3].bytes, FaultShaper::zeroed(frame()));
    QCOMPARE(reports(steps), (QStringList{"fault garbage 5", "fault zeros 1", "fault late 300"}));
}

void FaultShaperTest::numberedFramesAreNamedInTheFaultLines_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QStringList>("lines"); // of frames 120, 121, 122
    QTest::newRow("truncate, three frames")
        << Fault{Kind::Truncate, 3} << QStringList{"fault truncate 3 frames 120-122"};
    QTest::newRow("truncate, one frame")
        << Fault{Kind::Truncate, 1} << QStringList{"fault truncate 1 frame 120"};
    QTest::newRow("zeros, two frames")
        << Fault{Kind::Zeros, 2} << QStringList{"fault zeros 2 frames 120-121"};
    QTest::newRow("garbage: the frame after it")
        << Fault{Kind::Garbage, 9} << QStringList{"fault garbage 9 frame 120"};
    QTest::newRow("late") << Fault{Kind::Late, 500} << QStringList{"fault late 500 frame 120"};
    QTest::newRow("gap") << Fault{Kind::Gap, 40} << QStringList{"fault gap 40 frame 120"};
    QTest::newRow("unplug") << Fault{Kind::Unplug, 0} << QStringList{"fault unplug frame 120"};
}

void FaultShaperTest::numberedFramesAreNamedInTheFaultLines()
{
    QFETCH(Fault, fault);
    QFETCH(QStringList, lines);
    FaultShaper shaper(2);
    shaper.add(fault);
    QStringList seen;
    for (quint32 number = 120; number <= 122; ++number)
        seen += reports(shaper.shape(frame(), number));
    QCOMPARE(seen, lines);
}

void FaultShaperTest::cutNotesNameTheNumberedFrame()
{
    FaultShaper shaper(6);
    shaper.add(Fault{Kind::Truncate, 1});
    const QList<Step> cut = shaper.shape(frame(), 7);
    QCOMPARE(cut[0].kind, StepKind::Note);
    QCOMPARE(cut[0].text, QStringLiteral("frame 7 cut to %1 of 37 bytes").arg(sent(cut).size()));
    shaper.add(Fault{Kind::Unplug, 0});
    const QList<Step> pulled = shaper.shape(frame(), 8);
    QCOMPARE(
        pulled[2].text,
        QStringLiteral("cable pulled after %1 of 37 bytes of frame 8").arg(sent(pulled).size()));
}

QTEST_GUILESS_MAIN(FaultShaperTest)
#include "faultshapertest.moc"
