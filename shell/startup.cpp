#include "startup.h"

#include "core/frame.h"
#include "core/numbers.h"
#include "core/portfile.h"
#include "link/seriallink.h"
#include "platform.h"
#include "portfilestore.h"
#include "ui/mainwindow.h"
#include "ui/sharedstate.h"
#include "ui/skinlabel.h"
#include "ui/skinpicture.h"
#include "ui/statustexts.h"

#include <QDebug>

namespace {
const QString kPortFile = QStringLiteral("c:\\Ecu.ini");
const QString kLineSettings = QStringLiteral("9600,N,8,1");
} // namespace

Startup::Startup(SharedState &state, SerialLink &link, MainWindow &main, QString configDir,
                 QChar decimalPoint, QObject *parent)
    : QObject(parent), m_state(state), m_link(link), m_main(main),
      m_configDir(std::move(configDir)),
      m_portFile(platform::localPath(kPortFile, m_configDir), QString()),
      m_decimalPoint(decimalPoint)
{
}

void Startup::setOwnPortFileFolder(const QString &folder)
{
    PortFilePlace place(m_portFile.rootFile(),
                        folder.isEmpty() ? QString() : folder + QStringLiteral("/Ecu.ini"));
    m_portFile = std::move(place);
}

QString Startup::portFilePath() const { return m_portFile.readPath(); }

QString Startup::writePortFile(const QByteArray &bytes) { return m_portFile.write(bytes); }

void Startup::start()
{
    const auto &e = m_main.el();
    m_main.show();
    e.petrol->show();
    e.Lpg->hide();
    m_state.linkStatus = statustexts::kNoLink;
    m_state.iniPath = kPortFile;
    e.ErrorList->setCaption(QString());
    e.rpms->setCaption(QStringLiteral("----"));
    e.rpmB->setCaption(QStringLiteral("----"));

    const QString path = portFilePath();
    const PortFileRead file = readPortFile(path, m_decimalPoint);
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
        if (const QString why = writePortFile(zcore::portFileText(1, m_decimalPoint));
            !why.isEmpty())
            return firstFailure(why);
        break;
    case zcore::PortFileContents::Outcome::Port:
        e.PortNo->setCaption(file.contents.portNumberText);
        break;
    }

    const auto number = zcore::wholeNumber16(e.PortNo->caption(), m_decimalPoint);
    if (!number)
        return secondFailure(tr("no usable port number"));
    if (!m_link.setPortNumber(*number) || !m_link.setSettings(kLineSettings))
        return secondFailure(m_link.lastError());
    m_link.setReadLength(zcore::kReadLength);
    if (m_link.isOpen())
        m_link.close();
    if (!m_link.open())
        return secondFailure(m_link.lastError());
    e.selc1->show();
    e.selc2->hide();
    e.selc3->hide();
    emit portOpened();
}

void Startup::firstFailure(const QString &why)
{
    qWarning().noquote() << "zendalite:" << why;
    emit failed(why);
}

void Startup::secondFailure(const QString &why)
{
    qWarning().noquote() << "zendalite:" << why;
    m_main.hide();
    emit failed(why);
}
