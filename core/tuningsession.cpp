#include "core/tuningsession.h"

#include <QCoreApplication>

#include <algorithm>

namespace zcore {

namespace {

size_t index(Fuel fuel) { return fuel == Fuel::Petrol ? 0 : 1; }

double medianOf(std::vector<double> &values)
{
    const size_t half = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + qsizetype(half), values.end());
    if (values.size() % 2)
        return values[half];
    const double upper = values[half];
    const double lower = *std::max_element(values.begin(), values.begin() + qsizetype(half));
    return (lower + upper) / 2;
}

} // namespace

void TuningSession::reset() { *this = TuningSession(); }

void TuningSession::take(Feed &feed, qint64 elapsedMs, const LiveFrame &frame)
{
    // A band's level counts as changed once two frames in a row show it.
    if (feed.m_lastBands) {
        for (int b = 0; b < kSpeedBandCount; ++b) {
            if (frame.bands[size_t(b)] != (*feed.m_lastBands)[size_t(b)])
                continue;
            if (m_level[size_t(b)] && *m_level[size_t(b)] != frame.bands[size_t(b)])
                feed.m_settled[size_t(b)] = 0;
            levelSeen(b, frame.bands[size_t(b)]);
        }
    }
    feed.m_lastBands = frame.bands;

    const AssistVerdict verdict = feed.m_filter.take(elapsedMs, frame);
    if (verdict.fuel != feed.m_fuel) {
        feed.m_fuel = verdict.fuel;
        feed.m_settled.fill(0);
    }
    feed.m_lastSkip = verdict.skip;
    // A cold engine's frames do not settle a band either: so a recording
    // begun earlier than the live collection, while the engine was cold,
    // counts the same frames.
    if (!verdict.band || verdict.skip == SampleSkip::Cold)
        return;
    int &settled = feed.m_settled[size_t(*verdict.band)];
    if (settled < kSettleFrames) {
        ++settled;
        return;
    }
    if (!verdict.sample)
        return;
    // Gas samples belong to the level they were taken with: a frame that
    // shows another (the first at a new level, or a torn one) does not count.
    if (verdict.sample->fuel == Fuel::Gas &&
        m_level[size_t(verdict.sample->band)] != frame.bands[size_t(verdict.sample->band)])
        return;
    const int band = verdict.sample->band;
    if (qsizetype(m_samples.size()) >= kMostSamples)
        dropOldest();
    m_samples.push_back(*verdict.sample);
    ++m_counts[size_t(band)][index(verdict.sample->fuel)];
    // The round after a change is judged once, as soon as it can be: then
    // the band is stopped, or goes on as any other.
    // Until the fuels share enough speeds there is no error to judge by:
    // looked at again every tenth sample.
    if (m_errorBeforeChange[size_t(band)] && count(band, Fuel::Petrol) >= kLeastSamples &&
        count(band, Fuel::Gas) >= kLeastSamples &&
        (count(band, Fuel::Gas) + count(band, Fuel::Petrol)) % 10 == 0) {
        const BandReport now = report(band);
        if (now.proposal.errorPct) {
            m_errorBeforeChange[size_t(band)].reset();
            if (now.proposal.stop)
                m_stopped[size_t(band)] = now.proposal.why;
        }
    }
}

void TuningSession::dropOldest()
{
    m_samples.erase(m_samples.begin(), m_samples.begin() + qsizetype(m_samples.size() / 4));
    m_counts = {};
    for (const AssistSample &s : m_samples)
        ++m_counts[size_t(s.band)][index(s.fuel)];
}

void TuningSession::levelSeen(int band, int level)
{
    std::optional<int> &held = m_level[size_t(band)];
    if (held == level)
        return;
    if (held) {
        // The error the old level gave, kept when the change went its way.
        const BandReport before = report(band);
        const std::optional<double> error = before.proposal.errorPct;
        const int change = level - *held;
        m_errorBeforeChange[size_t(band)].reset();
        if (error && std::abs(*error) >= kLeastErrorPct && (change > 0) == (*error > 0)) {
            m_errorBeforeChange[size_t(band)] = error;
            m_levelBeforeChange[size_t(band)] = *held;
        }
        std::erase_if(m_samples, [band](const AssistSample &s) {
            return s.band == band && s.fuel == Fuel::Gas;
        });
        m_counts[size_t(band)][index(Fuel::Gas)] = 0;
        ++m_rounds;
    }
    held = level;
}

int TuningSession::count(int band, Fuel fuel) const { return m_counts[size_t(band)][index(fuel)]; }

std::optional<double> TuningSession::median(int band, Fuel fuel) const
{
    std::vector<double> values;
    values.reserve(size_t(count(band, fuel)));
    for (const AssistSample &s : m_samples)
        if (s.band == band && s.fuel == fuel)
            values.push_back(s.injectionMs);
    if (values.empty())
        return std::nullopt;
    return medianOf(values);
}

std::optional<double> TuningSession::matchedErrorPct(int band) const
{
    std::vector<std::pair<double, double>> petrol; // speed, injection time
    std::vector<const AssistSample *> gas;
    for (const AssistSample &s : m_samples) {
        if (s.band != band)
            continue;
        if (s.fuel == Fuel::Petrol)
            petrol.emplace_back(s.rpm, s.injectionMs);
        else
            gas.push_back(&s);
    }
    if (petrol.size() < size_t(kLeastMatchSamples) || gas.size() < size_t(kLeastMatched))
        return std::nullopt;
    std::sort(petrol.begin(), petrol.end());

    // The petrol reference on the grid, made only where a gas sample asks.
    const double from = kSpeedBandLimitsRpm[size_t(band)];
    const int points = (kSpeedBandLimitsRpm[size_t(band) + 1] - int(from)) / kGridRpm + 1;
    std::vector<std::optional<double>> reference(static_cast<size_t>(points));
    std::vector<bool> made(static_cast<size_t>(points), false);
    std::vector<double> window;
    const auto referenceAt = [&](int point) -> std::optional<double> {
        if (!made[size_t(point)]) {
            made[size_t(point)] = true;
            const double at = from + point * kGridRpm;
            const auto first =
                std::lower_bound(petrol.begin(), petrol.end(), std::pair(at - kMatchRpm, -1.0));
            window.clear();
            for (auto it = first; it != petrol.end() && it->first <= at + kMatchRpm; ++it)
                window.push_back(it->second);
            if (window.size() >= size_t(kLeastMatchSamples))
                reference[size_t(point)] = medianOf(window);
        }
        return reference[size_t(point)];
    };

    std::vector<double> ratios;
    ratios.reserve(gas.size());
    for (const AssistSample *s : gas) {
        const int point = std::clamp(int(std::lround((s->rpm - from) / kGridRpm)), 0, points - 1);
        if (const auto ref = referenceAt(point); ref && *ref > 0)
            ratios.push_back(s->injectionMs / *ref - 1);
    }
    if (ratios.size() < size_t(kLeastMatched))
        return std::nullopt;
    return medianOf(ratios) * 100.0;
}

BandReport TuningSession::report(int band) const
{
    BandReport r;
    r.band = band;
    r.petrolSamples = count(band, Fuel::Petrol);
    r.gasSamples = count(band, Fuel::Gas);
    r.petrolMs = median(band, Fuel::Petrol);
    r.gasMs = median(band, Fuel::Gas);
    r.level = m_level[size_t(band)];
    BandEvidence e;
    e.petrolSamples = r.petrolSamples;
    e.gasSamples = r.gasSamples;
    e.errorPct = matchedErrorPct(band);
    e.level = r.level;
    e.errorBeforeChangePct = m_errorBeforeChange[size_t(band)];
    e.levelBeforeChange = m_levelBeforeChange[size_t(band)];
    r.proposal = proposeBand(e);
    if (m_stopped[size_t(band)]) {
        r.proposal.level.reset();
        r.proposal.stop = true;
        r.proposal.why = *m_stopped[size_t(band)];
    }
    return r;
}

std::array<BandReport, kSpeedBandCount> TuningSession::reports() const
{
    std::array<BandReport, kSpeedBandCount> all;
    for (int b = 0; b < kSpeedBandCount; ++b)
        all[size_t(b)] = report(b);
    return all;
}

std::vector<std::pair<int, int>> TuningSession::proposals() const
{
    std::vector<std::pair<int, int>> all;
    for (const BandReport &r : reports())
        if (r.proposal.level)
            all.emplace_back(r.band, *r.proposal.level);
    return all;
}

TuningSession::Step TuningSession::step(const Feed &live) const
{
    if (!live.fuel() || live.lastSkip() == SampleSkip::Cold)
        return Step::WarmUp;
    const auto all = reports();
    const auto short_ = [](int n) { return n < kLeastSamples; };
    if (std::any_of(all.begin(), all.end(),
                    [&](const BandReport &r) { return short_(r.petrolSamples); }))
        return Step::PetrolDrive;
    if (*live.fuel() == Fuel::Petrol)
        return Step::SwitchToGas;
    // Drive on until every band is decided: an error known (a proposal, or
    // none needed), or the band stopped. Too few gas samples, or gas samples
    // at speeds the petrol drive never held, leave it open.
    if (std::any_of(all.begin(), all.end(),
                    [](const BandReport &r) { return !r.proposal.stop && !r.proposal.errorPct; }))
        return m_rounds > 0 ? Step::CheckDrive : Step::GasDrive;
    if (std::any_of(all.begin(), all.end(),
                    [](const BandReport &r) { return r.proposal.level.has_value(); }))
        return Step::Apply;
    return Step::Done;
}

QString TuningSession::stepText(Step step)
{
    const auto tr = [](const char *text) {
        return QCoreApplication::translate("TuningSession", text);
    };
    switch (step) {
    case Step::WarmUp:
        return tr("Motoru ısıtın: su sıcaklığı geçiş sıcaklığına gelsin");
    case Step::PetrolDrive:
        return tr("Benzinde sürün: her devir bandında birkaç saniye sabit devir");
    case Step::SwitchToGas:
        return tr("Gaza geçin (bütün silindirler gazda)");
    case Step::GasDrive:
        return tr("Gazda aynı şekilde sürün");
    case Step::Apply:
        return tr("Öneriyi uygulayın: Uygula");
    case Step::CheckDrive:
        return tr("Kontrol için gazda yeniden sürün");
    case Step::Done:
        return tr("Tamam: önerilecek seviye yok");
    }
    return {};
}

QString TuningSession::skipText(SampleSkip skip)
{
    switch (skip) {
    case SampleSkip::None:
        return {};
    case SampleSkip::NoSpeed:
        return QCoreApplication::translate("TuningSession", "Devir yok");
    case SampleSkip::Cold:
        return QCoreApplication::translate("TuningSession", "Motor soğuk");
    case SampleSkip::NotSteady:
        return QCoreApplication::translate("TuningSession", "Devir sabit değil");
    case SampleSkip::FuelCut:
        return QCoreApplication::translate("TuningSession", "Yakıt kesik");
    case SampleSkip::RowsMixed:
        return QCoreApplication::translate("TuningSession", "Silindirlerin bir kısmı gazda");
    }
    return {};
}

} // namespace zcore
