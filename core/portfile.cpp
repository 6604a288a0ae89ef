#include "portfile.h"

#include "numbers.h"

#include <optional>

namespace zcore {

QList<QByteArray> portFileLines(QByteArrayView bytes)
{
    QList<QByteArray> lines;
    QByteArray current;
    bool open = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.append(current);
            current.clear();
            open = false;
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            continue;
        }
        current.append(c);
        open = true;
    }
    if (open)
        lines.append(current);
    return lines;
}

std::optional<double> portNumberOfLine(QByteArrayView line)
{
    if (line.size() < 6)
        return std::nullopt;
    const QByteArrayView middle = line.sliced(5, line.size() - 6);
    return readLeadingNumber(QString::fromLatin1(middle.data(), middle.size()));
}

PortFileContents parsePortFile(QByteArrayView bytes, QChar decimalPoint)
{
    PortFileContents result;
    for (const QByteArray &line : portFileLines(bytes)) {
        const auto number = portNumberOfLine(line);
        if (!number) {
            // The lines before this one were taken apart and shown already.
            result.outcome = PortFileContents::Outcome::Unreadable;
            return result;
        }
        result.outcome = PortFileContents::Outcome::Port;
        result.portNumberText = numberText(*number, decimalPoint);
    }
    return result;
}

QByteArray portFileText(double portNumber, QChar decimalPoint)
{
    return "\"Com-" + numberText(portNumber, decimalPoint).toLatin1() + "\"\r\n";
}

} // namespace zcore
