#include "settingsfile.h"

#include "frame.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QObject>

#include <cmath>

namespace zcore {
namespace {

const QString kBandLevels = QStringLiteral("band_levels");
const QString kSwitchOver = QStringLiteral("switch_over_celsius");
const QString kLevelPoints = QStringLiteral("level_points");
const QString kMask = QStringLiteral("fuel_and_cylinder_mask");

// A JSON number that is a whole number within [low, high].
std::optional<int> wholeIn(const QJsonValue &v, int low, int high)
{
    if (!v.isDouble())
        return std::nullopt;
    const double d = v.toDouble();
    if (!std::isfinite(d) || d != std::floor(d) || d < low || d > high)
        return std::nullopt;
    return int(d);
}

template <size_t N>
bool readBytes(const QJsonObject &o, const QString &key, std::array<int, N> &out, QString *why)
{
    const QJsonValue v = o.value(key);
    if (!v.isArray() || v.toArray().size() != qsizetype(N)) {
        *why = QObject::tr("\"%1\" %2 tam sayıdan oluşan bir liste olmalı").arg(key).arg(N);
        return false;
    }
    const QJsonArray a = v.toArray();
    for (size_t i = 0; i < N; ++i) {
        const auto value = wholeIn(a.at(qsizetype(i)), 0, 255);
        if (!value) {
            *why = QObject::tr("\"%1\" içindeki %2. değer 0 ile 255 arasında bir tam sayı olmalı")
                       .arg(key)
                       .arg(i + 1);
            return false;
        }
        out[i] = *value;
    }
    return true;
}

QString textOf(const QJsonObject &o, const QString &key)
{
    return o.value(key).isString() ? o.value(key).toString() : QString();
}

} // namespace

UnitSettings settingsOf(const LiveFrame &frame)
{
    UnitSettings s;
    s.bandLevels = frame.bands;
    s.switchOverByte = frame.switchOverByte;
    s.levelPoints = frame.calibration;
    s.mask = frame.mask;
    return s;
}

QByteArray writeSettingsFile(const SettingsFile &file)
{
    const UnitSettings &s = file.settings;
    QJsonArray bands, points;
    for (int b : s.bandLevels)
        bands.append(b);
    for (int p : s.levelPoints)
        points.append(p);
    QJsonObject settings{{kBandLevels, bands},
                         {kSwitchOver, degreesFromByte(s.switchOverByte)},
                         {kLevelPoints, points},
                         {kMask, s.mask}};
    QJsonObject vehicle{{QStringLiteral("plate"), file.plate},
                        {QStringLiteral("customer"), file.customer},
                        {QStringLiteral("note"), file.note}};
    QJsonObject root{{QStringLiteral("format"), QLatin1String(kSettingsFormat)},
                     {QStringLiteral("version"), kSettingsVersion},
                     {QStringLiteral("tool"), file.tool},
                     {QStringLiteral("vehicle"), vehicle},
                     {QStringLiteral("settings"), settings}};
    if (file.saved.isValid())
        root.insert(
            QStringLiteral("saved"),
            file.saved.toOffsetFromUtc(file.saved.offsetFromUtc()).toString(Qt::ISODateWithMs));
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<SettingsFile> readSettingsFile(QByteArrayView bytes, QString *why)
{
    QString ignored;
    if (!why)
        why = &ignored;
    if (bytes.isEmpty()) {
        *why = QObject::tr("dosya boş");
        return std::nullopt;
    }
    if (bytes.size() > kLargestSettingsFile) {
        *why = QObject::tr("dosya %1 KiB'tan büyük").arg(kLargestSettingsFile / 1024);
        return std::nullopt;
    }
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError) {
        *why = QObject::tr("JSON belgesi değil (%1, bayt %2)")
                   .arg(error.errorString())
                   .arg(error.offset);
        return std::nullopt;
    }
    if (!doc.isObject()) {
        *why = QObject::tr("ayar dosyası değil (en üstte bir nesne yok)");
        return std::nullopt;
    }
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("format")).toString() != QLatin1String(kSettingsFormat)) {
        *why = QObject::tr("ayar dosyası değil (\"format\" \"%1\" değil)")
                   .arg(QLatin1String(kSettingsFormat));
        return std::nullopt;
    }
    const auto version = wholeIn(root.value(QStringLiteral("version")), 1, 1 << 30);
    if (!version) {
        *why = QObject::tr("\"version\" 1 veya daha büyük bir tam sayı olmalı");
        return std::nullopt;
    }
    if (*version > kSettingsVersion) {
        *why = QObject::tr("sürüm %1, bu programın okuduğundan (%2) yeni")
                   .arg(*version)
                   .arg(kSettingsVersion);
        return std::nullopt;
    }
    const QJsonValue settingsValue = root.value(QStringLiteral("settings"));
    if (!settingsValue.isObject()) {
        *why = QObject::tr("\"settings\" bölümü yok");
        return std::nullopt;
    }
    const QJsonObject settings = settingsValue.toObject();

    SettingsFile file;
    UnitSettings &s = file.settings;
    if (!readBytes(settings, kBandLevels, s.bandLevels, why) ||
        !readBytes(settings, kLevelPoints, s.levelPoints, why))
        return std::nullopt;
    const auto degrees = wholeIn(settings.value(kSwitchOver), 230 - 255, 230);
    if (!degrees) {
        *why = QObject::tr("\"%1\" -25 ile 230 arasında bir tam sayı olmalı").arg(kSwitchOver);
        return std::nullopt;
    }
    s.switchOverByte = int(byteFromDegrees(*degrees));
    const auto mask = wholeIn(settings.value(kMask), 0, 255);
    if (!mask) {
        *why = QObject::tr("\"%1\" 0 ile 255 arasında bir tam sayı olmalı").arg(kMask);
        return std::nullopt;
    }
    s.mask = *mask;

    file.saved = QDateTime::fromString(textOf(root, QStringLiteral("saved")), Qt::ISODateWithMs);
    file.tool = textOf(root, QStringLiteral("tool"));
    const QJsonObject vehicle = root.value(QStringLiteral("vehicle")).toObject();
    file.plate = textOf(vehicle, QStringLiteral("plate"));
    file.customer = textOf(vehicle, QStringLiteral("customer"));
    file.note = textOf(vehicle, QStringLiteral("note"));
    return file;
}

QList<SettingItem> settingItems(const UnitSettings &s)
{
    static const char *const kBandNames[] = {"0-1500 RPM", "1500-2500 RPM", "2500-4000 RPM",
                                             "4000-8000 RPM"};
    static const char *const kPointNames[] = {"Dolu", "3/4", "2/4", "1/4", "Boş"};
    QList<SettingItem> items;
    for (int b = 0; b < command::kBands; ++b)
        items.append({QObject::tr("Kalori %1").arg(QLatin1String(kBandNames[b])), command::band(b),
                      s.bandLevels[size_t(b)]});
    items.append({QObject::tr("Geçiş ısısı"), command::kSwitchOver, s.switchOverByte});
    for (int p = 0; p < command::kLevelPoints; ++p)
        items.append({QObject::tr("Seviye %1").arg(QString::fromUtf8(kPointNames[p])),
                      command::levelPoint(p), s.levelPoints[size_t(p)]});
    items.append({QObject::tr("Yakıt ve silindir"), command::kMask, s.mask});
    return items;
}

} // namespace zcore
