// Where the port file is. The tool names it c:\Ecu.ini, at the root of the
// system drive, and keeps it there wherever it can. A standard Windows user
// may change a file at the drive's root but create none there; where the
// root takes no port file, the technician's own copy, in the tool's
// configuration folder, holds the port instead:
//   - written: to c:\Ecu.ini; where that is refused, to the own copy;
//   - read: the one of the two that is there; where both are, the one
//     written last (c:\Ecu.ini where they are as old), so that a port
//     chosen while c:\Ecu.ini could not be written is the one read.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class PortFilePlace {
public:
    // Writes the whole file: empty on success, else why.
    using Writer = std::function<QString(const QString &path, const QByteArray &bytes)>;

    // rootFile: c:\Ecu.ini as a path of this system; userFile: the own
    // copy, empty for none (where c:\ lies in the configuration folder).
    PortFilePlace(QString rootFile, QString userFile);

    // How files are written (the atomic replacement of portfilestore.h
    // unless set).
    void setWriter(Writer writer) { m_writer = std::move(writer); }

    const QString &rootFile() const { return m_root; }
    const QString &userFile() const { return m_user; }

    // The file to read.
    QString readPath() const;
    // Writes the port file: empty on success, else why, for the technician.
    // *writtenTo (when given): the file written.
    QString write(const QByteArray &bytes, QString *writtenTo = nullptr) const;

private:
    QString m_root;
    QString m_user;
    Writer m_writer;
};
