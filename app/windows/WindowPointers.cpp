#include "app/windows/WindowPointers.h"

namespace vsx {

MainWindow* FNav = nullptr;
NavigationSettingsWindow* Navset = nullptr;
VesselGeometryWindow* FShape = nullptr;
DeviceSettingsWindow* FGPS = nullptr;
RealtimeDataWindow* fRealtime = nullptr;
MessageWindow* FMsg = nullptr;
OffsetsWindow* Offsets = nullptr;
AboutWindow* formAbout = nullptr;
SoundVelocityWindow* fSVP = nullptr;
RunlineGeneratorWindow* fRunline1 = nullptr;
LatencyWindow* fLatency = nullptr;
WaterfallWindow* fWaterfal = nullptr;
ThemeWindow* fTheme = nullptr;
BatteryWindow* fJoystick = nullptr;
SoundVelocityGraphWindow* fSVPGraph = nullptr;
NtripWindow* frmNTRIPSettings = nullptr;
RtcmReportWindow* fRTCMParsing = nullptr;
TranslationEditorWindow* fTranslationEditor = nullptr;

} // namespace vsx
