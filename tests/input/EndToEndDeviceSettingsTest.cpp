// The device settings window in the whole program, offscreen, opened as the surveyor opens it
// (the main window's "Settings" button): its port lists hold the serial ports of the settings
// file's [SERIAL_PORTS] that can be opened, and the echosounder message type chosen in it shows
// or hides the real-time window's low-frequency depth box.
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/TranslationManager.h"
#include "app/windows/WindowPointers.h"
#include "canvas/VeldorCanvas.h"
#include "input/DeviceSettings.h"
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
#include "support/TextFit.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QAction>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

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

// Opens the settings window as the surveyor does: the main window's "Settings" button.
void openSettingsWindow()
{
    auto* settingsButton = FNav->findChild<QToolButton*>("ConnectIcon");
    ASSERT_NE(settingsButton, nullptr);
    QTest::mouseClick(settingsButton, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([] { return FGPS->isVisible(); }, 1000));
}

// Clicks into a field, selects what it holds and types `text` over it.
void typeInto(QLineEdit* e, const QString& text)
{
    QTest::mouseClick(e, Qt::LeftButton);
    QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(e, text);
    ASSERT_EQ(e->text(), text);
}

// File > Exit, the menu clicked open.
void chooseExit()
{
    QMenuBar* bar = FNav->menuBar();
    QAction* exit = FNav->findChild<QAction*>("Exit1");
    ASSERT_NE(exit, nullptr);
    QMenu* file = nullptr;
    for (QAction* top : bar->actions())
        if (top->menu() && top->menu()->actions().contains(exit)) {
            file = top->menu();
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(top).center());
        }
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([file] { return file->isVisible(); }, 1000));
    QTest::mouseClick(file, Qt::LeftButton, {}, file->actionGeometry(exit).center());
}

// Clicks a check box on its indicator.
void clickBox(QAbstractButton* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2)); }

void clickClose()
{
    QTest::mouseClick(FGPS->closeButton, Qt::LeftButton);
}

std::string stored(const char* section, const char* key)
{
    return IniFile(GetIniFileName()).readString(section, key, "(none)");
}

constexpr const char* kSounder = "SENSOR COMUNICATION SETTINGS";
constexpr const char* kGeodetic = "GEODETIC_PARAMETERS";

} // namespace

// What the surveyor types stays in the window until it is saved or discarded: closing with
// unsaved changes asks; going back keeps everything as typed and stores nothing; saving locks and
// stores it, and the window shows it again when it is opened next, an echosounder port that is
// not plugged in included, so a later lock does not store an empty port.
TEST(EndToEndDeviceSettings, CloseAsksAndGoingBackOrSavingKeepsWhatWasTyped)
{
    PtyPair sounder;
    RunningProgram p([&](IniFile& ini) { ini.writeString(kSerialPortsSection, "COM3", sounder.slavePath()); });
    openSettingsWindow();
    ASSERT_FALSE(FGPS->lockStateCheck->isChecked());

    openSheet(*FGPS, FGPS->SensorTabSheet);
    typeInto(FGPS->SPort->lineEdit(), "COM7");  // not plugged in: not among the listed ports
    typeInto(FGPS->SBaudRate->lineEdit(), "19200");
    openSheet(*FGPS, FGPS->ParametersTabSheet);
    typeInto(FGPS->edSMA, "6378388");
    typeInto(FGPS->edRX, "-0.35");
    openSheet(*FGPS, FGPS->GPSTabSheet);
    typeInto(FGPS->forwardingPanel()->forwarding()->edUDPIP, "192.168.1.20");

    // Back to the settings: nothing stored, nothing lost.
    p.prompts.answers = {PromptAnswer::Cancel};
    clickClose();
    ASSERT_EQ(p.prompts.entries.size(), 1u);
    EXPECT_EQ(p.prompts.entries[0].kind, PromptKind::Question);
    EXPECT_EQ(p.prompts.entries[0].parent, static_cast<QWidget*>(FGPS)) << "asked over the settings window";
    EXPECT_TRUE(p.prompts.entries[0].text.contains("not saved")) << p.prompts.entries[0].text.toStdString();
    EXPECT_TRUE(FGPS->isVisible());
    EXPECT_EQ(FGPS->SPort->currentText(), "COM7");
    EXPECT_EQ(FGPS->edSMA->text(), "6378388");
    EXPECT_EQ(FGPS->forwardingPanel()->forwarding()->edUDPIP->text(), "192.168.1.20");
    EXPECT_EQ(stored(kSounder, "Port No"), "(none)");
    EXPECT_EQ(stored(kGeodetic, "SemiMajorAxis"), "(none)");

    // Save and lock.
    p.prompts.answers = {PromptAnswer::Yes};
    clickClose();
    ASSERT_EQ(p.prompts.entries.size(), 2u);
    EXPECT_TRUE(QTest::qWaitFor([] { return !FGPS->isVisible(); }, 1000)) << "saved, the window closes";
    EXPECT_EQ(stored("LOCK SETTINGS", "Lock Settings"), "1");
    EXPECT_EQ(stored(kSounder, "Port No"), "COM7");
    EXPECT_EQ(stored(kSounder, "Baud Rate"), "19200");
    EXPECT_EQ(stored(kGeodetic, "SemiMajorAxis"), "6378388");
    EXPECT_EQ(stored(kGeodetic, "X_Rotation"), "-0.35");
    EXPECT_EQ(stored("SENSOR_FORWARD", "UDPIP"), "192.168.1.20");
    EXPECT_NE(p.events().find("Sensor: Port=COM7, Baud=19200, Enabled=Yes"), std::string::npos) << p.events();

    // Opened again: as saved, locked.
    openSettingsWindow();
    EXPECT_FALSE(itemsOf(FGPS->SPort).contains("COM7"));
    EXPECT_EQ(FGPS->SPort->currentText(), "COM7");
    EXPECT_EQ(FGPS->SBaudRate->currentText(), "19200");
    EXPECT_EQ(FGPS->edSMA->text(), "6378388");
    EXPECT_EQ(FGPS->forwardingPanel()->forwarding()->edUDPIP->text(), "192.168.1.20");
    EXPECT_TRUE(FGPS->lockStateCheck->isChecked());
    EXPECT_FALSE(FGPS->SPort->isEnabled());

    // Unlocked and locked again: the port is still the one typed.
    clickBox(FGPS->lockStateCheck);
    ASSERT_FALSE(FGPS->lockStateCheck->isChecked());
    EXPECT_EQ(stored("LOCK SETTINGS", "Lock Settings"), "0");
    clickBox(FGPS->lockStateCheck);
    ASSERT_TRUE(FGPS->lockStateCheck->isChecked());
    EXPECT_EQ(stored(kSounder, "Port No"), "COM7");

    // Nothing unsaved: closing asks nothing.
    clickClose();
    EXPECT_TRUE(QTest::qWaitFor([] { return !FGPS->isVisible(); }, 1000));
    EXPECT_EQ(p.prompts.entries.size(), 2u);
}

// Quitting the program with settings typed and not saved asks too; saving them stores them.
TEST(EndToEndDeviceSettings, ExitWithUnsavedSettingsAsksAndSavesThem)
{
    RunningProgram p;
    openSettingsWindow();
    openSheet(*FGPS, FGPS->ParametersTabSheet);
    typeInto(FGPS->edSMA, "6378388");
    openSheet(*FGPS, FGPS->SensorTabSheet);
    typeInto(FGPS->SPort->lineEdit(), "COM7");

    // File > Exit; every question is answered Yes.
    chooseExit();
    ASSERT_TRUE(QTest::qWaitFor([] { return !FGPS->isVisible(); }, 2000));

    int asked = 0;
    for (const auto& e : p.prompts.entries)
        if (e.text.contains("not saved")) ++asked;
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(stored(kGeodetic, "SemiMajorAxis"), "6378388");
    EXPECT_EQ(stored(kSounder, "Port No"), "COM7");
    EXPECT_EQ(stored("LOCK SETTINGS", "Lock Settings"), "1");
}

// Going back from that question keeps the program running: nothing is stopped, closed or stored,
// and the settings stay as typed.
TEST(EndToEndDeviceSettings, ExitAnsweredCancelKeepsTheProgramAndTheTypedSettings)
{
    RunningProgram p([](IniFile& ini) { ini.writeString(kSounder, "Port No", "COM3"); });
    openSettingsWindow();
    openSheet(*FGPS, FGPS->SensorTabSheet);
    typeInto(FGPS->SPort->lineEdit(), "COM7");

    p.prompts.answers = {PromptAnswer::Cancel};
    chooseExit();
    QTest::qWait(0);

    ASSERT_EQ(p.prompts.entries.size(), 1u);
    EXPECT_TRUE(p.prompts.entries[0].text.contains("not saved"));
    EXPECT_TRUE(FNav->isVisible());
    EXPECT_TRUE(FGPS->isVisible());
    EXPECT_EQ(FGPS->SPort->currentText(), "COM7");
    EXPECT_EQ(stored(kSounder, "Port No"), "COM3");
}

// Discarding puts back what the settings file holds, in the window and on the map: a grid the
// user switched off shows again, and no typed value is stored.
TEST(EndToEndDeviceSettings, CloseAnsweredDiscardPutsTheStoredSettingsBack)
{
    RunningProgram p([](IniFile& ini) {
        ini.writeString(kSounder, "Port No", "COM3");
        ini.writeString(kGeodetic, "SemiMajorAxis", "6378137");
        ini.writeBool("GRID_SETTINGS", "GridVisible", true);
        ini.writeBool("SENSOR_FORWARD", "Enabled", false);
    });
    openSettingsWindow();
    ASSERT_TRUE(FNav->fcad->Grid().Shown);

    openSheet(*FGPS, FGPS->tGlobalSetting);
    clickBox(FGPS->cbGridVisible);
    ASSERT_FALSE(FGPS->cbGridVisible->isChecked());
    EXPECT_FALSE(FNav->fcad->Grid().Shown) << "the grid goes at once";
    openSheet(*FGPS, FGPS->ParametersTabSheet);
    typeInto(FGPS->edSMA, "1");
    typeInto(FGPS->edNameOfDatum, "Typed");
    openSheet(*FGPS, FGPS->SensorTabSheet);
    typeInto(FGPS->SPort->lineEdit(), "COM9");
    openSheet(*FGPS, FGPS->GPSTabSheet);
    typeInto(FGPS->forwardingPanel()->forwarding()->edUDPIP, "10.1.1.1");

    p.prompts.answers = {PromptAnswer::No};
    clickClose();
    ASSERT_EQ(p.prompts.entries.size(), 1u);
    EXPECT_TRUE(QTest::qWaitFor([] { return !FGPS->isVisible(); }, 1000)) << "discarded, the window closes";
    EXPECT_TRUE(FNav->fcad->Grid().Shown) << "the stored grid shows again";
    EXPECT_EQ(stored(kGeodetic, "SemiMajorAxis"), "6378137");
    EXPECT_EQ(stored(kGeodetic, "Name of Datum"), "(none)");
    EXPECT_EQ(stored(kSounder, "Port No"), "COM3");
    EXPECT_EQ(stored("SENSOR_FORWARD", "UDPIP"), "(none)");
    EXPECT_EQ(stored("LOCK SETTINGS", "Lock Settings"), "(none)") << "nothing was locked";
    EXPECT_EQ(deviceSettings().geodetic(GeodeticField::SemiMajorAxis).text(), "6378137")
        << "the map converts with the stored datum";

    openSettingsWindow();
    EXPECT_EQ(FGPS->edSMA->text(), "6378137");
    EXPECT_EQ(FGPS->edNameOfDatum->text(), "");
    EXPECT_EQ(FGPS->SPort->currentText(), "COM3");
    EXPECT_EQ(FGPS->forwardingPanel()->forwarding()->edUDPIP->text(), "127.0.0.1");
    EXPECT_TRUE(FGPS->cbGridVisible->isChecked());
    EXPECT_FALSE(FGPS->lockStateCheck->isChecked());
    clickClose();
    EXPECT_TRUE(QTest::qWaitFor([] { return !FGPS->isVisible(); }, 1000));
    EXPECT_EQ(p.prompts.entries.size(), 1u) << "nothing left to save: no question";
}

// A further vessel's port chosen from its dropped-down list: the list offers COM1 to COM50 and
// the choice is stored at once and reaches the vessel's entry.
TEST(EndToEndDeviceSettings, ExtraVesselPortChosenFromItsDroppedDownList)
{
    RunningProgram p([](IniFile& ini) {
        ini.writeInteger("MULTI_VESSEL", "Count", 1);
        ini.writeString("GPS2", "Port", "COM4");
    });
    ASSERT_EQ(ExtraVessels.size(), 1u);
    openSettingsWindow();
    openSheet(*FGPS, FGPS->FMultiGPSTab);
    QComboBox* port = FGPS->extraVesselPanel()->panels()->panels[0].cbPt;
    EXPECT_EQ(port->currentText(), "COM4");
    port->setFocus(Qt::TabFocusReason);
    QTest::keyClick(port, Qt::Key_F4);
    ASSERT_TRUE(QTest::qWaitFor([port] { return port->view()->isVisible(); }, 2000)) << "the list drops down";
    ASSERT_EQ(port->count(), 50);
    EXPECT_EQ(port->currentText(), "COM4") << "dropping down keeps the text";
    // The lowest port in sight, clicked.
    QAbstractItemView* list = port->view();
    int chosen = -1;
    for (int i = 0; i < port->count(); ++i)
        if (list->viewport()->rect().contains(list->visualRect(port->model()->index(i, 0)).center())) chosen = i;
    ASSERT_GE(chosen, 0);
    const QString choice = port->itemText(chosen);
    ASSERT_NE(choice, "COM4");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(port->model()->index(chosen, 0)).center());
    EXPECT_TRUE(QTest::qWaitFor([port] { return !port->view()->isVisible(); }, 2000));
    EXPECT_EQ(port->currentText(), choice);
    EXPECT_EQ(stored("GPS2", "Port"), choice.toStdString());
    EXPECT_EQ(ExtraVessels[0].Port, choice.toStdString());
    EXPECT_TRUE(p.prompts.entries.empty());
}

// Every sheet of the settings window, opened by its tab in English and in Turkish: no caption or
// label is cut off, and the datum group says which way its seven values go and in what units.
TEST(EndToEndDeviceSettings, EveryTextFitsOnEverySheetInBothLanguages)
{
    struct Case {
        const char* language;
        QString datumGroup, xRotation, xShift, scale;
    };
    const Case cases[] = {
        {"en", "Local Datum to WGS-84", "X Rotation (arc-sec)", "X Shift (m)", "Scale (ppm)"},
        {"tr", QString::fromUtf8("Yerel Datumdan WGS-84'e"), QString::fromUtf8("X Dönüklüğü (yay saniyesi)"),
         QString::fromUtf8("X Ötelemesi (m)"), QString::fromUtf8("Ölçek (ppm)")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        {
            RunningProgram p([&](IniFile& ini) {
                std::ifstream shipped(std::string(VSX_SOURCE_DIR) + "/languages/tr.json", std::ios::binary);
                p.home.writeFile("Languages/tr.json", std::string(std::istreambuf_iterator<char>(shipped), {}));
                delete Translator;
                Translator = new TranslationManager(p.home.path("Languages/"));
                ini.writeString("SETTINGS", "Language", c.language);
            });
            openSettingsWindow();
            auto* group = FGPS->findChild<QGroupBox*>("datumTransformationGroup");
            ASSERT_NE(group, nullptr);
            EXPECT_EQ(group->title(), c.datumGroup);
            auto labelOf = [](QWidget* field) {
                auto* form = qobject_cast<QFormLayout*>(field->parentWidget()->layout());
                auto* label = form ? qobject_cast<QLabel*>(form->labelForField(field)) : nullptr;
                return label ? label->text() : QString();
            };
            EXPECT_EQ(labelOf(FGPS->edRX), c.xRotation);
            EXPECT_EQ(labelOf(FGPS->edSX), c.xShift);
            EXPECT_EQ(labelOf(FGPS->edPPM), c.scale);
            for (int i = 0; i < FGPS->SettingTabs->count(); ++i) {
                openSheet(*FGPS, FGPS->SettingTabs->widget(i));
                QTest::qWait(20);
                for (const QString& cut : CutOffTexts(FGPS))
                    ADD_FAILURE() << FGPS->SettingTabs->tabText(i).toStdString() << ": " << cut.toStdString();
            }
            EXPECT_EQ(p.home.readFile("Languages/missing.log"), "") << "texts without a Turkish entry";
        }
        delete Translator;
        Translator = nullptr;
    }
}

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
