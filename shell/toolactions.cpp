#include "toolactions.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <memory>

ToolActions::ToolActions(QWidget &window, QObject *parent)
    : QObject(parent), m_window(window), m_menu(new QMenu(&window))
{
    m_window.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&m_window, &QWidget::customContextMenuRequested, this, &ToolActions::showMenu);
}

ToolActions::~ToolActions()
{
    for (QAction *action : std::as_const(m_entries))
        m_window.removeAction(action);
}

void ToolActions::define(const QString &id, Handler handler)
{
    m_handlers.insert(id, [handler = std::move(handler)](const QString &file, const Done &done) {
        done(handler(file));
    });
    m_later.remove(id);
}

void ToolActions::defineLater(const QString &id, LaterHandler handler)
{
    m_handlers.insert(id, std::move(handler));
    m_later.insert(id);
}

void ToolActions::tell(const Result &result)
{
    if (!result.ok && !result.error.isEmpty())
        QMessageBox::warning(QApplication::activeWindow() ? QApplication::activeWindow()
                                                          : &m_window,
                             tr("Zendalite"), result.error);
}

QAction *ToolActions::addEntry(const QString &text, const QKeySequence &shortcut,
                               std::function<Result()> trigger)
{
    return addLaterEntry(text, shortcut,
                         [trigger = std::move(trigger)](const Done &done) { done(trigger()); });
}

QAction *ToolActions::addLaterEntry(const QString &text, const QKeySequence &shortcut,
                                    std::function<void(Done done)> trigger)
{
    auto *action = new QAction(text, m_menu);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, [this, trigger = std::move(trigger)] {
        const auto now = std::make_shared<bool>(true);
        trigger([now, guard = QPointer<ToolActions>(this)](const Result &result) {
            if (!guard)
                return;
            if (*now) {
                guard->tell(result);
                return;
            }
            // Later, from whatever tells the result: the message box waits
            // for its own turn of the event loop.
            QMetaObject::invokeMethod(
                guard, [guard, result] { guard->tell(result); }, Qt::QueuedConnection);
        });
        *now = false;
    });
    m_menu->addAction(action);
    m_window.addAction(action); // the shortcut works while the menu is closed
    m_entries.append(action);
    return action;
}

void ToolActions::addSeparator() { m_menu->addSeparator(); }

void ToolActions::addShortcut(const QKeySequence &shortcut, std::function<void()> trigger)
{
    auto *action = new QAction(m_menu);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, std::move(trigger));
    m_window.addAction(action);
    m_entries.append(action);
}

void ToolActions::run(const QString &id, const QString &file, const Done &done)
{
    const auto handler = m_handlers.constFind(id);
    if (handler == m_handlers.constEnd()) {
        done({false, tr("unknown action %1").arg(id)});
        return;
    }
    (*handler)(file, done);
}

ToolActions::Result ToolActions::run(const QString &id, const QString &file)
{
    if (m_later.contains(id))
        return {false, tr("%1 answers later").arg(id)};
    Result result;
    run(id, file, [&result](const Result &r) { result = r; });
    return result;
}

void ToolActions::showMenu(const QPoint &at) { m_menu->popup(m_window.mapToGlobal(at)); }

ToolActions::Done ToolActions::warnLater(QWidget *window, const QString &title)
{
    return [window = QPointer<QWidget>(window), title](const Result &result) {
        if (result.ok || result.error.isEmpty() || !window)
            return;
        QMetaObject::invokeMethod(
            window,
            [window, title, why = result.error] {
                if (window)
                    QMessageBox::warning(window, title, why);
            },
            Qt::QueuedConnection);
    };
}
