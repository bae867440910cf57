#include "input/windows/ForwardingGroups.h"

#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/windows/WindowTranslation.h"
#include "input/GgaForwarding.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "platform/WriteFailureWatch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

namespace vsx {

namespace {
std::string textOf(const QLineEdit* e) { return e->text().toStdString(); }
std::string textOf(const QComboBox* c) { return c->currentText().toStdString(); }

void selectText(QComboBox* box, const QString& text)
{
    const int i = box->findText(text);
    if (i >= 0) box->setCurrentIndex(i);
    else box->setEditText(text);
}
} // namespace

ForwardingGroup::ForwardingGroup(QWidget* parent) : QGroupBox(QStringLiteral("Forward Sensor Positions"), parent)
{
    cbEnableSensorForward = new QCheckBox(QStringLiteral("Enable Sensor GGA Forwarding"), this);
    rbForwardUDP = new QRadioButton(QStringLiteral("UDP"), this);
    rbForwardSerial = new QRadioButton(QStringLiteral("Serial"), this);
    rbForwardUDP->setChecked(true);
    edUDPIP = new QLineEdit(QStringLiteral("127.0.0.1"), this);
    edUDPPort = new QLineEdit(QStringLiteral("10110"), this);
    cbSerialPort = new QComboBox(this);
    cbSerialPort->setEditable(true);
    for (int i = 1; i <= 10; ++i) cbSerialPort->addItem(QStringLiteral("COM%1").arg(i));
    cbSerialBaud = new QComboBox(this);
    cbSerialBaud->setEditable(true);
    cbSerialBaud->addItems({"4800", "9600", "19200", "38400", "57600", "115200"});
    cbSensorSelect = new QComboBox(this);
    cbSensorSelect->addItems({"ALL", "GPS"});
    cbEnableSensorForward->setObjectName("cbEnableSensorForward");
    rbForwardUDP->setObjectName("rbForwardUDP");
    rbForwardSerial->setObjectName("rbForwardSerial");
    edUDPIP->setObjectName("edUDPIP");
    edUDPPort->setObjectName("edUDPPort");
    cbSerialPort->setObjectName("cbSerialPort");
    cbSerialBaud->setObjectName("cbSerialBaud");
    cbSensorSelect->setObjectName("cbSensorSelect");

    auto* form = new QFormLayout(this);
    form->addRow(cbEnableSensorForward);
    auto* transport = new QHBoxLayout;
    transport->addWidget(rbForwardUDP);
    transport->addWidget(rbForwardSerial);
    form->addRow(transport);
    form->addRow(QStringLiteral("UDP IP:"), edUDPIP);
    form->addRow(QStringLiteral("Port:"), edUDPPort);
    form->addRow(QStringLiteral("Serial Port:"), cbSerialPort);
    form->addRow(QStringLiteral("Baud:"), cbSerialBaud);
    form->addRow(QStringLiteral("Sensor:"), cbSensorSelect);

    connect(cbSensorSelect, &QComboBox::activated, this, [this] { onForwardTargetChanged(); });
    connect(edUDPPort, &QLineEdit::textChanged, this, [this] { onUdpPortChanged(); });
    connect(cbEnableSensorForward, &QCheckBox::toggled, this, [this] { onForwardingToggled(); });
}

void ForwardingGroup::PublishValues()
{
    ForwardEnabled = cbEnableSensorForward->isChecked();
    ForwardUseUdp = rbForwardUDP->isChecked();
    ForwardUdpIp = textOf(edUDPIP);
    ForwardUdpPort = ParsePortNumber(textOf(edUDPPort), kDefaultForwardUdpPort);
    ForwardSerialPort = textOf(cbSerialPort);
    ForwardSerialBaud = strToIntDef(textOf(cbSerialBaud), kDefaultForwardSerialBaud);
    ForwardTarget = ForwardTargetOf(cbSensorSelect->currentIndex(), textOf(cbSensorSelect));
}

void ForwardingGroup::onForwardTargetChanged()
{
    ForwardTarget = ForwardTargetOf(cbSensorSelect->currentIndex(), textOf(cbSensorSelect));
    edUDPPort->setText(QString::number(ForwardPortFor(ForwardTarget, ForwardBaseUdpPort)));
    ForwardUdpPort = ParsePortNumber(textOf(edUDPPort), kDefaultForwardUdpPort);
}

void ForwardingGroup::onUdpPortChanged()
{
    const int port = ParsePortNumber(textOf(edUDPPort), kDefaultForwardUdpPort);
    if (textOf(cbSensorSelect) == "ALL") ForwardBaseUdpPort = port;
    ForwardUdpPort = port;
}

void ForwardingGroup::onForwardingToggled()
{
    PublishValues();
    if (!openOnClick_) return;
    if (ForwardEnabled) OpenForwardTarget(GetIniFileName());
    else CloseForwardTarget();
}

void ForwardingGroup::SetSerialPorts(const std::vector<std::string>& ports)
{
    const QString text = cbSerialPort->currentText();
    QSignalBlocker block(cbSerialPort);
    cbSerialPort->clear();
    for (const auto& p : ports) cbSerialPort->addItem(QString::fromStdString(p));
    selectText(cbSerialPort, text);
}

void ForwardingGroup::RebuildTargetItems()
{
    const QString text = cbSensorSelect->currentText();
    QSignalBlocker block(cbSensorSelect);
    cbSensorSelect->clear();
    for (const auto& item : ForwardTargetItems(VesselSensors)) cbSensorSelect->addItem(QString::fromStdString(item));
    const int i = cbSensorSelect->findText(text);
    cbSensorSelect->setCurrentIndex(i >= 0 ? i : 0);
}

void ForwardingGroup::LoadFromSettings(const IniFile& ini, bool openTarget)
{
    const char* S = "SENSOR_FORWARD";
    {
        QSignalBlocker b1(rbForwardUDP), b2(rbForwardSerial);
        const bool udp = ini.readBool(S, "UseUDP", true);
        rbForwardUDP->setChecked(udp);
        rbForwardSerial->setChecked(!udp);
    }
    edUDPIP->setText(QString::fromStdString(ini.readString(S, "UDPIP", "127.0.0.1")));
    selectText(cbSerialPort, QString::fromStdString(ini.readString(S, "SerialPort", "COM1")));
    selectText(cbSerialBaud, QString::fromStdString(ini.readString(S, "SerialBaud", "4800")));
    RebuildTargetItems();
    {
        QSignalBlocker block(cbSensorSelect);
        const int i = cbSensorSelect->findText(QString::fromStdString(ini.readString(S, "SensorSelect", "ALL")));
        cbSensorSelect->setCurrentIndex(i >= 0 ? i : 0);
    }
    // The stored port is the one shown: base + k while sensor target k was chosen.
    const int target = ForwardTargetOf(cbSensorSelect->currentIndex(), textOf(cbSensorSelect));
    const int stored = ParsePortNumber(ini.readString(S, "UDPPort", "10110"), kDefaultForwardUdpPort);
    ForwardBaseUdpPort = target > 0 && isValidUdpPort(stored - target) ? stored - target : stored;
    {
        QSignalBlocker block(edUDPPort);
        edUDPPort->setText(QString::number(stored));
    }
    ForwardUdpPort = stored;
    const bool enabled = ini.readBool(S, "Enabled", false);
    openOnClick_ = openTarget;
    if (cbEnableSensorForward->isChecked() != enabled) cbEnableSensorForward->setChecked(enabled);
    openOnClick_ = true;
    PublishValues();
}

void ForwardingGroup::SaveToSettings(IniFile& ini) const
{
    const char* S = "SENSOR_FORWARD";
    ini.writeBool(S, "Enabled", cbEnableSensorForward->isChecked());
    ini.writeBool(S, "UseUDP", rbForwardUDP->isChecked());
    ini.writeString(S, "UDPIP", textOf(edUDPIP));
    ini.writeString(S, "UDPPort", textOf(edUDPPort));
    ini.writeString(S, "SerialPort", textOf(cbSerialPort));
    ini.writeString(S, "SerialBaud", textOf(cbSerialBaud));
    ini.writeString(S, "SensorSelect", textOf(cbSensorSelect));
}

GpsUdpInputGroup::GpsUdpInputGroup(QWidget* parent) : QGroupBox(QStringLiteral("GPS UDP Input"), parent)
{
    cbEnableTCP = new QCheckBox(QStringLiteral("Use UDP instead of COM port"), this);
    cbEnableTCP->setObjectName("cbEnableTCP");
    edTCPPort = new QLineEdit(QStringLiteral("5000"), this);
    edTCPPort->setObjectName("edTCPPort");
    btnTCPConnect = new QPushButton(QStringLiteral("Start Listening"), this);
    btnTCPConnect->setObjectName("btnTCPConnect");
    lblTCPStatus = new QLabel(QStringLiteral("Stopped"), this);
    lblTCPStatus->setObjectName("lblTCPStatus");
    cbTCPAutoConnect = new QCheckBox(QStringLiteral("Auto-start on Realtime start"), this);
    cbTCPAutoConnect->setObjectName("cbTCPAutoConnect");
    auto* form = new QFormLayout(this);
    form->addRow(cbEnableTCP);
    form->addRow(QStringLiteral("Listen Port:"), edTCPPort);
    form->addRow(btnTCPConnect, lblTCPStatus);
    form->addRow(cbTCPAutoConnect);
    connect(cbEnableTCP, &QCheckBox::toggled, this, [this] { onUdpInputToggled(); });
    connect(btnTCPConnect, &QPushButton::clicked, this, [this] { onListenClicked(); });
}

void GpsUdpInputGroup::PublishValues()
{
    GpsUdpEnabled = cbEnableTCP->isChecked();
    GpsUdpPort = ParsePortNumber(edTCPPort->text().toStdString(), kDefaultGpsUdpPort);
    GpsUdpAutoConnect = cbTCPAutoConnect->isChecked();
}

void GpsUdpInputGroup::LoadFromSettings(const IniFile& ini)
{
    const bool enabled = ini.readBool("GPS_UDP", "Enabled", false);
    if (cbEnableTCP->isChecked() != enabled) cbEnableTCP->setChecked(enabled);
    edTCPPort->setText(QString::fromStdString(ini.readString("GPS_UDP", "Port", "5000")));
    cbTCPAutoConnect->setChecked(ini.readBool("GPS_UDP", "AutoConnect", false));
    PublishValues();
    emit gnssPortBoxesEnabled(!cbEnableTCP->isChecked());
}

void GpsUdpInputGroup::SaveToSettings(IniFile& ini) const
{
    ini.writeBool("GPS_UDP", "Enabled", cbEnableTCP->isChecked());
    ini.writeString("GPS_UDP", "Port", edTCPPort->text().toStdString());
    ini.writeBool("GPS_UDP", "AutoConnect", cbTCPAutoConnect->isChecked());
}

void GpsUdpInputGroup::onUdpInputToggled()
{
    GpsUdpEnabled = cbEnableTCP->isChecked();
    emit gnssPortBoxesEnabled(!GpsUdpEnabled);
}

void GpsUdpInputGroup::setStatus(const char* english, unsigned colour, const QStringList& args)
{
    SetTranslatedText(lblTCPStatus, english, args);
    const QColor c(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
    lblTCPStatus->setStyleSheet(QStringLiteral("color: %1").arg(c.name()));
}

void GpsUdpInputGroup::onListenClicked()
{
    if (GpsUdpListening) {
        GpsUdpSocket.stop();
        GpsUdpListening = false;
        setStatus("Stopped", 0x0000FF);
        SetTranslatedText(btnTCPConnect, "Start Listening");
        return;
    }
    GpsUdpPort = ParsePortNumber(edTCPPort->text().toStdString(), kDefaultGpsUdpPort);
    const UdpListener::StartResult result = GpsUdpSocket.start(GpsUdpPort);
    const std::string port = "UDP port " + std::to_string(GpsUdpPort);
    lastFailure_ = result == UdpListener::StartResult::AddressInUse
                       ? port + " is in use by another program; close it or choose another Listen Port"
                       : port + ": " + SystemReason(GpsUdpSocket.lastError());
    switch (result) {
    case UdpListener::StartResult::Listening:
        lastFailure_.clear();
        GpsUdpListening = true;
        setStatus("Listening:%1", 0x008000, {QString::number(GpsUdpPort)});
        SetTranslatedText(btnTCPConnect, "Stop");
        if (onListening) onListening();
        break;
    case UdpListener::StartResult::SocketError:
        setStatus("Socket Error", 0x0000FF);
        break;
    case UdpListener::StartResult::AddressInUse:
        setStatus("Port in use", 0x0000FF);
        break;
    case UdpListener::StartResult::OtherError:
        setStatus("Error %1", 0x0000FF, {QString::number(GpsUdpSocket.lastError())});
        break;
    }
}

std::string GpsUdpInputGroup::notListeningReason() const
{
    if (!lastFailure_.empty()) return lastFailure_;
    return "UDP port " + std::to_string(ParsePortNumber(edTCPPort->text().toStdString(), kDefaultGpsUdpPort)) +
           " is not listening; press Start Listening in the Settings window or tick Auto-start on Realtime start";
}

} // namespace vsx
