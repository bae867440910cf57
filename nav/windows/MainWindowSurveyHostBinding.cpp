// The main window as the windows below it see it (SurveyHost, and MainWindowHost within it): the
// real-time button and auto-save, the map, its layers and refresh, the keypads, the bare layout.
#include "nav/windows/MainWindow.h"

#include "app/windows/WindowPointers.h"
#include "input/TVeldorSerialGPS.h"
#include "input/windows/DeviceSettingsWindow.h"
#include "tools/SurveyHost.h"
#include "tools/windows/SoundVelocityWindow.h"

#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <algorithm>

namespace vsx {

class MainWindow::SurveyHostBinding final : public SurveyHost {
public:
    explicit SurveyHostBinding(MainWindow& nav) : nav_(nav) {}

    bool RealtimeRunning() const override { return nav_.run_ && nav_.run_->Running(); }
    void PressRealtime() override { nav_.onRealtimeClicked(); }
    void AutoSave() override { nav_.AutoSave(); }
    // MainWindowHost
    QRect MainWindowFrame() const override { return nav_.frameGeometry(); }
    std::optional<ColorValue> MapBackground() const override
    {
        if (!nav_.fcad) return std::nullopt;
        return nav_.fcad->Model().BackgroundColor();
    }
    void SetMapBackground(ColorValue c) override
    {
        if (nav_.fcad) nav_.fcad->Model().SetBackgroundColor(c);
    }
    TVeldorCanvas* MapCanvas() const override { return nav_.fcad; }
    QTimer* EchogramTimer() const override { return nav_.tEchogram; }
    void ShowStatusMessage(const QString& text, int ms) override
    {
        if (nav_.sStatusBar) nav_.sStatusBar->showMessage(text, ms);
    }
    bool SetLayerColor(const std::string& layer, ColorValue c) override
    {
        const int id = nav_.fcad->Model().FindLayer(layer);
        if (id < 0) return false;
        nav_.fcad->Model().SetLayerColor(id, c);
        return true;
    }
    bool SetLayerWidth(const std::string& layer, int width) override
    {
        const int id = nav_.fcad->Model().FindLayer(layer);
        if (id < 0) return false;
        nav_.fcad->Model().SetLayerWidth(id, width);
        return true;
    }
    void RepaintMap() override
    {
        if (nav_.fcad) nav_.fcad->Redraw();
    }
    void SetMapRefreshInterval(int ms) override { nav_.tMap->setInterval(std::max(50, ms)); }
    void ShowNumericKeypad(QLineEdit* target) override { nav_.ShowNumericKeypad(target); }
    void ShowSimpleKeyboard(QLineEdit* target) override { nav_.ShowSimpleKeyboard(target); }
    void ZoomIn() override { zoom(0.2); }
    void ZoomOut() override { zoom(-0.2); }
    bool EchogramRunning() const override { return nav_.ZSENSOR->Connected() && nav_.tEchogram->isActive(); }
    std::string MainRawLogFileName() const override
    {
        return nav_.ZGPS1->RawLogEnabled ? nav_.ZGPS1->RawLogFileName : std::string();
    }
    void ApplySounderMessageType() override
    {
        if (FGPS) FGPS->applyStartupSounderMessage();
    }
    bool SoundVelocityProfileInUse() const override { return fSVP && fSVP->ProfileInUse(); }
    void SetBareLayout(bool bare) override
    {
        nav_.tRealtime->setVisible(!bare);
        nav_.tDraw->setVisible(!bare);
        nav_.tShape->setVisible(!bare);
        nav_.sStatusBar->setVisible(!bare);
        nav_.menuBar()->setVisible(!bare);
        // No border in the bare view, a sizeable one again in the full layout (changing the
        // frame hides a shown window).
        if (nav_.windowFlags().testFlag(Qt::FramelessWindowHint) != bare) {
            const bool shown = nav_.isVisible();
            nav_.setWindowFlag(Qt::FramelessWindowHint, bare);
            if (shown) nav_.show();
        }
    }

private:
    void zoom(double p)
    {
        CanvasModel& m = nav_.fcad->Model();
        m.ZoomAt(p, (m.WorldXMin() + m.WorldXMax()) / 2, (m.WorldYMax() + m.WorldYMin()) / 2);
    }

    MainWindow& nav_;
};

std::unique_ptr<SurveyHost> MainWindow::makeSurveyHostBinding()
{
    return std::make_unique<SurveyHostBinding>(*this);
}

} // namespace vsx
