// The main window's survey run as the device settings window sees it (RunningSurveyTarget).
#include "nav/windows/MainWindow.h"

#include "input/DeviceSettingsTargets.h"

namespace vsx {

class MainWindow::RunningSurveyBinding final : public RunningSurveyTarget {
public:
    explicit RunningSurveyBinding(MainWindow& nav) : nav_(nav) {}

    std::optional<GeodesyInForce> runGeodesy() const override
    {
        const ProjectionSnapshot* s = nav_.snapshot_.Current();
        if (!s || !nav_.run_ || !nav_.run_->Running()) return std::nullopt;
        return s->named();
    }

private:
    MainWindow& nav_;
};

std::unique_ptr<RunningSurveyTarget> MainWindow::makeRunningSurveyBinding()
{
    return std::make_unique<RunningSurveyBinding>(*this);
}

} // namespace vsx
