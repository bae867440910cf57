#pragma once
// Named visual styles for the whole user interface: the Fusion style with a palette per name.
#include <QColor>
#include <QString>
#include <QStringList>

namespace vsx {

class StyleManager {
public:
    // The platform's own look comes first, then the built-in styles.
    static QStringList styleNames();
    static bool styleExists(const QString& name);
    // Switches the application to the style; false (and nothing changes) when no style has that name.
    static bool setStyle(const QString& name);
    static QString activeStyle();
    // The colour of panels (window background) of a style.
    static QColor panelColour(const QString& name);
};

inline constexpr const char* kPlatformStyleName = "Veldor SX - Default";

} // namespace vsx
