#include "program/ProgramStart.h"

#include "app/ErrorReport.h"
#include "app/ProgramRestart.h"
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/Translated.h"
#include "app/windows/MessageWindow.h"
#include "app/windows/ThemeWindow.h"
#include "app/windows/AboutWindow.h"
#include "app/windows/WindowPointers.h"
#include "input/DeviceSettingsTargets.h"
#include "input/SerialReceiverPortTarget.h"
#include "input/windows/DeviceSettingsWindow.h"
#include "input/windows/RtcmReportWindow.h"
#include "input/windows/NtripWindow.h"
#include "nav/windows/MainWindow.h"
#include "platform/IniFile.h"
#include "platform/Locale.h"
#include "platform/Numbers.h"
#include "platform/StyleManager.h"
#include "tools/windows/VesselGeometryWindow.h"
#include "tools/windows/NavigationSettingsWindow.h"
#include "tools/windows/OffsetsWindow.h"
#include "tools/windows/BatteryWindow.h"
#include "tools/windows/LatencyWindow.h"
#include "tools/windows/RealtimeDataWindow.h"
#include "tools/windows/RunlineGeneratorWindow.h"
#include "tools/windows/SoundVelocityWindow.h"
#include "tools/windows/SoundVelocityGraphWindow.h"
#include "tools/windows/WaterfallWindow.h"

#include <exception>

namespace vsx {

StartupSettings ReadStartupSettings()
{
    StartupSettings s;
    IniFile ini(GetIniFileName());
    s.themeStyle = QString::fromStdString(ini.readString("APPLICATION", "ThemeStyle", "Light"));
    s.overlayFontSize = strToIntDef(ini.readString("OVERLAY_SETTINGS", "FontSize", "40"), 40);
    s.overlayDepthColor = ini.readInteger("OVERLAY_SETTINGS", "DepthColor", 0x800000);
    s.overlaySpeedColor = ini.readInteger("OVERLAY_SETTINGS", "SpeedColor", 0);
    return s;
}

void ApplyStyle(const QString& name)
{
    if (name == kPlatformStyleName) return;
    if (!StyleManager::setStyle(name)) ReportError(translatedArgs("Style '%1' not found", {name}));
}

namespace {
template <class W>
void create(W*& pointer)
{
    pointer = new W();
}
template <class W>
void destroy(W*& pointer)
{
    W* w = pointer;
    pointer = nullptr;
    delete w;
}
} // namespace

void CreateAllWindows()
{
    // The device settings window lists the serial ports that can be opened now.
    SerialPortLister = EnumerateProgramSerialPorts;
    // A further vessel's empty sizes take those of the vessel geometry window.
    OwnVesselSizes = [] {
        VesselSizeDefaults d;
        if (FShape) {
            const VesselSymbolSizes s = FShape->symbolSizes();
            d.runlineSpacing = FShape->runlineSpacing();
            d.bowArrow = s.bowArrow;
            d.sideOffset = s.sideArrow;
            d.firstRadius = s.radius;
            d.circleInterval = s.interval;
            d.circleCount = s.circles;
        }
        return d;
    };
    create(FNav);
    FNav->show();
    create(Navset);
    Navset->show();
    create(FShape);
    create(FGPS);
    create(fRealtime);
    create(FMsg);
    create(Offsets);
    create(formAbout);
    create(fSVP);
    create(fRunline1);
    create(fLatency);
    create(fWaterfal);
    create(fTheme);
    create(fJoystick);
    fJoystick->show();
    create(fSVPGraph);
    create(frmNTRIPSettings);
    create(fRTCMParsing);
}

std::vector<QWidget*> AllWindows()
{
    return {FNav, Navset, FShape, FGPS, fRealtime, FMsg, Offsets, formAbout, fSVP,
            fRunline1, fLatency, fWaterfal, fTheme, fJoystick, fSVPGraph, frmNTRIPSettings, fRTCMParsing};
}

void DestroyAllWindows()
{
    destroy(fRTCMParsing);
    destroy(frmNTRIPSettings);
    destroy(fSVPGraph);
    destroy(fJoystick);
    destroy(fTheme);
    destroy(fWaterfal);
    destroy(fLatency);
    destroy(fRunline1);
    destroy(fSVP);
    destroy(formAbout);
    destroy(Offsets);
    destroy(FMsg);
    destroy(fRealtime);
    destroy(FGPS);
    destroy(FShape);
    destroy(Navset);
    destroy(FNav);
    SerialPortLister = nullptr;
    OwnVesselSizes = nullptr;
    // Nothing of this run is left behind for a later start in the same process.
    ForgetWindowFrames();
    ResetSharedValues();
}

int RunProgram(int argc, char** argv)
{
    const StartupSettings settings = ReadStartupSettings();
    OverlayFontSize = settings.overlayFontSize;
    OverlayDepthColor = settings.overlayDepthColor;
    OverlaySpeedColor = settings.overlaySpeedColor;

    VsxApplication app(argc, argv);
    pinNumericLocale();
    InitSharedValues();
    int code = 0;
    try {
        ApplyStyle(settings.themeStyle);
        QApplication::setApplicationName(QStringLiteral("Veldor SX"));
        QApplication::setApplicationDisplayName(QStringLiteral("Veldor SX"));
        // Only the main window's close ends the program; tool windows may still be open then.
        QApplication::setQuitOnLastWindowClosed(false);
        CreateAllWindows();
        code = QApplication::exec();
    } catch (const std::exception& e) {
        ReportError(QString::fromUtf8(e.what()));
        code = 1;
    } catch (...) {
        ReportError(QString());
        code = 1;
    }
    DestroyAllWindows();
    StartRequestedRestart(QCoreApplication::applicationFilePath().toStdString());
    return code;
}

} // namespace vsx
