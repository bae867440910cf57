#include "input/ExtraVesselSettings.h"

#include "platform/Numbers.h"

#include <algorithm>

namespace vsx {

const std::vector<std::string>& ExtraVesselBaudRates()
{
    static const std::vector<std::string> rates {"4800", "9600", "19200", "38400", "57600", "115200"};
    return rates;
}

static std::string section(int n) { return "GPS" + std::to_string(n); }

ExtraVesselPanelValues LoadExtraVesselPanel(const IniFile& ini, int n, const VesselSizeDefaults& d)
{
    const std::string s = section(n);
    ExtraVesselPanelValues p;
    p.enabled = ini.readBool(s, "Enabled", false);
    p.name = ini.readString(s, "Name", "Vessel " + std::to_string(n));
    p.port = ini.readString(s, "Port", "");
    const std::string baud = ini.readString(s, "BaudRate", "9600");
    const auto& rates = ExtraVesselBaudRates();
    p.baudRate = std::find(rates.begin(), rates.end(), baud) != rates.end() ? baud : "9600";
    p.color = ini.readInteger(s, "Color", 255);
    p.spacing = formatGeneral(ini.readFloat(s, "RunlineSpacing", d.runlineSpacing));
    p.fwd = formatGeneral(ini.readFloat(s, "BArrow", d.bowArrow));
    p.side = formatGeneral(ini.readFloat(s, "LArrow", d.sideOffset));
    p.r1 = formatGeneral(ini.readFloat(s, "Radious", d.firstRadius));
    p.interval = formatGeneral(ini.readFloat(s, "Interval", d.circleInterval));
    p.amount = std::to_string(ini.readInteger(s, "Amount", d.circleCount));
    return p;
}

void SaveExtraVesselPanels(IniFile& ini, const std::array<ExtraVesselPanelValues, kExtraVesselPanels>& panels,
                           std::vector<MultiVesselEntry>& vessels)
{
    ini.writeInteger("MULTI_VESSEL", "Count", kExtraVesselPanels);
    for (int i = 0; i < kExtraVesselPanels; ++i) {
        const ExtraVesselPanelValues& p = panels[size_t(i)];
        const std::string s = section(i + 2);
        const double spacing = strToFloatDef(p.spacing, 10.0);
        const double fwd = strToFloatDef(p.fwd, 100.0);
        const double side = strToFloatDef(p.side, 10.0);
        const double r1 = strToFloatDef(p.r1, 10.0);
        const double interval = strToFloatDef(p.interval, 10.0);
        const int amount = strToIntDef(p.amount, 2);
        ini.writeBool(s, "Enabled", p.enabled);
        ini.writeString(s, "Name", p.name);
        ini.writeString(s, "Port", p.port);
        ini.writeString(s, "BaudRate", p.baudRate.empty() ? "9600" : p.baudRate);
        ini.writeInteger(s, "Color", p.color);
        ini.writeFloat(s, "RunlineSpacing", spacing);
        ini.writeFloat(s, "BArrow", fwd);
        ini.writeFloat(s, "LArrow", side);
        ini.writeFloat(s, "Radious", r1);
        ini.writeFloat(s, "Interval", interval);
        ini.writeInteger(s, "Amount", amount);
        if (size_t(i) < vessels.size()) {
            MultiVesselEntry& e = vessels[size_t(i)];
            e.Enabled = p.enabled;
            e.Name = p.name;
            e.Port = p.port;
            e.BaudRate = p.baudRate;
            e.Color = p.color;
            e.RunlineSpacing = spacing;
            e.BArrow = fwd;
            e.LArrow = side;
            e.Radious = r1;
            e.Interval = interval;
            e.Amount = amount;
        }
    }
}

bool ApplyExtraVesselSpacing(ExtraVesselPanelValues& p, const std::string& spacingText)
{
    const double s = strToFloatDef(spacingText, 10.0);
    p.spacing = spacingText;
    if (s <= 0) return false;
    p.r1 = formatFixed(s, 2);
    p.interval = formatFixed(s, 2);
    p.side = formatFixed(s, 2);
    p.fwd = formatFixed(10 * s, 2);
    return true;
}

std::vector<MultiVesselEntry> ReadExtraVessels(const IniFile& ini)
{
    std::vector<MultiVesselEntry> list;
    const int n = std::min(ini.readInteger("MULTI_VESSEL", "Count", 0), 8);
    for (int k = 2; k <= n + 1; ++k) {
        const std::string s = section(k);
        MultiVesselEntry e;
        e.Enabled = ini.readBool(s, "Enabled", false);
        e.Name = ini.readString(s, "Name", "Vessel " + std::to_string(k));
        e.Color = ini.readInteger(s, "Color", 255);
        e.Port = ini.readString(s, "Port", "");
        e.BaudRate = ini.readString(s, "BaudRate", "9600");
        e.BArrow = ini.readFloat(s, "BArrow", 100.0);
        e.LArrow = ini.readFloat(s, "LArrow", 10.0);
        e.Radious = ini.readFloat(s, "Radious", 10.0);
        e.Interval = ini.readFloat(s, "Interval", 10.0);
        e.Amount = ini.readInteger(s, "Amount", 2);
        e.RunlineSpacing = ini.readFloat(s, "RunlineSpacing", 10.0);
        list.push_back(std::move(e));
    }
    return list;
}

} // namespace vsx
