// The serial layer against pseudo-terminals: line settings as the kernel holds them, raw mode,
// exclusive open, reads and writes across a hang-up, bounded writes and writers on two threads.
#include "platform/SerialPort.h"
#include "platform/SerialTermios.h"
#include "support/PtyPair.h"
#include "support/TempHome.h"

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace vsx;
using vsx::test::PtyPair;

namespace {

serial::LineState stateOf(const PtyPair& pty)
{
    serial::LineState s;
    EXPECT_TRUE(serial::readLineState(pty.masterFd(), s));
    return s;
}

// Reads from the port until `want` bytes came or a second passed.
std::string readFromPort(SerialPort& port, size_t want)
{
    std::string got;
    char buf[512];
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (got.size() < want && std::chrono::steady_clock::now() < until) {
        long n = port.read(buf, sizeof buf);
        if (n > 0) got.append(buf, size_t(n));
        else std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return got;
}

} // namespace

// A pseudo-terminal keeps rate, stop bits, parity checking and the modes; it always reports
// eight data bits without parity, so those two cannot be seen here.
TEST(SerialPort, LineSettingsReachTheDevice)
{
    struct Case {
        SerialLineSettings in;
        unsigned baud;
        bool twoStopBits;
        bool parityCheck;
    };
    const Case cases[] = {
        {{9600, 8, SerialStopBits::One, SerialParity::None}, 9600, false, false},
        {{14400, 8, SerialStopBits::One, SerialParity::None}, 14400, false, false},  // no termios constant
        {{115200, 7, SerialStopBits::Two, SerialParity::Even}, 115200, true, true},
        {{230400, 6, SerialStopBits::One, SerialParity::Odd}, 230400, false, true},
        {{4800, 5, SerialStopBits::OneAndHalf, SerialParity::Mark}, 4800, true, true},
        {{110, 8, SerialStopBits::One, SerialParity::AsFound}, 110, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in.baudRate);
        PtyPair pty;
        EXPECT_FALSE(stateOf(pty).raw);  // a fresh tty edits lines and echoes
        std::string error;
        auto port = SerialPort::open(pty.slavePath(), c.in, &error);
        ASSERT_TRUE(port) << error;
        serial::LineState s = stateOf(pty);
        EXPECT_EQ(s.baudRate, c.baud);
        EXPECT_EQ(s.twoStopBits, c.twoStopBits);
        EXPECT_EQ(s.parityCheck, c.parityCheck);
        EXPECT_TRUE(s.raw);
        EXPECT_TRUE(s.receiverOn);
        EXPECT_TRUE(s.localLine);
        EXPECT_FALSE(s.hardwareFlowControl);
    }
}

TEST(SerialPort, RefusesAWidthTheDeviceCannotHaveAndLeavesNothingOpen)
{
    PtyPair pty;
    SerialLineSettings s;
    s.dataBits = 4;
    std::string error;
    EXPECT_FALSE(SerialPort::open(pty.slavePath(), s, &error));
    EXPECT_NE(error.find("data width"), std::string::npos) << error;
    EXPECT_TRUE(SerialPort::canOpen(pty.slavePath()));
}

TEST(SerialPort, RawModeDeliversBytesUnchangedAndEchoesNothing)
{
    PtyPair pty;
    SerialLineSettings s;
    s.dtr = s.rts = true;  // a pseudo-terminal has no modem lines; the open still succeeds
    auto port = SerialPort::open(pty.slavePath(), s);
    ASSERT_TRUE(port);
    const std::string bytes("$GPHDT,1.0,T*00\r\n\x03\x1a\x7f\xe7\n", 23);
    ASSERT_TRUE(pty.write(bytes));
    EXPECT_EQ(readFromPort(*port, bytes.size()), bytes);
    EXPECT_EQ(pty.readAll(), "");  // no echo back into the device
    ASSERT_TRUE(port->write("abc\n"));
    EXPECT_EQ(pty.readAll(), "abc\n");  // no output processing (no CR added)
}

TEST(SerialPort, OpenIsExclusiveUntilClosed)
{
    PtyPair pty;
    auto first = SerialPort::open(pty.slavePath(), {});
    ASSERT_TRUE(first);
    std::string error;
    EXPECT_FALSE(SerialPort::open(pty.slavePath(), {}, &error));
    EXPECT_NE(error.find("in use"), std::string::npos) << error;
    EXPECT_FALSE(SerialPort::canOpen(pty.slavePath()));
    first->close();
    EXPECT_FALSE(first->isOpen());
    EXPECT_TRUE(SerialPort::canOpen(pty.slavePath()));
    EXPECT_TRUE(SerialPort::open(pty.slavePath(), {}));
}

TEST(SerialPort, OpenFailuresSayWhy)
{
    std::string error;
    EXPECT_FALSE(SerialPort::open("/dev/ttyUSB_not_there", {}, &error));
    EXPECT_EQ(error, "Cannot open /dev/ttyUSB_not_there: no such device; check that it is plugged in and that its path "
                     "is right");

    // Without rights on the device node. Root passes every permission check, so it takes the
    // part of an ordinary user for the open.
    PtyPair pty;
    ::chmod(pty.slavePath().c_str(), 0600);
    std::string path = pty.slavePath();
    vsx::test::TempHome home;
    if (geteuid() != 0) {
        path = home.path("locked-device");
        home.writeFile("locked-device", "");
        ::chmod(path.c_str(), 0);
    }
    const bool asRoot = geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(::seteuid(65534), 0);
    }
    auto port = SerialPort::open(path, {}, &error);
    if (asRoot) {
        ASSERT_EQ(::seteuid(0), 0);
    }
    EXPECT_FALSE(port);
    EXPECT_EQ(error, "Cannot open " + path + ": permission denied; add the user to the dialout group");
}

TEST(SerialPort, ReadsWaitingBytesAndPurgeDropsThem)
{
    PtyPair pty;
    auto port = SerialPort::open(pty.slavePath(), {});
    ASSERT_TRUE(port);
    char buf[16];
    EXPECT_EQ(port->read(buf, sizeof buf), 0);  // nothing queued: no wait
    pty.write("0123456789");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(port->bytesWaiting(), 10);
    EXPECT_EQ(port->read(buf, 4), 4);
    EXPECT_EQ(std::string(buf, 4), "0123");
    EXPECT_TRUE(port->purge());
    EXPECT_EQ(port->bytesWaiting(), 0);
    EXPECT_EQ(port->read(buf, sizeof buf), 0);
}

TEST(SerialPort, HangUpAndCloseMakeEveryCallFailAtOnce)
{
    PtyPair pty;
    auto port = SerialPort::open(pty.slavePath(), {});
    ASSERT_TRUE(port);
    pty.closeMaster();
    char buf[16];
    EXPECT_EQ(port->read(buf, sizeof buf), -1);
    EXPECT_EQ(port->bytesWaiting(), -1);
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(port->write("$GPGGA\r\n"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));

    port->close();
    EXPECT_FALSE(port->isOpen());
    EXPECT_EQ(port->read(buf, sizeof buf), -1);
    EXPECT_FALSE(port->write("x"));
    EXPECT_FALSE(port->purge());
    port->close();  // twice is harmless
}

TEST(SerialPort, WriteGivesUpAfterItsTimeOut)
{
    PtyPair pty;  // nobody reads the device side, so its queue fills up
    auto port = SerialPort::open(pty.slavePath(), {});
    ASSERT_TRUE(port);
    port->setWriteTimeout(std::chrono::milliseconds(100));
    const std::string block(1 << 20, 'x');
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(port->write(block));
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(90));
    EXPECT_LT(took, std::chrono::milliseconds(1000));
}

// The NTRIP worker writes correction blocks from its own thread while the interactive thread
// writes commands and finally closes the port. Blocks never interleave, and a write after the
// close fails instead of reaching whatever reuses the descriptor.
TEST(SerialPort, WritersOnTwoThreadsAndACloseInBetween)
{
    PtyPair pty;
    auto port = SerialPort::open(pty.slavePath(), {});
    ASSERT_TRUE(port);
    const std::string blockA(300, 'A'), blockB(300, 'B');
    std::atomic<int> written{0};
    std::atomic<bool> stopped{false};
    auto writer = [&](const std::string& block) {
        for (int i = 0; i < 20; ++i)
            if (port->write(block)) ++written;
    };
    std::thread a(writer, blockA), b(writer, blockB);
    std::string seen;
    std::thread reader([&] {
        while (!stopped) seen += pty.readAll(20);
    });
    a.join();
    b.join();
    stopped = true;
    reader.join();
    seen += pty.readAll();
    EXPECT_EQ(written, 40);
    ASSERT_EQ(seen.size(), 40u * 300u);
    for (size_t i = 0; i < seen.size(); i += 300)
        EXPECT_EQ(seen.substr(i, 300), seen[i] == 'A' ? blockA : blockB) << "block at " << i;

    std::shared_ptr<SerialPort> held = port;  // the worker's copy
    std::thread late([held] {
        while (held->write("late")) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    port->close();
    late.join();
    EXPECT_FALSE(held->isOpen());
    // The descriptor number is free again; a new file takes it and must not get the bytes.
    vsx::test::TempHome home;
    int fd = ::open(home.path("reused").c_str(), O_CREAT | O_RDWR, 0600);
    EXPECT_FALSE(held->write("$RTCM"));
    ::close(fd);
    EXPECT_EQ(std::filesystem::file_size(home.path("reused")), 0u);
}
