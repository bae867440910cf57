#pragma once
// The main navigation window: owner of the main GNSS receiver (ZGPS1), the echosounder receiver
// (ZSENSOR), one receiver per further vessel and the map (fcad). It binds the plain classes of
// nav/ to the devices and to the other windows: GnssLineHandler for every GNSS line,
// MapDisplayLoop for every tick of tMap, SurveyRun for the real-time button. What each of them,
// and each window below this one, asks of the main window is answered by one binding class per
// interface, in its own file (MainWindowGnssLineBinding.cpp ...).
//
// Closing it ends the program, even while tool windows are open.
#include "nav/CurrentPosition.h"
#include "nav/GnssLineHandler.h"
#include "nav/MapDisplayLoop.h"
#include "nav/MapSelection.h"
#include "nav/RightButtonGesture.h"
#include "nav/ScreenshotWriter.h"
#include "nav/ProjectionSnapshot.h"
#include "nav/SurveyRun.h"
#include "canvas/VeldorCanvas.h"
#include "input/UdpLineBuffer.h"
#include "nav/SensorWatchdog.h"
#include "platform/ScanFormat.h"
#include "platform/WriteFailureWatch.h"

#include <QMainWindow>
#include <QPoint>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QTimer;
class QToolBar;
class QToolButton;

namespace vsx {

class TVeldorSerialGPS;
class NumericKeypad;
class SimpleKeyboard;
class ImageryGeoreference;
class ReceiverPortTarget;
class HelmsmanWindow;
class TranslationManager;
class SurveyHost;
class CanvasDisplayTarget;
class RunningSurveyTarget;
class ScreenshotTimerTarget;
enum TVGPSCommPort : int;

using MapCanvas = TVeldorCanvas;

// Ids of the standard map layers (set by EnsureStandardLayers; -1 until then).
extern int GridLayerId;
extern int TrackFixLayerId;
extern int TrackNoFixLayerId;
extern int TrackFloatLayerId;
extern int TempShapeLayerId;
extern int UserShapeLayerId;
extern int EventLayerId;
extern int VesselLayerId;
// Folder of the current project file, as the status bar shows it.
extern std::string StatusFilePath;

// Finds or adds each standard layer and stores its id; the current layer stays as it was (a new
// layer would otherwise take the user's next drawing). Nothing without a canvas.
void EnsureStandardLayers(CanvasModel* canvas);

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // ---- Members other parts use ----------------------------------------------------------------
    TVeldorSerialGPS* ZGPS1 = nullptr;
    TVeldorSerialGPS* ZSENSOR = nullptr;
    MapCanvas* fcad = nullptr;
    std::vector<TVeldorSerialGPS*> ExtraVesselReceivers;  // index-aligned with ExtraVessels
    QTimer* tMap = nullptr;
    QTimer* tEchogram = nullptr;
    QTimer* tScreenshot = nullptr;
    QToolBar* tRealtime = nullptr;
    QToolBar* tDraw = nullptr;
    QToolBar* tShape = nullptr;
    QToolButton* bRealtime = nullptr;
    QToolButton* bFollowVessel = nullptr;
    QToolButton* noFollowButton = nullptr;  // "No follow"
    QStatusBar* sStatusBar = nullptr;
    QMenu* MapContextMenu = nullptr;
    QAction* MainTrackliningItem = nullptr;
    QAction* OtherTrackliningItem = nullptr;
    QAction* CenterOnMainItem = nullptr;
    QAction* followVesselItem = nullptr;
    QAction* doNotFollowVesselItem = nullptr;
    // Map context menu (the items whose caption, check mark or enabled state changes).
    QAction* ShowMainTracksItem = nullptr;
    QAction* ShowOtherTracksItem = nullptr;
    QAction* ShowDepthTextsItem = nullptr;
    QAction* SelectRunlineHereItem = nullptr;
    QAction* HelmsmanWindowItem = nullptr;
    // The helmsman window, made on first use.
    HelmsmanWindow* Helmsman = nullptr;
    // Map flags the context menu toggles (the tracklining ones live in the real-time state).
    bool ShowMainTracks = true;
    bool ShowOtherTracks = true;
    bool ShowDepthTexts = false;
    const MapSelection& Selection() const { return selection_; }

    // The datum text of the projection snapshot (WGS-84 block first); empty until taken.
    const std::string& DatumText() const;
    ProjectionSnapshotKeeper& Snapshot() { return snapshot_; }
    MapDisplayLoop& MapLoop() { return *mapLoop_; }
    GnssLineHandler& LineHandler() { return *lineHandler_; }
    SurveyRun& Run() { return *run_; }
    // The time-stamped save; false (with the reason) when the drawing could not be written.
    bool AutoSave(std::string* error = nullptr);
    // The grid projection the map draws in: the one of the projection snapshot (taken at the
    // run's start), or the device settings' choice while there is none.
    GridProjection MapProjection() const;
    // Text of a status-bar panel (0..6).
    QString StatusPanelText(int panel) const;
    int StatusPanelCount() const { return int(statusPanels_.size()); }

    // ---- Lifecycle -------------------------------------------------------------------------------
    void setUp();
    void onFirstShown();
    void shutDown();
    void TranslateCaptions();
    void ShowFileInStatusBar(const std::string& path);
    void UpdateRealtimeCaption();
    void UpdateRealtimeCaption(bool running);
    // ---- GNSS state on screen (MainWindowGnss.cpp) -----------------------------------------------
    // The receiver fell silent or went away (or real time stopped, `runStopped`): its last fix is
    // no longer shown as current, nor, after a stop, the last depth.
    void ShowGnssSilent(bool runStopped = false);
    // Says a GGA refused for impossible values on the status bar and in the events log (`who`:
    // "GPS" or a vessel's name); the callers say only the first of a run for each receiver.
    void ReportRejectedGga(const std::string& who, std::string_view line, const char* problem);
    // Where a sounding made now stands: the current fix, in the map's grid.
    SoundingPosition SoundingPositionNow();

public slots:
    // ---- Real time -------------------------------------------------------------------------------
    void onRealtimeClicked();
    // ---- Main receiver ---------------------------------------------------------------------------
    void onGnssLine(vsx::TVeldorSerialGPS* sender, const std::string& command);
    void onGnssPosition(vsx::TVeldorSerialGPS* sender, double latitude, double longitude, double altitude);
    void onGnssSpeed(vsx::TVeldorSerialGPS* sender, double speedKmh);
    void onGnssCommandSent(vsx::TVeldorSerialGPS* sender, std::string buffer);
    // Device events of the receivers (connect, disconnect, idle, time-out), and the echosounder's
    // lines: bound at creation, handled by the device-event and depth parts.
    void onGnssConnected(vsx::TVeldorSerialGPS* sender, vsx::TVGPSCommPort port);
    void onGnssDisconnected(vsx::TVeldorSerialGPS* sender, vsx::TVGPSCommPort port);
    void onGnssIdle(vsx::TVeldorSerialGPS* sender);
    void onGnssTimeout(vsx::TVeldorSerialGPS* sender);
    void onSounderConnected(vsx::TVeldorSerialGPS* sender, vsx::TVGPSCommPort port);
    void onSounderDisconnected(vsx::TVeldorSerialGPS* sender, vsx::TVGPSCommPort port);
    void onSounderIdle(vsx::TVeldorSerialGPS* sender);
    void onSounderLine(vsx::TVeldorSerialGPS* sender, const std::string& command);
    void onSounderTimeout(vsx::TVeldorSerialGPS* sender);
    // A device that went away during a run, and its return (the receiver opens it again itself).
    void onGnssLost(vsx::TVeldorSerialGPS* sender, vsx::TVGPSCommPort port);
    void onGnssBack(vsx::TVeldorSerialGPS* sender, vsx::TVGPSCommPort port);
    void onSounderLost(vsx::TVeldorSerialGPS* sender, vsx::TVGPSCommPort port);
    void onSounderBack(vsx::TVeldorSerialGPS* sender, vsx::TVGPSCommPort port);
    // ---- Event marks and window commands ---------------------------------------------------------
    void onEventAddClicked();
    void onEventResetClicked();
    void onEchogramTriggered();
    void onDeviceSettingsTriggered();
    void onSettingsClicked();
    void onRealtimeWindowTriggered();
    // ---- RTK corrections (MainWindowNtrip.cpp) ---------------------------------------------------
    void onNtripClientTriggered();
    // Call whenever ZGPS1 has opened or closed its port: hands the open port to the NTRIP client,
    // or takes it back, so corrections never go to a closed or stale port.
    void handGnssPortToNtrip();
    void HandPositionToNtrip(double latitude, double longitude, double altitude);
    // ---- Further vessels -------------------------------------------------------------------------
    void onExtraVesselPosition(vsx::TVeldorSerialGPS* sender, double latitude, double longitude, double altitude);
    void onExtraVesselLine(vsx::TVeldorSerialGPS* sender, const std::string& command);
    void onExtraVesselLost(vsx::TVeldorSerialGPS* sender, vsx::TVGPSCommPort port);
    void onExtraVesselBack(vsx::TVeldorSerialGPS* sender, vsx::TVGPSCommPort port);
    // ---- Map -------------------------------------------------------------------------------------
    void onMapTick();
    void onEchogramTick();
    void onScreenshotTick();
    void onFollowVesselClicked();
    void onNoFollowClicked();
    void onMainTrackliningTriggered();
    void onOtherTrackliningTriggered();
    void onCenterOnVesselTriggered(int target);
    void updateMapMenu();
    void onMapMousePressed(vsx::TVeldorCanvas* sender, int button, int shift, int x, int y);
    void onMapMouseMoved(vsx::TVeldorCanvas* sender, int shift, int x, int y);
    void onMapMouseReleased(vsx::TVeldorCanvas* sender, int button, int shift, int x, int y);
    // ---- Map tools, selection, track clearing and keys (MainWindowMap.cpp) -----------------------
    void SetDrawingTool(int tool);
    void onZoomExtentsClicked();
    void onZoomWindowClicked();
    void onZoomDynamicClicked();
    void onPanClicked();
    void onSelectShapesClicked();
    void onSelectTracksClicked();
    void onDeleteSelectedClicked();
    void onClearUserShapesClicked();
    void onClearFixedTracksClicked();
    void onClearFloatTracksClicked();
    void onClearNoFixTracksClicked();
    void onShowMainTracksTriggered();
    void onShowOtherTracksTriggered();
    void onShowDepthTextsTriggered();
    void onSelectRunlineHereTriggered();
    void onToggleHelmsmanTriggered();
    void onMapWorldMousePressed(vsx::TVeldorCanvas* sender, int button, int shift, int action, double x, double y);
    void onMapWorldMouseMoved(vsx::TVeldorCanvas* sender, int shift, double x, double y, double magnitude, double angle);
    void onDrawingStarted(vsx::TVeldorCanvas* sender, int shapeType, double x, double y);
    void onDrawingFinished(vsx::TVeldorCanvas* sender, int shapeType, double x, double y);
    void onMapDoubleClicked(vsx::TVeldorCanvas* sender);
    void onShapeSelected(vsx::TVeldorCanvas* sender, int shapeType, int shapeNumber);
    void onOpenLogFolderTriggered();
    void onRemoteSupportTriggered();
    // ---- Helmsman window (HelmsmanWindow.cpp) ----------------------------------------------------
    void onHelmsmanWindowTriggered();
    void CloneDrawingToHelmsman(bool keepHelmsmanView);
    // ---- Screenshots, end and restart (MainWindowScreens.cpp) -----------------------------------
    void onExitClicked();
    void onRestartClicked();
    // ---- Menu commands of this window ------------------------------------------------------------
    void onEnglishTriggered();
    void onTurkishTriggered();
    void onShowSatelliteImageTriggered();
    void onClearSatelliteImageCachesTriggered();
    void onImportOldSettingsTriggered();
    // ---- Project files, import and export (MainWindowProject.cpp, MainWindowImportExport.cpp) ----
    // The time-stamped save other windows and the close ask for: never raises; a failure is
    // logged and shown on the status bar.
    void onSaveTriggered();
    // Save from the menu or the tool bar: a failure is shown in a message.
    void onSaveClicked();
    void onNewTriggered();
    void onOpenTriggered();
    void onSaveAsTriggered();
    void onExitTriggered();
    void onImportTriggered();
    void onExportTriggered();
    void onTranslationEditorTriggered();
    // ---- Run lines (MainWindowRunline.cpp) -------------------------------------------------------
    void onRunlineClicked();
    void onGenerateRunlinesTriggered();
    void onRouteDrawn(vsx::TVeldorCanvas* sender, int shapeType, double x, double y);

public:
    // ---- On-screen keypad and keyboard ------------------------------------------------------------
    // Shows the panel at the bottom of the map, typing into `target`.
    void ShowNumericKeypad(QWidget* target);
    void ShowSimpleKeyboard(QWidget* target);
    NumericKeypad* numericKeypad() const { return numericKeypad_; }
    SimpleKeyboard* simpleKeyboard() const { return simpleKeyboard_; }

public:
    // The old-settings import's file choice ("" when cancelled) and its end of the process;
    // tests replace both.
    std::function<std::string()> ChooseOldSettingsFile;
    std::function<void(int)> ExitProcess;
    // The window's key handling, seeing every key of this window before its controls do; true
    // when the key was used up.
    bool handleKey(int key);
    // The screens the periodic screenshots capture; tests give pictures of their own.
    void SetScreenSource(std::unique_ptr<ScreenSource> source);
    ScreenshotWriter& Screenshots() { return *screenshots_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The window's side of each interface that the plain classes and the windows below it use,
    // one class and file each (MainWindow<Name>Binding.cpp); each make function is in that file.
    class GnssLineBinding;
    class MapLoopBinding;
    class SurveyRunBinding;
    class SurveyHostBinding;
    class CanvasDisplayBinding;
    class RunningSurveyBinding;
    class ScreenshotTimerBinding;
    std::unique_ptr<GnssLineEnvironment> makeGnssLineBinding();
    std::unique_ptr<MapLoopEnvironment> makeMapLoopBinding();
    std::unique_ptr<SurveyRunHost> makeSurveyRunBinding();
    std::unique_ptr<SurveyHost> makeSurveyHostBinding();
    std::unique_ptr<CanvasDisplayTarget> makeCanvasDisplayBinding();
    std::unique_ptr<RunningSurveyTarget> makeRunningSurveyBinding();
    std::unique_ptr<ScreenshotTimerTarget> makeScreenshotTimerBinding();
    // [GPS] no-data time of the main receiver (10 s when not set).
    std::chrono::milliseconds gnssNoDataTime() const;

    void buildMenus();
    void buildToolbars();
    // A tool-bar button of this window by its object name.
    QToolButton* drawButton(const char* name) const;
    void buildStatusBar();
    void buildMapContextMenu();
    // Binds the map's tool bars, menu items, canvas events and keys (MainWindowMap.cpp).
    void wireMapCommands();
    void wireScreenCommands();
    void clearTracks(int kind);
    void setTrackLayersVisible(bool shown);
    void createReceivers();
    void createExtraVesselReceivers();
    void addExtraVesselReceiver();
    void createCanvas(bool showImagery);
    // The imagery under the map: shown or not, its cache, its server and its georeference.
    void setUpImagery(bool shown);
    void showImageryState();
    // A panel showing a value, or words (an English key) shown in the current language.
    void setStatusPanel(int panel, const QString& text, int extraWidth);
    void setStatusPanelWords(int panel, const char* english, const QStringList& args, int extraWidth);
    void fitStatusPanel(QLabel* panel, int extraWidth);
    void switchLanguage(const std::string& code);
    void onStatusBarClicked(int x);
    void publishHud();
    // The UDP input's listener starts the map loop that polls it.
    void WireUdpInput();
    // The moment the position held stops being current is shown then, not only at the next map
    // tick: the expiry timer is set for it after every GNSS line.
    void armPositionExpiry();
    void onPositionExpired();
    // A device event: the message window (shown when asked), its memo and the events log.
    void reportDeviceEvent(const char* english, const QStringList& args, bool showWindow);
    // Closes a receiver the program itself lets go of (a stop, the end): whoever closes it says
    // so, its disconnect event does not.
    void closeQuietly(TVeldorSerialGPS* receiver);
    const ScanFormat* currentScanFormat();
    void applyDepthAlarm(double trueDepthHi);
    // The map loop's projection snapshot; datum or projection settings that cannot be used are
    // said once per snapshot on the status bar and in the events log.
    const ProjectionSnapshot* mapSnapshot(GridProjection projection);
    // A line of the survey run for the message window, in the interface's language.
    QString runMessageText(const std::string& line);
    // A survey start refused: why, in a message box over the window the user acted in.
    void showRefusedStart(QWidget* actedIn);
    // One write to a sounding file or log, known as `what`: a failure is said on the status bar,
    // in the message window and in the events log when it starts, and again with the number of
    // lines lost when writing works again.
    void noteWrite(const std::string& what, const std::string& file, bool written, const std::string& reason);
    // At the end of a run: how many corrupt depth lines its sounding files left out, in the
    // events log (nothing when none); the count starts again.
    void reportLeftOutDepthLines();

    // Before the plain classes below, which hold references to them.
    std::unique_ptr<GnssLineEnvironment> gnssLineBinding_;
    std::unique_ptr<MapLoopEnvironment> mapLoopBinding_;
    std::unique_ptr<SurveyRunHost> surveyRunBinding_;
    std::unique_ptr<SurveyHost> surveyHostBinding_;
    std::unique_ptr<CanvasDisplayTarget> canvasDisplayBinding_;
    std::unique_ptr<RunningSurveyTarget> runningSurveyBinding_;
    std::unique_ptr<ScreenshotTimerTarget> screenshotTimerBinding_;
    NumericKeypad* numericKeypad_ = nullptr;
    SimpleKeyboard* simpleKeyboard_ = nullptr;
    ProjectionSnapshotKeeper snapshot_;
    std::unique_ptr<GnssLineHandler> lineHandler_;
    std::unique_ptr<MapDisplayLoop> mapLoop_;
    std::unique_ptr<SurveyRun> run_;
    std::unique_ptr<ReceiverPortTarget> gnssTarget_, sounderTarget_;
    std::vector<QLabel*> statusPanels_;
    std::vector<QAction*> centerOnVesselItems_;
    UdpLineBuffer udpLines_;
    std::unique_ptr<ImageryGeoreference> imageryGeoreference_;
    MapSelection selection_;
    RightButtonGesture rightButton_;
    std::unique_ptr<ScreenSource> screenSource_;
    std::unique_ptr<ScreenshotWriter> screenshots_;
    // The translation manager this window made because none existed; it goes with the window.
    TranslationManager* ownTranslator_ = nullptr;
    bool shownOnce_ = false;
    bool closing_ = false;
    bool tickRunning_ = false;
    bool closingQuietly_ = false;
    QTimer* positionExpiry_ = nullptr;
    std::optional<CurrentPosition::TimePoint> positionExpiryFix_;  // the fix the expiry timer is set for

public:
    // ---- Echosounder watch (written by the depth handler and the echogram timer) ----------------
    SensorWatchdog SensorWatch;
    bool FirstSensorLineSeen = false;
    bool NewDepthAvailable = false;
    double DepthAlarmLevel = 0;

private:
    std::string scanFormatText_;
    std::optional<ScanFormat> scanFormat_;
    bool reportedBadOffsets_ = false;
    long leftOutDepthLines_ = 0;  // corrupt depth lines of this run that made no record
    WriteFailureWatch writeWatch_;
    std::string reportedSnapshotProblem_;  // what the status bar last said about the snapshot
};

} // namespace vsx
