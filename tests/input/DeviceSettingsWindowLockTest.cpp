// "SAVE && LOCK SETTINGS": what the lock writes, the summary, what unlocking writes, the lock
// restored at start (which must not overwrite what the window has not loaded), the hand-edited
// switch, and the sheets that are locked.
#include "DeviceSettingsWindowFixture.h"

#include "platform/StyleManager.h"

#include <QLabel>
#include <QTabWidget>
#include <QTest>

using namespace vsx;
using namespace vsx::test;

namespace {
std::vector<QWidget*> lockableSheets(const DeviceSettingsWindow& w)
{
    return {w.GPSTabSheet, w.SensorTabSheet, w.ParametersTabSheet, w.tGlobalSetting, w.FMultiGPSTab};
}

// How far apart two colours look: the difference of their luminance, 0 to 255.
double contrast(const QColor& a, const QColor& b)
{
    auto luminance = [](const QColor& c) { return 0.299 * c.red() + 0.587 * c.green() + 0.114 * c.blue(); };
    return std::abs(luminance(a) - luminance(b));
}
} // namespace

TEST_F(DeviceSettingsWindowTest, LockWritesEverySectionInOrder)
{
    DeviceSettingsWindow& w = make();
    type(w.Port, "COM3");
    pick(w.BaudRate, "38400");
    pick(w.SPort, "COM2");
    type(w.edSMA, "6378137");
    type(w.edIF, "298.257223563");
    type(w.edCM, "33");
    type(w.edSF, "0.9996");
    type(w.edFE, "500000");
    type(w.edNameOfDatum, "ITRF96");
    w.cbUseLCCProjection->setChecked(true);
    type(w.eLCCSP1, "36");
    type(w.eLCCSP2, "42");
    w.cbAutoGrid->setChecked(true);
    type(w.edGridSpacingX, "250");
    type(w.eScreenshotInterval, "30");
    w.lockStateCheck->setChecked(true);

    const std::string expected =
        "[LOCK SETTINGS]\r\nLock Settings=1\r\n"
        "[GPS1 COMUNICATION SETTINGS]\r\n"
        "Port No        =COM3\r\nBaud Rate      =38400\r\nData Width     =8\r\nStop Bits      =1\r\n"
        "Parity         =None\r\nPriority       =Normal\r\nDelay          =5\r\nNMEA LOG       =False\r\n"
        "Log Time       =False\r\nEnable DTR     =True\r\nEnable RTS     =True\r\n"
        "[SENSOR COMUNICATION SETTINGS]\r\n"
        "Port No         =COM2\r\nBaud Rate      =9600\r\nData Width     =8\r\nStop Bits      =1\r\n"
        "Parity         =None\r\nPriority       =Normal\r\nDelay          =5\r\nNMEA LOG       =False\r\n"
        "Log Time       =False\r\nEnable DTR     =True\r\nEnable RTS     =True\r\n"
        "Sensor Enabled     =1\r\ncSBESMessage=Veldor SMT\r\neSBESFormat=%*8s,%lf,%lf\r\n"
        "[GYRO]\r\nGyro Enabled     =1\r\n"
        "[GEODETIC_PARAMETERS]\r\n"
        "SemiMajorAxis=6378137\r\nInverseFlattening=298.257223563\r\nX_Rotation=\r\nY_Rotation=\r\nZ_Rotation=\r\n"
        "X_Shift=\r\nY_Shift=\r\nZ_Shift=\r\nScale_PPM=\r\nCentral_Meridian=33\r\nReference_Latitude=\r\n"
        "Scale_Factor=0.9996\r\nFalse_Easting=500000\r\nFalse_Northing=\r\nUse Projection=0\r\nUse DTP=1\r\n"
        "Name of Datum=ITRF96\r\neLCCSP1=36\r\neLCCSP2=42\r\neLCCSF=\r\neLCCCP=\r\neLCCM=\r\neLCCFE=\r\neLCCFN=\r\n"
        "cbUseLCCProjection=1\r\ncLambert1=0\r\n"
        "[GRID_SETTINGS]\r\nGridVisible=1\r\nAutoGrid=1\r\nGridSpacingX=250\r\nGridSpacingY=100\r\nGridColor=12632256\r\n"
        "[DEPTH_LABEL_SETTINGS]\r\nShowDepthLabels=1\r\nLabelSpacing=10\r\nFontName=Arial\r\nFontSize=12\r\nTextColor=0\r\n"
        "[EVENT_LABEL_SETTINGS]\r\nFontSize=24\r\nTextColor=255\r\n"
        "[OVERLAY_SETTINGS]\r\nFontSize=40\r\nDepthColor=8388608\r\nSpeedColor=0\r\n"
        "[SCREENSHOT]\r\nInterval=30\r\n";
    EXPECT_EQ(iniText(), expected);

    EXPECT_EQ(eventsLog(), "\r\nAuto Event:\t2024-06-01 123015250\t=== SETTINGS SAVED ==="
                           "\r\nAuto Event:\t2024-06-01 123015250\tGPS: Port=COM3, Baud=38400"
                           "\r\nAuto Event:\t2024-06-01 123015250\tSensor: Port=COM2, Baud=9600, Enabled=Yes"
                           "\r\nAuto Event:\t2024-06-01 123015250\tDatum: ITRF96, DTP=Yes"
                           "\r\nAuto Event:\t2024-06-01 123015250\tTM: CM=33, RefLat=, SF=0.9996, FE=500000, FN="
                           "\r\nAuto Event:\t2024-06-01 123015250\tLCC: Enabled, SP1=36, SP2=42"
                           "\r\nAuto Event:\t2024-06-01 123015250\t======================");

    // Published at the lock: the canvas takes auto spacing whatever the edits hold.
    EXPECT_TRUE(GridAutoScale);
    EXPECT_DOUBLE_EQ(GridSpacingX, 250.0);
    EXPECT_EQ(canvas.stepX, 0.0);
    EXPECT_EQ(canvas.stepY, 0.0);
    EXPECT_GT(canvas.repaints, 0);
    EXPECT_TRUE(prompts.entries.empty());

    // Unlocking writes the lock key and nothing else.
    clock.advance(std::chrono::seconds(1));
    w.lockStateCheck->setChecked(false);
    std::string unlocked = expected;
    unlocked.replace(unlocked.find("Lock Settings=1"), 15, "Lock Settings=0");
    EXPECT_EQ(iniText(), unlocked);
    EXPECT_EQ(eventsLog().find("2024-06-01 123016"), std::string::npos) << "no summary on unlock";
}

TEST_F(DeviceSettingsWindowTest, LockAndUnlockTheSheets)
{
    DeviceSettingsWindow& w = make();
    w.show();
    w.lockStateCheck->setChecked(true);
    for (QWidget* sheet : lockableSheets(w))
        for (QWidget* c : sheet->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            EXPECT_FALSE(c->isEnabled()) << c->objectName().toStdString();
    EXPECT_FALSE(w.edSMA->isEnabled());
    EXPECT_FALSE(w.GPSSet->isEnabled());
    EXPECT_TRUE(w.MemoGPS->isEnabled()) << "the monitor stays usable";
    EXPECT_TRUE(w.lockStateCheck->isEnabled());
    EXPECT_TRUE(w.closeButton->isEnabled());
    // The main window applies the ports at a survey start even while locked.
    w.applyGnssPortSettings();
    EXPECT_EQ(gnss.applied.size(), 1u);

    w.lockStateCheck->setChecked(false);
    EXPECT_TRUE(w.edSMA->isEnabled());
    EXPECT_TRUE(w.GPSSet->isEnabled());
    // Controls the window keeps off for reasons of their own stay off.
    w.cLambert1->setChecked(true);
    w.cbAutoGrid->setChecked(true);
    w.lockStateCheck->setChecked(true);
    w.lockStateCheck->setChecked(false);
    EXPECT_FALSE(w.eLCCSP1->isEnabled());
    EXPECT_FALSE(w.edGridSpacingX->isEnabled());
    EXPECT_FALSE(w.cbUseDTP->isEnabled());
}

TEST_F(DeviceSettingsWindowTest, LockedStartKeepsWhatTheWindowHasNotLoaded)
{
    const std::string stored =
        "[LOCK SETTINGS]\r\nLock Settings=1\r\n"
        "[GPS1 COMUNICATION SETTINGS]\r\nPort No=COM4\r\n"
        "[SENSOR COMUNICATION SETTINGS]\r\nPort No=COM7\r\n"
        "[SCREENSHOT]\r\nInterval=5\r\n"
        "[SENSOR_FORWARD]\r\nValue=stored forwarding\r\n"
        "[GPS3]\r\nValue=stored vessel\r\n";
    writeIni(stored);
    FakePanel forwarding("SENSOR_FORWARD"), vessels("GPS3");
    DeviceSettingsWindow& w = make();
    w.EmbedPanel(DeviceSettingsSheet::GpsSettings, &forwarding);
    w.EmbedPanel(DeviceSettingsSheet::MultiGnss, &vessels);
    EXPECT_EQ(iniText(), stored) << "the lock restored at start saves nothing";
    EXPECT_FALSE(fileExists(EventsLogFileName())) << "and writes no summary";
    EXPECT_TRUE(w.lockStateCheck->isChecked());
    EXPECT_FALSE(w.edSMA->isEnabled());
    EXPECT_FALSE(forwarding.widget()->isEnabled()) << "an embedded panel is locked with its sheet";

    w.show();
    EXPECT_EQ(iniText(), stored) << "showing a locked window saves nothing either";
    EXPECT_EQ(forwarding.loads, 1);
    EXPECT_EQ(forwarding.ports, ports);
    EXPECT_EQ(vessels.loads, 1);
    EXPECT_FALSE(w.tGlobalSetting->isEnabled());

    // The user unlocks and locks again: everything is saved now, the panels as loaded, while the
    // screenshot interval the main window never set stays as stored.
    w.lockStateCheck->setChecked(false);
    EXPECT_TRUE(w.tGlobalSetting->isEnabled()) << "unlocking makes the global settings editable again";
    w.lockStateCheck->setChecked(true);
    EXPECT_EQ(forwarding.saves, 1);
    EXPECT_EQ(vessels.saves, 1);
    IniFile ini(home.iniPath());
    EXPECT_EQ(ini.readInteger("SCREENSHOT", "Interval", 0), 5);
    EXPECT_EQ(ini.readString("SENSOR_FORWARD", "Value", ""), "stored forwarding");
    EXPECT_EQ(ini.readString("GPS3", "Value", ""), "stored vessel");
    EXPECT_EQ(ini.readString("GPS1 COMUNICATION SETTINGS", "Port No", ""), "COM4");

    w.close();
    EXPECT_EQ(vessels.closings, 1);
    EXPECT_EQ(w.MemoGPS->toPlainText(), "");
}

TEST_F(DeviceSettingsWindowTest, PanelsThatWereNeverLoadedAreNotSaved)
{
    writeIni("[SENSOR_FORWARD]\r\nValue=stored\r\n");
    FakePanel forwarding("SENSOR_FORWARD");
    DeviceSettingsWindow& w = make();
    w.EmbedPanel(DeviceSettingsSheet::GpsSettings, &forwarding);
    EXPECT_EQ(forwarding.widget()->parentWidget(), w.GPSTabSheet);
    w.lockStateCheck->setChecked(true);  // before the window was ever shown
    EXPECT_EQ(forwarding.saves, 0);
    EXPECT_EQ(IniFile(home.iniPath()).readString("SENSOR_FORWARD", "Value", ""), "stored");
}

TEST_F(DeviceSettingsWindowTest, HandEditedSwitchAtCreation)
{
    struct Row {
        const char* text;
        bool enabled;
    };
    const Row rows[] = {{"true", false}, {"false", true}, {"TRUE", true}, {"1", true}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        writeIni(std::string("[LOCK SETTINGS]\r\nSettings Locked (true/false)=") + r.text + "\r\n");
        DeviceSettingsWindow& w = make();
        for (QWidget* sheet : {w.GPSTabSheet, w.SensorTabSheet, w.ParametersTabSheet, w.tGlobalSetting})
            EXPECT_EQ(sheet->isEnabled(), r.enabled);
        EXPECT_TRUE(w.FMultiGPSTab->isEnabled());
        EXPECT_FALSE(w.lockStateCheck->isChecked()) << "at creation it sets the sheets, not the box";
    }

    // "true" keeps "Global Setting" off through an unlock; it is the hand-edited switch.
    writeIni("[LOCK SETTINGS]\r\nLock Settings=1\r\nSettings Locked (true/false)=true\r\n");
    DeviceSettingsWindow& w = make();
    w.show();
    w.lockStateCheck->setChecked(false);
    EXPECT_FALSE(w.tGlobalSetting->isEnabled());
}

TEST_F(DeviceSettingsWindowTest, HandEditedSwitchWhenShownSetsTheBox)
{
    writeIni("[LOCK SETTINGS]\r\nSettings Locked (true/false)=1\r\n");
    DeviceSettingsWindow& w = make();
    EXPECT_FALSE(w.lockStateCheck->isChecked());
    w.show();
    EXPECT_TRUE(w.lockStateCheck->isChecked());
    EXPECT_FALSE(w.tGlobalSetting->isEnabled());
    EXPECT_TRUE(IniFile(home.iniPath()).readBool("LOCK SETTINGS", "Lock Settings", false));
    EXPECT_TRUE(fileExists(EventsLogFileName())) << "a change of the box is a lock like a click";
}

TEST_F(DeviceSettingsWindowTest, LockWarnsAboutDatumTextsThatAreNoNumbers)
{
    DeviceSettingsWindow& w = make();
    type(w.edSX, "-84,5");
    type(w.eLCCFE, "abc");
    w.lockStateCheck->setChecked(true);
    ASSERT_EQ(prompts.entries.size(), 1u);
    EXPECT_EQ(prompts.entries[0].text.toStdString(),
              "These datum and projection fields do not hold a number: X Shift (m), LCC False Easting.");
    EXPECT_EQ(IniFile(home.iniPath()).readString("GEODETIC_PARAMETERS", "X_Shift", ""), "-84,5") << "stored as typed";
}

// A locked sheet ignores clicks and must look it: in every style, its controls' text stands out
// from their background clearly less than an enabled control's does, yet stays readable.
TEST_F(DeviceSettingsWindowTest, LockedSheetsLookDisabledInEveryStyle)
{
    DeviceSettingsWindow& w = make();
    w.show();
    QTest::mouseClick(w.lockStateCheck, Qt::LeftButton);
    ASSERT_TRUE(w.lockStateCheck->isChecked());
    QLabel* label = w.ParametersTabSheet->findChild<QLabel*>();
    ASSERT_TRUE(label);
    const struct {
        QWidget* control;
        QPalette::ColorRole text, background;
    } controls[] = {
        {w.edSMA, QPalette::Text, QPalette::Base},
        {w.GyroEnabled, QPalette::WindowText, QPalette::Window},
        {label, QPalette::WindowText, QPalette::Window},
        {w.GPSSet, QPalette::ButtonText, QPalette::Button},
    };
    const QString before = StyleManager::activeStyle();
    for (const QString& style : StyleManager::styleNames()) {
        ASSERT_TRUE(StyleManager::setStyle(style));
        for (const auto& c : controls) {
            ASSERT_FALSE(c.control->isEnabled());
            const QPalette& p = c.control->palette();
            const double enabled = contrast(p.color(QPalette::Active, c.text), p.color(QPalette::Active, c.background));
            const double locked =
                contrast(p.color(QPalette::Disabled, c.text), p.color(QPalette::Disabled, c.background));
            EXPECT_LT(locked, 0.7 * enabled) << style.toStdString() << " " << c.control->objectName().toStdString();
            EXPECT_GT(locked, 30) << style.toStdString() << " " << c.control->objectName().toStdString();
        }
    }
    StyleManager::setStyle(before);
}
