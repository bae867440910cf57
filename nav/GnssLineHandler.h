#pragma once
// Every line of the main GNSS receiver (and every NMEA line that arrives over UDP) passes through
// here: heading, speed, UTC time, fix state, the current position (CurrentPosition: which GGA
// gave a fix, and when) and RTK heights go into the real-time state, the
// offsets typed in the offsets window are taken over while that window is closed, valid GGA
// sentences are forwarded, and each sensor point of the vessel gets a GGA sentence of its own,
// logged and forwarded. A sensor's sentence is made only while the heading that places it is
// known (the gyro's, or the course over ground with the gyro off, heard within kHeadingMaxAge),
// and it carries the antenna sentence's own time, fraction of the second included.
//
// The windows it touches are reached through GnssLineEnvironment, so the handler runs without
// them in tests. Forwarding goes through the published target of input/GgaForwarding.h.
#include "nav/ProjectionSnapshot.h"
#include "nav/RealtimeState.h"
#include "platform/Colour.h"
#include "platform/ScanFormat.h"

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
    // The receiver's own fix quality (from its last parsed GGA).
    virtual int receiverFixQuality() const = 0;
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

// The time and heights of one GGA line, scanned in the sentence's layout (the position is read,
// and every value checked, by ReadGgaSentence of input/NmeaParser.h).
struct GgaReading {
    int valuesRead = 0;  // time, fix quality, altitude, geoid separation: how many of these, in order
    double time = 0;
    int fixQuality = 0;
    double altitude = 0, geoidSeparation = 0;
};
GgaReading ReadGga(std::string_view line);
// Speed over ground in knots from the speed field of RMC (field 7) or VTG (field 5); 0 when the
// field is empty or not a number. Empty fields before it do not shift it.
double ReadRmcSpeed(std::string_view line);
double ReadVtgSpeed(std::string_view line);
// Course over ground in degrees from the course field of RMC (field 8) or VTG (field 1); nothing
// when the field is empty or not a number (a receiver standing still often leaves it empty).
std::optional<double> ReadRmcCourse(std::string_view line);
std::optional<double> ReadVtgCourse(std::string_view line);
// The time field of a GGA as the receiver wrote it ("hhmmss" with its fraction, as "101500.20"),
// or empty when it is not such a time.
std::string GgaTimeField(std::string_view line);

class GnssLineHandler {
public:
    GnssLineHandler(RealtimeState& state, GnssLineEnvironment& env);

    void HandleLine(std::string_view line);
    // A survey run starts: no position, heading, RTK height or refused GGA carries over from the
    // last one.
    void NewRun();

    // Sensor sentences made since start (forwarded or logged or not), for the status of a run.
    long SyntheticSentences() const { return synthetic_; }

private:
    using TimePoint = std::chrono::steady_clock::time_point;
    // A heading as last heard, and when.
    struct HeardHeading {
        double degrees = 0;
        std::optional<TimePoint> at;
    };

    void handleGga(std::string_view line);
    // The heading the sensors are placed with, while it is current at `now`.
    std::optional<double> currentHeading(TimePoint now) const;
    void writeSensorSentences(const GnssFix& fix, const std::string& timeField, TimePoint now);
    void forward(std::string_view text, int udpPort, bool logFirstUdpSend);

    RealtimeState& state_;
    GnssLineEnvironment& env_;
    ScanFormat hdt_;
    HeardHeading gyro_, course_;
    long synthetic_ = 0;
};

} // namespace vsx
