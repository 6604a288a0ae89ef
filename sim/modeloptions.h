// Reading the simulator's options for the engine and its clock from the
// command line: digits only, whatever the process locale. Each gives no
// value, and why in *error, for a malformed one.
#pragma once

#include "enginemodel.h"

#include <QString>

#include <array>
#include <optional>

namespace zsim {

inline constexpr double kLeastTimeScale = 1.0;
inline constexpr double kMostTimeScale = 20.0;

// --ideal-levels A,B,C,D: four whole numbers from 1 to 255.
std::optional<std::array<int, 4>> parseIdealLevels(const QString &text, QString *error);

// --drive town|wide.
std::optional<EngineModel::Drive> parseDrive(const QString &text, QString *error);

// --time-scale X: 1 to 20, a decimal point allowed (2.5).
std::optional<double> parseTimeScale(const QString &text, QString *error);

} // namespace zsim
