#pragma once
// A user's hands on the controls: typing over an edit's text, clicking a button where a click
// lands, and moving a closed drop-down list with the arrow keys (which raises its user signal).
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace vsx::test {

inline void typeInto(QLineEdit* edit, const QString& text)
{
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
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

} // namespace vsx::test
