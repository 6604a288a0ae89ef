#include "benchinputs.h"

#include "benchframes.h"

#include "core/frame.h"
#include "core/numbers.h"

#include <array>
#include <cstdio>
#include <cstdlib>

namespace microbench {

namespace {

constexpr int kMostHeaderAt = 14;

} // namespace

const std::vector<QByteArray> &payloads()
{
    static const std::vector<QByteArray> all = [] {
        std::vector<QByteArray> v;
        for (int k = 0; k < kFrameSet; ++k)
            v.push_back(benchframes::payload(quint64(k) * 7, 100 + k % 3));
        return v;
    }();
    return all;
}

const std::vector<zcore::LiveFrame> &decodedFrames()
{
    static const std::vector<zcore::LiveFrame> all = [] {
        std::vector<zcore::LiveFrame> v;
        for (const QByteArray &p : payloads())
            v.push_back(zcore::decodePayload(p));
        return v;
    }();
    return all;
}

const std::vector<QByteArray> &reads(int headerAt)
{
    static const std::array<std::vector<QByteArray>, kMostHeaderAt + 1> byOffset = [] {
        std::array<std::vector<QByteArray>, kMostHeaderAt + 1> all;
        for (int at = 0; at <= kMostHeaderAt; ++at)
            for (int k = 0; k < kFrameSet; ++k)
                all[size_t(at)].push_back(benchframes::read50(quint64(k) * 7, at));
        return all;
    }();
    if (headerAt < 0 || headerAt > kMostHeaderAt) {
        std::fprintf(stderr, "microbench: no reads with the header at %d\n", headerAt);
        std::abort();
    }
    return byOffset[size_t(headerAt)];
}

const std::vector<QByteArray> &readsWithoutHeader()
{
    static const std::vector<QByteArray> all = [] {
        std::vector<QByteArray> v;
        for (int k = 0; k < kFrameSet; ++k) {
            QByteArray r =
                benchframes::payload(quint64(k), 100) + benchframes::payload(quint64(k) + 1, 100);
            r.truncate(zcore::kReadLength);
            if (zcore::findTelemetryHeader(r) >= 0) {
                std::fprintf(stderr, "microbench: a header-free read holds a header\n");
                std::abort();
            }
            v.push_back(r);
        }
        return v;
    }();
    return all;
}

QString speedListCaption(int k)
{
    QString s;
    for (int line = 0; line < 50; ++line)
        s += zcore::numberText(1600 + ((k + line) % 17) * 3.7) + QLatin1Char('\r');
    return s;
}

} // namespace microbench
