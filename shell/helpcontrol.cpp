#include "helpcontrol.h"

#include "platform.h"
#include "ui/mainwindow.h"
#include "ui/sharedstate.h"
#include "ui/skinbrowser.h"
#include "ui/windowplacement.h"

namespace {
const QString kHelpDocument = QStringLiteral("TanıtımMulti.mht");
} // namespace

HelpControl::HelpControl(SharedState &state, MainWindow &main, QObject *parent)
    : QObject(parent), m_state(state), m_main(main)
{
}

HelpControl::~HelpControl() { delete m_closing; }

void HelpControl::open()
{
    if (!m_window) {
        m_window = std::make_unique<HelpWindow>();
        connect(m_window.get(), &HelpWindow::closedByUser, this, &HelpControl::closed);
        placement::placeBeside(m_window.get(), &m_main);
    }
    m_window->show();
    m_window->raise();
    m_window->el().WebBrowser1->navigate(platform::ownFile(kHelpDocument));
}

void HelpControl::closed()
{
    // The window is in its own close event: it goes once that is over.
    m_window->hide();
    m_closing = m_window.release();
    m_closing->deleteLater();
    m_main.setWindowAttribute(0);
    m_state.silentTicks = 0;
}
