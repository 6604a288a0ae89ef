// Faults planned from the command line with --fault SECONDS:NAME[:ARG], in
// the order they fall due: by time, and those at the same time in the order
// they were given.
#pragma once

#include "fault.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace zsim {

class FaultSchedule {
public:
    // No plan reaches further than a day.
    static constexpr double kLatestSeconds = 86400.0;

    struct Entry {
        double atMs = 0.0; // counted from the start
        Fault fault;
    };

    // "5:unplug", "3:garbage:200", "0.5:late:300": seconds (digits, possibly
    // with a decimal point), the fault's name and, for the faults that take
    // one, its number. No value (and why) for anything else.
    static std::optional<Entry> parseOption(QStringView option, QString *error = nullptr);

    void add(const Entry &entry);

    // Takes out the faults due by nowMs, earliest first.
    QList<Fault> takeDue(double nowMs);

    bool isEmpty() const { return m_entries.isEmpty(); }
    // When the next fault falls due; only meaningful when not empty.
    double nextAtMs() const { return m_entries.isEmpty() ? 0.0 : m_entries.first().atMs; }

private:
    QList<Entry> m_entries; // sorted by time, stable
};

} // namespace zsim
