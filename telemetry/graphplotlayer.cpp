#include "graphplotlayer.h"

#include <QChart>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QValueAxis>
#include <QWidget>

#include <cmath>

namespace {
// Over the grid and the axes, under the legend (the chart stacks its own
// series at 5 and its legend at 6).
constexpr qreal kLinesZ = 5.5;

// Draws the runs of a placed line between its breaks; a run of one point
// (a lone frame between two breaks) as a dot.
void drawRuns(QPainter &painter, const QPolygonF &line)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i <= line.size(); ++i) {
        if (i < line.size() && !isLineBreak(line[i]))
            continue;
        if (i - start >= 2)
            painter.drawPolyline(line.constData() + start, int(i - start));
        else if (i - start == 1)
            painter.drawPoint(line[start]);
        start = i + 1;
    }
}

} // namespace

GraphPlotLayer::GraphPlotLayer(QChart *chart) : QGraphicsObject(chart), m_chart(chart)
{
    setZValue(kLinesZ);
    setFlag(QGraphicsItem::ItemUsesExtendedStyleOption); // exposedRect: only what is repainted
    connect(chart, &QChart::plotAreaChanged, this, [this] {
        prepareGeometryChange();
        invalidate();
    });
}

int GraphPlotLayer::addLine(const QPen &pen, QValueAxis *x, QValueAxis *y)
{
    m_lines.push_back({pen, x, y, {}, {}});
    // A range that changes moves every point drawn.
    for (QValueAxis *axis : {x, y})
        connect(axis, &QValueAxis::rangeChanged, this, &GraphPlotLayer::invalidate,
                Qt::UniqueConnection);
    return int(m_lines.size()) - 1;
}

void GraphPlotLayer::settle(int line, const QList<QPointF> &points)
{
    Line &l = m_lines[size_t(line)];
    l.settled = points;
    l.fresh.clear();
    invalidate();
}

void GraphPlotLayer::setFresh(int line, const QList<QPointF> &points)
{
    Line &l = m_lines[size_t(line)];
    if (points == l.fresh)
        return;
    // The old fresh part is painted over as well as the new one.
    const QRectF before = freshBounds(l);
    l.fresh = points;
    const QRectF after = freshBounds(l);
    if (!before.isEmpty())
        update(before);
    if (!after.isEmpty())
        update(after);
}

QRectF GraphPlotLayer::boundingRect() const { return m_chart->plotArea(); }

QPolygonF GraphPlotLayer::placed(const Line &line, const QList<QPointF> &points,
                                 const QRectF &plot) const
{
    const double xSpan = line.x->max() - line.x->min();
    const double ySpan = line.y->max() - line.y->min();
    QPolygonF polygon;
    if (xSpan <= 0 || ySpan <= 0)
        return polygon;
    const double xScale = plot.width() / xSpan;
    const double yScale = plot.height() / ySpan;
    polygon.reserve(points.size());
    for (const QPointF &p : points)
        polygon.append(QPointF(plot.left() + (p.x() - line.x->min()) * xScale,
                               plot.bottom() - (p.y() - line.y->min()) * yScale));
    return polygon;
}

QList<QPointF> GraphPlotLayer::freshPath(const Line &line)
{
    // The fresh part continues the settled one: a single fresh point still
    // joins it.
    QList<QPointF> points = line.fresh;
    if (!points.isEmpty() && !line.settled.isEmpty() && !isLineBreak(points.first()) &&
        !isLineBreak(line.settled.last()) && points.first() != line.settled.last())
        points.prepend(line.settled.last());
    return points;
}

QRectF GraphPlotLayer::freshBounds(const Line &line) const
{
    if (line.fresh.isEmpty())
        return {};
    const QRectF plot = m_chart->plotArea();
    const qreal pen = std::max<qreal>(1, line.pen.widthF()) + 2;
    QPolygonF drawn;
    for (const QPointF &p : placed(line, freshPath(line), plot))
        if (!isLineBreak(p))
            drawn.append(p);
    return drawn.boundingRect().adjusted(-pen, -pen, pen, pen).intersected(plot);
}

void GraphPlotLayer::invalidate()
{
    m_settledValid = false;
    update();
}

void GraphPlotLayer::drawSettled(const QRectF &plot, qreal pixelRatio)
{
    // The image starts on a whole pixel, so that it and the fresh parts
    // drawn over it meet without a half-pixel shift.
    m_origin = QPointF(std::floor(plot.left()), std::floor(plot.top()));
    const QSize size(int(std::ceil((plot.right() - m_origin.x()) * pixelRatio)),
                     int(std::ceil((plot.bottom() - m_origin.y()) * pixelRatio)));
    if (m_settled.size() != size)
        m_settled = QImage(size, QImage::Format_ARGB32_Premultiplied);
    m_settled.setDevicePixelRatio(pixelRatio);
    m_settled.fill(Qt::transparent);
    QPainter painter(&m_settled);
    painter.translate(-m_origin);
    for (const Line &line : m_lines) {
        if (line.settled.isEmpty())
            continue;
        painter.setPen(line.pen);
        drawRuns(painter, placed(line, line.settled, plot));
    }
    m_settledPlot = plot;
    m_settledValid = true;
}

void GraphPlotLayer::paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
                           QWidget *widget)
{
    const QRectF plot = m_chart->plotArea();
    if (plot.isEmpty())
        return;
    const qreal pixelRatio =
        widget ? widget->devicePixelRatioF() : painter->device()->devicePixelRatioF();
    if (!m_settledValid || plot != m_settledPlot || m_settled.devicePixelRatio() != pixelRatio)
        drawSettled(plot, pixelRatio);

    const QRectF exposed = option->exposedRect.intersected(plot);
    if (exposed.isEmpty())
        return;
    const QRectF source((exposed.topLeft() - m_origin) * pixelRatio, exposed.size() * pixelRatio);
    painter->drawImage(exposed, m_settled, source);

    painter->save();
    painter->setClipRect(plot);
    for (const Line &line : m_lines) {
        const QList<QPointF> points = freshPath(line);
        if (points.isEmpty())
            continue;
        painter->setPen(line.pen);
        drawRuns(*painter, placed(line, points, plot));
    }
    painter->restore();
}
