#pragma once
// The "Theme Selection" window: every visual style the style manager offers, previewed live on a
// click (the map takes the style's panel colour too); "Save && Exit" keeps the style for the next
// start, "Cancel" goes back to the style that was active when the window opened.
#include "platform/Colour.h"

#include <QString>
#include <optional>
#include <QWidget>

class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace vsx {

// The style that was active when the theme window was last shown.
extern QString SavedThemeName;

class ThemeWindow : public QWidget {
    Q_OBJECT
public:
    explicit ThemeWindow(QWidget* parent = nullptr);

    QGroupBox* themeGroup;
    QListWidget* lbThemeList;
    QLabel* lInfo;
    QPushButton* bSaveExit;
    QPushButton* bCancel;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Switches the program to the style and gives the map the style's panel colour.
    void applyStyle(const QString& name);

    std::optional<ColorValue> mapColourAtShow_;
};

} // namespace vsx
