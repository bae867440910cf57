// Any byte stream through the receiver's line path: cut in the chunk sizes a poll takes (the
// first byte picks the size), trimmed, checksum looked at, read into the fix and taken into the
// last values. Lines never hold a zero byte or untrimmed ends, and the pending text stays bounded.
#include "input/NmeaLineCutter.h"
#include "input/NmeaParser.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {
struct Quiet : vsx::NmeaParser::Listener {
    bool positionChanged(double, double, double) override { return true; }
    bool speedChanged(double) override { return true; }
};
void check(bool ok)
{
    if (!ok) std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    const size_t chunk = 1 + data[0] % 1023;
    std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    vsx::NmeaLineCutter cutter;
    vsx::NmeaParser parser;
    Quiet quiet;
    for (size_t at = 0; at < bytes.size(); at += chunk) {
        cutter.append(bytes.substr(at, chunk));
        std::string_view line;
        vsx::NmeaChecksum checksum;
        const auto now = std::chrono::steady_clock::time_point(std::chrono::milliseconds(at));
        while (cutter.nextLine(line, checksum)) {
            check(!line.empty() && line.find('\0') == std::string_view::npos);
            check(static_cast<unsigned char>(line.front()) > ' ' && static_cast<unsigned char>(line.back()) > ' ');
            parser.Read(line, checksum, now);
            parser.Commit(quiet);
        }
        check(cutter.pendingSize() <= vsx::NmeaLineCutter::kPendingLimit + chunk);
    }
    return 0;
}
