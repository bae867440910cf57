// Port names: which devices are found and in what order, how new devices get the next free
// "COMn" and keep it, and which names are listed as present or as free to open.
#include "platform/IniFile.h"
#include "platform/SerialPort.h"
#include "platform/SerialPortMap.h"
#include "support/PtyPair.h"
#include "support/TempHome.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace vsx;
using vsx::test::PtyPair;
using vsx::test::TempHome;

namespace {

// A made-up /dev and /sys/class/tty.
struct FakeDevices {
    explicit FakeDevices(const TempHome& home) : home(home)
    {
        folders.dev = home.path("dev/");
        folders.sysTty = home.path("sys/");
        std::filesystem::create_directories(folders.dev);
        std::filesystem::create_directories(folders.sysTty);
        std::filesystem::create_directories(std::filesystem::path(home.iniPath()).parent_path());
    }
    void node(const std::string& name) const { home.writeFile("dev/" + name, ""); }
    void uart(const std::string& name, int type) const
    {
        node(name);
        home.writeFile("sys/" + name + "/type", std::to_string(type) + "\n");
    }
    void byId(const std::string& name, const std::string& target) const
    {
        std::filesystem::create_directories(folders.dev + "serial/by-id");
        std::filesystem::create_symlink("../../" + target, folders.dev + "serial/by-id/" + name);
    }
    std::string dev(const std::string& name) const { return folders.dev + name; }

    const TempHome& home;
    SerialDeviceFolders folders;
};

std::string mapped(const TempHome& home, const std::string& name)
{
    IniFile ini(home.iniPath());
    return ini.readString(kSerialPortsSection, name, "");
}

} // namespace

TEST(SerialPortMap, FindsDevicesStableOnesFirstAndInNaturalOrder)
{
    TempHome home;
    FakeDevices d(home);
    for (const char* n : {"ttyUSB10", "ttyUSB2", "ttyUSB1", "ttyACM0", "rfcomm0", "tty5", "ttyprintk", "ttyUSBx"}) d.node(n);
    d.uart("ttyS0", 4);  // a 16550A
    d.uart("ttyS1", 0);  // an empty slot
    d.byId("usb-Receiver_A-if00-port0", "ttyUSB1");
    const std::vector<std::string> expected = {
        d.folders.dev + "serial/by-id/usb-Receiver_A-if00-port0",
        d.dev("ttyUSB2"), d.dev("ttyUSB10"), d.dev("ttyACM0"), d.dev("ttyS0"), d.dev("rfcomm0"),
    };
    EXPECT_EQ(findSerialDevices(d.folders), expected);
}

TEST(SerialPortMap, NewDevicesGetTheLowestFreeNumbersOnceAndKeepThem)
{
    TempHome home;
    FakeDevices d(home);
    d.node("ttyUSB0");
    d.node("ttyUSB1");
    d.node("ttyACM0");
    d.byId("usb-Sounder-if00", "ttyUSB1");
    {
        IniFile ini(home.iniPath());
        ini.writeString(kSerialPortsSection, "COM1", "/dev/unplugged-today");
        ini.writeString(kSerialPortsSection, "com3", d.dev("ttyUSB0"));
    }
    auto given = assignSerialPortNames(home.iniPath(), findSerialDevices(d.folders));
    EXPECT_EQ(given, (std::vector<std::string>{"COM2", "COM4"}));
    EXPECT_EQ(mapped(home, "COM2"), d.folders.dev + "serial/by-id/usb-Sounder-if00");
    EXPECT_EQ(mapped(home, "COM4"), d.dev("ttyACM0"));
    EXPECT_EQ(mapped(home, "COM1"), "/dev/unplugged-today");  // kept for when it comes back

    // Nothing new: the file stays as it is; the node reached by a mapped link is named already.
    EXPECT_TRUE(assignSerialPortNames(home.iniPath(), findSerialDevices(d.folders)).empty());
    EXPECT_TRUE(assignSerialPortNames(home.iniPath(), {d.dev("ttyUSB1")}).empty());

    // The list shows only what is present, in number order.
    EXPECT_EQ(listSerialPorts(home.iniPath(), d.folders), (std::vector<std::string>{"COM2", "COM3", "COM4"}));
}

TEST(SerialPortMap, ResolvesNamesAndNamesDevicesOnAFreshSettingsFile)
{
    TempHome home;
    FakeDevices d(home);
    d.node("ttyUSB0");
    EXPECT_EQ(serialDevicePath(home.iniPath(), "COM1"), "");
    EXPECT_EQ(resolveSerialPort(home.iniPath(), "COM1", d.folders), d.dev("ttyUSB0"));
    EXPECT_EQ(mapped(home, "COM1"), d.dev("ttyUSB0"));
    EXPECT_EQ(resolveSerialPort(home.iniPath(), "com1 ", d.folders), d.dev("ttyUSB0"));
    EXPECT_EQ(resolveSerialPort(home.iniPath(), "COM2", d.folders), "");
    EXPECT_EQ(resolveSerialPort(home.iniPath(), "/dev/ttyACM7", d.folders), "/dev/ttyACM7");
    EXPECT_EQ(resolveSerialPort(home.iniPath(), "COM999", d.folders), "");
}

TEST(SerialPortMap, PortNumbers)
{
    const std::pair<const char*, int> cases[] = {
        {"COM1", 1}, {"com3", 3}, {"Com256", 256}, {"COM257", 0}, {"COM0", 0}, {"COM", 0}, {"COM1x", 0}, {"LPT1", 0}, {"7", 0},
    };
    for (auto [text, n] : cases) EXPECT_EQ(serialPortNumber(text), n) << text;
}

TEST(SerialPortMap, EnumerationLeavesOutPortsHeldOpen)
{
    TempHome home;
    FakeDevices none(home);  // no real devices in the way
    PtyPair a, b, c;
    a.mapTo(home.iniPath(), "COM1");
    b.mapTo(home.iniPath(), "COM2");
    c.mapTo(home.iniPath(), "COM12");
    EXPECT_EQ(EnumerateSerialPorts(home.iniPath(), none.folders), (std::vector<std::string>{"COM1", "COM2", "COM12"}));
    auto held = SerialPort::open(b.slavePath(), {});
    ASSERT_TRUE(held);
    EXPECT_EQ(EnumerateSerialPorts(home.iniPath(), none.folders), (std::vector<std::string>{"COM1", "COM12"}));
    held->close();
    EXPECT_EQ(EnumerateSerialPorts(home.iniPath(), none.folders).size(), 3u);
}
