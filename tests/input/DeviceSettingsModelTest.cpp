// The device settings values without their window: the readers other windows use, the
// settings-file sections and the summary.
#include "input/DeviceSettings.h"
#include "input/DisplayValues.h"
#include "platform/IniFile.h"

#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <functional>

using namespace vsx;
using vsx::test::TempHome;
using G = GeodeticField;

namespace {
DeviceSettings loaded(const TempHome& home, const std::string& ini)
{
    home.writeFile("appdata/Veldor/VSX/VeldorSX.ini", ini);
    DeviceSettings s;
    IniFile f(home.iniPath());
    s.loadDeviceSections(f);
    s.loadDisplaySections(f);
    return s;
}
} // namespace

TEST(DeviceSettingsModel, NumbersKeepTheirLastValidValue)
{
    DeviceSettings s;
    EXPECT_FALSE(s.geodetic(G::CentralMeridian).hasValue());
    s.setGeodeticText(G::CentralMeridian, "33");
    s.setGeodeticText(G::CentralMeridian, "");   // cleared while retyping
    s.setGeodeticText(G::CentralMeridian, "-");  // half-typed
    EXPECT_EQ(s.geodetic(G::CentralMeridian).text(), "-") << "the text stays as typed, and is what is stored";
    EXPECT_EQ(s.geodetic(G::CentralMeridian).validText(), "33");
    EXPECT_DOUBLE_EQ(s.geodetic(G::CentralMeridian).value(), 33.0);
    s.setGeodeticText(G::CentralMeridian, "-27");
    EXPECT_DOUBLE_EQ(s.geodetic(G::CentralMeridian).value(), -27.0);
    EXPECT_EQ(s.invalidGeodeticFields(), std::vector<std::string>{});
    s.setGeodeticText(G::FalseEasting, "5OO000");
    s.setGeodeticText(G::LccFalseNorthing, "1,5");
    EXPECT_EQ(s.invalidGeodeticFields(), (std::vector<std::string>{"False Easting", "LCC False Northing"}));

    // Ports and message types keep the last usable name as well.
    PortGroupTexts p;
    p.port = "COM4";
    s.setGnssPort(p);
    p.port = "";
    s.setGnssPort(p);
    EXPECT_EQ(s.gnssPort().port, "");
    EXPECT_EQ(s.gnssPortName(), "COM4");
    s.setSounderMessageText("NMEA D");
    EXPECT_EQ(s.sounderMessageType(), "Veldor SMT");
    s.setSounderMessageText("NMEA DPT");
    s.setSounderMessageText("NMEA DP");
    EXPECT_EQ(s.sounderMessageType(), "NMEA DPT");

    // A format of the user's own is used once it compiles and reads a number.
    EXPECT_EQ(s.validSounderScanFormat(), "%*8s,%lf,%lf");
    s.chooseSounderMessageType("OTHER");
    EXPECT_EQ(s.sounderScanFormat(), "");
    for (const char* typing : {"%", "%*7", "%*7s,", "%*7s,%l", "%*7s,%n"}) {
        s.setSounderScanFormat(typing);
        EXPECT_EQ(s.validSounderScanFormat(), "%*8s,%lf,%lf") << typing;
    }
    s.setSounderScanFormat("%*7s,%lf");
    EXPECT_EQ(s.validSounderScanFormat(), "%*7s,%lf");
    s.chooseSounderMessageType("NMEA DBT");
    EXPECT_EQ(s.validSounderScanFormat(), "%*6s,%*lf,%*1s,%lf");
}

TEST(DeviceSettingsModel, DatumAndProjectionTexts)
{
    DeviceSettings s;
    const std::pair<G, const char*> values[] = {
        {G::SemiMajorAxis, "6378388.0"}, {G::InverseFlattening, "0.003367003367003367"},
        {G::ScalePpm, "-1.2"},           {G::XRotation, "0.1"},
        {G::YRotation, "0.2"},           {G::ZRotation, "0.3"},
        {G::XShift, "-84"},              {G::YShift, "-103"},
        {G::ZShift, "-127"},             {G::CentralMeridian, "33"},
        {G::ReferenceLatitude, "0"},     {G::ScaleFactor, "1"},
        {G::FalseEasting, "500000"},     {G::FalseNorthing, "0"},
    };
    for (auto [f, t] : values) s.setGeodeticText(f, t);
    EXPECT_EQ(s.localDatumText(), "6378388.0 0.003367003367003367 -1.2 0.1 0.2 0.3 -84 -103 -127");
    EXPECT_EQ(s.localEllipsoidText(), "6378388.0 0.003367003367003367");
    EXPECT_EQ(s.projectionText(), "33 0 1 500000 0");
    EXPECT_DOUBLE_EQ(s.flattening(), 0.003367003367003367);

    // "Flattening" typed as the inverse flattening its key is named after gives f, not NaN later.
    s.setGeodeticText(G::InverseFlattening, "297");
    EXPECT_DOUBLE_EQ(s.flattening(), 1.0 / 297.0);
    EXPECT_EQ(s.localEllipsoidText(), "6378388.0 0.003367003367003367");
    EXPECT_EQ(s.geodetic(G::InverseFlattening).text(), "297") << "stored as typed";
}

// The datum and the projection in use are named with the values the conversions take, so a
// change that converts alike (a field of the projection not in use, a half-typed number) names
// them alike, and one that does not names them differently.
TEST(DeviceSettingsModel, GeodesyInForceNamesWhatConverts)
{
    DeviceSettings s;
    const std::pair<G, const char*> values[] = {
        {G::SemiMajorAxis, "6378388"}, {G::InverseFlattening, "297"}, {G::XShift, "-84"},
        {G::CentralMeridian, "33"},    {G::ScaleFactor, "0.9996"},    {G::FalseEasting, "500000"},
        {G::LccStandardParallel1, "40"}, {G::LccStandardParallel2, "42"}, {G::LccCentralParallel, "41"},
        {G::LccCentralMeridian, "30"}, {G::LccScaleFactor, "1"},     {G::LccFalseEasting, "100"},
        {G::LccFalseNorthing, "200"}};
    for (auto [f, t] : values) s.setGeodeticText(f, t);
    EXPECT_EQ(s.geodesyInForce().datum, "unnamed (a=6378388, 1/f=297, DX=-84, DY=, DZ=, RX=, RY=, RZ=, PPM=)");
    s.setDatumName("ED50");
    const GeodesyInForce tm = s.geodesyInForce();
    EXPECT_EQ(tm.datum, "ED50 (a=6378388, 1/f=297, DX=-84, DY=, DZ=, RX=, RY=, RZ=, PPM=)");
    EXPECT_EQ(tm.projection, "TM (CM=33, RefLat=, SF=0.9996, FE=500000, FN=)");

    struct Change {
        const char* name;
        std::function<void(DeviceSettings&)> change;
        bool namedAlike;
    };
    const Change changes[] = {
        {"a Lambert field while TM is in use", [](DeviceSettings& d) { d.setGeodeticText(G::LccCentralMeridian, "31"); }, true},
        {"a half-typed shift", [](DeviceSettings& d) { d.setGeodeticText(G::XShift, "-"); }, true},
        {"a shift", [](DeviceSettings& d) { d.setGeodeticText(G::XShift, "-85"); }, false},
        {"the datum's name", [](DeviceSettings& d) { d.setDatumName("ED50 local"); }, false},
        {"the central meridian", [](DeviceSettings& d) { d.setGeodeticText(G::CentralMeridian, "27"); }, false},
        {"Lambert chosen", [](DeviceSettings& d) { d.setUseLccProjection(true); }, false},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.name);
        DeviceSettings changed = s;
        c.change(changed);
        EXPECT_EQ(changed.geodesyInForce() == tm, c.namedAlike);
    }

    s.setUseLccProjection(true);
    EXPECT_EQ(s.geodesyInForce().projection, "LCC (SP1=40, SP2=42, CP=41, CM=30, FE=100, FN=200)");
    DeviceSettings otherScale = s;
    otherScale.setGeodeticText(G::LccScaleFactor, "0.99");
    EXPECT_EQ(otherScale.geodesyInForce(), s.geodesyInForce()) << "the two-parallel form has no scale factor";
    s.setLambert1(true);
    EXPECT_EQ(s.geodesyInForce().projection, "LCC 1 (CP=41, CM=30, SF=1, FE=100, FN=200)");
}

TEST(DeviceSettingsModel, ProjectionBoxesLoadAsClicks)
{
    TempHome home;
    struct Row {
        const char* ini;
        bool tm, lcc;
    };
    const Row rows[] = {
        {"", true, false},
        {"Use Projection=1\r\ncbUseLCCProjection=1\r\n", false, true},
        {"Use Projection=0\r\n", false, true},
        {"Use Projection=0\r\ncbUseLCCProjection=0\r\n", true, false},
        {"cbUseLCCProjection=0\r\n", true, false},
    };
    for (const Row& r : rows) {
        const DeviceSettings s = loaded(home, std::string("[GEODETIC_PARAMETERS]\r\n") + r.ini);
        EXPECT_EQ(s.useTmProjection(), r.tm) << r.ini;
        EXPECT_EQ(s.useLccProjection(), r.lcc) << r.ini;
    }
    DeviceSettings s;
    s.setUseTmProjection(false);
    EXPECT_TRUE(s.useLccProjection());
    s.setUseLccProjection(false);
    EXPECT_TRUE(s.useTmProjection());
}

TEST(DeviceSettingsModel, FreshInstallStartsWithoutPortsButWithUsableLineSettings)
{
    TempHome home;
    const DeviceSettings s = loaded(home, "");
    EXPECT_EQ(s.gnssPort().port, "");
    EXPECT_EQ(s.sounderPort().port, "");
    PortGroupTexts design;
    design.port = "";
    EXPECT_EQ(s.gnssPort(), design);
    EXPECT_EQ(s.sounderPort(), design);
    EXPECT_NO_THROW(receiverPortSettingsFrom(s.gnssPort(), "")) << "a fresh install's GPS Set must not fail";
    EXPECT_TRUE(s.sensorEnabled());
    EXPECT_TRUE(s.gyroEnabled());
    EXPECT_EQ(s.geodetic(G::SemiMajorAxis).text(), "");
    EXPECT_EQ(s.display().gridColor, 0xC0C0C0);
    EXPECT_EQ(s.display().labelFontName, "Arial");
}

TEST(DeviceSettingsModel, PaddedAndBareKeysNameOneValue)
{
    TempHome home;
    DeviceSettings s = loaded(home, "[GPS1 COMUNICATION SETTINGS]\r\nPort No=COM9\r\n"
                                    "[SENSOR COMUNICATION SETTINGS]\r\nPort No         =COM12\r\n"
                                    "Sensor Enabled     =0\r\n[GYRO]\r\nGyro Enabled=0\r\n");
    EXPECT_EQ(s.gnssPort().port, "COM9");
    EXPECT_EQ(s.sounderPort().port, "COM12");
    EXPECT_FALSE(s.sensorEnabled());
    EXPECT_FALSE(s.gyroEnabled());
    {
        IniFile f(home.iniPath());
        s.saveDeviceSections(f);
    }
    const std::string text = home.readFile(home.iniPath());
    EXPECT_NE(text.find("\r\nPort No        =COM9\r\n"), std::string::npos) << "GNSS keys padded to 15";
    EXPECT_NE(text.find("\r\nPort No         =COM12\r\n"), std::string::npos) << "echosounder port padded to 16";
    EXPECT_NE(text.find("\r\nSensor Enabled     =0\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nGyro Enabled     =0\r\n"), std::string::npos);
    EXPECT_EQ(text.find("Port No=COM9"), std::string::npos) << "the bare key was replaced, not doubled";
    IniFile f(home.iniPath());
    EXPECT_EQ(f.readString("GPS1 COMUNICATION SETTINGS", "port no", ""), "COM9");
    EXPECT_EQ(f.readString("SENSOR COMUNICATION SETTINGS", "Port No", ""), "COM12");
}

TEST(DeviceSettingsModel, SummaryLines)
{
    DeviceSettings s;
    PortGroupTexts g;
    g.port = "COM3";
    g.baudRate = "115200";
    s.setGnssPort(g);
    PortGroupTexts e;
    e.port = "COM5";
    e.baudRate = "4800";
    s.setSounderPort(e);
    s.setSensorEnabled(false);
    s.setGeodeticText(G::CentralMeridian, "33");
    s.setGeodeticText(G::ReferenceLatitude, "0");
    s.setGeodeticText(G::ScaleFactor, "0.9996");
    s.setGeodeticText(G::FalseEasting, "500000");
    s.setGeodeticText(G::FalseNorthing, "0");
    s.setUseLccProjection(true);
    s.setGeodeticText(G::LccStandardParallel1, "36");
    s.setGeodeticText(G::LccStandardParallel2, "42");
    EXPECT_EQ(s.summaryLines(), (std::vector<std::string>{
                                    "=== SETTINGS SAVED ===",
                                    "GPS: Port=COM3, Baud=115200",
                                    "Sensor: Port=COM5, Baud=4800, Enabled=No",
                                    "Datum: , DTP=Yes",
                                    "TM: CM=33, RefLat=0, SF=0.9996, FE=500000, FN=0",
                                    "LCC: Enabled, SP1=36, SP2=42",
                                    "======================",
                                }));
}

TEST(DeviceSettingsModel, PublishedDisplayValuesFallBackToTheirDefaults)
{
    DisplaySettings d;
    d.gridSpacingX = "abc";
    d.gridSpacingY = "25.5";
    d.labelSpacing = "";
    d.labelFontSize = "12.5";
    d.eventFontSize = "x";
    d.overlayFontSize = "";
    d.autoGrid = true;
    publishDisplayValues(d);
    publishOverlayValues(d);
    EXPECT_DOUBLE_EQ(GridSpacingX, 100.0);
    EXPECT_DOUBLE_EQ(GridSpacingY, 25.5);
    EXPECT_DOUBLE_EQ(DepthLabelSpacing, 10.0);
    EXPECT_EQ(DepthLabelFontSize, 12);
    EXPECT_EQ(EventLabelFontSize, 24);
    EXPECT_TRUE(GridAutoScale);
    publishDisplayValues(DisplaySettings{});
    publishOverlayValues(DisplaySettings{});
}
