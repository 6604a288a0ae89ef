// The markers of the map view, drawn over the chart's plot area from an
// image of its own. Qt Charts redraws every marker of a scatter series when
// the series changes; here the cells already drawn stay in the image, new
// cells are painted into it, and only their spots of the view are repainted.
// The whole image is drawn again only when the frame (plot area, value
// ranges) changes or cells go away.
#pragma once

#include <QColor>
#include <QGraphicsItem>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QRectF>

class GraphMapCells : public QGraphicsItem {
public:
    // Cell centres in values, one list per group of markers (a colour);
    // later groups are drawn over earlier ones.
    using Groups = QList<QList<QPointF>>;

    // colors: one per group. parent: the chart, which owns the item.
    GraphMapCells(const QList<QColor> &colors, QGraphicsItem *parent);

    // The plot area in the parent's coordinates and the values at its edges
    // (left, bottom, width across, height up). A change redraws every cell.
    void setFrame(const QRectF &plotArea, const QRectF &values);

    // Every cell anew.
    void setCells(const Groups &cells);
    // All cells, of which added are new since the last call and removed are
    // gone; only their spots are repainted.
    void changeCells(const Groups &cells, const Groups &added, const Groups &removed);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    QPointF at(QPointF value) const; // in item coordinates
    QRectF spotOf(QPointF value) const;
    void redraw(qreal ratio);
    void drawMarkers(QPainter &painter, int group, const QList<QPointF> &cells) const;
    void updateSpots(const Groups &cells);

    QList<QColor> m_colors;
    QSizeF m_size;
    QRectF m_values;
    Groups m_cells;
    QImage m_image;       // the markers drawn so far, at the screen's pixel ratio
    bool m_stale = false; // the image no longer matches the cells or the frame
};
