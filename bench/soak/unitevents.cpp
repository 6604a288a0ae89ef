#include "unitevents.h"

#include <QRegularExpression>
#include <QStringList>

namespace soak {

namespace {

// "120" or "120-122".
bool parseFrames(const QString &text, qint64 *first, qint64 *last)
{
    bool ok = false, ok2 = false;
    if (!text.contains(QLatin1Char('-'))) {
        *first = *last = text.toLongLong(&ok);
        return ok && *first > 0;
    }
    *first = text.section(QLatin1Char('-'), 0, 0).toLongLong(&ok);
    *last = text.section(QLatin1Char('-'), 1).toLongLong(&ok2);
    return ok && ok2 && *first > 0 && *last >= *first;
}

} // namespace

bool UnitEvents::parseFault(const QString &line, UnitFault *fault)
{
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() < 2 || words[0] != QLatin1String("fault"))
        return false;
    UnitFault f;
    f.name = words[1];
    qsizetype at = 2;
    bool isNumber = false;
    if (at < words.size()) {
        const int argument = words[at].toInt(&isNumber);
        if (isNumber) {
            f.argument = argument;
            ++at;
        }
    }
    if (at + 1 < words.size() &&
        (words[at] == QLatin1String("frame") || words[at] == QLatin1String("frames"))) {
        if (!parseFrames(words[at + 1], &f.firstFrame, &f.lastFrame))
            return false;
        at += 2;
    }
    if (at != words.size())
        return false;
    *fault = f;
    return true;
}

QString UnitEvents::take(const QString &line, double atMs)
{
    const QString first = line.section(QLatin1Char(' '), 0, 0);
    if (first == QLatin1String("fault")) {
        UnitFault f;
        if (!parseFault(line, &f)) {
            m_errors.append(QStringLiteral("unreadable fault line: ") + line);
            return QStringLiteral("error");
        }
        f.atMs = atMs;
        m_faults.append(f);
        const bool cuts = f.name == QLatin1String("truncate") || f.name == QLatin1String("unplug");
        const QString what =
            f.argument ? QStringLiteral("%1 %2").arg(f.name).arg(f.argument) : f.name;
        for (qint64 n = f.firstFrame; n > 0 && n <= f.lastFrame; ++n) {
            m_touched[n].append(what);
            if (cuts) {
                m_cut.insert(n);
                m_cutBy.insert(n, f.name);
            }
            if (f.name == QLatin1String("zeros"))
                m_zeroed.insert(n);
        }
        return first;
    }
    if (first == QLatin1String("command")) {
        // command <code> <value> gaps <ms> <ms>
        const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        bool ok1 = false, ok2 = false;
        UnitCommand c;
        c.code = words.value(1).toInt(&ok1);
        c.value = words.value(2).toInt(&ok2);
        c.atMs = atMs;
        if (!ok1 || !ok2) {
            m_errors.append(QStringLiteral("unreadable command line: ") + line);
            return QStringLiteral("error");
        }
        m_commands.append(c);
        return first;
    }
    if (first == QLatin1String("stray")) {
        m_strays.append(line);
        return first;
    }
    if (first == QLatin1String("error")) {
        m_errors.append(line);
        return first;
    }
    if (first == QLatin1String("ready")) {
        ++m_readies;
        return first;
    }
    return QStringLiteral("other");
}

int UnitEvents::count(const QString &name) const
{
    int n = 0;
    for (const UnitFault &f : m_faults)
        n += f.name == name ? 1 : 0;
    return n;
}

QString UnitEvents::touchedBy(qint64 frame) const
{
    QString text = m_touched.value(frame).join(QStringLiteral(", "));
    if (!text.isEmpty() && m_sent.contains(frame))
        text += QStringLiteral(" (%1)").arg(m_sent.value(frame));
    return text;
}

void UnitEvents::takeNote(const QString &line)
{
    static const QRegularExpression cut(
        QStringLiteral("frame (\\d+) cut to (\\d+) of (\\d+) bytes"));
    static const QRegularExpression pulled(
        QStringLiteral("cable pulled after (\\d+) of (\\d+) bytes of frame (\\d+)"));
    if (const auto m = cut.match(line); m.hasMatch())
        m_sent.insert(m.captured(1).toLongLong(),
                      QStringLiteral("%1 of %2 bytes sent").arg(m.captured(2), m.captured(3)));
    else if (const auto m = pulled.match(line); m.hasMatch())
        m_sent.insert(m.captured(3).toLongLong(),
                      QStringLiteral("%1 of %2 bytes sent").arg(m.captured(1), m.captured(2)));
}

QList<UnitEvents::CableOut> UnitEvents::cableOut() const
{
    QList<CableOut> spells;
    for (const UnitFault &f : m_faults) {
        if (f.name == QLatin1String("unplug"))
            spells.append(CableOut{f.atMs, -1});
        else if (f.name == QLatin1String("replug") && !spells.isEmpty() &&
                 spells.last().repluggedMs < 0)
            spells.last().repluggedMs = f.atMs;
    }
    return spells;
}

QString UnitEvents::cutBy(qint64 frame) const { return m_cutBy.value(frame); }

} // namespace soak
