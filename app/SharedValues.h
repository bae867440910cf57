#pragma once
// Values the whole program shares. They exist once per process, are set up before the first
// window is made and are read and written on the interactive thread only.
#include "platform/AppendFile.h"
#include "platform/Colour.h"

#include <QString>
#include <string>
#include <vector>

namespace vsx {

// One sensor point on the vessel, relative to the GNSS antenna.
struct VesselSensor {
    std::string Name;
    double OffsetX = 0.0;  // metres across the vessel, starboard positive
    double OffsetY = 0.0;  // metres along the vessel, bow positive
    ColorValue Color = 0xFF0000;
    bool Visible = true;
    int MarkerSize = 6;
};

// One further vessel followed on a receiver of its own (vessel number = index + 2).
struct MultiVesselEntry {
    bool Enabled = false;
    std::string Name;
    ColorValue Color = 255;
    std::string Port;
    std::string BaudRate = "9600";
    // Run-time state, written by the main window only.
    double Latitude = 0, Longitude = 0, Height = 0;
    double Easting = 0, Northing = 0;
    double Heading = 0;
    int FixQuality = 0;
    bool HasPosition = false;
    double LastTrackEasting = 0, LastTrackNorthing = 0;
    bool HasLastTrackPoint = false;
    int SymbolLayerId = -1;
    int TrackLayerId = -1;
    long RejectedGga = 0;  // GGA sentences of this run refused for impossible values
    AppendFilePtr CoordinatesFile;
    AppendFilePtr RawLogFile;
    // Symbol sizes, as the own vessel's.
    double BArrow = 100.0;
    double LArrow = 10.0;
    double Radious = 10.0;
    double Interval = 10.0;
    int Amount = 2;
    double RunlineSpacing = 10.0;
};

// Dated data folders, fixed at the start date for the whole run; each ends in '/'.
extern std::string DayFolder;
extern std::string ProjectFolder;
extern std::string LogFolder;
extern std::string XyzFolder;
extern std::string SvpFolder;
extern std::string TodayString;
extern std::string CoordinatesFileName;

extern std::string EllipsoidParameters;
extern std::string ProjectionParameters;
extern QString MessageText;
extern std::string CsvHeaderText;
extern std::string CommandLineProjectFile;
extern std::string ForwardUdpIp;
extern std::string ForwardSerialPort;

extern std::vector<VesselSensor> VesselSensors;
extern bool ShowSensorLabels;
extern int ActiveTrackingSensor;
extern std::vector<MultiVesselEntry> ExtraVessels;
extern std::vector<AppendFilePtr> SensorLogFiles;

// Event-mark style of the map (the device settings window publishes it).
extern int EventLabelFontSize;
extern ColorValue EventLabelColor;

// Overlay values read at program start.
extern int OverlayFontSize;
extern ColorValue OverlayDepthColor;
extern ColorValue OverlaySpeedColor;

// Sets the folder values and TodayString from the current date (called once at start; tests
// call it again after changing HOME or the clock).
void InitSharedValues();
// Puts every value of a run back as it stood before the first window was made, so nothing of one
// run of the windows is left for the next (the windows' teardown calls it). The dated folders
// stay: every start works them out again (InitSharedValues).
void ResetSharedValues();

} // namespace vsx
