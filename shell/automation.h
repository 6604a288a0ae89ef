// The automation channel: one JSON request per line on standard input, one
// JSON reply per line on standard output. Gestures go through Qt's event
// delivery, never straight to a handler.
#pragma once

#include <QJsonObject>
#include <QObject>
#include <QStringList>

class AppShell;
class AutomationInput;

class Automation : public QObject {
    Q_OBJECT
public:
    Automation(AppShell &shell, bool manualTimers, QObject *parent);

    // Starts reading standard input.
    void listen();

    QJsonObject state() const;

signals:
    void quitRequested();

private:
    void programEnded();
    void enqueue(const QByteArray &line);
    void drain();
    void reply(const QJsonObject &answer);
    QJsonObject handle(const QJsonObject &request);
    QObject *elementByName(const QString &name) const;
    QWidget *windowByName(const QString &name) const;
    QJsonObject elementState(const QString &name, const QObject *element) const;

    AppShell &m_shell;
    bool m_manualTimers = false;
    QList<QByteArray> m_pending;
    bool m_draining = false;
    bool m_waiting = false; // a wait request is running
    bool m_inputEnded = false;
    bool m_quitting = false;
    bool m_ended = false; // the program has ended: nothing more is answered
    AutomationInput *m_input = nullptr;
};
