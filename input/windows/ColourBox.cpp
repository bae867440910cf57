#include "input/windows/ColourBox.h"

#include <QColorDialog>
#include <QPixmap>

namespace vsx {
namespace {
constexpr int kValueRole = Qt::UserRole + 1;
constexpr int kPickRole = Qt::UserRole + 2;

struct NamedColour {
    const char* name;
    ColorValue value;
};
constexpr NamedColour kStandard[] = {
    {"Black", clBlack}, {"Maroon", clMaroon}, {"Green", clGreen},   {"Olive", clOlive},  {"Navy", clNavy},
    {"Purple", clPurple}, {"Teal", clTeal}, {"Gray", clGray},       {"Silver", clSilver}, {"Red", clRed},
    {"Lime", clLime},   {"Yellow", clYellow}, {"Blue", clBlue},     {"Fuchsia", clFuchsia}, {"Aqua", clAqua},
    {"White", clWhite},
};

QIcon swatch(ColorValue c)
{
    QPixmap p(16, 12);
    p.fill(toQColor(c));
    return QIcon(p);
}
} // namespace

ColourBox::ColourBox(QWidget* parent) : QComboBox(parent)
{
    for (const NamedColour& n : kStandard) addColour(QString::fromLatin1(n.name), n.value);
    addItem(tr("Custom..."));
    setItemData(count() - 1, true, kPickRole);
    setCurrentIndex(0);
    connect(this, &QComboBox::activated, this, &ColourBox::picked);
}

void ColourBox::addColour(const QString& name, ColorValue c)
{
    addItem(swatch(c), name);
    setItemData(count() - 1, int(c), kValueRole);
}

int ColourBox::indexOf(ColorValue c) const
{
    for (int i = 0; i < count(); ++i) {
        const QVariant v = itemData(i, kValueRole);
        if (v.isValid() && ColorValue(v.toInt()) == c) return i;
    }
    return -1;
}

void ColourBox::setValue(ColorValue c)
{
    value_ = c;
    int i = indexOf(c);
    if (i < 0) {
        // Colours that are no standard entry are listed by their number, before "Custom...".
        const int pick = count() - 1;
        insertItem(pick, swatch(c), QStringLiteral("$%1").arg(quint32(c), 8, 16, QLatin1Char('0')).toUpper());
        setItemData(pick, int(c), kValueRole);
        i = pick;
    }
    setCurrentIndex(i);
}

void ColourBox::picked(int index)
{
    if (itemData(index, kPickRole).toBool()) {
        const QColor chosen = QColorDialog::getColor(toQColor(value_), this);
        if (!chosen.isValid()) {
            setValue(value_);
            return;
        }
        setValue(fromQColor(chosen));
    } else {
        value_ = ColorValue(itemData(index, kValueRole).toInt());
    }
    emit colourChanged(value_);
}

} // namespace vsx
