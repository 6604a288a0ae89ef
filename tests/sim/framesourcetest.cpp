#include "sim/fileframesource.h"
#include "sim/modelframesource.h"

#include <QTest>

using zsim::FileFrameSource;
using zsim::ModelFrameSource;

class FrameSourceTest : public QObject {
    Q_OBJECT
private slots:
    void modelFramesCarryHeaderAndPayload();
    void modelSourceAppliesCommands();
    void frameFileReads_data();
    void frameFileReads();
    void frameFileRefuses_data();
    void frameFileRefuses();
    void fileFramesLoopAndIgnoreCommands();
};

void FrameSourceTest::modelFramesCarryHeaderAndPayload()
{
    ModelFrameSource source(1);
    const QByteArray frame = source.nextFrame(0.1);
    QCOMPARE(frame.size(), 37);
    QCOMPARE(frame.first(3), QByteArray::fromHex("a4c000"));
    QCOMPARE(frame.sliced(3), source.model().payload());
    QCOMPARE(source.model().seconds(), 0.1);
}

void FrameSourceTest::modelSourceAppliesCommands()
{
    ModelFrameSource source(1);
    source.nextFrame(0.1);
    QVERIFY(source.apply(1, 57));
    const QByteArray frame = source.nextFrame(0.1);
    QCOMPARE(static_cast<unsigned char>(frame.at(23 + 2)), 57); // payload position 23
    QVERIFY(!source.apply(42, 1));
}

void FrameSourceTest::frameFileReads_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArrayList>("frames");
    QTest::newRow("one frame") << "a4 c0 00 01 02\n"
                               << QByteArrayList{QByteArray::fromHex("a4c0000102")};
    QTest::newRow("comments, blank lines, CR LF, upper case, tabs")
        << "# two frames\r\n\r\nA4 C0 00\t7f\r\n  # indented comment\n0 a 1\n"
        << QByteArrayList{QByteArray::fromHex("a4c0007f"), QByteArray::fromHex("000a01")};
    QTest::newRow("last line without an ending")
        << "ff" << QByteArrayList{QByteArray::fromHex("ff")};
}

void FrameSourceTest::frameFileReads()
{
    QFETCH(QString, text);
    QFETCH(QByteArrayList, frames);
    QString error;
    const auto parsed = FileFrameSource::parse(text, &error);
    QVERIFY2(parsed.has_value(), qPrintable(error));
    QCOMPARE(*parsed, frames);
}

void FrameSourceTest::frameFileRefuses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    const auto add = [](const char *name, const char *text, const char *error) {
        QTest::newRow(name) << QString::fromLatin1(text) << QString::fromLatin1(error);
    };
    add("three digits", "a4 c00 00\n", R"(line 1: "c00" is not a hex byte)");
    add("not hex", "# x\na4 zz\n", R"(line 2: "zz" is not a hex byte)");
    add("prefixed", "0xa4\n", R"(line 1: "0xa4" is not a hex byte)");
    add("only comments", "# nothing\n\n", "no frame in the file");
}

void FrameSourceTest::frameFileRefuses()
{
    QFETCH(QString, text);
    QFETCH(QString, error);
    QString message;
    QVERIFY(!FileFrameSource::parse(text, &message).has_value());
    QCOMPARE(message, error);
}

void FrameSourceTest::fileFramesLoopAndIgnoreCommands()
{
    FileFrameSource source({QByteArray("one"), QByteArray("two")});
    QCOMPARE(source.nextFrame(0.1), QByteArray("one"));
    QVERIFY(!source.apply(1, 57));
    QCOMPARE(source.nextFrame(0.1), QByteArray("two"));
    QCOMPARE(source.nextFrame(0.1), QByteArray("one"));
}

QTEST_GUILESS_MAIN(FrameSourceTest)
#include "framesourcetest.moc"
