// Pointer positions as the handlers see them: twips of the element, single precision.
#pragma once

#include "core/twips.h"

#include <QPointF>

struct TwipsPoint {
    float x = 0;
    float y = 0;
};

inline TwipsPoint toTwips(QPointF pixels)
{
    return {float(pixels.x() * zcore::kTwipsPerPixel), float(pixels.y() * zcore::kTwipsPerPixel)};
}
