// The tool's own actions beyond the skin (recorder, graph, settings file):
// the main window's context menu (right mouse button), their keyboard
// shortcuts and the automation channel's `action` request all run the same
// handlers. None of them changes an element, text or behaviour of the skin.
#pragma once

#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <functional>

class QAction;
class QMenu;
class QWidget;

class ToolActions : public QObject {
    Q_OBJECT
public:
    struct Result {
        bool ok = true;
        QString error; // why it could not run, for the automation channel
    };
    // file: the file a script names in place of the file dialog; empty when
    // a person chose the action, who is then asked where the action needs it.
    using Handler = std::function<Result(const QString &file)>;
    // Told an action's result, at once or later; called exactly once.
    using Done = std::function<void(const Result &result)>;
    // An action whose result may come later (a file read off the GUI
    // thread): it tells done once it has one, and the event loop runs on
    // meanwhile.
    using LaterHandler = std::function<void(const QString &file, Done done)>;

    // window: where the context menu opens and the shortcuts work.
    explicit ToolActions(QWidget &window, QObject *parent = nullptr);
    ~ToolActions() override;

    // An action a script can run by id.
    void define(const QString &id, Handler handler);
    void defineLater(const QString &id, LaterHandler handler);

    // A menu entry with its shortcut; a person's choice runs trigger. When
    // it cannot run, the person is told why in a message box (nothing is
    // shown for a choice the person cancelled: no error text). The returned
    // action stays valid while this object lives (its text may be changed,
    // e.g. "Kaydı Başlat" / "Kaydı Durdur").
    QAction *addEntry(const QString &text, const QKeySequence &shortcut,
                      std::function<Result()> trigger);
    // The same for an action whose result may come later.
    QAction *addLaterEntry(const QString &text, const QKeySequence &shortcut,
                           std::function<void(Done done)> trigger);
    void addSeparator();
    // A shortcut of the window that is no menu entry (F1 for help).
    void addShortcut(const QKeySequence &shortcut, std::function<void()> trigger);

    // Runs the action as a script asks (with its file) and tells done its
    // result: at once, or later for an action defined with defineLater.
    // Refused for an unknown id.
    void run(const QString &id, const QString &file, const Done &done);
    // The same for an action that answers at once; one that answers later
    // is refused here, and not run.
    Result run(const QString &id, const QString &file);

    // A Done for an action a window of the tool started (its own button):
    // a failure with a reason is shown over that window in a message box,
    // in a turn of the event loop of its own, not inside the signal that
    // told the result.
    static Done warnLater(QWidget *window, const QString &title);

    bool has(const QString &id) const { return m_handlers.contains(id); }
    bool answersLater(const QString &id) const { return m_later.contains(id); }

private:
    void showMenu(const QPoint &at);
    // Tells the person why an action they chose could not run (nothing for
    // one they cancelled: no error text).
    void tell(const Result &result);

    QWidget &m_window;
    QHash<QString, LaterHandler> m_handlers;
    QSet<QString> m_later; // the ids that may answer later
    QList<QAction *> m_entries;
    QMenu *m_menu = nullptr; // owned: deleted with this object
};
