#include "nav/windows/HelmsmanWindow.h"

#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/windows/NumberEdit.h"
#include "app/windows/WindowPointers.h"
#include "app/windows/WindowSetup.h"
#include "app/windows/WindowTranslation.h"
#include "canvas/VeldorCanvas.h"
#include "input/TVeldorSerialGPS.h"
#include "nav/HelmsmanCorridor.h"
#include "nav/RealtimeState.h"
#include "nav/windows/MainWindow.h"
#include "platform/Clock.h"
#include "platform/IniFile.h"
#include "platform/Text.h"
#include "tools/VesselGeometry.h"
#include "tools/windows/VesselGeometryWindow.h"
#include "tools/windows/NavigationSettingsWindow.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>

namespace vsx {

namespace {

constexpr ColorValue kDefaultGridColour = 0xC0C0C0;

} // namespace

// ---- The main window's commands ---------------------------------------------------------------

void MainWindow::onHelmsmanWindowTriggered()
{
    if (!Helmsman) Helmsman = new HelmsmanWindow(this);
    Helmsman->CopyDrawing(false);
    Helmsman->NoteSelection();
    Helmsman->Timer->start();
    BringToUser(Helmsman);
}

void MainWindow::CloneDrawingToHelmsman(bool keepHelmsmanView)
{
    if (Helmsman) Helmsman->CopyDrawing(keepHelmsmanView);
}

// ---- The window -------------------------------------------------------------------------------

HelmsmanWindow::HelmsmanWindow(MainWindow* owner) : QWidget(owner), nav_(owner)
{
    SetUpWindow(this, {"fHelmsman", "Helmsman", true, QSize(1000, 760)});
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QPalette p = palette();
    p.setColor(QPalette::Window, p.color(QPalette::Button));
    setPalette(p);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Canvas = new TVeldorCanvas(this);
    Canvas->setObjectName("HelmCanvas");
    layout->addWidget(Canvas);
    scene_ = std::make_unique<HelmsmanScene>(Canvas->Model());
    Canvas->Model().SetBackgroundColor(mainMap() ? mainMap()->BackgroundColor() : clWhite);
    Canvas->SetTool(toolcode::None);
    Canvas->SetRightClickMeasure(false);
    // The refresh rebuilds several layers: it paints once, after the refresh.
    Canvas->SetSynchronousRepaints(false);
    connect(Canvas, &TVeldorCanvas::OnWorldMouseMove, this, &HelmsmanWindow::onMapWorldMouseMoved);
    connect(Canvas, &TVeldorCanvas::OnWorldMouseDown, this, &HelmsmanWindow::onMapWorldMousePressed);
    connect(Canvas, &TVeldorCanvas::OnMouseDown, this, &HelmsmanWindow::onMapMousePressed);
    connect(Canvas, &TVeldorCanvas::OnMouseMove, this, &HelmsmanWindow::onMapMouseMoved);
    connect(Canvas, &TVeldorCanvas::OnMouseUp, this, &HelmsmanWindow::onMapMouseReleased);

    Menu = new QMenu(this);
    Menu->setObjectName("HelmMenu");
    auto add = [this](const char* name, const char* caption) {
        QAction* a = Menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    FollowItem = add("HelmFollowItem", "Unfollow Vessel");
    connect(FollowItem, &QAction::triggered, this, &HelmsmanWindow::onFollowTriggered);
    HeadUpItem = add("HelmHeadUpItem", "Up North (standard chart view)");
    connect(HeadUpItem, &QAction::triggered, this, &HelmsmanWindow::onHeadUpTriggered);
    GridItem = add("HelmGridItem", "Show Grid");
    connect(GridItem, &QAction::triggered, this, &HelmsmanWindow::onGridTriggered);
    RunlineThickItem = add("HelmRunlineThickItem", "Make the runline thick");
    connect(RunlineThickItem, &QAction::triggered, this, &HelmsmanWindow::onRunlineThickTriggered);
    Menu->addSeparator();
    CenterMainItem = add("HelmCenterMainItem", "Center on Main Vessel");
    CenterMainItem->setCheckable(true);
    connect(CenterMainItem, &QAction::triggered, this, &HelmsmanWindow::onCenterMainTriggered);
    for (int tag = 1; tag <= 3; ++tag) {
        QAction* a = add(("HelmCenterVessel" + std::to_string(tag + 1) + "Item").c_str(), "");
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, tag] { onCenterVesselTriggered(tag); });
        CenterVesselItems.push_back(a);
    }
    Menu->addSeparator();
    TracksItem = add("HelmTracksItem", "Hide Tracklines");
    connect(TracksItem, &QAction::triggered, this, &HelmsmanWindow::onTracksTriggered);
    ClearTracksItem = add("HelmClearTracksItem", "Clear Tracks && Start Over");
    connect(ClearTracksItem, &QAction::triggered, this, &HelmsmanWindow::onClearTracksTriggered);
    connect(Menu, &QMenu::aboutToShow, this, &HelmsmanWindow::updateMenu);

    Timer = new QTimer(this);
    Timer->setObjectName("HelmTimer");
    Timer->setInterval(200);
    connect(Timer, &QTimer::timeout, this, &HelmsmanWindow::onRefreshTick);

    LoadHelmsmanSettings();
    updateMenu();
}

// Made and freed with the main window only.
HelmsmanWindow::~HelmsmanWindow() = default;

const CanvasModel* HelmsmanWindow::mainMap() const { return nav_ && nav_->fcad ? &nav_->fcad->Model() : nullptr; }

HelmsmanInputs HelmsmanWindow::inputs() const
{
    const RealtimeState& s = realtimeState();
    HelmsmanInputs in;
    in.vesselEasting = s.VesselEasting;
    in.vesselNorthing = s.VesselNorthing;
    in.gridHeading = s.GridHeading;
    in.gridConvergence = s.GridConvergence;
    std::optional<double> editRadius;
    if (FShape) {
        const VesselSymbolSizes v = FShape->symbolSizes();
        in.symbol = {v.circles, v.interval, v.radius, v.bowArrow, v.sideArrow};
        // A text that is not a number counts as empty: no error ever comes out of the refresh.
        if (FShape->edRadious->textIsNumber()) editRadius = FShape->edRadious->value();
    }
    const double stored = editRadius && *editRadius > 0
                              ? 0.0
                              : IniFile(GetIniFileName()).readFloat(kVesselShapeSection, "Radious of first circle", 10.0);
    in.halfWidth = CorridorHalfWidth(editRadius, stored);
    if (Navset) {
        in.vesselColor = Navset->vesselColor();
        in.vesselWidth = Navset->vesselWidth();
    }
    const MainWindow* nav = nav_;
    in.receiverCourse = [nav](size_t i) -> std::optional<double> {
        if (!nav || i >= nav->ExtraVesselReceivers.size()) return std::nullopt;
        return nav->ExtraVesselReceivers[i]->GetCourse();
    };
    return in;
}

void HelmsmanWindow::CopyDrawing(bool keepView)
{
    if (const CanvasModel* main = mainMap()) scene_->CopySelection(*main, keepView, inputs());
}

void HelmsmanWindow::NoteSelection()
{
    if (const CanvasModel* main = mainMap()) scene_->NoteSelection(*main);
}

void HelmsmanWindow::MirrorTrack(const std::string& layer, ColorValue colour, int width, TrackPoint from, TrackPoint to,
                             bool asLine)
{
    scene_->MirrorTrack(layer, colour, width, from, to, asLine);
}

void HelmsmanWindow::onRefreshTick()
{
    if (!isVisible()) return;
    try {
        const HelmsmanInputs in = inputs();
        const CanvasModel* main = mainMap();
        if (main) scene_->CopyIfSelectionChanged(*main, in);
        scene_->Refresh(main, in, ExtraVessels);
        // No speed without a current position, as on the main map.
        const RealtimeState& st = realtimeState();
        const bool positionCurrent = nav_ && nav_->ZGPS1 && nav_->ZGPS1->Fix().current.At(clock().monotonic());
        Canvas->SetHudValue(st.SpeedKnots, positionCurrent);
        Canvas->Redraw();
        tickFailing_ = false;
    } catch (const std::exception& e) {
        // Never a dialog from the refresh: one line in the events log per streak of failures.
        if (!tickFailing_) AppendEventLine(std::string("Helmsman window refresh failed: ") + e.what(), EventsLogFileName());
        tickFailing_ = true;
    }
}

void HelmsmanWindow::gridColourFromMain()
{
    Canvas->SetGridLineColor(nav_ && nav_->fcad ? nav_->fcad->Grid().LineColor : kDefaultGridColour);
}

void HelmsmanWindow::LoadHelmsmanSettings()
{
    scene_->Options = LoadHelmsmanOptions(IniFile(GetIniFileName()), scene_->Options);
    Canvas->SetGridShown(scene_->Options.ShowGrid);
    if (scene_->Options.ShowGrid) gridColourFromMain();
}

void HelmsmanWindow::SaveHelmsmanSettings()
{
    scene_->Options.ShowGrid = Canvas->Grid().Shown;
    IniFile ini(GetIniFileName());
    SaveHelmsmanOptions(ini, scene_->Options);
}

void HelmsmanWindow::updateMenu()
{
    const HelmsmanOptions& o = scene_->Options;
    SetTranslatedText(FollowItem, o.Follow ? "Unfollow Vessel" : "Follow Vessel");
    SetTranslatedText(HeadUpItem, o.HeadUp ? "Up North (standard chart view)" : "Vessel Always Look Up");
    SetTranslatedText(GridItem, Canvas->Grid().Shown ? "Hide Grid" : "Show Grid");
    SetTranslatedText(RunlineThickItem, o.RunlineThick ? "Make the runline thin" : "Make the runline thick");
    SetTranslatedText(TracksItem, o.ShowTracks ? "Hide Tracklines" : "Show Tracklines");
    SetTranslatedText(CenterMainItem, "Center on Main Vessel");
    SetTranslatedText(ClearTracksItem, "Clear Tracks && Start Over");
    CenterMainItem->setChecked(o.FollowTarget == 0);
    for (size_t k = 0; k < CenterVesselItems.size(); ++k) {
        QAction* a = CenterVesselItems[k];
        if (k < ExtraVessels.size() && !ExtraVessels[k].Name.empty())
            SetTranslatedText(a, "Center on %1", {fromCp1254(ExtraVessels[k].Name)});
        else
            SetTranslatedText(a, "Center on Vessel %1", {QString::number(k + 2)});
        a->setEnabled(k < ExtraVessels.size() && ExtraVessels[k].Enabled);
        a->setChecked(o.FollowTarget - 1 == int(k));
    }
}

void HelmsmanWindow::menuCommandDone()
{
    Canvas->Redraw();
    SaveHelmsmanSettings();
    updateMenu();
}

void HelmsmanWindow::onFollowTriggered()
{
    HelmsmanOptions& o = scene_->Options;
    o.Follow = !o.Follow;
    if (o.FollowTarget < 0) o.FollowTarget = 0;
    menuCommandDone();
}

void HelmsmanWindow::onHeadUpTriggered()
{
    HelmsmanOptions& o = scene_->Options;
    o.HeadUp = !o.HeadUp;
    if (!o.HeadUp) Canvas->Model().SetRotation(0);
    menuCommandDone();
}

void HelmsmanWindow::onGridTriggered()
{
    const bool shown = !Canvas->Grid().Shown;
    Canvas->SetGridShown(shown);
    if (shown) gridColourFromMain();
    menuCommandDone();
}

void HelmsmanWindow::onRunlineThickTriggered()
{
    scene_->Options.RunlineThick = !scene_->Options.RunlineThick;
    CopyDrawing(true);
    menuCommandDone();
}

void HelmsmanWindow::onCenterMainTriggered()
{
    scene_->Options.FollowTarget = 0;
    scene_->Options.Follow = true;
    menuCommandDone();
}

void HelmsmanWindow::onCenterVesselTriggered(int tag)
{
    scene_->Options.FollowTarget = tag;
    scene_->Options.Follow = true;
    menuCommandDone();
}

void HelmsmanWindow::onTracksTriggered()
{
    scene_->SetShowTracks(!scene_->Options.ShowTracks);
    Canvas->Redraw();
    updateMenu();
}

void HelmsmanWindow::onClearTracksTriggered()
{
    // Only this map's copy of the track goes; the main map's track goes on unbroken.
    scene_->ClearTracks();
    Canvas->Redraw();
    updateMenu();
}

// ---- Right button: menu or measure ------------------------------------------------------------

void HelmsmanWindow::onMapMousePressed(TVeldorCanvas*, int button, int, int x, int y)
{
    if (button == inputcode::Right) rightButton_.Press(x, y, false);
}

void HelmsmanWindow::onMapWorldMousePressed(TVeldorCanvas*, int button, int, int, double x, double y)
{
    if (button == inputcode::Right) rightButton_.PressWorld(x, y);
}

void HelmsmanWindow::onMapMouseMoved(TVeldorCanvas*, int shift, int x, int y)
{
    if (rightButton_.Move(x, y, shift & inputcode::RightHeld))
        Canvas->StartMeasure(rightButton_.OriginX(), rightButton_.OriginY());
}

void HelmsmanWindow::onMapWorldMouseMoved(TVeldorCanvas*, int, double x, double y, double, double)
{
    RightButtonGesture::MeasureEnd end;
    if (rightButton_.MeasureTo(x, y, end)) Canvas->UpdateMeasureEnd(end.x, end.y, end.distance, end.bearing);
}

void HelmsmanWindow::onMapMouseReleased(TVeldorCanvas*, int button, int, int x, int y)
{
    if (button != inputcode::Right) return;
    switch (rightButton_.ReleaseRight()) {
    case RightButtonGesture::Release::EndMeasure: Canvas->EndMeasure(); break;
    case RightButtonGesture::Release::ShowMenu: Menu->popup(Canvas->mapToGlobal(QPoint(x, y))); break;
    default: break;
    }
}

} // namespace vsx
