#include "graphmapcells.h"

#include <QGraphicsScene>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
constexpr qreal kOverGrid = 10; // z value above the chart's grid and axes
// A marker is a disc of 6 px: two clouds of them (petrol and gas) still
// show each other's edge where they lie close.
constexpr qreal kMarkerRadius = 3;
} // namespace

GraphMapCells::GraphMapCells(const QList<QColor> &colors, QGraphicsItem *parent)
    : QGraphicsItem(parent), m_colors(colors), m_cells(colors.size())
{
    setZValue(kOverGrid);
    setAcceptedMouseButtons(Qt::NoButton);
}

void GraphMapCells::setFrame(const QRectF &plotArea, const QRectF &values)
{
    setPos(plotArea.topLeft());
    if (plotArea.size() == m_size && values == m_values)
        return;
    if (plotArea.size() != m_size) {
        prepareGeometryChange();
        m_size = plotArea.size();
    }
    m_values = values;
    m_stale = true;
    update();
}

void GraphMapCells::setCells(const Groups &cells)
{
    m_cells = cells;
    m_stale = true;
    update();
}

void GraphMapCells::changeCells(const Groups &cells, const Groups &added, const Groups &removed)
{
    const auto any = [](const Groups &groups) {
        return std::any_of(groups.begin(), groups.end(),
                           [](const auto &g) { return !g.isEmpty(); });
    };
    const bool anyAdded = any(added);
    const bool anyRemoved = any(removed);
    m_cells = cells;
    if (!anyAdded && !anyRemoved)
        return;
    // Markers may overlap, so a cell that goes away takes the whole image
    // drawn again (at the next paint), and so does a new cell of a group
    // drawn under others (it would come out on top); new cells of the last
    // group are simply drawn over it.
    const bool underOthers =
        std::any_of(added.begin(), added.end() - 1, [](const auto &g) { return !g.isEmpty(); });
    if (m_stale || anyRemoved || underOthers || m_image.isNull()) {
        m_stale = true;
    } else {
        QPainter painter(&m_image);
        drawMarkers(painter, int(added.size()) - 1, added.last());
    }
    updateSpots(added);
    updateSpots(removed);
}

QRectF GraphMapCells::boundingRect() const { return QRectF(QPointF(0, 0), m_size); }

void GraphMapCells::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
    if (m_stale || m_image.isNull() || m_image.devicePixelRatio() != ratio)
        redraw(ratio);
    if (!m_image.isNull())
        painter->drawImage(QPointF(0, 0), m_image);
}

QPointF GraphMapCells::at(QPointF value) const
{
    if (!(m_values.width() > 0) || !(m_values.height() > 0))
        return QPointF(-2 * kMarkerRadius, -2 * kMarkerRadius); // no frame yet: off the plot
    return QPointF((value.x() - m_values.left()) / m_values.width() * m_size.width(),
                   m_size.height() -
                       (value.y() - m_values.top()) / m_values.height() * m_size.height());
}

QRectF GraphMapCells::spotOf(QPointF value) const
{
    const qreal r = kMarkerRadius + 1; // a pixel's room for the rounding of the disc
    return QRectF(at(value) - QPointF(r, r), QSizeF(2 * r, 2 * r));
}

void GraphMapCells::redraw(qreal ratio)
{
    m_stale = false;
    const QSize pixels(int(std::ceil(m_size.width() * ratio)),
                       int(std::ceil(m_size.height() * ratio)));
    if (pixels.isEmpty()) {
        m_image = QImage();
        return;
    }
    if (m_image.size() != pixels || m_image.devicePixelRatio() != ratio) {
        m_image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_image.setDevicePixelRatio(ratio);
    }
    m_image.fill(Qt::transparent);
    QPainter painter(&m_image);
    for (int g = 0; g < m_cells.size(); ++g)
        drawMarkers(painter, g, m_cells[g]);
}

void GraphMapCells::drawMarkers(QPainter &painter, int group, const QList<QPointF> &cells) const
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_colors[group]);
    for (const QPointF &cell : cells)
        painter.drawEllipse(at(cell), kMarkerRadius, kMarkerRadius);
}

void GraphMapCells::updateSpots(const Groups &cells)
{
    // Through the scene: the item's own update() would join the spots into
    // their bounding rectangle, the scene passes each to the views.
    QGraphicsScene *on = scene();
    if (!on)
        return;
    for (const QList<QPointF> &group : cells)
        for (const QPointF &cell : group)
            on->update(mapRectToScene(spotOf(cell)));
}
