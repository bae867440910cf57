#include "input/windows/NtripWindow.h"

#include "app/Translated.h"
#include "app/windows/WindowTranslation.h"
#include "app/Settings.h"
#include "app/windows/WindowPointers.h"
#include "app/windows/WindowSetup.h"
#include "input/NtripClientSignals.h"
#include "input/NtripProfiles.h"
#include "input/NtripSettings.h"
#include "input/RtcmReport.h"
#include "input/windows/RtcmReportWindow.h"
#include "platform/Clock.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/Prompts.h"
#include "platform/SerialPortMap.h"
#include "platform/Text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace vsx {
namespace {

constexpr int kUpdateIntervalMs = 500;
constexpr auto kNoDataShowAfter = std::chrono::seconds(30);
constexpr const char* kThisPortItem = "This port (GPS)";

QString q(const std::string& bytes) { return fromCp1254(bytes); }
std::string s(const QString& text) { return toCp1254(text); }

// "###,###,###,##0": digit groups of three, separated by commas.
std::string grouped(long long value)
{
    std::string digits = std::to_string(value < 0 ? -value : value);
    for (int i = int(digits.size()) - 3; i > 0; i -= 3) digits.insert(std::size_t(i), ",");
    return value < 0 ? "-" + digits : digits;
}

QLabel* label(const char* text, QWidget* parent) { return new QLabel(QString::fromUtf8(text), parent); }

} // namespace

NtripWindow::NtripWindow(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"frmNTRIPSettings", "Veldor NTRIP Client", false, QSize(640, 560)});
    buildControls();

    lastDataTime_ = clock().monotonic();
    IniFileName = GetIniFileName();
    ProfilesFileName = IniFileName.substr(0, IniFileName.find_last_of('/') + 1) + "profiles.txt";
    MoveOldProfiles(OldProfilesFileName(), ProfilesFileName);
    setUpClient();
}

NtripWindow::~NtripWindow()
{
    tmrUpdate->stop();
    SaveSettings();
    CloseOutputPort();
    // Unbound first: the worker's last words have no window to go to.
    delete signals_;
    signals_ = nullptr;
    client_.reset();
}

std::string NtripWindow::OldProfilesFileName() { return withTrailingSlash(programFolder()) + "profiles.txt"; }

void NtripWindow::buildControls()
{
    auto named = [](auto* w, const char* name) {
        w->setObjectName(name);
        return w;
    };
    boxProfile = named(new QComboBox(this), "boxProfile");
    btnSaveProfile = named(new QPushButton(QStringLiteral("+"), this), "btnSaveProfile");
    btnSaveProfile->setToolTip(QStringLiteral("Save the current settings as a profile"));
    btnSaveProfile->setFixedWidth(32);
    edtServer = named(new QLineEdit(this), "edtServer");
    edtPort = named(new QLineEdit(QStringLiteral("2101"), this), "edtPort");
    edtUsername = named(new QLineEdit(this), "edtUsername");
    edtPassword = named(new QLineEdit(this), "edtPassword");
    edtPassword->setEchoMode(QLineEdit::Password);
    rbFromGPS = named(new QRadioButton(QStringLiteral("From GPS"), this), "rbFromGPS");
    rbFromGPS->setChecked(true);
    rbManual = named(new QRadioButton(QStringLiteral("Manual"), this), "rbManual");
    edtLatitude = named(new QLineEdit(QStringLiteral("0.0"), this), "edtLatitude");
    edtLongitude = named(new QLineEdit(QStringLiteral("0.0"), this), "edtLongitude");
    edtLatitude->setEnabled(false);
    edtLongitude->setEnabled(false);
    boxMountpoint = named(new QComboBox(this), "boxMountpoint");
    boxMountpoint->setMinimumContentsLength(16);
    btnFetchSources = named(new QPushButton(QStringLiteral("Fetch Sources"), this), "btnFetchSources");
    chkShowLog = named(new QCheckBox(QStringLiteral("Show Log"), this), "chkShowLog");
    chkShowLog->setChecked(true);
    pbProgress = named(new QProgressBar(this), "pbProgress");
    pbProgress->setRange(0, 100);
    pbProgress->setTextVisible(false);
    memoLog = named(new QPlainTextEdit(this), "memoLog");
    memoLog->setReadOnly(true);
    memoLog->setMaximumBlockCount(100);
    memoLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoLog->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    memoLog->setMinimumSize(560, 200);
    chkOutputPort = named(new QCheckBox(QStringLiteral("Enable"), this), "chkOutputPort");
    boxOutputPort = named(new QComboBox(this), "boxOutputPort");
    boxOutputBaud = named(new QComboBox(this), "boxOutputBaud");
    for (int rate : kNtripOutputBaudRates) boxOutputBaud->addItem(QString::number(rate));
    boxOutputBaud->setCurrentIndex(5);
    lblBytesReceivedValue = named(new QLabel(QStringLiteral("0"), this), "lblBytesReceivedValue");
    lblBytesSentValue = named(new QLabel(QStringLiteral("0"), this), "lblBytesSentValue");
    for (QLabel* l : {lblBytesReceivedValue, lblBytesSentValue}) l->setStyleSheet(QStringLiteral("color: green;"));
    btnConnect = named(new QPushButton(QStringLiteral("Connect"), this), "btnConnect");
    parseRtcmButton = named(new QPushButton(QStringLiteral("RTCM Parsing"), this), "Button1");
    btnClose = named(new QPushButton(QStringLiteral("Close"), this), "btnClose");
    tmrUpdate = named(new QTimer(this), "tmrUpdate");
    tmrUpdate->setInterval(kUpdateIntervalMs);

    auto* caster = new QGroupBox(QStringLiteral("Caster"), this);
    auto* c = new QGridLayout(caster);
    c->addWidget(label("Profile", caster), 0, 0);
    c->addWidget(boxProfile, 0, 1, 1, 2);
    c->addWidget(btnSaveProfile, 0, 3, Qt::AlignLeft);
    c->addWidget(label("Server Address", caster), 1, 0);
    c->addWidget(edtServer, 1, 1);
    c->addWidget(label("Port", caster), 1, 2);
    c->addWidget(edtPort, 1, 3);
    c->addWidget(label("Username", caster), 2, 0);
    c->addWidget(edtUsername, 2, 1);
    c->addWidget(label("Password", caster), 2, 2);
    c->addWidget(edtPassword, 2, 3);
    c->addWidget(label("Mountpoint", caster), 3, 0);
    c->addWidget(boxMountpoint, 3, 1);
    c->addWidget(btnFetchSources, 3, 2, 1, 2);

    auto* position = new QGroupBox(QStringLiteral("Output Position"), this);
    auto* p = new QGridLayout(position);
    p->addWidget(rbFromGPS, 0, 0);
    p->addWidget(rbManual, 0, 1);
    p->addWidget(label("Latitude (deg)", position), 1, 0);
    p->addWidget(edtLatitude, 1, 1);
    p->addWidget(label("Longitude (deg)", position), 1, 2);
    p->addWidget(edtLongitude, 1, 3);

    auto* output = new QGroupBox(QStringLiteral("Output Port"), this);
    auto* o = new QHBoxLayout(output);
    o->addWidget(chkOutputPort);
    o->addWidget(boxOutputPort, 1);
    o->addWidget(label("Baud", output));
    o->addWidget(boxOutputBaud);

    auto* counters = new QHBoxLayout;
    counters->addWidget(label("Bytes Received", this));
    counters->addWidget(lblBytesReceivedValue);
    counters->addSpacing(20);
    counters->addWidget(label("Bytes Sent", this));
    counters->addWidget(lblBytesSentValue);
    counters->addStretch();
    counters->addWidget(chkShowLog);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnConnect);
    buttons->addWidget(parseRtcmButton);
    buttons->addStretch();
    buttons->addWidget(btnClose);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize); // a fixed window that shrinks with the log hidden
    layout->addWidget(caster);
    layout->addWidget(position);
    layout->addWidget(output);
    layout->addLayout(counters);
    layout->addWidget(pbProgress);
    layout->addWidget(memoLog);
    layout->addLayout(buttons);

    connect(boxProfile, &QComboBox::activated, this, &NtripWindow::onProfileChosen);
    connect(btnSaveProfile, &QPushButton::clicked, this, &NtripWindow::onSaveProfileClicked);
    connect(btnFetchSources, &QPushButton::clicked, this, &NtripWindow::onFetchSourcesClicked);
    connect(btnConnect, &QPushButton::clicked, this, &NtripWindow::onConnectClicked);
    connect(btnClose, &QPushButton::clicked, this, &NtripWindow::onCloseClicked);
    connect(rbFromGPS, &QRadioButton::toggled, this, [this](bool on) {
        if (on) onFromGnssChosen();
    });
    connect(rbManual, &QRadioButton::toggled, this, [this](bool on) {
        if (on) onManualChosen();
    });
    connect(chkShowLog, &QCheckBox::toggled, this, &NtripWindow::onShowLogToggled);
    connect(chkOutputPort, &QCheckBox::toggled, this, &NtripWindow::onOutputPortToggled);
    connect(parseRtcmButton, &QPushButton::clicked, this, &NtripWindow::onParseRtcmClicked);
    connect(tmrUpdate, &QTimer::timeout, this, &NtripWindow::onUpdateTick);
    // The log shows its newest line whenever it grows or the view changes size. (The view's own
    // following works only from its end, and lines added while the window is hidden, or laid
    // out later, leave it short of the end.)
    connect(memoLog->verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] { showLastLogLine(); });
}

void NtripWindow::setUpClient()
{
    FillOutputPorts();
    client_ = std::make_unique<TVeldorNTRIPClient>();
    signals_ = new NtripClientSignals(*client_, this);
    connect(signals_, &NtripClientSignals::status, this, &NtripWindow::onClientStatus);
    connect(signals_, &NtripClientSignals::data, this, &NtripWindow::onClientData);
    connect(signals_, &NtripClientSignals::sourceTable, this, &NtripWindow::onClientSourceTable);
    connect(signals_, &NtripClientSignals::log, this, &NtripWindow::onClientLog);
    connect(signals_, &NtripClientSignals::ended, this, &NtripWindow::onClientEnded);
    LoadProfileList();
    LoadSettings();
    AddLog("Veldor NTRIP Client initialized");
    tmrUpdate->start();
}

void NtripWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    onShown();
}

void NtripWindow::onShown()
{
    UpdatePositionControls();
    showLastLogLine();
}

// ---- Log, lists and settings ------------------------------------------------------------------

void NtripWindow::AddLog(const char* english, const QStringList& args) { AddLogLine(translatedArgs(english, args)); }

void NtripWindow::AddLogLine(const QString& text)
{
    const LocalDateTime t = localNow();
    // The log keeps its last 100 lines (its block limit drops the first ones).
    memoLog->appendPlainText(q(formatPadded(t.hour, 2) + ":" + formatPadded(t.minute, 2) + ":" + formatPadded(t.second, 2)) +
                             " " + text);
}

void NtripWindow::showLastLogLine()
{
    QScrollBar* bar = memoLog->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void NtripWindow::FillOutputPorts()
{
    boxOutputPort->clear();
    boxOutputPort->addItem(QString::fromUtf8(kThisPortItem));
    for (const std::string& name : listSerialPorts(IniFileName)) boxOutputPort->addItem(q(name));
    boxOutputPort->setCurrentIndex(0);
}

void NtripWindow::LoadProfileList()
{
    boxProfile->clear();
    boxProfile->addItem(QStringLiteral("<New Profile>"));
    for (const std::string& name : NtripProfilesFile(ProfilesFileName).Names()) boxProfile->addItem(q(name));
    const std::string last = ReadNtripSettings(IniFileName).LastProfile;
    const int found = last.empty() ? -1 : boxProfile->findText(q(last), Qt::MatchExactly);
    boxProfile->setCurrentIndex(found >= 0 ? found : boxProfile->count() >= 2 ? 1 : 0);
}

void NtripWindow::LoadSettings()
{
    const NtripSettings st = ReadNtripSettings(IniFileName);
    {
        const QSignalBlocker b1(rbFromGPS), b2(rbManual), b3(chkOutputPort);
        edtServer->setText(q(st.Server));
        edtPort->setText(q(st.Port));
        edtUsername->setText(q(st.Username));
        edtPassword->setText(q(st.Password));
        if (!st.MountPoint.empty()) {
            boxMountpoint->clear();
            boxMountpoint->addItem(q(st.MountPoint));
            boxMountpoint->setCurrentIndex(0);
        }
        (st.UseManualPosition ? rbManual : rbFromGPS)->setChecked(true);
        edtLatitude->setText(q(st.Latitude));
        edtLongitude->setText(q(st.Longitude));
        if (!st.OutputPort.empty()) {
            const int i = boxOutputPort->findText(q(st.OutputPort), Qt::MatchExactly);
            if (i >= 0) boxOutputPort->setCurrentIndex(i);
        }
        boxOutputBaud->setCurrentIndex(st.OutputBaud >= 0 && st.OutputBaud < boxOutputBaud->count() ? st.OutputBaud : -1);
        chkOutputPort->setChecked(st.OutputEnabled);
        AutoConnect = st.AutoConnect;
    }
    UpdatePositionControls();
    if (chkOutputPort->isChecked()) OpenOutputPort();
    const std::string mount = s(boxMountpoint->currentText());
    if (!mount.empty()) {
        // A saved mount point alone schedules the connection at start.
        AutoConnect = true;
        StartupConnectPending = true;
        AddLog("Auto-connect on startup - will connect to %1", {q(mount)});
    }
}

void NtripWindow::SaveSettings()
{
    NtripSettings st;
    st.Server = s(edtServer->text());
    // A port that is not one is never stored: the last good one stays.
    st.Port = NtripPortNumber(s(edtPort->text())) ? s(edtPort->text()) : ReadNtripSettings(IniFileName).Port;
    st.Username = s(edtUsername->text());
    st.Password = s(edtPassword->text());
    st.MountPoint = s(boxMountpoint->currentText());
    st.UseManualPosition = rbManual->isChecked();
    st.Latitude = s(edtLatitude->text());
    st.Longitude = s(edtLongitude->text());
    st.OutputPort = s(boxOutputPort->currentText());
    st.OutputBaud = boxOutputBaud->currentIndex();
    st.OutputEnabled = chkOutputPort->isChecked();
    st.AutoConnect = AutoConnect;
    st.LastProfile = s(boxProfile->currentText());
    WriteNtripSettings(IniFileName, st);
}

void NtripWindow::UpdatePositionControls()
{
    const bool manual = rbManual->isChecked();
    const QPalette::ColorRole background = manual ? QPalette::Base : QPalette::Button;
    for (QLineEdit* e : {edtLatitude, edtLongitude}) {
        e->setEnabled(manual);
        e->setReadOnly(!manual);
        QPalette pal = e->palette();
        pal.setColor(QPalette::Base, palette().color(background));
        e->setPalette(pal);
    }
    if (client_) client_->UseManualPosition = manual;
}

void NtripWindow::onFromGnssChosen() { UpdatePositionControls(); }
void NtripWindow::onManualChosen() { UpdatePositionControls(); }

void NtripWindow::onShowLogToggled() { memoLog->setVisible(chkShowLog->isChecked()); }

void NtripWindow::onCloseClicked() { hide(); }

// ---- Profiles ---------------------------------------------------------------------------------

void NtripWindow::onSaveProfileClicked()
{
    if (checkPort(true)) SaveProfile();
}

void NtripWindow::SaveProfile()
{
    NtripProfile p;
    p.Server = s(edtServer->text());
    p.Port = s(edtPort->text());
    p.Username = s(edtUsername->text());
    p.Password = s(edtPassword->text());
    p.Latitude = s(edtLatitude->text());
    p.Longitude = s(edtLongitude->text());
    const std::optional<std::string> name = NtripProfilesFile(ProfilesFileName).Save(p);
    if (name) AddLog("Profile saved: %1", {q(*name)});
    else AddLog("Error saving profile");
    LoadProfileList();
    const std::string shown = name.value_or(NtripProfileName(p.Server, p.Port, p.Username));
    const int i = boxProfile->findText(q(shown), Qt::MatchExactly);
    if (i >= 0) boxProfile->setCurrentIndex(i);
}

void NtripWindow::onProfileChosen()
{
    const int n = boxProfile->currentIndex();
    if (n < 1 || !fileExists(ProfilesFileName)) return;
    // Item n is the n-th profile line: the list shows only lines that hold a TAB.
    const auto fields = NtripProfilesFile(ProfilesFileName).Fields(std::size_t(n - 1));
    if (!fields) return;
    const std::vector<std::string>& f = *fields;
    if (f.size() > 4) {
        edtServer->setText(q(f[1]));
        edtPort->setText(q(f[2]));
        edtUsername->setText(q(f[3]));
        edtPassword->setText(q(f[4]));
    }
    if (f.size() > 6) {
        edtLatitude->setText(q(f[5]));
        edtLongitude->setText(q(f[6]));
    }
}

// ---- Connection -------------------------------------------------------------------------------

bool NtripWindow::checkPort(bool byUser)
{
    if (NtripPortNumber(s(edtPort->text()))) return true;
    const QString why = translatedArgs("Port: '%1' is not a port number. Type a whole number from 1 to 65535.",
                                       {edtPort->text()});
    if (!byUser) {
        // The start-up connect runs from the timer: no dialog, the log says why nothing connects.
        AddLogLine(why);
        return false;
    }
    prompts().message(why, windowTitle(), PromptKind::Warning, this);
    edtPort->setFocus();
    edtPort->selectAll();
    return false;
}

void NtripWindow::setClientCaster()
{
    client_->Host = s(edtServer->text().trimmed());
    client_->Port = NtripPortNumber(s(edtPort->text())).value_or(2101);
    client_->Username = s(edtUsername->text());
    client_->Password = s(edtPassword->text());
}

void NtripWindow::clientStarted()
{
    // Nothing starts without a caster address.
    clientRunning_ = client_->HasWorker();
    SetTranslatedText(btnConnect, clientRunning_ ? "Disconnect" : "Connect");
}

void NtripWindow::onFetchSourcesClicked()
{
    if (!checkPort(true)) return;
    setClientCaster();
    AddLog("Fetching source table...");
    btnFetchSources->setEnabled(false);
    client_->FetchSourceTable();
    clientStarted();
    // Without a caster address nothing starts, so nothing would give the button back.
    if (!clientRunning_) btnFetchSources->setEnabled(true);
}

void NtripWindow::onConnectClicked() { connectOrDisconnect(true); }

void NtripWindow::connectOrDisconnect(bool byUser)
{
    // Connecting, connected or waiting to reconnect: the button reads Disconnect, and one press
    // ends the connection and every reconnect to come.
    if (clientRunning_ || client_->Connected()) {
        AddLog("Disconnecting (manual)...");
        AutoConnect = false;
        SaveSettings();
        client_->Disconnect();  // also switches the reconnects off, once its worker has stopped
        clientRunning_ = false;
        SetTranslatedText(btnConnect, "Connect");
        // Disconnect reports no state: the caption would go on showing the last one.
        SetTranslatedText(this, "Veldor NTRIP Client - Disconnected");
        return;
    }
    const std::string mount = s(boxMountpoint->currentText());
    if (mount.empty()) {
        AddLog("Please select a mountpoint first");
        return;
    }
    if (!checkPort(byUser)) return;
    SaveSettings();
    setClientCaster();
    client_->MountPoint = mount;
    client_->UseManualPosition = rbManual->isChecked();
    // The edits hold the typed position, or the receiver's last one.
    GgaPosition position = client_->GetGgaPosition();
    position.Latitude = parseDouble(s(edtLatitude->text())).value_or(0.0);
    position.Longitude = parseDouble(s(edtLongitude->text())).value_or(0.0);
    client_->SetGgaPosition(position);
    AddLog("Position: %1, %2", {edtLatitude->text(), edtLongitude->text()});
    AddLog("Connecting to %1:%2/%3", {edtServer->text(), edtPort->text(), q(mount)});
    client_->AutoReconnect = true;
    client_->Connect();
    clientStarted();
}

void NtripWindow::popUp(const char* why)
{
    // Shown as a plain window: a modal one would lock the main window in the middle of a survey.
    setWindowModality(Qt::NonModal);
    show();
    raise();
    AddLog(why);
}

void NtripWindow::onClientStatus(NTRIPClientState state, const std::string&)
{
    if (state == NTRIPClientState::Disconnected || state == NTRIPClientState::Error) {
        btnFetchSources->setEnabled(true);
        if (HasData) {
            HasData = false;
            if (!isVisible() && AutoShow) popUp("Connection lost - showing NTRIP settings");
        }
    }
    if (state == NTRIPClientState::Receiving) {
        HasData = true;
        if (!AutoConnect) {
            AutoConnect = true;
            SaveSettings();
            AddLog("Auto-connect enabled for next startup");
        }
    }
    // Only a running client reports (an ended connection's events are dropped on the way). A lost
    // connection or a failure leaves it running while a reconnect is due: the button still reads
    // Disconnect, until the client says it has ended.
    if (state == NTRIPClientState::Connecting || state == NTRIPClientState::Connected ||
        state == NTRIPClientState::Receiving)
        clientRunning_ = true;
    const char* stopOrStart = clientRunning_ ? "Disconnect" : "Connect";
    const char* button = nullptr;
    const char* caption = nullptr;
    switch (state) {
    case NTRIPClientState::Disconnected: button = stopOrStart; caption = "Veldor NTRIP Client - Disconnected"; break;
    case NTRIPClientState::Connecting: button = "Disconnect"; caption = "Veldor NTRIP Client - Connecting..."; break;
    case NTRIPClientState::Connected: button = "Disconnect"; caption = "Veldor NTRIP Client - Connected"; break;
    case NTRIPClientState::Receiving: button = "Disconnect"; caption = "Veldor NTRIP Client - Receiving Data"; break;
    case NTRIPClientState::Error: button = stopOrStart; caption = "Veldor NTRIP Client - Error"; break;
    }
    if (!button) return;
    SetTranslatedText(btnConnect, button);
    SetTranslatedText(this, caption);
}

void NtripWindow::onClientEnded()
{
    clientRunning_ = false;
    btnFetchSources->setEnabled(true);
    SetTranslatedText(btnConnect, "Connect");
}

void NtripWindow::onClientData(const QByteArray& bytes, bool forwarded)
{
    lastDataTime_ = clock().monotonic();
    // The client has passed the bytes to a port already (CorrectionRouter). Received is not
    // delivered when they go to the receiver's port and there is none: say so once, until the
    // receiver's port is handed over or the output changes.
    if (!forwarded && client_->Corrections().receiverPortMissing() && !warnedNoReceiverPort_) {
        warnedNoReceiverPort_ = true;
        AddLog("No GNSS receiver port is open - corrections are not passed on");
    }
    watchBaseStation(bytes.constData(), std::size_t(bytes.size()));
}

void NtripWindow::onClientSourceTable(const std::vector<std::string>& mountPoints)
{
    btnFetchSources->setEnabled(true);
    boxMountpoint->clear();
    for (const std::string& m : mountPoints) boxMountpoint->addItem(q(m));
    if (!mountPoints.empty()) boxMountpoint->setCurrentIndex(0);
    AddLog("Found %1 mount points", {QString::number(mountPoints.size())});
}

void NtripWindow::onClientLog(const std::string& text)
{
    // The client's own lines, read back to their keys so that they show in the interface's language.
    AddLogLine(translatedMessage(q(text), {"Disconnected", "Error: Caster address is empty", "Serial port handle cleared",
                                           "Serial port handle set", "Failed to create socket", "Connection closed",
                                           "Invalid chunked data from caster", "Receiving correction data",
                                           "401 - Invalid username or password", "403 - Access forbidden",
                                           "Unknown server response", "404 - Mount point not found: %1",
                                           "Source table parsed: %1 mount points", "Reconnect attempt %1/%2",
                                           "Connecting to %1:%2", "Failed to resolve host: %1", "Failed to connect to %1",
                                           "Connected to %1", "Server response: %1"}));
}

void NtripWindow::onUpdateTick()
{
    if (!client_) return;
    if (StartupConnectPending) {
        StartupConnectPending = false;
        if (!clientRunning_ && !client_->Connected()) {
            AddLog("Auto-reconnecting...");
            connectOrDisconnect(false);
        }
    }
    if (HasData && client_->Connected() && clock().monotonic() - lastDataTime_ > kNoDataShowAfter && !isVisible() &&
        AutoShow)
        popUp("No data received for 30 seconds - showing NTRIP settings");
    const long long received = client_->BytesReceived();
    lblBytesReceivedValue->setText(q(grouped(received)));
    lblBytesSentValue->setText(q(grouped(client_->BytesSent())));
    pbProgress->setValue(int((received % 5000) / 50));
}

// ---- Hand-over from the main window -----------------------------------------------------------

void NtripWindow::SetSerialPortHandle(CorrectionOutputPtr handle, const std::string& portName)
{
    const bool revoked = !handle;
    warnedNoReceiverPort_ = false;
    client_->SetSerialPortHandle(std::move(handle));
    AddLog(revoked ? "Serial port handle disconnected" : "Serial port handle connected");
    if (!portName.empty()) {
        GpsPortName = portName;
        if (boxOutputPort->count() > 0) boxOutputPort->setItemText(0, q(portName + " This Port (GPS)"));
    }
}

void NtripWindow::UpdatePosition(double latitude, double longitude, double height)
{
    if (rbManual->isChecked()) return;
    edtLatitude->setText(q(formatFixed(latitude, 8)));
    edtLongitude->setText(q(formatFixed(longitude, 8)));
    client_->SetPosition(latitude, longitude, height);
}

// ---- Output port ------------------------------------------------------------------------------

void NtripWindow::onOutputPortToggled()
{
    if (chkOutputPort->isChecked()) OpenOutputPort();
    else CloseOutputPort();
    SaveSettings();
}

// The item selected at the enable holds until the next one: a change of the list alone changes
// nothing. Item 0 leaves the stream to the receiver's port.
void NtripWindow::OpenOutputPort()
{
    CloseOutputPort();
    const int item = boxOutputPort->currentIndex();
    if (item < 0) {
        AddLog("No output port selected");
        chkOutputPort->setChecked(false);
        return;
    }
    if (item == 0) {
        AddLog("Output enabled: Using GPS input port");
        return;
    }
    const std::string name = s(boxOutputPort->currentText());
    const int baud = NtripOutputBaudRate(boxOutputBaud->currentIndex());
    const std::string device = serialDevicePath(IniFileName, name);
    std::string error;
    SerialOpenStep failed = SerialOpenStep::OpenDevice;
    if (device.empty() || !client_->Corrections().openOutputPort(device, baud, error, &failed)) {
        // Opened, but it took no line settings: closed again, and said as such.
        if (failed == SerialOpenStep::ConfigureLine) AddLog("Failed to configure output port");
        else AddLog("Failed to open output port: %1", {q(name)});
        if (device.empty()) AddLog("%1 is not assigned to a serial device", {q(name)});
        else if (!error.empty()) AddLogLine(q(error));
        chkOutputPort->setChecked(false); // as the user's click: closes and saves
        return;
    }
    AddLog("Output port opened: %1 @ %2", {q(name), QString::number(baud)});
}

void NtripWindow::CloseOutputPort()
{
    if (client_ && client_->Corrections().closeOutputPort()) AddLog("Output port closed");
    warnedNoReceiverPort_ = false;
}

// ---- Base station and RTCM report -------------------------------------------------------------

void NtripWindow::reportBase(const RtcmBaseStation& base)
{
    AddLog("Base %1", {q(BaseStationText(base))});
}

void NtripWindow::watchBaseStation(const char* bytes, std::size_t count)
{
    for (const RtcmBaseStation& base : watch_.Feed(bytes, count)) {
        reportBase(base);
        // Into the events log of the day of the message, only when that day's LOG folder exists;
        // its time to the second, as the base-station records have always been written.
        const std::string date = CurrentDateString();
        const std::string folder = dataRoot() + date + "/LOG/";
        if (folderExists(folder))
            AppendEventLine("NTRIP Base Station " + BaseStationText(base), folder + date + " Events.log",
                            EventTimeStamp::WholeSeconds);
    }
}

void NtripWindow::onParseRtcmClicked()
{
    const std::string bytes = client_ ? client_->CopyLastBytes() : std::string();
    if (bytes.size() < 6) {
        AddLog("No RTCM data to parse");
        return;
    }
    if (!fRTCMParsing) fRTCMParsing = new RtcmReportWindow();
    fRTCMParsing->Clear();
    fRTCMParsing->show();
    fRTCMParsing->raise();

    RtcmReportInputs in;
    in.Bytes = bytes;
    const auto now = clock().now();
    in.Now = toLocal(now);
    in.UtcOffsetMinutes = LocalUtcOffsetMinutes(now);
    const GgaPosition p = client_->GetGgaPosition();
    in.Vessel = RtcmReportVessel{p.Latitude, p.Longitude, p.Height, client_->UseManualPosition.load()};
    const RtcmReport report = BuildRtcmReport(in);
    for (const std::string& line : report.Lines) fRTCMParsing->AddLine(line);
    fRTCMParsing->MemoRTCM->moveCursor(QTextCursor::Start);

    if (report.Base) {
        const RtcmBaseStation& known = watch_.Base();
        const RtcmBaseStation& found = *report.Base;
        const bool same = found.StationId == known.StationId && !(known.Latitude == 0 && known.Longitude == 0) &&
                          std::fabs(found.Latitude - known.Latitude) <= RtcmBaseStationWatch::SamePositionDegrees &&
                          std::fabs(found.Longitude - known.Longitude) <= RtcmBaseStationWatch::SamePositionDegrees;
        if (!same) {
            reportBase(found);
            watch_.SetBase(found);
        }
    }
}

} // namespace vsx
