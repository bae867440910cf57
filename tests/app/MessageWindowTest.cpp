#include "app/windows/MessageWindow.h"

#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vsx;

TEST(MessageWindow, LinesAccumulateTimerHidesClickEmpties)
{
    MessageWindow w;
    w.hideTimer->setInterval(50);
    w.AddMessage("GPS is idle!", true);
    w.AddMessage("Sensor TimeOut.", true);
    w.AddMessage("Connected to GPS on COM3", false);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.Msg->toPlainText(), "GPS is idle!\nSensor TimeOut.\nConnected to GPS on COM3");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }, 2000)) << "hides by itself";
    EXPECT_FALSE(w.Msg->toPlainText().isEmpty()) << "hiding by the timer keeps the lines";
    w.show();
    QTest::mouseClick(w.Msg->viewport(), Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(w.Msg->toPlainText().isEmpty());
}
