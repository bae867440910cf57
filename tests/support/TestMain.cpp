// One QApplication per test binary (offscreen through CTest's environment), the numeric locale
// pinned as the program does it.
#include "app/ErrorReport.h"
#include "platform/Locale.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    vsx::VsxApplication app(argc, argv);
    vsx::pinNumericLocale();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
