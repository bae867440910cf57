#pragma once
// What the survey set-up windows ask of the main window and of its map. The main window installs
// its own host with setSurveyHost(); until then (and in tests) a host that does nothing answers,
// so every caller may use surveyHost() without checking for null.
#include "app/MainWindowHost.h"
#include "platform/Colour.h"

#include <string>

class QLineEdit;
class QString;
class QTimer;

namespace vsx {

class TVeldorCanvas;

class SurveyHost : public MainWindowHost {
public:
    // Project drawing: the main window's auto-save.
    virtual void AutoSave() {}
    // Real-time acquisition: the state of the real-time button and a click on it.
    virtual bool RealtimeRunning() const { return false; }
    virtual void PressRealtime() {}

    // Map canvas (its background and repaint come from MainWindowHost). The layer calls return
    // false when the canvas or the layer does not exist.
    virtual TVeldorCanvas* MapCanvas() const { return nullptr; }
    virtual bool SetLayerColor(const std::string& /*layer*/, ColorValue) { return false; }
    virtual bool SetLayerWidth(const std::string& /*layer*/, int) { return false; }
    virtual void SetMapRefreshInterval(int /*milliseconds*/) {}
    virtual void ZoomIn() {}
    virtual void ZoomOut() {}

    // The bare full-screen map: hides (true) or shows (false) the main window's toolbars, its
    // real-time panel, its border and its menu.
    virtual void SetBareLayout(bool /*bare*/) {}
    // True while the echosounder receiver is connected and the echogram timer runs.
    virtual bool EchogramRunning() const { return false; }
    // The main window's echogram timer, whose interval the waterfall window sets; null when none.
    virtual QTimer* EchogramTimer() const { return nullptr; }
    // A message on the main window's status bar for the given time.
    virtual void ShowStatusMessage(const QString& /*text*/, int /*milliseconds*/) {}
    // The main GNSS receiver's raw log file name; empty when it has none.
    virtual std::string MainRawLogFileName() const { return {}; }
    // Lets the device settings window show or hide the real-time window's low-frequency depth
    // box for the configured echosounder message type, leaving its scan format untouched.
    virtual void ApplySounderMessageType() {}
    // The sound-velocity window's "use profile" choice.
    virtual bool SoundVelocityProfileInUse() const { return false; }

    // On-screen keypad and keyboard typing into the given edit.
    virtual void ShowNumericKeypad(QLineEdit*) {}
    virtual void ShowSimpleKeyboard(QLineEdit*) {}
};

// The installed host, or one that does nothing. The caller of setSurveyHost keeps ownership;
// setSurveyHost(nullptr) removes it.
SurveyHost& surveyHost();
void setSurveyHost(SurveyHost* host);

// Names of the map layers these windows change.
inline constexpr const char* kVesselLayer = "~~Veldor Vessel";
inline constexpr const char* kTrackLayers[] = {"track_fix", "track_float", "track_nofix"};

} // namespace vsx
