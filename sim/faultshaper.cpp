#include "faultshaper.h"

#include "core/frame.h"

namespace zsim {

namespace {

// Sets the faults' random numbers apart from the engine's, which start
// from the same seed.
constexpr quint32 kFaultStream = 0x6661756c;

FaultShaper::Step sendStep(const QByteArray &bytes)
{
    return FaultShaper::Step{FaultShaper::Step::Kind::Send, bytes, 0.0, {}};
}

FaultShaper::Step silenceStep(double ms)
{
    return FaultShaper::Step{FaultShaper::Step::Kind::Silence, {}, ms, {}};
}

FaultShaper::Step plainStep(FaultShaper::Step::Kind kind, const QString &text = {})
{
    return FaultShaper::Step{kind, {}, 0.0, text};
}

} // namespace

FaultShaper::FaultShaper(quint32 seed) : m_random({seed, kFaultStream}) {}

void FaultShaper::add(const Fault &fault)
{
    if (fault.kind == Fault::Kind::Replug)
        return;
    const bool counted = fault.kind == Fault::Kind::Truncate || fault.kind == Fault::Kind::Zeros;
    m_waiting.append(Waiting{fault, counted ? fault.argument : 1});
}

QList<FaultShaper::Step> FaultShaper::takeQuiet()
{
    const qsizetype index = indexOf(Fault::Kind::Quiet);
    if (index < 0)
        return {};
    const Fault quiet = m_waiting.takeAt(index).fault;
    return {silenceStep(quiet.argument), report(quiet), plainStep(Step::Kind::Resume)};
}

QList<FaultShaper::Step> FaultShaper::shape(QByteArray frame, std::optional<quint32> number)
{
    QList<Step> steps;
    QList<Step> reports; // of the faults this frame finishes, after it
    bool held = false;   // the frame went out later than its time

    qsizetype index = indexOf(Fault::Kind::Garbage);
    if (index >= 0) {
        const Fault garbageFault = m_waiting.takeAt(index).fault;
        steps.append(sendStep(garbage(garbageFault.argument)));
        steps.append(report(garbageFault, number, number));
        held = true;
    }
    index = indexOf(Fault::Kind::Zeros);
    if (index >= 0) {
        frame = zeroed(frame);
        countFrame(index, number, reports);
    }
    index = indexOf(Fault::Kind::Truncate);
    if (index >= 0) {
        const qsizetype whole = frame.size();
        frame.truncate(cutPoint(whole));
        steps.append(plainStep(
            Step::Kind::Note,
            QStringLiteral("%1 cut to %2 of %3 bytes")
                .arg(number ? QStringLiteral("frame %1").arg(*number) : QStringLiteral("frame"))
                .arg(frame.size())
                .arg(whole)));
        countFrame(index, number, reports);
    }
    index = indexOf(Fault::Kind::Late);
    if (index >= 0) {
        const Fault late = m_waiting.takeAt(index).fault;
        steps.append(silenceStep(late.argument));
        reports.append(report(late, number, number));
        held = true;
    }

    index = indexOf(Fault::Kind::Unplug);
    if (index >= 0) {
        const Fault unplug = m_waiting.takeAt(index).fault;
        const qsizetype part = cutPoint(frame.size());
        steps.append(sendStep(frame.first(part)));
        steps.append(plainStep(Step::Kind::Drain));
        QString pulled =
            QStringLiteral("cable pulled after %1 of %2 bytes").arg(part).arg(frame.size());
        if (number)
            pulled += QStringLiteral(" of frame %1").arg(*number);
        steps.append(plainStep(Step::Kind::Note, pulled));
        steps.append(plainStep(Step::Kind::HangUp));
        steps.append(reports);
        steps.append(report(unplug, number, number));
        return steps;
    }

    index = indexOf(Fault::Kind::Gap);
    if (index >= 0) {
        const Fault gap = m_waiting.takeAt(index).fault;
        const qsizetype split = cutPoint(frame.size());
        steps.append(sendStep(frame.first(split)));
        steps.append(silenceStep(gap.argument));
        steps.append(sendStep(frame.sliced(split)));
        reports.append(report(gap, number, number));
        held = true;
    } else {
        steps.append(sendStep(frame));
    }
    steps.append(reports);
    if (held)
        steps.append(plainStep(Step::Kind::Resume));
    return steps;
}

qsizetype FaultShaper::cutPoint(qsizetype size)
{
    if (size < 2)
        return size;
    return 1 + qsizetype(m_random.bounded(quint32(size - 1)));
}

QByteArray FaultShaper::garbage(int count)
{
    QByteArray bytes(count, '\0');
    for (char &byte : bytes)
        byte = char(m_random.bounded(256u));
    return bytes;
}

QByteArray FaultShaper::zeroed(const QByteArray &frame)
{
    return frame.first(std::min(frame.size(), kHeaderLength)) +
           QByteArray(zcore::kPayloadLength, '\0');
}

qsizetype FaultShaper::indexOf(Fault::Kind kind) const
{
    for (qsizetype i = 0; i < m_waiting.size(); ++i) {
        if (m_waiting[i].fault.kind == kind)
            return i;
    }
    return -1;
}

void FaultShaper::countFrame(qsizetype index, std::optional<quint32> number, QList<Step> &reports)
{
    Waiting &waiting = m_waiting[index];
    if (!waiting.firstFrame)
        waiting.firstFrame = number;
    if (--waiting.framesLeft > 0)
        return;
    const Waiting done = m_waiting.takeAt(index);
    reports.append(report(done.fault, done.firstFrame, number));
}

FaultShaper::Step FaultShaper::report(const Fault &fault, std::optional<quint32> first,
                                      std::optional<quint32> last)
{
    QString line = fault.doneLine();
    if (first && last && *first == *last)
        line += QStringLiteral(" frame %1").arg(*first);
    else if (first && last)
        line += QStringLiteral(" frames %1-%2").arg(*first).arg(*last);
    return plainStep(Step::Kind::Report, line);
}

} // namespace zsim
