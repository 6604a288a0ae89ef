#include "graphmapview.h"

#include "telemetry/graphaxes.h"
#include "telemetry/graphmapcells.h"

#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsSimpleTextItem>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {
const QList<QColor> kFuelColors = {QColor(0xE0, 0x7B, 0x00),  // petrol: amber
                                   QColor(0x1F, 0x5F, 0xB4)}; // gas: blue
const QColor kLimitColor(0x70, 0x70, 0x70);
const QColor kBandTextColor(0x30, 0x30, 0x30);
constexpr double kLeastSpanMs = 5;
// The speed axis always shows the band from 4000 rpm, and goes no further
// than the last band's end.
constexpr double kLeastRpm = 4500;
constexpr double kMostRpm = 8000;
constexpr double kCellPixels = 2;
constexpr int kMargin = 4;
// Above the band limits: no limit needs a value beyond this.
constexpr double kLimitTopMs = 1000;

// A cell as a key: fuel, then the cell's column and row (31 bits each).
constexpr int kCellBits = 31;
constexpr quint64 kCellMask = (quint64(1) << kCellBits) - 1;
} // namespace

GraphMapView::GraphMapView(QWidget *parent)
    : QChartView(new QChart, parent), m_chart(chart()), m_points(Fuels)
{
    setRenderHint(QPainter::Antialiasing, false);
    m_chart->setBackgroundRoundness(0);
    m_chart->layout()->setContentsMargins(0, 0, 0, 0); // the margins set below are all
    m_chart->legend()->setAlignment(Qt::AlignBottom);

    m_rpmAxis = new QValueAxis(m_chart);
    m_rpmAxis->setTitleText(tr("Devir (rpm)"));
    m_rpmAxis->setLabelFormat(QStringLiteral("%g"));
    m_msAxis = new QValueAxis(m_chart);
    m_msAxis->setTitleText(tr("Enjeksiyon süresi (ms)"));
    m_msAxis->setLabelFormat(QStringLiteral("%g"));
    m_chart->addAxis(m_rpmAxis, Qt::AlignBottom);
    m_chart->addAxis(m_msAxis, Qt::AlignLeft);
    fitAxis(m_rpmAxis, 0, kLeastRpm, 1000);
    fitAxis(m_msAxis, 0, 0, kLeastSpanMs);

    const QString names[Fuels] = {tr("Benzin"), tr("LPG")};
    for (int f = 0; f < Fuels; ++f) {
        auto *series = new QScatterSeries(m_chart);
        series->setName(names[f]);
        series->setMarkerSize(6);
        series->setColor(kFuelColors[f]);
        series->setBorderColor(kFuelColors[f]);
        m_chart->addSeries(series);
        series->attachAxis(m_rpmAxis);
        series->attachAxis(m_msAxis);
        m_fuels[size_t(f)] = series;
    }

    // The band limits: lines from the bottom of the plot up past any value
    // (the plot clips them), with no entry in the legend.
    for (size_t b = 0; b < m_limits.size(); ++b) {
        auto *line = new QLineSeries(m_chart);
        const double rpm = speedBandLowerRpm(int(b) + 1);
        line->append({QPointF(rpm, 0), QPointF(rpm, kLimitTopMs)});
        line->setPen(QPen(kLimitColor, 1, Qt::DashLine));
        m_chart->addSeries(line);
        line->attachAxis(m_rpmAxis);
        line->attachAxis(m_msAxis);
        for (QLegendMarker *marker : m_chart->legend()->markers(line))
            marker->setVisible(false);
        m_limits[b] = line;
    }

    // Each band's name and mixture level, in two lines above the plot.
    const QFontMetricsF metrics(m_chart->font());
    m_chart->setMargins(
        QMargins(kMargin, kMargin + int(std::ceil(2 * metrics.lineSpacing())), kMargin, kMargin));
    for (auto &text : m_bandTexts) {
        text = new QGraphicsSimpleTextItem(m_chart);
        text->setBrush(kBandTextColor);
        text->setFont(m_chart->font());
    }

    m_cells = new GraphMapCells(kFuelColors, m_chart);
    connect(m_chart, &QChart::plotAreaChanged, this, &GraphMapView::placeCells);
    connect(m_rpmAxis, &QValueAxis::rangeChanged, this, &GraphMapView::placeCells);
    connect(m_msAxis, &QValueAxis::rangeChanged, this, &GraphMapView::placeCells);
    placeCells();
}

QList<double> GraphMapView::bandLimits() const
{
    QList<double> limits;
    for (const QLineSeries *line : m_limits)
        limits.append(line->at(0).x());
    return limits;
}

QStringList GraphMapView::bandTexts() const
{
    QStringList texts;
    for (const QGraphicsSimpleTextItem *text : m_bandTexts)
        texts.append(text->isVisible() ? text->text() : QString());
    return texts;
}

void GraphMapView::placeCells()
{
    m_cells->setFrame(m_chart->plotArea(),
                      QRectF(m_rpmAxis->min(), m_msAxis->min(), m_rpmAxis->max() - m_rpmAxis->min(),
                             m_msAxis->max() - m_msAxis->min()));
    placeBandTexts();
}

void GraphMapView::placeBandTexts()
{
    // Centred over the part of each band the plot shows; a text that does
    // not fit there is left out rather than cut.
    const QRectF plot = m_chart->plotArea();
    const double span = m_rpmAxis->max() - m_rpmAxis->min();
    if (plot.isEmpty() || !(span > 0))
        return;
    const auto xOf = [&](double rpm) {
        return plot.left() +
               (std::clamp(rpm, m_rpmAxis->min(), m_rpmAxis->max()) - m_rpmAxis->min()) / span *
                   plot.width();
    };
    for (int b = 0; b < kSpeedBands; ++b) {
        QGraphicsSimpleTextItem *text = m_bandTexts[size_t(b)];
        const double left = xOf(speedBandLowerRpm(b));
        const double right = xOf(speedBandUpperRpm(b));
        const QRectF box = text->boundingRect();
        if (text->text().isEmpty() || right - left < box.width() + 2) {
            text->hide();
            continue;
        }
        text->setPos((left + right - box.width()) / 2, plot.top() - box.height() - 2);
        text->show();
    }
}

void GraphMapView::setSamples(std::span<const GraphSample> samples)
{
    double rpmMost = 0;
    double msMost = 0;
    for (const GraphSample &s : samples) {
        const auto ms = meanInMs(s);
        if (!s.rpm || !ms)
            continue;
        rpmMost = std::max(rpmMost, *s.rpm);
        msMost = std::max(msMost, *ms);
    }
    fitAxis(m_rpmAxis, 0, std::clamp(rpmMost, kLeastRpm, kMostRpm), 1000);
    fitAxis(m_msAxis, 0, msMost, kLeastSpanMs);

    // The bands' levels as the newest sample shown has them.
    for (int b = 0; b < kSpeedBands; ++b) {
        const QString level = samples.empty() ? QStringLiteral("—")
                                              : QString::number(samples.back().bands[size_t(b)]);
        m_bandTexts[size_t(b)]->setText(tr("Kalori %1\n%2").arg(b + 1).arg(level));
    }
    placeBandTexts();

    // One point per cell of the plot and fuel: the cell's centre. With the
    // cells as they were, the map changes only by the cells that came and
    // went, and only those are drawn.
    const QRectF plot = m_chart->plotArea();
    const double rpmCell = m_rpmAxis->max() / std::max(50.0, plot.width() / kCellPixels);
    const double msCell = m_msAxis->max() / std::max(50.0, plot.height() / kCellPixels);
    const bool sameCells = rpmCell == m_rpmCell && msCell == m_msCell;
    const auto centre = [&](quint64 r, quint64 m) {
        return QPointF((r + 0.5) * rpmCell, (m + 0.5) * msCell);
    };
    GraphMapCells::Groups points(Fuels);
    GraphMapCells::Groups added(Fuels);
    QSet<quint64> taken;
    taken.reserve(m_taken.size());
    qsizetype kept = 0;
    for (const GraphSample &s : samples) {
        const auto ms = meanInMs(s);
        if (!s.rpm || !ms)
            continue;
        const quint64 fuel = s.petrol() ? Petrol : Gas;
        const auto r = quint64(std::clamp(std::floor(*s.rpm / rpmCell), 0.0, double(kCellMask)));
        const auto m = quint64(std::clamp(std::floor(*ms / msCell), 0.0, double(kCellMask)));
        const quint64 key = fuel << (2 * kCellBits) | r << kCellBits | m;
        if (taken.contains(key))
            continue;
        taken.insert(key);
        points[fuel].append(centre(r, m));
        if (!sameCells)
            continue;
        if (m_taken.contains(key))
            ++kept;
        else
            added[fuel].append(centre(r, m));
    }
    GraphMapCells::Groups removed(Fuels);
    if (sameCells && kept < m_taken.size())
        for (const quint64 key : std::as_const(m_taken))
            if (!taken.contains(key))
                removed[qsizetype(key >> (2 * kCellBits))].append(
                    centre((key >> kCellBits) & kCellMask, key & kCellMask));

    m_points = std::move(points);
    m_taken = std::move(taken);
    m_rpmCell = rpmCell;
    m_msCell = msCell;
    if (sameCells)
        m_cells->changeCells(m_points, added, removed);
    else
        m_cells->setCells(m_points);
}
