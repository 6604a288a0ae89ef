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
    if (heldForMs() > 0)
        return Result::Held;
    return std::nullopt;
}

bool CommandSender::portOpen() const { return m_link.isOpen(); }

int CommandSender::heldForMs() const
{
    using namespace std::chrono;
    const auto left = m_heldUntil - steady_clock::now();
    return left > steady_clock::duration::zero() ? int(ceil<milliseconds>(left).count()) : 0;
}

CommandSender::Result CommandSender::send(int code, double value)
{
    if (const auto refused = refusal(code, value))
        return *refused;
    const auto frame = zcore::commandFrame(code, value);
    for (size_t i = 0; i < frame->size(); ++i) {
        if (i > 0)
            m_pause(kPauseUnits);
        if (!m_link.write(QByteArrayView(&(*frame)[i], 1))) {
            if (i == 0)
                return Result::WriteFailed;
            // Counted from now, after the last byte that went out.
            m_heldUntil = std::chrono::steady_clock::now() + std::chrono::milliseconds(kCutHoldMs);
            return Result::Cut;
        }
    }
    if (m_sent)
        m_sent(static_cast<unsigned char>((*frame)[1]), static_cast<unsigned char>((*frame)[2]));
    return Result::Sent;
}
