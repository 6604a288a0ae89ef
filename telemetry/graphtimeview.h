// A chart view with time (seconds) across: turns the wheel and a left-button
// drag into zoom and pan requests on the time axis, reports the time under
// the pointer, and draws markers (commands sent, the link's events) and the
// pointer's time line over the plot area.
#pragma once

#include <QChartView>
#include <QList>
#include <QString>

#include <optional>

class QGraphicsLineItem;
class QGraphicsRectItem;
class QGraphicsSimpleTextItem;
class QValueAxis;

class GraphTimeView : public QChartView {
    Q_OBJECT
public:
    struct Marker {
        double seconds = 0;
        QString text;
        // A link event (device lost or back, port closed or opened), drawn
        // apart from the commands.
        bool link = false;
        bool operator==(const Marker &) const = default;
    };

    // timeAxis: the chart's horizontal axis, in seconds.
    GraphTimeView(QChart *chart, QValueAxis *timeAxis, QWidget *parent = nullptr);

    // Markers inside the time axis' range; withText also writes their texts
    // along the top of the plot area.
    void setMarkers(const QList<Marker> &markers, bool withText);
    void setPointerLine(std::optional<double> seconds);

signals:
    // factor < 1 zooms in, around the time anchorSeconds.
    void zoomRequested(double factor, double anchorSeconds);
    void panRequested(double deltaSeconds);
    void pointerMoved(double seconds);
    void pointerLeft();

protected:
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    double secondsAt(double sceneX) const;
    double sceneXOf(double seconds) const;
    void layOut();

    QValueAxis *m_timeAxis = nullptr;
    QList<Marker> m_markers;
    bool m_markerTexts = false;
    QList<QGraphicsLineItem *> m_markerLines;   // owned by the chart (item parent)
    QList<QGraphicsRectItem *> m_markerTags;    // owned by the chart (item parent)
    QGraphicsLineItem *m_pointerLine = nullptr; // owned by the chart (item parent)
    std::optional<double> m_pointerSeconds;
    std::optional<double> m_dragFromX; // scene x of the last drag position
};
