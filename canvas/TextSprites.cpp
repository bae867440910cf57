#include "canvas/TextSprites.h"

#include "canvas/QtGdiPainter.h"

#include <QPainter>
#include <algorithm>

namespace vsx {

void TextSprites::SetFont(const GdiFont& font)
{
    if (fontSet_ && font == font_) return;
    font_ = font;
    fontSet_ = true;
    sprites_.clear();
}

const QImage& TextSprites::Get(const std::string& text)
{
    auto it = sprites_.find(text);
    if (it != sprites_.end()) return it->second;
    if (sprites_.size() >= MaxSprites) sprites_.clear();

    QImage measure(1, 1, QImage::Format_ARGB32_Premultiplied);
    int w = 1, h = 1;
    {
        QPainter qp(&measure);
        QtGdiPainter p(qp);
        p.SetFont(font_);
        w = std::max(p.TextWidth(text), 1);
        h = std::max(p.TextHeight(text), 1);
    }
    QImage sprite(w, h, QImage::Format_ARGB32_Premultiplied);
    sprite.fill(Qt::transparent);
    {
        QPainter qp(&sprite);
        QtGdiPainter p(qp);
        p.SetFont(font_);
        p.TextOut(0, 0, text);
    }
    return sprites_.emplace(text, std::move(sprite)).first->second;
}

void TextSprites::DrawCentred(QPainter& painter, int x, int y, const std::string& text)
{
    const QImage& s = Get(text);
    painter.drawImage(x - s.width() / 2, y - s.height() / 2, s);
}

} // namespace vsx
