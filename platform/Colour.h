#pragma once
// Colours are stored as 32-bit numbers 0x00BBGGRR: red in the low byte, green in the second,
// blue in the third (0x0000FF red, 0x00FF00 green, 0x00FFFF yellow, 0xFFFF00 aqua). Numbers with
// the high byte 0xFF name a system colour (a palette role), not an RGB value.
#include <QColor>
#include <cstdint>

namespace vsx {

using ColorValue = std::int32_t;

constexpr ColorValue clBlack = 0x000000;
constexpr ColorValue clMaroon = 0x000080;
constexpr ColorValue clGreen = 0x008000;
constexpr ColorValue clOlive = 0x008080;
constexpr ColorValue clNavy = 0x800000;
constexpr ColorValue clPurple = 0x800080;
constexpr ColorValue clTeal = 0x808000;
constexpr ColorValue clGray = 0x808080;
constexpr ColorValue clSilver = 0xC0C0C0;
constexpr ColorValue clRed = 0x0000FF;
constexpr ColorValue clLime = 0x00FF00;
constexpr ColorValue clYellow = 0x00FFFF;
constexpr ColorValue clBlue = 0xFF0000;
constexpr ColorValue clFuchsia = 0xFF00FF;
constexpr ColorValue clAqua = 0xFFFF00;
constexpr ColorValue clWhite = 0xFFFFFF;
constexpr ColorValue clSkyBlue = 0xF0CAA6;
constexpr ColorValue clMoneyGreen = 0xC0DCC0;
constexpr ColorValue clCream = 0xF0FBFF;
constexpr ColorValue clMedGray = 0xA4A0A0;
// System colours (palette roles).
constexpr ColorValue clBtnFace = ColorValue(0xFF00000F);
constexpr ColorValue clWindow = ColorValue(0xFF000005);
constexpr ColorValue clWindowText = ColorValue(0xFF000008);
constexpr ColorValue clHighlight = ColorValue(0xFF00000D);

constexpr int redOf(ColorValue c) { return c & 0xFF; }
constexpr int greenOf(ColorValue c) { return (c >> 8) & 0xFF; }
constexpr int blueOf(ColorValue c) { return (c >> 16) & 0xFF; }
constexpr ColorValue rgbColor(int r, int g, int b) { return ColorValue((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16)); }
constexpr bool isSystemColor(ColorValue c) { return (std::uint32_t(c) & 0xFF000000u) == 0xFF000000u; }

// System colours map to the application palette's roles.
QColor toQColor(ColorValue c);
ColorValue fromQColor(const QColor& c);

} // namespace vsx
