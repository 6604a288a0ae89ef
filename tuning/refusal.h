// What the technician is told, through the message log, when a setting is not sent.
#pragma once

#include "link/commandsender.h"

#include <QString>

namespace refusal {
inline const QString kNotANumber = QStringLiteral("Geçersiz Değer!");
inline const QString kOutOfRange = QStringLiteral("Değer Aralık Dışı!");
inline const QString kPortClosed = QStringLiteral("Port Kapalı!");
inline const QString kWriteFailed = QStringLiteral("Komut Gönderilemedi!");
inline const QString kCut = QStringLiteral("Komut Yarım Kaldı!");
inline const QString kHeld = QStringLiteral("Biraz Sonra Tekrar Deneyin!");

inline QString messageFor(CommandSender::Result result)
{
    switch (result) {
    case CommandSender::Result::OutOfRange:
        return kOutOfRange;
    case CommandSender::Result::PortClosed:
        return kPortClosed;
    case CommandSender::Result::WriteFailed:
        return kWriteFailed;
    case CommandSender::Result::Cut:
        return kCut;
    case CommandSender::Result::Held:
        return kHeld;
    case CommandSender::Result::Sent:
        break;
    }
    return {};
}
} // namespace refusal
