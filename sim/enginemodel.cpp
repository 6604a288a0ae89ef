#include "enginemodel.h"

#include "core/decode.h"
#include "core/frame.h"

#include <algorithm>
#include <cmath>

namespace zsim {

namespace {

// Engine behaviour.
constexpr double kIdleRpm = 815.0;
constexpr double kIdleWobbleRpm = 25.0;  // idle stays within about 790..840
constexpr double kChannelNoiseRpm = 1.5; // on top of the fixed per-channel trim
constexpr double kChannelTrimRpm = 2.5;
constexpr double kChannelNoiseMs = 0.03;
constexpr double kChannelTrimMs = 0.08;
constexpr double kLoadSettleSeconds = 0.4;
constexpr double kColdEnrichment = 0.25; // extra petrol on a cold engine
constexpr double kLongestSlice = 0.1;    // seconds of engine time per slice

// Coolant: heads for 95 °C with a 76 s time constant until the thermostat
// opens at 88 °C, which it reaches after about three minutes from 20 °C.
constexpr double kCoolantHeadingCelsius = 95.0;
constexpr double kCoolantSeconds = 76.0;

constexpr double kSecondsPerTankCount = 30.0; // gas used while any row burns gas

// Load (0..1) the engine asks for in each phase.
constexpr double kIdleLoad = 0.12;
constexpr double kRisingLoad = 0.75;
constexpr double kHoldingLoad = 0.35;
constexpr double kFallingLoad = 0.0; // throttle shut, overrun

// Wide drive: the steady holds of each band, their length, and how much the
// speed wanders while held (a share of it, either way).
constexpr double kHoldRpm[4][2] = {
    {1100.0, 1300.0}, {1850.0, 2150.0}, {3000.0, 3400.0}, {4700.0, 5300.0}};
constexpr double kLeastHoldSeconds = 4.5;
constexpr double kMostHoldSeconds = 7.0;
constexpr double kSteadyWobble = 0.008;
constexpr double kRevUpRpm[2] = {5400.0, 6000.0};

// Load the wide drive holds at an engine speed: more with the speed.
double holdLoad(double rpm) { return std::min(0.6, 0.10 + 0.08 * rpm / 1000.0); }

// An out word never goes below this: the in time stays inside the cycle.
constexpr int kLeastOutWord = 1;

// Counted range of I + O; outside it the tool takes no speed from the channel.
constexpr int kLeastCountedSum = 1893;
constexpr int kMostCountedSum = 37803;

} // namespace

EngineModel::EngineModel(quint32 seed) : EngineModel(seed, Setup{}) {}

EngineModel::EngineModel(quint32 seed, const Setup &setup) : m_setup(setup), m_random(seed)
{
    std::copy(std::begin(kDefaultBandLevels), std::end(kDefaultBandLevels), m_bands.begin());
    std::copy(std::begin(kDefaultCalibration), std::end(kDefaultCalibration),
              m_calibration.begin());
    for (int k = 0; k < 4; ++k) {
        m_rpmTrim[k] = uniform(-kChannelTrimRpm, kChannelTrimRpm);
        m_injectionTrim[k] = uniform(-kChannelTrimMs, kChannelTrimMs);
    }
    m_phaseLength = uniform(6.0, 10.0);
    m_wobbleTarget = uniform(-kIdleWobbleRpm, kIdleWobbleRpm);
    m_wobbleClock = uniform(0.4, 1.2);
    advance(0.0);
    updateChannels();
}

void EngineModel::step(double dtSeconds)
{
    double left = std::max(0.0, dtSeconds);
    while (left > 0.0) {
        const double slice = std::min(left, kLongestSlice);
        advance(slice);
        left -= slice;
    }
    ++m_frames;
    updateChannels();
}

void EngineModel::advance(double dt)
{
    m_seconds += dt;

    if (m_coolant < kThermostatCelsius) {
        m_coolant += (kCoolantHeadingCelsius - m_coolant) * dt / kCoolantSeconds;
        m_coolant = std::min(m_coolant, kThermostatCelsius);
    }

    m_wobbleClock -= dt;
    if (m_wobbleClock <= 0.0) {
        m_wobbleTarget = uniform(-kIdleWobbleRpm, kIdleWobbleRpm);
        m_wobbleClock = uniform(0.4, 1.2);
    }
    m_idleWobble += (m_wobbleTarget - m_idleWobble) * std::min(1.0, dt / 0.5);

    advancePhase(dt);

    const double coldness = std::clamp((60.0 - m_coolant) / 40.0, 0.0, 1.0);
    const double span = kMostInjectionMs - kLeastInjectionMs;
    m_injectionMs = (kLeastInjectionMs + span * m_load) * (1.0 + kColdEnrichment * coldness);
    m_injectionMs = std::clamp(m_injectionMs, kLeastInjectionMs, kMostInjectionMs);

    if (!m_maskCommanded && !m_switchedOver && coolantByte() <= m_switchOverByte) {
        m_mask = kAllRowsOnGas;
        m_switchedOver = true;
    }

    if (onGas())
        m_tank = std::max(0.0, m_tank - dt / kSecondsPerTankCount);

    adapt(dt);
}

void EngineModel::adapt(double dt)
{
    const double pull = 1.0 - std::exp(-dt / kTrimSeconds);
    if (gasShare() <= 0.0) {
        for (double &trim : m_trims)
            trim -= trim * pull;
        return;
    }
    const int band = bandOf(m_rpm);
    m_trims[size_t(band)] += (trimTarget(band) - m_trims[size_t(band)]) * pull;
}

double EngineModel::trimTarget(int band) const
{
    const double g = gasShare();
    if (g <= 0.0)
        return 0.0;
    const double level = m_bands[size_t(band)];
    const double right = m_setup.idealLevels[size_t(band)];
    // Gas the band's level gives, as a share of what the mixture needs. A
    // level of 0 gives none (or, the other way round, floods the engine).
    double mixture = 0.0;
    if (level > 0.0)
        mixture = m_setup.inverseLevels ? right / level : level / right;
    else if (m_setup.inverseLevels)
        return -kMostTrim;
    const double seen = 1.0 - g + g * mixture;
    if (seen <= 0.0)
        return kMostTrim;
    return std::clamp(1.0 / seen - 1.0, -kMostTrim, kMostTrim);
}

double EngineModel::gasShare() const
{
    if ((m_mask & kPetrolBit) != 0)
        return 0.0;
    int rows = 0;
    for (int bit = 4; bit <= 32; bit <<= 1)
        rows += (m_mask & bit) != 0 ? 1 : 0;
    return rows / 4.0;
}

int EngineModel::bandOf(double rpm)
{
    int band = 0;
    while (band < 3 && rpm >= kBandLimitsRpm[band])
        ++band;
    return band;
}

void EngineModel::advancePhase(double dt)
{
    if (m_benchRpm > 0.0) {
        m_phase = Phase::Holding;
        m_rpm = m_benchRpm;
        m_load += (holdLoad(m_rpm) - m_load) * std::min(1.0, dt / kLoadSettleSeconds);
        return;
    }
    if (m_setup.drive == Drive::Wide) {
        advanceWide(dt);
        return;
    }
    m_phaseClock += dt;
    while (m_phaseClock >= m_phaseLength) {
        m_phaseClock -= m_phaseLength;
        switch (m_phase) {
        case Phase::Idle:
            m_phase = Phase::Rising;
            m_peakRpm = uniform(2500.0, 4000.0);
            m_phaseLength = uniform(1.5, 3.0);
            break;
        case Phase::Rising:
            m_phase = Phase::Holding;
            m_phaseLength = uniform(1.0, 3.0);
            break;
        case Phase::Holding:
            m_phase = Phase::Falling;
            m_phaseLength = uniform(2.5, 4.5);
            break;
        case Phase::Falling:
            m_phase = Phase::Idle;
            m_phaseLength = uniform(5.0, 12.0);
            break;
        }
    }

    // Speed above idle, as a share of the way to this rev-up's peak.
    const double progress = m_phaseClock / m_phaseLength;
    double share = 0.0;
    double loadTarget = kIdleLoad;
    switch (m_phase) {
    case Phase::Idle:
        break;
    case Phase::Rising:
        share = smoothStep(progress);
        loadTarget = kRisingLoad;
        break;
    case Phase::Holding:
        share = 1.0;
        loadTarget = kHoldingLoad;
        break;
    case Phase::Falling:
        share = 1.0 - smoothStep(progress);
        loadTarget = kFallingLoad;
        break;
    }
    m_rpm = kIdleRpm + m_idleWobble + (m_peakRpm - kIdleRpm) * share;
    m_load += (loadTarget - m_load) * std::min(1.0, dt / kLoadSettleSeconds);
}

void EngineModel::advanceWide(double dt)
{
    m_phaseClock += dt;
    while (m_phaseClock >= m_phaseLength) {
        m_phaseClock -= m_phaseLength;
        nextWideLeg();
    }

    m_steadyWobbleClock -= dt;
    if (m_steadyWobbleClock <= 0.0) {
        m_steadyWobbleTarget = uniform(-kSteadyWobble, kSteadyWobble);
        m_steadyWobbleClock = uniform(0.5, 1.5);
    }
    m_steadyWobble += (m_steadyWobbleTarget - m_steadyWobble) * std::min(1.0, dt / 0.5);

    const double idle = kIdleRpm + m_idleWobble;
    const double to = m_toRpm > 0.0 ? m_toRpm : idle;
    const double progress = m_phaseClock / m_phaseLength;
    double loadTarget = kIdleLoad;
    switch (m_phase) {
    case Phase::Idle:
        m_rpm = idle;
        break;
    case Phase::Rising:
        m_rpm = m_fromRpm + (to - m_fromRpm) * smoothStep(progress);
        loadTarget = kRisingLoad;
        break;
    case Phase::Holding:
        m_rpm = to * (1.0 + m_steadyWobble);
        loadTarget = holdLoad(to);
        break;
    case Phase::Falling:
        m_rpm = m_fromRpm + (to - m_fromRpm) * smoothStep(progress);
        loadTarget = kFallingLoad;
        break;
    }
    m_load += (loadTarget - m_load) * std::min(1.0, dt / kLoadSettleSeconds);
}

void EngineModel::nextWideLeg()
{
    if (m_legs.empty())
        planWideCycle();
    const Leg leg = m_legs.front();
    m_legs.erase(m_legs.begin());
    m_phase = leg.phase;
    m_fromRpm = m_rpm;
    m_toRpm = leg.toRpm;
    m_phaseLength = leg.seconds;
}

void EngineModel::planWideCycle()
{
    // Even cycles climb through the bands, holding in each, rev up and fall
    // back to idle; odd ones rev up first and hold on the way down.
    std::array<double, 4> holds{};
    for (int band = 0; band < 4; ++band)
        holds[size_t(band)] = uniform(kHoldRpm[band][0], kHoldRpm[band][1]);
    const auto hold = [this](double rpm) {
        return Leg{Phase::Holding, rpm, uniform(kLeastHoldSeconds, kMostHoldSeconds)};
    };
    const double revUp = uniform(kRevUpRpm[0], kRevUpRpm[1]);
    const bool climbing = m_wideCycles % 2 == 0;
    ++m_wideCycles;
    if (climbing) {
        m_legs.push_back(Leg{Phase::Rising, holds[0], uniform(1.0, 1.5)});
        m_legs.push_back(hold(holds[0]));
        for (int band = 1; band < 4; ++band) {
            m_legs.push_back(Leg{Phase::Rising, holds[size_t(band)], uniform(1.5, 2.5)});
            m_legs.push_back(hold(holds[size_t(band)]));
        }
        m_legs.push_back(Leg{Phase::Rising, revUp, uniform(1.0, 2.0)});
        m_legs.push_back(Leg{Phase::Falling, 0.0, uniform(3.0, 4.5)});
    } else {
        m_legs.push_back(Leg{Phase::Rising, revUp, uniform(2.0, 3.0)});
        for (int band = 3; band >= 0; --band) {
            m_legs.push_back(Leg{Phase::Falling, holds[size_t(band)], uniform(1.0, 2.0)});
            m_legs.push_back(hold(holds[size_t(band)]));
        }
        m_legs.push_back(Leg{Phase::Falling, 0.0, uniform(1.0, 2.0)});
    }
    m_legs.push_back(Leg{Phase::Idle, 0.0, uniform(3.0, 6.0)});
}

void EngineModel::updateChannels()
{
    const double factor = 1.0 + m_trims[size_t(bandOf(m_rpm))];
    for (int k = 0; k < 4; ++k) {
        const double rpm = m_rpm + m_rpmTrim[k] + uniform(-kChannelNoiseRpm, kChannelNoiseRpm);
        double ms = m_injectionMs + m_injectionTrim[k] + uniform(-kChannelNoiseMs, kChannelNoiseMs);
        ms = std::clamp(ms, kLeastInjectionMs, kMostInjectionMs);
        const int sum = int(std::lround(kSpeedConstant / rpm + kTimeWordOffset));
        const int base = int(std::lround(kTimeWordOffset + kTicksPerMs * ms));
        const int in = std::min(int(std::lround(kTimeWordOffset + kTicksPerMs * ms * factor)),
                                sum - kLeastOutWord);
        m_channels[k] = Channel{in, sum - in, base};
    }
}

QByteArray EngineModel::payload() const
{
    zcore::LiveFrame f;
    for (int k = 0; k < 4; ++k) {
        f.inWord[size_t(k)] = m_channels[k].inWord;
        f.outWord[size_t(k)] = m_channels[k].outWord;
    }
    f.mask = m_mask;
    f.temperatureByte = coolantByte();
    f.sensor = tankLevel();
    for (int band = 0; band < 4; ++band)
        f.bands[size_t(band)] = m_bands[band];
    for (int point = 0; point < 5; ++point)
        f.calibration[size_t(point)] = m_calibration[point];
    f.switchOverByte = m_switchOverByte;
    QByteArray p = zcore::encodePayload(f);

    // The bytes the tool does not read: firmware version, a frame counter
    // and a checksum of the 33 bytes before it.
    zcore::putPayloadByte(p, 10, kFirmwareMajor);
    zcore::putPayloadByte(p, 11, kFirmwareMinor);
    zcore::putPayloadWord(p, 32, int(m_frames & 0xFFFF));
    int sum = 0;
    for (int i = 0; i < 33; ++i)
        sum += static_cast<unsigned char>(p[i]);
    zcore::putPayloadByte(p, 34, sum);
    return p;
}

bool EngineModel::apply(int code, int value)
{
    if (value < 0 || value > 255)
        return false;
    if (code >= zcore::command::kFirstBand &&
        code < zcore::command::kFirstBand + int(m_bands.size())) {
        m_bands[code - zcore::command::kFirstBand] = value;
        return true;
    }
    if (code == zcore::command::kMask) {
        m_mask = value & kUsedMaskBits;
        m_maskCommanded = true;
        return true;
    }
    if (code == zcore::command::kSwitchOver) {
        m_switchOverByte = value;
        return true;
    }
    if (code >= zcore::command::kFirstLevelPoint &&
        code < zcore::command::kFirstLevelPoint + int(m_calibration.size())) {
        m_calibration[code - zcore::command::kFirstLevelPoint] = value;
        return true;
    }
    return false;
}

int EngineModel::tankLevel() const { return std::clamp(int(std::ceil(m_tank)), 0, 255); }

int EngineModel::coolantByte() const
{
    return std::clamp(230 - int(std::lround(m_coolant)), 0, 255);
}

double EngineModel::speedOfWords(int inWord, int outWord)
{
    const int sum = inWord + outWord;
    if (sum <= kLeastCountedSum || sum >= kMostCountedSum)
        return 0.0;
    return kSpeedConstant / (sum - kTimeWordOffset);
}

double EngineModel::uniform(double low, double high)
{
    return low + (high - low) * m_random.generateDouble();
}

double EngineModel::smoothStep(double x)
{
    x = std::clamp(x, 0.0, 1.0);
    return x * x * (3.0 - 2.0 * x);
}

} // namespace zsim
