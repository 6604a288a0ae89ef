#include "recordedframes.h"

#include "core/recording.h"

#include <QFile>

namespace programbench {

RecordedFrames readRecordedFrames(const QString &path)
{
    RecordedFrames r;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        r.refused = f.errorString();
        return r;
    }
    const QByteArray bytes = f.readAll();
    r.bytes = bytes.size();
    const auto recording = zcore::readRecording(bytes, &r.refused);
    if (!recording)
        return r;
    for (const zcore::RecordRow &row : recording->rows) {
        if (row.event == zcore::RecordEvent::Command) {
            ++r.commands;
            continue;
        }
        if (row.event != zcore::RecordEvent::Frame)
            continue;
        const int counter = static_cast<unsigned char>(row.payload[31]) |
                            static_cast<unsigned char>(row.payload[32]) << 8;
        if (r.rows > 0) {
            const int step = (counter - r.lastCounter) & 0xFFFF;
            if (step == 0 || step > 0x8000)
                ++r.repeats;
            else
                r.gaps += step - 1;
        } else {
            r.firstCounter = counter;
        }
        r.lastCounter = counter;
        ++r.rows;
    }
    return r;
}

} // namespace programbench
