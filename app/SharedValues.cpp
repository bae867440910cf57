#include "app/SharedValues.h"

#include "app/Settings.h"
#include "platform/Paths.h"

namespace vsx {

namespace {
// The values a start begins with, where they are not empty.
const char* const kForwardUdpIp = "127.0.0.1";
const char* const kForwardSerialPort = "COM1";
constexpr int kEventLabelFontSize = 24;
constexpr ColorValue kEventLabelColor = clRed;
constexpr int kOverlayFontSize = 40;
constexpr ColorValue kOverlayDepthColor = 0x800000;
constexpr ColorValue kOverlaySpeedColor = 0;
} // namespace

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
std::string ForwardUdpIp = kForwardUdpIp;
std::string ForwardSerialPort = kForwardSerialPort;

std::vector<VesselSensor> VesselSensors;
bool ShowSensorLabels = true;
int ActiveTrackingSensor = -1;
std::vector<MultiVesselEntry> ExtraVessels;
std::vector<AppendFilePtr> SensorLogFiles;

int EventLabelFontSize = kEventLabelFontSize;
ColorValue EventLabelColor = kEventLabelColor;

int OverlayFontSize = kOverlayFontSize;
ColorValue OverlayDepthColor = kOverlayDepthColor;
ColorValue OverlaySpeedColor = kOverlaySpeedColor;

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

void ResetSharedValues()
{
    EllipsoidParameters.clear();
    ProjectionParameters.clear();
    MessageText.clear();
    CsvHeaderText.clear();
    CommandLineProjectFile.clear();
    ForwardUdpIp = kForwardUdpIp;
    ForwardSerialPort = kForwardSerialPort;
    VesselSensors.clear();
    ShowSensorLabels = true;
    ActiveTrackingSensor = -1;
    ExtraVessels.clear();
    SensorLogFiles.clear();
    EventLabelFontSize = kEventLabelFontSize;
    EventLabelColor = kEventLabelColor;
    OverlayFontSize = kOverlayFontSize;
    OverlayDepthColor = kOverlayDepthColor;
    OverlaySpeedColor = kOverlaySpeedColor;
}

} // namespace vsx
