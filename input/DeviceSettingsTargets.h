#pragma once
// What the device settings window drives in other parts of the program, seen through small
// interfaces so the window needs none of them to exist: the two receivers its port groups are
// applied to, the map canvas its grid settings go to, the main window's screenshot timer, the
// real-time window's low-frequency depth box, the survey run, the list of serial ports present
// and the own vessel's symbol sizes.
//
// Every pointer is null until its owner binds it (and again before the owner goes); the window
// skips whatever is not bound. All of them are used on the interactive thread only.
#include "input/ExtraVesselSettings.h"
#include "input/GeodesyInForce.h"
#include "input/ReceiverPortSettings.h"
#include "platform/Colour.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vsx {

// A serial receiver as the port groups see it.
class ReceiverPortTarget {
public:
    virtual ~ReceiverPortTarget() = default;
    // Stores the settings for the next open; an open port stays as it is.
    virtual void applyPortSettings(const ReceiverPortSettings& settings) = 0;
    virtual void open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

// The main window's map canvas.
class CanvasDisplayTarget {
public:
    virtual ~CanvasDisplayTarget() = default;
    virtual void setGridShown(bool shown) = 0;
    // 0 for both lets the canvas choose its spacing.
    virtual void setGridSteps(double stepX, double stepY) = 0;
    virtual void setGridLineColor(ColorValue color) = 0;
    virtual void repaint() = 0;
};

// The main window's screenshot timer.
class ScreenshotTimerTarget {
public:
    virtual ~ScreenshotTimerTarget() = default;
    // Runs the timer every `seconds`; 0 stops it.
    virtual void setScreenshotInterval(int seconds) = 0;
};

// The real-time window's low-frequency depth box.
class LowFrequencyDepthBoxTarget {
public:
    virtual ~LowFrequencyDepthBoxTarget() = default;
    virtual void setLowFrequencyDepthBoxVisible(bool visible) = 0;
};

// The survey run, as far as the datum and projection go.
class RunningSurveyTarget {
public:
    virtual ~RunningSurveyTarget() = default;
    // The datum and projection the running survey's records are converted with (taken at its
    // start); nothing while no survey runs or while it has none it can use.
    virtual std::optional<GeodesyInForce> runGeodesy() const = 0;
};

extern ReceiverPortTarget* GnssReceiverTarget;     // the main window's GNSS receiver
extern ReceiverPortTarget* SounderReceiverTarget;  // the main window's echosounder receiver
extern CanvasDisplayTarget* MapCanvasTarget;
extern ScreenshotTimerTarget* ScreenshotTimer;
extern LowFrequencyDepthBoxTarget* LowFrequencyDepthBox;
extern RunningSurveyTarget* RunningSurvey;  // the main window's survey run

// The names ("COM" + number) of the serial ports that can be opened now, in ascending number;
// ports held open, by our receivers or by another program, are not among them.
extern std::function<std::vector<std::string>()> SerialPortLister;
// SerialPortLister's answer, or no ports when it is not bound.
std::vector<std::string> ListOpenableSerialPorts();

// The own vessel's symbol sizes (the vessel geometry window's), which a further vessel's empty
// sizes take.
extern std::function<VesselSizeDefaults()> OwnVesselSizes;
// OwnVesselSizes' answer, or the built-in sizes when it is not bound.
VesselSizeDefaults NewVesselSizeDefaults();

// The main window's monitor switch: received lines are echoed to the monitor boxes only while it
// is set. A mouse button held in either box clears it so the user can select text.
extern bool MonitorEchoEnabled;

} // namespace vsx
