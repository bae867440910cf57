#include "input/DeviceSettingsTargets.h"

namespace vsx {

ReceiverPortTarget* GnssReceiverTarget = nullptr;
ReceiverPortTarget* SounderReceiverTarget = nullptr;
CanvasDisplayTarget* MapCanvasTarget = nullptr;
ScreenshotTimerTarget* ScreenshotTimer = nullptr;
LowFrequencyDepthBoxTarget* LowFrequencyDepthBox = nullptr;
RunningSurveyTarget* RunningSurvey = nullptr;
std::function<std::vector<std::string>()> SerialPortLister;
std::function<VesselSizeDefaults()> OwnVesselSizes;
bool MonitorEchoEnabled = true;

std::vector<std::string> ListOpenableSerialPorts()
{
    if (!SerialPortLister) return {};
    return SerialPortLister();
}

VesselSizeDefaults NewVesselSizeDefaults()
{
    if (!OwnVesselSizes) return {};
    return OwnVesselSizes();
}

} // namespace vsx
