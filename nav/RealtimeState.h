#pragma once
// The values of a survey run that the main window owns and several parts of the program read:
// what the line handlers take from the devices, what the map loop makes of it, and whether real
// time runs. They exist once per process (realtimeState()) and are written and read on the
// interactive thread only. Each value has exactly one writer, named with it.
#include "nav/CurrentPosition.h"

#include <string>

namespace vsx {

struct LatencyFigures {
    int samples = 0;
    double meanMs = 0;   // running mean over the whole run
    long lastMs = 0;     // the last tick's own run time
};

struct RealtimeState {
    // Whether a survey runs, and since when the GNSS receiver is open, are the survey run's own
    // (SurveyRun::Running(), SurveyRun::GnssStartTick()); nothing here copies them.

    // ---- Position event of the main receiver ---------------------------------------------------
    double GpsLatitude = 0, GpsLongitude = 0, GpsAltitude = 0;
    double ImageryLatitude = 0, ImageryLongitude = 0;

    // ---- GNSS line handler ---------------------------------------------------------------------
    double GyroHeading = 1e-9;  // degrees, from HDT
    double SpeedKnots = 0;      // from RMC or VTG
    double TransducerDraft = 0, SoundVelocity = 1500, AntennaHeight = 0, ManualTide = 0;
    std::string GgaTimeText = "00:00:00";
    bool NoValidPosition = false;
    double RtkAntennaHeight = 0;
    double RtkTide = 0;
    bool UdpSendLogged = false;
    int LastFixQuality = -1;  // none shown yet, so the first line sets the colour
    // The fix itself (position, fix quality, heading, ... and whether each is current) is the
    // main receiver's published one: TVeldorSerialGPS::Fix().
    long RejectedGgaCount = 0; // GGA sentences of this run refused for impossible values

    // ---- Depth handler (written there) ---------------------------------------------------------
    double TrueDepthHi = 0, TrueDepthLo = 0;

    // ---- Map display loop ----------------------------------------------------------------------
    double VesselEasting = 0, VesselNorthing = 0;  // (0, 0): no position yet
    double GridConvergence = 1e-9;
    double GridHeading = 1e-9;
    std::string HudStatusText;  // Windows-1254, as the names in it are stored
    int HudFixQuality = 0;
    LatencyFigures Latency;

    // ---- Map commands (context menu, follow buttons, helmsman window) ---------------------------
    bool FollowVessel = true;
    int MapFollowTarget = 0;  // 0 own vessel, n the n-th entry of ExtraVessels
    bool MainTracklining = false;
    bool OtherTracklining = false;
    bool TrackResetRequested = false;
    // The user is drawing on the map: the followed view holds still (the map keeps running).
    bool FollowPaused = false;
};

RealtimeState& realtimeState();

} // namespace vsx
