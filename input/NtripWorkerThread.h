#pragma once
// The network side of one NTRIP connection and the reconnects that follow it: resolve, connect,
// request, read the reply, then pass on the correction data and upload the GGA. It reports
// through its client's callbacks and never waits for the owner's thread.
#include "input/NtripClient.h"
#include "input/NtripReply.h"
#include "input/TcpConnection.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

namespace vsx {

class TNTRIPWorkerThread {
public:
    // Blocks read from the caster at a time.
    static constexpr std::size_t ReceiveBufferSize = 4095;
    // A source table larger than this is cut there.
    static constexpr std::size_t MaxSourceTableBytes = 4u << 20;

    TNTRIPWorkerThread(TVeldorNTRIPClient& client, NtripConnectionSettings settings, std::uint64_t connection);
    // Stops and joins.
    ~TNTRIPWorkerThread();
    TNTRIPWorkerThread(const TNTRIPWorkerThread&) = delete;
    TNTRIPWorkerThread& operator=(const TNTRIPWorkerThread&) = delete;

    void Start();
    // Sets the stop flag and wakes every wait of the worker; returns at once.
    void RequestStop();
    void Join();

private:
    enum class Phase { Header, SourceTable, Stream };

    void run();
    // One connection, from the name look-up to the close.
    void Execute();
    // The reconnect timer's tick: false when reconnecting has ended.
    bool ReconnectTimerTick();
    // `alsoLog` false: the text is already in the log (the attempt's "Connecting to" line).
    void ReportStatus(NTRIPClientState state, const std::string& text, bool alsoLog = true);
    void DeliverData(const char* bytes, std::size_t count);
    void SendGGA();
    void log(const std::string& text);

    // Each returns false when the receive loop must end.
    bool handleReply(const NtripReplyResult& reply);
    bool handleSourceTable(const std::string& bytes, bool closed);
    bool handleStream(const std::string& bytes);
    void refuse(const NtripReplyResult& reply);
    void deliverSourceTable();
    void gaveUpOnConnecting(const std::string& text);

    TVeldorNTRIPClient& client_;
    const NtripConnectionSettings settings_;
    const std::uint64_t connection_;
    StopSignal stop_;
    TcpConnection socket_;
    std::thread thread_;

    // State of the current connection, touched only by the worker thread.
    Phase phase_ = Phase::Header;
    bool chunked_ = false;
    ChunkedDecoder chunks_;
    std::string sourceTable_;
    std::chrono::steady_clock::time_point lastGga_;
    bool reconnectArmed_ = false; // a reported state 0 armed the reconnect timer
    bool afterTick_ = false;      // this attempt was started by the reconnect timer
};

} // namespace vsx
