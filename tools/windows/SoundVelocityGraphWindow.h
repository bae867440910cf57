#pragma once
// The "SVP Profile Graph - Drag Points or Lasso Select" window: the per-metre table of the sound
// velocity window as a profile (velocity across, depth down) and as a grid. Dragging a marker
// sideways changes its velocity, a lasso selects markers for deletion, the wheel zooms about the
// cursor, a double click fits the axes. "Save & Close" hands the edited entries back.
#include "tools/SvpGraphModel.h"

#include <QDialog>

class QLabel;
class QMouseEvent;
class QPainter;
class QPushButton;
class QSplitter;
class QTableWidget;
class QWheelEvent;

namespace vsx {

class SoundVelocityGraphWindow : public QDialog {
    Q_OBJECT
public:
    explicit SoundVelocityGraphWindow(QWidget* parent = nullptr);

    // Table lines in; the grid and the axes follow.
    void LoadPoints(const TextLines& lines);
    // One line per point, in point order.
    TextLines WritePoints() const { return model_.WritePoints(); }
    // The entries differ from those loaded (an edit that was undone does not count).
    bool DataChanged() const { return model_.DataChanged(); }
    const SvpGraphModel& Model() const { return model_; }

    QWidget* profilePlot;
    QSplitter* splitter;
    QWidget* PanelGrid;
    QTableWidget* pointGrid;
    QPushButton* bAddRow;
    QPushButton* bDeleteRow;
    QWidget* bottomPanel;
    QLabel* hintLabel;
    QPushButton* bDeleteSelected;
    QPushButton* bSaveAndClose;
    QPushButton* bCancel;

    void paintProfile(QPainter& p);
    void onPlotMousePressed(QMouseEvent* e);
    void onPlotMouseMoved(QMouseEvent* e);
    void onPlotMouseReleased(QMouseEvent* e);
    void onPlotWheel(QWheelEvent* e);
    void onPlotDoubleClicked();
    void onDeleteSelectedClicked();
    void onGridRowClicked(int row);
    void onAddRowClicked();
    void onDeleteRowClicked();
    void onSaveAndCloseClicked();
    void onCancelClicked();

private:
    void FillGrid();
    // The grid's rows as the points; false (reported) when a depth or velocity is no number.
    bool ReadGrid();
    void ShowSelectionCount();
    void DrawAxes(QPainter& p);
    void DrawProfile(QPainter& p);
    void DrawLasso(QPainter& p);

    SvpGraphModel model_;
};

} // namespace vsx
