#include "core/hints.h"

#include <QTest>

using namespace zcore;
Q_DECLARE_METATYPE(TableRow)

class HintsTest : public QObject {
    Q_OBJECT
private slots:
    void arrowSpotsIncludeTheirBounds_data();
    void arrowSpotsIncludeTheirBounds();
    void rowIsPickedInsideTheStripWithTheLeftButtonOnly_data();
    void rowIsPickedInsideTheStripWithTheLeftButtonOnly();
    void firstRegionHoldingThePointerGivesTheHint_data();
    void firstRegionHoldingThePointerGivesTheHint();
    void labelHintsExcludeTheirBounds_data();
    void labelHintsExcludeTheirBounds();
};

void HintsTest::arrowSpotsIncludeTheirBounds_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<bool>("raise");
    QTest::addColumn<bool>("lower");
    QTest::newRow("raise top-left corner") << 4100.f << 3130.f << true << false;
    QTest::newRow("raise bottom-right corner") << 4300.f << 3400.f << true << false;
    QTest::newRow("left of raise") << 4099.f << 3200.f << false << false;
    QTest::newRow("below raise") << 4200.f << 3401.f << false << false;
    QTest::newRow("lower top") << 4100.f << 3650.f << false << true;
    QTest::newRow("lower bottom") << 4300.f << 3850.f << false << true;
    QTest::newRow("above lower") << 4200.f << 3649.f << false << false;
    QTest::newRow("below lower") << 4200.f << 3851.f << false << false;
    QTest::newRow("between the spots") << 4200.f << 3500.f << false << false;
}

void HintsTest::arrowSpotsIncludeTheirBounds()
{
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(bool, raise);
    QFETCH(bool, lower);
    QCOMPARE(inRaiseArrowSpot(x, y), raise);
    QCOMPARE(inLowerArrowSpot(x, y), lower);
}

void HintsTest::rowIsPickedInsideTheStripWithTheLeftButtonOnly_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<TableRow>("row");
    QTest::newRow("third row") << 6000.f << 4300.f << 1 << TableRow::Third;
    QTest::newRow("first row") << 6000.f << 3500.f << 1 << TableRow::First;
    QTest::newRow("second row") << 6000.f << 3900.f << 1 << TableRow::Second;
    QTest::newRow("no button") << 6000.f << 4300.f << 0 << TableRow::None;
    QTest::newRow("left and right") << 6000.f << 4300.f << 3 << TableRow::None;
    QTest::newRow("right only") << 6000.f << 4300.f << 2 << TableRow::None;
    QTest::newRow("strip's left bound") << 5200.f << 4300.f << 1 << TableRow::None;
    QTest::newRow("strip's right bound") << 6800.f << 4300.f << 1 << TableRow::None;
    QTest::newRow("just inside the strip") << 5201.f << 4300.f << 1 << TableRow::Third;
    QTest::newRow("between second and third") << 6000.f << 4100.f << 1 << TableRow::None;
    QTest::newRow("third row's top bound") << 6000.f << 4180.f << 1 << TableRow::None;
    QTest::newRow("third row's bottom bound") << 6000.f << 4440.f << 1 << TableRow::None;
}

void HintsTest::rowIsPickedInsideTheStripWithTheLeftButtonOnly()
{
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(int, buttons);
    QFETCH(TableRow, row);
    QCOMPARE(rowPickedAt(x, y, buttons), row);
}

void HintsTest::firstRegionHoldingThePointerGivesTheHint_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<QString>("text"); // empty: no hint
    QTest::addColumn<double>("width");
    QTest::newRow("fuel") << 9000.f << 800.f << "Yakıt Sistemi Ayarı!" << 2000.0;
    QTest::newRow("fuel's left bound") << 8445.f << 800.f << "" << 0.0;
    QTest::newRow("fuel's top bound") << 9000.f << 375.f << "" << 0.0;
    QTest::newRow("rpm") << 6000.f << 5000.f << "RPM Okuma!" << 1500.0;
    QTest::newRow("rpm's top bound") << 6000.f << 4815.f << "" << 0.0;
    QTest::newRow("port") << 3000.f << 4800.f << "Bilgisayar Bağlantı Ayarı!" << 2000.0;
    QTest::newRow("between port and rpm") << 4800.f << 4800.f << "" << 0.0;
    QTest::newRow("level is wider") << 600.f << 3000.f << "Gaz Seviye Ayarı!" << 3000.0;
    QTest::newRow("between level and temperature") << 2450.f << 3000.f << "" << 0.0;
    QTest::newRow("temperature") << 3000.f << 2000.f << "Isı Ayarı!" << 2000.0;
    QTest::newRow("temperature's right bound") << 4695.f << 2000.f << "" << 0.0;
    QTest::newRow("band row") << 6000.f << 3500.f << "Gaz Kalori Ayarı!" << 2000.0;
    QTest::newRow("band row's right bound") << 10785.f << 3500.f << "" << 0.0;
    QTest::newRow("chart") << 8000.f << 2500.f << "" << 0.0;
}

void HintsTest::firstRegionHoldingThePointerGivesTheHint()
{
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(QString, text);
    QFETCH(double, width);
    const auto hint = backgroundHintAt(x, y);
    QCOMPARE(hint.has_value(), !text.isEmpty());
    if (hint) {
        QCOMPARE(hint->text, text);
        QCOMPARE(hint->width, width);
    }
}

void HintsTest::labelHintsExcludeTheirBounds_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<bool>("band");
    QTest::addColumn<bool>("switchOver");
    QTest::newRow("inside both") << 100.f << 100.f << true << true;
    QTest::newRow("x 0") << 0.f << 100.f << false << false;
    QTest::newRow("y 0") << 100.f << 0.f << false << false;
    QTest::newRow("band's bottom") << 100.f << 225.f << false << true;
    QTest::newRow("band's right") << 705.f << 100.f << false << true;
    QTest::newRow("switch-over's right") << 1500.f << 100.f << false << false;
    QTest::newRow("switch-over's bottom") << 100.f << 500.f << false << false;
}

void HintsTest::labelHintsExcludeTheirBounds()
{
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(bool, band);
    QFETCH(bool, switchOver);
    QCOMPARE(inBandLabelHint(x, y), band);
    QCOMPARE(inSwitchOverHint(x, y), switchOver);
}

QTEST_APPLESS_MAIN(HintsTest)
#include "tst_hints.moc"
