// A caster on 127.0.0.1 that takes every connection and closes it at once, with the program
// started offscreen on a settings file that names it: the saved mount point connects at start,
// and the client tries again every 5 s. The user opens the NTRIP window from the main window's
// menu; one click on its button ends the reconnecting for good, and a port typed wrong is refused.
#include "app/Settings.h"
#include "app/windows/WindowPointers.h"
#include "input/NtripSettings.h"
#include "input/windows/NtripWindow.h"
#include "nav/windows/MainWindow.h"
#include "platform/IniFile.h"
#include "platform/Text.h"

#include "support/ControlInput.h"
#include "support/LoopbackServer.h"
#include "support/ControlInput.h"
#include "support/RunningProgram.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

using namespace vsx;
using namespace vsx::test;

namespace {

// The log's lines without their "hh:nn:ss " time.
std::vector<std::string> logLines()
{
    std::vector<std::string> lines;
    std::istringstream in(toCp1254(frmNTRIPSettings->memoLog->toPlainText()));
    for (std::string line; std::getline(in, line);) lines.push_back(line.size() > 9 ? line.substr(9) : line);
    return lines;
}

int countOf(const std::vector<std::string>& lines, const std::string& line)
{
    return int(std::count(lines.begin(), lines.end(), line));
}

} // namespace

TEST(EndToEndNtripReconnect, OneClickStopsTheReconnectsToACasterThatClosesAtOnce)
{
    LoopbackServer caster([](LoopbackPeer&, int) {}); // accepted, and closed when the handler returns
    const std::string port = std::to_string(caster.port());
    RunningProgram program([&](IniFile& ini) {
        ini.writeString("NTRIP", "Server", "127.0.0.1");
        ini.writeString("NTRIP", "Port", port);
        ini.writeString("NTRIP", "MountPoint", "TEST");
    });
    const std::string connecting = "Connecting to 127.0.0.1:" + port;
    const auto logged = [](const std::string& line) { return countOf(logLines(), line) > 0; };
    ASSERT_TRUE(QTest::qWaitFor([&] { return logged("Reconnect attempt 2/10"); }, 30000))
        << toCp1254(frmNTRIPSettings->memoLog->toPlainText());

    // Connecting or waiting for the next attempt, the button offers to stop; one click does.
    chooseMenuItem(FNav->menuBar(), "VeldorNTRIPClient1");
    NtripWindow* w = frmNTRIPSettings;
    ASSERT_TRUE(w->isVisible());
    EXPECT_EQ(w->btnConnect->text(), "Disconnect");
    click(w->btnConnect);
    EXPECT_EQ(w->btnConnect->text(), "Connect");
    EXPECT_EQ(w->windowTitle(), "Veldor NTRIP Client - Disconnected");
    // The client's last line comes through the window's event queue.
    ASSERT_TRUE(QTest::qWaitFor([] { return logLines().back() == "Disconnected"; }, 5000));
    const std::vector<std::string> lines = logLines();
    EXPECT_EQ(lines[lines.size() - 2], "Disconnecting (manual)...");
    // The log written while the window was hidden shows its newest lines.
    const QScrollBar* bar = w->memoLog->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_FALSE(ReadNtripSettings(GetIniFileName()).AutoConnect);

    // One line for each attempt, and the line that ends the last connection before every new one.
    const auto first = std::find(lines.begin(), lines.end(), connecting);
    ASSERT_NE(first, lines.end());
    EXPECT_EQ(*(first - 1), connecting + "/TEST") << "the window's own line for the user's connect";
    int attempts = 0, connects = 1;
    for (auto at = first + 1; at != lines.end(); ++at) {
        if (at->rfind("Reconnect attempt ", 0) != 0) continue;
        ++attempts;
        EXPECT_EQ(*at, "Reconnect attempt " + std::to_string(attempts) + "/10");
        EXPECT_EQ(std::vector<std::string>(at - 2, at), (std::vector<std::string>{"Connection closed", "Disconnected"}))
            << *at;
        // What follows, up to the click when it came in the middle of it.
        const auto stop = std::find(at + 1, std::min(at + 3, lines.end()), "Disconnecting (manual)...");
        const std::vector<std::string> after(at + 1, stop), want{"Disconnected", connecting};
        EXPECT_TRUE(std::equal(after.begin(), after.end(), want.begin())) << *at;
        if (stop == at + 3) {
            EXPECT_EQ(after, want) << *at;
        }
        if (after.size() == 2u) ++connects;
    }
    EXPECT_GE(attempts, 2);
    EXPECT_EQ(countOf(lines, connecting), connects);

    // Stopped: no connection comes within twice the reconnect interval, and the log stays as it is.
    const int connections = caster.connections();
    EXPECT_FALSE(QTest::qWaitFor([&] { return caster.connections() > connections; }, 12000))
        << "a connection came after the stop";
    EXPECT_EQ(logLines(), lines);

    // A port that is not a number is refused over this window, naming the field; nothing is
    // stored or started.
    typeInto(w->edtPort, "abc");
    click(w->btnConnect);
    ASSERT_EQ(program.prompts.entries.size(), 1u);
    EXPECT_EQ(program.prompts.entries[0].text,
              "Port: 'abc' is not a port number. Type a whole number from 1 to 65535.");
    EXPECT_EQ(program.prompts.entries[0].parent, w);
    EXPECT_EQ(ReadNtripSettings(GetIniFileName()).Port, port);
    EXPECT_EQ(w->btnConnect->text(), "Connect");
    EXPECT_EQ(logLines(), lines);
    EXPECT_EQ(caster.connections(), connections);
}
