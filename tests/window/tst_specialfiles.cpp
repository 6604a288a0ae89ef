// Paths that name something other than a plain file - a named pipe with
// nobody at its other end, a device that never ends, a folder - are refused
// at once by every action that reads or writes a file, with the reason, and
// nothing goes to the unit. Opening such a pipe would wait for a writer (or a
// reader) that never comes, and the tool with it.
#include "shell/recordingactions.h"
#include "shell/settingsactions.h"
#include "shell/toolactions.h"
#include "support/shellfixture.h"
#include "telemetry/recorder.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef Q_OS_UNIX
namespace {

// Runs an action as a script does and waits for its answer, also one that
// answers later.
std::optional<ToolActions::Result> answerOf(ShellFixture &f, const QString &id, const QString &path)
{
    std::optional<ToolActions::Result> result;
    f.shell->actions().run(id, path, [&](const ToolActions::Result &r) { result = r; });
    return QTest::qWaitFor([&] { return result.has_value(); }, 20'000) ? result : std::nullopt;
}

// Should the tool open the pipe after all, this comes to its other end after
// a while and goes again, so that a wrong tool fails the test instead of
// hanging it.
class PipeVisitor {
public:
    explicit PipeVisitor(const QString &path)
        : m_thread([this, name = QFile::encodeName(path)] {
              for (int i = 0; i < 150 && !m_stop; ++i)
                  std::this_thread::sleep_for(std::chrono::milliseconds(10));
              if (m_stop)
                  return;
              const int fd = ::open(name.constData(), O_RDWR | O_NONBLOCK);
              std::this_thread::sleep_for(std::chrono::milliseconds(100));
              if (fd >= 0)
                  ::close(fd);
          })
    {
    }
    ~PipeVisitor()
    {
        m_stop = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

} // namespace
#endif

class SpecialFilesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void pathThatIsNotAPlainFileIsRefusedAtOnce_data();
    void pathThatIsNotAPlainFileIsRefusedAtOnce();
};

void SpecialFilesTest::initTestCase()
{
#ifdef Q_OS_UNIX
    // A write into a pipe nobody reads ends the writer, unless it is told.
    std::signal(SIGPIPE, SIG_IGN);
#else
    QSKIP("named pipes and devices as Unix names them");
#endif
}

void SpecialFilesTest::pathThatIsNotAPlainFileIsRefusedAtOnce_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("kind"); // "pipe", "folder" or the device's path
    for (const char *action :
         {"settings-load", "settings-preview", "graph-open", "assistant-open", "record-start"})
        QTest::addRow("%s, a pipe", action)
            << QString::fromLatin1(action) << QStringLiteral("pipe");
    QTest::newRow("graph-open, a device without end")
        << QStringLiteral("graph-open") << QStringLiteral("/dev/zero");
    QTest::newRow("assistant-open, a device without end")
        << QStringLiteral("assistant-open") << QStringLiteral("/dev/zero");
    QTest::newRow("settings-load, a folder")
        << QStringLiteral("settings-load") << QStringLiteral("folder");
}

void SpecialFilesTest::pathThatIsNotAPlainFileIsRefusedAtOnce()
{
#ifdef Q_OS_UNIX
    QFETCH(QString, action);
    QFETCH(QString, kind);
    LoadedShell f;
    f.poll(); // the unit has sent a frame: a good file would be sent
    QString path = kind;
    if (kind == QStringLiteral("pipe")) {
        path = f.dir.filePath(QStringLiteral("car.json"));
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == QStringLiteral("folder")) {
        path = f.dir.filePath(QStringLiteral("car"));
        QVERIFY(QDir(f.dir.path()).mkdir(QStringLiteral("car")));
    }
    const QByteArray sentBefore = f.link.written();
    PipeVisitor visitor(path);
    const std::optional<ToolActions::Result> result = action == QStringLiteral("settings-preview")
                                                          ? f.shell->settings().preview(path)
                                                          : answerOf(f, action, path);
    QVERIFY(result);
    QVERIFY(!result->ok);
    QCOMPARE(result->error, QStringLiteral("%1 sıradan bir dosya değil").arg(path));
    QCOMPARE(f.link.written(), sentBefore);
    QVERIFY(!f.shell->recording().recorder().isActive());
#endif
}

QTEST_MAIN(SpecialFilesTest)
#include "tst_specialfiles.moc"
