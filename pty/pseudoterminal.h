// A pseudo-terminal standing in for a serial line. The master is the unit's
// end; the slave device (/dev/pts/N) is the port the tool opens. The slave
// is also held open here, set up as a raw 9600 baud line (rawline.h), so the
// master never reads EIO while the tool has the port closed, and the line
// keeps its settings between the tool's opening and closing it.
#pragma once

#include <QString>

namespace zpty {

class PseudoTerminal {
public:
    // Whether reads and writes on the master wait.
    enum class Master { Blocking, NonBlocking };

    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    // Makes a new terminal (closing one held before). On failure holds
    // nothing and says why in *error (when given).
    bool open(Master mode = Master::NonBlocking, QString *error = nullptr);
    // Closes master and slave: a tool holding the device sees the line hang up.
    void close();

    bool isOpen() const { return m_master >= 0; }
    int master() const { return m_master; }
    int slave() const { return m_slave; }
    // The slave device's path; empty while closed.
    QString device() const { return m_device; }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_device;
};

} // namespace zpty
