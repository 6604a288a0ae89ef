// Save and load of the unit's settings (context menu "Ayarları Kaydet…",
// "Ayarları Yükle…", Ctrl+S, Ctrl+O; actions settings-save, settings-load
// and settings-cancel). A save writes the settings as the last two frames
// accepted since the port was opened showed them, when both agree and the
// last is not all zero bytes (a torn or empty frame is no car's settings);
// a load reads and checks the whole file first, then (after the preview,
// for a person) sends what differs and verifies every chosen setting
// through SettingsRestore. A restore belongs to the file it started from:
// while it sends or verifies, another load is refused.
#pragma once

#include "core/decode.h"
#include "settingspreview.h"
#include "toolactions.h"
#include "tuning/settingsrestore.h"

#include <QObject>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

struct SharedState;
class CommandSender;
class MainWindow;

class SettingsActions : public QObject {
    Q_OBJECT
public:
    SettingsActions(SharedState &state, CommandSender &sender, MainWindow &main,
                    ToolActions &actions, QObject *parent = nullptr);
    ~SettingsActions() override;

    // A frame the poll cycle accepted; and the port opened anew.
    void frameAccepted(const QByteArray &payload);
    void portOpened();

    const SettingsRestore &restore() const { return m_restore; }
    // The preview window while it exists.
    SettingsPreview *previewWindow() const { return m_preview.get(); }

    // file: where, as a script names it; empty for a person, who is asked.
    ToolActions::Result save(const QString &file);
    // file: as a script names it, sent without a preview; empty for a
    // person, who chooses the file and then sees the preview.
    ToolActions::Result load(const QString &file);
    // The file a person chose, checked, then shown in the preview.
    ToolActions::Result preview(const QString &path);
    // Stops a restore that is sending.
    ToolActions::Result cancel();
    // Band levels proposed (band 0..3, level): shown in the preview with
    // only the band levels chosen, for a person to send; a script's are sent
    // at once. All four band levels are verified.
    ToolActions::Result proposeBands(const std::vector<std::pair<int, int>> &levels, bool preview);

private:
    // The reason a load cannot start now, or empty.
    QString cannotSend() const;
    // The reason the frames give nothing to save, or empty.
    QString nothingToSave() const;
    void previewClosed();
    SettingsPreview &previewWindowMade();
    void sendFromPreview();
    ToolActions::Result refuse(const QString &why);
    ToolActions::Result refuseWhileBusy();
    // Reads and checks the whole file; no value, and the refusal, when it is not one.
    std::optional<zcore::SettingsFile> readChecked(const QString &path,
                                                   ToolActions::Result *refusal);

    SharedState &m_state;
    CommandSender &m_sender;
    MainWindow &m_main;
    SettingsRestore m_restore;
    // The last two payloads accepted since the port was opened, newest last.
    std::optional<QByteArray> m_lastPayload;
    std::optional<QByteArray> m_previousPayload;
    std::optional<zcore::LiveFrame> m_lastFrame; // the last one decoded
    std::unique_ptr<SettingsPreview> m_preview;
    bool m_previewOwnsRestore = false; // the restore was started from the preview
};
