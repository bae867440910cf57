#pragma once
// One serial device (GNSS receiver, echosounder, an extra vessel's receiver), polled on the
// interactive thread. The poll timer takes what the port holds (at most 1023 bytes a tick), cuts
// it into lines, writes each line to the optional raw log, reads it once into the fix it
// publishes (Fix(), input/ReceiverFix.h), hands it to the owner (OnNewCommand) and then takes the
// line's values into its last values (the getters), raising the position and speed events.
// Inside OnNewCommand the owner thus reads the fix of the very line it is handed (Fix() and
// LastSentence()), while the getters and the events still follow the owner. The no-data timer
// reports silence (OnIdle).
//
// A sentence whose checksum is present and wrong is still logged and handed to the owner, but
// it changes nothing of the fix: inside OnNewCommand, LastLineChecksum() says
// NmeaChecksum::Invalid for it, and ChecksumErrors() counts such lines.
//
// Input that is waiting at the port right after Open has opened and purged it reached the port
// before this session (a device that kept sending while the port was closed): it is written to
// the raw log as received, and neither handed to the owner nor parsed; nor is the line that the
// input ends in, whose start was waiting too. So no line of the session before is used as new.
//
// A GGA without a checksum is used only when it is whole (GgaComplete): one cut short is logged
// and handed to the owner, but changes nothing, as a wrong checksum does.
//
// When the device goes away while open (unplugged, hung up), the receiver lets go of the port
// at once (so writers through Handle() fail cleanly and the device node is free), forgets its
// last values (they no longer describe the device), raises OnDeviceLost and tries to open the
// same port again every ReconnectInterval ms. Each try is one non-blocking open on the
// interactive thread: a device that is not there fails at once. When the device is back, the
// receiver reads again and raises OnDeviceBack. It stays Connected all the while, OnIdle reports
// the silence as usual, and Close ends the tries.
#include "input/NmeaLineCutter.h"
#include "input/NmeaParser.h"
#include "platform/AppendFile.h"
#include "platform/SerialPort.h"

#include <QObject>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

class QTimer;

namespace vsx {

// The port named in OnConnect and OnDisconnect: the number n of "COMn". Numbers above 20 are
// valid values too (ports run to COM256).
enum TVGPSCommPort : int {
    cpNone = 0, cpCOM1, cpCOM2, cpCOM3, cpCOM4, cpCOM5, cpCOM6, cpCOM7, cpCOM8, cpCOM9, cpCOM10,
    cpCOM11, cpCOM12, cpCOM13, cpCOM14, cpCOM15, cpCOM16, cpCOM17, cpCOM18, cpCOM19, cpCOM20
};

class TVeldorSerialGPS : public QObject, private NmeaParser::Listener {
    Q_OBJECT
public:
    // How often a lost device's port is tried again: soon enough that a cable put back is read
    // within seconds, seldom enough that an absent device costs nothing.
    static constexpr int kDefaultReconnectIntervalMs = 3000;

    explicit TVeldorSerialGPS(QObject* owner = nullptr);
    ~TVeldorSerialGPS() override;

    // Settings, written by the owner while the port is closed and taken by Open.
    int PortNumber = 1;        // n of "COMn"
    int BaudRate = 9600;
    int DataBitsCode = 4;      // data bits = code + 4
    int StopBitsCode = 1;      // 1 one, 2 one and a half, 3 two; anything else one
    int ParityCode = 0;        // 0 none, 1 odd, 2 even, 3 mark, 4 space; above 4 the port's own
    std::uint8_t Priority = 3; // kept for the owner; no effect
    int PollInterval = 50;     // ms; below 1 gives 50
    int NoDataInterval = 10000;  // ms; below 1 gives 10000
    int ReconnectInterval = kDefaultReconnectIntervalMs;  // ms between tries on a lost device; below 1 gives the default
    bool RawLogEnabled = false;
    bool RawLogTimeStamps = false;
    bool EnableDTR = false;
    bool EnableRTS = false;
    std::string RawLogFileName;
    // The settings file whose [SERIAL_PORTS] maps the port name to a device; empty means
    // serialPortSettingsFile().
    std::string SettingsFileName;

    void Open();
    void Close();
    void Write(const std::string& text);

    // The open port, shared with writers on other threads (the NTRIP worker); null while closed
    // and after the device went away.
    std::shared_ptr<SerialPort> Handle() const { return port_; }
    bool Connected() const { return connected_; }
    // Open, but the device went away and has not come back yet.
    bool DeviceLost() const { return connected_ && lost_; }
    // Why the last Open failed, or that the device went away; empty otherwise.
    const std::string& LastError() const { return lastError_; }
    // The checksum state of the line being handed out (valid inside OnNewCommand).
    NmeaChecksum LastLineChecksum() const { return parser_.lastRead().checksum; }
    // What the receiver read of the line being handed out, and the fix as it stands with that
    // line (both valid inside OnNewCommand).
    const SentenceRead& LastSentence() const { return parser_.lastRead(); }
    const ReceiverFix& Fix() const { return parser_.published(); }
    // A survey run starts: nothing heard and no position of an earlier run stays current.
    void ForgetFix() { parser_.forget(); }
    long ChecksumErrors() const { return checksumErrors_; }
    // GGA sentences with too few fields or impossible values (ReadGgaSentence): no position.
    long RejectedGga() const { return parser_.rejectedGga(); }

    int GetFixQuality() const { return parser_.fix().fixQuality; }
    int GetSatellites() const { return parser_.fix().satellites; }
    double GetCourse() const { return parser_.fix().course; }
    double GetSpeed() const { return parser_.fix().speed; }
    double GetLatitude() const { return parser_.fix().latitude; }
    double GetLongitude() const { return parser_.fix().longitude; }
    double GetAltitude() const { return parser_.fix().altitude; }

    // One received chunk through the line path (cut, raw log, read, OnNewCommand, last values
    // and events), as the poll timer runs it.
    void ProcessReceived(std::string_view bytes);
    // Input that was waiting at the port when Open had opened it, as Open takes it: to the raw
    // log only, the line it ends in included.
    void TakeWaitingInput(std::string_view bytes);

public slots:
    void PollTimerTick();
    void NoDataTimerTick();
    void ReconnectTimerTick();

signals:
    void OnConnect(vsx::TVeldorSerialGPS* sender, vsx::TVGPSCommPort port);
    void OnDisconnect(vsx::TVeldorSerialGPS* sender, vsx::TVGPSCommPort port);
    void OnIdle(vsx::TVeldorSerialGPS* sender);
    // Declared for owners; the receiver itself never raises it.
    void OnTimeout(vsx::TVeldorSerialGPS* sender);
    void OnNewCommand(vsx::TVeldorSerialGPS* sender, const std::string& command);
    void OnSend(vsx::TVeldorSerialGPS* sender, std::string buffer);
    void OnPosition3DChange(vsx::TVeldorSerialGPS* sender, double latitude, double longitude, double altitude);
    void OnSpeedChange(vsx::TVeldorSerialGPS* sender, double value);
    // The device of an open receiver went away, and later came back on the same port.
    void OnDeviceLost(vsx::TVeldorSerialGPS* sender, vsx::TVGPSCommPort port);
    void OnDeviceBack(vsx::TVeldorSerialGPS* sender, vsx::TVGPSCommPort port);
    // Each write of the raw log: the file, whether the line reached it and, when not, the
    // system's reason.
    void OnRawLogWrite(vsx::TVeldorSerialGPS* sender, const std::string& file, bool written, const std::string& reason);

private:
    void ProcessBuffer();
    void WriteRawLog(const std::string& line);
    void PortLost();
    std::string readWaitingInput();
    // Opens the port named by number with the line settings; null with lastError_ set.
    std::shared_ptr<SerialPort> openPort(int portNumber, const SerialLineSettings& line);
    bool positionChanged(double latitude, double longitude, double altitude) override;
    bool speedChanged(double speedKmh) override;

    QTimer* pollTimer_ = nullptr;
    QTimer* noDataTimer_ = nullptr;
    QTimer* reconnectTimer_ = nullptr;
    std::shared_ptr<SerialPort> port_;
    bool connected_ = false;
    bool lost_ = false;
    int openedPortNumber_ = 0;        // the port and line settings of the open session, which a
    SerialLineSettings openedLine_;   // lost device is opened with again
    std::string lastError_;
    NmeaLineCutter cutter_;  // the receive text
    bool waitingLineOpen_ = false;  // the pending text began with input waiting at the open
    NmeaParser parser_;      // the published fix and the last values
    AppendFile rawLog_;
    bool dataSinceLastTick_ = false;
    bool idleReported_ = false;
    bool inTick_ = false;        // a handler's nested event loop must not re-enter the tick
    unsigned session_ = 0;       // changes at every Open and Close; a handler may do either
    long checksumErrors_ = 0;
};

// "COM7" -> 7, "com3" -> 3, "12" -> 12; a text that is no number after the optional "COM" gives
// 1, as does 0 or less. There is no upper clamp: "COM25" is 25, and a name no device stands for
// fails to open rather than opening another port.
int PortNumberFromName(std::string_view text);
// "COM" followed by n.
std::string PortNameFromNumber(int n);
// The rate when it is one the receivers support, else 9600.
int ValidBaudRate(int rate);
// The settings file that holds [SERIAL_PORTS] (the program's settings file).
std::string serialPortSettingsFile();

} // namespace vsx
