#include "app/SharedValues.h"

#include "app/Settings.h"
#include "platform/Paths.h"

namespace vsx {

std::string DayFolder;
std::string ProjectFolder;
std::string LogFolder;
std::string XyzFolder;
std::string SvpFolder;
std::string TodayString;
std::string CoordinatesFileName;

std::string EllipsoidParameters;
std::string ProjectionParameters;
QString MessageText;
std::string CsvHeaderText;
std::string CommandLineProjectFile;
std::string ForwardUdpIp = "127.0.0.1";
std::string ForwardSerialPort = "COM1";

std::vector<VesselSensor> VesselSensors;
bool ShowSensorLabels = true;
int ActiveTrackingSensor = -1;
std::vector<MultiVesselEntry> ExtraVessels;
std::vector<AppendFilePtr> SensorLogFiles;

int EventLabelFontSize = 24;
ColorValue EventLabelColor = clRed;

int OverlayFontSize = 40;
ColorValue OverlayDepthColor = 0x800000;
ColorValue OverlaySpeedColor = 0;

void InitSharedValues()
{
    const std::string d = CurrentDateString();
    TodayString = d;
    DayFolder = dataRoot() + d + "/";
    ProjectFolder = DayFolder + "VLT/";
    LogFolder = DayFolder + "LOG/";
    XyzFolder = DayFolder + "XYZ/";
    SvpFolder = DayFolder + "SVP/";
    CoordinatesFileName = LogFolder + d + " Coordinates.csv";
}

} // namespace vsx
