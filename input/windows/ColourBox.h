#pragma once
// A drop-down of the standard colours with a swatch each, plus "Custom..." for any other colour.
// It holds a colour as a 32-bit 0x00BBGGRR value; colourChanged is emitted only when the user
// picks one, never when code sets it.
#include "platform/Colour.h"

#include <QComboBox>

namespace vsx {

class ColourBox : public QComboBox {
    Q_OBJECT
public:
    explicit ColourBox(QWidget* parent = nullptr);

    ColorValue value() const { return value_; }
    // Selects the colour, adding an entry for it when it is not a standard one.
    void setValue(ColorValue c);

signals:
    void colourChanged(vsx::ColorValue c);

private:
    void picked(int index);
    int indexOf(ColorValue c) const;
    void addColour(const QString& name, ColorValue c);

    ColorValue value_ = clBlack;
};

} // namespace vsx
