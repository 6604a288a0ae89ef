#include "graphtimeview.h"

#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QMouseEvent>
#include <QValueAxis>
#include <QWheelEvent>

#include <array>
#include <cmath>

namespace {
constexpr double kZoomPerNotch = 0.8; // one wheel notch shows 80 % of the span
constexpr qreal kOverSeries = 50;     // z value above the series
constexpr int kMostMarkers = 200;     // drawn at once; more only thicken the lines
constexpr int kTextRows = 3;
const QColor kMarkerColor(0xB0, 0x30, 0x30);     // commands: dash-dot
const QColor kLinkMarkerColor(0x20, 0x50, 0x90); // the link's events: dotted
} // namespace

GraphTimeView::GraphTimeView(QChart *chart, QValueAxis *timeAxis, QWidget *parent)
    : QChartView(chart, parent), m_timeAxis(timeAxis), m_pointerLine(new QGraphicsLineItem(chart))
{
    setRenderHint(QPainter::Antialiasing, false);
    viewport()->setMouseTracking(true);
    m_pointerLine->setPen(QPen(QColor(0x60, 0x60, 0x60), 0, Qt::DashLine));
    m_pointerLine->setZValue(kOverSeries);
    m_pointerLine->hide();
    connect(chart, &QChart::plotAreaChanged, this, &GraphTimeView::layOut);
    connect(timeAxis, &QValueAxis::rangeChanged, this, &GraphTimeView::layOut);
}

void GraphTimeView::setMarkers(const QList<Marker> &markers, bool withText)
{
    m_markers = markers.mid(qMax<qsizetype>(0, markers.size() - kMostMarkers));
    m_markerTexts = withText;
    layOut();
}

void GraphTimeView::setPointerLine(std::optional<double> seconds)
{
    m_pointerSeconds = seconds;
    layOut();
}

double GraphTimeView::secondsAt(double sceneX) const
{
    const QRectF plot = chart()->plotArea();
    const double x = chart()->mapFromScene(QPointF(sceneX, 0)).x();
    const double share = plot.width() > 0 ? (x - plot.left()) / plot.width() : 0;
    return m_timeAxis->min() + share * (m_timeAxis->max() - m_timeAxis->min());
}

double GraphTimeView::sceneXOf(double seconds) const
{
    const QRectF plot = chart()->plotArea();
    const double span = m_timeAxis->max() - m_timeAxis->min();
    const double share = span > 0 ? (seconds - m_timeAxis->min()) / span : 0;
    return plot.left() + share * plot.width();
}

void GraphTimeView::layOut()
{
    const QRectF plot = chart()->plotArea();
    const auto inside = [this](double s) {
        return s >= m_timeAxis->min() && s <= m_timeAxis->max();
    };

    if (m_pointerSeconds && inside(*m_pointerSeconds)) {
        const double x = sceneXOf(*m_pointerSeconds);
        m_pointerLine->setLine(x, plot.top(), x, plot.bottom());
        m_pointerLine->show();
    } else {
        m_pointerLine->hide();
    }

    // Texts go on the first of a few rows along the top where they do not
    // run into the text before them; a marker without room keeps its line.
    std::array<double, kTextRows> rowEnds;
    rowEnds.fill(-1e9);
    int used = 0;
    for (const Marker &marker : std::as_const(m_markers)) {
        if (!inside(marker.seconds))
            continue;
        if (used == m_markerLines.size()) {
            auto *line = new QGraphicsLineItem(chart());
            line->setZValue(kOverSeries);
            m_markerLines.append(line);
            // A tag: the text on a pale ground, so lines under it do not
            // cross the letters.
            auto *tag = new QGraphicsRectItem(chart());
            tag->setPen(Qt::NoPen);
            tag->setBrush(QColor(255, 255, 255, 220));
            tag->setZValue(kOverSeries);
            auto *text = new QGraphicsSimpleTextItem(tag);
            text->setPos(2, 0);
            m_markerTags.append(tag);
        }
        QGraphicsLineItem *line = m_markerLines[used];
        QGraphicsRectItem *tag = m_markerTags[used];
        ++used;
        const QColor colour = marker.link ? kLinkMarkerColor : kMarkerColor;
        line->setPen(QPen(colour, 0, marker.link ? Qt::DotLine : Qt::DashDotLine));
        const double x = sceneXOf(marker.seconds);
        line->setLine(x, plot.top(), x, plot.bottom());
        line->show();
        tag->hide();
        if (!m_markerTexts)
            continue;
        auto *text = static_cast<QGraphicsSimpleTextItem *>(tag->childItems().constFirst());
        text->setBrush(colour);
        text->setText(marker.text);
        const QRectF box(0, 0, text->boundingRect().width() + 4, text->boundingRect().height());
        tag->setRect(box);
        // Right of the line; left of it near the right edge.
        const double left = x + 3 + box.width() <= plot.right() ? x + 3 : x - 3 - box.width();
        for (int row = 0; row < kTextRows; ++row) {
            if (rowEnds[size_t(row)] < left) {
                tag->setPos(left, plot.top() + 2 + row * box.height());
                rowEnds[size_t(row)] = left + box.width() + 4;
                tag->show();
                break;
            }
        }
    }
    for (int i = used; i < m_markerLines.size(); ++i) {
        m_markerLines[i]->hide();
        m_markerTags[i]->hide();
    }
}

void GraphTimeView::wheelEvent(QWheelEvent *event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0) {
        event->ignore();
        return;
    }
    const double anchor = secondsAt(mapToScene(event->position().toPoint()).x());
    emit zoomRequested(std::pow(kZoomPerNotch, notches), anchor);
    event->accept();
}

void GraphTimeView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QChartView::mousePressEvent(event);
        return;
    }
    m_dragFromX = mapToScene(event->position().toPoint()).x();
    viewport()->setCursor(Qt::ClosedHandCursor);
    event->accept();
}

void GraphTimeView::mouseMoveEvent(QMouseEvent *event)
{
    const double x = mapToScene(event->position().toPoint()).x();
    if (m_dragFromX && (event->buttons() & Qt::LeftButton)) {
        const double delta = secondsAt(*m_dragFromX) - secondsAt(x);
        m_dragFromX = x;
        if (delta != 0)
            emit panRequested(delta);
    }
    emit pointerMoved(secondsAt(x));
    event->accept();
}

void GraphTimeView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QChartView::mouseReleaseEvent(event);
        return;
    }
    m_dragFromX.reset();
    viewport()->unsetCursor();
    event->accept();
}

void GraphTimeView::leaveEvent(QEvent *event)
{
    emit pointerLeft();
    QChartView::leaveEvent(event);
}
