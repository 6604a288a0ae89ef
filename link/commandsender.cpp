#include "commandsender.h"

#include "core/frame.h"
#include "seriallink.h"

#include <chrono>
#include <thread>

CommandSender::CommandSender(SerialLink &link) : m_link(link) {}

void CommandSender::timedPause(int units)
{
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(units * kMsPerUnit));
}

CommandSender::Result CommandSender::check(double a, double b) const
{
    if (!zcore::commandFrame(a, b))
        return Result::OutOfRange;
    if (!m_link.isOpen())
        return Result::PortClosed;
    return Result::Sent;
}

CommandSender::Result CommandSender::send(double a, double b)
{
    if (const Result verdict = check(a, b); verdict != Result::Sent)
        return verdict;
    const auto frame = zcore::commandFrame(a, b);
    for (size_t i = 0; i < frame->size(); ++i) {
        if (i > 0)
            m_pause(kPauseUnits);
        if (!m_link.write(QByteArrayView(&(*frame)[i], 1)))
            return Result::WriteFailed;
    }
    return Result::Sent;
}
