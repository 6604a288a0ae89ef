// The graph window: every frame the unit sends, against time (in and out
// times per channel, engine speed, temperatures, tank level, the commands
// sent as markers) and as a map of the petrol ECU's injection time over
// engine speed by the fuel in use. Shows either the live session (the last
// hour at most) or one recording whole.
//
// It opens at a size that fits a 1366 × 768 screen with its task bar and
// the window's frame, and no larger than the screen's room; down to
// 1024 × 600 every text in it stays whole.
//
// Live frames are cheap to add: they go into the model, and the plot is
// redrawn by a coalescing timer, at most every 100 ms, from the visible
// range only.
//
// A recording is read on a thread of its own (GraphRecordingReader), with a
// progress bar and "Durdur" in the tool bar; live frames go on meanwhile.
// Closing the window stops the read.
#pragma once

#include "core/decode.h"
#include "telemetry/graphsamples.h"
#include "telemetry/graphtimeview.h"

#include <QDateTime>
#include <QList>
#include <QSize>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>
#include <utility>

class GraphMapView;
class GraphRecordingReader;
class GraphTimePanel;
class QButtonGroup;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

class GraphWindow : public QWidget {
    Q_OBJECT
public:
    // The time spans to choose from; 0 is everything there is.
    static constexpr std::array<qint64, 4> kSpansMs = {30'000, 120'000, 600'000, 0};
    static constexpr int kRefreshMs = 100;
    static constexpr int kMapRefreshMs = 1000;
    static constexpr QSize kDefaultSize{1280, 680};

    // A top-level window even with a parent (the parent only owns it).
    explicit GraphWindow(QWidget *parent = nullptr);

    // A frame received elapsedMs into the session; kept while a recording
    // is shown, and there once the window shows live data again.
    void addFrame(qint64 elapsedMs, const zcore::LiveFrame &frame);
    // A command the tool sent; kept as frames are.
    void addCommand(qint64 elapsedMs, int code, int value);
    // An event of the link (device lost or back, port closed or opened):
    // a marker, and the lines break at a lost device or a closed port.
    void addLinkEvent(qint64 elapsedMs, zcore::RecordEvent event);
    // The clock time the live session began at (elapsed 0 of its frames):
    // the time axes and the read-out show clock time from it.
    void setLiveStart(const QDateTime &start);
    // The live session so far, gathered before the window was made: it
    // takes the place of the samples the window holds.
    void setLiveSamples(GraphSamples samples);
    // Forgets the live session and any recording shown; shows live data.
    void clear();

    // Shows a recording whole (span "Tümü") until showLive().
    void showRecording(GraphRecording recording, const QString &title);
    void showLive();
    // Starts reading a recording to show it; recordingOpened() follows.
    // False while another one is being read (which goes on).
    bool openRecording(const QString &path);
    bool isReading() const;

    // Of what is shown: the recording, or else the live session.
    int sampleCount() const;
    std::optional<GraphSample> newest() const;
    // The places the lines are broken because frames are missing.
    int breakCount() const;
    bool isPaused() const { return m_paused; }
    // The centre of the first plot (injection times), in this window's
    // coordinates: where a script turns the wheel.
    QPointF firstPlotCentre() const;
    bool isShowingRecording() const { return m_showingRecording; }
    // What an export writes: the samples shown, the clock time at their
    // elapsed 0, and the recording's file name (empty for live data).
    const GraphSamples &shownSamples() const { return shown(); }
    QDateTime shownStart() const { return m_showingRecording ? m_recordingStart : m_liveStart; }
    QString shownTitle() const { return m_showingRecording ? m_sourceTitle : QString(); }

signals:
    void openRecordingRequested();
    // "Excel'e Aktar…": the samples shown, as a workbook.
    void exportRequested();
    void closed();
    // Once per openRecording(): shown (why empty, not cancelled), refused
    // with the reason, or stopped ("Durdur", the window closed).
    void recordingOpened(const QString &why, bool cancelled);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    const GraphSamples &shown() const { return m_showingRecording ? m_recording : m_live; }
    // Following: the plot moves with the newest sample.
    bool following() const { return !m_showingRecording && !m_paused; }
    // The newest sample drawn: while paused, the newest at the pause.
    qint64 shownUntil() const { return m_paused ? m_heldUntilMs : INT64_MAX; }
    std::pair<qint64, qint64> visibleRange() const;
    void scheduleRefresh();
    void refresh();
    void refreshMap();
    void followNewest();
    void showReadout();
    void setPaused(bool paused);
    void chooseSpan(int index);
    // Lights the span button of the range shown, if a span is what it shows.
    void showSpan();
    // The corner: the recording shown, or live data running or paused.
    void showSource();
    void zoom(double factor, double anchorSeconds);
    void pan(double deltaSeconds);
    // Holds a range the axes can take, as near to this one as may be.
    void holdView(double fromMs, double toMs);
    void pointAt(std::optional<double> seconds);
    void recordingRead(const QString &why, bool cancelled);
    void showExportable();
    QWidget *makeToolBar();

    GraphSamples m_live{GraphSamples::kLiveKeepMs};
    GraphSamples m_recording{GraphSamples::kKeepAll};
    QDateTime m_liveStart = QDateTime::currentDateTime(); // of the live time line
    QDateTime m_recordingStart;                           // of the recording shown
    bool m_showingRecording = false;
    bool m_paused = false;
    int m_spanIndex = 1;     // into kSpansMs
    int m_liveSpanIndex = 1; // restored by showLive()
    bool m_spanShown = true; // the range shown is m_spanIndex's (no zoom since)
    QString m_sourceTitle;   // of the recording shown
    qint64 m_viewFrom = 0;   // the range shown while not following
    qint64 m_viewTo = kSpansMs[0];
    qint64 m_heldUntilMs = 0; // the newest sample when paused
    bool m_pageValid = false; // the range shown while following
    qint64 m_pageFrom = 0;
    qint64 m_pageTo = 0;
    bool m_mapBehind = false; // samples arrived since the map was drawn
    QList<GraphTimeView::Marker> m_markers;
    std::optional<double> m_pointerSeconds;

    QTimer *m_refreshTimer = nullptr;         // child
    QTimer *m_mapTimer = nullptr;             // child
    QButtonGroup *m_spans = nullptr;          // child
    QPushButton *m_pause = nullptr;           // child widget
    QPushButton *m_open = nullptr;            // child widget
    QPushButton *m_export = nullptr;          // child widget, enabled with samples
    QPushButton *m_backToLive = nullptr;      // child widget
    QLabel *m_note = nullptr;                 // child widget
    QLabel *m_source = nullptr;               // child widget
    QProgressBar *m_progress = nullptr;       // child widget, shown while reading
    QPushButton *m_cancelOpen = nullptr;      // child widget, shown while reading
    GraphRecordingReader *m_reader = nullptr; // child
    QLabel *m_readout = nullptr;              // child widget
    GraphTimePanel *m_timePanel = nullptr;    // child widget
    GraphMapView *m_mapView = nullptr;        // child widget
};
