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
#include <QSet>
#include <QTest>

namespace {
// Counts the paint events each widget of a window receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget *window) : QObject(window)
    {
        window->installEventFilter(this);
        for (QWidget *child : window->findChildren<QWidget *>())
            child->installEventFilter(this);
    }
    QSet<QObject *> painted;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted.insert(watched);
        return false;
    }
};

// Lets the window paint what is pending.
void paintPending(QWidget *window)
{
    QCoreApplication::sendPostedEvents(window, QEvent::UpdateRequest);
    QCoreApplication::processEvents();
}

// A shell showing the worked frame and its chart, with every pending repaint
// done; false when the window never became exposed.
bool showWorkedFrame(ShellFixture &f)
{
    f.loadWith();
    MainWindow &w = f.shell->mainWindow();
    f.link.receive(payloads::workedFrame());
    ShellFixture::tick(w.el().Timer2);
    w.showNormal();
    if (!QTest::qWaitForWindowExposed(&w))
        return false;
    ShellFixture::tick(w.el().Timer3);
    paintPending(&w);
    return true;
}

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
    void aRepeatedFrameRepaintsOnlyTheLabelsItChanged();
    void anUnchangedChartIsNotRepainted();
};

void LiveDisplayTest::workedFrameShowsEveryElement()
{
    ShellFixture f;
    f.loadWith();
    const auto &e = f.window().el();
    f.link.receive(payloads::workedFrame());
    ShellFixture::tick(e.Timer2);

    QCOMPARE(e.in1->caption(), QStringLiteral("3.94"));
    QCOMPARE(e.in2->caption(), QStringLiteral("---"));
    QCOMPARE(e.in3->caption(), QStringLiteral("7.91"));
    QCOMPARE(e.in4->caption(), QStringLiteral("1"));
    QCOMPARE(e.out2->caption(), QStringLiteral("11.8"));
    QCOMPARE(e.out3->caption(), QStringLiteral("0"));
    QCOMPARE(e.out4->caption(), QStringLiteral("7.91"));
    QCOMPARE(e.out1->caption(), QStringLiteral("---"));
    QCOMPARE(e.si1->caption(), QStringLiteral("7571.35703555333\r"));
    QCOMPARE(e.si3->caption(), QStringLiteral("7571.35703555333\r"));
    QCOMPARE(e.si2->caption(), QString());
    QCOMPARE(e.si4->caption(), QString());
    QCOMPARE(e.si1->foreColor(), kMarked);
    QCOMPARE(e.si2->foreColor(), kUnmarked);
    QCOMPARE(e.si3->foreColor(), kUnmarked);
    QCOMPARE(e.si4->foreColor(), kUnmarked);
    QCOMPARE(e.rpmB->caption(), QStringLiteral("7571"));
    QCOMPARE(e.rpms->caption(), QStringLiteral("7571"));
    QVERIFY(!e.PowerH->isHidden() && e.powerL->isHidden());
    QCOMPARE(e.ca1->caption(), QStringLiteral("10"));
    QCOMPARE(e.ca2->caption(), QStringLiteral("20"));
    QCOMPARE(e.ca3->caption(), QStringLiteral("30"));
    QCOMPARE(e.ca4->caption(), QStringLiteral("40"));
    QVERIFY(!e.petrol->isHidden() && e.Lpg->isHidden());
    QVERIFY(!e.silin1->isHidden() && e.silindir1->isHidden());
    for (SkinPicture *off : {e.silindir2, e.silindir3, e.silindir4})
        QVERIFY(!off->isHidden());
    for (SkinPicture *on : {e.silin2, e.silin3, e.silin4})
        QVERIFY(on->isHidden());
    QCOMPARE(e.Derece->caption(), QStringLiteral("90"));
    QCOMPARE(f.shell->state().sensorLevel, 100.0);
    QCOMPARE(e.Sf->caption(), QStringLiteral("200"));
    QCOMPARE(e.SSc->caption(), QStringLiteral("150"));
    QCOMPARE(e.Sy->caption(), QStringLiteral("100"));
    QCOMPARE(e.Sc->caption(), QStringLiteral("50"));
    QCOMPARE(e.Se->caption(), QStringLiteral("10"));
    QCOMPARE(e.Setterm->caption(), QStringLiteral("70"));
    QCOMPARE(e.DebugX->text(), QStringLiteral("F4-01-00-00-E8-03-81-00-A0-00-00-DC-05-03-00-E8-"
                                              "03-00-00-8C-64-0A-14-1E-28-C8-96-64-32-0A"));
}

void LiveDisplayTest::frameOfZeroWordsShowsNoReadings()
{
    ShellFixture f;
    f.loadWith();
    const auto &e = f.window().el();
    f.link.receive(zcore::telemetryFrame(payloads::payload()));
    ShellFixture::tick(e.Timer2);
    for (SkinLabel *l : {e.in1, e.in2, e.in3, e.in4, e.out1, e.out2, e.out3, e.out4})
        QCOMPARE(l->caption(), QStringLiteral("---"));
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
    ShellFixture f;
    f.loadWith();
    const auto &e = f.window().el();
    const QByteArray frame = framedPayload({0, 0, 0, 0}, 160);
    f.link.receive(frame);
    ShellFixture::tick(e.Timer2);
    // A gesture shows both faces of a pair and swaps the power face.
    e.silin2->show();
    e.Lpg->show();
    emit e.powerL->clicked();
    f.link.receive(frame);
    ShellFixture::tick(e.Timer2);
    QVERIFY(e.silin2->isHidden() && !e.silindir2->isHidden());
    QVERIFY(e.Lpg->isHidden() && !e.petrol->isHidden());
    QVERIFY(e.PowerH->isHidden() && !e.powerL->isHidden());
}

void LiveDisplayTest::calibrationLabelsAreFrozenWhileAPointIsArmed()
{
    ShellFixture f;
    f.loadWith();
    const auto &e = f.window().el();
    f.shell->state().levelCalibStep = 3;
    f.link.receive(payloads::workedFrame());
    ShellFixture::tick(e.Timer2);
    for (SkinLabel *l : e.levelPoints)
        QCOMPARE(l->caption(), QStringLiteral("0"));
    QCOMPARE(e.ca1->caption(), QStringLiteral("10"));
    QCOMPARE(f.shell->state().sensorLevel, 100.0);
    f.shell->state().levelCalibStep = 0;
    f.link.receive(payloads::workedFrame());
    ShellFixture::tick(e.Timer2);
    QCOMPARE(e.Sf->caption(), QStringLiteral("200"));
}

void LiveDisplayTest::newestSpeedEntryComesFirstAndHeadsDecideTheMarks()
{
    ShellFixture f;
    f.loadWith();
    const auto &e = f.window().el();
    // Heads 1000, 2000, 500, 500 (entries are 15120000 / (S - 3)).
    f.link.receive(framedPayload({15123, 7563, 30243, 30243}));
    ShellFixture::tick(e.Timer2);
    QCOMPARE(e.rpmB->caption(), QStringLiteral("2000"));
    QCOMPARE(e.si1->foreColor(), kMarked);
    QCOMPARE(e.si2->foreColor(), kMarked);
    QCOMPARE(e.si3->foreColor(), kUnmarked);
    QVERIFY(e.PowerH->isHidden()); // 2000 is not above 2000

    // A frame with no speeds keeps the lists but recomputes the marks.
    f.link.receive(framedPayload({0, 0, 0, 6003}));
    ShellFixture::tick(e.Timer2);
    QVERIFY(e.si4->caption().startsWith(QStringLiteral("2520\r500\r")));
    QCOMPARE(e.rpmB->caption(), QStringLiteral("2520"));
    QCOMPARE(e.si4->foreColor(), kMarked);
    QCOMPARE(e.si1->foreColor(), kMarked); // above list 3's head
    QCOMPARE(e.si2->foreColor(), kUnmarked);
    QVERIFY(!e.PowerH->isHidden());
}

void LiveDisplayTest::speedListsKeepABoundedNumberOfLines()
{
    ShellFixture f;
    f.loadWith();
    const auto &e = f.window().el();
    const QByteArray frame = framedPayload({15123, 0, 0, 0});
    for (int i = 0; i < 500; ++i) {
        f.link.receive(frame);
        ShellFixture::tick(e.Timer2);
    }
    QCOMPARE(e.si1->caption().count(QLatin1Char('\r')), LiveDisplay::kSpeedLinesKept);
    QCOMPARE(e.rpmB->caption(), QStringLiteral("1000"));
}

void LiveDisplayTest::commaDesktopShowsCommasAndWholeSpeeds()
{
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    ShellFixture f;
    f.loadWith();
    const auto &e = f.window().el();
    f.link.receive(payloads::workedFrame());
    ShellFixture::tick(e.Timer2);
    QCOMPARE(e.in1->caption(), QStringLiteral("3,94"));
    QCOMPARE(e.out2->caption(), QStringLiteral("11,8"));
    QCOMPARE(e.si1->caption(), QStringLiteral("7570\r"));
    QCOMPARE(e.rpmB->caption(), QStringLiteral("7570"));
}

void LiveDisplayTest::aRepeatedFrameRepaintsOnlyTheLabelsItChanged()
{
    ShellFixture f;
    QVERIFY(showWorkedFrame(f));
    MainWindow &w = f.shell->mainWindow();
    const auto &e = w.el();

    PaintCounter counter(&w);
    f.link.receive(payloads::workedFrame());
    ShellFixture::tick(e.Timer2);
    paintPending(&w);
    // The same frame again: only the two speed lists that took a new entry
    // change. Being transparent, they repaint with the skin behind them and
    // whatever lies over that part of it.
    QCOMPARE(e.si1->caption(), QStringLiteral("7571.35703555333\r7571.35703555333\r"));
    QSet<QObject *> expected{e.si1, e.si3, &w};
    for (SkinLabel *label : w.findChildren<SkinLabel *>()) {
        if (label->isVisible() && (label->geometry().intersects(e.si1->geometry()) ||
                                   label->geometry().intersects(e.si3->geometry())))
            expected.insert(label);
    }
    QCOMPARE(counter.painted, expected);
    QVERIFY(!counter.painted.contains(e.in1)); // a time that did not change
}

void LiveDisplayTest::anUnchangedChartIsNotRepainted()
{
    ShellFixture f;
    QVERIFY(showWorkedFrame(f));
    MainWindow &w = f.shell->mainWindow();
    const auto &e = w.el();

    PaintCounter counter(&w);
    ShellFixture::tick(e.Timer3);
    paintPending(&w);
    QVERIFY(counter.painted.isEmpty());
    // A new band level redraws the chart: the window repaints its box.
    for (SkinLabel *first : {e.ca1, e.in1, e.out2}) // the first bar of every row
        first->setCaption(QStringLiteral("2"));
    paintPending(&w);
    counter.painted.clear();
    ShellFixture::tick(e.Timer3);
    paintPending(&w);
    QVERIFY(counter.painted.contains(&w));
}

QTEST_MAIN(LiveDisplayTest)
#include "tst_livedisplay.moc"
