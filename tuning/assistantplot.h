// The tuning assistant's picture: the petrol ECU's injection time over
// engine speed, the samples on petrol and on gas in two colours, the band
// limits, and each band's median on each fuel as a short line across it.
// Where the gas line stands above the petrol line the band runs lean.
#pragma once

#include "core/tuningsession.h"

#include <QWidget>

#include <array>
#include <vector>

class QChart;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

class AssistantPlot : public QWidget {
    Q_OBJECT
public:
    // At most this many of the newest samples per fuel are drawn.
    static constexpr int kMostPointsPerFuel = 3000;

    explicit AssistantPlot(QWidget *parent = nullptr);

    void show(const std::vector<zcore::AssistSample> &samples,
              const std::array<zcore::BandReport, zcore::kSpeedBandCount> &reports);

    // Points drawn on each fuel; for tests.
    qsizetype petrolPoints() const;
    qsizetype gasPoints() const;

private:
    QChart *m_chart = nullptr; // owned by the view
    QScatterSeries *m_petrol = nullptr;
    QScatterSeries *m_gas = nullptr;
    std::array<QLineSeries *, zcore::kSpeedBandCount> m_petrolMedian{};
    std::array<QLineSeries *, zcore::kSpeedBandCount> m_gasMedian{};
    QValueAxis *m_rpm = nullptr;
    QValueAxis *m_ms = nullptr;
};
