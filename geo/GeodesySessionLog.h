#pragma once
// The geodesy session log: at each start of real-time acquisition one block with the geodetic
// parameters is appended to "<LOG folder><YYYY-MM-DD> Geodesy.txt", so a survey's positions can
// be traced to the ellipsoid, datum transformation and projection they were computed with.
//
// The file is 8-bit text with CR LF line ends; a new (or empty) file first gets a title. Values
// are copied byte for byte as stored, flags are written "Yes"/"No". The block is appended, never
// rewritten, so a failed write cannot lose the day's earlier sessions.
#include "platform/Clock.h"

#include <string>

namespace vsx {

// The [GEODETIC_PARAMETERS] values the log shows, as stored (absent keys: empty, flags: false).
struct GeodesySettings {
    std::string semiMajorAxis, inverseFlattening;
    std::string nameOfDatum;
    bool useDtp = false;
    std::string xRotation, yRotation, zRotation;
    std::string xShift, yShift, zShift;
    std::string scalePpm;
    bool useTransverseMercator = false;
    std::string centralMeridian, referenceLatitude, scaleFactor, falseEasting, falseNorthing;
    bool useLambert = false;
    std::string lccSp1, lccSp2, lccCp, lccCm, lccFe, lccFn;
};

// Reads the section from the settings file at iniPath (a missing file gives the empty values).
GeodesySettings readGeodesySettings(const std::string& iniPath);

// logFolder + "YYYY-MM-DD Geodesy.txt" (a '/' is put between when the folder lacks it).
std::string geodesyLogFileName(const std::string& logFolder, const LocalDateTime& now);
// The three title lines and the 26 lines of one session block, each ending in CR LF.
std::string geodesyLogTitle(const LocalDateTime& now);
std::string geodesySessionBlock(const GeodesySettings& settings, const LocalDateTime& now);

// Appends one block for `settings` to the day's log in logFolder, dated by `clock`. Returns false
// with a message in *error (when given) when the file cannot be opened or written; the caller
// reports it and carries on with the start.
bool appendGeodesySessionLog(const std::string& logFolder, const GeodesySettings& settings,
                             const Clock& clock = vsx::clock(), std::string* error = nullptr);

// The whole step: settings read from iniPath, block appended in logFolder.
// The main window calls it at each real-time start as
//     vsx::WriteGeodesySessionLog(GetIniFileName(), LogFolder, vsx::clock(), &error)
// and on false reports `error` (message window, events log) and goes on with the start.
bool WriteGeodesySessionLog(const std::string& iniPath, const std::string& logFolder,
                            const Clock& clock = vsx::clock(), std::string* error = nullptr);

} // namespace vsx
