// The RTCM 3 report: the whole text for one buffer of real-format frames, then the cases that
// change single sections (signals, descriptors, distance, implausible stations, frame edges).
#include "input/RtcmReport.h"

#include "RtcmTestFrames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

using namespace vsx;
using namespace vsx::test;

namespace {

// The station of the fixture: 41° N, 29° E, 50 m (earth-centred by GeographicLib's CartConvert).
constexpr double kX = 4216216.9065, kY = 2337087.1942, kZ = 4162456.0036;

std::string msm(int number, int extraBytes = 8)
{
    RtcmBits b;
    b.put(std::uint64_t(number), 12).put(0, 4);
    for (int i = 0; i < extraBytes; ++i) b.put(std::uint64_t(0x5A + i), 8);
    return rtcmFrame(b.bytes());
}

std::string descriptorFrame(int number, int station, const std::string& descriptor, int setup, const std::string& serial,
                            const std::vector<std::string>& receiver = {})
{
    RtcmBits b;
    b.put(std::uint64_t(number), 12).put(std::uint64_t(station), 12).text(descriptor).put(std::uint64_t(setup), 8);
    if (number != 1007) b.text(serial);
    for (const std::string& t : receiver) b.text(t);
    return rtcmFrame(b.bytes());
}

RtcmReport build(const std::string& bytes, std::optional<RtcmReportVessel> vessel = std::nullopt)
{
    RtcmReportInputs in;
    in.Bytes = bytes;
    in.Now = {2024, 7, 15, 14, 5, 9, 0};
    in.UtcOffsetMinutes = 180;
    in.Vessel = vessel;
    return BuildRtcmReport(in);
}

bool has(const RtcmReport& r, const std::string& line)
{
    return std::find(r.Lines.begin(), r.Lines.end(), line) != r.Lines.end();
}

bool hasPrefix(const RtcmReport& r, const std::string& prefix)
{
    return std::any_of(r.Lines.begin(), r.Lines.end(), [&](const std::string& l) { return l.starts_with(prefix); });
}

std::string joined(const RtcmReport& r)
{
    std::string s;
    for (const std::string& l : r.Lines) s += l + "\n";
    return s;
}

} // namespace

TEST(RtcmReport, WholeReportOfOneBuffer)
{
    const std::string station = stationFrame(2003, kX, kY, kZ, 1006, 1.5);
    std::string badCrc = stationFrame(2003, 6378137.0, 0, 0);
    badCrc.back() = char(badCrc.back() ^ 0x01);
    const std::string bytes = std::string("\x12\xD3\x00", 3) // the cut-off end of a frame, with a stray preamble
                              + badCrc + station
                              + descriptorFrame(1033, 2003, "ANT", 1, "S1", {"RX TYPE", "1.2.3", "RS9"})
                              + descriptorFrame(1008, 2003, "TRM57971.00", 0, "12345") + msm(1074) + msm(1084)
                              + msm(1074) + msm(1230)
                              + stationFrame(2003, kX, kY, kZ).substr(0, 20); // cut off by the buffer's end
    const RtcmReport r = build(bytes, RtcmReportVessel{41.2, 29.0, 12.34, false});
    const std::string want = "Veldor Sondrix - RTCM Message Parser v1.0\n"
                             "2024-07-15 14:05:09 GMT+03:00\n"
                             "Buffer size: " + std::to_string(bytes.size()) + " bytes\n"
                             "================================================\n"
                             "\n"
                             "ANTENNA REFERENCE POINT (ARP)\n"
                             "-----------------------------\n"
                             "Station ID: 2003\n"
                             "ITRF Realization: 2014\n"
                             "Station Systems: GPS GLONASS\n"
                             "Reference Station: Physical (not virtual)\n"
                             "\n"
                             "ECEF Coordinates:\n"
                             "  X: 4216216.9065 m\n"
                             "  Y: 2337087.1942 m\n"
                             "  Z: 4162456.0036 m\n"
                             "\n"
                             "Geographic Coordinates (WGS84):\n"
                             "  Latitude:  41.00000000 deg\n"
                             "  Longitude: 29.00000000 deg\n"
                             "  Altitude:  50.000 m\n"
                             "\n"
                             "Antenna Height (ARP to marker): 1.5000 m\n"
                             "\n"
                             "ANTENNA DESCRIPTOR\n"
                             "------------------\n"
                             "Antenna Type: TRM57971.00\n"
                             "Antenna Serial: 12345\n"
                             "Setup ID: 1\n"
                             "\n"
                             "RECEIVER & ANTENNA DESCRIPTORS\n"
                             "------------------------------\n"
                             "Receiver Type: RX TYPE\n"
                             "Receiver Firmware: 1.2.3\n"
                             "Receiver Serial: RS9\n"
                             "\n"
                             "SIGNALS AVAILABLE\n"
                             "-----------------\n"
                             "GPS: L1 L2 L5\n"
                             "GLONASS: G1 G2\n"
                             "\n"
                             "VESSEL POSITION (sent to VRS)\n"
                             "-----------------------------\n"
                             "  Latitude:  41.20000000 deg\n"
                             "  Longitude: 29.00000000 deg\n"
                             "  Altitude:  12.3 m\n"
                             "  Manual Position: No\n"
                             "  GGA Lat: 4112.0000 N\n"
                             "  GGA Lon: 02900.0000 E\n"
                             "\n"
                             "DISTANCE TO BASE STATION\n"
                             "------------------------\n"
                             "\n"
                             "Distance to Base: 22.24 km\n"
                             "Bearing to Base: 180.0 deg\n"
                             "\n"
                             "NOTE: Distance > 20 km - Consider using closer base station\n"
                             "\n"
                             "RTCM MESSAGES RECEIVED\n"
                             "----------------------\n"
                             "  1006 - Station ARP with Height (x1)\n"
                             "  1008 - Antenna Descriptor & Serial (x1)\n"
                             "  1033 - Receiver & Antenna Descriptors (x1)\n"
                             "  1074 - GPS MSM4 (x2)\n"
                             "  1084 - GLONASS MSM4 (x1)\n"
                             "  1230 - GLONASS Code-Phase Biases (x1)\n"
                             "\n"
                             "================================================\n"
                             "Total: 7 RTCM messages parsed\n";
    EXPECT_EQ(joined(r), want);
    ASSERT_TRUE(r.Base);
    EXPECT_EQ(r.Base->StationId, 2003);
    EXPECT_NEAR(r.Base->Latitude, 41.0, 1e-8);
    EXPECT_NEAR(r.Base->Longitude, 29.0, 1e-8);
    EXPECT_NEAR(r.Base->Height, 50.0, 1e-3);
}

TEST(RtcmReport, SectionsFollowWhatTheFramesCarry)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::optional<RtcmReportVessel> vessel;
        std::vector<std::string> present;
        std::vector<std::string> absent; // line prefixes
    };
    const std::string base = stationFrame(7, kX, kY, kZ);
    const Case cases[] = {
        {"msm4 of two systems", msm(1074) + msm(1084), {}, {"GPS: L1 L2 L5", "GLONASS: G1 G2"}, {"Galileo"}},
        {"legacy observations", msm(1004) + msm(1012), {}, {"GPS: L1 L2", "GLONASS: G1 G2"}, {"GPS: L1 L2 L5"}},
        {"glonass L1 only", msm(1009), {}, {"GLONASS: G1"}, {"GPS", "GLONASS: G1 G2"}},
        {"other systems", msm(1094) + msm(1124) + msm(1114) + msm(1104) + msm(1134), {},
         {"Galileo: E1 E5", "BeiDou: B1 B2", "QZSS", "SBAS", "NavIC/IRNSS"}, {"GPS", "GLONASS"}},
        {"1008 without setup id", descriptorFrame(1008, 7, "ABCDEFGHIJKLMN", 3, "SN123"), {},
         {"Antenna Type: ABCDEFGHIJKLMN", "Antenna Serial: SN123", "Station ID: 7"},
         {"Setup ID: ", "RECEIVER & ANTENNA", "SIGNALS AVAILABLE"}},
        {"text counter past the payload", rtcmFrame(RtcmBits().put(1008, 12).put(7, 12).put(30, 8).put(65, 8).bytes()),
         {}, {"Station ID: 7"}, {"ANTENNA DESCRIPTOR"}},
        {"implausible station (5000 km)", stationFrame(7, 5000000.0, 0, 0), RtcmReportVessel{41, 29, 0, false},
         {"  WARNING: ECEF magnitude invalid - parsing may be incorrect!"},
         {"ECEF Coordinates:", "VESSEL POSITION", "Geographic"}},
        {"vessel 25 km away", base, RtcmReportVessel{41.0 + 25000.0 / 111194.93, 29.0, 0, true},
         {"NOTE: Distance > 20 km - Consider using closer base station", "  Manual Position: Yes"}, {"WARNING"}},
        {"vessel 40 km away", base, RtcmReportVessel{41.0 - 40000.0 / 111194.93, 29.0, 0, false},
         {"WARNING: Distance > 35 km - RTK accuracy may be degraded!", "Bearing to Base: 0.0 deg"}, {"NOTE"}},
        {"vessel 999 m away", base, RtcmReportVessel{41.0, 29.0 + 999.0 / (111194.93 * 0.75470958), 0, false},
         {"Bearing to Base: 270.0 deg"}, {"NOTE", "WARNING"}},
        {"vessel without a position", base, RtcmReportVessel{0, 0, 0, false},
         {"(Vessel position not available - cannot calculate distance)", "  GGA Lat: 0000.0000 N"},
         {"DISTANCE TO BASE STATION"}},
        {"no client", base, std::nullopt, {"  Latitude:  41.00000000 deg"}, {"VESSEL POSITION"}},
        {"vessel in the south-west", base, RtcmReportVessel{-33.5, -70.25, 0, false},
         {"  GGA Lat: 3330.0000 S", "  GGA Lon: 07015.0000 W"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RtcmReport r = build(c.bytes, c.vessel);
        for (const std::string& line : c.present) EXPECT_TRUE(has(r, line)) << line << "\n" << joined(r);
        for (const std::string& prefix : c.absent) EXPECT_FALSE(hasPrefix(r, prefix)) << prefix << "\n" << joined(r);
    }

    // Metres below 1 km, kilometres from there on.
    const RtcmReport near = build(base, RtcmReportVessel{41.0, 29.0 + 999.0 / (111194.93 * 0.75470958), 0, false});
    EXPECT_TRUE(hasPrefix(near, "Distance to Base: 999.")) << joined(near);
    EXPECT_TRUE(near.Lines.end() != std::find_if(near.Lines.begin(), near.Lines.end(), [](const std::string& l) {
                    return l.starts_with("Distance to Base: ") && l.ends_with(" m");
                }));
    const RtcmReport far = build(base, RtcmReportVessel{41.0 + 1001.0 / 111194.93, 29.0, 0, false});
    EXPECT_TRUE(has(far, "Distance to Base: 1.00 km")) << joined(far);
}

TEST(RtcmReport, FramesAtTheEdgesOfTheBuffer)
{
    const std::string frame = msm(1074);
    // Ending exactly at the last byte: counted. One byte short: not counted.
    EXPECT_EQ(build(frame).Total, 1);
    EXPECT_EQ(build(frame.substr(0, frame.size() - 1)).Total, 0);
    // A corrupted CRC is no frame, and does not hide the good frame right behind it.
    std::string bad = stationFrame(7, kX, kY, kZ);
    bad[bad.size() - 2] = char(bad[bad.size() - 2] ^ 0x40);
    const RtcmReport r = build(bad + frame);
    EXPECT_EQ(r.Total, 1);
    EXPECT_EQ(r.Counts, (std::map<int, int>{{1074, 1}}));
    EXPECT_FALSE(r.Base);
}

TEST(RtcmReport, TimeZoneTextFollowsDaylightSaving)
{
    const std::pair<int, const char*> texts[] = {{180, "GMT+03:00"}, {-300, "GMT-05:00"}, {330, "GMT+05:30"},
                                                 {-210, "GMT-03:30"}, {0, "GMT+00:00"},   {30, "GMT+00:30"}};
    for (const auto& [offset, text] : texts) EXPECT_EQ(TimeZoneText(offset), text) << offset;

    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    using namespace std::chrono;
    const auto summer = sys_days{year{2024} / 7 / 15} + hours(12);
    const auto winter = sys_days{year{2024} / 1 / 15} + hours(12);
    const struct {
        const char* zone;
        int summer, winter;
    } zones[] = {{"America/New_York", -240, -300}, {"Europe/Istanbul", 180, 180}, {"Europe/Berlin", 120, 60}};
    for (const auto& z : zones) {
        ::setenv("TZ", z.zone, 1);
        ::tzset();
        EXPECT_EQ(LocalUtcOffsetMinutes(summer), z.summer) << z.zone;
        EXPECT_EQ(LocalUtcOffsetMinutes(winter), z.winter) << z.zone;
    }
    if (old) ::setenv("TZ", saved.c_str(), 1);
    else ::unsetenv("TZ");
    ::tzset();
}
