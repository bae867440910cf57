// One echosounder line corrected with the fixed sound velocity, and the same line corrected with
// the sound-velocity profile's column (the lookup bound per line as the main window binds it).
// Target: the profile path costs no more than 5 % over the fixed-velocity path.
#include "nav/DepthLine.h"
#include "tools/SoundVelocityColumn.h"

#include <benchmark/benchmark.h>

namespace {

const vsx::ScanFormat& format()
{
    static const vsx::ScanFormat f = *vsx::ScanFormat::compile("%*6s,%lf");
    return f;
}

vsx::DepthLineSettings settings()
{
    vsx::DepthLineSettings s;
    s.messageType = "NMEA DPT";
    s.format = &format();
    s.soundVelocity = 1485.0;
    s.draft = 0.5;
    return s;
}

void BM_DepthLineFixedVelocity(benchmark::State& state)
{
    const vsx::DepthLineSettings s = settings();
    for (auto _ : state) {
        auto r = vsx::ProcessDepthLine("$SDDPT,12.34,0.5*56", s);
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_DepthLineFixedVelocity);

void BM_DepthLineProfileVelocity(benchmark::State& state)
{
    std::vector<double> values;
    for (int d = 0; d <= 200; ++d) values.push_back(1480.0 + 0.05 * d);
    const vsx::SoundVelocityColumn column(values);
    for (auto _ : state) {
        vsx::DepthLineSettings s = settings();
        const vsx::SoundVelocityColumn* c = &column;
        s.profileVelocity = [c](double raw) { return c->velocityAt(raw); };
        auto r = vsx::ProcessDepthLine("$SDDPT,12.34,0.5*56", s);
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_DepthLineProfileVelocity);

} // namespace
