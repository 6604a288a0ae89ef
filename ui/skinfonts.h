// Fonts of the skin. The skin names Windows fonts; where they are missing,
// metric-compatible free fonts stand in. Sizes are points at 96 dots per inch.
#pragma once

#include <QFont>

void installFontSubstitutes();

// A bold font of the family at the size in points, as pixels on the reference display.
QFont skinFont(const QString &family, double points);
