#include "nav/GnssLineHandler.h"

#include "app/Settings.h"
#include "app/SharedValues.h"
#include "input/GgaForwarding.h"
#include "input/NmeaParser.h"
#include "nav/SensorOffset.h"
#include "nav/SyntheticGga.h"
#include "platform/Clock.h"
#include "platform/Numbers.h"

#include <cmath>
#include <cstdio>

namespace vsx {
namespace {

bool contains(std::string_view line, std::string_view what) { return line.find(what) != std::string_view::npos; }

// Field `index` of a sentence, without the checksum that may follow the last one.
std::string_view field(std::string_view line, size_t index)
{
    std::vector<std::string_view> fields;
    SplitFields(line, fields);
    if (index >= fields.size()) return {};
    std::string_view f = fields[index];
    if (const size_t star = f.find('*'); star != std::string_view::npos) f = f.substr(0, star);
    return f;
}

std::optional<double> numberField(std::string_view line, size_t index)
{
    const auto v = parseDouble(field(line, index));
    if (!v || !std::isfinite(*v)) return std::nullopt;
    return v;
}

double speedField(std::string_view line, size_t index) { return numberField(line, index).value_or(0); }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// "yyyy-mm-dd hh:nn:ss.zzz" of the local time now.
std::string logStamp()
{
    const LocalDateTime t = localNow();
    return formatDate(t) + ' ' + formatPadded(t.hour, 2) + ':' + formatPadded(t.minute, 2) + ':' +
           formatPadded(t.second, 2) + '.' + formatPadded(t.millisecond, 3);
}

ScanFormat compiled(std::string_view format) { return *ScanFormat::compile(format); }

} // namespace

ColorValue FixQualityColour(int q)
{
    if (q == 4) return 0x00FF00;
    if (q == 2) return 0xFFFF00;
    if (q == 3 || q >= 5) return 0x00FFFF;
    return 0x0000FF;
}

GgaReading ReadGga(std::string_view line)
{
    static const ScanFormat format = compiled("%*6s,%lf,%*lf,%*1s,%*lf,%*1s,%d,%*d,%*lf,%lf,%*1s,%lf");
    GgaReading r;
    double v[4] = {0, 0, 0, 0};
    r.valuesRead = format.scan(line, v, 4);
    r.time = v[0];
    r.fixQuality = int(v[1]);
    r.altitude = v[2];
    r.geoidSeparation = v[3];
    return r;
}

double ReadRmcSpeed(std::string_view line) { return speedField(line, 7); }
double ReadVtgSpeed(std::string_view line) { return speedField(line, 5); }
std::optional<double> ReadRmcCourse(std::string_view line) { return numberField(line, 8); }
std::optional<double> ReadVtgCourse(std::string_view line) { return numberField(line, 1); }

std::string GgaTimeField(std::string_view line)
{
    const std::string_view f = field(line, 1);
    if (f.size() < 6) return {};
    for (size_t i = 0; i < 6; ++i)
        if (!isDigit(f[i])) return {};
    if (f.size() > 6) {
        if (f[6] != '.' || f.size() == 7) return {};
        for (size_t i = 7; i < f.size(); ++i)
            if (!isDigit(f[i])) return {};
    }
    return std::string(f);
}

GnssLineHandler::GnssLineHandler(RealtimeState& state, GnssLineEnvironment& env)
    : state_(state), env_(env), hdt_(compiled("%*7s %lf"))
{
}

void GnssLineHandler::HandleLine(std::string_view line)
{
    if (!env_.mapTimerRunning() && env_.receiverOpenedByRun()) env_.startMapTimer();
    env_.echoToMonitor(line);

    const auto now = clock().monotonic();
    if (contains(line, "HDT")) {
        double heading = 0;
        if (hdt_.scan(line, &heading, 1) == 1) {
            state_.GyroHeading = heading;
            gyro_ = {heading, now};
        }
    }
    if (contains(line, "RMC")) {
        const double knots = ReadRmcSpeed(line);
        if (knots >= 0) state_.SpeedKnots = knots;
        if (const auto course = ReadRmcCourse(line)) course_ = {*course, now};
    }
    if (contains(line, "VTG")) {
        const double knots = ReadVtgSpeed(line);
        if (knots >= 0) state_.SpeedKnots = knots;
        if (const auto course = ReadVtgCourse(line)) course_ = {*course, now};
    }
    if (const auto offsets = env_.offsetsToTakeOver()) {
        state_.TransducerDraft = offsets->draft;
        state_.SoundVelocity = offsets->soundVelocity;
        state_.AntennaHeight = offsets->antennaHeight;
        state_.ManualTide = offsets->tide;
    }
    if (contains(line, "GGA")) handleGga(line);

    const int q = env_.receiverFixQuality();
    if (q != state_.LastFixQuality) {
        env_.showFixColour(FixQualityColour(q));
        state_.LastFixQuality = q;
    }
}

void GnssLineHandler::NewRun()
{
    state_.Position.Forget();
    // The RTK heights of the last run's fixes are none of this run's.
    state_.RtkAntennaHeight = state_.RtkTide = 0;
    state_.RejectedGgaCount = 0;
    gyro_ = {};
    course_ = {};
}

std::optional<double> GnssLineHandler::currentHeading(TimePoint now) const
{
    const HeardHeading& h = env_.gyroEnabled() ? gyro_ : course_;
    if (!h.at || now - *h.at > kHeadingMaxAge) return std::nullopt;
    return h.degrees;
}

void GnssLineHandler::handleGga(std::string_view line)
{
    // A sentence with a wrong checksum, or cut short without one, is not taken, as the receiver
    // does not take it.
    if (!nmeaSentenceUsable(line)) return;
    const GgaSentence checked = ReadGgaSentence(line);
    if (checked.kind == GgaKind::Rejected) {
        // Impossible values give nothing: no position, time, height or forwarded sentence.
        state_.NoValidPosition = true;
        if (++state_.RejectedGgaCount == 1) env_.reportRejectedGga(line, checked.problem);
        return;
    }
    const auto now = clock().monotonic();
    state_.Position.Heard(now);
    std::optional<GnssFix> fix;
    if (checked.kind == GgaKind::Position) {
        fix = GnssFix{checked.latitude, checked.longitude, checked.altitude.value_or(state_.Position.LastAltitude()),
                      checked.fixQuality};
        state_.Position.Take(*fix, now);
    } else {
        state_.Position.Lose();
    }

    const GgaReading gga = ReadGga(line);
    if (gga.time > 0) {
        const int hh = int(gga.time / 10000);
        const int mm = int((gga.time - hh * 10000.0) / 100);
        const int ss = int(gga.time - hh * 10000.0 - mm * 100.0);
        char text[32];
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", hh, mm, ss);
        state_.GgaTimeText = text;
    }
    // A fix at exactly 00:00:00 UTC is a position like any other; only missing fields make a
    // sentence empty.
    state_.NoValidPosition = gga.valuesRead < 2;
    if (fix && fix->fixQuality == 4 && gga.valuesRead >= 3) {
        state_.RtkAntennaHeight = gga.valuesRead == 4 ? gga.altitude + gga.geoidSeparation : gga.altitude;
        state_.RtkTide = state_.RtkAntennaHeight - state_.AntennaHeight;
    }
    if (state_.NoValidPosition) return;

    if (ForwardEnabled && (ForwardTarget == -1 || ForwardTarget == 0)) {
        std::string text(line);
        text += "\r\n";
        forward(text, ForwardUdpPort, false);
    }
    if (fix) writeSensorSentences(*fix, GgaTimeField(line), now);
}

void GnssLineHandler::writeSensorSentences(const GnssFix& fix, const std::string& timeField, TimePoint now)
{
    if (VesselSensors.empty()) return;
    // Without a current heading a sensor's place is unknown (a sensor 10 m astern would be put
    // 10 m south whatever the vessel's heading): no sentence rather than a wrong position.
    const std::optional<double> heading = currentHeading(now);
    if (!heading) return;
    const ProjectionSnapshot* snapshot = env_.snapshot();
    if (!snapshot) return;
    // The sensors are placed from this sentence's own position, so a sentence's time and
    // position belong to the same epoch.
    const GridProjection projection = env_.gridProjection();
    const auto antenna = snapshot->toGrid(fix.latitude, fix.longitude, fix.altitude, projection);
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
            BuildSyntheticGga(SensorTalker(sensor.Name), time, position->lat, position->lon, fix.fixQuality);
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
