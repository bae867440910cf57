// The whole program on a GNSS receiver and an echosounder (pseudo-terminals): a local datum and
// a Lambert projection typed into the device settings window and saved while a survey runs on
// WGS-84 and UTM. The surveyor
// is told over that window, and the events log says, that the run's records keep the datum and
// projection of its start and that the new ones take effect at the next Start; the records do
// keep them, and after Stop and Start they are in the new grid (both checked against PROJ).
#include "NavTestSupport.h"

#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/windows/WindowPointers.h"
#include "input/TVeldorSerialGPS.h"
#include "input/windows/DeviceSettingsWindow.h"
#include "nav/RealtimeState.h"
#include "nav/SurveyRun.h"
#include "nav/windows/MainWindow.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"

#include "support/ControlInput.h"
#include "support/MissingPeer.h"
#include "support/PtyPair.h"
#include "support/RunningProgram.h"

#include <QTabBar>
#include <QToolButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

using namespace vsx;
using namespace vsx::test;

namespace {

const char* kUtm36Pipeline = "+proj=pipeline +step +proj=axisswap +order=2,1 +step +proj=unitconvert +xy_in=deg "
                             "+xy_out=rad +step +proj=utm +zone=36 +ellps=WGS84";

// The survey file's records (the header left out), each split at its commas.
std::vector<std::vector<std::string>> records()
{
    std::vector<std::vector<std::string>> out;
    std::ifstream in(CoordinatesFileName, std::ios::binary);
    std::string line;
    for (bool header = true; std::getline(in, line); header = false) {
        if (header) continue;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> fields;
        for (size_t from = 0, comma;; from = comma + 1) {
            comma = line.find(',', from);
            fields.push_back(line.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
            if (comma == std::string::npos) break;
        }
        out.push_back(fields);
    }
    return out;
}

// Sends fixes at lat, lon until the receiver has taken a new one and `positioned` holds, then
// one depth line, and waits for its record.
void recordAt(PtyPair& gnss, PtyPair& sounder, double lat, double lon, const std::function<bool()>& positioned)
{
    // The main receiver's fix: when it last took a position.
    const CurrentPosition& position = FNav->ZGPS1->Fix().current;
    const auto before = position.FixTime();
    bool taken = false;
    for (int i = 0; i < 100 && !taken; ++i) {
        ASSERT_TRUE(gnss.write(gga("101500.00", lat, lon, 4) + "\r\n"));
        taken = QTest::qWaitFor([&] { return position.FixTime() != before && positioned(); }, 200);
    }
    ASSERT_TRUE(taken) << "a new fix";
    const size_t count = records().size();
    ASSERT_TRUE(sounder.write(sentence("SDDPT,12.00,0.0") + "\r\n"));
    ASSERT_TRUE(QTest::qWaitFor([count] { return records().size() == count + 1; }, 10000)) << "a record";
}

// `height`: the receiver's altitude, which the Lambert path converts with (the transverse
// Mercator path converts at height 0).
void expectGrid(const std::vector<std::string>& record, const std::string& pipeline, double lat, double lon,
                double height = 0)
{
    const auto grid =
        runCct(pipeline, formatFixed(lat, 6) + " " + formatFixed(lon, 6) + " " + formatFixed(height, 3) + " 0\n");
    ASSERT_EQ(grid.size(), 1u);
    ASSERT_GE(record.size(), 5u);
    EXPECT_NEAR(strToFloatDef(record[3], 0), grid[0][0], 0.011) << "easting";
    EXPECT_NEAR(strToFloatDef(record[4], 0), grid[0][1], 0.011) << "northing";
}

} // namespace

TEST(EndToEndDatumDuringRun, RecordsKeepTheStartsDatumUntilTheNextStart)
{
    if (!haveCct()) VSX_SKIP_MISSING() << "'cct' is not installed (Debian package proj-bin); the PROJ comparison is skipped";
    PtyPair gnss, sounder;
    RunningProgram p([](IniFile&) { writeSurveySettings(GetIniFileName()); });
    gnss.mapTo(GetIniFileName(), "COM5");
    sounder.mapTo(GetIniFileName(), "COM6");
    const double lat = 41.0, lon = 30.0;  // 3° from both central meridians

    click(FNav->bRealtime);
    ASSERT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();
    const std::string wgs84 = "unnamed (a=6378137, 1/f=298.257223563, DX=0, DY=0, DZ=0, RX=0, RY=0, RZ=0, PPM=0)";
    const std::string utm36 = "TM (CM=33, RefLat=0, SF=0.9996, FE=500000, FN=0)";
    EXPECT_NE(p.events().find("Datum and projection of this run: " + wgs84 + "; " + utm36), std::string::npos)
        << p.events();
    const RealtimeState& st = realtimeState();
    recordAt(gnss, sounder, lat, lon, [&st] { return st.VesselEasting != 0; });

    // Window > Device Settings..., the geodetic sheet, a local datum and a Lambert projection
    // typed in and chosen, saved with the lock box.
    chooseMenuItem(FNav->menuBar(), "Parameters1");
    ASSERT_TRUE(QTest::qWaitFor([] { return FGPS->isVisible(); }, 5000));
    QTabBar* tabs = FGPS->SettingTabs->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(FGPS->SettingTabs->indexOf(FGPS->ParametersTabSheet)).center());
    ASSERT_EQ(FGPS->SettingTabs->currentWidget(), FGPS->ParametersTabSheet);
    const std::pair<QLineEdit*, const char*> typed[] = {
        {FGPS->edNameOfDatum, "ED50 local"}, {FGPS->edSMA, "6378388"}, {FGPS->edIF, "297"},
        {FGPS->edPPM, "-1.2"},               {FGPS->edRX, "0.5"},      {FGPS->edRY, "-0.3"},
        {FGPS->edRZ, "1.1"},                 {FGPS->edSX, "-84.1"},    {FGPS->edSY, "-101.8"},
        {FGPS->edSZ, "-129.7"},              {FGPS->eLCCSP1, "40"},    {FGPS->eLCCSP2, "42"},
        {FGPS->eLCCCP, "41"},                {FGPS->eLCCM, "30"},      {FGPS->eLCCSF, "1"},
        {FGPS->eLCCFE, "500000"},            {FGPS->eLCCFN, "0"}};
    for (const auto& [edit, text] : typed) {
        QTest::mouseClick(edit, Qt::LeftButton);
        typeInto(edit, text);
        ASSERT_EQ(edit->text(), text);
    }
    click(FGPS->cbUseLCCProjection);
    ASSERT_TRUE(FGPS->cbUseLCCProjection->isChecked());
    ASSERT_FALSE(FGPS->cbUseTMProjection->isChecked());
    ASSERT_TRUE(p.prompts.entries.empty()) << p.prompts.entries[0].text.toStdString();
    click(FGPS->lockStateCheck);
    ASSERT_TRUE(FGPS->lockStateCheck->isChecked());

    const std::string local =
        "ED50 local (a=6378388, 1/f=297, DX=-84.1, DY=-101.8, DZ=-129.7, RX=0.5, RY=-0.3, RZ=1.1, PPM=-1.2)";
    const std::string lcc = "LCC (SP1=40, SP2=42, CP=41, CM=30, FE=500000, FN=0)";
    const std::string said = "The records of this run keep the datum " + wgs84 + " and the projection " + utm36 +
                             " of its start. The datum " + local + " and the projection " + lcc +
                             " saved now take effect at the next Start.";
    ASSERT_EQ(p.prompts.entries.size(), 1u);
    EXPECT_EQ(p.prompts.entries[0].text.toStdString(), said);
    EXPECT_EQ(p.prompts.entries[0].parent, FGPS) << "over the window where it was saved";
    EXPECT_NE(p.events().find("=== SETTINGS SAVED ==="), std::string::npos);
    EXPECT_NE(p.events().find(said), std::string::npos) << p.events();

    // The run goes on in the grid of its start.
    recordAt(gnss, sounder, lat, lon, [] { return true; });
    ASSERT_EQ(records().size(), 2u);
    for (const auto& record : records()) expectGrid(record, kUtm36Pipeline, lat, lon);
    const double before = st.VesselEasting;

    // Stop and Start: the new datum and projection, said in the events log and in the records.
    click(FNav->bRealtime);
    ASSERT_FALSE(FNav->Run().Running());
    click(FNav->bRealtime);
    ASSERT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();
    EXPECT_NE(p.events().find("Datum and projection of this run: " + local + "; " + lcc), std::string::npos)
        << p.events();
    EXPECT_EQ(p.prompts.entries.size(), 1u) << "a start says nothing over a window";
    recordAt(gnss, sounder, lat, lon, [&st, before] { return st.VesselEasting != 0 && st.VesselEasting != before; });
    ASSERT_EQ(records().size(), 3u);
    const std::string localGrid(kLocalGridPipeline);
    const std::string localLcc = localGrid.substr(0, localGrid.find("+step +proj=tmerc")) +
                                 "+step +proj=lcc +lat_1=40 +lat_2=42 +lat_0=41 +lon_0=30 +x_0=500000 +y_0=0 "
                                 "+a=6378388 +rf=297";
    expectGrid(records().back(), localLcc, lat, lon, 45.5);
    click(FNav->bRealtime);
}
