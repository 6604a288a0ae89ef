#include "graphmapview.h"

#include "telemetry/graphaxes.h"

#include <QScatterSeries>
#include <QSet>
#include <QValueAxis>

#include <cmath>

namespace {
const QColor kBandColors[kSpeedBands] = {QColor(0x1F, 0x77, 0xB4), QColor(0x2C, 0xA0, 0x2C),
                                         QColor(0xFF, 0x7F, 0x0E), QColor(0xD6, 0x27, 0x28)};
constexpr double kLeastSpanMs = 5;
constexpr double kCellPixels = 2;
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
        series->setColor(kBandColors[b]);
        series->setBorderColor(kBandColors[b]);
        m_chart->addSeries(series);
        series->attachAxis(m_inAxis);
        series->attachAxis(m_outAxis);
        m_bands[size_t(b)] = series;
    }
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

    // One point per cell of the plot and band: the cell's centre.
    const QRectF plot = m_chart->plotArea();
    const double inCell = m_inAxis->max() / std::max(50.0, plot.width() / kCellPixels);
    const double outCell = m_outAxis->max() / std::max(50.0, plot.height() / kCellPixels);
    std::array<QList<QPointF>, kSpeedBands> points;
    QSet<quint64> taken;
    for (const GraphSample &s : samples) {
        const auto band = speedBand(s);
        if (!band)
            continue;
        for (size_t c = 0; c < 4; ++c) {
            if (!std::isfinite(s.inMs[c]) || !std::isfinite(s.outMs[c]))
                continue;
            const auto i = quint64(std::max(0.0, std::floor(s.inMs[c] / inCell)));
            const auto o = quint64(std::max(0.0, std::floor(s.outMs[c] / outCell)));
            const quint64 key = quint64(*band) << 62 | i << 31 | o;
            if (taken.contains(key))
                continue;
            taken.insert(key);
            points[size_t(*band)].append(QPointF((i + 0.5) * inCell, (o + 0.5) * outCell));
        }
    }
    for (int b = 0; b < kSpeedBands; ++b) {
        if (points[size_t(b)] == m_points[size_t(b)])
            continue;
        m_points[size_t(b)] = points[size_t(b)];
        m_bands[size_t(b)]->replace(m_points[size_t(b)]);
    }
}
