// The help window, the browser elements and the band chart on the window.
#include "shell/gestures.h"
#include "shell/helpwindow.h"
#include "shell/platform.h"
#include "support/payloads.h"
#include "support/shellfixture.h"
#include "ui/mainwindow.h"
#include "ui/skinbrowser.h"
#include "ui/skinlabel.h"
#include "ui/skinpicture.h"
#include "ui/skintimer.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
// The smallest animated-picture file: a 1 x 1 GIF.
const QByteArray kTinyGif = QByteArray::fromHex(
    "47494638396101000100800000000000ffffff21f90401000000002c00000000010001000002024401003b");

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile f(dir.filePath(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return f.fileName();
}
} // namespace

class HelpTest : public QObject {
    Q_OBJECT
private slots:
    void twoClicksGiveOneWindowAndTwoNavigations();
    void closingHelpRestartsSupervisionAndLeavesTheProgramRunning();
    void browserShowsWhatItCanAndSaysSoOtherwise();
    void animationPanelNavigatesAtLoad();
    void chartDrawsThePickedRowInItsColours();
    void chartShowsTheNewRowAtTheNextPass();
};

void HelpTest::twoClicksGiveOneWindowAndTwoNavigations()
{
    ShellFixture f;
    f.loadWith();
    SkinLabel *kablo = f.window().el().kablo;
    gestures::click(kablo);
    HelpWindow *help = f.shell->help();
    QVERIFY(help && help->isVisible());
    gestures::click(kablo);
    QCOMPARE(f.shell->help(), help);
    QCOMPARE(help->el().WebBrowser1->navigationCount(), 2);
    QCOMPARE(help->el().WebBrowser1->document(),
             platform::ownFile(QStringLiteral("TanıtımMulti.mht")));
    QCOMPARE(help->windowTitle(), QStringLiteral("Help"));
}

void HelpTest::closingHelpRestartsSupervisionAndLeavesTheProgramRunning()
{
    ShellFixture f;
    f.loadWith();
    const auto &e = f.window().el();
    ShellFixture::tick(e.Timer2, 31);
    e.kapa->tickNow();
    ShellFixture::tick(e.Timer2, 12);
    gestures::click(e.kablo);
    QSignalSpy ended(f.shell.get(), &AppShell::programEnded);
    f.shell->help()->close();
    QCOMPARE(ended.size(), 0);
    QCOMPARE(f.shell->state().silentTicks, 0.0);
    QCOMPARE(f.shell->mainWindow().windowAttribute(), 0);
    QVERIFY(f.link.isOpen());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!f.shell->help()); // unloaded; the next click makes it again
    gestures::click(e.kablo);
    QVERIFY(f.shell->help() && f.shell->help()->isVisible());
}

void HelpTest::browserShowsWhatItCanAndSaysSoOtherwise()
{
    QTemporaryDir dir;
    QWidget host;
    SkinBrowser browser(&host);
    browser.setTwipsGeometry(0, 0, 3000, 3000);

    browser.navigate(dir.filePath("missing.mht"));
    QCOMPARE(browser.showing(), SkinBrowser::Showing::CannotShow);
    browser.navigate(writeFile(dir, "dravon.swf", kTinyGif));
    QCOMPARE(browser.showing(), SkinBrowser::Showing::Animation);
    browser.navigate(
        writeFile(dir, "page.mht",
                  "Content-Type: multipart/related; boundary=b\r\n\r\n--b\r\n"
                  "Content-Type: text/html\r\n\r\n<h1>Yard\xc4\xb1m</h1>\r\n--b--\r\n"));
    QCOMPARE(browser.showing(), SkinBrowser::Showing::Page);
    browser.navigate(writeFile(dir, "cut.mht",
                               "Content-Type: multipart/related; boundary=b\r\n\r\n--b\r\n"
                               "Content-Type: text/html\r\n\r\n<h1>Yard"));
    QCOMPARE(browser.showing(), SkinBrowser::Showing::CannotShow);
    browser.setStillArtwork(QStringLiteral("showv-still"));
    browser.navigate(writeFile(dir, "flash.swf", "FWS\x09 not a player we have"));
    QCOMPARE(browser.showing(), SkinBrowser::Showing::Still);
}

void HelpTest::animationPanelNavigatesAtLoad()
{
    ShellFixture f;
    f.loadWith();
    QCOMPARE(f.window().el().showV->document(), platform::ownFile(QStringLiteral("dravon.swf")));
    QCOMPARE(f.window().el().showV->navigationCount(), 1);
}

void HelpTest::chartDrawsThePickedRowInItsColours()
{
    ShellFixture f;
    f.loadWith();
    const auto &e = f.window().el();
    QVERIFY(!f.shell->mainWindow().chart());
    f.link.receive(payloads::workedFrame()); // bands 10, 20, 30, 40
    ShellFixture::tick(e.Timer2);
    e.selc1->hide();
    e.selc3->show();
    ShellFixture::tick(e.Timer3);
    const auto &chart = f.shell->mainWindow().chart();
    QVERIFY(chart);
    QCOMPARE((*chart)[2].top, 1850 + (137 - 20) * 10.0);

    const QImage shot = f.shell->mainWindow().grab().toImage();
    // Bar 2 spans pixels 450..537 across and 201..215 down; white above it.
    QCOMPARE(shot.pixelColor(490, 210), QColor(0xFF, 0xFF, 0x80));
    QCOMPARE(shot.pixelColor(490, 150), QColor(Qt::white));
    QCOMPARE(shot.pixelColor(400, 210), QColor(0x80, 0xFF, 0x80)); // bar 1
    QCOMPARE(shot.pixelColor(700, 200), QColor(0xC0, 0xC0, 0xC0)); // bar 4 from 188
    QCOMPARE(shot.pixelColor(600, 200), QColor(0x80, 0x80, 0xFF)); // bar 3 from 195
    QCOMPARE(shot.pixelColor(600, 190), QColor(Qt::white));
}

void HelpTest::chartShowsTheNewRowAtTheNextPass()
{
    ShellFixture f;
    f.loadWith();
    const auto &e = f.window().el();
    f.link.receive(payloads::workedFrame());
    ShellFixture::tick(e.Timer2);
    ShellFixture::tick(e.Timer3); // the third row (in times) at start
    QCOMPARE((*f.shell->mainWindow().chart())[1].top, double(float(1850 + 1350 - 45 * 3.94)));
    gestures::move(&f.shell->mainWindow(), QPointF(6000 / 15.0, 3900 / 15.0), Qt::LeftButton);
    ShellFixture::tick(e.Timer3);
    QCOMPARE(float((*f.shell->mainWindow().chart())[1].top), float(1850 + 1350 - 9 * 11.8));
}

QTEST_MAIN(HelpTest)
#include "tst_help.moc"
