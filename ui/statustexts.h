// The status texts the status line, the message log and the window title
// show; the poll cycle and start-up set them, link supervision shows them.
#pragma once

#include <QString>

namespace statustexts {
inline const QString kNoLink = QStringLiteral("Bağlantı Yok!");
inline const QString kConnected = QStringLiteral("Connect Ecu!");
inline const QString kReading = QStringLiteral("Ecu Okunuyor!");
inline const QString kNoEcuTitle = QStringLiteral("Ecu Bağlanmadı!");
} // namespace statustexts
