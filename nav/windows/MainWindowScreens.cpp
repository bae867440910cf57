// The main window's small services: the periodic screenshot of every monitor and the tool-bar
// buttons that end or restart the program.
#include "nav/windows/MainWindow.h"

#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/Translated.h"
#include "app/ProgramRestart.h"
#include "nav/ScreenshotWriter.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QStatusBar>
#include <QToolButton>

namespace vsx {

namespace {

// The real screens, in the window system's order.
class DesktopScreens : public ScreenSource {
public:
    std::vector<MonitorRect> Monitors() override
    {
        screens_ = QGuiApplication::screens();
        std::vector<MonitorRect> out;
        for (const QScreen* s : screens_) {
            const QRect g = s->geometry();
            out.push_back({g.left(), g.top(), g.width(), g.height()});
        }
        return out;
    }
    QImage Grab(size_t index) override
    {
        if (index >= size_t(screens_.size()) || !screens_[qsizetype(index)]) return {};
        return screens_[qsizetype(index)]->grabWindow(0).toImage();
    }

private:
    QList<QScreen*> screens_;
};

} // namespace

void MainWindow::wireScreenCommands()
{
    screenSource_ = std::make_unique<DesktopScreens>();
    screenshots_ = std::make_unique<ScreenshotWriter>();
    screenshots_->OnFailure = [this](const std::string& message) {
        // Once per streak of failures (a full disk fails every minute): the events log and the
        // status bar, never a dialog from the timer.
        AppendEventLine("Screenshot not saved: " + message, EventsLogFileName());
        if (sStatusBar)
            sStatusBar->showMessage(translatedArgs("Screenshot not saved: %1", {QString::fromStdString(message)}), 15000);
    };
    connect(drawButton("bExit"), &QToolButton::clicked, this, &MainWindow::onExitClicked);
    connect(drawButton("bRestart"), &QToolButton::clicked, this, &MainWindow::onRestartClicked);
}

void MainWindow::SetScreenSource(std::unique_ptr<ScreenSource> source)
{
    screenSource_ = source ? std::move(source) : std::make_unique<DesktopScreens>();
}

void MainWindow::onScreenshotTick()
{
    // One moment for every monitor of this event, so their files carry the same time.
    screenshots_->Take(*screenSource_, ScreenshotFolder(LogFolder), localNow());
}

// ---- End and restart --------------------------------------------------------------------------

void MainWindow::onExitClicked()
{
    // As File > Exit: the close saves the drawing, the window placements and the view.
    close();
}

void MainWindow::onRestartClicked()
{
    // The new run starts only after this one has closed and saved everything it keeps.
    RequestRestart();
    close();
}

} // namespace vsx
