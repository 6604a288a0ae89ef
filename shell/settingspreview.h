// The preview of a settings file before it goes to the unit: each setting
// with the file's value, the unit's present value (following the unit's
// frames while the window is open) and whether it will be sent; the groups
// to send are ticked (band levels, switch-over temperature and level points
// by default; the fuel and cylinder mask not, as it switches the car's
// fuel). "Gönder" sends the ticked settings that differ and counts them; it
// is disabled while a restore runs. "Durdur" stops one that is sending.
// Progress and the verification of each setting are shown as they come.
#pragma once

#include "core/settingsfile.h"
#include "tuning/settingsrestore.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

class SettingsPreview : public QWidget {
    Q_OBJECT
public:
    enum Group { Bands, SwitchOver, LevelPoints, Mask, GroupCount };

    explicit SettingsPreview(QWidget *parent = nullptr);

    // The window it opens beside (the main window), each time it opens.
    void setAnchor(const QWidget *anchor) { m_anchor = anchor; }

    // Shows a file against the unit's present settings; what was shown of
    // an earlier file's restore is cleared.
    void showFile(const QString &fileName, const zcore::SettingsFile &file,
                  const zcore::UnitSettings &present);

    // The unit's present settings, from a frame.
    void setPresent(const zcore::UnitSettings &present);

    // Every setting of the ticked groups: what a restore verifies.
    QList<zcore::SettingItem> chosen() const;
    // The settings that "Gönder" would send now: ticked and different.
    QList<zcore::SettingItem> toSend() const;
    const zcore::UnitSettings &present() const { return m_present; }

    void setGroupTicked(Group group, bool ticked);
    bool groupTicked(Group group) const;

    // The restore this preview started: its state, progress and results.
    void showState(SettingsRestore::State state);
    void showProgress(int sent, int total);
    void showResult(SettingsRestore::State state, const QList<SettingsRestore::Item> &items);

    static Group groupOf(int code);

signals:
    void sendRequested();
    void stopRequested();
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void refresh();
    bool running() const;

    const QWidget *m_anchor = nullptr; // not owned
    zcore::UnitSettings m_file;
    zcore::UnitSettings m_present;
    SettingsRestore::State m_state = SettingsRestore::State::Idle;
    QLabel *m_header = nullptr;
    QTableWidget *m_table = nullptr;
    QCheckBox *m_groups[GroupCount] = {};
    QPushButton *m_send = nullptr;
    QPushButton *m_stop = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_result = nullptr;
};
