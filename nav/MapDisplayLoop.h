#pragma once
// One tick of the main map: UDP input, the position on the grid, the vessel symbol, the track
// segments by fix quality, the followed view, the status texts and HUD values, depth labels, the
// further vessels and the loop's own run time. A receiver without a well-formed GGA for its
// no-data time is shown as silent (no fix, no position on the status bar), and depth labels are
// placed only while the position is current (the main receiver's published fix,
// input/ReceiverFix.h). It is the only writer of the vessel's grid position, grid convergence and
// grid heading in the real-time state.
//
// The windows it reads and writes are reached through MapLoopEnvironment; the drawing is a
// CanvasModel, so the loop runs without any window in tests and benchmarks.
#include "canvas/CanvasModel.h"
#include "input/ReceiverFix.h"
#include "nav/ExtraVesselTracker.h"
#include "nav/PositionAgeWatch.h"
#include "nav/ProjectionSnapshot.h"
#include "nav/RealtimeState.h"
#include "nav/TrackRecorder.h"
#include "nav/VesselSymbol.h"
#include "platform/Colour.h"

#include <chrono>
#include <optional>
#include <string>

namespace vsx {

inline constexpr const char* kTrackFixLayer = "track_fix";
inline constexpr const char* kTrackFloatLayer = "track_float";
inline constexpr const char* kTrackNoFixLayer = "track_nofix";
// The status line while the main receiver is silent: its last fix is not shown as current.
inline constexpr const char* kNoGnssDataText = "*** NO GNSS DATA ***";
// The status line after a GGA whose position fields are empty.
inline constexpr const char* kEmptyGgaText = "*** EMPTY GGA - NO POSITION ***";
// The status line while lines come but no fix is current as the records take it (none yet in this
// run, or the last one older than the records accept).
inline constexpr const char* kNoPositionText = "*** NO POSITION ***";

// What the loop reads from other windows at each tick.
struct MapTickInputs {
    GridProjection projection = GridProjection::TransverseMercator;
    bool gyroEnabled = false;
    double receiverCourse = 0;  // degrees
    int fixQuality = 0;
    int satellites = 0;
    // Without a well-formed GGA for this long the receiver counts as silent (its no-data time).
    std::chrono::milliseconds gnssNoDataTime{10000};
    bool sensorEnabled = false;
    std::string sounderMessageType;
    ColorValue vesselColor = clNavy;
    int vesselWidth = 3;
    ColorValue trackColorFixed = clGreen;
    ColorValue trackColorFloat = clYellow;
    int trackWidth = 3;
    double trackDistance = 20;
    bool trackAsLine = true;
    SymbolSizes symbol;
    bool offsetsVisible = false;
    bool latencyVisible = false;
    bool helmsmanVisible = false;
    bool lowDepthShown = false;
    std::string speedLabelText;  // the real-time window's speed (knots) as shown
};

class MapLoopEnvironment {
public:
    virtual ~MapLoopEnvironment() = default;
    // Takes in the lines that arrived over UDP (they go through the main receiver's line path).
    virtual void pollUdpInput() = 0;
    virtual MapTickInputs inputs() = 0;
    virtual const ProjectionSnapshot* snapshot() = 0;
    virtual void handPositionToNtrip(double latitude, double longitude, double altitude) = 0;
    // The real-time window's GNSS values. Without a current position (`positionCurrent` false)
    // its speed, satellites, antenna height and tide are not shown as values.
    virtual void showRealtimeValues(int fixQuality, const std::string& antennaHeight, const std::string& tide,
                                    int satellites, bool positionCurrent) = 0;
    // Status-bar panels 0 (latitude, longitude) and 1 (easting, northing).
    virtual void showStatusPosition(const std::string& geographic, const std::string& grid) = 0;
    // The receiver is silent: the status bar and the real-time window show it as without data.
    virtual void showGnssSilent() = 0;
    // Lines come but no position is current (none yet, or the last fix is too old for a record):
    // the status bar and the real-time window say there is no position.
    virtual void showNoPosition() {}
    // Positions came back after a gap of this length.
    virtual void positionsBack(std::chrono::milliseconds gap) { (void)gap; }
    virtual void setDepthHud(double depthHi, double depthLo, bool show) = 0;
    virtual void setHudValue(double speedKnots, bool show) = 0;
    virtual void mirrorTrackToHelmsman(const std::string& layer, ColorValue colour, int width, TrackPoint from,
                                       TrackPoint to, bool asLine) = 0;
    virtual void showLatency(long currentMs, double meanMs) = 0;
    virtual std::optional<double> extraVesselCourse(size_t index) = 0;
};

// "No Fix", "GPS", "DGPS", "RTK Fix", "RTK Float", else "Fix:" + the number.
std::string FixQualityText(int fixQuality);
// "d°m's.sss\"N, d°m's.sss\"E" (UTF-8), seconds rounded to 0.001" before the split.
std::string FormatDmsPosition(double latitude, double longitude);

class MapDisplayLoop {
public:
    // `gnss`: the main receiver's published fix, read at every tick.
    MapDisplayLoop(RealtimeState& state, const ReceiverFix& gnss, CanvasModel& canvas, MapLoopEnvironment& env);

    // The canvas layer of the own vessel's symbol ("~~Veldor Vessel"); -1 draws no symbol.
    void SetVesselLayer(int layerId) { vesselLayer_ = layerId; }

    void Tick();
    // Shows the receiver as silent now (the status line, the HUD's fix, no speed on the HUD, the
    // status bar), for when the loop stops because the receiver went idle or away.
    void ShowSilent();
    // Real time stopped: shown as silent, and the HUD shows no depth either.
    void ShowStopped();
    // A new run: its first fix is no return after a gap.
    void NewRun() { ageWatch_.Reset(); }

    // A new snapshot was taken: the next tick converts the position again.
    void ForgetConvertedPosition() { haveConverted_ = false; }
    TrackRecorder& Track() { return track_; }

private:
    struct Converted {
        double lat = 0, lon = 0, alt = 0;
        double easting = 0, northing = 0, convergence = 1e-9;
    };

    void showNoPosition();
    void updateStatusLine(const MapTickInputs& in, int fixQuality, const std::string& tideText);
    bool convertPosition(const MapTickInputs& in, const ProjectionSnapshot& snapshot);
    TrackPoint trackedPoint() const;
    void follow(const ProjectionSnapshot& snapshot, const MapTickInputs& in, TrackPoint tracked);
    void drawVessel(const MapTickInputs& in, TrackPoint tracked);
    void addTrackSegment(int fixQuality, const MapTickInputs& in, TrackPoint tracked);
    void addDepthLabel(bool positionCurrent);

    RealtimeState& state_;
    const ReceiverFix& gnss_;
    CanvasModel& canvas_;
    MapLoopEnvironment& env_;
    int vesselLayer_ = -1;
    Converted last_;
    bool haveConverted_ = false;
    TrackRecorder track_;
    PositionAgeWatch ageWatch_;
};

} // namespace vsx
