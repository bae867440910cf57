// The window's immediate effects: projection toggles, display settings applied to the canvas,
// the screenshot timer, message types with their formats, the monitor boxes and the values other
// windows read.
#include "DeviceSettingsWindowFixture.h"

#include "app/windows/ColorBox.h"

#include <QMouseEvent>
#include <QTest>

using namespace vsx;
using namespace vsx::test;

TEST_F(DeviceSettingsWindowTest, ProjectionTogglesKeepExactlyOneSelected)
{
    DeviceSettingsWindow& w = make();
    EXPECT_TRUE(w.cbUseTMProjection->isChecked());
    EXPECT_FALSE(w.cbUseLCCProjection->isChecked());
    w.cbUseTMProjection->setChecked(false);
    EXPECT_TRUE(w.cbUseLCCProjection->isChecked());
    EXPECT_TRUE(w.Settings().useLccProjection());
    w.cbUseLCCProjection->setChecked(false);
    EXPECT_TRUE(w.cbUseTMProjection->isChecked());
    EXPECT_FALSE(w.Settings().useLccProjection());

    w.cLambert1->setChecked(true);
    EXPECT_FALSE(w.eLCCSP1->isEnabled());
    EXPECT_FALSE(w.eLCCSP2->isEnabled());
    EXPECT_TRUE(w.eLCCSF->isEnabled());
    w.cLambert1->setChecked(false);
    EXPECT_TRUE(w.eLCCSP1->isEnabled());

    writeIni("[GEODETIC_PARAMETERS]\r\nUse Projection=1\r\ncbUseLCCProjection=1\r\ncLambert1=1\r\n");
    DeviceSettingsWindow& stored = make();
    EXPECT_TRUE(stored.cbUseLCCProjection->isChecked());
    EXPECT_FALSE(stored.cbUseTMProjection->isChecked());
    EXPECT_FALSE(stored.eLCCSP1->isEnabled());
}

TEST_F(DeviceSettingsWindowTest, DisplaySettingsApplyAtOnce)
{
    writeIni("[GRID_SETTINGS]\r\nGridVisible=1\r\nAutoGrid=0\r\nGridSpacingX=50\r\nGridSpacingY=abc\r\nGridColor=255\r\n"
             "[DEPTH_LABEL_SETTINGS]\r\nFontName=DejaVu Sans\r\nFontSize=14\r\n"
             "[OVERLAY_SETTINGS]\r\nFontSize=big\r\nDepthColor=65280\r\n");
    DeviceSettingsWindow& w = make();
    // Published at creation, the canvas set from them.
    EXPECT_DOUBLE_EQ(GridSpacingX, 50.0);
    EXPECT_DOUBLE_EQ(GridSpacingY, 100.0) << "not a number gives 100";
    EXPECT_EQ(DepthLabelFontName, "DejaVu Sans");
    EXPECT_EQ(DepthLabelFontSize, 14);
    EXPECT_EQ(OverlayFontSize, 40);
    EXPECT_EQ(OverlayDepthColor, 0x00FF00);
    EXPECT_TRUE(canvas.shown);
    EXPECT_DOUBLE_EQ(canvas.stepX, 50.0);
    EXPECT_DOUBLE_EQ(canvas.stepY, 100.0);
    EXPECT_EQ(canvas.color, 255);

    w.cbAutoGrid->setChecked(true);
    EXPECT_EQ(canvas.stepX, 0.0);
    EXPECT_EQ(canvas.stepY, 0.0);
    EXPECT_FALSE(w.edGridSpacingX->isEnabled());
    w.cbAutoGrid->setChecked(false);
    EXPECT_DOUBLE_EQ(canvas.stepX, 50.0);
    EXPECT_TRUE(w.edGridSpacingX->isEnabled());

    w.cbGridVisible->setChecked(false);
    EXPECT_FALSE(canvas.shown);
    EXPECT_FALSE(GridVisible);
    const int i = w.cbGridColor->findText("Teal");
    ASSERT_GE(i, 0);
    w.cbGridColor->setCurrentIndex(i);
    emit w.cbGridColor->activated(i);
    EXPECT_EQ(canvas.color, clTeal);
    EXPECT_EQ(GridColor, clTeal);

    const int repaints = canvas.repaints;
    type(w.edEventLabelFontSize, "30");
    EXPECT_EQ(EventLabelFontSize, 30);
    type(w.edEventLabelFontSize, "3x");
    EXPECT_EQ(EventLabelFontSize, 24);
    type(w.edOverlayFontSize, "60");
    EXPECT_EQ(OverlayFontSize, 60);
    EXPECT_EQ(canvas.repaints, repaints + 3);

    // Spacing and label edits wait for the lock.
    type(w.edGridSpacingX, "75");
    type(w.edDepthLabelFontSize, "20");
    EXPECT_DOUBLE_EQ(GridSpacingX, 50.0);
    EXPECT_EQ(DepthLabelFontSize, 14);
    w.lockStateCheck->setChecked(true);
    EXPECT_DOUBLE_EQ(GridSpacingX, 75.0);
    EXPECT_EQ(DepthLabelFontSize, 20);
    EXPECT_DOUBLE_EQ(canvas.stepX, 75.0);

    // Without a canvas nothing breaks.
    MapCanvasTarget = nullptr;
    w.lockStateCheck->setChecked(false);
    w.cbAutoGrid->setChecked(true);
    w.cbGridVisible->setChecked(true);
    EXPECT_TRUE(GridAutoScale);
}

TEST_F(DeviceSettingsWindowTest, ScreenshotInterval)
{
    DeviceSettingsWindow& w = make();
    EXPECT_TRUE(timer.intervals.empty()) << "creation leaves the timer to the main window";
    const std::pair<const char*, int> rows[] = {{"0", 0}, {"abc", 60}, {"15", 15}, {"-5", 0}, {"", 60}};
    for (auto [text, seconds] : rows) {
        type(w.eScreenshotInterval, text);
        ASSERT_FALSE(timer.intervals.empty());
        EXPECT_EQ(timer.intervals.back(), seconds) << text;
    }
    ScreenshotTimer = nullptr;
    type(w.eScreenshotInterval, "10");
    w.lockStateCheck->setChecked(true);
    EXPECT_EQ(IniFile(home.iniPath()).readInteger("SCREENSHOT", "Interval", 0), 10);
}

TEST_F(DeviceSettingsWindowTest, ChoosingAMessageTypeSetsItsFormatAndTheDepthBox)
{
    DeviceSettingsWindow& w = make();
    struct Row {
        const char* type;
        const char* format;
        int boxCalls;  // -1: none, else the visibility asked for
    };
    const Row rows[] = {
        {"NMEA DPT", "%*6s,%lf", 0},
        {"Veldor XDR LO", "%*8s,%*lf,%*8s,%lf", 1},
        {"NMEA DBT", "%*6s,%*lf,%*1s,%lf", 0},
        {"Veldor XDR H/L", "%*8s,%lf,%*8s,%lf", 1},
        {"ODC HI", "%*42s,%lf", 0},
        {"Veldor XDR HI", "%*8s,%lf", 0},
        {"Veldor SMT", "%*8s,%lf,%lf", 0},
        {"OTHER", "", -1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.type);
        depthBox.calls.clear();
        pick(w.cSBESMessage, r.type);
        EXPECT_EQ(w.eSBESFormat->text().toStdString(), r.format);
        EXPECT_EQ(w.Settings().sounderScanFormat(), r.format);
        EXPECT_EQ(w.Settings().sounderMessageType(), r.type);
        if (r.boxCalls < 0) EXPECT_TRUE(depthBox.calls.empty());
        else EXPECT_EQ(depthBox.calls, std::vector<bool>{r.boxCalls == 1});
    }

    // Typed texts: another letter case changes nothing, the exact text does.
    pick(w.cSBESMessage, "NMEA DPT");
    depthBox.calls.clear();
    w.cSBESMessage->lineEdit()->setText("Veldor xdr lo");
    emit w.cSBESMessage->lineEdit()->textEdited("Veldor xdr lo");
    EXPECT_EQ(w.eSBESFormat->text(), "%*6s,%lf");
    EXPECT_TRUE(depthBox.calls.empty());
    EXPECT_EQ(w.Settings().sounderMessageType(), "NMEA DPT") << "readers keep the last type";
    w.cSBESMessage->lineEdit()->setText("ODC HI");
    emit w.cSBESMessage->lineEdit()->textEdited("ODC HI");
    EXPECT_EQ(w.eSBESFormat->text(), "%*42s,%lf");

    // Without the real-time window bound nothing breaks.
    LowFrequencyDepthBox = nullptr;
    pick(w.cSBESMessage, "Veldor XDR LO");
    EXPECT_EQ(w.eSBESFormat->text(), "%*8s,%*lf,%*8s,%lf");
}

TEST_F(DeviceSettingsWindowTest, AStartupCallKeepsTheUsersOwnFormat)
{
    writeIni("[SENSOR COMUNICATION SETTINGS]\r\ncSBESMessage=OTHER\r\neSBESFormat=%*7s,%lf\r\n");
    DeviceSettingsWindow& w = make();
    EXPECT_EQ(w.eSBESFormat->text(), "%*7s,%lf");
    w.applyStartupSounderMessage();
    EXPECT_EQ(w.eSBESFormat->text(), "%*7s,%lf") << "a format of the user's own survives the start";
    EXPECT_TRUE(depthBox.calls.empty());
    pick(w.cSBESMessage, "OTHER");
    EXPECT_EQ(w.eSBESFormat->text(), "") << "choosing OTHER by hand empties the format";

    // A named type gets its own format and its box at start.
    writeIni("[SENSOR COMUNICATION SETTINGS]\r\ncSBESMessage=Veldor XDR H/L\r\neSBESFormat=%*8s,%lf\r\n");
    DeviceSettingsWindow& named = make();
    named.applyStartupSounderMessage();
    EXPECT_EQ(named.eSBESFormat->text(), "%*8s,%lf,%*8s,%lf");
    EXPECT_EQ(depthBox.calls, std::vector<bool>{true});
}

TEST_F(DeviceSettingsWindowTest, MonitorBoxes)
{
    DeviceSettingsWindow& w = make();
    EXPECT_EQ(w.MemoGPS->toPlainText(), "NMEA POSITION DATA");
    EXPECT_EQ(w.MemoSensor->toPlainText(), "NMEA SENSOR DATA");
    EXPECT_FALSE(w.EchoMonitorLine(w.MemoGPS, "$GPGGA")) << "not shown: nothing echoed";
    w.show();
    for (int i = 1; i < 100; ++i) ASSERT_TRUE(w.EchoMonitorLine(w.MemoGPS, "$GPGGA," + std::to_string(i)));
    EXPECT_EQ(w.MemoGPS->blockCount(), 100);
    w.EchoMonitorLine(w.MemoGPS, "$GPGGA,100");
    EXPECT_EQ(w.MemoGPS->toPlainText(), "") << "the 101st line starts the box again from empty";
    w.EchoMonitorLine(w.MemoGPS, "$GPGGA,101");
    EXPECT_EQ(w.MemoGPS->toPlainText().toStdString(), "$GPGGA,101");

    // A button held in the echosounder box stops both boxes until released.
    QTest::mousePress(w.MemoSensor->viewport(), Qt::LeftButton);
    EXPECT_FALSE(MonitorEchoEnabled);
    EXPECT_FALSE(w.EchoMonitorLine(w.MemoGPS, "$GPGGA,102"));
    EXPECT_FALSE(w.EchoMonitorLine(w.MemoSensor, "$SDDPT"));
    QTest::mouseRelease(w.MemoSensor->viewport(), Qt::LeftButton);
    EXPECT_TRUE(MonitorEchoEnabled);
    EXPECT_TRUE(w.EchoMonitorLine(w.MemoSensor, "$SDDPT,1.0"));
    EXPECT_EQ(w.MemoSensor->toPlainText(), "NMEA SENSOR DATA\n$SDDPT,1.0");

    w.close();
    EXPECT_EQ(w.MemoSensor->toPlainText(), "");
}

TEST_F(DeviceSettingsWindowTest, OtherWindowsReadTheLastValidValues)
{
    writeIni("[GEODETIC_PARAMETERS]\r\nSemiMajorAxis=6378137.0\r\nInverseFlattening=298.257223563\r\n"
             "Central_Meridian=27\r\nReference_Latitude=0\r\nScale_Factor=1\r\nFalse_Easting=500000\r\n"
             "False_Northing=0\r\n[GYRO]\r\nGyro Enabled=0\r\n");
    EXPECT_EQ(&deviceSettings(), &deviceSettings());
    DeviceSettingsWindow& w = make();
    const DeviceSettings& s = deviceSettings();
    EXPECT_EQ(&s, &w.Settings());
    EXPECT_FALSE(s.gyroEnabled());
    EXPECT_EQ(s.projectionText(), "27 0 1 500000 0");
    EXPECT_DOUBLE_EQ(s.flattening(), 1.0 / 298.257223563);

    // The user retypes the central meridian; a tick in between still reads a number.
    type(w.edCM, "");
    type(w.edCM, "3");
    type(w.edCM, "3-");
    EXPECT_EQ(s.projectionText(), "3 0 1 500000 0");
    type(w.edCM, "33");
    EXPECT_DOUBLE_EQ(s.geodetic(GeodeticField::CentralMeridian).value(), 33.0);
    w.GyroEnabled->setChecked(true);
    EXPECT_TRUE(s.gyroEnabled());
    w.SensorEnabled->setChecked(false);
    EXPECT_FALSE(s.sensorEnabled());

    window.reset();
    EXPECT_NE(&deviceSettings(), &s) << "once the window is gone readers get the design values";
    EXPECT_EQ(deviceSettings().sounderMessageType(), "Veldor SMT");
}
