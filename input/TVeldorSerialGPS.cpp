#include "input/TVeldorSerialGPS.h"

#include "app/Settings.h"
#include "platform/Clock.h"
#include "platform/Numbers.h"
#include "platform/SerialPortMap.h"
#include "platform/Text.h"

#include <QPointer>
#include <QTimer>
#include <cerrno>
#include <climits>

namespace vsx {
namespace {

constexpr int kDefaultPollMs = 50;
constexpr int kDefaultNoDataMs = 10000;
constexpr size_t kReadChunk = 1023;
constexpr size_t kWaitingInputLimit = 1 << 20;

SerialStopBits stopBitsOf(int code)
{
    if (code == 3) return SerialStopBits::Two;
    if (code == 2) return SerialStopBits::OneAndHalf;
    return SerialStopBits::One;
}

SerialParity parityOf(int code)
{
    switch (code) {
    case 0: return SerialParity::None;
    case 1: return SerialParity::Odd;
    case 2: return SerialParity::Even;
    case 3: return SerialParity::Mark;
    case 4: return SerialParity::Space;
    default: return SerialParity::AsFound;
    }
}

// "yyyy-MM-dd HH:nn:ss.zzz "
std::string rawLogStamp()
{
    LocalDateTime t = localNow();
    return formatDate(t) + ' ' + formatPadded(t.hour, 2) + ':' + formatPadded(t.minute, 2) + ':' +
           formatPadded(t.second, 2) + '.' + formatPadded(t.millisecond, 3) + ' ';
}

} // namespace

TVeldorSerialGPS::TVeldorSerialGPS(QObject* owner) : QObject(owner)
{
    pollTimer_ = new QTimer(this);
    pollTimer_->setObjectName("PollTimer");
    pollTimer_->setInterval(kDefaultPollMs);
    connect(pollTimer_, &QTimer::timeout, this, &TVeldorSerialGPS::PollTimerTick);
    noDataTimer_ = new QTimer(this);
    noDataTimer_->setObjectName("NoDataTimer");
    noDataTimer_->setInterval(kDefaultNoDataMs);
    connect(noDataTimer_, &QTimer::timeout, this, &TVeldorSerialGPS::NoDataTimerTick);
    reconnectTimer_ = new QTimer(this);
    reconnectTimer_->setObjectName("ReconnectTimer");
    reconnectTimer_->setInterval(kDefaultReconnectIntervalMs);
    connect(reconnectTimer_, &QTimer::timeout, this, &TVeldorSerialGPS::ReconnectTimerTick);
}

TVeldorSerialGPS::~TVeldorSerialGPS()
{
    pollTimer_->stop();
    noDataTimer_->stop();
    reconnectTimer_->stop();
    pollTimer_->disconnect(this);
    noDataTimer_->disconnect(this);
    reconnectTimer_->disconnect(this);
    // Closing an open port while going away raises nothing.
    disconnect(this, nullptr, nullptr, nullptr);
    blockSignals(true);
    Close();
}

void TVeldorSerialGPS::Open()
{
    if (connected_) return;
    lastError_.clear();
    SerialLineSettings line;
    line.baudRate = BaudRate;
    line.dataBits = DataBitsCode + 4;
    line.stopBits = stopBitsOf(StopBitsCode);
    line.parity = parityOf(ParityCode);
    line.dtr = EnableDTR;
    line.rts = EnableRTS;
    std::shared_ptr<SerialPort> port = openPort(PortNumber, line);
    if (!port) return;

    port_ = std::move(port);
    connected_ = true;
    lost_ = false;
    openedPortNumber_ = PortNumber;
    openedLine_ = line;
    ++session_;
    cutter_.clear();
    dataSinceLastTick_ = false;
    if (RawLogEnabled && !RawLogFileName.empty()) rawLog_.open(RawLogFileName);

    pollTimer_->setInterval(PollInterval < 1 ? kDefaultPollMs : PollInterval);
    pollTimer_->start();
    noDataTimer_->setInterval(NoDataInterval < 1 ? kDefaultNoDataMs : NoDataInterval);
    noDataTimer_->start();
    reconnectTimer_->setInterval(ReconnectInterval < 1 ? kDefaultReconnectIntervalMs : ReconnectInterval);
    idleReported_ = false;
    QPointer<TVeldorSerialGPS> self(this);
    const unsigned session = session_;
    TakeWaitingInput(readWaitingInput());
    if (!self || session_ != session) return;
    emit OnConnect(this, TVGPSCommPort(PortNumber));
}

std::string TVeldorSerialGPS::readWaitingInput()
{
    // The port is purged, and the device cannot have sent anything anew since: what the port
    // holds now reached it before (a purge that does not reach the device's side, an adapter or
    // server that kept it). All of it is taken now, up to a bound a stream cannot outrun.
    std::string waiting;
    char buffer[kReadChunk];
    for (long n; waiting.size() < kWaitingInputLimit && (n = port_->read(buffer, sizeof buffer)) > 0;)
        waiting.append(buffer, size_t(n));
    return waiting;
}

void TVeldorSerialGPS::TakeWaitingInput(std::string_view bytes)
{
    waitingLineOpen_ = false;
    if (bytes.empty()) return;
    cutter_.append(bytes);
    std::string_view view;
    while (cutter_.nextLine(view)) WriteRawLog(std::string(view));
    waitingLineOpen_ = cutter_.pendingSize() > 0;
}

std::shared_ptr<SerialPort> TVeldorSerialGPS::openPort(int portNumber, const SerialLineSettings& line)
{
    const std::string name = PortNameFromNumber(portNumber);
    if (portNumber == 0) {
        lastError_ = "no serial port is chosen; choose one in the Settings window";
        return nullptr;
    }
    if (portNumber < 1 || portNumber > kMaxSerialPortNumber) {
        lastError_ = name + " is not a serial port name (COM1 to COM" + std::to_string(kMaxSerialPortNumber) + ")";
        return nullptr;
    }
    const std::string settingsFile = SettingsFileName.empty() ? serialPortSettingsFile() : SettingsFileName;
    const std::string device = resolveSerialPort(settingsFile, name);
    if (device.empty()) {
        lastError_ = name + " is not assigned to a serial device; add a line " + name +
                     "=<device path> (for example /dev/ttyUSB0) to [SERIAL_PORTS] in " + settingsFile;
        return nullptr;
    }
    std::string error;
    std::shared_ptr<SerialPort> port = SerialPort::open(device, line, &error);
    if (!port) lastError_ = name + ": " + error;
    return port;
}

void TVeldorSerialGPS::Close()
{
    pollTimer_->stop();
    noDataTimer_->stop();
    reconnectTimer_->stop();
    if (!connected_) return;
    lost_ = false;
    ++session_;
    if (port_) {
        port_->close();
        port_.reset();
    }
    rawLog_.close();
    connected_ = false;
    parser_.reset();
    emit OnDisconnect(this, TVGPSCommPort(PortNumber));
}

void TVeldorSerialGPS::Write(const std::string& text)
{
    if (!connected_ || !port_ || !port_->isOpen()) return;
    // A write the device does not take in time is not reported, as before; OnSend follows.
    port_->write(text);
    emit OnSend(this, text);
}

void TVeldorSerialGPS::PollTimerTick()
{
    if (!connected_ || !port_ || inTick_) return;
    char buffer[kReadChunk + 1];
    long n = port_->read(buffer, kReadChunk);
    if (n < 0) {
        PortLost();
        return;
    }
    if (n == 0) return;
    dataSinceLastTick_ = true;
    idleReported_ = false;
    QPointer<TVeldorSerialGPS> self(this);
    inTick_ = true;
    ProcessReceived(std::string_view(buffer, size_t(n)));
    if (self) inTick_ = false;
}

void TVeldorSerialGPS::PortLost()
{
    lastError_ = PortNameFromNumber(openedPortNumber_) + ": the device " + port_->devicePath() + " has gone";
    port_->close();
    port_.reset();
    pollTimer_->stop();
    lost_ = true;
    // A line cut off by the loss must not be glued to the first bytes after the return, and the
    // last fix no longer describes anything.
    cutter_.clear();
    waitingLineOpen_ = false;
    parser_.reset();
    reconnectTimer_->start();
    emit OnDeviceLost(this, TVGPSCommPort(openedPortNumber_));
}

void TVeldorSerialGPS::ReconnectTimerTick()
{
    if (!connected_ || !lost_) {
        reconnectTimer_->stop();
        return;
    }
    const std::string lostText = lastError_;
    std::shared_ptr<SerialPort> port = openPort(openedPortNumber_, openedLine_);
    if (!port) {
        lastError_ = lostText;  // still gone; the reason stays the loss
        return;
    }
    reconnectTimer_->stop();
    port_ = std::move(port);
    lost_ = false;
    lastError_.clear();
    cutter_.clear();
    waitingLineOpen_ = false;
    pollTimer_->start();
    emit OnDeviceBack(this, TVGPSCommPort(openedPortNumber_));
}

void TVeldorSerialGPS::NoDataTimerTick()
{
    if (!connected_) return;
    if (dataSinceLastTick_) {
        dataSinceLastTick_ = false;
        idleReported_ = false;
    } else if (!idleReported_) {
        idleReported_ = true;
        emit OnIdle(this);
    }
}

void TVeldorSerialGPS::ProcessReceived(std::string_view bytes)
{
    cutter_.append(bytes);
    ProcessBuffer();
}

void TVeldorSerialGPS::ProcessBuffer()
{
    // A handler may close, reopen or destroy the receiver; the lines still pending then belong
    // to a session that is over.
    QPointer<TVeldorSerialGPS> self(this);
    const unsigned session = session_;
    // The lines of one chunk were heard together.
    const FixTimePoint now = clock().monotonic();
    std::string_view view;
    NmeaChecksum checksum = NmeaChecksum::Absent;
    while (cutter_.nextLine(view, checksum)) {
        const std::string line(view);
        WriteRawLog(line);
        if (waitingLineOpen_) {
            // Its start was waiting at the port when it was opened.
            waitingLineOpen_ = false;
            continue;
        }
        if (checksum == NmeaChecksum::Invalid) ++checksumErrors_;
        parser_.Read(line, checksum, now);
        emit OnNewCommand(this, line);
        if (!self || session_ != session) return;
        parser_.Commit(*this);
        if (!self || session_ != session) return;
    }
}

void TVeldorSerialGPS::WriteRawLog(const std::string& line)
{
    if (!RawLogEnabled || RawLogFileName.empty()) return;
    // A log that could not be opened (its folder gone, a full or read-only medium) is tried
    // again with every line, so logging resumes as soon as the file can be written. A line goes
    // in whole or not at all.
    if (!rawLog_.isOpen() || rawLog_.path() != RawLogFileName) rawLog_.open(RawLogFileName);
    std::string out = RawLogTimeStamps ? rawLogStamp() : std::string();
    out += line;
    out += "\r\n";
    const bool written = rawLog_.write(out);
    // After a failure the file is opened afresh with the next line (its folder may be made anew).
    if (!written) rawLog_.close();
    emit OnRawLogWrite(this, RawLogFileName, written, written ? std::string() : rawLog_.errorText());
}

bool TVeldorSerialGPS::positionChanged(double latitude, double longitude, double altitude)
{
    QPointer<TVeldorSerialGPS> self(this);
    const unsigned session = session_;
    emit OnPosition3DChange(this, latitude, longitude, altitude);
    return self && session_ == session;
}

bool TVeldorSerialGPS::speedChanged(double speedKmh)
{
    QPointer<TVeldorSerialGPS> self(this);
    const unsigned session = session_;
    emit OnSpeedChange(this, speedKmh);
    return self && session_ == session;
}

int PortNumberFromName(std::string_view text)
{
    std::string s = toUpperAscii(text);
    std::string_view rest = s;
    if (rest.substr(0, 3) == "COM") rest.remove_prefix(3);
    std::optional<long long> n = parseInteger(rest);
    if (!n || *n < 1) return 1;
    return *n > INT_MAX ? INT_MAX : int(*n);
}

std::string PortNameFromNumber(int n) { return "COM" + std::to_string(n); }

int ValidBaudRate(int rate)
{
    static constexpr int kRates[] = {110, 300, 600, 1200, 2400, 4800, 14400, 19200, 38400, 57600, 115200, 230400};
    for (int r : kRates)
        if (r == rate) return rate;
    return 9600;
}

std::string serialPortSettingsFile() { return GetIniFileName(); }

} // namespace vsx
