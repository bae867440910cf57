#pragma once
// Small pictures of short texts in one font, drawn once and then stamped wherever the text is
// needed again. Depth labels and event marks repeat a few hundred distinct texts thousands of
// times per paint; stamping a picture costs a fraction of laying the text out each time.
#include "canvas/GdiPainter.h"

#include <QImage>
#include <string>
#include <unordered_map>

class QPainter;

namespace vsx {

class TextSprites {
public:
    // Sets the font (colour included); a different font drops the pictures made so far.
    void SetFont(const GdiFont& font);
    // The picture of `text` (transparent around the glyphs), its size the text's extent.
    const QImage& Get(const std::string& text);
    // Draws `text` centred on (x, y), as TextOut at (x - width/2, y - height/2) would.
    void DrawCentred(QPainter& painter, int x, int y, const std::string& text);

private:
    static constexpr std::size_t MaxSprites = 4096;
    GdiFont font_;
    bool fontSet_ = false;
    std::unordered_map<std::string, QImage> sprites_;
};

} // namespace vsx
