#include "nav/Echogram.h"
#include "nav/EventMarks.h"
#include "nav/SensorWatchdog.h"

#include "support/TempHome.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace vsx;

TEST(SensorWatchdog, ReportsEachSilenceOnce)
{
    SensorWatchdog w;
    w.start(1000);
    EXPECT_FALSE(w.checkTimeout(5999));
    EXPECT_TRUE(w.checkTimeout(6001)) << "no line at all: 5 s after the start";
    EXPECT_FALSE(w.checkTimeout(20000));
    w.lineArrived(21000);
    for (std::uint32_t t = 21000; t < 40000; t += 1000) {
        w.lineArrived(t);
        EXPECT_FALSE(w.checkTimeout(t + 999));
    }
    EXPECT_TRUE(w.checkTimeout(39000 + 5100));
    EXPECT_FALSE(w.checkTimeout(39000 + 9000));
    w.lineArrived(0xFFFFFF00u);  // the tick wraps
    EXPECT_FALSE(w.checkTimeout(0x00000F00u));
    EXPECT_TRUE(w.checkTimeout(0x00001500u));
    w.stop();
    EXPECT_FALSE(w.checkTimeout(0x00100000u));
}

TEST(Echogram, RangeGridAndRows)
{
    EchogramHistory h;
    for (int i = 0; i < 3; ++i) h.push(10.0 + i, 50);
    auto r = h.range(0, 50);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.bottom, 50) << "three or fewer depths: the default range";
    h.push(12.0, 50);
    h.push(0, 50);  // no bottom: ignored by the range
    r = h.range(0, 50);
    EXPECT_DOUBLE_EQ(r.top, 9.7);
    EXPECT_DOUBLE_EQ(r.bottom, 12.3);
    // A quarter of 2.6 m is 0.65 = 6.5 x 0.1, which the step rule rounds up to 1 m.
    EXPECT_DOUBLE_EQ(EchogramGridStep(2.6), 1.0);
    EXPECT_DOUBLE_EQ(EchogramGridStep(1.6), 0.5);
    EXPECT_EQ(EchogramGridDecimals(0.5), 1);
    EXPECT_EQ(EchogramGridDecimals(0.05), 2);
    EXPECT_DOUBLE_EQ(EchogramGridStep(50), 20);
    h.computeRows(r, 260);
    EXPECT_EQ(h.row(49), 0) << "the newest entry had no depth";
    EXPECT_EQ(h.row(48), std::floor((12.0 - r.top) * 260 / r.span));
    QImage img(200, 260, QImage::Format_RGB32);
    QPainter p(&img);
    PaintEchogram(p, img.size(), h, r, 10.5);
    p.end();
    EXPECT_EQ(img.pixelColor(1, 1), QColor(0xF0, 0xF8, 0xFF)) << "background";
    EXPECT_EQ(img.pixelColor(195, 255), QColor(255, 255, 0)) << "the current-depth box";
}

TEST(EventMarks, CounterAndRecord)
{
    vsx::test::TempHome home;
    const std::string ini = home.path("s.ini");
    EXPECT_EQ(TakeNextEventNumber(ini), 1);
    EXPECT_EQ(TakeNextEventNumber(ini), 2);
    ResetEventNumber(ini);
    EXPECT_EQ(TakeNextEventNumber(ini), 1);
    const std::string rec = FormatEventMarkRecord(1, {2024, 5, 1, 13, 45, 1, 123}, 412345.678, 4543210.1, "--.--",
                                                  "--.--", 87.456);
    EXPECT_EQ(rec, "Event No:1,Date & Time:2024-05-01 134501123,Easting:412345.68,Northing:4543210.10,"
                   "True Depth:--.--,True Depth:--.--,Heading:87.46");
    ASSERT_TRUE(AppendEventMarkRecord(home.path("ev.log"), rec));
    EXPECT_EQ(home.readFile("ev.log"), "\r\n" + rec);
}
