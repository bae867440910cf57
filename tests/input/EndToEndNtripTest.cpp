// RTK corrections in the whole program, offscreen: the GNSS receiver is a pseudo-terminal fed
// with GGA, real time is started with its button, and RTKLIB's str2str is the caster on
// 127.0.0.1, serving a recorded RTCM 3 stream. The NTRIP window is reached from the main
// window's menu and used through its controls; what arrives at the receiver's (and the output
// port's) pseudo-terminal is compared byte for byte with what the caster sent, the uploaded GGA
// with the receiver's position, the logged base station with GeographicLib's CartConvert, and
// the report's message counts with a count of the test's own.
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "program/ProgramStart.h"
#include "app/windows/WindowPointers.h"
#include "input/TVeldorSerialGPS.h"
#include "input/windows/RtcmReportWindow.h"
#include "input/windows/NtripWindow.h"
#include "nav/windows/MainWindow.h"
#include "platform/AtomicFile.h"
#include "platform/IniFile.h"
#include "platform/Prompts.h"
#include "platform/Text.h"

#include "support/ControlInput.h"
#include "support/LocalCaster.h"
#include "support/MissingPeer.h"
#include "support/PluggableDevice.h"
#include "support/PtyCollector.h"
#include "support/PtyPair.h"
#include "support/TempHome.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>

using namespace vsx;
using namespace vsx::test;

namespace {

// ---- The test's own reading of RTCM 3, independent of the program's ---------------------------

std::uint32_t crc24q(const unsigned char* p, std::size_t n)
{
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= std::uint32_t(p[i]) << 16;
        for (int b = 0; b < 8; ++b) {
            crc <<= 1;
            if (crc & 0x1000000) crc ^= 0x1864CFB;
        }
    }
    return crc & 0xFFFFFF;
}

std::int64_t field(const unsigned char* payload, int bit, int width, bool isSigned)
{
    std::uint64_t v = 0;
    for (int i = bit; i < bit + width; ++i) v = (v << 1) | ((payload[i / 8] >> (7 - i % 8)) & 1);
    if (isSigned && (v >> (width - 1))) return std::int64_t(v) - (std::int64_t(1) << width);
    return std::int64_t(v);
}

struct Frames {
    std::map<int, int> counts;
    int total = 0;
    bool haveStation = false;
    int stationId = 0;
    double x = 0, y = 0, z = 0; // of the first 1005/1006
};

Frames readFrames(const std::string& bytes)
{
    Frames f;
    const auto* d = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t i = 0; i + 6 <= bytes.size();) {
        const std::size_t len = d[i] == 0xD3 ? (std::size_t(d[i + 1] & 3) << 8 | d[i + 2]) : 0;
        if (d[i] != 0xD3 || i + len + 6 > bytes.size()
            || crc24q(d + i, len + 3) != (std::uint32_t(d[i + 3 + len]) << 16 | d[i + 4 + len] << 8 | d[i + 5 + len])) {
            ++i;
            continue;
        }
        const unsigned char* p = d + i + 3;
        const int number = int(field(p, 0, 12, false));
        ++f.counts[number];
        ++f.total;
        if ((number == 1005 || number == 1006) && !f.haveStation) {
            f.haveStation = true;
            f.stationId = int(field(p, 12, 12, false));
            f.x = double(field(p, 34, 38, true)) * 1e-4;
            f.y = double(field(p, 74, 38, true)) * 1e-4;
            f.z = double(field(p, 114, 38, true)) * 1e-4;
        }
        i += len + 6;
    }
    return f;
}

// ---- Peers ------------------------------------------------------------------------------------

// Latitude, longitude and height by CartConvert; empty when it is missing.
std::vector<double> cartConvert(double x, double y, double z)
{
    char command[256];
    std::snprintf(command, sizeof command, "echo '%.4f %.4f %.4f' | CartConvert -r -p 9 2>/dev/null", x, y, z);
    std::vector<double> v;
    if (FILE* p = ::popen(command, "r")) {
        double a, b, c;
        if (std::fscanf(p, "%lf %lf %lf", &a, &b, &c) == 3) v = {a, b, c};
        ::pclose(p);
    }
    return v;
}

std::string checksummed(const std::string& body)
{
    unsigned char sum = 0;
    for (char c : body) sum ^= static_cast<unsigned char>(c);
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", sum);
    return "$" + body + "*" + hex + "\r\n";
}

// The receiver: one GGA at the given position per call, time moving on.
struct Receiver {
    PtyPair& pty;
    double lat = 41.0123456, lon = 28.9876543, alt = 52.3;
    int second = 0;
    void sendGga()
    {
        char body[160];
        const double a = std::fabs(lat), o = std::fabs(lon);
        std::snprintf(body, sizeof body, "GPGGA,1200%02d.00,%02d%010.7f,N,%03d%010.7f,E,4,12,0.8,%.3f,M,36.1,M,1.0,0001",
                      second++ % 60, int(a), (a - int(a)) * 60, int(o), (o - int(o)) * 60, alt);
        pty.write(checksummed(body));
    }
};

// Runs the program's loop until done, the receiver sending a GGA five times a second.
bool runUntil(const std::function<bool()>& done, int ms, Receiver* receiver = nullptr)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        if (receiver) receiver->sendGga();
        QTest::qWait(200);
    }
    return true;
}

double nmeaDegrees(const std::string& v, int degreeDigits)
{
    return std::stod(v.substr(0, std::size_t(degreeDigits))) + std::stod(v.substr(std::size_t(degreeDigits))) / 60.0;
}

std::vector<std::string> splitFields(const std::string& s)
{
    std::vector<std::string> f;
    std::stringstream in(s);
    for (std::string x; std::getline(in, x, ',');) f.push_back(x);
    return f;
}

class EndToEndNtrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string folder = sharedDataFolder();
        if (folder.empty() || !readFile(folder + "rtcm/testglo.rtcm3", recording) || recording.empty())
            VSX_SKIP_MISSING() << "the shared RTCM recording rtcm/testglo.rtcm3 is not there";
        std::string whyNot;
        if (!caster.Start(whyNot)) {
            if (findProgram("str2str").empty()) VSX_SKIP_MISSING() << whyNot;
            FAIL() << whyNot;
        }
        gnss.mapTo(home.iniPath(), "COM5");
        IniFile ini(home.iniPath());
        const char* s = "GPS1 COMUNICATION SETTINGS";
        ini.writeString(s, "Port No", "COM5");
        ini.writeString(s, "Baud Rate", "9600");
        ini.writeString(s, "Delay", "10");
        ini.writeBool("SENSOR COMUNICATION SETTINGS", "Sensor Enabled", false);
    }
    void TearDown() override
    {
        if (FNav) DestroyAllWindows();
        setPrompts(nullptr);
    }

    // The caster saved in [NTRIP], as a previous run leaves it: the window connects at start.
    void storeCasterSettings()
    {
        IniFile ini(home.iniPath());
        ini.writeString("NTRIP", "Server", "127.0.0.1");
        ini.writeString("NTRIP", "Port", std::to_string(caster.port()));
        ini.writeString("NTRIP", "Username", "user");
        ini.writeString("NTRIP", "Password", "pass");
        ini.writeString("NTRIP", "MountPoint", "TEST");
    }

    void startProgram()
    {
        InitSharedValues();
        setPrompts(&prompts);
        CreateAllWindows();
        ASSERT_TRUE(QTest::qWaitFor([] { return FNav->windowTitle().startsWith("Veldor Sondrix - "); }, 3000));
    }
    std::string ntripLog() const { return toCp1254(frmNTRIPSettings->memoLog->toPlainText()); }
    // Sends bytes through the caster and waits until `to` has them all.
    bool streamTo(PtyCollector& to, const std::string& bytes, Receiver* receiver = nullptr)
    {
        const std::size_t before = to.size();
        caster.Send(bytes);
        return runUntil([&] { return to.size() >= before + bytes.size(); }, 20000, receiver);
    }

    TempHome home;
    std::string recording;
    LocalCaster caster;
    PtyPair gnss;
    RecordingPrompts prompts;
};

} // namespace

TEST_F(EndToEndNtrip, CorrectionsReachTheReceiverAndTheReportCountsThem)
{
    startProgram();
    PtyCollector atReceiver(gnss);
    Receiver receiver{gnss};
    click(FNav->bRealtime);
    ASSERT_TRUE(FNav->ZGPS1->Connected()) << FNav->ZGPS1->LastError();
    ASSERT_TRUE(runUntil([] { return FNav->tMap->isActive(); }, 10000, &receiver));

    // Window > "Veldor NTRIP Client...": the window shows the receiver's port and position.
    chooseMenuItem(FNav->menuBar(), "VeldorNTRIPClient1");
    NtripWindow* w = frmNTRIPSettings;
    ASSERT_TRUE(w->isVisible());
    EXPECT_EQ(w->boxOutputPort->itemText(0), "COM5 This Port (GPS)");
    EXPECT_TRUE(runUntil([&] { return ntripLog().find("Serial port handle connected") != std::string::npos; }, 10000, &receiver))
        << ntripLog();
    ASSERT_TRUE(runUntil([&] { return w->edtLatitude->text() == "41.01234560"; }, 10000, &receiver))
        << w->edtLatitude->text().toStdString();
    EXPECT_EQ(w->edtLongitude->text(), "28.98765430");
    // The vessel moves on: every map tick hands the new position over.
    receiver.lat = 41.0223344;
    ASSERT_TRUE(runUntil([&] { return w->edtLatitude->text() == "41.02233440"; }, 10000, &receiver))
        << w->edtLatitude->text().toStdString();

    typeInto(w->edtServer, "127.0.0.1");
    typeInto(w->edtPort, QString::number(caster.port()));
    typeInto(w->edtUsername, "user");
    typeInto(w->edtPassword, "pass");
    click(w->btnFetchSources);
    ASSERT_TRUE(runUntil([&] { return w->boxMountpoint->findText("TEST") >= 0; }, 10000, &receiver)) << ntripLog();
    QTest::keyClicks(w->boxMountpoint, "TEST");
    EXPECT_EQ(w->boxMountpoint->currentText(), "TEST");
    click(w->btnConnect);
    ASSERT_TRUE(runUntil([&] { return w->windowTitle() == "Veldor NTRIP Client - Connected"; }, 10000, &receiver))
        << ntripLog();

    // The recorded stream arrives byte for byte at the receiver.
    ASSERT_TRUE(streamTo(atReceiver, recording, &receiver)) << atReceiver.size() << " of " << recording.size();
    EXPECT_TRUE(atReceiver.received() == recording) << "the corrections changed on their way";
    EXPECT_EQ(w->windowTitle(), "Veldor NTRIP Client - Receiving Data");

    // The caster got our GGA with the receiver's position.
    ASSERT_TRUE(runUntil([&] { return caster.Uploads().find("\r\n") != std::string::npos; }, 20000, &receiver));
    const std::string upload = caster.Uploads().substr(0, caster.Uploads().find("\r\n"));
    const std::vector<std::string> f = splitFields(upload);
    ASSERT_GE(f.size(), 10u) << upload;
    EXPECT_EQ(f[0], "$GPGGA");
    EXPECT_NEAR(nmeaDegrees(f[2], 2), receiver.lat, 2e-6) << upload;
    EXPECT_EQ(f[3], "N");
    EXPECT_NEAR(nmeaDegrees(f[4], 3), receiver.lon, 2e-6) << upload;
    EXPECT_EQ(f[5], "E");
    EXPECT_EQ(f[9], "52.3");

    // The base station, as GeographicLib places the stream's own earth-centred coordinates.
    const Frames all = readFrames(recording);
    ASSERT_TRUE(all.haveStation);
    const std::vector<double> geo = cartConvert(all.x, all.y, all.z);
    if (geo.empty()) {
        ADD_FAILURE() << "CartConvert (package geographiclib-tools) is missing";
    } else {
        const std::string prefix = "Base #" + std::to_string(all.stationId) + ": ";
        const std::string log = ntripLog();
        const std::size_t at = log.find(prefix);
        ASSERT_NE(at, std::string::npos) << log;
        EXPECT_EQ(log.find(prefix, at + 1), std::string::npos) << "one line for one station";
        double lat = 0, lon = 0, h = 0;
        ASSERT_EQ(std::sscanf(log.c_str() + at + prefix.size(), "%lf, %lf, %lfm", &lat, &lon, &h), 3);
        EXPECT_NEAR(lat, geo[0], 1e-8);
        EXPECT_NEAR(lon, geo[1], 1e-8);
        EXPECT_NEAR(h, geo[2], 0.006);
        const std::string events = home.readFile(EventsLogFileName().substr(home.root().size()));
        EXPECT_NE(events.find("\tNTRIP Base Station " + log.substr(at + 5, log.find('\n', at) - at - 5)), std::string::npos)
            << events;
    }

    // "RTCM Parsing": the counts of the last 8192 bytes, as the test counts them.
    click(w->parseRtcmButton);
    ASSERT_TRUE(fRTCMParsing->isVisible());
    const Frames last = readFrames(recording.substr(recording.size() - 8192));
    std::map<int, int> shown;
    int total = -1;
    std::istringstream report(toCp1254(fRTCMParsing->MemoRTCM->toPlainText()));
    std::vector<std::string> lines;
    for (std::string line; std::getline(report, line);) {
        lines.push_back(line);
        int number = 0, count = 0;
        if (line.rfind("  1", 0) == 0 && std::sscanf(line.c_str(), " %d - ", &number) == 1) {
            const std::size_t x = line.rfind("(x");
            if (x != std::string::npos && std::sscanf(line.c_str() + x, "(x%d)", &count) == 1) shown[number] = count;
        }
        std::sscanf(line.c_str(), "Total: %d RTCM messages parsed", &total);
    }
    EXPECT_EQ(shown, last.counts);
    EXPECT_EQ(total, last.total);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Buffer size: 8192 bytes"), lines.end());

    // "Save && Close" writes the report into today's LOG folder.
    click(fRTCMParsing->btnClose);
    EXPECT_FALSE(fRTCMParsing->isVisible());
    std::string saved;
    ASSERT_TRUE(readFile(RtcmReportWindow::ReportFileName(), saved));
    std::string want;
    for (const std::string& l : lines) want += l + "\r\n";
    EXPECT_EQ(saved, want);
    EXPECT_EQ(RtcmReportWindow::ReportFileName(), LogFolder + CurrentDateString() + " Veldor RTCM Parsing.log");

    click(FNav->bRealtime);
    EXPECT_FALSE(FNav->ZGPS1->Connected());
}

TEST_F(EndToEndNtrip, StartUpConnectOutputPortAndRealTimeRestartKeepCorrectionsFlowing)
{
    PtyPair output;
    output.mapTo(home.iniPath(), "COM7");
    storeCasterSettings();
    startProgram();
    PtyCollector atReceiver(gnss), atOutput(output);
    NtripWindow* w = frmNTRIPSettings;
    // The saved mount point connects at start, before real time and with the window hidden.
    ASSERT_TRUE(runUntil([&] { return w->windowTitle() == "Veldor NTRIP Client - Connected"; }, 10000)) << ntripLog();
    EXPECT_FALSE(w->isVisible());
    const std::size_t third = recording.size() / 3;
    caster.Send(recording.substr(0, third));
    ASSERT_TRUE(runUntil([&] { return ntripLog().find("No GNSS receiver port is open") != std::string::npos; }, 10000));
    QTest::qWait(300);
    EXPECT_EQ(atReceiver.size(), 0u);

    // Real time hands the receiver's port over: the stream flows into it.
    click(FNav->bRealtime);
    ASSERT_TRUE(FNav->ZGPS1->Connected()) << FNav->ZGPS1->LastError();
    ASSERT_TRUE(streamTo(atReceiver, recording.substr(third, third)));
    EXPECT_TRUE(atReceiver.received() == recording.substr(third, third));

    // The output port on a second pseudo-terminal takes the whole stream, the receiver nothing.
    chooseMenuItem(FNav->menuBar(), "VeldorNTRIPClient1");
    ASSERT_TRUE(w->isVisible());
    choose(w->boxOutputPort, "COM7");
    click(w->chkOutputPort);
    ASSERT_NE(ntripLog().find("Output port opened: COM7 @ 115200"), std::string::npos) << ntripLog();
    ASSERT_TRUE(streamTo(atOutput, recording));
    EXPECT_TRUE(atOutput.received() == recording) << "the corrections changed on their way to the output port";
    EXPECT_EQ(atReceiver.size(), std::size_t(third));

    // Back to the receiver; real time stopped and started again: the new port gets the stream.
    click(w->chkOutputPort);
    click(FNav->bRealtime);
    EXPECT_FALSE(FNav->ZGPS1->Connected());
    EXPECT_NE(ntripLog().find("Serial port handle disconnected"), std::string::npos);
    click(FNav->bRealtime);
    ASSERT_TRUE(FNav->ZGPS1->Connected()) << FNav->ZGPS1->LastError();
    atReceiver.clear();
    ASSERT_TRUE(streamTo(atReceiver, recording));
    EXPECT_TRUE(atReceiver.received() == recording) << "the corrections did not follow the reopened port";
    EXPECT_EQ(atOutput.size(), recording.size());
    click(FNav->bRealtime);
}

TEST_F(EndToEndNtrip, CorrectionsFollowTheReceiverWhenItsDeviceComesBack)
{
    // The receiver on a USB adapter's stable name, pulled out and put back during the run.
    PluggableDevice device(home.path("gnss-by-id"));
    device.mapTo(home.iniPath(), "COM5");
    storeCasterSettings();
    startProgram();
    NtripWindow* w = frmNTRIPSettings;
    click(FNav->bRealtime);
    ASSERT_TRUE(FNav->ZGPS1->Connected()) << FNav->ZGPS1->LastError();
    ASSERT_TRUE(runUntil([&] { return w->windowTitle() == "Veldor NTRIP Client - Connected"; }, 10000)) << ntripLog();
    const std::size_t half = recording.size() / 2;
    {
        PtyCollector before(device.masterFd());
        ASSERT_TRUE(streamTo(before, recording.substr(0, half)));
        EXPECT_TRUE(before.received() == recording.substr(0, half));
    }

    device.unplug();
    ASSERT_TRUE(runUntil([&] { return ntripLog().find("Serial port handle disconnected") != std::string::npos; }, 10000))
        << ntripLog();
    device.plugIn();
    const auto handOvers = [&] {
        std::size_t n = 0;
        const std::string log = ntripLog();
        for (std::size_t at = log.find("Serial port handle connected"); at != std::string::npos;
             at = log.find("Serial port handle connected", at + 1))
            ++n;
        return n;
    };
    ASSERT_TRUE(runUntil([&] { return handOvers() == 2; }, 15000)) << ntripLog();
    PtyCollector after(device.masterFd());
    ASSERT_TRUE(streamTo(after, recording.substr(half)));
    EXPECT_TRUE(after.received() == recording.substr(half)) << "the corrections did not follow the device's return";
    click(FNav->bRealtime);
}
