#include "appshell.h"

#include "link/seriallink.h"
#include "platform.h"
#include "ui/skinbrowser.h"
#include "ui/skintimer.h"

namespace {
const QString kAnimation = QStringLiteral("dravon.swf");
} // namespace

AppShell::AppShell(SerialLink &link, QString configDir, bool manualTimers, QObject *parent)
    : QObject(parent), m_link(link), m_decimalPoint(platform::decimalPoint()),
      m_main(std::make_unique<MainWindow>(manualTimers)),
      m_comPort(std::make_unique<ComPortWindow>()), m_display(m_state, *m_main, m_decimalPoint),
      m_poll(m_state, m_link, *m_main), m_supervision(m_state, *m_main), m_hoverHints(*m_main),
      m_bandChart(*m_main), m_levelSensor(m_state, *m_main),
      m_bandTuning(m_state, *m_main, m_sender, m_decimalPoint),
      m_levelCalibration(m_state, *m_main, m_sender),
      m_switchOver(m_state, *m_main, m_sender, m_decimalPoint),
      m_fuelControl(m_state, *m_main, m_sender),
      m_startup(m_state, m_link, *m_main, std::move(configDir), m_decimalPoint),
      m_portDialog(m_link, *m_main, *m_comPort, m_startup, m_decimalPoint),
      m_help(m_state, *m_main), m_actions(*m_main),
      m_recording(m_state, m_link, m_sender, *m_main, m_actions),
      m_settings(m_state, m_sender, *m_main, m_actions),
      m_assistant(m_settings, m_sender, *m_main, m_actions)
{
    connect(&m_recording, &RecordingActions::liveFrame, &m_assistant, &AssistantActions::frame);
    m_poll.setFrameHandler([this](const QByteArray &payload) { m_display.show(payload); });
    connect(m_main->el().Timer2, &SkinTimer::ticked, &m_poll, &PollCycle::tick);
    connect(&m_supervision, &LinkSupervision::portChangeRequested, &m_portDialog,
            &PortDialog::changePort);
    connect(&m_supervision, &LinkSupervision::helpRequested, &m_help, &HelpControl::open);
    connect(&m_startup, &Startup::failed, &m_portDialog,
            [this](const QString &why) { m_portDialog.open(why); });
    connect(&m_startup, &Startup::portOpened, &m_settings, &SettingsActions::portOpened);
    connect(&m_startup, &Startup::portOpened, &m_recording,
            [this] { m_recording.linkEvent(zcore::RecordEvent::PortOpen); });
    connect(&m_supervision, &LinkSupervision::portChangeRequested, &m_recording,
            [this] { m_recording.linkEvent(zcore::RecordEvent::PortClosed); });
    m_link.setDeviceObserver([this](SerialLink::DeviceEvent event) {
        m_recording.linkEvent(event == SerialLink::DeviceEvent::Lost
                                  ? zcore::RecordEvent::DeviceLost
                                  : zcore::RecordEvent::DeviceReturned);
    });
    connect(&m_poll, &PollCycle::frameAccepted, &m_settings, &SettingsActions::frameAccepted);
    // F1 opens the help window as the help plate does.
    m_actions.addShortcut(QKeySequence(Qt::Key_F1), [this] { m_help.open(); });
    connect(m_main.get(), &MainWindow::closedByUser, this, &AppShell::sonla);
    connect(m_comPort.get(), &ComPortWindow::closedByUser, this, &AppShell::sonla);
}

AppShell::~AppShell() { m_link.setDeviceObserver({}); }

void AppShell::load()
{
    m_main->el().showV->navigate(platform::ownFile(kAnimation));
    m_startup.start();
}

void AppShell::sonla() { emit programEnded(); }
