// One echosounder line through recognition, correction and both appended records.
// Target: at most 50 microseconds per line.
#include "nav/SounderLineHandler.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

static void BM_DepthLineToRecords(benchmark::State& state)
{
    const auto folder = std::filesystem::temp_directory_path() / ("vsx-bench-depth-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    auto fmt = vsx::ScanFormat::compile("%*6s,%lf");
    vsx::SounderLineInputs in;
    in.depth.messageType = "NMEA DPT";
    in.depth.format = &*fmt;
    in.depth.draft = 0.5;
    in.position = {41.0123456789, 29.0123456789, 412345.67, 4543210.12, 4};
    in.csvFileName = (folder / "Coordinates.csv").string();
    in.xyzFileName = (folder / "Simple XYZ.csv").string();
    for (auto _ : state) {
        auto out = vsx::HandleSounderLine("$SDDPT,12.34,0.5*56", in);
        benchmark::DoNotOptimize(out);
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_DepthLineToRecords)->Unit(benchmark::kMicrosecond);
