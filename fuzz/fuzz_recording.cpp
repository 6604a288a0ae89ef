// The recording reader on any bytes: a refusal says why, and a recording it
// takes (a torn tail left out), written again, reads back as the same rows at
// the same offsets.
#include "core/recording.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString why;
    const auto recording = zcore::readRecording(bytes, &why);
    if (!recording) {
        if (why.isEmpty())
            std::abort(); // a refusal always says why
        return 0;
    }
    if (recording->droppedBytes < 0 || recording->droppedBytes > bytes.size())
        std::abort(); // left out only what is there
    QByteArray again = zcore::recordingHeaderLine();
    for (const zcore::RecordRow &row : recording->rows)
        again += zcore::recordingLine(row);
    const auto back = zcore::readRecording(again, nullptr);
    if (!back || !(back->rows == recording->rows))
        std::abort();
    for (qsizetype i = 0; i < back->rows.size(); ++i)
        if (back->rows[i].time.offsetFromUtc() != recording->rows[i].time.offsetFromUtc())
            std::abort();
    return 0;
}
