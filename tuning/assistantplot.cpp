#include "assistantplot.h"

#include <QChart>
#include <QChartView>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

// The graph window's map draws the fuels in the same colours.
const QColor kPetrolColour(0xe0, 0x7b, 0x00); // amber
const QColor kGasColour(0x1f, 0x5f, 0xb4);    // blue
const QColor kBandLimitColour(0x70, 0x70, 0x70);

void hideFromLegend(QChart *chart, QAbstractSeries *series)
{
    for (QLegendMarker *marker : chart->legend()->markers(series))
        marker->setVisible(false);
}

} // namespace

AssistantPlot::AssistantPlot(QWidget *parent) : QWidget(parent)
{
    m_chart = new QChart;
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    auto *view = new QChartView(m_chart, this);
    view->setRenderHint(QPainter::Antialiasing);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);

    m_rpm = new QValueAxis(m_chart);
    m_rpm->setRange(0, zcore::kSpeedBandLimitsRpm.back());
    m_rpm->setTickCount(9);
    m_rpm->setLabelFormat(QStringLiteral("%d"));
    m_rpm->setTitleText(tr("Devir (rpm)"));
    m_ms = new QValueAxis(m_chart);
    m_ms->setRange(0, 10);
    m_ms->setTitleText(tr("Enjeksiyon süresi (ms)"));
    m_chart->addAxis(m_rpm, Qt::AlignBottom);
    m_chart->addAxis(m_ms, Qt::AlignLeft);

    const auto add = [this](QAbstractSeries *series) {
        m_chart->addSeries(series);
        series->attachAxis(m_rpm);
        series->attachAxis(m_ms);
    };
    const auto scatter = [&](const QString &name, const QColor &colour) {
        auto *s = new QScatterSeries(m_chart);
        s->setName(name);
        s->setMarkerSize(5);
        s->setColor(colour);
        s->setBorderColor(colour);
        s->setUseOpenGL(false);
        add(s);
        return s;
    };
    m_petrol = scatter(tr("Benzin"), kPetrolColour);
    m_gas = scatter(tr("LPG"), kGasColour);

    for (size_t b = 1; b < zcore::kSpeedBandLimitsRpm.size() - 1; ++b) {
        auto *limit = new QLineSeries(m_chart);
        limit->setPen(QPen(kBandLimitColour, 1, Qt::DashLine));
        const double x = zcore::kSpeedBandLimitsRpm[b];
        limit->append(x, 0);
        limit->append(x, 1000); // clipped by the axis
        add(limit);
        hideFromLegend(m_chart, limit);
    }
    for (int b = 0; b < zcore::kSpeedBandCount; ++b) {
        const auto median = [&](const QColor &colour, const QString &name) {
            auto *line = new QLineSeries(m_chart);
            line->setPen(QPen(colour.darker(130), 3));
            line->setName(name);
            add(line);
            if (b > 0)
                hideFromLegend(m_chart, line);
            return line;
        };
        m_petrolMedian[size_t(b)] = median(kPetrolColour, tr("Benzin medyanı"));
        m_gasMedian[size_t(b)] = median(kGasColour, tr("LPG medyanı"));
    }
}

void AssistantPlot::show(const std::vector<zcore::AssistSample> &samples,
                         const std::array<zcore::BandReport, zcore::kSpeedBandCount> &reports)
{
    QList<QPointF> petrol;
    QList<QPointF> gas;
    double highest = 0;
    // The newest first, so that each fuel's cap keeps the latest samples.
    for (auto it = samples.rbegin(); it != samples.rend(); ++it) {
        QList<QPointF> &points = it->fuel == zcore::Fuel::Petrol ? petrol : gas;
        if (points.size() >= kMostPointsPerFuel)
            continue;
        points.append(QPointF(it->rpm, it->injectionMs));
        highest = std::max(highest, it->injectionMs);
    }
    m_petrol->replace(petrol);
    m_gas->replace(gas);

    for (const zcore::BandReport &r : reports) {
        const double from = zcore::kSpeedBandLimitsRpm[size_t(r.band)] + 60;
        const double to = zcore::kSpeedBandLimitsRpm[size_t(r.band) + 1] - 60;
        const auto place = [&](QLineSeries *line, const std::optional<double> &ms) {
            line->clear();
            if (ms) {
                line->append(from, *ms);
                line->append(to, *ms);
            }
        };
        place(m_petrolMedian[size_t(r.band)], r.petrolMs);
        place(m_gasMedian[size_t(r.band)], r.gasMs);
    }
    // Whole milliseconds above the highest point, at least 5, in round steps.
    m_ms->setRange(0, std::max(5.0, std::ceil(highest * 1.1)));
    m_ms->applyNiceNumbers();
}

qsizetype AssistantPlot::petrolPoints() const { return m_petrol->count(); }
qsizetype AssistantPlot::gasPoints() const { return m_gas->count(); }
