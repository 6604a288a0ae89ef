// The automation channel: one JSON request per line on standard input, one
// JSON reply per line on standard output, in order. Requests go to handlers
// through a table by their op; gestures go through Qt's event delivery,
// never straight to a handler of the tool.
#pragma once

#include <QByteArrayList>
#include <QHash>
#include <QJsonObject>
#include <QObject>

#include <optional>

class AppShell;
class AutomationInput;
class QWidget;

class Automation : public QObject {
    Q_OBJECT
public:
    Automation(AppShell &shell, bool manualTimers, QObject *parent = nullptr);

    // Starts reading standard input.
    void listen();

signals:
    void quitRequested();

private:
    // A reply now, or none when the handler replies later (a wait, an
    // action that answers later).
    using Reply = std::optional<QJsonObject>;
    using Handler = Reply (Automation::*)(const QJsonObject &request);

    // A gesture, given the visible element it goes to.
    using Gesture = Reply (Automation::*)(QWidget *target, const QJsonObject &request);

    static const QHash<QString, Handler> &handlers();
    static const QHash<QString, Gesture> &gestureHandlers();

    void programEnded();
    void enqueue(const QByteArray &line);
    void drain();
    void reply(const QJsonObject &answer);
    Reply handle(const QJsonObject &request);

    Reply state(const QJsonObject &request);
    Reply wait(const QJsonObject &request);
    Reply screenshot(const QJsonObject &request);
    Reply quit(const QJsonObject &request);
    Reply tick(const QJsonObject &request);
    Reply close(const QJsonObject &request);
    Reply wheel(const QJsonObject &request);
    Reply click(QWidget *target, const QJsonObject &request);
    Reply doubleClick(QWidget *target, const QJsonObject &request);
    Reply move(QWidget *target, const QJsonObject &request);
    Reply type(QWidget *target, const QJsonObject &request);
    Reply key(QWidget *target, const QJsonObject &request);
    Reply action(const QJsonObject &request);

    // The visible element a gesture goes to, or the reason it cannot.
    QWidget *gestureTarget(const QJsonObject &request, QString *why) const;
    QObject *elementByName(const QString &name) const;
    QWidget *windowByName(const QString &name) const;

    AppShell &m_shell;
    bool m_manualTimers = false;
    AutomationInput *m_input = nullptr;
    QByteArrayList m_pending;
    bool m_draining = false;
    bool m_waiting = false; // a wait, or an action that answers later, is running
    bool m_inputEnded = false;
    bool m_quitting = false;
    bool m_ended = false; // the program has ended: nothing more is answered
};
