// Save and load of the unit's settings (context menu "Ayarları Kaydet…",
// "Ayarları Yükle…", Ctrl+S, Ctrl+O; actions settings-save and
// settings-load). A save writes the settings as the last frame accepted
// since the port was opened showed them; a load reads and checks the whole
// file first, then (after the preview, for a person) sends what differs and
// verifies it through SettingsRestore.
#pragma once

#include "core/decode.h"
#include "settingspreview.h"
#include "toolactions.h"
#include "tuning/settingsrestore.h"

#include <QObject>

#include <memory>
#include <optional>

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

private:
    // The reason a load cannot start now, or empty.
    QString cannotSend() const;
    ToolActions::Result refuse(const QString &why);
    // Reads and checks the whole file; no value, and the refusal, when it is not one.
    std::optional<zcore::SettingsFile> readChecked(const QString &path,
                                                   ToolActions::Result *refusal);

    SharedState &m_state;
    CommandSender &m_sender;
    MainWindow &m_main;
    SettingsRestore m_restore;
    std::optional<zcore::LiveFrame> m_lastFrame;
    std::unique_ptr<SettingsPreview> m_preview;
    bool m_previewSent = false; // "Gönder" pressed for the file shown
};
