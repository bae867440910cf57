// The NTRIP client against a real caster: RTKLIB's str2str serves a stream that a feeder of the
// test's own puts in, and relays back what the client uploads. The corrections are checked as
// they come out of a pseudo-terminal standing in for the receiver's serial port.
#include "input/NtripClient.h"
#include "input/Rtcm3.h"
#include "platform/AtomicFile.h"
#include "support/CorrectionOutputs.h"
#include "support/LoopbackServer.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace vsx;
using vsx::test::LoopbackPeer;
using vsx::test::LoopbackServer;
using vsx::test::waitUntil;

namespace {

std::string findProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    for (std::size_t pos = 0; pos <= dirs.size();) {
        std::size_t end = dirs.find(':', pos);
        if (end == std::string::npos) end = dirs.size();
        const std::string candidate = dirs.substr(pos, end - pos) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        pos = end + 1;
    }
    return {};
}

int freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

bool acceptsConnections(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(std::uint16_t(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

// str2str as a caster for mount point TEST (user "user", password "pass"), fed from a TCP
// server of the test, with uploads relayed back to the feeder. Killed by its own pid.
class Str2StrCaster {
public:
    Str2StrCaster(const std::string& program, int feederPort) : port_(freeLoopbackPort())
    {
        const std::string in = "tcpcli://127.0.0.1:" + std::to_string(feederPort);
        const std::string out = "ntripc://user:pass@:" + std::to_string(port_) + "/TEST";
        std::vector<std::string> args = {program, "-in", in, "-out", out, "-b", "1"};
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Str2StrCaster()
    {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        if (!waitUntil([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, 3000)) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
        }
    }
    bool started() const { return pid_ > 0; }
    int port() const { return port_; }

private:
    pid_t pid_ = -1;
    int port_;
};

// A pseudo-terminal pair: the client writes into the slave as into the receiver's port, and a
// reader thread collects what comes out of the master.
class PseudoTerminal {
public:
    PseudoTerminal()
    {
        int master = -1, slave = -1;
        if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return;
        termios t{};
        ::tcgetattr(slave, &t);
        ::cfmakeraw(&t); // a new slave echoes and translates line ends until told otherwise
        ::tcsetattr(slave, TCSANOW, &t);
        master_ = master;
        output_ = std::make_shared<test::DescriptorOutput>(slave);
        reader_ = std::thread([this] { read(); });
    }
    ~PseudoTerminal()
    {
        stop_ = true;
        if (reader_.joinable()) reader_.join();
        if (output_) output_->close();
        if (master_ >= 0) ::close(master_);
    }
    bool ok() const { return master_ >= 0; }
    CorrectionOutputPtr output() const { return output_; }
    std::string received() const
    {
        std::lock_guard lock(mutex_);
        return received_;
    }

private:
    void read()
    {
        char buf[4096];
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0) continue;
            std::lock_guard lock(mutex_);
            received_.append(buf, std::size_t(n));
        }
    }

    int master_ = -1;
    std::shared_ptr<test::DescriptorOutput> output_;
    std::thread reader_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::string received_;
};

class NtripCaster : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string program = findProgram("str2str");
        if (program.empty()) GTEST_SKIP() << "str2str (package rtklib) is not installed; the real-caster tests are skipped";
        const std::string folder = test::sharedDataFolder();
        if (folder.empty() || !readFile(folder + "rtcm/testglo.rtcm3", stream_) || stream_.empty())
            GTEST_SKIP() << "the shared RTCM recording rtcm/testglo.rtcm3 is not there";
        feeder_.emplace([this](LoopbackPeer& peer, int) { feed(peer); });
        caster_.emplace(program, feeder_->port());
        ASSERT_TRUE(caster_->started());
        ASSERT_TRUE(waitUntil([&] { return feeder_->connections() == 1 && acceptsConnections(caster_->port()); }, 10000))
            << "str2str did not come up";
    }
    void TearDown() override
    {
        stopped_ = true;
        caster_.reset();
        feeder_.reset();
    }

    // The feeder sends the recording once the test says so, and keeps what comes back.
    void feed(LoopbackPeer& peer)
    {
        while (!startFeed_.load()) {
            if (stopped_.load()) return;
            appendUploads(peer.ReadFor(20));
        }
        for (std::size_t pos = 0; pos < stream_.size(); pos += 1024) {
            peer.Send(std::string_view(stream_).substr(pos, 1024));
            appendUploads(peer.ReadFor(5));
        }
        while (!stopped_.load()) appendUploads(peer.ReadFor(50));
    }
    void appendUploads(const std::string& bytes)
    {
        std::lock_guard lock(mutex_);
        uploads_ += bytes;
    }
    std::string uploads() const
    {
        std::lock_guard lock(mutex_);
        return uploads_;
    }

    void useCaster(TVeldorNTRIPClient& client, const std::string& mount, const std::string& password)
    {
        client.Host = "127.0.0.1";
        client.Port = caster_->port();
        client.Username = "user";
        client.Password = password;
        client.MountPoint = mount;
        client.AutoReconnect = false;
    }

    std::string stream_;
    std::atomic<bool> startFeed_{false};
    std::atomic<bool> stopped_{false};
    mutable std::mutex mutex_;
    std::string uploads_;
    std::optional<LoopbackServer> feeder_;
    std::optional<Str2StrCaster> caster_;
};

struct Statuses {
    void attach(TVeldorNTRIPClient& client)
    {
        NtripClientCallbacks c;
        c.OnStatus = [this](std::uint64_t, NTRIPClientState s, const std::string& t) {
            std::lock_guard lock(mutex);
            list.emplace_back(s, t);
        };
        c.OnSourceTable = [this](std::uint64_t, const std::vector<std::string>& m) {
            std::lock_guard lock(mutex);
            table = m;
        };
        client.SetCallbacks(std::move(c));
    }
    bool waitFor(NTRIPClientState state, const std::string& text)
    {
        return waitUntil([&] {
            std::lock_guard lock(mutex);
            return std::find(list.begin(), list.end(), std::pair(state, text)) != list.end();
        }, 10000);
    }
    std::mutex mutex;
    std::vector<std::pair<NTRIPClientState, std::string>> list;
    std::vector<std::string> table;
};

} // namespace

TEST_F(NtripCaster, StreamArrivesUnchangedInTheReceiverPortAndTheGgaReachesTheCaster)
{
    PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    Statuses statuses;
    TVeldorNTRIPClient client;
    statuses.attach(client);
    useCaster(client, "TEST", "pass");
    client.SetSerialPortHandle(pty.output());
    client.SetPosition(-33.5, -70.25, 12.34);
    client.Connect();
    ASSERT_TRUE(statuses.waitFor(NTRIPClientState::Connected, "Connected to TEST"));
    startFeed_ = true;

    ASSERT_TRUE(waitUntil([&] { return pty.received().size() >= stream_.size(); }, 20000))
        << "only " << pty.received().size() << " of " << stream_.size() << " bytes arrived";
    EXPECT_TRUE(pty.received() == stream_) << "the corrections changed on their way";
    EXPECT_EQ(client.BytesReceived(), std::int64_t(stream_.size()));
    EXPECT_EQ(ScanRtcmFrames(stream_).Frames.size(), 429u);
    EXPECT_TRUE(statuses.waitFor(NTRIPClientState::Receiving, "Receiving correction data"));

    // The caster relays the upload back to the feeder.
    ASSERT_TRUE(waitUntil([&] { return uploads().find("\r\n") != std::string::npos; }, 10000));
    const std::string gga = uploads().substr(0, uploads().find("\r\n"));
    EXPECT_EQ(gga.substr(0, 7), "$GPGGA,");
    EXPECT_NE(gga.find(",3330.0000,S,07015.0000,W,1,10,1.0,12.3,M,0.0,M,,*"), std::string::npos) << gga;
    EXPECT_EQ(client.BytesSent(), std::int64_t(gga.size() + 2));
    client.Disconnect();
}

TEST_F(NtripCaster, WrongPasswordUnknownMountPointAndSourceTable)
{
    {
        Statuses s;
        TVeldorNTRIPClient client;
        s.attach(client);
        useCaster(client, "TEST", "wrong");
        client.Connect();
        EXPECT_TRUE(s.waitFor(NTRIPClientState::Error, "401 - Invalid username or password"));
        EXPECT_TRUE(s.waitFor(NTRIPClientState::Disconnected, "Disconnected"));
    }
    {
        Statuses s;
        TVeldorNTRIPClient client;
        s.attach(client);
        useCaster(client, "NOPE", "pass");
        auto output = std::make_shared<test::CaptureOutput>();
        client.SetSerialPortHandle(output);
        client.Connect();
        EXPECT_TRUE(s.waitFor(NTRIPClientState::Error, "404 - Mount point not found: NOPE"));
        EXPECT_TRUE(s.waitFor(NTRIPClientState::Disconnected, "Disconnected"));
        EXPECT_TRUE(output->bytes().empty()) << "the caster's source table went into the receiver";
        EXPECT_TRUE(client.MountPoints().empty());
    }
    {
        Statuses s;
        TVeldorNTRIPClient client;
        s.attach(client);
        useCaster(client, "", "pass");
        client.FetchSourceTable();
        EXPECT_TRUE(s.waitFor(NTRIPClientState::Disconnected, "Disconnected"));
        std::lock_guard lock(s.mutex);
        EXPECT_EQ(s.table, std::vector<std::string>{"TEST"});
    }
}
