#include "linksupervision.h"

#include "core/lines.h"
#include "mainwindow.h"
#include "sharedstate.h"
#include "skinlabel.h"
#include "skinpicture.h"
#include "skintimer.h"
#include "statustexts.h"

LinkSupervision::LinkSupervision(SharedState &state, MainWindow &window, QObject *parent)
    : QObject(parent), m_state(state), m_window(window)
{
    const auto &e = window.el();
    connect(e.Timer1, &SkinTimer::ticked, this, &LinkSupervision::showStatus);
    connect(e.Timer4, &SkinTimer::ticked, this, &LinkSupervision::showMessage);
    connect(e.kapa, &SkinTimer::ticked, this, &LinkSupervision::noEcuTimeout);
    connect(e.ChangePrt, &SkinLabel::clicked, this, &LinkSupervision::portChangeRequested);
    connect(e.kablo, &SkinLabel::clicked, this, &LinkSupervision::helpRequested);
    connect(e.PowerH, &SkinPicture::clicked, this, [e] {
        e.PowerH->hide();
        e.powerL->show();
    });
    connect(e.powerL, &SkinPicture::clicked, this, [e] {
        e.powerL->hide();
        e.PowerH->show();
    });
}

void LinkSupervision::showStatus()
{
    const auto &e = m_window.el();
    e.Con1->setCaption(m_state.linkStatus);
    e.con2->setCaption(m_state.linkStatus);
}

void LinkSupervision::showMessage()
{
    if (!m_state.statusMessage.isEmpty()) {
        SkinLabel *log = m_window.el().ErrorList;
        log->setCaption(zcore::prependLine(m_state.statusMessage, log->caption(), kLogLinesKept));
    }
    m_state.statusMessage.clear();
}

void LinkSupervision::noEcuTimeout()
{
    if (m_window.windowAttribute() == 0)
        m_window.setWindowAttribute(1);
    m_window.setWindowTitle(statustexts::kNoEcuTitle);
    m_window.el().kapa->setEnabled(false);
}
