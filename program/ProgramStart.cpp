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
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "platform/Prompts.h"
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
#include <optional>

namespace vsx {

namespace {

// The damaged settings file kept at this start, until it is reported.
std::optional<DamagedIniFile> g_damagedSettings;

const char* damageText(IniDamage damage)
{
    switch (damage) {
    case IniDamage::NotText: return "line %1 holds bytes that are not text";
    case IniDamage::NotIniLine: return "line %1 is neither a section, a key=value line, a comment nor blank";
    case IniDamage::CutOff: return "its last line has no line end: the file was cut off";
    case IniDamage::None: break;
    }
    return "";
}

// Tells the user over the main window, and the events log in English.
void ReportDamagedSettingsFile()
{
    if (!g_damagedSettings) return;
    const DamagedIniFile d = std::move(*g_damagedSettings);
    g_damagedSettings.reset();
    const QString line = QString::number(d.check.line);
    const char* damage = damageText(d.check.damage);
    const QString path = QString::fromStdString(GetIniFileName());
    const char* message =
        d.copyPath.empty()
            ? "The settings file %1 could not be read whole (%2), and no copy of it could be made (%3). The settings "
              "that could not be read are at their defaults."
            : "The settings file %1 could not be read whole (%2). It was kept as %3; the settings that could not be "
              "read are at their defaults.";
    const QString third = QString::fromStdString(d.copyPath.empty() ? d.error : d.copyPath);
    // The events log first: it holds the news even while the message waits for its OK.
    makeFolders(LogFolder);
    AppendEventLine(fillArgs(message, {path, fillArgs(damage, {line}), third}).toStdString(), EventsLogFileName());
    prompts().message(translatedArgs(message, {path, translatedArgs(damage, {line}), third}), QString(),
                      PromptKind::Warning, FNav);
}

} // namespace

void KeepDamagedSettingsFile()
{
    const LocalDateTime now = localNow();
    if (auto kept = keepDamagedIniFile(GetIniFileName(), formatDate(now) + " " + formatTimeCompact(now)))
        g_damagedSettings = std::move(kept);
}

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
    KeepDamagedSettingsFile();
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
    ReportDamagedSettingsFile();
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
    // Before the first read, so every reader sees the lines that can be read and nothing else.
    KeepDamagedSettingsFile();
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
