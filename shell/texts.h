// The tool's own texts that more than one subsystem uses.
#pragma once

#include <QString>

namespace texts {
inline const QString kNoLink = QStringLiteral("Bağlantı Yok!");
inline const QString kConnected = QStringLiteral("Connect Ecu!");
inline const QString kReading = QStringLiteral("Ecu Okunuyor!");
inline const QString kNoEcuTitle = QStringLiteral("Ecu Bağlanmadı!");
inline const QString kPortFile = QStringLiteral("c:\\Ecu.ini");
inline const QString kLineSettings = QStringLiteral("9600,N,8,1");
inline const QString kAnimation = QStringLiteral("dravon.swf");
inline const QString kHelpDocument = QStringLiteral("TanıtımMulti.mht");
} // namespace texts
