// Screenshot names and files, and where the remote-support program is looked for.
#include "nav/RemoteSupport.h"
#include "nav/ScreenshotWriter.h"
#include "platform/IniFile.h"

#include "support/TempHome.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
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

namespace {

// A desktop-like full-HD picture: windows with title bars, rows of text, a map grid and a track.
QImage desktopPicture()
{
    QImage img(1920, 1080, QImage::Format_ARGB32);
    img.fill(QColor(58, 110, 165));
    QPainter p(&img);
    for (int w = 0; w < 6; ++w) {
        const QRect r(40 + w * 300, 30 + w * 120, 700, 520);
        p.fillRect(r, QColor(240, 240, 240));
        p.fillRect(QRect(r.left(), r.top(), r.width(), 24), QColor(60 + 30 * w, 90, 140));
        p.setPen(Qt::black);
        for (int row = 0; row < 20; ++row)
            p.drawText(r.left() + 8, r.top() + 44 + row * 22, QStringLiteral("Depth %1.%2 m  E 512%3.25  N 4545%4.50")
                                                                  .arg(row + w).arg(row * 7 % 10).arg(row * 37 % 1000, 3, 10, QChar('0'))
                                                                  .arg(row * 53 % 1000, 3, 10, QChar('0')));
    }
    p.setPen(QColor(0, 160, 0));
    for (int x = 0; x < 1920; x += 64) p.drawLine(x, 0, x, 1079);
    for (int y = 0; y < 1080; y += 64) p.drawLine(0, y, 1919, y);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::red, 3));
    for (int i = 1; i < 200; ++i)
        p.drawLine(QPointF(i * 9.6 - 9.6, 540 + 300 * std::sin((i - 1) * 0.05)), QPointF(i * 9.6, 540 + 300 * std::sin(i * 0.05)));
    return img;
}

// The zlib compression-level field (FLEVEL: 0 fastest ... 3 best, levels 7 to 9) of a PNG's
// first image-data chunk.
int zlibLevelField(const QByteArray& png)
{
    const int at = png.indexOf("IDAT");
    return at < 0 || at + 6 > png.size() ? -1 : (uchar(png[at + 5]) >> 6);
}

} // namespace

TEST(Screenshots, AFullHdDesktopIsStoredLosslesslyWellUnderAMegabyte)
{
    TempHome home;
    const QImage picture = desktopPicture();
    const std::string path = home.path("PNG/VSX 2026-12-10 140001 Primary.png");
    ASSERT_EQ(ScreenshotWriter::WritePng(picture, path), "");
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(zlibLevelField(bytes), 3) << "zlib's best compression";
    EXPECT_LT(bytes.size(), 1000 * 1000) << "stored nearly uncompressed (1920 x 1080 x 3 bytes is 6.2 MB)";
    QImage back;
    ASSERT_TRUE(back.loadFromData(bytes, "PNG"));
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB888), picture.convertToFormat(QImage::Format_RGB888))
        << "every pixel as it was on the screen";
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
