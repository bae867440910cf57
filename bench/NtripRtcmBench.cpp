// Per-block costs on the NTRIP worker's and the base-station watch's paths, and the RTCM report.
// Targets: the base-station watch under 50 us per 4 kB block (a stream brings at most a few
// such blocks a second); a 4 kB NTRIP 2 chunked block de-chunked in well under 1 ms; the RTCM
// report over the client's last 8192 bytes under 10 ms (it runs on a button press).
#include "input/NtripReply.h"
#include "input/Rtcm3.h"
#include "input/RtcmBaseStationWatch.h"
#include "input/RtcmReport.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

namespace {

std::string frame(const std::string& payload)
{
    std::string f;
    f += char(0xD3);
    f += char((payload.size() >> 8) & 0x03);
    f += char(payload.size() & 0xFF);
    f += payload;
    const std::uint32_t crc = vsx::Crc24q(reinterpret_cast<const unsigned char*>(f.data()), f.size());
    f += char(crc >> 16);
    f += char(crc >> 8);
    f += char(crc);
    return f;
}

// About 4 kB of MSM-like frames with random payloads (many false preambles among them) and one
// station frame, as one received block.
std::string correctionBlock()
{
    std::mt19937 random(11);
    std::string block;
    while (block.size() < 4000) {
        const int number = 1074 + 10 * int(random() % 4);
        std::string payload(150 + random() % 200, '\0');
        for (auto& c : payload) c = char(random());
        payload[0] = char(number >> 4);
        payload[1] = char(((number & 15) << 4) | (payload[1] & 15));
        block += frame(payload);
    }
    std::string station(19, '\0');
    station[0] = char(1005 >> 4);
    station[1] = char((1005 & 15) << 4);
    block += frame(station);
    return block.substr(0, 4095);
}

void BM_RtcmBaseStationWatch_4kBlock_Under50us(benchmark::State& state)
{
    const std::string block = correctionBlock();
    vsx::RtcmBaseStationWatch watch;
    for (auto _ : state) benchmark::DoNotOptimize(watch.Feed(block.data(), block.size()));
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(block.size()));
}
BENCHMARK(BM_RtcmBaseStationWatch_4kBlock_Under50us);

void BM_RtcmScan_8kLastBytes(benchmark::State& state)
{
    const std::string bytes = correctionBlock() + correctionBlock();
    for (auto _ : state) benchmark::DoNotOptimize(vsx::ScanRtcmFrames(bytes).Frames.size());
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes.size()));
}
BENCHMARK(BM_RtcmScan_8kLastBytes);

void BM_ChunkedDecoder_4kBlock_Under1ms(benchmark::State& state)
{
    const std::string data = correctionBlock();
    std::string encoded;
    char size[16];
    for (std::size_t pos = 0; pos < data.size(); pos += 512) {
        const std::size_t n = std::min<std::size_t>(512, data.size() - pos);
        std::snprintf(size, sizeof size, "%zx\r\n", n);
        encoded += size + data.substr(pos, n) + "\r\n";
    }
    std::string out;
    for (auto _ : state) {
        vsx::ChunkedDecoder decoder;
        out.clear();
        decoder.Feed(encoded, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(encoded.size()));
}
BENCHMARK(BM_ChunkedDecoder_4kBlock_Under1ms);

// The report over 8192 bytes of MSM frames with station, antenna and receiver frames among them.
void BM_RtcmReport_8kLastBytes_Under10ms(benchmark::State& state)
{
    std::string descriptors(3, '\0');
    descriptors[0] = char(1033 >> 4);
    descriptors[1] = char((1033 & 15) << 4);
    for (const char* text : {"ANTENNA TYPE", "", "SERIAL", "RECEIVER", "1.0", "RS"}) {
        descriptors += char(std::strlen(text));
        descriptors += text;
    }
    std::string bytes = correctionBlock() + frame(descriptors) + correctionBlock() + correctionBlock();
    bytes = bytes.substr(bytes.size() - 8192);
    vsx::RtcmReportInputs in;
    in.Bytes = bytes;
    in.UtcOffsetMinutes = 180;
    in.Vessel = vsx::RtcmReportVessel{41.2, 29.0, 12.3, false};
    for (auto _ : state) benchmark::DoNotOptimize(vsx::BuildRtcmReport(in).Lines.size());
}
BENCHMARK(BM_RtcmReport_8kLastBytes_Under10ms)->Unit(benchmark::kMillisecond);

} // namespace
