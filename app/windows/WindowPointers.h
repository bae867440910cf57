#pragma once
// One process-wide pointer per long-lived window, named after the window's object name. Each is
// null until its window is made and cleared before the window is destroyed.
namespace vsx {

class MainWindow;
class NavigationSettingsWindow;
class VesselGeometryWindow;
class DeviceSettingsWindow;
class RealtimeDataWindow;
class MessageWindow;
class OffsetsWindow;
class AboutWindow;
class SoundVelocityWindow;
class RunlineGeneratorWindow;
class LatencyWindow;
class WaterfallWindow;
class ThemeWindow;
class BatteryWindow;
class SoundVelocityGraphWindow;
class NtripWindow;
class RtcmReportWindow;
class TranslationEditorWindow;

extern MainWindow* FNav;
extern NavigationSettingsWindow* Navset;
extern VesselGeometryWindow* FShape;
extern DeviceSettingsWindow* FGPS;
extern RealtimeDataWindow* fRealtime;
extern MessageWindow* FMsg;
extern OffsetsWindow* Offsets;
extern AboutWindow* formAbout;
extern SoundVelocityWindow* fSVP;
extern RunlineGeneratorWindow* fRunline1;
extern LatencyWindow* fLatency;
extern WaterfallWindow* fWaterfal;
extern ThemeWindow* fTheme;
extern BatteryWindow* fJoystick;
extern SoundVelocityGraphWindow* fSVPGraph;
extern NtripWindow* frmNTRIPSettings;
extern RtcmReportWindow* fRTCMParsing;
// Made by the main window on first use.
extern TranslationEditorWindow* fTranslationEditor;

} // namespace vsx
