// The unit's settings saved to a file and loaded back: what goes on the
// wire, how the frames that follow verify it, what stops it, and what is
// refused.
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
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
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

QByteArray zeroFrame() { return zcore::telemetryFrame(QByteArray(zcore::kPayloadLength, '\0')); }

QByteArray command(int code, int value) { return QByteArray("\xA4", 1) + char(code) + char(value); }

QString stateOf(const SettingsRestore &restore)
{
    return SettingsRestore::stateName(restore.state());
}

struct Loaded {
    LoadedShell f;
    explicit Loaded(bool withFrame = true)
    {
        if (withFrame)
            f.poll();
    }
    SettingsActions &settings() { return f.shell->settings(); }
    const SettingsRestore &restore() { return settings().restore(); }
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
        return QTest::qWaitFor([this] { return restore().state() != State::Sending; });
    }
    // A person's preview of these settings.
    SettingsPreview *preview(const zcore::UnitSettings &wanted)
    {
        write(file("car.json"), wanted);
        if (!settings().preview(file("car.json")).ok)
            return nullptr;
        return settings().previewWindow();
    }
    ToolActions::Result run(const char *action, const QString &file = {})
    {
        return f.shell->actions().run(QLatin1String(action), file);
    }
};

QPushButton *button(SettingsPreview *preview, const char *name)
{
    return preview->findChild<QPushButton *>(QLatin1String(name));
}

QString cell(SettingsPreview *preview, int row, int column)
{
    const QTableWidgetItem *item = preview->findChild<QTableWidget *>()->item(row, column);
    return item ? item->text() : QString();
}

enum Column { Name, FileValue, UnitValue, WillSend, Result };
constexpr int kMaskRow = 10; // the preview's last row

} // namespace

class SettingsTest : public QObject {
    Q_OBJECT
private slots:
    void saveNeedsTwoAgreeingFramesThatAreNotAllZero_data();
    void saveNeedsTwoAgreeingFramesThatAreNotAllZero();
    void loadSendsOnlyTheDifferencesInOrderAndVerifiesEveryChosenSettingPastTornFrames();
    void verdictAfterFiveSecondsFollowsTheFramesCounted_data();
    void verdictAfterFiveSecondsFollowsTheFramesCounted();
    void refusedLoadsSendNothing_data();
    void refusedLoadsSendNothing();
    void anotherLoadWhileOneRunsIsRefused();
    void stopSendsNoFurtherCommand_data();
    void stopSendsNoFurtherCommand();
    void previewSendsTheTickedGroupsOnly();
    void previewFollowsTheUnitAndCountsWhatStillDiffers();
    void previewShowsTheMaskAsWords();
    void previewShowsOnlyTheResultOfItsOwnFile();
    void commandCutShortIsSentAgainWholeOnceTheUnitHasGivenItUp();
};

void SettingsTest::saveNeedsTwoAgreeingFramesThatAreNotAllZero_data()
{
    QTest::addColumn<QList<QByteArray>>("frames");
    QTest::addColumn<bool>("saved");
    zcore::UnitSettings changed = workedSettings();
    changed.bandLevels[1] = 57;
    const QByteArray worked = payloads::workedFrame();
    QTest::newRow("none") << QList<QByteArray>{} << false;
    QTest::newRow("one") << QList<QByteArray>{worked} << false;
    QTest::newRow("two that differ") << QList<QByteArray>{worked, frameWith(changed)} << false;
    QTest::newRow("two of zero bytes") << QList<QByteArray>{zeroFrame(), zeroFrame()} << false;
    QTest::newRow("zero bytes after good ones")
        << QList<QByteArray>{worked, worked, zeroFrame()} << false;
    QTest::newRow("two that agree") << QList<QByteArray>{zeroFrame(), worked, worked} << true;
}

void SettingsTest::saveNeedsTwoAgreeingFramesThatAreNotAllZero()
{
    QFETCH(QList<QByteArray>, frames);
    QFETCH(bool, saved);
    Loaded l(false);
    for (const QByteArray &frame : frames)
        l.f.poll(frame);
    const QString path = l.file("car.json");
    const auto result = l.run("settings-save", path);
    QCOMPARE(result.ok, saved);
    QCOMPARE(QFile::exists(path), saved);
    if (!saved) {
        QVERIFY(!result.error.isEmpty());
        QCOMPARE(l.f.shell->state().statusMessage, QStringLiteral("Kaydedilecek Ayar Yok!"));
        return;
    }
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
    l.f.poll();
    QVERIFY(!l.run("settings-save", path).ok);
}

void SettingsTest::loadSendsOnlyTheDifferencesInOrderAndVerifiesEveryChosenSettingPastTornFrames()
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
    QCOMPARE(stateOf(l.restore()), QStringLiteral("verifying"));

    // The poll reads the oldest frame waiting: the first one after the
    // commands may show the old values or, as here, happen to show the new
    // ones. Either way it proves nothing; the next one does.
    l.f.poll(frameWith(wanted));
    QCOMPARE(stateOf(l.restore()), QStringLiteral("verifying"));
    // Torn frames decide nothing: one of zero bytes, one with a wrong point.
    QTest::qWait(600);
    l.f.poll(zeroFrame());
    zcore::UnitSettings torn = wanted;
    torn.levelPoints[0] = 3;
    l.f.poll(frameWith(torn));
    QCOMPARE(stateOf(l.restore()), QStringLiteral("verifying"));
    l.f.poll(frameWith(wanted));
    QCOMPARE(stateOf(l.restore()), QStringLiteral("verified"));
    // A script chooses every setting: all are verified, four were sent.
    const auto &items = l.restore().items();
    QCOMPARE(items.size(), 11);
    int sent = 0;
    for (const auto &item : items) {
        QVERIFY(item.ok);
        sent += item.sent ? 1 : 0;
    }
    QCOMPARE(sent, 4);
    QCOMPARE(items[1].setting.code, 1);
    QCOMPARE(items[1].got, std::optional<int>(57));
    ShellFixture::tick(l.f.window().el().Timer4);
    QVERIFY(l.f.window().el().ErrorList->caption().startsWith(QStringLiteral("Ayarlar Yüklendi!")));
}

void SettingsTest::verdictAfterFiveSecondsFollowsTheFramesCounted_data()
{
    QTest::addColumn<int>("counted"); // differing frames after the first
    QTest::addColumn<QString>("state");
    QTest::newRow("none") << 0 << "unverified";
    QTest::newRow("one alone") << 1 << "unverified";
    QTest::newRow("frames throughout") << 5 << "mismatch";
}

void SettingsTest::verdictAfterFiveSecondsFollowsTheFramesCounted()
{
    // The unit took the band, but reset meanwhile: its level points are
    // back to nothing. Only the band was sent; every setting is checked.
    QFETCH(int, counted);
    QFETCH(QString, state);
    Loaded l;
    zcore::UnitSettings wanted = workedSettings();
    wanted.bandLevels[2] = 1;
    QVERIFY(l.loadAndSend(wanted));
    zcore::UnitSettings reset = wanted;
    reset.levelPoints = {0, 0, 0, 0, 0};
    l.f.poll(frameWith(reset));
    for (int i = 0; i < counted; ++i) {
        QTest::qWait(SettingsRestore::kVerifyTimeoutMs / 6);
        l.f.poll(frameWith(reset));
    }
    QCOMPARE(stateOf(l.restore()), QStringLiteral("verifying"));
    QTRY_COMPARE_WITH_TIMEOUT(stateOf(l.restore()), state, SettingsRestore::kVerifyTimeoutMs + 500);
    QCOMPARE(l.f.shell->state().statusMessage, QStringLiteral("Ayar Doğrulanamadı!"));
    const auto &items = l.restore().items();
    QCOMPARE(items.size(), 11);
    if (counted == 0) {
        QCOMPARE(items[2].got, std::nullopt);
        return;
    }
    QVERIFY(items[2].ok); // the band
    QCOMPARE(items[5].setting.code, zcore::command::levelPoint(0));
    QCOMPARE(items[5].got, std::optional<int>(0));
    QVERIFY(!items[5].ok);
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
    QCOMPARE(stateOf(l.restore()), QStringLiteral("idle"));
}

void SettingsTest::anotherLoadWhileOneRunsIsRefused()
{
    // A running restore belongs to the file it started from: neither a
    // script nor a person starts another until it has ended.
    Loaded l;
    zcore::UnitSettings first = workedSettings();
    first.bandLevels[0] = 11;
    zcore::UnitSettings second = workedSettings();
    second.bandLevels[1] = 22;
    l.write(l.file("first.json"), first);
    l.write(l.file("second.json"), second);
    QVERIFY(l.run("settings-load", l.file("first.json")).ok);
    for (const State busy : {State::Sending, State::Verifying}) {
        QTRY_COMPARE(l.restore().state(), busy);
        const auto refused = l.run("settings-load", l.file("second.json"));
        QVERIFY(!refused.ok);
        QVERIFY2(refused.error.contains(QStringLiteral("sürüyor")), qPrintable(refused.error));
        QVERIFY(!l.settings().preview(l.file("second.json")).ok);
        QVERIFY(!l.settings().previewWindow() || !l.settings().previewWindow()->isVisible());
    }
    l.f.poll(frameWith(first));
    l.f.poll(frameWith(first));
    QCOMPARE(stateOf(l.restore()), QStringLiteral("verified"));
    QCOMPARE(l.f.link.written(), command(0, 11));
    QVERIFY(l.run("settings-load", l.file("second.json")).ok);
}

void SettingsTest::stopSendsNoFurtherCommand_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("settings-cancel") << "settings-cancel";
    QTest::newRow("Durdur") << "Durdur";
    QTest::newRow("closing the preview") << "close";
}

void SettingsTest::stopSendsNoFurtherCommand()
{
    QFETCH(QString, how);
    Loaded l;
    QVERIFY(!l.run("settings-cancel").ok); // nothing is being sent
    zcore::UnitSettings wanted = workedSettings();
    wanted.bandLevels = {1, 2, 3, 4};
    wanted.mask = 188;
    SettingsPreview *preview = l.preview(wanted);
    QVERIFY(preview);
    preview->setGroupTicked(SettingsPreview::Mask, true);
    // The stop comes while the first command is out and the rest wait.
    QObject::connect(&l.restore(), &SettingsRestore::progressed, preview, [&](int sent, int) {
        if (sent != 1)
            return;
        if (how == QLatin1String("settings-cancel"))
            QVERIFY(l.run("settings-cancel").ok);
        else if (how == QLatin1String("Durdur"))
            QTest::mouseClick(button(preview, "stop"), Qt::LeftButton);
        else
            preview->close();
    });
    QVERIFY(button(preview, "stop"));
    QVERIFY(!button(preview, "stop")->isEnabled());
    QTest::mouseClick(button(preview, "send"), Qt::LeftButton);
    QTRY_VERIFY(l.restore().state() != State::Sending);
    QTest::qWait(50);
    QCOMPARE(l.f.link.written(), command(0, 1));
    QCOMPARE(stateOf(l.restore()), QStringLiteral("cancelled"));
    QCOMPARE(l.f.shell->state().statusMessage, QStringLiteral("Ayar Yükleme Durduruldu!"));
    l.f.poll(frameWith(wanted));
    l.f.poll(frameWith(wanted));
    QCOMPARE(stateOf(l.restore()), QStringLiteral("cancelled"));
    QVERIFY(!l.run("settings-cancel").ok);
}

void SettingsTest::previewSendsTheTickedGroupsOnly()
{
    Loaded l;
    zcore::UnitSettings wanted = workedSettings();
    wanted.bandLevels[0] = 33;
    wanted.mask = 188;
    SettingsPreview *preview = l.preview(wanted); // the file a person chose
    QVERIFY(preview && preview->isVisible());
    QVERIFY(l.f.link.writes().isEmpty()); // nothing goes before "Gönder"

    QCOMPARE(preview->toSend().size(), 1); // the mask is not ticked by default
    QCOMPARE(preview->toSend().at(0).code, 0);
    preview->setGroupTicked(SettingsPreview::Mask, true);
    QCOMPARE(preview->toSend().size(), 2);
    preview->setGroupTicked(SettingsPreview::Bands, false);
    QCOMPARE(preview->toSend().size(), 1);
    QCOMPARE(button(preview, "send")->text(), QStringLiteral("Gönder (1)"));
    preview->setGroupTicked(SettingsPreview::Bands, true);
    preview->setGroupTicked(SettingsPreview::Mask, false);

    QTest::mouseClick(button(preview, "send"), Qt::LeftButton);
    QTRY_VERIFY(l.restore().state() != State::Sending);
    QCOMPARE(l.f.link.written(), command(0, 33));
    // The ticked groups are verified: ten settings, not the mask.
    QCOMPARE(l.restore().items().size(), 10);
    l.f.poll(frameWith(wanted));
    l.f.poll(frameWith(wanted));
    QCOMPARE(stateOf(l.restore()), QStringLiteral("verified"));
}

void SettingsTest::previewFollowsTheUnitAndCountsWhatStillDiffers()
{
    Loaded l;
    zcore::UnitSettings wanted = workedSettings();
    wanted.bandLevels[0] = 33;
    wanted.switchOverByte = 230 - 80;
    SettingsPreview *preview = l.preview(wanted);
    QVERIFY(preview);
    QPushButton *send = button(preview, "send");
    QCOMPARE(send->text(), QStringLiteral("Gönder (2)"));
    QList<bool> enabledWhileSending;
    QObject::connect(&l.restore(), &SettingsRestore::progressed, preview,
                     [&](int, int) { enabledWhileSending.append(send->isEnabled()); });
    QTest::mouseClick(send, Qt::LeftButton);
    QTRY_COMPARE(l.restore().state(), State::Verifying);
    QCOMPARE(enabledWhileSending, QList<bool>({false, false, false}));
    QVERIFY(!send->isEnabled());
    l.f.poll(frameWith(wanted));
    QVERIFY(!send->isEnabled()); // still verifying
    l.f.poll(frameWith(wanted));
    QCOMPARE(stateOf(l.restore()), QStringLiteral("verified"));

    // The unit holds the file's values now: nothing is left to send.
    QCOMPARE(cell(preview, 0, UnitValue), QStringLiteral("33"));
    QCOMPARE(cell(preview, 0, WillSend), QStringLiteral("hayır (aynı)"));
    QCOMPARE(cell(preview, 0, Result), QStringLiteral("doğrulandı"));
    QCOMPARE(cell(preview, 4, UnitValue), QStringLiteral("80 °C"));
    QCOMPARE(send->text(), QStringLiteral("Gönder (0)"));
    QVERIFY(!send->isEnabled());
    QTest::mouseClick(send, Qt::LeftButton);
    QTest::qWait(20);
    QCOMPARE(l.f.link.writes().size(), 6); // the two commands, nothing again

    // A change at the unit shows, and can be put back.
    zcore::UnitSettings changed = wanted;
    changed.bandLevels[0] = 40;
    l.f.poll(frameWith(changed));
    QCOMPARE(cell(preview, 0, UnitValue), QStringLiteral("40"));
    QCOMPARE(send->text(), QStringLiteral("Gönder (1)"));
    QVERIFY(send->isEnabled());
}

void SettingsTest::previewShowsTheMaskAsWords()
{
    Loaded l; // the unit: petrol, row 2 on gas (160)
    zcore::UnitSettings wanted = workedSettings();
    const std::pair<int, const char *> shown[] = {{60, "LPG; 1-2-3-4 gazda"},
                                                  {128 + 16 + 4 + 1, "Benzin; 1-4 gazda; bit 0"},
                                                  {0, "LPG; gazda sıra yok"}};
    for (const auto &[mask, words] : shown) {
        wanted.mask = mask;
        SettingsPreview *preview = l.preview(wanted);
        QVERIFY(preview);
        QCOMPARE(cell(preview, kMaskRow, FileValue), QString::fromUtf8(words));
        QCOMPARE(cell(preview, kMaskRow, UnitValue), QStringLiteral("Benzin; 2 gazda"));
    }
}

void SettingsTest::previewShowsOnlyTheResultOfItsOwnFile()
{
    // A script's load while a person looks at a file does not write its
    // result into that file's preview.
    Loaded l;
    zcore::UnitSettings second = workedSettings();
    second.bandLevels[1] = 22;
    SettingsPreview *preview = l.preview(second);
    QVERIFY(preview);
    zcore::UnitSettings first = workedSettings();
    first.bandLevels[0] = 11;
    QVERIFY(l.loadAndSend(first));
    l.f.poll(frameWith(first));
    l.f.poll(frameWith(first));
    QCOMPARE(stateOf(l.restore()), QStringLiteral("verified"));
    QCOMPARE(preview->findChild<QLabel *>(QStringLiteral("result"))->text(), QString());
    QCOMPARE(cell(preview, 0, Result), QString());
    QCOMPARE(cell(preview, 0, UnitValue), QStringLiteral("11"));
    QCOMPARE(button(preview, "send")->text(), QStringLiteral("Gönder (2)")); // 10 back, and 22
    QVERIFY(button(preview, "send")->isEnabled());
}

void SettingsTest::commandCutShortIsSentAgainWholeOnceTheUnitHasGivenItUp()
{
    Loaded l;
    zcore::UnitSettings wanted = workedSettings();
    wanted.bandLevels[1] = 57;
    wanted.bandLevels[2] = 58;
    l.f.link.failWrite(1); // the first command's code does not go out
    l.write(l.file("car.json"), wanted);
    QVERIFY(l.run("settings-load", l.file("car.json")).ok);
    QTRY_COMPARE(l.f.link.writes().size(), 1);
    QCOMPARE(l.f.shell->state().statusMessage, QStringLiteral("Komut Yarım Kaldı!"));
    QCOMPARE(l.restore().state(), State::Sending);
    QTRY_COMPARE_WITH_TIMEOUT(l.restore().state(), State::Verifying,
                              CommandSender::kCutHoldMs + 1000);
    QCOMPARE(l.f.link.written(), QByteArray("\xA4", 1) + command(1, 57) + command(2, 58));
    const auto &writes = l.f.link.writes();
    QVERIFY(writes[1].atMs - writes[0].atMs >= CommandSender::kCutHoldMs);
}

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
