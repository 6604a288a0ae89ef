// The markers of the map view, drawn over the chart's plot area from an
// image of its own. Qt Charts redraws every marker of a scatter series when
// the series changes; here the cells already drawn stay in the image, new
// cells are painted into it, and only their spots of the view are repainted.
// The whole image is drawn again only when the frame (plot area, value
// ranges) changes or cells go away.
#pragma once

#include "telemetry/graphsamples.h"

#include <QColor>
#include <QGraphicsItem>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QRectF>

#include <array>

class GraphMapCells : public QGraphicsItem {
public:
    using Bands = std::array<QList<QPointF>, kSpeedBands>; // cell centres, in values

    // colors: one per band. parent: the chart, which owns the item.
    GraphMapCells(const std::array<QColor, kSpeedBands> &colors, QGraphicsItem *parent);

    // The plot area in the parent's coordinates and the values at its edges
    // (left, bottom, width across, height up). A change redraws every cell.
    void setFrame(const QRectF &plotArea, const QRectF &values);

    // Every cell anew.
    void setCells(const Bands &cells);
    // All cells, of which added are new since the last call and removed are
    // gone; only their spots are repainted.
    void changeCells(const Bands &cells, const Bands &added, const Bands &removed);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    QPointF at(QPointF value) const; // in item coordinates
    QRectF spotOf(QPointF value) const;
    void redraw(qreal ratio);
    void drawMarkers(QPainter &painter, int band, const QList<QPointF> &cells) const;
    void updateSpots(const Bands &cells);

    std::array<QColor, kSpeedBands> m_colors;
    QSizeF m_size;
    QRectF m_values;
    Bands m_cells;
    QImage m_image;       // the markers drawn so far, at the screen's pixel ratio
    bool m_stale = false; // the image no longer matches the cells or the frame
};
