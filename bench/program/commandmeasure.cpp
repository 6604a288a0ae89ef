#include "commandmeasure.h"

#include "benchclock.h"
#include "procstats.h"
#include "session.h"
#include "toolstate.h"

#include "core/frame.h"

namespace programbench {

namespace {

bool ok(const QJsonObject &reply) { return reply.value(QStringLiteral("ok")).toBool(); }

// Opens the band 0 box and types the level in it, not yet sent.
bool typeBandLevel(Session &p, int value)
{
    const QString box = QStringLiteral("SetBox");
    bool good =
        ok(p.op(QStringLiteral("click"), {{QStringLiteral("target"), QStringLiteral("ca1")}}));
    for (int i = 0; i < 6 && good; ++i)
        good = ok(p.op(QStringLiteral("key"),
                       {{QStringLiteral("target"), box}, {QStringLiteral("code"), 8}}));
    return good &&
           ok(p.op(QStringLiteral("type"), {{QStringLiteral("target"), box},
                                            {QStringLiteral("text"), QString::number(value)}}));
}

} // namespace

CommandFigure measureCommand(const Options &o, QStringList *problems)
{
    CommandFigure fig;
    Session p(o, Session::Program::Tool);
    PtyUnit &unit = p.unit();
    if (!p.connect(QStringLiteral("command"), problems)) {
        fig.ok = false;
        return fig;
    }
    unit.startReader();
    if (!p.startTool(QStringLiteral("command"), problems)) {
        fig.ok = false;
        return fig;
    }
    if (!p.waitForState([](const QJsonObject &s) { return portOpen(s) && mainVisible(s); })) {
        problems->append(QStringLiteral("command: the port did not open"));
        fig.ok = false;
        return fig;
    }
    for (int send = 0; send < o.sends; ++send) {
        const int value = 50 + send;
        if (!typeBandLevel(p, value)) {
            problems->append(QStringLiteral("command: could not type into the band box"));
            fig.ok = false;
            break;
        }
        p.op(QStringLiteral("wait"), {{QStringLiteral("ms"), 100}});
        unit.takeReceived();

        // The comparison: the same tool doing nothing for 200 ms.
        CpuTime c0 = cpuOf(p.pid());
        p.op(QStringLiteral("wait"), {{QStringLiteral("ms"), 200}});
        CpuTime c1 = cpuOf(p.pid());
        fig.idleCpuMs.push_back(c1.schedMs - c0.schedMs);

        c0 = cpuOf(p.pid());
        const qint64 t0 = nowNs();
        const QJsonObject r =
            p.op(QStringLiteral("key"), {{QStringLiteral("target"), QStringLiteral("SetBox")},
                                         {QStringLiteral("code"), 13}});
        const qint64 t1 = nowNs();
        c1 = cpuOf(p.pid());
        if (!ok(r)) {
            problems->append(QStringLiteral("command: Enter was refused"));
            fig.ok = false;
            break;
        }
        fig.cpuMs.push_back(c1.schedMs - c0.schedMs);
        fig.wallMs.push_back(msBetween(t0, t1));
        sleepMs(100);
        const auto rx = unit.takeReceived();
        if (rx.size() == 3 && rx[0].byte == zcore::kFrameHeader &&
            rx[1].byte == zcore::command::band(0) && rx[2].byte == value) {
            ++fig.framesOk;
            fig.gapsMs.push_back(msBetween(rx[0].atNs, rx[1].atNs));
            fig.gapsMs.push_back(msBetween(rx[1].atNs, rx[2].atNs));
        } else {
            problems->append(QStringLiteral("command: the unit got %1 bytes, not A4 00 %2")
                                 .arg(rx.size())
                                 .arg(value, 2, 16, QLatin1Char('0')));
        }
    }
    unit.stopReader();
    p.quit();
    return fig;
}

} // namespace programbench
