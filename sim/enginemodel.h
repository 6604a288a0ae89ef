// The engine the simulated unit sits on, and the unit's own stored state.
// Pure arithmetic: no clock and no I/O; time moves only by step().
#pragma once

#include <QByteArray>
#include <QRandomGenerator>

#include <array>

namespace zsim {

class EngineModel {
public:
    // Unit state as it leaves the factory.
    static constexpr int kDefaultBandLevels[4] = {100, 110, 120, 130};
    static constexpr int kDefaultCalibration[5] = {200, 150, 110, 60, 15}; // full .. empty
    static constexpr int kDefaultSwitchOverCelsius = 35;
    static constexpr int kStartTankLevel = 180;
    static constexpr double kStartCoolantCelsius = 20.0;
    static constexpr double kThermostatCelsius = 88.0;
    static constexpr int kFirmwareMajor = 3;
    static constexpr int kFirmwareMinor = 12;

    // Bits of the fuel & cylinder mask.
    static constexpr int kPetrolBit = 128;
    static constexpr int kAllRowsOnGas = 32 | 16 | 8 | 4;
    static constexpr int kUsedMaskBits = kPetrolBit | kAllRowsOnGas;

    // Injection times the engine asks for on petrol.
    static constexpr double kLeastInjectionMs = 2.5;
    static constexpr double kMostInjectionMs = 12.0;

    // Time words: ms = (w - 3) / 126; the tool turns I + O into engine speed.
    static constexpr double kTicksPerMs = 126.0;
    static constexpr int kTimeWordOffset = 3;
    static constexpr double kSpeedConstant = 15120000.0;

    // Command codes the unit takes; the value is one byte.

    enum class Phase { Idle, Rising, Holding, Falling };

    struct Channel {
        int inWord = 0;  // petrol injection time the unit measures
        int outWord = 0; // time the unit drives its own output
    };

    explicit EngineModel(quint32 seed);

    // Lets dtSeconds of engine time pass (taken in slices of at most 0.1 s)
    // and counts one frame.
    void step(double dtSeconds);

    // The 34 payload bytes the unit sends now, by position (from 1); words
    // are little-endian:
    //   1-8    injection time words, channels 1-4 (ms = (w - 3) / 126)
    //   9      fuel & cylinder mask
    //   10-11  firmware version
    //   12-19  output time words, channels 1-4
    //   20     coolant temperature byte (230 - degrees)
    //   21     tank level sensor reading
    //   22-25  mixture levels of the rpm bands
    //   26-30  level calibration points full, 3/4, half, 1/4, empty
    //   31     switch-over temperature byte (230 - degrees)
    //   32-33  frame counter
    //   34     sum of bytes 1-33, low eight bits
    QByteArray payload() const;

    // A command from the tool; false (and nothing changes) for an unknown code.
    bool apply(int code, int value);

    double seconds() const { return m_seconds; }
    double rpm() const { return m_rpm; }
    double injectionMs() const { return m_injectionMs; }
    double coolantCelsius() const { return m_coolant; }
    Phase phase() const { return m_phase; }
    int mask() const { return m_mask; }
    bool onGas() const { return (m_mask & kAllRowsOnGas) != 0; }
    int tankLevel() const;
    int coolantByte() const;
    const std::array<Channel, 4> &channels() const { return m_channels; }

    // Engine speed the tool reads from one channel's I + O (0 when not counted).
    static double speedOfWords(int inWord, int outWord);

private:
    void advance(double dt);
    void advancePhase(double dt);
    void updateChannels();
    double uniform(double low, double high);
    static double smoothStep(double x);

    QRandomGenerator m_random;

    // Engine.
    double m_seconds = 0.0;
    double m_rpm = 815.0;
    double m_load = 0.12;
    double m_injectionMs = 3.6;
    double m_coolant = kStartCoolantCelsius;
    double m_idleWobble = 0.0;
    double m_wobbleTarget = 0.0;
    double m_wobbleClock = 0.0;
    Phase m_phase = Phase::Idle;
    double m_phaseClock = 0.0;
    double m_phaseLength = 8.0;
    double m_peakRpm = 3000.0;
    double m_holdWobble = 0.0;
    double m_tank = kStartTankLevel;
    std::array<double, 4> m_rpmTrim{};       // fixed per-channel difference, rpm
    std::array<double, 4> m_injectionTrim{}; // fixed per-channel difference, ms
    std::array<Channel, 4> m_channels{};

    // Unit.
    std::array<int, 4> m_bands{};
    std::array<int, 5> m_calibration{};
    int m_switchOverByte = 230 - kDefaultSwitchOverCelsius;
    int m_mask = kPetrolBit;
    bool m_maskCommanded = false; // the technician's mask wins over switch-over
    bool m_switchedOver = false;
    quint32 m_frames = 0;
};

} // namespace zsim
