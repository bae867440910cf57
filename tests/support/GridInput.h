#pragma once
// A user's hands on a grid: a cell clicked, opened for editing with a double click, its text
// typed over key by key and taken with Return. Letters beyond ASCII (Turkish ones) come as the
// text of their key press, as a keyboard layout gives them.
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace vsx::test {

inline void typeIntoCell(QTableWidget* grid, QTableWidgetItem* item, const QString& text)
{
    ASSERT_TRUE(item);
    grid->scrollToItem(item);
    const QPoint at = grid->visualItemRect(item).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    auto* line = grid->viewport()->findChild<QLineEdit*>();
    ASSERT_TRUE(line);
    line->selectAll();
    for (QChar c : text) {
        if (c.unicode() < 128) QTest::keyClick(line, char(c.unicode()));
        else QTest::sendKeyEvent(QTest::Click, line, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    QTest::keyClick(line, Qt::Key_Return);
    QTest::qWait(10);  // the grid takes the text on its next turn
}

} // namespace vsx::test
