#include "core/decode.h"
#include "core/frame.h"
#include "support/payloads.h"
#include "support/processlocale.h"

#include <QTest>

using namespace zcore;

using Heads = std::array<double, 4>;
using Marks = std::array<bool, 4>;
Q_DECLARE_METATYPE(Heads)
Q_DECLARE_METATYPE(Marks)

class DecodeTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testlocale::adoptEnvironmentLocale(); }
    void workedPayloadDecodesEveryPosition();
    void encodedPayloadDecodesToTheSameFrame();
    void timesAreCutToFourCharacters_data();
    void timesAreCutToFourCharacters();
    void speedEntryIsAddedOnlyInsideTheRange_data();
    void speedEntryIsAddedOnlyInsideTheRange();
    void commaDesktopKeepsOnlyTheWholeSpeed();
    void listHeadIsTheFirstFourCharacters_data();
    void listHeadIsTheFirstFourCharacters();
    void engineSpeedMarksFollowTheHeads_data();
    void engineSpeedMarksFollowTheHeads();
    void maskGivesTheFuelAndRowFaces_data();
    void maskGivesTheFuelAndRowFaces();
};

void DecodeTest::workedPayloadDecodesEveryPosition()
{
    const auto payload = framePayload(payloads::workedFrame());
    QVERIFY(payload);
    const LiveFrame f = decodePayload(*payload);
    QCOMPARE(f.inWord, (std::array<int, 4>{500, 0, 1000, 129}));
    QCOMPARE(f.outWord, (std::array<int, 4>{1500, 3, 1000, 0}));
    QCOMPARE(f.mask, 160);
    QCOMPARE(f.temperatureByte, 140);
    QCOMPARE(f.sensor, 100);
    QCOMPARE(f.bands, (std::array<int, 4>{10, 20, 30, 40}));
    QCOMPARE(f.calibration, (std::array<int, 5>{200, 150, 100, 50, 10}));
    QCOMPARE(f.switchOverByte, 160);

    // The worked payload holds nothing where the tool reads nothing, so
    // encoding its frame again gives its bytes.
    QCOMPARE(encodePayload(f), *payload);
}

void DecodeTest::encodedPayloadDecodesToTheSameFrame()
{
    // Every position distinct and every word with both bytes in use, so a
    // position written to the wrong place or a word's bytes swapped shows.
    LiveFrame f;
    f.inWord = {0x0102, 0x0304, 0xFFFF, 0};
    f.outWord = {0x1112, 0x1314, 0x8001, 0x00FF};
    f.mask = 0xA5;
    f.temperatureByte = 230 - 87;
    f.sensor = 201;
    f.bands = {1, 2, 254, 255};
    f.calibration = {200, 150, 100, 50, 10};
    f.switchOverByte = 230 - 40;
    const QByteArray p = encodePayload(f);
    QCOMPARE(p.size(), kPayloadLength);
    const LiveFrame back = decodePayload(p);
    QCOMPARE(back.inWord, f.inWord);
    QCOMPARE(back.outWord, f.outWord);
    QCOMPARE(back.mask, f.mask);
    QCOMPARE(back.temperatureByte, f.temperatureByte);
    QCOMPARE(back.sensor, f.sensor);
    QCOMPARE(back.bands, f.bands);
    QCOMPARE(back.calibration, f.calibration);
    QCOMPARE(back.switchOverByte, f.switchOverByte);
    QCOMPARE(p.at(position::kInWord - 1), char(0x02)); // low byte first
    QCOMPARE(p.at(position::kInWord), char(0x01));
}

void DecodeTest::timesAreCutToFourCharacters_data()
{
    QTest::addColumn<int>("word");
    QTest::addColumn<QString>("text");
    QTest::newRow("500") << 500 << "3.94";
    QTest::newRow("129 is exactly 1") << 129 << "1";
    QTest::newRow("3 is 0") << 3 << "0";
    QTest::newRow("1 is -0.0") << 1 << "-0.0";
    QTest::newRow("1893 is exactly 15") << 1893 << "15";
    QTest::newRow("1900") << 1900 << "15.0";
    QTest::newRow("65535 ends in the point") << 65535 << "520.";
    QTest::newRow("0 is no reading") << 0 << "---";
}

void DecodeTest::timesAreCutToFourCharacters()
{
    QFETCH(int, word);
    QFETCH(QString, text);
    QCOMPARE(timeCutToFour(word), text);
}

void DecodeTest::speedEntryIsAddedOnlyInsideTheRange_data()
{
    QTest::addColumn<int>("in");
    QTest::addColumn<int>("out");
    QTest::addColumn<QString>("entry"); // empty: nothing added
    QTest::newRow("I 0") << 0 << 5000 << "";
    QTest::newRow("S 2000") << 1000 << 1000 << "7571.35703555333";
    QTest::newRow("S 1893: exactly 4000") << 100 << 1793 << "";
    QTest::newRow("S 1894") << 100 << 1794 << "7995.76943416182";
    QTest::newRow("S 37803: exactly 200") << 1000 << 36803 << "";
    QTest::newRow("S 37802: just above 400") << 1000 << 36802 << "400.010582290537";
    QTest::newRow("S 129: no speed") << 100 << 29 << "";
    QTest::newRow("S 130: too fast") << 100 << 30 << "";
}

void DecodeTest::speedEntryIsAddedOnlyInsideTheRange()
{
    QFETCH(int, in);
    QFETCH(int, out);
    QFETCH(QString, entry);
    const auto e = speedEntry(in, out);
    QCOMPARE(e.value_or(QString()), entry);
    if (e)
        QCOMPARE(listHead(*e), double(int(e->left(4).toDouble())));
}

void DecodeTest::commaDesktopKeepsOnlyTheWholeSpeed()
{
    // 3785.678... reads back as 3785 through "3785,678..."; twice that is 7570.
    QCOMPARE(speedEntry(1000, 1000, QLatin1Char(',')).value_or(QString()), QStringLiteral("7570"));
    QCOMPARE(timeCutToFour(500, QLatin1Char(',')), QStringLiteral("3,94"));
    QCOMPARE(channelSpeed(1000, 1000, QLatin1Char(',')).value_or(0), 3785.0);
}

void DecodeTest::listHeadIsTheFirstFourCharacters_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<double>("head");
    QTest::newRow("empty list") << "" << 0.0;
    QTest::newRow("entry 7571.35...") << "7571.35703555333\r" << 7571.0;
    QTest::newRow("entry 952.38") << "952.38\r1000\r" << 952.0;
    QTest::newRow("entry 1523.8") << "1523.8\r" << 1523.0;
    QTest::newRow("short entry") << "800\r900\r" << 800.0;
}

void DecodeTest::listHeadIsTheFirstFourCharacters()
{
    QFETCH(QString, caption);
    QFETCH(double, head);
    QCOMPARE(listHead(caption), head);
}

void DecodeTest::engineSpeedMarksFollowTheHeads_data()
{
    QTest::addColumn<Heads>("heads");
    QTest::addColumn<Marks>("marks");
    QTest::addColumn<double>("speed"); // -1: no value
    QTest::newRow("1 and 2 both marked")
        << Heads{1000, 2000, 500, 500} << Marks{true, true, false, false} << 2000.0;
    QTest::newRow("4 alone") << Heads{500, 500, 500, 3000} << Marks{false, false, false, true}
                             << 3000.0;
    QTest::newRow("all 0") << Heads{0, 0, 0, 0} << Marks{false, false, false, false} << -1.0;
    QTest::newRow("all equal") << Heads{900, 900, 900, 900} << Marks{false, false, false, false}
                               << -1.0;
    QTest::newRow("1 above one other only")
        << Heads{800, 900, 900, 700} << Marks{true, false, false, false} << 800.0;
    QTest::newRow("1 greatest") << Heads{7571, 0, 7571, 0} << Marks{true, false, false, false}
                                << 7571.0;
    QTest::newRow("tie at the top, 1 not above any")
        << Heads{500, 900, 900, 500} << Marks{false, false, false, false} << -1.0;
    QTest::newRow("3 greatest") << Heads{100, 200, 3000, 200} << Marks{false, false, true, false}
                                << 3000.0;
}

void DecodeTest::engineSpeedMarksFollowTheHeads()
{
    QFETCH(Heads, heads);
    QFETCH(Marks, marks);
    QFETCH(double, speed);
    const EngineSpeed e = engineSpeed(heads);
    QCOMPARE(e.marked, marks);
    QCOMPARE(e.value.value_or(-1), speed);
    QCOMPARE(powerHigh(e.value), speed > 2000);
}

void DecodeTest::maskGivesTheFuelAndRowFaces_data()
{
    QTest::addColumn<int>("mask");
    QTest::addColumn<QList<bool>>("faces"); // petrol, bit 5, 4, 3, 2
    QTest::newRow("255") << 255 << QList<bool>{true, true, true, true, true};
    QTest::newRow("0") << 0 << QList<bool>{false, false, false, false, false};
    QTest::newRow("64+2+1 as 0") << 67 << QList<bool>{false, false, false, false, false};
    QTest::newRow("160") << 160 << QList<bool>{true, true, false, false, false};
    QTest::newRow("60") << 60 << QList<bool>{false, true, true, true, true};
    QTest::newRow("144") << 144 << QList<bool>{true, false, true, false, false};
}

void DecodeTest::maskGivesTheFuelAndRowFaces()
{
    QFETCH(int, mask);
    QFETCH(QList<bool>, faces);
    const MaskFaces f = maskFaces(mask);
    QCOMPARE((QList<bool>{f.petrol, f.bit5, f.bit4, f.bit3, f.bit2}), faces);
    QCOMPARE(maskOf(f), mask & ~(64 | 2 | 1));
}

QTEST_APPLESS_MAIN(DecodeTest)
#include "tst_decode.moc"
