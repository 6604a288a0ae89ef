// The application shell: start-up with the shared state and the port file,
// the port-number dialog, the help window and the end of the program. It
// wires the subsystems to the windows; each subsystem keeps its own handlers.
#pragma once

#include "helpwindow.h"
#include "link/commandsender.h"
#include "sharedstate.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class SerialLink;
class MainWindow;
class ComPortWindow;
class PollCycle;
class LiveDisplay;

class AppShell : public QObject {
    Q_OBJECT
public:
    // configDir: where "c:\" lies on this system; portHint: describes the
    // port numbers of this machine for the dialog's tooltip.
    AppShell(SerialLink &link, QString configDir, bool manualTimers, QObject *parent = nullptr);
    ~AppShell() override;

    void setPortHint(std::function<QString()> portHint) { m_portHint = std::move(portHint); }

    // Load of the main window: the animation, then start.
    void load();
    void start();

    void comPortStart();
    void comPortEnter();
    void helpStart();
    void helpUnload();
    void sonla();

    SharedState &state() { return m_state; }
    SerialLink &link() { return m_link; }
    MainWindow &mainWindow() { return *m_main; }
    ComPortWindow &comPort() { return *m_comPort; }
    HelpWindow *help() const { return m_help; }
    PollCycle &pollCycle() { return *m_poll; }
    CommandSender &sender() { return m_sender; }

    // Why the last start or port file write failed; empty when it did not.
    QString lastFailure() const { return m_failure; }

signals:
    void programEnded();

private:
    QString portFilePath() const;
    void firstFailure(const QString &why);
    void secondFailure(const QString &why);
    void portChangeRequested();
    void setDialogTip(const QString &tip);

    SerialLink &m_link;
    QString m_configDir;
    SharedState m_state;
    CommandSender m_sender{m_link};
    std::unique_ptr<MainWindow> m_main;
    std::unique_ptr<ComPortWindow> m_comPort;
    QPointer<HelpWindow> m_help;
    PollCycle *m_poll = nullptr;
    LiveDisplay *m_display = nullptr;
    std::function<QString()> m_portHint;
    QString m_failure;
};
