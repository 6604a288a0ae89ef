// Start-up with each kind of port file, the port-number dialog and the end of the program.
#include "shell/comportwindow.h"
#include "shell/gestures.h"
#include "support/processlocale.h"
#include "support/shellfixture.h"
#include "ui/mainwindow.h"
#include "ui/skinlabel.h"
#include "ui/skinpicture.h"
#include "ui/skintextbox.h"
#include "ui/skintimer.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#include <sys/fsuid.h>
#include <unistd.h>
#endif

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testlocale::adoptEnvironmentLocale(); }
    void startupOutcomeFollowsThePortFile_data();
    void startupOutcomeFollowsThePortFile();
    void emptyFileIsRewrittenAndALaterStartKeepsThePreviousPort();
    void successfulStartResetsTheWindow();
    void dialogStoresTheEntryAndStartsAgain_data();
    void dialogStoresTheEntryAndStartsAgain();
    void portChangeClosesThePortAndClosingItsDialogEndsTheProgram();
    void portFileThatCannotBeWrittenKeepsTheDialogOpen();
    void portFileInAFolderThatTakesNoNewFilesIsChangedInPlace();
    void portChosenWhereTheDriveRootTakesNoFileGoesToTheOwnCopy();
    void failureReasonIsInTheDialogTooltip();
};

void StartupTest::startupOutcomeFollowsThePortFile_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("busyPort");
    QTest::addColumn<bool>("mainVisible");
    QTest::addColumn<bool>("dialogVisible");
    QTest::addColumn<bool>("open");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("portNo");

    // exists, file, busy port; then main window and dialog shown, port open,
    // its number, the number shown.
    const auto row = [](const char *name, bool exists, const char *file, int busy, bool main,
                        bool dialog, bool open, int port, const char *shown) {
        QTest::newRow(name) << exists << QByteArray(file) << busy << main << dialog << open << port
                            << QString::fromLatin1(shown);
    };
    row("port 3", true, "\"Com-3\"\r\n", 0, true, false, true, 3, "3");
    row("missing file: first failure", false, "", 0, true, true, false, 0, "");
    row("empty file: second failure at the first start", true, "", 0, false, true, false, 0, "");
    row("no quotes: first failure", true, "Com-1\r\n", 0, true, true, false, 0, "");
    row("empty line after a good one: first failure, its number shown", true, "\"Com-3\"\r\n\r\n",
        0, true, true, false, 0, "3");
    row("six characters: port 0 refused", true, "\"Com-\"\r\n", 0, false, true, false, 0, "0");
    row("number beyond a port number: second failure", true, "\"Com-99999999999\"\r\n", 0, false,
        true, false, 0, "99999999999");
    row("busy port: second failure", true, "\"Com-3\"\r\n", 3, false, true, false, 3, "3");
}

void StartupTest::startupOutcomeFollowsThePortFile()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, file);
    QFETCH(int, busyPort);
    QFETCH(bool, mainVisible);
    QFETCH(bool, dialogVisible);
    QFETCH(bool, open);
    QFETCH(int, port);
    QFETCH(QString, portNo);

    ShellFixture f;
    if (busyPort)
        f.link.refuseOpen(busyPort);
    if (exists)
        f.writePortFile(file);
    f.shell->load();

    QCOMPARE(f.shell->mainWindow().isVisible(), mainVisible);
    QCOMPARE(f.shell->comPort().isVisible(), dialogVisible);
    QCOMPARE(f.link.isOpen(), open);
    QCOMPARE(f.link.portNumber(), port);
    if (open) { // once, with the line settings
        QCOMPARE(f.link.settings(), QStringLiteral("9600,N,8,1"));
        QCOMPARE(f.link.readLength(), 50);
        QCOMPARE(f.link.openCount(), 1);
    }
    QCOMPARE(f.window().el().PortNo->caption(), portNo);
    QCOMPARE(f.portFileExists(), exists); // a missing file is never created
    if (exists && !file.isEmpty())
        QCOMPARE(f.portFile(), file); // reading never changes a file
}

void StartupTest::emptyFileIsRewrittenAndALaterStartKeepsThePreviousPort()
{
    ShellFixture f;
    f.writePortFile({});
    f.shell->load();
    QCOMPARE(f.portFile(), QByteArray("\"Com-1\"\r\n"));
    QVERIFY(!f.link.isOpen());

    // A later start on an empty file uses the port number shown before.
    f.writePortFile("\"Com-3\"\r\n");
    f.shell->startup().start();
    QCOMPARE(f.link.portNumber(), 3);
    f.link.close();
    f.writePortFile({});
    f.shell->startup().start();
    QCOMPARE(f.portFile(), QByteArray("\"Com-1\"\r\n"));
    QCOMPARE(f.window().el().PortNo->caption(), QStringLiteral("3"));
    QVERIFY(f.link.isOpen()); // opened once more after the close
    QCOMPARE(f.link.portNumber(), 3);
}

void StartupTest::successfulStartResetsTheWindow()
{
    ShellFixture f;
    const auto &e = f.window().el();
    e.ErrorList->setCaption(QStringLiteral("old\r"));
    e.Lpg->show();
    e.selc3->show();
    f.loadWith();
    QCOMPARE(e.ErrorList->caption(), QString());
    QCOMPARE(e.rpms->caption(), QStringLiteral("----"));
    QCOMPARE(e.rpmB->caption(), QStringLiteral("----"));
    QVERIFY(!e.petrol->isHidden() && e.Lpg->isHidden());
    QVERIFY(!e.selc1->isHidden() && e.selc2->isHidden() && e.selc3->isHidden());
    QCOMPARE(f.shell->state().linkStatus, QStringLiteral("Bağlantı Yok!"));
    QCOMPARE(f.shell->state().iniPath, QStringLiteral("c:\\Ecu.ini"));

    QCOMPARE(e.Con1->caption(), QString());
    ShellFixture::tick(e.Timer1);
    QCOMPARE(e.Con1->caption(), QStringLiteral("Bağlantı Yok!"));
    QCOMPARE(e.con2->caption(), QStringLiteral("Bağlantı Yok!"));
}

void StartupTest::dialogStoresTheEntryAndStartsAgain_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("mainVisible");
    QTest::addColumn<bool>("open");
    QTest::newRow("4") << "4" << QByteArray("\"Com-4\"\r\n") << true << true;
    QTest::newRow("COM3 is port 0") << "COM3" << QByteArray("\"Com-0\"\r\n") << false << false;
    QTest::newRow("7x is 7") << "7x" << QByteArray("\"Com-7\"\r\n") << true << true;
}

void StartupTest::dialogStoresTheEntryAndStartsAgain()
{
    QFETCH(QString, entry);
    QFETCH(QByteArray, file);
    QFETCH(bool, mainVisible);
    QFETCH(bool, open);

    ShellFixture f;
    f.shell->load(); // no port file: the dialog beside the window
    SkinTextBox *text1 = f.shell->comPort().el().Text1;
    QVERIFY(f.shell->comPort().isVisible());
    gestures::typeText(text1, entry);
    QCOMPARE(text1->text(), entry);
    QVERIFY(gestures::key(text1, 13));

    QCOMPARE(f.portFile(), file);
    QCOMPARE(f.shell->mainWindow().isVisible(), mainVisible);
    QCOMPARE(f.link.isOpen(), open);
    // A refused number brings the dialog back with an empty entry.
    QCOMPARE(f.shell->comPort().isVisible(), !open);
    if (!open)
        QCOMPARE(text1->text(), QString());
    else
        QCOMPARE(f.link.portNumber(), int(f.portFile().mid(5, f.portFile().size() - 8).toInt()));
}

void StartupTest::portChangeClosesThePortAndClosingItsDialogEndsTheProgram()
{
    ShellFixture f;
    f.loadWith("\"Com-3\"\r\n");
    f.shell->mainWindow().show();
    QVERIFY(f.link.isOpen());
    gestures::click(f.window().el().ChangePrt);
    QVERIFY(!f.link.isOpen());
    QVERIFY(!f.shell->mainWindow().isVisible());
    QVERIFY(f.shell->comPort().isVisible());
    QCOMPARE(f.shell->comPort().el().Text1->text(), QString());

    // No frame is taken while the dialog is open.
    f.poll(QByteArray(40, 'x'));
    QCOMPARE(f.link.pending().size(), 40);

    // Closing the dialog ends the program and keeps the file as it was.
    QSignalSpy ended(f.shell.get(), &AppShell::programEnded);
    f.shell->comPort().close();
    QCOMPARE(ended.size(), 1);
    QCOMPARE(f.portFile(), QByteArray("\"Com-3\"\r\n"));
    QVERIFY(!f.shell->mainWindow().isVisible());
}

void StartupTest::portFileThatCannotBeWrittenKeepsTheDialogOpen()
{
    ShellFixture f;
    // A folder where the file should be: it can be neither read nor replaced.
    QVERIFY(QDir().mkpath(f.portFilePath()));
    f.shell->load();
    QVERIFY(f.shell->comPort().isVisible());
    SkinTextBox *text1 = f.shell->comPort().el().Text1;
    gestures::typeText(text1, QStringLiteral("4"));
    gestures::key(text1, 13);
    QVERIFY(f.shell->comPort().isVisible());
    QVERIFY(!f.link.isOpen());
    QCOMPARE(text1->text(), QStringLiteral("4"));
    QVERIFY(f.shell->comPort().toolTip().contains(QStringLiteral("cannot be written")));
}

namespace {

// While it lives, this thread touches files as an ordinary user would: for
// root, whom file permissions do not stop, the file-system user becomes
// "nobody" (on Linux that is per thread and drops root's file powers).
class OrdinaryFileAccess {
public:
    OrdinaryFileAccess()
    {
#ifdef Q_OS_LINUX
        if (::geteuid() == 0) {
            ::setfsgid(65534);
            ::setfsuid(65534);
            m_switched = true;
        }
#endif
    }
    ~OrdinaryFileAccess()
    {
#ifdef Q_OS_LINUX
        if (m_switched) {
            ::setfsuid(0);
            ::setfsgid(0);
        }
#endif
    }
    OrdinaryFileAccess(const OrdinaryFileAccess &) = delete;
    OrdinaryFileAccess &operator=(const OrdinaryFileAccess &) = delete;

private:
    bool m_switched = false;
};

// Types a port number into the dialog as an ordinary user while the port
// file's folder takes no new file, then makes the folder writable again.
// False (nothing typed) where this machine lets a file be created there
// all the same.
bool typePortWhereNoFileMayBeCreated(ShellFixture &f, const QString &number)
{
    bool refused = true;
    {
        OrdinaryFileAccess ordinary;
        QFile probe(f.dir.filePath(QStringLiteral("probe")));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            refused = false;
        } else {
            SkinTextBox *text1 = f.shell->comPort().el().Text1;
            gestures::typeText(text1, number);
            gestures::key(text1, 13);
        }
    }
    QFile::setPermissions(f.dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return refused;
}

} // namespace

void StartupTest::portFileInAFolderThatTakesNoNewFilesIsChangedInPlace()
{
    // As c:\ on Windows for a standard user: the port file may be changed,
    // but no file may be created beside it (so no temporary file either).
    ShellFixture f;
    f.link.refuseOpen(1);
    f.loadWith("\"Com-1\"\r\n");
    QVERIFY(f.shell->comPort().isVisible());
    using P = QFileDevice;
    const auto all = P::ReadOwner | P::ReadGroup | P::ReadOther;
    QFile::setPermissions(f.portFilePath(), all | P::WriteOwner | P::WriteGroup | P::WriteOther);
    QVERIFY(QFile::setPermissions(f.dir.path(), all | P::ExeOwner | P::ExeGroup | P::ExeOther));
    if (!typePortWhereNoFileMayBeCreated(f, QStringLiteral("4")))
        QSKIP("this machine lets any file be created in a read-only folder");
    QVERIFY2(!f.shell->comPort().isVisible(), qPrintable(f.shell->comPort().toolTip()));
    QCOMPARE(f.portFile(), QByteArray("\"Com-4\"\r\n"));
    QVERIFY(f.link.isOpen());
    QCOMPARE(f.link.portNumber(), 4);
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Ecu.ini"});
}

// A standard Windows user may create no file at c:\: the port chosen in the
// dialog goes to the own copy in the configuration folder, and is read from
// there.
void StartupTest::portChosenWhereTheDriveRootTakesNoFileGoesToTheOwnCopy()
{
    ShellFixture f;
    QTemporaryDir own;
    using P = QFileDevice::Permission;
    const auto everyone = P::ReadOwner | P::WriteOwner | P::ExeOwner | P::ReadGroup |
                          P::WriteGroup | P::ExeGroup | P::ReadOther | P::WriteOther | P::ExeOther;
    QVERIFY(QFile::setPermissions(own.path(), everyone));
    f.shell->startup().setOwnPortFileFolder(own.path());
    f.shell->load();
    QVERIFY(f.shell->comPort().isVisible()); // no port file anywhere

    const auto readOnly =
        P::ReadOwner | P::ExeOwner | P::ReadGroup | P::ExeGroup | P::ReadOther | P::ExeOther;
    QVERIFY(QFile::setPermissions(f.dir.path(), readOnly));
    if (!typePortWhereNoFileMayBeCreated(f, QStringLiteral("12")))
        QSKIP("this machine lets any file be created in a read-only folder");
    QVERIFY2(!f.shell->comPort().isVisible(), qPrintable(f.shell->comPort().toolTip()));
    QVERIFY(!f.portFileExists());
    const QString ownFile = own.filePath(QStringLiteral("Ecu.ini"));
    QFile written(ownFile);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QByteArray("\"Com-12\"\r\n"));
    QCOMPARE(f.shell->startup().portFilePath(), ownFile);
    QVERIFY(f.link.isOpen());
    QCOMPARE(f.link.portNumber(), 12);
    // The automation channel names the file as the tool does.
    QCOMPARE(f.shell->state().iniPath, QStringLiteral("c:\\Ecu.ini"));
}

void StartupTest::failureReasonIsInTheDialogTooltip()
{
    ShellFixture f;
    f.link.refuseOpen(3);
    f.shell->portDialog().setPortHint([] { return QStringLiteral("3 = /dev/ttyUSB0"); });
    f.loadWith("\"Com-3\"\r\n");
    const QString tip = f.shell->comPort().toolTip();
    QVERIFY2(tip.contains(QStringLiteral("port 3 busy")), qPrintable(tip));
    QVERIFY(tip.contains(QStringLiteral("3 = /dev/ttyUSB0")));
    QCOMPARE(f.shell->comPort().el().Label1->caption(), QStringLiteral("ComPort Number"));
    QCOMPARE(f.shell->comPort().windowTitle(), QStringLiteral("Com"));
}

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
