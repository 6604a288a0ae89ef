#include "core/numbers.h"

#include "support/processlocale.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace zcore;

class NumbersTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testlocale::adoptEnvironmentLocale(); }
    void leadingNumberIsTheLongestNumericPrefix_data();
    void leadingNumberIsTheLongestNumericPrefix();
    void numberTextIsShortestWithFifteenDigits_data();
    void numberTextIsShortestWithFifteenDigits();
    void numberTextUsesTheDesktopSeparatorAndReadsBackAsItsWholePart();
    void halvesRoundToTheEvenNeighbourAndAByteIsFromZeroTo255_data();
    void halvesRoundToTheEvenNeighbourAndAByteIsFromZeroTo255();
    void wholeTextMustBeANumberThroughout_data();
    void wholeTextMustBeANumberThroughout();
    void portCaptionIsASixteenBitWholeNumber_data();
    void portCaptionIsASixteenBitWholeNumber();
};

void NumbersTest::leadingNumberIsTheLongestNumericPrefix_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("dashes") << "---" << 0.0;
    QTest::newRow("plain") << "12" << 12.0;
    QTest::newRow("trailing letters") << "12abc" << 12.0;
    QTest::newRow("letters first") << "COM3" << 0.0;
    QTest::newRow("blanks anywhere") << " 1 2\t3\n" << 123.0;
    QTest::newRow("fraction") << "12.7" << 12.7;
    QTest::newRow("second point ends it") << "1.2.3" << 1.2;
    QTest::newRow("point first") << ".5" << 0.5;
    QTest::newRow("negative") << "-25" << -25.0;
    QTest::newRow("plus sign") << "+8" << 8.0;
    QTest::newRow("exponent") << "1E3" << 1000.0;
    QTest::newRow("lower exponent with sign") << "25e-1" << 2.5;
    QTest::newRow("D exponent") << "1D2" << 100.0;
    QTest::newRow("incomplete exponent") << "5E" << 5.0;
    QTest::newRow("hex") << "&H1F" << 31.0;
    QTest::newRow("hex lower") << "&hff" << 255.0;
    QTest::newRow("octal") << "&O17" << 15.0;
    QTest::newRow("ampersand alone") << "&" << 0.0;
    QTest::newRow("hex without digits") << "&Hzz" << 0.0;
    QTest::newRow("comma is not a separator") << "3,94" << 3.0;
    QTest::newRow("cr ends it") << "7571.35703555333\r400" << 7571.35703555333;
    QTest::newRow("cut time") << "-0.0" << 0.0;
    QTest::newRow("sign alone") << "-" << 0.0;
    QTest::newRow("fraction with exponent") << "1.5E2" << 150.0;
    QTest::newRow("many digits") << "123456789012345678901234567890" << 1.2345678901234568e29;
    QTest::newRow("longer than a short buffer")
        << QStringLiteral("1") + QString(200, QLatin1Char('0')) << 1e200;
    QTest::newRow("long fraction brought up by its exponent")
        << QStringLiteral("0.") + QString(300, QLatin1Char('0')) + QStringLiteral("1e305") << 1e4;
    QTest::newRow("denormal kept") << "1e-310" << 1e-310;
    QTest::newRow("too large is infinite") << "1e400" << std::numeric_limits<double>::infinity();
    QTest::newRow("too small is zero") << "1e-330" << 0.0;
}

void NumbersTest::leadingNumberIsTheLongestNumericPrefix()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(readLeadingNumber(text), value);
}

void NumbersTest::numberTextIsShortestWithFifteenDigits_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("whole") << 42.0 << "42";
    QTest::newRow("negative whole") << -25.0 << "-25";
    QTest::newRow("w 500") << (500.0 - 3) / 126 << "3.94444444444444";
    QTest::newRow("w 1") << (1.0 - 3) / 126 << "-0.0158730158730159";
    QTest::newRow("w 1900") << (1900.0 - 3) / 126 << "15.0555555555556";
    QTest::newRow("w 65535") << (65535.0 - 3) / 126 << "520.095238095238";
    QTest::newRow("speed entry") << 2 * (60000.0 / (1997.0 / 126)) << "7571.35703555333";
    QTest::newRow("just above 400") << 15120000.0 / 37799 << "400.010582290537";
    QTest::newRow("one half") << 0.5 << "0.5";
    QTest::newRow("small") << 0.0001 << "0.0001";
    QTest::newRow("smaller uses exponent") << 0.00001 << "1E-05";
    QTest::newRow("large whole uses exponent") << 1e15 << "1E+15";
    QTest::newRow("large fraction") << 123456789012.345 << "123456789012.345";
    QTest::newRow("rounding carries") << 9.9999999999999999 << "10";
}

void NumbersTest::numberTextIsShortestWithFifteenDigits()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(numberText(value), text);
}

void NumbersTest::numberTextUsesTheDesktopSeparatorAndReadsBackAsItsWholePart()
{
    const QString text = numberText(3785.67851777666, QLatin1Char(','));
    QCOMPARE(text, QStringLiteral("3785,67851777666"));
    QCOMPARE(readLeadingNumber(text), 3785.0);
    QCOMPARE(numberText(-0.5, QLatin1Char(',')), QStringLiteral("-0,5"));
}

void NumbersTest::halvesRoundToTheEvenNeighbourAndAByteIsFromZeroTo255_data()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("rounded");
    QTest::addColumn<int>("byte"); // -1: no value
    QTest::newRow("12.5") << 12.5 << 12.0 << 12;
    QTest::newRow("13.5") << 13.5 << 14.0 << 14;
    QTest::newRow("12.7") << 12.7 << 13.0 << 13;
    QTest::newRow("0") << 0.0 << 0.0 << 0;
    QTest::newRow("0.5") << 0.5 << 0.0 << 0;
    QTest::newRow("-0.5 rounds to 0") << -0.5 << 0.0 << 0;
    QTest::newRow("-1") << -1.0 << -1.0 << -1;
    QTest::newRow("-1.5") << -1.5 << -2.0 << -1;
    QTest::newRow("-2.5") << -2.5 << -2.0 << -1;
    QTest::newRow("255") << 255.0 << 255.0 << 255;
    QTest::newRow("255.4") << 255.4 << 255.0 << 255;
    QTest::newRow("255.5 rounds to 256") << 255.5 << 256.0 << -1;
    QTest::newRow("256") << 256.0 << 256.0 << -1;
    QTest::newRow("huge") << 1e300 << 1e300 << -1;
    QTest::newRow("nan") << nan << nan << -1;
    QTest::newRow("infinity") << infinity << infinity << -1;
}

void NumbersTest::halvesRoundToTheEvenNeighbourAndAByteIsFromZeroTo255()
{
    QFETCH(double, value);
    QFETCH(double, rounded);
    QFETCH(int, byte);
    QCOMPARE(roundHalfEven(value), rounded);
    const auto b = toByte(value);
    QCOMPARE(b ? int(*b) : -1, byte);
}

void NumbersTest::wholeTextMustBeANumberThroughout_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");
    QTest::newRow("90") << "90" << true << 90.0;
    QTest::newRow("blanks around") << " 90 " << true << 90.0;
    QTest::newRow("negative fraction") << "-2.5" << true << -2.5;
    QTest::newRow("exponent") << "1e2" << true << 100.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("letters after") << "12abc" << false << 0.0;
    QTest::newRow("letters") << "abc" << false << 0.0;
    QTest::newRow("hex form") << "&H10" << false << 0.0;
    QTest::newRow("point alone") << "." << false << 0.0;
    QTest::newRow("overflow") << "1e999" << false << 0.0;
}

void NumbersTest::wholeTextMustBeANumberThroughout()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, value);
    const auto parsed = parseWholeText(text);
    QCOMPARE(parsed.has_value(), isNumber);
    if (isNumber)
        QCOMPARE(*parsed, value);
}

void NumbersTest::portCaptionIsASixteenBitWholeNumber_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("usable");
    QTest::addColumn<int>("number");
    QTest::newRow("3") << "3" << true << 3;
    QTest::newRow("0") << "0" << true << 0;
    QTest::newRow("2.5 to even") << "2.5" << true << 2;
    QTest::newRow("3.5 to even") << "3.5" << true << 4;
    QTest::newRow("largest") << "32767" << true << 32767;
    QTest::newRow("too large") << "32768" << false << 0;
    QTest::newRow("smallest") << "-32768" << true << -32768;
    QTest::newRow("empty before the first start") << "" << false << 0;
    QTest::newRow("not a number") << "abc" << false << 0;
    QTest::newRow("exponent text") << "1E+20" << false << 0;
}

void NumbersTest::portCaptionIsASixteenBitWholeNumber()
{
    QFETCH(QString, caption);
    QFETCH(bool, usable);
    QFETCH(int, number);
    const auto n = wholeNumber16(caption);
    QCOMPARE(n.has_value(), usable);
    if (usable)
        QCOMPARE(*n, number);
}

QTEST_APPLESS_MAIN(NumbersTest)
#include "tst_numbers.moc"
