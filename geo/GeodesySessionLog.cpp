#include "geo/GeodesySessionLog.h"

#include "platform/AppendFile.h"
#include "platform/IniFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vsx {

namespace {

constexpr const char* kSection = "GEODETIC_PARAMETERS";
constexpr const char* kEol = "\r\n";

const char* yesNo(bool v) { return v ? "Yes" : "No"; }

bool fail(std::string* error, const std::string& what)
{
    if (error) *error = what + ": " + std::strerror(errno);
    return false;
}

} // namespace

GeodesySettings readGeodesySettings(const std::string& iniPath)
{
    const IniFile ini(iniPath);
    auto text = [&](const char* key) { return ini.readString(kSection, key, ""); };
    auto flag = [&](const char* key) { return ini.readBool(kSection, key, false); };
    GeodesySettings s;
    s.semiMajorAxis = text("SemiMajorAxis");
    s.inverseFlattening = text("InverseFlattening");
    s.nameOfDatum = text("Name of Datum");
    s.useDtp = flag("Use DTP");
    s.xRotation = text("X_Rotation");
    s.yRotation = text("Y_Rotation");
    s.zRotation = text("Z_Rotation");
    s.xShift = text("X_Shift");
    s.yShift = text("Y_Shift");
    s.zShift = text("Z_Shift");
    s.scalePpm = text("Scale_PPM");
    s.useTransverseMercator = flag("Use Projection");
    s.centralMeridian = text("Central_Meridian");
    s.referenceLatitude = text("Reference_Latitude");
    s.scaleFactor = text("Scale_Factor");
    s.falseEasting = text("False_Easting");
    s.falseNorthing = text("False_Northing");
    s.useLambert = flag("cbUseLCCProjection");
    s.lccSp1 = text("eLCCSP1");
    s.lccSp2 = text("eLCCSP2");
    s.lccCp = text("eLCCCP");
    s.lccCm = text("eLCCM");
    s.lccFe = text("eLCCFE");
    s.lccFn = text("eLCCFN");
    return s;
}

std::string geodesyLogFileName(const std::string& logFolder, const LocalDateTime& now)
{
    std::string name = logFolder;
    if (!name.empty() && name.back() != '/') name += '/';
    return name + formatDate(now) + " Geodesy.txt";
}

std::string geodesyLogTitle(const LocalDateTime& now)
{
    return "GEODETIC PARAMETERS LOG - " + formatDate(now) + kEol + std::string(40, '=') + kEol + kEol;
}

std::string geodesySessionBlock(const GeodesySettings& s, const LocalDateTime& now)
{
    std::string b;
    auto line = [&](const std::string& text) { b += text + kEol; };
    line("=== SESSION START: " + formatTimeCompact(now) + " ===");
    line("");
    line("--- ELLIPSOID ---");
    line("Semi-Major Axis: " + s.semiMajorAxis);
    line("Inverse Flattening: " + s.inverseFlattening);
    line("");
    line("--- DATUM TRANSFORMATION ---");
    line("Name of Datum: " + s.nameOfDatum);
    line(std::string("Use DTP: ") + yesNo(s.useDtp));
    line("X/Y/Z Rotation: " + s.xRotation + ", " + s.yRotation + ", " + s.zRotation);
    line("X/Y/Z Shift: " + s.xShift + ", " + s.yShift + ", " + s.zShift);
    line("Scale PPM: " + s.scalePpm);
    line("");
    line("--- TRANSVERSE MERCATOR ---");
    line(std::string("Use TM: ") + yesNo(s.useTransverseMercator));
    line("CM: " + s.centralMeridian + ", Ref Lat: " + s.referenceLatitude + ", SF: " + s.scaleFactor);
    line("FE: " + s.falseEasting + ", FN: " + s.falseNorthing);
    line("");
    line("--- LAMBERT CONFORMAL CONIC ---");
    line(std::string("Use LCC: ") + yesNo(s.useLambert));
    line("SP1: " + s.lccSp1 + ", SP2: " + s.lccSp2);
    line("CP: " + s.lccCp + ", CM: " + s.lccCm);
    line("FE: " + s.lccFe + ", FN: " + s.lccFn);
    line("");
    line(std::string(40, '-'));
    line("");
    return b;
}

bool appendGeodesySessionLog(const std::string& logFolder, const GeodesySettings& settings, const Clock& clock,
                             std::string* error)
{
    const LocalDateTime now = toLocal(clock.now());
    const std::string path = geodesyLogFileName(logFolder, now);
    const int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return fail(error, "cannot open " + path);
    std::string bytes;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return fail(error, "cannot read " + path);
    }
    if (st.st_size == 0) bytes = geodesyLogTitle(now);
    bytes += geodesySessionBlock(settings, now);
    // The block goes in whole or not at all, on a line of its own.
    const int written = appendWhole(fd, bytes);
    if (written != 0) errno = written;
    bool ok = written == 0 && ::fsync(fd) == 0;
    int saved = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    errno = saved;
    if (!ok) return fail(error, "cannot write " + path);
    return true;
}

bool WriteGeodesySessionLog(const std::string& iniPath, const std::string& logFolder, const Clock& clock,
                            std::string* error)
{
    return appendGeodesySessionLog(logFolder, readGeodesySettings(iniPath), clock, error);
}

} // namespace vsx
