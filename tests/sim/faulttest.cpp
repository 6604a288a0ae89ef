#include "sim/fault.h"
#include "sim/faultschedule.h"

#include <QTest>

using zsim::Fault;
using zsim::FaultSchedule;
using Kind = zsim::Fault::Kind;

Q_DECLARE_METATYPE(zsim::Fault::Kind)

class FaultTest : public QObject {
    Q_OBJECT
private slots:
    void controlLineAsksForAFault_data();
    void controlLineAsksForAFault();
    void controlLineIsRefusedWithItsReason_data();
    void controlLineIsRefusedWithItsReason();
    void faultOptionPlansAFault_data();
    void faultOptionPlansAFault();
    void faultOptionIsRefusedWithItsReason_data();
    void faultOptionIsRefusedWithItsReason();
    void plannedFaultsFallDueInTimeOrderThenOptionOrder();
};

void FaultTest::controlLineAsksForAFault_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("argument");
    QTest::addColumn<QString>("done");

    QTest::newRow("unplug") << "unplug" << Kind::Unplug << 0 << "fault unplug";
    QTest::newRow("replug") << "replug" << Kind::Replug << 0 << "fault replug";
    QTest::newRow("garbage") << "garbage 200" << Kind::Garbage << 200 << "fault garbage 200";
    QTest::newRow("truncate") << "truncate 3" << Kind::Truncate << 3 << "fault truncate 3";
    QTest::newRow("late") << "late 1500" << Kind::Late << 1500 << "fault late 1500";
    QTest::newRow("gap") << "gap 40" << Kind::Gap << 40 << "fault gap 40";
    QTest::newRow("zeros") << "zeros 1" << Kind::Zeros << 1 << "fault zeros 1";
    QTest::newRow("quiet") << "quiet 2000" << Kind::Quiet << 2000 << "fault quiet 2000";
    QTest::newRow("blanks and tabs around and between")
        << "  garbage \t 7 " << Kind::Garbage << 7 << "fault garbage 7";
    QTest::newRow("leading zeros") << "gap 007" << Kind::Gap << 7 << "fault gap 7";
    QTest::newRow("largest garbage")
        << "garbage 65536" << Kind::Garbage << 65536 << "fault garbage 65536";
    QTest::newRow("longest silence")
        << "quiet 3600000" << Kind::Quiet << 3600000 << "fault quiet 3600000";
}

void FaultTest::controlLineAsksForAFault()
{
    QFETCH(QString, line);
    QFETCH(Kind, kind);
    QFETCH(int, argument);
    QFETCH(QString, done);
    QString error;
    const auto fault = Fault::parse(line, &error);
    QVERIFY2(fault.has_value(), qPrintable(error));
    QCOMPARE(fault->kind, kind);
    QCOMPARE(fault->argument, argument);
    QCOMPARE(fault->doneLine(), done);
}

void FaultTest::controlLineIsRefusedWithItsReason_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("error");

    const auto add = [](const char *name, const char *line, const QString &error) {
        QTest::newRow(name) << QString::fromLatin1(line) << error;
    };
    add("unknown name", "unplugg", R"(unknown control "unplugg")");
    add("upper case", "UNPLUG", R"(unknown control "UNPLUG")");
    add("blank", "   ", "empty control line");
    add("garbage without its number", "garbage", "garbage needs a number of bytes (1 to 65536)");
    add("gap without its number", "gap ", "gap needs a number of milliseconds (1 to 3600000)");
    add("zeros without its number", "zeros", "zeros needs a number of frames (1 to 1000000)");
    add("zero", "garbage 0", R"(garbage: "0" is not a number of bytes (1 to 65536))");
    add("negative", "late -5", R"(late: "-5" is not a number of milliseconds (1 to 3600000))");
    add("fraction", "gap 2.5", R"(gap: "2.5" is not a number of milliseconds (1 to 3600000))");
    add("too large", "garbage 65537", R"(garbage: "65537" is not a number of bytes (1 to 65536))");
    add("far too large", "quiet 99999999999",
        R"(quiet: "99999999999" is not a number of milliseconds (1 to 3600000))");
    add("two numbers", "garbage 1 2", "garbage takes one number");
    add("unplug with a number", "unplug 3", "unplug takes no number");
    add("replug with a word", "replug now", "replug takes no number");
}

void FaultTest::controlLineIsRefusedWithItsReason()
{
    QFETCH(QString, line);
    QFETCH(QString, error);
    QString message;
    QVERIFY(!Fault::parse(line, &message).has_value());
    QCOMPARE(message, error);
}

void FaultTest::faultOptionPlansAFault_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<double>("atMs");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("argument");

    QTest::newRow("unplug") << "5:unplug" << 5000.0 << Kind::Unplug << 0;
    QTest::newRow("replug") << "8:replug" << 8000.0 << Kind::Replug << 0;
    QTest::newRow("with its number") << "3:garbage:200" << 3000.0 << Kind::Garbage << 200;
    QTest::newRow("fraction of a second") << "0.25:late:300" << 250.0 << Kind::Late << 300;
    QTest::newRow("at the start") << "0:quiet:100" << 0.0 << Kind::Quiet << 100;
    QTest::newRow("point without decimals") << "2.:zeros:4" << 2000.0 << Kind::Zeros << 4;
    QTest::newRow("a day") << "86400:truncate:1" << 86400000.0 << Kind::Truncate << 1;
}

void FaultTest::faultOptionPlansAFault()
{
    QFETCH(QString, option);
    QFETCH(double, atMs);
    QFETCH(Kind, kind);
    QFETCH(int, argument);
    QString error;
    const auto entry = FaultSchedule::parseOption(option, &error);
    QVERIFY2(entry.has_value(), qPrintable(error));
    QCOMPARE(entry->atMs, atMs);
    QCOMPARE(entry->fault.kind, kind);
    QCOMPARE(entry->fault.argument, argument);
}

void FaultTest::faultOptionIsRefusedWithItsReason_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("error");

    const QString form =
        QStringLiteral("expected SECONDS:NAME[:ARG], e.g. 5:unplug or 3:garbage:200");
    const auto add = [](const char *name, const char *option, const QString &error) {
        QTest::newRow(name) << QString::fromLatin1(option) << error;
    };
    add("time only", "5", "--fault 5: " + form);
    add("blank inside", "5:garbage 3", "--fault 5:garbage 3: " + form);
    add("one part too many", "5:garbage:1:2", "--fault 5:garbage:1:2: " + form);
    add("time not a number", "soon:unplug",
        R"(--fault soon:unplug: "soon" is not a number of seconds from 0 to 86400)");
    add("negative time", "-1:unplug",
        R"(--fault -1:unplug: "-1" is not a number of seconds from 0 to 86400)");
    add("later than a day", "86401:unplug",
        R"(--fault 86401:unplug: "86401" is not a number of seconds from 0 to 86400)");
    add("unknown name", "5:pull", R"(--fault 5:pull: unknown control "pull")");
    add("number missing", "3:garbage",
        "--fault 3:garbage: garbage needs a number of bytes (1 to 65536)");
    add("number empty",
        "3:garbage:", "--fault 3:garbage:: the number after the second ':' is missing");
}

void FaultTest::faultOptionIsRefusedWithItsReason()
{
    QFETCH(QString, option);
    QFETCH(QString, error);
    QString message;
    QVERIFY(!FaultSchedule::parseOption(option, &message).has_value());
    QCOMPARE(message, error);
}

void FaultTest::plannedFaultsFallDueInTimeOrderThenOptionOrder()
{
    FaultSchedule schedule;
    for (const char *option : {"8:replug", "5:unplug", "5:replug", "3:garbage:200", "5:quiet:10"})
        schedule.add(*FaultSchedule::parseOption(QString::fromLatin1(option)));
    QCOMPARE(schedule.nextAtMs(), 3000.0);

    QCOMPARE(schedule.takeDue(2999.0), QList<Fault>{});
    QCOMPARE(schedule.takeDue(3000.0), (QList<Fault>{{Kind::Garbage, 200}}));
    QCOMPARE(schedule.takeDue(6000.0),
             (QList<Fault>{{Kind::Unplug, 0}, {Kind::Replug, 0}, {Kind::Quiet, 10}}));
    QVERIFY(!schedule.isEmpty());
    QCOMPARE(schedule.nextAtMs(), 8000.0);
    QCOMPARE(schedule.takeDue(1e9), (QList<Fault>{{Kind::Replug, 0}}));
    QVERIFY(schedule.isEmpty());
}

QTEST_GUILESS_MAIN(FaultTest)
#include "faulttest.moc"
