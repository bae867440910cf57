#include "tools/SensorList.h"

#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "platform/Text.h"

#include <algorithm>

namespace vsx {

std::string SensorSectionName(int index) { return "SENSOR_" + formatInt(index); }

SensorSettings LoadSensorSettings(const IniFile& ini)
{
    SensorSettings s;
    s.showLabels = ini.readBool(kVesselSensorsSection, "ShowLabels", true);
    s.activeTracking = ini.readInteger(kVesselSensorsSection, "ActiveTrackingSensor", -1);
    const int count = std::min(ini.readInteger(kVesselSensorsSection, "Count", 0), kMaxStoredSensors);
    for (int i = 0; i < count; ++i) {
        const std::string section = SensorSectionName(i);
        VesselSensor v;
        v.Name = ini.readString(section, "Name", "Sensor" + formatInt(i));
        v.OffsetX = ini.readFloat(section, "OffsetX", 0.0);
        v.OffsetY = ini.readFloat(section, "OffsetY", 0.0);
        v.Color = ini.readInteger(section, "Color", clBlue);
        v.Visible = ini.readBool(section, "Visible", true);
        v.MarkerSize = ini.readInteger(section, "MarkerSize", 6);
        s.sensors.push_back(std::move(v));
    }
    if (s.activeTracking < 0 || s.activeTracking >= int(s.sensors.size())) s.activeTracking = -1;
    return s;
}

namespace {
// The settings file trims values and drops one pair of surrounding quotes, so a name with blanks
// at either end (or in quotes of its own) is written in quotes to come back as typed.
std::string quotedWhenNeeded(const std::string& name)
{
    const bool blanksAtEnds = !name.empty() && (trimView(name).size() != name.size());
    const bool quoted = name.size() >= 2 && name.front() == '"' && name.back() == '"';
    return blanksAtEnds || quoted ? '"' + name + '"' : name;
}
} // namespace

void SaveSensorSettings(IniFile& ini, const SensorSettings& s)
{
    ini.writeBool(kVesselSensorsSection, "ShowLabels", s.showLabels);
    ini.writeInteger(kVesselSensorsSection, "ActiveTrackingSensor", s.activeTracking);
    const int oldCount = std::min(ini.readInteger(kVesselSensorsSection, "Count", 0), kMaxStoredSensors);
    for (int i = 0; i < oldCount; ++i) ini.eraseSection(SensorSectionName(i));
    ini.writeInteger(kVesselSensorsSection, "Count", (long long)s.sensors.size());
    for (size_t i = 0; i < s.sensors.size(); ++i) {
        const VesselSensor& v = s.sensors[i];
        const std::string section = SensorSectionName(int(i));
        ini.writeString(section, "Name", quotedWhenNeeded(v.Name));
        ini.writeFloat(section, "OffsetX", v.OffsetX);
        ini.writeFloat(section, "OffsetY", v.OffsetY);
        ini.writeInteger(section, "Color", v.Color);
        ini.writeBool(section, "Visible", v.Visible);
        ini.writeInteger(section, "MarkerSize", v.MarkerSize);
    }
}

std::string SensorListLine(const VesselSensor& v)
{
    std::string line = v.Name + " [" + formatFixed(v.OffsetX, 2) + ", " + formatFixed(v.OffsetY, 2) + "]";
    if (!v.Visible) line += " (hidden)";
    return line;
}

const char* SensorEditMessage(SensorEditResult r)
{
    switch (r) {
    case SensorEditResult::Done: return "";
    case SensorEditResult::NeedName: return "Please enter a sensor name.";
    case SensorEditResult::NeedSelectionToUpdate: return "Please select a sensor to update.";
    case SensorEditResult::NeedSelectionToDelete: return "Please select a sensor to delete.";
    case SensorEditResult::BlockedWhileRunning:
        return "Sensors cannot be added or deleted while real time is running. Stop real time first.";
    }
    return "";
}

namespace {
bool hasName(const SensorInput& in) { return !trimView(in.name).empty(); }
bool validIndex(const std::vector<VesselSensor>& sensors, int i) { return i >= 0 && i < int(sensors.size()); }
void fill(VesselSensor& v, const SensorInput& in)
{
    v.Name = in.name;
    v.OffsetX = strToFloatDef(in.offsetX, 0.0);
    v.OffsetY = strToFloatDef(in.offsetY, 0.0);
    v.Color = in.color;
    v.Visible = in.visible;
}
} // namespace

SensorEditResult AddSensor(std::vector<VesselSensor>& sensors, const SensorInput& input, bool realtimeRunning)
{
    if (!hasName(input)) return SensorEditResult::NeedName;
    if (realtimeRunning) return SensorEditResult::BlockedWhileRunning;
    VesselSensor v;
    fill(v, input);
    v.MarkerSize = 6;
    sensors.push_back(std::move(v));
    return SensorEditResult::Done;
}

SensorEditResult UpdateSensor(std::vector<VesselSensor>& sensors, int selected, const SensorInput& input)
{
    if (!validIndex(sensors, selected)) return SensorEditResult::NeedSelectionToUpdate;
    if (!hasName(input)) return SensorEditResult::NeedName;
    fill(sensors[size_t(selected)], input);
    return SensorEditResult::Done;
}

SensorEditResult DeleteSensor(std::vector<VesselSensor>& sensors, int& activeTracking, int selected,
                              bool realtimeRunning)
{
    if (!validIndex(sensors, selected)) return SensorEditResult::NeedSelectionToDelete;
    if (realtimeRunning) return SensorEditResult::BlockedWhileRunning;
    sensors.erase(sensors.begin() + selected);
    if (activeTracking == selected) activeTracking = -1;
    else if (activeTracking > selected) --activeTracking;
    return SensorEditResult::Done;
}

} // namespace vsx
