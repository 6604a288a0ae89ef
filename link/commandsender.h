// Sends one command frame: A4, pause, code, pause, value, each byte a write of
// its own that is on the line before the pause begins. A pause of X delay
// units is a timed wait of 0.35 X ms: the 300 units between two bytes are
// 105 ms, so that a unit that reads the line a little late still sees gaps of
// at least 100 ms. It burns no processor and handles no window events, so no
// tick or gesture runs while a frame is on its way.
//
// A frame whose code or value lies outside 0..255 after rounding (halves to
// even), or a send while the port is closed, sends nothing at all: both are
// checked before the first byte.
//
// A write that fails after the first or second byte of a frame (an adapter
// that browns out while the engine cranks) leaves the unit in the middle of
// a command: it waits for the rest, and the next frame's A4 would be taken
// for the missing byte. The unit gives a begun command up after 2 s
// without a byte, so after a frame cut short nothing goes out for
// kCutHoldMs: a send meanwhile is refused before its first byte.
#pragma once

#include <chrono>
#include <functional>
#include <optional>

class SerialLink;

class CommandSender {
public:
    enum class Result {
        Sent,
        OutOfRange,
        PortClosed,
        WriteFailed, // the first byte did not go out: nothing did
        Cut,         // a later byte did not go out: the frame was cut short
        Held,        // refused: a frame cut short is still being given up by the unit
    };
    using Pause = std::function<void(int units)>;

    static constexpr int kPauseUnits = 300;
    static constexpr double kMsPerUnit = 0.35;
    // The unit's 2 s and a margin for its clock and a late reader.
    static constexpr int kCutHoldMs = 2500;

    explicit CommandSender(SerialLink &link);

    // Tests stand a recording pause in for the timed wait.
    void setPause(Pause pause) { m_pause = std::move(pause); }

    // Told of every command that went out whole (code and value byte),
    // whichever gesture or action sent it.
    using SentObserver = std::function<void(int code, int value)>;
    void setSentObserver(SentObserver observer) { m_sent = std::move(observer); }

    // Why the frame of this code and value would be refused before its
    // first byte (OutOfRange, PortClosed or Held); nothing when it would go
    // out. Writes nothing.
    std::optional<Result> refusal(int code, double value) const;

    // Whether commands can go out at all.
    bool portOpen() const;
    // How long sends are still held after a frame cut short; 0 when not.
    int heldForMs() const;

    // SendCmd: the frame of a command code (zcore::command) and a value,
    // rounded halves to even.
    Result send(int code, double value);

    // The timed wait of the given number of delay units.
    static void timedPause(int units);

private:
    SerialLink &m_link;
    Pause m_pause = &CommandSender::timedPause;
    SentObserver m_sent;
    std::chrono::steady_clock::time_point m_heldUntil{};
};
