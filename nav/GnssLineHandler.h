#pragma once
// Every line of the main GNSS receiver (and every NMEA line that arrives over UDP, which takes the
// receiver's own line path) passes through here, with what the receiver read of that very line
// and the fix it published from it (input/NmeaParser.h, input/ReceiverFix.h); nothing here reads
// the line again. Heading, speed, UTC time, fix state and RTK heights go into the real-time
// state, the offsets typed in the offsets window are taken over while that window is closed,
// valid GGA sentences are forwarded, and each sensor point of the vessel gets a GGA sentence of
// its own, logged and forwarded. A sensor's sentence is made only while the heading that places
// it is known (the gyro's, or the course over ground with the gyro off, heard within
// kHeadingMaxAge), and it carries the antenna sentence's own time, fraction of the second
// included. The fix colour follows the fix quality of the line just heard.
//
// The windows it touches are reached through GnssLineEnvironment, so the handler runs without
// them in tests. Forwarding goes through the published target of input/GgaForwarding.h.
#include "input/NmeaParser.h"
#include "input/ReceiverFix.h"
#include "nav/ProjectionSnapshot.h"
#include "nav/RealtimeState.h"
#include "platform/Colour.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vsx {

struct OffsetValues {
    double draft = 0, soundVelocity = 1500, antennaHeight = 0, tide = 0;
};

class GnssLineEnvironment {
public:
    virtual ~GnssLineEnvironment() = default;
    // True once a survey run opened the receiver (its first line then starts the map loop).
    virtual bool receiverOpenedByRun() const = 0;
    virtual bool mapTimerRunning() const = 0;
    // Starts the map loop and shows the receiver as live (real-time window, monitor box).
    virtual void startMapTimer() = 0;
    virtual void echoToMonitor(std::string_view line) = 0;
    // The offsets window's values while it is closed; nothing while it is open (its values are
    // then being edited and are taken when it closes).
    virtual std::optional<OffsetValues> offsetsToTakeOver() const = 0;
    // The projection snapshot (taken when needed), or null while the geodetic settings are unusable.
    virtual const ProjectionSnapshot* snapshot() = 0;
    virtual GridProjection gridProjection() const = 0;
    // Whether the heading comes from the gyro (HDT); else it is the course over ground (RMC, VTG).
    virtual bool gyroEnabled() const = 0;
    // Without a well-formed GGA for this long the receiver counts as silent, and its fix shows
    // as none (the receiver's no-data time).
    virtual std::chrono::milliseconds gnssNoDataTime() const { return std::chrono::milliseconds(10000); }
    virtual void showFixColour(ColorValue colour) = 0;
    // The first GGA of a run refused for impossible values (later ones are only counted).
    virtual void reportRejectedGga(std::string_view line, const char* problem) = 0;
    // One write to a sensor's log: whether it reached the file and, when not, the system's reason.
    virtual void noteSensorLogWrite(const std::string& file, bool written, const std::string& reason)
    {
        (void)file, (void)written, (void)reason;
    }
};

// How long a heading stays current for placing the sensor points: a heading older than this
// (the gyro or the receiver fell silent) places no sensor.
inline constexpr std::chrono::milliseconds kHeadingMaxAge{2000};

// The real-time window's GNSS colour for a fix quality.
ColorValue FixQualityColour(int fixQuality);

class GnssLineHandler {
public:
    GnssLineHandler(RealtimeState& state, GnssLineEnvironment& env);

    // One line, what the receiver read of it and the fix as it stands with that line.
    void HandleLine(std::string_view line, const SentenceRead& sentence, const ReceiverFix& fix);
    // A survey run starts: no RTK height or refused GGA count carries over from the last one
    // (the receiver forgets its fix, so no position or heading does either).
    void NewRun();

    // Sensor sentences made since start (forwarded or logged or not), for the status of a run.
    long SyntheticSentences() const { return synthetic_; }

private:
    using TimePoint = std::chrono::steady_clock::time_point;

    void handleGga(std::string_view line, const SentenceRead& sentence, const ReceiverFix& fix);
    // The heading the sensors are placed with, while it is current at `now`.
    std::optional<double> currentHeading(const ReceiverFix& fix, TimePoint now) const;
    void writeSensorSentences(const GnssFix& antenna, const std::string& timeField, const ReceiverFix& fix,
                              TimePoint now);
    void forward(std::string_view text, int udpPort, bool logFirstUdpSend);

    RealtimeState& state_;
    GnssLineEnvironment& env_;
    long synthetic_ = 0;
};

} // namespace vsx
