// The window's port groups: loading them, "GPS Set" and "SBES Set" against receivers, the port
// list of the echosounder, and the stored port that must never turn into COM1 or vanish.
#include "DeviceSettingsWindowFixture.h"

#include "platform/Numbers.h"

#include <QTest>

using namespace vsx;
using namespace vsx::test;

namespace {
const char* kStoredPorts =
    "[GPS1 COMUNICATION SETTINGS]\r\n"
    "Port No        =COM4\r\nBaud Rate      =115200\r\nData Width     =8\r\nStop Bits      =1\r\n"
    "Parity         =None\r\nPriority       =Normal\r\nDelay          =10\r\nNMEA LOG       =True\r\n"
    "Log Time       =True\r\nEnable DTR     =True\r\nEnable RTS     =False\r\n"
    "[SENSOR COMUNICATION SETTINGS]\r\n"
    "Port No         =COM7\r\nBaud Rate      =4800\r\nData Width     =7\r\nStop Bits      =2\r\n"
    "Parity         =Odd\r\nPriority       =Higher\r\nDelay          =100\r\nNMEA LOG       =False\r\n"
    "Log Time       =False\r\nEnable DTR     =False\r\nEnable RTS     =True\r\n"
    "Sensor Enabled     =1\r\ncSBESMessage=NMEA DPT\r\neSBESFormat=%*6s,%lf\r\n";
} // namespace

TEST_F(DeviceSettingsWindowTest, FreshInstallShowsNoPortAndAppliesNone)
{
    DeviceSettingsWindow& w = make();
    EXPECT_FALSE(fileExists(home.iniPath())) << "creating the window writes nothing";
    EXPECT_EQ(w.Port->currentText(), "");
    EXPECT_EQ(w.SPort->currentText(), "");
    EXPECT_EQ(w.BaudRate->currentText(), "9600");
    EXPECT_EQ(w.edSMA->text(), "");
    EXPECT_EQ(w.edCM->text(), "");
    EXPECT_EQ(w.cSBESMessage->currentText(), "Veldor SMT");
    EXPECT_EQ(w.eSBESFormat->text(), "%*8s,%lf,%lf");
    EXPECT_TRUE(w.GyroEnabled->isChecked());
    w.applyGnssPortSettings();
    w.applySounderPortSettings();
    ASSERT_EQ(gnss.applied.size(), 1u);
    ASSERT_EQ(sounder.applied.size(), 1u);
    EXPECT_EQ(gnss.applied[0].portName, "") << "no port chosen yet: the receiver must not fall back to COM1";
    EXPECT_EQ(sounder.applied[0].portName, "");
    EXPECT_EQ(gnss.applied[0].baudRate, 9600);
}

TEST_F(DeviceSettingsWindowTest, SetButtonsHandTheGroupsToTheirReceivers)
{
    writeIni(kStoredPorts);
    DeviceSettingsWindow& w = make();
    w.show();
    EXPECT_EQ(w.Port->currentText(), "COM4");
    EXPECT_EQ(w.SStopBits->currentText(), "2");
    EXPECT_EQ(w.cSBESMessage->currentText(), "NMEA DPT");

    w.GPSSet->click();
    ASSERT_EQ(gnss.applied.size(), 1u);
    ReceiverPortSettings g;
    g.portName = "COM4";
    g.baudRate = 115200;
    g.dataBitsCode = 4;
    g.stopBitsCode = 1;
    g.pollInterval = 10;
    g.rawLogEnabled = true;
    g.rawLogTimeStamps = true;
    g.enableDtr = true;
    g.enableRts = false;
    g.rawLogFileName = home.path("home/VLT/2024-06-01/LOG/2024-06-01 VSX_GNSS_V3.log");
    EXPECT_EQ(gnss.applied[0], g);
    EXPECT_TRUE(sounder.applied.empty());

    ports = {"COM1", "COM7"};
    w.hide();
    w.show();
    w.SensorSet->click();
    ASSERT_EQ(sounder.applied.size(), 1u);
    const ReceiverPortSettings& s = sounder.applied[0];
    EXPECT_EQ(s.portName, "COM7");
    EXPECT_EQ(s.baudRate, 4800);
    EXPECT_EQ(s.dataBitsCode, 3);
    EXPECT_EQ(s.stopBitsCode, 3);
    EXPECT_EQ(s.parityCode, 0) << "Parity is only stored";
    EXPECT_EQ(s.pollInterval, 100);
    EXPECT_FALSE(s.enableDtr);
    EXPECT_TRUE(s.enableRts);
    EXPECT_EQ(s.rawLogFileName, home.path("home/VLT/2024-06-01/LOG/2024-06-01 VSX_SBES_V3.log"));

    // Changes made in the boxes are what the next press hands over.
    pick(w.StopBits, "1.5");
    pick(w.EnableDTR, "False");
    type(w.Port, "COM25");
    type(w.DataWidth, "x");
    w.applyGnssPortSettings();
    ASSERT_EQ(gnss.applied.size(), 2u);
    EXPECT_EQ(gnss.applied[1].portName, "COM25");
    EXPECT_EQ(gnss.applied[1].stopBitsCode, 2);
    EXPECT_EQ(gnss.applied[1].dataBitsCode, 4) << "a width that is no item gives eight bits";
    EXPECT_FALSE(gnss.applied[1].enableDtr);
}

TEST_F(DeviceSettingsWindowTest, RawLogNamesFollowTheDateOfPressing)
{
    clock.setLocal({2024, 6, 1, 23, 59, 59, 900});
    InitSharedValues();
    writeIni(kStoredPorts);
    DeviceSettingsWindow& w = make();
    w.applyGnssPortSettings();
    clock.advance(std::chrono::milliseconds(200));
    w.applyGnssPortSettings();
    ASSERT_EQ(gnss.applied.size(), 2u);
    const std::string folder = home.path("home/VLT/2024-06-01/LOG/");
    EXPECT_EQ(gnss.applied[0].rawLogFileName, folder + "2024-06-01 VSX_GNSS_V3.log");
    EXPECT_EQ(gnss.applied[1].rawLogFileName, folder + "2024-06-02 VSX_GNSS_V3.log") << "same start-day folder";
}

TEST_F(DeviceSettingsWindowTest, BadTextsStopTheSetButtonsWithNothingApplied)
{
    writeIni(kStoredPorts);
    DeviceSettingsWindow& w = make();
    type(w.Delay, "fast");
    EXPECT_THROW(w.applyGnssPortSettings(), ConversionError);
    type(w.Delay, "10");
    type(w.SNMEALog, "yes");
    EXPECT_THROW(w.applySounderPortSettings(), ConversionError);
    EXPECT_TRUE(gnss.applied.empty());
    EXPECT_TRUE(sounder.applied.empty());
    EXPECT_NO_THROW(w.applyGnssPortSettings());

    // Clicked, the error is said over this window (it stays on top) and names the field.
    w.show();
    type(w.SDelay, "fast");
    QTest::mouseClick(w.SensorSet, Qt::LeftButton);
    ASSERT_EQ(prompts.entries.size(), 1u);
    EXPECT_EQ(prompts.entries[0].text, "Delay (SBES Port): 'fast' is not a valid integer value");
    EXPECT_EQ(prompts.entries[0].parent, &w);
    EXPECT_TRUE(sounder.applied.empty());
    // Without receivers bound the buttons do nothing.
    GnssReceiverTarget = nullptr;
    EXPECT_NO_THROW(w.applyGnssPortSettings());
    EXPECT_EQ(gnss.applied.size(), 1u);
}

TEST_F(DeviceSettingsWindowTest, StoredSounderPortStaysWhileTheReceiverHoldsIt)
{
    writeIni(kStoredPorts);
    ports = {"COM1", "COM2"};  // COM7 is held by our own echosounder receiver
    DeviceSettingsWindow& w = make();
    w.show();
    ASSERT_EQ(w.SPort->count(), 2);
    EXPECT_EQ(w.SPort->itemText(0), "COM1");
    EXPECT_EQ(w.SPort->itemText(1), "COM2");
    EXPECT_EQ(w.SPort->currentText(), "COM7");
    EXPECT_EQ(w.Port->count(), 256) << "the GNSS box keeps its fixed list";
    EXPECT_EQ(w.Port->currentText(), "COM4");

    w.applySounderPortSettings();
    ASSERT_EQ(sounder.applied.size(), 1u);
    EXPECT_EQ(sounder.applied[0].portName, "COM7");
    w.lockStateCheck->setChecked(true);
    EXPECT_EQ(IniFile(home.iniPath()).readString("SENSOR COMUNICATION SETTINGS", "Port No", ""), "COM7");
    EXPECT_EQ(sounder.applied.size(), 1u) << "locking applies nothing";

    // No ports at all: the list is empty and the stored name still shows.
    ports.clear();
    w.hide();
    w.show();
    EXPECT_EQ(w.SPort->count(), 0);
    EXPECT_EQ(w.SPort->currentText(), "COM7");
}

TEST_F(DeviceSettingsWindowTest, ClearedPortIsNoPortNotCom1)
{
    writeIni(kStoredPorts);
    DeviceSettingsWindow& w = make();
    type(w.SPort, "");
    w.applySounderPortSettings();
    ASSERT_EQ(sounder.applied.size(), 1u);
    EXPECT_EQ(sounder.applied[0].portName, "");
    EXPECT_EQ(w.Settings().sounderPortName(), "COM7") << "readers keep the last port named";
}

TEST_F(DeviceSettingsWindowTest, PortBoxesOffDuringUdpInput)
{
    DeviceSettingsWindow& w = make();
    w.SetGnssPortBoxesEnabled(false);
    for (QComboBox* c : {w.Port, w.BaudRate, w.DataWidth, w.StopBits, w.Parity}) EXPECT_FALSE(c->isEnabled());
    EXPECT_TRUE(w.Priority->isEnabled());
    // Locking and unlocking leaves them as UDP input wants them.
    w.lockStateCheck->setChecked(true);
    w.lockStateCheck->setChecked(false);
    EXPECT_FALSE(w.Port->isEnabled());
    EXPECT_TRUE(w.Delay->isEnabled());
}

// Values the user changed and has not saved stay as typed when the window is shown again; only
// the user's own changes count, never values the window loads or is given by code.
TEST_F(DeviceSettingsWindowTest, ShownAgainWithUnsavedChangesKeepsThemAsTyped)
{
    writeIni(kStoredPorts);
    DeviceSettingsWindow& w = make();
    w.show();
    type(w.edSMA, "6378137");
    EXPECT_FALSE(w.hasUnsavedChanges()) << "loading and values set by code are no change";

    auto typeOver = [](QLineEdit* e, const char* text) {
        e->setFocus();
        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(e, text);
    };
    typeOver(w.SPort->lineEdit(), "COM9");
    EXPECT_TRUE(w.hasUnsavedChanges());
    QLineEdit* udpIp = w.findChild<QLineEdit*>("edUDPIP");
    ASSERT_NE(udpIp, nullptr);
    typeOver(udpIp, "10.0.0.5");

    w.hide();
    w.show();
    EXPECT_EQ(w.SPort->currentText(), "COM9");
    EXPECT_EQ(udpIp->text(), "10.0.0.5");
    EXPECT_EQ(IniFile(home.iniPath()).readString("SENSOR COMUNICATION SETTINGS", "Port No", ""), "COM7");

    w.lockStateCheck->setChecked(true);
    EXPECT_FALSE(w.hasUnsavedChanges());
    EXPECT_EQ(IniFile(home.iniPath()).readString("SENSOR COMUNICATION SETTINGS", "Port No", ""), "COM9");
    EXPECT_EQ(IniFile(home.iniPath()).readString("SENSOR_FORWARD", "UDPIP", ""), "10.0.0.5");
}
