#include "core/portfile.h"

#include "support/processlocale.h"

#include <QTest>

using namespace zcore;
using Outcome = PortFileContents::Outcome;

Q_DECLARE_METATYPE(Outcome)

class PortFileTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testlocale::adoptEnvironmentLocale(); }
    void theLastLineDecides_data();
    void theLastLineDecides();
    void lineEndingsSplitLines_data();
    void lineEndingsSplitLines();
    void writtenFileIsTheQuotedLineWithCrLf_data();
    void writtenFileIsTheQuotedLineWithCrLf();
};

void PortFileTest::theLastLineDecides_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("portNo");
    QTest::newRow("port 3") << QByteArray("\"Com-3\"\r\n") << Outcome::Port << "3";
    QTest::newRow("port 12") << QByteArray("\"Com-12\"\r\n") << Outcome::Port << "12";
    QTest::newRow("no line end") << QByteArray("\"Com-4\"") << Outcome::Port << "4";
    QTest::newRow("two lines") << QByteArray("\"Com-2\"\r\n\"Com-5\"\r\n") << Outcome::Port << "5";
    QTest::newRow("empty file") << QByteArray() << Outcome::Empty << "";
    QTest::newRow("no quotes: five characters")
        << QByteArray("Com-1\r\n") << Outcome::Unreadable << "";
    QTest::newRow("empty line after a good one keeps its number")
        << QByteArray("\"Com-1\"\r\n\r\n") << Outcome::Unreadable << "1";
    QTest::newRow("short line between two good ones")
        << QByteArray("\"Com-3\"\r\nab\r\n\"Com-5\"\r\n") << Outcome::Unreadable << "3";
    QTest::newRow("six characters give 0") << QByteArray("\"Com-\"\r\n") << Outcome::Port << "0";
    QTest::newRow("letters give 0") << QByteArray("\"Com-x\"\r\n") << Outcome::Port << "0";
    QTest::newRow("trailing letters") << QByteArray("\"Com-7x\"\r\n") << Outcome::Port << "7";
    QTest::newRow("fraction kept") << QByteArray("\"Com-2.5\"\r\n") << Outcome::Port << "2.5";
    QTest::newRow("blanks ignored") << QByteArray("\"Com- 1 2\"\r\n") << Outcome::Port << "12";
    QTest::newRow("short line first")
        << QByteArray("ab\r\n\"Com-3\"\r\n") << Outcome::Unreadable << "";
    QTest::newRow("binary garbage")
        << QByteArray("\x01\x02\xff\xfe\x00\x80", 6) << Outcome::Port << "0";
}

void PortFileTest::theLastLineDecides()
{
    QFETCH(QByteArray, file);
    QFETCH(Outcome, outcome);
    QFETCH(QString, portNo);
    const PortFileContents c = parsePortFile(file);
    QCOMPARE(c.outcome, outcome);
    QCOMPARE(c.portNumberText, portNo);
}

void PortFileTest::lineEndingsSplitLines_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("lines");
    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << 2;
    QTest::newRow("cr only") << QByteArray("a\rb\r") << 2;
    QTest::newRow("lf only") << QByteArray("a\nb\n") << 2;
    QTest::newRow("one line ended by crlf has no empty line after it")
        << QByteArray("abc\r\n") << 1;
    QTest::newRow("lf cr is two endings") << QByteArray("a\n\rb") << 3;
    QTest::newRow("blank line counts") << QByteArray("a\r\n\r\nb") << 3;
}

void PortFileTest::lineEndingsSplitLines()
{
    QFETCH(QByteArray, file);
    QFETCH(int, lines);
    QCOMPARE(portFileLines(file).size(), lines);
}

void PortFileTest::writtenFileIsTheQuotedLineWithCrLf_data()
{
    QTest::addColumn<double>("number");
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("port 1") << 1.0 << QByteArray("\"Com-1\"\r\n");
    QTest::newRow("port 4") << 4.0 << QByteArray("\"Com-4\"\r\n");
    QTest::newRow("port 12") << 12.0 << QByteArray("\"Com-12\"\r\n");
    QTest::newRow("entry COM3 reads 0") << 0.0 << QByteArray("\"Com-0\"\r\n");
}

void PortFileTest::writtenFileIsTheQuotedLineWithCrLf()
{
    QFETCH(double, number);
    QFETCH(QByteArray, file);
    QCOMPARE(portFileText(number), file);
}

QTEST_APPLESS_MAIN(PortFileTest)
#include "tst_portfile.moc"
