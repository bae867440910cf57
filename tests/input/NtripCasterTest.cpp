// The NTRIP client against a real caster: RTKLIB's str2str serves a stream that a feeder of the
// test's own puts in, and relays back what the client uploads (support/LocalCaster). The corrections are checked as
// they come out of a pseudo-terminal standing in for the receiver's serial port.
#include "input/NtripClient.h"
#include "input/Rtcm3.h"
#include "platform/AtomicFile.h"
#include "support/CorrectionOutputs.h"
#include "support/LocalCaster.h"
#include "support/LoopbackServer.h"
#include "support/MissingPeer.h"
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
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>


using namespace vsx;
using vsx::test::waitUntil;

namespace {

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
        const std::string folder = test::sharedDataFolder();
        if (folder.empty() || !readFile(folder + "rtcm/testglo.rtcm3", stream_) || stream_.empty())
            VSX_SKIP_MISSING() << "the shared RTCM recording rtcm/testglo.rtcm3 is not there";
        std::string whyNot;
        if (!caster_.Start(whyNot)) {
            if (test::findProgram("str2str").empty()) VSX_SKIP_MISSING() << whyNot;
            FAIL() << whyNot;
        }
    }

    void useCaster(TVeldorNTRIPClient& client, const std::string& mount, const std::string& password)
    {
        client.Host = "127.0.0.1";
        client.Port = caster_.port();
        client.Username = "user";
        client.Password = password;
        client.MountPoint = mount;
        client.AutoReconnect = false;
    }

    std::string stream_;
    test::LocalCaster caster_;
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
    caster_.Send(stream_);

    ASSERT_TRUE(waitUntil([&] { return pty.received().size() >= stream_.size(); }, 20000))
        << "only " << pty.received().size() << " of " << stream_.size() << " bytes arrived";
    EXPECT_TRUE(pty.received() == stream_) << "the corrections changed on their way";
    EXPECT_EQ(client.BytesReceived(), std::int64_t(stream_.size()));
    EXPECT_EQ(ScanRtcmFrames(stream_).Frames.size(), 429u);
    EXPECT_TRUE(statuses.waitFor(NTRIPClientState::Receiving, "Receiving correction data"));

    // The caster relays the upload back to the feeder.
    ASSERT_TRUE(waitUntil([&] { return caster_.Uploads().find("\r\n") != std::string::npos; }, 10000));
    const std::string uploads = caster_.Uploads();
    const std::string gga = uploads.substr(0, uploads.find("\r\n"));
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
