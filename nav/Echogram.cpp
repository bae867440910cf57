#include "nav/Echogram.h"

#include "platform/Numbers.h"

#include <QFont>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace vsx {

void EchogramHistory::push(double depth, int count)
{
    count_ = std::clamp(count, 1, kCapacity);
    if (count_ >= 2) {
        std::move(depths_.begin() + 1, depths_.begin() + count_, depths_.begin());
        std::move(rows_.begin() + 1, rows_.begin() + count_, rows_.begin());
    }
    depths_[size_t(count_ - 1)] = depth;
}

EchogramHistory::Range EchogramHistory::range(double defaultTop, double defaultBottom) const
{
    int valid = 0;
    double lo = 0, hi = 0;
    for (int i = 0; i < count_; ++i) {
        const double d = depths_[size_t(i)];
        if (d <= 0) continue;
        lo = valid == 0 ? d : std::min(lo, d);
        hi = valid == 0 ? d : std::max(hi, d);
        ++valid;
    }
    Range r {defaultTop, defaultBottom, 0};
    if (valid > 3 && hi > lo) {
        const double margin = std::max(0.3, (hi - lo) * 0.1);
        r.top = std::max(0.0, lo - margin);
        r.bottom = hi + margin;
    }
    r.span = r.bottom - r.top;
    if (r.span <= 0) r.span = 1;
    return r;
}

void EchogramHistory::computeRows(const Range& r, int height)
{
    for (int i = 0; i < count_; ++i) {
        const double d = depths_[size_t(i)];
        rows_[size_t(i)] = d > 0 ? std::floor((d - r.top) * height / r.span) : 0;
    }
}

double EchogramGridStep(double span)
{
    const double quarter = 0.25 * span;
    double s = std::pow(10.0, std::floor(std::log10(quarter)));
    const double q = quarter / s;
    if (q > 1) {
        if (q <= 2) s *= 2;
        else if (q <= 2.5) s *= 2.5;
        else if (q <= 5) s *= 5;
        else s *= 10;
    }
    return s;
}

int EchogramGridDecimals(double step) { return step < 0.1 ? 2 : step < 1 ? 1 : 0; }

void PaintEchogram(QPainter& p, const QSize& size, const EchogramHistory& h, const EchogramHistory::Range& r,
                   double newDepth)
{
    const int W = size.width(), H = size.height();
    if (W < 1 || H < 1) return;
    const int N = h.count();
    p.fillRect(QRect(0, 0, W, H), QColor(0xF0, 0xF8, 0xFF));
    const double width = std::max(1.0, double(W) / N);
    for (int k = 0; k < N; ++k) {
        if (h.depth(k) <= 0) continue;
        double row = std::min(h.row(k), double(H));
        if (row < 1) row = 0;
        const int x0 = int(k * width), x1 = int((k + 1) * width);
        p.fillRect(QRect(x0, 0, x1 - x0, int(row)), QColor(0x64, 0xB4, 0xFF));
        p.setPen(QPen(QColor(255, 0, 0), 3));
        p.drawLine(x0, int(row), x1, int(row));
    }
    p.setPen(QPen(Qt::black, 2));
    for (int k = 1; k < N; ++k) {
        if (h.depth(k - 1) <= 0 || h.depth(k) <= 0) continue;
        p.drawLine(int((k - 0.5) * width), int(h.row(k - 1)), int((k + 0.5) * width), int(h.row(k)));
    }
    const double s = EchogramGridStep(r.span);
    QFont bold = p.font();
    bold.setBold(true);
    bold.setPointSize(9);
    p.setFont(bold);
    p.setBrush(Qt::NoBrush);
    // Bounded: a span of at most a few hundred metres gives a handful of lines.
    int lines = 0;
    for (double v = s * std::ceil(r.top / s); v <= r.bottom && lines < 1000; v += s, ++lines) {
        const int y = int((v - r.top) * H / r.span);
        if (y > H) continue;
        p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1, Qt::DotLine));
        p.drawLine(0, y, W, y);
        p.setPen(Qt::black);
        p.drawText(QPoint(3, y + 2 + p.fontMetrics().ascent()),
                   QString::fromStdString(formatFixed(v, EchogramGridDecimals(s)) + "m"));
    }
    if (newDepth > 0) {
        const double row = h.row(N - 1);
        if (row > 5 && row < H - 30) {
            p.setPen(QPen(Qt::black, 1));
            p.drawLine(W - 40, int(row), W - 40, H - 28);
        }
        p.fillRect(QRect(QPoint(W - 78, H - 26), QPoint(W - 3, H - 3)), QColor(255, 255, 0));
        bold.setPointSize(12);
        p.setFont(bold);
        p.setPen(Qt::black);
        p.drawText(QPoint(W - 75, H - 24 + p.fontMetrics().ascent()), QString::fromStdString(formatFixed(newDepth, 1) + "m"));
    }
    bold.setBold(false);
    p.setFont(bold);
}

} // namespace vsx
