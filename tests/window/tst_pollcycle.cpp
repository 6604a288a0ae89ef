// The poll cycle with an in-memory link: reads, frame acceptance, the silent
// count and the lost report, the status colour and the reading message.
#include "core/frame.h"
#include "support/payloads.h"
#include "support/shellfixture.h"
#include "ui/mainwindow.h"
#include "ui/skinlabel.h"
#include "ui/skintextbox.h"
#include "ui/skintimer.h"

#include <QTest>

namespace {
const QString kNoLink = QStringLiteral("Bağlantı Yok!");
const QString kReading = QStringLiteral("Ecu Okunuyor!");

QByteArray readWithHeaderAt(int length, int position)
{
    QByteArray read(length, char(0x11));
    read[position - 1] = char(0xA4);
    read[position] = char(0xC0);
    read[position + 1] = char(0x00);
    return read;
}
} // namespace

class PollCycleTest : public QObject {
    Q_OBJECT
private slots:
    void readsAreAcceptedByLengthAndHeaderPosition_data();
    void readsAreAcceptedByLengthAndHeaderPosition();
    void eachReadTakesAtMostFiftyCharacters();
    void restOfTheBufferIsDiscardedOnlyAfterAnAcceptedFrame();
    void thirtyFirstSilentCycleReportsTheLinkLostOnceInTheLog();
    void statusColourPulsesWhileNoDataArrives();
    void dataSetsTheStatusColourAndRestoresTheTitle();
    void closedPortLeavesEverythingAlone();
    void readingMessageIsQueuedUntilItHeadsTheLogAndAGesturesMessageIsKept();
};

void PollCycleTest::readsAreAcceptedByLengthAndHeaderPosition_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("headerAt");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<double>("silentTicks"); // 7 before the read
    QTest::newRow("37, header first") << 37 << 1 << true << 0.0;
    QTest::newRow("50, header at 15: no frame, yet a sign of life") << 50 << 15 << false << 0.0;
    QTest::newRow("34 with a whole header: too short to count") << 34 << 1 << false << 8.0;
}

void PollCycleTest::readsAreAcceptedByLengthAndHeaderPosition()
{
    QFETCH(int, length);
    QFETCH(int, headerAt);
    QFETCH(bool, accepted);
    QFETCH(double, silentTicks);
    LoadedShell f;
    const auto &e = f.window().el();
    f.shell->state().silentTicks = 7;
    f.poll(readWithHeaderAt(length, headerAt));
    QCOMPARE(f.shell->state().silentTicks, silentTicks);
    QCOMPARE(f.shell->state().linkStatus, accepted ? QStringLiteral("Connect Ecu!") : kNoLink);
    QCOMPARE(e.DebugX->text() != QStringLiteral("Debug Screen!"), accepted);
    QCOMPARE(f.shell->state().statusMessage, accepted ? kReading : QString());
}

void PollCycleTest::eachReadTakesAtMostFiftyCharacters()
{
    LoadedShell f;
    f.poll(QByteArray(120, 'x'));
    QCOMPARE(f.link.pending().size(), 70);
}

void PollCycleTest::restOfTheBufferIsDiscardedOnlyAfterAnAcceptedFrame()
{
    LoadedShell f;
    const auto &e = f.window().el();
    // A read without a header leaves the rest for the next cycle...
    f.poll(QByteArray(50, 'x') + payloads::workedFrame() + QByteArray(30, 'y'));
    QCOMPARE(f.link.pending().size(), 37 + 30);
    // ...which finds the frame and drops whatever followed it.
    ShellFixture::tick(e.Timer2);
    QCOMPARE(f.link.pending().size(), 0);
    QVERIFY(e.DebugX->text().startsWith(QStringLiteral("F4-01-00-00-E8")));
}

void PollCycleTest::thirtyFirstSilentCycleReportsTheLinkLostOnceInTheLog()
{
    LoadedShell f;
    const auto &e = f.window().el();
    f.poll();
    QCOMPARE(f.shell->state().linkStatus, QStringLiteral("Connect Ecu!"));
    f.shell->state().statusMessage.clear();

    ShellFixture::tick(e.Timer2, 30);
    QCOMPARE(f.shell->state().linkStatus, QStringLiteral("Connect Ecu!"));
    QCOMPARE(f.shell->state().silentTicks, 30.0);
    QVERIFY(!e.kapa->isEnabled());
    ShellFixture::tick(e.Timer2);
    QCOMPARE(f.shell->state().linkStatus, kNoLink);
    QCOMPARE(f.shell->state().silentTicks, 0.0);
    QVERIFY(e.kapa->isEnabled());
    QCOMPARE(f.shell->state().statusMessage, kNoLink);
    // Queued only while the log does not begin with it.
    ShellFixture::tick(e.Timer4);
    QCOMPARE(e.ErrorList->caption(), kNoLink + QLatin1Char('\r'));
    ShellFixture::tick(e.Timer2, 31);
    QCOMPARE(f.shell->state().statusMessage, QString());
}

void PollCycleTest::statusColourPulsesWhileNoDataArrives()
{
    LoadedShell f;
    const auto &e = f.window().el();
    const QList<int> expected = {48, 96, 144, 192, 240, 0, 48};
    for (int level : expected) {
        ShellFixture::tick(e.Timer2);
        QCOMPARE(f.shell->state().statusFade, double(level));
        QCOMPARE(e.Con1->foreColor(), QColor(level, level, level));
    }
}

void PollCycleTest::dataSetsTheStatusColourAndRestoresTheTitle()
{
    LoadedShell f;
    const auto &e = f.window().el();
    f.shell->mainWindow().setWindowTitle(QStringLiteral("Ecu Bağlanmadı!"));
    f.shell->mainWindow().setWindowAttribute(1);
    f.poll(QByteArray(35, 'z'));                 // data, but no frame
    QCOMPARE(f.shell->state().statusFade, 48.0); // the fade still steps
    QCOMPARE(e.Con1->foreColor(), QColor(0xE0, 0xE0, 0xE0));
    QCOMPARE(f.shell->mainWindow().windowTitle(), QStringLiteral("Dravon Lpg Zendalite V1.0"));
    QCOMPARE(f.shell->mainWindow().windowAttribute(), 0);
    QCOMPARE(f.shell->state().linkStatus, kNoLink);
}

void PollCycleTest::closedPortLeavesEverythingAlone()
{
    ShellFixture f;
    f.shell->load(); // no port file: the port stays closed
    const auto &e = f.window().el();
    f.link.receive(payloads::workedFrame());
    ShellFixture::tick(e.Timer2, 40);
    QCOMPARE(f.shell->state().silentTicks, 0.0);
    QCOMPARE(f.shell->state().statusFade, 0.0);
    QVERIFY(!e.kapa->isEnabled());
    QCOMPARE(f.link.pending().size(), 37);
}

void PollCycleTest::readingMessageIsQueuedUntilItHeadsTheLogAndAGesturesMessageIsKept()
{
    LoadedShell f;
    const auto &e = f.window().el();
    for (int i = 0; i < 3; ++i) {
        f.poll();
        QCOMPARE(f.shell->state().statusMessage, kReading);
    }
    ShellFixture::tick(e.Timer4);
    QCOMPARE(e.ErrorList->caption(), kReading + QLatin1Char('\r'));
    f.poll();
    QCOMPARE(f.shell->state().statusMessage, QString());

    // A gesture's message is not replaced while frames arrive; once it
    // heads the log, the next frame queues reading again.
    f.shell->state().statusMessage = QStringLiteral("Lpg Tuning Level Setting!");
    f.poll();
    QCOMPARE(f.shell->state().statusMessage, QStringLiteral("Lpg Tuning Level Setting!"));
    ShellFixture::tick(e.Timer4);
    f.poll();
    QCOMPARE(f.shell->state().statusMessage, kReading);
}

QTEST_MAIN(PollCycleTest)
#include "tst_pollcycle.moc"
