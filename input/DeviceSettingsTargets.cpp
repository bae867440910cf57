#include "input/DeviceSettingsTargets.h"

namespace vsx {

ReceiverPortTarget* GnssReceiverTarget = nullptr;
ReceiverPortTarget* SounderReceiverTarget = nullptr;
CanvasDisplayTarget* MapCanvasTarget = nullptr;
ScreenshotTimerTarget* ScreenshotTimer = nullptr;
LowFrequencyDepthBoxTarget* LowFrequencyDepthBox = nullptr;
RunningSurveyTarget* RunningSurvey = nullptr;
std::function<std::vector<std::string>()> SerialPortLister;
bool MonitorEchoEnabled = true;

std::vector<std::string> ListOpenableSerialPorts()
{
    if (!SerialPortLister) return {};
    return SerialPortLister();
}

} // namespace vsx
