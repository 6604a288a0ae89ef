// Start-up (`start`): puts the main window in its initial state, reads the
// port number from the port file and opens the port. When the file cannot
// be taken apart or the port cannot be opened, the port-number dialog takes
// over (failed()); on the second failure path the main window hides first.
#pragma once

#include <QObject>
#include <QString>

struct SharedState;
class SerialLink;
class MainWindow;

class Startup : public QObject {
    Q_OBJECT
public:
    // configDir: where "c:\" lies on this system; decimalPoint: the desktop's
    // decimal separator (PortNo's caption is written and read with it).
    Startup(SharedState &state, SerialLink &link, MainWindow &main, QString configDir,
            QChar decimalPoint, QObject *parent = nullptr);

    void start();

    // The port file as a path of this system.
    QString portFilePath() const;

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
    QChar m_decimalPoint = QLatin1Char('.');
};
