#include "app/SharedValues.h"
#include "app/TranslationManager.h"
#include "input/GgaForwarding.h"
#include "nav/SurveyRun.h"

#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

using namespace vsx;

namespace {
struct FakeHost : SurveyRunHost {
    std::vector<std::string> calls, messages, events, reports;
    bool gnssOk = true, sensorOk = true, sensorOn = true, udpInput = false, geodesyOk = true, udpListens = true;
    bool badSetting = false;
    std::uint32_t tick = 1000;
    bool WriteGeodesyLog(std::string& e) override { calls.push_back("geodesy"); if (!geodesyOk) e = "disk full"; return geodesyOk; }
    void ApplyReceiverSettings() override
    {
        calls.push_back("apply");
        if (badSetting) throw std::runtime_error("Baud Rate (GPS Port): 'fast' is not a valid integer value");
    }
    bool UdpInputEnabled() override { return udpInput; }
    std::string GnssPortName() override { return "COM3"; }
    bool OpenGnss(std::string& e) override { calls.push_back("openGnss"); if (!gnssOk) e = "no such device"; return gnssOk; }
    void CloseGnss() override { calls.push_back("closeGnss"); }
    bool SensorEnabled() override { return sensorOn; }
    std::string SensorPortName() override { return "COM4"; }
    bool OpenSensor(std::string& e) override { calls.push_back("openSensor"); if (!sensorOk) e = "busy"; return sensorOk; }
    void CloseSensor() override { calls.push_back("closeSensor"); }
    void StartEchogram() override { calls.push_back("echogram"); }
    void StopLoops() override { calls.push_back("stopLoops"); }
    void HideWaterfall() override {}
    void ShowRunState(bool r, bool) override { calls.push_back(r ? "showRunning" : "showStopped"); }
    void MessageLine(const std::string& l) override { messages.push_back(l); }
    void EventLine(const std::string& t) override { events.push_back(t); }
    void Report(const RunReport& r) override
    {
        std::string text = r.english;
        for (size_t i = 0; i < r.args.size(); ++i) {
            const std::string mark = "%" + std::to_string(i + 1);
            text.replace(text.find(mark), mark.size(), r.args[i]);
        }
        reports.push_back(text);
    }
    void PublishForwarding() override {}
    bool ListenForUdpInput(std::string& e) override
    {
        calls.push_back("listen");
        if (!udpListens) e = "UDP port 5000 is in use by another program";
        return udpListens;
    }
    void StopUdpInputIfListening() override { calls.push_back("stopListening"); }
    void StoreExtraVesselPanels() override {}
    bool OpenExtraVesselReceiver(size_t, std::string&) override { return true; }
    void CloseExtraVesselReceivers() override { calls.push_back("closeExtra"); }
    void EnsureExtraVesselLayers(size_t) override {}
    std::uint32_t Tick() override { return tick; }
    std::string Today() override { return "2024-05-01"; }
};
} // namespace

TEST(SurveyRun, StartAndStopOpenAndCloseEverything)
{
    vsx::test::TempHome home;
    InitSharedValues();
    VesselSensors = {{"Transducer"}, {"transponder"}};
    ForwardEnabled = false;
    FakeHost host;
    SurveyRun rt(host);
    ASSERT_TRUE(rt.Toggle());
    EXPECT_TRUE(rt.Running());
    EXPECT_EQ(rt.GnssStartTick(), 1000u);
    EXPECT_TRUE(host.messages.empty()) << "a start that works says nothing of its own";
    ASSERT_EQ(SensorLogFiles.size(), 2u);
    EXPECT_TRUE(SensorLogFiles[0] && SensorLogFiles[0]->isOpen());
    EXPECT_EQ(SensorLogFiles[0]->path(), SensorLogFiles[1]->path()) << "TRA twice: both append to one file";
    EXPECT_EQ(host.events, std::vector<std::string> {"Realtime STARTED"});
    ASSERT_TRUE(rt.Toggle());
    EXPECT_FALSE(rt.Running());
    EXPECT_TRUE(SensorLogFiles.empty());
    EXPECT_EQ(host.events.back(), "Realtime STOPPED");
    EXPECT_EQ(host.reports, std::vector<std::string>{"Realtime stopped: ports COM3 and COM4 closed"});
    EXPECT_NE(std::find(host.calls.begin(), host.calls.end(), "closeSensor"), host.calls.end());
    VesselSensors.clear();
}

TEST(SurveyRun, StartIsAllOrNothing)
{
    vsx::test::TempHome home;
    InitSharedValues();
    FakeHost host;
    host.sensorOk = false;
    SurveyRun rt(host);
    EXPECT_FALSE(rt.Start());
    EXPECT_FALSE(rt.Running());
    EXPECT_EQ(host.calls.back(), "closeGnss") << "the GNSS port opened first is closed again";
    EXPECT_EQ(host.messages.back(), "Realtime not started: echosounder port failed to open: busy");
    EXPECT_TRUE(host.reports.empty()) << "a refused start closes what it opened without a stop report";
    EXPECT_EQ(rt.GnssStartTick(), 0u);
    EXPECT_TRUE(SensorLogFiles.empty());

    FakeHost noGnss;
    noGnss.gnssOk = false;
    SurveyRun rt2(noGnss);
    EXPECT_FALSE(rt2.Start());
    EXPECT_EQ(std::count(noGnss.calls.begin(), noGnss.calls.end(), "openSensor"), 0);

    FakeHost udp;  // positions over UDP: the GNSS port is neither opened nor closed
    udp.udpInput = true;
    udp.gnssOk = false;
    udp.geodesyOk = false;  // reported, not fatal
    SurveyRun rt3(udp);
    EXPECT_TRUE(rt3.Start());
    rt3.Stop();
    EXPECT_EQ(std::count(udp.calls.begin(), udp.calls.end(), "openGnss"), 0);
    EXPECT_EQ(std::count(udp.calls.begin(), udp.calls.end(), "closeGnss"), 0);
    EXPECT_EQ(udp.reports, std::vector<std::string>{"Realtime stopped: port COM4 closed"}) << "the echosounder only";
    EXPECT_EQ(udp.messages.front(), "Geodesy session log not written: disk full");
}

// Every refused start says "Realtime not started: " and its reason in the events log, never
// "Realtime STARTED", and leaves nothing open.
TEST(SurveyRun, RefusedStartsSayWhyInTheEventsLog)
{
    struct Case {
        const char* name;
        std::function<void(FakeHost&)> arrange;
        std::string event;
    };
    const Case cases[] = {
        {"a settings field that does not convert", [](FakeHost& h) { h.badSetting = true; },
         "Realtime not started: Baud Rate (GPS Port): 'fast' is not a valid integer value"},
        {"GNSS port", [](FakeHost& h) { h.gnssOk = false; },
         "Realtime not started: GNSS port failed to open: no such device"},
        {"nothing listens for UDP positions", [](FakeHost& h) { h.udpInput = true, h.udpListens = false; },
         "Realtime not started: GNSS UDP input is not listening: UDP port 5000 is in use by another program"},
        {"echosounder", [](FakeHost& h) { h.sensorOk = false; },
         "Realtime not started: echosounder port failed to open: busy"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        vsx::test::TempHome home;
        InitSharedValues();
        FakeHost host;
        c.arrange(host);
        SurveyRun run(host);
        EXPECT_FALSE(run.Start());
        EXPECT_FALSE(run.Running());
        EXPECT_EQ(run.LastStartError(), c.event);
        EXPECT_EQ(host.events, std::vector<std::string>{c.event});
        EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "showRunning"), 0);
        EXPECT_TRUE(SensorLogFiles.empty());
    }
    // An echosounder that fails after the run started the UDP listener stops it again.
    vsx::test::TempHome home;
    InitSharedValues();
    FakeHost host;
    host.udpInput = true;
    host.sensorOk = false;
    SurveyRun run(host);
    EXPECT_FALSE(run.Start());
    EXPECT_EQ(host.calls.back(), "stopListening");
}

TEST(SurveyRun, ExtraVesselsGetFilesAndAreForgottenAtStop)
{
    vsx::test::TempHome home;
    InitSharedValues();
    ExtraVessels.assign(3, MultiVesselEntry {});
    ExtraVessels[0].Enabled = true;
    ExtraVessels[0].Name = "Boat";
    ExtraVessels[0].Port = "COM5";
    ExtraVessels[1].Enabled = true;  // no port: nothing opened
    ExtraVessels[1].Name = "NoPort";
    FakeHost host;
    host.sensorOn = false;
    SurveyRun rt(host);
    ASSERT_TRUE(rt.Start());
    ASSERT_TRUE(ExtraVessels[0].CoordinatesFile);
    EXPECT_FALSE(ExtraVessels[1].CoordinatesFile);
    EXPECT_EQ(host.events.back(), "ExtraGPS Boat opened on COM5");
    ExtraVessels[0].HasPosition = true;
    rt.Stop();
    EXPECT_EQ(host.reports, std::vector<std::string>{"Realtime stopped: ports COM3 and COM5 closed"})
        << "the GNSS receiver and the one vessel that opened";
    EXPECT_FALSE(ExtraVessels[0].CoordinatesFile);
    EXPECT_FALSE(ExtraVessels[0].HasPosition);
    EXPECT_EQ(home.readFile(LogFolder + "2024-05-01 Boat Coordinates.csv"),
              "DateTime,Latitude,Longitude,Easting,Northing,FixStatus\r\n");
    ExtraVessels.clear();
}

// A stop names every port it closed, so that it never reads as a device lost.
TEST(SurveyRun, StopReportNamesTheClosedPorts)
{
    struct Case {
        std::vector<std::string> ports;
        std::string english;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {{}, "Realtime stopped", {}},
        {{"COM3"}, "Realtime stopped: port %1 closed", {"COM3"}},
        {{"COM3", "COM4"}, "Realtime stopped: ports %1 and %2 closed", {"COM3", "COM4"}},
        {{"COM3", "COM4", "COM7", "COM8"}, "Realtime stopped: ports %1 and %2 closed", {"COM3, COM4, COM7", "COM8"}},
    };
    const auto turkish = TranslationManager::LoadLanguageFile(std::string(VSX_SOURCE_DIR) + "/languages/tr.json");
    for (const Case& c : cases) {
        const RunReport r = StoppedReport(c.ports);
        EXPECT_EQ(std::string(r.english), c.english) << c.ports.size();
        EXPECT_EQ(r.args, c.args) << c.ports.size();
        EXPECT_TRUE(turkish.count(r.english)) << "no Turkish text for " << r.english;
    }
}
