#include "appshell.h"

#include "comportwindow.h"
#include "core/numbers.h"
#include "core/portfile.h"
#include "helpwindow.h"
#include "link/seriallink.h"
#include "platform.h"
#include "portfilestore.h"
#include "telemetry/livedisplay.h"
#include "telemetry/pollcycle.h"
#include "texts.h"
#include "tuning/bandtuning.h"
#include "tuning/fuelcontrol.h"
#include "tuning/levelcalibration.h"
#include "tuning/switchover.h"
#include "ui/bandchart.h"
#include "ui/hoverhints.h"
#include "ui/levelsensor.h"
#include "ui/linksupervision.h"
#include "ui/mainwindow.h"
#include "ui/skinbrowser.h"
#include "ui/skinlabel.h"
#include "ui/skinpicture.h"
#include "ui/skintextbox.h"
#include "ui/skintimer.h"

#include <QDebug>

AppShell::AppShell(SerialLink &link, QString configDir, bool manualTimers, QObject *parent)
    : QObject(parent), m_link(link), m_configDir(std::move(configDir)),
      m_main(std::make_unique<MainWindow>(manualTimers)),
      m_comPort(std::make_unique<ComPortWindow>())
{
    const auto &e = m_main->el();
    m_display = new LiveDisplay(m_state, *m_main, this);
    m_poll = new PollCycle(m_state, m_link, *m_main, this);
    m_poll->setFrameHandler([this](const QByteArray &payload) { m_display->show(payload); });
    connect(e.Timer2, &SkinTimer::ticked, m_poll, &PollCycle::tick);

    auto *supervision = new LinkSupervision(m_state, *m_main, this);
    connect(supervision, &LinkSupervision::portChangeRequested, this,
            &AppShell::portChangeRequested);
    connect(supervision, &LinkSupervision::helpRequested, this, &AppShell::helpStart);

    new HoverHints(*m_main, this);
    new BandChart(*m_main, this);
    new LevelSensor(m_state, *m_main, this);
    new BandTuning(m_state, *m_main, m_sender, this);
    new LevelCalibration(m_state, *m_main, m_sender, this);
    new SwitchOver(m_state, *m_main, m_sender, this);
    new FuelControl(m_state, *m_main, m_sender, this);

    connect(m_main.get(), &MainWindow::closedByUser, this, &AppShell::sonla);
    connect(m_comPort.get(), &ComPortWindow::closedByUser, this, &AppShell::sonla);
    connect(m_comPort->Text1(), &SkinTextBox::keyDown, this, [this](int code) {
        if (code == 13)
            comPortEnter();
    });
}

AppShell::~AppShell() { delete m_help; }

QString AppShell::portFilePath() const { return platform::localPath(m_state.iniPath, m_configDir); }

void AppShell::load()
{
    m_main->el().showV->navigate(platform::ownFile(texts::kAnimation));
    start();
}

void AppShell::start()
{
    const auto &e = m_main->el();
    const QChar point = platform::decimalPoint();
    m_failure.clear();

    m_main->show();
    e.petrol->show();
    e.Lpg->hide();
    m_state.linkStatus = texts::kNoLink;
    m_state.iniPath = texts::kPortFile;
    e.ErrorList->setCaption(QString());
    e.rpms->setCaption(QStringLiteral("----"));
    e.rpmB->setCaption(QStringLiteral("----"));

    const QString path = portFilePath();
    const PortFileRead file = readPortFile(path, point);
    if (!file.opened)
        return firstFailure(tr("%1: %2").arg(path, file.error));
    switch (file.contents.outcome) {
    case zcore::PortFileContents::Outcome::Unreadable:
        // Every line taken apart before the short one has written PortNo.
        if (!file.contents.portNumberText.isEmpty())
            e.PortNo->setCaption(file.contents.portNumberText);
        return firstFailure(tr("%1 does not hold a port line").arg(path));
    case zcore::PortFileContents::Outcome::Empty:
        // An empty file is made a file of port 1; the port number shown stays.
        if (const QString why = writePortFile(path, zcore::portFileText(1, point)); !why.isEmpty())
            return firstFailure(tr("%1 cannot be written: %2").arg(path, why));
        break;
    case zcore::PortFileContents::Outcome::Port:
        e.PortNo->setCaption(file.contents.portNumberText);
        break;
    }

    const auto number = zcore::wholeNumber16(e.PortNo->caption(), point);
    if (!number)
        return secondFailure(tr("no usable port number"));
    if (!m_link.setPortNumber(*number) || !m_link.setSettings(texts::kLineSettings))
        return secondFailure(m_link.lastError());
    m_link.setReadLength(50);
    if (m_link.isOpen())
        m_link.close();
    if (!m_link.open())
        return secondFailure(m_link.lastError());
    e.selc1->show();
    e.selc2->hide();
    e.selc3->hide();
}

void AppShell::firstFailure(const QString &why)
{
    m_failure = why;
    qWarning().noquote() << "zendalite:" << why;
    comPortStart();
}

void AppShell::secondFailure(const QString &why)
{
    m_failure = why;
    qWarning().noquote() << "zendalite:" << why;
    m_main->hide();
    comPortStart();
}

void AppShell::portChangeRequested()
{
    if (m_link.isOpen())
        m_link.close();
    m_main->hide();
    comPortStart();
}

void AppShell::setDialogTip(const QString &tip)
{
    m_comPort->setToolTip(tip);
    m_comPort->Text1()->setToolTip(tip);
}

void AppShell::comPortStart()
{
    // The dialog's texts stay as they are; the reason for the last failure
    // and what each number means here go into its tooltip.
    QString tip;
    if (!m_failure.isEmpty())
        tip = m_failure + QStringLiteral("\n\n");
    if (m_portHint)
        tip += m_portHint();
    setDialogTip(tip.trimmed());

    m_comPort->show();
    m_comPort->raise();
    m_comPort->activateWindow();
    m_comPort->Text1()->setText(QString());
    m_comPort->Text1()->setFocus();
}

void AppShell::comPortEnter()
{
    const QChar point = platform::decimalPoint();
    const double number = zcore::readLeadingNumber(m_comPort->Text1()->text());
    const QString path = portFilePath();
    if (const QString why = writePortFile(path, zcore::portFileText(number, point));
        !why.isEmpty()) {
        // Nothing was replaced; the dialog stays for another try or for closing.
        m_failure = tr("%1 cannot be written: %2").arg(path, why);
        qWarning().noquote() << "zendalite:" << m_failure;
        setDialogTip(m_failure);
        return;
    }
    m_comPort->hide();
    start();
}

void AppShell::helpStart()
{
    if (!m_help) {
        m_help = new HelpWindow();
        m_help->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_help, &HelpWindow::closedByUser, this, &AppShell::helpUnload);
    }
    m_help->show();
    m_help->raise();
    m_help->WebBrowser1()->navigate(platform::ownFile(texts::kHelpDocument));
}

void AppShell::helpUnload()
{
    if (m_help)
        m_help->hide();
    m_main->setWindowAttribute(0);
    m_state.silentTicks = 0;
}

void AppShell::sonla() { emit programEnded(); }
