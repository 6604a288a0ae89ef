#include "graphline.h"

#include <QChart>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>

GraphLine::GraphLine(QChart *chart, const QString &name, const QPen &pen, QValueAxis *x,
                     QValueAxis *y)
    : m_settled(new QLineSeries(chart)), m_fresh(new QLineSeries(chart))
{
    for (QLineSeries *series : {m_settled, m_fresh}) {
        series->setName(name);
        series->setPen(pen);
        chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
    }
    for (QLegendMarker *marker : chart->legend()->markers(m_fresh))
        marker->setVisible(false);
}

void GraphLine::settle(const QList<QPointF> &points)
{
    m_settled->replace(points);
    if (m_fresh->count() > 0)
        m_fresh->clear();
}

void GraphLine::setFresh(const QList<QPointF> &points) { m_fresh->replace(points); }

int GraphLine::freshCount() const { return m_fresh->count(); }

QList<QPointF> GraphLine::points() const
{
    QList<QPointF> all = m_settled->points();
    const QList<QPointF> fresh = m_fresh->points();
    // The fresh part starts at the last settled point, to join the two.
    const bool joined = !all.isEmpty() && !fresh.isEmpty() && fresh.first() == all.last();
    all.append(fresh.mid(joined ? 1 : 0));
    return all;
}
