// An in-memory serial link: the test queues what the unit "sent" and reads
// back every write with the time it was made.
#pragma once

#include "link/seriallink.h"

#include <QElapsedTimer>
#include <QList>

class FakeLink : public SerialLink {
public:
    struct Write {
        QByteArray bytes;
        double atMs = 0; // since the link was made, virtual time included
    };

    FakeLink();

    // What the unit sends: appended to the receive buffer (lost while the
    // device is away).
    void receive(QByteArrayView bytes)
    {
        if (m_away)
            return;
        if (m_observer)
            m_observer(bytes);
        m_pending.append(bytes);
    }
    QByteArray pending() const { return m_pending; }
    const QList<Write> &writes() const { return m_writes; }
    QByteArray written() const;

    // Moves the link's clock on without waiting (a stand-in for a pause).
    void advance(double ms) { m_virtualMs += ms; }

    // The write that many writes from now (0: the next) fails, once: an
    // adapter that browns out while a command is on its way.
    void failWrite(int fromNow) { m_failAt = m_writeCount + fromNow; }

    // The device goes away under the open port, as a pulled cable takes it:
    // the port stays open, what waited is gone, reads give nothing, writes
    // fail, what the unit sends is lost. Then it comes back. Each is told
    // to the device observer; neither does anything while the port is
    // closed (and closing the port ends the device's absence).
    void loseDevice();
    void returnDevice();
    bool deviceAway() const { return m_away; }

    // Port numbers the fake refuses to open (missing or busy ports).
    void refuseOpen(int number) { m_refused.append(number); }
    int openCount() const { return m_opens; }
    int readLength() const { return m_readLength; }
    QString settings() const { return m_settings; }

    bool setPortNumber(int number) override;
    int portNumber() const override { return m_number; }
    bool setSettings(const QString &settings) override;
    void setReadLength(int length) override { m_readLength = length; }
    bool isOpen() const override { return m_open; }
    bool open() override;
    void close() override
    {
        m_open = false;
        m_away = false;
    }
    bool write(QByteArrayView bytes) override;
    QByteArray read() override;
    void discardInput() override { m_pending.clear(); }
    QString lastError() const override { return m_error; }
    void setArrivalObserver(ArrivalObserver observer) override { m_observer = std::move(observer); }
    bool observed() const { return bool(m_observer); }
    void setDeviceObserver(DeviceObserver observer) override
    {
        m_deviceObserver = std::move(observer);
    }

private:
    QElapsedTimer m_clock;
    double m_virtualMs = 0;
    QByteArray m_pending;
    ArrivalObserver m_observer;
    DeviceObserver m_deviceObserver;
    QList<Write> m_writes;
    QList<int> m_refused;
    QString m_settings;
    QString m_error;
    int m_number = 0;
    int m_readLength = 0;
    int m_opens = 0;
    qsizetype m_writeCount = 0; // writes tried, failed ones included
    qsizetype m_failAt = -1;
    bool m_open = false;
    bool m_away = false;
};
