// The whole-program benchmark's report: one Markdown table of figures, each
// beside its target, the floor window's figure, their ratio and a verdict,
// then notes and any problems met on the way.
#pragma once

#include "commandmeasure.h"
#include "graphmeasure.h"
#include "hourmeasure.h"
#include "latencymeasure.h"
#include "options.h"
#include "processormeasure.h"
#include "recordhourmeasure.h"
#include "recordmeasure.h"
#include "startupmeasure.h"
#include "syncmeasure.h"

#include <QString>
#include <QStringList>

namespace programbench {

class Report {
public:
    void addStartup(const Options &o, const StartFigure &tool, const StartFigure &floor);
    void addLatency(const LatencyFigure &lat);
    void addProcessor(const CpuFigures &cpu);
    void addCommand(const CommandFigure &cmd);
    void addHour(const HourFigure &h, const StartFigure &floorStart);
    // The recorder's and the graph's figures (recordingreport.cpp).
    void addRecord(const RecordFigure &rec);
    void addSync(const SyncFigure &sync);
    void addGraph(const GraphFigure &graph);
    void addRecordHour(const RecordHourFigure &hour);
    // The resident set of both programs at the moment start-up ended.
    void addStartupMemory(const StartFigure &tool, const StartFigure &floor);

    // Where the measurements say what went wrong.
    QStringList *problems() { return &m_problems; }
    bool clean() const { return m_problems.isEmpty(); }
    // Writes the table, the notes and the problems on stdout.
    void print(const QString &platform) const;

private:
    void row(const QString &figure, const QString &target, const QString &tool,
             const QString &floor, const QString &ratio, const QString &verdict);

    QStringList m_rows;
    QStringList m_notes;
    QStringList m_problems;
};

} // namespace programbench
