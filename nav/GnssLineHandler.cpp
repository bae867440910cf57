#include "nav/GnssLineHandler.h"

#include "app/Settings.h"
#include "app/SharedValues.h"
#include "input/GgaForwarding.h"
#include "nav/SensorOffset.h"
#include "nav/SyntheticGga.h"
#include "platform/Clock.h"
#include "platform/Numbers.h"

#include <cmath>
#include <cstdio>

namespace vsx {
namespace {

// "yyyy-mm-dd hh:nn:ss.zzz" of the local time now.
std::string logStamp()
{
    const LocalDateTime t = localNow();
    return formatDate(t) + ' ' + formatPadded(t.hour, 2) + ':' + formatPadded(t.minute, 2) + ':' +
           formatPadded(t.second, 2) + '.' + formatPadded(t.millisecond, 3);
}

// "hh:mm:ss" of a GGA time field ("hhmmss" and its fraction).
std::string clockText(const std::string& field) { return field.substr(0, 2) + ':' + field.substr(2, 2) + ':' + field.substr(4, 2); }

} // namespace

ColorValue FixQualityColour(int q)
{
    if (q == 4) return 0x00FF00;
    if (q == 2) return 0xFFFF00;
    if (q == 3 || q >= 5) return 0x00FFFF;
    return 0x0000FF;
}

GnssLineHandler::GnssLineHandler(RealtimeState& state, GnssLineEnvironment& env) : state_(state), env_(env) {}

void GnssLineHandler::HandleLine(std::string_view line, const SentenceRead& sentence, const ReceiverFix& fix)
{
    if (!env_.mapTimerRunning() && env_.receiverOpenedByRun()) env_.startMapTimer();
    env_.echoToMonitor(line);

    // An unreadable heading keeps the last one; an unreadable speed reads as 0.
    if (sentence.read(SentenceType::Hdt) && fix.heading.valid) state_.GyroHeading = fix.heading.value;
    if (sentence.read(SentenceType::Rmc) || sentence.read(SentenceType::Vtg)) {
        const double knots = fix.speed.valid ? fix.speed.value : 0;
        if (knots >= 0) state_.SpeedKnots = knots;
    }
    if (const auto offsets = env_.offsetsToTakeOver()) {
        state_.TransducerDraft = offsets->draft;
        state_.SoundVelocity = offsets->soundVelocity;
        state_.AntennaHeight = offsets->antennaHeight;
        state_.ManualTide = offsets->tide;
    }
    if (sentence.type == SentenceType::Gga) handleGga(line, sentence, fix);

    // The colour of the line just heard; a receiver without a GGA for its no-data time has none.
    const bool silent = fix.current.SilentAt(clock().monotonic(), env_.gnssNoDataTime());
    const int q = silent ? 0 : fix.fixQuality.value;
    if (q != state_.LastFixQuality) {
        env_.showFixColour(FixQualityColour(q));
        state_.LastFixQuality = q;
    }
}

void GnssLineHandler::NewRun()
{
    // The RTK heights of the last run's fixes are none of this run's.
    state_.RtkAntennaHeight = state_.RtkTide = 0;
    state_.RejectedGgaCount = 0;
}

std::optional<double> GnssLineHandler::currentHeading(const ReceiverFix& fix, TimePoint now) const
{
    const FixValue<double>& h = env_.gyroEnabled() ? fix.heading : fix.course;
    if (!h.heard || now - *h.heard > kHeadingMaxAge) return std::nullopt;
    return h.value;
}

void GnssLineHandler::handleGga(std::string_view line, const SentenceRead& sentence, const ReceiverFix& fix)
{
    if (sentence.outcome == SentenceRead::Outcome::Refused) {
        // Impossible values give nothing: no position, time, height or forwarded sentence.
        state_.NoValidPosition = true;
        if (++state_.RejectedGgaCount == 1) env_.reportRejectedGga(line, sentence.problem);
        return;
    }
    // A sentence with a wrong checksum, or cut short without one, is not taken.
    if (sentence.outcome != SentenceRead::Outcome::Read) return;
    if (fix.time.valid) state_.GgaTimeText = clockText(fix.time.value);
    state_.NoValidPosition = sentence.emptyGga;
    if (fix.position.valid && fix.fixQuality.value == 4 && fix.altitude.valid) {
        state_.RtkAntennaHeight = fix.altitude.value + (fix.geoidSeparation.valid ? fix.geoidSeparation.value : 0.0);
        state_.RtkTide = state_.RtkAntennaHeight - state_.AntennaHeight;
    }
    if (state_.NoValidPosition) return;

    if (ForwardEnabled && (ForwardTarget == -1 || ForwardTarget == 0)) {
        std::string text(line);
        text += "\r\n";
        forward(text, ForwardUdpPort, false);
    }
    if (fix.position.valid) {
        const GnssFix antenna{fix.position.value.latitude, fix.position.value.longitude, fix.altitude.value,
                              fix.fixQuality.value};
        writeSensorSentences(antenna, fix.time.valid ? fix.time.value : std::string(), fix, clock().monotonic());
    }
}

void GnssLineHandler::writeSensorSentences(const GnssFix& antennaFix, const std::string& timeField,
                                           const ReceiverFix& fix, TimePoint now)
{
    if (VesselSensors.empty()) return;
    // Without a current heading a sensor's place is unknown (a sensor 10 m astern would be put
    // 10 m south whatever the vessel's heading): no sentence rather than a wrong position.
    const std::optional<double> heading = currentHeading(fix, now);
    if (!heading) return;
    const ProjectionSnapshot* snapshot = env_.snapshot();
    if (!snapshot) return;
    // The sensors are placed from this sentence's own position, so a sentence's time and
    // position belong to the same epoch.
    const GridProjection projection = env_.gridProjection();
    const auto antenna = snapshot->toGrid(antennaFix.latitude, antennaFix.longitude, antennaFix.altitude, projection);
    if (!antenna) return;
    const double gridHeading = antenna->convergence + *heading;
    // The antenna sentence's own time; one that is not a plain time keeps the last whole seconds.
    const std::string time = timeField.empty() ? SyntheticTimeField(state_.GgaTimeText) : timeField;
    for (size_t i = 0; i < VesselSensors.size(); ++i) {
        const VesselSensor& sensor = VesselSensors[i];
        const GridOffsetPoint p =
            SensorGridPosition(antenna->easting, antenna->northing, gridHeading, sensor.OffsetX, sensor.OffsetY);
        const auto position = snapshot->toWgs84(p.easting, p.northing, antenna->localHeight, projection);
        if (!position) continue;
        const std::string sentence =
            BuildSyntheticGga(SensorTalker(sensor.Name), time, position->lat, position->lon, antennaFix.fixQuality);
        ++synthetic_;
        if (i < SensorLogFiles.size() && SensorLogFiles[i] && !SensorLogFiles[i]->path().empty()) {
            // A log that could not be opened or written is opened afresh for the next sentence,
            // so logging resumes as soon as the file can be written again.
            AppendFile& log = *SensorLogFiles[i];
            if (!log.isOpen()) log.open(log.path());
            const bool written = log.isOpen() && log.writeText(logStamp() + ' ' + sentence + '\n');
            const std::string reason = written ? std::string() : log.errorText();
            if (!written) log.close();
            env_.noteSensorLogWrite(log.path(), written, reason);
        }
        const int target = int(i) + 1;
        if (ForwardEnabled && (ForwardTarget == -1 || ForwardTarget == target))
            forward(sentence + "\r\n", ForwardTarget == -1 ? ForwardUdpPort + target : ForwardUdpPort, true);
    }
}

void GnssLineHandler::forward(std::string_view text, int udpPort, bool logFirstUdpSend)
{
    const bool udp = ForwardUseUdp && ForwardSocket.isOpen();
    const bool sent = SendForwardBytes(text, udpPort);
    if (udp && logFirstUdpSend && !state_.UdpSendLogged) {
        state_.UdpSendLogged = true;
        AppendEventLine("UDP send to " + ForwardUdpIp + ":" + std::to_string(udpPort) +
                            " result=" + std::to_string(sent ? long(text.size()) : -1L),
                        EventsLogFileName());
    }
}

} // namespace vsx
