// What the simulated unit said on its standard output during a soak, read
// line by line: the faults it carried out with the frames each touched (it
// runs with --counter), the commands that reached it, stray bytes, errors and
// its ready lines.
#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

namespace soak {

struct UnitFault {
    QString name;          // "truncate", "unplug", "replug", ...
    int argument = 0;      // 0 where the fault takes none
    qint64 firstFrame = 0; // the frames it touched, by number; 0 for none
    qint64 lastFrame = 0;
    double atMs = 0; // when the soak read the line
};

struct UnitCommand {
    int code = 0;
    int value = 0;
    double atMs = 0;
};

class UnitEvents {
public:
    // Takes one line of the unit's standard output, read atMs into the run.
    // Returns what the line was: "fault", "command", "stray", "error",
    // "ready", or "other".
    QString take(const QString &line, double atMs);

    const QList<UnitFault> &faults() const { return m_faults; }
    const QList<UnitCommand> &commands() const { return m_commands; }
    const QStringList &strays() const { return m_strays; }
    const QStringList &errors() const { return m_errors; }
    int readyLines() const { return m_readies; }
    // The faults of one name carried out.
    int count(const QString &name) const;

    // Frames the line never carried whole: cut by truncate or by an unplug.
    bool wasCut(qint64 frame) const { return m_cut.contains(frame); }
    // Frames sent with 34 zero bytes (zeros), whatever else befell them.
    bool wasZeroed(qint64 frame) const { return m_zeroed.contains(frame); }
    // The faults that touched a frame, as their lines said ("truncate 3,
    // zeros 1"); empty when none did.
    QString touchedBy(qint64 frame) const;
    // The name of the fault that cut a frame ("truncate", "unplug").
    QString cutBy(qint64 frame) const;

    // Takes a note the unit wrote on stderr; those that say how much of a
    // frame went out ("frame 120 cut to 12 of 37 bytes", "cable pulled after
    // 5 of 37 bytes of frame 130") are kept for touchedBy().
    void takeNote(const QString &line);

    // When the cable was out, by the unit's lines: from each "fault unplug"
    // to the "fault replug" after it (-1 while it never came).
    struct CableOut {
        double unpluggedMs = 0;
        double repluggedMs = -1;
    };
    QList<CableOut> cableOut() const;

    // A fault line's fields; false for a line that is no fault line.
    static bool parseFault(const QString &line, UnitFault *fault);

private:
    QList<UnitFault> m_faults;
    QList<UnitCommand> m_commands;
    QStringList m_strays;
    QStringList m_errors;
    int m_readies = 0;
    QSet<qint64> m_cut;
    QSet<qint64> m_zeroed;
    QHash<qint64, QStringList> m_touched;
    QHash<qint64, QString> m_cutBy;
    QHash<qint64, QString> m_sent; // how much of a cut frame went out
};

} // namespace soak
