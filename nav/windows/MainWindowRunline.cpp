// The main window's run-line commands: the Runline button, Tools > "Generate Runline..." and
// the hand-over of a route finished on the map to the runline generator.
#include "nav/windows/MainWindow.h"

#include "app/Settings.h"
#include "app/windows/WindowPointers.h"
#include "app/windows/WindowSetup.h"
#include "canvas/CanvasTools.h"
#include "tools/windows/RunlineGeneratorWindow.h"

namespace vsx {

void MainWindow::onRunlineClicked()
{
    BringToUser(fRunline1);
}

void MainWindow::onGenerateRunlinesTriggered()
{
    // The drawing is saved before the generator may change it.
    onSaveTriggered();
    if (!fRunline1) return;
    RestoreFormPlacement(fRunline1, false);
    BringToUser(fRunline1);
}

void MainWindow::onRouteDrawn(TVeldorCanvas*, int shapeType, double, double)
{
    if (!fRunline1 || !fRunline1->isVisible() || !fcad) return;
    if (shapeType != toolcode::Line && shapeType != toolcode::Polyline && shapeType != toolcode::Polygon) return;
    const WorldPoints route = fcad->GetPolygonVertices();
    // A route finished with fewer than two points is still answered while one is being drawn,
    // so the generator says what is missing instead of waiting.
    if (route.size() >= 2 || fRunline1->DrawingRoute()) fRunline1->SetRoute(route);
}

} // namespace vsx
