#include "settingsactions.h"

#include "link/commandsender.h"
#include "tuning/refusal.h"
#include "ui/mainwindow.h"
#include "ui/sharedstate.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QLineEdit>
#include <QSaveFile>
#include <QStandardPaths>

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

const QString kFilter = QObject::tr("Zendalite ayarları (*.json);;Tüm dosyalar (*)");

// The vehicle details a person gives with a save; false when cancelled.
bool askVehicle(QWidget *parent, zcore::SettingsFile &file)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QObject::tr("Ayarları Kaydet"));
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
    actions.addSeparator();
    actions.addEntry(tr("Ayarları Kaydet…"), QKeySequence(Qt::CTRL | Qt::Key_S),
                     [this] { return save(QString()); });
    actions.addEntry(tr("Ayarları Yükle…"), QKeySequence(Qt::CTRL | Qt::Key_O),
                     [this] { return load(QString()); });
    connect(&m_restore, &SettingsRestore::progressed, this, [this](int sent, int total) {
        if (m_preview)
            m_preview->showProgress(sent, total);
    });
    connect(&m_restore, &SettingsRestore::finished, this, [this](SettingsRestore::State s) {
        if (m_preview)
            m_preview->showResult(s, m_restore.items());
    });
}

SettingsActions::~SettingsActions() = default;

void SettingsActions::frameAccepted(const QByteArray &payload)
{
    m_lastFrame = zcore::decodePayload(payload);
    m_restore.frameAccepted(*m_lastFrame);
    // The preview shows the unit as it is until "Gönder"; then the results.
    if (m_preview && m_preview->isVisible() && !m_previewSent)
        m_preview->setPresent(zcore::settingsOf(*m_lastFrame));
}

void SettingsActions::portOpened() { m_lastFrame.reset(); }

ToolActions::Result SettingsActions::refuse(const QString &why) { return {false, why}; }

ToolActions::Result SettingsActions::save(const QString &fileArgument)
{
    if (!m_lastFrame) {
        m_state.statusMessage = kNothingToSave;
        return refuse(
            tr("port açıldığından beri kabul edilen bir veri yok; kaydedilecek ayar yok"));
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
        path = QFileDialog::getSaveFileName(&m_main, tr("Ayarları Kaydet"), suggested, kFilter);
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
    if (fileArgument.isEmpty()) {
        const QString path =
            QFileDialog::getOpenFileName(&m_main, tr("Ayarları Yükle"), defaultFolder(), kFilter);
        if (path.isEmpty())
            return refuse(QString()); // the person cancelled
        return preview(path);
    }
    ToolActions::Result refusal;
    const auto file = readChecked(fileArgument, &refusal);
    if (!file)
        return refusal;
    // A script loads without a preview: every setting that differs.
    QList<zcore::SettingItem> toSend;
    const auto wanted = zcore::settingItems(file->settings);
    const auto present = zcore::settingItems(zcore::settingsOf(*m_lastFrame));
    for (qsizetype i = 0; i < wanted.size(); ++i)
        if (wanted[i].value != present[i].value)
            toSend.append(wanted[i]);
    m_restore.start(toSend);
    return {};
}

ToolActions::Result SettingsActions::preview(const QString &path)
{
    ToolActions::Result refusal;
    const auto file = readChecked(path, &refusal);
    if (!file)
        return refusal;
    if (!m_preview) {
        m_preview = std::make_unique<SettingsPreview>();
        connect(m_preview.get(), &SettingsPreview::sendRequested, this, [this] {
            if (const QString reason = cannotSend(); !reason.isEmpty()) {
                m_preview->showResult(SettingsRestore::State::Unverified, {});
                m_state.statusMessage =
                    m_sender.portOpen() ? SettingsRestore::kNotVerified : refusal::kPortClosed;
                return;
            }
            m_previewSent = true;
            m_restore.start(m_preview->toSend());
        });
    }
    m_previewSent = false;
    m_preview->showFile(QFileInfo(path).fileName(), *file, zcore::settingsOf(*m_lastFrame));
    return {};
}
