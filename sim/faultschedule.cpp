#include "faultschedule.h"

#include <QRegularExpression>

#include <algorithm>

namespace zsim {

std::optional<FaultSchedule::Entry> FaultSchedule::parseOption(QStringView option, QString *error)
{
    static const QRegularExpression form(QStringLiteral("^([^:\\s]*):([^:\\s]+)(?::([^:\\s]*))?$"));
    static const QRegularExpression seconds(QStringLiteral("^[0-9]+(\\.[0-9]*)?$"));
    const QString text = option.toString();
    const auto fail = [&](const QString &why) -> std::optional<Entry> {
        if (error)
            *error = QStringLiteral("--fault %1: %2").arg(text, why);
        return std::nullopt;
    };

    const QRegularExpressionMatch parts = form.match(text);
    if (!parts.hasMatch())
        return fail(QStringLiteral("expected SECONDS:NAME[:ARG], e.g. 5:unplug or 3:garbage:200"));
    const QString when = parts.captured(1);
    if (!seconds.match(when).hasMatch() || when.toDouble() > kLatestSeconds)
        return fail(QStringLiteral("\"%1\" is not a number of seconds from 0 to %2")
                        .arg(when)
                        .arg(kLatestSeconds));
    if (parts.hasCaptured(3) && parts.captured(3).isEmpty())
        return fail(QStringLiteral("the number after the second ':' is missing"));

    QString line = parts.captured(2);
    if (parts.hasCaptured(3))
        line += QLatin1Char(' ') + parts.captured(3);
    QString why;
    const std::optional<Fault> fault = Fault::parse(line, &why);
    if (!fault)
        return fail(why);
    return Entry{when.toDouble() * 1000.0, *fault};
}

void FaultSchedule::add(const Entry &entry)
{
    const auto after =
        std::upper_bound(m_entries.begin(), m_entries.end(), entry.atMs,
                         [](double atMs, const Entry &existing) { return atMs < existing.atMs; });
    m_entries.insert(after, entry);
}

QList<Fault> FaultSchedule::takeDue(double nowMs)
{
    QList<Fault> due;
    while (!m_entries.isEmpty() && m_entries.first().atMs <= nowMs)
        due.append(m_entries.takeFirst().fault);
    return due;
}

} // namespace zsim
