#include "ToolsFixture.h"

#include "app/Settings.h"
#include "app/windows/ColorBox.h"
#include "app/windows/NumberEdit.h"
#include "platform/IniFile.h"
#include "tools/SensorList.h"
#include "tools/VesselGeometry.h"
#include "tools/windows/VesselGeometryWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace vsx;
using vsx::test::ToolsFixture;

namespace {
VesselSensor sensor(const std::string& name, double x = 0, double y = 0)
{
    VesselSensor v;
    v.Name = name;
    v.OffsetX = x;
    v.OffsetY = y;
    return v;
}

SensorInput named(const std::string& name)
{
    SensorInput in;
    in.name = name;
    return in;
}

std::vector<std::string> names(const std::vector<VesselSensor>& list)
{
    std::vector<std::string> out;
    for (const auto& v : list) out.push_back(v.Name);
    return out;
}

std::vector<std::string> listLines(const VesselGeometryWindow& w)
{
    std::vector<std::string> out;
    for (int i = 0; i < w.lbSensors->count(); ++i) out.push_back(w.lbSensors->item(i)->text().toStdString());
    return out;
}
} // namespace

TEST(SensorList, RoundTripKeepsEveryFieldAndOrder)
{
    ToolsFixture f;
    SensorSettings s;
    s.showLabels = false;
    s.activeTracking = 1;
    VesselSensor a = sensor("Transducer", 1.5, -2);
    a.Color = clRed;
    a.MarkerSize = 9;
    VesselSensor b = sensor(" Sonar", 0.1, 1E-5);  // leading blank and a tiny offset
    b.Visible = false;
    s.sensors = {a, b, sensor("\"Quoted\"", -0.3, 12.25)};
    {
        IniFile ini(GetIniFileName());
        SaveSensorSettings(ini, s);
    }
    IniFile ini(GetIniFileName());
    const SensorSettings back = LoadSensorSettings(ini);
    EXPECT_FALSE(back.showLabels);
    EXPECT_EQ(back.activeTracking, 1);
    ASSERT_EQ(back.sensors.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(back.sensors[i].Name, s.sensors[i].Name);
        EXPECT_EQ(back.sensors[i].OffsetX, s.sensors[i].OffsetX);
        EXPECT_EQ(back.sensors[i].OffsetY, s.sensors[i].OffsetY);
        EXPECT_EQ(back.sensors[i].Color, s.sensors[i].Color);
        EXPECT_EQ(back.sensors[i].Visible, s.sensors[i].Visible);
        EXPECT_EQ(back.sensors[i].MarkerSize, s.sensors[i].MarkerSize);
    }
    EXPECT_EQ(ini.readString("SENSOR_0", "OffsetX", ""), "1.5");
    EXPECT_EQ(ini.readString("SENSOR_1", "OffsetY", ""), "1E-5");
}

TEST(SensorList, SaveErasesTheOldSectionsAndLoadDefaultsMissingFields)
{
    ToolsFixture f;
    {
        IniFile ini(GetIniFileName());
        ini.writeInteger("VESSEL_SENSORS", "Count", 5);
        for (int i = 0; i < 5; ++i) ini.writeString(SensorSectionName(i), "Name", "Old" + std::to_string(i));
        ini.writeString("SENSOR_7", "Name", "Stray");  // beyond the old count: not ours to erase
    }
    {
        IniFile ini(GetIniFileName());
        SaveSensorSettings(ini, {{sensor("A"), sensor("B"), sensor("C")}, true, -1});
    }
    {
        IniFile ini(GetIniFileName());
        EXPECT_EQ(ini.readInteger("VESSEL_SENSORS", "Count", 0), 3);
        EXPECT_EQ(ini.readString("SENSOR_2", "Name", ""), "C");
        EXPECT_FALSE(ini.sectionExists("SENSOR_3"));
        EXPECT_FALSE(ini.sectionExists("SENSOR_4"));
        EXPECT_TRUE(ini.sectionExists("SENSOR_7"));
        EXPECT_EQ(ini.readSection("SENSOR_0"),
                  (std::vector<std::string>{"Name", "OffsetX", "OffsetY", "Color", "Visible", "MarkerSize"}));
    }
    // A stored count without sections gives default records; a tracked index beyond the list,
    // or below -1, becomes the antenna.
    for (int stored : {4, 2, -7}) {
        {
            IniFile ini(GetIniFileName());
            ini.writeInteger("VESSEL_SENSORS", "Count", 2);
            ini.eraseSection("SENSOR_1");
            ini.writeInteger("VESSEL_SENSORS", "ActiveTrackingSensor", stored);
        }
        IniFile ini(GetIniFileName());
        const SensorSettings s = LoadSensorSettings(ini);
        ASSERT_EQ(s.sensors.size(), 2u);
        EXPECT_EQ(s.sensors[1].Name, "Sensor1");
        EXPECT_EQ(s.sensors[1].Color, 0xFF0000);
        EXPECT_TRUE(s.sensors[1].Visible);
        EXPECT_EQ(s.sensors[1].MarkerSize, 6);
        EXPECT_EQ(s.activeTracking, -1) << stored;
    }
}

TEST(SensorList, ListLines)
{
    VesselSensor hidden = sensor("Sonar", 0.125, 10);
    hidden.Visible = false;
    const std::pair<VesselSensor, std::string> cases[] = {
        {sensor("Transducer", 1.5, -2), "Transducer [1.50, -2.00]"},
        {hidden, "Sonar [0.13, 10.00] (hidden)"},
        {sensor("", 0, 0), " [0.00, 0.00]"},
    };
    for (const auto& [v, line] : cases) EXPECT_EQ(SensorListLine(v), line);
}

// Deleting must leave the tracked point on the same physical sensor.
TEST(SensorList, DeleteKeepsTheTrackedSensor)
{
    struct Case {
        int active, deleted, expected;
    };
    const Case cases[] = {{2, 0, 1}, {2, 1, 1}, {2, 2, -1}, {2, 3, 2}, {-1, 1, -1}, {0, 0, -1}};
    for (const Case& c : cases) {
        std::vector<VesselSensor> list{sensor("S0"), sensor("S1"), sensor("S2"), sensor("S3")};
        const std::string trackedBefore = c.active >= 0 ? list[size_t(c.active)].Name : "";
        int active = c.active;
        ASSERT_EQ(DeleteSensor(list, active, c.deleted, false), SensorEditResult::Done);
        EXPECT_EQ(active, c.expected) << "active " << c.active << " deleted " << c.deleted;
        if (active >= 0) {
            EXPECT_EQ(list[size_t(active)].Name, trackedBefore);
        }
        EXPECT_EQ(list.size(), 3u);
    }
}

TEST(SensorList, EditsRefusedWithTheirReasons)
{
    std::vector<VesselSensor> list{sensor("S0")};
    int active = 0;
    EXPECT_EQ(AddSensor(list, {"   ", "1", "2"}, false), SensorEditResult::NeedName);
    EXPECT_EQ(UpdateSensor(list, -1, named("X")), SensorEditResult::NeedSelectionToUpdate);
    EXPECT_EQ(UpdateSensor(list, 1, named("X")), SensorEditResult::NeedSelectionToUpdate);
    EXPECT_EQ(UpdateSensor(list, 0, named("")), SensorEditResult::NeedName);
    EXPECT_EQ(DeleteSensor(list, active, 1, false), SensorEditResult::NeedSelectionToDelete);
    // While real time runs the list's indices are bound to open logs and GGA outputs.
    EXPECT_EQ(AddSensor(list, named("New"), true), SensorEditResult::BlockedWhileRunning);
    EXPECT_EQ(DeleteSensor(list, active, 0, true), SensorEditResult::BlockedWhileRunning);
    EXPECT_EQ(names(list), std::vector<std::string>{"S0"});
    EXPECT_EQ(active, 0);
    // Updating stays allowed and keeps the marker size.
    list[0].MarkerSize = 8;
    EXPECT_EQ(UpdateSensor(list, 0, {"Head", "abc", "-1.25", clLime, false}), SensorEditResult::Done);
    EXPECT_EQ(list[0].Name, "Head");
    EXPECT_EQ(list[0].OffsetX, 0.0);
    EXPECT_EQ(list[0].OffsetY, -1.25);
    EXPECT_EQ(list[0].MarkerSize, 8);
    EXPECT_FALSE(list[0].Visible);
}

TEST(VesselShape, LoadSaveAndSpacing)
{
    ToolsFixture f;
    {
        IniFile ini(GetIniFileName());
        const VesselShapeTexts d = LoadVesselShape(ini);
        EXPECT_EQ(d.circles, "2");
        EXPECT_EQ(d.interval, "10");
        EXPECT_EQ(d.bowArrow, "100");
        EXPECT_EQ(d.runlineSpacing, "10");
        ini.writeString("VESSEL_SHAPE", "Number of circles", "2.5");  // not a whole number
        ini.writeString("VESSEL_SHAPE", "Radious of first circle", "abc");
        ini.writeString("VESSEL_SHAPE", "Arrow length to bow", "5.00");
        ini.writeString("VESSEL_SHAPE", "Runline Spacing", "15");
    }
    IniFile ini(GetIniFileName());
    const VesselShapeTexts t = LoadVesselShape(ini);
    EXPECT_EQ(t.circles, "2");
    EXPECT_EQ(t.radius, "10");
    EXPECT_EQ(t.bowArrow, "5");
    EXPECT_EQ(t.runlineSpacing, "10");

    const auto half = ShapeFromSpacing("0.5", t);
    ASSERT_TRUE(half);
    EXPECT_EQ(half->radius, "0.50");
    EXPECT_EQ(half->interval, "0.50");
    EXPECT_EQ(half->sideArrow, "0.50");
    EXPECT_EQ(half->bowArrow, "5.00");
    EXPECT_EQ(half->circles, "2");
    EXPECT_EQ(ShapeFromSpacing("x", t)->bowArrow, "100.00");
    EXPECT_FALSE(ShapeFromSpacing("0", t));
    EXPECT_FALSE(ShapeFromSpacing("-1", t));
}

TEST(VesselGeometryWindow, SpacingSaveAndReloadGivesTheSame)
{
    ToolsFixture f;
    {
        VesselGeometryWindow w;
        EXPECT_EQ(w.edRadious->text(), "10");
        EXPECT_EQ(w.cRunlineSpacing->currentText(), "10");
        w.cRunlineSpacing->setCurrentText("0.5");
        w.onRunlineSpacingChosen();
        EXPECT_EQ(w.edRadious->text(), "0.50");
        EXPECT_EQ(w.edBArrow->text(), "5.00");
        w.edAmount->setText("3");
        w.show();
        w.onSaveClicked();
        EXPECT_FALSE(w.isVisible());
    }
    VesselGeometryWindow w;
    EXPECT_EQ(w.edRadious->text(), "0.5");
    EXPECT_EQ(w.edInterval->text(), "0.5");
    EXPECT_EQ(w.edLArrow->text(), "0.5");
    EXPECT_EQ(w.edBArrow->text(), "5");
    EXPECT_EQ(w.edAmount->text(), "3");
    EXPECT_EQ(w.cRunlineSpacing->currentText(), "0.5");
    const VesselSymbolSizes z = w.symbolSizes();
    EXPECT_EQ(z.circles, 3);
    EXPECT_EQ(z.radius, 0.5);
    EXPECT_EQ(z.bowArrow, 5.0);
    EXPECT_EQ(w.runlineSpacing(), 0.5);

    w.onDefaultClicked();
    EXPECT_EQ(w.cRunlineSpacing->currentText(), "10");
    EXPECT_EQ(w.edAmount->text(), "2");
    EXPECT_EQ(w.edBArrow->text(), "100.00");
}

TEST(VesselGeometryWindow, HalfTypedSizeKeepsTheLastNumber)
{
    ToolsFixture f;
    VesselGeometryWindow w;
    w.edRadious->setText("12.5");
    w.edRadious->setText("");
    EXPECT_EQ(w.symbolSizes().radius, 12.5);
    EXPECT_FALSE(w.edRadious->textIsNumber());
    w.edRadious->setText("-");
    EXPECT_EQ(w.symbolSizes().radius, 12.5);
    w.edRadious->setText("7");
    EXPECT_EQ(w.symbolSizes().radius, 7.0);
    EXPECT_TRUE(w.edRadious->textIsNumber());
}

TEST(VesselGeometryWindow, SensorEditingActsOnTheSharedListAndSavesOnHide)
{
    ToolsFixture f;
    VesselGeometryWindow w;
    EXPECT_TRUE(VesselSensors.empty());

    w.edSensorName->setText("   ");
    w.onAddSensorClicked();
    EXPECT_EQ(f.messages(), std::vector<std::string>{"Please enter a sensor name."});
    EXPECT_TRUE(VesselSensors.empty());

    w.edSensorName->setText(" Sonar");
    w.edSensorX->setText("abc");
    w.edSensorY->setText("1.5");
    w.cbSensorColor->setColor(clLime);
    w.onAddSensorClicked();
    ASSERT_EQ(VesselSensors.size(), 1u);
    EXPECT_EQ(VesselSensors[0].Name, " Sonar");
    EXPECT_EQ(VesselSensors[0].OffsetX, 0.0);
    EXPECT_EQ(VesselSensors[0].Color, clLime);
    EXPECT_EQ(w.edSensorName->text(), "");
    EXPECT_EQ(w.edSensorX->text(), "0.0");
    EXPECT_EQ(listLines(w), std::vector<std::string>{" Sonar [0.00, 1.50]"});

    w.edSensorName->setText("Transducer");
    w.onAddSensorClicked();
    w.lbSensors->setCurrentRow(1);  // shows the record
    EXPECT_EQ(w.edSensorName->text(), "Transducer");
    EXPECT_EQ(w.edSensorX->text(), "0.00");
    w.cbSensorVisible->setChecked(false);  // acts on the selected sensor at once
    EXPECT_FALSE(VesselSensors[1].Visible);
    EXPECT_EQ(listLines(w)[1], "Transducer [0.00, 0.00] (hidden)");
    EXPECT_EQ(w.lbSensors->currentRow(), 1);

    w.edSensorX->setText("2");
    w.onUpdateSensorClicked();
    EXPECT_EQ(VesselSensors[1].OffsetX, 2.0);
    EXPECT_EQ(w.lbSensors->currentRow(), 1);

    w.cbShowSensorLabels->setChecked(false);
    EXPECT_FALSE(ShowSensorLabels);

    // Tracking the second sensor, then deleting the first: the second stays tracked.
    ActiveTrackingSensor = 1;
    w.lbSensors->setCurrentRow(0);
    w.onDeleteSensorClicked();
    EXPECT_EQ(names(VesselSensors), std::vector<std::string>{"Transducer"});
    EXPECT_EQ(ActiveTrackingSensor, 0);

    // Nothing reached the file before "Save && Hide".
    {
        IniFile ini(GetIniFileName());
        EXPECT_FALSE(ini.sectionExists("VESSEL_SENSORS"));
    }
    w.onSaveClicked();
    VesselSensors.clear();
    ActiveTrackingSensor = -1;
    ShowSensorLabels = true;
    VesselGeometryWindow again;
    EXPECT_EQ(names(VesselSensors), std::vector<std::string>{"Transducer"});
    EXPECT_EQ(VesselSensors[0].OffsetX, 2.0);
    EXPECT_FALSE(VesselSensors[0].Visible);
    EXPECT_EQ(ActiveTrackingSensor, 0);
    EXPECT_FALSE(ShowSensorLabels);
    EXPECT_FALSE(again.cbShowSensorLabels->isChecked());
    EXPECT_EQ(listLines(again), std::vector<std::string>{"Transducer [2.00, 0.00] (hidden)"});
}

TEST(VesselGeometryWindow, NoSelectionAndRunningRefusals)
{
    ToolsFixture f;
    VesselSensors = {sensor("A"), sensor("B")};
    VesselGeometryWindow w;  // the creation reloads the (empty) stored list
    VesselSensors = {sensor("A"), sensor("B")};
    w.RefreshSensorList();
    w.onUpdateSensorClicked();
    w.onDeleteSensorClicked();
    f.host.running = true;
    w.edSensorName->setText("C");
    w.onAddSensorClicked();
    w.lbSensors->setCurrentRow(0);
    w.onDeleteSensorClicked();
    const std::vector<std::string> expected{
        "Please select a sensor to update.", "Please select a sensor to delete.",
        SensorEditMessage(SensorEditResult::BlockedWhileRunning), SensorEditMessage(SensorEditResult::BlockedWhileRunning)};
    EXPECT_EQ(f.messages(), expected);
    EXPECT_EQ(names(VesselSensors), (std::vector<std::string>{"A", "B"}));
}
