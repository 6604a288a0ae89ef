#include "recordingactions.h"

#include "core/decode.h"
#include "core/recording.h"
#include "filedialogs.h"
#include "link/commandsender.h"
#include "telemetry/graphwindow.h"
#include "telemetry/workbookexport.h"
#include "ui/mainwindow.h"
#include "ui/recordingmark.h"
#include "ui/sharedstate.h"
#include "ui/windowplacement.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

#include <utility>

namespace {
const QString kRecording = QStringLiteral("recorder");
const QString kPort = QStringLiteral("port");
const QString kStarted = QStringLiteral("Kayıt Başladı!");
const QString kStopped = QStringLiteral("Kayıt Durduruldu!");
} // namespace

RecordingActions::RecordingActions(SharedState &state, SerialLink &link, CommandSender &sender,
                                   MainWindow &main, ToolActions &actions, QObject *parent)
    : QObject(parent), m_state(state), m_main(main), m_sender(sender), m_tap(link),
      m_recorder(state), m_mark(new RecordingMark(&main))
{
    actions.define(QStringLiteral("record-start"),
                   [this](const QString &f) { return startRecording(f); });
    actions.define(QStringLiteral("record-stop"),
                   [this](const QString &) { return stopRecording(); });
    actions.define(QStringLiteral("graph-show"), [this](const QString &) { return showGraph(); });
    actions.defineLater(
        QStringLiteral("graph-open"),
        [this](const QString &f, const ToolActions::Done &done) { openRecording(f, done); });
    actions.define(QStringLiteral("export"),
                   [this](const QString &f) { return exportWorkbook(f); });
    m_recordEntry =
        actions.addEntry(tr("Kaydı Başlat"), QKeySequence(Qt::CTRL | Qt::Key_R), [this] {
            return m_recorder.isActive() ? stopRecording() : startRecording(QString());
        });
    actions.addEntry(tr("Grafik"), QKeySequence(Qt::CTRL | Qt::Key_G),
                     [this] { return showGraph(); });
    actions.addLaterEntry(tr("Kayıt Aç…"), QKeySequence(), [this](const ToolActions::Done &done) {
        openRecording(QString(), done);
    });

    connect(&m_tap, &FrameTap::frameSeen, this, &RecordingActions::frameSeen);
    connect(&m_recorder, &Recorder::activeChanged, this, &RecordingActions::recordingChanged);
    m_sender.setSentObserver([this](int code, int value) { commandSent(code, value); });
    m_live.start();
    m_liveStart = QDateTime::currentDateTime();
}

RecordingActions::~RecordingActions()
{
    m_sender.setSentObserver({});
    m_recorder.stop();
}

QString RecordingActions::defaultFile()
{
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    return QDir(documents).filePath(
        QStringLiteral("Zendalite/") +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")) +
        QStringLiteral(".csv"));
}

ToolActions::Result RecordingActions::startRecording(const QString &file)
{
    if (m_recorder.isActive())
        return {false, tr("kayıt zaten sürüyor")};
    const QString path = file.isEmpty() ? defaultFile() : file;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QString why;
    // A file a script names is created or replaced; a default name never
    // replaces a recording (two started in the same second share it).
    if (!(file.isEmpty() ? startInFreeFile(path, &why) : m_recorder.start(path, &why)))
        return {false, why};
    m_state.statusMessage = kStarted;
    return {};
}

bool RecordingActions::startInFreeFile(const QString &base, QString *why)
{
    const QFileInfo info(base);
    for (int n = 1; n <= kMostDefaultNames; ++n) {
        const QString path = n == 1 ? base
                                    : info.dir().filePath(QStringLiteral("%1-%2.%3")
                                                              .arg(info.completeBaseName())
                                                              .arg(n)
                                                              .arg(info.suffix()));
        if (m_recorder.start(path, why, Recorder::Existing::Refuse))
            return true;
        const QFileInfo taken(path);
        if (!taken.exists() && !taken.isSymLink())
            return false; // not a name taken: the reason stands
    }
    *why = tr("%1 ve numaralı %2 adı kullanılmış").arg(base).arg(kMostDefaultNames - 1);
    return false;
}

ToolActions::Result RecordingActions::stopRecording()
{
    if (!m_recorder.isActive())
        return {false, tr("kayıt yok")};
    m_recorder.stop();
    // A last write that failed has said so already.
    if (m_state.statusMessage != Recorder::kWriteFailed)
        m_state.statusMessage = kStopped;
    return {};
}

void RecordingActions::recordingChanged(bool active)
{
    m_tap.setWanted(kRecording, active);
    m_mark->setToolTip(active ? tr("Kayıt: %1").arg(QDir::toNativeSeparators(m_recorder.fileName()))
                              : QString());
    m_mark->setVisible(active);
    m_recordEntry->setText(active ? tr("Kaydı Durdur") : tr("Kaydı Başlat"));
}

void RecordingActions::linkEvent(zcore::RecordEvent event)
{
    m_tap.restart();
    // Every frame while the port is open, so that the graph has the last
    // minutes whenever it is opened.
    if (event == zcore::RecordEvent::PortOpen || event == zcore::RecordEvent::PortClosed)
        m_tap.setWanted(kPort, event == zcore::RecordEvent::PortOpen);
    m_recorder.linkEvent(event);
    if (m_graph)
        m_graph->addLinkEvent(m_live.elapsed(), event);
    else
        m_liveSamples.addLinkEvent({m_live.elapsed(), event});
}

void RecordingActions::frameSeen(const QByteArray &payload)
{
    m_recorder.frame(payload);
    const zcore::LiveFrame frame = zcore::decodePayload(payload);
    const qint64 elapsedMs = m_live.elapsed();
    if (m_graph)
        m_graph->addFrame(elapsedMs, frame);
    else
        m_liveSamples.add(graphSample(elapsedMs, frame));
    emit liveFrame(elapsedMs, frame);
}

void RecordingActions::commandSent(int code, int value)
{
    m_recorder.command(code, value);
    if (m_graph)
        m_graph->addCommand(m_live.elapsed(), code, value);
    else
        m_liveSamples.addCommand(graphCommand(m_live.elapsed(), code, value));
}

GraphWindow &RecordingActions::graphWindow()
{
    if (!m_graph) {
        m_graph = std::make_unique<GraphWindow>();
        m_graph->setLiveStart(m_liveStart);
        // Beside the main window the first time; later where it was left.
        placement::placeBeside(m_graph.get(), &m_main);
        // What came before it: from here on the window keeps the samples.
        m_graph->setLiveSamples(std::exchange(m_liveSamples, GraphSamples()));
        connect(m_graph.get(), &GraphWindow::openRecordingRequested, this, [this] {
            openRecording(QString(), ToolActions::warnLater(m_graph.get(), tr("Zendalite")));
        });
        connect(m_graph.get(), &GraphWindow::recordingOpened, this,
                &RecordingActions::recordingOpened);
        connect(m_graph.get(), &GraphWindow::exportRequested, this, [this] {
            const ToolActions::Result result = exportWorkbook(QString());
            if (!result.ok && !result.error.isEmpty())
                QMessageBox::warning(m_graph.get(), tr("Zendalite"),
                                     tr("Çalışma kitabı yazılamadı: %1").arg(result.error));
        });
    }
    return *m_graph;
}

ToolActions::Result RecordingActions::showGraph()
{
    GraphWindow &graph = graphWindow();
    graph.showLive();
    graph.show();
    graph.raise();
    graph.activateWindow();
    return {};
}

void RecordingActions::openRecording(const QString &file, const ToolActions::Done &done)
{
    QString path = file;
    if (path.isEmpty()) {
        path =
            filedialogs::openFile(m_graph ? static_cast<QWidget *>(m_graph.get()) : &m_main,
                                  &m_main, tr("Kayıt Aç"), QFileInfo(defaultFile()).absolutePath(),
                                  tr("Zendalite kayıtları (*.csv);;Tüm dosyalar (*)"));
        if (path.isEmpty()) {
            done({false, QString()}); // the person cancelled
            return;
        }
    }
    GraphWindow &graph = graphWindow();
    // One at a time: the first goes on ("Durdur" stops it).
    if (!graph.openRecording(path)) {
        done({false, tr("bir kayıt zaten okunuyor")});
        return;
    }
    m_opening = done;
    m_shownForOpening = !graph.isVisible();
    // The window shows the reading's progress. Live frames keep coming: it
    // collects them (not shown while a recording is) and has them when it
    // goes back to live data.
    graph.show();
    graph.raise();
}

void RecordingActions::recordingOpened(const QString &why, bool cancelled)
{
    const bool shown = why.isEmpty() && !cancelled;
    // A file refused changes nothing: a window shown only for it goes again.
    if (!shown && m_shownForOpening && m_graph->isVisible())
        m_graph->close();
    m_shownForOpening = false;
    if (const ToolActions::Done done = std::exchange(m_opening, {}))
        done(shown ? ToolActions::Result{} : ToolActions::Result{false, why});
}

ToolActions::Result RecordingActions::exportWorkbook(const QString &file)
{
    const GraphSamples &samples = m_graph ? m_graph->shownSamples() : m_liveSamples;
    const QDateTime start = m_graph ? m_graph->shownStart() : m_liveStart;
    if (samples.isEmpty())
        return {false, tr("grafikte veri yok")};
    QString path = file;
    if (path.isEmpty()) {
        // Beside the recordings, named after the recording shown or the
        // time of the export.
        const QString title = m_graph ? m_graph->shownTitle() : QString();
        const QString name =
            title.isEmpty()
                ? QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"))
                : QFileInfo(title).completeBaseName();
        const QString folder = QFileInfo(defaultFile()).absolutePath();
        QDir().mkpath(folder);
        path = filedialogs::saveFile(m_graph ? static_cast<QWidget *>(m_graph.get()) : &m_main,
                                     &m_main, tr("Excel'e Aktar"),
                                     QDir(folder).filePath(name + QStringLiteral(".xlsx")),
                                     tr("Excel çalışma kitabı (*.xlsx)"));
        if (path.isEmpty())
            return {false, QString()}; // the person cancelled
    }
    QString why;
    if (!workbook::write(path, samples, start, &why))
        return {false, why};
    return {};
}
