// Where the tool's new windows open (the graph, the settings preview, the
// help window, its dialogs): beside the main window and wholly on the main
// window's screen, so that neither hides the other where there is room and
// no title or edge is off the screen where there is not.
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

namespace placement {

// The gap between the main window and a window beside it, in pixels.
inline constexpr int kGap = 8;

// The frame rectangle of a new window whose frame is `size`, given the main
// window's frame `main` and the room `available` on its screen (the screen
// without its task bars):
// - no larger than `available`;
// - its top at the main window's top, moved down or up as far as it must
//   to lie within `available`;
// - right of the main window where it fits there, else left of it where it
//   fits there, else against the edge of `available` on the side with the
//   more room (over part of the main window).
QRect beside(const QRect &main, QSize size, const QRect &available);

// Moves (and where it must, shrinks) a top-level window not yet shown so
// that its frame lies as beside() says, beside main's frame on main's
// screen. A window not shown yet has no frame of its own: main's frame
// margins stand for it.
void placeBeside(QWidget *window, const QWidget *main);

} // namespace placement
