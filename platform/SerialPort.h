#pragma once
// A serial port on POSIX termios. Opened exclusively, always in raw mode, reads never wait and
// writes are bounded in time.
//
// A port is shared by pointer: the receiver that opened it reads from it on the interactive
// thread while another thread (the NTRIP worker) writes correction bytes into it. Every call
// is thread-safe. close() waits for a write in progress and then marks the port closed, so a
// later write fails cleanly instead of landing in whatever file reuses the descriptor number.
#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>

namespace vsx {

enum class SerialStopBits { One, OneAndHalf, Two };
// AsFound keeps the parity the device had when it was opened.
enum class SerialParity { None, Odd, Even, Mark, Space, AsFound };

struct SerialLineSettings {
    int baudRate = 9600;  // any rate; those without a termios constant are set as a custom rate
    int dataBits = 8;     // 5..8; anything else fails the open
    SerialStopBits stopBits = SerialStopBits::One;
    SerialParity parity = SerialParity::None;  // parity checking is on for anything but None
    bool dtr = false;  // modem lines; a device without them (a pseudo-terminal) is accepted
    bool rts = false;
};

// The step of an open that failed: the device itself, or its line settings (a path that names
// no serial device, a rate the driver refuses).
enum class SerialOpenStep { OpenDevice, ConfigureLine };

class SerialPort {
public:
    // Opens the device exclusively (no other open through this layer, in this process or another)
    // and applies the settings; both queues are purged. Null with a readable reason on failure,
    // e.g. "Cannot open /dev/ttyUSB0: permission denied; add the user to the dialout group", and
    // the step that failed.
    static std::shared_ptr<SerialPort> open(const std::string& devicePath, const SerialLineSettings& settings,
                                            std::string* error = nullptr, SerialOpenStep* failedStep = nullptr);
    // True when the device exists and could be opened exclusively right now (closed again at once).
    static bool canOpen(const std::string& devicePath);

    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    const std::string& devicePath() const { return path_; }
    bool isOpen() const;

    // Writes all bytes, waiting at most the write time-out (1000 ms) for the device to take them.
    // Writers never interleave. False when the port is closed, the device is gone, or time ran out
    // (what was not taken by then is dropped).
    bool write(const void* data, size_t size);
    bool write(std::string_view bytes) { return write(bytes.data(), bytes.size()); }
    void setWriteTimeout(std::chrono::milliseconds timeout);

    // Reads what is queued, at most size bytes, without waiting: the count read, 0 when nothing
    // is queued, -1 when the port is closed or the device has gone (unplugged, hung up).
    long read(void* buffer, size_t size);
    // Bytes queued for reading; -1 when that cannot be asked (closed, device gone).
    long bytesWaiting() const;
    // Drops both queues.
    bool purge();
    // Modem lines; false when the device has none (the port stays usable).
    bool setDtr(bool on);
    bool setRts(bool on);

    void close();

private:
    SerialPort(int fd, std::string path);
    bool setModemLine(int bit, bool on);

    const std::string path_;
    int fd_ = -1;                         // guarded by fdMutex_: -1 once closed
    mutable std::shared_mutex fdMutex_;   // shared: any I/O; exclusive: close
    std::mutex writeMutex_;               // one writer at a time
    std::chrono::milliseconds writeTimeout_{1000};
};

} // namespace vsx
