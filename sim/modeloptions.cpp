#include "modeloptions.h"

#include <QRegularExpression>

#include <algorithm>

namespace zsim {

std::optional<std::array<int, 4>> parseIdealLevels(const QString &text, QString *error)
{
    static const QRegularExpression form(
        QStringLiteral("^([0-9]{1,3}),([0-9]{1,3}),([0-9]{1,3}),([0-9]{1,3})$"));
    const QRegularExpressionMatch parts = form.match(text);
    std::array<int, 4> levels{};
    for (int band = 0; band < 4 && parts.hasMatch(); ++band)
        levels[size_t(band)] = parts.captured(band + 1).toInt();
    const bool inRange = std::all_of(levels.begin(), levels.end(),
                                     [](int level) { return level >= 1 && level <= 255; });
    if (!parts.hasMatch() || !inRange) {
        if (error)
            *error = QStringLiteral("--ideal-levels takes four levels from 1 to 255 separated "
                                    "by commas, e.g. 130,110,120,100 (not \"%1\")")
                         .arg(text);
        return std::nullopt;
    }
    return levels;
}

std::optional<EngineModel::Drive> parseDrive(const QString &text, QString *error)
{
    if (text == QLatin1String("town"))
        return EngineModel::Drive::Town;
    if (text == QLatin1String("wide"))
        return EngineModel::Drive::Wide;
    if (error)
        *error = QStringLiteral("--drive takes town or wide (not \"%1\")").arg(text);
    return std::nullopt;
}

std::optional<double> parseTimeScale(const QString &text, QString *error)
{
    static const QRegularExpression form(QStringLiteral("^[0-9]{1,6}(\\.[0-9]{1,6})?$"));
    const double scale = form.match(text).hasMatch() ? text.toDouble() : 0.0;
    if (scale < kLeastTimeScale || scale > kMostTimeScale) {
        if (error)
            *error = QStringLiteral("--time-scale takes a number from %1 to %2, a decimal point "
                                    "allowed (not \"%3\")")
                         .arg(kLeastTimeScale)
                         .arg(kMostTimeScale)
                         .arg(text);
        return std::nullopt;
    }
    return scale;
}

} // namespace zsim
