#pragma once
// The values of the device settings window, the rules that tie them together and how they are
// kept in the settings file: the two receiver port groups, the echosounder switch and message
// type, the gyro switch, the datum and projection parameters and the map display settings.
//
// The window binds its controls to one of these; other windows read it through the typed
// accessors (deviceSettings()), which keep the last valid value of every number and name.
#include "input/DisplayValues.h"
#include "input/GeodesyInForce.h"
#include "input/LastValidNumber.h"
#include "input/ReceiverPortSettings.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace vsx {

// Why a scan format cannot read depths (an empty message when it can): a conversion the
// interpreter does not support, or no number read at all. The message holds "%1" where the
// interpreter's own reason goes, so that it can be shown in the interface's language.
struct ScanFormatTrouble {
    std::string message;
    std::string reason;
};
ScanFormatTrouble ScanFormatProblem(std::string_view format);

class IniFile;

// The datum and projection edits, in the order they are loaded and saved.
enum class GeodeticField {
    SemiMajorAxis,
    InverseFlattening,  // captioned "Flattening": either f or 1/f is accepted, see flattening()
    XRotation,
    YRotation,
    ZRotation,
    XShift,
    YShift,
    ZShift,
    ScalePpm,
    CentralMeridian,
    ReferenceLatitude,
    ScaleFactor,
    FalseEasting,
    FalseNorthing,
    LccStandardParallel1,
    LccStandardParallel2,
    LccScaleFactor,
    LccCentralParallel,
    LccCentralMeridian,
    LccFalseEasting,
    LccFalseNorthing,
};
inline constexpr int kGeodeticFieldCount = 21;

struct GeodeticFieldInfo {
    std::string_view key;      // in [GEODETIC_PARAMETERS]
    std::string_view control;  // the edit's name
    std::string_view caption;  // the edit's label
};
const GeodeticFieldInfo& geodeticFieldInfo(GeodeticField f);

// The hand-edited switch [LOCK SETTINGS] "Settings Locked (true/false)" as read at creation.
enum class HiddenLockSwitch { NotSet, Locked, Unlocked };

// Section and key names as stored (the spelling is the file's).
inline constexpr std::string_view kLockSection = "LOCK SETTINGS";
inline constexpr std::string_view kLockKey = "Lock Settings";
inline constexpr std::string_view kHiddenLockKey = "Settings Locked (true/false)";
inline constexpr std::string_view kGnssPortSection = "GPS1 COMUNICATION SETTINGS";
inline constexpr std::string_view kSounderPortSection = "SENSOR COMUNICATION SETTINGS";
inline constexpr std::string_view kPortNoKey = "Port No";
inline constexpr std::string_view kGeodeticSection = "GEODETIC_PARAMETERS";

class DeviceSettings {
public:
    DeviceSettings();

    // ---- Port groups --------------------------------------------------------------------
    const PortGroupTexts& gnssPort() const { return gnssPort_; }
    const PortGroupTexts& sounderPort() const { return sounderPort_; }
    void setGnssPort(const PortGroupTexts& texts);
    void setSounderPort(const PortGroupTexts& texts);
    // The last port name that was not empty ("" until one was given).
    const std::string& gnssPortName() const { return gnssPortName_; }
    const std::string& sounderPortName() const { return sounderPortName_; }

    // ---- Echosounder ----------------------------------------------------------------------
    bool sensorEnabled() const { return sensorEnabled_; }
    void setSensorEnabled(bool on) { sensorEnabled_ = on; }
    // The type text as shown.
    const std::string& sounderMessageText() const { return sounderMessageText_; }
    // The last text that named a type of the table (the default type until then).
    const std::string& sounderMessageType() const { return sounderMessageType_; }
    void setSounderMessageText(std::string_view text);
    // The format as shown and stored.
    const std::string& sounderScanFormat() const { return sounderScanFormat_; }
    // The last format that compiles and reads at least one number: what the depth handler should
    // scan with, so a half-typed format never reaches it.
    const std::string& validSounderScanFormat() const { return validScanFormat_; }
    void setSounderScanFormat(std::string_view format);
    // A type chosen by the user: on a text of the table the format becomes that type's
    // ("OTHER" empties it). Returns false, changing nothing, for any other text.
    bool chooseSounderMessageType(std::string_view text);

    // ---- Gyro -----------------------------------------------------------------------------
    bool gyroEnabled() const { return gyroEnabled_; }
    void setGyroEnabled(bool on) { gyroEnabled_ = on; }

    // ---- Datum and projection -------------------------------------------------------------
    const LastValidNumber& geodetic(GeodeticField f) const { return geodetic_[size_t(f)]; }
    void setGeodeticText(GeodeticField f, std::string_view text) { geodetic_[size_t(f)].set(text); }
    const std::string& datumName() const { return datumName_; }
    void setDatumName(std::string_view name) { datumName_ = std::string(name); }
    bool useDtp() const { return useDtp_; }
    void setUseDtp(bool on) { useDtp_ = on; }
    // Exactly one of the two projections is selected: changing one sets the other to the
    // opposite.
    bool useTmProjection() const { return useTm_; }
    bool useLccProjection() const { return useLcc_; }
    void setUseTmProjection(bool on);
    void setUseLccProjection(bool on);
    bool lambert1() const { return lambert1_; }  // the one-standard-parallel form
    void setLambert1(bool on) { lambert1_ = on; }

    // The local ellipsoid's flattening f from the "Flattening" field: the field is stored as
    // InverseFlattening and typed either way, so a value above 1 is taken as 1/f.
    double flattening() const;
    // The flattening as text for the coordinate text interface (shortest exact decimal).
    std::string flatteningText() const;
    // The texts the coordinate conversions are given, from the last valid values:
    // semi-major axis, flattening, scale (ppm), three rotations, three shifts;
    std::string localDatumText() const;
    // semi-major axis and flattening;
    std::string localEllipsoidText() const;
    // central meridian, reference latitude, scale factor, false easting, false northing.
    std::string projectionText() const;
    // The datum and the selected projection named with the values the conversions use (the last
    // valid ones): "<name> (a=.., 1/f=.., DX=.., DY=.., DZ=.., RX=.., RY=.., RZ=.., PPM=..)" and
    // "TM (CM=.., RefLat=.., SF=.., FE=.., FN=..)", "LCC (SP1=.., SP2=.., CP=.., CM=.., FE=..,
    // FN=..)" or "LCC 1 (CP=.., CM=.., SF=.., FE=.., FN=..)" for the one-parallel form.
    GeodesyInForce geodesyInForce() const;
    // Captions of the fields whose text is neither empty nor a number.
    std::vector<std::string> invalidGeodeticFields() const;

    // ---- Map display ----------------------------------------------------------------------
    DisplaySettings& display() { return display_; }
    const DisplaySettings& display() const { return display_; }

    // ---- Settings file --------------------------------------------------------------------
    // Reads the port groups, the echosounder, the gyro and the datum and projection keys, in
    // the order the window loads them. A missing key keeps the design value, except the two
    // port names (empty until a port is chosen) and an echosounder format, which follows the
    // stored type.
    void loadDeviceSections(const IniFile& ini);
    // Reads [GRID_SETTINGS], [DEPTH_LABEL_SETTINGS], [EVENT_LABEL_SETTINGS], [OVERLAY_SETTINGS].
    void loadDisplaySections(const IniFile& ini);
    // Writes the port groups, the echosounder, the gyro and [GEODETIC_PARAMETERS] in the order
    // of loading, with the key padding the file has always had.
    void saveDeviceSections(IniFile& ini) const;
    // Writes the display sections, and [SCREENSHOT] when `withScreenshot`.
    void saveDisplaySections(IniFile& ini, bool withScreenshot) const;
    // The seven lines of the events-log summary written when the settings are locked.
    std::vector<std::string> summaryLines() const;

    static bool readLockSettings(const IniFile& ini);
    static void writeLockSettings(IniFile& ini, bool locked);
    static HiddenLockSwitch readHiddenLockSwitch(const IniFile& ini);
    // The stored echosounder port name.
    static std::string readStoredSounderPort(const IniFile& ini);
    // The stored screenshot interval in seconds (60 when there is none).
    static int readStoredScreenshotInterval(const IniFile& ini);

private:
    PortGroupTexts gnssPort_, sounderPort_;
    std::string gnssPortName_, sounderPortName_;
    bool sensorEnabled_ = true;
    std::string sounderMessageText_;
    std::string sounderMessageType_;
    std::string sounderScanFormat_;
    std::string validScanFormat_;
    bool gyroEnabled_ = false;
    std::array<LastValidNumber, kGeodeticFieldCount> geodetic_;
    std::string datumName_;
    bool useDtp_ = true;
    bool useTm_ = true;
    bool useLcc_ = false;
    bool lambert1_ = false;
    DisplaySettings display_;
};

// The settings other windows read: those of the device settings window while it exists, the
// design values before.
const DeviceSettings& deviceSettings();
// The device settings window registers its values (null when it goes).
void setCurrentDeviceSettings(const DeviceSettings* settings);

// "Name" followed by blanks up to `width` characters, as the port keys are written.
std::string paddedKey(std::string_view name, size_t width);

} // namespace vsx
