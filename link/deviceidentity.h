// Which device a port was opened on, so that the same device, and no other,
// is opened again after it went away.
//
// The device is found again by the first of these that it has:
//   - a name the technician chose for the port (a ports/comN link or file):
//     the name is followed to wherever it leads now. Where it still leads
//     to the path the device had, by the same links (none of them made
//     anew), that path is taken only while it is the same device (known as
//     below): the number of a pseudo-terminal or of a ttyUSBn that went
//     away is soon given to another line;
//   - a /dev/serial/by-id link (Linux): the adapter's own name, which stays
//     with it when it comes back under another ttyUSBn or ttyACMn;
//   - USB vendor and product numbers and serial number (Windows, or Linux
//     without by-id links): the ports are searched for them; two adapters of
//     one make without serial numbers cannot be told apart, so none is taken
//     while both are there;
//   - else (a built-in port) its path, and only that path, and, unless a
//     link on the way to it was made anew, only while it is the same
//     device node (on POSIX: the same inode made at the same time; a node
//     made anew under the name is another device).
// A port number counted among the device families can name another device
// while this one is away (a modem taking ttyACM0): it is never taken for it.
#pragma once

#include <QList>
#include <QString>

#include <utility>

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

    Kind kind() const { return m_chosen ? Kind::ChosenName : m_kind; }
    // Whether finding it reads the system's port list (about 15 ms).
    bool searchesPortList() const { return m_kind == Kind::Usb; }
    // For the technician: the chosen name, the by-id name, the USB numbers
    // or the path.
    QString describe() const;

private:
    // The device node a path leads to, as made by the system.
    struct Node {
        bool valid = false;
        qint64 inode = 0;
        qint64 madeSeconds = 0;
        qint64 madeNanoseconds = 0;
        bool operator==(const Node &) const = default;
        // Of what path leads to, or of the link at path itself.
        static Node of(const QString &path, bool link = false);
    };
    // The symbolic links on the way from path to a device, with their nodes.
    using Links = QList<std::pair<QString, Node>>;
    static Links linksFrom(QString path);

    // Whether the device at path (a real path) is the one opened.
    bool isStill(const PortNames &names, const QString &path) const;
    // Where the way to the device begins (the chosen name, or its path), and
    // whether a link on that way was made anew since it was opened: the
    // name turned to a device on purpose.
    QString wayStart(const PortNames &names) const;
    bool turned(const PortNames &names) const;

    Kind m_kind = Kind::Path; // how the device itself is known
    bool m_chosen = false;    // found by the technician's name
    int m_number = 0;
    QString m_path;   // the by-id link; the path itself; where a USB device was
    QString m_opened; // the real path it was opened at
    Node m_node;
    Links m_links; // on the way to it
    quint16 m_vendor = 0;
    quint16 m_product = 0;
    QString m_serial;
};
