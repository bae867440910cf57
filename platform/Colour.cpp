#include "platform/Colour.h"

#include <QGuiApplication>
#include <QPalette>

namespace vsx {

QColor toQColor(ColorValue c)
{
    if (isSystemColor(c)) {
        const QPalette pal = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::palette() : QPalette();
        switch (std::uint32_t(c) & 0xFF) {
        case 0x05: return pal.color(QPalette::Base);
        case 0x08: return pal.color(QPalette::Text);
        case 0x0D: return pal.color(QPalette::Highlight);
        case 0x0E: return pal.color(QPalette::HighlightedText);
        case 0x12: return pal.color(QPalette::ButtonText);
        case 0x0F:
        default: return pal.color(QPalette::Button);
        }
    }
    return QColor(redOf(c), greenOf(c), blueOf(c));
}

ColorValue fromQColor(const QColor& c) { return rgbColor(c.red(), c.green(), c.blue()); }

} // namespace vsx
