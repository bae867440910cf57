// The device settings window in the whole program, offscreen, opened as the surveyor opens it
// (the main window's "Settings" button): its port lists hold the serial ports of the settings
// file's [SERIAL_PORTS] that can be opened, and the echosounder message type chosen in it shows
// or hides the real-time window's low-frequency depth box.
#include "app/windows/WindowPointers.h"
#include "input/windows/DeviceSettingsPanels.h"
#include "input/windows/ExtraVesselPanels.h"
#include "input/windows/ForwardingGroups.h"
#include "input/windows/DeviceSettingsWindow.h"
#include "nav/windows/MainWindow.h"
#include "platform/IniFile.h"
#include "platform/SerialPortMap.h"
#include "tools/windows/RealtimeDataWindow.h"

#include "support/PtyPair.h"
#include "support/RunningProgram.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace vsx;
using namespace vsx::test;

namespace {

QStringList itemsOf(const QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
}

// Opens a sheet of the settings window by clicking its tab.
void openSheet(DeviceSettingsWindow& w, QWidget* sheet)
{
    QTabBar* tabs = w.SettingTabs->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(w.SettingTabs->indexOf(sheet)).center());
    ASSERT_EQ(w.SettingTabs->currentWidget(), sheet);
}

// Moves through a box's list with the arrow keys, as the user does, until `text` is chosen.
void chooseWithKeys(QComboBox* box, const QString& text)
{
    box->setFocus(Qt::TabFocusReason);
    const int target = box->findText(text);
    ASSERT_GE(target, 0) << text.toStdString();
    while (box->currentIndex() != target) QTest::keyClick(box, target > box->currentIndex() ? Qt::Key_Down : Qt::Key_Up);
}

} // namespace

TEST(EndToEndDeviceSettings, PortListsHoldTheMappedPortsAndTheMessageTypeSetsTheDepthBox)
{
    PtyPair sounder, forwarder;
    RunningProgram p([&](IniFile& ini) {
        ini.writeString(kSerialPortsSection, "COM3", sounder.slavePath());
        ini.writeString(kSerialPortsSection, "COM12", forwarder.slavePath());
        ini.writeString(kSerialPortsSection, "COM9", p.home.path("no-such-device"));
        ini.writeString("SENSOR COMUNICATION SETTINGS", "Port No", "COM3");
    });

    auto* settingsButton = FNav->findChild<QToolButton*>("ConnectIcon");
    ASSERT_NE(settingsButton, nullptr);
    QTest::mouseClick(settingsButton, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([] { return FGPS->isVisible(); }, 1000));

    // The ports that can be opened now, in number order; a mapping to nothing is left out.
    const QStringList listed = itemsOf(FGPS->SPort);
    EXPECT_TRUE(listed.contains("COM3")) << listed.join(' ').toStdString();
    EXPECT_TRUE(listed.contains("COM12")) << listed.join(' ').toStdString();
    EXPECT_FALSE(listed.contains("COM9")) << listed.join(' ').toStdString();
    EXPECT_LT(listed.indexOf("COM3"), listed.indexOf("COM12"));
    EXPECT_EQ(FGPS->SPort->currentText(), "COM3") << "the stored echosounder port, listed";
    EXPECT_EQ(itemsOf(FGPS->forwardingPanel()->forwarding()->cbSerialPort), listed);
    for (const auto& panel : FGPS->extraVesselPanel()->panels()->panels) {
        ASSERT_EQ(panel.cbPt->count(), 50);
        EXPECT_EQ(panel.cbPt->itemText(0), "COM1");
        EXPECT_EQ(panel.cbPt->itemText(49), "COM50");
    }

    // The echosounder's message type, chosen on its sheet.
    openSheet(*FGPS, FGPS->SensorTabSheet);
    ASSERT_TRUE(fRealtime->lowFrequencyDepthShown());
    chooseWithKeys(FGPS->cSBESMessage, "NMEA DPT");
    EXPECT_EQ(FGPS->eSBESFormat->text(), "%*6s,%lf");
    EXPECT_FALSE(fRealtime->lowFrequencyDepthShown());
    chooseWithKeys(FGPS->cSBESMessage, "Veldor XDR LO");
    EXPECT_EQ(FGPS->eSBESFormat->text(), "%*8s,%*lf,%*8s,%lf");
    EXPECT_TRUE(fRealtime->lowFrequencyDepthShown());
    EXPECT_EQ(fRealtime->height(), RealtimeDataWindow::kHeightWithLowFrequency);
    EXPECT_TRUE(p.prompts.entries.empty());
}
