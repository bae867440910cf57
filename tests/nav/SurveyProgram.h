#pragma once
// The whole program on a GNSS receiver (COM5) and an echosounder (COM6) played on
// pseudo-terminals, with the survey set-up of writeSurveySettings and the survey's identification
// filled in (so the offsets window's own start is accepted): the windows made as at start, first
// show done. The windows go with the object.
#include "NavTestSupport.h"

#include "app/SharedValues.h"
#include "app/windows/WindowPointers.h"
#include "nav/RealtimeState.h"
#include "nav/SurveyRun.h"
#include "nav/windows/MainWindow.h"
#include "platform/IniFile.h"
#include "program/ProgramStart.h"

#include "support/PtyPair.h"
#include "support/TempHome.h"

#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace vsx::test {

struct SurveyProgram {
    SurveyProgram() = default;
    SurveyProgram(const SurveyProgram&) = delete;
    SurveyProgram& operator=(const SurveyProgram&) = delete;
    ~SurveyProgram() { DestroyAllWindows(); }

    // `more` changes the settings file before the program reads it.
    void startProgram(const std::function<void(IniFile&)>& more = {})
    {
        gnss.mapTo(home.iniPath(), "COM5");
        sounder.mapTo(home.iniPath(), "COM6");
        writeSurveySettings(home.iniPath());
        {
            IniFile ini(home.iniPath());
            ini.writeString("ECHOSOUNDER_OFFSETS", "SurveyLocation", "Harbour");
            ini.writeString("ECHOSOUNDER_OFFSETS", "SurveyBoat", "Tern");
            ini.writeString("ECHOSOUNDER_OFFSETS", "Surveyor", "Ada");
            if (more) more(ini);
        }
        InitSharedValues();
        CreateAllWindows();
        ASSERT_TRUE(QTest::qWaitFor([] { return FNav->windowTitle().startsWith("Veldor Sondrix - "); }, 10000));
    }
    // The tool bar's real-time button; the run must start.
    void pressStart()
    {
        QTest::mouseClick(FNav->bRealtime, Qt::LeftButton);
        ASSERT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();
    }
    // The receiver sends `fix` until the map loop has given the vessel a grid position.
    bool sendFixUntilPositioned(const std::string& fix)
    {
        for (int i = 0; i < 100; ++i) {
            if (!gnss.write(fix)) return false;
            if (QTest::qWaitFor([] { return realtimeState().VesselEasting != 0; }, 200)) return true;
        }
        return false;
    }

    TempHome home;
    PtyPair gnss, sounder;
};

} // namespace vsx::test
