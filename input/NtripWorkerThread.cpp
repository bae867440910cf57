#include "input/NtripWorkerThread.h"

#include "platform/Clock.h"

namespace vsx {
namespace {
const char* const ReceivingText = "Receiving correction data";
}

TNTRIPWorkerThread::TNTRIPWorkerThread(TVeldorNTRIPClient& client, NtripConnectionSettings settings,
                                       std::uint64_t connection)
    : client_(client), settings_(std::move(settings)), connection_(connection), socket_(stop_)
{
}

TNTRIPWorkerThread::~TNTRIPWorkerThread()
{
    RequestStop();
    Join();
}

void TNTRIPWorkerThread::Start()
{
    if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
}

void TNTRIPWorkerThread::RequestStop()
{
    stop_.Raise();
}

void TNTRIPWorkerThread::Join()
{
    if (thread_.joinable()) thread_.join();
}

void TNTRIPWorkerThread::run()
{
    for (;;) {
        reconnectArmed_ = false;
        Execute();
        if (stop_.Raised()) return;
        if (!reconnectArmed_) break;
        if (stop_.WaitFor(settings_.ReconnectIntervalMs)) return;
        if (!ReconnectTimerTick()) break;
    }
    // Over by itself: the owner learns that nothing is running any more.
    if (!stop_.Raised()) client_.notifyEnded(connection_);
}

bool TNTRIPWorkerThread::ReconnectTimerTick()
{
    const int attempts = client_.reconnectAttempts_.load();
    if (attempts >= settings_.MaxReconnectAttempts || !client_.AutoReconnect.load()) return false;
    client_.reconnectAttempts_ = attempts + 1;
    log("Reconnect attempt " + std::to_string(attempts + 1) + "/" + std::to_string(settings_.MaxReconnectAttempts));
    // What Connect does before it starts a connection: the last one is ended first (here it
    // has ended already, but the log says so as it does before every new connection).
    log("Disconnected");
    client_.bytesReceived_ = 0;
    client_.bytesSent_ = 0;
    log("Connecting to " + settings_.Host + ":" + std::to_string(settings_.Port));
    afterTick_ = true;
    return true;
}

void TNTRIPWorkerThread::log(const std::string& text)
{
    if (!stop_.Raised()) client_.log(connection_, text);
}

void TNTRIPWorkerThread::ReportStatus(NTRIPClientState state, const std::string& text, bool alsoLog)
{
    if (stop_.Raised()) return;
    client_.state_ = state;
    client_.notifyStatus(connection_, state, text, alsoLog);
    if (state == NTRIPClientState::Disconnected && client_.AutoReconnect.load()
        && client_.reconnectAttempts_.load() < settings_.MaxReconnectAttempts)
        reconnectArmed_ = true;
}

// A failure before the caster was reached. A user's connect ends there; an attempt of the
// reconnect series counts as one attempt and the series goes on, since a network that is down
// for a moment (no route, no name server) is exactly what the reconnects are for.
void TNTRIPWorkerThread::gaveUpOnConnecting(const std::string& text)
{
    ReportStatus(NTRIPClientState::Error, text);
    if (afterTick_ && client_.AutoReconnect.load()
        && client_.reconnectAttempts_.load() < settings_.MaxReconnectAttempts)
        reconnectArmed_ = true;
}

void TNTRIPWorkerThread::Execute()
{
    const std::string& host = settings_.Host;
    // Connect, or the reconnect tick, has logged this attempt with the same text.
    ReportStatus(NTRIPClientState::Connecting, "Connecting to " + host + ":" + std::to_string(settings_.Port), false);

    sockaddr_in address{};
    const IoStatus resolved = ResolveIPv4(host, settings_.Port, stop_, address);
    if (resolved == IoStatus::Stopped) return;
    if (resolved != IoStatus::Ok) return gaveUpOnConnecting("Failed to resolve host: " + host);
    if (!socket_.Create()) return gaveUpOnConnecting("Failed to create socket");
    const IoStatus connected = socket_.Connect(address, settings_.ConnectTimeoutMs);
    if (connected == IoStatus::Stopped) return socket_.Close();
    if (connected != IoStatus::Ok) {
        socket_.Close();
        return gaveUpOnConnecting("Failed to connect to " + host);
    }

    NtripRequestFields fields{host, settings_.Username, settings_.Password, settings_.MountPoint,
                              settings_.ProtocolVersion};
    const std::string request = BuildNtripRequest(fields);
    if (!request.empty()) {
        std::size_t sent = 0;
        socket_.SendAll(request.data(), request.size(), settings_.SendTimeoutMs, sent);
    }

    lastGga_ = clock().monotonic();
    const bool ntrip = settings_.ProtocolVersion == 0 || settings_.ProtocolVersion == 1;
    phase_ = ntrip ? Phase::Header : Phase::Stream;
    chunked_ = false;
    chunks_ = ChunkedDecoder();
    sourceTable_.clear();
    NtripReplyParser reply(settings_.MountPoint);

    std::string block(ReceiveBufferSize, '\0');
    while (!stop_.Raised()) {
        std::size_t count = 0;
        const IoStatus received = socket_.Receive(block.data(), block.size(), settings_.ReceiveTimeoutMs, count);
        if (received != IoStatus::Ok) {
            if (stop_.Raised()) break;
            // What arrived before the close still counts: a refusal without its empty line,
            // a source table without its end marker.
            if (phase_ == Phase::Header) {
                const NtripReplyResult last = reply.Finish();
                if (last.Kind == NtripReplyKind::Refused) {
                    refuse(last);
                    break;
                }
            } else if (phase_ == Phase::SourceTable) {
                handleSourceTable({}, true);
                break;
            }
            ReportStatus(NTRIPClientState::Disconnected, "Connection closed");
            break;
        }
        const std::string bytes(block.data(), count);
        bool goOn = true;
        if (phase_ == Phase::Header) {
            const NtripReplyResult result = reply.Feed(bytes);
            if (result.Kind != NtripReplyKind::Incomplete) goOn = handleReply(result);
        } else if (phase_ == Phase::SourceTable) {
            goOn = handleSourceTable(bytes, false);
        } else {
            goOn = handleStream(bytes);
            if (goOn && settings_.GgaIntervalSeconds > 0
                && clock().monotonic() - lastGga_ >= std::chrono::seconds(settings_.GgaIntervalSeconds)) {
                SendGGA();
                lastGga_ = clock().monotonic();
            }
        }
        if (!goOn) break;
    }

    socket_.Close();
    client_.connected_ = false;
    if (!stop_.Raised()) ReportStatus(NTRIPClientState::Disconnected, "Disconnected");
}

void TNTRIPWorkerThread::refuse(const NtripReplyResult& reply)
{
    if (!reply.ServerResponse.empty()) log("Server response: " + reply.ServerResponse);
    ReportStatus(NTRIPClientState::Error, reply.RefusalText);
}

bool TNTRIPWorkerThread::handleReply(const NtripReplyResult& reply)
{
    switch (reply.Kind) {
    case NtripReplyKind::Refused:
        refuse(reply);
        return false;
    case NtripReplyKind::SourceTable:
        phase_ = Phase::SourceTable;
        chunked_ = reply.Chunked;
        return handleSourceTable(reply.Body, false);
    case NtripReplyKind::Stream:
        ReportStatus(NTRIPClientState::Connected, "Connected to " + settings_.MountPoint);
        client_.connected_ = true;
        client_.reconnectAttempts_ = 0;
        afterTick_ = false;
        SendGGA();
        lastGga_ = clock().monotonic();
        phase_ = Phase::Stream;
        chunked_ = reply.Chunked;
        return reply.Body.empty() || handleStream(reply.Body);
    case NtripReplyKind::Incomplete:
        break;
    }
    return true;
}

bool TNTRIPWorkerThread::handleSourceTable(const std::string& bytes, bool closed)
{
    bool ended = closed;
    if (chunked_) {
        const ChunkedDecoder::Status status = chunks_.Feed(bytes, sourceTable_);
        ended = ended || status != ChunkedDecoder::Status::Ok;
    } else {
        sourceTable_ += bytes;
    }
    if (sourceTable_.size() > MaxSourceTableBytes) {
        sourceTable_.resize(MaxSourceTableBytes);
        ended = true;
    }
    if (sourceTable_.find("ENDSOURCETABLE") != std::string::npos) ended = true;
    if (!ended) return true;
    deliverSourceTable();
    return false;
}

void TNTRIPWorkerThread::deliverSourceTable()
{
    if (stop_.Raised()) return;
    client_.parseSourceTable(connection_, sourceTable_);
}

bool TNTRIPWorkerThread::handleStream(const std::string& bytes)
{
    if (!chunked_) {
        if (!bytes.empty()) DeliverData(bytes.data(), bytes.size());
    } else {
        // Only the chunk contents are corrections; the size lines must never reach the receiver.
        std::string data;
        const ChunkedDecoder::Status status = chunks_.Feed(bytes, data);
        if (!data.empty()) DeliverData(data.data(), data.size());
        if (status == ChunkedDecoder::Status::Malformed) {
            ReportStatus(NTRIPClientState::Error, "Invalid chunked data from caster");
            return false;
        }
        if (status == ChunkedDecoder::Status::Finished) {
            ReportStatus(NTRIPClientState::Disconnected, "Connection closed");
            return false;
        }
        if (data.empty()) return true;
    }
    if (client_.state_.load() != NTRIPClientState::Receiving) ReportStatus(NTRIPClientState::Receiving, ReceivingText);
    return true;
}

void TNTRIPWorkerThread::DeliverData(const char* bytes, std::size_t count)
{
    client_.bytesReceived_ += std::int64_t(count);
    client_.appendLastBytes(bytes, count);
    bool forwarded = false;
    // A closed port refuses the write itself; the test here only saves the call.
    if (count > 0 && client_.corrections_.isOpen()) {
        client_.corrections_.write(bytes, count);
        forwarded = true;
    }
    if (!stop_.Raised()) client_.notifyData(connection_, bytes, count, forwarded);
}

void TNTRIPWorkerThread::SendGGA()
{
    if (!socket_.IsOpen()) return;
    const std::string sentence = BuildGGA(client_.GetGgaPosition(), clock().now()) + "\r\n";
    std::size_t sent = 0;
    socket_.SendAll(sentence.data(), sentence.size(), settings_.SendTimeoutMs, sent);
    if (sent > 0) client_.bytesSent_ += std::int64_t(sent);
}

} // namespace vsx
