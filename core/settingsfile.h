// The unit's settings as a file: what a technician saves from a tuned car
// and loads into a unit again. A readable JSON document:
//
//   {
//     "format": "zendalite-settings",
//     "version": 1,
//     "saved": "2026-12-07T14:05:31.250+03:00",
//     "tool": "zendalite 1.0.0",
//     "vehicle": { "plate": "34 ABC 123", "customer": "Ayşe Yılmaz", "note": "" },
//     "settings": {
//       "band_levels": [10, 20, 30, 40],
//       "switch_over_celsius": 70,
//       "level_points": [200, 150, 100, 50, 10],
//       "fuel_and_cylinder_mask": 160
//     }
//   }
//
// band_levels: commands 0-3 (0-255 each); switch_over_celsius: command 5 as
// degrees, -25 to 230 (the byte on the wire is 230 minus it); level_points:
// commands 6-10, full, 3/4, half, 1/4, empty (0-255 each);
// fuel_and_cylinder_mask: command 4 (0-255: 128 petrol, 32/16/8/4 a row
// each on gas). Only "format", "version" and "settings" with all four of its
// members are required; other members are kept out of the way.
#pragma once

#include "decode.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace zcore {

inline constexpr char kSettingsFormat[] = "zendalite-settings";
inline constexpr int kSettingsVersion = 1;
// A settings file is a page of text; anything far larger is not one.
inline constexpr qsizetype kLargestSettingsFile = 64 * 1024;

// Every setting the unit reports in a frame and takes through a command.
struct UnitSettings {
    std::array<int, 4> bandLevels{};  // commands 0-3
    int switchOverByte = 0;           // command 5: 230 minus degrees
    std::array<int, 5> levelPoints{}; // commands 6-10
    int mask = 0;                     // command 4
    bool operator==(const UnitSettings &) const = default;
};

UnitSettings settingsOf(const LiveFrame &frame);

struct SettingsFile {
    UnitSettings settings;
    QDateTime saved; // invalid when the file has none
    QString tool;    // the program and version that wrote it
    QString plate;
    QString customer;
    QString note;
};

QByteArray writeSettingsFile(const SettingsFile &file);

// Reads and checks the whole file; no value, and the reason in *why, for a
// file that is not one (or not one this version reads).
std::optional<SettingsFile> readSettingsFile(QByteArrayView bytes, QString *why);

// One setting as a command: its name for people, its command code and its
// value byte.
struct SettingItem {
    QString name;
    int code = 0;
    int value = 0;
};

// The settings as commands, in the order a load sends them: band levels,
// switch-over temperature, level points, then the fuel and cylinder mask
// (last, as it switches the car's fuel).
QList<SettingItem> settingItems(const UnitSettings &settings);

} // namespace zcore
