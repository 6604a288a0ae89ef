// The soak's command line.
#pragma once

#include "faultplan.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace soak {

struct SoakOptions {
    double minutes = 20;          // the faults' part of the run
    quint32 seed = 0;             // the plan's and the unit's
    double leastWaitSeconds = 10; // between two steps of the plan
    double mostWaitSeconds = 30;
    QList<PlannedStep::Kind> kinds; // empty: all
    double sampleSeconds = 5;       // /proc samples
    double stateMs = 250;           // state requests
    QString platform = QStringLiteral("offscreen");
    QString outDir;        // where the logs go; empty: a new folder in /tmp
    bool keep = false;     // keep the logs of a run that passed too
    QString tool;          // another zendalite build
    QStringList arguments; // as given, for the report
};

// Reads the command line. Prints the usage and ends the program on --help
// (status 0) and on a mistake (status 2).
SoakOptions parseSoakOptions(const QStringList &arguments);

} // namespace soak
