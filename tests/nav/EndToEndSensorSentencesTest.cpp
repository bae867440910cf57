// The sentences the program makes for a sensor point of the vessel, end to end: a receiver on a
// pseudo-terminal that sends each epoch's GGA before its heading, real time started with its
// button, a transducer 10 m astern. No sentence is made before a heading has arrived; each one
// then stands where PROJ puts the offset point and carries the antenna GGA's own time.
#include "app/Settings.h"
#include "input/NmeaParser.h"
#include "nav/RealtimeLogs.h"
#include "tools/SensorList.h"

#include "MainWindowDriver.h"
#include "NavTestSupport.h"
#include "support/MissingPeer.h"
#include "support/PtyPair.h"

#include <cmath>
#include <numbers>
#include <sstream>

using namespace vsx;
using namespace vsx::test;

namespace {

using P = MapProgram;

struct Epoch {
    std::string time;
    double lat, lon, heading;
};

// The sentence fields without the line end.
std::vector<std::string> fieldsOf(const std::string& sentence)
{
    std::vector<std::string_view> f;
    SplitFields(sentence, f);
    return {f.begin(), f.end()};
}

} // namespace

TEST(EndToEndSensorSentences, MadeOnlyWithAKnownHeadingAtTheOffsetPointAndTheAntennaTime)
{
    if (!haveCct()) VSX_SKIP_MISSING() << "'cct' is not installed (Debian package proj-bin); the PROJ comparison is skipped";
    UdpSinks sinks(2);
    ASSERT_GT(sinks.base(), 0);
    PtyPair gnss;
    P p([&](IniFile& ini) {
        gnss.mapTo(GetIniFileName(), "COM5");
        writeGnssPort(ini, "COM5");
        writeLocalGridSettings(ini);
        ini.writeBool("GYRO", "Gyro Enabled", true);
        ini.writeBool("SENSOR COMUNICATION SETTINGS", "Sensor Enabled", false);
        SaveSensorSettings(ini, {{{"Transducer", 0.0, -10.0}}, true, -1});
        // Every position forwarded over UDP: the antenna to the port, sensor 1 to the next.
        const char* f = "SENSOR_FORWARD";
        ini.writeBool(f, "Enabled", true);
        ini.writeBool(f, "UseUDP", true);
        ini.writeString(f, "UDPIP", "127.0.0.1");
        ini.writeString(f, "UDPPort", std::to_string(sinks.base()));
        ini.writeString(f, "SensorSelect", "ALL");
    });
    QTest::mouseClick(P::button("bRealtime"), Qt::LeftButton);
    ASSERT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();

    // 3 s at 5 Hz, turning to starboard at 10 degrees a second; each epoch's GGA comes first,
    // its heading after it.
    std::vector<Epoch> epochs;
    for (int k = 0; k < 15; ++k) {
        char t[16];
        std::snprintf(t, sizeof t, "1015%02d.%02d", k / 5, (k % 5) * 20);
        const Epoch e {t, 41.01 + k * 1.5 / 111050.0, 28.03 + k * 0.8 / 84000.0, 30.0 + 2.0 * k};
        epochs.push_back(e);
        ASSERT_TRUE(gnss.write(gga(e.time, e.lat, e.lon, 4, 52.3, 36.1) + "\r\n" + hdt(e.heading) + "\r\n"));
        QTest::qWait(200);
    }
    std::vector<std::string> forwarded;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        for (const std::string& d : sinks.take(1)) forwarded.push_back(d);
        return forwarded.size() >= epochs.size() - 1;
    }, 15000)) << forwarded.size() << " sensor sentences forwarded";
    QTest::mouseClick(P::button("bRealtime"), Qt::LeftButton);
    ASSERT_FALSE(FNav->Run().Running());
    for (const std::string& d : sinks.take(1)) forwarded.push_back(d);

    // The first GGA came before any heading: nothing for it. Every later one has its sentence,
    // placed with the heading heard before it (the previous epoch's).
    ASSERT_EQ(forwarded.size(), epochs.size() - 1);
    std::string input;
    for (const Epoch& e : epochs) input += num(e.lat) + " " + num(e.lon) + " 0 0\n" + num(e.lat + 1e-5) + " " + num(e.lon) + " 0 0\n";
    std::vector<std::string> sentences;
    for (size_t i = 0; i < forwarded.size(); ++i) {
        ASSERT_GE(forwarded[i].size(), 2u);
        EXPECT_EQ(forwarded[i].substr(forwarded[i].size() - 2), "\r\n");
        const std::string s = forwarded[i].substr(0, forwarded[i].size() - 2);
        sentences.push_back(s);
        EXPECT_EQ(nmeaChecksum(s), NmeaChecksum::Valid) << s;
        const std::vector<std::string> f = fieldsOf(s);
        ASSERT_GE(f.size(), 7u) << s;
        EXPECT_EQ(f[0], "$TRGGA") << s;
        EXPECT_EQ(f[1], epochs[i + 1].time) << "the antenna GGA's own time, fraction included: " << s;
        EXPECT_EQ(f[6], "4") << s;
        input += num(NmeaToDegrees(f[2], f[3])) + " " + num(NmeaToDegrees(f[4], f[5])) + " 0 0\n";
    }
    const auto grid = runCct(kLocalGridPipeline, input);
    ASSERT_EQ(grid.size(), 2 * epochs.size() + sentences.size());
    for (size_t i = 0; i < sentences.size(); ++i) {
        const size_t k = i + 1;
        const auto& antenna = grid[2 * k];
        const auto& north = grid[2 * k + 1];
        // Grid heading: the true heading plus the grid azimuth of true north there (by PROJ).
        const double h = epochs[k - 1].heading * std::numbers::pi / 180.0 +
                         std::atan2(north[0] - antenna[0], north[1] - antenna[1]);
        const double e = antenna[0] - 10.0 * std::sin(h), n = antenna[1] - 10.0 * std::cos(h);
        const auto& sensor = grid[2 * epochs.size() + i];
        EXPECT_NEAR(sensor[0], e, 0.01) << "epoch " << k << ": " << sentences[i];
        EXPECT_NEAR(sensor[1], n, 0.01) << "epoch " << k << ": " << sentences[i];
    }

    // The sensor's log holds the same sentences, each after its local time stamp.
    const std::string logPath = SensorLogPath(LogFolder, CurrentDateString(), "Transducer");
    std::istringstream log(p.home.readFile(logPath.substr(p.home.root().size())));
    std::vector<std::string> logged;
    for (std::string line; std::getline(log, line);) {
        ASSERT_GT(line.size(), 25u) << line;
        EXPECT_EQ(line.back(), '\r');
        logged.push_back(line.substr(24, line.size() - 25));
    }
    EXPECT_EQ(logged, sentences);
}
