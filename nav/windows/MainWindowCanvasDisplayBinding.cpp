// The main window's map as the device settings window's grid settings see it (CanvasDisplayTarget).
#include "nav/windows/MainWindow.h"

#include "input/DeviceSettingsTargets.h"

namespace vsx {

class MainWindow::CanvasDisplayBinding final : public CanvasDisplayTarget {
public:
    explicit CanvasDisplayBinding(MainWindow& nav) : nav_(nav) {}

    void setGridShown(bool shown) override { nav_.fcad->SetGridShown(shown); }
    void setGridSteps(double stepX, double stepY) override
    {
        nav_.fcad->SetGridAutoSpacing(stepX <= 0 && stepY <= 0);
        nav_.fcad->SetGridStep(stepX, stepY);
    }
    void setGridLineColor(ColorValue c) override { nav_.fcad->SetGridLineColor(c); }
    void repaint() override { nav_.fcad->Redraw(); }

private:
    MainWindow& nav_;
};

std::unique_ptr<CanvasDisplayTarget> MainWindow::makeCanvasDisplayBinding()
{
    return std::make_unique<CanvasDisplayBinding>(*this);
}

} // namespace vsx
