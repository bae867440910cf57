// A settings file written by an earlier installation puts every window that keeps its placement
// back where it was. Each window's section is named after its object name, so the windows are
// found here by that name only, as the settings file knows them.
#include "app/SharedValues.h"
#include "platform/Prompts.h"
#include "program/ProgramStart.h"

#include "support/TempHome.h"

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <sstream>

using namespace vsx;
using vsx::test::TempHome;

namespace {

struct StoredWindow {
    const char* section;
    QPoint corner;
    QSize size;  // empty where the window keeps its designed size
};

// The sections of an earlier settings file, with places no window takes by itself.
const StoredWindow kStored[] = {
    {"FNav", {12, 14}, {760, 540}},
    {"Navset", {40, 44}, {}},
    {"Offsets", {52, 61}, {}},
    {"fRealtime", {63, 27}, {}},
    {"fRunline1", {71, 33}, {}},
    {"fSVP", {25, 38}, {}},
    {"fWaterfal", {90, 95}, {300, 120}},
};

QWidget* windowNamed(const char* objectName)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(objectName)) return w;
    return nullptr;
}

} // namespace

TEST(StoredPlacement, EveryWindowComesBackFromItsSection)
{
    TempHome home;
    RecordingPrompts prompts;
    setPrompts(&prompts);
    {
        std::ostringstream ini;
        for (const StoredWindow& s : kStored) {
            ini << "[" << s.section << "]\r\nWindowState=0\r\nLeft=" << s.corner.x() << "\r\nTop=" << s.corner.y()
                << "\r\n";
            if (!s.size.isEmpty()) ini << "Width=" << s.size.width() << "\r\nHeight=" << s.size.height() << "\r\n";
        }
        home.writeFile(home.iniPath().substr(home.root().size()), ini.str());
    }

    InitSharedValues();
    CreateAllWindows();
    QWidget* mainWindow = windowNamed("FNav");
    ASSERT_NE(mainWindow, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return mainWindow->windowTitle().startsWith("Veldor Sondrix - "); }, 3000));
    for (const StoredWindow& s : kStored) {
        SCOPED_TRACE(s.section);
        QWidget* w = windowNamed(s.section);
        ASSERT_NE(w, nullptr);
        w->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return w->isVisible() && w->frameGeometry().topLeft() == s.corner; }, 2000))
            << "frame at " << w->frameGeometry().x() << "," << w->frameGeometry().y();
        if (!s.size.isEmpty()) EXPECT_EQ(w->size(), s.size);
    }
    DestroyAllWindows();
    setPrompts(nullptr);
}
