// The shared hint balloon heyo: placed by the background and by the band and
// switch-over labels; only the background hides it.
#pragma once

#include <QString>

class SkinLabel;

void showBalloon(SkinLabel *heyo, double left, double top, const QString &text, double width);
