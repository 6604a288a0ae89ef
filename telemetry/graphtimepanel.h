// The time view of the graph window: four charts stacked over one time
// range, their plot areas aligned so that a moment lies on one vertical:
// the in times per channel (the petrol ECU's injection times), the out
// times per channel (the rest of each injector period), engine speed, and
// coolant and switch-over temperature with the tank level. The time scale
// is labelled under the lowest chart only.
#pragma once

#include "telemetry/graphline.h"
#include "telemetry/graphsamples.h"
#include "telemetry/graphtimeview.h"

#include <QDateTime>
#include <QWidget>

#include <array>
#include <optional>
#include <span>
#include <vector>

class GraphPlotLayer;
class QCategoryAxis;
class QValueAxis;

class GraphTimePanel : public QWidget {
    Q_OBJECT
public:
    enum Line { In1, In2, In3, In4, Out1, Out2, Out3, Out4, Rpm, Coolant, SwitchOver, Tank, Lines };

    explicit GraphTimePanel(QWidget *parent = nullptr);

    // A refresh with the same range and plot size as the last one draws
    // only the samples after the settled part, until there are more than
    // this many; everything else draws the whole range again. At 10 frames/s
    // that is longer than a step of the 2-minute span's range (12 s), so the
    // whole range is drawn again only when the range moves.
    static constexpr int kFreshMost = 150;

    // Shows the time range [fromMs, toMs] with the samples in it up to
    // lastMs: every one, or on a long range the first, lowest, highest and
    // last of each line per pixel column (no peak is lost). The lines are
    // broken where the samples say frames are missing, also inside a column.
    void showSamples(const GraphSamples &samples, qint64 fromMs, qint64 toMs, qint64 lastMs);
    // The clock time where the time line begins: the time axes are labelled
    // in clock time from it. The next showSamples draws everything.
    void setClockStart(const QDateTime &start);
    const QDateTime &clockStart() const { return m_clockStart; }
    // The next showSamples draws everything: for changes other than newer
    // samples (cleared, another source, a sample that came late).
    void redrawAll() { m_drawn = false; }
    // Markers on every chart, with their texts on the top one.
    void setMarkers(const QList<GraphTimeView::Marker> &markers);
    void setPointerLine(std::optional<double> seconds);

    const GraphLine &line(Line line) const { return m_lines[size_t(line)]; }
    QList<QPointF> points(Line line) const { return m_lines[size_t(line)].points(); }
    // The time axis that is labelled, under the lowest chart (the others
    // have the same range and ticks).
    QCategoryAxis *timeAxis() const { return m_timeAxes[kCharts - 1]; }
    // The centre of the first chart's plot area (the in times), in the
    // coordinates of w (an ancestor).
    QPointF firstPlotCentre(const QWidget *w) const;

signals:
    void zoomRequested(double factor, double anchorSeconds);
    void panRequested(double deltaSeconds);
    void pointerMoved(double seconds);
    void pointerLeft();

private:
    static constexpr int kCharts = 4;
    GraphTimeView *addView(int index);
    void alignPlotAreas();
    // Fewer labelled ticks on a value axis too short for all of them.
    void spaceTicks();
    void addLine(QChart *chart, const QString &name, const QPen &pen, int view, QValueAxis *y);
    // breaks: where the lines break among the samples (GraphSamples::breaksIn).
    void drawAll(std::span<const GraphSample> samples, const std::vector<qsizetype> &breaks);
    void drawFresh(std::span<const GraphSample> samples, const std::vector<qsizetype> &breaks);
    void fitValueAxes();

    std::array<GraphTimeView *, kCharts> m_views{};    // child widgets, each owns its chart
    std::array<QCategoryAxis *, kCharts> m_timeAxes{}; // axes and layers: owned by their chart
    std::array<GraphPlotLayer *, kCharts> m_layers{};
    QValueAxis *m_inAxis = nullptr;
    QValueAxis *m_outAxis = nullptr;
    QValueAxis *m_rpmAxis = nullptr;
    QValueAxis *m_celsiusAxis = nullptr;
    QValueAxis *m_tankAxis = nullptr;
    std::vector<GraphLine> m_lines; // by Line

    // What is drawn: the range, the plot width it was drawn for, the time
    // of the last settled sample, and each line's extremes.
    QDateTime m_clockStart;
    bool m_drawn = false;
    qint64 m_fromMs = 0;
    qint64 m_toMs = 0;
    qint64 m_lastMs = 0;
    int m_columns = 0;
    bool m_perColumn = false; // drawn per pixel column (else every sample)
    qint64 m_settledUntilMs = 0;
    std::array<double, Lines> m_most{};
    std::array<double, Lines> m_least{};
    std::array<double, kCharts> m_axesLeft{}; // room the axes take beside the plot
    std::array<double, kCharts> m_axesRight{};
};
