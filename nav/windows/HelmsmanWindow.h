#pragma once
// The helmsman window: a large stay-on-top second map for the person steering, made on first use
// and owned by the main window. Its own canvas shows the run lines selected on the main map with
// the steering corridor, the vessels with pointers to the line ends and the own track mirrored
// from the main map (HelmsmanScene). A 200 ms timer refreshes it while it is shown, with one
// repaint per refresh; its popup menu holds the follow, orientation, grid, line width, centre and
// track options, kept in [HELMSMAN]. Closing it only hides it.
#include "nav/HelmsmanScene.h"
#include "nav/RightButtonGesture.h"

#include <QWidget>

#include <memory>
#include <vector>

class QAction;
class QMenu;
class QTimer;

namespace vsx {

class MainWindow;
class TVeldorCanvas;

class HelmsmanWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelmsmanWindow(MainWindow* owner);
    ~HelmsmanWindow() override;

    TVeldorCanvas* Canvas = nullptr;
    QTimer* Timer = nullptr;
    QMenu* Menu = nullptr;
    QAction* FollowItem = nullptr;
    QAction* HeadUpItem = nullptr;
    QAction* GridItem = nullptr;
    QAction* RunlineThickItem = nullptr;
    QAction* CenterMainItem = nullptr;
    std::vector<QAction*> CenterVesselItems;  // vessels 2, 3, 4
    QAction* TracksItem = nullptr;
    QAction* ClearTracksItem = nullptr;

    const HelmsmanOptions& Options() const { return scene_->Options; }
    HelmsmanScene& Scene() { return *scene_; }

    // The copy of the main map's selection (keeping this map's view or taking the main one's).
    void CopyDrawing(bool keepView);
    // Notes the main map's selection as copied.
    void NoteSelection();
    void MirrorTrack(const std::string& layer, ColorValue colour, int width, TrackPoint from, TrackPoint to,
                     bool asLine);

    void LoadHelmsmanSettings();
    void SaveHelmsmanSettings();

    void onRefreshTick();
    void updateMenu();
    void onFollowTriggered();
    void onHeadUpTriggered();
    void onGridTriggered();
    void onRunlineThickTriggered();
    void onCenterMainTriggered();
    void onCenterVesselTriggered(int tag);
    void onTracksTriggered();
    void onClearTracksTriggered();

    void onMapMousePressed(vsx::TVeldorCanvas* sender, int button, int shift, int x, int y);
    void onMapMouseMoved(vsx::TVeldorCanvas* sender, int shift, int x, int y);
    void onMapMouseReleased(vsx::TVeldorCanvas* sender, int button, int shift, int x, int y);
    void onMapWorldMousePressed(vsx::TVeldorCanvas* sender, int button, int shift, int action, double x, double y);
    void onMapWorldMouseMoved(vsx::TVeldorCanvas* sender, int shift, double x, double y, double magnitude,
                            double angle);

private:
    HelmsmanInputs inputs() const;
    const CanvasModel* mainMap() const;
    void menuCommandDone();
    void gridColourFromMain();

    MainWindow* nav_;
    std::unique_ptr<HelmsmanScene> scene_;
    RightButtonGesture rightButton_;
    bool tickFailing_ = false;
};

} // namespace vsx
