#include "input/NtripSettings.h"

#include "platform/IniFile.h"
#include "platform/Numbers.h"

#include <iterator>

namespace vsx {

NtripSettings ReadNtripSettings(const std::string& iniPath)
{
    const IniFile ini(iniPath);
    const NtripSettings d;
    NtripSettings s;
    const char* n = kNtripSection;
    s.Server = ini.readString(n, "Server", d.Server);
    s.Port = ini.readString(n, "Port", d.Port);
    s.Username = ini.readString(n, "Username", d.Username);
    s.Password = ini.readString(n, "Password", d.Password);
    s.MountPoint = ini.readString(n, "MountPoint", d.MountPoint);
    s.UseManualPosition = ini.readBool(n, "UseManualPosition", d.UseManualPosition);
    s.Latitude = ini.readString(n, "Latitude", d.Latitude);
    s.Longitude = ini.readString(n, "Longitude", d.Longitude);
    s.OutputPort = ini.readString(n, "OutputPort", d.OutputPort);
    s.OutputBaud = ini.readInteger(n, "OutputBaud", d.OutputBaud);
    s.OutputEnabled = ini.readBool(n, "OutputEnabled", d.OutputEnabled);
    s.AutoConnect = ini.readBool(n, "AutoConnect", d.AutoConnect);
    s.LastProfile = ini.readString(n, "LastProfile", d.LastProfile);
    return s;
}

void WriteNtripSettings(const std::string& iniPath, const NtripSettings& s)
{
    IniFile ini(iniPath);
    const char* n = kNtripSection;
    ini.writeString(n, "Server", s.Server);
    ini.writeString(n, "Port", s.Port);
    ini.writeString(n, "Username", s.Username);
    ini.writeString(n, "Password", s.Password);
    ini.writeString(n, "MountPoint", s.MountPoint);
    ini.writeBool(n, "UseManualPosition", s.UseManualPosition);
    ini.writeString(n, "Latitude", s.Latitude);
    ini.writeString(n, "Longitude", s.Longitude);
    ini.writeString(n, "OutputPort", s.OutputPort);
    ini.writeInteger(n, "OutputBaud", s.OutputBaud);
    ini.writeBool(n, "OutputEnabled", s.OutputEnabled);
    ini.writeBool(n, "AutoConnect", s.AutoConnect);
    ini.writeString(n, "LastProfile", s.LastProfile);
}

std::optional<int> NtripPortNumber(std::string_view text)
{
    const std::optional<long long> n = parseInteger(text);
    if (!n || *n < 1 || *n > 65535) return std::nullopt;
    return int(*n);
}

int NtripOutputBaudRate(int index)
{
    const int count = int(std::size(kNtripOutputBaudRates));
    return index >= 0 && index < count ? kNtripOutputBaudRates[index] : kNtripOutputBaudRates[count - 1];
}

} // namespace vsx
