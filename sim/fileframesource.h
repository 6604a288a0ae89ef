// Frames from a text file, sent one line per frame period, over and over.
// Each line that is not empty and does not start with '#' holds hex bytes
// separated by blanks: the whole chunk to send, header included, any length.
// Commands are not acted on.
#pragma once

#include "framesource.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace zsim {

class FileFrameSource : public FrameSource {
public:
    // The frames of a file's text; no value (and a message naming the line)
    // when a line holds something other than hex bytes, or no frame at all.
    static std::optional<QList<QByteArray>> parse(QStringView text, QString *error = nullptr);

    explicit FileFrameSource(QList<QByteArray> frames);

    QByteArray nextFrame(double periodSeconds) override;
    bool apply(int code, int value) override;

    qsizetype frameCount() const { return m_frames.size(); }

private:
    QList<QByteArray> m_frames;
    qsizetype m_next = 0;
};

} // namespace zsim
