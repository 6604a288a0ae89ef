#include "elementgeometry.h"

#include "core/twips.h"

#include <QWidget>

void ElementGeometry::setLeft(double twips)
{
    m_left = twips;
    apply();
}

void ElementGeometry::setTop(double twips)
{
    m_top = twips;
    apply();
}

void ElementGeometry::setWidth(double twips)
{
    m_width = twips;
    apply();
}

void ElementGeometry::setTwipsGeometry(double left, double top, double width, double height)
{
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    apply();
}

void ElementGeometry::apply()
{
    using zcore::twipsToPixels;
    const int x = twipsToPixels(m_left);
    const int y = twipsToPixels(m_top);
    // Size from the rounded edges, so neighbouring elements meet without gaps.
    const int w = twipsToPixels(m_left + m_width) - x;
    const int h = twipsToPixels(m_top + m_height) - y;
    geometryWidget()->setGeometry(x, y, w, h);
}
