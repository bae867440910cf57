#include "platform/StyleManager.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

namespace vsx {
namespace {

struct StyleDef {
    const char* name;
    QRgb panel;      // window and button background
    QRgb base;       // edit background
    QRgb text;
    QRgb highlight;
};

// Panel, edit, text and selection colours of each built-in style.
const StyleDef kStyles[] = {
    {"Amakrits", 0x2b2f36, 0x1e2127, 0xe6e6e6, 0xd98c2b},
    {"Amethyst Kamri", 0xdcd3e6, 0xf4f0f8, 0x1e1428, 0x7d4fa8},
    {"Aqua Graphite", 0x3c4148, 0x2a2e33, 0xe8eef2, 0x2fa3c7},
    {"Aqua Light Slate", 0xd7e1e8, 0xf3f6f8, 0x14202a, 0x2fa3c7},
    {"Auric", 0x2e2a22, 0x1f1c17, 0xf0e6cc, 0xc9a227},
    {"Carbon", 0x202020, 0x161616, 0xdcdcdc, 0x3a7bd5},
    {"Charcoal Dark Slate", 0x33373d, 0x25282c, 0xe2e4e6, 0x5b7a99},
    {"Cobalt XEMedia", 0x1f2a44, 0x162033, 0xdfe6f5, 0x3d6fd9},
    {"Cyan Dusk", 0x2a3540, 0x1d252d, 0xe0f0f5, 0x19a7c2},
    {"Cyan Night", 0x16212b, 0x0f171e, 0xd5eef5, 0x19b3d1},
    {"Emerald Light Slate", 0xd6e3dc, 0xf2f7f4, 0x10241a, 0x2e9e5b},
    {"Glossy", 0x3a3a3a, 0x2c2c2c, 0xf0f0f0, 0x4a90d9},
    {"Glow", 0x26262e, 0x1b1b21, 0xe8e8f0, 0x00a2e8},
    {"Golden Graphite", 0x3d3a33, 0x2b2924, 0xefe7d2, 0xd4a531},
    {"Iceberg Classico", 0xe3eef5, 0xf8fbfd, 0x102030, 0x4f8fc0},
    {"Lavender Classico", 0xe6e1f0, 0xf8f6fb, 0x201830, 0x8a6fc0},
    {"Light", 0xf0f0f0, 0xffffff, 0x000000, 0x0078d7},
    {"Luna", 0xece9d8, 0xffffff, 0x000000, 0x316ac5},
    {"Obsidian", 0x2d3035, 0x1f2125, 0xe4e4e4, 0x4f7dbf},
    {"Onyx Blue", 0x252a33, 0x1a1e24, 0xdde3ec, 0x3b82f6},
    {"Ruby Graphite", 0x3a3336, 0x292426, 0xeee2e5, 0xc0392b},
    {"Sapphire Kamri", 0xd3dbe9, 0xf1f4f9, 0x121c2e, 0x2a5db0},
    {"Silver", 0xdcdcdc, 0xf5f5f5, 0x000000, 0x5a7fa8},
    {"Sky", 0xdfeaf5, 0xf7fafd, 0x0e1e2e, 0x3399ff},
    {"Slate Classico", 0xd0d6dc, 0xeef1f4, 0x141a20, 0x55708a},
    {"Smokey Quartz Kamri", 0xddd6d2, 0xf5f2f0, 0x2a201c, 0x8c6d62},
    {"Tablet Dark", 0x1e1e1e, 0x121212, 0xf0f0f0, 0x0a84ff},
    {"Tablet Light", 0xf7f7f7, 0xffffff, 0x111111, 0x0a84ff},
    {"Turquoise Gray", 0x3b4245, 0x2b3033, 0xe5eeee, 0x1abc9c},
    {"Windows10", 0xf0f0f0, 0xffffff, 0x000000, 0x0078d7},
    {"Windows10 Blue", 0x1f3a5f, 0x162a45, 0xe6eef8, 0x3c8ce7},
    {"Windows10 Dark", 0x2b2b2b, 0x1f1f1f, 0xf0f0f0, 0x0078d7},
    {"Windows10 Green", 0x1f4a33, 0x163524, 0xe4f2ea, 0x2ecc71},
    {"Windows10 Purple", 0x3a2a4f, 0x2a1e39, 0xeee6f7, 0x9b59b6},
    {"Windows10 SlateGray", 0x3f4750, 0x2e343b, 0xe6eaee, 0x708090},
};

QString g_active = kPlatformStyleName;

const StyleDef* find(const QString& name)
{
    for (const auto& s : kStyles)
        if (name == QLatin1String(s.name)) return &s;
    return nullptr;
}

// The colour a share of the way from one colour to another.
QColor blend(const QColor& from, const QColor& to, double share)
{
    auto mix = [share](int a, int b) { return int(a + (b - a) * share + 0.5); };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()));
}

// The whole palette of a style. It starts from the panel colour alone (which derives the bevel
// shades), never from the palette in force, so a style looks the same whichever style came before.
QPalette paletteOf(const StyleDef& s)
{
    const QColor panel(s.panel), base(s.base), text(s.text), hl(s.highlight);
    QPalette p(panel);
    p.setColor(QPalette::Window, panel);
    p.setColor(QPalette::Button, panel);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, panel);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::PlaceholderText, blend(text, base, 0.5));
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Highlight, hl);
    p.setColor(QPalette::HighlightedText, QColor(Qt::white));
    // Disabled controls: text half-way into the panel, edits on the panel colour, so a control that
    // ignores clicks looks greyed in light and dark styles alike.
    const QColor greyed = blend(text, panel, 0.55);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text,
                                     QPalette::HighlightedText, QPalette::PlaceholderText})
        p.setColor(QPalette::Disabled, role, greyed);
    p.setColor(QPalette::Disabled, QPalette::Base, panel);
    p.setColor(QPalette::Disabled, QPalette::Highlight, blend(hl, panel, 0.6));
    return p;
}

// A widget under a style sheet keeps the palette it had when the sheet was applied, whatever
// palette the application takes later: apply each sheet afresh so it picks up the new palette.
void repolishStyleSheets()
{
    for (QWidget* w : QApplication::allWidgets()) {
        const QString sheet = w->styleSheet();
        if (sheet.isEmpty()) continue;
        w->setStyleSheet(QString());
        w->setStyleSheet(sheet);
    }
}

} // namespace

QStringList StyleManager::styleNames()
{
    QStringList names {kPlatformStyleName};
    for (const auto& s : kStyles) names << QString::fromLatin1(s.name);
    return names;
}

bool StyleManager::styleExists(const QString& name) { return name == kPlatformStyleName || find(name); }

bool StyleManager::setStyle(const QString& name)
{
    if (name == kPlatformStyleName) {
        if (qApp) {
            QApplication::setPalette(QApplication::style()->standardPalette());
            repolishStyleSheets();
        }
        g_active = name;
        return true;
    }
    const StyleDef* s = find(name);
    if (!s) return false;
    if (qApp) {
        QApplication::setStyle(QStyleFactory::create("Fusion"));
        QApplication::setPalette(paletteOf(*s));
        repolishStyleSheets();
    }
    g_active = name;
    return true;
}

QString StyleManager::activeStyle() { return g_active; }

QColor StyleManager::panelColour(const QString& name)
{
    if (const StyleDef* s = find(name)) return QColor(s->panel);
    return QApplication::style() ? QApplication::style()->standardPalette().color(QPalette::Window) : QColor(0xf0f0f0);
}

} // namespace vsx
