#pragma once
// The "Veldor NTRIP Client" window: the user's front end to the NTRIP client, which it creates
// and owns. It keeps the caster settings ([NTRIP]) and the saved profiles, fetches and lists the
// mount points, connects and disconnects, chooses where the uploaded position comes from, shows a
// time-stamped log, byte counters and a progress bar, and can copy the correction stream to a
// second serial port. It connects at start when a mount point was saved, and shows itself when
// corrections stop once the main window has shown it. Every received block passes the
// base-station watch; "RTCM Parsing" builds the RTCM report.
//
// The main window hands it the GNSS receiver's port whenever that port opens or closes
// (SetSerialPortHandle) and the vessel's position every map tick (UpdatePosition).
#include "input/CorrectionOutput.h"
#include "input/NtripClient.h"
#include "input/RtcmBaseStationWatch.h"

#include <QByteArray>
#include <QStringList>
#include <QWidget>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTimer;

namespace vsx {

class NtripClientSignals;

class NtripWindow : public QWidget {
    Q_OBJECT
public:
    explicit NtripWindow(QWidget* parent = nullptr);
    // Saves [NTRIP], closes the output port and disconnects.
    ~NtripWindow() override;

    QComboBox* boxProfile;
    QPushButton* btnSaveProfile;
    QLineEdit* edtServer;
    QLineEdit* edtPort;
    QLineEdit* edtUsername;
    QLineEdit* edtPassword;
    QRadioButton* rbFromGPS;
    QRadioButton* rbManual;
    QLineEdit* edtLatitude;
    QLineEdit* edtLongitude;
    QComboBox* boxMountpoint;
    QPushButton* btnFetchSources;
    QCheckBox* chkShowLog;
    QProgressBar* pbProgress;
    QPlainTextEdit* memoLog;
    QCheckBox* chkOutputPort;
    QComboBox* boxOutputPort;
    QComboBox* boxOutputBaud;
    QLabel* lblBytesReceivedValue;
    QLabel* lblBytesSentValue;
    QPushButton* btnConnect;
    QPushButton* parseRtcmButton; // "RTCM Parsing"
    QPushButton* btnClose;
    QTimer* tmrUpdate;

    TVeldorNTRIPClient& Client() { return *client_; }

    // ---- Called by the main window ---------------------------------------------------------------
    // The receiver's port that gets the corrections, and its name ("COM5"); null revokes it.
    void SetSerialPortHandle(CorrectionOutputPtr handle, const std::string& portName);
    void UpdatePosition(double latitude, double longitude, double height);
    bool AutoShow = false; // set when the main window has shown this window

    std::string IniFileName, ProfilesFileName;
    std::string GpsPortName;
    bool StartupConnectPending = false;
    bool HasData = false;
    bool AutoConnect = false;
    // The remembered reference station (the base-station watch's).
    const RtcmBaseStation& Base() const { return watch_.Base(); }

    // The profiles file of an older version: the program's own folder.
    static std::string OldProfilesFileName();

public slots:
    void onShown();
    void onProfileChosen();
    void onSaveProfileClicked();
    void onFetchSourcesClicked();
    void onConnectClicked();
    void onCloseClicked();
    void onFromGnssChosen();
    void onManualChosen();
    void onShowLogToggled();
    void onOutputPortToggled();
    void onUpdateTick();
    void onParseRtcmClicked();

    void onClientStatus(vsx::NTRIPClientState state, const std::string& text);
    void onClientData(const QByteArray& bytes, bool forwarded);
    void onClientSourceTable(const std::vector<std::string>& mountPoints);
    void onClientLog(const std::string& text);
    void onClientEnded();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setUpClient();
    // A line of the log, in the interface's language (english is a key, "%1" ... filled from args).
    void AddLog(const char* english, const QStringList& args = {});
    void AddLogLine(const QString& text);
    void showLastLogLine();
    void FillOutputPorts();
    void LoadProfileList();
    void LoadSettings();
    void SaveSettings();
    void UpdatePositionControls();
    void SaveProfile();
    // The output port's enable: the chosen port takes the stream, or the receiver's port again.
    void OpenOutputPort();
    void CloseOutputPort();
    void watchBaseStation(const char* bytes, std::size_t count);
    void reportBase(const RtcmBaseStation& base);
    // Shows the hidden window when corrections stopped, and logs why.
    void popUp(const char* why);
    void buildControls();
    void setClientCaster();
    // The connect button's work; `byUser` false for the start-up connect, which opens no dialog.
    void connectOrDisconnect(bool byUser);
    // False, after telling the user (a message, or the log when not the user's action), when the
    // port edit does not hold a port number.
    bool checkPort(bool byUser);
    // After Connect or FetchSourceTable: the button follows whether the client now runs.
    void clientStarted();

    std::unique_ptr<TVeldorNTRIPClient> client_;
    NtripClientSignals* signals_ = nullptr;
    bool warnedNoReceiverPort_ = false;
    // The client connects, is connected or waits to reconnect: from a start until it ends by
    // itself or is disconnected.
    bool clientRunning_ = false;
    std::chrono::steady_clock::time_point lastDataTime_;
    RtcmBaseStationWatch watch_;
};

} // namespace vsx
