#include "input/windows/DeviceSettingsWindow.h"

#include "input/windows/DeviceSettingsPanels.h"

#include "app/ErrorReport.h"
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/Translated.h"
#include "app/windows/WindowTranslation.h"
#include "app/windows/WindowSetup.h"
#include "input/DeviceSettingsTargets.h"
#include "input/SounderMessageType.h"
#include "app/windows/ColorBox.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "platform/Prompts.h"
#include "platform/Text.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vsx {
namespace {

QString q(std::string_view bytes) { return fromCp1254(bytes); }
std::string bytesOf(const QString& text) { return toCp1254(text); }

template <class Items>
QComboBox* makeCombo(QWidget* parent, const Items& items)
{
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    for (const auto& item : items) box->addItem(QString::fromLatin1(item.data(), qsizetype(item.size())));
    return box;
}

// Shows a text in an editable box: its item when there is one, else the text alone.
void setComboText(QComboBox* box, const QString& text)
{
    const QSignalBlocker block(box);
    const int i = box->findText(text, Qt::MatchExactly);
    if (i >= 0) {
        box->setCurrentIndex(i);
    } else {
        box->setCurrentIndex(-1);
        box->setEditText(text);
    }
}

void setEditText(QLineEdit* edit, std::string_view text)
{
    const QSignalBlocker block(edit);
    edit->setText(q(text));
}

void setChecked(QCheckBox* box, bool on)
{
    const QSignalBlocker block(box);
    box->setChecked(on);
}

void setColour(ColorBox* box, ColorValue c)
{
    const QSignalBlocker block(box);
    box->setColor(c);
}

QPlainTextEdit* makeMonitor(QWidget* parent, const QString& heading, bool wrap)
{
    auto* memo = new QPlainTextEdit(parent);
    memo->setReadOnly(true);
    memo->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    memo->setPlainText(heading);
    return memo;
}

constexpr const char* kPortLabels[11] = {"Port",     "Baud Rate", "Data Width", "Stop Bits",  "Parity",    "Priority",
                                         "Delay",    "NMEA Log",  "Log Time",   "Enable DTR", "Enable RTS"};
constexpr const char* kPortNames[11] = {"Port",  "BaudRate", "DataWidth", "StopBits",  "Parity",   "Priority",
                                        "Delay", "NMEALog",  "LogTime",   "EnableDTR", "EnableRTS"};

} // namespace

DeviceSettingsWindow::DeviceSettingsWindow(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"FGPS", "Settings", true, QSize(760, 560)});

    auto* outer = new QVBoxLayout(this);
    SettingTabs = new QTabWidget(this);
    SettingTabs->setObjectName("SettingTabs");
    outer->addWidget(SettingTabs, 1);
    auto addSheet = [this](const char* name, const char* caption) {
        auto* page = new QWidget;
        page->setObjectName(QString::fromLatin1(name));
        SettingTabs->addTab(page, QString::fromLatin1(caption));
        return page;
    };
    GPSTabSheet = addSheet("GPSTabSheet", "GPS Settings");
    SensorTabSheet = addSheet("SensorTabSheet", "Sensor (SBES) Settings");
    ParametersTabSheet = addSheet("ParametersTabSheet", "Geodetic Parameters");
    tGlobalSetting = addSheet("tGlobalSetting", "Global Setting");
    monitorSheet = addSheet("TabSheet1", "I/O Port Monitor");
    FMultiGPSTab = addSheet("FMultiGPSTab", "Multi-GNSS");

    buildGpsSheet();
    buildSensorSheet();
    buildParametersSheet();
    buildGlobalSheet();
    buildMonitorSheet();
    multiGnssColumn_ = new QVBoxLayout(FMultiGPSTab);
    multiGnssColumn_->addStretch(1);

    auto* bottom = new QHBoxLayout;
    lockStateCheck = new QCheckBox(QStringLiteral("SAVE && LOCK SETTINGS"), this);
    lockStateCheck->setObjectName("LockStateCheck1");
    closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName("BitBtn2");
    bottom->addWidget(lockStateCheck);
    bottom->addStretch(1);
    bottom->addWidget(closeButton);
    outer->addLayout(bottom);

    forwardingPanel_ = std::make_unique<ForwardingPanel>(*this);
    extraVesselPanel_ = std::make_unique<ExtraVesselPanel>();
    EmbedPanel(DeviceSettingsSheet::GpsSettings, forwardingPanel_.get());
    EmbedPanel(DeviceSettingsSheet::MultiGnss, extraVesselPanel_.get());

    setFixedSize(size());
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    loadSettings();
    bindControls();
    setCurrentDeviceSettings(&settings_);
}

DeviceSettingsWindow::~DeviceSettingsWindow()
{
    if (&deviceSettings() == &settings_) setCurrentDeviceSettings(nullptr);
}

// ---- Building ---------------------------------------------------------------------------------

QGroupBox* DeviceSettingsWindow::buildPortGroup(const QString& title, const QString& prefix, PortGroupBoxes& group)
{
    auto* box = new QGroupBox(title);
    auto* form = new QFormLayout(box);
    std::vector<std::string_view> ports;
    for (const std::string& p : portItems()) ports.push_back(p);
    const std::span<const std::string_view> lists[11] = {ports,           baudRateItems(),  dataWidthItems(),
                                                         stopBitsItems(), parityItems(),    priorityItems(),
                                                         delayItems(),    trueFalseItems(), trueFalseItems(),
                                                         trueFalseItems(), trueFalseItems()};
    PortGroupTexts design;
    design.port = "COM1";
    const auto designTexts = design.fields();
    for (int i = 0; i < 11; ++i) {
        QComboBox* c = makeCombo(box, lists[i]);
        c->setObjectName(prefix + QString::fromLatin1(kPortNames[i]));
        setComboText(c, q(*designTexts[size_t(i)]));
        form->addRow(QString::fromLatin1(kPortLabels[i]), c);
        group.boxes[size_t(i)] = c;
    }
    return box;
}

void DeviceSettingsWindow::buildGpsSheet()
{
    auto* row = new QHBoxLayout(GPSTabSheet);
    auto* left = new QVBoxLayout;
    left->addWidget(buildPortGroup(QStringLiteral("GPS Port"), QString(), gnssBoxes_));
    GPSSet = new QPushButton(QStringLiteral("GPS Set"));
    GPSSet->setObjectName("GPSSet");
    left->addWidget(GPSSet);
    GyroEnabled = new QCheckBox(QStringLiteral("Enable Gyro"));
    GyroEnabled->setObjectName("GyroEnabled");
    left->addWidget(GyroEnabled);
    left->addStretch(1);
    row->addLayout(left);
    // The forwarding and UDP input groups go here (EmbedPanel).
    gpsPanelColumn_ = new QVBoxLayout;
    gpsPanelColumn_->addStretch(1);
    row->addLayout(gpsPanelColumn_, 1);
    auto& b = gnssBoxes_.boxes;
    Port = b[0], BaudRate = b[1], DataWidth = b[2], StopBits = b[3], Parity = b[4], Priority = b[5];
    Delay = b[6], NMEALog = b[7], LogTime = b[8], EnableDTR = b[9], EnableRTS = b[10];
}

void DeviceSettingsWindow::buildSensorSheet()
{
    auto* row = new QHBoxLayout(SensorTabSheet);
    auto* left = new QVBoxLayout;
    left->addWidget(buildPortGroup(QStringLiteral("SBES Port"), QStringLiteral("S"), sounderBoxes_));
    SensorSet = new QPushButton(QStringLiteral("SBES Set"));
    SensorSet->setObjectName("SensorSet");
    left->addWidget(SensorSet);
    left->addStretch(1);
    row->addLayout(left);

    auto* right = new QVBoxLayout;
    SensorEnabled = new QCheckBox(QStringLiteral("Sensor Enabled"));
    SensorEnabled->setObjectName("SensorEnabled");
    SensorEnabled->setChecked(true);
    right->addWidget(SensorEnabled);
    auto* message = new QGroupBox(QStringLiteral("SBESMessage"));
    auto* form = new QFormLayout(message);
    std::vector<std::string_view> types;
    for (const SounderMessageType& t : sounderMessageTypes()) types.push_back(t.text);
    cSBESMessage = makeCombo(message, types);
    cSBESMessage->setObjectName("cSBESMessage");
    setComboText(cSBESMessage, q(kDefaultSounderMessageType));
    eSBESFormat = new QLineEdit(q(defaultSounderScanFormat()), message);
    eSBESFormat->setObjectName("eSBESFormat");
    form->addRow(QStringLiteral("Message"), cSBESMessage);
    form->addRow(QStringLiteral("Format"), eSBESFormat);
    right->addWidget(message);
    right->addStretch(1);
    row->addLayout(right, 1);
    auto& b = sounderBoxes_.boxes;
    SPort = b[0], SBaudRate = b[1], SDataWidth = b[2], SStopBits = b[3], SParity = b[4], SPriority = b[5];
    SDelay = b[6], SNMEALog = b[7], SLogTime = b[8], SEnableDTR = b[9], SEnableRTS = b[10];
}

void DeviceSettingsWindow::buildParametersSheet()
{
    auto* grid = new QGridLayout(ParametersTabSheet);
    auto edit = [this](GeodeticField f, QFormLayout* form) {
        const GeodeticFieldInfo& info = geodeticFieldInfo(f);
        auto* e = new QLineEdit;
        e->setObjectName(QString::fromLatin1(info.control.data(), qsizetype(info.control.size())));
        form->addRow(QString::fromLatin1(info.caption.data(), qsizetype(info.caption.size())), e);
        geodeticEdits_[size_t(f)] = e;
        return e;
    };
    using G = GeodeticField;

    auto* datum = new QGroupBox(QStringLiteral("Datum"));
    auto* datumForm = new QFormLayout(datum);
    edSMA = edit(G::SemiMajorAxis, datumForm);
    edIF = edit(G::InverseFlattening, datumForm);
    // The seven values carry coordinates on the local datum into WGS-84, in the coordinate frame
    // rotation convention; the units stand in the edits' labels.
    auto* shifts = new QGroupBox(QStringLiteral("Local Datum to WGS-84"));
    shifts->setObjectName("datumTransformationGroup");
    auto* shiftForm = new QFormLayout(shifts);
    auto* convention = new QLabel(QStringLiteral("Coordinate frame rotation convention"));
    convention->setObjectName("datumConventionLabel");
    convention->setWordWrap(true);
    shiftForm->addRow(convention);
    edRX = edit(G::XRotation, shiftForm);
    edRY = edit(G::YRotation, shiftForm);
    edRZ = edit(G::ZRotation, shiftForm);
    edSX = edit(G::XShift, shiftForm);
    edSY = edit(G::YShift, shiftForm);
    edSZ = edit(G::ZShift, shiftForm);
    edPPM = edit(G::ScalePpm, shiftForm);
    datumForm->addRow(shifts);
    cbUseDTP = new QCheckBox(QStringLiteral("Use DTP"));
    cbUseDTP->setObjectName("cbUseDTP");
    cbUseDTP->setChecked(true);
    cbUseDTP->setEnabled(false);
    datumForm->addRow(cbUseDTP);
    edNameOfDatum = new QLineEdit;
    edNameOfDatum->setObjectName("edNameOfDatum");
    datumForm->addRow(QStringLiteral("Name of Datum"), edNameOfDatum);

    auto* tm = new QGroupBox(QStringLiteral("TM Parameters"));
    auto* tmForm = new QFormLayout(tm);
    edCM = edit(G::CentralMeridian, tmForm);
    edRL = edit(G::ReferenceLatitude, tmForm);
    edSF = edit(G::ScaleFactor, tmForm);
    edFE = edit(G::FalseEasting, tmForm);
    edFN = edit(G::FalseNorthing, tmForm);
    cbUseTMProjection = new QCheckBox(QStringLiteral("Use Projection"));
    cbUseTMProjection->setObjectName("cbUseTMProjection");
    cbUseTMProjection->setChecked(true);
    tmForm->addRow(cbUseTMProjection);

    auto* lcc = new QGroupBox(QStringLiteral("LCC Parameters"));
    auto* lccForm = new QFormLayout(lcc);
    eLCCSP1 = edit(G::LccStandardParallel1, lccForm);
    eLCCSP2 = edit(G::LccStandardParallel2, lccForm);
    eLCCSF = edit(G::LccScaleFactor, lccForm);
    eLCCCP = edit(G::LccCentralParallel, lccForm);
    eLCCM = edit(G::LccCentralMeridian, lccForm);
    eLCCFE = edit(G::LccFalseEasting, lccForm);
    eLCCFN = edit(G::LccFalseNorthing, lccForm);
    cbUseLCCProjection = new QCheckBox(QStringLiteral("Use Projection"));
    cbUseLCCProjection->setObjectName("cbUseLCCProjection");
    lccForm->addRow(cbUseLCCProjection);
    cLambert1 = new QCheckBox(QStringLiteral("Use Lambert 1"));
    cLambert1->setObjectName("cLambert1");
    lccForm->addRow(cLambert1);

    grid->addWidget(datum, 0, 0, 2, 1);
    grid->addWidget(tm, 0, 1);
    grid->addWidget(lcc, 0, 2, 2, 1);
    grid->setRowStretch(1, 1);
}

void DeviceSettingsWindow::buildGlobalSheet()
{
    auto* grid = new QGridLayout(tGlobalSetting);
    auto lineEdit = [](const char* name, const char* text) {
        auto* e = new QLineEdit(QString::fromLatin1(text));
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    auto colourBox = [](const char* name, ColorValue c) {
        auto* b = new ColorBox;
        b->setObjectName(QString::fromLatin1(name));
        b->setColor(c);
        return b;
    };
    auto checkBox = [](const char* name, const char* caption, bool on) {
        auto* b = new QCheckBox(QString::fromLatin1(caption));
        b->setObjectName(QString::fromLatin1(name));
        b->setChecked(on);
        return b;
    };

    auto* gridBox = new QGroupBox(QStringLiteral("Grid Settings"));
    auto* gridForm = new QFormLayout(gridBox);
    cbGridVisible = checkBox("cbGridVisible", "Show Grid", true);
    cbAutoGrid = checkBox("cbAutoGrid", "Auto Scale", false);
    edGridSpacingX = lineEdit("edGridSpacingX", "100");
    edGridSpacingY = lineEdit("edGridSpacingY", "100");
    cbGridColor = colourBox("cbGridColor", clSilver);
    gridForm->addRow(cbGridVisible);
    gridForm->addRow(cbAutoGrid);
    gridForm->addRow(QStringLiteral("Grid Spacing X"), edGridSpacingX);
    gridForm->addRow(QStringLiteral("Grid Spacing Y"), edGridSpacingY);
    gridForm->addRow(QStringLiteral("Grid Color"), cbGridColor);

    auto* labels = new QGroupBox(QStringLiteral("Depth Labels"));
    auto* labelForm = new QFormLayout(labels);
    cbShowDepthLabels = checkBox("cbShowDepthLabels", "Show Depth Labels", true);
    edDepthLabelSpacing = lineEdit("edDepthLabelSpacing", "10");
    edDepthLabelFontName = lineEdit("edDepthLabelFontName", "Arial");
    edDepthLabelFontSize = lineEdit("edDepthLabelFontSize", "12");
    cbTextColor = colourBox("cbTextColor", clBlack);
    labelForm->addRow(cbShowDepthLabels);
    labelForm->addRow(QStringLiteral("Label Spacing (m)"), edDepthLabelSpacing);
    labelForm->addRow(QStringLiteral("Font Name"), edDepthLabelFontName);
    labelForm->addRow(QStringLiteral("Font Size"), edDepthLabelFontSize);
    labelForm->addRow(QStringLiteral("Text Color"), cbTextColor);

    auto* events = new QGroupBox(QStringLiteral("Event Labels"));
    auto* eventForm = new QFormLayout(events);
    edEventLabelFontSize = lineEdit("edEventLabelFontSize", "24");
    cbEventLabelColor = colourBox("cbEventLabelColor", clRed);
    eventForm->addRow(QStringLiteral("Font Size"), edEventLabelFontSize);
    eventForm->addRow(QStringLiteral("Text Color"), cbEventLabelColor);

    auto* screenshot = new QGroupBox(QStringLiteral("Screenshot"));
    auto* shotForm = new QFormLayout(screenshot);
    eScreenshotInterval = lineEdit("eScreenshotInterval", "60");
    shotForm->addRow(QStringLiteral("Interval (second)"), eScreenshotInterval);

    auto* overlay = new QGroupBox(QStringLiteral("Depth/Speed Overlay"));
    auto* overlayForm = new QFormLayout(overlay);
    edOverlayFontSize = lineEdit("edOverlayFontSize", "40");
    cbOverlayDepthColor = colourBox("cbOverlayDepthColor", clNavy);
    cbOverlaySpeedColor = colourBox("cbOverlaySpeedColor", clBlack);
    overlayForm->addRow(QStringLiteral("Font Size"), edOverlayFontSize);
    overlayForm->addRow(QStringLiteral("Depth Color"), cbOverlayDepthColor);
    overlayForm->addRow(QStringLiteral("Speed Color"), cbOverlaySpeedColor);

    grid->addWidget(gridBox, 0, 0);
    grid->addWidget(labels, 0, 1);
    grid->addWidget(events, 1, 0);
    grid->addWidget(overlay, 1, 1);
    grid->addWidget(screenshot, 2, 0);
    grid->setRowStretch(3, 1);
}

void DeviceSettingsWindow::buildMonitorSheet()
{
    auto* row = new QHBoxLayout(monitorSheet);
    MemoGPS = makeMonitor(monitorSheet, translated("NMEA POSITION DATA"), true);
    MemoGPS->setObjectName("MemoGPS");
    MemoSensor = makeMonitor(monitorSheet, translated("NMEA SENSOR DATA"), false);
    MemoSensor->setObjectName("MemoSensor");
    row->addWidget(MemoGPS);
    row->addWidget(MemoSensor);
    SetMonitorColor(MemoGPS, clBlack);
    SetMonitorColor(MemoSensor, clBlack);
    MemoGPS->viewport()->installEventFilter(this);
    MemoSensor->viewport()->installEventFilter(this);
}

void DeviceSettingsWindow::bindControls()
{
    for (QComboBox* c : gnssBoxes_.boxes)
        connect(c, &QComboBox::editTextChanged, this, [this] { readPortGroup(gnssBoxes_, true); });
    for (QComboBox* c : sounderBoxes_.boxes)
        connect(c, &QComboBox::editTextChanged, this, [this] { readPortGroup(sounderBoxes_, false); });
    // A field that does not convert is said over this window, naming the field.
    connect(GPSSet, &QPushButton::clicked, this, [this] { RunReportingErrors(this, [this] { applyGnssPortSettings(); }); });
    connect(SensorSet, &QPushButton::clicked, this, [this] { RunReportingErrors(this, [this] { applySounderPortSettings(); }); });
    connect(GyroEnabled, &QCheckBox::toggled, this, [this](bool on) { settings_.setGyroEnabled(on); });
    connect(SensorEnabled, &QCheckBox::toggled, this, [this](bool on) { settings_.setSensorEnabled(on); });

    connect(cSBESMessage, &QComboBox::editTextChanged, this,
            [this](const QString& t) { settings_.setSounderMessageText(bytesOf(t)); });
    // Only the user's choice (picked or typed) replaces the format.
    connect(cSBESMessage, &QComboBox::activated, this, &DeviceSettingsWindow::onSounderMessageChanged);
    connect(cSBESMessage->lineEdit(), &QLineEdit::textEdited, this, &DeviceSettingsWindow::onSounderMessageChanged);
    connect(eSBESFormat, &QLineEdit::textChanged, this, [this](const QString& t) {
        settings_.setSounderScanFormat(bytesOf(t));
        showScanFormatProblem();
    });

    for (int i = 0; i < kGeodeticFieldCount; ++i) {
        connect(geodeticEdits_[size_t(i)], &QLineEdit::textChanged, this,
                [this, i](const QString& t) { settings_.setGeodeticText(GeodeticField(i), bytesOf(t)); });
    }
    connect(edNameOfDatum, &QLineEdit::textChanged, this, [this](const QString& t) { settings_.setDatumName(bytesOf(t)); });
    connect(cbUseDTP, &QCheckBox::toggled, this, [this](bool on) { settings_.setUseDtp(on); });
    connect(cbUseTMProjection, &QCheckBox::toggled, this, &DeviceSettingsWindow::onUseTmProjectionToggled);
    connect(cbUseLCCProjection, &QCheckBox::toggled, this, &DeviceSettingsWindow::onUseLccProjectionToggled);
    connect(cLambert1, &QCheckBox::toggled, this, &DeviceSettingsWindow::onUseLambert1Toggled);

    DisplaySettings& d = settings_.display();
    auto mirror = [this](QLineEdit* e, std::string& field) {
        connect(e, &QLineEdit::textChanged, this, [&field](const QString& t) { field = bytesOf(t); });
    };
    mirror(edGridSpacingX, d.gridSpacingX);
    mirror(edGridSpacingY, d.gridSpacingY);
    mirror(edDepthLabelSpacing, d.labelSpacing);
    mirror(edDepthLabelFontName, d.labelFontName);
    mirror(edDepthLabelFontSize, d.labelFontSize);
    connect(cbTextColor, &ColorBox::colorChosen, this, [&d](ColorValue c) { d.labelColor = c; });
    connect(cbGridVisible, &QCheckBox::toggled, this, &DeviceSettingsWindow::onGridVisibleToggled);
    connect(cbGridColor, &ColorBox::colorChosen, this, &DeviceSettingsWindow::onGridColorChosen);
    connect(cbAutoGrid, &QCheckBox::toggled, this, &DeviceSettingsWindow::onAutoGridToggled);
    connect(cbShowDepthLabels, &QCheckBox::toggled, this, &DeviceSettingsWindow::onShowDepthLabelsToggled);
    connect(edEventLabelFontSize, &QLineEdit::textChanged, this, &DeviceSettingsWindow::onEventLabelFontSizeChanged);
    connect(cbEventLabelColor, &ColorBox::colorChosen, this, &DeviceSettingsWindow::onEventLabelColorChosen);
    connect(edOverlayFontSize, &QLineEdit::textChanged, this, &DeviceSettingsWindow::onOverlayFontSizeChanged);
    connect(cbOverlayDepthColor, &ColorBox::colorChosen, this, &DeviceSettingsWindow::onOverlayDepthColorChosen);
    connect(cbOverlaySpeedColor, &ColorBox::colorChosen, this, &DeviceSettingsWindow::onOverlaySpeedColorChosen);
    connect(eScreenshotInterval, &QLineEdit::textChanged, this, &DeviceSettingsWindow::onScreenshotIntervalChanged);

    connect(MemoGPS, &QPlainTextEdit::textChanged, this, [this] { monitorChanged(MemoGPS); });
    connect(MemoSensor, &QPlainTextEdit::textChanged, this, [this] { monitorChanged(MemoSensor); });

    connect(lockStateCheck, &QCheckBox::toggled, this, &DeviceSettingsWindow::onLockStateToggled);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    watchForUserChanges();
}

void DeviceSettingsWindow::watchForUserChanges()
{
    // Signals that only the user's typing, picking and clicking send: loading values from code
    // never counts as a change. The extra-vessel panels are left out; they save every change.
    auto changed = [this] { unsavedChanges_ = true; };
    for (QWidget* sheet : {GPSTabSheet, SensorTabSheet, ParametersTabSheet, tGlobalSetting}) {
        for (QLineEdit* e : sheet->findChildren<QLineEdit*>()) connect(e, &QLineEdit::textEdited, this, changed);
        for (QComboBox* c : sheet->findChildren<QComboBox*>()) {
            if (auto* colour = qobject_cast<ColorBox*>(c)) connect(colour, &ColorBox::colorChosen, this, changed);
            else connect(c, &QComboBox::activated, this, changed);
        }
        for (QAbstractButton* b : sheet->findChildren<QAbstractButton*>())
            if (qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b))
                connect(b, &QAbstractButton::clicked, this, changed);
    }
}

// ---- Loading ----------------------------------------------------------------------------------

void DeviceSettingsWindow::loadSettings()
{
    if (DepthLabelFontName.empty()) DepthLabelFontName = "Arial";
    IniFile ini(GetIniFileName());
    settings_.loadDeviceSections(ini);

    // The hand-edited switch enables or disables the first three sheets and "Global Setting".
    hiddenLockAtCreation_ = DeviceSettings::readHiddenLockSwitch(ini);
    if (hiddenLockAtCreation_ != HiddenLockSwitch::NotSet) {
        const bool enable = hiddenLockAtCreation_ == HiddenLockSwitch::Unlocked;
        for (QWidget* sheet : {GPSTabSheet, SensorTabSheet, ParametersTabSheet, tGlobalSetting}) sheet->setEnabled(enable);
    }

    settings_.loadDisplaySections(ini);
    publishOverlayValues(settings_.display());
    publishDisplayValues(settings_.display());
    showValues();
    applyGridToCanvas(MapCanvasTarget);

    // Restoring the lock only locks the controls: the values were just read from the file, and
    // saving now would replace what this window has not loaded yet (forwarding, UDP input, the
    // vessel panels, the screenshot interval) by design values.
    if (DeviceSettings::readLockSettings(ini)) {
        setChecked(lockStateCheck, true);
        setLockableControlsEnabled(false);
    }
}

void DeviceSettingsWindow::showValues()
{
    const auto gnss = settings_.gnssPort().fields();
    const auto sounder = settings_.sounderPort().fields();
    for (size_t i = 0; i < 11; ++i) {
        setComboText(gnssBoxes_.boxes[i], q(*gnss[i]));
        setComboText(sounderBoxes_.boxes[i], q(*sounder[i]));
    }
    setChecked(SensorEnabled, settings_.sensorEnabled());
    setComboText(cSBESMessage, q(settings_.sounderMessageText()));
    setEditText(eSBESFormat, settings_.sounderScanFormat());
    setChecked(GyroEnabled, settings_.gyroEnabled());

    for (int i = 0; i < kGeodeticFieldCount; ++i)
        setEditText(geodeticEdits_[size_t(i)], settings_.geodetic(GeodeticField(i)).text());
    setChecked(cbUseTMProjection, settings_.useTmProjection());
    setChecked(cbUseDTP, settings_.useDtp());
    setEditText(edNameOfDatum, settings_.datumName());
    setChecked(cbUseLCCProjection, settings_.useLccProjection());
    setChecked(cLambert1, settings_.lambert1());
    eLCCSP1->setEnabled(!settings_.lambert1());
    eLCCSP2->setEnabled(!settings_.lambert1());

    const DisplaySettings& d = settings_.display();
    setChecked(cbGridVisible, d.gridVisible);
    setChecked(cbAutoGrid, d.autoGrid);
    setEditText(edGridSpacingX, d.gridSpacingX);
    setEditText(edGridSpacingY, d.gridSpacingY);
    edGridSpacingX->setEnabled(!d.autoGrid);
    edGridSpacingY->setEnabled(!d.autoGrid);
    setColour(cbGridColor, d.gridColor);
    setChecked(cbShowDepthLabels, d.showDepthLabels);
    setEditText(edDepthLabelSpacing, d.labelSpacing);
    setEditText(edDepthLabelFontName, d.labelFontName);
    setEditText(edDepthLabelFontSize, d.labelFontSize);
    setColour(cbTextColor, d.labelColor);
    setEditText(edEventLabelFontSize, d.eventFontSize);
    setColour(cbEventLabelColor, d.eventColor);
    setEditText(edOverlayFontSize, d.overlayFontSize);
    setColour(cbOverlayDepthColor, d.overlayDepthColor);
    setColour(cbOverlaySpeedColor, d.overlaySpeedColor);
}

void DeviceSettingsWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous()) onShown();
}

void DeviceSettingsWindow::onShown()
{
    // The hand-edited switch, read as a boolean, sets the lock box (running the lock on a change).
    const bool locked = IniFile(GetIniFileName()).readBool(kLockSection, kHiddenLockKey, lockStateCheck->isChecked());
    lockStateCheck->setChecked(locked);
    tGlobalSetting->setEnabled(!locked);

    // Read after that lock, so the panels load what it may have saved.
    IniFile ini(GetIniFileName());

    applyGridToCanvas(MapCanvasTarget);

    // The echosounder list holds the ports that can be opened now. The stored port is shown even
    // when it is not among them (our own receiver may hold it during a survey), so that neither
    // the next "SBES Set" nor the next lock loses it. While the user has changes that are not
    // saved, the port and the forwarding and UDP input groups stay as typed.
    const std::vector<std::string> ports = ListOpenableSerialPorts();
    const QString typedSounderPort = SPort->currentText();
    {
        const QSignalBlocker block(SPort);
        SPort->clear();
        for (const std::string& p : ports) SPort->addItem(q(p));
    }
    setComboText(SPort, unsavedChanges_ ? typedSounderPort : q(DeviceSettings::readStoredSounderPort(ini)));
    readPortGroup(sounderBoxes_, false);

    for (const EmbeddedPanel& e : panels_) {
        if (e.sheet != DeviceSettingsSheet::GpsSettings) continue;
        e.panel->portsListed(ports);
        if (!unsavedChanges_ || !e.panel->loaded()) e.panel->loadWhenShown(ini);
    }
    for (const EmbeddedPanel& e : panels_)
        if (e.sheet == DeviceSettingsSheet::MultiGnss) e.panel->loadWhenShown(ini);

    if (lockStateCheck->isChecked()) setLockableControlsEnabled(false);
}

// ---- The lock ---------------------------------------------------------------------------------

std::vector<QWidget*> DeviceSettingsWindow::lockableSheets() const
{
    return {GPSTabSheet, SensorTabSheet, ParametersTabSheet, tGlobalSetting, FMultiGPSTab};
}

void DeviceSettingsWindow::setLockableControlsEnabled(bool enabled)
{
    for (QWidget* sheet : lockableSheets())
        for (QWidget* w : sheet->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) w->setEnabled(enabled);
}

void DeviceSettingsWindow::onLockStateToggled()
{
    const bool locked = lockStateCheck->isChecked();
    IniFile ini(GetIniFileName());
    DeviceSettings::writeLockSettings(ini, locked);
    if (!locked) {
        setLockableControlsEnabled(true);
        // The sheet itself is disabled while shown locked; only the hand-edited switch keeps it so.
        if (hiddenLockAtCreation_ != HiddenLockSwitch::Locked) tGlobalSetting->setEnabled(true);
        return;
    }
    settings_.saveDeviceSections(ini);
    for (const std::string& line : settings_.summaryLines()) AppendEventLine(line, EventsLogFileName());
    settings_.saveDisplaySections(ini, screenshotIntervalSet_);
    for (const EmbeddedPanel& e : panels_)
        if (e.sheet == DeviceSettingsSheet::GpsSettings && e.panel->loaded()) e.panel->saveOnLock(ini);
    publishDisplayValues(settings_.display());
    publishOverlayValues(settings_.display());
    applyGridToCanvas(MapCanvasTarget);
    repaintCanvas();
    for (const EmbeddedPanel& e : panels_)
        if (e.sheet == DeviceSettingsSheet::MultiGnss && e.panel->loaded()) e.panel->saveOnLock(ini);
    setLockableControlsEnabled(false);
    ini.flush();
    unsavedChanges_ = false;
    warnAboutGeodeticTexts();
    sayRunKeepsItsGeodesy();
}

void DeviceSettingsWindow::sayRunKeepsItsGeodesy()
{
    const std::optional<GeodesyInForce> run = RunningSurvey ? RunningSurvey->runGeodesy() : std::nullopt;
    const GeodesyInForce saved = settings_.geodesyInForce();
    if (!run || *run == saved) return;
    // One text for the surveyor and the events log (kept in English there).
    const char* text = "The records of this run keep the datum %1 and the projection %2 of its start. The datum %3 "
                       "and the projection %4 saved now take effect at the next Start.";
    const QStringList args{q(run->datum), q(run->projection), q(saved.datum), q(saved.projection)};
    AppendEventLine(toCp1254(fillArgs(text, args)), EventsLogFileName());
    prompts().message(translatedArgs(text, args), windowTitle(), PromptKind::Information, this);
}

void DeviceSettingsWindow::discardChanges()
{
    IniFile ini(GetIniFileName());
    // A fresh load, as at creation: a key the file does not hold gives the design value, not the
    // value typed since.
    DeviceSettings stored;
    stored.loadDeviceSections(ini);
    stored.loadDisplaySections(ini);
    stored.display().screenshotInterval = settings_.display().screenshotInterval;
    settings_ = stored;
    publishOverlayValues(settings_.display());
    publishDisplayValues(settings_.display());
    showValues();
    showScanFormatProblem();
    updateLowFrequencyBox();
    applyGridToCanvas(MapCanvasTarget);
    repaintCanvas();
    // The screenshot timer took a typed interval at once: it goes back to the stored one.
    const QString interval = QString::number(DeviceSettings::readStoredScreenshotInterval(ini));
    if (screenshotIntervalSet_ && eScreenshotInterval->text() != interval) eScreenshotInterval->setText(interval);
    for (const EmbeddedPanel& e : panels_)
        if (e.sheet == DeviceSettingsSheet::GpsSettings && e.panel->loaded()) e.panel->loadWhenShown(ini);
    unsavedChanges_ = false;
}

void DeviceSettingsWindow::warnAboutGeodeticTexts()
{
    const std::vector<std::string> bad = settings_.invalidGeodeticFields();
    if (bad.empty()) return;
    QString list;
    for (const std::string& b : bad) {
        // The field's caption, with "LCC " before the Lambert fields.
        const bool lcc = b.rfind("LCC ", 0) == 0;
        list += (list.isEmpty() ? "" : ", ") + (lcc ? "LCC " + translated(b.substr(4)) : translated(b));
    }
    prompts().message(translatedArgs("These datum and projection fields do not hold a number: %1.", {list}),
                      windowTitle(), PromptKind::Warning, this);
}

// ---- Ports and message types ------------------------------------------------------------------

void DeviceSettingsWindow::readPortGroup(const PortGroupBoxes& group, bool gnss)
{
    PortGroupTexts t;
    auto fields = t.fields();
    for (size_t i = 0; i < 11; ++i) *fields[i] = bytesOf(group.boxes[i]->currentText());
    if (gnss) settings_.setGnssPort(t);
    else settings_.setSounderPort(t);
}

namespace {
// A port group's settings; a field that does not convert is named with its group's caption.
ReceiverPortSettings portSettingsOf(const PortGroupTexts& texts, std::string_view rawLogSuffix, const char* group)
{
    try {
        return receiverPortSettingsFrom(texts, LogFolder + CurrentDateString() + std::string(rawLogSuffix));
    } catch (const ConversionError& e) {
        throw e.inGroup(group);
    }
}
} // namespace

void DeviceSettingsWindow::applyGnssPortSettings()
{
    const ReceiverPortSettings s = portSettingsOf(settings_.gnssPort(), kGnssRawLogSuffix, "GPS Port");
    if (GnssReceiverTarget) GnssReceiverTarget->applyPortSettings(s);
}

void DeviceSettingsWindow::applySounderPortSettings()
{
    const ReceiverPortSettings s = portSettingsOf(settings_.sounderPort(), kSounderRawLogSuffix, "SBES Port");
    if (SounderReceiverTarget) SounderReceiverTarget->applyPortSettings(s);
}

void DeviceSettingsWindow::onSounderMessageChanged()
{
    const std::string text = bytesOf(cSBESMessage->currentText());
    if (!settings_.chooseSounderMessageType(text)) return;
    setEditText(eSBESFormat, settings_.sounderScanFormat());
    updateLowFrequencyBox();
}

void DeviceSettingsWindow::applyStartupSounderMessage()
{
    const std::string text = bytesOf(cSBESMessage->currentText());
    if (text == kOtherSounderMessageType) return;  // the user's own format stays
    onSounderMessageChanged();
}

void DeviceSettingsWindow::updateLowFrequencyBox()
{
    const SounderMessageType* type = findSounderMessageType(settings_.sounderMessageText());
    if (!type || !LowFrequencyDepthBox || type->lowFrequencyBox == LowFrequencyBoxAction::Unchanged) return;
    LowFrequencyDepthBox->setLowFrequencyDepthBoxVisible(type->lowFrequencyBox == LowFrequencyBoxAction::Shown);
}

void DeviceSettingsWindow::SetGnssPortBoxesEnabled(bool enabled)
{
    for (QComboBox* c : {Port, BaudRate, DataWidth, StopBits, Parity}) c->setEnabled(enabled);
}

void DeviceSettingsWindow::showScanFormatProblem()
{
    // Said where it was typed: the depth handler goes on with the last format that worked.
    const ScanFormatTrouble problem = ScanFormatProblem(bytesOf(eSBESFormat->text()));
    SetTranslatedToolTip(eSBESFormat, QString::fromStdString(problem.message), {q(problem.reason)});
    eSBESFormat->setStyleSheet(problem.message.empty() ? QString() : QStringLiteral("color: red"));
}

void DeviceSettingsWindow::EmbedPanel(DeviceSettingsSheet sheet, DeviceSettingsPanel* panel)
{
    if (!panel) return;
    QVBoxLayout* column = sheet == DeviceSettingsSheet::GpsSettings ? gpsPanelColumn_ : multiGnssColumn_;
    column->insertWidget(column->count() - 1, panel->widget());
    panels_.push_back({sheet, panel});
    if (lockStateCheck->isChecked()) panel->widget()->setEnabled(false);
}

// ---- Projection toggles -----------------------------------------------------------------------

void DeviceSettingsWindow::onUseTmProjectionToggled()
{
    settings_.setUseTmProjection(cbUseTMProjection->isChecked());
    cbUseLCCProjection->setChecked(settings_.useLccProjection());
}

void DeviceSettingsWindow::onUseLccProjectionToggled()
{
    settings_.setUseLccProjection(cbUseLCCProjection->isChecked());
    cbUseTMProjection->setChecked(settings_.useTmProjection());
}

void DeviceSettingsWindow::onUseLambert1Toggled()
{
    settings_.setLambert1(cLambert1->isChecked());
    eLCCSP1->setEnabled(!settings_.lambert1());
    eLCCSP2->setEnabled(!settings_.lambert1());
}

// ---- Display settings that apply at once ------------------------------------------------------

void DeviceSettingsWindow::repaintCanvas()
{
    if (MapCanvasTarget) MapCanvasTarget->repaint();
}

void DeviceSettingsWindow::onGridVisibleToggled()
{
    settings_.display().gridVisible = cbGridVisible->isChecked();
    GridVisible = settings_.display().gridVisible;
    if (!MapCanvasTarget) return;
    MapCanvasTarget->setGridShown(GridVisible);
    MapCanvasTarget->setGridLineColor(cbGridColor->color());
    repaintCanvas();
}

void DeviceSettingsWindow::onGridColorChosen()
{
    settings_.display().gridColor = cbGridColor->color();
    GridColor = settings_.display().gridColor;
    if (!MapCanvasTarget) return;
    MapCanvasTarget->setGridLineColor(GridColor);
    repaintCanvas();
}

void DeviceSettingsWindow::onAutoGridToggled()
{
    DisplaySettings& d = settings_.display();
    d.autoGrid = cbAutoGrid->isChecked();
    GridAutoScale = d.autoGrid;
    edGridSpacingX->setEnabled(!d.autoGrid);
    edGridSpacingY->setEnabled(!d.autoGrid);
    if (!MapCanvasTarget) return;
    if (d.autoGrid) MapCanvasTarget->setGridSteps(0.0, 0.0);
    else MapCanvasTarget->setGridSteps(d.gridSpacingXValue(), d.gridSpacingYValue());
    repaintCanvas();
}

void DeviceSettingsWindow::onShowDepthLabelsToggled()
{
    settings_.display().showDepthLabels = cbShowDepthLabels->isChecked();
    ShowDepthLabels = settings_.display().showDepthLabels;
}

void DeviceSettingsWindow::onEventLabelFontSizeChanged()
{
    settings_.display().eventFontSize = bytesOf(edEventLabelFontSize->text());
    EventLabelFontSize = settings_.display().eventFontSizeValue();
    repaintCanvas();
}

void DeviceSettingsWindow::takeColour(const ColorBox* box, ColorValue& setting, ColorValue& published)
{
    setting = box->color();
    published = setting;
    repaintCanvas();
}

void DeviceSettingsWindow::onEventLabelColorChosen()
{
    takeColour(cbEventLabelColor, settings_.display().eventColor, EventLabelColor);
}

void DeviceSettingsWindow::onOverlayFontSizeChanged()
{
    settings_.display().overlayFontSize = bytesOf(edOverlayFontSize->text());
    OverlayFontSize = settings_.display().overlayFontSizeValue();
    repaintCanvas();
}

void DeviceSettingsWindow::onOverlayDepthColorChosen()
{
    takeColour(cbOverlayDepthColor, settings_.display().overlayDepthColor, OverlayDepthColor);
}

void DeviceSettingsWindow::onOverlaySpeedColorChosen()
{
    takeColour(cbOverlaySpeedColor, settings_.display().overlaySpeedColor, OverlaySpeedColor);
}

void DeviceSettingsWindow::onScreenshotIntervalChanged()
{
    settings_.display().screenshotInterval = bytesOf(eScreenshotInterval->text());
    screenshotIntervalSet_ = true;
    // A negative interval stops the timer like 0 does.
    if (ScreenshotTimer) ScreenshotTimer->setScreenshotInterval(std::max(0, settings_.display().screenshotIntervalValue()));
}

// ---- Monitor ----------------------------------------------------------------------------------

bool DeviceSettingsWindow::EchoMonitorLine(QPlainTextEdit* memo, std::string_view line)
{
    if (!memo || !isVisible() || !MonitorEchoEnabled) return false;
    memo->appendPlainText(q(line));
    return true;
}

void DeviceSettingsWindow::SetMonitorColor(QPlainTextEdit* memo, ColorValue color)
{
    if (!memo) return;
    QPalette p = memo->palette();
    const QColor background = toQColor(color);
    p.setColor(QPalette::Base, background);
    // Light text on a dark box, dark text on a light one.
    p.setColor(QPalette::Text, background.lightness() < 128 ? QColor(Qt::green) : QColor(Qt::black));
    memo->setPalette(p);
}

void DeviceSettingsWindow::monitorChanged(QPlainTextEdit* memo)
{
    // A box of more than 100 lines starts again from empty.
    if (memo->blockCount() > 100) memo->clear();
}

bool DeviceSettingsWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == MemoGPS->viewport() || watched == MemoSensor->viewport()) {
        // While a button is held in either box nothing is echoed, so text can be selected.
        if (event->type() == QEvent::MouseButtonPress) MonitorEchoEnabled = false;
        else if (event->type() == QEvent::MouseButtonRelease) MonitorEchoEnabled = true;
    }
    return QWidget::eventFilter(watched, event);
}

void DeviceSettingsWindow::closeEvent(QCloseEvent* event)
{
    if (unsavedChanges_ && !lockStateCheck->isChecked()) {
        const PromptAnswer answer =
            prompts().ask(translated("The settings have changes that are not saved. Save and lock them now?\n\n"
                                     "No discards the changes; Cancel goes back to the settings."),
                          windowTitle(), {PromptAnswer::Yes, PromptAnswer::No, PromptAnswer::Cancel},
                          PromptKind::Question, this);
        if (answer == PromptAnswer::Cancel) {
            event->ignore();
            return;
        }
        if (answer == PromptAnswer::Yes) lockStateCheck->setChecked(true);  // the lock saves
        else discardChanges();
    }
    for (const EmbeddedPanel& e : panels_) e.panel->windowClosing();
    MemoGPS->clear();
    MemoSensor->clear();
    event->accept();
}

} // namespace vsx
