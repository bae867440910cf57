// The windows that only a device, a caster or a modal dialog brings up (the message window, the
// waterfall, the RTCM report and the profile graph), each on its own with the shipped Turkish
// language file: shown in English and in Turkish, every text fits its control. The program's
// other windows are checked the same way through its menus in the languages end-to-end test.
#include "app/TranslationManager.h"
#include "app/windows/MessageWindow.h"
#include "app/windows/WindowPointers.h"
#include "app/windows/WindowTranslation.h"
#include "platform/AtomicFile.h"
#include "input/windows/RtcmReportWindow.h"
#include "tools/windows/SoundVelocityGraphWindow.h"
#include "tools/windows/WaterfallWindow.h"

#include "support/TempHome.h"
#include "support/TextFit.h"

#include <QTest>
#include <gtest/gtest.h>

#include <map>
#include <memory>

using namespace vsx;
using namespace vsx::test;

TEST(WindowTextsFit, WindowsThatDevicesOrDialogsBringUpFitTheirTextsInBothLanguages)
{
    TempHome home;
    std::string shipped;
    ASSERT_TRUE(readFile(std::string(VSX_SOURCE_DIR) + "/languages/tr.json", shipped));
    home.writeFile("Languages/tr.json", shipped);
    TranslationManager* const before = Translator;
    auto translator = std::make_unique<TranslationManager>(home.path("Languages/"));
    Translator = translator.get();
    InstallWindowTranslation();
    std::map<QString, QString> englishTitles;

    for (const std::string language : {"en", "tr"}) {
        Translator->SetLanguage(language);
        std::vector<std::unique_ptr<QWidget>> windows;
        windows.emplace_back(new MessageWindow);
        windows.emplace_back(new WaterfallWindow);
        windows.emplace_back(new RtcmReportWindow);
        windows.emplace_back(new SoundVelocityGraphWindow);
        for (const auto& w : windows) {
            w->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get())) << w->objectName().toStdString();
            // The Turkish pass shows the Turkish captions, not the English ones again.
            if (language == "en") englishTitles[w->objectName()] = w->windowTitle();
            else EXPECT_NE(w->windowTitle(), englishTitles[w->objectName()]) << w->objectName().toStdString();
            for (const QString& cut : CutOffTexts(w.get()))
                ADD_FAILURE() << language << ": " << w->objectName().toStdString() << ": " << cut.toStdString();
        }
    }
    Translator->SetLanguage("en");
    Translator = before;
}
