#pragma once
// The [NTRIP] section of the settings file, written by the NTRIP window from its controls.
#include <optional>
#include <string>
#include <string_view>

namespace vsx {

inline constexpr const char* kNtripSection = "NTRIP";

struct NtripSettings {
    std::string Server;      // no caster is assumed: the user names one
    std::string Port = "2101";
    std::string Username;
    std::string Password;    // plain text
    std::string MountPoint;
    bool UseManualPosition = false;
    std::string Latitude = "0.0";
    std::string Longitude = "0.0";
    std::string OutputPort;
    int OutputBaud = 5;      // index into 4800 ... 115200
    bool OutputEnabled = false;
    bool AutoConnect = false;
    std::string LastProfile;
};

NtripSettings ReadNtripSettings(const std::string& iniPath);
// Every key, in the order above.
void WriteNtripSettings(const std::string& iniPath, const NtripSettings& settings);

// The caster port typed in the window: a whole number from 1 to 65535, else none.
std::optional<int> NtripPortNumber(std::string_view text);

// The output port's speeds, by the index of the window's speed list; any other index gives the
// last one.
int NtripOutputBaudRate(int index);
inline constexpr int kNtripOutputBaudRates[] = {4800, 9600, 19200, 38400, 57600, 115200};

} // namespace vsx
