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

std::optional<CommandSender::Result> CommandSender::refusal(int code, double value) const
{
    if (!zcore::commandFrame(code, value))
        return Result::OutOfRange;
    if (!m_link.isOpen())
        return Result::PortClosed;
    return std::nullopt;
}

bool CommandSender::portOpen() const { return m_link.isOpen(); }

CommandSender::Result CommandSender::send(int code, double value)
{
    if (const auto refused = refusal(code, value))
        return *refused;
    const auto frame = zcore::commandFrame(code, value);
    for (size_t i = 0; i < frame->size(); ++i) {
        if (i > 0)
            m_pause(kPauseUnits);
        if (!m_link.write(QByteArrayView(&(*frame)[i], 1)))
            return Result::WriteFailed;
    }
    if (m_sent)
        m_sent(static_cast<unsigned char>((*frame)[1]), static_cast<unsigned char>((*frame)[2]));
    return Result::Sent;
}
