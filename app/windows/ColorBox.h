#pragma once
// A colour choice box: the class library's named colours plus "Custom..." which opens a colour
// dialog. Its value is a colour number 0x00BBGGRR. Setting the colour from code does not emit
// colorChosen; only the user's choice does.
#include "platform/Colour.h"

#include <QColor>
#include <QComboBox>
#include <functional>
#include <optional>

namespace vsx {

class ColorBox : public QComboBox {
    Q_OBJECT
public:
    explicit ColorBox(QWidget* parent = nullptr, ColorValue initial = clBlack);

    ColorValue color() const { return color_; }
    // Selects the named entry, or shows the value as the custom entry.
    void setColor(ColorValue color);

    // The dialog behind "Custom..."; tests replace it (an empty function restores QColorDialog).
    // It returns nothing when the user cancels.
    using CustomChooser = std::function<std::optional<QColor>(const QColor& current, QWidget* parent)>;
    static void setCustomChooser(CustomChooser chooser);

    struct NamedColor {
        const char* name;
        ColorValue value;
    };
    static const std::vector<NamedColor>& namedColors();

signals:
    void colorChosen(vsx::ColorValue color);

private:
    void onActivated(int index);
    void showCustom(ColorValue color);

    ColorValue color_ = clBlack;
};

} // namespace vsx
