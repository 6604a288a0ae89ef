#include "graphtimepanel.h"

#include "telemetry/graphaxes.h"
#include "telemetry/graphplotlayer.h"

#include <QCategoryAxis>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QVBoxLayout>
#include <QValueAxis>

#include <cmath>

namespace {

const QColor kChannelColors[4] = {QColor(0x1F, 0x77, 0xB4), QColor(0xFF, 0x7F, 0x0E),
                                  QColor(0x2C, 0xA0, 0x2C), QColor(0x94, 0x67, 0xBD)};
const QColor kTemperatureColor(0xD6, 0x27, 0x28);
const QColor kTankColor(0x17, 0xA2, 0xB8);
const QColor kRpmColor(0x30, 0x30, 0x30);
constexpr double kTankMost = 255;
constexpr double kTankStep = 50;
constexpr int kChartMargin = 4;
// Shares of the height that make the plots about as tall as each other:
// the first has the channels' legend over it, the last the time scale and
// its legend under it.
constexpr int kStretch[4] = {5, 4, 4, 7};

QValueAxis *addAxis(QChart *chart, const QString &title, Qt::Alignment side)
{
    auto *axis = new QValueAxis(chart);
    axis->setTitleText(title);
    axis->setLabelFormat(QStringLiteral("%g"));
    chart->addAxis(axis, side);
    return axis;
}

// The value a line plots from a sample; NaN where there is none.
double lineValue(const GraphSample &s, int line)
{
    if (line < GraphTimePanel::Out1)
        return s.inMs[size_t(line)];
    if (line < GraphTimePanel::Rpm)
        return s.outMs[size_t(line - GraphTimePanel::Out1)];
    switch (line) {
    case GraphTimePanel::Rpm:
        return s.rpm.value_or(std::nan(""));
    case GraphTimePanel::Coolant:
        return s.coolantC;
    case GraphTimePanel::SwitchOver:
        return s.switchOverC;
    default:
        return s.tankLevel;
    }
}

// Every line's value of a sample at once.
std::array<double, GraphTimePanel::Lines> lineValues(const GraphSample &s)
{
    std::array<double, GraphTimePanel::Lines> values;
    for (size_t c = 0; c < 4; ++c) {
        values[GraphTimePanel::In1 + c] = s.inMs[c];
        values[GraphTimePanel::Out1 + c] = s.outMs[c];
    }
    values[GraphTimePanel::Rpm] = s.rpm.value_or(std::nan(""));
    values[GraphTimePanel::Coolant] = s.coolantC;
    values[GraphTimePanel::SwitchOver] = s.switchOverC;
    values[GraphTimePanel::Tank] = s.tankLevel;
    return values;
}

} // namespace

GraphTimePanel::GraphTimePanel(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The petrol ECU's injection times and the rest of each period, in
    // plots of their own, a channel in the same colour in both; the legend
    // of the first stands for both.
    QChart *in = addView(0)->chart();
    m_inAxis = addAxis(in, tr("Giriş (ms)"), Qt::AlignLeft);
    QChart *out = addView(1)->chart();
    m_outAxis = addAxis(out, tr("Çıkış (ms)"), Qt::AlignLeft);
    m_lines.reserve(Lines);
    for (int c = 0; c < 4; ++c)
        addLine(in, tr("Kanal %1").arg(c + 1), QPen(kChannelColors[c], 1), 0, m_inAxis);
    for (int c = 0; c < 4; ++c)
        addLine(out, tr("Kanal %1").arg(c + 1), QPen(kChannelColors[c], 1), 1, m_outAxis);
    in->legend()->setAlignment(Qt::AlignTop);
    out->legend()->hide();

    QChart *speed = addView(2)->chart();
    m_rpmAxis = addAxis(speed, tr("Devir (rpm)"), Qt::AlignLeft);
    addLine(speed, tr("Devir"), QPen(kRpmColor, 1), 2, m_rpmAxis);
    speed->legend()->hide();

    QChart *level = addView(3)->chart();
    m_celsiusAxis = addAxis(level, tr("Isı (°C)"), Qt::AlignLeft);
    m_tankAxis = addAxis(level, tr("Depo"), Qt::AlignRight);
    addLine(level, tr("Motor ısısı"), QPen(kTemperatureColor, 2), 3, m_celsiusAxis);
    addLine(level, tr("Geçiş ısısı"), QPen(kTemperatureColor, 1, Qt::DashLine), 3, m_celsiusAxis);
    addLine(level, tr("Depo seviyesi"), QPen(kTankColor, 2), 3, m_tankAxis);

    // One time scale for all, labelled under the lowest plot; the others
    // keep its grid, so that a moment lies on one vertical in each.
    for (size_t i = 0; i + 1 < kCharts; ++i) {
        m_timeAxes[i]->setLabelsVisible(false);
        m_timeAxes[i]->setTitleVisible(false);
    }

    m_tankAxis->setTickType(QValueAxis::TicksDynamic);
    m_tankAxis->setTickAnchor(0);
    m_tankAxis->setTickInterval(kTankStep);
    m_tankAxis->setRange(0, kTankMost);
    fitAxis(m_inAxis, 0, 0, 5);
    fitAxis(m_outAxis, 0, 0, 5);
    fitAxis(m_rpmAxis, 0, 0, 1000);
    fitAxis(m_celsiusAxis, 0, 0, 50);
}

void GraphTimePanel::addLine(QChart *chart, const QString &name, const QPen &pen, int view,
                             QValueAxis *y)
{
    m_lines.emplace_back(chart, m_layers[size_t(view)], name, pen, m_timeAxes[size_t(view)], y);
}

GraphTimeView *GraphTimePanel::addView(int index)
{
    auto *chart = new QChart;
    chart->layout()->setContentsMargins(0, 0, 0, 0); // the margins below are all
    chart->setMargins(QMargins(kChartMargin, kChartMargin, kChartMargin, kChartMargin));
    chart->setBackgroundRoundness(0);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries); // dashed or solid
    // Positions in seconds of the time line, labels in clock time.
    auto *time = new QCategoryAxis(chart);
    time->setTitleText(tr("Saat"));
    time->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    chart->addAxis(time, Qt::AlignBottom);
    auto *view = new GraphTimeView(chart, time, this);
    static_cast<QVBoxLayout *>(layout())->addWidget(view, kStretch[index]);
    m_views[size_t(index)] = view;
    m_timeAxes[size_t(index)] = time;
    m_layers[size_t(index)] = new GraphPlotLayer(chart);

    connect(view, &GraphTimeView::zoomRequested, this, &GraphTimePanel::zoomRequested);
    connect(view, &GraphTimeView::panRequested, this, &GraphTimePanel::panRequested);
    connect(view, &GraphTimeView::pointerMoved, this, &GraphTimePanel::pointerMoved);
    connect(view, &GraphTimeView::pointerLeft, this, &GraphTimePanel::pointerLeft);
    // The room the axes take is noted as the chart lays out (its margins
    // are the ones that layout used); the margins are evened out after it.
    connect(chart, &QChart::plotAreaChanged, this, [this, index, chart](const QRectF &plot) {
        m_axesLeft[size_t(index)] = plot.left() - chart->margins().left();
        m_axesRight[size_t(index)] =
            chart->size().width() - plot.right() - chart->margins().right();
        QMetaObject::invokeMethod(this, &GraphTimePanel::alignPlotAreas, Qt::QueuedConnection);
    });
    return view;
}

void GraphTimePanel::setClockStart(const QDateTime &start)
{
    if (start == m_clockStart && start.offsetFromUtc() == m_clockStart.offsetFromUtc())
        return;
    m_clockStart = start;
    redrawAll();
}

void GraphTimePanel::spaceTicks()
{
    const auto space = [](QValueAxis *axis, double leastStep, const QChart *chart) {
        const double gap = 1.4 * QFontMetricsF(axis->labelsFont()).height();
        const double step =
            tickStep(axis->max() - axis->min(), leastStep, chart->plotArea().height(), gap);
        if (step != axis->tickInterval())
            axis->setTickInterval(step);
    };
    const auto fitted = [](const QValueAxis *axis) {
        return roundStep((axis->max() - axis->min()) / 5);
    };
    space(m_inAxis, fitted(m_inAxis), m_views[0]->chart());
    space(m_outAxis, fitted(m_outAxis), m_views[1]->chart());
    space(m_rpmAxis, fitted(m_rpmAxis), m_views[2]->chart());
    space(m_celsiusAxis, fitted(m_celsiusAxis), m_views[3]->chart());
    space(m_tankAxis, kTankStep, m_views[3]->chart());
}

void GraphTimePanel::alignPlotAreas()
{
    spaceTicks();
    // The margins make up the difference between the axes' room, so that
    // every plot area starts and ends at the same x. Margins do not change
    // that room, so the layout that follows finds nothing more to do.
    const double mostLeft = *std::max_element(m_axesLeft.begin(), m_axesLeft.end());
    const double mostRight = *std::max_element(m_axesRight.begin(), m_axesRight.end());
    for (size_t i = 0; i < kCharts; ++i) {
        QChart *chart = m_views[i]->chart();
        QMargins margins = chart->margins();
        margins.setLeft(kChartMargin + int(std::lround(mostLeft - m_axesLeft[i])));
        margins.setRight(kChartMargin + int(std::lround(mostRight - m_axesRight[i])));
        if (margins != chart->margins())
            chart->setMargins(margins);
    }
}

void GraphTimePanel::showSamples(const GraphSamples &samples, qint64 fromMs, qint64 toMs,
                                 qint64 lastMs)
{
    const int columns = std::max(100, int(m_views[0]->chart()->plotArea().width()));
    lastMs = std::min(lastMs, toMs);
    // A range the time axes cannot take is not drawn at all.
    if (!timeRangeFits(fromMs, toMs))
        return;
    // The plot's width matters only to samples drawn per pixel column.
    if (m_drawn && fromMs == m_fromMs && toMs == m_toMs && lastMs == m_lastMs &&
        (columns == m_columns || !m_perColumn)) {
        const auto fresh = samples.range(m_settledUntilMs, lastMs);
        if (fresh.size() <= size_t(kFreshMost)) {
            drawFresh(fresh, samples.breaksIn(fresh));
            return;
        }
    }
    m_drawn = true;
    m_fromMs = fromMs;
    m_toMs = toMs;
    m_lastMs = lastMs;
    m_columns = columns;
    for (QCategoryAxis *axis : m_timeAxes)
        setTimeAxis(axis, m_clockStart, fromMs, toMs);
    const auto visible = samples.range(fromMs, lastMs);
    m_settledUntilMs = visible.empty() ? fromMs : visible.back().elapsedMs;
    drawAll(visible, samples.breaksIn(visible));
}

void GraphTimePanel::drawAll(std::span<const GraphSample> samples,
                             const std::vector<qsizetype> &breaks)
{
    // Buckets are pixel columns of time (not of sample counts), so a column
    // holds the same samples however far the data has grown.
    const qsizetype n = qsizetype(samples.size());
    const bool everySample = n <= 4 * m_columns;
    m_perColumn = !everySample;
    const double columnMs = double(m_toMs - m_fromMs) / m_columns;
    std::array<QList<QPointF>, Lines> points;
    for (auto &list : points)
        list.reserve(everySample ? n : 4 * m_columns);
    // Per line: the first, lowest, highest and last sample of the column,
    // and the lowest and highest value (so each sample's values are read
    // once: a recording of a million samples is drawn on the GUI thread).
    std::array<std::array<qsizetype, 4>, Lines> kept;
    std::array<std::array<double, 2>, Lines> extremes{};
    const auto flush = [&] {
        for (int line = 0; line < Lines; ++line) {
            auto &k = kept[size_t(line)];
            if (k[0] < 0)
                continue;
            std::sort(k.begin(), k.end());
            for (size_t j = 0; j < k.size(); ++j) {
                if (j > 0 && k[j] == k[j - 1])
                    continue;
                const GraphSample &s = samples[size_t(k[j])];
                points[size_t(line)].append(QPointF(s.elapsedMs / 1000.0, lineValue(s, line)));
            }
            k = {-1, -1, -1, -1};
        }
    };
    for (auto &k : kept)
        k = {-1, -1, -1, -1};
    qint64 column = -1;
    auto nextBreak = breaks.begin();
    for (qsizetype i = 0; i < n; ++i) {
        const qint64 c =
            everySample ? i : qint64((samples[size_t(i)].elapsedMs - m_fromMs) / columnMs);
        // A break closes the column's points so far, also inside a column.
        const bool broken = nextBreak != breaks.end() && *nextBreak == i;
        if (broken)
            ++nextBreak;
        if (c != column || broken) {
            flush();
            column = c;
        }
        if (broken)
            for (auto &list : points)
                if (!list.isEmpty() && !isLineBreak(list.last()))
                    list.append(kLineBreak);
        const auto values = lineValues(samples[size_t(i)]);
        for (size_t line = 0; line < Lines; ++line) {
            const double v = values[line];
            if (!std::isfinite(v))
                continue;
            auto &k = kept[line];
            auto &e = extremes[line];
            if (k[0] < 0) {
                k = {i, i, i, i};
                e = {v, v};
                continue;
            }
            if (v < e[0]) {
                k[1] = i;
                e[0] = v;
            }
            if (v > e[1]) {
                k[2] = i;
                e[1] = v;
            }
            k[3] = i;
        }
    }
    flush();

    m_most.fill(0);
    m_least.fill(0);
    for (int line = 0; line < Lines; ++line) {
        for (const QPointF &p : std::as_const(points[size_t(line)])) {
            if (isLineBreak(p))
                continue;
            m_most[size_t(line)] = std::max(m_most[size_t(line)], p.y());
            m_least[size_t(line)] = std::min(m_least[size_t(line)], p.y());
        }
        m_lines[size_t(line)].settle(points[size_t(line)]);
    }
    fitValueAxes();
}

void GraphTimePanel::drawFresh(std::span<const GraphSample> samples,
                               const std::vector<qsizetype> &breaks)
{
    // Starts with the last settled sample, which joins the two parts unless
    // the lines break after it.
    for (int line = 0; line < Lines; ++line) {
        QList<QPointF> points;
        points.reserve(qsizetype(samples.size() + breaks.size()));
        auto nextBreak = breaks.begin();
        for (size_t i = 0; i < samples.size(); ++i) {
            const GraphSample &s = samples[i];
            // Also before this line's first fresh point: the break then
            // lies between the settled part and the fresh one.
            if (nextBreak != breaks.end() && *nextBreak == qsizetype(i)) {
                ++nextBreak;
                if (points.isEmpty() || !isLineBreak(points.last()))
                    points.append(kLineBreak);
            }
            const double v = lineValue(s, line);
            if (!std::isfinite(v))
                continue;
            points.append(QPointF(s.elapsedMs / 1000.0, v));
            m_most[size_t(line)] = std::max(m_most[size_t(line)], v);
            m_least[size_t(line)] = std::min(m_least[size_t(line)], v);
        }
        GraphLine &l = m_lines[size_t(line)];
        if (points.size() != l.freshCount())
            l.setFresh(points);
    }
    fitValueAxes();
}

void GraphTimePanel::fitValueAxes()
{
    fitAxis(m_inAxis, 0, *std::max_element(m_most.begin() + In1, m_most.begin() + Out1), 5);
    fitAxis(m_outAxis, 0, *std::max_element(m_most.begin() + Out1, m_most.begin() + Rpm), 5);
    fitAxis(m_rpmAxis, 0, m_most[Rpm], 1000);
    fitAxis(m_celsiusAxis, std::min(m_least[Coolant], m_least[SwitchOver]),
            std::max(m_most[Coolant], m_most[SwitchOver]), 50);
    spaceTicks();
}

QPointF GraphTimePanel::firstPlotCentre(const QWidget *w) const
{
    const GraphTimeView *view = m_views[0];
    QChart *chart = view->chart();
    const QPointF inView = view->mapFromScene(chart->mapToScene(chart->plotArea().center()));
    return QPointF(view->viewport()->mapTo(w, QPoint(0, 0))) + inView;
}

void GraphTimePanel::setMarkers(const QList<GraphTimeView::Marker> &markers)
{
    for (size_t i = 0; i < kCharts; ++i)
        m_views[i]->setMarkers(markers, i == 0);
}

void GraphTimePanel::setPointerLine(std::optional<double> seconds)
{
    for (GraphTimeView *view : m_views)
        view->setPointerLine(seconds);
}
