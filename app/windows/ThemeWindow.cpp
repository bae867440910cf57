#include "app/windows/ThemeWindow.h"

#include "app/ErrorReport.h"
#include "app/MainWindowHost.h"
#include "app/Settings.h"
#include "app/Translated.h"
#include "app/windows/WindowPointers.h"
#include "app/windows/WindowSetup.h"
#include "app/windows/WindowTranslation.h"
#include "platform/Colour.h"
#include "platform/IniFile.h"
#include "platform/StyleManager.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace vsx {

QString SavedThemeName;

ThemeWindow::ThemeWindow(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"fTheme", "Theme Selection", true, QSize(320, 612)});
    setWindowFlags((windowFlags() | Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                    Qt::WindowCloseButtonHint) &
                   ~(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    themeGroup = new QGroupBox(QStringLiteral("Select Theme"), this);
    themeGroup->setObjectName("GroupBox1");
    lbThemeList = new QListWidget(themeGroup);
    lbThemeList->setObjectName("lbThemeList");
    lInfo = new QLabel(themeGroup);
    SetTranslatedText(lInfo, "Available themes: %1. Select to preview.", {QStringLiteral("0")});
    lInfo->setObjectName("lInfo");
    auto* group = new QVBoxLayout(themeGroup);
    group->addWidget(lbThemeList, 1);
    group->addWidget(lInfo);

    bSaveExit = new QPushButton(QStringLiteral("Save && Exit"), this);
    bSaveExit->setObjectName("bSaveExit");
    bCancel = new QPushButton(QStringLiteral("Cancel"), this);
    bCancel->setObjectName("bCancel");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bSaveExit);
    buttons->addWidget(bCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(themeGroup, 1);
    layout->addLayout(buttons);

    connect(lbThemeList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && isVisible()) applyStyle(lbThemeList->item(row)->text());
    });
    connect(bSaveExit, &QPushButton::clicked, this, [this] {
        if (QListWidgetItem* item = lbThemeList->currentItem())
            IniFile(GetIniFileName()).writeString("APPLICATION", "ThemeStyle", item->text().toStdString());
        close();
    });
    connect(bCancel, &QPushButton::clicked, this, [this] {
        applyStyle(SavedThemeName);
        // The map goes back to the colour it had at show (the surveyor's own map colour
        // included), not merely to the style's panel colour.
        if (mapColourAtShow_) {
            mainWindowHost().SetMapBackground(*mapColourAtShow_);
            mainWindowHost().RepaintMap();
        }
        close();
    });
}

void ThemeWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    CentreOverMainWindow(this);
    SavedThemeName = StyleManager::activeStyle();
    mapColourAtShow_ = mainWindowHost().MapBackground();
    const QStringList names = StyleManager::styleNames();
    {
        const QSignalBlocker block(lbThemeList);
        lbThemeList->clear();
        lbThemeList->addItems(names);
        const int row = int(names.indexOf(SavedThemeName));
        lbThemeList->setCurrentRow(row > 0 ? row : 0);
    }
    SetTranslatedText(lInfo, "Available themes: %1. Select to preview.", {QString::number(names.size())});
}

void ThemeWindow::applyStyle(const QString& name)
{
    if (!StyleManager::setStyle(name)) {
        ReportError(translatedArgs("Style '%1' not found", {name}));
        return;
    }
    mainWindowHost().SetMapBackground(fromQColor(StyleManager::panelColour(name)));
    mainWindowHost().RepaintMap();
}

} // namespace vsx
