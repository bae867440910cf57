#include "app/windows/ColorBox.h"

#include "app/windows/WindowTranslation.h"
#include "platform/Prompts.h"

#include <QColorDialog>
#include <QPixmap>

namespace vsx {
namespace {
ColorBox::CustomChooser& chooser()
{
    static ColorBox::CustomChooser c;
    return c;
}

QIcon swatch(ColorValue c)
{
    QPixmap p(16, 12);
    p.fill(toQColor(c));
    return QIcon(p);
}

constexpr int kCustomIndex = 0;
} // namespace

const std::vector<ColorBox::NamedColor>& ColorBox::namedColors()
{
    static const std::vector<NamedColor> colors{
        {"Black", clBlack},   {"Maroon", clMaroon},          {"Green", clGreen},     {"Olive", clOlive},
        {"Navy", clNavy},     {"Purple", clPurple},          {"Teal", clTeal},       {"Gray", clGray},
        {"Silver", clSilver}, {"Red", clRed},                {"Lime", clLime},       {"Yellow", clYellow},
        {"Blue", clBlue},     {"Fuchsia", clFuchsia},        {"Aqua", clAqua},       {"White", clWhite},
        {"Money Green", clMoneyGreen}, {"Sky Blue", clSkyBlue}, {"Cream", clCream}, {"Medium Gray", clMedGray},
    };
    return colors;
}

ColorBox::ColorBox(QWidget* parent, ColorValue initial) : QComboBox(parent)
{
    addItem(swatch(clBlack), QStringLiteral("Custom..."));
    for (const NamedColor& n : namedColors()) addItem(swatch(n.value), QString::fromUtf8(n.name), int(n.value));
    // The colour is the item's data; its name is only shown.
    TranslateItemsOf(this);
    connect(this, &QComboBox::activated, this, &ColorBox::onActivated);
    setColor(initial);
}

void ColorBox::setColor(ColorValue c)
{
    color_ = c;
    for (int i = 0; i < int(namedColors().size()); ++i) {
        if (namedColors()[size_t(i)].value == c) {
            setCurrentIndex(i + 1);
            return;
        }
    }
    showCustom(c);
}

void ColorBox::showCustom(ColorValue c)
{
    setItemIcon(kCustomIndex, swatch(c));
    setItemData(kCustomIndex, int(c));
    setCurrentIndex(kCustomIndex);
}

void ColorBox::setCustomChooser(CustomChooser c) { chooser() = std::move(c); }

void ColorBox::onActivated(int index)
{
    if (index == kCustomIndex) {
        std::optional<QColor> picked;
        if (chooser()) {
            picked = chooser()(toQColor(color_), this);
        } else {
            QColorDialog dialog(toQColor(color_), this);
            KeepDialogAboveToolWindows(&dialog);
            if (dialog.exec() == QDialog::Accepted && dialog.selectedColor().isValid()) picked = dialog.selectedColor();
        }
        if (!picked || !picked->isValid()) {
            setColor(color_);  // cancelled: show the colour held before
            return;
        }
        setColor(fromQColor(*picked));
    } else {
        color_ = ColorValue(itemData(index).toInt());
    }
    emit colorChosen(color_);
}

} // namespace vsx
