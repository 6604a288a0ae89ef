// The tool's own actions beyond the skin (recorder, graph, settings file):
// the main window's context menu (right mouse button), their keyboard
// shortcuts and the automation channel's `action` request all run the same
// handlers. None of them changes an element, text or behaviour of the skin.
#pragma once

#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QObject>
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

    // window: where the context menu opens and the shortcuts work.
    explicit ToolActions(QWidget &window, QObject *parent = nullptr);
    ~ToolActions() override;

    // An action a script can run by id.
    void define(const QString &id, Handler handler);

    // A menu entry with its shortcut; a person's choice runs trigger. When
    // it cannot run, the person is told why in a message box (nothing is
    // shown for a choice the person cancelled: no error text). The returned
    // action stays valid while this object lives (its text may be changed,
    // e.g. "Kaydı Başlat" / "Kaydı Durdur").
    QAction *addEntry(const QString &text, const QKeySequence &shortcut,
                      std::function<Result()> trigger);
    void addSeparator();
    // A shortcut of the window that is no menu entry (F1 for help).
    void addShortcut(const QKeySequence &shortcut, std::function<void()> trigger);

    // Runs the action as a script asks (with its file); refused for an
    // unknown id.
    Result run(const QString &id, const QString &file);

    bool has(const QString &id) const { return m_handlers.contains(id); }

private:
    void showMenu(const QPoint &at);

    QWidget &m_window;
    QHash<QString, Handler> m_handlers;
    QList<QAction *> m_entries;
    QMenu *m_menu = nullptr; // owned: deleted with this object
};
