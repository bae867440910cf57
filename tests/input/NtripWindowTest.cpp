// The NTRIP window on its own, against small casters of the test's own on 127.0.0.1: its
// settings and the start-up connect, profiles, the log, counters and the pop-up when corrections
// stop, the output port on pseudo-terminals, fetching mount points, and the base-station watch.
// Everything is done through the window's controls; the receiver's port is handed over as the
// main window hands it.
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/windows/WindowPointers.h"
#include "input/NtripSettings.h"
#include "input/SerialCorrectionOutput.h"
#include "input/windows/RtcmReportWindow.h"
#include "input/windows/NtripWindow.h"
#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/Prompts.h"
#include "platform/SerialPort.h"
#include "platform/SerialPortMap.h"
#include "platform/Text.h"

#include "RtcmTestFrames.h"
#include "support/ControlInput.h"
#include "support/LoopbackServer.h"
#include "support/MissingPeer.h"
#include "support/PtyCollector.h"
#include "support/PtyPair.h"
#include "support/TempHome.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <regex>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>

using namespace vsx;
using namespace vsx::test;

namespace {

// A caster of the test's own: answers every request with `reply`, then either closes (a source
// table) or streams what Send() queues and keeps what the client uploads, until Drop().
class ScriptedCaster {
public:
    explicit ScriptedCaster(std::string reply = "ICY 200 OK\r\n", bool closeAfterReply = false)
        : reply_(std::move(reply)), closeAfterReply_(closeAfterReply),
          server_([this](LoopbackPeer& peer, int) { serve(peer); })
    {
    }
    ~ScriptedCaster() { stop_ = true; }
    int port() const { return server_.port(); }
    int connections() const { return server_.connections(); }
    void Send(const std::string& bytes)
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(bytes);
    }
    void Drop() { drop_ = true; }
    std::string Requests() const
    {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    std::string Uploads() const
    {
        std::lock_guard lock(mutex_);
        return uploads_;
    }

private:
    void serve(LoopbackPeer& peer)
    {
        const std::string request = peer.ReadRequest();
        {
            std::lock_guard lock(mutex_);
            requests_ += request;
        }
        peer.Send(reply_);
        if (closeAfterReply_) return;
        while (!stop_.load() && !drop_.exchange(false)) {
            std::string piece;
            {
                std::lock_guard lock(mutex_);
                if (!queue_.empty()) {
                    piece = queue_.front();
                    queue_.pop_front();
                }
            }
            if (!piece.empty()) peer.Send(piece);
            const std::string up = peer.ReadFor(10);
            std::lock_guard lock(mutex_);
            uploads_ += up;
        }
    }

    const std::string reply_;
    const bool closeAfterReply_;
    std::atomic<bool> stop_{false}, drop_{false};
    mutable std::mutex mutex_;
    std::deque<std::string> queue_;
    std::string requests_, uploads_;
    LoopbackServer server_;
};

// The real clocks, moved on by the test; safe to read from the NTRIP worker while it moves.
class ShiftedClock : public Clock {
public:
    std::chrono::system_clock::time_point now() const override { return Clock::now() + shift(); }
    std::chrono::steady_clock::time_point monotonic() const override { return Clock::monotonic() + shift(); }
    void advance(std::chrono::milliseconds d) { shiftMs_ += d.count(); }

private:
    std::chrono::milliseconds shift() const { return std::chrono::milliseconds(shiftMs_.load()); }
    std::atomic<long long> shiftMs_{0};
};

// The real wall clock, always at 456 ms into its second.
class MidSecondClock : public Clock {
public:
    std::chrono::system_clock::time_point now() const override
    {
        return std::chrono::floor<std::chrono::seconds>(Clock::now()) + std::chrono::milliseconds(456);
    }
};

// The window with a settings file the test wrote, and the report window it fills.
class NtripWindowTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        close();
        setPrompts(nullptr);
    }

    void open(const std::function<void(IniFile&)>& settings = {})
    {
        if (settings) {
            IniFile ini(GetIniFileName());
            settings(ini);
        }
        InitSharedValues();
        fRTCMParsing = new RtcmReportWindow();
        window = std::make_unique<NtripWindow>();
    }
    void close()
    {
        window.reset();
        delete fRTCMParsing;
        fRTCMParsing = nullptr;
    }
    std::string log() const { return toCp1254(window->memoLog->toPlainText()); }
    bool waitForLog(const std::string& text, int ms = 5000)
    {
        return QTest::qWaitFor([&] { return log().find(text) != std::string::npos; }, ms);
    }
    int logCount(const std::string& text) const
    {
        int n = 0;
        const std::string l = log();
        for (std::size_t p = l.find(text); p != std::string::npos; p = l.find(text, p + 1)) ++n;
        return n;
    }
    void useCaster(int port, const QString& mount = {})
    {
        typeInto(window->edtServer, "127.0.0.1");
        typeInto(window->edtPort, QString::number(port));
        typeInto(window->edtUsername, "user");
        typeInto(window->edtPassword, "pass");
        if (!mount.isEmpty()) {
            window->boxMountpoint->clear();
            window->boxMountpoint->addItem(mount);
        }
    }

    TempHome home;
    std::unique_ptr<NtripWindow> window;
};

std::string ntripSectionKeys(const std::string& iniText)
{
    std::string keys;
    const std::size_t start = iniText.find("[NTRIP]");
    if (start == std::string::npos) return keys;
    std::size_t pos = iniText.find('\n', start) + 1;
    while (pos < iniText.size() && iniText[pos] != '[') {
        const std::size_t end = iniText.find('\n', pos);
        const std::string line = iniText.substr(pos, end - pos);
        if (const std::size_t eq = line.find('='); eq != std::string::npos) keys += line.substr(0, eq) + ",";
        pos = end == std::string::npos ? iniText.size() : end + 1;
    }
    return keys;
}

} // namespace

TEST_F(NtripWindowTest, SavedMountPointConnectsAtStartAndSettingsGoBackInTheirOrder)
{
    ScriptedCaster caster;
    open([&](IniFile& ini) {
        ini.writeString("NTRIP", "Server", "127.0.0.1");
        ini.writeString("NTRIP", "Port", std::to_string(caster.port()));
        ini.writeString("NTRIP", "Username", "user");
        ini.writeString("NTRIP", "Password", "pa\xFEss"); // Windows-1254 text stays 8-bit
        ini.writeString("NTRIP", "MountPoint", "TEST");
        ini.writeBool("NTRIP", "UseManualPosition", true);
        ini.writeString("NTRIP", "Latitude", "41.5");
        ini.writeString("NTRIP", "Longitude", "29.25");
        ini.writeInteger("NTRIP", "OutputBaud", 3);
        ini.writeBool("NTRIP", "AutoConnect", false);
    });
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->edtPassword->text(), QString::fromUtf8("pa\xC5\x9Fss"));
    EXPECT_TRUE(window->rbManual->isChecked());
    EXPECT_TRUE(window->edtLatitude->isEnabled());
    EXPECT_EQ(window->boxOutputBaud->currentText(), "38400");
    EXPECT_EQ(window->boxMountpoint->currentText(), "TEST");
    EXPECT_NE(log().find("Auto-connect on startup - will connect to TEST"), std::string::npos);

    // Half a second later, with the window hidden, the client connects and sends the typed position.
    ASSERT_TRUE(QTest::qWaitFor([&] { return caster.Uploads().find("\r\n") != std::string::npos; }, 5000)) << log();
    EXPECT_EQ(caster.Requests().substr(0, 24), "GET /TEST HTTP/1.0\r\nUser");
    EXPECT_NE(caster.Uploads().find(",4130.0000,N,02915.0000,E,1,10,1.0,0.0,M,0.0,M,,*"), std::string::npos)
        << caster.Uploads();
    EXPECT_EQ(logCount("Auto-reconnecting..."), 1);
    EXPECT_EQ(window->btnConnect->text(), "Disconnect");
    EXPECT_EQ(window->windowTitle(), "Veldor NTRIP Client - Connected");

    // The saved mount point made it an auto-connect, and the connect saved that; a manual
    // disconnect saves it off again.
    caster.Send(stationFrame(7, 4216216.9065, 2337087.1942, 4162456.0036));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->windowTitle() == "Veldor NTRIP Client - Receiving Data"; }, 5000));
    EXPECT_TRUE(ReadNtripSettings(GetIniFileName()).AutoConnect);
    window->show();
    click(window->btnConnect);
    EXPECT_NE(log().find("Disconnecting (manual)..."), std::string::npos);
    EXPECT_FALSE(ReadNtripSettings(GetIniFileName()).AutoConnect);
    EXPECT_EQ(window->btnConnect->text(), "Connect");
    close();
    EXPECT_EQ(ReadNtripSettings(GetIniFileName()).Password, "pa\xFEss");

    // Without a saved mount point nothing connects; closing writes every key in its order.
    TempHome fresh;
    ScriptedCaster idle;
    open([&](IniFile& ini) {
        ini.writeString("NTRIP", "Server", "127.0.0.1");
        ini.writeString("NTRIP", "Port", std::to_string(idle.port()));
    });
    QTest::qWait(1200);
    EXPECT_EQ(idle.connections(), 0);
    EXPECT_EQ(log().find("Auto-reconnecting"), std::string::npos);
    close();
    IniFile(GetIniFileName()).eraseSection("NTRIP");
    open();
    close();
    EXPECT_EQ(ntripSectionKeys(fresh.readFile(GetIniFileName())),
              "Server,Port,Username,Password,MountPoint,UseManualPosition,Latitude,Longitude,OutputPort,OutputBaud,"
              "OutputEnabled,AutoConnect,LastProfile,");
}

TEST_F(NtripWindowTest, APortThatIsNotANumberIsRefusedAndNeverStored)
{
    ScriptedCaster caster;
    const std::string stored = std::to_string(caster.port());
    RecordingPrompts prompts;
    setPrompts(&prompts);
    open([&](IniFile& ini) { ini.writeString("NTRIP", "Port", stored); });
    window->show();
    const std::string profiles = window->ProfilesFileName;
    useCaster(caster.port(), "TEST");
    const QString why = "Port: '%1' is not a port number. Type a whole number from 1 to 65535.";
    for (const char* typed : {"abc", "", "0", "65536", "21o1", "-2101"}) {
        SCOPED_TRACE(typed);
        typeInto(window->edtPort, typed);
        // Connect, Fetch Sources and "+" each say so over this window, and start or save nothing.
        for (QAbstractButton* button : {static_cast<QAbstractButton*>(window->btnConnect),
                                        static_cast<QAbstractButton*>(window->btnFetchSources),
                                        static_cast<QAbstractButton*>(window->btnSaveProfile)}) {
            SCOPED_TRACE(button->objectName().toStdString());
            prompts.entries.clear();
            click(button);
            ASSERT_EQ(prompts.entries.size(), 1u);
            EXPECT_EQ(prompts.entries[0].text, why.arg(typed));
            EXPECT_EQ(prompts.entries[0].parent, window.get());
        }
        EXPECT_EQ(window->btnConnect->text(), "Connect");
        EXPECT_TRUE(window->btnFetchSources->isEnabled());
        EXPECT_EQ(ReadNtripSettings(GetIniFileName()).Port, stored);
    }
    // Saving for any other reason keeps the last good port.
    click(window->chkOutputPort);
    EXPECT_TRUE(ReadNtripSettings(GetIniFileName()).OutputEnabled);
    EXPECT_EQ(ReadNtripSettings(GetIniFileName()).Port, stored);
    EXPECT_EQ(logCount("Connecting to"), 0);
    close();
    EXPECT_EQ(ReadNtripSettings(GetIniFileName()).Port, stored);
    EXPECT_FALSE(fileExists(profiles));
    EXPECT_EQ(caster.connections(), 0);

    // A hand-edited settings file with such a port: the start-up connect logs why and opens no dialog.
    prompts.entries.clear();
    open([&](IniFile& ini) {
        ini.writeString("NTRIP", "Port", "2101x");
        ini.writeString("NTRIP", "MountPoint", "TEST");
    });
    ASSERT_TRUE(waitForLog(why.arg("2101x").toStdString()));
    EXPECT_TRUE(prompts.entries.empty());
    EXPECT_EQ(logCount("Connecting to"), 0);
    EXPECT_EQ(window->btnConnect->text(), "Connect");
}

TEST_F(NtripWindowTest, ProfilesAreSavedAndChosenThroughTheControls)
{
    // A profiles file left beside the program moves to the settings folder.
    home.writeFile("program/profiles.txt", "old@a.example:2101\ta.example\t2101\told\tpw\t1.0\t2.0\n");
    setProgramFolder(home.path("program/"));
    open();
    setProgramFolder({});
    ASSERT_EQ(window->boxProfile->count(), 2);
    EXPECT_EQ(window->boxProfile->currentText(), "old@a.example:2101") << "item 1 when nothing was chosen before";
    EXPECT_TRUE(fileExists(window->ProfilesFileName));
    EXPECT_FALSE(fileExists(home.path("program/profiles.txt")));

    window->show();
    click(window->rbManual);
    typeInto(window->edtServer, "b.example");
    typeInto(window->edtPort, "2102");
    typeInto(window->edtUsername, "ali");
    typeInto(window->edtPassword, "s1");
    typeInto(window->edtLatitude, "40.1");
    typeInto(window->edtLongitude, "27.2");
    click(window->btnSaveProfile);
    EXPECT_NE(log().find("Profile saved: ali@b.example:2102"), std::string::npos);
    EXPECT_EQ(window->boxProfile->currentText(), "ali@b.example:2102");
    typeInto(window->edtPassword, "s2");
    click(window->btnSaveProfile);
    typeInto(window->edtUsername, "veli");
    click(window->btnSaveProfile);
    EXPECT_EQ(window->boxProfile->count(), 4);

    // Lines without a TAB between the profiles do not shift what an item loads.
    std::string text = home.readFile(window->ProfilesFileName);
    text.insert(0, "\r\n");
    text.insert(text.find("ali@"), "a note\r\n\r\n");
    home.writeFile(window->ProfilesFileName.substr(home.root().size()), text);
    close();
    open();
    window->show();
    ASSERT_EQ(window->boxProfile->count(), 4);
    choose(window->boxProfile, "ali@b.example:2102");
    EXPECT_EQ(window->edtServer->text(), "b.example");
    EXPECT_EQ(window->edtPort->text(), "2102");
    EXPECT_EQ(window->edtUsername->text(), "ali");
    EXPECT_EQ(window->edtPassword->text(), "s2") << "the second save replaced the first";
    EXPECT_EQ(window->edtLatitude->text(), "40.1");
    choose(window->boxProfile, "old@a.example:2101");
    EXPECT_EQ(window->edtUsername->text(), "old");
    EXPECT_EQ(window->edtLongitude->text(), "2.0");
    click(window->btnClose);
    EXPECT_FALSE(window->isVisible());
    close();
    EXPECT_EQ(ReadNtripSettings(GetIniFileName()).LastProfile, "old@a.example:2101");
}

TEST_F(NtripWindowTest, CountersLogAndThePopUpWhenCorrectionsStop)
{
    ShiftedClock shifted;
    setClock(&shifted);
    ScriptedCaster caster;
    open();
    window->show();
    // The log keeps its last 100 lines.
    for (int i = 0; i < 120; ++i) click(window->btnConnect);
    EXPECT_EQ(window->memoLog->document()->blockCount(), 100);
    EXPECT_EQ(logCount("Please select a mountpoint first"), 100);

    useCaster(caster.port(), "TEST");
    click(window->btnConnect);
    ASSERT_TRUE(waitForLog("Connected to TEST"));
    caster.Send(std::string(12345, '\x55'));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->lblBytesReceivedValue->text() == "12,345"; }, 5000));
    // The first data of a connection the user made saves AutoConnect for the next start.
    EXPECT_EQ(logCount("Auto-connect enabled for next startup"), 1);
    EXPECT_TRUE(ReadNtripSettings(GetIniFileName()).AutoConnect);
    EXPECT_EQ(window->pbProgress->value(), 46);
    EXPECT_EQ(window->lblBytesSentValue->text().toStdString(), std::to_string(caster.Uploads().size()));

    // Shown once by the main window, then closed: 31 s of silence bring it back.
    window->AutoShow = true;
    click(window->btnClose);
    ASSERT_FALSE(window->isVisible());
    shifted.advance(std::chrono::seconds(31));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->isVisible(); }, 3000));
    EXPECT_NE(log().find("No data received for 30 seconds - showing NTRIP settings"), std::string::npos);

    // A lost connection after data brings it back too.
    click(window->btnClose);
    caster.Drop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->isVisible(); }, 5000));
    EXPECT_NE(log().find("Connection lost - showing NTRIP settings"), std::string::npos);
    close();
    setClock(nullptr);
}

TEST_F(NtripWindowTest, OutputPortTakesTheStreamFromTheReceiversPort)
{
    PtyPair receiver, output;
    output.mapTo(GetIniFileName(), "COM7");
    home.writeFile("not-a-port", "");
    IniFile(GetIniFileName()).writeString(kSerialPortsSection, "COM8", home.path("not-a-port"));
    ScriptedCaster caster;
    open();
    window->show();
    PtyCollector atReceiver(receiver), atOutput(output);
    std::string error;
    std::shared_ptr<SerialPort> port = SerialPort::open(receiver.slavePath(), {}, &error);
    ASSERT_TRUE(port) << error;
    window->SetSerialPortHandle(std::make_shared<SerialCorrectionOutput>(port), "COM5");
    EXPECT_EQ(window->boxOutputPort->itemText(0), "COM5 This Port (GPS)");
    EXPECT_GE(window->boxOutputPort->findText("COM7"), 1);

    useCaster(caster.port(), "TEST");
    click(window->btnConnect);
    ASSERT_TRUE(waitForLog("Connected to TEST"));
    auto block = [n = 0]() mutable { return "block " + std::to_string(++n) + std::string(500, '\xD3'); };
    auto sendAndWait = [&](PtyCollector& to, const std::string& bytes) {
        const std::size_t before = to.size();
        caster.Send(bytes);
        return QTest::qWaitFor([&] { return to.size() >= before + bytes.size(); }, 5000);
    };

    // Item 0: the receiver's own port. The window hears of each block a moment after the
    // receiver has it; this one it hears of only after the switch below, and still the block
    // goes to the receiver alone.
    click(window->chkOutputPort);
    EXPECT_NE(log().find("Output enabled: Using GPS input port"), std::string::npos);
    const std::string first = block();
    caster.Send(first);
    for (int ms = 0; ms < 5000 && atReceiver.size() < first.size(); ms += 5)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(atReceiver.size(), first.size());

    // Another port: the stream goes there alone, at the chosen speed.
    click(window->chkOutputPort);
    choose(window->boxOutputPort, "COM7");
    choose(window->boxOutputBaud, "9600");
    click(window->chkOutputPort);
    EXPECT_NE(log().find("Output port opened: COM7 @ 9600"), std::string::npos) << log();
    const std::string second = block();
    ASSERT_TRUE(sendAndWait(atOutput, second));
    // Choosing item 0 while enabled changes nothing until the next enable.
    choose(window->boxOutputPort, "COM5 This Port (GPS)");
    const std::string third = block();
    ASSERT_TRUE(sendAndWait(atOutput, third));
    EXPECT_EQ(atOutput.received(), second + third);
    EXPECT_EQ(atReceiver.received(), first);

    // Cleared: back to the receiver.
    click(window->chkOutputPort);
    EXPECT_NE(log().find("Output port closed"), std::string::npos);
    const std::string fourth = block();
    ASSERT_TRUE(sendAndWait(atReceiver, fourth));
    EXPECT_EQ(atReceiver.received(), first + fourth);

    // A port held by another program: the failure is logged, Enable clears, the receiver keeps it.
    std::shared_ptr<SerialPort> holder = SerialPort::open(output.slavePath(), {}, &error);
    ASSERT_TRUE(holder) << error;
    choose(window->boxOutputPort, "COM7");
    click(window->chkOutputPort);
    EXPECT_NE(log().find("Failed to open output port: COM7"), std::string::npos);
    EXPECT_FALSE(window->chkOutputPort->isChecked());
    EXPECT_FALSE(ReadNtripSettings(GetIniFileName()).OutputEnabled);
    const std::string fifth = block();
    ASSERT_TRUE(sendAndWait(atReceiver, fifth));
    EXPECT_EQ(atOutput.received(), second + third);

    // A port mapped to a plain file opens, but takes no line settings: that is said as such.
    choose(window->boxOutputPort, "COM8");
    click(window->chkOutputPort);
    EXPECT_NE(log().find("Failed to configure output port"), std::string::npos) << log();
    EXPECT_EQ(log().find("Failed to open output port: COM8"), std::string::npos) << log();
    EXPECT_FALSE(window->chkOutputPort->isChecked());

    // The receiver's port closed (real time stopped): nothing is written, and the log says so once.
    window->SetSerialPortHandle(nullptr, {});
    port->close();
    caster.Send(block());
    caster.Send(block());
    ASSERT_TRUE(waitForLog("No GNSS receiver port is open - corrections are not passed on"));
    QTest::qWait(200);
    EXPECT_EQ(logCount("No GNSS receiver port is open"), 1);
    EXPECT_EQ(atReceiver.received(), first + fourth + fifth);
}

TEST_F(NtripWindowTest, FetchSourcesListsTheCastersMountPoints)
{
    std::string table;
    const std::string folder = sharedDataFolder();
    if (folder.empty() || !readFile(folder + "rtcm/ntrip_sourcetable.log", table))
        VSX_SKIP_MISSING() << "the shared recording rtcm/ntrip_sourcetable.log is not there";
    // The recording is a real caster's reply with bare LF line ends.
    ScriptedCaster caster(table, true);
    open();
    window->show();
    click(window->btnFetchSources);
    EXPECT_TRUE(window->btnFetchSources->isEnabled()) << "nothing started, so the button comes back";
    EXPECT_TRUE(waitForLog("Error: Caster address is empty"));

    useCaster(caster.port());
    click(window->btnFetchSources);
    EXPECT_FALSE(window->btnFetchSources->isEnabled());
    EXPECT_EQ(window->btnConnect->text(), "Disconnect") << "a press would end the fetch";
    ASSERT_TRUE(waitForLog("Found 4 mount points")) << log();
    EXPECT_TRUE(window->btnFetchSources->isEnabled());
    // The fetch is over by itself: the button offers to connect again.
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->btnConnect->text() == "Connect"; }, 5000));
    ASSERT_EQ(window->boxMountpoint->count(), 4);
    EXPECT_EQ(window->boxMountpoint->currentText(), "VRS_3_2G");
    EXPECT_EQ(window->boxMountpoint->itemText(3), "EPS");
    EXPECT_EQ(caster.Requests().substr(0, 16), "GET / HTTP/1.0\r\n");

    // Without received data there is nothing to report.
    click(window->parseRtcmButton);
    EXPECT_NE(log().find("No RTCM data to parse"), std::string::npos);
    EXPECT_FALSE(fRTCMParsing->isVisible());
    // "Save && Close" with nothing in the report writes no file and closes.
    fRTCMParsing->show();
    click(fRTCMParsing->btnClose);
    EXPECT_FALSE(fRTCMParsing->isVisible());
    EXPECT_FALSE(fileExists(RtcmReportWindow::ReportFileName()));
}

TEST_F(NtripWindowTest, BaseStationChangesAreLoggedOnceEach)
{
    ScriptedCaster caster;
    open();
    window->show();
    useCaster(caster.port(), "TEST");
    click(window->btnConnect);
    ASSERT_TRUE(waitForLog("Connected to TEST"));
    const std::string events = EventsLogFileName();
    // Today's LOG folder is missing: the window's line only, and no folder is made.
    std::filesystem::remove_all(DayFolder);
    const std::string station = stationFrame(2003, 4216216.9065, 2337087.1942, 4162456.0036);
    // The same station twice in one block, then split over two blocks: one line.
    caster.Send(station + station);
    caster.Send(station.substr(0, 10));
    caster.Send(station.substr(10));
    ASSERT_TRUE(waitForLog("Base #2003: 41.00000000, 29.00000000, 50.00m"));
    QTest::qWait(300);
    EXPECT_EQ(logCount("Base #"), 1);
    EXPECT_FALSE(folderExists(DayFolder));

    // It moves by more than 0.00001 degree: a new line, and today's events log has it, stamped
    // to the second.
    CreateDataFolders();
    MidSecondClock midSecond;
    setClock(&midSecond);
    caster.Send(stationFrame(2003, 4216216.9065 - 2.0, 2337087.1942 + 1.0, 4162456.0036));
    ASSERT_TRUE(QTest::qWaitFor([&] { return logCount("Base #2003: ") == 2; }, 5000)) << log();
    setClock(nullptr);
    const std::string logged = home.readFile(events.substr(home.root().size()));
    EXPECT_TRUE(std::regex_search(logged, std::regex("^\r\nAuto Event:\t\\d{4}-\\d\\d-\\d\\d \\d{6}000\tNTRIP Base Station #2003: 41\\.000")))
        << logged;
}
