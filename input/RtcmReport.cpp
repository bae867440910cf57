#include "input/RtcmReport.h"

#include "input/NtripRequest.h"
#include "input/Rtcm3.h"
#include "platform/Numbers.h"

#include <cmath>
#include <cstdlib>
#include <ctime>

namespace vsx {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEarthRadius = 6371000.0;

double radians(double degrees) { return degrees * kPi / 180.0; }

bool in(int n, int first, int last) { return n >= first && n <= last; }

// Satellite systems and bands, from the message numbers alone.
struct Signals {
    bool gps = false, l1 = false, l2 = false, l5 = false;
    bool glonass = false, g1 = false, g2 = false;
    bool galileo = false, beidou = false, qzss = false, sbas = false, navic = false;

    void add(int n)
    {
        const bool gpsMsm = in(n, 1071, 1077), gloMsm = in(n, 1081, 1087);
        if (in(n, 1001, 1004) || gpsMsm) gps = l1 = true;
        if (in(n, 1003, 1004) || gpsMsm) l2 = true;
        if (gpsMsm) l5 = true;
        if (in(n, 1009, 1012) || gloMsm) glonass = g1 = true;
        if (in(n, 1011, 1012) || gloMsm) g2 = true;
        galileo |= in(n, 1091, 1097);
        beidou |= in(n, 1121, 1127);
        qzss |= in(n, 1111, 1117);
        sbas |= in(n, 1101, 1107);
        navic |= in(n, 1131, 1137);
    }
    bool any() const { return gps || glonass || galileo || beidou || qzss || sbas || navic; }
};

std::string bands(std::initializer_list<std::pair<bool, const char*>> list)
{
    std::string s;
    for (const auto& [present, name] : list)
        if (present) s += std::string(name) + " ";
    if (!s.empty()) s.pop_back();
    return s;
}

std::string dashes(std::size_t n) { return std::string(n, '-'); }

} // namespace

std::string TimeZoneText(int offset)
{
    const int a = std::abs(offset);
    return std::string("GMT") + (offset < 0 ? "-" : "+") + formatPadded(a / 60, 2) + ":" + formatPadded(a % 60, 2);
}

int LocalUtcOffsetMinutes(std::chrono::system_clock::time_point at)
{
    const std::time_t t = std::chrono::system_clock::to_time_t(at);
    std::tm local{};
    if (!::localtime_r(&t, &local)) return 0;
    return int(local.tm_gmtoff / 60);
}

double HaversineDistance(double lat1, double lon1, double lat2, double lon2)
{
    const double p1 = radians(lat1), p2 = radians(lat2);
    const double dp = p2 - p1, dl = radians(lon2) - radians(lon1);
    const double a = std::sin(dp / 2) * std::sin(dp / 2) + std::cos(p1) * std::cos(p2) * std::sin(dl / 2) * std::sin(dl / 2);
    return 2 * kEarthRadius * std::atan2(std::sqrt(a), std::sqrt(1 - a));
}

double InitialBearing(double lat1, double lon1, double lat2, double lon2)
{
    const double p1 = radians(lat1), p2 = radians(lat2), dl = radians(lon2) - radians(lon1);
    const double theta = std::atan2(std::sin(dl) * std::cos(p2), std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl));
    return std::fmod(theta * 180.0 / kPi + 360.0, 360.0);
}

RtcmReport BuildRtcmReport(const RtcmReportInputs& in)
{
    RtcmReport report;
    std::vector<std::string>& out = report.Lines;
    const LocalDateTime& t = in.Now;
    out.push_back("Veldor Sondrix - RTCM Message Parser v1.0");
    out.push_back(formatDate(t) + " " + formatPadded(t.hour, 2) + ":" + formatPadded(t.minute, 2) + ":" +
                  formatPadded(t.second, 2) + " " + TimeZoneText(in.UtcOffsetMinutes));
    out.push_back("Buffer size: " + std::to_string(in.Bytes.size()) + " bytes");
    out.push_back(std::string(48, '='));
    out.push_back("");

    // The values of the last frame that carried each of them.
    int stationId = 0, itrf = 0;
    bool gpsStation = false, glonassStation = false, galileoStation = false;
    std::optional<bool> referenceIndicator; // of the last decoded 1005/1006
    double x = 0, y = 0, z = 0;
    std::optional<GeodeticPosition> position;
    double antennaHeight = 0;
    std::optional<std::string> descriptor, antennaSerial, receiverType, firmware, receiverSerial;
    int setupId = 0;
    Signals signals;

    const RtcmScan scan = ScanRtcmFrames(in.Bytes);
    for (const RtcmFrame& frame : scan.Frames) {
        const int n = frame.MessageNumber;
        ++report.Counts[n];
        ++report.Total;
        signals.add(n);
        if (const auto s = DecodeStationPosition(frame)) {
            stationId = s->StationId;
            itrf = s->ItrfRealization;
            gpsStation = s->Gps;
            glonassStation = s->Glonass;
            galileoStation = s->Galileo;
            referenceIndicator = s->ReferenceStationIndicator;
            x = s->X;
            y = s->Y;
            z = s->Z;
            if (!IsPlausibleStationPosition(x, y, z)) {
                out.push_back("  WARNING: ECEF magnitude invalid - parsing may be incorrect!");
            } else {
                position = EcefToGeodetic(x, y, z);
                report.Base = RtcmBaseStation{stationId, position->Latitude, position->Longitude, position->Height};
            }
            if (s->AntennaHeight) antennaHeight = *s->AntennaHeight;
        } else if (const auto d = DecodeDescriptors(frame)) {
            stationId = d->StationId;
            if (d->AntennaDescriptor) descriptor = d->AntennaDescriptor;
            if (n == 1033 && d->SetupId) setupId = *d->SetupId;
            if (d->AntennaSerial) antennaSerial = d->AntennaSerial;
            if (d->ReceiverType) receiverType = d->ReceiverType;
            if (d->ReceiverFirmware) firmware = d->ReceiverFirmware;
            if (d->ReceiverSerial) receiverSerial = d->ReceiverSerial;
        }
    }

    out.push_back("ANTENNA REFERENCE POINT (ARP)");
    out.push_back(dashes(29));
    if (stationId >= 1) out.push_back("Station ID: " + std::to_string(stationId));
    if (itrf >= 1) out.push_back("ITRF Realization: " + std::to_string(2000 + itrf));
    if (const std::string systems = bands({{gpsStation, "GPS"}, {glonassStation, "GLONASS"}, {galileoStation, "Galileo"}});
        !systems.empty())
        out.push_back("Station Systems: " + systems);
    if (referenceIndicator && !*referenceIndicator) out.push_back("Reference Station: Physical (not virtual)");

    if (position) {
        out.push_back("");
        out.push_back("ECEF Coordinates:");
        out.push_back("  X: " + formatFixed(x, 4) + " m");
        out.push_back("  Y: " + formatFixed(y, 4) + " m");
        out.push_back("  Z: " + formatFixed(z, 4) + " m");
        out.push_back("");
        out.push_back("Geographic Coordinates (WGS84):");
        out.push_back("  Latitude:  " + formatFixed(position->Latitude, 8) + " deg");
        out.push_back("  Longitude: " + formatFixed(position->Longitude, 8) + " deg");
        out.push_back("  Altitude:  " + formatFixed(position->Height, 3) + " m");
    }
    if (antennaHeight > 0) {
        out.push_back("");
        out.push_back("Antenna Height (ARP to marker): " + formatFixed(antennaHeight, 4) + " m");
    }
    if (descriptor || antennaSerial) {
        out.push_back("");
        out.push_back("ANTENNA DESCRIPTOR");
        out.push_back(dashes(18));
        if (descriptor) out.push_back("Antenna Type: " + *descriptor);
        if (antennaSerial) out.push_back("Antenna Serial: " + *antennaSerial);
        if (setupId >= 1) out.push_back("Setup ID: " + std::to_string(setupId));
    }
    if (receiverType || firmware || receiverSerial) {
        out.push_back("");
        out.push_back("RECEIVER & ANTENNA DESCRIPTORS");
        out.push_back(dashes(30));
        if (receiverType) out.push_back("Receiver Type: " + *receiverType);
        if (firmware) out.push_back("Receiver Firmware: " + *firmware);
        if (receiverSerial) out.push_back("Receiver Serial: " + *receiverSerial);
    }
    if (signals.any()) {
        out.push_back("");
        out.push_back("SIGNALS AVAILABLE");
        out.push_back(dashes(17));
        if (signals.gps) out.push_back("GPS: " + bands({{signals.l1, "L1"}, {signals.l2, "L2"}, {signals.l5, "L5"}}));
        if (signals.glonass) out.push_back("GLONASS: " + bands({{signals.g1, "G1"}, {signals.g2, "G2"}}));
        if (signals.galileo) out.push_back("Galileo: E1 E5");
        if (signals.beidou) out.push_back("BeiDou: B1 B2");
        if (signals.qzss) out.push_back("QZSS");
        if (signals.sbas) out.push_back("SBAS");
        if (signals.navic) out.push_back("NavIC/IRNSS");
    }
    if (position && in.Vessel) {
        const RtcmReportVessel& v = *in.Vessel;
        out.push_back("");
        out.push_back("VESSEL POSITION (sent to VRS)");
        out.push_back(dashes(29));
        out.push_back("  Latitude:  " + formatFixed(v.Latitude, 8) + " deg");
        out.push_back("  Longitude: " + formatFixed(v.Longitude, 8) + " deg");
        out.push_back("  Altitude:  " + formatFixed(v.Height, 1) + " m");
        out.push_back(std::string("  Manual Position: ") + (v.ManualPosition ? "Yes" : "No"));
        out.push_back("  GGA Lat: " + FormatNmeaAngle(v.Latitude, 2) + (v.Latitude >= 0 ? " N" : " S"));
        out.push_back("  GGA Lon: " + FormatNmeaAngle(v.Longitude, 3) + (v.Longitude >= 0 ? " E" : " W"));
        if (v.Latitude != 0 || v.Longitude != 0) {
            const double d = HaversineDistance(v.Latitude, v.Longitude, position->Latitude, position->Longitude);
            out.push_back("");
            out.push_back("DISTANCE TO BASE STATION");
            out.push_back(dashes(24));
            out.push_back("");
            out.push_back("Distance to Base: " + (d < 1000 ? formatFixed(d, 1) + " m" : formatFixed(d / 1000, 2) + " km"));
            out.push_back("Bearing to Base: " +
                          formatFixed(InitialBearing(v.Latitude, v.Longitude, position->Latitude, position->Longitude), 1) +
                          " deg");
            if (d > 35000) {
                out.push_back("");
                out.push_back("WARNING: Distance > 35 km - RTK accuracy may be degraded!");
            } else if (d > 20000) {
                out.push_back("");
                out.push_back("NOTE: Distance > 20 km - Consider using closer base station");
            }
        } else {
            out.push_back("");
            out.push_back("(Vessel position not available - cannot calculate distance)");
        }
    }
    out.push_back("");
    out.push_back("RTCM MESSAGES RECEIVED");
    out.push_back(dashes(22));
    for (const auto& [number, count] : report.Counts)
        out.push_back("  " + std::to_string(number) + " - " + RtcmMessageName(number) + " (x" + std::to_string(count) + ")");
    out.push_back("");
    out.push_back(std::string(48, '='));
    out.push_back("Total: " + std::to_string(report.Total) + " RTCM messages parsed");
    return report;
}

std::string BaseStationText(const RtcmBaseStation& b)
{
    return "#" + std::to_string(b.StationId) + ": " + formatFixed(b.Latitude, 8) + ", " + formatFixed(b.Longitude, 8) + ", " +
           formatFixed(b.Height, 2) + "m";
}

} // namespace vsx
