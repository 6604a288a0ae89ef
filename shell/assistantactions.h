// The tuning assistant (context menu "Ayar Yardımcısı", Ctrl+T; actions
// assistant-start, assistant-open, assistant-apply, assistant-reset): it
// collects from the live frames while its window is open and the port is,
// and from the recordings added to it, and proposes band levels. The
// proposal goes to the unit only through the settings restore: a person
// presses "Uygula" and then sends it from the settings preview; a script's
// assistant-apply sends it at once, as settings-load does a file.
//
// A recording is read on a thread of its own (the file read and checked
// there), then its frames go through the same rules as live ones, on a
// time line of their own.
#pragma once

#include "core/decode.h"
#include "core/tuningsession.h"
#include "toolactions.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class AssistantWindow;
class CommandSender;
class MainWindow;
class QThread;
class SettingsActions;

class AssistantActions : public QObject {
    Q_OBJECT
public:
    // The window is redrawn at most this often while frames come (less
    // often when a redraw takes more than a millisecond).
    static constexpr int kRefreshMs = 1000;

    AssistantActions(SettingsActions &settings, CommandSender &sender, MainWindow &main,
                     ToolActions &actions, QObject *parent = nullptr);
    ~AssistantActions() override;

    // Every frame the unit sent while the port is open, elapsedMs on the
    // live time line.
    void frame(qint64 elapsedMs, const zcore::LiveFrame &frame);

    AssistantWindow *window() const { return m_window.get(); }
    // Collecting the live frames.
    bool isActive() const { return m_active; }
    const zcore::TuningSession &session() const { return m_session; }
    // The reason the last live frame did not count, or empty.
    QString liveSkip() const;

    ToolActions::Result start();
    void open(const QString &file, const ToolActions::Done &done);
    // script: sends at once; else the settings preview shows what will be.
    ToolActions::Result apply(bool script);
    ToolActions::Result reset();

private:
    AssistantWindow &ensureWindow();
    void showWindow();
    void refresh();
    void scheduleRefresh();
    void readEnded();

    SettingsActions &m_settings;
    CommandSender &m_sender;
    MainWindow &m_main;
    zcore::TuningSession m_session;
    zcore::TuningSession::Feed m_live;
    bool m_active = false;
    std::unique_ptr<AssistantWindow> m_window;
    QTimer m_refresh;

    // A recording being read: its thread, and what it hands over.
    QThread *m_reader = nullptr; // owned while it runs
    ToolActions::Done m_readDone;
    QString m_readWhy;
    std::vector<std::pair<qint64, zcore::LiveFrame>> m_readFrames;
};
