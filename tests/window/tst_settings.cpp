// The unit's settings saved to a file and loaded back: what goes on the
// wire, how the frames that follow verify it, and what is refused.
#include "core/decode.h"
#include "core/frame.h"
#include "core/settingsfile.h"
#include "shell/settingsactions.h"
#include "support/payloads.h"
#include "support/shellfixture.h"
#include "ui/mainwindow.h"
#include "ui/skinlabel.h"
#include "ui/skintimer.h"

#include <QFile>
#include <QPushButton>
#include <QTest>

namespace {

using State = SettingsRestore::State;

// The worked frame's settings: bands 10 20 30 40, switch-over 70 degrees,
// points 200 150 100 50 10, mask 160.
zcore::UnitSettings workedSettings()
{
    return zcore::settingsOf(zcore::decodePayload(*zcore::framePayload(payloads::workedFrame())));
}

// A frame like the worked one, holding these settings.
QByteArray frameWith(const zcore::UnitSettings &s)
{
    zcore::LiveFrame f = zcore::decodePayload(*zcore::framePayload(payloads::workedFrame()));
    f.bands = s.bandLevels;
    f.switchOverByte = s.switchOverByte;
    f.calibration = s.levelPoints;
    f.mask = s.mask;
    return zcore::telemetryFrame(zcore::encodePayload(f));
}

QByteArray command(int code, int value) { return QByteArray("\xA4", 1) + char(code) + char(value); }

struct Loaded {
    LoadedShell f;
    explicit Loaded(bool withFrame = true)
    {
        if (withFrame)
            f.poll();
    }
    SettingsActions &settings() { return f.shell->settings(); }
    QString file(const char *name) const { return f.dir.filePath(QLatin1String(name)); }
    void write(const QString &path, const zcore::UnitSettings &s) const
    {
        zcore::SettingsFile file;
        file.settings = s;
        QFile out(path);
        if (out.open(QIODevice::WriteOnly))
            out.write(zcore::writeSettingsFile(file));
    }
    // A script loads these settings; returns once the commands are out.
    bool loadAndSend(const zcore::UnitSettings &wanted)
    {
        write(file("car.json"), wanted);
        if (!settings().load(file("car.json")).ok)
            return false;
        return QTest::qWaitFor([this] { return settings().restore().state() != State::Sending; });
    }
    // Runs the event loop until the commands are out.
    void sendAll() { QTRY_VERIFY(settings().restore().state() != State::Sending); }
};

} // namespace

class SettingsTest : public QObject {
    Q_OBJECT
private slots:
    void saveWritesWhatTheLastFrameShowed();
    void loadSendsOnlyTheDifferencesInOrderAndAFrameHoldingThemVerifiesIt();
    void frameStillDifferentAfterHalfASecondIsAMismatch();
    void noFrameWithinFiveSecondsLeavesItUnverified();
    void refusedLoadsSendNothing_data();
    void refusedLoadsSendNothing();
    void previewSendsTheTickedGroupsOnly();
};

void SettingsTest::saveWritesWhatTheLastFrameShowed()
{
    Loaded l(false);
    const QString path = l.file("car.json");
    QVERIFY(!l.settings().save(path).ok); // no frame since the port opened
    QVERIFY(!QFile::exists(path));
    QCOMPARE(l.f.shell->state().statusMessage, QStringLiteral("Kaydedilecek Ayar Yok!"));

    l.f.poll();
    QVERIFY(l.settings().save(path).ok);
    QFile in(path);
    QVERIFY(in.open(QIODevice::ReadOnly));
    const auto file = zcore::readSettingsFile(in.readAll(), nullptr);
    QVERIFY(file);
    QVERIFY(file->settings == workedSettings());
    QVERIFY(file->saved.isValid());
    QCOMPARE(l.f.shell->state().statusMessage, QStringLiteral("Ayarlar Kaydedildi!"));

    // A port opened anew has shown nothing yet.
    l.f.link.close();
    l.f.shell->startup().start();
    QVERIFY(l.f.link.isOpen());
    QVERIFY(!l.settings().save(path).ok);
}

void SettingsTest::loadSendsOnlyTheDifferencesInOrderAndAFrameHoldingThemVerifiesIt()
{
    Loaded l;
    zcore::UnitSettings wanted = workedSettings();
    wanted.bandLevels[1] = 57;
    wanted.mask = 188;
    wanted.switchOverByte = 230 - 80;
    wanted.levelPoints[2] = 99;
    QVERIFY(l.loadAndSend(wanted));

    // Band levels, switch-over, level points, then the mask.
    QCOMPARE(l.f.link.written(),
             command(1, 57) + command(5, 150) + command(8, 99) + command(4, 188));
    const auto &writes = l.f.link.writes();
    QCOMPARE(writes.size(), 12);
    for (int i = 0; i < writes.size(); ++i) {
        QCOMPARE(writes[i].bytes.size(), 1);
        if (i % 3 != 0) // within a command: the gaps of every command
            QVERIFY(writes[i].atMs - writes[i - 1].atMs >= 100);
    }
    QCOMPARE(l.settings().restore().state(), State::Verifying);

    // A frame holding every value verifies the load.
    l.f.poll(frameWith(wanted));
    QCOMPARE(l.settings().restore().state(), State::Verified);
    const auto &items = l.settings().restore().items();
    QCOMPARE(items.size(), 4);
    QCOMPARE(items[0].setting.code, 1);
    QCOMPARE(items[0].got, std::optional<int>(57));
    for (const auto &item : items)
        QVERIFY(item.ok);
    ShellFixture::tick(l.f.window().el().Timer4);
    QVERIFY(l.f.window().el().ErrorList->caption().startsWith(QStringLiteral("Ayarlar Yüklendi!")));
}

void SettingsTest::frameStillDifferentAfterHalfASecondIsAMismatch()
{
    Loaded l;
    zcore::UnitSettings wanted = workedSettings();
    wanted.bandLevels[0] = 11;
    wanted.levelPoints[4] = 12;
    QVERIFY(l.loadAndSend(wanted));

    // The first frame after the commands may have left the unit before
    // them, however late it is read: it proves nothing wrong yet.
    QTest::qWait(SettingsRestore::kSettleMs + 50);
    l.f.poll();
    QCOMPARE(l.settings().restore().state(), State::Verifying);

    // The unit took the band but not the point.
    zcore::UnitSettings half = workedSettings();
    half.bandLevels[0] = 11;
    l.f.poll(frameWith(half));
    QCOMPARE(l.settings().restore().state(), State::Mismatch);
    const auto &items = l.settings().restore().items();
    QCOMPARE(items.size(), 2);
    QVERIFY(items[0].ok);
    QVERIFY(!items[1].ok);
    QCOMPARE(items[1].setting.code, 10);
    QCOMPARE(items[1].got, std::optional<int>(10));
    QCOMPARE(l.f.shell->state().statusMessage, QStringLiteral("Ayar Doğrulanamadı!"));
}

void SettingsTest::noFrameWithinFiveSecondsLeavesItUnverified()
{
    Loaded l;
    zcore::UnitSettings wanted = workedSettings();
    wanted.bandLevels[2] = 1;
    QVERIFY(l.loadAndSend(wanted));
    QTest::qWait(SettingsRestore::kVerifyTimeoutMs - 500);
    QCOMPARE(l.settings().restore().state(), State::Verifying);
    QTRY_COMPARE_WITH_TIMEOUT(l.settings().restore().state(), State::Unverified, 2000);
    QCOMPARE(l.settings().restore().items().at(0).got, std::nullopt);
    QCOMPARE(l.f.shell->state().statusMessage, QStringLiteral("Ayar Doğrulanamadı!"));
}

void SettingsTest::refusedLoadsSendNothing_data()
{
    QTest::addColumn<QByteArray>("contents"); // empty: a good file
    QTest::addColumn<bool>("frame");
    QTest::addColumn<bool>("portOpen");
    QTest::newRow("no frame since the port opened") << QByteArray() << false << true;
    QTest::newRow("port closed") << QByteArray() << true << false;
    QTest::newRow("damaged file") << QByteArray("{\"format\":\"zendalite-settings\",") << true
                                  << true;
    QTest::newRow("value out of range")
        << QByteArray(R"({"format":"zendalite-settings","version":1,"settings":)"
                      R"({"band_levels":[1,2,3,400],"switch_over_celsius":70,)"
                      R"("level_points":[5,6,7,8,9],"fuel_and_cylinder_mask":60}})")
        << true << true;
    QTest::newRow("missing file") << QByteArray("missing") << true << true;
}

void SettingsTest::refusedLoadsSendNothing()
{
    QFETCH(QByteArray, contents);
    QFETCH(bool, frame);
    QFETCH(bool, portOpen);
    Loaded l(frame);
    zcore::UnitSettings wanted = workedSettings();
    wanted.bandLevels = {1, 2, 3, 4};
    const QString path = l.file("car.json");
    if (contents.isEmpty()) {
        l.write(path, wanted);
    } else if (contents != "missing") {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(contents);
    }
    if (!portOpen)
        l.f.link.close();
    const auto result = l.settings().load(path);
    QVERIFY(!result.ok);
    QVERIFY(!result.error.isEmpty());
    QTest::qWait(20);
    QVERIFY(l.f.link.writes().isEmpty());
    QCOMPARE(l.settings().restore().state(), State::Idle);
}

void SettingsTest::previewSendsTheTickedGroupsOnly()
{
    Loaded l;
    zcore::UnitSettings wanted = workedSettings();
    wanted.bandLevels[0] = 33;
    wanted.mask = 188;
    l.write(l.file("car.json"), wanted);
    QVERIFY(l.settings().preview(l.file("car.json")).ok); // the file a person chose
    SettingsPreview *preview = l.settings().previewWindow();
    QVERIFY(preview && preview->isVisible());
    QVERIFY(l.f.link.writes().isEmpty()); // nothing goes before "Gönder"

    QCOMPARE(preview->toSend().size(), 1); // the mask is not ticked by default
    QCOMPARE(preview->toSend().at(0).code, 0);
    preview->setGroupTicked(SettingsPreview::Mask, true);
    QCOMPARE(preview->toSend().size(), 2);
    preview->setGroupTicked(SettingsPreview::Bands, false);
    QCOMPARE(preview->toSend().size(), 1);
    preview->setGroupTicked(SettingsPreview::Bands, true);
    preview->setGroupTicked(SettingsPreview::Mask, false);

    auto *send = preview->findChild<QPushButton *>();
    QVERIFY(send);
    QTest::mouseClick(send, Qt::LeftButton);
    l.sendAll();
    QCOMPARE(l.f.link.written(), command(0, 33));
    l.f.poll(frameWith(wanted));
    QCOMPARE(l.settings().restore().state(), State::Verified);
}

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
