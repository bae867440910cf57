#pragma once
// The two groups of the device settings window's "GPS Settings" sheet that connect the program to
// other programs: "Forward Sensor Positions" (GGA of the antenna and the sensor points to a UDP
// address or a serial port) and "GPS UDP Input" (NMEA lines arriving as datagrams).
#include <QGroupBox>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vsx {

class IniFile;

class ForwardingGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit ForwardingGroup(QWidget* parent = nullptr);

    // Reads [SENSOR_FORWARD] into the controls and publishes the values. The target list is built
    // before the stored choice is looked up, and the stored port of a single target gives back
    // its base port, so a save and load never shifts the ports. With `openTarget` the stored
    // switch opens the target once, with the loaded transport and address.
    void LoadFromSettings(const IniFile& ini, bool openTarget);
    void SaveToSettings(IniFile& ini) const;
    void PublishValues();
    // The serial ports offered; the current text is kept.
    void SetSerialPorts(const std::vector<std::string>& ports);
    // "ALL", "GPS" and the vessel's sensors; the current choice is kept when it is still there.
    void RebuildTargetItems();

    QCheckBox* cbEnableSensorForward;
    QRadioButton* rbForwardUDP;
    QRadioButton* rbForwardSerial;
    QLineEdit* edUDPIP;
    QLineEdit* edUDPPort;
    QComboBox* cbSerialPort;
    QComboBox* cbSerialBaud;
    QComboBox* cbSensorSelect;

    void onForwardTargetChanged();
    void onUdpPortChanged();
    void onForwardingToggled();

private:
    bool openOnClick_ = true;
};

class GpsUdpInputGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit GpsUdpInputGroup(QWidget* parent = nullptr);

    void LoadFromSettings(const IniFile& ini);
    void SaveToSettings(IniFile& ini) const;
    // GpsUdpEnabled, GpsUdpPort and GpsUdpAutoConnect from the controls.
    void PublishValues();

    QCheckBox* cbEnableTCP;
    QLineEdit* edTCPPort;
    QPushButton* btnTCPConnect;
    QLabel* lblTCPStatus;
    QCheckBox* cbTCPAutoConnect;

    void onUdpInputToggled();
    // Starts the listener, or stops it when listening.
    void onListenClicked();
    // Why the input is not listening: the port and the system's reason, or what to press.
    std::string notListeningReason() const;

    // Called when the listener starts, so the main window's map timer runs and polls it.
    std::function<void()> onListening;

signals:
    // The GNSS serial port boxes are usable exactly when UDP input is off.
    void gnssPortBoxesEnabled(bool enabled);

private:
    // The status in the current language (english is a key, "%1" filled from args).
    void setStatus(const char* english, unsigned colour, const QStringList& args = {});
    std::string lastFailure_;  // the last failed start's reason; empty after a start
};

} // namespace vsx
