// The named elements of one window, in the order they were laid out, so
// that the logic and the automation channel find them by the names the
// window's layout gives them.
#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

class ElementRegistry {
public:
    using Entry = QPair<QString, QObject *>;

    // Names the element (its object name too) and returns it.
    template <typename T> T *add(const QString &name, T *element)
    {
        element->setObjectName(name);
        m_entries.append({name, element});
        m_byName.insert(name, element);
        return element;
    }

    const QList<Entry> &entries() const { return m_entries; }
    QObject *find(const QString &name) const { return m_byName.value(name); }

private:
    QList<Entry> m_entries;
    QHash<QString, QObject *> m_byName;
};
