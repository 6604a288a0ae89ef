// The engine the simulated unit sits on, the petrol ECU beside it, and the
// unit's own stored state. Pure arithmetic: no clock and no I/O; time moves
// only by step().
//
// The petrol ECU adapts on gas like a long-term fuel trim. Each rpm band has
// a right level (Setup::idealLevels); on gas the band's mixture is off by
// level ÷ right (the level the unit holds now; right ÷ level with
// inverseLevels), and the ECU's trim of the band the engine is in heads for
// the value that makes up for it, with a time constant of kTrimSeconds:
//     seen   = 1 - g + g × (level ÷ right)   g: share of the rows on gas
//     target = clamp(1 ÷ seen - 1, ±kMostTrim)
//     trim  += (target - trim) × (1 - exp(-dt ÷ kTrimSeconds))
// On petrol (the petrol bit set, or no row on gas) every band's trim heads
// back to 0 the same way. The trim is per band, not interpolated: the in
// times the unit measures are the petrol map's × (1 + trim of the band the
// engine speed is in), and step at a band limit when the trims differ.
#pragma once

#include <QByteArray>
#include <QRandomGenerator>

#include <array>
#include <vector>

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

    // Engine speed bands of the mixture levels: 0-1500, 1500-2500,
    // 2500-4000 and 4000-8000 rpm.
    static constexpr double kBandLimitsRpm[3] = {1500.0, 2500.0, 4000.0};

    // The petrol ECU's adaptation.
    static constexpr double kTrimSeconds = 3.0; // time constant, engine seconds
    static constexpr double kMostTrim = 0.25;   // either way

    enum class Phase { Idle, Rising, Holding, Falling };

    // How the engine is driven: Town revs up from idle to 2500-4000 rpm now
    // and then; Wide visits all four bands with steady holds of 4.5 to 7 s
    // at about 900, 2000, 3200 and 5000 rpm and rev-ups to 5000-6000 rpm.
    enum class Drive { Town, Wide };

    // What the unit and engine are made with (the simulator's options).
    struct Setup {
        std::array<int, 4> idealLevels{kDefaultBandLevels[0], kDefaultBandLevels[1],
                                       kDefaultBandLevels[2], kDefaultBandLevels[3]};
        bool inverseLevels = false; // a raised level makes the mixture leaner
        Drive drive = Drive::Town;
    };

    struct Channel {
        int inWord = 0;     // petrol injection time the unit measures
        int outWord = 0;    // time the unit drives its own output
        int baseInWord = 0; // the petrol map's time, before the ECU's trim
    };

    explicit EngineModel(quint32 seed);
    EngineModel(quint32 seed, const Setup &setup);

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

    // Holds the engine at rpm from now on, as on a test bench: the drive
    // stops, the load settles at that of a steady hold at this speed.
    void holdSpeed(double rpm) { m_benchRpm = rpm; }

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
    const Setup &setup() const { return m_setup; }

    // The petrol ECU's trim of a band (0..3), a share of the base time.
    double trim(int band) const { return m_trims[size_t(band)]; }
    // The trim the band heads for while the engine runs in it now.
    double trimTarget(int band) const;
    // Share of the rows burning gas: 0 on petrol, 1 with all four on gas.
    double gasShare() const;

    // The band (0..3) of an engine speed.
    static int bandOf(double rpm);

    // Engine speed the tool reads from one channel's I + O (0 when not counted).
    static double speedOfWords(int inWord, int outWord);

private:
    void advance(double dt);
    void advancePhase(double dt);
    void advanceWide(double dt);
    void nextWideLeg();
    void planWideCycle();
    void adapt(double dt);
    void updateChannels();
    double uniform(double low, double high);
    static double smoothStep(double x);

    // One stretch of the wide drive: heading for toRpm (0: idle) in the
    // phase, for so many seconds.
    struct Leg {
        Phase phase = Phase::Idle;
        double toRpm = 0.0;
        double seconds = 1.0;
    };

    Setup m_setup;
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

    double m_benchRpm = 0.0; // held there by holdSpeed(); 0: driven

    // Wide drive.
    std::vector<Leg> m_legs; // the rest of this cycle, the next leg first
    int m_wideCycles = 0;
    double m_fromRpm = 0.0;
    double m_toRpm = 0.0; // 0: idle
    double m_steadyWobble = 0.0;
    double m_steadyWobbleTarget = 0.0;
    double m_steadyWobbleClock = 0.0;

    // Petrol ECU.
    std::array<double, 4> m_trims{};

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
