// A day at the workshop, accelerated: frames through the poll cycle for many
// hours of cycles keep memory flat and the growing captions bounded.
#include "core/frame.h"
#include "support/payloads.h"
#include "support/shellfixture.h"
#include "telemetry/livedisplay.h"
#include "ui/linksupervision.h"
#include "ui/mainwindow.h"
#include "ui/skinlabel.h"
#include "ui/skintimer.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>

namespace {
// Resident memory in kilobytes, from the kernel.
qint64 residentKb()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.value(1).toLongLong() * 4;
}

QByteArray frameWithSpeeds(int cycle)
{
    QByteArray p = payloads::payload({{9, cycle % 2 ? 60 : 128}, {21, cycle % 256}});
    for (int k = 0; k < 4; ++k) {
        const int in = 400 + (cycle * 7 + k * 13) % 300;
        const int out = 15000 + (cycle * 31 + k * 101) % 9000;
        p[2 * k] = char(in & 0xFF);
        p[2 * k + 1] = char(in >> 8);
        p[11 + 2 * k] = char(out & 0xFF);
        p[12 + 2 * k] = char(out >> 8);
    }
    return zcore::telemetryFrame(p);
}
} // namespace

class LongSessionTest : public QObject {
    Q_OBJECT
private slots:
    void aDayOfFramesKeepsMemoryFlat();
};

void LongSessionTest::aDayOfFramesKeepsMemoryFlat()
{
#ifndef Q_OS_LINUX
    QSKIP("reads resident memory from /proc");
#endif
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer holds freed memory in quarantine: resident memory is
    // not the program's own there.
    QSKIP("resident memory is not meaningful under AddressSanitizer");
#endif
    ShellFixture f;
    f.loadWith();
    const auto &e = f.window().el();
    // 288000 cycles of 300 ms are a day; every cycle carries a frame with a
    // speed on each channel and every third one logs a message.
    constexpr int kCycles = 288000;
    qint64 warm = 0;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        f.link.receive(frameWithSpeeds(cycle));
        ShellFixture::tick(e.Timer2);
        if (cycle % 3 == 0) {
            f.shell->state().statusMessage = QStringLiteral("message %1").arg(cycle);
            ShellFixture::tick(e.Timer4);
        }
        ShellFixture::tick(e.SensorX);
        if (cycle % 1000 == 0)
            QCoreApplication::processEvents();
        if (cycle == kCycles / 10)
            warm = residentKb();
    }
    QCoreApplication::processEvents();
    const qint64 end = residentKb();
    qInfo("resident memory after 10%% of the day: %lld kB, at its end: %lld kB", warm, end);
    QVERIFY2(end - warm < 2048, qPrintable(QStringLiteral("grew %1 kB").arg(end - warm)));
    QCOMPARE(e.si1->caption().count(QLatin1Char('\r')), LiveDisplay::kSpeedLinesKept);
    QCOMPARE(e.ErrorList->caption().count(QLatin1Char('\r')), LinkSupervision::kLogLinesKept);
}

QTEST_MAIN(LongSessionTest)
#include "tst_longsession.moc"
