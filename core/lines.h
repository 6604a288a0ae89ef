// Captions that grow a line at a time: the newest line first, each ended by CR.
#pragma once

#include <QString>

namespace zcore {

// Puts the line and a CR in front of the text and keeps the newest `kept` lines.
QString prependLine(const QString &line, const QString &text, int kept);

} // namespace zcore
