#include "toolactions.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QWidget>

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
    m_handlers.insert(id, std::move(handler));
}

QAction *ToolActions::addEntry(const QString &text, const QKeySequence &shortcut,
                               std::function<Result()> trigger)
{
    auto *action = new QAction(text, m_menu);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, [this, trigger = std::move(trigger)] {
        const Result result = trigger();
        if (!result.ok && !result.error.isEmpty())
            QMessageBox::warning(QApplication::activeWindow() ? QApplication::activeWindow()
                                                              : &m_window,
                                 tr("Zendalite"), result.error);
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

ToolActions::Result ToolActions::run(const QString &id, const QString &file)
{
    const auto handler = m_handlers.constFind(id);
    if (handler == m_handlers.constEnd())
        return {false, tr("unknown action %1").arg(id)};
    return (*handler)(file);
}

void ToolActions::showMenu(const QPoint &at) { m_menu->popup(m_window.mapToGlobal(at)); }
