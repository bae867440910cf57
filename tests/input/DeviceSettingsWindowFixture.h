#pragma once
// A device settings window in a temporary home, with fake receivers, canvas, screenshot timer and
// real-time depth box bound in place of the main window's, a fixed clock and recorded prompts.
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "input/DeviceSettingsTargets.h"
#include "input/DisplayValues.h"
#include "input/windows/DeviceSettingsPanel.h"
#include "input/windows/DeviceSettingsWindow.h"
#include "platform/Clock.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/Prompts.h"

#include "support/TempHome.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace vsx::test {

class FakeReceiver : public ReceiverPortTarget {
public:
    void applyPortSettings(const ReceiverPortSettings& s) override { applied.push_back(s); }
    void open() override { opened = true; }
    void close() override { opened = false; }
    bool isOpen() const override { return opened; }
    std::vector<ReceiverPortSettings> applied;
    bool opened = false;
};

class FakeCanvas : public CanvasDisplayTarget {
public:
    void setGridShown(bool s) override { shown = s; }
    void setGridSteps(double x, double y) override
    {
        stepX = x;
        stepY = y;
    }
    void setGridLineColor(ColorValue c) override { color = c; }
    void repaint() override { ++repaints; }
    bool shown = false;
    double stepX = -1, stepY = -1;
    ColorValue color = -1;
    int repaints = 0;
};

class FakeScreenshotTimer : public ScreenshotTimerTarget {
public:
    void setScreenshotInterval(int seconds) override { intervals.push_back(seconds); }
    std::vector<int> intervals;
};

class FakeDepthBox : public LowFrequencyDepthBoxTarget {
public:
    void setLowFrequencyDepthBoxVisible(bool v) override { calls.push_back(v); }
    std::vector<bool> calls;
};

// A panel of another unit: records when the window loads, saves and closes it.
class FakePanel : public DeviceSettingsPanel {
public:
    explicit FakePanel(std::string section) : section_(std::move(section)) {}
    QWidget* widget() override { return &widget_; }
    void portsListed(const std::vector<std::string>& p) override { ports = p; }
    void loadWhenShown(IniFile& ini) override
    {
        value = ini.readString(section_, "Value", "design");
        loaded_ = true;
        ++loads;
    }
    bool loaded() const override { return loaded_; }
    void saveOnLock(IniFile& ini) override
    {
        ini.writeString(section_, "Value", value);
        ++saves;
    }
    void windowClosing() override { ++closings; }

    QWidget widget_;
    std::vector<std::string> ports;
    std::string value = "design";
    int loads = 0, saves = 0, closings = 0;

private:
    std::string section_;
    bool loaded_ = false;
};

class DeviceSettingsWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setClock(&clock);
        setPrompts(&prompts);
        InitSharedValues();
        makeFolders(LogFolder);
        GnssReceiverTarget = &gnss;
        SounderReceiverTarget = &sounder;
        MapCanvasTarget = &canvas;
        ScreenshotTimer = &timer;
        LowFrequencyDepthBox = &depthBox;
        SerialPortLister = [this] { return ports; };
        MonitorEchoEnabled = true;
    }
    void TearDown() override
    {
        window.reset();
        GnssReceiverTarget = nullptr;
        SounderReceiverTarget = nullptr;
        MapCanvasTarget = nullptr;
        ScreenshotTimer = nullptr;
        LowFrequencyDepthBox = nullptr;
        SerialPortLister = nullptr;
        MonitorEchoEnabled = true;
        publishDisplayValues(DisplaySettings{});
        publishOverlayValues(DisplaySettings{});
        DepthLabelFontName.clear();
        setPrompts(nullptr);
        setClock(nullptr);
    }

    void writeIni(const std::string& text) { home.writeFile("appdata/Veldor/VSX/VeldorSX.ini", text); }
    std::string iniText() const { return home.readFile(home.iniPath()); }
    std::string eventsLog() const { return home.readFile(EventsLogFileName()); }
    DeviceSettingsWindow& make()
    {
        window = std::make_unique<DeviceSettingsWindow>();
        return *window;
    }
    static void type(QLineEdit* e, const char* text) { e->setText(QString::fromUtf8(text)); }
    // A text typed into an editable box.
    static void type(QComboBox* c, const char* text) { c->setEditText(QString::fromUtf8(text)); }
    // An item picked from a box's list by the user.
    static void pick(QComboBox* c, const char* text)
    {
        const int i = c->findText(QString::fromUtf8(text));
        ASSERT_GE(i, 0) << text;
        c->setCurrentIndex(i);
        emit c->activated(i);
    }

    TempHome home;
    FakeClock clock{{2024, 6, 1, 12, 30, 15, 250}};
    RecordingPrompts prompts;
    FakeReceiver gnss, sounder;
    FakeCanvas canvas;
    FakeScreenshotTimer timer;
    FakeDepthBox depthBox;
    std::vector<std::string> ports{"COM1", "COM2", "COM3"};
    std::unique_ptr<DeviceSettingsWindow> window;
};

} // namespace vsx::test
