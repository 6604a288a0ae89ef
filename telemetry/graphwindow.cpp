#include "graphwindow.h"

#include "telemetry/graphaxes.h"
#include "telemetry/graphmapview.h"
#include "telemetry/graphrecordingreader.h"
#include "telemetry/graphtimepanel.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

// A range the time axes can take, as near to [fromMs, toMs] as may be: at
// least a second and at most a day wide, around the same middle. A range of
// nothing (an empty graph, one sample) becomes a second around it; an
// inverted one is turned round; one that is not a number at all becomes the
// first seconds.
std::pair<qint64, qint64> saneRange(double fromMs, double toMs)
{
    if (!std::isfinite(fromMs) || !std::isfinite(toMs))
        return {0, GraphWindow::kSpansMs[0]};
    if (toMs < fromMs)
        std::swap(fromMs, toMs);
    const double width =
        std::clamp(toMs - fromMs, double(kLeastTimeRangeMs), double(kMostTimeRangeMs));
    const double farthest = double(kFarthestTimeMs) - width;
    const double middle = std::clamp((fromMs + toMs) / 2, -farthest, farthest);
    const qint64 from = qint64(std::llround(middle - width / 2));
    return {from, from + qint64(std::llround(width))};
}

} // namespace

GraphWindow::GraphWindow(QWidget *parent)
    : QWidget(parent, Qt::Window), m_refreshTimer(new QTimer(this)), m_mapTimer(new QTimer(this)),
      m_spans(new QButtonGroup(this)), m_pause(new QPushButton(tr("Duraklat"), this)),
      m_open(new QPushButton(tr("Kayıt Aç…"), this)),
      m_export(new QPushButton(tr("Excel'e Aktar…"), this)),
      m_backToLive(new QPushButton(tr("Canlıya Dön"), this)), m_note(new QLabel(this)),
      m_source(new QLabel(this)), m_progress(new QProgressBar(this)),
      m_cancelOpen(new QPushButton(tr("Durdur"), this)), m_reader(new GraphRecordingReader(this)),
      m_readout(new QLabel(this)), m_timePanel(new GraphTimePanel(this)),
      m_mapView(new GraphMapView(this))
{
    setWindowTitle(tr("Grafik"));
    m_refreshTimer->setSingleShot(true);
    connect(m_refreshTimer, &QTimer::timeout, this, &GraphWindow::refresh);
    m_mapTimer->setSingleShot(true);
    m_mapTimer->setInterval(kMapRefreshMs);
    connect(m_mapTimer, &QTimer::timeout, this, [this] {
        if (m_mapBehind && isVisible())
            refreshMap();
    });

    connect(m_reader, &GraphRecordingReader::progressed, m_progress, &QProgressBar::setValue);
    connect(m_reader, &GraphRecordingReader::finished, this, &GraphWindow::recordingRead);
    connect(m_cancelOpen, &QPushButton::clicked, m_reader, &GraphRecordingReader::cancel);

    connect(m_timePanel, &GraphTimePanel::zoomRequested, this, &GraphWindow::zoom);
    connect(m_timePanel, &GraphTimePanel::panRequested, this, &GraphWindow::pan);
    connect(m_timePanel, &GraphTimePanel::pointerMoved, this,
            [this](double seconds) { pointAt(seconds); });
    connect(m_timePanel, &GraphTimePanel::pointerLeft, this, [this] { pointAt(std::nullopt); });
    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(m_timePanel);
    splitter->addWidget(m_mapView);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    splitter->setSizes({760, 480});

    m_readout->setObjectName(QStringLiteral("readout"));
    m_readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // On a narrow window the read-out takes a second line rather than
    // losing its end.
    m_readout->setWordWrap(true);
    m_readout->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 4);
    layout->setSpacing(4);
    layout->addWidget(makeToolBar());
    layout->addWidget(splitter, 1);
    layout->addWidget(m_readout);
    // A 1366 × 768 screen less a task bar and the window's frame; never more
    // than the room of the screen it opens on.
    const QScreen *on = screen();
    resize(on ? kDefaultSize.boundedTo(on->availableGeometry().size()) : kDefaultSize);
    showLive();
}

QWidget *GraphWindow::makeToolBar()
{
    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(tr("Zaman aralığı:"), bar));
    const QString names[] = {tr("30 s"), tr("2 dk"), tr("10 dk"), tr("Tümü")};
    for (int i = 0; i < int(kSpansMs.size()); ++i) {
        auto *button = new QToolButton(bar);
        button->setText(names[i]);
        button->setCheckable(true);
        button->setMinimumWidth(52);
        m_spans->addButton(button, i);
        row->addWidget(button);
    }
    // Not exclusive: after a wheel zoom no span is shown, and none is lit.
    m_spans->setExclusive(false);
    connect(m_spans, &QButtonGroup::idClicked, this, &GraphWindow::chooseSpan);

    m_pause->setObjectName(QStringLiteral("pause"));
    m_open->setObjectName(QStringLiteral("openRecording"));
    m_backToLive->setObjectName(QStringLiteral("backToLive"));
    connect(m_pause, &QPushButton::clicked, this, [this] { setPaused(!m_paused); });
    connect(m_open, &QPushButton::clicked, this, &GraphWindow::openRecordingRequested);
    m_export->setObjectName(QStringLiteral("exportWorkbook"));
    // Where the screen is narrower than the tool bar needs, this button
    // gives way first: the window's least width stays what it was.
    m_export->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_export->setMinimumWidth(1);
    connect(m_export, &QPushButton::clicked, this, &GraphWindow::exportRequested);
    connect(m_backToLive, &QPushButton::clicked, this, &GraphWindow::showLive);
    row->addSpacing(16);
    row->addWidget(m_pause);
    row->addWidget(m_open);
    row->addWidget(m_export);
    row->addWidget(m_backToLive);
    // While a recording is read.
    m_progress->setObjectName(QStringLiteral("openProgress"));
    m_progress->setRange(0, 100);
    m_progress->setFixedWidth(220);
    m_progress->hide();
    m_cancelOpen->setObjectName(QStringLiteral("cancelOpen"));
    m_cancelOpen->hide();
    row->addSpacing(16);
    row->addWidget(m_progress);
    row->addWidget(m_cancelOpen);
    row->addStretch(1);
    // What the window has to say about the recording it shows.
    m_note->setObjectName(QStringLiteral("note"));
    m_note->setStyleSheet(QStringLiteral("color: #A04000;"));
    m_note->hide();
    row->addWidget(m_note);
    row->addSpacing(8);
    // What is shown: "Canlı", "Duraklatıldı" or the recording's name.
    m_source->setObjectName(QStringLiteral("source"));
    row->addWidget(m_source);
    return bar;
}

void GraphWindow::addFrame(qint64 elapsedMs, const zcore::LiveFrame &frame)
{
    // Kept also while a recording is shown: back to live data, there is no
    // hole where it was.
    const auto newest = m_live.newest();
    if (!m_showingRecording && newest && elapsedMs < newest->elapsedMs)
        m_timePanel->redrawAll(); // late: it goes in among the drawn samples
    m_live.add(graphSample(elapsedMs, frame));
    if (!m_showingRecording)
        showExportable();
    if (following())
        scheduleRefresh();
}

void GraphWindow::addCommand(qint64 elapsedMs, int code, int value)
{
    m_live.addCommand(graphCommand(elapsedMs, code, value));
    if (!m_showingRecording)
        scheduleRefresh();
}

void GraphWindow::addLinkEvent(qint64 elapsedMs, zcore::RecordEvent event)
{
    const auto newest = m_live.newest();
    if (!m_showingRecording && newest && elapsedMs < newest->elapsedMs)
        m_timePanel->redrawAll(); // late: it may break lines already drawn
    m_live.addLinkEvent({elapsedMs, event});
    if (!m_showingRecording)
        scheduleRefresh();
}

void GraphWindow::setLiveStart(const QDateTime &start)
{
    m_liveStart = start;
    if (!m_showingRecording) {
        m_timePanel->setClockStart(start);
        scheduleRefresh();
    }
}

void GraphWindow::setLiveSamples(GraphSamples samples)
{
    m_live = std::move(samples);
    if (!m_showingRecording) {
        showExportable();
        m_timePanel->redrawAll();
        m_pageValid = false;
        scheduleRefresh();
    }
}

void GraphWindow::clear()
{
    m_live.clear();
    showLive();
}

bool GraphWindow::openRecording(const QString &path)
{
    if (!m_reader->start(path))
        return false;
    m_progress->setValue(0);
    m_progress->setFormat(tr("%1 okunuyor… %p%").arg(QFileInfo(path).fileName()));
    m_progress->show();
    m_cancelOpen->show();
    m_open->setEnabled(false);
    return true;
}

bool GraphWindow::isReading() const { return m_reader->isReading(); }

void GraphWindow::recordingRead(const QString &why, bool cancelled)
{
    m_progress->hide();
    m_cancelOpen->hide();
    m_open->setEnabled(true);
    if (auto recording = m_reader->take())
        showRecording(std::move(*recording), QFileInfo(m_reader->path()).fileName());
    emit recordingOpened(why, cancelled);
}

void GraphWindow::showRecording(GraphRecording recording, const QString &title)
{
    // What the reading left out of the file, and a file without frames.
    QStringList notes;
    if (recording.samples.isEmpty())
        notes.append(tr("Kayıtta veri yok"));
    if (recording.droppedBytes > 0)
        notes.append(tr("Kesik son satır okunmadı (%1 bayt)").arg(recording.droppedBytes));
    if (recording.skippedRows > 0)
        notes.append(tr("Bilinmeyen olaylı %1 satır atlandı").arg(recording.skippedRows));
    m_note->setText(notes.join(QStringLiteral(" · ")));
    m_note->setVisible(!notes.isEmpty());
    m_recording = std::move(recording.samples);
    m_recordingStart = recording.start;
    m_showingRecording = true;
    m_timePanel->setClockStart(m_recordingStart);
    m_paused = false;
    m_timePanel->redrawAll();
    m_pause->setText(tr("Duraklat"));
    m_pause->setEnabled(false);
    m_backToLive->show();
    m_sourceTitle = title;
    showSource();
    showExportable();
    chooseSpan(int(kSpansMs.size()) - 1);
}

void GraphWindow::showLive()
{
    m_showingRecording = false;
    m_recording.clear();
    m_timePanel->setClockStart(m_liveStart);
    m_timePanel->redrawAll();
    m_pageValid = false;
    m_pause->setEnabled(true);
    m_backToLive->hide();
    m_note->hide();
    showExportable();
    m_spanIndex = m_liveSpanIndex;
    setPaused(false);
}

void GraphWindow::showExportable() { m_export->setEnabled(!shown().isEmpty()); }

int GraphWindow::sampleCount() const { return int(shown().count()); }

QPointF GraphWindow::firstPlotCentre() const { return m_timePanel->firstPlotCentre(this); }

int GraphWindow::breakCount() const { return int(shown().breakCount()); }

std::optional<GraphSample> GraphWindow::newest() const { return shown().newest(); }

void GraphWindow::closeEvent(QCloseEvent *event)
{
    m_reader->cancel();
    emit closed();
    QWidget::closeEvent(event);
}

void GraphWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_refreshTimer->start(0);
}

std::pair<qint64, qint64> GraphWindow::visibleRange() const
{
    if (!following())
        return {m_viewFrom, m_viewTo};
    return saneRange(double(m_pageFrom), double(m_pageTo));
}

void GraphWindow::followNewest()
{
    // The range moves in steps of a tenth of the span, not with every
    // sample: between steps only the newest samples are drawn.
    const qint64 span = kSpansMs[size_t(m_spanIndex)];
    const auto oldest = shown().oldest();
    const auto newest = shown().newest();
    if (!oldest) {
        m_pageFrom = 0;
        m_pageTo = span ? span : kSpansMs[0];
        m_pageValid = false;
        return;
    }
    const qint64 last = newest->elapsedMs;
    if (m_pageValid && last >= m_pageFrom && last <= m_pageTo)
        return;
    m_pageValid = true;
    const qint64 first = oldest->elapsedMs;
    if (span == 0) {
        m_pageFrom = first;
        m_pageTo = std::max(first + kSpansMs[0], last + (last - first) / 10);
    } else if (last <= first + span) {
        m_pageFrom = first;
        m_pageTo = first + span;
    } else {
        m_pageTo = last + span / 10;
        m_pageFrom = m_pageTo - span;
    }
}
void GraphWindow::scheduleRefresh()
{
    // The plot waits 100 ms from the first sample not drawn, so that the
    // samples arriving meanwhile are drawn with it. Drawing each frame of
    // a 10 frames/s unit at once was measured: more redraws, more processor
    // (5.1 % of a core against 4.8 % with a full 2-minute span).
    if (!m_refreshTimer->isActive())
        m_refreshTimer->start(kRefreshMs);
}

void GraphWindow::refresh()
{
    m_refreshTimer->stop();
    if (!isVisible())
        return;
    if (following())
        followNewest();
    const auto [from, to] = visibleRange();
    m_timePanel->showSamples(shown(), from, to, shownUntil());
    // The map changes slowly: while following, it is drawn at most once a
    // second (and once more after the last change).
    if (!following() || !m_mapTimer->isActive())
        refreshMap();
    else
        m_mapBehind = true;
    QList<GraphTimeView::Marker> markers;
    const qint64 until = std::min(to, shownUntil());
    for (const GraphCommand &command : shown().commands(from, until))
        markers.append({command.elapsedMs / 1000.0, command.text, false});
    const auto events = shown().linkEvents(from, until);
    if (!events.empty()) {
        for (const GraphLinkEvent &event : events)
            markers.append({event.elapsedMs / 1000.0, linkEventText(event.event), true});
        std::stable_sort(markers.begin(), markers.end(),
                         [](const auto &a, const auto &b) { return a.seconds < b.seconds; });
    }
    if (markers != m_markers) {
        m_markers = markers;
        m_timePanel->setMarkers(markers);
    }
    if (m_pointerSeconds || !following())
        showReadout(); // else with the map: the newest values, once a second
}

void GraphWindow::refreshMap()
{
    const auto [from, to] = visibleRange();
    m_mapView->setSamples(shown().range(from, std::min(to, shownUntil())));
    m_mapBehind = false;
    showReadout();
    m_mapTimer->start();
}

void GraphWindow::showReadout()
{
    std::optional<GraphSample> sample;
    if (m_pointerSeconds) {
        const qint64 ms = qint64(std::llround(*m_pointerSeconds * 1000));
        sample = shown().nearest(std::min(ms, shownUntil()));
    } else {
        const auto [from, to] = visibleRange();
        const auto samples = shown().range(from, std::min(to, shownUntil()));
        if (!samples.empty())
            sample = samples.back();
    }
    if (!sample) {
        m_readout->setText(tr("Veri yok"));
        return;
    }
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const auto ms = [&](double v) {
        return std::isfinite(v) ? locale.toString(v, 'f', 2) : QStringLiteral("—");
    };
    // A value and its name stay on one line (no-break spaces); the groups
    // go on a second line where the window is narrow.
    const QChar nbsp(0x00A0);
    QString channels;
    for (size_t c = 0; c < 4; ++c)
        channels += tr("  %1: %2 / %3").arg(c + 1).arg(ms(sample->inMs[c]), ms(sample->outMs[c]));
    const QString rpm =
        sample->rpm ? locale.toString(std::lround(*sample->rpm)) : QStringLiteral("—");
    QString text =
        tr("%1   │   Giriş / Çıkış (ms):%2   │   Devir: %3 rpm   │   "
           "Yakıt: %4   │   Isı: %5 °C   Geçiş ısısı: %6 °C   │   Depo: %7")
            .arg(clockText(m_timePanel->clockStart(), sample->elapsedMs), channels, rpm,
                 sample->petrol() ? tr("Benzin") : tr("LPG"), locale.toString(sample->coolantC),
                 locale.toString(sample->switchOverC), locale.toString(sample->tankLevel));
    // Breaks only after a group's bar, so that a second line starts with
    // a value's name.
    const QString bar = QStringLiteral("   │   ");
    QStringList groups = text.split(bar);
    for (QString &group : groups)
        group.replace(QLatin1Char(' '), nbsp);
    m_readout->setText(groups.join(QString(3, nbsp) + QStringLiteral("│   ")));
}

void GraphWindow::setPaused(bool paused)
{
    if (paused && !m_paused) {
        // The range as it is drawn now, also when nothing was drawn yet.
        if (following())
            followNewest();
        const auto [from, to] = visibleRange();
        holdView(from, to);
        const auto newest = shown().newest();
        m_heldUntilMs = newest ? newest->elapsedMs : 0;
    }
    m_paused = paused;
    m_pageValid = false;
    if (following())
        m_spanShown = true; // the span chosen, following the newest sample
    m_pause->setText(paused ? tr("Devam") : tr("Duraklat"));
    showSource();
    showSpan();
    refresh();
}

void GraphWindow::chooseSpan(int index)
{
    m_spanIndex = index;
    m_spanShown = true;
    showSpan();
    m_pageValid = false;
    if (!m_showingRecording)
        m_liveSpanIndex = index;
    if (!following()) {
        const qint64 span = kSpansMs[size_t(index)];
        const auto oldest = shown().oldest();
        const auto newest = shown().newest();
        if (span != 0)
            holdView(double(m_viewTo - span), double(m_viewTo));
        else if (oldest)
            holdView(double(oldest->elapsedMs), double(newest->elapsedMs));
        else
            holdView(0, double(kSpansMs[0]));
    }
    refresh();
}

void GraphWindow::zoom(double factor, double anchorSeconds)
{
    if (following())
        setPaused(true);
    // The range held is at least a second wide, so the division is safe.
    const auto [from, to] = visibleRange();
    const double width =
        std::clamp((to - from) * factor, double(kLeastTimeRangeMs), double(kMostTimeRangeMs));
    double anchor = anchorSeconds * 1000;
    if (!std::isfinite(anchor))
        anchor = (from + to) / 2.0;
    const double newFrom = anchor - (anchor - double(from)) * width / double(to - from);
    holdView(newFrom, newFrom + width);
    // A range of its own: no span button stands for it.
    m_spanShown = false;
    showSpan();
    refresh();
}

void GraphWindow::pan(double deltaSeconds)
{
    if (following())
        setPaused(true);
    const auto [from, to] = visibleRange();
    const double delta = deltaSeconds * 1000;
    if (std::isfinite(delta))
        holdView(from + delta, to + delta);
    // Moved, a span is as wide as before; "Tümü" no longer shows it all.
    if (kSpansMs[size_t(m_spanIndex)] == 0) {
        m_spanShown = false;
        showSpan();
    }
    refresh();
}

void GraphWindow::showSpan()
{
    for (int i = 0; i < int(kSpansMs.size()); ++i)
        m_spans->button(i)->setChecked(m_spanShown && i == m_spanIndex);
}

void GraphWindow::showSource()
{
    if (m_showingRecording)
        m_source->setText(tr("Kayıt: %1").arg(m_sourceTitle));
    else
        m_source->setText(m_paused ? tr("Duraklatıldı") : tr("Canlı"));
}

void GraphWindow::holdView(double fromMs, double toMs)
{
    std::tie(m_viewFrom, m_viewTo) = saneRange(fromMs, toMs);
}

void GraphWindow::pointAt(std::optional<double> seconds)
{
    m_pointerSeconds = seconds;
    m_timePanel->setPointerLine(seconds);
    showReadout();
}
