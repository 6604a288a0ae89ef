#include "settingsactions.h"

#include "core/plainfile.h"
#include "filedialogs.h"
#include "link/commandsender.h"
#include "tuning/refusal.h"
#include "ui/mainwindow.h"
#include "ui/sharedstate.h"
#include "ui/windowplacement.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QLineEdit>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {

const QString kSaved = QStringLiteral("Ayarlar Kaydedildi!");
const QString kNothingToSave = QStringLiteral("Kaydedilecek Ayar Yok!");
const QString kBadFile = QStringLiteral("Ayar Dosyası Okunamadı!");
const QString kNotWritten = QStringLiteral("Ayar Dosyası Yazılamadı!");

QString defaultFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents.isEmpty() ? QDir::homePath() : documents)
        .filePath(QStringLiteral("Zendalite"));
}

// The vehicle dialog's least width, in pixels.
constexpr int kLeastDialogWidth = 380;

const QString kFilter = QObject::tr("Zendalite ayarları (*.json);;Tüm dosyalar (*)");

// The vehicle details a person gives with a save; false when cancelled.
bool askVehicle(QWidget *parent, zcore::SettingsFile &file)
{
    QDialog dialog(parent);
    const QString title = QObject::tr("Ayarları Kaydet");
    dialog.setWindowTitle(title);
    auto *form = new QFormLayout(&dialog);
    auto *plate = new QLineEdit(&dialog);
    auto *customer = new QLineEdit(&dialog);
    auto *note = new QLineEdit(&dialog);
    form->addRow(QObject::tr("Plaka"), plate);
    form->addRow(QObject::tr("Müşteri"), customer);
    form->addRow(QObject::tr("Not"), note);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    // Wide enough for its whole title beside the frame's icon and buttons
    // (narrower, the window manager cut it to "Ayarla… aydet").
    dialog.setMinimumWidth(
        std::max(kLeastDialogWidth, 3 * dialog.fontMetrics().horizontalAdvance(title)));
    placement::placeBeside(&dialog, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    file.plate = plate->text().trimmed();
    file.customer = customer->text().trimmed();
    file.note = note->text().trimmed();
    return true;
}

} // namespace

SettingsActions::SettingsActions(SharedState &state, CommandSender &sender, MainWindow &main,
                                 ToolActions &actions, QObject *parent)
    : QObject(parent), m_state(state), m_sender(sender), m_main(main), m_restore(state, sender)
{
    actions.define(QStringLiteral("settings-save"), [this](const QString &f) { return save(f); });
    actions.define(QStringLiteral("settings-load"), [this](const QString &f) { return load(f); });
    actions.define(QStringLiteral("settings-cancel"), [this](const QString &) { return cancel(); });
    actions.addSeparator();
    actions.addEntry(tr("Ayarları Kaydet…"), QKeySequence(Qt::CTRL | Qt::Key_S),
                     [this] { return save(QString()); });
    actions.addEntry(tr("Ayarları Yükle…"), QKeySequence(Qt::CTRL | Qt::Key_O),
                     [this] { return load(QString()); });
    // The preview shows the restore it started, and no other.
    connect(&m_restore, &SettingsRestore::progressed, this, [this](int sent, int total) {
        if (m_preview && m_previewOwnsRestore)
            m_preview->showProgress(sent, total);
    });
    connect(&m_restore, &SettingsRestore::verifying, this, [this] {
        if (m_preview && m_previewOwnsRestore)
            m_preview->showState(SettingsRestore::State::Verifying);
    });
    connect(&m_restore, &SettingsRestore::finished, this, [this](SettingsRestore::State s) {
        if (m_preview && m_previewOwnsRestore)
            m_preview->showResult(s, m_restore.items());
    });
}

SettingsActions::~SettingsActions() = default;

void SettingsActions::frameAccepted(const QByteArray &payload)
{
    m_previousPayload = std::exchange(m_lastPayload, payload);
    m_lastFrame = zcore::decodePayload(payload);
    m_restore.frameAccepted(*m_lastFrame);
    // The preview shows the unit as it is, while it is open.
    if (m_preview && m_preview->isVisible())
        m_preview->setPresent(zcore::settingsOf(*m_lastFrame));
}

void SettingsActions::portOpened()
{
    m_lastPayload.reset();
    m_previousPayload.reset();
    m_lastFrame.reset();
}

ToolActions::Result SettingsActions::refuse(const QString &why) { return {false, why}; }

QString SettingsActions::nothingToSave() const
{
    const auto allZero = [](const QByteArray &payload) {
        return std::all_of(payload.begin(), payload.end(), [](char c) { return c == 0; });
    };
    if (!m_lastPayload)
        return tr("port açıldığından beri kabul edilen bir veri yok; kaydedilecek ayar yok");
    if (allZero(*m_lastPayload) || (m_previousPayload && allZero(*m_previousPayload)))
        return tr("son kabul edilen veri baştan sona sıfır; bu bir ünitenin ayarı olamaz. "
                  "Biraz sonra yeniden deneyin.");
    if (!m_previousPayload)
        return tr("port açıldığından beri tek bir veri kabul edildi; ayarlar art arda iki "
                  "veride aynı görülmeli. Biraz sonra yeniden deneyin.");
    if (zcore::settingsOf(zcore::decodePayload(*m_previousPayload)) !=
        zcore::settingsOf(*m_lastFrame))
        return tr("son iki veri ayarlarda farklı (ünite bir ayarı değiştiriyor ya da veri "
                  "bozuk). Biraz sonra yeniden deneyin.");
    return {};
}

ToolActions::Result SettingsActions::save(const QString &fileArgument)
{
    if (const QString why = nothingToSave(); !why.isEmpty()) {
        m_state.statusMessage = kNothingToSave;
        return refuse(why);
    }
    zcore::SettingsFile file;
    file.settings = zcore::settingsOf(*m_lastFrame);
    file.saved = QDateTime::currentDateTime();
    file.tool = QStringLiteral("zendalite %1").arg(QCoreApplication::applicationVersion());
    QString path = fileArgument;
    if (path.isEmpty()) {
        if (!askVehicle(&m_main, file))
            return refuse(QString()); // the person cancelled
        QDir().mkpath(defaultFolder());
        const QString suggested =
            QDir(defaultFolder())
                .filePath((file.plate.isEmpty() ? tr("ayarlar") : file.plate) +
                          QDateTime::currentDateTime().toString(QStringLiteral("-yyyyMMdd-HHmm")) +
                          QStringLiteral(".json"));
        path = filedialogs::saveFile(&m_main, &m_main, tr("Ayarları Kaydet"), suggested, kFilter);
        if (path.isEmpty())
            return refuse(QString()); // the person cancelled
    }
    QSaveFile out(path);
    const QByteArray bytes = zcore::writeSettingsFile(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        m_state.statusMessage = kNotWritten;
        return refuse(tr("%1 yazılamadı: %2").arg(path, out.errorString()));
    }
    m_state.statusMessage = kSaved;
    return {};
}

ToolActions::Result SettingsActions::refuseWhileBusy()
{
    // The running restore's messages stay; only the caller is told.
    return refuse(tr("bir ayar yüklemesi sürüyor (%1); bitmesini bekleyin ya da durdurun")
                      .arg(SettingsRestore::stateName(m_restore.state())));
}

QString SettingsActions::cannotSend() const
{
    if (!m_sender.portOpen())
        return tr("port kapalı");
    if (!m_lastFrame)
        return tr("port açıldığından beri üniteden veri gelmedi");
    return {};
}

std::optional<zcore::SettingsFile> SettingsActions::readChecked(const QString &path,
                                                                ToolActions::Result *refusal)
{
    if (const QString notPlain = zcore::notAPlainFile(path); !notPlain.isEmpty()) {
        m_state.statusMessage = kBadFile;
        *refusal = refuse(notPlain);
        return std::nullopt;
    }
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        m_state.statusMessage = kBadFile;
        *refusal = refuse(tr("%1 okunamadı: %2").arg(path, in.errorString()));
        return std::nullopt;
    }
    const QByteArray bytes = in.read(zcore::kLargestSettingsFile + 1);
    QString why;
    auto file = zcore::readSettingsFile(bytes, &why);
    if (!file) {
        m_state.statusMessage = kBadFile;
        *refusal = refuse(tr("%1: %2").arg(QFileInfo(path).fileName(), why));
        return std::nullopt;
    }
    if (const QString reason = cannotSend(); !reason.isEmpty()) {
        m_state.statusMessage =
            m_sender.portOpen() ? SettingsRestore::kNotVerified : refusal::kPortClosed;
        *refusal = refuse(reason);
        return std::nullopt;
    }
    return file;
}

ToolActions::Result SettingsActions::load(const QString &fileArgument)
{
    if (m_restore.isBusy())
        return refuseWhileBusy();
    if (fileArgument.isEmpty()) {
        const QString path =
            filedialogs::openFile(&m_main, &m_main, tr("Ayarları Yükle"), defaultFolder(), kFilter);
        if (path.isEmpty())
            return refuse(QString()); // the person cancelled
        return preview(path);
    }
    ToolActions::Result refusal;
    const auto file = readChecked(fileArgument, &refusal);
    if (!file)
        return refusal;
    // A script loads without a preview: every setting is chosen, and each
    // that differs is sent.
    m_previewOwnsRestore = false;
    m_restore.start(zcore::settingItems(file->settings), zcore::settingsOf(*m_lastFrame));
    return {};
}

ToolActions::Result SettingsActions::preview(const QString &path)
{
    if (m_restore.isBusy())
        return refuseWhileBusy();
    ToolActions::Result refusal;
    const auto file = readChecked(path, &refusal);
    if (!file)
        return refusal;
    SettingsPreview &window = previewWindowMade();
    window.showFile(QFileInfo(path).fileName(), *file, zcore::settingsOf(*m_lastFrame));
    // A file's groups as a file's are chosen (a proposal chose only bands).
    for (int g = 0; g < SettingsPreview::GroupCount; ++g)
        window.setGroupTicked(SettingsPreview::Group(g), g != SettingsPreview::Mask);
    return {};
}

SettingsPreview &SettingsActions::previewWindowMade()
{
    if (!m_preview) {
        m_preview = std::make_unique<SettingsPreview>();
        m_preview->setAnchor(&m_main);
        connect(m_preview.get(), &SettingsPreview::sendRequested, this,
                &SettingsActions::sendFromPreview);
        connect(m_preview.get(), &SettingsPreview::stopRequested, this, [this] { cancel(); });
        connect(m_preview.get(), &SettingsPreview::closed, this, &SettingsActions::previewClosed);
    }
    return *m_preview;
}

ToolActions::Result SettingsActions::proposeBands(const std::vector<std::pair<int, int>> &levels,
                                                  bool preview)
{
    if (m_restore.isBusy())
        return refuseWhileBusy();
    if (const QString reason = cannotSend(); !reason.isEmpty())
        return refuse(reason);
    const zcore::UnitSettings present = zcore::settingsOf(*m_lastFrame);
    zcore::SettingsFile file;
    file.settings = present;
    for (const auto &[band, level] : levels)
        if (band >= 0 && band < int(file.settings.bandLevels.size()))
            file.settings.bandLevels[size_t(band)] = std::clamp(level, 0, 255);
    if (preview) {
        SettingsPreview &window = previewWindowMade();
        window.showFile(tr("Ayar Yardımcısı önerisi"), file, present);
        for (int g = 0; g < SettingsPreview::GroupCount; ++g)
            window.setGroupTicked(SettingsPreview::Group(g), g == SettingsPreview::Bands);
        return {};
    }
    QList<zcore::SettingItem> bands;
    for (const zcore::SettingItem &item : zcore::settingItems(file.settings))
        if (SettingsPreview::groupOf(item.code) == SettingsPreview::Bands)
            bands.append(item);
    m_previewOwnsRestore = false;
    m_restore.start(bands, present);
    return {};
}

void SettingsActions::sendFromPreview()
{
    if (m_restore.isBusy())
        return;
    if (const QString reason = cannotSend(); !reason.isEmpty()) {
        m_preview->showResult(SettingsRestore::State::Unverified, {});
        m_state.statusMessage =
            m_sender.portOpen() ? SettingsRestore::kNotVerified : refusal::kPortClosed;
        return;
    }
    m_previewOwnsRestore = true;
    m_restore.start(m_preview->chosen(), zcore::settingsOf(*m_lastFrame));
}

void SettingsActions::previewClosed()
{
    // Closing the window stops what it is sending; a verification goes on.
    if (m_previewOwnsRestore && m_restore.state() == SettingsRestore::State::Sending)
        m_restore.cancel();
}

ToolActions::Result SettingsActions::cancel()
{
    if (!m_restore.cancel())
        return refuse(tr("gönderilmekte olan bir ayar yüklemesi yok"));
    return {};
}
