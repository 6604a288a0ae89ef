// The lines of one time chart, drawn by the chart's own item over its plot
// area. Each line has a settled part, drawn once into an image that is kept
// until the view or the settled points change, and a fresh part (the
// newest samples) drawn over it with every repaint. A new sample thus costs
// the repaint of the few pixels its fresh part covers, however many
// samples the settled part holds.
#pragma once

#include <QGraphicsObject>
#include <QImage>
#include <QList>
#include <QPen>
#include <QPointF>

#include <cmath>
#include <limits>
#include <vector>

// A point that is not a number breaks a line there: the points before it
// and after it are drawn as separate runs, with nothing between them.
inline const QPointF kLineBreak(std::numeric_limits<double>::quiet_NaN(),
                                std::numeric_limits<double>::quiet_NaN());
inline bool isLineBreak(const QPointF &point) { return !std::isfinite(point.x()); }

class QChart;
class QValueAxis;

class GraphPlotLayer : public QGraphicsObject {
    Q_OBJECT
public:
    // A child item of the chart (which owns it).
    explicit GraphPlotLayer(QChart *chart);

    // A line in (x, y) values of the two axes; returns its index.
    int addLine(const QPen &pen, QValueAxis *x, QValueAxis *y);
    // The fresh part is emptied.
    void settle(int line, const QList<QPointF> &points);
    // The fresh part continues the settled one from its last point, unless
    // it starts with a break.
    void setFresh(int line, const QList<QPointF> &points);

    const QList<QPointF> &settled(int line) const { return m_lines[size_t(line)].settled; }
    const QList<QPointF> &fresh(int line) const { return m_lines[size_t(line)].fresh; }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    struct Line {
        QPen pen;
        QValueAxis *x = nullptr; // owned by the chart
        QValueAxis *y = nullptr; // owned by the chart
        QList<QPointF> settled;
        QList<QPointF> fresh;
    };
    // Chart coordinates of the points, for this plot area and these ranges.
    QPolygonF placed(const Line &line, const QList<QPointF> &points, const QRectF &plot) const;
    static QList<QPointF> freshPath(const Line &line);
    QRectF freshBounds(const Line &line) const;
    void invalidate();
    void drawSettled(const QRectF &plot, qreal pixelRatio);

    QChart *m_chart = nullptr;
    std::vector<Line> m_lines;
    QImage m_settled; // the settled parts, over the plot area
    bool m_settledValid = false;
    QRectF m_settledPlot; // the plot area the image was drawn for
    QPointF m_origin;     // where the image's first pixel lies
};
