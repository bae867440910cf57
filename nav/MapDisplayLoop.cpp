#include "nav/MapDisplayLoop.h"

#include "app/SharedValues.h"
#include "app/Translated.h"
#include "input/DisplayValues.h"
#include "nav/SensorOffset.h"
#include "platform/Clock.h"
#include "platform/Numbers.h"
#include "platform/Text.h"

#include <cmath>
#include <cstdio>

namespace vsx {
namespace {

bool differs(double a, double b) { return !(a == b); }  // a NaN always differs

std::string dms(double v, char positive, char negative)
{
    // Thousandths of an arc-second, so 59.9996" becomes the next whole minute.
    const long long milli = std::llround(std::fabs(v) * 3600.0 * 1000.0);
    const long long d = milli / 3'600'000;
    const long long m = (milli / 60'000) % 60;
    const double s = double(milli % 60'000) / 1000.0;
    return formatInt(d) + "\xC2\xB0" + formatInt(m) + "'" + formatFixed(s, 3) + "\"" + (v >= 0 ? positive : negative);
}

// A word of the banner in the interface's language, Windows-1254 as the banner is kept.
std::string label(const std::string& english) { return toCp1254(translated(english)); }

} // namespace

std::string FixQualityText(int q)
{
    switch (q) {
    case 0: return "No Fix";
    case 1: return "GPS";
    case 2: return "DGPS";
    case 4: return "RTK Fix";
    case 5: return "RTK Float";
    default: return "Fix:" + std::to_string(q);
    }
}

std::string FormatDmsPosition(double latitude, double longitude)
{
    return dms(latitude, 'N', 'S') + ", " + dms(longitude, 'E', 'W');
}

MapDisplayLoop::MapDisplayLoop(RealtimeState& state, const ReceiverFix& gnss, CanvasModel& canvas,
                               MapLoopEnvironment& env)
    : state_(state), gnss_(gnss), canvas_(canvas), env_(env)
{
}

void MapDisplayLoop::Tick()
{
    env_.pollUdpInput();
    const MapTickInputs in = env_.inputs();
    const auto started = clock().monotonic();
    // A silent receiver's last fix quality is not current: it shows as no fix.
    const bool silent = gnss_.current.SilentAt(started, in.gnssNoDataTime);
    const int fixQuality = silent ? 0 : in.fixQuality;

    env_.handPositionToNtrip(gnss_.position.value.latitude, gnss_.position.value.longitude, gnss_.altitude.value);
    // The screens follow the records' rule: while no fix is current for a record (none yet, or
    // the last one too old), they say there is no position and show no speed, satellites or
    // heights as current; the return of positions is said with the gap's length.
    const bool positionCurrent = gnss_.current.At(started).has_value();
    const std::string tideText = in.offsetsVisible ? std::string("-") : formatFixed(state_.RtkTide, 2);
    env_.showRealtimeValues(fixQuality, formatFixed(state_.RtkAntennaHeight, 2), tideText, in.satellites,
                            positionCurrent);
    const PositionAgeWatch::Change age =
        ageWatch_.Update(gnss_.current.FixTime(), started, gnss_.current.GapBeforeCurrentFixes());
    if (age.kind == PositionAgeWatch::Change::Kind::Back) env_.positionsBack(age.gap);
    if (silent) ShowSilent();
    else if (!positionCurrent) showNoPosition();
    else updateStatusLine(in, fixQuality, tideText);
    // No speed without a current position: it would be the last one heard, shown as current.
    env_.setHudValue(state_.SpeedKnots, positionCurrent);

    const ProjectionSnapshot* snapshot = env_.snapshot();
    if (!snapshot) return;
    if (!convertPosition(in, *snapshot)) return;

    state_.GridHeading = state_.GridConvergence + (in.gyroEnabled ? state_.GyroHeading : in.receiverCourse);
    const TrackPoint tracked = trackedPoint();
    follow(*snapshot, in, tracked);
    drawVessel(in, tracked);
    if (!silent && positionCurrent)
        env_.showStatusPosition(FormatDmsPosition(state_.GpsLatitude, state_.GpsLongitude),
                                "E" + formatFixed(state_.VesselEasting, 2) + ", N" + formatFixed(state_.VesselNorthing, 2));
    if (state_.TrackResetRequested) {
        track_.Reset();
        state_.TrackResetRequested = false;
    }
    addTrackSegment(fixQuality, in, tracked);
    addDepthLabel(gnss_.current.At(started).has_value());
    if (in.sensorEnabled) env_.setDepthHud(state_.TrueDepthHi, in.lowDepthShown ? state_.TrueDepthLo : 0, true);

    ExtraVesselDrawInputs extra;
    extra.snapshot = snapshot;
    extra.projection = in.projection;
    extra.gridConvergence = state_.GridConvergence;
    extra.tracklining = state_.OtherTracklining;
    extra.vesselWidth = in.vesselWidth;
    extra.receiverCourse = [this](size_t i) { return env_.extraVesselCourse(i); };
    ExtraVesselTracker::DrawExtraVessels(ExtraVessels, canvas_, extra);

    if (in.latencyVisible) {
        LatencyFigures& l = state_.Latency;
        l.lastMs = long(std::chrono::duration_cast<std::chrono::milliseconds>(clock().monotonic() - started).count());
        ++l.samples;
        l.meanMs = (double(l.lastMs) + (l.samples - 1) * l.meanMs) / l.samples;
        env_.showLatency(l.lastMs, l.meanMs);
    }
}

void MapDisplayLoop::ShowSilent()
{
    state_.HudFixQuality = 0;
    state_.HudStatusText = label(kNoGnssDataText);
    env_.setHudValue(state_.SpeedKnots, false);
    env_.showGnssSilent();
}

void MapDisplayLoop::ShowStopped()
{
    ShowSilent();
    env_.setDepthHud(0, 0, false);
}

void MapDisplayLoop::showNoPosition()
{
    state_.HudFixQuality = 0;
    // A GGA whose position fields are empty is named as such.
    state_.HudStatusText = label(state_.NoValidPosition ? kEmptyGgaText : kNoPositionText);
    env_.showNoPosition();
}

void MapDisplayLoop::updateStatusLine(const MapTickInputs& in, int fixQuality, const std::string& tideText)
{
    state_.HudFixQuality = fixQuality;
    if (state_.NoValidPosition) {
        state_.HudStatusText = label(kEmptyGgaText);
        return;
    }
    const auto speed = parseDouble(in.speedLabelText);
    // A quality without a name of its own reads "Fix:" and its number in every language.
    const bool named = fixQuality == 0 || fixQuality == 1 || fixQuality == 2 || fixQuality == 4 || fixQuality == 5;
    const std::string fix = named ? label(FixQualityText(fixQuality)) : FixQualityText(fixQuality);
    std::string line = fix + " | " + label("Spd:") + " " +
                       formatFixed(speed.value_or(0), 1) + " kn | " + label("SV:") + " " +
                       std::to_string(in.satellites) + " | " + label("Ant:") + " " +
                       formatFixed(state_.RtkAntennaHeight, 2) + " m | " + label("Tide:") + " " + tideText + " m";
    if (state_.TrueDepthHi > 0 && in.sensorEnabled) {
        if (in.sounderMessageType == "Veldor XDR H/L" && state_.TrueDepthLo > 0)
            line += " | " + label("HDepth:") + " " + formatFixed(state_.TrueDepthHi, 2) + " m | " + label("LDepth:") +
                    " " + formatFixed(state_.TrueDepthLo, 2) + " m";
        else
            line += " | " + label("Depth:") + " " + formatFixed(state_.TrueDepthHi, 2) + " m";
    }
    if (!VesselSensors.empty()) {
        line += " | " + label("Trk:") + " ";
        if (ActiveTrackingSensor == -1) line += "GPS";
        else if (ActiveTrackingSensor >= 0 && size_t(ActiveTrackingSensor) < VesselSensors.size())
            line += VesselSensors[size_t(ActiveTrackingSensor)].Name.substr(0, 3);
    }
    state_.HudStatusText = line;
}

bool MapDisplayLoop::convertPosition(const MapTickInputs& in, const ProjectionSnapshot& snapshot)
{
    const double lat = state_.GpsLatitude, lon = state_.GpsLongitude, alt = state_.GpsAltitude;
    const bool changed = differs(lat, last_.lat) || differs(lon, last_.lon) || differs(alt, last_.alt);
    // (0, 0) is the receiver's "no position yet", never a place to convert.
    const bool noPosition = lat == 0 && lon == 0;
    if ((changed || !haveConverted_) && !noPosition) {
        last_.lat = lat, last_.lon = lon, last_.alt = alt;
        const auto g = snapshot.toGrid(lat, lon, alt, in.projection);
        // A failed conversion ends the tick; later ticks keep the last good result until the
        // receiver reports another position.
        haveConverted_ = true;
        if (!g) return false;
        last_.easting = g->easting;
        last_.northing = g->northing;
        last_.convergence = g->convergence;
    }
    state_.VesselEasting = last_.easting;
    state_.VesselNorthing = last_.northing;
    state_.GridConvergence = last_.convergence;
    return true;
}

TrackPoint MapDisplayLoop::trackedPoint() const
{
    const int i = ActiveTrackingSensor;
    if (i >= 0 && size_t(i) < VesselSensors.size()) {
        const VesselSensor& s = VesselSensors[size_t(i)];
        const GridOffsetPoint p =
            SensorGridPosition(state_.VesselEasting, state_.VesselNorthing, state_.GridHeading, s.OffsetX, s.OffsetY);
        return {p.easting, p.northing};
    }
    return {state_.VesselEasting, state_.VesselNorthing};
}

void MapDisplayLoop::follow(const ProjectionSnapshot& snapshot, const MapTickInputs& in, TrackPoint tracked)
{
    const bool havePosition = state_.VesselEasting != 0 || state_.VesselNorthing != 0;
    if (!state_.FollowVessel || state_.FollowPaused) {
        canvas_.Redraw();
    } else if (state_.MapFollowTarget < 1) {
        // Before the first position there is nothing to follow; the restored view stays.
        if (havePosition) canvas_.CenterAt(tracked.x, tracked.y);
        else canvas_.Redraw();
    } else if (size_t(state_.MapFollowTarget) > ExtraVessels.size()) {
        canvas_.Redraw();
    } else {
        MultiVesselEntry& e = ExtraVessels[size_t(state_.MapFollowTarget - 1)];
        if (e.Enabled && e.HasPosition) ExtraVesselTracker::LatLonToGrid(e, snapshot, in.projection);
        if (e.Enabled && e.HasPosition && (e.Easting != 0 || e.Northing != 0)) canvas_.CenterAt(e.Easting, e.Northing);
        else canvas_.Redraw();
    }
}

void MapDisplayLoop::drawVessel(const MapTickInputs& in, TrackPoint p)
{
    if (vesselLayer_ < 0) return;
    canvas_.DeleteLayerShapes(vesselLayer_);
    if (state_.VesselEasting == 0 && state_.VesselNorthing == 0) return;
    canvas_.SetLayerColor(vesselLayer_, in.vesselColor);
    canvas_.SetLayerWidth(vesselLayer_, in.vesselWidth);
    DrawVesselSymbol(canvas_, vesselLayer_, p, state_.GridHeading, in.symbol);

    // Markers keep a colour and width of their own (the layer's are the vessel's).
    auto own = [&](int id, ColorValue colour) {
        canvas_.SetShapeColor(id, colour);
        canvas_.SetShapeWidth(id, 2);
    };
    auto cross = [&](double x, double y, double r, double c, ColorValue colour) {
        own(canvas_.AddCircle(x, y, r, vesselLayer_), colour);
        own(canvas_.AddLine(x - c, y, x + c, y, vesselLayer_), colour);
        own(canvas_.AddLine(x, y - c, x, y + c, vesselLayer_), colour);
    };
    const double ax = state_.VesselEasting, ay = state_.VesselNorthing;
    if (ActiveTrackingSensor >= 0) {
        cross(ax, ay, 3.0, 4.5, in.vesselColor);
        if (ShowSensorLabels) own(canvas_.AddText(vesselLayer_, "GPS", ax + 6.75, ay + 6.75, 0), in.vesselColor);
    }
    for (size_t i = 0; i < VesselSensors.size(); ++i) {
        const VesselSensor& s = VesselSensors[i];
        if (!s.Visible || int(i) == ActiveTrackingSensor) continue;
        const GridOffsetPoint sp = SensorGridPosition(ax, ay, state_.GridHeading, s.OffsetX, s.OffsetY);
        const double r = s.MarkerSize * 0.5, c = 1.5 * r;
        cross(sp.easting, sp.northing, r, c, s.Color);
        if (ShowSensorLabels)
            own(canvas_.AddText(vesselLayer_, cp1254ToUtf8(s.Name.substr(0, 3)), sp.easting + 1.5 * c, sp.northing + 1.5 * c, 0),
                s.Color);
    }
}

void MapDisplayLoop::addTrackSegment(int q, const MapTickInputs& in, TrackPoint tracked)
{
    const bool havePosition = state_.VesselEasting != 0 || state_.VesselNorthing != 0;
    const TrackRecorder::Result r = track_.Advance(tracked, havePosition, ActiveTrackingSensor, in.trackDistance);
    if (r.step != TrackRecorder::Step::Segment || !state_.MainTracklining) return;
    const char* layerName = kTrackNoFixLayer;
    ColorValue colour = 255;
    if (q == 4) {
        layerName = kTrackFixLayer;
        colour = in.trackColorFixed;
    } else if (q == 2 || q == 3 || q == 5) {
        layerName = kTrackFloatLayer;
        colour = in.trackColorFloat;
    }
    const int layer = canvas_.FindLayer(layerName);
    if (layer < 0) return;
    canvas_.SetLayerColor(layer, colour);
    canvas_.SetLayerWidth(layer, in.trackWidth);
    if (in.trackAsLine) canvas_.AddLine(r.to.x, r.to.y, r.from.x, r.from.y, layer);
    else canvas_.AddPoint(r.to.x, r.to.y, layer);
    if (in.helmsmanVisible) env_.mirrorTrackToHelmsman(layerName, colour, in.trackWidth, r.to, r.from, in.trackAsLine);
}

void MapDisplayLoop::addDepthLabel(bool positionCurrent)
{
    // A depth measured without a current position is not placed on the map as a sounding.
    if (!ShowDepthLabels || state_.TrueDepthHi <= 0 || !positionCurrent) return;
    if (state_.VesselEasting == 0 && state_.VesselNorthing == 0) return;
    canvas_.SetSoundingStyle(1, DepthLabelSpacing, DepthLabelFontName, DepthLabelFontSize, DepthLabelColor);
    canvas_.AddSounding(state_.VesselEasting, state_.VesselNorthing, state_.TrueDepthHi);
}

} // namespace vsx
