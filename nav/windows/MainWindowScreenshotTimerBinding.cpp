// The main window's screenshot timer as the device settings window sees it (ScreenshotTimerTarget).
#include "nav/windows/MainWindow.h"

#include "input/DeviceSettingsTargets.h"

#include <QTimer>

namespace vsx {

class MainWindow::ScreenshotTimerBinding final : public ScreenshotTimerTarget {
public:
    explicit ScreenshotTimerBinding(MainWindow& nav) : nav_(nav) {}

    void setScreenshotInterval(int seconds) override
    {
        if (seconds > 0) nav_.tScreenshot->start(seconds * 1000);
        else nav_.tScreenshot->stop();
    }

private:
    MainWindow& nav_;
};

std::unique_ptr<ScreenshotTimerTarget> MainWindow::makeScreenshotTimerBinding()
{
    return std::make_unique<ScreenshotTimerBinding>(*this);
}

} // namespace vsx
