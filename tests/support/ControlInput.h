#pragma once
// A user's hands on the controls: typing over an edit's text, clicking a button where a click
// lands, moving a closed drop-down list with the arrow keys (which raises its user signal), and
// choosing a menu item by clicking its menu open and then the item, and closing a window from its
// title bar.
#include <QAbstractButton>
#include <QCloseEvent>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

namespace vsx::test {

// Selects the whole text and types over it: the first key replaces the selection, so the edit
// never holds an empty text on the way (an edit that refills itself when emptied keeps what is
// typed). An empty `text` deletes the selection.
inline void typeInto(QLineEdit* edit, const QString& text)
{
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty()) QTest::keyClick(edit, Qt::Key_Delete);
    else QTest::keyClicks(edit, text);
}

// A push button in its middle, a check box or radio button on its indicator.
inline void click(QAbstractButton* b)
{
    const bool indicator = qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b);
    QTest::mouseClick(b, Qt::LeftButton, {}, indicator ? QPoint(8, b->height() / 2) : b->rect().center());
}

inline void choose(QComboBox* box, const QString& text)
{
    const int target = box->findText(text);
    ASSERT_GE(target, 0) << text.toStdString();
    while (box->currentIndex() < target) QTest::keyClick(box, Qt::Key_Down);
    while (box->currentIndex() > target) QTest::keyClick(box, Qt::Key_Up);
}

// Clicks an item of a shown pop-up menu; an item that is not shown or not enabled fails the test.
inline void clickMenuItem(QMenu* menu, QAction* item)
{
    ASSERT_TRUE(menu->isVisible()) << menu->objectName().toStdString();
    ASSERT_NE(item, nullptr) << "no item in " << menu->objectName().toStdString();
    ASSERT_TRUE(item->isVisible() && item->isEnabled()) << item->objectName().toStdString() << " cannot be clicked";
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
}

// Clicks open the menu of `bar` that holds the item named `name`, then clicks the item. A menu
// bar without that item fails the test.
inline void chooseMenuItem(QMenuBar* bar, const QString& name)
{
    ASSERT_TRUE(bar->isVisible()) << "the menu bar is hidden; no " << name.toStdString();
    for (QAction* top : bar->actions()) {
        QMenu* menu = top->menu();
        if (!menu) continue;
        for (QAction* item : menu->actions()) {
            if (item->objectName() != name) continue;
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(top).center());
            ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }, 5000)) << name.toStdString();
            clickMenuItem(menu, item);
            return;
        }
    }
    FAIL() << "no menu item " << name.toStdString();
}

// The title bar's close button: the window system hands the window a close event, which the
// widget may refuse as it may refuse the button. Returns whether the window closed.
inline bool closeFromTitleBar(QWidget* w)
{
    EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString() << " is not shown; nothing to close";
    EXPECT_TRUE(w->isWindow()) << w->objectName().toStdString() << " has no title bar of its own";
    QWindow* window = w->windowHandle();
    if (!w->isWindow() || !window) return false;
    QCloseEvent event;
    QCoreApplication::sendEvent(window, &event);
    return !w->isVisible();
}

} // namespace vsx::test
