// The serial port as the logic uses it. The tool polls: no receive
// notification is used. Tests stand an in-memory fake in for the real port.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

class SerialLink {
public:
    virtual ~SerialLink() = default;

    // Accepted only while the port is closed; an unusable number is refused
    // here or, at the latest, when the port is opened.
    virtual bool setPortNumber(int number) = 0;
    virtual int portNumber() const = 0;
    // Line settings as text, e.g. "9600,N,8,1".
    virtual bool setSettings(const QString &settings) = 0;
    // One read returns at most this many characters.
    virtual void setReadLength(int length) = 0;

    virtual bool isOpen() const = 0;
    virtual bool open() = 0;
    virtual void close() = 0;

    // Each byte in order, nothing added; the bytes are on the line when this returns.
    virtual bool write(QByteArrayView bytes) = 0;
    // The oldest pending characters, at most the read length; empty when none.
    virtual QByteArray read() = 0;
    // Drops every received character not yet read.
    virtual void discardInput() = 0;

    // Why the last operation failed, for the technician; empty after success.
    virtual QString lastError() const = 0;

    // While an observer is set, every byte the device delivers is handed to
    // it as it arrives, also the bytes the reads then discard; the reads keep
    // exactly their own rules. An empty observer: none, and no extra work.
    // The observer answers how many more bytes it needs before it can make
    // anything of them (the rest of a frame): the link may save itself the
    // wake-ups for fewer. It still hands on every byte, in order, at the
    // latest when the reads take them.
    using ArrivalObserver = std::function<qsizetype(QByteArrayView bytes)>;
    virtual void setArrivalObserver(ArrivalObserver observer) = 0;

    // The device under the open port went away (a pulled cable: the port
    // stays open, reads give nothing, writes fail) or came back by itself.
    enum class DeviceEvent { Lost, Returned };
    // Told each such event as it happens; an empty observer: none. A link
    // whose device cannot go away has nothing to tell.
    using DeviceObserver = std::function<void(DeviceEvent event)>;
    virtual void setDeviceObserver(DeviceObserver /*observer*/) {}
};
