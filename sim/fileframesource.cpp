#include "fileframesource.h"

#include <QRegularExpression>

namespace zsim {

std::optional<QList<QByteArray>> FileFrameSource::parse(QStringView text, QString *error)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    static const QRegularExpression hexByte(QStringLiteral("^[0-9A-Fa-f]{1,2}$"));
    QList<QByteArray> frames;
    const QList<QStringView> lines = text.split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QStringView line = lines[n].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        QByteArray frame;
        for (const QString &token : line.toString().split(blanks, Qt::SkipEmptyParts)) {
            if (!hexByte.match(token).hasMatch()) {
                if (error)
                    *error =
                        QStringLiteral("line %1: \"%2\" is not a hex byte").arg(n + 1).arg(token);
                return std::nullopt;
            }
            frame.append(char(token.toUInt(nullptr, 16)));
        }
        frames.append(frame);
    }
    if (frames.isEmpty()) {
        if (error)
            *error = QStringLiteral("no frame in the file");
        return std::nullopt;
    }
    return frames;
}

FileFrameSource::FileFrameSource(QList<QByteArray> frames) : m_frames(std::move(frames)) {}

QByteArray FileFrameSource::nextFrame(double)
{
    if (m_frames.isEmpty())
        return {};
    const QByteArray frame = m_frames[m_next];
    m_next = (m_next + 1) % m_frames.size();
    return frame;
}

bool FileFrameSource::apply(int, int) { return false; }

} // namespace zsim
