#include "DeviceSettingsWindowFixture.h"

#include "input/GgaForwarding.h"
#include "input/windows/DeviceSettingsPanels.h"
#include "input/windows/ExtraVesselPanels.h"
#include "input/windows/ForwardingGroups.h"

using namespace vsx;
using vsx::test::DeviceSettingsWindowTest;

// The forwarding, UDP-input and vessel panels live on the window's sheets: stored values reach
// the shared values before the window is ever shown, and the lock writes their sections.
TEST_F(DeviceSettingsWindowTest, ForwardingAndVesselPanelsLoadAndLock)
{
    writeIni("[SENSOR_FORWARD]\r\nEnabled=0\r\nUDPPort=20000\r\n[GPS_UDP]\r\nEnabled=1\r\nPort=5100\r\n"
             "[GPS2]\r\nName=Tender\r\n");
    DeviceSettingsWindow& w = make();
    EXPECT_EQ(ForwardUdpPort, 20000) << "published at creation";
    EXPECT_TRUE(GpsUdpEnabled);
    EXPECT_EQ(GpsUdpPort, 5100);
    w.show();
    ExtraVesselPanels* vessels = w.extraVesselPanel()->panels();
    ASSERT_TRUE(vessels->loaded());
    EXPECT_EQ(vessels->panels[0].edNm->text(), "Tender");
    w.forwardingPanel()->forwarding()->edUDPPort->setText("20010");
    w.lockStateCheck->setChecked(true);
    IniFile ini(GetIniFileName());
    EXPECT_EQ(ini.readString("SENSOR_FORWARD", "UDPPort", ""), "20010");
    EXPECT_EQ(ini.readString("GPS_UDP", "Port", ""), "5100");
    EXPECT_EQ(ini.readInteger("MULTI_VESSEL", "Count", 0), 3);
    EXPECT_EQ(ini.readString("GPS2", "Name", ""), "Tender");
    w.lockStateCheck->setChecked(false);
    GpsUdpEnabled = false;
    GpsUdpPort = kDefaultGpsUdpPort;
    ForwardUdpPort = ForwardBaseUdpPort = kDefaultForwardUdpPort;
}

// An unsafe or useless format typed by the user is refused where it was typed; the depth handler
// keeps the last format that worked.
TEST_F(DeviceSettingsWindowTest, UnsafeScanFormatIsMarkedWhereItWasTyped)
{
    DeviceSettingsWindow& w = make();
    w.eSBESFormat->setText("%*6s,%lf");
    EXPECT_TRUE(w.eSBESFormat->toolTip().isEmpty());
    for (const char* bad : {"%s,%lf", "%n", "%*6s,%*lf"}) {
        w.eSBESFormat->setText(bad);
        EXPECT_FALSE(w.eSBESFormat->toolTip().isEmpty()) << bad;
        EXPECT_EQ(w.Settings().validSounderScanFormat(), "%*6s,%lf") << bad;
    }
}
