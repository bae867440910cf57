#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/windows/ColorBox.h"
#include "input/ExtraVesselSettings.h"
#include "input/windows/ExtraVesselPanels.h"
#include "platform/IniFile.h"

#include "support/TempHome.h"

#include <QCheckBox>
#include <QComboBox>
#include <QAbstractItemView>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using namespace vsx;
using vsx::test::TempHome;

TEST(ExtraVesselSettings, SaveWritesThreeSectionsInKeyOrderAndUpdatesExistingEntries)
{
    TempHome home;
    ExtraVessels.assign(1, MultiVesselEntry {});
    ExtraVessels[0].HasPosition = true;  // run-time state must survive a save
    ExtraVesselPanels panels;
    panels.LoadVesselSettings();
    EXPECT_EQ(panels.panels[1].edNm->text(), "Vessel 3");
    EXPECT_EQ(panels.panels[0].cbBd->currentText(), "9600");
    panels.panels[0].edNm->setText("Survey Two");
    const std::string text = home.readFile(home.iniPath());
    EXPECT_NE(text.find("[MULTI_VESSEL]\r\nCount=3\r\n"), std::string::npos);
    EXPECT_NE(text.find("[GPS2]\r\nEnabled=0\r\nName=Survey Two\r\nPort=\r\nBaudRate=9600\r\nColor=255\r\n"
                        "RunlineSpacing=10\r\nBArrow=100\r\nLArrow=10\r\nRadious=10\r\nInterval=10\r\nAmount=2\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("[GPS4]"), std::string::npos);
    ASSERT_EQ(ExtraVessels.size(), 1u) << "a save never adds entries";
    EXPECT_EQ(ExtraVessels[0].Name, "Survey Two");
    EXPECT_TRUE(ExtraVessels[0].HasPosition);
    ExtraVessels.clear();
}

TEST(ExtraVesselSettings, OpeningTheWindowDoesNotRoundStoredSizes)
{
    TempHome home;
    {
        IniFile ini(GetIniFileName());
        ini.writeString("GPS2", "Radious", "0.4");
        ini.writeString("GPS2", "LArrow", "0.5");
        ini.writeString("GPS2", "Port", "COM12");
        ini.writeString("GPS2", "BaudRate", "1234");
    }
    ExtraVesselPanels panels;
    panels.LoadVesselSettings();
    EXPECT_EQ(panels.panels[0].edR1->text(), "0.4");
    EXPECT_EQ(panels.panels[0].cbBd->currentText(), "9600") << "a baud rate off the list selects 9600";
    panels.LoadVesselSettings();  // refilling the port lists writes nothing
    EXPECT_EQ(IniFile(GetIniFileName()).readString("GPS2", "Port", ""), "COM12");
    panels.panels[1].chkEn->setChecked(true);  // any change saves all panels
    IniFile ini(GetIniFileName());
    EXPECT_EQ(ini.readString("GPS2", "Radious", ""), "0.4");
    EXPECT_EQ(ini.readString("GPS2", "LArrow", ""), "0.5");
    EXPECT_EQ(ini.readString("GPS2", "Port", ""), "COM12");
}

TEST(ExtraVesselSettings, SpacingSetsTheSizes)
{
    struct Case { const char* spacing; bool changes; const char* r1; const char* fwd; };
    const Case cases[] = {{"0.5", true, "0.50", "5.00"}, {"10", true, "10.00", "100.00"},
                          {"-5", false, "7", "70"}, {"0", false, "7", "70"}, {"abc", true, "10.00", "100.00"}};
    for (const auto& c : cases) {
        ExtraVesselPanelValues v;
        v.r1 = "7";
        v.fwd = "70";
        EXPECT_EQ(ApplyExtraVesselSpacing(v, c.spacing), c.changes) << c.spacing;
        EXPECT_EQ(v.r1, c.r1);
        EXPECT_EQ(v.fwd, c.fwd);
    }
}

TEST(ExtraVesselSettings, NewFileUsesGeometryDefaultsAndStartupReadsCount)
{
    TempHome home;
    ExtraVesselPanels panels;
    panels.sizeDefaults = [] { return VesselSizeDefaults {5, 50, 2.5, 3, 4, 6}; };
    panels.LoadVesselSettings();
    EXPECT_EQ(panels.panels[2].edNm->text(), "Vessel 4");
    EXPECT_EQ(panels.panels[2].edFw->text(), "50");
    EXPECT_EQ(panels.panels[2].edSd->text(), "2.5");
    EXPECT_EQ(panels.panels[2].edN->text(), "6");
    EXPECT_EQ(panels.panels[2].cbxCl->color(), 255);
    EXPECT_TRUE(ReadExtraVessels(IniFile(GetIniFileName())).empty());
    panels.SaveVesselSettings();
    auto list = ReadExtraVessels(IniFile(GetIniFileName()));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[2].Name, "Vessel 4");
    EXPECT_EQ(list[2].BArrow, 50);
}

TEST(ExtraVesselSettings, TurkishNamesAreStoredAsWindows1254)
{
    TempHome home;
    ExtraVesselPanels panels;
    panels.LoadVesselSettings();
    panels.panels[0].edNm->setText(QString::fromUtf8("Şamandıra"));
    EXPECT_EQ(IniFile(GetIniFileName()).readString("GPS2", "Name", ""), "\xDE" "amand\xFD" "ra");
    ExtraVesselPanels again;
    again.LoadVesselSettings();
    EXPECT_EQ(again.panels[0].edNm->text(), QString::fromUtf8("Şamandıra"));
}

// A port box whose list is still empty (the panels have not been loaded yet) gets "COM1" to
// "COM50" when the user drops its list down; the text typed before stays.
TEST(ExtraVesselSettings, DroppingDownAnEmptyPortListFillsIt)
{
    TempHome home;
    ExtraVesselPanels panels;
    panels.QWidget::show();
    QComboBox* port = panels.panels[2].cbPt;
    ASSERT_EQ(port->count(), 0);
    port->lineEdit()->setFocus();
    QTest::keyClicks(port->lineEdit(), "COM7");
    QTest::keyClick(port, Qt::Key_F4);
    ASSERT_TRUE(QTest::qWaitFor([port] { return port->view()->isVisible(); }, 2000)) << "the list is dropped down";
    ASSERT_EQ(port->count(), 50);
    EXPECT_EQ(port->itemText(0), "COM1");
    EXPECT_EQ(port->itemText(49), "COM50");
    EXPECT_EQ(port->currentText(), "COM7");
    port->hidePopup();

    // A filled list is left as it is.
    QTest::keyClick(port, Qt::Key_F4);
    EXPECT_EQ(port->count(), 50);
    port->hidePopup();
    EXPECT_EQ(home.readFile(home.iniPath()), "") << "nothing is saved before the panels are loaded";
}
