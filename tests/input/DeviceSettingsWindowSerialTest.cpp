// The window's port groups applied to real receivers on pseudo-terminals that the settings file
// maps to COM names: the line settings a port opens with, the port list while a receiver holds a
// port, and a port name that is empty or names nothing.
#include "DeviceSettingsWindowFixture.h"

#include "input/SerialReceiverPortTarget.h"
#include "input/TVeldorSerialGPS.h"
#include "platform/SerialTermios.h"

#include "support/PtyPair.h"

#include <algorithm>

using namespace vsx;
using namespace vsx::test;

namespace {

bool listed(const QComboBox* box, const char* name) { return box->findText(QString::fromLatin1(name)) >= 0; }

class DeviceSettingsWindowSerial : public DeviceSettingsWindowTest {
protected:
    void SetUp() override
    {
        DeviceSettingsWindowTest::SetUp();
        writeIni("[GPS1 COMUNICATION SETTINGS]\r\n"
                 "Port No        =COM7\r\nBaud Rate      =4800\r\nData Width     =7\r\nStop Bits      =2\r\n"
                 "Parity         =Odd\r\nDelay          =5\r\nNMEA LOG       =False\r\nLog Time       =False\r\n"
                 "Enable DTR     =True\r\nEnable RTS     =True\r\n"
                 "[SENSOR COMUNICATION SETTINGS]\r\n"
                 "Port No         =COM8\r\nBaud Rate      =38400\r\nData Width     =8\r\nStop Bits      =1\r\n"
                 "Parity         =None\r\nDelay          =5\r\nNMEA LOG       =False\r\nLog Time       =False\r\n"
                 "Enable DTR     =True\r\nEnable RTS     =True\r\n");
        gnssPty.mapTo(home.iniPath(), "COM7");
        sounderPty.mapTo(home.iniPath(), "COM8");
        GnssReceiverTarget = &gnssPort;
        SounderReceiverTarget = &sounderPort;
        SerialPortLister = EnumerateProgramSerialPorts;
    }
    void TearDown() override
    {
        gps.Close();
        sbes.Close();
        DeviceSettingsWindowTest::TearDown();
    }

    serial::LineState lineOf(const PtyPair& pty)
    {
        serial::LineState s;
        EXPECT_TRUE(serial::readLineState(pty.masterFd(), s));
        return s;
    }

    PtyPair gnssPty, sounderPty;
    TVeldorSerialGPS gps, sbes;
    SerialReceiverPortTarget gnssPort{gps}, sounderPort{sbes};
};

} // namespace

TEST_F(DeviceSettingsWindowSerial, SetButtonsThenOpenUseTheGroupsLineSettings)
{
    DeviceSettingsWindow& w = make();
    w.show();
    EXPECT_TRUE(listed(w.SPort, "COM7"));
    EXPECT_TRUE(listed(w.SPort, "COM8"));
    EXPECT_EQ(w.SPort->currentText(), "COM8");

    w.GPSSet->click();
    w.SensorSet->click();
    EXPECT_FALSE(gps.Connected()) << "the set buttons open nothing";
    gnssPort.open();
    sounderPort.open();
    ASSERT_TRUE(gps.Connected()) << gps.LastError();
    ASSERT_TRUE(sbes.Connected()) << sbes.LastError();
    const serial::LineState g = lineOf(gnssPty);
    EXPECT_EQ(g.baudRate, 4800u);
    EXPECT_TRUE(g.twoStopBits);
    EXPECT_TRUE(g.raw);
    // A pseudo-terminal always reports eight bits without parity, so these are read off the receiver.
    EXPECT_EQ(gps.DataBitsCode, 3);
    EXPECT_EQ(gps.ParityCode, 0) << "Parity is stored, the port opens without parity";
    EXPECT_TRUE(gps.EnableDTR);
    const serial::LineState s = lineOf(sounderPty);
    EXPECT_EQ(s.baudRate, 38400u);
    EXPECT_FALSE(s.twoStopBits);
    EXPECT_EQ(sbes.RawLogFileName, LogFolder + "2024-06-01 VSX_SBES_V3.log");

    // A rate the receivers do not support opens at 9600; a change takes effect at the next open.
    gps.Close();
    pick(w.BaudRate, "56000");
    pick(w.StopBits, "1");
    w.applyGnssPortSettings();
    gnssPort.open();
    ASSERT_TRUE(gnssPort.isOpen());
    EXPECT_EQ(lineOf(gnssPty).baudRate, 9600u);
    EXPECT_FALSE(lineOf(gnssPty).twoStopBits);
}

TEST_F(DeviceSettingsWindowSerial, APortHeldByItsReceiverIsNotListedButStaysShown)
{
    DeviceSettingsWindow& w = make();
    w.applySounderPortSettings();
    sounderPort.open();
    ASSERT_TRUE(sbes.Connected()) << sbes.LastError();

    w.show();
    EXPECT_FALSE(listed(w.SPort, "COM8")) << "held by the echosounder receiver";
    EXPECT_TRUE(listed(w.SPort, "COM7"));
    EXPECT_EQ(w.SPort->currentText(), "COM8");

    // Locking and setting again during the survey keep the port.
    w.lockStateCheck->setChecked(true);
    EXPECT_EQ(IniFile(home.iniPath()).readString("SENSOR COMUNICATION SETTINGS", "Port No", ""), "COM8");
    w.applySounderPortSettings();
    sounderPort.close();
    sounderPort.open();
    EXPECT_TRUE(sbes.Connected()) << sbes.LastError();
}

TEST_F(DeviceSettingsWindowSerial, EmptyOrUnknownPortOpensNothing)
{
    DeviceSettingsWindow& w = make();
    PtyPair com1;
    com1.mapTo(home.iniPath(), "COM1");  // a device that must not be taken by default
    for (const char* text : {"", "GPS", "COM0", "COM999"}) {
        SCOPED_TRACE(text);
        type(w.Port, text);
        w.applyGnssPortSettings();
        gnssPort.open();
        EXPECT_FALSE(gps.Connected());
        EXPECT_TRUE(SerialPort::canOpen(com1.slavePath())) << "COM1 was left alone";
    }
    EXPECT_EQ(receiverPortNumber(" com12 "), 12);
    EXPECT_EQ(receiverPortNumber("25"), 25);
    EXPECT_EQ(receiverPortNumber("COM256"), 256);
}
