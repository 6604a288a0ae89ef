// The preview of a settings file before it goes to the unit: each setting
// with the file's value, the unit's present value and whether it will be
// sent; the groups to send are ticked (band levels, switch-over temperature
// and level points by default; the fuel and cylinder mask not, as it
// switches the car's fuel). "Gönder" sends the ticked settings that differ;
// progress and the verification of each setting are shown as they come.
#pragma once

#include "core/settingsfile.h"
#include "tuning/settingsrestore.h"

#include <QWidget>

#include <functional>

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

    // Shows a file against the unit's present settings.
    void showFile(const QString &fileName, const zcore::SettingsFile &file,
                  const zcore::UnitSettings &present);

    // The unit's present settings changed.
    void setPresent(const zcore::UnitSettings &present);

    // The settings that "Gönder" would send now: ticked and different.
    QList<zcore::SettingItem> toSend() const;

    void setGroupTicked(Group group, bool ticked);
    bool groupTicked(Group group) const;

    // The restore's progress and results, as they come.
    void showProgress(int sent, int total);
    void showResult(SettingsRestore::State state, const QList<SettingsRestore::Item> &items);

    static Group groupOf(int code);

signals:
    void sendRequested();

private:
    void refresh();

    zcore::UnitSettings m_file;
    zcore::UnitSettings m_present;
    QLabel *m_header = nullptr;
    QTableWidget *m_table = nullptr;
    QCheckBox *m_groups[GroupCount] = {};
    QPushButton *m_send = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_result = nullptr;
};
