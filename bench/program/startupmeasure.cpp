#include "startupmeasure.h"

#include "benchclock.h"
#include "procstats.h"
#include "session.h"
#include "toolstate.h"

namespace programbench {

StartFigure measureStart(const Options &o, bool tool, QStringList *problems)
{
    StartFigure fig;
    for (int run = 0; run <= o.runs; ++run) { // run 0 warms the cache
        Session p(o, tool ? Session::Program::Tool : Session::Program::Floor);
        if (tool && !p.connect(QStringLiteral("start-up"), problems)) {
            fig.ok = false;
            return fig;
        }
        if (!p.start()) {
            problems->append(QStringLiteral("start-up: the program did not start"));
            fig.ok = false;
            return fig;
        }
        double ms = -1;
        for (int attempt = 0; attempt < 2000; ++attempt) {
            const QJsonObject s = p.state();
            if (!s.value(QStringLiteral("ok")).toBool())
                break;
            if (mainVisible(s) && (!tool || portOpen(s))) {
                ms = msBetween(p.startedNs(), nowNs());
                break;
            }
            sleepMs(1);
        }
        if (ms < 0) {
            problems->append(QStringLiteral("start-up: %1 never showed %2 (%3)")
                                 .arg(tool ? QStringLiteral("zendalite") : QStringLiteral("floor"),
                                      tool ? QStringLiteral("its window and open port")
                                           : QStringLiteral("its window"),
                                      p.stderrText().trimmed().left(300)));
            fig.ok = false;
            return fig;
        }
        if (run > 0) {
            fig.ms.push_back(ms);
            fig.rssKb.push_back(double(rssKb(p.pid())));
        }
        p.quit();
    }
    return fig;
}

} // namespace programbench
