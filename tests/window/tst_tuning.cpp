// Every gesture that sends a setting, with an in-memory link that records
// each write with its time; pauses move the link's clock instead of waiting.
#include "core/frame.h"
#include "shell/gestures.h"
#include "support/payloads.h"
#include "support/processlocale.h"
#include "support/shellfixture.h"
#include "tuning/fuelcontrol.h"
#include "ui/mainwindow.h"
#include "ui/skinlabel.h"
#include "ui/skinpicture.h"
#include "ui/skintextbox.h"
#include "ui/skintimer.h"

#include <QElapsedTimer>
#include <QTest>

namespace {
QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

// A shell on port 1 with the frame shown and no message pending.
struct FrameShown : LoadedShell {
    explicit FrameShown(const QByteArray &frame = payloads::workedFrame())
    {
        poll(frame);
        shell->state().statusMessage.clear();
    }
};

void typeAndEnter(SkinTextBox *box, const QString &text)
{
    box->selectAll();
    box->del();
    gestures::typeText(box, text);
    gestures::key(box, 13);
}
} // namespace

class TuningTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testlocale::adoptEnvironmentLocale(); }
    void realPauseWaitsAHundredMillisecondsAtLeast();
    void bandLevelIsSentForTheBandTheBoxStandsOver_data();
    void bandLevelIsSentForTheBandTheBoxStandsOver();
    void bandClickOpensTheBoxWithTheBandsLevelOnlyEnterSendsAndASecondMovesIt();
    void unsendableLevelLeavesTheLineUntouchedAndTheBoxOpen_data();
    void unsendableLevelLeavesTheLineUntouchedAndTheBoxOpen();
    void closedPortSendsNothing();
    void commandCutShortHoldsTheLineUntilTheUnitHasGivenUpOnIt_data();
    void commandCutShortHoldsTheLineUntilTheUnitHasGivenUpOnIt();
    void hintFollowsThePointerOverBandsAndTheSwitchOver();
    void calibrationSendsOnTheSecondClickOfTheSameLabel_data();
    void calibrationSendsOnTheSecondClickOfTheSameLabel();
    void switchOverTemperatureIsSentAs230MinusDegrees_data();
    void switchOverTemperatureIsSentAs230MinusDegrees();
    void switchOverStepsOneDegree_data();
    void switchOverStepsOneDegree();
    void stepClosesAnOpenEntryWithoutSendingIt();
    void faceDoubleClickSendsTheMaskOfAllFaces_data();
    void faceDoubleClickSendsTheMaskOfAllFaces();
    void backgroundMovementRevealsArrowsPicksRowsAndHints();
};

void TuningTest::realPauseWaitsAHundredMillisecondsAtLeast()
{
    QElapsedTimer wall;
    wall.start();
    CommandSender::timedPause(CommandSender::kPauseUnits);
    QVERIFY2(wall.elapsed() >= 100, qPrintable(QString::number(wall.elapsed())));
}

void TuningTest::bandLevelIsSentForTheBandTheBoxStandsOver_data()
{
    QTest::addColumn<int>("band");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("ca1 57") << 0 << "57" << bytes({0xA4, 0, 57});
    QTest::newRow("ca2 abc is 0") << 1 << "abc" << bytes({0xA4, 1, 0});
    QTest::newRow("ca3 12abc") << 2 << "12abc" << bytes({0xA4, 2, 12});
    QTest::newRow("ca4 12.7 rounds up") << 3 << "12.7" << bytes({0xA4, 3, 13});
    QTest::newRow("255") << 2 << "255" << bytes({0xA4, 2, 255});
}

void TuningTest::bandLevelIsSentForTheBandTheBoxStandsOver()
{
    QFETCH(int, band);
    QFETCH(QString, entry);
    QFETCH(QByteArray, frame);
    FrameShown f;
    const auto &e = f.window().el();
    const auto &labels = e.bandLevels;
    gestures::click(labels[band]);
    typeAndEnter(e.SetBox, entry);
    QCOMPARE(f.link.written(), frame);
    QVERIFY(e.SetBox->isHidden());
    QCOMPARE(f.shell->state().statusMessage, QStringLiteral("Lpg Tuning Level Setting!"));
    QCOMPARE(labels[band]->caption(), QString::number(10 * (band + 1))); // the unit rewrites it
}

void TuningTest::bandClickOpensTheBoxWithTheBandsLevelOnlyEnterSendsAndASecondMovesIt()
{
    LoadedShell f;
    const auto &e = f.window().el();
    gestures::click(e.ca1); // before the first frame: an empty caption
    QCOMPARE(e.SetBox->text(), QStringLiteral("0"));
    f.poll();
    gestures::click(e.ca3);
    QCOMPARE(e.SetBox->left(), 9240.0);
    QCOMPARE(e.SetBox->top(), 3600.0);
    QCOMPARE(e.SetBox->text(), QStringLiteral("30"));
    for (int code : {8, 46, 35, 36, 48, 65}) // keys that edit send nothing
        gestures::key(e.SetBox, code);
    QVERIFY(!e.SetBox->isHidden());
    QVERIFY(f.link.writes().isEmpty());
    gestures::click(e.ca4);
    QCOMPARE(e.SetBox->left(), 10320.0);
    QCOMPARE(e.SetBox->text(), QStringLiteral("40"));
    gestures::key(e.SetBox, 13);
    QCOMPARE(f.link.written(), bytes({0xA4, 3, 40}));
}

void TuningTest::unsendableLevelLeavesTheLineUntouchedAndTheBoxOpen_data()
{
    QTest::addColumn<QString>("entry");
    QTest::newRow("256") << "256";
    QTest::newRow("255.5 rounds to 256") << "255.5";
    QTest::newRow("-1") << "-1";
    QTest::newRow("hex beyond a byte") << "&H100";
    QTest::newRow("octal beyond a byte") << "&O777";
    QTest::newRow("hex beyond any whole number") << "&HFFFFFFFFFFFFFFFF";
}

void TuningTest::unsendableLevelLeavesTheLineUntouchedAndTheBoxOpen()
{
    QFETCH(QString, entry);
    FrameShown f;
    const auto &e = f.window().el();
    gestures::click(e.ca2);
    typeAndEnter(e.SetBox, entry);
    QVERIFY(f.link.writes().isEmpty());
    QVERIFY(!e.SetBox->isHidden());
    QCOMPARE(e.SetBox->text(), entry);
    QCOMPARE(f.shell->state().statusMessage, QStringLiteral("Değer Aralık Dışı!"));
}

void TuningTest::closedPortSendsNothing()
{
    ShellFixture f;
    f.shell->load(); // no port file: the window with the dialog beside it
    const auto &e = f.window().el();
    gestures::click(e.ca1);
    typeAndEnter(e.SetBox, QStringLiteral("50"));
    QVERIFY(!e.SetBox->isHidden());
    gestures::doubleClick(e.petrol);
    QVERIFY(!e.petrol->isHidden() && e.Lpg->isHidden()); // nothing changed
    emit e.TA->clicked();
    QCOMPARE(e.Setterm->caption(), QStringLiteral("0"));
    QVERIFY(f.link.writes().isEmpty());
    QCOMPARE(f.shell->state().statusMessage, QStringLiteral("Port Kapalı!"));
}

void TuningTest::commandCutShortHoldsTheLineUntilTheUnitHasGivenUpOnIt_data()
{
    QTest::addColumn<int>("failingByte"); // of the command's three
    QTest::newRow("after the header") << 1;
    QTest::newRow("after the code") << 2;
}

void TuningTest::commandCutShortHoldsTheLineUntilTheUnitHasGivenUpOnIt()
{
    // The unit waits for the rest of a command it has begun; the next
    // command's A4 would be taken for the missing value. Nothing goes out
    // until the unit has given up on it.
    QFETCH(int, failingByte);
    FrameShown f;
    const auto &e = f.window().el();
    gestures::click(e.ca2);
    f.link.failWrite(failingByte);
    typeAndEnter(e.SetBox, QStringLiteral("57"));
    QCOMPARE(f.link.writes().size(), failingByte);
    QVERIFY(!e.SetBox->isHidden()); // not sent: the box stays open
    QCOMPARE(f.shell->state().statusMessage, QStringLiteral("Komut Yarım Kaldı!"));
    const double cutAt = f.link.writes().last().atMs;

    gestures::key(e.SetBox, 13);
    QCOMPARE(f.link.writes().size(), failingByte); // held: zero bytes
    QCOMPARE(f.shell->state().statusMessage, QStringLiteral("Biraz Sonra Tekrar Deneyin!"));

    QTest::qWait(CommandSender::kCutHoldMs + 50);
    gestures::key(e.SetBox, 13);
    QCOMPARE(f.link.written().mid(failingByte), bytes({0xA4, 1, 57}));
    QVERIFY(f.link.writes().at(failingByte).atMs - cutAt >= CommandSender::kCutHoldMs);
    QVERIFY(e.SetBox->isHidden());
}

void TuningTest::hintFollowsThePointerOverBandsAndTheSwitchOver()
{
    FrameShown f;
    const auto &e = f.window().el();
    gestures::move(e.ca2, QPointF(100 / 15.0, 100 / 15.0), Qt::NoButton);
    QVERIFY(!e.heyo->isHidden());
    QCOMPARE(e.heyo->left(), 8100.0);
    QCOMPARE(e.heyo->top(), 3850.0);
    QCOMPARE(e.heyo->twipsWidth(), 1700.0);
    QCOMPARE(e.heyo->caption(), QStringLiteral("1500-2500RPM Ayarı!"));
    // On the bounds the hint is not touched.
    gestures::move(e.ca1, QPointF(0, 100 / 15.0), Qt::NoButton);
    gestures::move(e.ca1, QPointF(100 / 15.0, 225 / 15.0), Qt::NoButton);
    QCOMPARE(e.heyo->caption(), QStringLiteral("1500-2500RPM Ayarı!"));

    // Over the switch-over temperature it sits below the pointer.
    gestures::move(e.Setterm, QPointF(100 / 15.0, 100 / 15.0), Qt::NoButton);
    QCOMPARE(e.heyo->left(), 3100.0);
    QCOMPARE(e.heyo->top(), 3450.0);
    QCOMPARE(e.heyo->caption(), QStringLiteral("Click to Mouse Button!"));
    QCOMPARE(e.heyo->twipsWidth(), 1700.0);
    e.heyo->setCaption(QStringLiteral("x"));
    gestures::move(e.Setterm, QPointF(100 / 15.0, 0), Qt::NoButton);
    QCOMPARE(e.heyo->caption(), QStringLiteral("x"));
}

void TuningTest::calibrationSendsOnTheSecondClickOfTheSameLabel_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<int>("reading");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("message");
    QTest::newRow("quarter twice sends the reading")
        << QStringList{"Sc", "Sc"} << 57 << bytes({0xA4, 9, 57}) << "1/4 Depo Ayarı!";
    QTest::newRow("full then empty twice")
        << QStringList{"Sf", "Se", "Se"} << 33 << bytes({0xA4, 10, 33}) << "Boş Depo Ayarı!";
    QTest::newRow("one click sends nothing") << QStringList{"Sy"} << 80 << QByteArray() << "";
    QTest::newRow("three quarters")
        << QStringList{"SSc", "SSc"} << 140 << bytes({0xA4, 7, 140}) << "3/4 Level Sensor Setting!";
    QTest::newRow("full") << QStringList{"Sf", "Sf"} << 199 << bytes({0xA4, 6, 199})
                          << "Dolu Depo Ayarı!";
    QTest::newRow("half") << QStringList{"Sy", "Sy"} << 101 << bytes({0xA4, 8, 101})
                          << "2/4 Depo Ayarı!";
    QTest::newRow("reading 0 keeps the stored value")
        << QStringList{"Sc", "Sc"} << 0 << bytes({0xA4, 9, 50}) << "1/4 Depo Ayarı!";
}

void TuningTest::calibrationSendsOnTheSecondClickOfTheSameLabel()
{
    QFETCH(QStringList, clicks);
    QFETCH(int, reading);
    QFETCH(QByteArray, frame);
    QFETCH(QString, message);
    FrameShown f; // stored points 200, 150, 100, 50, 10
    const auto &e = f.window().el();
    for (const QString &name : clicks) {
        auto *label = qobject_cast<SkinLabel *>(f.shell->mainWindow().element(name));
        gestures::click(label);
        // The live reading flows into the armed label.
        f.shell->state().sensorLevel = reading;
        ShellFixture::tick(e.SensorX);
    }
    QCOMPARE(f.link.written(), frame);
    QCOMPARE(f.shell->state().statusMessage, message);
    auto *last = qobject_cast<SkinLabel *>(f.shell->mainWindow().element(clicks.last()));
    const bool sent = !frame.isEmpty();
    QCOMPARE(last->backColor(), sent ? QColor(Qt::white) : QColor(0xFF, 0x80, 0x80));
    QCOMPARE(f.shell->state().levelCalibStep, sent ? 0.0 : 3.0);
    if (clicks.first() != clicks.last()) // a point left armed stays light red
        QCOMPARE(e.Sf->backColor(), QColor(0xFF, 0x80, 0x80));
}

void TuningTest::switchOverTemperatureIsSentAs230MinusDegrees_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QByteArray>("frame"); // empty: refused
    QTest::addColumn<QString>("message");
    QTest::newRow("90") << "90" << bytes({0xA4, 5, 140}) << "Isı Ayarı Yapıldı!";
    QTest::newRow("0") << "0" << bytes({0xA4, 5, 230}) << "Isı Ayarı Yapıldı!";
    QTest::newRow("-25 is the lowest") << "-25" << bytes({0xA4, 5, 255}) << "Isı Ayarı Yapıldı!";
    QTest::newRow("230 is the highest") << "230" << bytes({0xA4, 5, 0}) << "Isı Ayarı Yapıldı!";
    QTest::newRow("-26 is out of range") << "-26" << QByteArray() << "Değer Aralık Dışı!";
    QTest::newRow("231 is out of range") << "231" << QByteArray() << "Değer Aralık Dışı!";
    QTest::newRow("letters") << "abc" << QByteArray() << "Geçersiz Değer!";
    QTest::newRow("letters after digits") << "90abc" << QByteArray() << "Geçersiz Değer!";
    QTest::newRow("exponent") << "9e1" << bytes({0xA4, 5, 140}) << "Isı Ayarı Yapıldı!";
    QTest::newRow("not a number") << "nan" << QByteArray() << "Geçersiz Değer!";
}

void TuningTest::switchOverTemperatureIsSentAs230MinusDegrees()
{
    QFETCH(QString, entry);
    QFETCH(QByteArray, frame);
    QFETCH(QString, message);
    FrameShown f;
    const auto &e = f.window().el();
    gestures::click(e.Setterm);
    QVERIFY(!e.settermm->isHidden());
    QCOMPARE(e.settermm->text(), QStringLiteral("0"));
    typeAndEnter(e.settermm, entry);
    QCOMPARE(f.link.written(), frame);
    QCOMPARE(f.shell->state().statusMessage, message);
    QCOMPARE(e.settermm->isHidden(), !frame.isEmpty());
    QCOMPARE(e.Setterm->caption(), QStringLiteral("70")); // the unit rewrites it
}

void TuningTest::switchOverStepsOneDegree_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("raise 90") << "90" << 1 << "91" << bytes({0xA4, 5, 139});
    QTest::newRow("lower 90") << "90" << -1 << "89" << bytes({0xA4, 5, 141});
    QTest::newRow("raise before the first frame") << "0" << 1 << "1" << bytes({0xA4, 5, 229});
    QTest::newRow("raise past 230 is refused") << "230" << 1 << "230" << QByteArray();
    QTest::newRow("lower past -25 is refused") << "-25" << -1 << "-25" << QByteArray();
}

void TuningTest::switchOverStepsOneDegree()
{
    QFETCH(QString, shown);
    QFETCH(int, step);
    QFETCH(QString, after);
    QFETCH(QByteArray, frame);
    LoadedShell f;
    const auto &e = f.window().el();
    e.Setterm->setCaption(shown);
    e.TA->show();
    e.TE->show();
    gestures::click(step > 0 ? e.TA : e.TE);
    QCOMPARE(e.Setterm->caption(), after);
    QCOMPARE(f.link.written(), frame);
    QCOMPARE(f.shell->state().statusMessage,
             frame.isEmpty() ? QStringLiteral("Değer Aralık Dışı!") : QString());
}

void TuningTest::stepClosesAnOpenEntryWithoutSendingIt()
{
    FrameShown f;
    const auto &e = f.window().el();
    gestures::click(e.Setterm);
    gestures::typeText(e.settermm, QStringLiteral("55"));
    e.TE->show();
    gestures::click(e.TE);
    QVERIFY(e.settermm->isHidden());
    QCOMPARE(f.link.written(), bytes({0xA4, 5, 161})); // 69 degrees, not 055
}

void TuningTest::faceDoubleClickSendsTheMaskOfAllFaces_data()
{
    QTest::addColumn<int>("frameMask"); // -1: before the first frame
    QTest::addColumn<QString>("face");
    QTest::addColumn<int>("mask");
    QTest::addColumn<QString>("message");
    QTest::newRow("all rows on gas, Lpg to petrol")
        << 60 << "Lpg" << 188 << "Gaz Kapalı Benzin Acık Konumda!";
    QTest::newRow("petrol, row 1 on") << 128 << "silindir2" << 144 << "1 Sıra Gazda!";
    QTest::newRow("row 2 off") << 60 << "silin1" << 28 << "2 Sıra Gaz Kapalı!";
    QTest::newRow("row 3 on") << 128 << "silindir3" << 136 << "3 Sıra Gazda!";
    QTest::newRow("row 4 on") << 128 << "silindir4" << 132 << "4 Sıra Gazda!";
    QTest::newRow("row 2 on") << 128 << "silindir1" << 160 << "2 Sıra Gazda!";
    QTest::newRow("row 1 off") << 60 << "silin2" << 44 << "1 Sıra Gaz Kapalı!";
    QTest::newRow("row 3 off") << 60 << "silin3" << 52 << "3 Sıra Gaz Kapalı!";
    QTest::newRow("row 4 off") << 60 << "silin4" << 56 << "4 Sıra Gaz Kapalı!";
    QTest::newRow("petrol to gas") << 128 << "petrol" << 0 << "Benzin Kapalı Gaz Acık Konumda!";
    QTest::newRow("before a frame, petrol")
        << -1 << "petrol" << 60 << "Benzin Kapalı Gaz Acık Konumda!";
    QTest::newRow("before a frame, row 3") << -1 << "silindir3" << 188 << "3 Sıra Gazda!";
}

void TuningTest::faceDoubleClickSendsTheMaskOfAllFaces()
{
    QFETCH(int, frameMask);
    QFETCH(QString, face);
    QFETCH(int, mask);
    QFETCH(QString, message);
    LoadedShell f;
    if (frameMask >= 0)
        f.poll(zcore::telemetryFrame(payloads::payload({{9, frameMask}})));
    auto *picture = qobject_cast<SkinPicture *>(f.shell->mainWindow().element(face));
    gestures::click(picture); // a single click does nothing
    QVERIFY(f.link.writes().isEmpty());
    gestures::doubleClick(picture);
    QCOMPARE(f.link.written(), bytes({0xA4, 4, mask}));
    QVERIFY(picture->isHidden());
    QCOMPARE(f.shell->state().statusMessage, message);
}

void TuningTest::backgroundMovementRevealsArrowsPicksRowsAndHints()
{
    LoadedShell f;
    const auto &e = f.window().el();
    MainWindow &w = f.shell->mainWindow();
    auto moveTo = [&](double x, double y, Qt::MouseButtons buttons = Qt::NoButton) {
        gestures::move(&w, QPointF(x / 15.0, y / 15.0), buttons);
    };
    QVERIFY(!e.TA->isHidden() && !e.TE->isHidden()); // until the first movement
    moveTo(1000, 1000);
    QVERIFY(e.TA->isHidden() && e.TE->isHidden());
    moveTo(4300, 3400);
    QVERIFY(!e.TA->isHidden() && e.TE->isHidden());
    moveTo(4200, 3401); // the revealed arrow covers this point: not the background
    QVERIFY(!e.TA->isHidden());
    moveTo(4390, 3560); // right of the arrow, clear of the temperature label
    QVERIFY(e.TA->isHidden() && e.TE->isHidden());

    moveTo(6000, 3500, Qt::LeftButton);
    QVERIFY(!e.selc3->isHidden() && e.selc1->isHidden() && e.selc2->isHidden());
    QCOMPARE(e.heyo->caption(), QStringLiteral("Gaz Kalori Ayarı!"));
    QCOMPARE(e.heyo->left(), 6000.0);
    QCOMPARE(e.heyo->top(), 3850.0);
    moveTo(6000, 4300, Qt::LeftButton);
    QVERIFY(!e.selc1->isHidden() && e.selc3->isHidden());

    moveTo(9000, 800);
    QVERIFY(!e.heyo->isHidden());
    QCOMPARE(e.heyo->caption(), QStringLiteral("Yakıt Sistemi Ayarı!"));
    QCOMPARE(e.heyo->top(), 1150.0);
    moveTo(4800, 4800);
    QVERIFY(e.heyo->isHidden());
}

QTEST_MAIN(TuningTest)
#include "tst_tuning.moc"
