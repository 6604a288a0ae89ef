#include "hints.h"

namespace zcore {
namespace {

struct Region {
    float left, right, top, bottom; // bounds excluded
    const char16_t *text;
    double width;
};

bool strictlyInside(float v, float low, float high) { return v > low && v < high; }

// Tested in this order; the first that holds the pointer wins.
const Region kRegions[] = {
    {8445, 11505, 375, 1380, u"Yakıt Sistemi Ayarı!", 2000},
    {5115, 11250, 4815, 6240, u"RPM Okuma!", 1500},
    {540, 4695, 4700, 5200, u"Bilgisayar Bağlantı Ayarı!", 2000},
    {540, 2355, 1710, 4600, u"Gaz Seviye Ayarı!", 3000},
    {2550, 4695, 1710, 4600, u"Isı Ayarı!", 2000},
    {5235, 10785, 3400, 3690, u"Gaz Kalori Ayarı!", 2000},
};

} // namespace

bool inRaiseArrowSpot(float x, float y) { return x >= 4100 && x <= 4300 && y >= 3130 && y <= 3400; }

bool inLowerArrowSpot(float x, float y) { return x >= 4100 && x <= 4300 && y >= 3650 && y <= 3850; }

TableRow rowPickedAt(float x, float y, int buttons)
{
    if (buttons != 1 || !strictlyInside(x, 5200, 6800))
        return TableRow::None;
    if (strictlyInside(y, 4180, 4440))
        return TableRow::Third;
    if (strictlyInside(y, 3810, 4080))
        return TableRow::Second;
    if (strictlyInside(y, 3400, 3690))
        return TableRow::First;
    return TableRow::None;
}

std::optional<Hint> backgroundHintAt(float x, float y)
{
    for (const Region &r : kRegions) {
        if (strictlyInside(x, r.left, r.right) && strictlyInside(y, r.top, r.bottom))
            return Hint{QString::fromUtf16(r.text), r.width};
    }
    return std::nullopt;
}

bool inBandLabelHint(float x, float y)
{
    return strictlyInside(x, 0, 705) && strictlyInside(y, 0, 225);
}

bool inSwitchOverHint(float x, float y)
{
    return strictlyInside(x, 0, 1500) && strictlyInside(y, 0, 500);
}

} // namespace zcore
