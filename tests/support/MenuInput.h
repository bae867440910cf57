#pragma once
// A user's hands on menus: a shown popup menu's item clicked where it is drawn, and a menu bar's
// menu opened by clicking its title and one of its items clicked.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

namespace vsx::test {

inline void clickMenuItem(QMenu* menu, QAction* item)
{
    ASSERT_TRUE(menu->isVisible());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
}

// Opens the menu of `bar` that holds the item named `name` and clicks the item.
inline void chooseMenuItem(QMenuBar* bar, const char* name)
{
    for (QAction* top : bar->actions()) {
        QMenu* menu = top->menu();
        if (!menu) continue;
        QAction* item = menu->findChild<QAction*>(QString::fromLatin1(name));
        if (!item || !menu->actions().contains(item)) continue;
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(top).center());
        ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }, 1000)) << name;
        clickMenuItem(menu, item);
        return;
    }
    FAIL() << "no menu item " << name;
}

} // namespace vsx::test
