#pragma once
// The "Runline Generator" window: the surveyor draws a route on the main map ("Draw Route",
// clicks, right click to finish) and the window lays out run lines along it, across it or
// parallel to it, on the map layer "Veldor_Runlines" (see RunlineGenerator). Spacing, length and
// line type regenerate the lines as they change; "Generate" also stores them in [RUNLINE] and
// has the main window save the drawing.
#include "canvas/CanvasTypes.h"
#include "platform/Colour.h"

#include <QStringList>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vsx {

class TVeldorCanvas;

class RunlineGeneratorWindow : public QWidget {
    Q_OBJECT
public:
    explicit RunlineGeneratorWindow(QWidget* parent = nullptr);

    // The map this window draws on: the main window's unless another is set.
    void SetCanvas(TVeldorCanvas* canvas) { canvas_ = canvas; }
    TVeldorCanvas* Canvas() const;

    // A route finished on the map while this window is visible: takes it and lays out the lines.
    void SetRoute(const WorldPoints& points);
    // Lays out the lines for the route and the controls; messages go through the prompt service
    // when the surveyor asked for this generation (else only to the status label). True when
    // lines were drawn.
    bool GenerateRunlines(bool tellUser = false);
    // Deletes the shapes of the run-line layer (the layer stays).
    void ClearRunlines();

    const WorldPoints& Route() const { return route_; }
    bool RouteReady() const { return routeReady_; }
    // "Draw Route" was pressed and no route has been taken since.
    bool DrawingRoute() const { return drawing_; }
    ColorValue StatusColour() const { return statusColour_; }

    QPushButton* bDrawRoute;
    QLabel* lRouteStatus;
    QLineEdit* eSpacing;
    QLineEdit* eLength;
    QRadioButton* rbPerpendicular;
    QRadioButton* rbParallel;
    QPushButton* bGenerate;
    QPushButton* bClear;
    QPushButton* bClose;

public slots:
    void onDrawRouteClicked();
    void onGenerateClicked();
    void onClearClicked();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void regenerate();
    // The route status in the current language (english is a key, "%1" filled from args).
    void setStatus(const QString& english, ColorValue colour, const QStringList& args = {});

    TVeldorCanvas* canvas_ = nullptr;
    WorldPoints route_;
    bool routeReady_ = false;
    bool drawing_ = false;
    ColorValue statusColour_ = 0;
};

} // namespace vsx
