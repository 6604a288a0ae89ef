// The skin's artwork, rendered from the bundled SVG files and cached.
#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

// Renders ":/skin/<name>.svg" at the given logical size; a missing file gives
// a transparent pixmap.
QPixmap renderArtwork(const QString &name, QSize size, qreal devicePixelRatio = 1.0);
