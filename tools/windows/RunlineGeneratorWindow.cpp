#include "tools/windows/RunlineGeneratorWindow.h"

#include "app/Settings.h"
#include "app/Translated.h"
#include "app/windows/WindowTranslation.h"
#include "app/windows/WindowPointers.h"
#include "app/windows/WindowSetup.h"
#include "canvas/CanvasTools.h"
#include "canvas/VeldorCanvas.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "platform/Prompts.h"
#include "tools/RunlineGenerator.h"
#include "tools/SurveyHost.h"
#include "tools/windows/WindowLook.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

namespace vsx {

namespace {

constexpr ColorValue kGrey = 0x808080;
constexpr ColorValue kBlue = 0xFF0000;
constexpr ColorValue kRed = 0x0000FF;
constexpr ColorValue kGreen = 0x008000;
constexpr const char* kSection = "RUNLINE";

// The planner's problem as a key of the language files and the values it names.
std::pair<QString, QStringList> problemText(const RunlinePlan& plan)
{
    if (plan.problem == RunlineProblem::TooManyLines)
        return {QStringLiteral("Too many run lines (%1): use a larger spacing."), {QString::number(plan.wanted)}};
    return {QString::fromStdString(RunlineProblemText(plan)), {}};
}

// The typed number; not-a-number when the text is not one, which the planner refuses.
double typedNumber(const QLineEdit* e)
{
    return parseDouble(e->text().toStdString()).value_or(std::numeric_limits<double>::quiet_NaN());
}

} // namespace

RunlineGeneratorWindow::RunlineGeneratorWindow(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"fRunline1", "Runline Generator", true, QSize(300, 330)});
    setWindowFlags(windowFlags() | Qt::Tool);
    KeepOnlyCloseButton(this);

    auto button = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(name);
        return b;
    };
    auto edit = [this](const char* name, const char* text) {
        auto* e = new QLineEdit(QString::fromUtf8(text), this);
        e->setObjectName(name);
        return e;
    };
    bDrawRoute = button("bDrawRoute", "Draw Route");
    lRouteStatus = new QLabel(this);
    lRouteStatus->setObjectName("lRouteStatus");
    lRouteStatus->setWordWrap(true);
    lRouteStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The planner's longest messages wrap to three lines at this window's width, in either
    // language: the label keeps room for them whatever it shows now.
    lRouteStatus->setMinimumHeight(3 * lRouteStatus->fontMetrics().lineSpacing() + 2);
    eSpacing = edit("eSpacing", "10");
    eLength = edit("eLength", "100");
    rbPerpendicular = new QRadioButton(QStringLiteral("Perpendicular"), this);
    rbPerpendicular->setObjectName("rbPerpendicular");
    rbPerpendicular->setChecked(true);
    rbParallel = new QRadioButton(QStringLiteral("Parallel"), this);
    rbParallel->setObjectName("rbParallel");
    bGenerate = button("bGenerate", "Generate");
    bClear = button("bClear", "Clear");
    bClose = button("bClose", "Close");

    auto* step1 = new QGroupBox(QStringLiteral("Step 1: Draw Route"), this);
    auto* step1Layout = new QVBoxLayout(step1);
    step1Layout->addWidget(bDrawRoute);
    step1Layout->addWidget(lRouteStatus);
    auto* step2 = new QGroupBox(QStringLiteral("Step 2: Spacing (meters)"), this);
    auto* step2Layout = new QGridLayout(step2);
    step2Layout->addWidget(new QLabel(QStringLiteral("Spacing"), step2), 0, 0);
    step2Layout->addWidget(eSpacing, 0, 1);
    step2Layout->addWidget(new QLabel(QStringLiteral("Length"), step2), 1, 0);
    step2Layout->addWidget(eLength, 1, 1);
    auto* step3 = new QGroupBox(QStringLiteral("Step 3: Line Type"), this);
    auto* step3Layout = new QHBoxLayout(step3);
    step3Layout->addWidget(rbPerpendicular);
    step3Layout->addWidget(rbParallel);
    auto* actions = new QGroupBox(QStringLiteral("Actions"), this);
    auto* actionsLayout = new QHBoxLayout(actions);
    actionsLayout->addWidget(bGenerate);
    actionsLayout->addWidget(bClear);
    actionsLayout->addWidget(bClose);
    auto* root = new QVBoxLayout(this);
    for (QWidget* w : {static_cast<QWidget*>(step1), static_cast<QWidget*>(step2), static_cast<QWidget*>(step3),
                       static_cast<QWidget*>(actions)})
        root->addWidget(w);
    root->addStretch();

    {
        IniFile ini(GetIniFileName());
        eSpacing->setText(QString::fromStdString(ini.readString(kSection, "Spacing", "10")));
        eLength->setText(QString::fromStdString(ini.readString(kSection, "Length", "100")));
        const bool perpendicular = ini.readBool(kSection, "Perpendicular", true);
        rbPerpendicular->setChecked(perpendicular);
        rbParallel->setChecked(!perpendicular);
    }
    setStatus("No route drawn", kGrey);

    connect(bDrawRoute, &QPushButton::clicked, this, &RunlineGeneratorWindow::onDrawRouteClicked);
    connect(bGenerate, &QPushButton::clicked, this, &RunlineGeneratorWindow::onGenerateClicked);
    connect(bClear, &QPushButton::clicked, this, &RunlineGeneratorWindow::onClearClicked);
    connect(bClose, &QPushButton::clicked, this, &QWidget::close);
    connect(eSpacing, &QLineEdit::textChanged, this, &RunlineGeneratorWindow::regenerate);
    connect(eLength, &QLineEdit::textChanged, this, &RunlineGeneratorWindow::regenerate);
    // The surveyor's pick of a line type (the settings read above run neither).
    connect(rbPerpendicular, &QRadioButton::clicked, this, &RunlineGeneratorWindow::regenerate);
    connect(rbParallel, &QRadioButton::clicked, this, &RunlineGeneratorWindow::regenerate);
}

TVeldorCanvas* RunlineGeneratorWindow::Canvas() const
{
    if (canvas_) return canvas_;
    return surveyHost().MapCanvas();
}

void RunlineGeneratorWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    RestoreFormPlacement(this, false);
}

void RunlineGeneratorWindow::setStatus(const QString& english, ColorValue colour, const QStringList& args)
{
    SetTranslatedText(lRouteStatus, english, args);
    QPalette p = lRouteStatus->palette();
    p.setColor(QPalette::WindowText, toQColor(colour));
    lRouteStatus->setPalette(p);
    statusColour_ = colour;
}

void RunlineGeneratorWindow::onDrawRouteClicked()
{
    ClearRunlines();
    route_.clear();
    routeReady_ = false;
    TVeldorCanvas* canvas = Canvas();
    if (!canvas) return;
    CanvasModel& model = canvas->Model();
    int layer = model.FindLayer(kRouteLayer);
    if (layer < 0) layer = model.AddLayer(kRouteLayer);
    else model.DeleteLayerShapes(layer);
    // A fresh drawing: a shape half drawn is dropped, and the first click after an earlier
    // right-click finish is not swallowed.
    canvas->CancelDrag();
    canvas->SetCurrentLayer(layer);
    canvas->SetTool(toolcode::Polyline);
    canvas->SetKeepTool(false);
    drawing_ = true;
    setStatus("Drawing... (right-click to finish)", kBlue);
    canvas->Redraw();
}

void RunlineGeneratorWindow::SetRoute(const WorldPoints& points)
{
    if (&points != &route_) route_ = points;
    drawing_ = false;
    routeReady_ = route_.size() >= 2;
    if (!routeReady_) {
        setStatus("Need at least 2 points", kRed);
        prompts().message(translated("A route needs at least 2 points."), windowTitle(), PromptKind::Warning);
        return;
    }
    setStatus("Route: %1 points", kGreen, {QString::number(route_.size())});
    GenerateRunlines(true);
}

bool RunlineGeneratorWindow::GenerateRunlines(bool tellUser)
{
    if (route_.size() < 2) return false;
    TVeldorCanvas* canvas = Canvas();
    if (!canvas) return false;
    const RunlineKind kind = rbPerpendicular->isChecked() ? RunlineKind::Perpendicular : RunlineKind::Parallel;
    const RunlinePlan plan = PlanRunlines(route_, typedNumber(eSpacing), typedNumber(eLength), kind);
    const auto [problem, values] = problemText(plan);
    if (!plan.drawable()) {
        // The lines on the map stay as they were: a half-typed spacing never wipes them.
        setStatus(problem, kRed, values);
        if (tellUser) prompts().message(translatedArgs(problem, values), windowTitle(), PromptKind::Warning);
        return false;
    }
    AppendEventLine("Runlines generated - Spacing: " + eSpacing->text().toStdString() +
                        ", Length: " + eLength->text().toStdString(),
                    EventsLogFileName());
    DrawRunlines(canvas->Model(), route_, plan);
    if (problem.isEmpty()) {
        setStatus("Route: %1 points", kGreen, {QString::number(route_.size())});
    } else {
        setStatus(problem, kRed, values);
        if (tellUser) prompts().message(translatedArgs(problem, values), windowTitle(), PromptKind::Warning);
    }
    return true;
}

void RunlineGeneratorWindow::ClearRunlines()
{
    TVeldorCanvas* canvas = Canvas();
    if (!canvas) return;
    // Looked up by name each time: a project opened since may have renumbered the layers.
    const int layer = canvas->Model().FindLayer(kRunlineLayer);
    if (layer < 0) return;
    canvas->Model().DeleteLayerShapes(layer);
    canvas->Redraw();
}

void RunlineGeneratorWindow::regenerate()
{
    if (routeReady_) GenerateRunlines(false);
}

void RunlineGeneratorWindow::onGenerateClicked()
{
    if (!routeReady_) {
        prompts().message(translated("Please draw a route first."), windowTitle());
        return;
    }
    if (!GenerateRunlines(true)) return;
    {
        IniFile ini(GetIniFileName());
        ini.writeString(kSection, "Spacing", eSpacing->text().toStdString());
        ini.writeString(kSection, "Length", eLength->text().toStdString());
        ini.writeBool(kSection, "Perpendicular", rbPerpendicular->isChecked());
    }
    // The planned lines are part of the drawing: the main window saves it now.
    surveyHost().AutoSave();
}

void RunlineGeneratorWindow::onClearClicked()
{
    ClearRunlines();
    route_.clear();
    routeReady_ = false;
    drawing_ = false;
    setStatus("No route drawn", kGrey);
}

} // namespace vsx
