// The NTRIP client against loopback casters of the test's own: refusals, the stream and the
// GGA upload, reconnects, time-outs, stopping, NTRIP 2 chunked bodies, the source table, a
// closed receiver port, and the queued Qt signals.
#include "input/NtripClient.h"
#include "input/NtripClientSignals.h"
#include "support/CorrectionOutputs.h"
#include "support/LoopbackServer.h"
#include "support/TempHome.h"
#include "platform/AtomicFile.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <optional>
#include <unistd.h>

using namespace vsx;
using vsx::test::CaptureOutput;
using vsx::test::DescriptorOutput;
using vsx::test::LoopbackPeer;
using vsx::test::LoopbackServer;
using vsx::test::waitUntil;

namespace {

struct StatusEvent {
    NTRIPClientState state;
    std::string text;
};

// Everything the client reports, kept for the test thread.
class Recorder {
public:
    void attach(TVeldorNTRIPClient& client)
    {
        NtripClientCallbacks c;
        c.OnStatus = [this](std::uint64_t, NTRIPClientState s, const std::string& t) {
            std::lock_guard lock(mutex_);
            statuses_.push_back({s, t});
        };
        c.OnData = [this](std::uint64_t, const char* b, std::size_t n, bool forwarded) {
            std::lock_guard lock(mutex_);
            data_.append(b, n);
            if (forwarded) forwarded_.append(b, n);
        };
        c.OnSourceTable = [this](std::uint64_t, const std::vector<std::string>& list) {
            std::lock_guard lock(mutex_);
            tables_.push_back(list);
        };
        c.OnLog = [this](std::uint64_t, const std::string& t) {
            std::lock_guard lock(mutex_);
            logs_.push_back(t);
        };
        c.OnEnded = [this](std::uint64_t) { ++ended_; };
        client.SetCallbacks(std::move(c));
    }
    // How often the client said that it has ended by itself.
    int ended() const { return ended_.load(); }
    std::vector<StatusEvent> statuses() const { std::lock_guard lock(mutex_); return statuses_; }
    std::vector<std::string> logs() const { std::lock_guard lock(mutex_); return logs_; }
    std::vector<std::vector<std::string>> tables() const { std::lock_guard lock(mutex_); return tables_; }
    std::string data() const { std::lock_guard lock(mutex_); return data_; }
    // The part of the data that the client said it had written into the serial output.
    std::string forwarded() const { std::lock_guard lock(mutex_); return forwarded_; }
    int logCount(const std::string& text) const
    {
        std::lock_guard lock(mutex_);
        return int(std::count(logs_.begin(), logs_.end(), text));
    }
    bool waitForStatus(NTRIPClientState state, const std::string& text, int timeoutMs = 5000) const
    {
        return waitUntil([&] {
            std::lock_guard lock(mutex_);
            for (const auto& s : statuses_)
                if (s.state == state && s.text == text) return true;
            return false;
        }, timeoutMs);
    }
    // The owner hears of a block last, after the counters and the receiver's port.
    bool waitForData(std::size_t size, int timeoutMs = 10000) const
    {
        return waitUntil([&] { return data().size() >= size; }, timeoutMs);
    }
    bool waitForLog(const std::string& text, int timeoutMs = 5000) const
    {
        return waitUntil([&] { return logCount(text) > 0; }, timeoutMs);
    }

private:
    mutable std::mutex mutex_;
    std::vector<StatusEvent> statuses_;
    std::vector<std::string> logs_;
    std::vector<std::vector<std::string>> tables_;
    std::string data_, forwarded_;
    std::atomic<int> ended_{0};
};

// The request a caster read, handed from its thread to the test's.
class SeenRequest {
public:
    void set(std::string request)
    {
        std::lock_guard lock(mutex_);
        request_ = std::move(request);
    }
    std::string get() const
    {
        std::lock_guard lock(mutex_);
        return request_;
    }

private:
    mutable std::mutex mutex_;
    std::string request_;
};

void useLoopback(TVeldorNTRIPClient& client, int port, const std::string& mount = "TEST")
{
    client.Host = "127.0.0.1";
    client.Port = port;
    client.Username = "user";
    client.Password = "pass";
    client.MountPoint = mount;
    client.AutoReconnect = false;
    client.ReconnectIntervalMs = 10;
    client.ReceiveTimeoutMs = 5000;
}

// Bytes of every value, zero bytes and CR LF pairs included.
std::string testStream(std::size_t size)
{
    std::string s(size, '\0');
    std::uint32_t x = 12345;
    for (auto& c : s) {
        x = x * 1103515245u + 12345u;
        c = char(x >> 24);
    }
    s.replace(100, 4, "\r\n\r\n");
    return s;
}

bool validGga(const std::string& sentence)
{
    const std::size_t star = sentence.find('*');
    if (sentence.rfind("$GPGGA,", 0) != 0 || star == std::string::npos || star + 3 > sentence.size()) return false;
    unsigned char sum = 0;
    for (std::size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(sentence[i]);
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", unsigned(sum));
    return sentence.compare(star + 1, 2, hex) == 0;
}

std::vector<std::string> ggaLines(const std::string& uploaded)
{
    std::vector<std::string> lines;
    std::size_t pos = 0, end;
    while ((end = uploaded.find("\r\n", pos)) != std::string::npos) {
        lines.push_back(uploaded.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

} // namespace

TEST(NtripClient, RefusalsAreReportedAndNothingReachesTheReceiver)
{
    struct Case {
        const char* name;
        std::string reply;
        bool closeAfterReply;
        std::string wantText;
        std::string wantLog;
    };
    const Case cases[] = {
        // A real caster's wrong-password answer: the status line alone, then the close.
        {"401 and close", "HTTP/1.0 401 Unauthorized\r\n", true, "401 - Invalid username or password", ""},
        {"401 kept open", "HTTP/1.0 401 Unauthorized\r\n", false, "401 - Invalid username or password", ""},
        {"table for an unknown mount point", "SOURCETABLE 200 OK\r\n\r\nSTR;OTHER;x;\r\nENDSOURCETABLE\r\n", true,
         "404 - Mount point not found: TEST", ""},
        {"500", "HTTP/1.1 500 Internal Server Error\r\n\r\n", true, "Unknown server response",
         "Server response: HTTP/1.1 500 Internal Server Error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SeenRequest request;
        LoopbackServer server([&](LoopbackPeer& peer, int) {
            request.set(peer.ReadRequest());
            peer.Send(c.reply);
            if (!c.closeAfterReply) peer.WaitForClose(5000);
        });
        Recorder recorder;
        TVeldorNTRIPClient client;
        recorder.attach(client);
        auto output = std::make_shared<CaptureOutput>();
        client.SetSerialPortHandle(output);
        useLoopback(client, server.port());
        client.Password = "wrong";
        client.Connect();
        ASSERT_TRUE(recorder.waitForStatus(NTRIPClientState::Disconnected, "Disconnected"));

        const std::vector<StatusEvent> statuses = recorder.statuses();
        ASSERT_EQ(statuses.size(), 3u);
        EXPECT_EQ(statuses[0].state, NTRIPClientState::Connecting);
        EXPECT_EQ(statuses[0].text, "Connecting to 127.0.0.1:" + std::to_string(server.port()));
        EXPECT_EQ(statuses[1].state, NTRIPClientState::Error);
        EXPECT_EQ(statuses[1].text, c.wantText);
        if (!c.wantLog.empty()) {
            EXPECT_EQ(recorder.logCount(c.wantLog), 1);
        }
        EXPECT_TRUE(output->bytes().empty());
        EXPECT_TRUE(recorder.data().empty());
        EXPECT_TRUE(recorder.tables().empty());
        EXPECT_FALSE(client.Connected());
        EXPECT_EQ(request.get(), "GET /TEST HTTP/1.0\r\nUser-Agent: NTRIP VeldorNTRIPClient/1.0\r\n"
                           "Authorization: Basic dXNlcjp3cm9uZw==\r\n\r\n");
    }
}

TEST(NtripClient, StreamReachesTheReceiverUnchangedAndGgaGoesUpAtOnceAndEveryInterval)
{
    const std::string stream = testStream(40000);
    std::string uploaded;
    std::string firstUpload;
    std::mutex uploadMutex;
    LoopbackServer server([&](LoopbackPeer& peer, int) {
        peer.ReadRequest();
        // The first block comes with the status line.
        peer.Send("ICY 200 OK\r\n" + stream.substr(0, 1000));
        const std::string first = peer.ReadUntil("\r\n", 5000);
        {
            std::lock_guard lock(uploadMutex);
            firstUpload = first;
            uploaded = first;
        }
        for (std::size_t pos = 1000; pos < stream.size(); pos += 1300) {
            peer.Send(stream.substr(pos, 1300));
            const std::string more = peer.ReadFor(40);
            std::lock_guard lock(uploadMutex);
            uploaded += more;
        }
        const std::string rest = peer.ReadFor(300);
        std::lock_guard lock(uploadMutex);
        uploaded += rest;
    });
    Recorder recorder;
    TVeldorNTRIPClient client;
    recorder.attach(client);
    auto output = std::make_shared<CaptureOutput>();
    client.SetSerialPortHandle(output);
    useLoopback(client, server.port());
    client.GgaIntervalSeconds = 1;
    client.SetPosition(41.0 - 0.00004 / 60.0, 29.0, 50.0);
    client.Connect();

    ASSERT_TRUE(recorder.waitForData(stream.size()));
    EXPECT_EQ(client.BytesReceived(), std::int64_t(stream.size()));
    EXPECT_TRUE(output->bytes() == stream);
    EXPECT_TRUE(recorder.data() == stream);
    EXPECT_TRUE(recorder.forwarded() == stream);
    EXPECT_TRUE(client.CopyLastBytes() == stream.substr(stream.size() - 8192));
    EXPECT_TRUE(client.Connected());
    EXPECT_EQ(client.ReconnectAttempts(), 0);

    const std::vector<StatusEvent> statuses = recorder.statuses();
    ASSERT_GE(statuses.size(), 3u);
    EXPECT_EQ(statuses[1].state, NTRIPClientState::Connected);
    EXPECT_EQ(statuses[1].text, "Connected to TEST");
    EXPECT_EQ(statuses[2].state, NTRIPClientState::Receiving);
    EXPECT_EQ(statuses[2].text, "Receiving correction data");
    EXPECT_EQ(statuses.size(), 3u) << "Receiving is reported once";

    client.Disconnect();
    std::lock_guard lock(uploadMutex);
    // Sent at acceptance, before the caster's second block.
    EXPECT_TRUE(validGga(firstUpload.substr(0, firstUpload.size() - 2))) << firstUpload;
    const std::vector<std::string> lines = ggaLines(uploaded);
    ASSERT_GE(lines.size(), 2u) << "one GGA at acceptance and one after the interval";
    EXPECT_LE(lines.size(), 3u) << uploaded;
    std::size_t bytes = 0;
    for (const std::string& line : lines) {
        EXPECT_TRUE(validGga(line)) << line;
        EXPECT_NE(line.find(",4100.0000,N,02900.0000,E,1,10,1.0,50.0,M,0.0,M,,*"), std::string::npos) << line;
        bytes += line.size() + 2;
    }
    EXPECT_EQ(client.BytesSent(), std::int64_t(bytes));
}

TEST(NtripClient, ClosingMidStreamReconnectsUntilTheAttemptsAreUsedUp)
{
    // Connections 0 and 4 are accepted and then closed by the caster; the others are closed
    // right after the request. Acceptance resets the count, so 1 + 4 + 10 connections are made.
    LoopbackServer server([](LoopbackPeer& peer, int index) {
        peer.ReadRequest();
        if (index == 0 || index == 4) {
            peer.Send("ICY 200 OK\r\nabc");
            peer.ReadFor(30);
        }
    });
    Recorder recorder;
    TVeldorNTRIPClient client;
    recorder.attach(client);
    useLoopback(client, server.port());
    client.AutoReconnect = true;
    client.Connect();

    ASSERT_TRUE(recorder.waitForLog("Reconnect attempt 10/10", 10000));
    ASSERT_TRUE(waitUntil([&] { return server.connections() == 15; }, 5000));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(server.connections(), 15);
    EXPECT_EQ(client.ReconnectAttempts(), 10);
    EXPECT_EQ(recorder.logCount("Reconnect attempt 1/10"), 2);
    EXPECT_EQ(recorder.logCount("Reconnect attempt 4/10"), 2);
    EXPECT_EQ(recorder.logCount("Reconnect attempt 5/10"), 1);
    EXPECT_EQ(recorder.logCount("Reconnect attempt 11/10"), 0);
    EXPECT_EQ(recorder.logCount("Connection closed"), 15);
    EXPECT_EQ(recorder.statuses().back().state, NTRIPClientState::Disconnected);
}

TEST(NtripClient, EveryAttemptIsLoggedOnceAfterTheLineThatEndsTheLastOne)
{
    // A caster that takes each connection and closes it at once.
    LoopbackServer server([](LoopbackPeer&, int) {});
    Recorder recorder;
    TVeldorNTRIPClient client;
    recorder.attach(client);
    useLoopback(client, server.port());
    client.AutoReconnect = true;
    client.MaxReconnectAttempts = 2;
    client.Connect();
    ASSERT_TRUE(waitUntil([&] { return recorder.ended() == 1; }, 10000)) << "the series ends by itself";

    const std::string connecting = "Connecting to 127.0.0.1:" + std::to_string(server.port());
    const std::vector<std::string> attempt = {"Connection closed", "Disconnected"};
    std::vector<std::string> want = {connecting};
    for (const char* n : {"1", "2"}) {
        want.insert(want.end(), attempt.begin(), attempt.end());
        want.insert(want.end(), {std::string("Reconnect attempt ") + n + "/2", "Disconnected", connecting});
    }
    want.insert(want.end(), attempt.begin(), attempt.end());
    EXPECT_EQ(recorder.logs(), want);
    EXPECT_EQ(server.connections(), 3);
    // Every attempt still reports its states: connecting, then the two of the close.
    const std::vector<StatusEvent> statuses = recorder.statuses();
    ASSERT_EQ(statuses.size(), 9u);
    for (std::size_t i = 0; i < statuses.size(); ++i)
        EXPECT_EQ(statuses[i].state, i % 3 == 0 ? NTRIPClientState::Connecting : NTRIPClientState::Disconnected) << i;

    // A series the owner ends says nothing more. (The count goes on: no request was accepted.)
    client.MaxReconnectAttempts = 10;
    client.AutoReconnect = true;
    client.Connect();
    ASSERT_TRUE(recorder.waitForLog("Reconnect attempt 3/10"));
    client.Disconnect();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(recorder.ended(), 1);
}

TEST(NtripClient, ConnectFailuresEndAUsersConnectButNotTheReconnectSeries)
{
    // A user's connect that cannot reach the caster reports state 4 and stops there.
    {
        Recorder recorder;
        TVeldorNTRIPClient client;
        recorder.attach(client);
        client.Host = "nonexistent.invalid";
        client.AutoReconnect = true;
        client.ReconnectIntervalMs = 10;
        client.Connect();
        ASSERT_TRUE(recorder.waitForStatus(NTRIPClientState::Error, "Failed to resolve host: nonexistent.invalid", 15000));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(recorder.statuses().size(), 2u);
        EXPECT_EQ(recorder.logCount("Reconnect attempt 1/10"), 0);
    }
    // After a lost connection, a caster that has gone away is retried up to the limit.
    std::optional<LoopbackServer> server(std::in_place, [](LoopbackPeer& peer, int) {
        peer.ReadRequest();
        peer.Send("ICY 200 OK\r\n");
    });
    const int port = server->port();
    Recorder recorder;
    TVeldorNTRIPClient client;
    recorder.attach(client);
    useLoopback(client, port);
    client.AutoReconnect = true;
    client.ReconnectIntervalMs = 150;
    client.Connect();
    ASSERT_TRUE(recorder.waitForStatus(NTRIPClientState::Disconnected, "Connection closed"));
    server.reset();
    ASSERT_TRUE(recorder.waitForLog("Reconnect attempt 10/10", 10000));
    ASSERT_TRUE(waitUntil([&] { return recorder.logCount("Failed to connect to 127.0.0.1") == 10; }, 5000));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(recorder.logCount("Failed to connect to 127.0.0.1"), 10);
    EXPECT_EQ(recorder.logCount("Reconnect attempt 11/10"), 0);
}

TEST(NtripClient, CastersThatNeverAnswerTimeOut)
{
    // A connect that never completes fails after the connect time-out, with no reconnect.
    {
        test::UnansweredListener blackHole;
        Recorder recorder;
        TVeldorNTRIPClient client;
        recorder.attach(client);
        useLoopback(client, blackHole.port());
        client.AutoReconnect = true;
        client.ConnectTimeoutMs = 300;
        const auto start = std::chrono::steady_clock::now();
        client.Connect();
        ASSERT_TRUE(recorder.waitForStatus(NTRIPClientState::Error, "Failed to connect to 127.0.0.1"));
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(290));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(recorder.statuses().size(), 2u);
    }
    // A caster that takes the request and then stays silent is left after the receive time-out.
    LoopbackServer server([](LoopbackPeer& peer, int) {
        peer.ReadRequest();
        peer.WaitForClose(10000);
    });
    Recorder recorder;
    TVeldorNTRIPClient client;
    recorder.attach(client);
    useLoopback(client, server.port());
    client.ReceiveTimeoutMs = 300;
    const auto start = std::chrono::steady_clock::now();
    client.Connect();
    ASSERT_TRUE(recorder.waitForStatus(NTRIPClientState::Disconnected, "Disconnected"));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(290));
    const std::vector<StatusEvent> statuses = recorder.statuses();
    ASSERT_EQ(statuses.size(), 3u);
    EXPECT_EQ(statuses[1].text, "Connection closed");
}

TEST(NtripClient, DisconnectReturnsAtOnceWhileConnectingOrWaiting)
{
    for (const bool duringConnect : {true, false}) {
        SCOPED_TRACE(duringConnect ? "connect never completes" : "caster never answers");
        std::optional<test::UnansweredListener> blackHole;
        std::optional<LoopbackServer> silent;
        std::atomic<bool> requestRead{false};
        int port;
        if (duringConnect) {
            blackHole.emplace();
            port = blackHole->port();
        } else {
            silent.emplace([&](LoopbackPeer& peer, int) {
                peer.ReadRequest();
                requestRead = true;
                peer.WaitForClose(60000);
            });
            port = silent->port();
        }
        Recorder recorder;
        TVeldorNTRIPClient client;
        recorder.attach(client);
        useLoopback(client, port);
        client.ReceiveTimeoutMs = 30000;
        client.AutoReconnect = true;
        client.Connect();
        ASSERT_TRUE(recorder.waitForStatus(NTRIPClientState::Connecting, "Connecting to 127.0.0.1:" + std::to_string(port)));
        if (!duringConnect) {
            ASSERT_TRUE(waitUntil([&] { return requestRead.load(); }, 5000));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const std::size_t statusesBefore = recorder.statuses().size();

        const auto start = std::chrono::steady_clock::now();
        client.Disconnect();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
        EXPECT_FALSE(client.HasWorker());
        EXPECT_EQ(client.State(), NTRIPClientState::Disconnected);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(recorder.statuses().size(), statusesBefore);
        EXPECT_EQ(recorder.logs().back(), "Disconnected");
    }
}

TEST(NtripClient, AClosedReceiverPortGetsNothingEvenWhenItsDescriptorIsReused)
{
    const std::string first = testStream(3000).substr(0, 1500);
    const std::string later = testStream(5000).substr(2000);
    std::atomic<bool> portClosed{false};
    LoopbackServer server([&](LoopbackPeer& peer, int) {
        peer.ReadRequest();
        peer.Send("ICY 200 OK\r\n" + first);
        waitUntil([&] { return portClosed.load(); }, 5000);
        peer.Send(later);
        peer.WaitForClose(5000);
    });
    int pipeFds[2];
    ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK), 0);
    auto port = std::make_shared<DescriptorOutput>(pipeFds[1]);

    Recorder recorder;
    TVeldorNTRIPClient client;
    recorder.attach(client);
    client.SetSerialPortHandle(port);
    useLoopback(client, server.port());
    client.Connect();
    ASSERT_TRUE(recorder.waitForData(first.size()));

    // The receiver closes its port; the next file opened takes over the descriptor number.
    const int oldFd = port->close();
    std::string path = (std::filesystem::temp_directory_path() / "vsx-reused-XXXXXX").string();
    const int reused = ::mkstemp(path.data());
    ASSERT_GE(reused, 0);
    if (reused != oldFd) {
        ASSERT_GE(::dup2(reused, oldFd), 0);
    }
    portClosed = true;
    ASSERT_TRUE(recorder.waitForData(first.size() + later.size()));
    client.Disconnect();

    EXPECT_EQ(::lseek(oldFd, 0, SEEK_END), 0) << "corrections went into the file that reused the port's descriptor";
    std::string piped(first.size() + 10, '\0');
    EXPECT_EQ(::read(pipeFds[0], piped.data(), piped.size()), ssize_t(first.size()));
    EXPECT_TRUE(piped.substr(0, first.size()) == first);
    EXPECT_TRUE(recorder.data() == first + later) << "the owner still gets every block";
    EXPECT_TRUE(recorder.forwarded() == first) << "and learns which of them the port took";
    ::close(oldFd);
    if (reused != oldFd) ::close(reused);
    ::close(pipeFds[0]);
    ::unlink(path.c_str());
}

TEST(NtripClient, Ntrip2ChunkedBodyIsDechunkedBeforeTheReceiverSeesIt)
{
    const std::string stream = testStream(20000);
    SeenRequest request;
    LoopbackServer server([&](LoopbackPeer& peer, int) {
        request.set(peer.ReadRequest());
        std::string body;
        char size[16];
        for (std::size_t pos = 0, n = 1; pos < stream.size(); pos += n, n = n * 7 % 601 + 1) {
            n = std::min(n, stream.size() - pos);
            std::snprintf(size, sizeof size, "%zx\r\n", n);
            body += size + stream.substr(pos, n) + "\r\n";
        }
        body += "0\r\n\r\n";
        peer.Send("HTTP/1.1 200 OK\r\nNtrip-Version: Ntrip/2.0\r\nTransfer-Encoding: chunked\r\n\r\n" + body.substr(0, 5));
        for (std::size_t pos = 5; pos < body.size(); pos += 997) {
            peer.Send(body.substr(pos, 997));
            peer.ReadFor(1);
        }
        peer.WaitForClose(5000);
    });
    Recorder recorder;
    TVeldorNTRIPClient client;
    recorder.attach(client);
    auto output = std::make_shared<CaptureOutput>();
    client.SetSerialPortHandle(output);
    useLoopback(client, server.port());
    client.ProtocolVersion = 1;
    client.Connect();
    ASSERT_TRUE(recorder.waitForStatus(NTRIPClientState::Disconnected, "Disconnected", 10000));
    EXPECT_TRUE(output->bytes() == stream);
    EXPECT_EQ(client.BytesReceived(), std::int64_t(stream.size()));
    const std::vector<StatusEvent> statuses = recorder.statuses();
    ASSERT_EQ(statuses.size(), 5u);
    EXPECT_EQ(statuses[1].text, "Connected to TEST");
    EXPECT_EQ(statuses[2].text, "Receiving correction data");
    EXPECT_EQ(statuses[3].text, "Connection closed"); // the last chunk ends the stream
    EXPECT_EQ(request.get(), "GET /TEST HTTP/1.1\r\nHost: 127.0.0.1\r\nNtrip-Version: Ntrip/2.0\r\n"
                       "User-Agent: NTRIP VeldorNTRIPClient/1.0\r\nAuthorization: Basic dXNlcjpwYXNz\r\n\r\n");
}

TEST(NtripClient, SourceTableIsFetchedWholeOrAsFarAsItCame)
{
    const std::string table = "SOURCETABLE 200 OK\r\nServer: test\r\n\r\n"
                              "CAS;caster;2101;x;y;0;TUR;41.0;29.0;0.0.0.0;0;none\r\n"
                              "STR;ALPHA;Istanbul;RTCM 3.2;1004(1);2;GPS;NET;TUR;41.0;29.0;1;0;x;none;B;N;2400;\r\n"
                              "NET;NET;x;B;N;none;none;none;none\r\n"
                              "STR;BETA;Izmir;RTCM 3.2;1004(1);2;GPS;NET;TUR;38.4;27.1;1;0;x;none;B;N;2400;\r\n"
                              "ENDSOURCETABLE\r\n";
    struct Case {
        const char* name;
        std::string sent;
        std::vector<std::string> want;
        bool closes; // the caster closes before the end marker
    };
    std::vector<Case> cases = {
        {"whole", table, {"ALPHA", "BETA"}, false},
        {"closed before ENDSOURCETABLE", table.substr(0, table.find("ENDSOURCE")), {"ALPHA", "BETA"}, true},
    };
    // A real caster's reply with bare LF line ends.
    std::string recorded;
    const std::string folder = test::sharedDataFolder();
    if (!folder.empty() && readFile(folder + "rtcm/ntrip_sourcetable.log", recorded))
        cases.push_back({"recorded, bare LF", recorded, {"VRS_3_2G", "MAC_3_2G", "FKP_3_2G", "EPS"}, false});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SeenRequest request;
        LoopbackServer server([&](LoopbackPeer& peer, int) {
            request.set(peer.ReadRequest());
            for (std::size_t pos = 0; pos < c.sent.size(); pos += 60) {
                peer.Send(c.sent.substr(pos, 60));
                peer.ReadFor(2);
            }
            if (!c.closes) peer.WaitForClose(5000);
        });
        Recorder recorder;
        TVeldorNTRIPClient client;
        recorder.attach(client);
        useLoopback(client, server.port());
        client.AutoReconnect = true;
        client.FetchSourceTable();
        ASSERT_TRUE(recorder.waitForStatus(NTRIPClientState::Disconnected, "Disconnected"));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_EQ(recorder.tables().size(), 1u);
        EXPECT_EQ(recorder.tables()[0], c.want);
        EXPECT_EQ(client.MountPoints(), c.want);
        EXPECT_EQ(recorder.logCount("Source table parsed: " + std::to_string(c.want.size()) + " mount points"), 1);
        EXPECT_EQ(recorder.statuses().size(), 2u);
        EXPECT_FALSE(client.AutoReconnect.load());
        EXPECT_EQ(server.connections(), 1);
        EXPECT_EQ(request.get().substr(0, 16), "GET / HTTP/1.0\r\n");
    }
}

TEST(NtripClientSignals, EventsArriveAsQueuedCopiesAndEndedConnectionsStaySilent)
{
    const std::string stream = testStream(3000);
    LoopbackServer server([&](LoopbackPeer& peer, int) {
        peer.ReadRequest();
        peer.Send("ICY 200 OK\r\n" + stream.substr(0, 1000));
        peer.ReadFor(30);
        peer.Send(stream.substr(1000));
        peer.WaitForClose(5000);
    });
    TVeldorNTRIPClient client;
    NtripClientSignals events(client);
    std::vector<StatusEvent> statuses;
    std::vector<std::string> logs;
    QByteArray data;
    bool otherThread = false;
    QObject::connect(&events, &NtripClientSignals::status, [&](NTRIPClientState s, const std::string& t) {
        statuses.push_back({s, t});
        otherThread = otherThread || QThread::currentThread() != qApp->thread();
    });
    QObject::connect(&events, &NtripClientSignals::data, [&](const QByteArray& b, bool) { data += b; });
    QObject::connect(&events, &NtripClientSignals::log, [&](const std::string& t) { logs.push_back(t); });
    useLoopback(client, server.port());
    const auto pump = [&](const std::function<bool()>& done, int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!done() && std::chrono::steady_clock::now() < end) {
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return done();
    };

    client.Connect();
    ASSERT_TRUE(pump([&] { return data.size() == qsizetype(stream.size()); }, 5000));
    EXPECT_TRUE(data.toStdString() == stream);
    EXPECT_FALSE(otherThread);
    ASSERT_EQ(statuses.size(), 3u);
    EXPECT_EQ(statuses[2].state, NTRIPClientState::Receiving);

    // Events the worker posted before Disconnect but that the thread had not yet run are dropped.
    statuses.clear();
    logs.clear();
    data.clear();
    client.Connect(); // ends the first connection, starts another
    ASSERT_TRUE(waitUntil([&] { return client.BytesReceived() > 0; }, 5000));
    client.Disconnect();
    pump([] { return false; }, 100);
    EXPECT_TRUE(statuses.empty());
    EXPECT_TRUE(data.isEmpty());
    EXPECT_EQ(logs, (std::vector<std::string>{"Disconnected", "Connecting to 127.0.0.1:" + std::to_string(server.port()),
                                              "Disconnected"}));
}

#include "input/SerialCorrectionOutput.h"
#include "support/PtyPair.h"

// The receiver's own port as the output: bytes arrive on the device, and nothing once closed.
TEST(SerialCorrectionOutput, WritesThroughTheSharedPortUntilItCloses)
{
    vsx::test::PtyPair pty;
    auto port = vsx::SerialPort::open(pty.slavePath(), vsx::SerialLineSettings {});
    ASSERT_TRUE(port);
    vsx::SerialCorrectionOutput out(port);
    ASSERT_TRUE(out.isOpen());
    const char frame[] = "\xD3\x00\x13rtcm";
    ASSERT_TRUE(out.write(frame, sizeof frame - 1));
    EXPECT_EQ(pty.readAll(), std::string(frame, sizeof frame - 1));
    port->close();
    EXPECT_FALSE(out.isOpen());
    EXPECT_FALSE(out.write(frame, sizeof frame - 1));
}
