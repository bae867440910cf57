// Screenshot names and files, and where the remote-support program is looked for.
#include "nav/RemoteSupport.h"
#include "nav/ScreenshotWriter.h"
#include "platform/IniFile.h"

#include "support/TempHome.h"

#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

using namespace vsx;
using namespace vsx::test;

TEST(Screenshots, MonitorsAreNamedByWhereTheyStandAndNeverTwiceAlike)
{
    using M = std::vector<MonitorRect>;
    using N = std::vector<std::string>;
    const struct {
        M monitors;
        N names;
    } rows[] = {
        {{{0, 0, 1920, 1080}}, {"Primary"}},
        {{{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}}, {"Left", "Right"}},
        {{{1920, 0, 1920, 1080}, {0, 0, 1920, 1080}, {-1920, 0, 1920, 1080}}, {"Right", "Middle", "Left"}},
        {{{0, 1080, 1920, 1080}, {0, 0, 1920, 1080}}, {"Bottom", "Top"}},
        {{{0, 0, 1920, 1080}, {1920, 500, 1280, 1024}}, {"Left", "Right"}},  // offset both ways
        {{{0, 0, 1920, 1080}, {0, 1080, 1920, 1080}, {0, 2160, 1920, 1080}}, {"Top", "Monitor2", "Bottom"}},
        // Two stacked on the left beside one, and a wall of four: each keeps its own file.
        {{{0, 0, 1920, 1080}, {0, 1080, 1920, 1080}, {1920, 0, 1920, 1080}}, {"Left1", "Left2", "Right"}},
        {{{0, 0, 800, 600}, {800, 0, 800, 600}, {0, 600, 800, 600}, {800, 600, 800, 600}},
         {"Left1", "Right2", "Left3", "Right4"}},
    };
    for (const auto& r : rows) EXPECT_EQ(MonitorNames(r.monitors), r.names) << r.names.front();

    EXPECT_EQ(ScreenshotFolder("/home/s/VLT/2026-12-10/LOG/"), "/home/s/VLT/2026-12-10/PNG/");
    LocalDateTime t;
    t.year = 2026, t.month = 3, t.day = 9, t.hour = 7, t.minute = 5, t.second = 4;
    EXPECT_EQ(ScreenshotFileName("/d/PNG/", t, "Left"), "/d/PNG/VSX 2026-03-09 070504 Left.png");
}

namespace {

class Pictures : public ScreenSource {
public:
    std::vector<MonitorRect> Monitors() override { return monitors; }
    QImage Grab(size_t i) override
    {
        QImage img(monitors[i].width, monitors[i].height, QImage::Format_ARGB32);
        img.fill(QColor(10 * int(i), 200, 30));
        return img;
    }
    std::vector<MonitorRect> monitors;
};

// Colour type and bit depth from a PNG file's header.
std::pair<int, int> pngColourTypeAndDepth(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    char head[26] = {};
    f.read(head, sizeof head);
    return {static_cast<unsigned char>(head[25]), static_cast<unsigned char>(head[24])};
}

} // namespace

TEST(Screenshots, WrittenAs24BitPngOffTheInteractiveThreadAndAFailureReportedOnce)
{
    TempHome home;
    Pictures screens;
    screens.monitors = {{0, 0, 320, 200}, {320, 0, 160, 100}};
    ScreenshotWriter writer;
    std::vector<std::string> failures;
    writer.OnFailure = [&](const std::string& m) { failures.push_back(m); };
    LocalDateTime t;
    t.year = 2026, t.month = 12, t.day = 10, t.hour = 14, t.minute = 0, t.second = 1;
    const std::string folder = home.path("VLT/2026-12-10/PNG/");
    EXPECT_EQ(writer.Take(screens, folder, t), 2);
    EXPECT_EQ(writer.Take(screens, folder, t), 0) << "a moment is skipped while the last one is still written";
    writer.WaitForDone();
    for (const auto& [name, w, h] : {std::tuple{"Left", 320, 200}, std::tuple{"Right", 160, 100}}) {
        const std::string path = folder + "VSX 2026-12-10 140001 " + name + ".png";
        QImage back(QString::fromStdString(path));
        ASSERT_FALSE(back.isNull()) << path;
        EXPECT_EQ(back.size(), QSize(w, h));
        EXPECT_EQ(pngColourTypeAndDepth(path), (std::pair{2, 8})) << "8-bit RGB, no alpha";
        EXPECT_EQ(QColor(back.pixel(5, 5)).green(), 200);
    }
    EXPECT_TRUE(failures.empty());

    // A folder that cannot be made (a file stands in its way): one report for the streak.
    home.writeFile("blocked", "x");
    for (int i = 0; i < 3; ++i) {
        writer.Take(screens, home.path("blocked/PNG/"), t);
        writer.WaitForDone();
    }
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("blocked/PNG/VSX 2026-12-10 140001 Left.png"), std::string::npos) << failures[0];
    writer.Take(screens, folder, t);
    writer.WaitForDone();
    writer.Take(screens, home.path("blocked/PNG/"), t);
    writer.WaitForDone();
    EXPECT_EQ(failures.size(), 2u) << "after a good save a new failure is reported again";
}

TEST(RemoteSupport, TheProgramComesFromTheProgramFolderOrTheSettings)
{
    TempHome home;
    const std::string ini = home.path("s.ini");
    EXPECT_EQ(RemoteSupportProgram(IniFile(ini), "/opt/vsx/"), "/opt/vsx/VeldorUD");
    {
        IniFile f(ini);
        f.writeString("SETTINGS", kRemoteSupportKey, "support/../tools/rs");
    }
    EXPECT_EQ(RemoteSupportProgram(IniFile(ini), "/opt/vsx"), "/opt/vsx/tools/rs") << "relative to the program folder";
    {
        IniFile f(ini);
        f.writeString("SETTINGS", kRemoteSupportKey, "/usr/bin/remote-help");
    }
    EXPECT_EQ(RemoteSupportProgram(IniFile(ini), "/opt/vsx/"), "/usr/bin/remote-help");
}
