#pragma once
#include <memory>
// The "Settings" window: the serial ports of the GNSS receiver and of the echosounder, the
// echosounder message type, the gyro switch, the datum and projection parameters, the map
// display settings, the port monitor and the lock that saves everything.
//
// Its values live in a DeviceSettings (Settings(), or deviceSettings() from anywhere), which the
// controls below update as they change; other windows read that rather than the controls.
#include "input/DeviceSettings.h"
#include "input/windows/DeviceSettingsPanel.h"

#include <QWidget>
#include <array>
#include <string_view>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QVBoxLayout;

namespace vsx {

class ColorBox;
class ForwardingPanel;
class ExtraVesselPanel;

class DeviceSettingsWindow : public QWidget {
    Q_OBJECT
public:
    explicit DeviceSettingsWindow(QWidget* parent = nullptr);
    ~DeviceSettingsWindow() override;

    const DeviceSettings& Settings() const { return settings_; }

    // ---- Handlers other windows call ----------------------------------------------------------
    // "GPS Set" / "SBES Set": hand the port group to its receiver for the next open. A Delay or
    // Baud text that is not an integer, or a log text that is not a boolean, throws
    // ConversionError before anything is handed over. They work while the settings are locked
    // (the buttons are then disabled, so call these rather than clicking).
    void applyGnssPortSettings();
    void applySounderPortSettings();
    // The user's choice of a message type: a type of the table puts its format into the format
    // edit ("OTHER" empties it) and shows or hides the real-time window's low-frequency box.
    void onSounderMessageChanged();
    // For the real-time window's call shortly after start: like onSounderMessageChanged, except that a
    // format of the user's own ("OTHER") is kept.
    void applyStartupSounderMessage();
    // Appends a received line to a monitor box when the window is visible and the main window's
    // MonitorEchoEnabled is set; true when it was added.
    bool EchoMonitorLine(QPlainTextEdit* memo, std::string_view line);
    // Background colour of a monitor box (the main window colours MemoGPS by receiver state).
    void SetMonitorColor(QPlainTextEdit* memo, ColorValue color);
    // The GNSS port boxes Port, BaudRate, DataWidth, StopBits and Parity (off while positions come
    // over UDP).
    void SetGnssPortBoxesEnabled(bool enabled);
    // Places a panel built elsewhere on a sheet; the window keeps a pointer, the panel's widget
    // becomes the window's child.
    void EmbedPanel(DeviceSettingsSheet sheet, DeviceSettingsPanel* panel);
    // Marks the scan-format edit red with the reason as its tip while its text cannot be used.
    void showScanFormatProblem();
    // The user has changed a setting that only the lock saves, and has neither locked nor
    // discarded it since. The window keeps such values when it is shown again.
    bool hasUnsavedChanges() const { return unsavedChanges_; }

    // ---- Lifecycle and handlers (bound to the controls) ----------------------------------------
    void onShown();
    void onLockStateToggled();
    void onUseTmProjectionToggled();
    void onUseLccProjectionToggled();
    void onUseLambert1Toggled();
    void onGridVisibleToggled();
    void onGridColorChosen();
    void onAutoGridToggled();
    void onShowDepthLabelsToggled();
    void onEventLabelFontSizeChanged();
    void onEventLabelColorChosen();
    void onOverlayFontSizeChanged();
    void onOverlayDepthColorChosen();
    void onOverlaySpeedColorChosen();
    void onScreenshotIntervalChanged();

    // ---- Controls -----------------------------------------------------------------------------
    QTabWidget* SettingTabs = nullptr;
    QWidget* GPSTabSheet = nullptr;         // "GPS Settings"
    QWidget* SensorTabSheet = nullptr;      // "Sensor (SBES) Settings"
    QWidget* ParametersTabSheet = nullptr;  // "Geodetic Parameters"
    QWidget* tGlobalSetting = nullptr;      // "Global Setting"
    QWidget* monitorSheet = nullptr;           // "I/O Port Monitor"
    QWidget* FMultiGPSTab = nullptr;        // "Multi-GNSS"
    QCheckBox* lockStateCheck = nullptr;
    QPushButton* closeButton = nullptr;

    QCheckBox* GyroEnabled = nullptr;
    QComboBox *Port = nullptr, *BaudRate = nullptr, *DataWidth = nullptr, *StopBits = nullptr, *Parity = nullptr,
              *Priority = nullptr, *Delay = nullptr, *NMEALog = nullptr, *LogTime = nullptr, *EnableDTR = nullptr,
              *EnableRTS = nullptr;
    QPushButton* GPSSet = nullptr;

    QComboBox *SPort = nullptr, *SBaudRate = nullptr, *SDataWidth = nullptr, *SStopBits = nullptr, *SParity = nullptr,
              *SPriority = nullptr, *SDelay = nullptr, *SNMEALog = nullptr, *SLogTime = nullptr, *SEnableDTR = nullptr,
              *SEnableRTS = nullptr;
    QPushButton* SensorSet = nullptr;
    QCheckBox* SensorEnabled = nullptr;
    QComboBox* cSBESMessage = nullptr;
    QLineEdit* eSBESFormat = nullptr;

    QLineEdit *edSMA = nullptr, *edIF = nullptr, *edRX = nullptr, *edRY = nullptr, *edRZ = nullptr, *edSX = nullptr,
              *edSY = nullptr, *edSZ = nullptr, *edPPM = nullptr;
    QCheckBox* cbUseDTP = nullptr;
    QLineEdit* edNameOfDatum = nullptr;
    QLineEdit *edCM = nullptr, *edRL = nullptr, *edSF = nullptr, *edFE = nullptr, *edFN = nullptr;
    QCheckBox* cbUseTMProjection = nullptr;
    QLineEdit *eLCCSP1 = nullptr, *eLCCSP2 = nullptr, *eLCCSF = nullptr, *eLCCCP = nullptr, *eLCCM = nullptr,
              *eLCCFE = nullptr, *eLCCFN = nullptr;
    QCheckBox* cbUseLCCProjection = nullptr;
    QCheckBox* cLambert1 = nullptr;

    QCheckBox *cbGridVisible = nullptr, *cbAutoGrid = nullptr;
    QLineEdit *edGridSpacingX = nullptr, *edGridSpacingY = nullptr;
    ColorBox* cbGridColor = nullptr;
    QCheckBox* cbShowDepthLabels = nullptr;
    QLineEdit *edDepthLabelSpacing = nullptr, *edDepthLabelFontName = nullptr, *edDepthLabelFontSize = nullptr;
    ColorBox* cbTextColor = nullptr;
    QLineEdit* edEventLabelFontSize = nullptr;
    ColorBox* cbEventLabelColor = nullptr;
    QLineEdit* eScreenshotInterval = nullptr;
    QLineEdit* edOverlayFontSize = nullptr;
    ColorBox *cbOverlayDepthColor = nullptr, *cbOverlaySpeedColor = nullptr;

    QPlainTextEdit *MemoGPS = nullptr, *MemoSensor = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct PortGroupBoxes {
        std::array<QComboBox*, 11> boxes{};  // in the order of PortGroupTexts
    };
    struct EmbeddedPanel {
        DeviceSettingsSheet sheet;
        DeviceSettingsPanel* panel;
    };

    void buildGpsSheet();
    void buildSensorSheet();
    void buildParametersSheet();
    void buildGlobalSheet();
    void buildMonitorSheet();
    QGroupBox* buildPortGroup(const QString& title, const QString& prefix, PortGroupBoxes& group);
    void bindControls();
    // Every control the lock saves marks the settings as unsaved when the user changes it.
    void watchForUserChanges();
    // Puts back what the settings file holds: the window's values, the display values it
    // published, the forwarding and UDP input groups.
    void discardChanges();

    void loadSettings();
    // Puts the model's values into the controls without running their handlers.
    void showValues();
    void setLockableControlsEnabled(bool enabled);
    std::vector<QWidget*> lockableSheets() const;
    void readPortGroup(const PortGroupBoxes& group, bool gnss);
    void updateLowFrequencyBox();
    void repaintCanvas();
    // A colour box's colour into its setting and its process-wide value, then a repaint.
    void takeColour(const ColorBox* box, ColorValue& setting, ColorValue& published);
    void warnAboutGeodeticTexts();
    // Datum or projection saved while a survey runs: its records keep those of its start, which
    // the surveyor is told over this window and the events log records.
    void sayRunKeepsItsGeodesy();
    void monitorChanged(QPlainTextEdit* memo);

    DeviceSettings settings_;
    PortGroupBoxes gnssBoxes_, sounderBoxes_;
    std::array<QLineEdit*, kGeodeticFieldCount> geodeticEdits_{};
    std::vector<EmbeddedPanel> panels_;
    std::unique_ptr<ForwardingPanel> forwardingPanel_;
    std::unique_ptr<ExtraVesselPanel> extraVesselPanel_;

public:
    ForwardingPanel* forwardingPanel() const { return forwardingPanel_.get(); }
    ExtraVesselPanel* extraVesselPanel() const { return extraVesselPanel_.get(); }
    QVBoxLayout* gpsPanelColumn_ = nullptr;
    QVBoxLayout* multiGnssColumn_ = nullptr;
    HiddenLockSwitch hiddenLockAtCreation_ = HiddenLockSwitch::NotSet;
    // The screenshot interval edit is not loaded by this window: the main window puts the stored
    // interval into it when it is first shown. Until the edit has changed it is not saved.
    bool screenshotIntervalSet_ = false;

private:
    bool unsavedChanges_ = false;
};

} // namespace vsx
