// Where the pointer is over the window background: the spots that reveal the
// temperature arrows, the strip that picks a row of the band table, and the
// panels that show a hint. Positions are twips of the client area, single
// precision as pointer events carry them.
#pragma once

#include <QString>

#include <optional>

namespace zcore {

// Bounds included.
bool inRaiseArrowSpot(float x, float y);
bool inLowerArrowSpot(float x, float y);

// The band table's rows as the markers pick them.
enum class TableRow {
    None,
    First,  // band levels, marker selc3
    Second, // out times, marker selc2
    Third,  // in times, marker selc1
};

// The row picked by a movement in the strip left of the table with exactly
// the left button held (buttons: 1 left, 2 right, 4 middle). Bounds excluded.
TableRow rowPickedAt(float x, float y, int buttons);

struct Hint {
    QString text;
    double width = 0; // twips
};

// The hint of the first panel under the pointer, in a fixed order. Bounds excluded.
std::optional<Hint> backgroundHintAt(float x, float y);

// Pointer positions relative to a band label and to the switch-over
// temperature label that show their hints (bounds excluded).
bool inBandLabelHint(float x, float y);
bool inSwitchOverHint(float x, float y);

} // namespace zcore
