// Where the NTRIP client's correction bytes go: the receiver's port, or an output port opened
// instead, each block to exactly one of them while the user switches from the interactive
// thread and the network thread writes.
#include "input/CorrectionRouter.h"
#include "platform/SerialPort.h"
#include "support/CorrectionOutputs.h"
#include "support/LoopbackServer.h"
#include "support/PtyCollector.h"
#include "support/PtyPair.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <thread>
#include <vector>

using namespace vsx;
using vsx::test::CaptureOutput;
using vsx::test::PtyCollector;
using vsx::test::PtyPair;
using vsx::test::waitUntil;

TEST(NtripCorrectionRouter, EachBlockGoesToThePortInForce)
{
    CorrectionRouter router;
    EXPECT_FALSE(router.isOpen());
    EXPECT_TRUE(router.receiverPortMissing());
    EXPECT_FALSE(router.write("lost", 4)) << "no port at all";

    auto receiver = std::make_shared<CaptureOutput>();
    router.setReceiverPort(receiver);
    EXPECT_TRUE(router.isOpen());
    EXPECT_FALSE(router.receiverPortMissing());
    EXPECT_TRUE(router.write("a", 1));

    PtyPair pty;
    PtyCollector atOutput(pty);
    std::string error;
    ASSERT_TRUE(router.openOutputPort(pty.slavePath(), 115200, error)) << error;
    EXPECT_TRUE(router.outputPortOpen());
    EXPECT_TRUE(router.write("bc", 2));
    // The receiver's port may go meanwhile: the output port still takes the stream.
    router.setReceiverPort(nullptr);
    EXPECT_FALSE(router.receiverPortMissing());
    EXPECT_TRUE(router.write("d", 1));
    ASSERT_TRUE(waitUntil([&] { return atOutput.size() >= 3; }, 5000));
    EXPECT_EQ(atOutput.received(), "bcd");
    EXPECT_EQ(receiver->bytes(), "a");

    // Closed: back to the receiver's port, or nowhere while there is none.
    EXPECT_TRUE(router.closeOutputPort());
    EXPECT_FALSE(router.closeOutputPort()) << "nothing left to close";
    EXPECT_TRUE(router.receiverPortMissing());
    EXPECT_FALSE(router.write("e", 1));
    router.setReceiverPort(receiver);
    EXPECT_TRUE(router.write("f", 1));
    EXPECT_EQ(receiver->bytes(), "af");
    EXPECT_EQ(atOutput.received(), "bcd");

    // A port held by another program, or no device: refused with the reason; the receiver keeps
    // the stream.
    std::shared_ptr<SerialPort> holder = SerialPort::open(pty.slavePath(), {}, &error);
    ASSERT_TRUE(holder) << error;
    for (const std::string& device : {pty.slavePath(), std::string("/dev/no-such-serial-device")}) {
        EXPECT_FALSE(router.openOutputPort(device, 9600, error)) << device;
        EXPECT_FALSE(error.empty()) << device;
        EXPECT_FALSE(router.outputPortOpen()) << device;
        EXPECT_TRUE(router.write("g", 1));
    }
    EXPECT_EQ(receiver->bytes(), "afgg");
}

// The user switches between the receiver's port and output ports while the network thread
// writes numbered blocks: every block the router took is found at exactly one port, whole.
// (Each output port is opened once: an open purges the port's queues.)
TEST(NtripCorrectionRouter, SwitchingWhileTheStreamFlowsSendsEveryBlockOnce)
{
    CorrectionRouter router;
    auto receiver = std::make_shared<CaptureOutput>();
    router.setReceiverPort(receiver);
    constexpr int kPorts = 6;
    std::vector<std::unique_ptr<PtyPair>> ptys;
    std::vector<std::unique_ptr<PtyCollector>> collectors;
    for (int i = 0; i < kPorts; ++i) {
        ptys.push_back(std::make_unique<PtyPair>());
        collectors.push_back(std::make_unique<PtyCollector>(*ptys.back()));
    }

    constexpr std::size_t kBlockSize = 8;  // "B000123\n"
    std::atomic<int> written{0};
    std::atomic<bool> stop{false};
    std::vector<int> taken;  // the blocks write() accepted; read after the writer ends
    std::thread network([&] {
        char block[kBlockSize + 1];
        for (int n = 0; !stop.load(); ++n) {
            std::snprintf(block, sizeof block, "B%06d\n", n);
            if (router.write(block, kBlockSize)) taken.push_back(n);
            written.store(n + 1);
            // A caster's pace, well within what the ports take at once.
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    });
    auto letBlocksPass = [&] {
        const int from = written.load();
        return waitUntil([&] { return written.load() >= from + 200; }, 10000);
    };
    std::string error;
    for (int i = 0; i < kPorts; ++i) {
        ASSERT_TRUE(letBlocksPass());
        ASSERT_TRUE(router.openOutputPort(ptys[std::size_t(i)]->slavePath(), 115200, error)) << error;
        ASSERT_TRUE(letBlocksPass());
        // Every other time straight to the next output port, else back to the receiver's first.
        if (i % 2 == 0) EXPECT_TRUE(router.closeOutputPort());
    }
    ASSERT_TRUE(letBlocksPass());
    stop = true;
    network.join();
    router.closeOutputPort();

    const std::size_t atOutputs = taken.size() * kBlockSize - receiver->bytes().size();
    ASSERT_TRUE(waitUntil(
        [&] {
            std::size_t sum = 0;
            for (const auto& c : collectors) sum += c->size();
            return sum >= atOutputs;
        },
        10000));
    std::map<int, int> seen;
    auto count = [&](const std::string& bytes, const std::string& where) {
        ASSERT_EQ(bytes.size() % kBlockSize, 0u) << where << " has a cut block";
        int last = -1;
        for (std::size_t at = 0; at < bytes.size(); at += kBlockSize) {
            const int n = std::stoi(bytes.substr(at + 1, kBlockSize - 2));
            EXPECT_GT(n, last) << where << " out of order";
            last = n;
            ++seen[n];
        }
    };
    count(receiver->bytes(), "the receiver's port");
    int portsUsed = 0;
    for (int i = 0; i < kPorts; ++i) {
        const std::string bytes = collectors[std::size_t(i)]->received();
        portsUsed += bytes.empty() ? 0 : 1;
        count(bytes, "output port " + std::to_string(i));
    }
    EXPECT_EQ(portsUsed, kPorts);
    EXPECT_EQ(seen.size(), taken.size());
    for (int n : taken) EXPECT_EQ(seen[n], 1) << "block " << n;
}
