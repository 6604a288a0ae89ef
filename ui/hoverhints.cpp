#include "hoverhints.h"

#include "balloon.h"
#include "core/hints.h"
#include "mainwindow.h"
#include "skinlabel.h"
#include "skinpicture.h"

HoverHints::HoverHints(MainWindow &window, QObject *parent) : QObject(parent), m_window(window)
{
    connect(&window, &MainWindow::backgroundMoved, this, &HoverHints::backgroundMoved);
}

void HoverHints::backgroundMoved(Qt::MouseButtons buttons, TwipsPoint at)
{
    using namespace zcore;
    const auto &e = m_window.el();
    e.TA->setVisible(inRaiseArrowSpot(at.x, at.y));
    e.TE->setVisible(inLowerArrowSpot(at.x, at.y));

    const TableRow row = rowPickedAt(at.x, at.y, int(buttons));
    if (row != TableRow::None) {
        e.selc1->hide();
        e.selc2->hide();
        e.selc3->hide();
        (row == TableRow::Third ? e.selc1 : row == TableRow::Second ? e.selc2 : e.selc3)->show();
    }

    if (const auto hint = backgroundHintAt(at.x, at.y))
        showBalloon(e.heyo, at.x, at.y + 350, hint->text, hint->width);
    else
        e.heyo->hide();
}
