// Start-up (`start`): puts the main window in its initial state, reads the
// port number from the port file and opens the port. When the file cannot
// be taken apart or the port cannot be opened, the port-number dialog takes
// over (failed()); on the second failure path the main window hides first.
#pragma once

#include "portfileplace.h"

#include <QObject>
#include <QString>

struct SharedState;
class SerialLink;
class MainWindow;

class Startup : public QObject {
    Q_OBJECT
public:
    // configDir: where "c:\" lies on this system (see platform::driveRoot);
    // decimalPoint: the desktop's decimal separator (PortNo's caption is
    // written and read with it).
    Startup(SharedState &state, SerialLink &link, MainWindow &main, QString configDir,
            QChar decimalPoint, QObject *parent = nullptr);

    void start();

    // Where the technician's own copy of the port file goes when the
    // drive's root takes none (see PortFilePlace); empty: none.
    void setOwnPortFileFolder(const QString &folder);
    // Where the port file is read and written.
    PortFilePlace &portFile() { return m_portFile; }

    // The port file to read, as a path of this system.
    QString portFilePath() const;
    // Writes the port file where it can go: empty on success, else why.
    QString writePortFile(const QByteArray &bytes);

signals:
    // The dialog takes over; why: the reason, for the technician.
    void failed(const QString &why);
    // The port is open: start-up succeeded.
    void portOpened();

private:
    void firstFailure(const QString &why);
    void secondFailure(const QString &why);

    SharedState &m_state;
    SerialLink &m_link;
    MainWindow &m_main;
    QString m_configDir;
    PortFilePlace m_portFile;
    QChar m_decimalPoint = QLatin1Char('.');
};
