#include "tools/windows/RealtimeDataWindow.h"

#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/windows/WindowPointers.h"
#include "app/windows/WindowSetup.h"
#include "app/windows/WindowTranslation.h"
#include "tools/windows/WindowLook.h"
#include "tools/FolderOpener.h"
#include "tools/SurveyHost.h"
#include "tools/windows/NavigationSettingsWindow.h"
#include "tools/windows/OffsetsWindow.h"
#include "tools/windows/WaterfallWindow.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace vsx {
namespace {
QLabel* valueLabel(int pointSize)
{
    auto* l = new QLabel(QStringLiteral("---"));
    MarkAsValue(l);
    QFont f = l->font();
    f.setPointSize(pointSize);
    f.setBold(true);
    l->setFont(f);
    return l;
}

QGroupBox* depthFrame(const QString& caption, const QColor& colour, QLabel* value)
{
    auto* g = new QGroupBox(caption);
    SetBackground(g, colour);
    value->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(g);
    layout->setContentsMargins(4, 0, 4, 2);
    layout->addWidget(value);
    return g;
}
} // namespace

RealtimeDataWindow::RealtimeDataWindow(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"fRealtime", "Realtime Data", true, QSize(192, kHeightWithLowFrequency)});
    KeepOnlyCloseButton(this);
    SetBackground(this, Qt::white);

    auto tool = [this](QStyle::StandardPixmap icon, const char* hint) {
        auto* b = new QToolButton;
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(QString::fromUtf8(hint));
        b->setFixedSize(30, 26);
        return b;
    };
    btHide = tool(QStyle::SP_TitleBarMaxButton, "Hide Window");
    // These two buttons zoom the map, and their hints say so.
    zoomInButton = tool(QStyle::SP_ArrowUp, "Zoom In");
    zoomOutButton = tool(QStyle::SP_ArrowDown, "Zoom Out");
    btOpenLogFolder = tool(QStyle::SP_DirOpenIcon, "Open Log Folder");
    btShowOffsets = tool(QStyle::SP_FileDialogDetailedView, "Show Offsets");
    auto* toolbar = new QHBoxLayout;
    toolbar->setSpacing(1);
    toolbar->addWidget(btHide);
    toolbar->addWidget(zoomInButton);
    toolbar->addWidget(zoomOutButton);
    toolbar->addSpacing(8);
    toolbar->addWidget(btOpenLogFolder);
    toolbar->addWidget(btShowOffsets);
    toolbar->addStretch();

    Fixed = valueLabel(10);
    Speed = valueLabel(10);
    SatelliteLabel = valueLabel(10);
    LAntennaH = valueLabel(10);
    LTideHt = valueLabel(10);
    auto* gps = new QGroupBox(QStringLiteral(" GPS Status "));
    GPSGroupBox = gps;
    auto* grid = new QGridLayout(gps);
    grid->setVerticalSpacing(0);
    grid->setContentsMargins(6, 2, 6, 2);
    const std::pair<const char*, QLabel*> rows[] = {
        {"Fix Type", Fixed}, {"Speed", Speed}, {"Satellites", SatelliteLabel},
        {"Antenna Ht.", LAntennaH}, {"Tide Ht.", LTideHt}};
    int r = 0;
    for (const auto& [caption, label] : rows) {
        grid->addWidget(new QLabel(QString::fromUtf8(caption)), r, 0);
        grid->addWidget(label, r++, 1);
    }

    lDepthHi = valueLabel(26);
    lDepthLo = valueLabel(26);
    DepthFrameHi = depthFrame(QStringLiteral(" Depth (High Freq.) "), QColor(0, 255, 0), lDepthHi);
    DepthFrameLo = depthFrame(QStringLiteral(" Depth (Low Freq.) "), QColor(255, 255, 0), lDepthLo);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(4, 2, 4, 4);
    root->setSpacing(3);
    root->addLayout(toolbar);
    root->addWidget(gps);
    root->addWidget(DepthFrameHi);
    root->addWidget(DepthFrameLo);

    connect(btHide, &QToolButton::clicked, this, &RealtimeDataWindow::onHideClicked);
    connect(zoomInButton, &QToolButton::clicked, this, [] { surveyHost().ZoomIn(); });
    connect(zoomOutButton, &QToolButton::clicked, this, [] { surveyHost().ZoomOut(); });
    connect(btOpenLogFolder, &QToolButton::clicked, this, &RealtimeDataWindow::onOpenLogFolderClicked);
    connect(btShowOffsets, &QToolButton::clicked, this, [] {
        if (Offsets) Offsets->show();
    });

    startupTimer = new QTimer(this);
    startupTimer->setSingleShot(true);
    startupTimer->setInterval(10000);
    connect(startupTimer, &QTimer::timeout, this, &RealtimeDataWindow::applySounderMessageType);
    startupTimer->start();
    LowFrequencyDepthBox = this;
}

RealtimeDataWindow::~RealtimeDataWindow()
{
    if (LowFrequencyDepthBox == this) LowFrequencyDepthBox = nullptr;
}

void RealtimeDataWindow::setLowFrequencyDepthBoxVisible(bool visible)
{
    if (visible) ShowLowFrequencyDepth();
    else HideLowFrequencyDepth();
}

void RealtimeDataWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    RestoreFormPlacement(this, false);
}

bool RealtimeDataWindow::lowFrequencyDepthShown() const { return !DepthFrameLo->isHidden(); }

void RealtimeDataWindow::ShowLowFrequencyDepth()
{
    if (lowFrequencyDepthShown()) return;
    DepthFrameLo->show();
    resize(width(), kHeightWithLowFrequency);
}

void RealtimeDataWindow::HideLowFrequencyDepth()
{
    if (!lowFrequencyDepthShown()) return;
    DepthFrameLo->hide();
    resize(width(), kHeightWithoutLowFrequency);
}

void RealtimeDataWindow::applySounderMessageType()
{
    // Once, after the device settings are in place: the box follows the echosounder's message type.
    surveyHost().ApplySounderMessageType();
}

void RealtimeDataWindow::setHideImage(int index)
{
    hideImageIndex_ = index;
    btHide->setIcon(style()->standardIcon(index == 0 ? QStyle::SP_TitleBarMaxButton : QStyle::SP_TitleBarNormalButton));
}

void RealtimeDataWindow::onHideClicked()
{
    SurveyHost& host = surveyHost();
    if (hideImageIndex_ == 0) {
        host.SetBareLayout(true);
        if (Navset) Navset->close();
        setHideImage(1);
        if (fWaterfal) fWaterfal->hide();
        hide();
    } else if (hideImageIndex_ == 1) {
        show();
        host.SetBareLayout(false);
        if (Navset) Navset->show();
        setHideImage(0);
        if (fWaterfal && host.EchogramRunning()) fWaterfal->show();
    }
}

void RealtimeDataWindow::onOpenLogFolderClicked()
{
    OpenFolderInFileBrowser(LogFolderToOpen(surveyHost().MainRawLogFileName(), LogFolder));
}

} // namespace vsx
