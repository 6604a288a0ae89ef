// Link supervision with an in-memory link: the message log, the no-ECU
// timeout, a device that goes away and comes back, and the power faces.
#include "support/payloads.h"
#include "support/shellfixture.h"
#include "ui/mainwindow.h"
#include "ui/skinlabel.h"
#include "ui/skinpicture.h"
#include "ui/skintimer.h"

#include <QTest>
#include <QTimer>

class LinkSupervisionTest : public QObject {
    Q_OBJECT
private slots:
    void noEcuTimeoutMinimisesAndRetitlesTheWindowOnce();
    void armingAnArmedTimeoutKeepsItsCountdown();
    void messageLogKeepsNewestFirstABoundedNumberOfLinesAndOnlyTheLastPendingMessage();
    void deviceAwayIsASilentUnitAndItsReturnAUnitThatSpeaksAgain();
    void powerFacesSwapOnClick();
};

void LinkSupervisionTest::noEcuTimeoutMinimisesAndRetitlesTheWindowOnce()
{
    LoadedShell f;
    const auto &e = f.window().el();
    ShellFixture::tick(e.Timer2, 31);
    QVERIFY(e.kapa->isEnabled());
    QVERIFY(e.kapa->tickNow());
    QCOMPARE(f.shell->mainWindow().windowTitle(), QStringLiteral("Ecu Bağlanmadı!"));
    QCOMPARE(f.shell->mainWindow().windowAttribute(), 1);
    QVERIFY(f.shell->mainWindow().isMinimized());
    QVERIFY(!e.kapa->isEnabled());
    QVERIFY(!e.kapa->tickNow()); // fires once per arming

    // The next lost report arms it again; data brings the window back.
    ShellFixture::tick(e.Timer2, 31);
    QVERIFY(e.kapa->isEnabled());
    f.poll();
    QVERIFY(!e.kapa->isEnabled());
    QCOMPARE(f.shell->mainWindow().windowAttribute(), 0);
    QCOMPARE(f.shell->mainWindow().windowTitle(), QStringLiteral("Dravon Lpg Zendalite V1.0"));
}

void LinkSupervisionTest::armingAnArmedTimeoutKeepsItsCountdown()
{
    // With real timers: a second lost report must not restart the countdown.
    MainWindow w(false);
    SkinTimer *kapa = w.el().kapa;
    kapa->setEnabled(true);
    QTest::qWait(60);
    const auto *timer = kapa->findChild<QTimer *>();
    QVERIFY(timer && timer->isActive());
    const int before = timer->remainingTime();
    kapa->setEnabled(true);
    QVERIFY(timer->remainingTime() <= before);
}

void LinkSupervisionTest::
    messageLogKeepsNewestFirstABoundedNumberOfLinesAndOnlyTheLastPendingMessage()
{
    LoadedShell f;
    const auto &e = f.window().el();
    for (int i = 0; i < 1000; ++i) {
        f.shell->state().statusMessage = QStringLiteral("m%1").arg(i);
        ShellFixture::tick(e.Timer4);
    }
    QString log = e.ErrorList->caption();
    QCOMPARE(log.count(QLatin1Char('\r')), 200);
    QVERIFY(log.startsWith(QStringLiteral("m999\rm998\r")));
    QVERIFY(log.endsWith(QStringLiteral("m800\r")));

    f.shell->state().statusMessage = QStringLiteral("first");
    f.shell->state().statusMessage = QStringLiteral("Lpg Tuning Level Setting!");
    ShellFixture::tick(e.Timer4);
    log = e.ErrorList->caption();
    QVERIFY(log.startsWith(QStringLiteral("Lpg Tuning Level Setting!\rm999\r")));
    QCOMPARE(f.shell->state().statusMessage, QString());
    ShellFixture::tick(e.Timer4); // nothing pending: unchanged
    QCOMPARE(e.ErrorList->caption(), log);
}

void LinkSupervisionTest::deviceAwayIsASilentUnitAndItsReturnAUnitThatSpeaksAgain()
{
    LoadedShell f;
    const auto &e = f.window().el();
    f.poll();
    QCOMPARE(f.shell->state().linkStatus, QStringLiteral("Connect Ecu!"));
    f.link.loseDevice();
    QVERIFY(f.link.isOpen()); // the port stays open: no dialog, no new start
    QVERIFY(f.shell->sender().send(1, 57) != CommandSender::Result::Sent);
    QCOMPARE(f.link.written(), QByteArray());
    ShellFixture::tick(e.Timer2, 30);
    QCOMPARE(f.shell->state().linkStatus, QStringLiteral("Connect Ecu!"));
    f.poll(); // the 31st silent poll: what the unit sends is lost
    QCOMPARE(f.shell->state().linkStatus, QStringLiteral("Bağlantı Yok!"));
    QVERIFY(e.kapa->isEnabled());

    f.link.returnDevice();
    f.poll();
    QCOMPARE(f.shell->state().linkStatus, QStringLiteral("Connect Ecu!"));
    QVERIFY(!e.kapa->isEnabled());
    QCOMPARE(f.link.openCount(), 1);
}

void LinkSupervisionTest::powerFacesSwapOnClick()
{
    LoadedShell f;
    const auto &e = f.window().el();
    QVERIFY(e.PowerH->isHidden() && !e.powerL->isHidden());
    emit e.powerL->clicked();
    QVERIFY(!e.PowerH->isHidden() && e.powerL->isHidden());
    emit e.PowerH->clicked();
    QVERIFY(e.PowerH->isHidden() && !e.powerL->isHidden());
}

QTEST_MAIN(LinkSupervisionTest)
#include "tst_linksupervision.moc"
