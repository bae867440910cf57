#pragma once
// The settings of a small survey for the end-to-end tests: the GNSS receiver on COM5 and the
// echosounder (NMEA DPT) on COM6, both logging raw lines and polled every 10 ms, plain WGS-84 on
// UTM zone 36, and the echosounder offsets (draft 0.5 m, 1485 m/s, tide 0.3 m).
#include "platform/IniFile.h"

#include <string>
#include <utility>

namespace vsx::test {

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
    const std::pair<const char*, const char*> geodetic[] = {
        {"SemiMajorAxis", "6378137"}, {"InverseFlattening", "298.257223563"}, {"Scale_PPM", "0"},
        {"X_Rotation", "0"},          {"Y_Rotation", "0"},                    {"Z_Rotation", "0"},
        {"X_Shift", "0"},             {"Y_Shift", "0"},                       {"Z_Shift", "0"},
        {"Central_Meridian", "33"},   {"Reference_Latitude", "0"},            {"Scale_Factor", "0.9996"},
        {"False_Easting", "500000"},  {"False_Northing", "0"}};
    for (const auto& [key, value] : geodetic) ini.writeString("GEODETIC_PARAMETERS", key, value);
    const char* o = "ECHOSOUNDER_OFFSETS";
    ini.writeString(o, "Offset A", "0.5");
    ini.writeString(o, "Offset B", "2.0");
    ini.writeString(o, "Offset C", "1.5");
    ini.writeString(o, "SV", "1485");
    ini.writeString(o, "Tide Height", "0.3");
}

} // namespace vsx::test
