// The composition root: the windows, the shared state, the command sender
// and every subsystem, wired to each other. It does nothing of its own.
//
// Windows are owned through std::unique_ptr and have no parent; the help
// window exists only while it is open (HelpControl). Subsystems are members
// declared after the windows and state they use, so they go first.
#pragma once

#include "assistantactions.h"
#include "comportwindow.h"
#include "helpcontrol.h"
#include "link/commandsender.h"
#include "portdialog.h"
#include "recordingactions.h"
#include "settingsactions.h"
#include "startup.h"
#include "telemetry/livedisplay.h"
#include "telemetry/pollcycle.h"
#include "toolactions.h"
#include "tuning/bandtuning.h"
#include "tuning/fuelcontrol.h"
#include "tuning/levelcalibration.h"
#include "tuning/switchover.h"
#include "ui/bandchart.h"
#include "ui/hoverhints.h"
#include "ui/levelsensor.h"
#include "ui/linksupervision.h"
#include "ui/mainwindow.h"
#include "ui/sharedstate.h"

#include <QObject>

#include <memory>

class SerialLink;

class AppShell : public QObject {
    Q_OBJECT
public:
    // configDir: where "c:\" lies on this system.
    AppShell(SerialLink &link, QString configDir, bool manualTimers, QObject *parent = nullptr);
    ~AppShell() override;

    // Load of the main window: the animation, then start-up.
    void load();
    // Ends the program (`sonla`): the main window or the dialog was closed.
    void sonla();

    SharedState &state() { return m_state; }
    SerialLink &link() { return m_link; }
    CommandSender &sender() { return m_sender; }
    MainWindow &mainWindow() { return *m_main; }
    ComPortWindow &comPort() { return *m_comPort; }
    HelpWindow *help() const { return m_help.window(); }
    Startup &startup() { return m_startup; }
    PortDialog &portDialog() { return m_portDialog; }
    HelpControl &helpControl() { return m_help; }
    ToolActions &actions() { return m_actions; }
    SettingsActions &settings() { return m_settings; }
    RecordingActions &recording() { return m_recording; }
    AssistantActions &assistant() { return m_assistant; }

signals:
    void programEnded();

private:
    SerialLink &m_link;
    const QChar m_decimalPoint;
    SharedState m_state;
    CommandSender m_sender{m_link};
    std::unique_ptr<MainWindow> m_main;
    std::unique_ptr<ComPortWindow> m_comPort;

    LiveDisplay m_display;
    PollCycle m_poll;
    LinkSupervision m_supervision;
    HoverHints m_hoverHints;
    BandChart m_bandChart;
    LevelSensor m_levelSensor;
    BandTuning m_bandTuning;
    LevelCalibration m_levelCalibration;
    SwitchOver m_switchOver;
    FuelControl m_fuelControl;
    Startup m_startup;
    PortDialog m_portDialog;
    HelpControl m_help;
    ToolActions m_actions;
    RecordingActions m_recording;
    SettingsActions m_settings;
    AssistantActions m_assistant;
};
