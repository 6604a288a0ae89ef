// The port-number dialog's gestures: it is shown by a failed start-up or by
// the port plate (ChangePrt); Enter in it writes the port file and starts
// again. Its texts stay as they are: the reason for the last failure and
// what each port number means on this machine go into its tooltip.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class SerialLink;
class MainWindow;
class ComPortWindow;
class Startup;

class PortDialog : public QObject {
    Q_OBJECT
public:
    PortDialog(SerialLink &link, MainWindow &main, ComPortWindow &dialog, Startup &startup,
               QChar decimalPoint, QObject *parent = nullptr);

    // Describes the port numbers of this machine, for the tooltip.
    void setPortHint(std::function<QString()> portHint) { m_portHint = std::move(portHint); }

    // Shows the dialog with an empty entry (`ComPort` load); why: the
    // failure that led here, empty when the technician asked for it.
    void open(const QString &why = {});

    // The port plate: the port closes, the main window hides, the dialog opens.
    void changePort();

    // Enter in the entry: the port file is rewritten and start-up runs again.
    void enter();

private:
    void setTip(const QString &tip);

    SerialLink &m_link;
    MainWindow &m_main;
    ComPortWindow &m_dialog;
    Startup &m_startup;
    QChar m_decimalPoint = QLatin1Char('.');
    std::function<QString()> m_portHint;
};
