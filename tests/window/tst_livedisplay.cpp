// Accepted frames through the poll cycle onto the window.
#include "core/frame.h"
#include "support/payloads.h"
#include "support/shellfixture.h"
#include "telemetry/livedisplay.h"
#include "ui/mainwindow.h"
#include "ui/skinlabel.h"
#include "ui/skinpicture.h"
#include "ui/skintextbox.h"
#include "ui/skintimer.h"

#include <QLocale>
#include <QTest>

namespace {
const QColor kMarked(0x00, 0xA0, 0xA0);
const QColor kUnmarked(0x00, 0x46, 0x80);

// Channel words set so that channel k has in + out = sum[k] (0: no speed).
QByteArray framedPayload(std::array<int, 4> sums, int mask = 0)
{
    QByteArray p = payloads::payload({{9, mask}});
    const int inPos[] = {1, 3, 5, 7};
    const int outPos[] = {12, 14, 16, 18};
    for (int k = 0; k < 4; ++k) {
        if (sums[size_t(k)] == 0)
            continue;
        const int in = 300, out = sums[size_t(k)] - in;
        p[inPos[k] - 1] = char(in & 0xFF);
        p[inPos[k]] = char(in >> 8);
        p[outPos[k] - 1] = char(out & 0xFF);
        p[outPos[k]] = char(out >> 8);
    }
    return zcore::telemetryFrame(p);
}

template <size_t N> QStringList captions(const std::array<SkinLabel *, N> &labels)
{
    QStringList out;
    for (const SkinLabel *l : labels)
        out.append(l->caption());
    return out;
}
} // namespace

class LiveDisplayTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void workedFrameShowsEveryElement();
    void frameOfZeroWordsShowsNoReadings();
    void facesAreSetOnEveryFrameWhateverAGestureDid();
    void calibrationLabelsAreFrozenWhileAPointIsArmed();
    void newestSpeedEntryComesFirstAndHeadsDecideTheMarks();
    void speedListsKeepABoundedNumberOfLines();
    void commaDesktopShowsCommasAndWholeSpeeds();
};

void LiveDisplayTest::workedFrameShowsEveryElement()
{
    LoadedShell f;
    const auto &e = f.window().el();
    f.poll();

    QCOMPARE(captions(e.inTimes), QStringList({"3.94", "---", "7.91", "1"}));
    QCOMPARE(captions(e.outTimes), QStringList({"11.8", "0", "7.91", "---"})); // out2..4, out1
    QCOMPARE(captions(e.speedLists),
             QStringList({"7571.35703555333\r", "", "7571.35703555333\r", ""}));
    QCOMPARE(e.si1->foreColor(), kMarked);
    QCOMPARE(e.si2->foreColor(), kUnmarked);
    QCOMPARE(e.si3->foreColor(), kUnmarked);
    QCOMPARE(e.si4->foreColor(), kUnmarked);
    QCOMPARE(e.rpmB->caption(), QStringLiteral("7571"));
    QCOMPARE(e.rpms->caption(), QStringLiteral("7571"));
    QVERIFY(!e.PowerH->isHidden() && e.powerL->isHidden());
    QCOMPARE(captions(e.bandLevels), QStringList({"10", "20", "30", "40"}));
    QVERIFY(!e.petrol->isHidden() && e.Lpg->isHidden());
    QVERIFY(!e.silin1->isHidden() && e.silindir1->isHidden());
    for (SkinPicture *off : {e.silindir2, e.silindir3, e.silindir4})
        QVERIFY(!off->isHidden());
    for (SkinPicture *on : {e.silin2, e.silin3, e.silin4})
        QVERIFY(on->isHidden());
    QCOMPARE(e.Derece->caption(), QStringLiteral("90"));
    QCOMPARE(f.shell->state().sensorLevel, 100.0);
    QCOMPARE(captions(e.levelPoints), QStringList({"200", "150", "100", "50", "10"}));
    QCOMPARE(e.Setterm->caption(), QStringLiteral("70"));
    QCOMPARE(e.DebugX->text(), QStringLiteral("F4-01-00-00-E8-03-81-00-A0-00-00-DC-05-03-00-E8-"
                                              "03-00-00-8C-64-0A-14-1E-28-C8-96-64-32-0A"));
}

void LiveDisplayTest::frameOfZeroWordsShowsNoReadings()
{
    LoadedShell f;
    const auto &e = f.window().el();
    f.poll(zcore::telemetryFrame(payloads::payload()));
    QCOMPARE(captions(e.inTimes) + captions(e.outTimes), QStringList(8, QStringLiteral("---")));
    for (SkinLabel *l : e.speedLists) {
        QCOMPARE(l->caption(), QString());
        QCOMPARE(l->foreColor(), kUnmarked);
    }
    QCOMPARE(e.rpmB->caption(), QString());
    QCOMPARE(e.rpms->caption(), QString());
    QVERIFY(!e.powerL->isHidden() && e.PowerH->isHidden());
    QCOMPARE(e.Derece->caption(), QStringLiteral("230"));
    QVERIFY(!e.Lpg->isHidden() && e.petrol->isHidden());
}

void LiveDisplayTest::facesAreSetOnEveryFrameWhateverAGestureDid()
{
    LoadedShell f;
    const auto &e = f.window().el();
    const QByteArray frame = framedPayload({0, 0, 0, 0}, 160);
    f.poll(frame);
    // A gesture shows both faces of a pair and swaps the power face.
    e.silin2->show();
    e.Lpg->show();
    emit e.powerL->clicked();
    f.poll(frame);
    QVERIFY(e.silin2->isHidden() && !e.silindir2->isHidden());
    QVERIFY(e.Lpg->isHidden() && !e.petrol->isHidden());
    QVERIFY(e.PowerH->isHidden() && !e.powerL->isHidden());
}

void LiveDisplayTest::calibrationLabelsAreFrozenWhileAPointIsArmed()
{
    LoadedShell f;
    const auto &e = f.window().el();
    f.shell->state().levelCalibStep = 3;
    f.poll();
    QCOMPARE(captions(e.levelPoints), QStringList({"0", "0", "0", "0", "0"}));
    QCOMPARE(e.ca1->caption(), QStringLiteral("10"));
    QCOMPARE(f.shell->state().sensorLevel, 100.0);
    f.shell->state().levelCalibStep = 0;
    f.poll();
    QCOMPARE(captions(e.levelPoints), QStringList({"200", "150", "100", "50", "10"}));
}

void LiveDisplayTest::newestSpeedEntryComesFirstAndHeadsDecideTheMarks()
{
    LoadedShell f;
    const auto &e = f.window().el();
    // Heads 1000, 2000, 500, 500 (entries are 15120000 / (S - 3)).
    f.poll(framedPayload({15123, 7563, 30243, 30243}));
    QCOMPARE(e.rpmB->caption(), QStringLiteral("2000"));
    QCOMPARE(e.si1->foreColor(), kMarked);
    QCOMPARE(e.si2->foreColor(), kMarked);
    QCOMPARE(e.si3->foreColor(), kUnmarked);
    QVERIFY(e.PowerH->isHidden()); // 2000 is not above 2000

    // A frame with no speeds keeps the lists but recomputes the marks.
    f.poll(framedPayload({0, 0, 0, 6003}));
    QVERIFY(e.si4->caption().startsWith(QStringLiteral("2520\r500\r")));
    QCOMPARE(e.rpmB->caption(), QStringLiteral("2520"));
    QCOMPARE(e.si4->foreColor(), kMarked);
    QCOMPARE(e.si1->foreColor(), kMarked); // above list 3's head
    QCOMPARE(e.si2->foreColor(), kUnmarked);
    QVERIFY(!e.PowerH->isHidden());
}

void LiveDisplayTest::speedListsKeepABoundedNumberOfLines()
{
    LoadedShell f;
    const auto &e = f.window().el();
    const QByteArray frame = framedPayload({15123, 0, 0, 0});
    for (int i = 0; i < 500; ++i)
        f.poll(frame);
    QCOMPARE(e.si1->caption().count(QLatin1Char('\r')), LiveDisplay::kSpeedLinesKept);
    QCOMPARE(e.rpmB->caption(), QStringLiteral("1000"));
}

void LiveDisplayTest::commaDesktopShowsCommasAndWholeSpeeds()
{
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    LoadedShell f;
    const auto &e = f.window().el();
    f.poll();
    QCOMPARE(e.in1->caption(), QStringLiteral("3,94"));
    QCOMPARE(e.out2->caption(), QStringLiteral("11,8"));
    QCOMPARE(e.si1->caption(), QStringLiteral("7570\r"));
    QCOMPARE(e.rpmB->caption(), QStringLiteral("7570"));
}

QTEST_MAIN(LiveDisplayTest)
#include "tst_livedisplay.moc"
