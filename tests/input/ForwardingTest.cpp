#include "app/Settings.h"
#include "app/SharedValues.h"
#include "input/GgaForwarding.h"
#include "input/UdpLineBuffer.h"
#include "input/windows/ForwardingGroups.h"
#include "platform/IniFile.h"

#include "support/PtyPair.h"
#include "support/TempHome.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <arpa/inet.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

using namespace vsx;
using vsx::test::TempHome;

namespace {

// A UDP socket of the test's own on 127.0.0.1 at a free port.
struct LoopbackReceiver {
    int fd = -1;
    int port = 0;
    LoopbackReceiver()
    {
        fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
    }
    ~LoopbackReceiver() { ::close(fd); }
    std::string receive(int timeoutMs = 1000)
    {
        pollfd p {fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0) return {};
        char buf[2048];
        ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        return n > 0 ? std::string(buf, size_t(n)) : std::string();
    }
};

void sendDatagram(int port, const std::string& bytes)
{
    int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::close(fd);
}

int openFdCount()
{
    int n = 0;
    if (DIR* d = ::opendir("/proc/self/fd")) {
        while (::readdir(d)) ++n;
        ::closedir(d);
    }
    return n;
}

void resetForwarding()
{
    CloseForwardTarget();
    ForwardEnabled = false;
    ForwardUseUdp = true;
    ForwardUdpIp = "127.0.0.1";
    ForwardUdpPort = ForwardBaseUdpPort = kDefaultForwardUdpPort;
    ForwardTarget = -1;
    VesselSensors.clear();
}

const std::string kGga = "$GPGGA,123519,4807.038,N,01131.000,E,4,08,0.9,545.4,M,46.9,M,,*4B\r\n";

} // namespace

TEST(GgaForwarding, UdpSentenceArrivesByteForByte)
{
    TempHome home;
    resetForwarding();
    LoopbackReceiver rx;
    ForwardUseUdp = true;
    OpenForwardTarget(GetIniFileName());
    ASSERT_TRUE(SendForwardBytes(kGga, rx.port));
    EXPECT_EQ(rx.receive(), kGga);
    ForwardUdpIp = "abc";  // not an address: nothing is sent (never a broadcast)
    EXPECT_FALSE(SendForwardBytes(kGga, rx.port));
    ForwardUdpIp = "127.0.0.1";
    EXPECT_FALSE(SendForwardBytes(kGga, 70000));
    resetForwarding();
}

TEST(GgaForwarding, SerialTargetIs8N1AtTheBaudAndNeverBlocks)
{
    TempHome home;
    resetForwarding();
    vsx::test::PtyPair pty;
    pty.mapTo(GetIniFileName(), "COM7");
    ForwardUseUdp = false;
    ForwardSerialPort = "COM7";
    ForwardSerialBaud = 4800;
    OpenForwardTarget(GetIniFileName());
    ASSERT_TRUE(ForwardSerialHandle);
    termios t {};
    ASSERT_EQ(::tcgetattr(pty.masterFd(), &t), 0);
    ASSERT_TRUE(SendForwardBytes(kGga, 0));
    EXPECT_EQ(pty.readAll(), kGga);
    // Nobody reads the device: sends return at once and drop what does not fit.
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 2000; ++i) SendForwardBytes(kGga, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    // Opening again (the survey start after the enable box) replaces the target, never doubles it.
    OpenForwardTarget(GetIniFileName());
    ASSERT_TRUE(ForwardSerialHandle);
    EXPECT_TRUE(ForwardSerialHandle->isOpen()) << "the second open of an exclusive port must not fail";
    resetForwarding();
}

TEST(GgaForwarding, PortArithmeticAndNoDriftAcrossSaveAndLoad)
{
    TempHome home;
    resetForwarding();
    VesselSensors = {{"Transducer"}, {"Transponder"}, {"Echo"}};
    ForwardingGroup g;
    g.RebuildTargetItems();
    EXPECT_EQ(g.cbSensorSelect->count(), 5);
    EXPECT_EQ(g.cbSensorSelect->itemText(2), "TRA");
    EXPECT_EQ(g.cbSensorSelect->itemText(3), "TRA");
    g.edUDPPort->setText("20000");
    EXPECT_EQ(ForwardBaseUdpPort, 20000);
    g.cbSensorSelect->setCurrentIndex(1);
    g.onForwardTargetChanged();
    EXPECT_EQ(g.edUDPPort->text(), "20000");
    EXPECT_EQ(ForwardTarget, 0);
    g.cbSensorSelect->setCurrentIndex(3);
    g.onForwardTargetChanged();
    EXPECT_EQ(g.edUDPPort->text(), "20002");
    EXPECT_EQ(ForwardTarget, 2);
    g.edUDPPort->setText("30000");  // typed while a single target is chosen: base stays
    EXPECT_EQ(ForwardUdpPort, 30000);
    EXPECT_EQ(ForwardBaseUdpPort, 20000);
    g.cbSensorSelect->setCurrentIndex(4);  // "ECH": target 3
    g.onForwardTargetChanged();
    EXPECT_EQ(g.edUDPPort->text(), "20003");
    {
        IniFile ini(GetIniFileName());
        g.SaveToSettings(ini);
    }
    for (int round = 0; round < 3; ++round) {
        ForwardingGroup again;
        again.LoadFromSettings(IniFile(GetIniFileName()), false);
        EXPECT_EQ(ForwardTarget, 3);
        EXPECT_EQ(ForwardBaseUdpPort, 20000) << "round " << round;
        EXPECT_EQ(again.edUDPPort->text(), "20003");
        IniFile ini(GetIniFileName());
        again.SaveToSettings(ini);
    }
    ForwardingGroup back;
    back.LoadFromSettings(IniFile(GetIniFileName()), false);
    back.cbSensorSelect->setCurrentIndex(0);
    back.onForwardTargetChanged();
    EXPECT_EQ(back.edUDPPort->text(), "20000");
    resetForwarding();
}

TEST(GgaForwarding, StoredSerialTargetOpensOnceWithLoadedValues)
{
    TempHome home;
    resetForwarding();
    vsx::test::PtyPair pty;
    pty.mapTo(GetIniFileName(), "COM9");
    {
        IniFile ini(GetIniFileName());
        ini.writeBool("SENSOR_FORWARD", "Enabled", true);
        ini.writeBool("SENSOR_FORWARD", "UseUDP", false);
        ini.writeString("SENSOR_FORWARD", "SerialPort", "COM9");
        ini.writeString("SENSOR_FORWARD", "SerialBaud", "9600");
    }
    ForwardingGroup g;
    g.LoadFromSettings(IniFile(GetIniFileName()), true);
    EXPECT_TRUE(ForwardEnabled);
    EXPECT_FALSE(ForwardUseUdp);
    EXPECT_EQ(ForwardSerialBaud, 9600);
    EXPECT_FALSE(ForwardSocket.isOpen()) << "no UDP socket for a stored serial target";
    ASSERT_TRUE(ForwardSerialHandle);
    EXPECT_TRUE(ForwardSerialHandle->isOpen());
    resetForwarding();
}

TEST(GgaForwarding, EnableOffAndOnLeaksNothing)
{
    TempHome home;
    resetForwarding();
    ForwardingGroup g;
    const int before = openFdCount();
    for (int i = 0; i < 20; ++i) {
        g.cbEnableSensorForward->setChecked(true);
        g.cbEnableSensorForward->setChecked(false);
    }
    EXPECT_EQ(openFdCount(), before);
    g.cbEnableSensorForward->setChecked(true);
    EXPECT_TRUE(ForwardSocket.isOpen());
    OpenForwardTarget(GetIniFileName());  // survey start on top of the enable box
    EXPECT_EQ(openFdCount(), before + 1);
    resetForwarding();
}

TEST(UdpInput, ListenerReceivesAndCutsLines)
{
    TempHome home;
    GpsUdpInputGroup g;
    bool timerStarted = false;
    g.onListening = [&] { timerStarted = true; };
    LoopbackReceiver probe;  // find a free port, then give it back
    const int port = probe.port;
    ::close(probe.fd);
    probe.fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    g.edTCPPort->setText(QString::number(port));
    g.onListenClicked();
    ASSERT_TRUE(GpsUdpListening);
    EXPECT_EQ(g.lblTCPStatus->text(), QStringLiteral("Listening:%1").arg(port));
    EXPECT_TRUE(timerStarted);

    sendDatagram(port, "$GPHDT,123.4,T*00\r\n$GPVTG,1,T,,M,2,N,3,K*00\r\n$GPGGA,1,2");
    sendDatagram(port, "3,4*00\r\n\r\n$GPRMC,x*00\n");
    UdpLineBuffer buffer;
    std::vector<std::string> lines;
    std::string datagram;
    for (int tries = 0; tries < 100 && lines.size() < 4; ++tries) {
        while (GpsUdpSocket.receive(datagram))
            for (auto& l : buffer.append(datagram)) lines.push_back(l);
        if (lines.size() < 4) ::usleep(5000);
    }
    EXPECT_EQ(lines, (std::vector<std::string> {"$GPHDT,123.4,T*00", "$GPVTG,1,T,,M,2,N,3,K*00", "$GPGGA,1,23,4*00",
                                                "$GPRMC,x*00"}));
    g.onListenClicked();
    EXPECT_FALSE(GpsUdpListening);
    EXPECT_EQ(g.lblTCPStatus->text(), "Stopped");
}

// A port another socket holds is in use, whether that socket allows sharing or not: with
// address or port reuse on both sides Linux would hand the datagrams to either socket.
TEST(UdpInput, PortHeldByAnotherSocketShowsPortInUse)
{
    struct Holder {
        const char* name;
        std::vector<int> options;
        in_addr_t address;
    };
    const Holder holders[] = {
        {"plain, any address", {}, INADDR_ANY},
        {"SO_REUSEADDR, any address", {SO_REUSEADDR}, INADDR_ANY},
        {"SO_REUSEADDR, loopback only", {SO_REUSEADDR}, INADDR_LOOPBACK},
        {"SO_REUSEPORT, any address", {SO_REUSEPORT}, INADDR_ANY},
        {"SO_REUSEADDR and SO_REUSEPORT, any address", {SO_REUSEADDR, SO_REUSEPORT}, INADDR_ANY},
    };
    for (const Holder& h : holders) {
        SCOPED_TRACE(h.name);
        const int held = ::socket(AF_INET, SOCK_DGRAM, 0);
        ASSERT_GE(held, 0);
        const int on = 1;
        for (int option : h.options) ASSERT_EQ(::setsockopt(held, SOL_SOCKET, option, &on, sizeof on), 0);
        sockaddr_in a {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(h.address);
        ASSERT_EQ(::bind(held, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        socklen_t len = sizeof a;
        ::getsockname(held, reinterpret_cast<sockaddr*>(&a), &len);
        const int port = ntohs(a.sin_port);

        GpsUdpInputGroup g;
        g.edTCPPort->setText(QString::number(port));
        g.onListenClicked();
        EXPECT_FALSE(GpsUdpListening);
        EXPECT_FALSE(GpsUdpSocket.isListening());
        EXPECT_EQ(g.lblTCPStatus->text(), "Port in use");
        EXPECT_EQ(g.notListeningReason(),
                  "UDP port " + std::to_string(port) + " is in use by another program; close it or choose another Listen Port");
        ::close(held);
        g.onListenClicked();  // pressing again retries, and now succeeds
        EXPECT_TRUE(GpsUdpListening);
        g.onListenClicked();
    }
}

TEST(UdpInput, LineBufferIsCapped)
{
    UdpLineBuffer b;
    b.append(std::string(10000, 'x'));
    EXPECT_LE(b.pending().size(), UdpLineBuffer::kPendingLimit);
    auto lines = b.append("y\r\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].back(), 'y');
}
