#include "pollcycle.h"

#include "core/frame.h"
#include "link/seriallink.h"
#include "ui/mainwindow.h"
#include "ui/sharedstate.h"
#include "ui/skinlabel.h"
#include "ui/skintextbox.h"
#include "ui/skintimer.h"
#include "ui/statustexts.h"

namespace {
constexpr double kSilentCyclesAllowed = 30; // the 31st silent cycle reports the link lost
constexpr double kFadeStep = 48;
constexpr double kFadeLimit = 250;
const QColor kStatusColour(0xE0, 0xE0, 0xE0);
} // namespace

PollCycle::PollCycle(SharedState &state, SerialLink &link, MainWindow &window, QObject *parent)
    : QObject(parent), m_state(state), m_link(link), m_window(window)
{
}

void PollCycle::tick()
{
    const auto &e = m_window.el();
    if (!m_link.isOpen())
        return;
    const QByteArray read = m_link.read();

    m_state.silentTicks += 1;
    if (m_state.silentTicks > kSilentCyclesAllowed) {
        m_state.linkStatus = statustexts::kNoLink;
        m_state.silentTicks = 0;
        e.kapa->setEnabled(true);
        if (!e.ErrorList->caption().startsWith(statustexts::kNoLink))
            m_state.statusMessage = statustexts::kNoLink;
    }

    m_state.statusFade += kFadeStep;
    if (m_state.statusFade > kFadeLimit)
        m_state.statusFade = 0;
    // The status colour pulses while no data comes; data sets it steady. It
    // is set once per cycle, to the colour the cycle ends with.
    if (read.size() < zcore::kLeastDataRead) {
        const int grey = int(m_state.statusFade);
        e.Con1->setForeColor(QColor(grey, grey, grey));
        return;
    }

    // The unit is alive.
    e.kapa->setEnabled(false);
    m_state.silentTicks = 0;
    m_window.setWindowAttribute(0);
    m_window.setWindowTitle(MainWindow::kTitle);
    e.Con1->setForeColor(kStatusColour);

    const auto payload = zcore::framePayload(read);
    if (!payload)
        return;
    if (!e.ErrorList->caption().startsWith(statustexts::kReading))
        m_state.statusMessage = statustexts::kReading;
    const QString diagnostic = zcore::diagnosticLine(*payload);
    m_state.linkStatus = statustexts::kConnected;
    m_state.silentTicks = 0;
    if (m_onFrame)
        m_onFrame(*payload);
    e.DebugX->setText(diagnostic);
    // Whatever else waits is older than the next frame. (A read that
    // accepts nothing discards nothing, so after headers that fall late in
    // the reads a value can wait several cycles to be shown.)
    m_link.discardInput();
    emit frameAccepted(*payload);
}
