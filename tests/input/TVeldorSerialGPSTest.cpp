// The serial receiver against a pseudo-terminal that plays the device: recorded NMEA at its real
// rate, an unplug in mid-stream, streams of every shape, the settings it opens with, and handlers
// that close or destroy it.
#include "input/TVeldorSerialGPS.h"
#include "platform/Clock.h"
#include "platform/SerialPort.h"
#include "platform/SerialTermios.h"
#include "support/MissingPeer.h"
#include "support/PluggableDevice.h"
#include "support/PtyPair.h"
#include "support/TempHome.h"

#include <QPointer>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <random>

using namespace vsx;
using namespace std::string_literals;
using vsx::test::PluggableDevice;
using vsx::test::PtyPair;
using vsx::test::TempHome;

namespace {

std::vector<std::string> recordedLines(const std::string& file, size_t count)
{
    std::ifstream in(vsx::test::sharedDataFolder() + "nmea/" + file, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; lines.size() < count && std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool waitFor(const std::function<bool()>& done, int ms = 2000)
{
    for (int waited = 0; !done() && waited < ms; waited += 5) QTest::qWait(5);
    return done();
}

// One receiver on "COM7", which the settings file maps to a pseudo-terminal, with every event
// written down in order.
struct Bench {
    Bench()
    {
        std::filesystem::create_directories(std::filesystem::path(home.iniPath()).parent_path());
        pty.mapTo(home.iniPath(), "COM7");
        gps = new TVeldorSerialGPS;
        gps->SettingsFileName = home.iniPath();
        gps->PortNumber = 7;
        gps->PollInterval = 5;
        record(gps);
    }
    ~Bench() { delete gps; }

    void record(TVeldorSerialGPS* r)
    {
        QObject::connect(r, &TVeldorSerialGPS::OnConnect, [this](TVeldorSerialGPS*, TVGPSCommPort p) { events.push_back("connect " + std::to_string(p)); });
        QObject::connect(r, &TVeldorSerialGPS::OnDisconnect, [this](TVeldorSerialGPS*, TVGPSCommPort p) { events.push_back("disconnect " + std::to_string(p)); });
        QObject::connect(r, &TVeldorSerialGPS::OnIdle, [this](TVeldorSerialGPS*) { events.push_back("idle"); });
        QObject::connect(r, &TVeldorSerialGPS::OnTimeout, [this](TVeldorSerialGPS*) { events.push_back("timeout"); });
        QObject::connect(r, &TVeldorSerialGPS::OnNewCommand, [this](TVeldorSerialGPS*, const std::string& line) {
            events.push_back("line");
            lines.push_back(line);
        });
        QObject::connect(r, &TVeldorSerialGPS::OnSend, [this](TVeldorSerialGPS*, std::string b) { events.push_back("send " + b); });
        QObject::connect(r, &TVeldorSerialGPS::OnPosition3DChange, [this](TVeldorSerialGPS*, double, double, double) { events.push_back("position"); });
        QObject::connect(r, &TVeldorSerialGPS::OnSpeedChange, [this](TVeldorSerialGPS*, double) { events.push_back("speed"); });
    }

    // Writes into the device and waits until the receiver has cut it into lines.
    void feed(const std::string& bytes, size_t moreLines)
    {
        const size_t want = lines.size() + moreLines;
        ASSERT_TRUE(pty.write(bytes));
        ASSERT_TRUE(waitFor([&] { return lines.size() >= want; })) << "got " << lines.size() << " of " << want;
    }
    size_t count(const std::string& event) const { return size_t(std::count(events.begin(), events.end(), event)); }

    TempHome home;
    PtyPair pty;
    TVeldorSerialGPS* gps = nullptr;
    std::vector<std::string> events;
    std::vector<std::string> lines;
};

QTimer* pollTimer(TVeldorSerialGPS* r) { return r->findChild<QTimer*>("PollTimer"); }

const std::string kGga = "$GPGGA,132821.50,4134.49834733,N,09345.03335569,W,2,09,1.0,278.655,M,-31.442,M,8.4,0133*7E";

} // namespace

TEST(TVeldorSerialGPS, ReplaysARecordingAtItsRate)
{
    const std::vector<std::string> recorded = recordedLines("nmea-rtk.log", 40);  // 20 epochs of GGA + RMC, CR LF
    if (recorded.size() < 40) VSX_SKIP_MISSING() << "shared recordings not found (VSX_SHARED_DATA)";
    Bench b;
    b.home.writeFile("VLT/LOG/.keep", "");
    b.gps->RawLogEnabled = true;
    b.gps->RawLogFileName = b.home.path("VLT/LOG/2020-03-18 VSX_GNSS_V3.log");
    b.gps->PollInterval = 10;
    // Inside the owner's handler the raw log already holds the line and the receiver's own
    // values do not yet show it.
    std::vector<std::string> problems;
    QObject::connect(b.gps, &TVeldorSerialGPS::OnNewCommand, [&](TVeldorSerialGPS* g, const std::string& line) {
        std::string log = b.home.readFile(g->RawLogFileName);
        if (log.size() < line.size() + 2 || log.compare(log.size() - line.size() - 2, std::string::npos, line + "\r\n") != 0)
            problems.push_back("not yet in the raw log: " + line);
        std::vector<std::string_view> f;
        SplitFields(line, f);
        if (f[0] == "$GNGGA" || f[0] == "$GPGGA")
            if (g->GetLatitude() == NmeaToDegrees(f[2], f[3])) problems.push_back("values changed before the owner saw: " + line);
    });
    b.gps->Open();
    ASSERT_TRUE(b.gps->Connected()) << b.gps->LastError();
    ASSERT_EQ(b.events.at(0), "connect 7");

    for (size_t i = 0; i < recorded.size(); i += 2) {  // one epoch every 50 ms
        ASSERT_TRUE(b.pty.write(recorded[i] + "\r\n" + recorded[i + 1] + "\r\n"));
        QTest::qWait(50);
    }
    ASSERT_TRUE(waitFor([&] { return b.lines.size() == recorded.size(); }));
    EXPECT_EQ(b.lines, recorded);  // every line is longer than 82 characters
    EXPECT_TRUE(problems.empty()) << problems.front();
    EXPECT_EQ(b.gps->ChecksumErrors(), 0);

    std::string expectedLog;
    for (const std::string& l : recorded) expectedLog += l + "\r\n";
    EXPECT_EQ(b.home.readFile(b.gps->RawLogFileName), expectedLog);

    // The last epoch: GGA 4134.49834733 N 09345.03335569 W, quality 2, 9 satellites, 278.655 m;
    // RMC 0.963 knots, course 69.197.
    EXPECT_DOUBLE_EQ(b.gps->GetLatitude(), 41 + 34.49834733 / 60);
    EXPECT_DOUBLE_EQ(b.gps->GetLongitude(), -(93 + 45.03335569 / 60));
    EXPECT_DOUBLE_EQ(b.gps->GetAltitude(), 278.655);
    EXPECT_EQ(b.gps->GetFixQuality(), 2);
    EXPECT_EQ(b.gps->GetSatellites(), 9);
    EXPECT_DOUBLE_EQ(b.gps->GetSpeed(), 0.963 * 1.852);
    EXPECT_DOUBLE_EQ(b.gps->GetCourse(), 69.197);
    EXPECT_EQ(b.count("position"), 20u);  // every epoch moved
    EXPECT_GT(b.count("speed"), 10u);
    // Each position event follows its own line.
    for (size_t i = 1; i < b.events.size(); ++i) {
        if (b.events[i] == "position") {
            EXPECT_EQ(b.events[i - 1], "line");
        }
    }
}

TEST(TVeldorSerialGPS, UnpluggedDeviceReleasesThePortAndGoesQuiet)
{
    Bench b;
    b.gps->NoDataInterval = 40;
    b.gps->Open();
    ASSERT_TRUE(b.gps->Connected());
    std::shared_ptr<SerialPort> workerCopy = b.gps->Handle();
    b.feed(kGga + "\r\n$GPHDT,12.5,T*00\r\n$GPGGA,1328", 2);
    b.pty.closeMaster();

    ASSERT_TRUE(waitFor([&] { return !b.gps->Handle(); }));
    EXPECT_FALSE(pollTimer(b.gps)->isActive());  // nothing left to poll, nothing spins
    EXPECT_FALSE(workerCopy->isOpen());
    EXPECT_FALSE(workerCopy->write("rtcm"));
    EXPECT_TRUE(b.gps->Connected());
    EXPECT_NE(b.gps->LastError().find("has gone"), std::string::npos) << b.gps->LastError();
    b.gps->Write("$PCMD\r\n");  // nowhere to go: nothing written, no event
    EXPECT_EQ(b.count("send $PCMD\r\n"), 0u);

    ASSERT_TRUE(waitFor([&] { return b.count("idle") == 1; }));
    QTest::qWait(150);
    EXPECT_EQ(b.count("idle"), 1u);  // once per silence
    EXPECT_EQ(b.lines.size(), 2u);

    b.gps->Close();
    EXPECT_EQ(b.events.back(), "disconnect 7");
    EXPECT_EQ(b.gps->GetLatitude(), 0);
    EXPECT_EQ(b.gps->GetFixQuality(), 0);
}

// The device is pulled out in the middle of a sentence and put back on the same path later:
// the receiver tries again on its own, without events while the device is away, and reads the
// returned device from its first line; Close ends the tries.
TEST(TVeldorSerialGPS, LostDeviceIsOpenedAgainWhenItComesBack)
{
    Bench b;
    PluggableDevice device(b.home.path("gnss-by-id"));
    device.mapTo(b.home.iniPath(), "COM7");
    QObject::connect(b.gps, &TVeldorSerialGPS::OnDeviceLost,
                     [&](TVeldorSerialGPS*, TVGPSCommPort p) { b.events.push_back("lost " + std::to_string(p)); });
    QObject::connect(b.gps, &TVeldorSerialGPS::OnDeviceBack,
                     [&](TVeldorSerialGPS*, TVGPSCommPort p) { b.events.push_back("back " + std::to_string(p)); });
    b.home.writeFile("log/.keep", "");
    b.gps->RawLogEnabled = true;
    b.gps->RawLogFileName = b.home.path("log/raw.log");
    b.gps->ReconnectInterval = 40;
    b.gps->BaudRate = 19200;
    b.gps->Open();
    ASSERT_TRUE(b.gps->Connected()) << b.gps->LastError();
    QTimer* retry = b.gps->findChild<QTimer*>("ReconnectTimer");
    EXPECT_FALSE(retry->isActive());

    ASSERT_TRUE(device.write(kGga + "\r\n$GPGGA,1328"));
    ASSERT_TRUE(waitFor([&] { return b.lines.size() == 1; }));
    EXPECT_NE(b.gps->GetLatitude(), 0);
    device.unplug();
    ASSERT_TRUE(waitFor([&] { return b.gps->DeviceLost(); }));
    EXPECT_EQ(b.events.back(), "lost 7");
    EXPECT_TRUE(b.gps->Connected());
    EXPECT_FALSE(b.gps->Handle());
    EXPECT_TRUE(retry->isActive());
    // The last values belonged to the device that went: none of them is offered as current.
    EXPECT_EQ(b.gps->GetLatitude(), 0);
    EXPECT_EQ(b.gps->GetFixQuality(), 0);
    QTest::qWait(200);  // several tries on a missing device: quiet
    EXPECT_EQ(b.events.back(), "lost 7");
    EXPECT_NE(b.gps->LastError().find("has gone"), std::string::npos) << b.gps->LastError();

    device.plugIn();
    ASSERT_TRUE(waitFor([&] { return !b.gps->DeviceLost(); }));
    EXPECT_EQ(b.events.back(), "back 7");
    EXPECT_FALSE(retry->isActive());
    EXPECT_TRUE(b.gps->LastError().empty()) << b.gps->LastError();
    // Opened again with the settings of the session, on the new device behind the same path.
    serial::LineState line;
    ASSERT_TRUE(serial::readLineState(device.masterFd(), line));
    EXPECT_EQ(line.baudRate, 19200u);
    EXPECT_TRUE(line.raw);
    // The same position as before the loss is a position again (the receiver forgot the old one).
    ASSERT_TRUE(device.write(kGga + "\r\n$GPHDT,7,T\r\n"));
    ASSERT_TRUE(waitFor([&] { return b.lines.size() == 3; }));
    EXPECT_EQ(b.lines[1], kGga);  // the half sentence from before the loss is not glued on
    EXPECT_EQ(b.lines[2], "$GPHDT,7,T");
    EXPECT_EQ(b.count("position"), 2u);
    EXPECT_EQ(b.home.readFile("log/raw.log"), kGga + "\r\n" + kGga + "\r\n$GPHDT,7,T\r\n");
    b.gps->Write("$PCMD\r\n");
    EXPECT_EQ(b.count("send $PCMD\r\n"), 1u);

    // Lost again, then closed while away: the tries end and nothing comes back.
    device.unplug();
    ASSERT_TRUE(waitFor([&] { return b.gps->DeviceLost(); }));
    b.gps->Close();
    EXPECT_FALSE(retry->isActive());
    EXPECT_FALSE(b.gps->DeviceLost());
    EXPECT_EQ(b.events.back(), "disconnect 7");
    device.plugIn();
    QTest::qWait(150);
    EXPECT_EQ(b.events.back(), "disconnect 7");
    EXPECT_FALSE(b.gps->Connected());
    EXPECT_TRUE(SerialPort::canOpen(device.path()));
}

TEST(TVeldorSerialGPS, StreamsOfEveryShape)
{
    Bench b;
    b.gps->Open();
    ASSERT_TRUE(b.gps->Connected());

    // Binary garbage (with its share of line ends) between sentences: no crash, and the
    // sentence after it is read.
    std::mt19937 random(7);
    std::string garbage(4000, '\0');
    for (char& c : garbage) c = char(random());
    ASSERT_TRUE(b.pty.write(garbage));
    b.feed("\r\n" + kGga + "\r\n", 1);
    ASSERT_TRUE(waitFor([&] { return b.lines.back() == kGga; }));
    EXPECT_DOUBLE_EQ(b.gps->GetAltitude(), 278.655);
    for (const std::string& l : b.lines) EXPECT_EQ(l.find('\0'), std::string::npos);

    // Zero bytes inside a sentence and LF alone.
    b.lines.clear();
    b.feed("$GPVTG,54.7,T,,M,,N,\0\0" "20.5,K*00\n$GPHDT,1,T\n"s, 2);
    EXPECT_EQ(b.lines[0], "$GPVTG,54.7,T,,M,,N,20.5,K*00");
    EXPECT_EQ(b.lines[1], "$GPHDT,1,T");

    // A sentence split across polls.
    b.lines.clear();
    const std::string rmc = "$GPRMC,1,A,4134.49,N,09345.03,W,10.0,124.888,180320,11.5985,E,D";
    ASSERT_TRUE(b.pty.write(rmc.substr(0, 20)));
    QTest::qWait(30);
    EXPECT_TRUE(b.lines.empty());
    b.feed(rmc.substr(20) + "\r\n", 1);
    EXPECT_EQ(b.lines, std::vector<std::string>{rmc});
    EXPECT_DOUBLE_EQ(b.gps->GetSpeed(), 18.52);

    // 8 KB without a line end: held within bounds (the last 2048 bytes once more than 4096 are
    // pending, plus what later polls bring), then the next line end cuts it.
    b.lines.clear();
    ASSERT_TRUE(b.pty.write(std::string(8192, 'x')));
    QTest::qWait(60);
    EXPECT_TRUE(b.lines.empty());
    b.feed("\r\n$GPHDT,2,T\r\n", 2);
    EXPECT_GE(b.lines[0].size(), 2048u);
    EXPECT_LE(b.lines[0].size(), 4096u + 1023u);
    EXPECT_EQ(b.lines[0], std::string(b.lines[0].size(), 'x'));
    EXPECT_EQ(b.lines[1], "$GPHDT,2,T");

    // A satellite sentence cut short with a whole GGA glued behind it: the GGA is not lost.
    b.lines.clear();
    b.feed("$GPGSV,3,3,12,06,08,270," + kGga + "\r\n", 2);
    EXPECT_EQ(b.lines, (std::vector<std::string>{"$GPGSV,3,3,12,06,08,270,", kGga}));
}

TEST(TVeldorSerialGPS, WrongChecksumIsLoggedAndDeliveredButDoesNotMoveTheVessel)
{
    Bench b;
    b.home.writeFile("log/.keep", "");
    b.gps->RawLogEnabled = true;
    b.gps->RawLogFileName = b.home.path("log/raw.log");
    std::vector<NmeaChecksum> seen;
    QObject::connect(b.gps, &TVeldorSerialGPS::OnNewCommand,
                     [&](TVeldorSerialGPS* g, const std::string&) { seen.push_back(g->LastLineChecksum()); });
    b.gps->Open();
    std::string corrupted = kGga;
    corrupted[20] = '9';  // a digit of the latitude changed on the line
    b.feed(corrupted + "\r\n$GPVTG,54.7,T,,M,,N,20.5,K*11\r\n$GPHDT,1,T\r\n", 3);
    EXPECT_EQ(b.lines[0], corrupted);
    EXPECT_EQ(seen, (std::vector<NmeaChecksum>{NmeaChecksum::Invalid, NmeaChecksum::Invalid, NmeaChecksum::Absent}));
    EXPECT_EQ(b.gps->ChecksumErrors(), 2);
    EXPECT_EQ(b.gps->GetLatitude(), 0);
    EXPECT_EQ(b.gps->GetSpeed(), 0);
    EXPECT_EQ(b.count("position") + b.count("speed"), 0u);
    EXPECT_EQ(b.home.readFile("log/raw.log"), corrupted + "\r\n$GPVTG,54.7,T,,M,,N,20.5,K*11\r\n$GPHDT,1,T\r\n");

    b.feed(kGga + "\r\n", 1);
    EXPECT_EQ(seen.back(), NmeaChecksum::Valid);
    EXPECT_EQ(b.count("position"), 1u);
}

// Input that was waiting at the port when it was opened goes to the raw log and nowhere else, the
// line its last bytes begin included; a GGA cut short without a checksum is logged and delivered
// but moves nothing, and a whole one without a checksum is used.
TEST(TVeldorSerialGPS, WaitingInputAndCutGgaReachOnlyTheRawLog)
{
    Bench b;
    b.home.writeFile("log/.keep", "");
    b.gps->RawLogEnabled = true;
    b.gps->RawLogFileName = b.home.path("log/raw.log");
    b.gps->Open();
    ASSERT_TRUE(b.gps->Connected()) << b.gps->LastError();
    const std::string before = "$GPGGA,120000.00,4100.000,N,03300.000,E,4,12,0.8,45.5,M,20.1,M,,\r\n$SDDPT,20.1,0.0\r\n";
    b.gps->TakeWaitingInput(before + "$GPGGA,1200");
    EXPECT_TRUE(b.lines.empty());
    b.feed("01.00,4100.000,N,03300.000,E,4,12,0.8,45.5,M,20.1,M,,\r\n" + kGga + "\r\n", 1);
    EXPECT_EQ(b.lines, std::vector<std::string>{kGga});
    EXPECT_EQ(b.count("position"), 1u);
    EXPECT_DOUBLE_EQ(b.gps->GetAltitude(), 278.655);

    const std::string cut = "$GPGGA,132822.00,4134.49834733,N,09345.03335569,W,4,09,1.0,27";
    const std::string whole = "$GPGGA,132823.00,4134.49834733,N,09345.03335569,W,4,09,1.0,238.6,M,-31.442,M,,";
    b.feed(cut + "\r\n", 1);
    EXPECT_EQ(b.lines.back(), cut);
    EXPECT_EQ(b.count("position"), 1u);
    EXPECT_DOUBLE_EQ(b.gps->GetAltitude(), 278.655);
    EXPECT_EQ(b.gps->GetFixQuality(), 2);
    b.feed(whole + "\r\n", 1);
    EXPECT_EQ(b.count("position"), 2u);
    EXPECT_DOUBLE_EQ(b.gps->GetAltitude(), 238.6);

    EXPECT_EQ(b.home.readFile("log/raw.log"), before + "$GPGGA,120001.00,4100.000,N,03300.000,E,4,12,0.8,45.5,M,20.1,M,,\r\n" +
                                                   kGga + "\r\n" + cut + "\r\n" + whole + "\r\n");
}

TEST(TVeldorSerialGPS, PortNumbersAboveTwentyOpenTheirOwnPort)
{
    Bench b;
    PtyPair com20, com25;
    com20.mapTo(b.home.iniPath(), "COM20");
    com25.mapTo(b.home.iniPath(), "COM25");
    b.gps->PortNumber = PortNumberFromName("COM25");
    b.gps->Open();
    ASSERT_TRUE(b.gps->Connected()) << b.gps->LastError();
    EXPECT_EQ(b.events.back(), "connect 25");
    b.gps->Write("$PCMD\r\n");
    EXPECT_EQ(com25.readAll(), "$PCMD\r\n");
    EXPECT_EQ(com20.readAll(), "");
    b.gps->Close();
    EXPECT_EQ(b.events.back(), "disconnect 25");

    // Names that stand for no device do not open anything.
    for (int n : {26, 300, 0}) {
        b.gps->PortNumber = n;
        b.gps->Open();
        EXPECT_FALSE(b.gps->Connected()) << n;
        EXPECT_FALSE(b.gps->LastError().empty());
    }
    EXPECT_EQ(b.count("connect 25"), 1u);
}

TEST(TVeldorSerialGPS, OpenFailuresAreQuietButSayWhy)
{
    Bench b;
    TVeldorSerialGPS other;
    other.SettingsFileName = b.home.iniPath();
    other.PortNumber = 7;
    b.record(&other);
    b.gps->Open();
    other.Open();
    EXPECT_FALSE(other.Connected());
    EXPECT_FALSE(other.Handle());
    EXPECT_EQ(other.LastError(),
              "COM7: Cannot open " + b.pty.slavePath() + ": the port is in use; close the program that holds it");
    EXPECT_EQ(b.count("connect 7"), 1u);

    b.gps->Close();
    other.DataBitsCode = 0;  // no width chosen in the settings window: four bits, which no port has
    other.Open();
    EXPECT_FALSE(other.Connected());
    EXPECT_NE(other.LastError().find("data width"), std::string::npos) << other.LastError();
    EXPECT_EQ(b.count("connect 7"), 1u);
}

TEST(TVeldorSerialGPS, OpenTakesTheSettingsOfThatMoment)
{
    Bench b;
    b.gps->BaudRate = 14400;
    b.gps->StopBitsCode = 3;
    b.gps->ParityCode = 5;  // the port's own parity, checked
    b.gps->EnableDTR = b.gps->EnableRTS = true;
    b.gps->PollInterval = 0;
    b.gps->NoDataInterval = -5;
    b.gps->Open();
    ASSERT_TRUE(b.gps->Connected()) << b.gps->LastError();
    serial::LineState s;
    ASSERT_TRUE(serial::readLineState(b.pty.masterFd(), s));
    EXPECT_EQ(s.baudRate, 14400u);
    EXPECT_TRUE(s.twoStopBits);
    EXPECT_TRUE(s.parityCheck);
    EXPECT_TRUE(s.raw);
    EXPECT_EQ(pollTimer(b.gps)->interval(), 50);
    EXPECT_EQ(b.gps->findChild<QTimer*>("NoDataTimer")->interval(), 10000);
    b.gps->BaudRate = 4800;  // changed while open: no effect until the next Open
    b.gps->Open();
    ASSERT_TRUE(serial::readLineState(b.pty.masterFd(), s));
    EXPECT_EQ(s.baudRate, 14400u);
    EXPECT_EQ(b.count("connect 7"), 1u);
}

TEST(TVeldorSerialGPS, WriteCloseAndDestroy)
{
    Bench b;
    b.gps->Write("$PCMD,0\r\n");  // closed: nothing
    EXPECT_TRUE(b.events.empty());
    b.gps->Open();
    b.gps->Write("$PCMD,1\r\n");
    EXPECT_EQ(b.pty.readAll(), "$PCMD,1\r\n");
    EXPECT_EQ(b.events.back(), "send $PCMD,1\r\n");

    b.feed(kGga + "\r\n$GPVTG,54.7,T,,M,,N,20.5,K\r\n", 2);
    EXPECT_NE(b.gps->GetLatitude(), 0);
    b.gps->Close();
    EXPECT_EQ(b.events.back(), "disconnect 7");
    for (double v : {b.gps->GetLatitude(), b.gps->GetLongitude(), b.gps->GetAltitude(), b.gps->GetSpeed(), b.gps->GetCourse()})
        EXPECT_EQ(v, 0);
    EXPECT_EQ(b.gps->GetSatellites(), 0);
    b.gps->Close();  // closed already: no second event
    EXPECT_EQ(b.count("disconnect 7"), 1u);

    b.gps->Open();
    EXPECT_FALSE(SerialPort::canOpen(b.pty.slavePath()));
    delete b.gps;  // destroying an open receiver closes its port without an event
    b.gps = nullptr;
    EXPECT_EQ(b.count("disconnect 7"), 1u);
    EXPECT_TRUE(SerialPort::canOpen(b.pty.slavePath()));
}

TEST(TVeldorSerialGPS, HandlersMayCloseOrDestroyTheReceiver)
{
    {
        Bench b;
        b.gps->Open();
        QObject::connect(b.gps, &TVeldorSerialGPS::OnNewCommand, [&](TVeldorSerialGPS* g, const std::string&) { g->Close(); });
        b.feed("$GPHDT,1,T\r\n" + kGga + "\r\n", 1);
        QTest::qWait(30);
        EXPECT_EQ(b.lines.size(), 1u);  // the rest belonged to the closed session
        EXPECT_EQ(b.count("position"), 0u);
    }
    {
        Bench b;
        b.gps->Open();
        QObject::connect(b.gps, &TVeldorSerialGPS::OnSpeedChange, [&](TVeldorSerialGPS* g, double) {
            delete g;
            b.gps = nullptr;
        });
        b.feed("$GPRMC,1,A,4134.49,N,09345.03,W,10.0,124.888,180320\r\n$GPHDT,1,T\r\n", 1);
        QTest::qWait(30);
        EXPECT_EQ(b.gps, nullptr);
        EXPECT_EQ(b.lines.size(), 1u);
    }
}

// A handler that runs an event loop of its own (a message box) must not see the poll tick
// re-entered: lines keep their order and none comes twice.
TEST(TVeldorSerialGPS, NestedEventLoopInAHandler)
{
    Bench b;
    b.gps->Open();
    bool nested = false;
    QObject::connect(b.gps, &TVeldorSerialGPS::OnNewCommand, [&](TVeldorSerialGPS*, const std::string&) {
        if (nested) return;
        nested = true;
        b.pty.write("$C\r\n");
        QTest::qWait(40);
    });
    b.feed("$A\r\n$B\r\n", 3);
    EXPECT_EQ(b.lines, (std::vector<std::string>{"$A", "$B", "$C"}));
}

TEST(TVeldorSerialGPS, IdleOncePerSilence)
{
    Bench b;
    b.gps->NoDataInterval = 30;
    b.gps->Open();
    ASSERT_TRUE(waitFor([&] { return b.count("idle") == 1; }));
    QTest::qWait(120);
    EXPECT_EQ(b.count("idle"), 1u);
    b.feed("$GPHDT,1,T\r\n", 1);  // data, then silence again: one more
    ASSERT_TRUE(waitFor([&] { return b.count("idle") == 2; }));
    QTest::qWait(100);
    EXPECT_EQ(b.count("idle"), 2u);
    b.gps->Close();
    QTest::qWait(60);
    EXPECT_EQ(b.count("idle"), 2u);
    EXPECT_EQ(b.count("timeout"), 0u);
}

TEST(TVeldorSerialGPS, RawLogTimeStamps)
{
    Bench b;
    FakeClock clock({2024, 5, 6, 7, 8, 9, 45});
    setClock(&clock);
    b.home.writeFile("log/.keep", "");
    b.home.writeFile("log/raw.log", "earlier\r\n");
    b.gps->RawLogEnabled = b.gps->RawLogTimeStamps = true;
    b.gps->RawLogFileName = b.home.path("log/raw.log");
    b.gps->Open();
    b.feed("  $GPHDT,1,T\r\n\r\n", 1);
    setClock(nullptr);
    EXPECT_EQ(b.home.readFile("log/raw.log"), "earlier\r\n2024-05-06 07:08:09.045 $GPHDT,1,T\r\n");
}

TEST(TVeldorSerialGPS, PortNamesAndRates)
{
    const std::pair<const char*, int> names[] = {
        {"COM7", 7}, {"com3", 3}, {"COM25", 25}, {"COM256", 256}, {"COM0", 1}, {"COMx", 1}, {"", 1}, {"12", 12},
    };
    for (auto [text, n] : names) EXPECT_EQ(PortNumberFromName(text), n) << text;
    EXPECT_EQ(PortNameFromNumber(25), "COM25");
    const std::pair<int, int> rates[] = {{56000, 9600}, {128000, 9600}, {256000, 9600}, {230400, 230400},
                                         {14400, 14400}, {110, 110}, {9600, 9600}, {0, 9600}};
    for (auto [in, out] : rates) EXPECT_EQ(ValidBaudRate(in), out) << in;
}
