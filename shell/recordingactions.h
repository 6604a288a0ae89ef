// The recorder and the graph window as a person and a script reach them:
// context menu "Kaydı Başlat" / "Kaydı Durdur" (Ctrl+R), "Grafik" (Ctrl+G),
// "Kayıt Aç…", and the graph window's "Excel'e Aktar…"; the actions
// record-start, record-stop, graph-show, graph-open and export. Frames come from the link's frame
// tap, which runs while the port is open (and while recording), commands from the command sender,
// link events from start-up and the link. Until the graph window is first
// opened its live samples are kept here, so that it opens with the last
// minutes.
#pragma once

#include "telemetry/frametap.h"
#include "telemetry/graphsamples.h"
#include "telemetry/recorder.h"
#include "toolactions.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>

#include <memory>

class CommandSender;
class GraphWindow;
class MainWindow;
class RecordingMark;
class SerialLink;
struct SharedState;

class RecordingActions : public QObject {
    Q_OBJECT
public:
    RecordingActions(SharedState &state, SerialLink &link, CommandSender &sender, MainWindow &main,
                     ToolActions &actions, QObject *parent = nullptr);
    ~RecordingActions() override;

    const Recorder &recorder() const { return m_recorder; }
    // The graph window while it exists.
    GraphWindow *graph() const { return m_graph.get(); }

    ToolActions::Result startRecording(const QString &file);
    ToolActions::Result stopRecording();
    ToolActions::Result showGraph();
    // Shows the recording in the graph window once it has been read (off the
    // GUI thread); done is told then, or at once when the open is refused
    // (no file chosen, another recording being read).
    void openRecording(const QString &file, const ToolActions::Done &done);
    // Writes what the graph holds (the recording it shows, else the live
    // samples, also before the window was first opened) as a workbook,
    // creating or replacing the file; the person is asked where when no
    // file is named. Refused without a sample, or when it cannot be written.
    ToolActions::Result exportWorkbook(const QString &file);

    // A link event: recorded, marked on the graph (whose lines break at a
    // lost device or a closed port), and a frame cut by it is not finished
    // with the bytes that come after it. The port opened starts the frame
    // tap, the port closed stops it (unless a recording runs).
    void linkEvent(zcore::RecordEvent event);

    // Where a recording goes when no file is named: the documents folder,
    // Zendalite/, the date and time. A recording started there takes the
    // first of NAME.csv, NAME-2.csv, NAME-3.csv, … that is not there yet.
    static QString defaultFile();
    // How many of those names are tried.
    static constexpr int kMostDefaultNames = 1000;

signals:
    // Every frame the unit sent while the port is open, decoded, at
    // elapsedMs on the live time line.
    void liveFrame(qint64 elapsedMs, const zcore::LiveFrame &frame);

private:
    // Starts recording in the first free name of `base` and its numbered
    // variants; false, and why, when none can be made.
    bool startInFreeFile(const QString &base, QString *why);
    void frameSeen(const QByteArray &payload);
    void commandSent(int code, int value);
    void recordingChanged(bool active);
    void recordingOpened(const QString &why, bool cancelled);
    GraphWindow &graphWindow();

    SharedState &m_state;
    MainWindow &m_main;
    CommandSender &m_sender;
    FrameTap m_tap;
    Recorder m_recorder;
    RecordingMark *m_mark = nullptr; // a child of the main window
    QAction *m_recordEntry = nullptr;
    std::unique_ptr<GraphWindow> m_graph;
    GraphSamples m_liveSamples{GraphSamples::kLiveKeepMs}; // until m_graph is made
    QElapsedTimer m_live;                                  // time line of the live graph
    QDateTime m_liveStart;                                 // the clock time when m_live started
    // The open being read: who waits for it, and whether the window was
    // shown for it (it goes again when the file is refused).
    ToolActions::Done m_opening;
    bool m_shownForOpening = false;
};
