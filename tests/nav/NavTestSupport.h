#pragma once
// Shared pieces of the navigation tests: an NMEA sentence builder with checksums, UDP sinks on
// the loopback address, and PROJ's cct as an independent oracle for grid coordinates.
#include "geo/GeoTestSupport.h"
#include "nav/ProjectionSnapshot.h"
#include "nav/SyntheticGga.h"
#include "platform/Clock.h"
#include "platform/IniFile.h"
#include "platform/Prompts.h"
#include "platform/UdpSocket.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace vsx::test {

// Puts a test's clock in for the program while it lives, then the real one back.
struct ClockGuard {
    explicit ClockGuard(Clock& c) { setClock(&c); }
    ~ClockGuard() { setClock(nullptr); }
    ClockGuard(const ClockGuard&) = delete;
    ClockGuard& operator=(const ClockGuard&) = delete;
};

// The same for the prompt service: the program's questions go to the test's recorder.
struct PromptsGuard {
    explicit PromptsGuard(PromptService& p) { setPrompts(&p); }
    ~PromptsGuard() { setPrompts(nullptr); }
    PromptsGuard(const PromptsGuard&) = delete;
    PromptsGuard& operator=(const PromptsGuard&) = delete;
};

// Waits until `timer` has fired `n` more times (its handlers have run by then).
inline bool waitForTicks(QTimer* timer, int n, int ms = 10000)
{
    QSignalSpy ticks(timer, &QTimer::timeout);
    return QTest::qWaitFor([&] { return ticks.count() >= n; }, ms);
}

// The main GNSS receiver's port group: `port` at 9600 baud, 10 ms delay.
inline void writeGnssPort(IniFile& ini, const char* port)
{
    const char* s = "GPS1 COMUNICATION SETTINGS";
    ini.writeString(s, "Port No", port);
    ini.writeString(s, "Baud Rate", "9600");
    ini.writeString(s, "Delay", "10");
}

// WGS-84 on UTM zone 36 north in [GEODETIC_PARAMETERS], as the device settings window stores it.
inline void writeUtm36Settings(IniFile& ini)
{
    const std::pair<const char*, const char*> geodetic[] = {
        {"SemiMajorAxis", "6378137"}, {"InverseFlattening", "298.257223563"}, {"Scale_PPM", "0"},
        {"X_Rotation", "0"},          {"Y_Rotation", "0"},                    {"Z_Rotation", "0"},
        {"X_Shift", "0"},             {"Y_Shift", "0"},                       {"Z_Shift", "0"},
        {"Central_Meridian", "33"},   {"Reference_Latitude", "0"},            {"Scale_Factor", "0.9996"},
        {"False_Easting", "500000"},  {"False_Northing", "0"}};
    for (const auto& [key, value] : geodetic) ini.writeString("GEODETIC_PARAMETERS", key, value);
}

// A survey set-up: the GNSS receiver on COM5 and an NMEA DPT echosounder on COM6 (both logged),
// UTM zone 36 on WGS-84, draft 0.5 m, sound velocity 1485 m/s, tide 0.3 m.
inline void writeSurveySettings(const std::string& iniPath)
{
    IniFile ini(iniPath);
    for (const auto& [section, port] : {std::pair {"GPS1 COMUNICATION SETTINGS", "COM5"},
                                        std::pair {"SENSOR COMUNICATION SETTINGS", "COM6"}}) {
        ini.writeString(section, "Port No", port);
        ini.writeString(section, "Baud Rate", "9600");
        ini.writeString(section, "Delay", "10");
        ini.writeString(section, "NMEA LOG", "True");
        ini.writeString(section, "Log Time", "False");
    }
    ini.writeBool("SENSOR COMUNICATION SETTINGS", "Sensor Enabled", true);
    ini.writeString("SENSOR COMUNICATION SETTINGS", "cSBESMessage", "NMEA DPT");
    ini.writeString("SENSOR COMUNICATION SETTINGS", "eSBESFormat", "%*6s,%lf");
    writeUtm36Settings(ini);
    const char* o = "ECHOSOUNDER_OFFSETS";
    ini.writeString(o, "Offset A", "0.5");
    ini.writeString(o, "Offset B", "2.0");
    ini.writeString(o, "Offset C", "1.5");
    ini.writeString(o, "SV", "1485");
    ini.writeString(o, "Tide Height", "0.3");
}

// Plain WGS-84 on UTM zone 36 north (central meridian 33° E).
inline GeodeticTexts utm36()
{
    GeodeticTexts t;
    t.localDatum = "6378137.0 0.0033528106647474 0 0 0 0 0 0 0";
    t.localEllipsoid = "6378137.0 0.0033528106647474";
    t.projection = "33 0 0.9996 500000 0";
    return t;
}

// The grid position of a WGS-84 position on utm36(), by the program's own conversion.
inline std::optional<GridFix> utm36Grid(double lat, double lon)
{
    const auto snapshot = ProjectionSnapshot::take(utm36());
    return snapshot ? snapshot->toGrid(lat, lon, 0, GridProjection::TransverseMercator) : std::nullopt;
}

// The map's first view: `half` metres every way around (e, n).
inline void writeMapView(IniFile& ini, double e, double n, double half)
{
    ini.writeFloat("CANVAS", "PlanWorldLeft", e - half);
    ini.writeFloat("CANVAS", "PlanWorldRight", e + half);
    ini.writeFloat("CANVAS", "PlanWorldTop", n + half);
    ini.writeFloat("CANVAS", "PlanWorldBottom", n - half);
}

// PROJ: WGS-84 to the grid of a datum on the international ellipsoid with all seven parameters
// (coordinate frame), transverse Mercator on 27° E.
inline const char* kLocalGridPipeline =
    "+proj=pipeline +step +proj=axisswap +order=2,1 +step +proj=unitconvert +xy_in=deg +xy_out=rad "
    "+step +proj=cart +ellps=WGS84 "
    "+step +inv +proj=helmert +x=-84.1 +y=-101.8 +z=-129.7 +rx=0.5 +ry=-0.3 +rz=1.1 +s=-1.2 "
    "+convention=coordinate_frame +exact "
    "+step +inv +proj=cart +a=6378388 +rf=297 "
    "+step +proj=tmerc +lon_0=27 +lat_0=0 +k=0.9996 +x_0=500000 +y_0=0 +a=6378388 +rf=297";

// The device settings' datum and grid of kLocalGridPipeline.
inline void writeLocalGridSettings(IniFile& ini)
{
    const std::pair<const char*, const char*> geodetic[] = {
        {"SemiMajorAxis", "6378388"}, {"InverseFlattening", "297"}, {"Scale_PPM", "-1.2"},
        {"X_Rotation", "0.5"},        {"Y_Rotation", "-0.3"},       {"Z_Rotation", "1.1"},
        {"X_Shift", "-84.1"},         {"Y_Shift", "-101.8"},        {"Z_Shift", "-129.7"},
        {"Central_Meridian", "27"},   {"Reference_Latitude", "0"},  {"Scale_Factor", "0.9996"},
        {"False_Easting", "500000"},  {"False_Northing", "0"}};
    for (const auto& [key, value] : geodetic) ini.writeString("GEODETIC_PARAMETERS", key, value);
}

// A UDP port nothing listens on now.
inline int freeUdpPort()
{
    for (int port = 30000 + (::getpid() % 1500) * 13; port < 65000; port += 101) {
        UdpListener probe;
        if (probe.start(port) == UdpListener::StartResult::Listening) return port;
    }
    return 0;
}

// The records of a CSV file (header left out), each cut into its fields.
inline std::vector<std::vector<std::string>> csvRecords(const std::string& text)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    std::string line;
    bool header = true;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (header || line.empty()) {
            header = false;
            continue;
        }
        std::vector<std::string> fields;
        size_t from = 0;
        for (size_t comma; (comma = line.find(',', from)) != std::string::npos; from = comma + 1)
            fields.push_back(line.substr(from, comma - from));
        fields.push_back(line.substr(from));
        rows.push_back(fields);
    }
    return rows;
}

// "$" + body + "*hh".
inline std::string sentence(const std::string& body) { return "$" + body + "*" + NmeaChecksumText(body); }

// ddmm.mmmmmmmm / dddmm.mmmmmmmm with the hemisphere letter.
inline std::string nmeaAngle(double v, int degreeDigits, char pos, char neg)
{
    const double a = std::fabs(v);
    const int d = int(a);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%0*d%011.8f,%c", degreeDigits, d, (a - d) * 60.0, v >= 0 ? pos : neg);
    return buf;
}

inline std::string gga(const std::string& time, double lat, double lon, int quality, double altitude = 45.5,
                       double geoid = 20.1)
{
    char tail[96];
    std::snprintf(tail, sizeof tail, ",%d,12,0.8,%.3f,M,%.3f,M,,", quality, altitude, geoid);
    return sentence("GPGGA," + time + "," + nmeaAngle(lat, 2, 'N', 'S') + "," + nmeaAngle(lon, 3, 'E', 'W') + tail);
}

inline std::string rmc(const std::string& time, double lat, double lon, double knots, double course)
{
    char tail[96];
    std::snprintf(tail, sizeof tail, ",%.2f,%.2f,101226,,,A", knots, course);
    return sentence("GPRMC," + time + ",A," + nmeaAngle(lat, 2, 'N', 'S') + "," + nmeaAngle(lon, 3, 'E', 'W') + tail);
}

inline std::string vtg(double course, double knots)
{
    char body[96];
    std::snprintf(body, sizeof body, "GPVTG,%.2f,T,,M,%.2f,N,%.2f,K,A", course, knots, knots * 1.852);
    return sentence(body);
}

inline std::string hdt(double heading)
{
    char body[48];
    std::snprintf(body, sizeof body, "GPHDT,%.2f,T", heading);
    return sentence(body);
}

// `count` listeners on consecutive loopback ports; base() is the first.
class UdpSinks {
public:
    explicit UdpSinks(int count)
    {
        for (int base = 20000 + (::getpid() % 2000) * 11; base < 65000; base += 97) {
            sinks_.clear();
            bool ok = true;
            for (int i = 0; i < count && ok; ++i) {
                auto l = std::make_unique<UdpListener>();
                ok = l->start(base + i) == UdpListener::StartResult::Listening;
                sinks_.push_back(std::move(l));
            }
            if (ok) {
                base_ = base;
                return;
            }
        }
    }
    int base() const { return base_; }
    // Datagrams waiting on sink i.
    std::vector<std::string> take(int i)
    {
        std::vector<std::string> out;
        std::string d;
        while (sinks_[size_t(i)]->receive(d)) out.push_back(d);
        return out;
    }

private:
    std::vector<std::unique_ptr<UdpListener>> sinks_;
    int base_ = 0;
};

// Runs PROJ's cct with `pipeline` on the input lines; the numbers of each output line.
inline std::vector<std::vector<double>> runCct(const std::string& pipeline, const std::string& input)
{
    // A file of this call's own: tests run in parallel processes, each with its own input.
    std::string in = ::testing::TempDir() + "cct-input-XXXXXX";
    const int fd = ::mkstemp(in.data());
    if (fd < 0) return {};
    if (FILE* f = ::fdopen(fd, "w")) {
        std::fputs(input.c_str(), f);
        std::fclose(f);
    } else {
        ::close(fd);
    }
    std::vector<std::vector<double>> rows;
    FILE* p = ::popen(("cct -d 6 " + pipeline + " < '" + in + "' 2>/dev/null").c_str(), "r");
    if (!p) {
        std::remove(in.c_str());
        return rows;
    }
    char line[512];
    while (std::fgets(line, sizeof line, p)) {
        std::vector<double> row;
        char* s = line;
        char* end = nullptr;
        for (double v = std::strtod(s, &end); end != s; v = std::strtod(s, &end)) {
            row.push_back(v);
            s = end;
        }
        if (!row.empty()) rows.push_back(row);
    }
    ::pclose(p);
    std::remove(in.c_str());
    return rows;
}

inline bool haveCct() { return std::system("cct --version >/dev/null 2>&1") == 0; }

} // namespace vsx::test
