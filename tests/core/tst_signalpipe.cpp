// POSIX signals through the self-pipe: caught on the event loop, a second one
// left to its default action when asked, and the default given back at the end.
#include "core/signalpipe.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>

namespace {

// The handler the process has for a signal now.
void (*handlerOf(int signalNumber))(int)
{
    struct sigaction now {};
    ::sigaction(signalNumber, nullptr, &now);
    return now.sa_handler;
}

} // namespace

class SignalPipeTest : public QObject {
    Q_OBJECT
private slots:
    void signalIsCaughtOnTheEventLoop();
    void secondSignalGetsItsDefaultActionWhenAsked();
    void theDefaultActionComesBackAtTheEnd();
    void oneAtATime();
};

void SignalPipeTest::signalIsCaughtOnTheEventLoop()
{
    zcore::SignalPipe pipe;
    QSignalSpy caught(&pipe, &zcore::SignalPipe::caught);
    QVERIFY(pipe.start({SIGUSR1, SIGUSR2}));
    QCOMPARE(::raise(SIGUSR2), 0);
    QCOMPARE(caught.size(), 0); // not in the handler: from the loop
    QVERIFY(caught.wait(2000));
    QCOMPARE(caught.takeFirst().first().toInt(), SIGUSR2);
    QCOMPARE(::raise(SIGUSR1), 0);
    QVERIFY(caught.wait(2000));
    QCOMPARE(caught.takeFirst().first().toInt(), SIGUSR1);
    QVERIFY(handlerOf(SIGUSR1) != SIG_DFL); // caught again next time
}

void SignalPipeTest::secondSignalGetsItsDefaultActionWhenAsked()
{
    zcore::SignalPipe pipe;
    QSignalSpy caught(&pipe, &zcore::SignalPipe::caught);
    QVERIFY(pipe.start({SIGUSR1}, zcore::SignalPipe::Again::DefaultAction));
    QVERIFY(handlerOf(SIGUSR1) != SIG_DFL);
    QCOMPARE(::raise(SIGUSR1), 0);
    QVERIFY(caught.wait(2000));
    QVERIFY(handlerOf(SIGUSR1) == SIG_DFL);
}

void SignalPipeTest::theDefaultActionComesBackAtTheEnd()
{
    {
        zcore::SignalPipe pipe;
        QVERIFY(pipe.start({SIGUSR1}));
        QVERIFY(handlerOf(SIGUSR1) != SIG_DFL);
    }
    QVERIFY(handlerOf(SIGUSR1) == SIG_DFL);
}

void SignalPipeTest::oneAtATime()
{
    zcore::SignalPipe first;
    QVERIFY(first.start({SIGUSR1}));
    {
        zcore::SignalPipe second;
        QVERIFY(!second.start({SIGUSR2}));
    }
    // The second's end leaves the first's pipe alone.
    QSignalSpy caught(&first, &zcore::SignalPipe::caught);
    QCOMPARE(::raise(SIGUSR1), 0);
    QVERIFY(caught.wait(2000));
}

QTEST_GUILESS_MAIN(SignalPipeTest)
#include "tst_signalpipe.moc"
