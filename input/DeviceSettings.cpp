#include "input/DeviceSettings.h"

#include "input/SounderMessageType.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "platform/ScanFormat.h"
#include "platform/Text.h"

#include <charconv>

namespace vsx {
namespace {

// The seven datum values carry the local datum into WGS-84 (rotations in arc-seconds, shifts in
// metres, scale in parts per million; see geo/Datum.h): their captions say the units.
constexpr GeodeticFieldInfo kGeodeticFields[kGeodeticFieldCount] = {
    {"SemiMajorAxis", "edSMA", "Semi Major Axis"},
    {"InverseFlattening", "edIF", "Flattening"},
    {"X_Rotation", "edRX", "X Rotation (arc-sec)"},
    {"Y_Rotation", "edRY", "Y Rotation (arc-sec)"},
    {"Z_Rotation", "edRZ", "Z Rotation (arc-sec)"},
    {"X_Shift", "edSX", "X Shift (m)"},
    {"Y_Shift", "edSY", "Y Shift (m)"},
    {"Z_Shift", "edSZ", "Z Shift (m)"},
    {"Scale_PPM", "edPPM", "Scale (ppm)"},
    {"Central_Meridian", "edCM", "Central Meridian"},
    {"Reference_Latitude", "edRL", "Reference Latitude"},
    {"Scale_Factor", "edSF", "Scale Factor"},
    {"False_Easting", "edFE", "False Easting"},
    {"False_Northing", "edFN", "False Northing"},
    {"eLCCSP1", "eLCCSP1", "Standard Parallel 1"},
    {"eLCCSP2", "eLCCSP2", "Standard Parallel 2"},
    {"eLCCSF", "eLCCSF", "Scale Factor"},
    {"eLCCCP", "eLCCCP", "Central Parallel"},
    {"eLCCM", "eLCCM", "Central Meridian"},
    {"eLCCFE", "eLCCFE", "False Easting"},
    {"eLCCFN", "eLCCFN", "False Northing"},
};
constexpr int kFirstLccField = int(GeodeticField::LccStandardParallel1);

// Key names of a port group in stored order, and the widths they are padded to.
constexpr std::string_view kPortKeys[11] = {"Port No",  "Baud Rate", "Data Width", "Stop Bits",  "Parity",    "Priority",
                                            "Delay",    "NMEA LOG",  "Log Time",   "Enable DTR", "Enable RTS"};
constexpr size_t kPortKeyWidth = 15;
constexpr size_t kSounderPortNoWidth = 16;

constexpr std::string_view kSensorEnabledKey = "Sensor Enabled";
constexpr size_t kSensorEnabledWidth = 19;
constexpr std::string_view kMessageKey = "cSBESMessage";
constexpr std::string_view kFormatKey = "eSBESFormat";
constexpr std::string_view kGyroSection = "GYRO";
constexpr std::string_view kGyroKey = "Gyro Enabled";
constexpr size_t kGyroWidth = 17;

// A missing port name stays empty; the other keys keep the design texts.
void loadPortGroup(const IniFile& ini, std::string_view section, PortGroupTexts& group)
{
    const PortGroupTexts design;
    auto fields = group.fields();
    auto defaults = design.fields();
    for (size_t i = 0; i < fields.size(); ++i) *fields[i] = ini.readString(section, kPortKeys[i], *defaults[i]);
}

void savePortGroup(IniFile& ini, std::string_view section, const PortGroupTexts& group, size_t portNoWidth)
{
    auto fields = group.fields();
    for (size_t i = 0; i < fields.size(); ++i)
        ini.writeString(section, paddedKey(kPortKeys[i], i == 0 ? portNoWidth : kPortKeyWidth), *fields[i]);
}

const char* yesNo(bool b) { return b ? "Yes" : "No"; }

std::string shortestFixed(double v)
{
    char buf[64];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    return ec == std::errc() ? std::string(buf, p) : formatGeneral(v);
}

const DeviceSettings* currentSettings = nullptr;

} // namespace

const GeodeticFieldInfo& geodeticFieldInfo(GeodeticField f) { return kGeodeticFields[size_t(f)]; }

std::string paddedKey(std::string_view name, size_t width)
{
    std::string k(name);
    if (k.size() < width) k.append(width - k.size(), ' ');
    return k;
}

DeviceSettings::DeviceSettings()
    : sounderMessageText_(kDefaultSounderMessageType),
      sounderMessageType_(kDefaultSounderMessageType),
      sounderScanFormat_(defaultSounderScanFormat()),
      validScanFormat_(defaultSounderScanFormat())
{
}

ScanFormatTrouble ScanFormatProblem(std::string_view format)
{
    std::string error;
    const std::optional<ScanFormat> compiled = ScanFormat::compile(format, &error);
    if (!compiled) return {"This scan format cannot be used: %1", error};
    if (compiled->numericConversions() == 0) return {"This scan format reads no number (use %lf for the depth)", {}};
    return {};
}

void DeviceSettings::setSounderScanFormat(std::string_view format)
{
    sounderScanFormat_ = std::string(format);
    const std::optional<ScanFormat> compiled = ScanFormat::compile(format);
    if (compiled && compiled->numericConversions() > 0) validScanFormat_ = sounderScanFormat_;
}

void DeviceSettings::setGnssPort(const PortGroupTexts& texts)
{
    gnssPort_ = texts;
    if (!trimView(texts.port).empty()) gnssPortName_ = trim(texts.port);
}

void DeviceSettings::setSounderPort(const PortGroupTexts& texts)
{
    sounderPort_ = texts;
    if (!trimView(texts.port).empty()) sounderPortName_ = trim(texts.port);
}

void DeviceSettings::setSounderMessageText(std::string_view text)
{
    sounderMessageText_ = std::string(text);
    if (findSounderMessageType(text)) sounderMessageType_ = std::string(text);
}

bool DeviceSettings::chooseSounderMessageType(std::string_view text)
{
    const SounderMessageType* type = findSounderMessageType(text);
    if (!type) return false;
    setSounderMessageText(text);
    setSounderScanFormat(type->scanFormat);
    return true;
}

void DeviceSettings::setUseTmProjection(bool on)
{
    useTm_ = on;
    useLcc_ = !on;
}

void DeviceSettings::setUseLccProjection(bool on)
{
    useLcc_ = on;
    useTm_ = !on;
}

double DeviceSettings::flattening() const
{
    const double v = geodetic(GeodeticField::InverseFlattening).value();
    return v > 1.0 ? 1.0 / v : v;
}

std::string DeviceSettings::flatteningText() const
{
    const LastValidNumber& f = geodetic(GeodeticField::InverseFlattening);
    if (f.hasValue() && f.value() > 1.0) return shortestFixed(1.0 / f.value());
    return f.validText();
}

std::string DeviceSettings::localDatumText() const
{
    using G = GeodeticField;
    std::string t = geodetic(G::SemiMajorAxis).validText() + " " + flatteningText();
    for (G f : {G::ScalePpm, G::XRotation, G::YRotation, G::ZRotation, G::XShift, G::YShift, G::ZShift})
        t += " " + geodetic(f).validText();
    return t;
}

std::string DeviceSettings::localEllipsoidText() const
{
    return geodetic(GeodeticField::SemiMajorAxis).validText() + " " + flatteningText();
}

std::string DeviceSettings::projectionText() const
{
    using G = GeodeticField;
    std::string t;
    for (G f : {G::CentralMeridian, G::ReferenceLatitude, G::ScaleFactor, G::FalseEasting, G::FalseNorthing}) {
        if (!t.empty()) t += ' ';
        t += geodetic(f).validText();
    }
    return t;
}

GeodesyInForce DeviceSettings::geodesyInForce() const
{
    using G = GeodeticField;
    // "(label=value, ...)" with the values the conversions use.
    auto list = [this](std::initializer_list<std::pair<const char*, G>> fields) {
        std::string t;
        for (const auto& [label, f] : fields)
            t += std::string(t.empty() ? "" : ", ") + label + "=" + geodetic(f).validText();
        return "(" + t + ")";
    };
    const char* flattening = geodetic(G::InverseFlattening).value() > 1.0 ? "1/f" : "f";
    GeodesyInForce g;
    g.datum = (datumName_.empty() ? std::string("unnamed") : datumName_) + " " +
              list({{"a", G::SemiMajorAxis}, {flattening, G::InverseFlattening}, {"DX", G::XShift},
                    {"DY", G::YShift}, {"DZ", G::ZShift}, {"RX", G::XRotation}, {"RY", G::YRotation},
                    {"RZ", G::ZRotation}, {"PPM", G::ScalePpm}});
    if (!useLcc_)
        g.projection = "TM " + list({{"CM", G::CentralMeridian}, {"RefLat", G::ReferenceLatitude},
                                     {"SF", G::ScaleFactor}, {"FE", G::FalseEasting}, {"FN", G::FalseNorthing}});
    else if (lambert1_)
        g.projection = "LCC 1 " + list({{"CP", G::LccCentralParallel}, {"CM", G::LccCentralMeridian},
                                        {"SF", G::LccScaleFactor}, {"FE", G::LccFalseEasting},
                                        {"FN", G::LccFalseNorthing}});
    else  // the two-parallel form has no scale factor of its own
        g.projection = "LCC " + list({{"SP1", G::LccStandardParallel1}, {"SP2", G::LccStandardParallel2},
                                      {"CP", G::LccCentralParallel}, {"CM", G::LccCentralMeridian},
                                      {"FE", G::LccFalseEasting}, {"FN", G::LccFalseNorthing}});
    return g;
}

std::vector<std::string> DeviceSettings::invalidGeodeticFields() const
{
    std::vector<std::string> bad;
    for (int i = 0; i < kGeodeticFieldCount; ++i) {
        const std::string& text = geodetic_[size_t(i)].text();
        if (!trimView(text).empty() && !parseDouble(text))
            bad.push_back(std::string(i >= kFirstLccField ? "LCC " : "") + std::string(kGeodeticFields[i].caption));
    }
    return bad;
}

void DeviceSettings::loadDeviceSections(const IniFile& ini)
{
    PortGroupTexts g;
    loadPortGroup(ini, kGnssPortSection, g);
    setGnssPort(g);
    PortGroupTexts s;
    loadPortGroup(ini, kSounderPortSection, s);
    setSounderPort(s);
    sensorEnabled_ = ini.readBool(kSounderPortSection, kSensorEnabledKey, true);
    setSounderMessageText(ini.readString(kSounderPortSection, kMessageKey, kDefaultSounderMessageType));
    // Without a stored format the type's own format is the one that reads its lines.
    setSounderScanFormat(ini.readString(kSounderPortSection, kFormatKey, scanFormatForSounderType(sounderMessageText_)));
    gyroEnabled_ = ini.readBool(kGyroSection, kGyroKey, true);

    for (int i = 0; i < kFirstLccField; ++i)
        geodetic_[size_t(i)].set(ini.readString(kGeodeticSection, kGeodeticFields[i].key, geodetic_[size_t(i)].text()));
    // Loading a box behaves like clicking it: a changed projection box sets the other one.
    const bool tm = ini.readBool(kGeodeticSection, "Use Projection", useTm_);
    if (tm != useTm_) setUseTmProjection(tm);
    useDtp_ = ini.readBool(kGeodeticSection, "Use DTP", useDtp_);
    datumName_ = ini.readString(kGeodeticSection, "Name of Datum", "");
    for (int i = kFirstLccField; i < kGeodeticFieldCount; ++i)
        geodetic_[size_t(i)].set(ini.readString(kGeodeticSection, kGeodeticFields[i].key, geodetic_[size_t(i)].text()));
    const bool lcc = ini.readBool(kGeodeticSection, "cbUseLCCProjection", useLcc_);
    if (lcc != useLcc_) setUseLccProjection(lcc);
    lambert1_ = ini.readBool(kGeodeticSection, "cLambert1", lambert1_);
}

void DeviceSettings::loadDisplaySections(const IniFile& ini)
{
    DisplaySettings& d = display_;
    d.gridVisible = ini.readBool("GRID_SETTINGS", "GridVisible", true);
    d.autoGrid = ini.readBool("GRID_SETTINGS", "AutoGrid", false);
    d.gridSpacingX = ini.readString("GRID_SETTINGS", "GridSpacingX", "100");
    d.gridSpacingY = ini.readString("GRID_SETTINGS", "GridSpacingY", "100");
    d.gridColor = ini.readInteger("GRID_SETTINGS", "GridColor", clSilver);
    d.showDepthLabels = ini.readBool("DEPTH_LABEL_SETTINGS", "ShowDepthLabels", true);
    d.labelSpacing = ini.readString("DEPTH_LABEL_SETTINGS", "LabelSpacing", "10");
    d.labelFontName = ini.readString("DEPTH_LABEL_SETTINGS", "FontName", "Arial");
    d.labelFontSize = ini.readString("DEPTH_LABEL_SETTINGS", "FontSize", "12");
    d.labelColor = ini.readInteger("DEPTH_LABEL_SETTINGS", "TextColor", clBlack);
    d.eventFontSize = ini.readString("EVENT_LABEL_SETTINGS", "FontSize", "24");
    d.eventColor = ini.readInteger("EVENT_LABEL_SETTINGS", "TextColor", clRed);
    d.overlayFontSize = ini.readString("OVERLAY_SETTINGS", "FontSize", "40");
    d.overlayDepthColor = ini.readInteger("OVERLAY_SETTINGS", "DepthColor", clNavy);
    d.overlaySpeedColor = ini.readInteger("OVERLAY_SETTINGS", "SpeedColor", clBlack);
}

void DeviceSettings::saveDeviceSections(IniFile& ini) const
{
    savePortGroup(ini, kGnssPortSection, gnssPort_, kPortKeyWidth);
    savePortGroup(ini, kSounderPortSection, sounderPort_, kSounderPortNoWidth);
    ini.writeBool(kSounderPortSection, paddedKey(kSensorEnabledKey, kSensorEnabledWidth), sensorEnabled_);
    ini.writeString(kSounderPortSection, kMessageKey, sounderMessageText_);
    ini.writeString(kSounderPortSection, kFormatKey, sounderScanFormat_);
    ini.writeBool(kGyroSection, paddedKey(kGyroKey, kGyroWidth), gyroEnabled_);

    for (int i = 0; i < kFirstLccField; ++i)
        ini.writeString(kGeodeticSection, kGeodeticFields[i].key, geodetic_[size_t(i)].text());
    ini.writeBool(kGeodeticSection, "Use Projection", useTm_);
    ini.writeBool(kGeodeticSection, "Use DTP", useDtp_);
    ini.writeString(kGeodeticSection, "Name of Datum", datumName_);
    for (int i = kFirstLccField; i < kGeodeticFieldCount; ++i)
        ini.writeString(kGeodeticSection, kGeodeticFields[i].key, geodetic_[size_t(i)].text());
    ini.writeBool(kGeodeticSection, "cbUseLCCProjection", useLcc_);
    ini.writeBool(kGeodeticSection, "cLambert1", lambert1_);
}

void DeviceSettings::saveDisplaySections(IniFile& ini, bool withScreenshot) const
{
    const DisplaySettings& d = display_;
    ini.writeBool("GRID_SETTINGS", "GridVisible", d.gridVisible);
    ini.writeBool("GRID_SETTINGS", "AutoGrid", d.autoGrid);
    ini.writeString("GRID_SETTINGS", "GridSpacingX", d.gridSpacingX);
    ini.writeString("GRID_SETTINGS", "GridSpacingY", d.gridSpacingY);
    ini.writeInteger("GRID_SETTINGS", "GridColor", d.gridColor);
    ini.writeBool("DEPTH_LABEL_SETTINGS", "ShowDepthLabels", d.showDepthLabels);
    ini.writeString("DEPTH_LABEL_SETTINGS", "LabelSpacing", d.labelSpacing);
    ini.writeString("DEPTH_LABEL_SETTINGS", "FontName", d.labelFontName);
    ini.writeString("DEPTH_LABEL_SETTINGS", "FontSize", d.labelFontSize);
    ini.writeInteger("DEPTH_LABEL_SETTINGS", "TextColor", d.labelColor);
    ini.writeString("EVENT_LABEL_SETTINGS", "FontSize", d.eventFontSize);
    ini.writeInteger("EVENT_LABEL_SETTINGS", "TextColor", d.eventColor);
    ini.writeString("OVERLAY_SETTINGS", "FontSize", d.overlayFontSize);
    ini.writeInteger("OVERLAY_SETTINGS", "DepthColor", d.overlayDepthColor);
    ini.writeInteger("OVERLAY_SETTINGS", "SpeedColor", d.overlaySpeedColor);
    if (withScreenshot) ini.writeInteger("SCREENSHOT", "Interval", d.screenshotIntervalValue());
}

std::vector<std::string> DeviceSettings::summaryLines() const
{
    using G = GeodeticField;
    auto t = [this](G f) { return geodetic(f).text(); };
    return {
        "=== SETTINGS SAVED ===",
        "GPS: Port=" + gnssPort_.port + ", Baud=" + gnssPort_.baudRate,
        "Sensor: Port=" + sounderPort_.port + ", Baud=" + sounderPort_.baudRate + ", Enabled=" + yesNo(sensorEnabled_),
        "Datum: " + datumName_ + ", DTP=" + yesNo(useDtp_),
        "TM: CM=" + t(G::CentralMeridian) + ", RefLat=" + t(G::ReferenceLatitude) + ", SF=" + t(G::ScaleFactor) +
            ", FE=" + t(G::FalseEasting) + ", FN=" + t(G::FalseNorthing),
        std::string("LCC: ") + (useLcc_ ? "Enabled" : "Disabled") + ", SP1=" + t(G::LccStandardParallel1) +
            ", SP2=" + t(G::LccStandardParallel2),
        std::string(22, '='),
    };
}

bool DeviceSettings::readLockSettings(const IniFile& ini) { return ini.readBool(kLockSection, kLockKey, false); }

void DeviceSettings::writeLockSettings(IniFile& ini, bool locked) { ini.writeBool(kLockSection, kLockKey, locked); }

HiddenLockSwitch DeviceSettings::readHiddenLockSwitch(const IniFile& ini)
{
    const std::string v = ini.readString(kLockSection, kHiddenLockKey, "");
    if (v == "true") return HiddenLockSwitch::Locked;
    if (v == "false") return HiddenLockSwitch::Unlocked;
    return HiddenLockSwitch::NotSet;
}

std::string DeviceSettings::readStoredSounderPort(const IniFile& ini)
{
    return ini.readString(kSounderPortSection, kPortNoKey, "");
}

int DeviceSettings::readStoredScreenshotInterval(const IniFile& ini)
{
    return ini.readInteger("SCREENSHOT", "Interval", 60);
}

const DeviceSettings& deviceSettings()
{
    static const DeviceSettings designValues;
    return currentSettings ? *currentSettings : designValues;
}

void setCurrentDeviceSettings(const DeviceSettings* settings) { currentSettings = settings; }

} // namespace vsx
