#pragma once
// The sensor offset points of the vessel (a transducer, a sonar head ...) as offsets from the
// GNSS antenna, their settings sections [VESSEL_SENSORS] and [SENSOR_<i>], and the list edits.
// Other code addresses a sensor by its index in the list (its GGA output, its log file, the
// tracked point), so the edits keep every index meaningful.
#include "app/SharedValues.h"

#include <string>
#include <string_view>
#include <vector>

namespace vsx {

class IniFile;

inline constexpr const char* kVesselSensorsSection = "VESSEL_SENSORS";
std::string SensorSectionName(int index);  // "SENSOR_" + index

// A stored Count above this is taken as this many sensors (a damaged file must not hang the start).
inline constexpr int kMaxStoredSensors = 1000;

struct SensorSettings {
    std::vector<VesselSensor> sensors;
    bool showLabels = true;
    int activeTracking = -1;  // -1: the GNSS antenna is the tracked point
};

// Reads [VESSEL_SENSORS] and the sensor sections. A tracked index that names no sensor becomes -1.
SensorSettings LoadSensorSettings(const IniFile& ini);
// Erases the sections of the old Count, then writes Count and one section per sensor in order.
void SaveSensorSettings(IniFile& ini, const SensorSettings& settings);

// The list-box line: "Name [x.xx, y.yy]", with " (hidden)" for a sensor not drawn.
std::string SensorListLine(const VesselSensor& sensor);

// What the sensor editor's controls hold.
struct SensorInput {
    std::string name;
    std::string offsetX, offsetY;  // texts; not a number counts as 0.0
    ColorValue color = clBlue;
    bool visible = true;
};

enum class SensorEditResult { Done, NeedName, NeedSelectionToUpdate, NeedSelectionToDelete, BlockedWhileRunning };
// The message for a refused edit (English; a translation key).
const char* SensorEditMessage(SensorEditResult result);

// Appends a sensor (marker size 6). Refused without a name, and while real time runs: the
// per-sensor logs and GGA outputs are bound to the list as it was at the start.
SensorEditResult AddSensor(std::vector<VesselSensor>& sensors, const SensorInput& input, bool realtimeRunning);
// Replaces name, offsets, colour and visibility of the selected sensor; its marker size stays.
SensorEditResult UpdateSensor(std::vector<VesselSensor>& sensors, int selected, const SensorInput& input);
// Removes the selected sensor; the tracked index keeps following the same sensor (-1 when it is
// the one removed). Refused while real time runs.
SensorEditResult DeleteSensor(std::vector<VesselSensor>& sensors, int& activeTracking, int selected,
                              bool realtimeRunning);

} // namespace vsx
