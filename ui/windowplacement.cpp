#include "windowplacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace placement {

QRect beside(const QRect &main, QSize size, const QRect &available)
{
    const int width = std::min(size.width(), available.width());
    const int height = std::min(size.height(), available.height());
    const int top = std::clamp(main.top(), available.top(), available.bottom() + 1 - height);
    const int rightRoom = available.right() - main.right() - kGap;
    const int leftRoom = main.left() - available.left() - kGap;
    int left = 0;
    if (rightRoom >= width)
        left = main.right() + 1 + kGap;
    else if (leftRoom >= width)
        left = main.left() - kGap - width;
    else if (rightRoom >= leftRoom)
        left = available.right() + 1 - width;
    else
        left = available.left();
    return {left, top, width, height};
}

void placeBeside(QWidget *window, const QWidget *main)
{
    const QScreen *screen = main->screen() ? main->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect frame = main->frameGeometry();
    const QRect client = main->geometry();
    // The frame's size beyond the client area: left + right, top + bottom.
    const QSize margins = frame.size() - client.size();
    if (!window->testAttribute(Qt::WA_Resized))
        window->adjustSize();
    const QRect placed = beside(frame, window->size() + margins, screen->availableGeometry());
    const QSize fits = placed.size() - margins;
    if (fits.width() < window->width() || fits.height() < window->height())
        window->resize(fits.boundedTo(window->size()));
    // For a top-level window, move() places its frame.
    window->move(placed.topLeft());
}

} // namespace placement
