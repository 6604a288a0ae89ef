// The help window and the browser elements.
#include "shell/gestures.h"
#include "shell/helpwindow.h"
#include "shell/platform.h"
#include "support/shellfixture.h"
#include "ui/mainwindow.h"
#include "ui/skinbrowser.h"
#include "ui/skinlabel.h"
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
    void animationPanelNavigatesAtLoadAndTwoClicksGiveOneHelpWindow();
    void closingHelpRestartsSupervisionAndLeavesTheProgramRunning();
    void browserShowsWhatItCanAndSaysSoOtherwise();
};

void HelpTest::animationPanelNavigatesAtLoadAndTwoClicksGiveOneHelpWindow()
{
    LoadedShell f;
    QCOMPARE(f.window().el().showV->document(), platform::ownFile(QStringLiteral("dravon.swf")));
    QCOMPARE(f.window().el().showV->navigationCount(), 1);
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
    LoadedShell f;
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
    // The lost link is reported again only after 31 more silent cycles.
    ShellFixture::tick(e.Timer2, 30);
    QVERIFY(!e.kapa->isEnabled());
    ShellFixture::tick(e.Timer2);
    QVERIFY(e.kapa->isEnabled());
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

QTEST_MAIN(HelpTest)
#include "tst_help.moc"
