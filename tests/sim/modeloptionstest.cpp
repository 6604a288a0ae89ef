#include "sim/modeloptions.h"

#include <QTest>

using zsim::EngineModel;

Q_DECLARE_METATYPE(zsim::EngineModel::Drive)

class ModelOptionsTest : public QObject {
    Q_OBJECT
private slots:
    void idealLevelsAreRead_data();
    void idealLevelsAreRead();
    void timeScaleIsRead_data();
    void timeScaleIsRead();
    void driveIsRead_data();
    void driveIsRead();
};

void ModelOptionsTest::idealLevelsAreRead_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("levels"); // empty: refused
    QTest::newRow("four levels") << "130,110,120,100" << QList<int>{130, 110, 120, 100};
    QTest::newRow("the ends of the range") << "1,255,001,7" << QList<int>{1, 255, 1, 7};
    QTest::newRow("three levels") << "130,110,120" << QList<int>{};
    QTest::newRow("five levels") << "1,2,3,4,5" << QList<int>{};
    QTest::newRow("above a byte") << "100,110,120,256" << QList<int>{};
    QTest::newRow("zero") << "0,110,120,130" << QList<int>{};
    QTest::newRow("negative") << "-1,110,120,130" << QList<int>{};
    QTest::newRow("blank after a comma") << "100, 110,120,130" << QList<int>{};
    QTest::newRow("decimal") << "100.5,110,120,130" << QList<int>{};
    QTest::newRow("semicolons") << "100;110;120;130" << QList<int>{};
    QTest::newRow("empty") << "" << QList<int>{};
    QTest::newRow("Arabic-Indic digits")
        << QStringLiteral("\u0661\u0660\u0660,110,120,130") << QList<int>{};
}

void ModelOptionsTest::idealLevelsAreRead()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, levels);
    QString error;
    const auto parsed = zsim::parseIdealLevels(text, &error);
    if (levels.isEmpty()) {
        QVERIFY(!parsed.has_value());
        QVERIFY(error.contains(QLatin1String("--ideal-levels")));
        return;
    }
    QVERIFY2(parsed.has_value(), qPrintable(error));
    QCOMPARE(QList<int>(parsed->begin(), parsed->end()), levels);
}

void ModelOptionsTest::timeScaleIsRead_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("scale"); // 0: refused
    QTest::newRow("one") << "1" << 1.0;
    QTest::newRow("ten") << "10" << 10.0;
    QTest::newRow("twenty") << "20" << 20.0;
    QTest::newRow("decimals") << "2.5" << 2.5;
    QTest::newRow("twenty with a zero decimal") << "20.0" << 20.0;
    QTest::newRow("below one") << "0.5" << 0.0;
    QTest::newRow("above twenty") << "20.5" << 0.0;
    QTest::newRow("decimal comma") << "2,5" << 0.0;
    QTest::newRow("exponent") << "1e1" << 0.0;
    QTest::newRow("sign") << "+10" << 0.0;
    QTest::newRow("blank before") << " 10" << 0.0;
    QTest::newRow("point without decimals") << "10." << 0.0;
    QTest::newRow("word") << "fast" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
}

void ModelOptionsTest::timeScaleIsRead()
{
    QFETCH(QString, text);
    QFETCH(double, scale);
    QString error;
    const auto parsed = zsim::parseTimeScale(text, &error);
    if (scale == 0.0) {
        QVERIFY(!parsed.has_value());
        QVERIFY(error.contains(QLatin1String("--time-scale")));
        return;
    }
    QVERIFY2(parsed.has_value(), qPrintable(error));
    QCOMPARE(*parsed, scale);
}

void ModelOptionsTest::driveIsRead_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<EngineModel::Drive>("drive");
    QTest::newRow("town") << "town" << true << EngineModel::Drive::Town;
    QTest::newRow("wide") << "wide" << true << EngineModel::Drive::Wide;
    QTest::newRow("upper case") << "WIDE" << false << EngineModel::Drive::Town;
    QTest::newRow("unknown") << "fast" << false << EngineModel::Drive::Town;
    QTest::newRow("empty") << "" << false << EngineModel::Drive::Town;
}

void ModelOptionsTest::driveIsRead()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(EngineModel::Drive, drive);
    QString error;
    const auto parsed = zsim::parseDrive(text, &error);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, drive);
    else
        QVERIFY(error.contains(QLatin1String("--drive")));
}

QTEST_GUILESS_MAIN(ModelOptionsTest)
#include "modeloptionstest.moc"
