// The unit's end of the serial line: a pseudo-terminal (pty/) whose slave
// side the tool opens through a symbolic link, like a serial port.
//
// The terminal keeps a slave descriptor of its own open all the time, so
// the master never reads EIO while the tool has the port closed. Bytes the
// tool writes arrive on the master and are passed on by received().
#pragma once

#include "pty/pseudoterminal.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace zsim {

class PtyLink : public QObject {
    Q_OBJECT
public:
    explicit PtyLink(QObject *parent);
    ~PtyLink() override;

    // Creates the pseudo-terminal (raw, 9600 baud) and points a symbolic link
    // at linkPath to its slave device. A symbolic link already there is
    // replaced; any other file there is left alone and open() fails.
    bool open(const QString &linkPath, QString *error);

    // Removes the link (when it still points here) and closes the terminal.
    // open() may be called again afterwards, which gives a new device.
    void close();

    // The cable pulled: closes the terminal, master and the slave kept here,
    // so a tool holding the slave sees the line hang up. The link stays and
    // points at the device that is now gone; device() still names it.
    void hangUp();
    // The cable back in after hangUp(): a new terminal, set up as before,
    // and the link turned to it in one rename.
    bool replug(QString *error);

    bool isOpen() const { return m_terminal.isOpen(); }
    QString device() const { return m_device; }
    QString linkPath() const { return m_linkPath; }

    // Hands bytes to the line without waiting: the number taken (possibly
    // fewer than offered, or 0 when the line is full), -1 on failure.
    qsizetype write(QByteArrayView bytes);

    // Bytes waiting at the slave side that nobody has read yet.
    qsizetype unread() const;
    // Throws those bytes away, as a serial port nobody listens on loses them.
    void discardUnread();

signals:
    void received(const QByteArray &bytes);

private:
    void readAvailable();
    bool openTerminal(QString *error);
    void closeTerminal();
    static bool checkLinkPath(const QString &linkPath, QString *error);
    void removeLink();

    zpty::PseudoTerminal m_terminal;
    QSocketNotifier *m_notifier = nullptr;
    QString m_device;
    QString m_linkPath;
};

} // namespace zsim
