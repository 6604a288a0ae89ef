#include "portdialog.h"

#include "comportwindow.h"
#include "core/numbers.h"
#include "core/portfile.h"
#include "link/seriallink.h"
#include "portfilestore.h"
#include "startup.h"
#include "ui/mainwindow.h"
#include "ui/skintextbox.h"

#include <QDebug>

PortDialog::PortDialog(SerialLink &link, MainWindow &main, ComPortWindow &dialog, Startup &startup,
                       QChar decimalPoint, QObject *parent)
    : QObject(parent), m_link(link), m_main(main), m_dialog(dialog), m_startup(startup),
      m_decimalPoint(decimalPoint)
{
    connect(dialog.el().Text1, &SkinTextBox::keyDown, this, [this](int code) {
        if (code == 13)
            enter();
    });
}

void PortDialog::setTip(const QString &tip)
{
    m_dialog.setToolTip(tip);
    m_dialog.el().Text1->setToolTip(tip);
}

void PortDialog::open(const QString &why)
{
    QString tip;
    if (!why.isEmpty())
        tip = why + QStringLiteral("\n\n");
    if (m_portHint)
        tip += m_portHint();
    setTip(tip.trimmed());

    m_dialog.show();
    m_dialog.raise();
    m_dialog.activateWindow();
    m_dialog.el().Text1->setText(QString());
    m_dialog.el().Text1->setFocus();
}

void PortDialog::changePort()
{
    if (m_link.isOpen())
        m_link.close();
    m_main.hide();
    open();
}

void PortDialog::enter()
{
    const double number = zcore::readLeadingNumber(m_dialog.el().Text1->text());
    if (const QString failure =
            m_startup.writePortFile(zcore::portFileText(number, m_decimalPoint));
        !failure.isEmpty()) {
        // Nothing was replaced; the dialog stays for another try or for closing.
        qWarning().noquote() << "zendalite:" << failure;
        setTip(failure);
        return;
    }
    m_dialog.hide();
    m_startup.start();
}
