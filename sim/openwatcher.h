// Tells when another program opens a device: the tool opening the port, the
// slave side of the unit's pseudo-terminal. A replay waits for it, so the
// tool sees the recording from its first frame.
//
// On Linux the kernel reports every open of the device node (inotify); the
// unit's own descriptor on the slave was opened before the watch began and
// is not counted. Elsewhere start() fails and says why.
#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace zsim {

class OpenWatcher : public QObject {
    Q_OBJECT
public:
    explicit OpenWatcher(QObject *parent);
    ~OpenWatcher() override;

    // Starts watching the device; false, and why, when it cannot be watched.
    bool start(const QString &device, QString *error);

signals:
    // The device has been opened; reported once, then the watch ends.
    void opened();

private:
    void readEvents();
    void stop();

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace zsim
