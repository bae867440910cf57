#include "nav/windows/MapCanvasStandIn.h"

#include "canvas/QtGdiPainter.h"
#include "platform/Numbers.h"

#include <QContextMenuEvent>
#include <QPainter>

namespace vsx {

MapCanvasStandIn::MapCanvasStandIn(QWidget* parent) : QWidget(parent), model_(std::make_unique<CanvasModel>())
{
    setObjectName("fcad");
    setMinimumSize(200, 150);
    // Repaint on the next paint message, whatever changed.
    model_->SetChangeHandler([this](CanvasChange) { update(); });
}

MapCanvasStandIn::~MapCanvasStandIn() { model_->SetChangeHandler({}); }

void MapCanvasStandIn::SetHudValue(double speedKnots, bool show)
{
    speed_ = speedKnots;
    showSpeed_ = show;
    update();
}

void MapCanvasStandIn::SetDepthHud(double depth1, double depth2, bool show)
{
    depth1_ = depth1;
    depth2_ = depth2;
    showDepth_ = show;
    update();
}

void MapCanvasStandIn::SetHudStatus(const std::string& text, int fixQuality, bool noPosition)
{
    status_ = noPosition ? std::string("*** EMPTY GGA - NO POSITION ***") : text;
    fixQuality_ = fixQuality;
}

void MapCanvasStandIn::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    model_->Resize(width(), height());
}

void MapCanvasStandIn::paintEvent(QPaintEvent*)
{
    ++paints_;
    QPainter painter(this);
    const ColorValue bg = model_->BackgroundColor();
    painter.fillRect(rect(), QColor(int(bg & 0xFF), int((bg >> 8) & 0xFF), int((bg >> 16) & 0xFF)));
    {
        QtGdiPainter gdi(painter);
        renderer_.DrawShapes(*model_, gdi);
    }
    model_->SetDirty(false);

    QStringList lines;
    if (!status_.empty()) lines << QString::fromUtf8(status_.c_str());
    if (showSpeed_) lines << QStringLiteral("SOG %1 kn").arg(QString::fromStdString(formatFixed(speed_, 1)));
    if (showDepth_) lines << QStringLiteral("Depth %1 m").arg(QString::fromStdString(formatFixed(depth1_, 2)));
    if (lines.isEmpty()) return;
    const QString text = lines.join('\n');
    QFont f = painter.font();
    f.setPointSize(10);
    painter.setFont(f);
    const QRect box = painter.boundingRect(QRect(8, 8, width() - 16, height() - 16), Qt::AlignLeft | Qt::AlignTop, text)
                          .adjusted(-4, -2, 4, 2);
    const QColor fill = fixQuality_ == 4 ? QColor(0, 200, 0) : fixQuality_ == 5 || fixQuality_ == 2 ? QColor(230, 200, 0)
                                                                                                    : QColor(220, 60, 60);
    painter.fillRect(box, fill);
    painter.setPen(Qt::black);
    painter.drawText(box.adjusted(4, 2, -4, -2), Qt::AlignLeft | Qt::AlignTop, text);
}

void MapCanvasStandIn::contextMenuEvent(QContextMenuEvent* event)
{
    emit contextMenuRequested(event->globalPos());
    event->accept();
}

} // namespace vsx
