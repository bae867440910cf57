// The main window's work with the map: the drawing tool bar, the zoom commands, selection of
// tracks and shapes and their deletion, track clearing by fix class, the map's context menu, the
// right button (menu or measure), the double click on the heading display and the keys.
#include "nav/windows/MainWindow.h"

#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/Translated.h"
#include "app/windows/WindowPointers.h"
#include "app/windows/WindowTranslation.h"
#include "app/windows/WindowSetup.h"
#include "input/DisplayValues.h"
#include "nav/ExtraVesselTracker.h"
#include "nav/RemoteSupport.h"
#include "nav/TrackClearing.h"
#include "nav/windows/HelmsmanWindow.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/ProgramLauncher.h"
#include "platform/Prompts.h"
#include "platform/Text.h"
#include "tools/windows/RealtimeDataWindow.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>
#include <QToolButton>

namespace vsx {

namespace {

QString tr8(const std::string& s) { return QString::fromUtf8(s.c_str(), int(s.size())); }


bool isShapeTool(int tool)
{
    switch (tool) {
    case toolcode::Rectangle:
    case toolcode::Line:
    case toolcode::Ellipse:
    case toolcode::Polyline:
    case toolcode::Polygon:
    case toolcode::Spline:
    case toolcode::Arc:
    case toolcode::Point:
    case toolcode::Circle: return true;
    default: return false;
    }
}

// Key preview: every key pressed in the main window reaches its key handling before the control
// that has the focus. A key the control ignores travels on to its parents; the handling is made
// so that seeing it again there changes nothing (Escape), or it keeps the key (the rest).
class KeyPreview : public QObject {
public:
    explicit KeyPreview(MainWindow& nav) : QObject(&nav), nav_(nav) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
        if (static_cast<QWidget*>(watched)->window() != &nav_) return false;
        return nav_.handleKey(static_cast<QKeyEvent*>(event)->key());
    }

private:
    MainWindow& nav_;
};

} // namespace

// ---- Binding ----------------------------------------------------------------------------------

void MainWindow::wireMapCommands()
{
    auto button = [this](const char* name) { return drawButton(name); };
    auto item = [this](const char* name) {
        auto* a = findChild<QAction*>(QString::fromLatin1(name));
        Q_ASSERT(a);
        return a;
    };
    const std::pair<const char*, int> shapeTools[] = {
        {"ToolButton7", toolcode::Point},     {"ToolButton12", toolcode::Line},  {"ToolButton21", toolcode::Rectangle},
        {"ToolButton23", toolcode::Polyline}, {"ToolButton27", toolcode::Ellipse}, {"ToolButton28", toolcode::Polygon},
        {"ToolButton29", toolcode::Spline},   {"ToolButton30", toolcode::Arc},   {"ToolButton31", toolcode::Circle}};
    for (const auto& [name, tool] : shapeTools)
        connect(button(name), &QToolButton::clicked, this, [this, tool = tool] { SetDrawingTool(tool); });

    connect(button("Zoomextents"), &QToolButton::clicked, this, &MainWindow::onZoomExtentsClicked);
    connect(button("Zoomwindow"), &QToolButton::clicked, this, &MainWindow::onZoomWindowClicked);
    connect(button("Zoomdynamic"), &QToolButton::clicked, this, &MainWindow::onZoomDynamicClicked);
    connect(button("Zoompan"), &QToolButton::clicked, this, &MainWindow::onPanClicked);
    connect(button("bMouseSelect"), &QToolButton::clicked, this, &MainWindow::onSelectShapesClicked);
    connect(button("ToolButton11"), &QToolButton::clicked, this, &MainWindow::onClearUserShapesClicked);
    connect(button("tbFixed"), &QToolButton::clicked, this, &MainWindow::onClearFixedTracksClicked);
    connect(button("tbFloat"), &QToolButton::clicked, this, &MainWindow::onClearFloatTracksClicked);
    connect(button("tbAuto"), &QToolButton::clicked, this, &MainWindow::onClearNoFixTracksClicked);
    connect(button("bSelectTracks"), &QToolButton::clicked, this, &MainWindow::onSelectTracksClicked);
    connect(button("bDelSelected"), &QToolButton::clicked, this, &MainWindow::onDeleteSelectedClicked);

    connect(item("Window1"), &QAction::triggered, this, &MainWindow::onZoomWindowClicked);
    connect(item("Dynamic1"), &QAction::triggered, this, &MainWindow::onZoomDynamicClicked);
    connect(item("ClearUserAddedShapes1"), &QAction::triggered, this, &MainWindow::onClearUserShapesClicked);
    connect(item("ClearUnfixedTracks1"), &QAction::triggered, this, &MainWindow::onClearFloatTracksClicked);
    connect(item("ClearFixedTracks1"), &QAction::triggered, this, &MainWindow::onClearFixedTracksClicked);
    // "Delete tracks selected" deletes the selection, as its caption says; its Delete shortcut
    // (given by "Select Track") then takes the key, which deletes once either way.
    connect(item("Deletetracksselected1"), &QAction::triggered, this, &MainWindow::onDeleteSelectedClicked);
    connect(item("OpenLogFolder1"), &QAction::triggered, this, &MainWindow::onOpenLogFolderTriggered);
    connect(item("RemoteSupport1"), &QAction::triggered, this, &MainWindow::onRemoteSupportTriggered);
    connect(item("HelsmanWindow1"), &QAction::triggered, this, &MainWindow::onHelmsmanWindowTriggered);

    connect(fcad, &TVeldorCanvas::OnWorldMouseDown, this, &MainWindow::onMapWorldMousePressed);
    connect(fcad, &TVeldorCanvas::OnWorldMouseMove, this, &MainWindow::onMapWorldMouseMoved);
    connect(fcad, &TVeldorCanvas::OnDrawBegin, this, &MainWindow::onDrawingStarted);
    connect(fcad, &TVeldorCanvas::OnDrawEnd, this, &MainWindow::onDrawingFinished);
    connect(fcad, &TVeldorCanvas::OnDrawCancel, this, [] { realtimeState().FollowPaused = false; });
    connect(fcad, &TVeldorCanvas::OnDblClick, this, &MainWindow::onMapDoubleClicked);
    connect(fcad, &TVeldorCanvas::OnShapeNumberSelected, this, &MainWindow::onShapeSelected);

    qApp->installEventFilter(new KeyPreview(*this));
}

// ---- Drawing tools and zoom -------------------------------------------------------------------

void MainWindow::SetDrawingTool(int tool)
{
    // Whatever the last command or file made current (the vessel layer, an import layer), a
    // shape drawn with the tool bar goes on the user layer.
    EnsureStandardLayers(&fcad->Model());
    if (UserShapeLayerId >= 0) fcad->SetCurrentLayer(UserShapeLayerId);
    selection_.Disarm();
    // A new tool starts afresh: an unfinished shape of the last one is dropped, and the first
    // click after the last right-click finish is not swallowed.
    fcad->CancelDrag();
    fcad->SetTool(tool);
}

void MainWindow::onZoomExtentsClicked() { fcad->Model().ZoomExtents(); }
void MainWindow::onZoomWindowClicked() { fcad->SetTool(toolcode::ZoomWindow); }
void MainWindow::onZoomDynamicClicked() { fcad->SetTool(toolcode::DragZoom); }
void MainWindow::onPanClicked() { fcad->SetTool(toolcode::Pan); }

// ---- Selection and deletion -------------------------------------------------------------------

void MainWindow::onSelectShapesClicked()
{
    setStatusPanelWords(0, selection_.StartShapes(fcad->Model()).c_str(), {}, 20);
    fcad->SetTool(toolcode::Polygon);
    fcad->SetKeepTool(false);
}

void MainWindow::onSelectTracksClicked()
{
    if (auto* del = findChild<QAction*>(QStringLiteral("Deletetracksselected1")))
        del->setShortcut(QKeySequence(Qt::Key_Delete));
    setStatusPanelWords(0, selection_.StartTracks(fcad->Model()).c_str(), {}, 20);
    fcad->SetTool(toolcode::Polygon);
    fcad->SetKeepTool(false);
}

void MainWindow::onDeleteSelectedClicked()
{
    CanvasModel& model = fcad->Model();
    if (model.SelectedCount() <= 0) return;
    model.DeleteSelected();
}

void MainWindow::onClearUserShapesClicked()
{
    if (prompts().ask(translated(kClearUserShapesQuestion), QString(), {PromptAnswer::Yes, PromptAnswer::No},
                      PromptKind::Warning) != PromptAnswer::Yes)
        return;
    EnsureStandardLayers(&fcad->Model());
    // Never -1: that would delete every shape of the drawing.
    if (UserShapeLayerId >= 0) fcad->Model().DeleteLayerShapes(UserShapeLayerId);
}

void MainWindow::clearTracks(int kind)
{
    const TrackClass c = TrackClass(kind);
    const TrackClearing& what = TrackClearingFor(c);
    if (prompts().ask(translated(what.question), QString(), {PromptAnswer::Yes, PromptAnswer::No},
                      PromptKind::Warning) != PromptAnswer::Yes)
        return;
    ClearTrackLayer(fcad->Model(), c);
    fcad->Update();
    AppendEventLine(what.logLine, EventsLogFileName());
}

void MainWindow::onClearFixedTracksClicked() { clearTracks(int(TrackClass::Fixed)); }
void MainWindow::onClearFloatTracksClicked() { clearTracks(int(TrackClass::Float)); }
void MainWindow::onClearNoFixTracksClicked() { clearTracks(int(TrackClass::NoFix)); }

// ---- Canvas events ----------------------------------------------------------------------------

void MainWindow::onDrawingStarted(TVeldorCanvas*, int, double, double)
{
    // The map keeps running while the user draws; only the followed view holds still, so the
    // map does not move under the mouse.
    realtimeState().FollowPaused = true;
}

void MainWindow::onDrawingFinished(TVeldorCanvas*, int shapeType, double x, double y)
{
    realtimeState().FollowPaused = false;
    fcad->SetKeepTool(false);
    CanvasModel& model = fcad->Model();
    const MapSelection::Finish f =
        selection_.Armed() && shapeType == toolcode::Polygon ? selection_.FinishDrawing(model, shapeType, fcad->GetPolygonVertices())
                                                               : MapSelection::Finish{};
    if (f.handled) {
        if (f.status) setStatusPanelWords(0, f.status->c_str(), {QString::number(f.selected)}, 20);
        fcad->SetTool(toolcode::Select);
        fcad->CancelDrag();
        // The next drawing goes on the user layer, not on the emptied selection layer.
        EnsureStandardLayers(&model);
        if (UserShapeLayerId >= 0) fcad->SetCurrentLayer(UserShapeLayerId);
        return;
    }
    // Not a selection: a route for the runline generator when it waits for one.
    onRouteDrawn(fcad, shapeType, x, y);
}

void MainWindow::onMapWorldMousePressed(TVeldorCanvas*, int button, int, int, double x, double y)
{
    if (button == inputcode::Right) {
        rightButton_.PressWorld(x, y);
        return;
    }
    if (StatusPanelCount() >= 3)
        setStatusPanelWords(2, "Clicked: E%1, N%2", {tr8(formatFixed(x, 2)), tr8(formatFixed(y, 2))}, 20);
}

void MainWindow::onMapWorldMouseMoved(TVeldorCanvas*, int, double x, double y, double, double)
{
    RightButtonGesture::MeasureEnd end;
    if (rightButton_.MeasureTo(x, y, end)) fcad->UpdateMeasureEnd(end.x, end.y, end.distance, end.bearing);
}

void MainWindow::onMapMousePressed(TVeldorCanvas*, int button, int, int x, int y)
{
    const RubberBandState& rubber = fcad->Tools().Rubber();
    const bool drawing = rubber.Drawing || rubber.RubberBand;
    if (button == inputcode::Right) {
        rightButton_.Press(x, y, drawing);
        return;
    }
    // A shape about to start goes on the user layer, also the first one after the program
    // started or a file was opened or imported (they leave another layer current).
    if (button == inputcode::Left && !drawing && isShapeTool(fcad->Tool())) {
        EnsureStandardLayers(&fcad->Model());
        fcad->SetCurrentLayer(MapSelection::DrawingLayer(fcad->Model(), UserShapeLayerId));
    }
}

void MainWindow::onMapMouseMoved(TVeldorCanvas*, int shift, int x, int y)
{
    if (rightButton_.Move(x, y, shift & inputcode::RightHeld))
        fcad->StartMeasure(rightButton_.OriginX(), rightButton_.OriginY());
}

void MainWindow::onMapMouseReleased(TVeldorCanvas*, int button, int, int x, int y)
{
    if (button != inputcode::Right) return;
    switch (rightButton_.ReleaseRight()) {
    case RightButtonGesture::Release::EndMeasure: fcad->EndMeasure(); break;
    case RightButtonGesture::Release::ShowMenu: MapContextMenu->popup(fcad->mapToGlobal(QPoint(x, y))); break;
    default: break;
    }
}

void MainWindow::onMapDoubleClicked(TVeldorCanvas*)
{
    // On the heading display the double click switches between the bare map and the full
    // layout, as the real-time window's "Hide Window" button does (which is hidden in the bare
    // view, so this and Escape are the ways back).
    const QPoint at = fcad->LastPointerPixel();
    if (!fcad->HitHeadingHud(at.x(), at.y())) return;
    if (fRealtime) fRealtime->btHide->click();
}

void MainWindow::onShapeSelected(TVeldorCanvas*, int, int)
{
    // A shape picked with the selection tool needs nothing here: the canvas marks it selected,
    // and the commands that use the selection (delete, the helmsman copy) read it when they run.
}

// ---- Keys -------------------------------------------------------------------------------------

bool MainWindow::handleKey(int key)
{
    switch (key) {
    case Qt::Key_Escape:
        // Escape also goes on to the map, which abandons a drawing in progress.
        if (fRealtime && fRealtime->bareLayoutState() == 1) fRealtime->btHide->click();
        if (selection_.Cancel(fcad->Model())) setStatusPanel(0, QString(), 20);
        return false;
    case Qt::Key_F2: fcad->CycleSpeedHudPosition(); return true;
    case Qt::Key_F3: fcad->CycleHeadingHudPosition(); return true;
    case Qt::Key_F4: {
        if (VesselSensors.empty()) return true;
        ++ActiveTrackingSensor;
        if (ActiveTrackingSensor >= int(VesselSensors.size()) || ActiveTrackingSensor < -1) ActiveTrackingSensor = -1;
        const std::string name = ActiveTrackingSensor < 0 ? std::string("GPS")
                                                          : VesselSensors[size_t(ActiveTrackingSensor)].Name;
        setStatusPanelWords(0, "Tracking: %1", {fromCp1254(name)}, 20);
        AppendEventLine("Tracking: " + name, EventsLogFileName());
        return true;
    }
    case Qt::Key_F5: onShowSatelliteImageTriggered(); return true;
    case Qt::Key_Delete: onDeleteSelectedClicked(); return true;
    default: return false;
    }
}

// ---- Context menu -----------------------------------------------------------------------------

void MainWindow::buildMapContextMenu()
{
    RealtimeState& s = realtimeState();
    ShowMainTracks = true;
    s.MainTracklining = false;
    ShowOtherTracks = true;
    s.OtherTracklining = false;
    ShowDepthTexts = ShowDepthLabels;
    MapContextMenu = new QMenu(this);
    MapContextMenu->setObjectName("MapContextMenu");
    auto add = [this](const char* name, const char* caption) {
        QAction* a = MapContextMenu->addAction(QString::fromUtf8(caption));
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    auto header = [this](const char* caption) {
        MapContextMenu->addAction(QString::fromUtf8(caption))->setEnabled(false);
    };
    header("MAIN VESSEL");
    ShowMainTracksItem = add("ShowMainTracksItem", "Hide Tracklines (main vessel)");
    connect(ShowMainTracksItem, &QAction::triggered, this, &MainWindow::onShowMainTracksTriggered);
    MainTrackliningItem = add("MainTrackliningItem", "Start Tracklining (main vessel)");
    connect(MainTrackliningItem, &QAction::triggered, this, &MainWindow::onMainTrackliningTriggered);
    MapContextMenu->addSeparator();
    header("OTHER VESSELS");
    ShowOtherTracksItem = add("ShowOtherTracksItem", "Hide Tracklines (other vessels)");
    connect(ShowOtherTracksItem, &QAction::triggered, this, &MainWindow::onShowOtherTracksTriggered);
    OtherTrackliningItem = add("OtherTrackliningItem", "Start Tracklining (other vessels)");
    connect(OtherTrackliningItem, &QAction::triggered, this, &MainWindow::onOtherTrackliningTriggered);
    MapContextMenu->addSeparator();
    header("OVERLAYS");
    ShowDepthTextsItem = add("ShowDepthTextsItem", "Hide Texts (depths)");
    connect(ShowDepthTextsItem, &QAction::triggered, this, &MainWindow::onShowDepthTextsTriggered);
    MapContextMenu->addSeparator();
    header("RUNLINES");
    SelectRunlineHereItem = add("SelectRunlineHereItem", "Select Runline Here");
    connect(SelectRunlineHereItem, &QAction::triggered, this, &MainWindow::onSelectRunlineHereTriggered);
    MapContextMenu->addSeparator();
    header("CENTER VIEW ON");
    // Plain check marks, not an exclusive group: at times none of them is checked.
    CenterOnMainItem = add("CenterOnMainItem", "Center on Main Vessel");
    CenterOnMainItem->setCheckable(true);
    connect(CenterOnMainItem, &QAction::triggered, this, [this] { onCenterOnVesselTriggered(0); });
    for (int tag = 1; tag <= 3; ++tag) {
        QAction* a = add(("CenterOnVessel" + std::to_string(tag + 1) + "Item").c_str(), "");
        SetTranslatedText(a, "Center on Vessel %1", {QString::number(tag + 1)});
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, tag] { onCenterOnVesselTriggered(tag); });
        centerOnVesselItems_.push_back(a);
    }
    MapContextMenu->addSeparator();
    header("WINDOWS");
    HelmsmanWindowItem = add("HelmsmanWindowItem", "Show Helmsman Window");
    connect(HelmsmanWindowItem, &QAction::triggered, this, &MainWindow::onToggleHelmsmanTriggered);
    connect(MapContextMenu, &QMenu::aboutToShow, this, &MainWindow::updateMapMenu);
    updateMapMenu();
}

void MainWindow::updateMapMenu()
{
    const RealtimeState& s = realtimeState();
    auto caption = [](QAction* a, bool first, const char* whenTrue, const char* whenFalse) {
        SetTranslatedText(a, first ? whenTrue : whenFalse);
    };
    caption(ShowMainTracksItem, ShowMainTracks, "Hide Tracklines (main vessel)", "Show Tracklines (main vessel)");
    caption(MainTrackliningItem, s.MainTracklining, "Stop Tracklining (main vessel)", "Start Tracklining (main vessel)");
    caption(ShowOtherTracksItem, ShowOtherTracks, "Hide Tracklines (other vessels)", "Show Tracklines (other vessels)");
    caption(OtherTrackliningItem, s.OtherTracklining, "Stop Tracklining (other vessels)",
            "Start Tracklining (other vessels)");
    caption(ShowDepthTextsItem, ShowDepthTexts, "Hide Texts (depths)", "Show Texts (depths)");
    caption(HelmsmanWindowItem, Helmsman && Helmsman->isVisible(), "Hide Helmsman Window", "Show Helmsman Window");
    CenterOnMainItem->setChecked(s.FollowVessel && s.MapFollowTarget == 0);
    for (size_t k = 0; k < centerOnVesselItems_.size(); ++k) {
        QAction* a = centerOnVesselItems_[k];
        if (k < ExtraVessels.size()) {
            if (!ExtraVessels[k].Name.empty()) SetTranslatedText(a, "Center on %1", {fromCp1254(ExtraVessels[k].Name)});
            a->setEnabled(ExtraVessels[k].Enabled);
        } else {
            a->setEnabled(false);
        }
        a->setChecked(s.FollowVessel && s.MapFollowTarget - 1 == int(k));
    }
    // The menu items follow the state: following the own vessel, another vessel, or nothing.
    followVesselItem->setChecked(s.FollowVessel && s.MapFollowTarget == 0);
    doNotFollowVesselItem->setChecked(!s.FollowVessel);
}

void MainWindow::setTrackLayersVisible(bool shown)
{
    CanvasModel& m = fcad->Model();
    for (const char* name : {kTrackFixLayer, kTrackFloatLayer, kTrackNoFixLayer})
        if (const int id = m.FindLayer(name); id >= 0) m.SetLayerVisible(id, shown);
}

void MainWindow::onShowMainTracksTriggered()
{
    ShowMainTracks = !ShowMainTracks;
    setTrackLayersVisible(ShowMainTracks);
    fcad->Redraw();
    updateMapMenu();
}

void MainWindow::onShowOtherTracksTriggered()
{
    ShowOtherTracks = !ShowOtherTracks;
    CanvasModel& m = fcad->Model();
    for (size_t i = 0; i < ExtraVessels.size(); ++i) {
        const int id = ExtraVessels[i].TrackLayerId >= 0 ? ExtraVessels[i].TrackLayerId
                                                           : m.FindLayer(ExtraVesselTrackLayerName(int(i)));
        if (id >= 0) m.SetLayerVisible(id, ShowOtherTracks);
    }
    fcad->Redraw();
    updateMapMenu();
}

void MainWindow::onShowDepthTextsTriggered()
{
    ShowDepthTexts = !ShowDepthTexts;
    ShowDepthLabels = ShowDepthTexts;
    fcad->SetSoundingStyle(ShowDepthTexts ? 1 : 0, DepthLabelSpacing, DepthLabelFontName, DepthLabelFontSize,
                           DepthLabelColor);
    fcad->Model().SetNumericLabelsVisible(ShowDepthTexts);
    fcad->Redraw();
    updateMapMenu();
}

void MainWindow::onSelectRunlineHereTriggered()
{
    CanvasModel& m = fcad->Model();
    const int id = m.FindNearestLine(rightButton_.PressWorldX(), rightButton_.PressWorldY(), 25);
    if (id < 0) {
        if (StatusPanelCount() > 2) setStatusPanelWords(2, "No runline near the click point", {}, 20);
        return;
    }
    m.ClearSelection();
    m.SelectShape(id, false);
    fcad->Redraw();
    if (StatusPanelCount() > 2) setStatusPanelWords(2, "Runline selected", {}, 20);
}

void MainWindow::onToggleHelmsmanTriggered()
{
    if (!Helmsman) {
        onHelmsmanWindowTriggered();
    } else if (Helmsman->isVisible() && !Helmsman->isMinimized()) {
        Helmsman->Timer->stop();
        Helmsman->hide();
    } else {
        Helmsman->Timer->start();
        BringToUser(Helmsman);
    }
    updateMapMenu();
}

void MainWindow::onFollowVesselClicked()
{
    RealtimeState& s = realtimeState();
    s.FollowVessel = true;
    if (s.MapFollowTarget < 0) s.MapFollowTarget = 0;
    updateMapMenu();
}

void MainWindow::onNoFollowClicked()
{
    realtimeState().FollowVessel = false;
    updateMapMenu();
}

void MainWindow::onMainTrackliningTriggered()
{
    RealtimeState& s = realtimeState();
    s.MainTracklining = !s.MainTracklining;
    fcad->Redraw();
    updateMapMenu();
}

void MainWindow::onOtherTrackliningTriggered()
{
    RealtimeState& s = realtimeState();
    s.OtherTracklining = !s.OtherTracklining;
    fcad->Redraw();
    updateMapMenu();
}

void MainWindow::onCenterOnVesselTriggered(int target)
{
    RealtimeState& s = realtimeState();
    s.MapFollowTarget = target;
    s.FollowVessel = true;
    fcad->Redraw();
    updateMapMenu();
}

// ---- Menu commands that reach other windows or programs ---------------------------------------

void MainWindow::onOpenLogFolderTriggered()
{
    if (fRealtime) fRealtime->btOpenLogFolder->click();
}

void MainWindow::onRemoteSupportTriggered()
{
    const std::string program = RemoteSupportProgram(IniFile(GetIniFileName()), programFolder());
    if (isExecutableFile(program) && StartProgram(program)) return;
    if (StatusPanelCount() > 0) setStatusPanelWords(0, "Remote support program not found: %1", {tr8(program)}, 20);
}

} // namespace vsx
