#include "core/bandproposal.h"

#include <QCoreApplication>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace zcore {

namespace {

QString tr(const char *text) { return QCoreApplication::translate("BandProposal", text); }

// Percent with a Turkish decimal comma and a sign, whatever the desktop's
// locale: "+8,2".
QString percent(double value)
{
    static const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    return (value >= 0 ? QStringLiteral("+") : QString()) + turkish.toString(value, 'f', 1);
}

QString missing(int petrolSamples, int gasSamples)
{
    const int petrol = std::max(0, kLeastSamples - petrolSamples);
    const int gas = std::max(0, kLeastSamples - gasSamples);
    if (petrol > 0 && gas > 0)
        return tr("Benzinde %1, gazda %2 örnek daha gerekli").arg(petrol).arg(gas);
    if (petrol > 0)
        return tr("Benzinde %1 örnek daha gerekli").arg(petrol);
    return tr("Gazda %1 örnek daha gerekli").arg(gas);
}

// Whether the error moved towards 0 by at least kLeastShrinkShare of what
// the step from `before` to `after` should have moved it.
bool movedAsAssumed(double errorBeforePct, double errorPct, int before, int after)
{
    const double step = double(after - before) / before;
    const double expected = (100 + errorBeforePct) / (1 + step) - 100 - errorBeforePct;
    const double moved = errorPct - errorBeforePct;
    return expected < 0 ? moved <= kLeastShrinkShare * expected
                        : moved >= kLeastShrinkShare * expected;
}

} // namespace

int proposalStep(int level, double errorPct)
{
    if (!(std::abs(errorPct) >= kLeastErrorPct))
        return 0;
    const int most = std::max(1, int(std::floor(kMostStep * level)));
    const int step = int(std::lround(level * errorPct / 100.0));
    const int magnitude = std::clamp(std::abs(step), 1, most);
    return errorPct > 0 ? magnitude : -magnitude;
}

BandProposal proposeBand(const BandEvidence &e)
{
    BandProposal p;
    if (e.petrolSamples < kLeastSamples || e.gasSamples < kLeastSamples) {
        p.why = missing(e.petrolSamples, e.gasSamples);
        return p;
    }
    if (!e.errorPct || !std::isfinite(*e.errorPct)) {
        p.why = tr("Benzin ve gaz örnekleri aynı devirlerde değil: iki yakıtta aynı şekilde "
                   "sürün");
        return p;
    }
    const double error = *e.errorPct;
    p.errorPct = error;
    if (!e.level) {
        p.why = tr("Ünitenin seviyesi bilinmiyor");
        return p;
    }
    if (e.errorBeforeChangePct && e.levelBeforeChange && *e.levelBeforeChange > 0 &&
        std::abs(error) >= kLeastErrorPct &&
        !movedAsAssumed(*e.errorBeforeChangePct, error, *e.levelBeforeChange, *e.level)) {
        p.stop = true;
        p.why = tr("Hata küçülmedi (%%1 → %%2): ünite seviyeye ters yönde tepki veriyor "
                   "olabilir; bu bant için öneri durduruldu")
                    .arg(percent(*e.errorBeforeChangePct), percent(error));
        return p;
    }
    if (std::abs(error) < kLeastErrorPct) {
        p.why = tr("Hata %%1: seviye doğru").arg(percent(error));
        return p;
    }
    const int proposed = std::clamp(*e.level + proposalStep(*e.level, error), 0, 255);
    if (proposed == *e.level) {
        p.why = tr("Seviye sınırda (%1)").arg(*e.level);
        return p;
    }
    p.level = proposed;
    p.why =
        error > 0
            ? tr("Gazda enjeksiyon %%1 uzun: karışım fakir, seviye artmalı").arg(percent(error))
            : tr("Gazda enjeksiyon %%1 kısa: karışım zengin, seviye azalmalı").arg(percent(error));
    return p;
}

} // namespace zcore
