// RTCM 3 frames: the scan with its CRC check, names, the station messages, the position they
// carry, and the base-station watch.
#include "RtcmTestFrames.h"
#include "input/Rtcm3.h"
#include "input/RtcmBaseStationWatch.h"
#include "platform/AtomicFile.h"
#include "support/MissingPeer.h"
#include "support/PeerPrograms.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>

using namespace vsx;
using vsx::test::RtcmBits;
using vsx::test::rtcmFrame;
using vsx::test::stationFrame;

namespace {

std::string sharedFile(const std::string& relative)
{
    const std::string folder = test::sharedDataFolder();
    std::string bytes;
    if (folder.empty() || !readFile(folder + relative, bytes)) return {};
    return bytes;
}

// Scanned bytes kept together with the frames that point into them.
struct Scanned {
    explicit Scanned(std::string b) : bytes(std::move(b)), scan(ScanRtcmFrames(bytes)) {}
    Scanned(const Scanned&) = delete;
    const std::string bytes;
    const RtcmScan scan;
};

std::map<int, int> countByNumber(const RtcmScan& scan)
{
    std::map<int, int> counts;
    for (const auto& f : scan.Frames) ++counts[f.MessageNumber];
    return counts;
}

// The station of the recorded stream rtcm3.log.
constexpr double StationX = 1114104.5999, StationY = -4850729.7108, StationZ = 3975521.4643;

} // namespace

TEST(Rtcm3, Crc24qCheckValue)
{
    const std::string check = "123456789";
    EXPECT_EQ(Crc24q(reinterpret_cast<const unsigned char*>(check.data()), check.size()), 0xCDE703u);
}

TEST(Rtcm3, RecordedStreamsScanCleanlyAndABadCrcDropsOneFrame)
{
    const std::string glo = sharedFile("rtcm/testglo.rtcm3");
    const std::string small = sharedFile("rtcm/rtcm3.log");
    if (glo.empty() || small.empty()) VSX_SKIP_MISSING() << "the shared RTCM recordings are not there";

    // Counts from an independent scan of the same file (a few lines of Python with its own CRC).
    const RtcmScan scan = ScanRtcmFrames(glo);
    EXPECT_EQ(scan.CrcErrors, 0);
    EXPECT_EQ(countByNumber(scan), (std::map<int, int>{{1004, 186}, {1005, 19}, {1012, 186}, {1019, 19}, {1020, 19}}));
    ASSERT_FALSE(scan.Frames.empty());
    EXPECT_EQ(scan.Frames.front().Offset, 58u); // after the receiver's text lines at the start
    EXPECT_EQ(scan.Frames.back().Offset + scan.Frames.back().Size(), glo.size());
    EXPECT_EQ(scan.IncompleteFrom, glo.size());

    std::string damaged = glo;
    const RtcmFrame& victim = scan.Frames[10];
    damaged[victim.Offset + 3 + victim.Payload.size() / 2] ^= 0x10;
    const RtcmScan after = ScanRtcmFrames(damaged);
    EXPECT_EQ(after.Frames.size(), scan.Frames.size() - 1);
    EXPECT_GE(after.CrcErrors, 1);
    for (const auto& f : after.Frames) EXPECT_NE(f.Offset, victim.Offset);

    const RtcmScan s = ScanRtcmFrames(small);
    EXPECT_EQ(countByNumber(s), (std::map<int, int>{{1005, 1}, {1029, 1}}));
    const auto station = DecodeStationPosition(s.Frames[1]);
    ASSERT_TRUE(station);
    EXPECT_EQ(station->StationId, 2003);
    EXPECT_NEAR(station->X, StationX, 1e-6);
    EXPECT_NEAR(station->Y, StationY, 1e-6);
    EXPECT_NEAR(station->Z, StationZ, 1e-6);
    EXPECT_TRUE(station->Gps);
    EXPECT_FALSE(station->Glonass);
}

TEST(Rtcm3, ScannerEdges)
{
    const std::string a = stationFrame(7, StationX, StationY, StationZ);
    const std::string b = rtcmFrame(RtcmBits().put(1230, 12).put(0, 20).bytes());

    // Ends exactly at the last byte: counted.
    EXPECT_EQ(Scanned(a + b).scan.Frames.size(), 2u);
    // A frame cut off at the end: not counted, and said where it starts.
    const std::string cut = a + b.substr(0, b.size() - 1);
    RtcmScan s = ScanRtcmFrames(cut);
    EXPECT_EQ(s.Frames.size(), 1u);
    EXPECT_EQ(s.IncompleteFrom, a.size());
    EXPECT_EQ(Scanned(a + "\xD3").scan.IncompleteFrom, a.size());
    // A false preamble whose length would swallow the real frames behind it.
    const Scanned falseStart(std::string("\xD3\x00\x30", 3) + a + b);
    EXPECT_EQ(falseStart.scan.Frames.size(), 2u);
    EXPECT_EQ(falseStart.scan.Frames[0].Offset, 3u);
    // A broken CRC: no frame, counted as an error.
    std::string bad = a;
    bad.back() ^= 1;
    const Scanned broken(bad + b);
    EXPECT_EQ(broken.scan.CrcErrors, 1);
    ASSERT_EQ(broken.scan.Frames.size(), 1u);
    EXPECT_EQ(broken.scan.Frames[0].MessageNumber, 1230);
    // Five bytes hold no frame.
    EXPECT_TRUE(Scanned(a.substr(0, 5)).scan.Frames.empty());
}

TEST(Rtcm3, MessageNames)
{
    const std::pair<int, const char*> cases[] = {
        {1001, "GPS L1 Observations"}, {1005, "Station ARP (Antenna Reference Point)"}, {1006, "Station ARP with Height"},
        {1008, "Antenna Descriptor & Serial"}, {1033, "Receiver & Antenna Descriptors"}, {1230, "GLONASS Code-Phase Biases"},
        {4073, "u-blox Proprietary"}, {1071, "GPS MSM1"}, {1077, "GPS MSM7 (Full GPS)"}, {1084, "GLONASS MSM4"},
        {1087, "GLONASS MSM7 (Full GLONASS)"}, {1097, "Galileo MSM7 (Full Galileo)"}, {1107, "SBAS MSM7"},
        {1117, "QZSS MSM7"}, {1127, "BeiDou MSM7 (Full BeiDou)"}, {1137, "NavIC MSM7"}, {1131, "NavIC MSM1"},
        {1070, "Unknown"}, {1078, "Unknown"}, {1014, "Unknown"}, {0, "Unknown"},
    };
    for (const auto& [number, name] : cases) EXPECT_EQ(RtcmMessageName(number), name) << number;
}

TEST(Rtcm3, StationPositionFields)
{
    // Negative coordinates exercise the 38-bit sign.
    const Scanned scanned(stationFrame(4095, -2562463.5, -4540744.8, -3617327.3, 1006, 1.2345)
                          + stationFrame(1, 1.0, 2.0, 3.0));
    const RtcmScan& s = scanned.scan;
    ASSERT_EQ(s.Frames.size(), 2u);
    const auto p = DecodeStationPosition(s.Frames[0]);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->MessageNumber, 1006);
    EXPECT_EQ(p->StationId, 4095);
    EXPECT_EQ(p->ItrfRealization, 14);
    EXPECT_TRUE(p->Gps && p->Glonass);
    EXPECT_FALSE(p->Galileo || p->ReferenceStationIndicator);
    EXPECT_NEAR(p->X, -2562463.5, 1e-6);
    EXPECT_NEAR(p->Y, -4540744.8, 1e-6);
    EXPECT_NEAR(p->Z, -3617327.3, 1e-6);
    ASSERT_TRUE(p->AntennaHeight);
    EXPECT_NEAR(*p->AntennaHeight, 1.2345, 1e-9);
    EXPECT_FALSE(DecodeStationPosition(s.Frames[1])->AntennaHeight);
    EXPECT_FALSE(IsPlausibleStationPosition(1.0, 2.0, 3.0));
    EXPECT_FALSE(IsPlausibleStationPosition(5000000.0, 0, 0));
    EXPECT_TRUE(IsPlausibleStationPosition(StationX, StationY, StationZ));

    // Too short a payload and other message numbers carry no station position.
    const Scanned shortScan(rtcmFrame(RtcmBits().put(1005, 12).put(0, 132).bytes()));
    const RtcmScan& shortOne = shortScan.scan;
    ASSERT_EQ(shortOne.Frames.size(), 1u);
    EXPECT_FALSE(DecodeStationPosition(shortOne.Frames[0]));
}

TEST(Rtcm3, DescriptorTexts)
{
    struct Case {
        const char* name;
        std::string payload;
        std::optional<std::string> descriptor, serial, receiver, firmware, receiverSerial;
        std::optional<int> setup;
    };
    const Case cases[] = {
        {"1007", RtcmBits().put(1007, 12).put(12, 12).text("ANT123").put(3, 8).bytes(), "ANT123", {}, {}, {}, {}, 3},
        {"1008", RtcmBits().put(1008, 12).put(12, 12).text("TRM59800.00 NO").put(0, 8).text("12345").bytes(),
         "TRM59800.00 NO", "12345", {}, {}, {}, 0},
        {"1033",
         RtcmBits().put(1033, 12).put(12, 12).text("LEIAR25").put(1, 8).text("S1").text("RCV").text("5.1").text("R9").bytes(),
         "LEIAR25", "S1", "RCV", "5.1", "R9", 1},
        // A counter of 32 is not read as a text; the reading goes on right after it.
        {"counter out of range", RtcmBits().put(1033, 12).put(12, 12).put(32, 8).put(2, 8).text("S").bytes(), {}, "S", {},
         {}, {}, 2},
        // A text running past the payload is left unread.
        {"past the payload", RtcmBits().put(1008, 12).put(12, 12).text("ANT").put(0, 8).put(9, 8).put('x', 8).bytes(),
         "ANT", {}, {}, {}, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Scanned scanned(rtcmFrame(c.payload));
        const RtcmScan& s = scanned.scan;
        ASSERT_EQ(s.Frames.size(), 1u);
        const auto d = DecodeDescriptors(s.Frames[0]);
        ASSERT_TRUE(d);
        EXPECT_EQ(d->StationId, 12);
        EXPECT_EQ(d->AntennaDescriptor, c.descriptor);
        EXPECT_EQ(d->SetupId, c.setup);
        EXPECT_EQ(d->AntennaSerial, c.serial);
        EXPECT_EQ(d->ReceiverType, c.receiver);
        EXPECT_EQ(d->ReceiverFirmware, c.firmware);
        EXPECT_EQ(d->ReceiverSerial, c.receiverSerial);
    }
}

TEST(Rtcm3, EcefToGeodeticAgreesWithCartConvert)
{
    const double points[][3] = {
        {StationX, StationY, StationZ}, {-2562463.5, -4540744.8, 3617327.3}, {4201000.0, 2168000.0, 4178000.0},
        {-3950000.0, 3350000.0, -3700000.0}, {6378137.0, 0.0, 0.0},
    };
    if (!test::haveProgram("CartConvert")) VSX_SKIP_MISSING() << "CartConvert (geographiclib-tools) is not installed";
    for (const auto& p : points) {
        char command[160];
        std::snprintf(command, sizeof command, "echo '%.4f %.4f %.4f' | CartConvert -r -p 9 2>/dev/null", p[0], p[1], p[2]);
        FILE* pipe = ::popen(command, "r");
        double lat = 0, lon = 0, h = 0;
        const bool ok = pipe && std::fscanf(pipe, "%lf %lf %lf", &lat, &lon, &h) == 3;
        if (pipe) ::pclose(pipe);
        ASSERT_TRUE(ok) << "CartConvert gave no latitude, longitude and height for " << p[0] << " " << p[1] << " " << p[2];
        const GeodeticPosition g = EcefToGeodetic(p[0], p[1], p[2]);
        EXPECT_NEAR(g.Latitude, lat, 1e-9) << p[0];
        EXPECT_NEAR(g.Longitude, lon, 1e-9) << p[0];
        EXPECT_NEAR(g.Height, h, 1e-3) << p[0];
    }
}

TEST(RtcmBaseStationWatch, ReportsEachNewStationOrMoveOnce)
{
    RtcmBaseStationWatch watch;
    const std::string here = stationFrame(2003, StationX, StationY, StationZ);
    const std::string msm = rtcmFrame(RtcmBits().put(1074, 12).put(0, 180).bytes());

    // Two frames of the same station at the same place: one report.
    auto changes = watch.Feed((here + msm + here).data(), here.size() * 2 + msm.size());
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].StationId, 2003);
    EXPECT_NEAR(changes[0].Latitude, 38.80475943, 1e-8);
    EXPECT_NEAR(changes[0].Longitude, -77.06477360, 1e-8);
    EXPECT_TRUE(watch.Feed(here.data(), here.size()).empty());

    // A move of about 2e-5 degree in latitude is reported; the same position under another ID too.
    const std::string moved = stationFrame(2003, StationX, StationY, StationZ + 2.0);
    EXPECT_EQ(watch.Feed(moved.data(), moved.size()).size(), 1u);
    const std::string other = stationFrame(17, StationX, StationY, StationZ + 2.0, 1006, 1.5);
    changes = watch.Feed(other.data(), other.size());
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(watch.Base().StationId, 17);

    // A bad CRC or an implausible radius is no station.
    std::string bad = stationFrame(99, StationX, StationY, StationZ);
    bad[10] ^= 0x01;
    EXPECT_TRUE(watch.Feed(bad.data(), bad.size()).empty());
    const std::string inside = stationFrame(98, 5000000.0, 0.0, 0.0);
    EXPECT_TRUE(watch.Feed(inside.data(), inside.size()).empty());
    EXPECT_EQ(watch.Base().StationId, 17);

    // A frame split across two blocks is found when its end arrives.
    const std::string next = msm + stationFrame(5, StationX, StationY, StationZ);
    EXPECT_TRUE(watch.Feed(next.data(), next.size() - 7).empty());
    changes = watch.Feed(next.data() + next.size() - 7, 7);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].StationId, 5);
}
