#pragma once
// The NTRIP client: connects to a caster, asks for one mount point's correction stream (or the
// source table), uploads the vessel's GGA, and passes every received block of RTCM bytes into
// its correction output (from the network thread: the receiver's port, or the output port the
// owner opened instead, see CorrectionRouter) and to its owner.
//
// Threads. The owner calls every member on its own (interactive) thread. One worker thread per
// connection does the network work, including the reconnect waits, and raises the callbacks.
// It never waits for the owner: callbacks must return quickly and must not call Connect or
// Disconnect (NtripClientSignals turns them into queued Qt signals carrying copies). Disconnect
// raises the stop signal, which ends any wait of the worker at once, and joins it.
#include "input/CorrectionOutput.h"
#include "input/CorrectionRouter.h"
#include "input/NtripRequest.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vsx {

enum class NTRIPClientState : int {
    Disconnected = 0,
    Connecting = 1,
    Connected = 2, // the caster accepted the request
    Receiving = 3, // correction data is flowing
    Error = 4,
};

// The owner's handlers. Each carries the id of the connection that raised it (0 for the client's
// own log lines), so a handler that passes the event on to another thread can drop there what
// an ended connection said (TVeldorNTRIPClient::IsCurrent). They run on the worker thread, or on
// the caller's thread for the client's own lines. The data bytes are valid only during the call.
struct NtripClientCallbacks {
    std::function<void(std::uint64_t connection, NTRIPClientState state, const std::string& text)> OnStatus;
    // `forwarded`: the client has passed these bytes to the port in force (the receiver's or the
    // output port); false when that port was not open.
    std::function<void(std::uint64_t connection, const char* bytes, std::size_t count, bool forwarded)> OnData;
    std::function<void(std::uint64_t connection, const std::vector<std::string>& mountPoints)> OnSourceTable;
    std::function<void(std::uint64_t connection, const std::string& text)> OnLog;
    // The connection and the reconnects that followed it are over by themselves (no reconnect is
    // pending); nothing more comes from it. Not raised when Disconnect or Connect ended it.
    std::function<void(std::uint64_t connection)> OnEnded;
};

// The settings one connection runs with, taken from the client when Connect starts it.
struct NtripConnectionSettings {
    std::string Host;
    int Port = 2101;
    std::string Username;
    std::string Password;
    std::string MountPoint;
    int ProtocolVersion = 0;
    int GgaIntervalSeconds = 10;
    int MaxReconnectAttempts = 10;
    int ReconnectIntervalMs = 5000;
    int ConnectTimeoutMs = 30000;
    int ReceiveTimeoutMs = 30000;
    int SendTimeoutMs = 30000;
};

class TNTRIPWorkerThread;

class TVeldorNTRIPClient {
public:
    static constexpr std::size_t LastBytesCapacity = 8192;

    TVeldorNTRIPClient();
    // Disconnects (which logs "Disconnected").
    ~TVeldorNTRIPClient();
    TVeldorNTRIPClient(const TVeldorNTRIPClient&) = delete;
    TVeldorNTRIPClient& operator=(const TVeldorNTRIPClient&) = delete;

    // Written by the owner before Connect; a running connection and its reconnects keep the
    // values they started with.
    std::string Host;
    int Port = 2101;
    std::string Username;
    std::string Password;       // plain text
    std::string MountPoint;     // empty asks for the source table
    int ProtocolVersion = 0;    // 0 NTRIP 1, 1 NTRIP 2, other: raw stream without a request
    int GgaIntervalSeconds = 10; // 0 or less: only the GGA at acceptance
    int MaxReconnectAttempts = 10;
    // Waits; the defaults are those of real use, tests shorten them.
    int ReconnectIntervalMs = 5000;
    int ConnectTimeoutMs = 30000;
    int ReceiveTimeoutMs = 30000; // a caster silent this long ends the connection
    int SendTimeoutMs = 30000;

    // Read by the worker while it runs.
    std::atomic<bool> UseManualPosition{false}; // when true, SetPosition changes nothing
    std::atomic<bool> AutoReconnect{true};      // reconnect after a lost connection

    void Connect();
    void Disconnect();
    // Asks for "/" (the source table), without reconnecting.
    void FetchSourceTable();

    // The receiver port that gets the correction bytes (null: none). Logs "Serial port handle set",
    // or "Serial port handle cleared" for none.
    void SetSerialPortHandle(CorrectionOutputPtr output);
    // Where the correction bytes go: the receiver's port, or an output port opened here instead.
    CorrectionRouter& Corrections() { return corrections_; }
    const CorrectionRouter& Corrections() const { return corrections_; }
    // The receiver's position for the next GGA, unless UseManualPosition.
    void SetPosition(double latitude, double longitude, double height);
    // Stores the position whatever UseManualPosition says (the owner's typed position).
    void SetGgaPosition(const GgaPosition& position);
    GgaPosition GetGgaPosition() const;

    void SetCallbacks(NtripClientCallbacks callbacks);

    NTRIPClientState State() const { return state_.load(); }
    bool Connected() const { return connected_.load(); }
    std::int64_t BytesReceived() const { return bytesReceived_.load(); }
    std::int64_t BytesSent() const { return bytesSent_.load(); }
    int ReconnectAttempts() const { return reconnectAttempts_.load(); }
    // A copy of the most recent correction bytes, at most LastBytesCapacity.
    std::string CopyLastBytes() const;
    // The mount points of the last source table, in table order.
    std::vector<std::string> MountPoints() const;
    // The id of the last connection started (each Connect and reconnect series has its own).
    std::uint64_t ConnectionId() const { return connectionId_.load(); }
    // False for the events of a connection that Connect or Disconnect has ended.
    bool IsCurrent(std::uint64_t connection) const { return connection == 0 || connection > endedThrough_.load(); }
    bool HasWorker() const { return worker_ != nullptr; }

private:
    friend class TNTRIPWorkerThread;

    void endConnection();
    // Ends a connection that is running or waiting to reconnect, and logs that it did.
    void endRunningConnection();
    void log(std::uint64_t connection, const std::string& text);
    // Raises OnStatus, then OnLog with the same text when `alsoLog`.
    void notifyStatus(std::uint64_t connection, NTRIPClientState state, const std::string& text, bool alsoLog);
    void notifyEnded(std::uint64_t connection);
    void notifyData(std::uint64_t connection, const char* bytes, std::size_t count, bool forwarded);
    void parseSourceTable(std::uint64_t connection, const std::string& text);
    void appendLastBytes(const char* bytes, std::size_t count);

    std::atomic<NTRIPClientState> state_{NTRIPClientState::Disconnected};
    std::atomic<bool> connected_{false};
    std::atomic<std::int64_t> bytesReceived_{0};
    std::atomic<std::int64_t> bytesSent_{0};
    std::atomic<int> reconnectAttempts_{0};
    std::atomic<std::uint64_t> connectionId_{0};
    std::atomic<std::uint64_t> endedThrough_{0};

    mutable std::mutex positionMutex_;
    GgaPosition position_;
    CorrectionRouter corrections_;
    mutable std::mutex lastBytesMutex_;
    std::string lastBytes_;
    mutable std::mutex mountPointsMutex_;
    std::vector<std::string> mountPoints_;
    std::mutex callbacksMutex_;
    NtripClientCallbacks callbacks_;

    std::unique_ptr<TNTRIPWorkerThread> worker_;
};

} // namespace vsx
