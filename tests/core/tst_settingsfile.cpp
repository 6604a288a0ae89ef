// The settings file: written and read back, and every kind of bad input
// refused with a reason.
#include "core/settingsfile.h"

#include <QTest>

using namespace zcore;

namespace {

SettingsFile sample()
{
    SettingsFile f;
    f.settings.bandLevels = {10, 20, 30, 255};
    f.settings.switchOverByte = 230 - 70;
    f.settings.levelPoints = {200, 150, 100, 50, 0};
    f.settings.mask = 160;
    f.saved =
        QDateTime::fromString(QStringLiteral("2026-12-07T14:05:31.250+03:00"), Qt::ISODateWithMs);
    f.tool = QStringLiteral("zendalite 1.0.0");
    f.plate = QStringLiteral("34 ABC 123");
    f.customer = QStringLiteral("Ayşe Yılmaz");
    f.note = QStringLiteral("çift \"tırnak\" ve\nyeni satır");
    return f;
}

// A valid file with one part of "settings" replaced.
QByteArray withSetting(const char *key, const char *json)
{
    QByteArray settings = R"({"band_levels":[1,2,3,4],"switch_over_celsius":70,)"
                          R"("level_points":[5,6,7,8,9],"fuel_and_cylinder_mask":60})";
    const QByteArray k = QByteArray("\"") + key + "\":";
    const qsizetype at = settings.indexOf(k) + k.size();
    qsizetype end = at;
    int depth = 0;
    for (; end < settings.size(); ++end) {
        const char c = settings[end];
        if (c == '[')
            ++depth;
        if (c == ']')
            --depth;
        if (depth == 0 && (c == ',' || c == '}'))
            break;
    }
    settings.replace(at, end - at, json);
    return R"({"format":"zendalite-settings","version":1,"settings":)" + settings + "}";
}

} // namespace

class SettingsFileTest : public QObject {
    Q_OBJECT
private slots:
    void writtenFileReadsBackTheSame();
    void vehicleDetailsAndDateAreOptional();
    void badFilesAreRefusedWithAReason_data();
    void badFilesAreRefusedWithAReason();
    void itemsGoInTheOrderALoadSendsThem();
};

void SettingsFileTest::writtenFileReadsBackTheSame()
{
    const SettingsFile f = sample();
    const QByteArray bytes = writeSettingsFile(f);
    QVERIFY(bytes.contains("\"switch_over_celsius\": 70")); // degrees, as a person edits it
    QString why;
    const auto back = readSettingsFile(bytes, &why);
    QVERIFY2(back, qPrintable(why));
    QVERIFY(back->settings == f.settings);
    QCOMPARE(back->saved, f.saved);
    QCOMPARE(back->tool, f.tool);
    QCOMPARE(back->plate, f.plate);
    QCOMPARE(back->customer, f.customer);
    QCOMPARE(back->note, f.note);
}

void SettingsFileTest::vehicleDetailsAndDateAreOptional()
{
    QString why;
    const auto f = readSettingsFile(withSetting("switch_over_celsius", "-25"), &why);
    QVERIFY2(f, qPrintable(why));
    QCOMPARE(f->settings.switchOverByte, 255);
    QCOMPARE(f->settings.bandLevels, (std::array<int, 4>{1, 2, 3, 4}));
    QCOMPARE(f->settings.mask, 60);
    QVERIFY(!f->saved.isValid());
    QVERIFY(f->plate.isEmpty());
}

void SettingsFileTest::badFilesAreRefusedWithAReason_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason"); // a part of the reason given

    const QByteArray good = writeSettingsFile(sample());
    QTest::newRow("empty") << QByteArray() << "boş";
    QTest::newRow("truncated") << good.left(good.size() / 2) << "JSON";
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe\x01PK\x03\x04", 8) << "JSON";
    QTest::newRow("a list at the top") << QByteArray("[1,2,3]") << "nesne";
    QTest::newRow("deeply nested") << QByteArray(5000, '[') + QByteArray(5000, ']') << "JSON";
    QTest::newRow("huge") << QByteArray(kLargestSettingsFile + 1, ' ') << "KiB";
    QTest::newRow("unknown format")
        << QByteArray(R"({"format":"other","version":1,"settings":{}})") << "format";
    QTest::newRow("newer version")
        << QByteArray(R"({"format":"zendalite-settings","version":2})") << "sürüm 2";
    QTest::newRow("no settings") << QByteArray(R"({"format":"zendalite-settings","version":1})")
                                 << "settings";
    QTest::newRow("band -1") << withSetting("band_levels", "[-1,2,3,4]") << "band_levels";
    QTest::newRow("band 12.5") << withSetting("band_levels", "[1,2,12.5,4]") << "band_levels";
    QTest::newRow("band abc") << withSetting("band_levels", R"([1,2,3,"abc"])") << "band_levels";
    QTest::newRow("bands not a list") << withSetting("band_levels", "7") << "band_levels";
    QTest::newRow("switch-over 231")
        << withSetting("switch_over_celsius", "231") << "switch_over_celsius";
    QTest::newRow("switch-over -26")
        << withSetting("switch_over_celsius", "-26") << "switch_over_celsius";
    QTest::newRow("switch-over as text")
        << withSetting("switch_over_celsius", R"("70")") << "switch_over_celsius";
    QTest::newRow("mask 256") << withSetting("fuel_and_cylinder_mask", "256")
                              << "fuel_and_cylinder_mask";
    QTest::newRow("mask null") << withSetting("fuel_and_cylinder_mask", "null")
                               << "fuel_and_cylinder_mask";
}

void SettingsFileTest::badFilesAreRefusedWithAReason()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QString why;
    QVERIFY(!readSettingsFile(bytes, &why));
    QVERIFY2(why.contains(reason), qPrintable(why));
}

void SettingsFileTest::itemsGoInTheOrderALoadSendsThem()
{
    QList<int> codes, values;
    for (const SettingItem &item : settingItems(sample().settings)) {
        codes.append(item.code);
        values.append(item.value);
        QVERIFY(!item.name.isEmpty());
    }
    QCOMPARE(codes, (QList<int>{0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 4}));
    QCOMPARE(values, (QList<int>{10, 20, 30, 255, 160, 200, 150, 100, 50, 0, 160}));
}

QTEST_APPLESS_MAIN(SettingsFileTest)
#include "tst_settingsfile.moc"
