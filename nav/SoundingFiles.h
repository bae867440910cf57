#pragma once
// The day's sounding files: the survey coordinates CSV (18 columns, header when the file is new)
// and the simple XYZ file. Each record is appended and flushed on its own, so nothing written is
// lost when the program stops.
#include "platform/Clock.h"

#include <optional>
#include <string>

namespace vsx {

struct SoundingRecord {
    LocalDateTime time;
    // No value: the sounding had no current position (or no grid position); the field is
    // written empty, so the record keeps its 18 columns and never shows a position it did not have.
    std::optional<double> latitude, longitude;
    std::optional<double> easting, northing;
    double manualTide = 0;
    double trueHi = 0, trueLo = 0;
    double rawHi = 0, rawLo = 0;
    std::string messageType;
    double soundVelocity = 1500;
    double draft = 0;
    int fixQuality = 0;
    double rtkAntennaHeight = 0;
    double rtkTide = 0;
};

inline constexpr const char* kSurveyCsvHeader =
    "Date,Lat,Lon,Easting,Northing,Elevation (Hi),Elevation (Lo),True Depth (Hi),True Depth (Lo),Raw Depth (Hi),"
    "Raw Depth (Lo),Message Format,Sound Velocity,Transducer Draft,GPS, RTK Antenna Height,Manual Tide,RTK Tide";
inline constexpr const char* kSimpleXyzHeader = "Easting,Northing,Elevation";

// One CSV record without its line end.
std::string FormatSoundingRecord(const SoundingRecord& r);

struct CsvAppendResult {
    bool written = false;
    std::string fileName;     // the file that took the record (an alternative name while the main one is held)
    bool headerWritten = false;
    std::string error;        // why the record was not written (the survey file's reason)
};

// Appends a record to the survey CSV `fileName`, making its folder first when it is missing.
// While another program holds the file for itself, "<stem>_N<ext>" for N = 1..99 are tried in
// turn; for any other failure the record is lost (`error` says why) and no other file is made.
// A record goes in whole or not at all.
CsvAppendResult AppendSurveyCsvRecord(const std::string& fileName, const SoundingRecord& r);

// Appends "E,N,Z" to the simple XYZ file (header when new), whole or not at all. False when it
// cannot be written; `error` then holds the system's reason.
bool AppendSimpleXyzRecord(const std::string& fileName, double easting, double northing, double elevation,
                           std::string* error = nullptr);

} // namespace vsx
