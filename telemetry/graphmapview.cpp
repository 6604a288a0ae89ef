#include "graphmapview.h"

#include "telemetry/graphaxes.h"
#include "telemetry/graphmapcells.h"

#include <QScatterSeries>
#include <QValueAxis>

#include <cmath>

namespace {
const std::array<QColor, kSpeedBands> kBandColors = {
    QColor(0x1F, 0x77, 0xB4), QColor(0x2C, 0xA0, 0x2C), QColor(0xFF, 0x7F, 0x0E),
    QColor(0xD6, 0x27, 0x28)};
constexpr double kLeastSpanMs = 5;
constexpr double kCellPixels = 2;

// A cell as a key: band, then the cell's column and row (31 bits each).
constexpr int kCellBits = 31;
constexpr quint64 kCellMask = (quint64(1) << kCellBits) - 1;
} // namespace

GraphMapView::GraphMapView(QWidget *parent) : QChartView(new QChart, parent), m_chart(chart())
{
    setRenderHint(QPainter::Antialiasing, false);
    m_chart->setTitle(tr("Harita: LPG süresi / benzin süresi"));
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    m_chart->setBackgroundRoundness(0);
    m_chart->legend()->setAlignment(Qt::AlignBottom);

    m_inAxis = new QValueAxis(m_chart);
    m_inAxis->setTitleText(tr("Giriş – benzin (ms)"));
    m_inAxis->setLabelFormat(QStringLiteral("%g"));
    m_outAxis = new QValueAxis(m_chart);
    m_outAxis->setTitleText(tr("Çıkış – LPG (ms)"));
    m_outAxis->setLabelFormat(QStringLiteral("%g"));
    m_chart->addAxis(m_inAxis, Qt::AlignBottom);
    m_chart->addAxis(m_outAxis, Qt::AlignLeft);
    fitAxis(m_inAxis, 0, 0, kLeastSpanMs);
    fitAxis(m_outAxis, 0, 0, kLeastSpanMs);

    for (int b = 0; b < kSpeedBands; ++b) {
        auto *series = new QScatterSeries(m_chart);
        series->setName(speedBandName(b));
        series->setMarkerSize(6);
        series->setColor(kBandColors[size_t(b)]);
        series->setBorderColor(kBandColors[size_t(b)]);
        m_chart->addSeries(series);
        series->attachAxis(m_inAxis);
        series->attachAxis(m_outAxis);
        m_bands[size_t(b)] = series;
    }

    m_cells = new GraphMapCells(kBandColors, m_chart);
    connect(m_chart, &QChart::plotAreaChanged, this, &GraphMapView::placeCells);
    connect(m_inAxis, &QValueAxis::rangeChanged, this, &GraphMapView::placeCells);
    connect(m_outAxis, &QValueAxis::rangeChanged, this, &GraphMapView::placeCells);
    placeCells();
}

void GraphMapView::placeCells()
{
    m_cells->setFrame(m_chart->plotArea(),
                      QRectF(m_inAxis->min(), m_outAxis->min(), m_inAxis->max() - m_inAxis->min(),
                             m_outAxis->max() - m_outAxis->min()));
}

void GraphMapView::setSamples(std::span<const GraphSample> samples)
{
    double inMost = 0;
    double outMost = 0;
    for (const GraphSample &s : samples)
        for (size_t c = 0; c < 4; ++c) {
            if (std::isfinite(s.inMs[c]) && std::isfinite(s.outMs[c])) {
                inMost = std::max(inMost, s.inMs[c]);
                outMost = std::max(outMost, s.outMs[c]);
            }
        }
    fitAxis(m_inAxis, 0, inMost, kLeastSpanMs);
    fitAxis(m_outAxis, 0, outMost, kLeastSpanMs);

    // One point per cell of the plot and band: the cell's centre. With the
    // cells as they were, the map changes only by the cells that came and
    // went, and only those are drawn.
    const QRectF plot = m_chart->plotArea();
    const double inCell = m_inAxis->max() / std::max(50.0, plot.width() / kCellPixels);
    const double outCell = m_outAxis->max() / std::max(50.0, plot.height() / kCellPixels);
    const bool sameCells = inCell == m_inCell && outCell == m_outCell;
    const auto centre = [&](quint64 i, quint64 o) {
        return QPointF((i + 0.5) * inCell, (o + 0.5) * outCell);
    };
    GraphMapCells::Bands points;
    GraphMapCells::Bands added;
    QSet<quint64> taken;
    taken.reserve(m_taken.size());
    qsizetype kept = 0;
    for (const GraphSample &s : samples) {
        const auto band = speedBand(s);
        if (!band)
            continue;
        for (size_t c = 0; c < 4; ++c) {
            if (!std::isfinite(s.inMs[c]) || !std::isfinite(s.outMs[c]))
                continue;
            const auto i = quint64(std::max(0.0, std::floor(s.inMs[c] / inCell)));
            const auto o = quint64(std::max(0.0, std::floor(s.outMs[c] / outCell)));
            const quint64 key = quint64(*band) << (2 * kCellBits) | i << kCellBits | o;
            if (taken.contains(key))
                continue;
            taken.insert(key);
            points[size_t(*band)].append(centre(i, o));
            if (!sameCells)
                continue;
            if (m_taken.contains(key))
                ++kept;
            else
                added[size_t(*band)].append(centre(i, o));
        }
    }
    GraphMapCells::Bands removed;
    if (sameCells && kept < m_taken.size())
        for (const quint64 key : std::as_const(m_taken))
            if (!taken.contains(key))
                removed[size_t(key >> (2 * kCellBits))].append(
                    centre((key >> kCellBits) & kCellMask, key & kCellMask));

    m_points = std::move(points);
    m_taken = std::move(taken);
    m_inCell = inCell;
    m_outCell = outCell;
    if (sameCells)
        m_cells->changeCells(m_points, added, removed);
    else
        m_cells->setCells(m_points);
}
