#include "nav/windows/MainWindow.h"
#include "nav/windows/HelmsmanWindow.h"

#include "app/ErrorReport.h"
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/TranslationManager.h"
#include "app/Translated.h"
#include "app/windows/MessageWindow.h"
#include "app/windows/ThemeWindow.h"
#include "app/windows/AboutWindow.h"
#include "app/windows/WindowPointers.h"
#include "app/windows/WindowSetup.h"
#include "app/windows/WindowTranslation.h"
#include "canvas/ProjectFile.h"
#include "input/DeviceSettings.h"
#include "input/DeviceSettingsTargets.h"
#include "input/ExtraVesselSettings.h"
#include "input/TVeldorSerialGPS.h"
#include "input/windows/DeviceSettingsWindow.h"
#include "nav/CommandLine.h"
#include "nav/RealtimeLogs.h"
#include "platform/AtomicFile.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "platform/Prompts.h"
#include "platform/Text.h"
#include "tools/FolderOpener.h"
#include "tools/SurveyHost.h"
#include "tools/windows/VesselGeometryWindow.h"
#include "tools/windows/NavigationSettingsWindow.h"
#include "tools/windows/OffsetsWindow.h"
#include "tools/windows/BatteryWindow.h"
#include "tools/windows/LatencyWindow.h"
#include "tools/windows/RealtimeDataWindow.h"
#include "tools/windows/RunlineGeneratorWindow.h"
#include "tools/windows/SoundVelocityWindow.h"
#include "tools/windows/WaterfallWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <filesystem>

namespace vsx {

int GridLayerId = -1;
int TrackFixLayerId = -1;
int TrackNoFixLayerId = -1;
int TrackFloatLayerId = -1;
int TempShapeLayerId = -1;
int UserShapeLayerId = -1;
int EventLayerId = -1;
int VesselLayerId = -1;
std::string StatusFilePath;

namespace {

constexpr int kStatusPanels = 7;
constexpr int kMapInterval = 200;

QString tr8(const std::string& s) { return QString::fromUtf8(s.c_str(), int(s.size())); }

GeodeticTexts geodeticTextsFromSettings()
{
    const DeviceSettings& s = deviceSettings();
    GeodeticTexts t;
    t.localDatum = s.localDatumText();
    t.localEllipsoid = s.localEllipsoidText();
    t.projection = s.projectionText();
    t.lccParallel1 = s.geodetic(GeodeticField::LccStandardParallel1).value();
    t.lccParallel2 = s.geodetic(GeodeticField::LccStandardParallel2).value();
    t.lccScaleFactor = s.geodetic(GeodeticField::LccScaleFactor).value();
    t.lccOriginLatitude = s.geodetic(GeodeticField::LccCentralParallel).value();
    t.lccCentralMeridian = s.geodetic(GeodeticField::LccCentralMeridian).value();
    t.lccFalseEasting = s.geodetic(GeodeticField::LccFalseEasting).value();
    t.lccFalseNorthing = s.geodetic(GeodeticField::LccFalseNorthing).value();
    t.selected = !s.useLccProjection() ? GridProjection::TransverseMercator
                 : s.lambert1()        ? GridProjection::Lambert1SP
                                       : GridProjection::Lambert2SP;
    t.named = s.geodesyInForce();
    return t;
}

} // namespace

GridProjection MainWindow::MapProjection() const
{
    if (const ProjectionSnapshot* s = snapshot_.Current()) return s->projection();
    return geodeticTextsFromSettings().selected;
}

namespace {

// Settings of a port group handed to a receiver for its next open.
class ReceiverAdapter : public ReceiverPortTarget {
public:
    explicit ReceiverAdapter(TVeldorSerialGPS* r) : r_(r) {}
    void applyPortSettings(const ReceiverPortSettings& s) override
    {
        // No port name means no port: the next open fails instead of taking COM1.
        r_->PortNumber = s.portName.empty() ? 0 : PortNumberFromName(s.portName);
        r_->BaudRate = ValidBaudRate(s.baudRate);
        r_->DataBitsCode = s.dataBitsCode;
        r_->StopBitsCode = s.stopBitsCode;
        r_->ParityCode = s.parityCode;
        r_->PollInterval = s.pollInterval;
        r_->RawLogEnabled = s.rawLogEnabled;
        r_->RawLogTimeStamps = s.rawLogTimeStamps;
        r_->EnableDTR = s.enableDtr;
        r_->EnableRTS = s.enableRts;
        r_->RawLogFileName = s.rawLogFileName;
    }
    void open() override { r_->Open(); }
    void close() override { r_->Close(); }
    bool isOpen() const override { return r_->Connected(); }

private:
    TVeldorSerialGPS* r_;
};

} // namespace

void EnsureStandardLayers(CanvasModel* canvas)
{
    if (!canvas) return;
    const struct {
        const char* name;
        int* id;
    } layers[] = {{"Veldor Grid", &GridLayerId},        {"track_fix", &TrackFixLayerId},
                  {"track_nofix", &TrackNoFixLayerId},  {"track_float", &TrackFloatLayerId},
                  {"veldor_tempshape", &TempShapeLayerId}, {"veldor_usershape", &UserShapeLayerId},
                  {"event_number", &EventLayerId},      {"~~Veldor Vessel", &VesselLayerId}};
    const int current = canvas->CurrentLayer();
    for (const auto& l : layers) {
        int id = canvas->FindLayer(l.name);
        if (id == -1) id = canvas->AddLayer(l.name);
        *l.id = id;
    }
    // The tracks are drawn in the colours the navigation settings show, on any background.
    for (int id : {TrackFixLayerId, TrackFloatLayerId, TrackNoFixLayerId}) canvas->SetLayerKeepsColor(id, true);
    canvas->SetCurrentLayer(current);
}

// ---- Creation ---------------------------------------------------------------------------------

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), snapshot_([] { return geodeticTextsFromSettings(); })
{
    SetUpWindow(this, {"FNav", "Veldor Sondrix", false, QSize(1024, 700)});
    ChooseOldSettingsFile = [this] {
        return prompts()
            .openFileName(this, QStringLiteral("Import Old VSX INI File"),
                          QStringLiteral("INI Files (*.ini);;All Files (*.*)"))
            .toStdString();
    };
    ExitProcess = [](int code) { std::exit(code); };
    gnssLineBinding_ = makeGnssLineBinding();
    mapLoopBinding_ = makeMapLoopBinding();
    surveyRunBinding_ = makeSurveyRunBinding();
    surveyHostBinding_ = makeSurveyHostBinding();
    canvasDisplayBinding_ = makeCanvasDisplayBinding();
    runningSurveyBinding_ = makeRunningSurveyBinding();
    screenshotTimerBinding_ = makeScreenshotTimerBinding();
    // The events log cannot say that it cannot be written: the status bar and the message window
    // say it. Entries written from another thread are left to their writer.
    setEventsLogWatcher([this](const std::string& file, bool written, const std::string& reason) {
        if (QThread::currentThread() == thread()) noteWrite("events log", file, written, reason);
    });
    setUp();
}

MainWindow::~MainWindow()
{
    setEventsLogWatcher({});
    if (GnssReceiverTarget == gnssTarget_.get()) GnssReceiverTarget = nullptr;
    if (SounderReceiverTarget == sounderTarget_.get()) SounderReceiverTarget = nullptr;
    if (ScreenshotTimer == screenshotTimerBinding_.get()) ScreenshotTimer = nullptr;
    if (MapCanvasTarget == canvasDisplayBinding_.get()) MapCanvasTarget = nullptr;
    if (RunningSurvey == runningSurveyBinding_.get()) RunningSurvey = nullptr;
    if (&surveyHost() == surveyHostBinding_.get()) setSurveyHost(nullptr);
    if (&mainWindowHost() == static_cast<MainWindowHost*>(surveyHostBinding_.get())) setMainWindowHost(nullptr);
    if (fcad) fcad->Model().SetChangeHandler({});
    StatusFilePath.clear();
    if (Translator == ownTranslator_) {
        delete Translator;
        Translator = nullptr;
    }
}

const std::string& MainWindow::DatumText() const
{
    static const std::string none;
    const ProjectionSnapshot* s = snapshot_.Current();
    return s ? s->datumText() : none;
}

void MainWindow::setUp()
{
    RealtimeState& state = realtimeState();
    state = RealtimeState{};

    for (const std::string& f : {DayFolder, ProjectFolder, LogFolder, XyzFolder, SvpFolder, DayFolder + "JPG",
                                 DayFolder + "MP4"}) {
        std::error_code ignored;
        if (!f.empty()) std::filesystem::create_directories(f, ignored);
    }
    const std::string icon = withTrailingSlash(programFolder()) + "VeldorSX2.ico";
    if (fileExists(icon)) {
        const QIcon i(tr8(icon));
        QApplication::setWindowIcon(i);
        setWindowIcon(i);
    }
    if (!Translator) Translator = ownTranslator_ = new TranslationManager();
    InstallWindowTranslation();
    // The caption names the project file; it reads the same in every language.
    MarkAsValue(this);

    std::string language;
    bool showImagery = false;
    {
        IniFile ini(GetIniFileName());
        language = ini.readString("SETTINGS", "Language", "en");
        OverlayFontSize = strToIntDef(ini.readString("OVERLAY_SETTINGS", "FontSize", "40"), 40);
        showImagery = ini.readBool("SETTINGS", "SatelliteMapVisible", false);
    }
    if (language != "en") Translator->SetLanguage(language);

    tMap = new QTimer(this);
    tMap->setObjectName("tMap");
    tMap->setInterval(kMapInterval);
    connect(tMap, &QTimer::timeout, this, &MainWindow::onMapTick);
    positionExpiry_ = new QTimer(this);
    positionExpiry_->setObjectName("PositionExpiry");
    positionExpiry_->setSingleShot(true);
    positionExpiry_->setTimerType(Qt::PreciseTimer);  // a coarse timer may fire 5 % late
    connect(positionExpiry_, &QTimer::timeout, this, &MainWindow::onPositionExpired);
    tEchogram = new QTimer(this);
    tEchogram->setObjectName("tEchogram");
    tEchogram->setInterval(200);
    connect(tEchogram, &QTimer::timeout, this, &MainWindow::onEchogramTick);
    tEchogram->start();
    tScreenshot = new QTimer(this);
    tScreenshot->setObjectName("tScreenshot");
    connect(tScreenshot, &QTimer::timeout, this, &MainWindow::onScreenshotTick);

    buildToolbars();
    buildMenus();
    buildStatusBar();
    createReceivers();
    createExtraVesselReceivers();
    createCanvas(showImagery);

    // Every number and date this program writes goes through its own locale-free formatters
    // (platform/Numbers.h, platform/Clock.h), so no process-wide text format is set here.
    MonitorEchoEnabled = true;
    UpdateRealtimeCaption();
    bRealtime->setMinimumWidth(70);

    std::vector<std::string> args;
    for (const QString& a : QCoreApplication::arguments()) args.push_back(a.toStdString());
    if (const std::string file = ProjectFileFromArguments(args); !file.empty()) CommandLineProjectFile = file;

    lineHandler_ = std::make_unique<GnssLineHandler>(state, *gnssLineBinding_);
    mapLoop_ = std::make_unique<MapDisplayLoop>(state, ZGPS1->Fix(), fcad->Model(), *mapLoopBinding_);
    run_ = std::make_unique<SurveyRun>(*surveyRunBinding_);

    gnssTarget_ = std::make_unique<ReceiverAdapter>(ZGPS1);
    sounderTarget_ = std::make_unique<ReceiverAdapter>(ZSENSOR);
    GnssReceiverTarget = gnssTarget_.get();
    SounderReceiverTarget = sounderTarget_.get();
    ScreenshotTimer = screenshotTimerBinding_.get();
    MapCanvasTarget = canvasDisplayBinding_.get();
    RunningSurvey = runningSurveyBinding_.get();
    setSurveyHost(surveyHostBinding_.get());
    setMainWindowHost(surveyHostBinding_.get());
    wireMapCommands();
    wireScreenCommands();
}

void MainWindow::buildToolbars()
{
    tRealtime = addToolBar(QStringLiteral("Realtime"));
    tRealtime->setObjectName("tRealtime");
    tDraw = addToolBar(QStringLiteral("Draw"));
    tDraw->setObjectName("tDraw");
    tShape = new QToolBar(QStringLiteral("Shapes"), this);
    tShape->setObjectName("tShape");
    addToolBar(Qt::LeftToolBarArea, tShape);
    for (QToolBar* t : {tRealtime, tDraw, tShape}) {
        t->setMovable(false);
        t->setStyleSheet(QStringLiteral("QToolBar { border: 0px; }"));
    }

    auto button = [](QToolBar* bar, const char* name, const char* caption) {
        auto* b = new QToolButton(bar);
        b->setObjectName(name);
        b->setText(QString::fromUtf8(caption));
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        bar->addWidget(b);
        return b;
    };
    bRealtime = button(tRealtime, "bRealtime", "Start");
    connect(bRealtime, &QToolButton::clicked, this, &MainWindow::onRealtimeClicked);
    connect(button(tRealtime, "tbRunline", "Runline"), &QToolButton::clicked, this, &MainWindow::onRunlineClicked);
    connect(button(tRealtime, "ConnectIcon", "Settings"), &QToolButton::clicked, this, &MainWindow::onSettingsClicked);
    button(tRealtime, "tbFixed", "Fixed");
    button(tRealtime, "tbFloat", "Float");
    button(tRealtime, "tbAuto", "Auto");
    button(tRealtime, "bSelectTracks", "Select Track");
    button(tRealtime, "bDelSelected", "Delete Selected");
    bFollowVessel = button(tRealtime, "bFollowVessel", "Follow");
    connect(bFollowVessel, &QToolButton::clicked, this, &MainWindow::onFollowVesselClicked);
    noFollowButton = button(tRealtime, "ToolButton13", "No follow");
    connect(noFollowButton, &QToolButton::clicked, this, &MainWindow::onNoFollowClicked);

    // Every button has its own object name: handlers find their button by name, never by its
    // place in the bar (the bar's own extension button shifts places).
    struct Named {
        const char* name;
        const char* caption;
    };
    for (const Named& b : {Named{"Zoomin", "Zoom In"}, Named{"Zoomout", "Zoom Out"}, Named{"Zoomextents", "Extents"},
                           Named{"Zoomwindow", "Window"}, Named{"Zoomdynamic", "Dynamic"}, Named{"Zoompan", "Pan"},
                           Named{"bMouseSelect", "Select"}, Named{"ToolButton11", "Clear User Shapes"},
                           Named{"btEventAdd", "Add Event"}, Named{"btEventReset", "Reset Event"},
                           Named{"bOpen", "Open"}, Named{"bSave", "Save"}, Named{"bExit", "Exit"},
                           Named{"bRestart", "Restart"}})
        button(tDraw, b.name, b.caption);
    connect(drawButton("btEventAdd"), &QToolButton::clicked, this, &MainWindow::onEventAddClicked);
    connect(drawButton("btEventReset"), &QToolButton::clicked, this, &MainWindow::onEventResetClicked);
    connect(drawButton("Zoomin"), &QToolButton::clicked, this, [this] { surveyHostBinding_->ZoomIn(); });
    connect(drawButton("Zoomout"), &QToolButton::clicked, this, [this] { surveyHostBinding_->ZoomOut(); });
    connect(drawButton("bOpen"), &QToolButton::clicked, this, &MainWindow::onOpenTriggered);
    connect(drawButton("bSave"), &QToolButton::clicked, this, &MainWindow::onSaveClicked);
    for (const Named& b : {Named{"ToolButton7", "Point"}, Named{"ToolButton12", "Line"},
                           Named{"ToolButton21", "Rectangle"}, Named{"ToolButton23", "Polyline"},
                           Named{"ToolButton27", "Ellipse"}, Named{"ToolButton28", "Polygon"},
                           Named{"ToolButton29", "Spline"}, Named{"ToolButton30", "Arc"},
                           Named{"ToolButton31", "Circle"}})
        button(tShape, b.name, b.caption);
}

QToolButton* MainWindow::drawButton(const char* name) const
{
    auto* b = findChild<QToolButton*>(QString::fromLatin1(name));
    Q_ASSERT(b);
    return b;
}

void MainWindow::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    auto menu = [bar](const char* caption) {
        return bar->addMenu(QString::fromUtf8(caption));
    };
    auto item = [](QMenu* m, const char* name, const char* caption, const QKeySequence& keys = {}) {
        QAction* a = m->addAction(QString::fromUtf8(caption));
        a->setObjectName(name);
        if (!keys.isEmpty()) a->setShortcut(keys);
        return a;
    };
    auto show = [this](QAction* a, QWidget* const* window) {
        connect(a, &QAction::triggered, this, [window] {
            BringToUser(*window);
        });
    };

    QMenu* file = menu("File");
    connect(item(file, "New1", "New", QKeySequence("Ctrl+N")), &QAction::triggered, this, &MainWindow::onNewTriggered);
    connect(item(file, "Open1", "Open...", QKeySequence("Ctrl+O")), &QAction::triggered, this, &MainWindow::onOpenTriggered);
    connect(item(file, "Save1", "Save", QKeySequence("Ctrl+S")), &QAction::triggered, this, &MainWindow::onSaveClicked);
    connect(item(file, "SaveAs1", "Save As...", QKeySequence("Ctrl+W")), &QAction::triggered, this,
            &MainWindow::onSaveAsTriggered);
    file->addSeparator();
    connect(item(file, "Import1", "Import...", QKeySequence("Ctrl+I")), &QAction::triggered, this,
            &MainWindow::onImportTriggered);
    connect(item(file, "Export1", "Export...", QKeySequence("Ctrl+X")), &QAction::triggered, this,
            &MainWindow::onExportTriggered);
    file->addSeparator();
    connect(item(file, "Exit1", "Exit", QKeySequence("Ctrl+Q")), &QAction::triggered, this, &MainWindow::onExitTriggered);

    QMenu* edit = menu("Edit");
    item(edit, "ClearUserAddedShapes1", "Clear shapes user added");
    item(edit, "ClearUnfixedTracks1", "Clear tracks unfixed");
    item(edit, "ClearFixedTracks1", "Clear tracks fixed");
    item(edit, "Deletetracksselected1", "Delete tracks selected");
    edit->addSeparator();
    followVesselItem = item(edit, "Followvessel1", "Follow vessel");
    followVesselItem->setCheckable(true);
    followVesselItem->setChecked(true);
    connect(followVesselItem, &QAction::triggered, this, &MainWindow::onFollowVesselClicked);
    doNotFollowVesselItem = item(edit, "Donotfollowvessel1", "Do not follow vessel");
    doNotFollowVesselItem->setCheckable(true);
    connect(doNotFollowVesselItem, &QAction::triggered, this, &MainWindow::onNoFollowClicked);
    connect(item(edit, "MarkEvent1", "Mark Event", QKeySequence(Qt::Key_F12)), &QAction::triggered, this,
            &MainWindow::onEventAddClicked);

    QMenu* zoom = menu("Zoom");
    connect(item(zoom, "In1", "In", QKeySequence("Ctrl+I")), &QAction::triggered, this, [this] { surveyHostBinding_->ZoomIn(); });
    connect(item(zoom, "Out1", "Out", QKeySequence("Ctrl+O")), &QAction::triggered, this,
            [this] { surveyHostBinding_->ZoomOut(); });
    connect(item(zoom, "Extents1", "Extents", QKeySequence("Ctrl+Alt+E")), &QAction::triggered, this,
            [this] { fcad->Model().ZoomExtents(); });
    item(zoom, "Window1", "Window", QKeySequence("Ctrl+W"));
    item(zoom, "Dynamic1", "Dynamic", QKeySequence("Ctrl+Alt+D"));

    QMenu* tools = menu("Tools");
    show(item(tools, "VesselShape1", "Vessel Shape..."), reinterpret_cast<QWidget* const*>(&FShape));
    show(item(tools, "NavigationSettings1", "Navigation Settings..."), reinterpret_cast<QWidget* const*>(&Navset));
    show(item(tools, "OffsetsandValues1", "Offsets...", QKeySequence("Ctrl+O")),
         reinterpret_cast<QWidget* const*>(&Offsets));
    show(item(tools, "SoundVelocityProfile1", "Sound Velocity Profile..."), reinterpret_cast<QWidget* const*>(&fSVP));
    connect(item(tools, "GenerateRunline1", "Generate Runline..."), &QAction::triggered, this, &MainWindow::onGenerateRunlinesTriggered);
    show(item(tools, "LatencyWatchSet1", "Latency Watch/Set"), reinterpret_cast<QWidget* const*>(&fLatency));
    item(tools, "OpenLogFolder1", "Open Log Folder", QKeySequence("Ctrl+L"));
    tools->addSeparator();
    connect(item(tools, "ImportOldVSX1", "Import Old VSX..."), &QAction::triggered, this, &MainWindow::onImportOldSettingsTriggered);
    connect(item(tools, "ClearSatelliteImageCahses1", "Clear Satellite Image Caches..."), &QAction::triggered, this,
            &MainWindow::onClearSatelliteImageCachesTriggered);
    connect(item(tools, "ShowSatelliteImage1", "Show Satellite Image"), &QAction::triggered, this,
            &MainWindow::onShowSatelliteImageTriggered);

    QMenu* window = menu("Window");
    item(window, "HelsmanWindow1", "Helmsman Window...");
    connect(item(window, "Parameters1", "Device Settings...", QKeySequence(Qt::Key_F10)), &QAction::triggered, this,
            &MainWindow::onDeviceSettingsTriggered);
    connect(item(window, "mRealtimeWindow1", "Realtime Window..."), &QAction::triggered, this,
            &MainWindow::onRealtimeWindowTriggered);
    connect(item(window, "Echogram1", "Echogram...", QKeySequence("Ctrl+O")), &QAction::triggered, this,
            &MainWindow::onEchogramTriggered);
    show(item(window, "themeSelection1", "Theme Selection..."), reinterpret_cast<QWidget* const*>(&fTheme));
    connect(item(window, "VeldorNTRIPClient1", "Veldor NTRIP Client..."), &QAction::triggered, this,
            &MainWindow::onNtripClientTriggered);
    show(item(window, "Settings1", "Settings..."), reinterpret_cast<QWidget* const*>(&FGPS));

    QMenu* languages = menu("Languages");
    connect(item(languages, "English1", "English"), &QAction::triggered, this, &MainWindow::onEnglishTriggered);
    connect(item(languages, "Turkish1", "Turkish"), &QAction::triggered, this, &MainWindow::onTurkishTriggered);
    connect(item(languages, "TranslationEditor1", "Translation Editor"), &QAction::triggered, this,
            &MainWindow::onTranslationEditorTriggered);

    QMenu* help = menu("Help");
    item(help, "RemoteSupport1", "Remote Support...");
    connect(item(help, "About1", "About..."), &QAction::triggered, this, [] {
        if (formAbout) formAbout->ShowModal();
    });

    // Shortcuts the menus declare more than once belong to the first item in menu order.
    QSet<QKeySequence> seen;
    for (QAction* a : findChildren<QAction*>()) {
        if (a->shortcut().isEmpty()) continue;
        if (seen.contains(a->shortcut())) a->setShortcut({});
        else seen.insert(a->shortcut());
    }
}

void MainWindow::buildStatusBar()
{
    sStatusBar = statusBar();
    sStatusBar->setObjectName("sStatusBar");
    sStatusBar->setSizeGripEnabled(false);
    for (int i = 0; i < kStatusPanels; ++i) {
        auto* l = new QLabel(sStatusBar);
        l->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        MarkAsValue(l);
        l->setFixedWidth(100);
        sStatusBar->addWidget(l);
        statusPanels_.push_back(l);
    }
    const QString code = tr8(toUpperAscii(Translator ? Translator->current() : std::string("en")));
    statusPanels_[4]->setText(code);
    statusPanels_[4]->setFixedWidth(sStatusBar->fontMetrics().horizontalAdvance("EN") + 16);
    SetTranslatedText(statusPanels_[6], "MAP: OFF");
    statusPanels_[6]->setFixedWidth(80);
    sStatusBar->installEventFilter(this);
}

void MainWindow::setStatusPanel(int panel, const QString& text, int extraWidth)
{
    if (panel < 0 || size_t(panel) >= statusPanels_.size()) return;
    statusPanels_[size_t(panel)]->setText(text);
    fitStatusPanel(statusPanels_[size_t(panel)], extraWidth);
}

void MainWindow::setStatusPanelWords(int panel, const char* english, const QStringList& args, int extraWidth)
{
    if (panel < 0 || size_t(panel) >= statusPanels_.size()) return;
    SetTranslatedText(statusPanels_[size_t(panel)], english, args);
    fitStatusPanel(statusPanels_[size_t(panel)], extraWidth);
}

void MainWindow::fitStatusPanel(QLabel* panel, int extraWidth)
{
    // The width is kept so that a text shown again in another language fits too.
    panel->setProperty("extraWidth", extraWidth);
    panel->setFixedWidth(sStatusBar->fontMetrics().horizontalAdvance(panel->text()) + extraWidth);
}

QString MainWindow::StatusPanelText(int panel) const
{
    return panel >= 0 && size_t(panel) < statusPanels_.size() ? statusPanels_[size_t(panel)]->text() : QString();
}

void MainWindow::createReceivers()
{
    ZGPS1 = new TVeldorSerialGPS(this);
    ZGPS1->setObjectName("ZGPS1");
    connect(ZGPS1, &TVeldorSerialGPS::OnConnect, this, &MainWindow::onGnssConnected);
    connect(ZGPS1, &TVeldorSerialGPS::OnDisconnect, this, &MainWindow::onGnssDisconnected);
    connect(ZGPS1, &TVeldorSerialGPS::OnIdle, this, &MainWindow::onGnssIdle);
    connect(ZGPS1, &TVeldorSerialGPS::OnTimeout, this, &MainWindow::onGnssTimeout);
    connect(ZGPS1, &TVeldorSerialGPS::OnNewCommand, this, &MainWindow::onGnssLine);
    connect(ZGPS1, &TVeldorSerialGPS::OnPosition3DChange, this, &MainWindow::onGnssPosition);
    connect(ZGPS1, &TVeldorSerialGPS::OnSpeedChange, this, &MainWindow::onGnssSpeed);
    connect(ZGPS1, &TVeldorSerialGPS::OnSend, this, &MainWindow::onGnssCommandSent);
    connect(ZGPS1, &TVeldorSerialGPS::OnDeviceLost, this, &MainWindow::onGnssLost);
    connect(ZGPS1, &TVeldorSerialGPS::OnDeviceBack, this, &MainWindow::onGnssBack);
    ZSENSOR = new TVeldorSerialGPS(this);
    ZSENSOR->setObjectName("ZSENSOR");
    connect(ZSENSOR, &TVeldorSerialGPS::OnConnect, this, &MainWindow::onSounderConnected);
    connect(ZSENSOR, &TVeldorSerialGPS::OnDisconnect, this, &MainWindow::onSounderDisconnected);
    connect(ZSENSOR, &TVeldorSerialGPS::OnIdle, this, &MainWindow::onSounderIdle);
    connect(ZSENSOR, &TVeldorSerialGPS::OnNewCommand, this, &MainWindow::onSounderLine);
    connect(ZSENSOR, &TVeldorSerialGPS::OnDeviceLost, this, &MainWindow::onSounderLost);
    connect(ZSENSOR, &TVeldorSerialGPS::OnDeviceBack, this, &MainWindow::onSounderBack);
    for (TVeldorSerialGPS* receiver : {ZGPS1, ZSENSOR})
        connect(receiver, &TVeldorSerialGPS::OnRawLogWrite, this,
                [this](TVeldorSerialGPS*, const std::string& file, bool written, const std::string& reason) {
                    noteWrite("raw log " + file, file, written, reason);
                });
}

void MainWindow::createExtraVesselReceivers()
{
    {
        IniFile ini(GetIniFileName());
        ExtraVessels = ReadExtraVessels(ini);
    }
    for (size_t i = 0; i < ExtraVessels.size(); ++i) addExtraVesselReceiver();
}

void MainWindow::addExtraVesselReceiver()
{
    auto* r = new TVeldorSerialGPS(this);
    r->setObjectName(QStringLiteral("ExtraVesselReceiver%1").arg(ExtraVesselReceivers.size() + 2));
    connect(r, &TVeldorSerialGPS::OnPosition3DChange, this, &MainWindow::onExtraVesselPosition);
    connect(r, &TVeldorSerialGPS::OnNewCommand, this, &MainWindow::onExtraVesselLine);
    connect(r, &TVeldorSerialGPS::OnDeviceLost, this, &MainWindow::onExtraVesselLost);
    connect(r, &TVeldorSerialGPS::OnDeviceBack, this, &MainWindow::onExtraVesselBack);
    ExtraVesselReceivers.push_back(r);
}

void MainWindow::createCanvas(bool showImagery)
{
    auto* panel = new QWidget(this);
    panel->setObjectName("Panel4");
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    fcad = new MapCanvas(panel);
    layout->addWidget(fcad);
    setCentralWidget(panel);
    ColorValue background = clWhite;
    {
        IniFile ini(GetIniFileName());
        background = ColorValue(ini.readInteger(kNavigationSettingsSection, "BackgroundColor", int(clWhite)));
    }
    fcad->setObjectName("fcad");
    fcad->Model().SetBackgroundColor(background);
    setUpImagery(showImagery);
    // The right button belongs to this window: a click opens the map menu.
    fcad->SetRightClickMeasure(false);
    connect(fcad, &TVeldorCanvas::OnMouseDown, this, &MainWindow::onMapMousePressed);
    connect(fcad, &TVeldorCanvas::OnMouseMove, this, &MainWindow::onMapMouseMoved);
    connect(fcad, &TVeldorCanvas::OnMouseUp, this, &MainWindow::onMapMouseReleased);
    buildMapContextMenu();
}

// ---- First show -------------------------------------------------------------------------------

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    // The first show belongs after every window exists: the program creates them right after
    // showing this one, and the message loop then runs this.
    QTimer::singleShot(0, this, &MainWindow::onFirstShown);
}

void MainWindow::onFirstShown()
{
    CanvasModel& model = fcad->Model();
    EnsureStandardLayers(&model);
    TranslateCaptions();

    std::string path;
    if (!CommandLineProjectFile.empty() && fileExists(CommandLineProjectFile)) {
        path = CommandLineProjectFile;
        CommandLineProjectFile.clear();
    } else {
        path = IniFile(GetIniFileName()).readString("FILE", "Last File Saved", "");
    }
    // A save cut off in an earlier session left its temporary file beside the last saved one.
    if (!path.empty()) removeStaleSaveTemporaries(std::filesystem::path(path).parent_path().string());
    if (!path.empty() && fileExists(path)) {
        try {
            LoadShapeFile(model, path, 0, 0, 0);
            ShowFileInStatusBar(path);
        } catch (const std::exception& e) {
            ReportError(tr8(e.what()));
        }
    }
    for (const char* layer : {"~~Veldor Vessel", "Veldor Grid"})
        if (const int id = model.FindLayer(layer); id >= 0) model.DeleteLayerShapes(id);
    setWindowTitle(QStringLiteral("Veldor Sondrix - ") + tr8(path));

    int screenshotSeconds = 60;
    {
        IniFile ini(GetIniFileName());
        const double left = ini.readFloat("CANVAS", "PlanWorldLeft", 0);
        const double right = ini.readFloat("CANVAS", "PlanWorldRight", 1000);
        const double top = ini.readFloat("CANVAS", "PlanWorldTop", 1000);
        const double bottom = ini.readFloat("CANVAS", "PlanWorldBottom", 0);
        model.SetWorldWindow(left, top, right, bottom);
        fcad->SetGridAutoSpacing(ini.readBool("CANVAS", "GridAutoScale", true));
        fcad->SetSpeedHudCorner(ini.readInteger("CANVAS", "DepthSpeedDisplayMode", 0));
        fcad->SetHeadingHudCorner(ini.readInteger("CANVAS", "GGAOverlayPosition", 0));
        screenshotSeconds = ini.readInteger("SCREENSHOT", "Interval", 60);
    }
    if (FGPS) FGPS->eScreenshotInterval->setText(QString::number(screenshotSeconds));
    screenshotTimerBinding_->setScreenshotInterval(screenshotSeconds);

    EnsureStandardLayers(&model);
    mapLoop_->SetVesselLayer(VesselLayerId);
    WireUdpInput();
    RestoreFormPlacement(this, true);
    if (Offsets) Offsets->show();
    if (fJoystick) fJoystick->show();
}

void MainWindow::ShowFileInStatusBar(const std::string& path)
{
    StatusFilePath = path;
    if (statusPanels_.size() < 4) return;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::string shown = withTrailingSlash(folder.parent_path().string());
    if (folder.parent_path().empty()) shown = withTrailingSlash(folder.string());
    setStatusPanel(3, tr8(shown), 20);
}

void MainWindow::TranslateCaptions()
{
    if (!Translator) return;
    for (QAction* a : menuBar()->actions()) TranslateMenuItem(a);
    // The tool bar buttons take these texts whatever their designed captions were.
    static const struct {
        const char* name;
        const char* english;
    } fixed[] = {{"bSelectTracks", "Select Tracks"}, {"bDelSelected", "Delete Selected"},
                 {"bFollowVessel", "Follow Vessel"}, {"ToolButton13", "Do Not Follow"},
                 {"ConnectIcon", "Connect"},        {"ToolButton11", "Clear Shapes"},
                 {"btEventAdd", "Add Event"},       {"btEventReset", "Reset Event"},
                 {"Zoomin", "Zoom In"},             {"Zoomout", "Zoom Out"},
                 {"bOpen", "Open"},                 {"bSave", "Save"},
                 {"tbRunline", "Runline"}};
    for (const auto& f : fixed)
        if (auto* b = findChild<QToolButton*>(QString::fromLatin1(f.name))) SetTranslatedText(b, f.english);
    UpdateRealtimeCaption();
    updateMapMenu();
    if (fWaterfal) SetTranslatedText(fWaterfal, "Acoustics Waterfall");
    if (fTheme) {
        SetTranslatedText(fTheme, "Theme Selection");
        SetTranslatedText(fTheme->bSaveExit, "Save && Exit");
        SetTranslatedText(fTheme->bCancel, "Cancel");
    }
    // This window, every tool window and the frame's own windows, hidden ones too.
    TranslateAllWindows();
    for (QLabel* panel : statusPanels_)
        if (const QVariant extra = panel->property("extraWidth"); extra.isValid()) fitStatusPanel(panel, extra.toInt());
}

void MainWindow::UpdateRealtimeCaption(bool running) { SetTranslatedText(bRealtime, running ? "Stop" : "Start"); }

void MainWindow::UpdateRealtimeCaption() { UpdateRealtimeCaption(run_ && run_->Running()); }

// ---- Shut-down --------------------------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The device settings window asks about settings typed and not saved; "go back" keeps the
    // program running with them, so nothing is stopped or saved yet.
    if (!closing_ && FGPS && !FGPS->close()) {
        event->ignore();
        return;
    }
    event->accept();
    if (!closing_) {
        closing_ = true;
        shutDown();
    }
    QApplication::quit();
}

void MainWindow::shutDown()
{
    bRealtime->setEnabled(false);
    // A running survey is stopped as the button would stop it, so every log and output is
    // closed and the events log records the stop.
    if (run_->Running()) run_->Stop();
    QCoreApplication::processEvents();
    QThread::msleep(50);
    // The program ends: a port still open (opened from the settings window) closes without a
    // disconnection report.
    closeQuietly(ZGPS1);
    closeQuietly(ZSENSOR);
    QThread::msleep(50);
    onSaveTriggered();
    for (QWidget* w : std::initializer_list<QWidget*>{Offsets, Navset, this, fRealtime, fSVP, fRunline1, fWaterfal,
                                                      fJoystick})
        if (w) SaveFormPlacement(w);
    for (QWidget* w : std::initializer_list<QWidget*>{Navset, Offsets, FGPS, fRealtime, fRunline1, fWaterfal})
        if (w) w->close();
    const CanvasModel& m = fcad->Model();
    IniFile ini(GetIniFileName());
    ini.writeFloat("CANVAS", "PlanWorldLeft", m.WorldXMin());
    ini.writeFloat("CANVAS", "PlanWorldRight", m.WorldXMax());
    ini.writeFloat("CANVAS", "PlanWorldTop", m.WorldYMax());
    ini.writeFloat("CANVAS", "PlanWorldBottom", m.WorldYMin());
    ini.writeBool("CANVAS", "GridAutoScale", fcad->Grid().AutoSpacing);
    ini.writeInteger("CANVAS", "DepthSpeedDisplayMode", fcad->SpeedHudCorner());
    ini.writeInteger("CANVAS", "GGAOverlayPosition", fcad->HeadingHudCorner());
}

// The project files' automatic save; the project-file commands fill it.


// ---- Real time and the receivers --------------------------------------------------------------

void MainWindow::onRealtimeClicked()
{
    auto* button = qobject_cast<QWidget*>(sender());
    QWidget* actedIn = button ? button : QApplication::activeWindow();
    // A port setting that does not convert stops the start; it is said over the same window.
    RunReportingErrors(actedIn, [&] {
        // A start while the offsets window is shown takes its values when the checks accept
        // them; otherwise the status bar says which values are in force.
        if (!run_->Running() && Offsets && Offsets->isVisible()) Offsets->TakeShownValues();
        if (!run_->Toggle() && !run_->Running()) showRefusedStart(actedIn);
    });
}

void MainWindow::onGnssLine(TVeldorSerialGPS* sender, const std::string& command)
{
    // The receiver has read the line into its fix already: the handler takes the same line's.
    lineHandler_->HandleLine(command, sender->LastSentence(), sender->Fix());
    armPositionExpiry();
}

void MainWindow::onGnssPosition(TVeldorSerialGPS*, double latitude, double longitude, double altitude)
{
    RealtimeState& s = realtimeState();
    s.GpsLatitude = latitude;
    s.GpsLongitude = longitude;
    s.GpsAltitude = altitude;
    s.ImageryLatitude = latitude;
    s.ImageryLongitude = longitude;
}

void MainWindow::onGnssSpeed(TVeldorSerialGPS*, double speedKmh)
{
    // Without a current position the speed is not shown (the map tick shows it again with one).
    if (fRealtime && ZGPS1->Fix().current.At(clock().monotonic()))
        fRealtime->Speed->setText(tr8(formatFixed(speedKmh / 1.852, 1)));
}

void MainWindow::onGnssCommandSent(TVeldorSerialGPS*, std::string buffer)
{
    MessageText = translatedArgs("Command sent to device: %1", {fromCp1254(buffer)});
    if (FMsg) FMsg->AddMessage(MessageText, true);
    AppendEventLine("Command sent to device: " + buffer, EventsLogFileName());
}

void MainWindow::onExtraVesselPosition(TVeldorSerialGPS* sender, double latitude, double longitude, double altitude)
{
    for (size_t i = 0; i < ExtraVesselReceivers.size() && i < ExtraVessels.size(); ++i) {
        if (ExtraVesselReceivers[i] != sender) continue;
        MultiVesselEntry& e = ExtraVessels[i];
        e.Latitude = latitude;
        e.Longitude = longitude;
        e.Height = altitude;
        e.HasPosition = true;
        return;
    }
}

// ---- Map --------------------------------------------------------------------------------------

void MainWindow::onMapTick()
{
    // A dialog opened inside a tick runs a nested loop in which the timer fires again.
    if (tickRunning_) return;
    tickRunning_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{tickRunning_};
    mapLoop_->Tick();
    publishHud();
}

void MainWindow::publishHud()
{
    const RealtimeState& s = realtimeState();
    CanvasSettings& hud = fcad->Settings();
    hud.HudStatusText = cp1254ToUtf8(s.HudStatusText);
    hud.HudFixQuality = s.HudFixQuality;
    hud.NoValidPosition = s.NoValidPosition;
    // A tick means GNSS lines flow again: the device's own note on the banner has done its work.
    if (!ZGPS1->DeviceLost()) hud.HudDeviceText.clear();
}

// ---- Menu commands ----------------------------------------------------------------------------

void MainWindow::switchLanguage(const std::string& code)
{
    if (!Translator) return;
    Translator->SetLanguage(code);
    TranslateCaptions();
    if (statusPanels_.size() > 4) statusPanels_[4]->setText(tr8(toUpperAscii(code)));
    IniFile(GetIniFileName()).writeString("SETTINGS", "Language", code);
}

void MainWindow::onEnglishTriggered() { switchLanguage("en"); }
void MainWindow::onTurkishTriggered() { switchLanguage("tr"); }

void MainWindow::onImportOldSettingsTriggered()
{
    const std::string source = ChooseOldSettingsFile ? ChooseOldSettingsFile() : std::string();
    if (source.empty()) return;
    if (!fileExists(source)) {
        prompts().message(translated("Source file does not exist."));
        return;
    }
    // The run is stopped and the drawing saved first: the process ends right after the copy, and
    // the save's own settings write must land before the imported file replaces the settings.
    if (run_->Running()) run_->Stop();
    onSaveTriggered();
    std::error_code ec;
    std::filesystem::copy_file(source, GetIniFileName(), std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) {
        prompts().message(translated("Failed to copy INI file."));
        return;
    }
    prompts().message(translated("INI file imported successfully. The application will now close."));
    ExitProcess(-1);
}

void MainWindow::onStatusBarClicked(int x)
{
    int left = 0;
    for (size_t i = 0; i < 3 && i < statusPanels_.size(); ++i) left += statusPanels_[i]->width();
    const int right = left + (statusPanels_.size() >= 4 ? statusPanels_[3]->width() : 0);
    if (x < left || x > right || StatusFilePath.empty()) return;
    const std::filesystem::path folder = std::filesystem::path(StatusFilePath).parent_path();
    const std::filesystem::path above = folder.parent_path();
    OpenFolderInFileBrowser(withTrailingSlash(above.empty() ? folder.string() : above.string()));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == sStatusBar) {
        if (event->type() == QEvent::MouseButtonPress) {
            // Panel positions are counted from the bar's left edge, as the panels are laid out.
            const int x = static_cast<QMouseEvent*>(event)->position().toPoint().x() -
                          (statusPanels_.empty() ? 0 : statusPanels_[0]->x());
            onStatusBarClicked(x);
        } else if (event->type() == QEvent::MouseButtonDblClick) {
            onShowSatelliteImageTriggered();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace vsx
