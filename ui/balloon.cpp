#include "balloon.h"

#include "skinlabel.h"

void showBalloon(SkinLabel *heyo, double left, double top, const QString &text, double width)
{
    heyo->show();
    heyo->setLeft(left);
    heyo->setTop(top);
    heyo->setCaption(text);
    heyo->setWidth(width);
}
