// Which device a port was opened on, so that the same device, and no other,
// is opened again after it went away.
//
// The device is known by the first of these that it has:
//   - a name the technician chose for the port (a ports/comN link or file):
//     the name is followed to wherever it leads now;
//   - a /dev/serial/by-id link (Linux): the adapter's own name, which stays
//     with it when it comes back under another ttyUSBn or ttyACMn;
//   - USB vendor and product numbers and serial number (Windows, or Linux
//     without by-id links): the ports are searched for them; two adapters of
//     one make without serial numbers cannot be told apart, so none is taken
//     while both are there;
//   - else (a built-in port) its path, and only that path.
// A port number counted among the device families can name another device
// while this one is away (a modem taking ttyACM0): it is never taken for it.
#pragma once

#include <QString>

class PortNames;

class DeviceIdentity {
public:
    enum class Kind { ChosenName, ById, Usb, Path };

    DeviceIdentity() = default;
    // The identity of `device`, the path that port `number` was resolved
    // to when it was opened.
    static DeviceIdentity of(const PortNames &names, int number, const QString &device);

    // Where the device is now: the path to open; empty while it is not
    // there (or, known by USB numbers, while two ports answer to them).
    QString find(const PortNames &names) const;

    Kind kind() const { return m_kind; }
    // For the technician: the chosen name, the by-id name, the USB numbers
    // or the path.
    QString describe() const;

private:
    Kind m_kind = Kind::Path;
    int m_number = 0;
    QString m_path; // the by-id link; the path itself; where a USB device was
    quint16 m_vendor = 0;
    quint16 m_product = 0;
    QString m_serial;
};
