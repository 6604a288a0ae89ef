#include "core/frame.h"
#include "core/recording.h"
#include "core/tuningsession.h"
#include "shell/assistantactions.h"
#include "shell/settingspreview.h"
#include "support/shellfixture.h"
#include "tuning/assistantplot.h"
#include "tuning/assistantwindow.h"

#include <QFile>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <cmath>

namespace {

constexpr int kGas = 32 | 16 | 8 | 4;
constexpr int kPetrol = 128;
// Frames that settle a band and then give it enough samples.
constexpr int kDrive = zcore::TuningSession::kSettleFrames + zcore::kLeastSamples;

// A warm engine at 2000 rpm (band 1) with this injection time, fuel and
// band 1 level; the unit's other settings as they leave the factory.
zcore::LiveFrame engineAt(double injectionMs, int mask, int band1 = 110)
{
    return payloads::engineFrame(
        {.injectionMs = injectionMs, .mask = mask, .bands = {100, band1, 120, 130}});
}

QByteArray wire(const zcore::LiveFrame &f)
{
    return zcore::telemetryFrame(zcore::encodePayload(f));
}

// The file written whole in the fixture's folder, or an empty path.
QString fileWith(ShellFixture &f, const char *name, const QByteArray &bytes)
{
    const QString path = f.dir.filePath(QLatin1String(name));
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() ? path : QString();
}

// What opening the file in the assistant gave, once it is read (none if
// that never came).
std::optional<ToolActions::Result> openInAssistant(ShellFixture &f, const QString &path)
{
    std::optional<ToolActions::Result> result;
    f.shell->actions().run(QStringLiteral("assistant-open"), path,
                           [&](const ToolActions::Result &r) { result = r; });
    return QTest::qWaitFor([&] { return result.has_value(); }, 30000) ? result : std::nullopt;
}

struct Assisted {
    LoadedShell f;
    AssistantActions &assistant() { return f.shell->assistant(); }
    ToolActions::Result run(const char *id, const QString &file = {})
    {
        return f.shell->actions().run(QLatin1String(id), file);
    }
    void drive(int frames, const zcore::LiveFrame &frame)
    {
        for (int i = 0; i < frames; ++i)
            f.poll(wire(frame));
    }
    // A petrol reference at 4 ms and a gas drive 10 % longer: band 1 lean.
    void leanBand1()
    {
        drive(kDrive + 1, engineAt(4.0, kPetrol));
        drive(kDrive + 1, engineAt(4.4, kGas));
    }
    zcore::BandReport band1() { return assistant().session().reports()[1]; }
};

} // namespace

class AssistantWindowTest : public QObject {
    Q_OBJECT
private slots:
    void startIsRefusedWithThePortClosedAndOpensNoWindow();
    void framesAreCollectedOnlyWhileTheWindowCollects();
    void windowShowsTheBandsAndTheStepToDo();
    void uygulaShowsThePreviewAndNothingGoesOutUntilItIsSent();
    void scriptApplySendsTheProposalThroughTheRestore();
    void applyWithoutAProposalIsRefusedAndSendsNothing();
    void resetForgetsWhatWasCollected();
    void recordingAddedGivesTheNumbersOfItsFrames();
    void fileLoadAfterAProposalChoosesAFilesGroupsAgain();
};

void AssistantWindowTest::startIsRefusedWithThePortClosedAndOpensNoWindow()
{
    ShellFixture f;
    const auto result = f.shell->actions().run(QStringLiteral("assistant-start"), QString());
    QVERIFY(!result.ok);
    QCOMPARE(result.error, QStringLiteral("port kapalı"));
    QVERIFY(!f.shell->assistant().window());
    QVERIFY(!f.shell->assistant().isActive());
}

void AssistantWindowTest::framesAreCollectedOnlyWhileTheWindowCollects()
{
    Assisted a;
    a.drive(kDrive, engineAt(4.0, kPetrol));
    QCOMPARE(a.band1().petrolSamples, 0); // not started
    QVERIFY(a.run("assistant-start").ok);
    QVERIFY(a.assistant().isActive());
    QVERIFY(a.assistant().window()->isVisible());
    a.drive(kDrive + 1, engineAt(4.0, kPetrol));
    QVERIFY(a.band1().petrolSamples >= zcore::kLeastSamples - 1);
    const int collected = a.band1().petrolSamples;
    a.assistant().window()->close();
    QVERIFY(!a.assistant().isActive());
    a.drive(20, engineAt(4.0, kPetrol));
    QCOMPARE(a.band1().petrolSamples, collected);
}

void AssistantWindowTest::windowShowsTheBandsAndTheStepToDo()
{
    Assisted a;
    QVERIFY(a.run("assistant-start").ok);
    AssistantWindow *w = a.assistant().window();
    // Cold: the first step, and the reason the frame did not count.
    zcore::LiveFrame cold = engineAt(4.0, kPetrol);
    cold.temperatureByte = int(zcore::byteFromDegrees(20));
    a.drive(3, cold);
    QTRY_VERIFY2(w->stepShown().startsWith(QStringLiteral("1. Motoru ısıtın")),
                 qPrintable(w->stepShown()));
    QCOMPARE(a.assistant().liveSkip(), QStringLiteral("Motor soğuk"));

    a.leanBand1();
    // Redrawn within a second or so (less often when a redraw is slow).
    QTRY_COMPARE(w->applyButton()->text(), QStringLiteral("Uygula (1)"));
    QTableWidget *t = w->table();
    QCOMPARE(t->item(1, AssistantWindow::BandColumn)->text(), QStringLiteral("1500-2500 rpm"));
    QCOMPARE(t->item(1, AssistantWindow::LevelColumn)->text(), QStringLiteral("110"));
    QCOMPARE(t->item(1, AssistantWindow::ProposedColumn)->text(), QStringLiteral("121"));
    // 4.4 ms is 4.397 on the wire: 9.9 % lean, 110 + 11.
    QCOMPARE(t->item(1, AssistantWindow::ErrorColumn)->text(), QStringLiteral("%9,9"));
    QCOMPARE(t->item(1, AssistantWindow::PetrolMsColumn)->text(), QStringLiteral("4,00"));
    QCOMPARE(t->item(0, AssistantWindow::ProposedColumn)->text(), QStringLiteral("–"));
    QCOMPARE(t->item(0, AssistantWindow::WhyColumn)->text(),
             QStringLiteral("Benzinde 100, gazda 100 örnek daha gerekli"));
    QVERIFY(w->applyButton()->isEnabled());
    QVERIFY(w->plot()->petrolPoints() > 0);
    QVERIFY(w->plot()->gasPoints() > 0);
    // Other bands still want a petrol reference.
    QVERIFY2(w->stepShown().startsWith(QStringLiteral("2. ")), qPrintable(w->stepShown()));
}

void AssistantWindowTest::uygulaShowsThePreviewAndNothingGoesOutUntilItIsSent()
{
    Assisted a;
    QVERIFY(a.run("assistant-start").ok);
    a.leanBand1();
    const qsizetype before = a.f.link.written().size();
    QTRY_VERIFY(a.assistant().window()->applyButton()->isEnabled());
    QTest::mouseClick(a.assistant().window()->applyButton(), Qt::LeftButton);
    SettingsPreview *preview = a.f.shell->settings().previewWindow();
    QVERIFY(preview && preview->isVisible());
    QVERIFY(preview->groupTicked(SettingsPreview::Bands));
    QVERIFY(!preview->groupTicked(SettingsPreview::SwitchOver));
    QVERIFY(!preview->groupTicked(SettingsPreview::LevelPoints));
    QVERIFY(!preview->groupTicked(SettingsPreview::Mask));
    QCOMPARE(preview->chosen().size(), 4); // every band level is verified
    QCOMPARE(preview->toSend().size(), 1);
    QCOMPARE(preview->toSend().first().code, 1);
    QCOMPARE(preview->toSend().first().value, 121);
    QCOMPARE(a.f.link.written().size(), before);

    emit preview->sendRequested();
    QTRY_VERIFY(a.f.link.written().endsWith(QByteArray("\xA4\x01\x79", 3)));
    QCOMPARE(a.f.link.written().size(), before + 3);
}

void AssistantWindowTest::scriptApplySendsTheProposalThroughTheRestore()
{
    Assisted a;
    QVERIFY(a.run("assistant-start").ok);
    a.leanBand1();
    const qsizetype before = a.f.link.written().size();
    QVERIFY(a.run("assistant-apply").ok);
    QTRY_COMPARE(a.f.link.written().mid(before), QByteArray("\xA4\x01\x79", 3));
    const auto &items = a.f.shell->settings().restore().items();
    QCOMPARE(items.size(), 4);
    // The unit takes it: the gas samples start afresh, the reference stays.
    QTRY_COMPARE(a.f.shell->settings().restore().state(), SettingsRestore::State::Verifying);
    a.drive(3, engineAt(4.0, kGas, 121));
    QCOMPARE(a.band1().gasSamples, 0);
    QVERIFY(a.band1().petrolSamples >= zcore::kLeastSamples);
    QCOMPARE(a.band1().level, std::optional<int>(121));
    QTRY_COMPARE(a.f.shell->settings().restore().state(), SettingsRestore::State::Verified);
}

void AssistantWindowTest::applyWithoutAProposalIsRefusedAndSendsNothing()
{
    Assisted a;
    QVERIFY(a.run("assistant-start").ok);
    a.drive(kDrive + 1, engineAt(4.0, kPetrol));
    a.drive(kDrive + 1, engineAt(4.02, kGas)); // 4.024 on the wire: within 2 %
    const qsizetype before = a.f.link.written().size();
    const auto result = a.run("assistant-apply");
    QVERIFY(!result.ok);
    QCOMPARE(result.error, QStringLiteral("önerilen bir seviye yok"));
    QCOMPARE(a.band1().proposal.why, QStringLiteral("Hata %+0,6: seviye doğru"));
    QTest::qWait(50);
    QCOMPARE(a.f.link.written().size(), before);
}

void AssistantWindowTest::resetForgetsWhatWasCollected()
{
    Assisted a;
    QVERIFY(a.run("assistant-start").ok);
    a.leanBand1();
    QVERIFY(a.run("assistant-reset").ok);
    QCOMPARE(a.band1().petrolSamples, 0);
    QCOMPARE(a.band1().gasSamples, 0);
    QVERIFY(a.assistant().session().proposals().empty());
    QVERIFY(!a.assistant().window()->applyButton()->isEnabled());
}

void AssistantWindowTest::recordingAddedGivesTheNumbersOfItsFrames()
{
    // The same frames live and from a recording (100 ms apart in both).
    zcore::TuningSession expected;
    zcore::TuningSession::Feed feed;
    QByteArray csv = zcore::recordingHeaderLine();
    const QDateTime start = QDateTime::currentDateTime();
    qint64 ms = 0;
    const auto add = [&](int n, const zcore::LiveFrame &frame) {
        for (int i = 0; i < n; ++i, ms += 100) {
            expected.take(feed, ms, frame);
            zcore::RecordRow row;
            row.time = start.addMSecs(ms);
            row.elapsedMs = ms;
            row.payload = zcore::encodePayload(frame);
            csv += zcore::recordingLine(row);
        }
    };
    add(kDrive + 1, engineAt(4.0, kPetrol));
    add(kDrive + 1, engineAt(3.7, kGas));
    LoadedShell f;
    const auto result = openInAssistant(f, fileWith(f, "drive.csv", csv));
    QVERIFY(result);
    QVERIFY2(result->ok, qPrintable(result->error));
    QVERIFY(f.shell->assistant().window()->isVisible());
    QVERIFY(!f.shell->assistant().isActive()); // a recording is not the live frames
    const auto got = f.shell->assistant().session().reports();
    const auto want = expected.reports();
    for (size_t b = 0; b < got.size(); ++b) {
        QCOMPARE(got[b].petrolSamples, want[b].petrolSamples);
        QCOMPARE(got[b].gasSamples, want[b].gasSamples);
        QCOMPARE(got[b].petrolMs, want[b].petrolMs);
        QCOMPARE(got[b].gasMs, want[b].gasMs);
        QCOMPARE(got[b].proposal.level, want[b].proposal.level);
    }
    QCOMPARE(got[1].proposal.level, std::optional<int>(102)); // 7.5 % rich: 110 − 8

    // A file that is not a recording changes nothing.
    const auto refused = openInAssistant(f, fileWith(f, "bad.csv", "not,a,recording\r\n"));
    QVERIFY(refused && !refused->ok);
    QVERIFY2(refused->error.contains(QStringLiteral("bad.csv: kayıt dosyası değil")),
             qPrintable(refused->error));
    QCOMPARE(f.shell->assistant().session().reports()[1].gasSamples, want[1].gasSamples);
}

void AssistantWindowTest::fileLoadAfterAProposalChoosesAFilesGroupsAgain()
{
    Assisted a;
    QVERIFY(a.run("assistant-start").ok);
    a.leanBand1();
    QVERIFY(a.assistant().apply(false).ok);
    SettingsPreview *preview = a.f.shell->settings().previewWindow();
    QVERIFY(!preview->groupTicked(SettingsPreview::SwitchOver));
    QVERIFY(a.run("settings-save", a.f.dir.filePath(QStringLiteral("car.json"))).ok);
    QVERIFY(a.f.shell->settings().preview(a.f.dir.filePath(QStringLiteral("car.json"))).ok);
    QVERIFY(preview->groupTicked(SettingsPreview::Bands));
    QVERIFY(preview->groupTicked(SettingsPreview::SwitchOver));
    QVERIFY(preview->groupTicked(SettingsPreview::LevelPoints));
    QVERIFY(!preview->groupTicked(SettingsPreview::Mask));
}

QTEST_MAIN(AssistantWindowTest)
#include "tst_assistant_window.moc"
