#include "input/NtripClient.h"

#include "input/NtripReply.h"
#include "input/NtripWorkerThread.h"

namespace vsx {

TVeldorNTRIPClient::TVeldorNTRIPClient() = default;

TVeldorNTRIPClient::~TVeldorNTRIPClient()
{
    Disconnect();
}

void TVeldorNTRIPClient::endConnection()
{
    // Whatever the old connection still has on its way is stale from now on.
    endedThrough_ = connectionId_.load();
    if (worker_) {
        worker_->RequestStop();
        worker_.reset(); // joins; the worker never waits for this thread, so this cannot hang
    }
    connected_ = false;
    state_ = NTRIPClientState::Disconnected;
}

void TVeldorNTRIPClient::endRunningConnection()
{
    if (!connected_.load() && !worker_) return;
    endConnection();
    log(0, "Disconnected");
}

void TVeldorNTRIPClient::Connect()
{
    endRunningConnection();
    if (Host.empty()) {
        log(0, "Error: Caster address is empty");
        return;
    }
    bytesReceived_ = 0;
    bytesSent_ = 0;
    log(0, "Connecting to " + Host + ":" + std::to_string(Port));

    NtripConnectionSettings settings;
    settings.Host = Host;
    settings.Port = Port;
    settings.Username = Username;
    settings.Password = Password;
    settings.MountPoint = MountPoint;
    settings.ProtocolVersion = ProtocolVersion;
    settings.GgaIntervalSeconds = GgaIntervalSeconds;
    settings.MaxReconnectAttempts = MaxReconnectAttempts;
    settings.ReconnectIntervalMs = ReconnectIntervalMs;
    settings.ConnectTimeoutMs = ConnectTimeoutMs;
    settings.ReceiveTimeoutMs = ReceiveTimeoutMs;
    settings.SendTimeoutMs = SendTimeoutMs;
    const std::uint64_t id = ++connectionId_;
    worker_ = std::make_unique<TNTRIPWorkerThread>(*this, std::move(settings), id);
    worker_->Start();
}

void TVeldorNTRIPClient::Disconnect()
{
    // The worker is stopped before the reconnects are switched off: a worker that saw them off
    // while still running would take that for a series over by itself and say it has ended.
    endConnection();
    AutoReconnect = false;
    log(0, "Disconnected");
}

void TVeldorNTRIPClient::FetchSourceTable()
{
    MountPoint.clear();
    endRunningConnection(); // before the reconnects go off, as in Disconnect
    AutoReconnect = false;
    Connect();
}

void TVeldorNTRIPClient::SetSerialPortHandle(CorrectionOutputPtr output)
{
    const bool cleared = !output;
    corrections_.setReceiverPort(std::move(output));
    log(0, cleared ? "Serial port handle cleared" : "Serial port handle set");
}

void TVeldorNTRIPClient::SetPosition(double latitude, double longitude, double height)
{
    if (UseManualPosition.load()) return;
    SetGgaPosition({latitude, longitude, height});
}

void TVeldorNTRIPClient::SetGgaPosition(const GgaPosition& position)
{
    std::lock_guard lock(positionMutex_);
    position_ = position;
}

GgaPosition TVeldorNTRIPClient::GetGgaPosition() const
{
    std::lock_guard lock(positionMutex_);
    return position_;
}

void TVeldorNTRIPClient::SetCallbacks(NtripClientCallbacks callbacks)
{
    std::lock_guard lock(callbacksMutex_);
    callbacks_ = std::move(callbacks);
}

std::string TVeldorNTRIPClient::CopyLastBytes() const
{
    std::lock_guard lock(lastBytesMutex_);
    return lastBytes_;
}

std::vector<std::string> TVeldorNTRIPClient::MountPoints() const
{
    std::lock_guard lock(mountPointsMutex_);
    return mountPoints_;
}

void TVeldorNTRIPClient::appendLastBytes(const char* bytes, std::size_t count)
{
    std::lock_guard lock(lastBytesMutex_);
    if (count >= LastBytesCapacity) {
        lastBytes_.assign(bytes + (count - LastBytesCapacity), LastBytesCapacity);
        return;
    }
    lastBytes_.append(bytes, count);
    if (lastBytes_.size() > LastBytesCapacity) lastBytes_.erase(0, lastBytes_.size() - LastBytesCapacity);
}

void TVeldorNTRIPClient::log(std::uint64_t connection, const std::string& text)
{
    std::lock_guard lock(callbacksMutex_);
    if (callbacks_.OnLog) callbacks_.OnLog(connection, text);
}

void TVeldorNTRIPClient::notifyStatus(std::uint64_t connection, NTRIPClientState state, const std::string& text,
                                      bool alsoLog)
{
    std::lock_guard lock(callbacksMutex_);
    if (callbacks_.OnStatus) callbacks_.OnStatus(connection, state, text);
    if (alsoLog && callbacks_.OnLog) callbacks_.OnLog(connection, text);
}

void TVeldorNTRIPClient::notifyEnded(std::uint64_t connection)
{
    std::lock_guard lock(callbacksMutex_);
    if (callbacks_.OnEnded) callbacks_.OnEnded(connection);
}

void TVeldorNTRIPClient::notifyData(std::uint64_t connection, const char* bytes, std::size_t count, bool forwarded)
{
    std::lock_guard lock(callbacksMutex_);
    if (callbacks_.OnData) callbacks_.OnData(connection, bytes, count, forwarded);
}

void TVeldorNTRIPClient::parseSourceTable(std::uint64_t connection, const std::string& text)
{
    std::vector<std::string> list = ParseSourceTableText(text);
    {
        std::lock_guard lock(mountPointsMutex_);
        mountPoints_ = list;
    }
    log(connection, "Source table parsed: " + std::to_string(list.size()) + " mount points");
    std::lock_guard lock(callbacksMutex_);
    if (callbacks_.OnSourceTable) callbacks_.OnSourceTable(connection, list);
}

} // namespace vsx
