#pragma once
// Names and records of the files a survey run keeps open from start to stop: one synthetic
// position log per vessel sensor, and a GNSS log and a coordinates file per extra vessel.
#include "platform/Clock.h"

#include <string>
#include <string_view>

namespace vsx {

// A user's name as part of a file name: path separators, characters other programs cannot take
// in a file name and control characters become '_', and the Windows-1254 text is written as
// UTF-8 for the file system. The text stays as it is everywhere else.
std::string SafeFileNamePart(std::string_view cp1254Name);

// LogFolder + date + "." + the first three letters of the name in upper case + ".log".
std::string SensorLogPath(const std::string& logFolder, const std::string& date, const std::string& sensorName);
// LogFolder + date + " " + Name + "_GNSS.log" and + " Coordinates.csv".
std::string ExtraVesselGnssLogName(const std::string& logFolder, const std::string& date, const std::string& name);
std::string ExtraVesselCoordinatesName(const std::string& logFolder, const std::string& date, const std::string& name);

inline constexpr const char* kExtraVesselCoordinatesHeader = "DateTime,Latitude,Longitude,Easting,Northing,FixStatus";
std::string ExtraVesselCoordinatesRecord(const LocalDateTime& t, double lat, double lon, double easting, double northing,
                                         int fix);
// "yyyy-mm-dd hh:nn:ss.zzz " + line.
std::string StampedLogLine(const LocalDateTime& t, std::string_view line);

} // namespace vsx
