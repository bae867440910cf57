#include "tools/windows/TfSVPGraph.h"

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
    explicit ProfilePlot(TfSVPGraph& owner) : owner_(owner)
    {
        setMouseTracking(true);
        setMinimumSize(200, 150);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        owner_.PaintBox1Paint(p);
    }
    void mousePressEvent(QMouseEvent* e) override { owner_.PaintBox1MouseDown(e); }
    void mouseMoveEvent(QMouseEvent* e) override { owner_.PaintBox1MouseMove(e); }
    void mouseReleaseEvent(QMouseEvent* e) override { owner_.PaintBox1MouseUp(e); }
    void mouseDoubleClickEvent(QMouseEvent*) override { owner_.PaintBox1DblClick(); }
    void wheelEvent(QWheelEvent* e) override { owner_.PaintBox1Wheel(e); }

private:
    TfSVPGraph& owner_;
};

// The exact velocity behind a grid cell, kept while the cell shows what was written into it, so
// a velocity with more decimals than the grid shows is not rounded by merely passing the grid.
constexpr int kExactValueRole = Qt::UserRole + 1;
} // namespace

TfSVPGraph::TfSVPGraph(QWidget* parent) : QDialog(parent)
{
    SetUpWindow(this, {"fSVPGraph", "SVP Profile Graph - Drag Points or Lasso Select", false, QSize(900, 550)});
    setModal(true);

    PaintBox1 = new ProfilePlot(*this);
    PaintBox1->setObjectName("PaintBox1");

    StringGrid1 = new QTableWidget(0, 3);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->setHorizontalHeaderLabels({QStringLiteral("Depth (m)"), QStringLiteral("SV (m/s)"), QStringLiteral("Hits")});
    StringGrid1->verticalHeader()->hide();
    for (int c = 0; c < 3; ++c) StringGrid1->setColumnWidth(c, 60);
    bAddRow = new QPushButton(QStringLiteral("Add Row"));
    bAddRow->setObjectName("bAddRow");
    bDeleteRow = new QPushButton(QStringLiteral("Delete Row"));
    bDeleteRow->setObjectName("bDeleteRow");
    PanelGrid = new QWidget;
    PanelGrid->setObjectName("PanelGrid");
    auto* gridLayout = new QVBoxLayout(PanelGrid);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    gridLayout->addWidget(StringGrid1, 1);
    auto* rowButtons = new QHBoxLayout;
    rowButtons->addWidget(bAddRow);
    rowButtons->addWidget(bDeleteRow);
    gridLayout->addLayout(rowButtons);

    Splitter1 = new QSplitter(Qt::Horizontal);
    Splitter1->setObjectName("Splitter1");
    Splitter1->addWidget(PaintBox1);
    Splitter1->addWidget(PanelGrid);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setSizes({900 - 195, 195});

    Label1 = new QLabel(QStringLiteral("Drag points to edit SV, or draw lasso to select spikes"));
    Label1->setObjectName("Label1");
    bDeleteSelected = new QPushButton;
    SetTranslatedText(bDeleteSelected, "Delete Selected (%1)", {QStringLiteral("0")});
    bDeleteSelected->setObjectName("bDeleteSelected");
    bDeleteSelected->setEnabled(false);
    bSaveAndClose = new QPushButton(QStringLiteral("Save && Close"));
    bSaveAndClose->setObjectName("bSaveAndClose");
    bCancel = new QPushButton(QStringLiteral("Cancel"));
    bCancel->setObjectName("bCancel");
    Panel1 = new QWidget;
    Panel1->setObjectName("Panel1");
    Panel1->setFixedHeight(50);
    auto* bottom = new QHBoxLayout(Panel1);
    bottom->addWidget(Label1, 1);
    bottom->addWidget(bDeleteSelected);
    bottom->addWidget(bSaveAndClose);
    bottom->addWidget(bCancel);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->addWidget(Splitter1, 1);
    root->addWidget(Panel1);

    connect(bDeleteSelected, &QPushButton::clicked, this, &TfSVPGraph::bDeleteSelectedClick);
    connect(bAddRow, &QPushButton::clicked, this, &TfSVPGraph::bAddRowClick);
    connect(bDeleteRow, &QPushButton::clicked, this, &TfSVPGraph::bDeleteRowClick);
    connect(bSaveAndClose, &QPushButton::clicked, this, &TfSVPGraph::bSaveAndCloseClick);
    connect(bCancel, &QPushButton::clicked, this, &TfSVPGraph::bCancelClick);
    connect(StringGrid1, &QTableWidget::cellClicked, this, [this](int row, int) { StringGrid1Click(row); });
}

void TfSVPGraph::LoadPoints(const TextLines& lines)
{
    model_.LoadPoints(lines);
    FillGrid();
    ShowSelectionCount();
    PaintBox1->update();
}

void TfSVPGraph::FillGrid()
{
    const auto& points = model_.Points();
    StringGrid1->setRowCount(int(points.size()));
    for (int i = 0; i < int(points.size()); ++i) {
        const SvpGraphPoint& p = points[size_t(i)];
        StringGrid1->setItem(i, 0, new QTableWidgetItem(QString::number(p.Depth)));
        auto* sv = new QTableWidgetItem(q(formatFixed(p.SV, 2)));
        sv->setData(kExactValueRole, p.SV);
        StringGrid1->setItem(i, 1, sv);
        StringGrid1->setItem(i, 2, new QTableWidgetItem(QString::number(p.Hits)));
    }
}

bool TfSVPGraph::ReadGrid()
{
    std::vector<SvpGraphPoint> points;
    try {
        for (int r = 0; r < StringGrid1->rowCount(); ++r) {
            auto text = [&](int c) {
                const QTableWidgetItem* item = StringGrid1->item(r, c);
                return item ? item->text().toStdString() : std::string();
            };
            SvpGraphPoint p;
            p.Depth = strToInt(text(0));
            const QTableWidgetItem* sv = StringGrid1->item(r, 1);
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

void TfSVPGraph::ShowSelectionCount()
{
    const int n = model_.SelectedCount();
    SetTranslatedText(bDeleteSelected, "Delete Selected (%1)", {QString::number(n)});
    bDeleteSelected->setEnabled(n > 0);
}

// ---- Painting ---------------------------------------------------------------------------------

void TfSVPGraph::PaintBox1Paint(QPainter& p)
{
    model_.SetPlotSize(PaintBox1->width(), PaintBox1->height());
    p.fillRect(PaintBox1->rect(), Qt::white);
    DrawAxes(p);
    DrawProfile(p);
    DrawLasso(p);
}

void TfSVPGraph::DrawAxes(QPainter& p)
{
    using M = SvpGraphModel;
    const int w = PaintBox1->width(), h = PaintBox1->height();
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

void TfSVPGraph::DrawProfile(QPainter& p)
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

void TfSVPGraph::DrawLasso(QPainter& p)
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

void TfSVPGraph::PaintBox1MouseDown(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    model_.SetPlotSize(PaintBox1->width(), PaintBox1->height());
    const QPoint at = e->position().toPoint();
    const int hit = model_.HitTest(at.x(), at.y());
    if (hit >= 0) {
        model_.BeginDrag(hit);
        PaintBox1->setCursor(Qt::SizeAllCursor);
    } else {
        model_.BeginLasso(at.x(), at.y());
    }
    PaintBox1->update();
}

void TfSVPGraph::PaintBox1MouseMove(QMouseEvent* e)
{
    model_.SetPlotSize(PaintBox1->width(), PaintBox1->height());
    const QPoint at = e->position().toPoint();
    if (model_.Dragging()) {
        if (model_.DragTo(at.x())) {
            FillGrid();
            PaintBox1->update();
        }
    } else if (model_.LassoActive()) {
        if (model_.ExtendLasso(at.x(), at.y())) PaintBox1->update();
    } else if (model_.HitTest(at.x(), at.y()) >= 0) {
        PaintBox1->setCursor(Qt::PointingHandCursor);
    } else {
        PaintBox1->unsetCursor();
    }
    SetTranslatedText(Label1, "SV: %1 m/s  Depth: %2 m  (Drag point to edit SV)",
                      {q(formatFixed(model_.SvAt(at.x()), 1)), q(formatFixed(model_.DepthAt(at.y()), 1))});
}

void TfSVPGraph::PaintBox1MouseUp(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    if (model_.Dragging()) {
        model_.EndDrag();
        PaintBox1->unsetCursor();
    } else if (model_.LassoActive()) {
        model_.EndLasso();
        if (model_.Lasso().size() >= 3) ShowSelectionCount();
    }
    PaintBox1->update();
}

void TfSVPGraph::PaintBox1Wheel(QWheelEvent* e)
{
    // Over the plot only: the grid keeps its own scrolling.
    model_.SetPlotSize(PaintBox1->width(), PaintBox1->height());
    const QPoint at = e->position().toPoint();
    const int delta = e->angleDelta().y();
    if (delta != 0) model_.Zoom(delta > 0, at.x(), at.y());
    PaintBox1->update();
    e->accept();
}

void TfSVPGraph::PaintBox1DblClick()
{
    model_.FitAxes();
    PaintBox1->update();
}

// ---- Buttons and grid ---------------------------------------------------------------------------

void TfSVPGraph::bDeleteSelectedClick()
{
    model_.DeleteSelected();
    ShowSelectionCount();
    FillGrid();
    PaintBox1->update();
}

void TfSVPGraph::StringGrid1Click(int row)
{
    if (row < 0 || size_t(row) >= model_.Points().size()) return;
    model_.SelectOnly(row);
    ShowSelectionCount();
    PaintBox1->update();
}

void TfSVPGraph::bAddRowClick()
{
    const auto& points = model_.Points();
    const int depth = points.empty() ? 0 : points.back().Depth + 1;
    const double sv = points.empty() ? 1500.0 : points.back().SV;
    const int row = StringGrid1->rowCount();
    StringGrid1->setRowCount(row + 1);
    StringGrid1->setItem(row, 0, new QTableWidgetItem(QString::number(depth)));
    StringGrid1->setItem(row, 1, new QTableWidgetItem(q(formatFixed(sv, 2))));
    StringGrid1->setItem(row, 2, new QTableWidgetItem(QStringLiteral("0")));
    ReadGrid();
    ShowSelectionCount();
    PaintBox1->update();
}

void TfSVPGraph::bDeleteRowClick()
{
    // The only data row is never removed.
    const int row = StringGrid1->currentRow();
    if (row >= 0 && row < StringGrid1->rowCount() && StringGrid1->rowCount() > 1) StringGrid1->removeRow(row);
    ReadGrid();
    ShowSelectionCount();
    PaintBox1->update();
}

void TfSVPGraph::bSaveAndCloseClick()
{
    // Grid edits take effect here; a cell that is no number keeps the window open.
    if (ReadGrid()) accept();
}

void TfSVPGraph::bCancelClick() { reject(); }

} // namespace vsx
