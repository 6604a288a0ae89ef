// The one-line port file: "Com-N" in double quotes, ended by CR LF.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

namespace zcore {

struct PortFileContents {
    enum class Outcome {
        Empty,      // the file exists and holds no line
        Unreadable, // a line too short to take apart (fewer than six characters)
        Port,       // the last line gave a port number
    };
    Outcome outcome = Outcome::Empty;
    // Number text of the port number read from the last line taken apart
    // (for PortNo). Lines are taken apart in order, each writing PortNo, so
    // an unreadable line keeps the number of the good line before it; empty
    // when no line was taken apart.
    QString portNumberText;
};

// Splits the file into lines; CR LF, a lone CR and a lone LF each end a line.
// A last line without an ending counts; nothing after a final ending does.
QList<QByteArray> portFileLines(QByteArrayView bytes);

// The port number of one line: the line without its first five and its last
// character, read as a leading number. No value for a line under six characters.
std::optional<double> portNumberOfLine(QByteArrayView line);

// Reads the whole file; every line is taken apart, so the last line decides.
PortFileContents parsePortFile(QByteArrayView bytes, QChar decimalPoint = QLatin1Char('.'));

// The port file as written for a port number: "Com-<number text>" in quotes, CR LF.
QByteArray portFileText(double portNumber, QChar decimalPoint = QLatin1Char('.'));

} // namespace zcore
