#include "tools/windows/SoundVelocityGraphWindow.h"

#include "app/Translated.h"
#include "app/windows/WindowTranslation.h"

#include "app/ErrorReport.h"
#include "app/windows/WindowSetup.h"
#include "platform/Colour.h"
#include "platform/Numbers.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace vsx {

namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }

// The plot: paints and takes the mouse for the window.
class ProfilePlot : public QWidget {
public:
    explicit ProfilePlot(SoundVelocityGraphWindow& owner) : owner_(owner)
    {
        setMouseTracking(true);
        setMinimumSize(200, 150);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        owner_.paintProfile(p);
    }
    void mousePressEvent(QMouseEvent* e) override { owner_.onPlotMousePressed(e); }
    void mouseMoveEvent(QMouseEvent* e) override { owner_.onPlotMouseMoved(e); }
    void mouseReleaseEvent(QMouseEvent* e) override { owner_.onPlotMouseReleased(e); }
    void mouseDoubleClickEvent(QMouseEvent*) override { owner_.onPlotDoubleClicked(); }
    void wheelEvent(QWheelEvent* e) override { owner_.onPlotWheel(e); }

private:
    SoundVelocityGraphWindow& owner_;
};

// The exact velocity behind a grid cell, kept while the cell shows what was written into it, so
// a velocity with more decimals than the grid shows is not rounded by merely passing the grid.
constexpr int kExactValueRole = Qt::UserRole + 1;
} // namespace

SoundVelocityGraphWindow::SoundVelocityGraphWindow(QWidget* parent) : QDialog(parent)
{
    SetUpWindow(this, {"fSVPGraph", "SVP Profile Graph - Drag Points or Lasso Select", false, QSize(900, 550)});
    setModal(true);

    profilePlot = new ProfilePlot(*this);
    profilePlot->setObjectName("PaintBox1");

    pointGrid = new QTableWidget(0, 3);
    pointGrid->setObjectName("StringGrid1");
    pointGrid->setHorizontalHeaderLabels({QStringLiteral("Depth (m)"), QStringLiteral("SV (m/s)"), QStringLiteral("Hits")});
    pointGrid->verticalHeader()->hide();
    for (int c = 0; c < 3; ++c) pointGrid->setColumnWidth(c, 60);
    bAddRow = new QPushButton(QStringLiteral("Add Row"));
    bAddRow->setObjectName("bAddRow");
    bDeleteRow = new QPushButton(QStringLiteral("Delete Row"));
    bDeleteRow->setObjectName("bDeleteRow");
    PanelGrid = new QWidget;
    PanelGrid->setObjectName("PanelGrid");
    auto* gridLayout = new QVBoxLayout(PanelGrid);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    gridLayout->addWidget(pointGrid, 1);
    auto* rowButtons = new QHBoxLayout;
    rowButtons->addWidget(bAddRow);
    rowButtons->addWidget(bDeleteRow);
    gridLayout->addLayout(rowButtons);

    splitter = new QSplitter(Qt::Horizontal);
    splitter->setObjectName("Splitter1");
    splitter->addWidget(profilePlot);
    splitter->addWidget(PanelGrid);
    splitter->setStretchFactor(0, 1);
    splitter->setSizes({900 - 195, 195});

    hintLabel = new QLabel(QStringLiteral("Drag points to edit SV, or draw lasso to select spikes"));
    hintLabel->setObjectName("Label1");
    bDeleteSelected = new QPushButton;
    SetTranslatedText(bDeleteSelected, "Delete Selected (%1)", {QStringLiteral("0")});
    bDeleteSelected->setObjectName("bDeleteSelected");
    bDeleteSelected->setEnabled(false);
    bSaveAndClose = new QPushButton(QStringLiteral("Save && Close"));
    bSaveAndClose->setObjectName("bSaveAndClose");
    bCancel = new QPushButton(QStringLiteral("Cancel"));
    bCancel->setObjectName("bCancel");
    bottomPanel = new QWidget;
    bottomPanel->setObjectName("Panel1");
    bottomPanel->setFixedHeight(50);
    auto* bottom = new QHBoxLayout(bottomPanel);
    bottom->addWidget(hintLabel, 1);
    bottom->addWidget(bDeleteSelected);
    bottom->addWidget(bSaveAndClose);
    bottom->addWidget(bCancel);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->addWidget(splitter, 1);
    root->addWidget(bottomPanel);

    connect(bDeleteSelected, &QPushButton::clicked, this, &SoundVelocityGraphWindow::onDeleteSelectedClicked);
    connect(bAddRow, &QPushButton::clicked, this, &SoundVelocityGraphWindow::onAddRowClicked);
    connect(bDeleteRow, &QPushButton::clicked, this, &SoundVelocityGraphWindow::onDeleteRowClicked);
    connect(bSaveAndClose, &QPushButton::clicked, this, &SoundVelocityGraphWindow::onSaveAndCloseClicked);
    connect(bCancel, &QPushButton::clicked, this, &SoundVelocityGraphWindow::onCancelClicked);
    connect(pointGrid, &QTableWidget::cellClicked, this, [this](int row, int) { onGridRowClicked(row); });
}

void SoundVelocityGraphWindow::LoadPoints(const TextLines& lines)
{
    model_.LoadPoints(lines);
    FillGrid();
    ShowSelectionCount();
    profilePlot->update();
}

void SoundVelocityGraphWindow::FillGrid()
{
    const auto& points = model_.Points();
    pointGrid->setRowCount(int(points.size()));
    for (int i = 0; i < int(points.size()); ++i) {
        const SvpGraphPoint& p = points[size_t(i)];
        pointGrid->setItem(i, 0, new QTableWidgetItem(QString::number(p.Depth)));
        auto* sv = new QTableWidgetItem(q(formatFixed(p.SV, 2)));
        sv->setData(kExactValueRole, p.SV);
        pointGrid->setItem(i, 1, sv);
        pointGrid->setItem(i, 2, new QTableWidgetItem(QString::number(p.Hits)));
    }
}

bool SoundVelocityGraphWindow::ReadGrid()
{
    std::vector<SvpGraphPoint> points;
    try {
        for (int r = 0; r < pointGrid->rowCount(); ++r) {
            auto text = [&](int c) {
                const QTableWidgetItem* item = pointGrid->item(r, c);
                return item ? item->text().toStdString() : std::string();
            };
            SvpGraphPoint p;
            p.Depth = strToInt(text(0));
            const QTableWidgetItem* sv = pointGrid->item(r, 1);
            const QVariant exact = sv ? sv->data(kExactValueRole) : QVariant();
            if (exact.isValid() && formatFixed(exact.toDouble(), 2) == text(1)) p.SV = exact.toDouble();
            else p.SV = strToFloat(text(1));
            p.Hits = strToIntDef(text(2), 1);
            points.push_back(p);
        }
    } catch (const ConversionError& e) {
        ReportError(ErrorText(e.what()));
        return false;
    }
    model_.SetPoints(std::move(points));
    return true;
}

void SoundVelocityGraphWindow::ShowSelectionCount()
{
    const int n = model_.SelectedCount();
    SetTranslatedText(bDeleteSelected, "Delete Selected (%1)", {QString::number(n)});
    bDeleteSelected->setEnabled(n > 0);
}

// ---- Painting ---------------------------------------------------------------------------------

void SoundVelocityGraphWindow::paintProfile(QPainter& p)
{
    model_.SetPlotSize(profilePlot->width(), profilePlot->height());
    p.fillRect(profilePlot->rect(), Qt::white);
    DrawAxes(p);
    DrawProfile(p);
    DrawLasso(p);
}

void SoundVelocityGraphWindow::DrawAxes(QPainter& p)
{
    using M = SvpGraphModel;
    const int w = profilePlot->width(), h = profilePlot->height();
    const int ascent = p.fontMetrics().ascent();
    p.setPen(QPen(toQColor(clSilver), 1, Qt::DotLine));
    for (double v : model_.SvGridLines()) {
        const double x = model_.ScreenX(v);
        p.drawLine(QPointF(x, M::kMarginTop), QPointF(x, h - M::kMarginBottom));
        p.drawText(QPointF(x - 15, h - M::kMarginBottom + 5 + ascent), q(formatFixed(v, 0)));
    }
    for (double v : model_.DepthGridLines()) {
        const double y = model_.ScreenY(v);
        p.drawLine(QPointF(M::kMarginLeft, y), QPointF(w - M::kMarginRight, y));
        p.drawText(QPointF(5, y - 6 + ascent), q(formatFixed(v, 0)) + "m");
    }
    p.setPen(QPen(Qt::black, 1, Qt::SolidLine));
    p.drawLine(M::kMarginLeft, M::kMarginTop, M::kMarginLeft, h - M::kMarginBottom);
    p.drawLine(M::kMarginLeft, h - M::kMarginBottom, w - M::kMarginRight, h - M::kMarginBottom);
    QFont bold = p.font();
    bold.setBold(true);
    p.save();
    p.setFont(bold);
    p.drawText(QPointF(w / 2 - 30, h - 18 + p.fontMetrics().ascent()), translated("SV (m/s)"));
    p.restore();
}

void SoundVelocityGraphWindow::DrawProfile(QPainter& p)
{
    const auto& points = model_.Points();
    if (points.empty()) return;
    QPolygonF line;
    line.reserve(qsizetype(points.size()));
    for (const SvpGraphPoint& pt : points) line << QPointF(model_.ScreenX(pt.SV), model_.ScreenY(pt.Depth));
    p.setPen(QPen(toQColor(clBlue), 1));
    p.drawPolyline(line);
    for (size_t i = 0; i < points.size(); ++i) {
        const PlotPixel m = model_.Marker(points[i]);
        ColorValue fill = clBlue, outline = clNavy;
        if (points[i].Selected) fill = clRed, outline = clMaroon;
        else if (int(i) == model_.DragIndex()) fill = clLime, outline = clGreen;
        p.setPen(QPen(toQColor(outline), 1));
        p.setBrush(toQColor(fill));
        p.drawEllipse(QRect(m.x - 4, m.y - 4, 9, 9));
    }
    p.setBrush(Qt::NoBrush);
}

void SoundVelocityGraphWindow::DrawLasso(QPainter& p)
{
    const auto& lasso = model_.Lasso();
    if (lasso.size() < 2) return;
    QPolygon outline;
    for (const PlotPixel& l : lasso) outline << QPoint(l.x, l.y);
    if (model_.LassoActive()) outline << outline.front();
    p.setPen(QPen(toQColor(clRed), 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(outline);
}

// ---- Mouse ------------------------------------------------------------------------------------

void SoundVelocityGraphWindow::onPlotMousePressed(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    model_.SetPlotSize(profilePlot->width(), profilePlot->height());
    const QPoint at = e->position().toPoint();
    const int hit = model_.HitTest(at.x(), at.y());
    if (hit >= 0) {
        model_.BeginDrag(hit);
        profilePlot->setCursor(Qt::SizeAllCursor);
    } else {
        model_.BeginLasso(at.x(), at.y());
    }
    profilePlot->update();
}

void SoundVelocityGraphWindow::onPlotMouseMoved(QMouseEvent* e)
{
    model_.SetPlotSize(profilePlot->width(), profilePlot->height());
    const QPoint at = e->position().toPoint();
    if (model_.Dragging()) {
        if (model_.DragTo(at.x())) {
            FillGrid();
            profilePlot->update();
        }
    } else if (model_.LassoActive()) {
        if (model_.ExtendLasso(at.x(), at.y())) profilePlot->update();
    } else if (model_.HitTest(at.x(), at.y()) >= 0) {
        profilePlot->setCursor(Qt::PointingHandCursor);
    } else {
        profilePlot->unsetCursor();
    }
    SetTranslatedText(hintLabel, "SV: %1 m/s  Depth: %2 m  (Drag point to edit SV)",
                      {q(formatFixed(model_.SvAt(at.x()), 1)), q(formatFixed(model_.DepthAt(at.y()), 1))});
}

void SoundVelocityGraphWindow::onPlotMouseReleased(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    if (model_.Dragging()) {
        model_.EndDrag();
        profilePlot->unsetCursor();
    } else if (model_.LassoActive()) {
        model_.EndLasso();
        if (model_.Lasso().size() >= 3) ShowSelectionCount();
    }
    profilePlot->update();
}

void SoundVelocityGraphWindow::onPlotWheel(QWheelEvent* e)
{
    // Over the plot only: the grid keeps its own scrolling.
    model_.SetPlotSize(profilePlot->width(), profilePlot->height());
    const QPoint at = e->position().toPoint();
    const int delta = e->angleDelta().y();
    if (delta != 0) model_.Zoom(delta > 0, at.x(), at.y());
    profilePlot->update();
    e->accept();
}

void SoundVelocityGraphWindow::onPlotDoubleClicked()
{
    model_.FitAxes();
    profilePlot->update();
}

// ---- Buttons and grid ---------------------------------------------------------------------------

void SoundVelocityGraphWindow::onDeleteSelectedClicked()
{
    model_.DeleteSelected();
    ShowSelectionCount();
    FillGrid();
    profilePlot->update();
}

void SoundVelocityGraphWindow::onGridRowClicked(int row)
{
    if (row < 0 || size_t(row) >= model_.Points().size()) return;
    model_.SelectOnly(row);
    ShowSelectionCount();
    profilePlot->update();
}

void SoundVelocityGraphWindow::onAddRowClicked()
{
    const auto& points = model_.Points();
    const int depth = points.empty() ? 0 : points.back().Depth + 1;
    const double sv = points.empty() ? 1500.0 : points.back().SV;
    const int row = pointGrid->rowCount();
    pointGrid->setRowCount(row + 1);
    pointGrid->setItem(row, 0, new QTableWidgetItem(QString::number(depth)));
    pointGrid->setItem(row, 1, new QTableWidgetItem(q(formatFixed(sv, 2))));
    pointGrid->setItem(row, 2, new QTableWidgetItem(QStringLiteral("0")));
    ReadGrid();
    ShowSelectionCount();
    profilePlot->update();
}

void SoundVelocityGraphWindow::onDeleteRowClicked()
{
    // The only data row is never removed.
    const int row = pointGrid->currentRow();
    if (row >= 0 && row < pointGrid->rowCount() && pointGrid->rowCount() > 1) pointGrid->removeRow(row);
    ReadGrid();
    ShowSelectionCount();
    profilePlot->update();
}

void SoundVelocityGraphWindow::onSaveAndCloseClicked()
{
    // Grid edits take effect here; a cell that is no number keeps the window open.
    if (ReadGrid()) accept();
}

void SoundVelocityGraphWindow::onCancelClicked() { reject(); }

} // namespace vsx
