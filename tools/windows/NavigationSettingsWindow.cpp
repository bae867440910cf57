#include "tools/windows/NavigationSettingsWindow.h"

#include "app/Settings.h"
#include "app/windows/ColorBox.h"
#include "app/windows/NumberEdit.h"
#include "app/windows/WindowSetup.h"
#include "tools/windows/WindowLook.h"
#include "platform/IniFile.h"
#include "tools/SurveyHost.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace vsx {
namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QString& q) { return q.toStdString(); }

NumberEdit* wholeNumberEdit(double initial, int maxLength, double minimum, double maximum, double step)
{
    auto* e = new NumberEdit(NumberEdit::Kind::Integer, initial);
    e->restrictTyping(false);
    if (maxLength > 0) e->setMaxLength(maxLength);
    e->setSpinRange(minimum, maximum, step);
    return e;
}
} // namespace

NavigationSettingsWindow::NavigationSettingsWindow(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"Navset", "Navigation Settings", true, QSize(260, 380)});
    KeepOnlyCloseButton(this);
    SetBackground(this, Qt::white);

    // Designed values; the settings read at every show replace them.
    VesselColor = new ColorBox(nullptr, clNavy);
    VesselWidth = wholeNumberEdit(2, 2, 0, 15, 1);
    VesselWidth->setText("2");
    eVesselUpdateRate = wholeNumberEdit(500, 0, 0, 5000, 50);
    fcadColor = new ColorBox(nullptr, clWhite);
    ColorTracklines1 = new ColorBox(nullptr, clGreen);
    ColorTracklines0 = new ColorBox(nullptr, clYellow);
    cLineOrDot = new QCheckBox(QStringLiteral("Draw as Line"));
    TrackWidth = wholeNumberEdit(2, 2, 0, 15, 1);
    TrackWidth->setText("2");
    TrackDistance = wholeNumberEdit(20, 8, 0, 500, 1);
    TrackDistance->setText("20");
    edDepthAlert1 = new NumberEdit(NumberEdit::Kind::Float, 0.5);
    edDepthAlert1->restrictTyping(true);
    edDepthAlert1->setText("0.5");

    auto* vesselGroup = new QGroupBox(QStringLiteral(" Vessel Color && Width"));
    auto* vesselForm = new QFormLayout(vesselGroup);
    auto* vesselRow = new QHBoxLayout;
    vesselRow->addWidget(VesselColor, 1);
    vesselRow->addWidget(VesselWidth->withSpinButtons());
    vesselForm->addRow(vesselRow);
    vesselForm->addRow(QStringLiteral("Update Rate (ms)"), eVesselUpdateRate->withSpinButtons());

    auto* backgroundGroup = new QGroupBox(QStringLiteral("Background Color"));
    (new QVBoxLayout(backgroundGroup))->addWidget(fcadColor);

    auto* trackGroup = new QGroupBox(QStringLiteral(" Track Lines (Fixed/Float)"));
    auto* trackForm = new QFormLayout(trackGroup);
    trackForm->addRow(ColorTracklines1);
    trackForm->addRow(ColorTracklines0);
    trackForm->addRow(cLineOrDot);
    trackForm->addRow(QStringLiteral("Wid."), TrackWidth->withSpinButtons());
    trackForm->addRow(QStringLiteral("Dist (m)"), TrackDistance->withSpinButtons());

    auto* alertGroup = new QGroupBox(QStringLiteral("Alert"));
    auto* alertRow = new QHBoxLayout(alertGroup);
    alertRow->addWidget(new QLabel(QStringLiteral("Shallow Water")));
    alertRow->addWidget(edDepthAlert1, 1);
    alertRow->addWidget(new QLabel(QStringLiteral("m")));

    auto* root = new QVBoxLayout(this);
    root->addWidget(vesselGroup);
    root->addWidget(backgroundGroup);
    root->addWidget(trackGroup);
    root->addWidget(alertGroup);
    root->addStretch();

    // Colour handlers run on the user's choice only, so reading the settings never recolours the map.
    connect(fcadColor, &ColorBox::colorChosen, this, &NavigationSettingsWindow::onBackgroundColorChosen);
    connect(VesselColor, &ColorBox::colorChosen, this, &NavigationSettingsWindow::onVesselColorChosen);
    connect(VesselWidth, &QLineEdit::textChanged, this, &NavigationSettingsWindow::onVesselWidthChanged);
    connect(TrackWidth, &QLineEdit::textChanged, this, &NavigationSettingsWindow::onTrackWidthChanged);
    connect(TrackDistance, &QLineEdit::textChanged, this, &NavigationSettingsWindow::onTrackDistanceChanged);
    connect(edDepthAlert1, &QLineEdit::textChanged, this, &NavigationSettingsWindow::onDepthAlertChanged);
    connect(eVesselUpdateRate, &QLineEdit::textChanged, this, &NavigationSettingsWindow::onVesselUpdateRateChanged);

    // The shown rate is the one in force from the start.
    eVesselUpdateRate->setText("500");
}

ColorValue NavigationSettingsWindow::vesselColor() const { return VesselColor->color(); }
int NavigationSettingsWindow::vesselWidth() const { return VesselWidth->intValue(); }
ColorValue NavigationSettingsWindow::backgroundColor() const { return fcadColor->color(); }
ColorValue NavigationSettingsWindow::trackColorFixed() const { return ColorTracklines1->color(); }
ColorValue NavigationSettingsWindow::trackColorFloat() const { return ColorTracklines0->color(); }
bool NavigationSettingsWindow::drawTrackAsLine() const { return cLineOrDot->isChecked(); }
int NavigationSettingsWindow::trackWidth() const { return TrackWidth->intValue(); }
double NavigationSettingsWindow::trackDistance() const { return TrackDistance->value(); }
double NavigationSettingsWindow::depthAlert() const { return edDepthAlert1->value(); }
int NavigationSettingsWindow::mapRefreshInterval() const { return refreshInterval_; }

NavigationSettings NavigationSettingsWindow::settings() const
{
    NavigationSettings n;
    n.vesselColor = VesselColor->color();
    n.vesselWidth = s(VesselWidth->text());
    n.backgroundColor = fcadColor->color();
    n.trackColorFixed = ColorTracklines1->color();
    n.trackColorFloat = ColorTracklines0->color();
    n.drawAsLine = cLineOrDot->isChecked();
    n.trackWidth = s(TrackWidth->text());
    n.trackDistance = s(TrackDistance->text());
    n.depthAlert = s(edDepthAlert1->text());
    return n;
}

void NavigationSettingsWindow::showSettings(const NavigationSettings& n)
{
    // Setting the edits' texts runs their handlers; setting the colours does not.
    VesselWidth->setText(q(n.vesselWidth));
    TrackWidth->setText(q(n.trackWidth));
    TrackDistance->setText(q(n.trackDistance));
    VesselColor->setColor(n.vesselColor);
    ColorTracklines1->setColor(n.trackColorFixed);
    ColorTracklines0->setColor(n.trackColorFloat);
    fcadColor->setColor(n.backgroundColor);
    cLineOrDot->setChecked(n.drawAsLine);
    edDepthAlert1->setText(q(n.depthAlert));
}

void NavigationSettingsWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    RestoreFormPlacement(this, false);
    NavigationSettings n;
    {
        IniFile ini(GetIniFileName());
        n = LoadNavigationSettings(ini);
    }
    showSettings(n);
}

void NavigationSettingsWindow::closeEvent(QCloseEvent* event)
{
    {
        IniFile ini(GetIniFileName());
        SaveNavigationSettings(ini, settings());
    }
    SaveFormPlacement(this);
    event->accept();
}

void NavigationSettingsWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    SaveFormPlacement(this);
}

void NavigationSettingsWindow::onBackgroundColorChosen(ColorValue c) { surveyHost().SetMapBackground(c); }

void NavigationSettingsWindow::onVesselColorChosen(ColorValue c)
{
    if (surveyHost().SetLayerColor(kVesselLayer, c)) surveyHost().RepaintMap();
}

void NavigationSettingsWindow::onVesselWidthChanged()
{
    if (VesselWidth->text().isEmpty()) {
        VesselWidth->setText("2");  // runs this handler again with the new text
        return;
    }
    if (!VesselWidth->textIsNumber()) return;
    if (surveyHost().SetLayerWidth(kVesselLayer, VesselWidth->intValue())) surveyHost().RepaintMap();
}

void NavigationSettingsWindow::onTrackWidthChanged()
{
    if (TrackWidth->text().isEmpty()) {
        TrackWidth->setText("2");
        return;
    }
    if (!TrackWidth->textIsNumber()) return;
    bool any = false;
    for (const char* layer : kTrackLayers) any = surveyHost().SetLayerWidth(layer, TrackWidth->intValue()) || any;
    if (any) surveyHost().RepaintMap();
}

void NavigationSettingsWindow::onTrackDistanceChanged()
{
    if (TrackDistance->text().isEmpty()) TrackDistance->setText("1");
}

void NavigationSettingsWindow::onDepthAlertChanged()
{
    if (edDepthAlert1->text().isEmpty()) edDepthAlert1->setText("0");
}

void NavigationSettingsWindow::onVesselUpdateRateChanged()
{
    const auto interval = MapRefreshIntervalFor(s(eVesselUpdateRate->text()));
    if (!interval) return;
    refreshInterval_ = *interval;
    surveyHost().SetMapRefreshInterval(refreshInterval_);
}

} // namespace vsx
