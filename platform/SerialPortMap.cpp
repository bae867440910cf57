#include "platform/SerialPortMap.h"

#include "platform/AtomicFile.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/SerialPort.h"
#include "platform/Text.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace vsx {
namespace {

// The node a path leads to (through by-id links), or the path itself when it does not resolve.
std::string nodeOf(const std::string& path)
{
    std::error_code ec;
    fs::path p = fs::canonical(path, ec);
    return ec ? path : p.string();
}

bool exists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(path, ec);
}

// Entry names in a folder, in natural order (digit runs compared as numbers).
std::vector<std::string> entriesOf(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        size_t i = 0, j = 0;
        while (i < a.size() && j < b.size()) {
            bool da = a[i] >= '0' && a[i] <= '9', db = b[j] >= '0' && b[j] <= '9';
            if (da && db) {
                size_t ie = i, je = j;
                while (ie < a.size() && a[ie] >= '0' && a[ie] <= '9') ++ie;
                while (je < b.size() && b[je] >= '0' && b[je] <= '9') ++je;
                unsigned long long na = std::stoull(a.substr(i, std::min<size_t>(ie - i, 18)));
                unsigned long long nb = std::stoull(b.substr(j, std::min<size_t>(je - j, 18)));
                if (na != nb) return na < nb;
                i = ie;
                j = je;
            } else {
                if (a[i] != b[j]) return a[i] < b[j];
                ++i;
                ++j;
            }
        }
        return a.size() - i < b.size() - j;
    });
    return names;
}

bool isNumberedNode(const std::string& name, std::string_view prefix)
{
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
    return std::all_of(name.begin() + long(prefix.size()), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The kernel lists a ttyS slot for every possible 8250 port; only those with a UART behind
// them report a type other than 0.
bool hasRealUart(const SerialDeviceFolders& folders, const std::string& name)
{
    std::string bytes;
    if (!readFile(folders.sysTty + name + "/type", bytes)) return false;
    return strToIntDef(bytes, 0) != 0;
}

// The [SERIAL_PORTS] entries by port number.
std::map<int, std::string> readMap(const IniFile& ini)
{
    std::map<int, std::string> map;
    for (const std::string& key : ini.readSection(kSerialPortsSection)) {
        int n = serialPortNumber(key);
        std::string path = ini.readString(kSerialPortsSection, key, "");
        if (n > 0 && !path.empty() && !map.count(n)) map[n] = path;
    }
    return map;
}

std::string portName(int n) { return "COM" + std::to_string(n); }

} // namespace

int serialPortNumber(std::string_view portName)
{
    if (!startsWithIgnoreCaseAscii(portName, "COM")) return 0;
    std::string_view digits = portName.substr(3);
    if (digits.empty() || digits.size() > 3) return 0;
    int n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return (n >= 1 && n <= kMaxSerialPortNumber) ? n : 0;
}

std::vector<std::string> findSerialDevices(const SerialDeviceFolders& folders)
{
    std::vector<std::string> devices;
    std::set<std::string> nodes;
    const std::string byId = folders.dev + "serial/by-id/";
    for (const std::string& name : entriesOf(byId)) {
        devices.push_back(byId + name);
        nodes.insert(nodeOf(byId + name));
    }
    const std::vector<std::string> dev = entriesOf(folders.dev);
    for (std::string_view prefix : {"ttyUSB", "ttyACM", "ttyS", "rfcomm"}) {
        for (const std::string& name : dev) {
            if (!isNumberedNode(name, prefix)) continue;
            if (prefix == "ttyS" && !hasRealUart(folders, name)) continue;
            const std::string path = folders.dev + name;
            if (nodes.count(nodeOf(path))) continue;
            devices.push_back(path);
        }
    }
    return devices;
}

std::string serialDevicePath(const std::string& iniPath, std::string_view portName)
{
    std::string_view name = trimView(portName);
    if (name.substr(0, 5) == "/dev/") return std::string(name);
    int n = serialPortNumber(name);
    if (n == 0) return {};
    IniFile ini(iniPath);
    auto map = readMap(ini);
    auto it = map.find(n);
    return it == map.end() ? std::string() : it->second;
}

std::vector<std::string> assignSerialPortNames(const std::string& iniPath, const std::vector<std::string>& devices)
{
    std::vector<std::string> given;
    IniFile ini(iniPath);
    auto map = readMap(ini);
    std::set<std::string> known;
    for (const auto& [n, path] : map) {
        known.insert(path);
        known.insert(nodeOf(path));
    }
    int next = 1;
    for (const std::string& device : devices) {
        if (known.count(device) || known.count(nodeOf(device))) continue;
        while (next <= kMaxSerialPortNumber && map.count(next)) ++next;
        if (next > kMaxSerialPortNumber) break;
        map[next] = device;
        known.insert(device);
        known.insert(nodeOf(device));
        ini.writeString(kSerialPortsSection, portName(next), device);
        given.push_back(portName(next));
    }
    if (!given.empty()) {
        makeFolders(fs::path(iniPath).parent_path().string());
        ini.flush();
    }
    return given;
}

std::string resolveSerialPort(const std::string& iniPath, std::string_view portName, const SerialDeviceFolders& folders)
{
    std::string path = serialDevicePath(iniPath, portName);
    if (!path.empty() || serialPortNumber(trimView(portName)) == 0) return path;
    assignSerialPortNames(iniPath, findSerialDevices(folders));
    return serialDevicePath(iniPath, portName);
}

std::vector<std::string> listSerialPorts(const std::string& iniPath, const SerialDeviceFolders& folders)
{
    assignSerialPortNames(iniPath, findSerialDevices(folders));
    std::vector<std::string> names;
    IniFile ini(iniPath);
    for (const auto& [n, path] : readMap(ini))
        if (exists(path)) names.push_back(portName(n));
    return names;
}

std::vector<std::string> EnumerateSerialPorts(const std::string& iniPath, const SerialDeviceFolders& folders)
{
    std::vector<std::string> names;
    for (const std::string& name : listSerialPorts(iniPath, folders))
        if (SerialPort::canOpen(serialDevicePath(iniPath, name))) names.push_back(name);
    return names;
}

} // namespace vsx
