// Where the program's files are on this system: drive c:\ and the
// configuration folder.
#include "shell/platform.h"

#include <QDir>
#include <QTest>

class PlatformTest : public QObject {
    Q_OBJECT
private slots:
    void portFileOnDriveCLiesInTheConfigurationFolder_data();
    void portFileOnDriveCLiesInTheConfigurationFolder();
    void configurationFolderFollowsXdg();
};

void PlatformTest::portFileOnDriveCLiesInTheConfigurationFolder_data()
{
    QTest::addColumn<QString>("toolPath");
    QTest::addColumn<QString>("local");
    QTest::newRow("port file") << "c:\\Ecu.ini"
                               << "/cfg/Ecu.ini";
    QTest::newRow("upper-case drive") << "C:\\Ecu.ini"
                                      << "/cfg/Ecu.ini";
    QTest::newRow("sub folder") << "c:\\a\\b.txt"
                                << "/cfg/a/b.txt";
    QTest::newRow("program folder") << "/opt/z\\dravon.swf"
                                    << "/opt/z/dravon.swf";
}

void PlatformTest::portFileOnDriveCLiesInTheConfigurationFolder()
{
    QFETCH(QString, toolPath);
    QFETCH(QString, local);
    QCOMPARE(platform::localPath(toolPath, QStringLiteral("/cfg")), local);
}

void PlatformTest::configurationFolderFollowsXdg()
{
    qputenv("XDG_CONFIG_HOME", "/tmp/xdg-here");
    QCOMPARE(platform::configDir(), QStringLiteral("/tmp/xdg-here/zendalite"));
    qunsetenv("XDG_CONFIG_HOME");
    QCOMPARE(platform::configDir(), QDir::homePath() + QStringLiteral("/.config/zendalite"));
}

QTEST_GUILESS_MAIN(PlatformTest)
#include "tst_platform.moc"
